#include <QMouseEvent>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>

#include "ReelKeeperFrmFixture.h"
#include "ui/common/MainLayout.h"

namespace {

using MainLayout::SplitBand;

// The list, the splitter and the tabs fill the band exactly at every width and ratio, and a
// band too small gives zero, never negative, sizes.
TEST(MainLayoutTest, TheThreePartsAlwaysFillTheBandExactly) {
  const MainLayout::Halves half = SplitBand(QRect(0, 40, 10000, 5000), 0.5, 100);
  EXPECT_EQ(QList<QRect>({half.list, half.splitter, half.tabs}),
            QList<QRect>({QRect(0, 40, 4950, 5000), QRect(4950, 40, 100, 5000),
                          QRect(5050, 40, 4950, 5000)}));
  for (const int width : {97, 640, 1001, 1919}) {
    for (const double ratio : {0.125, 0.3, 0.5, 0.77, 0.875}) {
      const MainLayout::Halves h = SplitBand(QRect(3, 0, width, 100), ratio, 7);
      EXPECT_EQ(h.list.left(), 3);
      EXPECT_EQ(h.list.right() + 1, h.splitter.left());
      EXPECT_EQ(h.splitter.right() + 1, h.tabs.left());
      EXPECT_EQ(h.tabs.right() + 1, 3 + width) << width << " " << ratio;
    }
  }
  const MainLayout::Halves tiny = SplitBand(QRect(0, 50, 40, -20), 0.125, 100);
  EXPECT_EQ(QList<int>(
                {tiny.list.width(), tiny.tabs.width(), tiny.list.height(), tiny.splitter.height()}),
            QList<int>({0, 0, 0, 0}));
}

TEST(MainLayoutTest, RatioFromTheSplitterIsHeldBetweenAnEighthAndSevenEighths) {
  EXPECT_FLOAT_EQ(MainLayout::RatioFromSplitter(4950, 100, 10000, 0.2f), 0.5f);
  EXPECT_FLOAT_EQ(MainLayout::RatioFromSplitter(-3000, 100, 10000, 0.5f), 0.125f);
  EXPECT_FLOAT_EQ(MainLayout::RatioFromSplitter(9990, 100, 10000, 0.5f), 0.875f);
  EXPECT_FLOAT_EQ(MainLayout::RatioFromSplitter(10, 100, 0, 0.4f), 0.4f);  // nothing to divide by
  // Dragged far left: the list keeps an eighth of the width less half the splitter.
  EXPECT_EQ(SplitBand(QRect(0, 0, 10000, 10), 0.125, 100).list.width(), 1200);
}

QHash<QString, QRect> DesignedControls() {
  return {{"TitleTxt", QRect(80, 0, 100, 24)},     {"StatusTxt", QRect(80, 28, 100, 24)},
          {"DescFrame", QRect(0, 200, 150, 150)},  {"DescriptionTxt", QRect(3, 20, 100, 100)},
          {"NotesTxt", QRect(80, 300, 100, 72)},   {"OutDateTxt", QRect(80, 250, 100, 24)},
          {"PhoneNameTxt", QRect(80, 0, 100, 24)}, {"PhoneNotesTxt", QRect(80, 200, 100, 72)},
          {"SaveButton", QRect(80, 276, 90, 30)},  {"DeleteButton", QRect(174, 276, 90, 30)},
          {"TitleLbl", QRect(0, 0, 76, 24)}};
}

TEST(MainLayoutTest, PanelsStretchTheirBoxesToTheRightAndBottomEdges) {
  const QSize panel(600, 500);
  const auto tab1 = MainLayout::StretchPanel(1, panel, DesignedControls(), 3);
  EXPECT_EQ(tab1["StatusTxt"], QRect(80, 28, 520, 24));
  EXPECT_EQ(tab1["DescFrame"], QRect(0, 200, 600, 300));
  EXPECT_EQ(tab1["DescriptionTxt"], QRect(3, 20, 600 - 3 - 3, (500 - 200) - 20 - 3));
  EXPECT_EQ(tab1["NotesTxt"], QRect(80, 300, 100, 72));  // another tab's box is left alone
  EXPECT_EQ(tab1["TitleLbl"], QRect(0, 0, 76, 24));

  const auto tab2 = MainLayout::StretchPanel(2, panel, DesignedControls(), 3);
  EXPECT_EQ(tab2["OutDateTxt"], QRect(80, 250, 520, 24));
  EXPECT_EQ(tab2["NotesTxt"], QRect(80, 300, 520, 200));

  const auto tab3 = MainLayout::StretchPanel(3, panel, DesignedControls(), 3);
  EXPECT_EQ(tab3["PhoneNameTxt"], QRect(80, 0, 520, 24));
  EXPECT_EQ(tab3["PhoneNotesTxt"], QRect(80, 200, 520, 500 - 200 - 30));
  EXPECT_EQ(tab3["SaveButton"], QRect(80, 470, 90, 30));
  EXPECT_EQ(tab3["DeleteButton"], QRect(174, 470, 90, 30));

  // Shrunken panels give zero sizes, never negative ones.
  for (int tab = 1; tab <= 3; ++tab) {
    for (const QRect& placed : MainLayout::StretchPanel(tab, QSize(10, 10), DesignedControls(), 3))
      EXPECT_TRUE(placed.width() >= 0 && placed.height() >= 0) << tab;
  }
}

class SplitterTest : public ReelKeeperFrmTest {
 protected:
  void SetUp() override {
    ReelKeeperFrmTest::SetUp();
    Load();
    frm->setWindowState(Qt::WindowNoState);
    frm->setGeometry(10, 10, 600, 450);
    frm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
  }
  QWidget* Splitter() const { return Find("SeparatorButton"); }
  void Drag(int dx) {
    const QPoint grip(Splitter()->width() / 2, 100);
    QTest::mousePress(Splitter(), Qt::LeftButton, {}, grip);
    QTest::mouseMove(Splitter(), grip + QPoint(dx, 0));
    QTest::mouseRelease(Splitter(), Qt::LeftButton, {}, grip + QPoint(dx, 0));
  }
  int BandWidth() const { return frm->centralWidget()->width(); }
};

// The ratio follows the pointer and the list and the tabs follow the ratio. Its bounds, and where
// they put the list, are RatioFromSplitter's and SplitBand's (above).
TEST_F(SplitterTest, DraggingMovesTheRatioWithThePointer) {
  QWidget* splitter = Splitter();
  const int before = splitter->x();
  Drag(100);
  EXPECT_NEAR(splitter->x(), before + 100, 1);
  EXPECT_NEAR(frm->SeparatorRatio, (splitter->x() + splitter->width() / 2.0) / BandWidth(), 0.002);
  EXPECT_EQ(List()->geometry().right() + 1, splitter->x());
  EXPECT_EQ(Find<QTabWidget>("Tabs")->geometry().right() + 1, BandWidth());
}

// The panel shown is stretched at every size; down to the smallest the window allows, every
// control stays usable and the buttons sit below the boxes, never on them.
TEST_F(SplitterTest, WindowResizeKeepsTheRatioAndStretchesTheVisiblePanel) {
  frm->SeparatorRatio = 0.4f;
  frm->resize(780, 580);
  ASSERT_TRUE(QTest::qWaitFor([&] { return BandWidth() == 780; }));
  QWidget* splitter = Splitter();
  EXPECT_NEAR(splitter->x() + splitter->width() / 2.0, BandWidth() * 0.4, 1.0);
  QWidget* panel = Find("DVDInfoFrame");
  QWidget* title = Find("TitleTxt");
  EXPECT_EQ(title->geometry().right() + 1, panel->width());
  Find<QTabWidget>("Tabs")->setCurrentIndex(2);
  QWidget* phonePanel = Find("PhoneBookFrame");
  QWidget* save = Find("SaveButton");
  QWidget* notes = Find("PhoneNotesTxt");
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return save->geometry().bottom() + 1 == phonePanel->height(); }));
  EXPECT_EQ(notes->geometry().bottom() + 1, save->y());

  frm->resize(200, 150);
  EXPECT_GE(frm->width(), frm->minimumSizeHint().width());
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return save->geometry().bottom() + 1 == phonePanel->height(); }));
  EXPECT_LE(notes->geometry().bottom(), save->y());
  EXPECT_GT(notes->height(), 0);
  EXPECT_GT(Find("PhoneCellTxt")->width(), 40);
  // The loan's tab has the most rows: its notes box is whole too, with three lines of room.
  Find<QTabWidget>("Tabs")->setCurrentIndex(1);
  auto* loanNotes = Find<QPlainTextEdit>("NotesTxt");
  ASSERT_TRUE(QTest::qWaitFor([&] { return loanNotes->isVisible(); }));
  EXPECT_EQ(loanNotes->visibleRegion().boundingRect(), loanNotes->rect());
  EXPECT_GE(loanNotes->height(), 3 * Find("NameTxt")->height());
  QWidget* outDate = Find("OutDateTxt");
  EXPECT_GE(outDate->width(), outDate->sizeHint().width());
}

TEST_F(SplitterTest, TextBoxesInsidesFollowTheirBoxAtOnce) {
  // The window stretches its own controls only; what Qt builds inside a text box (its viewport)
  // must follow the box, not be put back where it was before the resize.
  auto* tabs = Find<QTabWidget>("Tabs");
  const QString boxes[] = {"DescriptionTxt", "NotesTxt", "PhoneNotesTxt"};
  for (int tab = 0; tab < 3; ++tab) {
    tabs->setCurrentIndex(tab);
    frm->resize(900 + 40 * tab, 700 + 30 * tab);
    auto* box = Find<QPlainTextEdit>(boxes[tab]);
    const QRect inside = box->contentsRect();
    EXPECT_EQ(box->viewport()->height(), inside.height()) << qPrintable(boxes[tab]);
    EXPECT_GE(box->viewport()->width(),
              inside.width() - box->verticalScrollBar()->sizeHint().width())
        << qPrintable(boxes[tab]);
  }
}

}  // namespace
