#include "ui/common/WindowLayout.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "ui/common/Twips.h"

namespace {

// The smallest window that can still be grabbed and resized by the user.
constexpr int kMinimumWidth = 200;
constexpr int kMinimumHeight = 150;
// Pixel values are held well inside int before any rectangle arithmetic.
constexpr int kFarthest = 1000000;

int StateCode(Qt::WindowStates states) {
  if (states & Qt::WindowMinimized) return 1;
  if (states & Qt::WindowMaximized) return 2;
  return 0;
}

QScreen* ScreenOf(const QWidget* window) {
  QScreen* screen = window ? window->screen() : nullptr;
  return screen ? screen : QGuiApplication::primaryScreen();
}

int Pixels(float twips, float fallbackTwips, const QWidget* window) {
  const float value = std::isfinite(twips) ? twips : fallbackTwips;
  return std::clamp(TwipsToPixels(std::isfinite(value) ? value : 0.0, window), -kFarthest,
                    kFarthest);
}

qint64 OverlapArea(const QRect& a, const QRect& b) {
  const QRect common = a.intersected(b);
  return common.isEmpty() ? 0 : qint64(common.width()) * common.height();
}

}  // namespace

QRect FitOnScreen(const QRect& wanted, const QRect& available, int minimumWidth,
                  int minimumHeight) {
  if (available.width() <= 0 || available.height() <= 0) return wanted;
  const int width =
      std::clamp(wanted.width(), std::min(minimumWidth, available.width()), available.width());
  const int height =
      std::clamp(wanted.height(), std::min(minimumHeight, available.height()), available.height());
  const int left = std::clamp(wanted.x(), available.x(), available.x() + available.width() - width);
  const int top =
      std::clamp(wanted.y(), available.y(), available.y() + available.height() - height);
  return QRect(left, top, width, height);
}

WindowPlacement CurrentPlacement(const QWidget* window) {
  QRect normal = window->normalGeometry();
  if (!normal.isValid()) normal = window->geometry();
  WindowPlacement placement;
  placement.left = float(PixelsToTwips(normal.x(), window));
  placement.top = float(PixelsToTwips(normal.y(), window));
  placement.height = float(PixelsToTwips(normal.height(), window));
  placement.width = float(PixelsToTwips(normal.width(), window));
  placement.state = StateCode(window->windowState());
  return placement;
}

void LoadWindow(Collection& collection, QWidget* window, const QString& name, int defaultState,
                const WindowPlacement* defaultPlacement) {
  const int state = defaultState < 0 ? StateCode(window->windowState()) : defaultState;
  window->setWindowState(window->windowState() &
                         ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));

  QScreen* home = ScreenOf(window);
  WindowPlacement defaults;
  if (defaultPlacement) {
    defaults = *defaultPlacement;
  } else if (home) {
    // A quarter of the screen in from its top-left corner, half the screen in size.
    const QRect screen = home->geometry();
    const double twips = TwipsPerPixel(window);
    defaults.left = float((screen.x() + screen.width() / 4.0) * twips);
    defaults.top = float((screen.y() + screen.height() / 4.0) * twips);
    defaults.height = float(screen.height() / 2.0 * twips);
    defaults.width = float(screen.width() / 2.0 * twips);
  }
  defaults.state = state;
  const WindowPlacement stored = SettingsManager::LoadWindowPlacement(collection, name, defaults);

  QRect wanted(Pixels(stored.left, defaults.left, window), Pixels(stored.top, defaults.top, window),
               std::max(0, Pixels(stored.width, defaults.width, window)),
               std::max(0, Pixels(stored.height, defaults.height, window)));
  // The placement was saved on whatever screens there were then: the window goes to the screen
  // it overlaps most now, or to its own screen when it overlaps none, and must fit there.
  QScreen* target = nullptr;
  qint64 best = 0;
  for (QScreen* screen : QGuiApplication::screens()) {
    const qint64 area = OverlapArea(wanted, screen->availableGeometry());
    if (area > best) {
      best = area;
      target = screen;
    }
  }
  if (!target) target = home;
  if (target) {
    wanted = FitOnScreen(wanted, target->availableGeometry(),
                         std::max(kMinimumWidth, window->minimumWidth()),
                         std::max(kMinimumHeight, window->minimumHeight()));
  }
  window->setGeometry(wanted);

  switch (stored.state) {
    case 1:
      window->setWindowState(window->windowState() | Qt::WindowMinimized);
      break;
    case 2:
      window->setWindowState(window->windowState() | Qt::WindowMaximized);
      break;
    default:
      // 0, or a code that means nothing: the normal state set above.
      break;
  }
}

void SaveWindow(Collection& collection, QWidget* window, const QString& name) {
  SettingsManager::SaveWindowPlacement(collection, name, CurrentPlacement(window));
}
