#include "ui/main/MainToolbar.h"

#include <QAction>
#include <QIcon>
#include <QMainWindow>
#include <QToolBar>
#include <array>

#include "ui/main/InventoryCommands.h"

namespace MainToolbar {
namespace {

struct Entry {
  const char* key;
  const char* caption;
  const char* tooltip;
  const char* description;
  void (*run)(InventoryCommands*);
};

// In their order on the bar.
constexpr std::array<Entry, 9> kEntries = {{
    {"AddDVD", "Add DVD", "Add A New DVD Title To Your Collection.",
     "Adds a DVD to the list of available DVDs.", [](InventoryCommands* c) { c->AddDVD(); }},
    {"EditDVD", "Edit DVD", "Edit The Selected DVD's Information.",
     "Allows you to  edit the DVDs title or description.",
     [](InventoryCommands* c) { c->EditDVD(); }},
    {"DelDVD", "Del DVD", "Delete The Selected DVD From Your List.",
     "Deletes a DVD from the list of available DVDs.",
     [](InventoryCommands* c) { c->DeleteDVD(); }},
    {"LoanDVD", "Return DVD", "Loan Or Return The Selected DVD.",
     "Loans the selected DVD to someone.", [](InventoryCommands* c) { c->LoanDVD(); }},
    {"EditLoan", "Edit Loan", "Change The Selected DVD's Loaned Info.",
     "Allows you to edit the loan info.", [](InventoryCommands* c) { c->EditLoan(); }},
    {"StatusReport", "Status", "How Many DVDs Do You Have And Where Are They?",
     "Gets the status report.", [](InventoryCommands* c) { c->GetStatus(); }},
    {"PhoneBook", "Phone Book", "Open Your Phone Book.", "Loads the phone book window.",
     [](InventoryCommands* c) { c->GoPhoneBook(); }},
    {"Search", "Search", "Search For Any Stored Information.", "Opens the DVD Search Window.",
     [](InventoryCommands* c) { c->SearchForDVD(); }},
    {"About", "About", "Who Is Pelwyn And Where Can I Get More CooL Stuff?",
     "Opens the About Window.", [](InventoryCommands* c) { c->About(); }},
}};

}  // namespace

QToolBar* Build(QMainWindow* window, InventoryCommands* commands) {
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
    action->setToolTip(QString::fromUtf8(entry.tooltip));
    QWidget* button = toolbar->widgetForAction(action);
    button->setObjectName(key);
    button->setAccessibleDescription(QString::fromUtf8(entry.description));
    QObject::connect(action, &QAction::triggered, commands,
                     [commands, run = entry.run] { run(commands); });
  }
  return toolbar;
}

}  // namespace MainToolbar
