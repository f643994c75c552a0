#include "ui/common/ScreenReaderControls.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace ScreenReaderControls {
namespace {

// A combo box named by its caption (its accessible name or the label it is the buddy of), its
// text given as its value; the list and, when it is editable, the edit are its children.
class ChoiceBoxAccessible final : public QAccessibleWidget {
 public:
  explicit ChoiceBoxAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {
    // The edit inside takes the focus, so it is what a screen reader announces first.
    if (QLineEdit* edit = box->lineEdit(); edit && edit->accessibleName().isEmpty()) {
      edit->setAccessibleName(QAccessibleWidget::text(QAccessible::Name));
    }
  }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return Box()->currentText();
    return QAccessibleWidget::text(t);
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = Box()->isEditable();
    state.expandable = true;
    state.expanded = Box()->view()->isVisible();
    return state;
  }

  int childCount() const override { return Box()->isEditable() ? 2 : 1; }

  QAccessibleInterface* child(int index) const override {
    if (index == 0) return QAccessible::queryAccessibleInterface(Box()->view());
    if (index == 1 && Box()->isEditable()) {
      return QAccessible::queryAccessibleInterface(Box()->lineEdit());
    }
    return nullptr;
  }

  int indexOfChild(const QAccessibleInterface* child) const override {
    if (child->object() == Box()->view()) return 0;
    if (Box()->isEditable() && child->object() == Box()->lineEdit()) return 1;
    return -1;
  }

  QAccessibleInterface* focusChild() const override {
    return Box()->isEditable() ? child(1) : QAccessibleWidget::focusChild();
  }

  QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }

  void doAction(const QString& action) override {
    if (action != showMenuAction() && action != pressAction()) return;
    if (Box()->view()->isVisible()) {
      Box()->hidePopup();
    } else {
      Box()->showPopup();
    }
  }

  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  QComboBox* Box() const { return static_cast<QComboBox*>(widget()); }
};

// A line edit that shows a value: read only, not editable, its text readable and selectable.
class DisplayBoxAccessible final : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit DisplayBoxAccessible(QLineEdit* edit)
      : QAccessibleWidget(edit, QAccessible::EditableText) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return Edit()->text();
    return QAccessibleWidget::text(t);
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = Edit()->isReadOnly();
    state.editable = !state.readOnly;
    state.selectableText = true;
    return state;
  }

  void selection(int index, int* start, int* end) const override {
    *start = *end = 0;
    if (index != 0 || !Edit()->hasSelectedText()) return;
    *start = Edit()->selectionStart();
    *end = *start + int(Edit()->selectedText().size());
  }
  int selectionCount() const override { return Edit()->hasSelectedText() ? 1 : 0; }
  void addSelection(int start, int end) override { setSelection(0, start, end); }
  void removeSelection(int) override { Edit()->deselect(); }
  void setSelection(int, int start, int end) override { Edit()->setSelection(start, end - start); }
  int cursorPosition() const override { return Edit()->cursorPosition(); }
  void setCursorPosition(int position) override { Edit()->setCursorPosition(position); }
  QString text(int start, int end) const override { return Edit()->text().mid(start, end - start); }
  int characterCount() const override { return int(Edit()->text().size()); }

  QRect characterRect(int offset) const override {
    const QString shown = Edit()->text();
    if (offset < 0 || offset >= shown.size()) return {};
    // Measured from the start of the text: a display box shows a value from its beginning.
    const QFontMetrics metrics = Edit()->fontMetrics();
    const int left = Edit()->contentsRect().left() + Edit()->textMargins().left() + 2 +
                     metrics.horizontalAdvance(shown.left(offset));
    const QRect local(left, 0, metrics.horizontalAdvance(shown.at(offset)), Edit()->height());
    return QRect(Edit()->mapToGlobal(local.topLeft()), local.size());
  }

  int offsetAtPoint(const QPoint& point) const override {
    return Edit()->cursorPositionAt(Edit()->mapFromGlobal(point));
  }

  void scrollToSubstring(int start, int end) override {
    Edit()->setCursorPosition(end);
    Edit()->setCursorPosition(start);
  }

  QString attributes(int, int* start, int* end) const override {
    *start = 0;
    *end = characterCount();
    return {};
  }

 private:
  QLineEdit* Edit() const { return static_cast<QLineEdit*>(widget()); }
};

QAccessibleInterface* Describe(const QString& className, QObject* object) {
  if (className == u"QComboBox") {
    if (auto* box = qobject_cast<QComboBox*>(object)) return new ChoiceBoxAccessible(box);
  } else if (className == u"QLineEdit") {
    auto* edit = qobject_cast<QLineEdit*>(object);
    if (edit && edit->isReadOnly() && edit->echoMode() == QLineEdit::Normal) {
      return new DisplayBoxAccessible(edit);
    }
  }
  return nullptr;
}

}  // namespace

void Install() {
  // Factories installed later are asked first, so this one is asked before Qt's own.
  QAccessible::installFactory(Describe);
}

}  // namespace ScreenReaderControls
