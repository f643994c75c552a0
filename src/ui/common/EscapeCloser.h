#pragma once

#include <QObject>

class QWidget;

// Installed on the application: the window sees Escape before its controls do, wherever the
// focus is in it, and closes; an open drop-down or calendar takes its own Escape, and other
// windows have theirs.
class EscapeCloser final : public QObject {
 public:
  explicit EscapeCloser(QWidget* window);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* window_;
};
