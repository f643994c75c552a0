#include "settings/WindowPlacement.h"

#include <cmath>

#include "data/Database.h"
#include "settings/SettingsManager.h"

namespace SettingsManager {
namespace {

// A stored value that is not a number of any kind counts as missing.
float ReadFloat(Collection& collection, const QString& key, float fallback) {
  bool ok = false;
  const float value = ReadSetting(collection, key, fallback).toFloat(&ok);
  return ok ? value : fallback;
}

}  // namespace

void SaveWindowPlacement(Collection& collection, const QString& windowName,
                         const WindowPlacement& placement) {
  const DatabaseHandle db = SettingsDatabase(collection);
  if (!db) return;  // already reported
  Transaction transaction(db);
  WriteSetting(collection, windowName + QLatin1String("Left"), placement.left);
  WriteSetting(collection, windowName + QLatin1String("Top"), placement.top);
  WriteSetting(collection, windowName + QLatin1String("Height"), placement.height);
  WriteSetting(collection, windowName + QLatin1String("Width"), placement.width);
  WriteSetting(collection, windowName + QLatin1String("WindowState"), placement.state);
  transaction.Commit();
}

WindowPlacement LoadWindowPlacement(Collection& collection, const QString& windowName,
                                    const WindowPlacement& defaults) {
  WindowPlacement placement;
  placement.left = ReadFloat(collection, windowName + QLatin1String("Left"), defaults.left);
  placement.top = ReadFloat(collection, windowName + QLatin1String("Top"), defaults.top);
  placement.height = ReadFloat(collection, windowName + QLatin1String("Height"), defaults.height);
  placement.width = ReadFloat(collection, windowName + QLatin1String("Width"), defaults.width);
  bool ok = false;
  placement.state =
      ReadSetting(collection, windowName + QLatin1String("WindowState"), defaults.state).toInt(&ok);
  if (!ok) placement.state = defaults.state;
  return placement;
}

float LoadSeparatorRatio(Collection& collection, const QString& windowName) {
  const float ratio = ReadFloat(collection, windowName + QLatin1String("SeparatorRatio"), 0.5f);
  return std::isfinite(ratio) ? ratio : 0.5f;
}

void SaveSeparatorRatio(Collection& collection, const QString& windowName, float ratio) {
  WriteSetting(collection, windowName + QLatin1String("SeparatorRatio"), ratio);
}

float ClampSeparatorRatio(float ratio) {
  if (std::isnan(ratio)) return 0.5f;
  if (ratio < 0.125f) return 0.125f;
  if (ratio > 0.875f) return 0.875f;
  return ratio;
}

}  // namespace SettingsManager
