#include "inventory/InventoryRecords.h"

#include <sqlite3.h>

#include <algorithm>

#include "app/Collection.h"
#include "app/DatabaseError.h"
#include "data/DatabaseFunctions.h"
#include "data/JetDialect.h"
#include "data/Recordset.h"
#include "data/Statement.h"
#include "inventory/InventoryFunctions.h"
#include "inventory/ListOrder.h"
#include "inventory/TitleIndex.h"

namespace InventoryFunctions {
namespace {

const QString kWholeRowOf = QStringLiteral("Select Inventory.* From Inventory Where ");
const QString kWholeTable = QStringLiteral("Select Inventory.* From Inventory");
const QString kLoanStateOf = QStringLiteral(
    "Select Inventory.DVDTitle, Inventory.Status, Inventory.Name From Inventory Where ");

RecordsetPtr Open(Collection& collection, const QString& sql) {
  return OpenRecords(sql, collection.Db());
}

int RequireField(const Recordset& records, const QString& name) {
  const int index = records.FieldIndex(name);
  if (index < 0) {
    throw DatabaseError(SQLITE_ERROR,
                        QStringLiteral("Item not found in this collection: %1").arg(name),
                        QStringLiteral("Recordset"));
  }
  return index;
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

std::vector<qint64> DVDQuery::Ids(Collection& collection) const {
  // The whole list comes in its order from the list's own index.
  if (clause_.isEmpty()) return ListOrderIds(collection);
  QString clause = clause_;
  // Rows come in rowid order either way, so the sort meets the same rows in the same order.
  if (const std::optional<QString> narrowing =
          titlePattern_.isEmpty() ? std::nullopt : TitleIndex::Narrowing(collection, titlePattern_))
    clause = *narrowing + QStringLiteral(" And (") + clause + u')';
  Statement statement =
      collection.Db()->Prepare(QStringLiteral("Select Inventory.rowid From Inventory Where ") +
                                   clause + QStringLiteral(" Order By Inventory.DVDTitle"),
                               QStringLiteral("Inventory"));
  std::vector<qint64> ids;
  while (statement.Step()) ids.push_back(statement.Int64(0));
  return ids;
}

std::vector<ListColumn> ListColumns(Collection& collection) {
  using namespace DatabaseFunctions;
  const DatabaseHandle& db = collection.Db();
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

void ReadRecords(Collection& collection, const QString& sql, const std::vector<DVDField>& wanted,
                 bool textOnly, const std::function<void(qint64, const DVDRecord&)>& row) {
  RecordsetPtr records = Open(collection, sql);
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

void ReadDVDs(Collection& collection, const DVDQuery& query, const std::vector<DVDField>& wanted,
              const std::function<void(const DVDRecord&)>& row) {
  ReadRecords(collection, query.Sql(), wanted, false,
              [&row](qint64, const DVDRecord& dvd) { row(dvd); });
}

void ReadDVDsById(Collection& collection, const std::vector<qint64>& ids,
                  const std::vector<DVDField>& wanted,
                  const std::function<void(qint64, const DVDRecord&)>& row) {
  if (ids.empty()) return;
  QStringList numbers;
  numbers.reserve(qsizetype(ids.size()));
  for (const qint64 id : ids) numbers << QString::number(id);
  ReadRecords(
      collection,
      kWholeTable + QStringLiteral(" Where Inventory.rowid In (") + numbers.join(u',') + u')',
      wanted, false, row);
}

void ReadAllDVDs(Collection& collection, const std::vector<DVDField>& wanted,
                 const std::function<void(qint64, const DVDRecord&)>& row) {
  ReadRecords(collection, kWholeTable, wanted, true, row);
}

std::optional<DVDRecord> FindDVD(Collection& collection, const QString& title) {
  RecordsetPtr records = Open(collection, kWholeRowOf + TitleCondition(collection, title));
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

QString ScanForm(const QString& barCode) {
  QString letters;
  for (const QChar c : barCode) {
    if (c.isLetterOrNumber() && c.unicode() < 0x80) letters += c;
  }
  return letters;
}

namespace {

// Bar codes typed with dashes or blanks are stored as typed but compared as a scan gives them,
// else a typed "0251-9205" and a scanned "02519205" would be two DVDs that one scan cannot tell
// apart. A code with no letter or digit is no bar code.
RecordsetPtr OpenByBarCode(Collection& collection, const QString& barCode) {
  const QString key = ScanForm(barCode);
  return Open(collection,
              QStringLiteral("Select Inventory.DVDTitle, Inventory.BarCode From Inventory Where ") +
                  (key.isEmpty() ? QStringLiteral("0") : BarCodeCondition(collection, key)));
}

}  // namespace

bool IsDVD(Collection& collection, const QString& barCode) {
  RecordsetPtr records = OpenByBarCode(collection, barCode);
  const bool found = !NoRecords(records);
  CloseRecords(records);
  return found;
}

std::optional<QString> TitleOfBarCode(Collection& collection, const QString& barCode) {
  RecordsetPtr records = OpenByBarCode(collection, barCode);
  std::optional<QString> title;
  if (!NoRecords(records)) title = records->Text(QStringLiteral("DVDTitle"));
  CloseRecords(records);
  return title;
}

std::optional<LoanState> FindLoanState(Collection& collection, const QString& title) {
  RecordsetPtr records = Open(collection, kLoanStateOf + TitleCondition(collection, title));
  std::optional<LoanState> state;
  if (!NoRecords(records)) {
    state =
        LoanState{records->Text(QStringLiteral("DVDTitle")),
                  records->Long(QStringLiteral("Status")), records->Text(QStringLiteral("Name"))};
  }
  CloseRecords(records);
  return state;
}

QStringList TitlesLentTo(Collection& collection, const QString& name) {
  RecordsetPtr records =
      Open(collection,
           QStringLiteral("Select Inventory.DVDTitle From Inventory Where Inventory.Status = ") +
               SqlText(qint32(Loaned)) + QStringLiteral(" And Inventory.Name = ") + SqlText(name) +
               QStringLiteral(" Order By Inventory.DVDTitle"));
  QStringList titles;
  for (; !records->Eof(); records->MoveNext()) titles << records->Text(QStringLiteral("DVDTitle"));
  CloseRecords(records);
  return titles;
}

QStringList DistinctValues(Collection& collection, DVDField field) {
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
  RecordsetPtr records = Open(collection, sql);
  for (; !records->Eof(); records->MoveNext()) {
    const QString value = records->Text(0);
    if (!value.isEmpty()) values << value;
  }
  CloseRecords(records);
  return values;
}

bool SameTitle(const QString& a, const QString& b) { return CompareText(a, b) == 0; }

InventoryMark CurrentInventoryMark(Collection& collection) {
  const DatabaseHandle& db = collection.Db();
  if (!db || !db->IsOpen()) return {};
  // A connection opened where a closed one stood may have its address; it still gets a new
  // number, since the old one's handle has expired by then. Numbers are never shared between
  // collections.
  struct Numbered {
    std::weak_ptr<Database> connection;
    quint64 number = 0;
  };
  Numbered& numbered = collection.Kept<Numbered>();
  if (numbered.connection.expired() || numbered.connection.lock() != db) {
    static quint64 lastNumber = 0;
    numbered.connection = db;
    numbered.number = ++lastNumber;
    // Rows of Inventory only: writes to the other tables (a saved layout, a phone book entry)
    // leave every view of the DVDs as it is.
    db->CountWritesTo(QStringLiteral("Inventory"));
  }
  return {numbered.number, db->WritesCounted(),
          db->QueryNumber(QStringLiteral("PRAGMA data_version"), QStringLiteral("Inventory"))};
}

int CompareText(const QString& a, const QString& b) {
  const QByteArray left = a.toUtf8();
  const QByteArray right = b.toUtf8();
  return JetDialect::CompareNoCase(left.constData(), int(left.size()), right.constData(),
                                   int(right.size()));
}

}  // namespace InventoryFunctions
