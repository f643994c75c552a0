#include "ui/common/SeparatorDrag.h"

#include <QLabel>
#include <QMouseEvent>
#include <QWidget>
#include <utility>

SeparatorDrag::SeparatorDrag(QWidget* separator, std::function<void()> moved)
    : QObject(separator), separator_(separator), moved_(std::move(moved)) {
  separator->installEventFilter(this);
}

QLabel* SeparatorDrag::NewSeparator(QWidget* parent, int width, std::function<void()> moved) {
  auto* separator = new QLabel(parent);
  separator->setObjectName(QStringLiteral("SeparatorButton"));
  separator->setCursor(Qt::SplitHCursor);
  separator->resize(width, separator->height());
  new SeparatorDrag(separator, std::move(moved));
  return separator;
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
