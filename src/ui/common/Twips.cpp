#include "ui/common/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>
#include <limits>

double TwipsPerPixel(const QWidget* w) {
  int dpi = 0;
  if (w) {
    dpi = w->logicalDpiX();
  } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    dpi = int(std::lround(screen->logicalDotsPerInchX()));
  }
  return 1440.0 / (dpi > 0 ? dpi : 96);
}

int TwipsToPixels(double twips, const QWidget* w) {
  const double px = std::round(twips / TwipsPerPixel(w));
  if (std::isnan(px)) return 0;
  if (px >= double(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  if (px <= double(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
  return int(px);
}

double PixelsToTwips(int px, const QWidget* w) { return px * TwipsPerPixel(w); }
