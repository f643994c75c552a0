#pragma once

class Collection;
class InventoryCommands;
class QMainWindow;
class QString;
class QToolBar;
class QWidget;

// The main window's toolbar: one action per command, each connected to its own slot. A button's
// objectName is its key ("AddDVD", "LoanDVD", ...), on the action and on its button alike. Every
// command has a key of its own, named in its button's tooltip, and Tab reaches every button.
namespace MainToolbar {

QToolBar* Build(Collection& collection, QMainWindow* window, InventoryCommands* commands);

// Insert and Delete act on the list: they work while the list or the toolbar has the focus, and
// stay the text boxes' own keys everywhere else.
void ShareListKeys(QToolBar* toolbar, QWidget* list);

// Shows or hides the loan pair as the selection wants ("Loan DVD" or "Return DVD" on the first).
// The buttons after them keep their places either way, so that none moves under the pointer.
void ShowLoanButtons(QToolBar* toolbar, bool loanShown, const QString& loanCaption, bool editShown);

}  // namespace MainToolbar
