#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "inventory/DVDRecord.h"

class Database;

namespace CustomerFunctions {
struct Customer;
}

// Every statement the program runs on table Inventory: the DVD list and its columns, the look-ups
// by title and by bar code, the choice lists, and the writes (add, edit, delete, lend, return).
// All of them run on the database the Inventory owner keeps, and every value enters the SQL text
// through SqlText. Failures propagate as DatabaseError.
namespace InventoryFunctions {

// A statement that returns whole Inventory rows, made only by the program's own builders, so that
// a window can fill a list without holding SQL of its own.
class DVDQuery {
 public:
  // Every DVD: lent DVDs first, then by due date, then by title.
  static DVDQuery List();
  // Every DVD of a search clause (already built from SqlText pieces), by title.
  static DVDQuery Where(const QString& clause);

  const QString& Sql() const { return sql_; }
  // The rowids of the query's DVDs, in its order.
  std::vector<qint64> Ids() const;

 private:
  DVDQuery(QString sql, QString clause) : sql_(std::move(sql)), clause_(std::move(clause)) {}
  QString sql_;
  QString clause_;  // empty for the whole list
};

// One column of a DVD list: key is the program's name of the Inventory column, caption its
// VisibleName.
struct ListColumn {
  QString key;
  QString caption;
};

// The Inventory columns whose ShowInList property is true, in the table's column order.
std::vector<ListColumn> ListColumns();

// Reads the rows of a query in its order. Title, status and the two dates are always read; of the
// other fields only those in `wanted` (the rest stay empty).
void ReadDVDs(const DVDQuery& query, const std::vector<DVDField>& wanted,
              const std::function<void(const DVDRecord&)>& row);

// Reads the DVDs of these rowids, in no particular order (a rowid no longer stored is left out),
// with the fields of ReadDVDs.
void ReadDVDsById(const std::vector<qint64>& ids, const std::vector<DVDField>& wanted,
                  const std::function<void(qint64, const DVDRecord&)>& row);
// Reads every DVD, in no particular order, with the title and the fields in `wanted` only (status
// and dates too when one of them is wanted).
void ReadAllDVDs(const std::vector<DVDField>& wanted,
                 const std::function<void(qint64, const DVDRecord&)>& row);

// The first DVD whose title equals `title`, letter case ignored.
std::optional<DVDRecord> FindDVD(const QString& title);
// True when some DVD has that bar code.
bool IsDVD(const QString& barCode);
// The title of the first DVD with that bar code (a scan, or the edit dialog's check that a code
// belongs to the DVD being edited).
std::optional<QString> TitleOfBarCode(const QString& barCode);

// What the loan commands need of a DVD: its title, status and borrower.
struct LoanState {
  QString title;
  qint32 status = 0;
  QString name;
};
std::optional<LoanState> FindLoanState(const QString& title);

// The distinct, non-empty stored values of Category, Rated, Starring or Title, in order; from the
// inventory's database or from `db`, another connection to its file.
QStringList DistinctValues(DVDField field);
QStringList DistinctValues(DVDField field, const std::shared_ptr<Database>& db);

// A new DVD with its six catalogue fields; the loan columns take the table's defaults, so it is in
// stock.
void AddDVD(const DVDRecord& dvd);
// Writes the six catalogue fields over the first DVD titled `title`; false when there is none.
bool UpdateDVD(const QString& title, const DVDRecord& dvd);
// Deletes every DVD titled `title`; false when there was none.
bool DeleteDVD(const QString& title);
// Lends the first DVD titled `title` to the borrower (status 1, the two dates) and adds the
// borrower to the phone book, or updates the stored entry's fields (its name stays as stored).
// Both writes or neither. False when there is no such DVD (nothing is written).
bool LendDVD(const QString& title, const CustomerFunctions::Customer& borrower,
             const QDate& outDate, const QDate& dueDate);
// Takes the first DVD titled `title` back: status 0, no borrower; the dates stay.
bool ReturnDVD(const QString& title);

// The edit dialog's duplicate check for a changed title: true when the title look-up (letter case
// ignored) finds any DVD but the one being edited, the first titled `editedTitle`. Changing only
// the letter case of a title ("star wars" to "Star Wars") therefore finds no duplicate.
bool TitleTakenByAnother(const QString& title, const QString& editedTitle);

// Whether two titles are one DVD's title by the engine's text equality: letter case ignored,
// accents kept.
bool SameTitle(const QString& a, const QString& b);

// Where table Inventory stands: the mark moves with every row of Inventory written on the
// program's own connection and with every commit of another connection or program. A view filled at
// one mark still shows the table while the mark stays the same.
struct InventoryMark {
  quint64 connection = 0;  // which connection: a new one (after a clean-up, say) gets a new number
  qint64 changes = 0;      // rows of Inventory written on it
  qint64 dataVersion = 0;
  bool operator==(const InventoryMark&) const = default;
};
InventoryMark CurrentInventoryMark();

// The engine's order of texts (letter case ignored, accents next to their base letters): below,
// equal to or above zero as a sorts before, with or after b.
int CompareText(const QString& a, const QString& b);
// What DistinctValues of Category, Rated, Starring or Title shows for the stored values equal to
// `value` (letter case ignored): the one the engine picks of them, or nothing when none is stored.
std::optional<QString> DistinctValueOf(DVDField field, const QString& value);

}  // namespace InventoryFunctions
