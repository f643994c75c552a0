#include "inventory/StatusReport.h"

#include <QHash>
#include <cmath>
#include <functional>
#include <optional>

#include "app/Collection.h"
#include "data/Recordset.h"
#include "inventory/DVDRecord.h"
#include "inventory/InventoryFunctions.h"
#include "inventory/InventoryRecords.h"
#include "inventory/ListOrder.h"
#include "phonebook/CustomerRecords.h"
#include "settings/SettingsManager.h"

namespace InventoryFunctions {
namespace {

constexpr double kDefaultPointSize = 10;
constexpr double kSmallestPointSize = 4;
constexpr double kLargestPointSize = 72;

const QString kTitlesOfStatus =
    QStringLiteral("Select Inventory.DVDTitle From Inventory Where Inventory.Status = ");

// The number of rows a statement gives: exact, and 0 for none.
int Count(Collection& collection, const QString& sql) {
  RecordsetPtr records = OpenRecords(sql, collection.Db());
  int count = 0;
  if (!NoRecords(records)) {
    FetchAllRecords(records);
    count = records->RecordCount();
  }
  CloseRecords(records);
  return count;
}

QString LentClause(Collection& collection, const QDate& today, const char* comparison) {
  // The few lent DVDs found through the list's index, not by reading every DVD.
  const std::optional<QString> lent = OfStatusClause(collection, Loaned);
  return (lent ? *lent + QStringLiteral(" And ") : QString()) +
         QStringLiteral("Inventory.Status = ") + SqlText(qint32(Loaned)) + QStringLiteral(" And ") +
         SqlText(today) + QString::fromLatin1(comparison) + QStringLiteral(" Inventory.DueDate");
}

// Each borrower is looked up once per report: a borrower with several DVDs out would otherwise
// cost a scan of the phone book for every one of them.
class Borrowers {
 public:
  explicit Borrowers(Collection& collection) : collection_(collection) {}
  const std::optional<CustomerFunctions::Customer>& Find(const QString& name) {
    auto found = known_.constFind(name);
    if (found == known_.constEnd())
      found = known_.insert(name, CustomerFunctions::FindCustomer(collection_, name));
    return *found;
  }

 private:
  Collection& collection_;
  QHash<QString, std::optional<CustomerFunctions::Customer>> known_;
};

// One lent DVD: the title, the borrower, and when the borrower is in the phone book the phone
// and (for an overdue loan) the dates and the days overdue.
QString LoanLine(const DVDRecord& dvd, bool overdue, const QDate& today, Borrowers& borrowers,
                 ShortDateTexts& dates) {
  QString line = dvd.title;
  if (!dvd.name.isEmpty()) line += QStringLiteral(", Loaned To: ") + dvd.name;
  const auto& borrower = borrowers.Find(dvd.name);
  if (!borrower) return line;
  const QString& phone = borrower->Text(CustomerFunctions::Field::Phone);
  line += QStringLiteral(", Phone: ") + (phone.isEmpty() ? QStringLiteral("NOT ENTERED") : phone);
  if (overdue) {
    line += QStringLiteral(", Out Date: ") + dates.Text(dvd.outDate.date()) +
            QStringLiteral(", Due Date: ") + dates.Text(dvd.dueDate.date()) +
            QStringLiteral(", Days Overdue: ") + QString::number(dvd.dueDate.date().daysTo(today));
  }
  return line;
}

// The lines of one list of loans, or "None." when the statement gives no DVD.
void AddList(Collection& collection, QStringList& lines, const DVDQuery& query,
             const std::function<QString(const DVDRecord&)>& line) {
  const qsizetype before = lines.size();
  ReadDVDs(collection, query, {DVDField::Name}, [&](const DVDRecord& dvd) { lines << line(dvd); });
  if (lines.size() == before) lines << QStringLiteral("None.");
}

}  // namespace

QStringList StatusReportLines(Collection& collection, const QDate& today) {
  QStringList lines = {QStringLiteral("******* DVD Report *******"), QString(),
                       QStringLiteral("*** Totals ***"), QString()};
  // The counts from the list's index where it is current: each statement below reads the table.
  auto count = [&collection](std::optional<qint32> status, const QString& sql) {
    const std::optional<int> counted = CountOfStatus(collection, status);
    return counted ? *counted : Count(collection, sql);
  };
  const int total = count(std::nullopt, QStringLiteral("Select Inventory.* From Inventory"));
  if (total == 0) {
    lines << QStringLiteral("Total DVDs: 0.");
    return lines;
  }
  lines << QStringLiteral("Total DVDs: ") + QString::number(total);
  lines << QStringLiteral("- Total ") + StatusText(Loaned) + QStringLiteral(": ") +
               QString::number(count(Loaned, kTitlesOfStatus + SqlText(qint32(Loaned))));
  lines << QStringLiteral("- Total Overdue: ") + QString::number(OverdueCount(collection, today));
  // The DVDs in stock, read whole for their list, counted from it: counting them apart would cost
  // nearly as much. Only the titles: most of a large collection is in stock, and reading each
  // row's dates would cost more than the whole list.
  QStringList inStock;
  if (std::optional<QStringList> titles = TitlesInTitleOrder(collection, qint32(InStock))) {
    inStock = std::move(*titles);
  } else {
    RecordsetPtr records = OpenRecords(
        DVDQuery::Where(QStringLiteral("Inventory.Status = ") + SqlText(qint32(InStock))).Sql(),
        collection.Db());
    if (!NoRecords(records)) {
      const int title = records->FieldIndex(QStringLiteral("DVDTitle"));
      for (; !records->Eof(); records->MoveNext()) inStock << records->Text(title);
    }
    CloseRecords(records);
  }
  lines << QStringLiteral("- Total ") + StatusText(InStock) + QStringLiteral(": ") +
               QString::number(inStock.size());
  lines << QString() << QStringLiteral("*** Break Down ***") << QString();

  Borrowers borrowers(collection);
  ShortDateTexts dates;
  lines << QStringLiteral("-- DVDs Overdue --");
  AddList(collection, lines, DVDQuery::Where(LentClause(collection, today, " >")),
          [&](const DVDRecord& dvd) { return LoanLine(dvd, true, today, borrowers, dates); });
  lines << QString() << QStringLiteral("-- DVDs ") + StatusText(Loaned) + QStringLiteral("--");
  AddList(collection, lines, DVDQuery::Where(LentClause(collection, today, " <=")),
          [&](const DVDRecord& dvd) { return LoanLine(dvd, false, today, borrowers, dates); });
  lines << QString() << QStringLiteral("-- DVDs ") + StatusText(InStock) + QStringLiteral("--");
  if (inStock.isEmpty()) {
    lines << QStringLiteral("None.");
  } else {
    lines.append(std::move(inStock));
  }
  return lines;
}

int OverdueCount(Collection& collection, const QDate& today) {
  // At start-up: from the list's index when it is current, without reading every DVD.
  if (const std::optional<int> counted = CountDueBefore(collection, Loaned, today)) return *counted;
  return Count(collection,
               QStringLiteral("Select Inventory.* From Inventory Where ") + SqlText(today) +
                   QStringLiteral(" > Inventory.DueDate And Status = ") + SqlText(qint32(Loaned)));
}

bool HasDVDs(Collection& collection) {
  RecordsetPtr records = OpenRecords(
      QStringLiteral("Select Inventory.DVDTitle From Inventory Limit 1"), collection.Db());
  const bool any = !NoRecords(records);
  CloseRecords(records);
  return any;
}

QStringList InventoryTitles(Collection& collection) {
  if (std::optional<QStringList> ordered = TitlesInTitleOrder(collection, std::nullopt))
    return *ordered;
  QStringList titles;
  RecordsetPtr records = OpenRecords(
      QStringLiteral("Select Inventory.DVDTitle From Inventory Order By Inventory.DVDTitle"),
      collection.Db());
  for (; !records->Eof(); records->MoveNext()) titles << records->Text(0);
  CloseRecords(records);
  return titles;
}

double ReportPointSize(Collection& collection) {
  bool ok = false;
  const double size =
      SettingsManager::ReadSetting(collection, QStringLiteral("ReportFontSize"), kDefaultPointSize)
          .toDouble(&ok);
  if (!ok || !std::isfinite(size) || size < kSmallestPointSize || size > kLargestPointSize) {
    return kDefaultPointSize;
  }
  return size;
}

}  // namespace InventoryFunctions
