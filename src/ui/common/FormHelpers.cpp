#include "ui/common/FormHelpers.h"

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPointer>
#include <QSignalBlocker>
#include <QStringListModel>
#include <QTimer>
#include <optional>

#include "seams/DocumentOpener.h"
#include "seams/NetworkState.h"
#include "ui/common/ChoiceModel.h"

namespace FormHelpers {
namespace {

struct TypeAhead {
  bool busy = false;
  QString lastBox;
  QString lastText;
};
TypeAhead typeAhead;

QPointer<QWidget> mainWindow;

// Qt builds some controls from inner widgets of its own (a combo box's edit, a list's viewport)
// whose names are empty or start with "qt_"; the control the user sees is the named one.
bool IsNamedControl(const QWidget* w) {
  const QString name = w->objectName();
  return !name.isEmpty() && !name.startsWith(u"qt_");
}

// The control of window that the pointer over `under` stands for, or nullptr.
QWidget* ControlUnder(QWidget* under, QWidget* window) {
  if (!under || under->window() != window) return nullptr;
  for (QWidget* w = under; w && w != window; w = w->parentWidget()) {
    if (IsNamedControl(w) && !qobject_cast<QLabel*>(w)) return w;
  }
  return nullptr;
}

// False for a window without a Message of its own (asked first, so that Qt has nothing to warn
// about at every tick of the hint timer).
bool CallMessage(QWidget* window, const QString& text) {
  return window && window->metaObject()->indexOfMethod("Message(QString)") >= 0 &&
         QMetaObject::invokeMethod(window, "Message", Qt::DirectConnection, Q_ARG(QString, text));
}

void Complete(QComboBox* combo, QLineEdit* edit, const QString& item, qsizetype typed) {
  if (combo) {
    combo->setEditText(item);
  } else {
    edit->setText(item);
  }
  // Caret after the typed part, the rest selected.
  edit->setCursorPosition(int(item.size()));
  edit->cursorBackward(true, int(item.size() - typed));
}

}  // namespace

void AutoComplete(QWidget* box, QListWidget* list) {
  if (typeAhead.busy || !box) return;
  auto* combo = qobject_cast<QComboBox*>(box);
  QLineEdit* edit = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(box);
  if (!edit) return;
  // The completion below changes the box again, which calls back in here; that call must not
  // complete a second time.
  typeAhead.busy = true;
  struct Release {
    ~Release() { typeAhead.busy = false; }
  } release;

  const QString current = edit->text();
  const qsizetype typed = current.size();
  if (box->objectName() == typeAhead.lastBox) {
    if (current == typeAhead.lastText) return;
    const bool deletedFromEnd =
        typeAhead.lastText.size() > typed && typeAhead.lastText.startsWith(current);
    typeAhead.lastText = current;
    if (deletedFromEnd) return;
  } else {
    typeAhead.lastBox = box->objectName();
    typeAhead.lastText = current;
  }
  if (current.isEmpty()) return;

  // A drop-down of stored values asks its index: it has read only what has been scrolled to.
  if (auto* choices = combo ? qobject_cast<ChoiceModel*>(combo->model()) : nullptr) {
    if (const std::optional<QString> item = choices->FirstStartingWith(current))
      Complete(combo, edit, *item, typed);
    return;
  }
  const int count = list ? list->count() : (combo ? combo->count() : 0);
  for (int i = 0; i < count; ++i) {
    const QString item = list ? list->item(i)->text() : combo->itemText(i);
    if (item.size() < typed || QStringView(item).left(typed).compare(current, Qt::CaseInsensitive))
      continue;
    if (list) {
      list->setCurrentRow(i);
      list->scrollToItem(list->item(i));
    }
    Complete(combo, edit, item, typed);
    return;
  }
}

void ResetTypeAhead() { typeAhead = TypeAhead{}; }

void ShowHint(QWidget* window) {
  if (!window) return;
  QWidget* control = ControlUnder(QApplication::widgetAt(QCursor::pos()), window);
  if (!control) return;
  const QString hint = control->property("Tag").toString();
  if (!CallMessage(window, hint)) MainMessage(hint);
}

QTimer* HintTimer(QWidget* window) {
  auto* timer = new QTimer(window);
  timer->setObjectName(QStringLiteral("TagTimer"));
  timer->setInterval(100);
  QObject::connect(timer, &QTimer::timeout, window, [window] { ShowHint(window); });
  return timer;
}

void SetMainWindow(QWidget* window) { mainWindow = window; }

QWidget* MainWindow() { return mainWindow; }

void MainMessage(const QString& text) { CallMessage(mainWindow, text); }

bool OpenDocument(const QString& target) { return seams::CurrentDocumentOpener().Open(target); }

bool IsConnected() { return seams::CurrentNetworkState().IsConnected(); }

QComboBox* NewChoiceBox(QWidget* parent, int minimumContentsLength) {
  auto* box = new QComboBox(parent);
  box->setEditable(true);
  box->setCompleter(nullptr);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setMaxVisibleItems(20);
  box->setModel(new QStringListModel(box));
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  box->setMinimumContentsLength(minimumContentsLength);
  if (auto* view = qobject_cast<QListView*>(box->view())) view->setUniformItemSizes(true);
  return box;
}

void SetChoices(QComboBox* box, const QStringList& choices) {
  const QString remembered = box->currentText();
  const QSignalBlocker quiet(box);
  static_cast<QStringListModel*>(box->model())->setStringList(choices);
  box->setCurrentIndex(-1);
  box->setEditText(remembered);
}

}  // namespace FormHelpers
