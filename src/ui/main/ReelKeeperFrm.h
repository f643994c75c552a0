#pragma once

#include <QMainWindow>

// The program's main window: the DVD list, the detail tabs and the toolbar. Closing it ends the
// program.
class ReelKeeperFrm : public QMainWindow {
  Q_OBJECT

 public:
  explicit ReelKeeperFrm(QWidget* parent = nullptr);
  ~ReelKeeperFrm() override;

  // The window's load handling: placement, list columns and layout, the list, the separator.
  // Runs before the window is shown; database failures propagate as DatabaseError.
  void LoadForm();

  // Looks for overdue loans and offers the status report; True when the user saw it.
  bool CheckOverdues();

  // Shows a text in the status bar (only when it differs from what is shown).
  void Message(const QString& text);

 signals:
  // Emitted once, as the last step of the unload handling (after the layout is saved); the
  // program's shutdown is connected here.
  void Unloaded();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool unloaded_ = false;
};
