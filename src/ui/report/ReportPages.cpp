#include "ui/report/ReportPages.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <map>

namespace ReportPages {
namespace {

const QString kLineEnd = QStringLiteral("\r\n");
// Lines between two reports of progress: often enough for a smooth bar, rarely enough to cost
// nothing.
constexpr qint64 kProgressStep = 500;

// A stray line break inside a line (a title written by another tool) would not print as one.
QString OneLine(QString text) { return text.replace(u'\r', u' ').replace(u'\n', u' '); }

bool IsBlank(const QString& text) { return text.trimmed().isEmpty(); }

// The pieces of a line too wide for the page, each at most `width` wide where a piece can be.
QStringList Wrap(const QString& text, double pointSize, double width, const Measure& measure) {
  QStringList pieces;
  QString rest = text;
  while (measure.width(rest, pointSize) > width) {
    // The last blank before which the line still fits.
    qsizetype cut = -1;
    for (qsizetype i = rest.indexOf(u' ', 1); i > 0; i = rest.indexOf(u' ', i + 1)) {
      if (measure.width(rest.left(i), pointSize) > width) break;
      cut = i;
    }
    if (cut < 0) {
      // One word wider than the page: as many characters as fit, at least one.
      QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, rest);
      cut = characters.toNextBoundary();
      for (qsizetype next = characters.toNextBoundary();
           next > 0 && measure.width(rest.left(next), pointSize) <= width;
           next = characters.toNextBoundary()) {
        cut = next;
      }
    }
    pieces << rest.left(cut);
    rest = rest.mid(cut);
    qsizetype blanks = 0;
    while (blanks < rest.size() && rest[blanks] == u' ') ++blanks;
    rest = rest.mid(blanks);
    if (rest.isEmpty()) return pieces;
  }
  pieces << rest;
  return pieces;
}

}  // namespace

std::vector<Line> ReportLines(const QString& text, double pointSize) {
  std::vector<Line> lines;
  for (const QString& line : text.split(kLineEnd))
    lines.push_back({OneLine(line), pointSize, true});
  return lines;
}

std::vector<Line> InventoryLines(const QStringList& titles) {
  std::vector<Line> lines = {{QStringLiteral("DVD Inventory Report"), 12, true}, {QString(), 12}};
  lines.reserve(size_t(titles.size()) + 2);
  for (const QString& title : titles) lines.push_back({OneLine(title), 10, false});
  return lines;
}

bool HasInk(const std::vector<Line>& lines) {
  return std::any_of(lines.begin(), lines.end(),
                     [](const Line& line) { return !IsBlank(line.text); });
}

std::vector<Page> LayOut(const std::vector<Line>& lines, const QSizeF& printable,
                         const Measure& measure) {
  std::vector<Page> pages(1);
  double y = 0;
  auto place = [&](const QString& text, double pointSize, double x) {
    const double height = measure.height(pointSize);
    if (!pages.back().empty() && y + height > printable.height()) {
      pages.emplace_back();
      y = 0;
    }
    pages.back().push_back({text, pointSize, QPointF(x, y)});
    y += height;
  };
  for (const Line& line : lines) {
    const double width = measure.width(line.text, line.pointSize);
    if (width <= printable.width()) {
      place(line.text, line.pointSize, line.centred ? (printable.width() - width) / 2 : 0);
      continue;
    }
    for (const QString& piece : Wrap(line.text, line.pointSize, printable.width(), measure)) {
      place(piece, line.pointSize, 0);
    }
  }
  // The empty line every report ends with must not cost a sheet of paper of its own.
  while (!pages.empty() && std::all_of(pages.back().begin(), pages.back().end(),
                                       [](const Placed& line) { return IsBlank(line.text); })) {
    pages.pop_back();
  }
  return pages;
}

QByteArray RenderPdf(const std::vector<Line>& lines, const QPageLayout& layout,
                     const QString& title, const Progress& progress) {
  // Laying out measures each line about once and drawing handles each once: half the way each.
  const qint64 total = 2 * qint64(lines.size());
  qint64 done = 0;
  bool stopped = false;
  auto step = [&] {
    if (stopped || !progress || ++done % kProgressStep != 0) return;
    stopped = !progress(done, total);
  };
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter writer(&buffer);
  writer.setTitle(title);
  writer.setCreator(QStringLiteral("ReelKeeper"));
  writer.setPageLayout(layout);

  // The typeface stays the default one; only the point size changes, and the report uses two
  // sizes at most.
  std::map<double, std::pair<QFont, QFontMetricsF>> fonts;
  auto font = [&](double pointSize) -> const std::pair<QFont, QFontMetricsF>& {
    auto found = fonts.find(pointSize);
    if (found == fonts.end()) {
      QFont sized;
      sized.setPointSizeF(pointSize);
      found = fonts.emplace(pointSize, std::make_pair(sized, QFontMetricsF(sized, &writer))).first;
    }
    return found->second;
  };
  const Measure measure{[&](const QString& text, double pointSize) {
                          step();
                          // Once stopped, the rest is laid out at no cost and thrown away.
                          return stopped ? 0.0 : font(pointSize).second.horizontalAdvance(text);
                        },
                        [&](double pointSize) { return font(pointSize).second.lineSpacing(); }};
  const QRect printable = layout.paintRectPixels(writer.resolution());
  if (progress && !progress(0, total)) return {};
  const std::vector<Page> pages = LayOut(lines, QSizeF(printable.size()), measure);
  if (pages.empty() || stopped) return {};
  done = qint64(lines.size());

  QPainter painter;
  if (!painter.begin(&writer)) return {};
  for (size_t i = 0; i < pages.size(); ++i) {
    if (i > 0) writer.newPage();
    for (const Placed& line : pages[i]) {
      const auto& [sized, metrics] = font(line.pointSize);
      painter.setFont(sized);
      painter.drawText(line.at + QPointF(0, metrics.ascent()), line.text);
      step();
    }
    if (stopped) {
      painter.end();
      return {};
    }
  }
  if (!painter.end()) return {};
  return buffer.data();
}

}  // namespace ReportPages
