#pragma once

#include <QDate>
#include <QString>
#include <memory>
#include <optional>

#include "inventory/DVDRecord.h"

class Collection;

namespace CustomerFunctions {
struct Customer;
}

// The writes a user makes to the DVDs. Each is one transaction that checks its own rules and
// answers with an outcome, which the window turns into its message; after the commit the change
// notice tells every list and view what changed. Nothing is written when the outcome is not
// Saved. Database failures propagate as DatabaseError, with nothing written.
namespace InventoryFunctions {

enum class DVDOutcome {
  Saved,
  TitleMissing,  // a DVD needs a title
  TitleTaken,    // another DVD has that title (letter case ignored)
  BarCodeTaken,  // another DVD has that bar code
  NameMissing,   // a loan needs the borrower's name
  Gone,          // the DVD is no longer there (deleted meanwhile, or by another program)
  LoanMoved,     // lent, returned or lent to another meanwhile: not as the dialog showed it
  DueBeforeOut,  // a loan due before it goes out
};

// What a loan dialog showed when it opened. Another program on the same file may lend or return
// the DVD while the dialog is up; a loan write given this refuses (LoanMoved, nothing written)
// unless the DVD is still as seen, and announces the DVD so that every list shows it as it is.
struct LoanSeen {
  qint32 status = 0;
  QString borrower;
};

// A title as it is stored and compared: without leading or trailing blanks.
QString StoredTitle(const QString& typed);

// A new DVD with its six catalogue fields; the loan columns take the table's defaults, so it is in
// stock. The title is stored as StoredTitle gives it. Refused when its title or (a non-empty) bar
// code is another DVD's; bar codes compare as a scan gives them (see IsDVD).
DVDOutcome AddDVD(Collection& collection, const DVDRecord& dvd);
// Writes the six catalogue fields over the first DVD titled `title`. A new title may not be
// another DVD's; the edited DVD itself does not count, so a title whose letter case alone changed
// is taken. A bar code may not be another DVD's. A renamed DVD keeps its loan history.
DVDOutcome UpdateDVD(Collection& collection, const QString& title, const DVDRecord& dvd);
// Deletes every DVD titled `title`.
DVDOutcome DeleteDVD(Collection& collection, const QString& title);
// Lends the first DVD titled `title` to the borrower (status 1, the two dates) and adds the
// borrower to the phone book, or updates the stored entry's fields (its name stays as stored).
// Both writes or neither, and the loan history gains the loan. A due date before the out date
// is refused.
DVDOutcome LendDVD(Collection& collection, const QString& title,
                   const CustomerFunctions::Customer& borrower, const QDate& outDate,
                   const QDate& dueDate, const std::optional<LoanSeen>& seen = std::nullopt);
// The same writes over a DVD already lent: who has it and until when; its open loan in the
// history follows.
DVDOutcome ChangeLoan(Collection& collection, const QString& title,
                      const CustomerFunctions::Customer& borrower, const QDate& outDate,
                      const QDate& dueDate, const std::optional<LoanSeen>& seen = std::nullopt);
// Takes the first DVD titled `title` back: status 0, no borrower; the dates stay. Its open loan
// in the history ends today.
DVDOutcome ReturnDVD(Collection& collection, const QString& title,
                     const std::optional<LoanSeen>& seen = std::nullopt);

// DVDs brought in from another catalogue (an import), inside the caller's WritesTogether: each new
// one under AddDVD's rules and each update under UpdateDVD's, with the titles and bar codes
// already there read once rather than once per DVD. A new DVD also takes the file's loan columns
// (status, borrower, and the dates that are valid), and one that is out (status 1, with a
// borrower) opens its loan in the history, as a file does at its first start with a history; the
// phone book is left alone. The DVDs written are announced on Finish, which the caller runs
// before committing.
class ImportedDVDs {
 public:
  explicit ImportedDVDs(Collection& collection);
  ~ImportedDVDs();
  ImportedDVDs(const ImportedDVDs&) = delete;
  ImportedDVDs& operator=(const ImportedDVDs&) = delete;
  DVDOutcome Add(const DVDRecord& dvd);
  // The first DVD titled `title` (letter case ignored), as stored now.
  std::optional<DVDRecord> Find(const QString& title);
  // Writes the six catalogue fields over the DVD that Find gave as `stored`.
  DVDOutcome Update(const DVDRecord& stored, const DVDRecord& dvd);
  void Finish();

 private:
  struct Known;
  std::unique_ptr<Known> known_;
};

// Several writes that stand or fall together (an import): one transaction around them, and what
// they change heard once, after it commits. Destroyed without Commit, none of them stays.
class WritesTogether {
 public:
  explicit WritesTogether(Collection& collection);
  ~WritesTogether();
  WritesTogether(const WritesTogether&) = delete;
  WritesTogether& operator=(const WritesTogether&) = delete;
  void Commit();

 private:
  struct Held;
  std::unique_ptr<Held> held_;
};

}  // namespace InventoryFunctions
