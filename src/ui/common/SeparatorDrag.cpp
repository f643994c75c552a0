#include "ui/common/SeparatorDrag.h"

#include <QMouseEvent>
#include <QWidget>
#include <utility>

SeparatorDrag::SeparatorDrag(QWidget* separator, std::function<void()> moved)
    : QObject(separator), separator_(separator), moved_(std::move(moved)) {
  separator->installEventFilter(this);
}

bool SeparatorDrag::eventFilter(QObject*, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
      type != QEvent::MouseButtonRelease)
    return false;
  const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
  if (type == QEvent::MouseButtonPress) {
    dragging_ = true;
    dragStart_ = at;
    return false;
  }
  if (type == QEvent::MouseMove) {
    if (!dragging_) return false;
    separator_->move(separator_->pos() + at - dragStart_);
  } else {
    dragging_ = false;
  }
  moved_();
  return false;
}
