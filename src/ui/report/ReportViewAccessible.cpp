#include "ui/report/ReportViewAccessible.h"

#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QScrollBar>

#include "ui/report/ReportView.h"

namespace ReportViewAccessibility {
namespace {

using Place = ReportView::Place;

class Readable final : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit Readable(ReportView* view) : QAccessibleWidget(view, QAccessible::EditableText) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = true;
    state.multiLine = true;
    state.selectableText = true;
    return state;
  }
  // The text is read through the text interface, a part at a time: the whole of a large report
  // as one value would be megabytes on every question.
  QString text(QAccessible::Text kind) const override {
    return kind == QAccessible::Value ? QString() : QAccessibleWidget::text(kind);
  }

  void selection(int index, int* start, int* end) const override {
    *start = *end = 0;
    if (index != 0 || View()->Anchor() == View()->Caret()) return;
    const auto [from, to] = std::minmax(View()->Anchor(), View()->Caret());
    *start = int(View()->Offset(from));
    *end = int(View()->Offset(to));
  }
  int selectionCount() const override { return View()->Anchor() == View()->Caret() ? 0 : 1; }
  void addSelection(int start, int end) override { setSelection(0, start, end); }
  void removeSelection(int index) override {
    if (index == 0) View()->MoveCaret(View()->Caret());
  }
  void setSelection(int index, int start, int end) override {
    if (index == 0) View()->Select(View()->PlaceAt(start), View()->PlaceAt(end));
  }
  int cursorPosition() const override { return int(View()->Offset(View()->Caret())); }
  void setCursorPosition(int position) override { View()->MoveCaret(View()->PlaceAt(position)); }
  QString text(int start, int end) const override {
    return View()->TextBetween(View()->PlaceAt(start), View()->PlaceAt(end));
  }
  int characterCount() const override { return int(View()->CharacterCount()); }

  QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                       int* end) const override {
    const Place at = View()->PlaceAt(offset);
    const QString& line = View()->Lines()[at.line];
    Place from = at;
    Place to = at;
    switch (boundary) {
      case QAccessible::CharBoundary:
        to.column = std::min(line.size(), at.column + 1);
        break;
      case QAccessible::WordBoundary:
        to = View()->WordEnd(at);
        from = View()->WordStart(to);
        break;
      case QAccessible::NoBoundary:
        from = {};
        to = View()->PlaceAt(characterCount());
        break;
      default:  // sentences, paragraphs and lines are the report's lines
        from.column = 0;
        to.column = line.size();
        break;
    }
    *start = int(View()->Offset(from));
    *end = int(View()->Offset(to));
    return View()->TextBetween(from, to);
  }
  QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                           int* end) const override {
    int atStart = 0;
    int atEnd = 0;
    textAtOffset(offset, boundary, &atStart, &atEnd);
    if (atStart <= 0) {
      *start = *end = 0;
      return {};
    }
    return textAtOffset(atStart - 1, boundary, start, end);
  }
  QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                          int* end) const override {
    int atStart = 0;
    int atEnd = 0;
    textAtOffset(offset, boundary, &atStart, &atEnd);
    const int count = characterCount();
    // A line's end is followed by the next line's start.
    const int next = boundary == QAccessible::CharBoundary || boundary == QAccessible::WordBoundary
                         ? atEnd
                         : atEnd + 1;
    if (next >= count || next <= offset) {
      *start = *end = count;
      return {};
    }
    return textAtOffset(next, boundary, start, end);
  }

  QRect characterRect(int offset) const override {
    const Place at = View()->PlaceAt(offset);
    QRect rect = View()->CaretRect(at);
    const QString& line = View()->Lines()[at.line];
    if (at.column < line.size())
      rect.setWidth(View()->fontMetrics().horizontalAdvance(line.at(at.column)));
    return QRect(View()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
  }
  int offsetAtPoint(const QPoint& point) const override {
    return int(View()->Offset(View()->PlaceAtPoint(View()->viewport()->mapFromGlobal(point))));
  }
  void scrollToSubstring(int startIndex, int) override {
    View()->EnsureVisible(View()->PlaceAt(startIndex));
  }
  QString attributes(int offset, int* startOffset, int* endOffset) const override {
    *startOffset = *endOffset = offset;
    return {};
  }

 private:
  ReportView* View() const { return static_cast<ReportView*>(widget()); }
};

QAccessibleInterface* Make(const QString& className, QObject* object) {
  if (className == QLatin1String("ReportView") && object && object->isWidgetType())
    return new Readable(static_cast<ReportView*>(object));
  return nullptr;
}

}  // namespace

void Install() { QAccessible::installFactory(Make); }

}  // namespace ReportViewAccessibility
