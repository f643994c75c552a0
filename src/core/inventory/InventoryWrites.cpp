#include "inventory/InventoryWrites.h"

#include <QHash>

#include "app/ChangeNotice.h"
#include "data/JetDialect.h"
#include "data/Recordset.h"
#include "inventory/InventoryFunctions.h"
#include "inventory/InventoryRecords.h"
#include "inventory/ListOrder.h"
#include "inventory/LoanJournal.h"
#include "phonebook/CustomerRecords.h"
#include "seams/Clock.h"

namespace InventoryFunctions {
namespace {

const QString kWholeTable = QStringLiteral("Select Inventory.* From Inventory");
const QString kWholeRowOf = QStringLiteral("Select Inventory.* From Inventory Where ");

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
  RecordsetPtr records = OpenRecords(kWholeRowOf + TitleCondition(title), InventoryDatabase());
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
  RecordsetPtr records = OpenRecords(kWholeRowOf + TitleCondition(title), InventoryDatabase());
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
  RecordsetPtr records = OpenRecords(kWholeRowOf + TitleCondition(title), InventoryDatabase());
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
  RecordsetPtr records = OpenRecords(kWholeRowOf + TitleCondition(title), InventoryDatabase());
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
                     "Where ") +
          TitleCondition(title),
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

struct ImportedDVDs::Known {
  // The rowid of the first DVD of each title (case-folded) and bar code (as scanned,
  // case-folded): with no index on either, a look-up in the table would read it whole, once for
  // every row of a file.
  QHash<QString, qint64> titles;
  QHash<QString, qint64> barCodes;
  QStringList written;
  InventoryMark before = CurrentInventoryMark();
  std::optional<Statement> insert;
  std::optional<Statement> read;
  std::optional<Statement> update;
};

namespace {

QString TitleKey(const QString& title) { return title.toCaseFolded(); }
QString CodeKey(const QString& barCode) { return ScanForm(barCode).toCaseFolded(); }

Statement& Prepared(std::optional<Statement>& statement, const char* sql) {
  if (!statement) {
    statement = InventoryDatabase()->Prepare(QString::fromUtf8(sql), QStringLiteral("Inventory"));
  }
  statement->Reset();
  return *statement;
}

}  // namespace

ImportedDVDs::ImportedDVDs() : known_(std::make_unique<Known>()) {
  ReadAllDVDs({DVDField::BarCode}, [this](qint64 id, const DVDRecord& dvd) {
    if (const QString title = TitleKey(dvd.title); !known_->titles.contains(title)) {
      known_->titles.insert(title, id);
    }
    if (const QString code = CodeKey(dvd.barCode);
        !code.isEmpty() && !known_->barCodes.contains(code)) {
      known_->barCodes.insert(code, id);
    }
  });
}

ImportedDVDs::~ImportedDVDs() = default;

DVDOutcome ImportedDVDs::Add(const DVDRecord& typed) {
  const QString title = StoredTitle(typed.title);
  if (title.isEmpty()) return DVDOutcome::TitleMissing;
  if (known_->titles.contains(TitleKey(title))) return DVDOutcome::TitleTaken;
  const QString code = CodeKey(typed.barCode);
  if (!code.isEmpty() && known_->barCodes.contains(code)) return DVDOutcome::BarCodeTaken;
  Statement& insert = Prepared(
      known_->insert,
      "Insert Into Inventory (DVDTitle, Category, Starring, Rated, Status, Name, Date, DueDate, "
      "Description, BarCode) Values (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10) Returning rowid");
  const auto date = [](const QDateTime& when) {
    return JetDialect::DateToStorage(when.isValid() ? when.date() : DefaultLoanDate());
  };
  const QStringList texts = {
      title,      typed.category,      typed.starring,      typed.rated,       QString(),
      typed.name, date(typed.outDate), date(typed.dueDate), typed.description, typed.barCode};
  for (int i = 0; i < texts.size(); ++i) insert.BindText(i + 1, texts[i]);
  insert.BindInt64(5, typed.status);
  insert.Step();
  const qint64 id = insert.Int64(0);
  insert.Reset();
  if (typed.status == Loaned && !typed.name.isEmpty()) {
    JournalLend(title, typed.name, typed.outDate.date(), typed.dueDate.date());
  }
  known_->titles.insert(TitleKey(title), id);
  if (!code.isEmpty()) known_->barCodes.insert(code, id);
  known_->written << title;
  return DVDOutcome::Saved;
}

std::optional<DVDRecord> ImportedDVDs::Find(const QString& title) {
  const auto id = known_->titles.constFind(TitleKey(title));
  if (id == known_->titles.constEnd()) return std::nullopt;
  Statement& read = Prepared(known_->read,
                             "Select DVDTitle, Category, Starring, Rated, Status, Name, Date, "
                             "DueDate, Description, BarCode From Inventory Where rowid = ?1");
  read.BindInt64(1, *id);
  if (!read.Step()) return std::nullopt;
  DVDRecord dvd;
  dvd.title = read.Text(0);
  dvd.category = read.Text(1);
  dvd.starring = read.Text(2);
  dvd.rated = read.Text(3);
  dvd.status = qint32(read.Int64(4));
  dvd.name = read.Text(5);
  dvd.outDate = JetDialect::ParseStoredDate(read.Text(6));
  dvd.dueDate = JetDialect::ParseStoredDate(read.Text(7));
  dvd.description = read.Text(8);
  dvd.barCode = read.Text(9);
  read.Reset();
  return dvd;
}

DVDOutcome ImportedDVDs::Update(const DVDRecord& stored, const DVDRecord& typed) {
  DVDRecord dvd = typed;
  dvd.title = StoredTitle(typed.title);
  if (dvd.title.isEmpty()) return DVDOutcome::TitleMissing;
  const QString& title = stored.title;
  const QString oldKey = TitleKey(title);
  const QString newKey = TitleKey(dvd.title);
  const auto found = known_->titles.constFind(oldKey);
  if (found == known_->titles.constEnd()) return DVDOutcome::Gone;
  const qint64 id = *found;
  if (newKey != oldKey && known_->titles.contains(newKey)) return DVDOutcome::TitleTaken;
  const QString code = CodeKey(dvd.barCode);
  if (!code.isEmpty() && known_->barCodes.value(code, id) != id) return DVDOutcome::BarCodeTaken;
  Statement& update = Prepared(known_->update,
                               "Update Inventory Set DVDTitle = ?1, Category = ?2, Rated = ?3, "
                               "Starring = ?4, Description = ?5, BarCode = ?6 Where rowid = ?7");
  const QStringList texts = {dvd.title,    dvd.category,    dvd.rated,
                             dvd.starring, dvd.description, dvd.barCode};
  for (int i = 0; i < texts.size(); ++i) update.BindText(i + 1, texts[i]);
  update.BindInt64(7, id);
  update.Run();
  known_->written << title;
  if (dvd.title != title) {
    JournalRename(title, dvd.title);
    known_->written << dvd.title;
  }
  if (newKey != oldKey) {
    known_->titles.remove(oldKey);
    known_->titles.insert(newKey, id);
  }
  if (const QString old = CodeKey(stored.barCode); old != code) {
    if (known_->barCodes.value(old) == id) known_->barCodes.remove(old);
    if (!code.isEmpty()) known_->barCodes.insert(code, id);
  }
  return DVDOutcome::Saved;
}

void ImportedDVDs::Finish() {
  if (known_->written.isEmpty()) return;
  Changes::DVDs change;
  change.titles = known_->written;
  change.before = known_->before;
  change.after = CurrentInventoryMark();
  Changes::Announce(change);
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
