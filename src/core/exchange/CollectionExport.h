#pragma once

#include <QByteArray>
#include <QDate>
#include <QStringList>
#include <vector>

#include "exchange/LoanCalendar.h"
#include "inventory/DVDRecord.h"

class Collection;

// What the collection hands to other programs: the DVDs, borrowers and loan history as tables
// and cards, a catalogue to read or print, the open loans for a calendar. Each is built whole in
// memory and saved by the caller through ExchangeFile, so that a failed save leaves nothing half
// written.
namespace CollectionExport {

// Every DVD with all its fields, in the DVD list's own order.
std::vector<InventoryFunctions::DVDRecord> AllDvds(Collection& collection);
// The DVDs of those rowids in the order given (the list as the user sees it, sorted or found); a
// DVD deleted meanwhile is left out.
std::vector<InventoryFunctions::DVDRecord> DvdsOfIds(Collection& collection,
                                                     const std::vector<qint64>& ids);

// The program's own CSV: a header of the Inventory column names, one row per DVD (DvdCsv).
QByteArray DvdsCsv(const std::vector<InventoryFunctions::DVDRecord>& dvds);

// The phone book as a table under the Customers column names, and as vCard 3.0 cards.
QByteArray BorrowersCsv(Collection& collection);
QByteArray BorrowersVCard(Collection& collection);

// One row per loan, newest first: title, borrower, the dates (ISO 8601), days late.
QByteArray LoanHistoryCsv(Collection& collection, const QDate& today);

// The catalogue's columns, in the order they are printed.
QStringList CatalogueHeader();
// One DVD's catalogue cells: title, category, rated, starring, status, and the due date of a
// DVD that is out.
QStringList CatalogueCells(const InventoryFunctions::DVDRecord& dvd, const QDate& today);
// The catalogue as one HTML page with nothing outside it to load.
QByteArray CatalogueHtml(const std::vector<InventoryFunctions::DVDRecord>& dvds,
                         const QDate& today);

// The loans now out, as calendar events keyed by the history's own loan key.
std::vector<LoanCalendar::Loan> CalendarLoans(Collection& collection);

}  // namespace CollectionExport
