#include "inventory/LoanJournal.h"

#include <algorithm>

#include "app/Collection.h"
#include "data/DatabaseFunctions.h"
#include "data/Recordset.h"
#include "inventory/InventoryFunctions.h"

namespace InventoryFunctions {
namespace {

const QString kTable = QStringLiteral("Loans");
// The file check knows the table as one of the program's and checks its shape.
[[maybe_unused]] const bool kDeclared = DatabaseFunctions::DeclareTable(kTable);

std::function<void()> startHook;

const std::vector<DatabaseFunctions::FieldDef>& Columns() {
  using namespace DatabaseFunctions;
  static const std::vector<FieldDef> columns = {
      {QStringLiteral("LoanID"), dbKey, {}},        {QStringLiteral("DVDTitle"), dbText, QString()},
      {QStringLiteral("Name"), dbText, QString()},  {QStringLiteral("OutDate"), dbDate, {}},
      {QStringLiteral("FirstDueDate"), dbDate, {}}, {QStringLiteral("DueDate"), dbDate, {}},
      {QStringLiteral("ReturnDate"), dbDate, {}},   {QStringLiteral("Reminders"), dbLong, 0},
      {QStringLiteral("LastReminded"), dbDate, {}},
  };
  return columns;
}

const QString kOpenLoanOf = QStringLiteral(" Where Loans.ReturnDate Is Null And Loans.DVDTitle = ");

void Run(Collection& collection, const QString& sql) { collection.Db()->Execute(sql, kTable); }

void AddLoan(Collection& collection, const QString& title, const QString& name, const QDate& out,
             const QDate& due) {
  // Numbered here rather than by the engine: a key column added to an older table is no alias
  // of the rowid.
  Run(collection,
      QStringLiteral("Insert Into Loans (LoanID, DVDTitle, Name, OutDate, FirstDueDate, DueDate) "
                     "Select Coalesce(Max(Loans.LoanID), 0) + 1, %1, %2, %3, %4, %4 From Loans")
          .arg(SqlText(title), SqlText(name), SqlText(out), SqlText(due)));
}

std::vector<Loan> ReadLoans(Collection& collection, const QString& where) {
  RecordsetPtr records =
      OpenRecords(QStringLiteral("Select Loans.* From Loans Where ") + where +
                      QStringLiteral(" Order By Loans.OutDate DESC, Loans.LoanID DESC"),
                  collection.Db());
  std::vector<Loan> loans;
  if (!NoRecords(records)) {
    const int id = records->FieldIndex(QStringLiteral("LoanID"));
    const int title = records->FieldIndex(QStringLiteral("DVDTitle"));
    const int name = records->FieldIndex(QStringLiteral("Name"));
    const int out = records->FieldIndex(QStringLiteral("OutDate"));
    const int firstDue = records->FieldIndex(QStringLiteral("FirstDueDate"));
    const int due = records->FieldIndex(QStringLiteral("DueDate"));
    const int returned = records->FieldIndex(QStringLiteral("ReturnDate"));
    const int reminders = records->FieldIndex(QStringLiteral("Reminders"));
    const int reminded = records->FieldIndex(QStringLiteral("LastReminded"));
    for (; !records->Eof(); records->MoveNext()) {
      Loan loan;
      loan.id = records->Value(id).toLongLong();
      loan.title = records->Text(title);
      loan.name = records->Text(name);
      loan.out = records->Date(out).date();
      loan.firstDue = records->Date(firstDue).date();
      loan.due = records->Date(due).date();
      loan.returned = records->Date(returned).date();
      loan.reminders = records->Long(reminders);
      loan.lastReminded = records->Date(reminded).date();
      loans.push_back(loan);
    }
  }
  CloseRecords(records);
  return loans;
}

}  // namespace

void InitLoanJournal(const DatabaseHandle& db) {
  // The table and its first rows come together or not at all, whoever calls.
  Transaction transaction(db);
  const bool existed = DatabaseFunctions::FindTableDef(db, kTable).has_value();
  const DatabaseFunctions::TableDef table = DatabaseFunctions::EnsureTable(db, kTable, Columns());
  const QString name = QuotedName(table.storedName);
  // Titles and names compare as the program's own letter-case rule has it, which other tools'
  // NOCASE does not share: an index on them would look out of order (damaged) to those tools and
  // could be made so by their writes. Earlier files had two; a scan of the history is cheap.
  db->ExecuteRaw(QStringLiteral("DROP INDEX IF EXISTS LoansByTitle"), kTable);
  db->ExecuteRaw(QStringLiteral("DROP INDEX IF EXISTS LoansByName"), kTable);
  if (!existed) {
    // The DVDs out when the history begins: their loans are the first rows.
    db->Execute(QStringLiteral("Insert Into Loans (DVDTitle, Name, OutDate, FirstDueDate, DueDate) "
                               "Select DVDTitle, Name, Date, DueDate, DueDate From Inventory "
                               "Where Inventory.Status = %1 Order By Inventory.rowid")
                    .arg(qint32(Loaned)),
                kTable);
    if (startHook) startHook();
  }
  transaction.Commit();
}

void SetLoanJournalStartHook(std::function<void()> hook) { startHook = std::move(hook); }

int DaysLate(const Loan& loan, const QDate& today) {
  if (!loan.due.isValid()) return 0;
  const QDate back = loan.IsOpen() ? today : loan.returned;
  return std::max<qint64>(0, loan.due.daysTo(back));
}

int DaysOut(const Loan& loan, const QDate& today) {
  if (!loan.out.isValid()) return 0;
  const QDate back = loan.IsOpen() ? today : loan.returned;
  return std::max<qint64>(0, loan.out.daysTo(back));
}

void JournalLend(Collection& collection, const QString& title, const QString& name,
                 const QDate& out, const QDate& due) {
  JournalReturn(collection, title, out);
  AddLoan(collection, title, name, out, due);
}

void JournalChangeLoan(Collection& collection, const QString& title, const QString& name,
                       const QDate& out, const QDate& due) {
  const DatabaseHandle& db = collection.Db();
  const qint64 open = db->QueryNumber(
      QStringLiteral("Select Count(*) From Loans") + kOpenLoanOf + SqlText(title), kTable);
  if (open == 0) {
    AddLoan(collection, title, name, out, due);
    return;
  }
  Run(collection, QStringLiteral("Update Loans Set Name = %1, OutDate = %2, DueDate = %3")
                          .arg(SqlText(name), SqlText(out), SqlText(due)) +
                      kOpenLoanOf + SqlText(title));
}

void JournalReturn(Collection& collection, const QString& title, const QDate& returned) {
  Run(collection, QStringLiteral("Update Loans Set ReturnDate = ") + SqlText(returned) +
                      kOpenLoanOf + SqlText(title));
}

void JournalRename(Collection& collection, const QString& from, const QString& to) {
  Run(collection, QStringLiteral("Update Loans Set DVDTitle = %1 Where Loans.DVDTitle = %2")
                      .arg(SqlText(to), SqlText(from)));
}

std::vector<Loan> LoansOfDVD(Collection& collection, const QString& title) {
  return ReadLoans(collection, QStringLiteral("Loans.DVDTitle = ") + SqlText(title));
}

std::vector<Loan> LoansOfBorrower(Collection& collection, const QString& name) {
  return ReadLoans(collection, QStringLiteral("Loans.Name = ") + SqlText(name));
}

std::vector<Loan> AllLoans(Collection& collection) {
  return ReadLoans(collection, QStringLiteral("1 = 1"));
}

std::vector<Loan> LoansOut(Collection& collection) {
  return ReadLoans(collection,
                   QStringLiteral("Loans.ReturnDate Is Null And Loans.DVDTitle In (Select "
                                  "Inventory.DVDTitle From Inventory Where Inventory.Status = %1)")
                       .arg(qint32(Loaned)));
}

LoanSummary Summarize(const std::vector<Loan>& loans, const QDate& today) {
  LoanSummary summary;
  for (const Loan& loan : loans) {
    ++summary.loans;
    summary.daysOut += DaysOut(loan, today);
    const int late = DaysLate(loan, today);
    if (late > 0) ++summary.late;
    summary.daysLate += late;
  }
  return summary;
}

QString DVDSummaryText(const LoanSummary& summary) {
  return QStringLiteral("Lent %1 %2, %3 %4 out in all, late %5 %6")
      .arg(summary.loans)
      .arg(summary.loans == 1 ? u"time" : u"times")
      .arg(summary.daysOut)
      .arg(summary.daysOut == 1 ? u"day" : u"days")
      .arg(summary.late)
      .arg(summary.late == 1 ? u"time" : u"times");
}

QString BorrowerSummaryText(const LoanSummary& summary) {
  QString text = QStringLiteral("Borrowed %1, late %2").arg(summary.loans).arg(summary.late);
  if (summary.late > 0) {
    const double average = double(summary.daysLate) / summary.late;
    text += QStringLiteral(", on average %1 days late").arg(QString::number(average, 'g', 3));
  }
  return text;
}

}  // namespace InventoryFunctions
