#pragma once

#include <QObject>
#include <QPoint>
#include <functional>

class QLabel;
class QWidget;

// Lets the mouse drag a window's separator sideways: the separator follows the pointer, and
// `moved` runs after each step and at the release, for the window to take the new ratio from
// where the separator stands and lay itself out.
class SeparatorDrag final : public QObject {
 public:
  SeparatorDrag(QWidget* separator, std::function<void()> moved);

  // A new separator `SeparatorButton` of the given width in parent, dragged as above.
  static QLabel* NewSeparator(QWidget* parent, int width, std::function<void()> moved);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* separator_;
  std::function<void()> moved_;
  bool dragging_ = false;
  QPoint dragStart_;  // pointer position on the separator when the drag began
};
