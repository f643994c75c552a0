#include "ui/main/HistoryPanel.h"

#include <QLineEdit>

#include "app/Collection.h"
#include "inventory/LoanJournal.h"
#include "ui/common/LoansList.h"
#include "ui/common/PanelRows.h"

HistoryPanel::HistoryPanel(Collection& collection, QWidget* page, int labelWidth)
    : QFrame(page), collection_(collection) {
  setObjectName(QStringLiteral("HistoryFrame"));
  setAccessibleName(QStringLiteral("History"));
  const int rowHeight = QLineEdit().sizeHint().height();
  PanelRows::Column rows(this, labelWidth, rowHeight);
  const LoansRows made =
      AddLoansRows(rows, this, LoansList::Of::DVD, QString(), rowHeight, 6,
                   QStringLiteral("Double click a loan to see its borrower in the phone book."));
  summaryTxt_ = made.summary;
  loansList_ = made.list;
  connect(loansList_, &LoansList::Chosen, this, &HistoryPanel::BorrowerChosen);
}

void HistoryPanel::Show(const QString& title, const QDate& today) {
  using namespace InventoryFunctions;
  const std::vector<Loan> loans = LoansOfDVD(collection_, title);
  loansList_->Show(loans, today);
  PanelRows::ShowText(summaryTxt_, DVDSummaryText(Summarize(loans, today)));
}

void HistoryPanel::Clear() {
  loansList_->clear();
  summaryTxt_->clear();
}
