#pragma once

#include <QString>

#include "settings/WindowPlacement.h"

class Collection;
class QRect;
class QWidget;

// Restores a top-level window's normal geometry and state from the settings (keys name + Left,
// Top, Height, Width, WindowState). defaultState -1 means the window's current state;
// defaultPlacement nullptr means the main window's defaults: a quarter of the screen in from the
// top-left, half the screen in size. Stored values that would put the window off every screen,
// make it tiny or huge, or are not numbers are pulled back onto a screen.
void LoadWindow(Collection& collection, QWidget* window, const QString& name, int defaultState,
                const WindowPlacement* defaultPlacement);
// Saves the window's normal geometry (also while it is maximized or minimized) and its state.
void SaveWindow(Collection& collection, QWidget* window, const QString& name);

// The placement a window has now: its normal geometry in twips and its state code.
WindowPlacement CurrentPlacement(const QWidget* window);
// A wanted pixel rectangle made to fit inside an available screen area, at least
// minimumWidth x minimumHeight (as far as the area allows).
QRect FitOnScreen(const QRect& wanted, const QRect& available, int minimumWidth, int minimumHeight);
