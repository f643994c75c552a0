#pragma once

#include <QDate>
#include <QString>
#include <QTreeWidget>
#include <vector>

#include "inventory/LoanJournal.h"
#include "ui/common/PanelRows.h"

class Collection;
class QLineEdit;

// A list of loans from the loan history, newest first: those of one DVD (each row names its
// borrower) or those of one borrower (each row names the DVD). An open loan shows "(still out)"
// where the return date goes; a late one its days late. Double-click or Enter on a row chooses
// what it names.
class LoansList final : public QTreeWidget {
  Q_OBJECT

 public:
  enum class Of { DVD, Borrower };
  LoansList(QWidget* parent, Of of);

  void Show(const std::vector<InventoryFunctions::Loan>& loans, const QDate& today);

 signals:
  // The borrower (a DVD's loans) or the DVD's title (a borrower's loans) of the row chosen.
  void Chosen(const QString& named);

 private:
  Of of_;
};

// Fills a borrower's list and summary line from the history as it is now; both empty without a
// name.
void ShowBorrowerLoans(Collection& collection, const QString& name, LoansList* list,
                       QLineEdit* summary);

// A summary box and a loans list as two rows of a panel: "Summary:" and "Loans:", named
// prefix + "SummaryTxt" and prefix + "LoansTxt", the list listRows rows high.
struct LoansRows {
  QLineEdit* summary = nullptr;
  LoansList* list = nullptr;
};
LoansRows AddLoansRows(PanelRows::Column& rows, QWidget* panel, LoansList::Of of,
                       const QString& prefix, int rowHeight, int listRows, const QString& hint);
