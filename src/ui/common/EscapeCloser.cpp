#include "ui/common/EscapeCloser.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

EscapeCloser::EscapeCloser(QWidget* window) : QObject(window), window_(window) {}

bool EscapeCloser::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  // A repeat is an Escape held down since before: it may have been meant for a box that has
  // closed, or for a window of another program.
  if (key->key() != Qt::Key_Escape || key->isAutoRepeat()) return false;
  const auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != window_ || QApplication::activePopupWidget()) return false;
  window_->close();
  return true;
}
