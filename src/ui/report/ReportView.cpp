#include "ui/report/ReportView.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "ui/report/ReportViewAccessible.h"

namespace {

// The characters a word is made of, for Ctrl+arrows and double clicks.
bool InWord(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'\''; }

// One character before or after a column, a surrogate pair counting as one.
qsizetype Before(const QString& line, qsizetype column) {
  if (column >= 2 && line[column - 1].isLowSurrogate() && line[column - 2].isHighSurrogate())
    return column - 2;
  return std::max<qsizetype>(0, column - 1);
}
qsizetype After(const QString& line, qsizetype column) {
  if (column + 1 < line.size() && line[column].isHighSurrogate() &&
      line[column + 1].isLowSurrogate())
    return column + 2;
  return std::min(line.size(), column + 1);
}

}  // namespace

ReportView::ReportView(QWidget* parent) : QAbstractScrollArea(parent) {
  static const bool readable = (ReportViewAccessibility::Install(), true);
  (void)readable;
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(true);
  UpdateScrollBars();
}

void ReportView::SetLines(QStringList lines) {
  if (lines.isEmpty()) lines << QString();
  // A break inside a line (a title written by another program) starts a new line, CR LF counting
  // as one break.
  auto broken = [](const QString& line) {
    return std::any_of(line.begin(), line.end(), [](QChar c) { return c == u'\n' || c == u'\r'; });
  };
  if (std::any_of(lines.cbegin(), lines.cend(), broken)) {
    QStringList split;
    for (QString& line : lines) {
      if (!broken(line)) {
        split << std::move(line);
        continue;
      }
      line.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
      split << line.split(u'\n');
    }
    lines = std::move(split);
  }
  lines_ = std::move(lines);
  starts_.clear();
  caret_ = anchor_ = {};
  goalX_ = -1;
  Measure();
  verticalScrollBar()->setValue(0);
  horizontalScrollBar()->setValue(0);
  viewport()->update();
  if (QAccessible::isActive()) {
    QAccessibleEvent changed(this, QAccessible::TextUpdated);
    QAccessible::updateAccessibility(&changed);
  }
}

QString ReportView::Text() const { return lines_.join(u'\n'); }

int ReportView::LineHeight() const { return std::max(1, fontMetrics().height()); }

int ReportView::VisibleLines() const {
  return std::max(1, (viewport()->height() - ReportView::kMargin) / LineHeight());
}

void ReportView::Measure() {
  // Longest lines first: a line of n characters is no wider than n of the font's widest, so once
  // that bound falls to the widest line found the rest need no measuring.
  const QFontMetrics metrics(font());
  const int widestLetter = std::max(1, metrics.maxWidth());
  qsizetype longest = 0;
  for (const QString& line : lines_) longest = std::max(longest, line.size());
  widest_ = 0;
  std::vector<std::vector<qsizetype>> byLength(size_t(longest) + 1);
  for (qsizetype i = 0; i < lines_.size(); ++i) {
    if (lines_[i].size() * 2 >= longest) byLength[size_t(lines_[i].size())].push_back(i);
  }
  for (qsizetype length = longest; length > 0 && length * widestLetter > widest_; --length) {
    if (length * 2 < longest) {
      // The shorter lines were not gathered: measure what is left the plain way.
      for (const QString& line : lines_) {
        if (line.size() <= length && line.size() * widestLetter > widest_)
          widest_ = std::max(widest_, metrics.horizontalAdvance(line));
      }
      break;
    }
    for (const qsizetype i : byLength[size_t(length)])
      widest_ = std::max(widest_, metrics.horizontalAdvance(lines_[i]));
  }
  UpdateScrollBars();
}

void ReportView::UpdateScrollBars() {
  const int visible = VisibleLines();
  verticalScrollBar()->setRange(0, int(std::max<qsizetype>(0, lines_.size() - visible)));
  verticalScrollBar()->setPageStep(visible);
  verticalScrollBar()->setSingleStep(1);
  const int width = viewport()->width();
  horizontalScrollBar()->setRange(0, std::max(0, widest_ + 2 * kMargin + 1 - width));
  horizontalScrollBar()->setPageStep(std::max(1, width));
  horizontalScrollBar()->setSingleStep(std::max(1, fontMetrics().averageCharWidth() * 2));
}

void ReportView::scrollContentsBy(int, int) { viewport()->update(); }

void ReportView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void ReportView::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    Measure();
    viewport()->update();
  }
}

QRect ReportView::CaretRect(Place place) const {
  const QString& line = lines_[place.line];
  const int x = kMargin - horizontalScrollBar()->value() +
                fontMetrics().horizontalAdvance(line.left(place.column));
  const int y = kMargin + int(place.line - verticalScrollBar()->value()) * LineHeight();
  return QRect(x, y, 1, LineHeight());
}

ReportView::Place ReportView::PlaceAtPoint(QPoint point) const {
  const int row = point.y() < kMargin ? -1 : (point.y() - kMargin) / LineHeight();
  const qsizetype lineNo =
      std::clamp<qsizetype>(verticalScrollBar()->value() + row, 0, lines_.size() - 1);
  const QString& line = lines_[lineNo];
  const int x = point.x() - kMargin + horizontalScrollBar()->value();
  const QFontMetrics metrics(font());
  // The boundary nearest to the point.
  int before = 0;
  for (qsizetype column = 0; column < line.size();) {
    const qsizetype next = After(line, column);
    const int after = metrics.horizontalAdvance(line.left(next));
    if (x < (before + after) / 2) return {lineNo, column};
    before = after;
    column = next;
  }
  return {lineNo, line.size()};
}

void ReportView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  const QPalette& colours = palette();
  const QFontMetrics metrics(font());
  const int height = LineHeight();
  const int left = kMargin - horizontalScrollBar()->value();
  const auto [from, to] = std::minmax(anchor_, caret_);
  int y = kMargin;
  for (qsizetype i = verticalScrollBar()->value(); i < lines_.size() && y < viewport()->height();
       ++i, y += height) {
    const QString& line = lines_[i];
    painter.setPen(colours.color(QPalette::Text));
    painter.drawText(left, y + metrics.ascent(), line);
    if (from == to || i < from.line || i > to.line) continue;
    const qsizetype start = i == from.line ? from.column : 0;
    const qsizetype end = i == to.line ? to.column : line.size();
    const QString piece = line.mid(start, end - start);
    const int x = left + metrics.horizontalAdvance(line.left(start));
    // A selected line end shows as a little space after the line.
    const int width =
        metrics.horizontalAdvance(piece) + (i < to.line ? metrics.averageCharWidth() : 0);
    painter.fillRect(x, y, width, height, colours.brush(QPalette::Highlight));
    painter.setPen(colours.color(QPalette::HighlightedText));
    painter.drawText(x, y + metrics.ascent(), piece);
  }
  if (hasFocus() && caretShown_) painter.fillRect(CaretRect(caret_), colours.brush(QPalette::Text));
}

void ReportView::EnsureVisible(Place place) {
  QScrollBar* vertical = verticalScrollBar();
  if (place.line < vertical->value()) {
    vertical->setValue(int(place.line));
  } else if (place.line >= vertical->value() + VisibleLines()) {
    vertical->setValue(int(place.line - VisibleLines() + 1));
  }
  QScrollBar* horizontal = horizontalScrollBar();
  const int x = fontMetrics().horizontalAdvance(lines_[place.line].left(place.column));
  const int width = viewport()->width() - 2 * kMargin - 1;
  if (x < horizontal->value()) {
    horizontal->setValue(x);
  } else if (x > horizontal->value() + width) {
    horizontal->setValue(x - width);
  }
}

void ReportView::MoveCaret(Place to, bool extend) {
  to.line = std::clamp<qsizetype>(to.line, 0, lines_.size() - 1);
  to.column = std::clamp<qsizetype>(to.column, 0, lines_[to.line].size());
  const bool selectionChanged = extend || anchor_ != caret_;
  caret_ = to;
  if (!extend) anchor_ = to;
  EnsureVisible(caret_);
  RestartBlink();
  viewport()->update();
  Announce();
  if (selectionChanged && QAccessible::isActive()) {
    const auto [from, end] = std::minmax(anchor_, caret_);
    QAccessibleTextSelectionEvent selected(this, int(Offset(from)), int(Offset(end)));
    QAccessible::updateAccessibility(&selected);
  }
}

void ReportView::Announce() {
  if (!QAccessible::isActive()) return;
  QAccessibleTextCursorEvent moved(this, int(Offset(caret_)));
  QAccessible::updateAccessibility(&moved);
}

void ReportView::Select(Place from, Place to) {
  from.line = std::clamp<qsizetype>(from.line, 0, lines_.size() - 1);
  from.column = std::clamp<qsizetype>(from.column, 0, lines_[from.line].size());
  anchor_ = from;
  MoveCaret(to, true);
}

QString ReportView::SelectedText() const { return TextBetween(anchor_, caret_); }

QString ReportView::TextBetween(Place one, Place other) const {
  const auto [from, to] = std::minmax(one, other);
  if (from.line == to.line) return lines_[from.line].mid(from.column, to.column - from.column);
  QStringList pieces = {lines_[from.line].mid(from.column)};
  for (qsizetype i = from.line + 1; i < to.line; ++i) pieces << lines_[i];
  pieces << lines_[to.line].left(to.column);
  return pieces.join(u'\n');
}

qint64 ReportView::LineStart(qsizetype line) const {
  if (starts_.empty()) starts_.push_back(0);
  while (qsizetype(starts_.size()) <= line) {
    const size_t last = starts_.size() - 1;
    starts_.push_back(starts_[last] + lines_[qsizetype(last)].size() + 1);
  }
  return starts_[size_t(line)];
}

qint64 ReportView::Offset(Place place) const { return LineStart(place.line) + place.column; }

ReportView::Place ReportView::PlaceAt(qint64 offset) const {
  LineStart(lines_.size() - 1);
  const auto after = std::upper_bound(starts_.begin(), starts_.end(), std::max<qint64>(0, offset));
  const qsizetype line = qsizetype(after - starts_.begin()) - 1;
  return {line,
          std::min<qsizetype>(lines_[line].size(), qsizetype(offset - starts_[size_t(line)]))};
}

qint64 ReportView::CharacterCount() const {
  return LineStart(lines_.size() - 1) + lines_.last().size();
}

void ReportView::Edited(qsizetype from, qsizetype to) {
  if (qsizetype(starts_.size()) > from + 1) starts_.resize(size_t(from) + 1);
  const QFontMetrics metrics(font());
  for (qsizetype i = from; i <= to && i < lines_.size(); ++i)
    widest_ = std::max(widest_, metrics.horizontalAdvance(lines_[i]));
  UpdateScrollBars();
  EnsureVisible(caret_);
  RestartBlink();
  viewport()->update();
}

void ReportView::Remove(Place from, Place to) {
  if (to < from) std::swap(from, to);
  if (from == to) return;
  const qint64 at = Offset(from);
  const QString removed = QAccessible::isActive() ? TextBetween(from, to) : QString();
  if (from.line == to.line) {
    lines_[from.line].remove(from.column, to.column - from.column);
  } else {
    lines_[from.line] = lines_[from.line].left(from.column) + lines_[to.line].mid(to.column);
    lines_.remove(from.line + 1, to.line - from.line);
  }
  caret_ = anchor_ = from;
  Edited(from.line, from.line);
  if (QAccessible::isActive()) {
    QAccessibleTextRemoveEvent gone(this, int(at), removed);
    QAccessible::updateAccessibility(&gone);
    Announce();
  }
}

bool ReportView::RemoveSelection() {
  if (anchor_ == caret_) return false;
  Remove(anchor_, caret_);
  return true;
}

void ReportView::Insert(const QString& typed) {
  QString text = typed;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
  RemoveSelection();
  if (text.isEmpty()) return;
  const qint64 at = Offset(caret_);
  const QStringList pieces = text.split(u'\n');
  const qsizetype line = caret_.line;
  if (pieces.size() == 1) {
    lines_[line].insert(caret_.column, text);
    caret_.column += text.size();
  } else {
    const QString tail = lines_[line].mid(caret_.column);
    lines_[line] = lines_[line].left(caret_.column) + pieces.first();
    lines_.insert(line + 1, pieces.size() - 1, QString());
    for (qsizetype i = 1; i < pieces.size(); ++i) lines_[line + i] = pieces[i];
    lines_[line + pieces.size() - 1] += tail;
    caret_ = {line + pieces.size() - 1, pieces.last().size()};
  }
  anchor_ = caret_;
  goalX_ = -1;
  Edited(line, caret_.line);
  if (QAccessible::isActive()) {
    QAccessibleTextInsertEvent added(this, int(at), text);
    QAccessible::updateAccessibility(&added);
    Announce();
  }
}

ReportView::Place ReportView::WordStart(Place place) const {
  const QString& line = lines_[place.line];
  qsizetype column = place.column;
  while (column > 0 && !InWord(line[column - 1])) --column;
  while (column > 0 && InWord(line[column - 1])) --column;
  return {place.line, column};
}

ReportView::Place ReportView::WordEnd(Place place) const {
  const QString& line = lines_[place.line];
  qsizetype column = place.column;
  while (column < line.size() && !InWord(line[column])) ++column;
  while (column < line.size() && InWord(line[column])) ++column;
  return {place.line, column};
}

ReportView::Place ReportView::Moved(int key, Qt::KeyboardModifiers modifiers) const {
  const bool control = modifiers & Qt::ControlModifier;
  const qsizetype last = lines_.size() - 1;
  const QString& line = lines_[caret_.line];
  Place to = caret_;
  auto atGoal = [&](qsizetype lineNo) {
    const QString& target = lines_[lineNo];
    const QFontMetrics metrics(font());
    int before = 0;
    for (qsizetype column = 0; column < target.size();) {
      const qsizetype next = After(target, column);
      const int after = metrics.horizontalAdvance(target.left(next));
      if (goalX_ < (before + after) / 2) return Place{lineNo, column};
      before = after;
      column = next;
    }
    return Place{lineNo, target.size()};
  };
  switch (key) {
    case Qt::Key_Left:
      if (control && caret_.column > 0) return WordStart(caret_);
      if (caret_.column > 0) return {caret_.line, Before(line, caret_.column)};
      if (caret_.line > 0) return {caret_.line - 1, lines_[caret_.line - 1].size()};
      return to;
    case Qt::Key_Right:
      if (control && caret_.column < line.size()) return WordEnd(caret_);
      if (caret_.column < line.size()) return {caret_.line, After(line, caret_.column)};
      if (caret_.line < last) return {caret_.line + 1, 0};
      return to;
    case Qt::Key_Up:
      return caret_.line > 0 ? atGoal(caret_.line - 1) : Place{0, 0};
    case Qt::Key_Down:
      return caret_.line < last ? atGoal(caret_.line + 1) : Place{last, lines_[last].size()};
    case Qt::Key_PageUp:
      return atGoal(std::max<qsizetype>(0, caret_.line - VisibleLines()));
    case Qt::Key_PageDown:
      return atGoal(std::min(last, caret_.line + VisibleLines()));
    case Qt::Key_Home:
      return control ? Place{0, 0} : Place{caret_.line, 0};
    case Qt::Key_End:
      return control ? Place{last, lines_[last].size()} : Place{caret_.line, line.size()};
    default:
      return to;
  }
}

void ReportView::keyPressEvent(QKeyEvent* event) {
  if (event == QKeySequence::Copy) return copy();
  if (event == QKeySequence::Cut) return cut();
  if (event == QKeySequence::Paste) return paste();
  if (event == QKeySequence::SelectAll) return selectAll();
  const int key = event->key();
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
      if (goalX_ < 0)
        goalX_ = fontMetrics().horizontalAdvance(lines_[caret_.line].left(caret_.column));
      const int goal = goalX_;
      const Place to = Moved(key, modifiers);
      // A page key turns the page as well, as far as the text goes.
      if (key == Qt::Key_PageUp) verticalScrollBar()->triggerAction(QScrollBar::SliderPageStepSub);
      if (key == Qt::Key_PageDown)
        verticalScrollBar()->triggerAction(QScrollBar::SliderPageStepAdd);
      MoveCaret(to, modifiers & Qt::ShiftModifier);
      goalX_ = goal;
      return;
    }
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
      MoveCaret(Moved(key, modifiers), modifiers & Qt::ShiftModifier);
      goalX_ = -1;
      return;
    case Qt::Key_Backspace:
      if (!RemoveSelection()) {
        Place from = caret_;
        if (from.column > 0) {
          from.column = Before(lines_[from.line], from.column);
        } else if (from.line > 0) {
          from = {from.line - 1, lines_[from.line - 1].size()};
        }
        Remove(from, caret_);
      }
      return;
    case Qt::Key_Delete:
      if (!RemoveSelection()) Remove(caret_, Moved(Qt::Key_Right, {}));
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Insert(QStringLiteral("\n"));
      return;
    default:
      break;
  }
  const QString text = event->text();
  if (!text.isEmpty() && !(modifiers & (Qt::ControlModifier | Qt::AltModifier)) &&
      (text.front().isPrint() || text.front().isSurrogate())) {
    Insert(text);
    return;
  }
  // Escape and the window's own keys go on to the window.
  event->ignore();
}

void ReportView::copy() const {
  if (anchor_ != caret_) QGuiApplication::clipboard()->setText(SelectedText());
}

void ReportView::cut() {
  copy();
  RemoveSelection();
}

void ReportView::paste() { Insert(QGuiApplication::clipboard()->text()); }

void ReportView::selectAll() { Select({}, {lines_.size() - 1, lines_.last().size()}); }

void ReportView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
  MoveCaret(PlaceAtPoint(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
  goalX_ = -1;
}

void ReportView::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) MoveCaret(PlaceAtPoint(event->position().toPoint()), true);
}

void ReportView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const Place at = PlaceAtPoint(event->position().toPoint());
  const QString& line = lines_[at.line];
  const bool onWord = at.column < line.size() && InWord(line[at.column]);
  if (onWord) Select(WordStart(WordEnd(at)), WordEnd(at));
}

void ReportView::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  const bool selected = anchor_ != caret_;
  menu.addAction(QStringLiteral("Cu&t"), this, &ReportView::cut)->setEnabled(selected);
  menu.addAction(QStringLiteral("&Copy"), this, &ReportView::copy)->setEnabled(selected);
  menu.addAction(QStringLiteral("&Paste"), this, &ReportView::paste)
      ->setEnabled(!QGuiApplication::clipboard()->text().isEmpty());
  menu.addSeparator();
  menu.addAction(QStringLiteral("Select All"), this, &ReportView::selectAll);
  menu.exec(event->globalPos());
}

void ReportView::inputMethodEvent(QInputMethodEvent* event) {
  if (!event->commitString().isEmpty()) Insert(event->commitString());
  event->accept();
}

QVariant ReportView::inputMethodQuery(Qt::InputMethodQuery query) const {
  switch (query) {
    case Qt::ImEnabled:
      return true;
    case Qt::ImCursorRectangle:
      return CaretRect(caret_).translated(viewport()->pos());
    case Qt::ImSurroundingText:
      return lines_[caret_.line];
    case Qt::ImCursorPosition:
      return int(caret_.column);
    case Qt::ImAnchorPosition:
      return int(anchor_.line == caret_.line ? anchor_.column : caret_.column);
    default:
      return QAbstractScrollArea::inputMethodQuery(query);
  }
}

void ReportView::RestartBlink() {
  caretShown_ = true;
  const int flash = QApplication::cursorFlashTime();
  if (hasFocus() && flash > 0) {
    blink_.start(flash / 2, this);
  } else {
    blink_.stop();
  }
}

void ReportView::timerEvent(QTimerEvent* event) {
  if (event->timerId() != blink_.timerId()) return QAbstractScrollArea::timerEvent(event);
  caretShown_ = !caretShown_;
  viewport()->update(CaretRect(caret_));
}

void ReportView::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  RestartBlink();
  viewport()->update();
}

void ReportView::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  blink_.stop();
  viewport()->update();
}
