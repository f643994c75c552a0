#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/ChangeNotice.h"
#include "app/DatabaseHandle.h"
#include "inventory/DVDRecord.h"

class Collection;

// Every statement the program runs on table Inventory: the DVD list and its columns, the look-ups
// by title and by bar code, the choice lists. The writes are InventoryWrites'.
// All of them run on the database the Inventory owner keeps, and every value enters the SQL text
// through SqlText. Failures propagate as DatabaseError.
namespace InventoryFunctions {

struct SearchCriteria;

// A statement that returns whole Inventory rows, made only by the program's own builders, so that
// a window can fill a list without holding SQL of its own.
class DVDQuery {
 public:
  // Every DVD: lent DVDs first, then by due date, then by title.
  static DVDQuery List();

  const QString& Sql() const { return sql_; }
  // The rowids of the query's DVDs, in its order.
  std::vector<qint64> Ids(Collection& collection) const;
  // Whether it is the whole list in the list's own order.
  bool IsWholeList() const { return clause_.isEmpty(); }

 private:
  // Every DVD of a clause built from SqlText pieces, by title: only the search's builder and the
  // owner's own look-ups make one.
  static DVDQuery Where(const QString& clause);
  friend std::optional<DVDQuery> SearchQuery(const SearchCriteria& criteria);
  friend QStringList StatusReportLines(Collection& collection, const QDate& today);

  DVDQuery(QString sql, QString clause) : sql_(std::move(sql)), clause_(std::move(clause)) {}
  QString sql_;
  QString clause_;  // empty for the whole list
  // A Like pattern that every DVD of the clause has for its title: the title index may narrow
  // the rows the clause is tried on (TitleIndex).
  QString titlePattern_;
};

// One column of a DVD list: key is the program's name of the Inventory column, caption its
// VisibleName.
struct ListColumn {
  QString key;
  QString caption;
};

// The Inventory columns whose ShowInList property is true, in the table's column order.
std::vector<ListColumn> ListColumns(Collection& collection);

// Reads the rows of a query in its order. Title, status and the two dates are always read; of the
// other fields only those in `wanted` (the rest stay empty).
void ReadDVDs(Collection& collection, const DVDQuery& query, const std::vector<DVDField>& wanted,
              const std::function<void(const DVDRecord&)>& row);

// Reads the DVDs of these rowids, in no particular order (a rowid no longer stored is left out),
// with the fields of ReadDVDs.
void ReadDVDsById(Collection& collection, const std::vector<qint64>& ids,
                  const std::vector<DVDField>& wanted,
                  const std::function<void(qint64, const DVDRecord&)>& row);
// Reads every DVD, in no particular order, with the title and the fields in `wanted` only (status
// and dates too when one of them is wanted).
void ReadAllDVDs(Collection& collection, const std::vector<DVDField>& wanted,
                 const std::function<void(qint64, const DVDRecord&)>& row);

// The first DVD whose title equals `title`, letter case ignored.
std::optional<DVDRecord> FindDVD(Collection& collection, const QString& title);
// A bar code as a scan gives it: its ASCII letters and digits. Bar codes are compared in this
// form (letter case ignored) and stored as typed.
QString ScanForm(const QString& barCode);
// True when some DVD has that bar code.
bool IsDVD(Collection& collection, const QString& barCode);
// The title of the first DVD with that bar code (a scan, or the edit dialog's check that a code
// belongs to the DVD being edited).
std::optional<QString> TitleOfBarCode(Collection& collection, const QString& barCode);

// What the loan commands need of a DVD: its title, status and borrower.
struct LoanState {
  QString title;
  qint32 status = 0;
  QString name;
};
std::optional<LoanState> FindLoanState(Collection& collection, const QString& title);

// The titles of the DVDs lent to that borrower (names compared as the phone book compares them),
// in title order: what a borrower still has before their entry goes.
QStringList TitlesLentTo(Collection& collection, const QString& name);

// The distinct, non-empty stored values of Category, Rated, Starring or Title, in order, read by
// grouping the whole table (the dialogs read them from an index: ChoiceLists).
QStringList DistinctValues(Collection& collection, DVDField field);

// Whether two titles are one DVD's title by the engine's text equality: letter case ignored,
// accents kept.
bool SameTitle(const QString& a, const QString& b);

// Where table Inventory stands (see Changes::TableMark).
using InventoryMark = Changes::TableMark;
InventoryMark CurrentInventoryMark(Collection& collection);

// The engine's order of texts (letter case ignored, accents next to their base letters): below,
// equal to or above zero as a sorts before, with or after b.
int CompareText(const QString& a, const QString& b);

}  // namespace InventoryFunctions
