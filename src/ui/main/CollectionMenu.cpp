#include "ui/main/CollectionMenu.h"

#include <QAction>
#include <QMenu>
#include <array>

#include "ui/main/BackupCommands.h"

namespace CollectionMenu {
namespace {

struct Entry {
  const char* key;  // nullptr: a separator
  const char* caption;
  const char* description;
  void (*run)(QWidget* window);
};

// In their order in the menu.
constexpr std::array<Entry, 3> kEntries = {{
    {nullptr, nullptr, nullptr, nullptr},
    {"BackUp", "&Back Up...", "Writes a copy of your collection to a file you choose.",
     &BackupCommands::BackUp},
    {"Restore", "&Restore...", "Puts a backup in the place of your collection.",
     &BackupCommands::Restore},
}};

}  // namespace

QMenu* Build(QWidget* parent, QWidget* window) {
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
                     [window, run = entry.run] { run(window); });
  }
  return menu;
}

}  // namespace CollectionMenu
