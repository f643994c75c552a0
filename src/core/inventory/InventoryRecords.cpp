#include "inventory/InventoryRecords.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

#include "app/DatabaseError.h"
#include "data/DatabaseFunctions.h"
#include "data/JetDialect.h"
#include "data/Recordset.h"
#include "data/Statement.h"
#include "inventory/InventoryFunctions.h"
#include "inventory/ListOrder.h"
#include "phonebook/CustomerFunctions.h"
#include "phonebook/CustomerRecords.h"

namespace InventoryFunctions {
namespace {

const QString kWholeRowOfTitle =
    QStringLiteral("Select Inventory.* From Inventory Where Inventory.DVDTitle = ");
const QString kWholeTable = QStringLiteral("Select Inventory.* From Inventory");
const QString kLoanStateOfTitle = QStringLiteral(
    "Select Inventory.DVDTitle, Inventory.Status, Inventory.Name From Inventory Where "
    "Inventory.DVDTitle = ");

RecordsetPtr Open(const QString& sql) { return OpenRecords(sql, InventoryDatabase()); }

int RequireField(const Recordset& records, const QString& name) {
  const int index = records.FieldIndex(name);
  if (index < 0) {
    throw DatabaseError(SQLITE_ERROR,
                        QStringLiteral("Item not found in this collection: %1").arg(name),
                        QStringLiteral("Recordset"));
  }
  return index;
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

void SaveBorrower(const CustomerFunctions::Customer& borrower) {
  using namespace CustomerFunctions;
  const DatabaseHandle db = CustomersDatabase();
  RecordsetPtr records =
      OpenRecords(QStringLiteral("Select Customers.* From Customers Where Customers.Name = ") +
                      SqlText(borrower.name),
                  db);
  if (NoRecords(records)) {
    CloseRecords(records);
    records = OpenRecords(QStringLiteral("Select Customers.* From Customers"), db);
    records->AddNew();
    records->SetValue(QStringLiteral("Name"), borrower.name);
  } else {
    // The stored spelling of the name stays; only the entry's fields follow the dialog.
    records->Edit();
  }
  for (const Field field : kFields) records->SetValue(ColumnName(field), borrower.Text(field));
  records->Update();
  CloseRecords(records);
}

}  // namespace

DVDQuery DVDQuery::List() {
  return DVDQuery(kWholeTable + QStringLiteral(" Order By Inventory.Status DESC, "
                                               "Inventory.DueDate, Inventory.DVDTitle"),
                  QString());
}

DVDQuery DVDQuery::Where(const QString& clause) {
  return DVDQuery(kWholeTable + QStringLiteral(" Where ") + clause +
                      QStringLiteral(" Order By Inventory.DVDTitle"),
                  clause);
}

std::vector<qint64> DVDQuery::Ids() const {
  // The whole list comes in its order from the list's own index.
  if (clause_.isEmpty()) return ListOrderIds();
  Statement statement =
      InventoryDatabase()->Prepare(QStringLiteral("Select Inventory.rowid From Inventory Where ") +
                                       clause_ + QStringLiteral(" Order By Inventory.DVDTitle"),
                                   QStringLiteral("Inventory"));
  std::vector<qint64> ids;
  while (statement.Step()) ids.push_back(statement.Int64(0));
  return ids;
}

std::vector<ListColumn> ListColumns() {
  using namespace DatabaseFunctions;
  const DatabaseHandle db = InventoryDatabase();
  // The columns of "Select Inventory.*" are the table's own, in its order; reading them from the
  // table's definition spares running that query over the whole collection.
  const std::optional<TableDef> table = FindTableDef(db, QStringLiteral("Inventory"));
  std::vector<ListColumn> columns;
  if (!table) return columns;
  const QString owner = QStringLiteral("Inventory");
  for (const FieldDef& field : table->fields) {
    if (!FieldProperty(db, owner, field.name, QStringLiteral("ShowInList")).toBool()) continue;
    // A column stored as "dvdtitle" by another tool is still the program's DVDTitle.
    const QString key = ColumnOfField(FieldOfColumn(field.name));
    columns.push_back(
        {key.isEmpty() ? field.name : key,
         FieldProperty(db, owner, field.name, QStringLiteral("VisibleName")).toString()});
  }
  return columns;
}

namespace {

void ReadRecords(const QString& sql, const std::vector<DVDField>& wanted, bool textOnly,
                 const std::function<void(qint64, const DVDRecord&)>& row) {
  RecordsetPtr records = Open(sql);
  if (NoRecords(records)) {
    CloseRecords(records);
    return;
  }
  auto isWanted = [&wanted](DVDField field) {
    return std::find(wanted.begin(), wanted.end(), field) != wanted.end();
  };
  // Field positions are looked up once, by name; a field nobody shows is never read.
  auto optional = [&](DVDField field) {
    return isWanted(field) ? RequireField(*records, ColumnOfField(field)) : -1;
  };
  // A sort by a text column reads neither status nor dates: parsing two dates per row would
  // cost more than the rest.
  const bool loan = !textOnly || isWanted(DVDField::Status) || isWanted(DVDField::Date) ||
                    isWanted(DVDField::DueDate);
  auto loanField = [&](const char* name) {
    return loan ? RequireField(*records, QLatin1String(name)) : -1;
  };
  const int title = RequireField(*records, QStringLiteral("DVDTitle"));
  const int status = loanField("Status");
  const int outDate = loanField("Date");
  const int dueDate = loanField("DueDate");
  const int category = optional(DVDField::Category);
  const int starring = optional(DVDField::Starring);
  const int rated = optional(DVDField::Rated);
  const int name = optional(DVDField::Name);
  const int description = optional(DVDField::Description);
  const int barCode = optional(DVDField::BarCode);
  auto text = [&](int index) { return index < 0 ? QString() : records->Text(index); };

  DVDRecord dvd;
  // The walk needs no exact count up front; asking for one would run the sorted query again.
  for (; !records->Eof(); records->MoveNext()) {
    dvd.title = records->Text(title);
    dvd.category = text(category);
    dvd.starring = text(starring);
    dvd.rated = text(rated);
    dvd.name = text(name);
    if (loan) {
      dvd.status = records->Long(status);
      dvd.outDate = records->Date(outDate);
      dvd.dueDate = records->Date(dueDate);
    }
    dvd.description = text(description);
    dvd.barCode = text(barCode);
    row(records->RowId(), dvd);
  }
  CloseRecords(records);
}

}  // namespace

void ReadDVDs(const DVDQuery& query, const std::vector<DVDField>& wanted,
              const std::function<void(const DVDRecord&)>& row) {
  ReadRecords(query.Sql(), wanted, false, [&row](qint64, const DVDRecord& dvd) { row(dvd); });
}

void ReadDVDsById(const std::vector<qint64>& ids, const std::vector<DVDField>& wanted,
                  const std::function<void(qint64, const DVDRecord&)>& row) {
  if (ids.empty()) return;
  QStringList numbers;
  numbers.reserve(qsizetype(ids.size()));
  for (const qint64 id : ids) numbers << QString::number(id);
  ReadRecords(
      kWholeTable + QStringLiteral(" Where Inventory.rowid In (") + numbers.join(u',') + u')',
      wanted, false, row);
}

void ReadAllDVDs(const std::vector<DVDField>& wanted,
                 const std::function<void(qint64, const DVDRecord&)>& row) {
  ReadRecords(kWholeTable, wanted, true, row);
}

std::optional<DVDRecord> FindDVD(const QString& title) {
  RecordsetPtr records = Open(kWholeRowOfTitle + SqlText(title));
  std::optional<DVDRecord> found;
  // The first matching row is current right after opening; counting the matches first would
  // read the whole table once more.
  if (!NoRecords(records)) {
    DVDRecord dvd;
    dvd.title = records->Text(QStringLiteral("DVDTitle"));
    dvd.category = records->Text(QStringLiteral("Category"));
    dvd.starring = records->Text(QStringLiteral("Starring"));
    dvd.rated = records->Text(QStringLiteral("Rated"));
    dvd.status = records->Long(QStringLiteral("Status"));
    dvd.name = records->Text(QStringLiteral("Name"));
    dvd.outDate = records->Date(QStringLiteral("Date"));
    dvd.dueDate = records->Date(QStringLiteral("DueDate"));
    dvd.description = records->Text(QStringLiteral("Description"));
    dvd.barCode = records->Text(QStringLiteral("BarCode"));
    found = std::move(dvd);
  }
  CloseRecords(records);
  return found;
}

bool IsDVD(const QString& barCode) {
  RecordsetPtr records =
      Open(QStringLiteral("Select Inventory.BarCode From Inventory Where Inventory.BarCode = ") +
           SqlText(barCode));
  const bool found = !NoRecords(records);
  CloseRecords(records);
  return found;
}

std::optional<QString> TitleOfBarCode(const QString& barCode) {
  RecordsetPtr records = Open(QStringLiteral("Select Inventory.DVDTitle, Inventory.BarCode From "
                                             "Inventory Where Inventory.BarCode = ") +
                              SqlText(barCode));
  std::optional<QString> title;
  if (!NoRecords(records)) title = records->Text(QStringLiteral("DVDTitle"));
  CloseRecords(records);
  return title;
}

std::optional<LoanState> FindLoanState(const QString& title) {
  RecordsetPtr records = Open(kLoanStateOfTitle + SqlText(title));
  std::optional<LoanState> state;
  if (!NoRecords(records)) {
    state =
        LoanState{records->Text(QStringLiteral("DVDTitle")),
                  records->Long(QStringLiteral("Status")), records->Text(QStringLiteral("Name"))};
  }
  CloseRecords(records);
  return state;
}

QStringList DistinctValues(DVDField field) { return DistinctValues(field, InventoryDatabase()); }

QStringList DistinctValues(DVDField field, const DatabaseHandle& db) {
  QString sql;
  switch (field) {
    case DVDField::Category:
      sql = QStringLiteral(
          "Select Inventory.Category From Inventory Group By Category Order By "
          "Category");
      break;
    case DVDField::Rated:
      sql = QStringLiteral("Select Inventory.Rated From Inventory Group By Rated Order By Rated");
      break;
    case DVDField::Starring:
      sql = QStringLiteral(
          "Select Inventory.Starring From Inventory Group By Starring Order By "
          "Starring");
      break;
    case DVDField::Title:
      sql = QStringLiteral(
          "Select Inventory.DVDTitle From Inventory Group By Inventory.DVDTitle "
          "Order By Inventory.DVDTitle");
      break;
    default:
      return {};
  }
  QStringList values;
  RecordsetPtr records = OpenRecords(sql, db);
  for (; !records->Eof(); records->MoveNext()) {
    const QString value = records->Text(0);
    if (!value.isEmpty()) values << value;
  }
  CloseRecords(records);
  return values;
}

void AddDVD(const DVDRecord& dvd) {
  RecordsetPtr records = Open(kWholeTable);
  records->AddNew();
  WriteCatalogueFields(*records, dvd);
  CloseRecords(records);
}

bool UpdateDVD(const QString& title, const DVDRecord& dvd) {
  RecordsetPtr records = Open(kWholeRowOfTitle + SqlText(title));
  const bool found = !NoRecords(records);
  if (found) {
    records->Edit();
    WriteCatalogueFields(*records, dvd);
  }
  CloseRecords(records);
  return found;
}

bool DeleteDVD(const QString& title) {
  Transaction transaction(InventoryDatabase());
  RecordsetPtr records = Open(kWholeRowOfTitle + SqlText(title));
  const bool found = !NoRecords(records);
  for (; !records->Eof(); records->MoveNext()) records->Delete();
  CloseRecords(records);
  transaction.Commit();
  return found;
}

bool LendDVD(const QString& title, const CustomerFunctions::Customer& borrower,
             const QDate& outDate, const QDate& dueDate) {
  Transaction transaction(InventoryDatabase());
  RecordsetPtr records = Open(kWholeRowOfTitle + SqlText(title));
  if (NoRecords(records)) {
    CloseRecords(records);
    return false;
  }
  records->Edit();
  records->SetValue(QStringLiteral("Name"), borrower.name);
  records->SetValue(QStringLiteral("Status"), qint32(Loaned));
  records->SetValue(QStringLiteral("Date"), outDate);
  records->SetValue(QStringLiteral("DueDate"), dueDate);
  records->Update();
  CloseRecords(records);
  SaveBorrower(borrower);
  transaction.Commit();
  return true;
}

bool ReturnDVD(const QString& title) {
  RecordsetPtr records = Open(kLoanStateOfTitle + SqlText(title));
  const bool found = !NoRecords(records);
  if (found) {
    records->Edit();
    records->SetValue(QStringLiteral("Status"), qint32(InStock));
    records->SetValue(QStringLiteral("Name"), QString(u""_qs));
    records->Update();
  }
  CloseRecords(records);
  return found;
}

bool TitleTakenByAnother(const QString& title, const QString& editedTitle) {
  RecordsetPtr records = Open(kWholeRowOfTitle + SqlText(title));
  int found = 0;
  bool editedFound = false;
  const QByteArray edited = editedTitle.toUtf8();
  for (; !records->Eof() && found < 2; records->MoveNext()) {
    ++found;
    // The engine's own text equality decides whether the row found is the edited DVD.
    const QByteArray stored = records->Text(QStringLiteral("DVDTitle")).toUtf8();
    if (JetDialect::CompareNoCase(stored.constData(), int(stored.size()), edited.constData(),
                                  int(edited.size())) == 0) {
      editedFound = true;
    }
  }
  CloseRecords(records);
  return found > 1 || (found == 1 && !editedFound);
}

bool SameTitle(const QString& a, const QString& b) { return CompareText(a, b) == 0; }

InventoryMark CurrentInventoryMark() {
  // A connection opened where a closed one stood may have its address; it still gets a new
  // number, since the old one's handle has expired by then.
  static std::weak_ptr<Database> numbered;
  static quint64 number = 0;
  // Rows of Inventory written on the numbered connection. Writes to the other tables (a saved
  // layout, a phone book entry) leave every view of the DVDs as it is.
  static qint64 inventoryChanges = 0;
  const DatabaseHandle db = InventoryDatabase();
  if (!db || !db->IsOpen()) return {};
  if (numbered.expired() || numbered.lock() != db) {
    numbered = db;
    ++number;
    inventoryChanges = 0;
    constexpr auto kCount = [](void* changes, int, const char* database, const char* table,
                               sqlite3_int64) {
      if (std::strcmp(database, "main") == 0 && sqlite3_stricmp(table, "Inventory") == 0) {
        ++*static_cast<qint64*>(changes);
      }
    };
    sqlite3_update_hook(db->Handle(), kCount, &inventoryChanges);
  }
  return {number, inventoryChanges,
          db->QueryNumber(QStringLiteral("PRAGMA data_version"), QStringLiteral("Inventory"))};
}

int CompareText(const QString& a, const QString& b) {
  const QByteArray left = a.toUtf8();
  const QByteArray right = b.toUtf8();
  return JetDialect::CompareNoCase(left.constData(), int(left.size()), right.constData(),
                                   int(right.size()));
}

std::optional<QString> DistinctValueOf(DVDField field, const QString& value) {
  const QString column = ColumnOfField(field);
  if (field != DVDField::Category && field != DVDField::Rated && field != DVDField::Starring &&
      field != DVDField::Title) {
    return std::nullopt;
  }
  // The choice list's own statement, narrowed to the one group.
  RecordsetPtr records =
      Open(QStringLiteral("Select Inventory.%1 From Inventory Where Inventory.%1 = ").arg(column) +
           SqlText(value) + QStringLiteral(" Group By %1").arg(column));
  std::optional<QString> shown;
  if (!NoRecords(records)) shown = records->Text(0);
  CloseRecords(records);
  return shown;
}

}  // namespace InventoryFunctions
