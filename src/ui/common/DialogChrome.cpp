#include "ui/common/DialogChrome.h"

#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>
#include <algorithm>

namespace {

const QColor kNavy(0, 0, 128);
const QColor kYellow(255, 255, 0);
const QColor kBlue(0, 0, 255);
const QColor kWhite(255, 255, 255);

QString LabelStyle(const QColor& text, const QColor* background) {
  return QStringLiteral("QLabel { color: %1; background-color: %2; font-weight: bold; }")
      .arg(text.name(), background ? background->name() : QStringLiteral("transparent"));
}

}  // namespace

DialogChrome::DialogChrome(QDialog* dialog)
    : QObject(dialog),
      dialog_(dialog),
      frame_(new QFrame(dialog)),
      title_(new QLabel(dialog)),
      x_(new QLabel(QStringLiteral("X"), dialog)) {
  // A dialog window without the system's title bar, menu or size buttons; being a dialog with an
  // owner, it gets no task-bar button of its own.
  dialog->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);

  frame_->setObjectName(QStringLiteral("DialogFrame"));
  frame_->setFrameStyle(QFrame::Panel | QFrame::Raised);
  frame_->setLineWidth(2);
  frame_->lower();

  title_->setObjectName(QStringLiteral("Title"));
  title_->setAutoFillBackground(true);
  title_->setStyleSheet(LabelStyle(kYellow, &kNavy));
  title_->setContentsMargins(6, 0, 0, 0);
  title_->installEventFilter(this);

  x_->setObjectName(QStringLiteral("XButton"));
  x_->setAlignment(Qt::AlignCenter);
  x_->setAccessibleName(QStringLiteral("Close"));
  x_->setStyleSheet(LabelStyle(kWhite, nullptr));
  x_->installEventFilter(this);
}

void DialogChrome::SetTitle(const QString& text) {
  title_->setText(text);
  dialog_->setWindowTitle(text);
}

int DialogChrome::StripHeight() const { return title_->fontMetrics().height() + 8; }

void DialogChrome::Fit() {
  const int width = dialog_->width();
  const int strip = StripHeight();
  frame_->setGeometry(dialog_->rect());
  title_->setGeometry(2, 2, width - 4, strip);
  x_->setGeometry(width - 2 - strip, 2, strip, strip);
  x_->raise();
  dialog_->setFixedSize(dialog_->size());
}

void DialogChrome::CenterOver(const QWidget* owner) {
  const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
  const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  const QRect over = owner && owner->isVisible() ? owner->frameGeometry() : available;
  QRect placed(QPoint(0, 0), dialog_->size());
  placed.moveCenter(over.center());
  // Kept on the screen, top-left first, so that the title strip can always be reached.
  placed.moveLeft(
      std::max(available.left(), std::min(placed.left(), available.right() - placed.width() + 1)));
  placed.moveTop(
      std::max(available.top(), std::min(placed.top(), available.bottom() - placed.height() + 1)));
  dialog_->move(placed.topLeft());
}

bool DialogChrome::eventFilter(QObject* watched, QEvent* event) {
  if (watched == title_) return TitleMouse(event);
  if (watched == x_) return XMouse(event);
  return false;
}

bool DialogChrome::TitleMouse(QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      // Where a program cannot place its own windows (Wayland) the window system moves it. On X11
      // the window follows the pointer: a move handed to the window manager right after the
      // dialog opened sometimes started from the wrong place and threw the dialog off by its own
      // distance from the screen's corner.
      QWindow* window = dialog_->windowHandle();
      if (QGuiApplication::platformName() != u"xcb" && window && window->startSystemMove()) {
        return true;
      }
      dragging_ = true;
      dragStart_ = mouse->position();
      return true;
    }
    case QEvent::MouseMove: {
      if (!dragging_) return false;
      const QPointF at = static_cast<QMouseEvent*>(event)->position();
      dialog_->move(dialog_->pos() + (at - dragStart_).toPoint());
      return true;
    }
    case QEvent::MouseButtonRelease:
      dragging_ = false;
      return true;
    default:
      return false;
  }
}

void DialogChrome::SetXPressedLook(bool opaque) {
  if (opaque == xOpaque_) return;  // the style is only written when it changes
  xOpaque_ = opaque;
  x_->setStyleSheet(LabelStyle(kBlue, opaque ? &kYellow : nullptr));
}

bool DialogChrome::XMouse(QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      xDown_ = true;
      savedXColor_ = kWhite;
      xOpaque_ = false;
      SetXPressedLook(true);
      return true;
    case QEvent::MouseMove: {
      if (!xDown_) return false;
      const QPointF at = static_cast<QMouseEvent*>(event)->position();
      SetXPressedLook(at.x() > 0 && at.x() < x_->width() && at.y() > 0 && at.y() < x_->height());
      return true;
    }
    case QEvent::MouseButtonRelease: {
      if (!xDown_) return false;
      xDown_ = false;
      const QPointF at = static_cast<QMouseEvent*>(event)->position();
      const bool over = x_->rect().contains(at.toPoint());
      xOpaque_ = false;
      x_->setStyleSheet(LabelStyle(savedXColor_, nullptr));
      if (over) emit XClicked();
      return true;
    }
    default:
      return false;
  }
}
