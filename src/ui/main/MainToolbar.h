#pragma once

class InventoryCommands;
class QMainWindow;
class QToolBar;

// The main window's toolbar: one action per command, each connected to its own slot. A button's
// objectName is its key ("AddDVD", "LoanDVD", ...), on the action and on its button alike.
namespace MainToolbar {

QToolBar* Build(QMainWindow* window, InventoryCommands* commands);

}  // namespace MainToolbar
