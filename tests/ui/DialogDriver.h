#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <functional>

// Finds a dialog's control by its objectName, failing the test when there is none.
template <class T = QWidget>
T* Control(const QWidget* dialog, const QString& name) {
  T* found = dialog->findChild<T*>(name);
  EXPECT_NE(found, nullptr) << qPrintable(name);
  return found;
}

// Acts on the modal dialog a command is about to open, from inside its exec(). A dialog that the
// action leaves open is cancelled, so that a failing test never hangs in exec().
template <class Dialog>
void WhenOpen(std::function<void(Dialog&)> act) {
  QTimer::singleShot(0, [act] {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    if (!dialog) {
      ADD_FAILURE() << "no such dialog open";
      if (QWidget* other = QApplication::activeModalWidget()) other->close();
      return;
    }
    act(*dialog);
    if (dialog->isVisible()) {
      ADD_FAILURE() << "the dialog stayed open";
      dialog->template findChild<QPushButton*>(QStringLiteral("CancelButton"))->click();
    }
  });
}
