#include "ui/common/EscapeCloser.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

EscapeCloser::EscapeCloser(QWidget* window) : QObject(window), window_(window) {}

bool EscapeCloser::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape) return false;
  const auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != window_ || QApplication::activePopupWidget()) return false;
  window_->close();
  return true;
}
