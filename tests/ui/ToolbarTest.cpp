// The toolbar from the keyboard, and under the pointer.
#include <QApplication>
#include <QMenu>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QWidgetAction>

#include "DialogDriver.h"
#include "ReelKeeperFrmFixture.h"
#include "ui/dialogs/AddEditFrm.h"
#include "ui/search/SearchFrm.h"

using seams::MsgAnswer;

namespace {

class ToolbarTest : public ReelKeeperFrmTest {
 protected:
  void Show() {
    Load();
    frm->resize(1200, 700);
    frm->show();
    frm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frm.get()));
  }
  // Keys reach the shortcuts of the active window only: a dialog just closed may still hold it.
  void Key(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    frm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frm.get()));
    target->setFocus();
    QTest::keyClick(target, key, modifiers);
  }
};

TEST_F(ToolbarTest, EveryCommandHasAKeyNamedInItsTooltip) {
  db.AddDvd("Heat");
  Show();
  QStringList keys;
  for (QAction* action : Find<QToolBar>("MainToolbar")->actions()) {
    if (qobject_cast<QWidgetAction*>(action)) continue;
    const QString key = action->shortcut().toString(QKeySequence::NativeText);
    EXPECT_FALSE(key.isEmpty()) << qPrintable(action->objectName());
    EXPECT_TRUE(action->toolTip().endsWith(" (" + key + ')')) << qPrintable(action->toolTip());
    keys << key;
  }
  keys.removeDuplicates();
  EXPECT_EQ(keys.size(), 11);

  Click("Heat");
  bool added = false;
  WhenOpen<AddEditFrm> adding([&](AddEditFrm& dialog) {
    added = dialog.AddMode;
    Press(&dialog, "CancelButton");
  });
  Key(List(), Qt::Key_Insert);
  EXPECT_TRUE(added);

  boxes.Answer(MsgAnswer::No);
  Key(List(), Qt::Key_Delete);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].title, "Delete?");
  // In a text box Delete stays the box's own key.
  Find<QTabWidget>("Tabs")->setCurrentIndex(2);
  Key(Find<QComboBox>("PhoneNameTxt")->lineEdit(), Qt::Key_Delete);
  EXPECT_EQ(boxes.Shown().size(), 1u);

  bool searched = false;
  WhenOpen<SearchFrm> searching([&](SearchFrm& dialog) {
    searched = true;
    dialog.reject();
  });
  Key(Find<QComboBox>("PhoneNameTxt")->lineEdit(), Qt::Key_F, Qt::ControlModifier);
  EXPECT_TRUE(searched);

  // The collection's key opens its menu, which the arrow keys walk.
  auto* menu = Find<QMenu>("CollectionMenu");
  QString reached;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, menu, [&] {
    if (!menu->isVisible()) return;
    poll.stop();
    QTest::keyClick(menu, Qt::Key_Down);
    reached = menu->activeAction() ? menu->activeAction()->objectName() : "none";
    menu->close();
  });
  poll.start(10);
  Key(List(), Qt::Key_C, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !reached.isEmpty(); }));
  poll.stop();
  EXPECT_EQ(reached, "ImportDVDs");
}

// The window opens on the list; Shift+Tab from there walks the buttons backwards; Space on one runs
// its command.
TEST_F(ToolbarTest, TabReachesTheButtons) {
  Show();
  EXPECT_EQ(QApplication::focusWidget(), List());
  QStringList reached;
  for (int step = 0; step < 9; ++step) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    reached << QApplication::focusWidget()->objectName();
  }
  EXPECT_EQ(reached, QStringList({"About", "Reminders", "Collection", "Search", "PhoneBook",
                                  "StatusReport", "DelDVD", "EditDVD", "AddDVD"}));
  bool added = false;
  WhenOpen<AddEditFrm> adding([&](AddEditFrm& dialog) {
    added = true;
    Press(&dialog, "CancelButton");
  });
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  EXPECT_TRUE(added);
}

// The loan buttons come and go with the selection; the buttons after them stay put.
TEST_F(ToolbarTest, ButtonsStayPutWhateverTheLoanButtonsDo) {
  db.AddDvd("Alien");
  db.AddDvd("Heat", {}, 1, "Ann");
  Show();
  const auto places = [&] {
    QCoreApplication::processEvents();
    QStringList at;
    for (const char* key : {"StatusReport", "Search", "About"}) {
      const QRect r = Find<QToolButton>(QString::fromUtf8(key))->geometry();
      at << QStringLiteral("%1:%2+%3").arg(key).arg(r.x()).arg(r.width());
    }
    return at;
  };
  const QStringList none = places();
  Click("Alien");  // "Loan DVD" alone
  EXPECT_TRUE(Button("LoanDVD")->isVisible());
  EXPECT_EQ(places(), none);
  Click("Heat");  // "Return DVD" and "Edit Loan"
  EXPECT_TRUE(Button("EditLoan")->isVisible());
  EXPECT_EQ(places(), none);
}

}  // namespace
