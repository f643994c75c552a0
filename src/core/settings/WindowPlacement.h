#pragma once

#include <QString>
#include <QtGlobal>

class Collection;

// Where a window stands in its normal state, and which state it is in.
struct WindowPlacement {
  float left = 0, top = 0, height = 0, width = 0;  // twips
  qint32 state = 0;                                // 0 normal, 1 minimized, 2 maximized
};

namespace SettingsManager {

// Writes windowName + Left, Top, Height, Width (Single) and then WindowState (Long) in one
// transaction.
void SaveWindowPlacement(Collection& collection, const QString& windowName,
                         const WindowPlacement& placement);
// Each value as stored, or the matching one of `defaults` when it is missing or not a number.
WindowPlacement LoadWindowPlacement(Collection& collection, const QString& windowName,
                                    const WindowPlacement& defaults);

// windowName + SeparatorRatio, 0.5 when missing. No bound is applied; only a value that is not a
// finite number falls back to 0.5, since no layout arithmetic can use it.
float LoadSeparatorRatio(Collection& collection, const QString& windowName);
void SaveSeparatorRatio(Collection& collection, const QString& windowName, float ratio);
// The ratio held within 1/8 and 7/8 (a value that is not a number becomes 1/2).
float ClampSeparatorRatio(float ratio);

}  // namespace SettingsManager
