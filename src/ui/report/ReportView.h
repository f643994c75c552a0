#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QString>
#include <QStringList>
#include <vector>

// The report's text box: the lines as they are, laid out only where they show, so that a report
// of a million lines opens as fast as one of ten. It is a plain text box otherwise: a caret moved
// by the keys and the mouse, selection, copy, and typing (a note may be added before printing).
// Lines never wrap; the text uses the box's font.
class ReportView final : public QAbstractScrollArea {
  Q_OBJECT

 public:
  // A place in the text: a line and a character within it.
  struct Place {
    qsizetype line = 0;
    qsizetype column = 0;
    bool operator==(const Place&) const = default;
    auto operator<=>(const Place&) const = default;
  };

  explicit ReportView(QWidget* parent = nullptr);

  // The text becomes these lines (at least one, which may be empty); the caret goes to the start.
  void SetLines(QStringList lines);
  const QStringList& Lines() const { return lines_; }
  // The lines joined by line feeds.
  QString Text() const;
  // The width of the widest line in the box's font, in pixels.
  int WidestLine() const { return widest_; }
  // The space the text keeps from the box's edges.
  static constexpr int kMargin = 4;

  Place Caret() const { return caret_; }
  Place Anchor() const { return anchor_; }
  // Puts the caret there (and, unless extending, the anchor too) and scrolls it into view.
  void MoveCaret(Place to, bool extend = false);
  // Selects from `from` to `to`, the caret at `to`.
  void Select(Place from, Place to);
  QString SelectedText() const;
  // The text from one place to another, line ends as line feeds.
  QString TextBetween(Place from, Place to) const;
  Place WordStart(Place place) const;
  Place WordEnd(Place place) const;
  // Characters from the start of the text to the place, a line end counting as one; and back.
  qint64 Offset(Place place) const;
  Place PlaceAt(qint64 offset) const;
  qint64 CharacterCount() const;
  // The place's rectangle in the viewport.
  QRect CaretRect(Place place) const;
  Place PlaceAtPoint(QPoint viewportPoint) const;
  // Scrolls as little as needed to show the place.
  void EnsureVisible(Place place);

 public slots:
  void copy() const;
  void cut();
  void paste();
  void selectAll();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void changeEvent(QEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  int LineHeight() const;
  int VisibleLines() const;
  void UpdateScrollBars();
  void Measure();
  void Insert(const QString& text);
  // Removes the selection; false when there was none.
  bool RemoveSelection();
  void Remove(Place from, Place to);
  // Lines from..to (inclusive) now read differently.
  void Edited(qsizetype from, qsizetype to);
  qint64 LineStart(qsizetype line) const;
  Place Moved(int key, Qt::KeyboardModifiers modifiers) const;
  void RestartBlink();
  void Announce();

  QStringList lines_{QString()};
  Place caret_;
  Place anchor_;
  // The caret's x kept while moving up and down through shorter lines.
  int goalX_ = -1;
  int widest_ = 0;
  bool caretShown_ = true;
  QBasicTimer blink_;
  // Offsets of the first lines' starts, filled as far as asked.
  mutable std::vector<qint64> starts_;
};
