#include "ui/main/MainToolbar.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <array>

#include "ui/main/CollectionMenu.h"
#include "ui/main/InventoryCommands.h"

namespace MainToolbar {
namespace {

struct Entry {
  const char* key;
  const char* caption;
  const char* tooltip;
  const char* description;
  QKeyCombination shortcut;
  void (*run)(InventoryCommands*);  // nullptr: the button opens the collection menu
};

// In their order on the bar. The keys follow desktop custom (Insert adds, Delete deletes, Ctrl+F
// finds, Ctrl+P leads to printing, Ctrl+R to reminders, F1 to the documentation); none is one the
// list uses itself (Enter, the arrows, Home, End, the page keys, letters). Alt+C opens the
// collection menu as Alt opens a menu bar's menus.
constexpr std::array<Entry, 11> kEntries = {{
    {"AddDVD", "Add DVD", "Add A New DVD Title To Your Collection.",
     "Adds a DVD to the list of available DVDs.", QKeyCombination(Qt::Key_Insert),
     [](InventoryCommands* c) { c->AddDVD(); }},
    {"EditDVD", "Edit DVD", "Edit The Selected DVD's Information.",
     "Allows you to  edit the DVDs title or description.", Qt::CTRL | Qt::Key_E,
     [](InventoryCommands* c) { c->EditDVD(); }},
    {"DelDVD", "Del DVD", "Delete The Selected DVD From Your List.",
     "Deletes a DVD from the list of available DVDs.", QKeyCombination(Qt::Key_Delete),
     [](InventoryCommands* c) { c->DeleteDVD(); }},
    {"LoanDVD", "Return DVD", "Loan Or Return The Selected DVD.",
     "Loans the selected DVD to someone.", Qt::CTRL | Qt::Key_L,
     [](InventoryCommands* c) { c->LoanDVD(); }},
    {"EditLoan", "Edit Loan", "Change The Selected DVD's Loaned Info.",
     "Allows you to edit the loan info.", Qt::CTRL | Qt::SHIFT | Qt::Key_L,
     [](InventoryCommands* c) { c->EditLoan(); }},
    {"StatusReport", "Status", "How Many DVDs Do You Have And Where Are They?",
     "Gets the status report.", Qt::CTRL | Qt::Key_P, [](InventoryCommands* c) { c->GetStatus(); }},
    {"PhoneBook", "Phone Book", "Open Your Phone Book.", "Loads the phone book window.",
     Qt::CTRL | Qt::Key_B, [](InventoryCommands* c) { c->GoPhoneBook(); }},
    {"Search", "Search", "Search For Any Stored Information.", "Opens the DVD Search Window.",
     Qt::CTRL | Qt::Key_F, [](InventoryCommands* c) { c->SearchForDVD(); }},
    {"Collection", "Collection", "Import, Export, Back Up Or Restore Your Whole Collection.",
     "Opens the collection menu: import, export, the calendar, back up and restore.",
     Qt::ALT | Qt::Key_C, nullptr},
    {"Reminders", "Reminders", "Remind Friends Of The DVDs They Should Bring Back.",
     "Opens the Reminders window.", Qt::CTRL | Qt::Key_R,
     [](InventoryCommands* c) { c->GoReminders(); }},
    {"About", "About", "Who Is Pelwyn And Where Can I Get More CooL Stuff?",
     "Opens the About Window.", QKeyCombination(Qt::Key_F1),
     [](InventoryCommands* c) { c->About(); }},
}};

const QString kPlaceName = QStringLiteral("LoanButtonsPlace");

QAction* ActionOf(QToolBar* toolbar, const QString& key) {
  return toolbar->findChild<QAction*>(key, Qt::FindDirectChildrenOnly);
}

// The width a button takes on the bar while shown: its own and the gap after it.
int Room(QToolBar* toolbar, const QString& key) {
  const QWidget* button = toolbar->widgetForAction(ActionOf(toolbar, key));
  return std::max(button->sizeHint().width(), button->minimumWidth()) +
         toolbar->style()->pixelMetric(QStyle::PM_ToolBarItemSpacing, nullptr, toolbar);
}

}  // namespace

QToolBar* Build(Collection& collection, QMainWindow* window, InventoryCommands* commands) {
  auto* toolbar = new QToolBar(window);
  toolbar->setObjectName(QStringLiteral("MainToolbar"));
  toolbar->setAccessibleName(QStringLiteral("Toolbar"));
  toolbar->setMovable(false);
  toolbar->setFloatable(false);
  toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  toolbar->setIconSize(QSize(32, 32));
  toolbar->toggleViewAction()->setEnabled(false);
  window->addToolBar(Qt::TopToolBarArea, toolbar);
  for (const Entry& entry : kEntries) {
    const QString key = QString::fromUtf8(entry.key);
    QAction* action = toolbar->addAction(QIcon(QStringLiteral(":/icons/%1.svg").arg(key)),
                                         QString::fromUtf8(entry.caption));
    action->setObjectName(key);
    action->setShortcut(QKeySequence(entry.shortcut));
    action->setToolTip(QStringLiteral("%1 (%2)").arg(
        QString::fromUtf8(entry.tooltip), action->shortcut().toString(QKeySequence::NativeText)));
    QWidget* button = toolbar->widgetForAction(action);
    button->setObjectName(key);
    button->setAccessibleDescription(QString::fromUtf8(entry.description));
    // Toolbars leave their buttons out of the Tab chain; here they are the only way to some
    // commands without the mouse besides the keys.
    button->setFocusPolicy(Qt::TabFocus);
    if (entry.run) {
      QObject::connect(action, &QAction::triggered, commands,
                       [commands, run = entry.run] { run(commands); });
    } else {
      auto* tool = static_cast<QToolButton*>(button);
      action->setMenu(CollectionMenu::Build(collection, toolbar, window));
      tool->setPopupMode(QToolButton::InstantPopup);
      // The key, and Space on the focused button, open the menu as a click does; the menu is
      // then walked with the arrow keys.
      QObject::connect(action, &QAction::triggered, tool, &QToolButton::showMenu,
                       Qt::QueuedConnection);
    }
    if (key == u"EditLoan") {
      // Stands in for whichever loan buttons are hidden.
      auto* place = new QWidget(toolbar);
      place->setObjectName(kPlaceName);
      place->setFixedHeight(1);
      QAction* placeAction = toolbar->addWidget(place);
      placeAction->setObjectName(kPlaceName);
      placeAction->setVisible(false);
    }
  }
  // "Return DVD" and "Loan DVD" take the same room.
  auto* loan = static_cast<QToolButton*>(toolbar->widgetForAction(ActionOf(toolbar, "LoanDVD")));
  int widest = 0;
  for (const QString& caption : {QStringLiteral("Loan DVD"), QStringLiteral("Return DVD")}) {
    loan->setText(caption);
    widest = std::max(widest, loan->sizeHint().width());
  }
  loan->setText(QStringLiteral("Return DVD"));
  loan->setMinimumWidth(widest);
  return toolbar;
}

void ShareListKeys(QToolBar* toolbar, QWidget* list) {
  for (const char* key : {"AddDVD", "DelDVD"}) {
    QAction* action = ActionOf(toolbar, QString::fromUtf8(key));
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    list->addAction(action);
  }
}

void ShowLoanButtons(QToolBar* toolbar, bool loanShown, const QString& loanCaption,
                     bool editShown) {
  QAction* loan = ActionOf(toolbar, QStringLiteral("LoanDVD"));
  QAction* editLoan = ActionOf(toolbar, QStringLiteral("EditLoan"));
  loan->setText(loanCaption);
  loan->setVisible(loanShown);
  editLoan->setVisible(editShown);
  int room = 0;
  if (!loanShown) room += Room(toolbar, QStringLiteral("LoanDVD"));
  if (!editShown) room += Room(toolbar, QStringLiteral("EditLoan"));
  QAction* place = ActionOf(toolbar, kPlaceName);
  // The place is an item of the bar too, with its own gap after it.
  const int spacing =
      toolbar->style()->pixelMetric(QStyle::PM_ToolBarItemSpacing, nullptr, toolbar);
  if (room > 0) toolbar->widgetForAction(place)->setFixedWidth(room - spacing);
  place->setVisible(room > 0);
}

}  // namespace MainToolbar
