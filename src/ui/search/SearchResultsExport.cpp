// The search dialog's "Export Results...": the DVDs found, as the list shows them, saved as CSV.
#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QShortcut>

#include "exchange/CollectionExport.h"
#include "seams/FileChooser.h"
#include "ui/common/DVDListModel.h"
#include "ui/common/DVDListView.h"
#include "ui/common/ExportSaving.h"
#include "ui/search/SearchFrm.h"

void SearchFrm::AddExportAction() {
  exportResults_ = new QAction(QStringLiteral("E&xport Results..."), this);
  exportResults_->setObjectName(QStringLiteral("ExportResults"));
  exportResults_->setStatusTip(
      QStringLiteral("Saves the DVDs found, in the list's order, as a CSV file."));
  exportResults_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  exportResults_->setEnabled(false);
  // Anywhere in the dialog, as its buttons' keys are.
  addAction(exportResults_);
  connect(exportResults_, &QAction::triggered, this, &SearchFrm::ExportResults);
  // Nothing to save before a search has found something.
  DVDListModel* model = results_->Model();
  const auto follow = [this, model] { exportResults_->setEnabled(model->rowCount() > 0); };
  connect(model, &QAbstractItemModel::modelReset, this, follow);
  connect(model, &QAbstractItemModel::rowsInserted, this, follow);
  connect(model, &QAbstractItemModel::rowsRemoved, this, follow);

  auto* menu = new QMenu(this);
  menu->setObjectName(QStringLiteral("ResultsMenu"));
  menu->setAccessibleName(QStringLiteral("Search Results"));
  menu->addAction(exportResults_);
  // The dialog's status bar shows the item's hint, as it does the controls'.
  connect(menu, &QMenu::hovered, this,
          [this](const QAction* action) { Message(action->statusTip()); });
  connect(menu, &QMenu::aboutToHide, this, [this] { Message(QString()); });
  results_->setContextMenuPolicy(Qt::CustomContextMenu);
  results_->setAccessibleDescription(
      QStringLiteral("The context menu (Menu key or Shift+F10) exports the results."));
  const auto popUp = [this, menu](QPoint at) {
    menu->popup(results_->viewport()->mapToGlobal(at));
  };
  connect(results_, &QWidget::customContextMenuRequested, this, popUp);
  // Qt opens context menus with the Menu key only; Shift+F10 does so on other desktops too.
  auto* shiftF10 = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), results_);
  shiftF10->setContext(Qt::WidgetShortcut);
  connect(shiftF10, &QShortcut::activated, this, [this, popUp] {
    const QRect row = results_->visualRect(results_->currentIndex());
    popUp(row.isValid() ? row.bottomLeft() : QPoint(0, 0));
  });
}

void SearchFrm::ExportResults() {
  const QString path = seams::CurrentFileChooser().SaveFile(
      QStringLiteral("Export Results"), QStringLiteral("Search Results.csv"),
      QStringLiteral("CSV files (*.csv);;All files (*)"));
  if (path.isEmpty()) return;
  QByteArray csv;
  const std::vector<qint64> ids = results_->Model()->ShownIds();
  if (!Reported(QStringLiteral("The results could not be read."),
                [&] { csv = CollectionExport::DvdsCsv(CollectionExport::DvdsOfIds(ids)); })) {
    return;
  }
  // In the search's own line, which the hover hints leave alone.
  if (ExportSaving::Save(path, csv, QStringLiteral("results"))) {
    ShowState(QStringLiteral("The results were saved as \"%1\".").arg(path));
  }
}
