#pragma once

#include <QLabel>
#include <QString>
#include <QWidget>
#include <span>

class QLineEdit;
class QPlainTextEdit;

// The pieces the three detail panels of the main window are built from.
namespace PanelRows {

inline constexpr int kRowGap = 4;  // pixels between rows, and between a label and its box

// Places label and box rows down a panel: labels in a column on the left, boxes from boxLeft.
// Each label is named after its box ("TitleLbl" for "TitleTxt") and is the box's buddy.
class Column {
 public:
  Column(QWidget* panel, int boxLeft, int rowHeight)
      : panel_(panel), boxLeft_(boxLeft), rowHeight_(rowHeight) {}

  template <class Box>
  Box* Add(const QString& caption, const QString& name, Box* box, const QString& hint,
           int height = 0) {
    Place(caption, name, box, hint, height);
    return box;
  }
  int Top() const { return y_; }

 private:
  void Place(const QString& caption, const QString& name, QWidget* box, const QString& hint,
             int height);

  QWidget* panel_;
  int boxLeft_;
  int rowHeight_;
  int y_ = 0;
};

// A read-only one-line box.
QLineEdit* DisplayBox(QWidget* parent);
// A multi-line box; Tab moves on to the next control instead of typing a tab.
QPlainTextEdit* NotesBox(QWidget* parent, bool readOnly);

// Shows a text in a one-line box from its beginning: a long title shows its start, not its end.
void ShowText(QLineEdit* box, const QString& text);

// The stored texts keep CR LF line ends; the editor works with plain line feeds.
QString ToEditor(const QString& text);
QString FromEditor(const QString& text);

// The widest of the captions, plus room on either side: the labels' column.
int LabelWidth(const QWidget* panel, std::span<const char* const> captions);

}  // namespace PanelRows
