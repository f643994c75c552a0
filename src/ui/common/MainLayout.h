#pragma once

#include <QHash>
#include <QRect>
#include <QSize>
#include <QString>

// The main window's layout arithmetic, apart from any widget so that the numbers can be checked
// directly. Everything is in pixels.
namespace MainLayout {

// Where the DVD list, the splitter and the tab strip go.
struct Halves {
  QRect list;
  QRect splitter;
  QRect tabs;
};

// Splits band (the area between toolbar and status bar) at ratio, the splitter's centre as a
// fraction of the band's width. The list fills the band left of the splitter and the tabs the
// rest; no width or height comes out negative.
Halves SplitBand(const QRect& band, double ratio, int splitterWidth);

// The ratio at which a splitter whose left edge stands at splitterLeft (within a band of that
// width) has its centre, held within 1/8 and 7/8. A band without width keeps `current`.
float RatioFromSplitter(int splitterLeft, int splitterWidth, int bandWidth, float current);

// The stretching of one detail panel (tab 1, 2 or 3). controls holds the controls' rectangles
// in the panel, by objectName, as designed; every control keeps its left and top, and the ones
// that grow with the panel get their new width or height. "TitleTxt" must be present: its left
// edge fixes the width of every text box, combo box and date picker of the three panels.
// Tab 1's "DescriptionTxt" lies inside "DescFrame" and keeps `inset` to the frame's right and
// bottom edges.
QHash<QString, QRect> StretchPanel(int tab, const QSize& panel, QHash<QString, QRect> controls,
                                   int inset);

}  // namespace MainLayout
