#include "ui/common/LoansList.h"

#include <QHeaderView>
#include <QLineEdit>

#include "inventory/DVDRecord.h"
#include "seams/Clock.h"

LoansList::LoansList(QWidget* parent, Of of) : QTreeWidget(parent), of_(of) {
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setHeaderLabels({of == Of::DVD ? QStringLiteral("Borrower") : QStringLiteral("DVD"),
                   QStringLiteral("Out"), QStringLiteral("Due"), QStringLiteral("Returned"),
                   QStringLiteral("Days Late")});
  // Widths from the texts' shapes rather than measured over every row: a DVD lent a thousand
  // times fills at once.
  QHeaderView* columns = header();
  columns->setStretchLastSection(false);
  columns->setSectionResizeMode(QHeaderView::Interactive);
  columns->setSectionResizeMode(0, QHeaderView::Stretch);
  const QFontMetrics metrics = fontMetrics();
  const int dateWidth =
      metrics.horizontalAdvance(InventoryFunctions::ShortDateText(QDate(2000, 12, 28))) +
      3 * metrics.averageCharWidth();
  for (int column = 1; column <= 3; ++column) columns->resizeSection(column, dateWidth);
  columns->resizeSection(
      4, metrics.horizontalAdvance(QStringLiteral("Days Late")) + 3 * metrics.averageCharWidth());
  connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
    if (item) emit Chosen(item->text(0));
  });
}

void LoansList::Show(const std::vector<InventoryFunctions::Loan>& loans, const QDate& today) {
  using namespace InventoryFunctions;
  clear();
  QList<QTreeWidgetItem*> items;
  items.reserve(qsizetype(loans.size()));
  for (const Loan& loan : loans) {
    const int late = DaysLate(loan, today);
    items << new QTreeWidgetItem(
        {of_ == Of::DVD ? loan.name : loan.title, ShortDateText(loan.out), ShortDateText(loan.due),
         loan.IsOpen() ? QStringLiteral("(still out)") : ShortDateText(loan.returned),
         late > 0 ? QString::number(late) : QString()});
  }
  addTopLevelItems(items);
}

LoansRows AddLoansRows(PanelRows::Column& rows, QWidget* panel, LoansList::Of of,
                       const QString& prefix, int rowHeight, int listRows, const QString& hint) {
  LoansRows made;
  made.summary = rows.Add(QStringLiteral("Summary:"), prefix + QStringLiteral("SummaryTxt"),
                          PanelRows::DisplayBox(panel), QString());
  made.list = rows.Add(QStringLiteral("Loans:"), prefix + QStringLiteral("LoansTxt"),
                       new LoansList(panel, of), hint, listRows * rowHeight);
  // A list takes no name from its label: it is given the label's.
  made.list->setAccessibleName(QStringLiteral("Loans:"));
  panel->findChild<QLabel*>(prefix + QStringLiteral("LoansLbl"))
      ->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return made;
}

void ShowBorrowerLoans(Collection& collection, const QString& name, LoansList* list,
                       QLineEdit* summary) {
  if (name.isEmpty()) {
    list->clear();
    summary->clear();
    return;
  }
  const QDate today = seams::Today();
  const auto loans = InventoryFunctions::LoansOfBorrower(collection, name);
  list->Show(loans, today);
  PanelRows::ShowText(summary, InventoryFunctions::BorrowerSummaryText(
                                   InventoryFunctions::Summarize(loans, today)));
}
