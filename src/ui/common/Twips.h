#pragma once

class QWidget;

// What is stored stays in twips (1/1440 inch); the widgets work in pixels. The conversion uses
// the logical DPI of the widget's screen (of the primary screen when w is null): 15 twips to a
// pixel at 96 DPI.
double TwipsPerPixel(const QWidget* w);
// Rounded to the nearest pixel; a value that is not a number gives 0, and the result is held
// within the range of int.
int TwipsToPixels(double twips, const QWidget* w);
double PixelsToTwips(int px, const QWidget* w);
