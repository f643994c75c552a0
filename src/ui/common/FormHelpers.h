#pragma once

#include <QString>
#include <QStringList>

class QComboBox;
class QListWidget;
class QTimer;
class QWidget;

// Small operations every window shares: type-ahead completion, the hover hint in a window's
// status bar, the main window's status line, opening documents and the connection test.
namespace FormHelpers {

// Completes what the user is typing into box (a QLineEdit, or an editable QComboBox whose own
// items are searched when list is null) from the first item that starts with the typed text,
// letter case ignored; the completed part stays selected so that the next key replaces it. Call
// it from the box's change signal. Deleting from the end does not complete again.
//
// The type-ahead state is one for the whole program and knows a box by its objectName, so two
// boxes of one name count as one.
void AutoComplete(QWidget* box, QListWidget* list = nullptr);
// Forgets the type-ahead state (the last box and what was typed into it).
void ResetTypeAhead();

// An editable drop-down for lists of tens of thousands of titles, stars or names: one string list
// instead of an item per entry, no measuring of every entry to size the box, and neither Qt's
// completer nor its insertion, which would fight AutoComplete.
QComboBox* NewChoiceBox(QWidget* parent, int minimumContentsLength);
// Replaces a drop-down's choices; the text in its box stays as it was, and no change is reported
// for the refill.
void SetChoices(QComboBox* box, const QStringList& choices);

// Shows, through the window's Message, the hint (dynamic property "Tag") of the window's control
// under the mouse pointer. Labels carry no hint: over a label the control holding it counts.
// A window without a Message of its own shows its hints in the main window. Nothing under the
// pointer belongs to the window: nothing changes. Never fails.
void ShowHint(QWidget* window);

// The window's hint poll ("TagTimer", every 100 ms: ShowHint), made but not started: a window
// starts it once loaded and stops it as it unloads.
QTimer* HintTimer(QWidget* window);

// The window whose Message MainMessage uses (the main window registers itself).
void SetMainWindow(QWidget* window);
QWidget* MainWindow();
// Shows text in the main window's status bar; without a main window nothing happens.
void MainMessage(const QString& text);

// Asks the desktop to open a file or web address; false when it could not.
bool OpenDocument(const QString& target);
// True when the system reports an Internet connection.
bool IsConnected();

}  // namespace FormHelpers
