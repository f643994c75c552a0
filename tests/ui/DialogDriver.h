#pragma once

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <functional>
#include <memory>

#include "TestSupport.h"
#include "seams/FileChooser.h"
#include "ui/common/FormHelpers.h"

// Finds a dialog's control by its objectName, failing the test when there is none.
template <class T = QWidget>
T* Control(const QWidget* dialog, const QString& name) {
  T* found = dialog->findChild<T*>(name);
  EXPECT_NE(found, nullptr) << qPrintable(name);
  return found;
}

// Puts a text into a dialog's box, drop-down or multi-line box, as a change the user made.
inline void Fill(const QWidget* dialog, const QString& name, const QString& text) {
  QWidget* box = Control(dialog, name);
  if (auto* combo = qobject_cast<QComboBox*>(box)) combo->setEditText(text);
  if (auto* line = qobject_cast<QLineEdit*>(box)) line->setText(text);
  if (auto* lines = qobject_cast<QPlainTextEdit*>(box)) lines->setPlainText(text);
}

inline void Press(const QWidget* dialog, const QString& button) {
  Control<QPushButton>(dialog, button)->click();
}

// A window of its own (frm) over a fresh database, with the type-ahead starting afresh and every
// message box answered by the script.
template <class Window>
class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override { FormHelpers::ResetTypeAhead(); }
  template <class T = QLineEdit>
  T* Box(const QString& name) const {
    return Control<T>(frm.get(), name);
  }

  testsupport::TempDatabase db;
  testsupport::ScriptedMessageBox boxes;
  std::unique_ptr<Window> frm;
};

// Answers every file question with one path, and keeps the folder or file the question offered.
class ChosenFile final : public seams::FileChooser {
 public:
  explicit ChosenFile(QString path) : path_(std::move(path)) { seams::SetFileChooser(this); }
  ~ChosenFile() override { seams::SetFileChooser(nullptr); }
  QString OpenFile(const QString&, const QString&, const QString& folder) override {
    offered = folder;
    return path_;
  }
  QString SaveFile(const QString&, const QString& proposed, const QString&) override {
    offered = proposed;
    return path_;
  }
  QString offered;

 private:
  QString path_;
};

// Acts on the modal dialog a command opens, once the dialog runs its own event loop (a window
// may be shown while it is still being filled, and a scanned code opens one only at the next
// poll). Polls for as long as it lives, so nothing polls on after the test. Another kind of
// dialog, or one the action leaves open, fails the test and is cancelled, so that a failing test
// never hangs in exec().
template <class Dialog>
class WhenOpen {
 public:
  // A discarded WhenOpen would stop polling at once and leave the dialog waiting for good.
  [[nodiscard]] explicit WhenOpen(std::function<void(Dialog&)> act) {
    QObject::connect(&poll_, &QTimer::timeout, [this, act] {
      auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!modal || QThread::currentThread()->loopLevel() == 0) return;
      poll_.stop();
      auto* dialog = qobject_cast<Dialog*>(modal);
      if (dialog) act(*dialog);
      if (modal->isVisible()) {
        ADD_FAILURE() << (dialog ? "the dialog stayed open" : "another dialog opened");
        modal->reject();
      }
    });
    poll_.start(0);
  }

 private:
  QTimer poll_;
};

// What a screen reader finds in a shown window: every label "<X>Lbl" is the buddy of the control
// "<X>Txt" and names it, and no control the Tab key reaches is without a name. Returns how many
// labels there are.
inline int ExpectReadableControls(const QWidget* window) {
  auto name = [](QWidget* w) {
    return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
  };
  int labels = 0;
  for (QLabel* label : window->findChildren<QLabel*>()) {
    QString control = label->objectName();
    if (!control.endsWith(u"Lbl")) continue;
    ++labels;
    control.replace(control.size() - 3, 3, QStringLiteral("Txt"));
    QWidget* buddy = label->buddy();
    EXPECT_EQ(buddy ? buddy->objectName() : QString(), control);
    EXPECT_EQ(buddy ? name(buddy) : QString(), label->text()) << qPrintable(control);
  }
  for (QWidget* w : window->findChildren<QWidget*>()) {
    const QString control = w->objectName();
    const bool reached = w->isVisibleTo(window) && (w->focusPolicy() & Qt::TabFocus);
    if (reached && !control.isEmpty() && !control.startsWith(u"qt_")) {
      EXPECT_FALSE(name(w).isEmpty()) << qPrintable(control);
    }
  }
  return labels;
}
