#include "ui/main/HistoryPanel.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTreeWidget>

#include "inventory/DVDRecord.h"
#include "inventory/LoanJournal.h"
#include "ui/common/PanelRows.h"

namespace {

const QString kListHint =
    QStringLiteral("Double click a loan to see its borrower in the phone book.");
constexpr int kBorrowerColumn = 0;

}  // namespace

HistoryPanel::HistoryPanel(QWidget* page, int labelWidth) : QFrame(page) {
  setObjectName(QStringLiteral("HistoryFrame"));
  setAccessibleName(QStringLiteral("History"));
  const int rowHeight = QLineEdit().sizeHint().height();
  PanelRows::Column rows(this, labelWidth, rowHeight);
  summaryTxt_ = rows.Add(QStringLiteral("Summary:"), QStringLiteral("SummaryTxt"),
                         PanelRows::DisplayBox(this), QString());
  loansList_ = rows.Add(QStringLiteral("Loans:"), QStringLiteral("LoansTxt"), new QTreeWidget(this),
                        kListHint, 6 * rowHeight);
  // A list takes no name from its label: it is given the label's.
  loansList_->setAccessibleName(QStringLiteral("Loans:"));
  loansList_->setRootIsDecorated(false);
  loansList_->setUniformRowHeights(true);
  loansList_->setHeaderLabels({QStringLiteral("Borrower"), QStringLiteral("Out"),
                               QStringLiteral("Due"), QStringLiteral("Returned"),
                               QStringLiteral("Days Late")});
  // Widths from the texts' shapes rather than measured over every row: a DVD lent a thousand
  // times fills at once.
  QHeaderView* header = loansList_->header();
  header->setStretchLastSection(false);
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setSectionResizeMode(0, QHeaderView::Stretch);
  const QFontMetrics metrics = loansList_->fontMetrics();
  const int dateWidth =
      metrics.horizontalAdvance(InventoryFunctions::ShortDateText(QDate(2000, 12, 28))) +
      3 * metrics.averageCharWidth();
  for (int column = 1; column <= 3; ++column) header->resizeSection(column, dateWidth);
  header->resizeSection(
      4, metrics.horizontalAdvance(QStringLiteral("Days Late")) + 3 * metrics.averageCharWidth());
  findChild<QLabel*>(QStringLiteral("LoansLbl"))->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  const auto choose = [this](QTreeWidgetItem* item) {
    if (item) emit BorrowerChosen(item->text(kBorrowerColumn));
  };
  connect(loansList_, &QTreeWidget::itemActivated, this, choose);
}

void HistoryPanel::Show(const QString& title, const QDate& today) {
  using namespace InventoryFunctions;
  const std::vector<Loan> loans = LoansOfDVD(title);
  loansList_->clear();
  QList<QTreeWidgetItem*> items;
  items.reserve(qsizetype(loans.size()));
  for (const Loan& loan : loans) {
    const int late = DaysLate(loan, today);
    auto* item = new QTreeWidgetItem(
        {loan.name, ShortDateText(loan.out), ShortDateText(loan.due),
         loan.IsOpen() ? QStringLiteral("(still out)") : ShortDateText(loan.returned),
         late > 0 ? QString::number(late) : QString()});
    items << item;
  }
  loansList_->addTopLevelItems(items);
  PanelRows::ShowText(summaryTxt_, DVDSummaryText(Summarize(loans, today)));
}

void HistoryPanel::Clear() {
  loansList_->clear();
  summaryTxt_->clear();
}
