#pragma once

class Collection;
class QMenu;
class QWidget;

// The menu of the toolbar's Collection button: the commands that work on the collection as a
// whole. Each item's objectName is its key; its text names it for screen readers, and its status
// tip says what it does.
namespace CollectionMenu {

// The menu, owned by parent; its commands open their dialogs over window.
QMenu* Build(Collection& collection, QWidget* parent, QWidget* window);

}  // namespace CollectionMenu
