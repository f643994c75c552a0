#pragma once

#include <QByteArray>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QPageLayout;

// How the two printed reports, the status report and the inventory list, are laid out on pages
// and drawn. Lines go down the printable area one below the other and continue on a new page
// when the next one would not fit.
namespace ReportPages {

// One line handed to the printer: its text, its point size, and whether it is centred (else it
// starts at the left edge).
struct Line {
  QString text;
  double pointSize = 10;
  bool centred = false;
};

// A line as it lies on a page: its top-left corner within the printable area.
struct Placed {
  QString text;
  double pointSize = 10;
  QPointF at;
};
using Page = std::vector<Placed>;

// Widths and heights of text in the page's units.
struct Measure {
  std::function<double(const QString& text, double pointSize)> width;
  std::function<double(double pointSize)> height;
};

// The status report's text as centred lines at pointSize: each line runs up to the next CR LF,
// and the text after the last CR LF is a line too (so an empty text is one empty line).
std::vector<Line> ReportLines(const QString& text, double pointSize);
// The inventory list: the heading "DVD Inventory Report" centred at 12 points, an empty line,
// then each title at the left edge at 10 points.
std::vector<Line> InventoryLines(const QStringList& titles);

// True when some line has something to print.
bool HasInk(const std::vector<Line>& lines);

// Puts the lines onto pages of the printable size. A page takes lines until the next one would
// reach below its bottom; its first line is placed whatever its height. A line that fits across
// the page goes where it asks to; a wider one starts at the left edge and wraps at blanks (inside
// a word only when the word alone is too wide) onto the following lines, so that no text falls
// off the paper. Pages at the end that would hold nothing but empty lines are left out.
std::vector<Page> LayOut(const std::vector<Line>& lines, const QSizeF& printable,
                         const Measure& measure);

// Told now and then how far the work is (done out of total steps); false stops it.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// The lines as a PDF document on pages of the given layout, in the default typeface at each
// line's point size; title is the document's title. Empty when there is nothing to print, or when
// progress asked to stop.
QByteArray RenderPdf(const std::vector<Line>& lines, const QPageLayout& layout,
                     const QString& title, const Progress& progress = {});

}  // namespace ReportPages
