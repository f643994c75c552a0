// The search dialog's "Export Results...": the DVDs found, as the list shows them, saved as CSV.
#include <QAction>
#include <QContextMenuEvent>
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

namespace {

// Opens the results' menu where the user asked for it: under the pointer for the mouse; at the
// current row with its first item chosen for the keyboard, so that Enter runs it.
class MenuOpener final : public QObject {
 public:
  MenuOpener(DVDListView* list, QMenu* menu) : QObject(list), list_(list), menu_(menu) {
    // The keyboard's request comes to the list, the mouse's to the area that shows the rows.
    list->installEventFilter(this);
    list->viewport()->installEventFilter(this);
  }

  void OpenByKeyboard() {
    const QRect row = list_->visualRect(list_->currentIndex());
    menu_->popup(list_->viewport()->mapToGlobal(row.isValid() ? row.bottomLeft() : QPoint()));
    menu_->setActiveAction(menu_->actions().value(0));
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::ContextMenu) return false;
    const auto* request = static_cast<QContextMenuEvent*>(event);
    if (request->reason() == QContextMenuEvent::Keyboard) {
      OpenByKeyboard();
    } else {
      menu_->popup(request->globalPos());
    }
    return true;
  }

 private:
  DVDListView* list_;
  QMenu* menu_;
};

}  // namespace

void SearchFrm::AddExportAction() {
  exportResults_ = new QAction(QStringLiteral("E&xport Results..."), this);
  exportResults_->setObjectName(QStringLiteral("ExportResults"));
  exportResults_->setStatusTip(
      QStringLiteral("Saves the DVDs found, in the list's order, as a CSV file."));
  exportResults_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
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
  results_->setAccessibleDescription(
      QStringLiteral("The context menu (Menu key or Shift+F10) exports the results."));
  auto* opener = new MenuOpener(results_, menu);
  // Qt opens context menus with the Menu key only; Shift+F10 does so on other desktops too.
  auto* shiftF10 = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), results_);
  shiftF10->setContext(Qt::WidgetShortcut);
  connect(shiftF10, &QShortcut::activated, opener, &MenuOpener::OpenByKeyboard);
}

void SearchFrm::ExportResults() {
  const QString path = seams::CurrentFileChooser().SaveFile(
      QStringLiteral("Export Results"), QStringLiteral("Search Results.csv"),
      QStringLiteral("CSV files (*.csv);;All files (*)"));
  if (path.isEmpty()) return;
  QByteArray csv;
  const std::vector<qint64> ids = results_->Model()->ShownIds();
  if (!Reported(QStringLiteral("The results could not be read."), [&] {
        csv = CollectionExport::DvdsCsv(CollectionExport::DvdsOfIds(collection_, ids));
      })) {
    return;
  }
  // In the search's own line, which the hover hints leave alone.
  if (ExportSaving::Save(path, csv, QStringLiteral("results"))) {
    ShowState(QStringLiteral("The results were saved as \"%1\".").arg(path));
  }
}
