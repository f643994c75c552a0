#include "exchange/CollectionExport.h"

#include <QHash>

#include "exchange/CsvFormat.h"
#include "exchange/DvdCsv.h"
#include "exchange/ImportWrites.h"
#include "exchange/VCard.h"
#include "inventory/InventoryFunctions.h"
#include "inventory/InventoryRecords.h"
#include "inventory/LoanJournal.h"
#include "phonebook/CustomerFunctions.h"
#include "phonebook/CustomerRecords.h"

namespace CollectionExport {
namespace {

using InventoryFunctions::DVDField;
using InventoryFunctions::DVDRecord;

const std::vector<DVDField> kAllFields = {DVDField::Category,    DVDField::Starring,
                                          DVDField::Rated,       DVDField::Name,
                                          DVDField::Description, DVDField::BarCode};

QString Iso(const QDate& date) { return date.isValid() ? date.toString(Qt::ISODate) : QString(); }

std::vector<CustomerFunctions::Customer> Customers(Collection& collection) {
  std::vector<CustomerFunctions::Customer> customers;
  for (const QString& name : CustomerFunctions::BorrowerNames(collection)) {
    if (auto customer = CustomerFunctions::FindCustomer(collection, name))
      customers.push_back(*customer);
  }
  return customers;
}

}  // namespace

std::vector<DVDRecord> AllDvds(Collection& collection) {
  std::vector<DVDRecord> dvds;
  InventoryFunctions::ReadDVDs(collection, InventoryFunctions::DVDQuery::List(), kAllFields,
                               [&dvds](const DVDRecord& dvd) { dvds.push_back(dvd); });
  return dvds;
}

std::vector<DVDRecord> DvdsOfIds(Collection& collection, const std::vector<qint64>& ids) {
  QHash<qint64, DVDRecord> byId;
  byId.reserve(qsizetype(ids.size()));
  InventoryFunctions::ReadDVDsById(
      collection, ids, kAllFields,
      [&byId](qint64 id, const DVDRecord& dvd) { byId.insert(id, dvd); });
  std::vector<DVDRecord> dvds;
  dvds.reserve(ids.size());
  for (const qint64 id : ids) {
    const auto found = byId.find(id);
    if (found != byId.end()) dvds.push_back(std::move(*found));
  }
  return dvds;
}

QByteArray DvdsCsv(const std::vector<DVDRecord>& dvds) {
  CsvFormat::Writer writer;
  writer.AddRow(DvdCsv::Header());
  for (const DVDRecord& dvd : dvds) writer.AddRow(DvdCsv::Fields(dvd));
  return writer.Bytes();
}

QByteArray BorrowersCsv(Collection& collection) {
  CsvFormat::Writer writer;
  writer.AddRow(CustomerFunctions::CustomerColumns());
  for (const CustomerFunctions::Customer& customer : Customers(collection)) {
    // In the order of the columns, whatever the order of the fields.
    QStringList fields{customer.name};
    for (qsizetype column = 1; column < CustomerFunctions::CustomerColumns().size(); ++column) {
      for (const CustomerFunctions::Field field : CustomerFunctions::kFields) {
        if (CustomerFunctions::ColumnName(field) == CustomerFunctions::CustomerColumns()[column]) {
          fields << customer.Text(field);
        }
      }
    }
    writer.AddRow(fields);
  }
  return writer.Bytes();
}

QByteArray BorrowersVCard(Collection& collection) {
  std::vector<VCard::Contact> cards;
  for (const CustomerFunctions::Customer& customer : Customers(collection)) {
    ImportMapping::MappedRow row;
    for (int i = 0; i < int(ImportMapping::BorrowerField::Count); ++i) row.values << QString();
    row.values[int(ImportMapping::BorrowerField::Name)] = customer.name;
    for (const CustomerFunctions::Field field : CustomerFunctions::kFields) {
      row.values[int(ImportWrites::BorrowerFieldOf(field))] = customer.Text(field);
    }
    cards.push_back(VCard::FromBorrower(row));
  }
  return VCard::Write(cards, VCard::Version::V3);
}

QByteArray LoanHistoryCsv(Collection& collection, const QDate& today) {
  CsvFormat::Writer writer;
  writer.AddRow({QStringLiteral("DVDTitle"), QStringLiteral("Name"), QStringLiteral("OutDate"),
                 QStringLiteral("FirstDueDate"), QStringLiteral("DueDate"),
                 QStringLiteral("ReturnDate"), QStringLiteral("DaysLate"),
                 QStringLiteral("Reminders"), QStringLiteral("LastReminded")});
  for (const InventoryFunctions::Loan& loan : InventoryFunctions::AllLoans(collection)) {
    writer.AddRow({loan.title, loan.name, Iso(loan.out), Iso(loan.firstDue), Iso(loan.due),
                   Iso(loan.returned), QString::number(InventoryFunctions::DaysLate(loan, today)),
                   QString::number(loan.reminders), Iso(loan.lastReminded)});
  }
  return writer.Bytes();
}

QStringList CatalogueHeader() {
  return {QStringLiteral("Title"),    QStringLiteral("Category"), QStringLiteral("Rated"),
          QStringLiteral("Starring"), QStringLiteral("Status"),   QStringLiteral("Due Date")};
}

QStringList CatalogueCells(const DVDRecord& dvd, const QDate& today) {
  const bool out = dvd.status != InventoryFunctions::InStock;
  return {dvd.title,
          dvd.category,
          dvd.rated,
          dvd.starring,
          InventoryFunctions::DetailStatusText(dvd, today),
          out ? InventoryFunctions::ShortDateText(dvd.dueDate.date()) : QString()};
}

QByteArray CatalogueHtml(const std::vector<DVDRecord>& dvds, const QDate& today) {
  QString html = QStringLiteral(
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<title>DVD Catalogue</title>\n<style>\n"
      "body { font-family: sans-serif; margin: 2em; }\n"
      "table { border-collapse: collapse; width: 100%; }\n"
      "th, td { border-bottom: 1px solid #ccc; padding: 0.3em 0.6em; text-align: left; "
      "vertical-align: top; }\n"
      "th { background: #eee; }\n"
      "</style>\n</head>\n<body>\n<h1>DVD Catalogue</h1>\n");
  html += QStringLiteral("<p>%1 DVDs, %2</p>\n<table>\n<thead><tr>")
              .arg(dvds.size())
              .arg(InventoryFunctions::ShortDateText(today));
  for (const QString& caption : CatalogueHeader()) {
    html += QStringLiteral("<th>") + caption + QStringLiteral("</th>");
  }
  html += QStringLiteral("</tr></thead>\n<tbody>\n");
  for (const DVDRecord& dvd : dvds) {
    html += QStringLiteral("<tr>");
    for (const QString& cell : CatalogueCells(dvd, today)) {
      html += QStringLiteral("<td>") + cell.toHtmlEscaped() + QStringLiteral("</td>");
    }
    html += QStringLiteral("</tr>\n");
  }
  html += QStringLiteral("</tbody>\n</table>\n</body>\n</html>\n");
  return html.toUtf8();
}

std::vector<LoanCalendar::Loan> CalendarLoans(Collection& collection) {
  std::vector<LoanCalendar::Loan> loans;
  for (const InventoryFunctions::Loan& loan : InventoryFunctions::LoansOut(collection)) {
    loans.push_back({QString::number(loan.id), loan.title, loan.name, loan.due});
  }
  return loans;
}

}  // namespace CollectionExport
