#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <memory>

#include "TestSupport.h"
#include "ui/common/DVDListModel.h"
#include "ui/common/DVDListView.h"
#include "ui/common/FormHelpers.h"
#include "ui/main/InventoryCommands.h"
#include "ui/main/ReelKeeperFrm.h"

// The real main window over a fresh database, with today fixed at 10 April 2024 and every
// message box answered by the script.
class ReelKeeperFrmTest : public ::testing::Test {
 protected:
  static QDate Today() { return QDate(2024, 4, 10); }

  void SetUp() override { FormHelpers::ResetTypeAhead(); }

  ReelKeeperFrm& Load() {
    frm = std::make_unique<ReelKeeperFrm>(db);
    frm->LoadForm();
    return *frm;
  }

  template <class T = QWidget>
  T* Find(const QString& name) const {
    T* found = frm->findChild<T*>(name);
    EXPECT_NE(found, nullptr) << qPrintable(name);
    return found;
  }
  QString Text(const QString& name) const { return Find<QLineEdit>(name)->text(); }
  DVDListView* List() const { return Find<DVDListView>("DVDList"); }
  QAction* Button(const QString& key) const { return Find<QAction>(key); }
  QString StatusBarText() const { return frm->statusBar()->currentMessage(); }

  // What the user's click on a row does: the current row changes.
  void Click(const QString& title) {
    DVDListModel* model = List()->Model();
    const int row = model->FindTitle(title);
    ASSERT_GE(row, 0) << qPrintable(title);
    List()->setCurrentIndex(model->index(row, 0));
  }

  testsupport::TempDatabase db;
  testsupport::ScriptedMessageBox boxes;
  testsupport::FixedClock clock{Today()};
  std::unique_ptr<ReelKeeperFrm> frm;
};
