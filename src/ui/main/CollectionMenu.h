#pragma once

class QMainWindow;
class QMenu;
class QWidget;

// The toolbar's "Collection" menu: what comes into the collection and what goes out of it. Its
// items are a table, in their order on the menu; every item has a mnemonic and a name a screen
// reader reads.
namespace CollectionMenu {

QMenu* Build(QWidget* parent, QMainWindow* window);

}  // namespace CollectionMenu
