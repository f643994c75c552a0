#include "ui/main/CollectionMenu.h"

#include <QAction>
#include <QMenu>
#include <array>

#include "ui/main/BackupCommands.h"
#include "ui/main/CollectionCommands.h"

namespace CollectionMenu {
namespace {

struct Entry {
  const char* key;  // nullptr: a separator
  const char* caption;
  const char* description;
  void (*run)(Collection& collection, QWidget* window);
};

// In their order in the menu.
constexpr std::array<Entry, 11> kEntries = {{
    {"ImportDVDs", "&Import DVDs...",
     "Adds the DVDs of a CSV file another program or a spreadsheet made.",
     &CollectionCommands::ImportDVDs},
    {"ImportBorrowers", "Import B&orrowers...",
     "Adds the people of a CSV file or an address book's vCard file to the phone book.",
     &CollectionCommands::ImportBorrowers},
    {nullptr, nullptr, nullptr, nullptr},
    {"ExportDVDs", "&Export DVDs...", "Saves the DVDs in the list, in its order, as a CSV file.",
     &CollectionCommands::ExportDVDs},
    {"ExportBorrowers", "Export Borro&wers...",
     "Saves the phone book as a CSV file or as vCard cards for an address book.",
     &CollectionCommands::ExportBorrowers},
    {"ExportLoanHistory", "Export Loan &History...", "Saves every loan as a CSV file.",
     &CollectionCommands::ExportLoanHistory},
    {"ExportCatalogue", "Export &Catalogue...",
     "Saves the list, in its order, as a web page or a PDF file to read or print.",
     &CollectionCommands::ExportCatalogue},
    {"ExportCalendar", "Export to Calen&dar...",
     "Saves the due dates of the DVDs out as a calendar file, and can keep it up to date.",
     &CollectionCommands::ExportCalendar},
    {nullptr, nullptr, nullptr, nullptr},
    {"BackUp", "&Back Up...", "Writes a copy of your collection to a file you choose.",
     &BackupCommands::BackUp},
    {"Restore", "&Restore...", "Puts a backup in the place of your collection.",
     &BackupCommands::Restore},
}};

}  // namespace

QMenu* Build(Collection& collection, QWidget* parent, QWidget* window) {
  auto* menu = new QMenu(parent);
  menu->setObjectName(QStringLiteral("CollectionMenu"));
  menu->setAccessibleName(QStringLiteral("Collection"));
  for (const Entry& entry : kEntries) {
    if (!entry.key) {
      menu->addSeparator();
      continue;
    }
    QAction* action = menu->addAction(QString::fromUtf8(entry.caption));
    action->setObjectName(QString::fromUtf8(entry.key));
    action->setStatusTip(QString::fromUtf8(entry.description));
    QObject::connect(action, &QAction::triggered, window,
                     [&collection, window, run = entry.run] { run(collection, window); });
  }
  return menu;
}

}  // namespace CollectionMenu
