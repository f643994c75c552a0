#include "inventory/InventoryWrites.h"

#include "app/ChangeNotice.h"
#include "data/Recordset.h"
#include "inventory/InventoryFunctions.h"
#include "inventory/InventoryRecords.h"
#include "inventory/LoanJournal.h"
#include "phonebook/CustomerRecords.h"
#include "seams/Clock.h"

namespace InventoryFunctions {
namespace {

const QString kWholeTable = QStringLiteral("Select Inventory.* From Inventory");
const QString kWholeRowOfTitle =
    QStringLiteral("Select Inventory.* From Inventory Where Inventory.DVDTitle = ");

// One write: its transaction, and the change it announces once that has committed.
class Write {
 public:
  Write() : transaction_(InventoryDatabase()), before_(CurrentInventoryMark()) {}

  void Commit(Changes::DVDs change) {
    change.before = before_;
    change.after = CurrentInventoryMark();
    Changes::Announce(change);
    transaction_.Commit();
    batch_.Commit();
  }

  // The DVD is not as the dialog saw it: nothing is written, but every list is told to show it
  // as another program left it.
  DVDOutcome Refuse(const QString& title) {
    Changes::DVDs change;
    change.titles = {title};
    change.catalogueKept = true;
    Commit(change);
    return DVDOutcome::LoanMoved;
  }

 private:
  Changes::Batch batch_;
  Transaction transaction_;
  InventoryMark before_;
};

Changes::CatalogueValues Catalogue(const DVDRecord& dvd) {
  return {dvd.title, dvd.category, dvd.rated, dvd.starring};
}

// The six fields the Add/Edit dialog owns, in the order they are written.
void WriteCatalogueFields(Recordset& records, const DVDRecord& dvd) {
  records.SetValue(QStringLiteral("DVDTitle"), dvd.title);
  records.SetValue(QStringLiteral("Category"), dvd.category);
  records.SetValue(QStringLiteral("Rated"), dvd.rated);
  records.SetValue(QStringLiteral("Starring"), dvd.starring);
  records.SetValue(QStringLiteral("Description"), dvd.description);
  records.SetValue(QStringLiteral("BarCode"), dvd.barCode);
  records.Update();
}

// Whether the title look-up (letter case ignored) finds any DVD but the one being edited, the
// first titled `editedTitle`.
bool TitleTakenByAnother(const QString& title, const QString& editedTitle) {
  RecordsetPtr records = OpenRecords(kWholeRowOfTitle + SqlText(title), InventoryDatabase());
  int found = 0;
  bool editedFound = false;
  for (; !records->Eof() && found < 2; records->MoveNext()) {
    ++found;
    // The engine's own text equality decides whether the row found is the edited DVD.
    if (SameTitle(records->Text(QStringLiteral("DVDTitle")), editedTitle)) editedFound = true;
  }
  CloseRecords(records);
  return found > 1 || (found == 1 && !editedFound);
}

enum class LoanWrite { New, Change };

bool MovedSince(const Recordset& records, const std::optional<LoanSeen>& seen) {
  return seen && (records.Long(QStringLiteral("Status")) != seen->status ||
                  records.Text(QStringLiteral("Name")) != seen->borrower);
}

DVDOutcome Lend(const QString& title, const CustomerFunctions::Customer& borrower,
                const QDate& outDate, const QDate& dueDate, LoanWrite kind,
                const std::optional<LoanSeen>& seen) {
  if (borrower.name.isEmpty()) return DVDOutcome::NameMissing;
  if (dueDate < outDate) return DVDOutcome::DueBeforeOut;
  Write write;
  RecordsetPtr records = OpenRecords(kWholeRowOfTitle + SqlText(title), InventoryDatabase());
  if (NoRecords(records) || MovedSince(*records, seen)) {
    const bool gone = NoRecords(records);
    CloseRecords(records);
    return gone ? DVDOutcome::Gone : write.Refuse(title);
  }
  records->Edit();
  records->SetValue(QStringLiteral("Name"), borrower.name);
  records->SetValue(QStringLiteral("Status"), qint32(Loaned));
  records->SetValue(QStringLiteral("Date"), outDate);
  records->SetValue(QStringLiteral("DueDate"), dueDate);
  records->Update();
  CloseRecords(records);
  CustomerFunctions::SaveCustomer(borrower, CustomerFunctions::NameSpelling::Stored);
  if (kind == LoanWrite::New) {
    JournalLend(title, borrower.name, outDate, dueDate);
  } else {
    JournalChangeLoan(title, borrower.name, outDate, dueDate);
  }
  Changes::DVDs change;
  change.titles = {title};
  change.catalogueKept = true;
  write.Commit(change);
  return DVDOutcome::Saved;
}

}  // namespace

QString StoredTitle(const QString& typed) { return typed.trimmed(); }

DVDOutcome AddDVD(const DVDRecord& typed) {
  DVDRecord dvd = typed;
  dvd.title = StoredTitle(typed.title);
  if (dvd.title.isEmpty()) return DVDOutcome::TitleMissing;
  Write write;
  if (FindDVD(dvd.title)) return DVDOutcome::TitleTaken;
  if (!dvd.barCode.isEmpty() && IsDVD(dvd.barCode)) return DVDOutcome::BarCodeTaken;
  RecordsetPtr records = OpenRecords(kWholeTable, InventoryDatabase());
  records->AddNew();
  WriteCatalogueFields(*records, dvd);
  CloseRecords(records);
  Changes::DVDs change;
  change.titles = {dvd.title};
  change.now = Catalogue(dvd);
  write.Commit(change);
  return DVDOutcome::Saved;
}

DVDOutcome AddImportedDVD(const DVDRecord& dvd) {
  Write write;
  if (const DVDOutcome added = AddDVD(dvd); added != DVDOutcome::Saved) return added;
  const QString title = StoredTitle(dvd.title);
  RecordsetPtr records = OpenRecords(kWholeRowOfTitle + SqlText(title), InventoryDatabase());
  records->Edit();
  records->SetValue(QStringLiteral("Status"), dvd.status);
  records->SetValue(QStringLiteral("Name"), dvd.name);
  if (dvd.outDate.isValid()) records->SetValue(QStringLiteral("Date"), dvd.outDate);
  if (dvd.dueDate.isValid()) records->SetValue(QStringLiteral("DueDate"), dvd.dueDate);
  records->Update();
  CloseRecords(records);
  if (dvd.status == Loaned && !dvd.name.isEmpty()) {
    JournalLend(title, dvd.name, dvd.outDate.date(), dvd.dueDate.date());
  }
  Changes::DVDs change;
  change.titles = {title};
  change.catalogueKept = true;
  write.Commit(change);
  return DVDOutcome::Saved;
}

DVDOutcome UpdateDVD(const QString& title, const DVDRecord& typed) {
  DVDRecord dvd = typed;
  dvd.title = StoredTitle(typed.title);
  if (dvd.title.isEmpty()) return DVDOutcome::TitleMissing;
  Write write;
  if (dvd.title != title && TitleTakenByAnother(dvd.title, title)) return DVDOutcome::TitleTaken;
  if (!dvd.barCode.isEmpty()) {
    const std::optional<QString> owner = TitleOfBarCode(dvd.barCode);
    if (owner && *owner != title) return DVDOutcome::BarCodeTaken;
  }
  const std::optional<DVDRecord> before = FindDVD(title);
  if (!before) return DVDOutcome::Gone;
  RecordsetPtr records = OpenRecords(kWholeRowOfTitle + SqlText(title), InventoryDatabase());
  records->Edit();
  WriteCatalogueFields(*records, dvd);
  CloseRecords(records);
  if (dvd.title != title) JournalRename(title, dvd.title);
  Changes::DVDs change;
  change.titles = {title};
  if (dvd.title != title) change.titles << dvd.title;
  change.was = Catalogue(*before);
  change.now = Catalogue(dvd);
  write.Commit(change);
  return DVDOutcome::Saved;
}

DVDOutcome DeleteDVD(const QString& title) {
  Write write;
  RecordsetPtr records = OpenRecords(kWholeRowOfTitle + SqlText(title), InventoryDatabase());
  const bool found = !NoRecords(records);
  for (; !records->Eof(); records->MoveNext()) records->Delete();
  CloseRecords(records);
  if (!found) return DVDOutcome::Gone;
  Changes::DVDs change;
  change.titles = {title};
  write.Commit(change);
  return DVDOutcome::Saved;
}

DVDOutcome LendDVD(const QString& title, const CustomerFunctions::Customer& borrower,
                   const QDate& outDate, const QDate& dueDate,
                   const std::optional<LoanSeen>& seen) {
  return Lend(title, borrower, outDate, dueDate, LoanWrite::New, seen);
}

DVDOutcome ChangeLoan(const QString& title, const CustomerFunctions::Customer& borrower,
                      const QDate& outDate, const QDate& dueDate,
                      const std::optional<LoanSeen>& seen) {
  return Lend(title, borrower, outDate, dueDate, LoanWrite::Change, seen);
}

DVDOutcome ReturnDVD(const QString& title, const std::optional<LoanSeen>& seen) {
  Write write;
  RecordsetPtr records = OpenRecords(
      QStringLiteral("Select Inventory.DVDTitle, Inventory.Status, Inventory.Name From Inventory "
                     "Where Inventory.DVDTitle = ") +
          SqlText(title),
      InventoryDatabase());
  const bool found = !NoRecords(records);
  if (found && MovedSince(*records, seen)) {
    CloseRecords(records);
    return write.Refuse(title);
  }
  if (found) {
    records->Edit();
    records->SetValue(QStringLiteral("Status"), qint32(InStock));
    records->SetValue(QStringLiteral("Name"), QString(u""_qs));
    records->Update();
  }
  CloseRecords(records);
  if (!found) return DVDOutcome::Gone;
  JournalReturn(title, seams::Today());
  Changes::DVDs change;
  change.titles = {title};
  change.catalogueKept = true;
  write.Commit(change);
  return DVDOutcome::Saved;
}

struct WritesTogether::Held {
  Changes::Batch batch;
  Transaction transaction{InventoryDatabase()};
};

WritesTogether::WritesTogether() : held_(std::make_unique<Held>()) {}

WritesTogether::~WritesTogether() = default;

void WritesTogether::Commit() {
  held_->transaction.Commit();
  held_->batch.Commit();
}

}  // namespace InventoryFunctions
