#include "ui/common/PanelRows.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>

namespace PanelRows {

void Column::Place(const QString& caption, const QString& name, QWidget* box, const QString& hint,
                   int height) {
  const int rowHeight = height > 0 ? height : rowHeight_;
  box->setObjectName(name);
  box->setProperty("Tag", hint);
  box->setGeometry(boxLeft_, y_, 100, rowHeight);
  auto* label = new QLabel(caption, panel_);
  QString labelName = name;
  labelName.replace(labelName.size() - 3, 3, QStringLiteral("Lbl"));
  label->setObjectName(labelName);
  label->setBuddy(box);
  label->setGeometry(0, y_, boxLeft_ - kRowGap, rowHeight_);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  y_ += rowHeight + kRowGap;
}

QLineEdit* DisplayBox(QWidget* parent) {
  auto* box = new QLineEdit(parent);
  box->setReadOnly(true);
  return box;
}

QPlainTextEdit* NotesBox(QWidget* parent, bool readOnly) {
  auto* box = new QPlainTextEdit(parent);
  box->setReadOnly(readOnly);
  box->setTabChangesFocus(true);
  box->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  return box;
}

void ShowText(QLineEdit* box, const QString& text) {
  box->setText(text);
  box->setCursorPosition(0);
}

QString ToEditor(const QString& text) {
  return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString FromEditor(const QString& text) {
  return QString(text).replace(u'\n', QStringLiteral("\r\n"));
}

int LabelWidth(const QWidget* panel, std::span<const char* const> captions) {
  int width = 0;
  for (const char* caption : captions) {
    width = std::max(width, panel->fontMetrics().horizontalAdvance(QString::fromUtf8(caption)));
  }
  return width + 2 * kRowGap;
}

}  // namespace PanelRows
