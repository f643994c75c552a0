#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QFocusEvent>
#include <QFont>
#include <QHeaderView>
#include <QLocale>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <cmath>
#include <limits>

#include "TestSupport.h"
#include "data/DatabaseFunctions.h"
#include "inventory/InventoryRecords.h"
#include "settings/SettingsManager.h"
#include "ui/common/DVDListModel.h"
#include "ui/common/DVDListView.h"
#include "ui/common/Twips.h"
#include "ui/common/WindowLayout.h"

namespace {

using InventoryFunctions::DVDQuery;

const QDate kToday(2026, 12, 4);

class DVDListTest : public ::testing::Test {
 protected:
  void Load(DVDListView& list) {
    list.LoadListColumns();
    list.Reload(DVDQuery::List());
  }

  static QStringList Captions(const DVDListView& list) {
    QStringList captions;
    for (int c = 0; c < list.Model()->columnCount(); ++c)
      captions << list.Model()->headerData(c, Qt::Horizontal).toString();
    return captions;
  }

  // The captions in the order the header shows them.
  static QStringList ShownOrder(const DVDListView& list) {
    QStringList captions;
    for (int v = 0; v < list.Model()->columnCount(); ++v)
      captions << Captions(list)[list.header()->logicalIndex(v)];
    return captions;
  }

  // The shown texts of one column (0: the titles), top to bottom.
  static QStringList Texts(const DVDListView& list, int column = 0) {
    QStringList texts;
    for (int r = 0; r < list.Model()->rowCount(); ++r)
      texts << list.Model()->index(r, column).data().toString();
    return texts;
  }

  // The sort the list holds, then the one its header shows: "key asc|desc", or "-" when off.
  static QString SortState(const DVDListView& list) {
    auto text = [](bool on, int key, Qt::SortOrder order) {
      return on ? QStringLiteral("%1 %2").arg(key).arg(order == Qt::AscendingOrder ? "asc" : "desc")
                : QStringLiteral("-");
    };
    const QHeaderView* header = list.header();
    return text(list.Sorted(), list.SortKey(), list.SortOrder()) + " / " +
           text(header->isSortIndicatorShown(), header->sortIndicatorSection(),
                header->sortIndicatorOrder());
  }

  testsupport::TempDatabase database;
  testsupport::FixedClock clock{kToday};
};

// The cell texts themselves are the row rules' and the columns the table's (core tests); the
// model carries them with the picture, the bold font of an overdue row and the stored title.
TEST_F(DVDListTest, RowCarriesItsCellsPictureAndBoldFromTheRowRules) {
  database.AddDvd("Late\r\nFilm", "Drama", 1, "Ann", "2026-11-20", "2026-12-01", "007", "PG",
                  "Someone");
  database.AddDvd("Shelf", "Comedy");
  DVDListView list{database};
  Load(list);
  DVDListModel* model = list.Model();
  ASSERT_EQ(model->rowCount(), 2);
  QStringList first;
  for (int c = 0; c < model->columnCount(); ++c) first << model->index(0, c).data().toString();
  EXPECT_EQ(first, QStringList({"Late Film", "Drama", "Someone", "PG", "Overdue", "12/1/2026"}));
  EXPECT_EQ(model->TitleAt(0), "Late\r\nFilm");
  EXPECT_EQ(model->index(0, 0).data(DVDListModel::IconIndexRole).toInt(), 3);
  EXPECT_EQ(model->index(1, 0).data(DVDListModel::IconIndexRole).toInt(), 2);
  EXPECT_FALSE(model->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
  EXPECT_TRUE(model->index(0, 1).data(Qt::DecorationRole).isNull());
  for (int column = 0; column < model->columnCount(); ++column) {
    EXPECT_TRUE(model->index(0, column).data(Qt::FontRole).value<QFont>().bold()) << column;
    EXPECT_FALSE(model->index(1, column).data(Qt::FontRole).isValid()) << column;
  }

  // Trimming or reordering the columns of a filled list (a stored layout applied again) keeps
  // each column's cells.
  auto columns = model->Columns();
  std::swap(columns[1], columns[3]);
  columns.resize(4);
  model->SetColumns(columns);
  EXPECT_EQ(Captions(list), QStringList({"Title", "Rated", "Starring", "Category"}));
  EXPECT_EQ(Texts(list, 1), QStringList({"PG", ""}));
  EXPECT_EQ(Texts(list, 3), QStringList({"Drama", "Comedy"}));
}

class LoadedListTest : public DVDListTest {
 protected:
  void SetUp() override {
    database.AddDvd("Zed", "Comedy", 0);
    database.AddDvd("alpha", "drama", 0);
    database.AddDvd("Lent late", "Action", 1, "Ann", "2026-11-01", "2026-12-01");
    database.AddDvd("Lent soon", "comedy", 1, "Bob", "2026-11-01", "2026-12-10");
    database.AddDvd("Odd", "Action", 7, "", "2026-11-01", "2026-12-20");
    database.AddDvd("Ally", "Drama", 1, "Cy", "2026-11-01", "2026-12-10");
    Load(list);
    QObject::connect(&list, &DVDListView::ItemClicked, [this] { ++clicks; });
  }

  void Show() {
    list.resize(800, 300);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
  }

  // What the windows do after every command: remember, reload, reselect.
  void LoadDVDList() {
    const QString title = list.SelectedTitle();
    list.Reload(DVDQuery::List());
    list.SelectTitle(title);
  }

  DVDListView list{database};
  int clicks = 0;
};

TEST_F(LoadedListTest, ReloadKeepsTheSelectionWhereverTheRowMoved) {
  EXPECT_EQ(list.SelectedTitle(), "");
  list.SelectTitle("LENT soon");  // letter case ignored
  EXPECT_EQ(list.SelectedTitle(), "Lent soon");
  EXPECT_EQ(list.currentIndex().row(), 3);

  database.Db()->Execute("UPDATE Inventory SET Status = 0 WHERE DVDTitle = 'Lent soon'");
  LoadDVDList();
  EXPECT_EQ(list.SelectedTitle(), "Lent soon");
  EXPECT_EQ(list.currentIndex().row(), 5);

  // A title that is gone leaves nothing selected; an unknown one changes nothing.
  list.SelectTitle("Zed");
  list.SelectTitle("No such film");
  EXPECT_EQ(list.SelectedTitle(), "Zed");
  database.Db()->Execute("DELETE FROM Inventory WHERE DVDTitle = 'Zed'");
  LoadDVDList();
  EXPECT_EQ(list.SelectedTitle(), "");
  EXPECT_EQ(clicks, 0);  // none of this was the user's doing
}

// Typing in the list moves to the next title that starts with the typed text, letter case
// ignored and accents kept, round past the end (the list asks its title index).
TEST_F(LoadedListTest, TypingMovesToTheNextTitleStartingWithIt) {
  database.AddDvd("école");
  LoadDVDList();
  Show();
  list.SelectTitle("Zed");
  QTest::keyClicks(list.viewport(), "AL");
  EXPECT_EQ(list.SelectedTitle(), "Ally");
  QTest::qWait(QApplication::keyboardInputInterval() + 50);
  QTest::keyClicks(list.viewport(), "e");
  EXPECT_EQ(list.SelectedTitle(), "Ally");
  QTest::qWait(QApplication::keyboardInputInterval() + 50);
  QTest::keyClicks(list.viewport(), "É");
  EXPECT_EQ(list.SelectedTitle(), "école");
}

TEST_F(LoadedListTest, KeyboardAndMouseMovesAreItemClicks) {
  Show();
  // What the window reads when it hears of the click: the row clicked, not the one before.
  QStringList seen;
  QObject::connect(&list, &DVDListView::ItemClicked, [&] { seen << list.SelectedTitle(); });
  list.SelectTitle("Odd");
  QTest::keyClick(list.viewport(), Qt::Key_Down);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(list.SelectedTitle(), "Lent late");

  int right = 0;
  QObject::connect(&list, &DVDListView::RightButtonPressed, [&] {
    ++right;
    EXPECT_EQ(list.SelectedTitle(), "Ally");  // the clicked row is current before the command
  });
  const QRect ally = list.visualRect(list.Model()->index(2, 1));
  QTest::mousePress(list.viewport(), Qt::RightButton, {}, ally.center());
  EXPECT_EQ(right, 1);
  EXPECT_EQ(clicks, 2);
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                    list.visualRect(list.Model()->index(0, 0)).center());
  EXPECT_EQ(clicks, 3);
  EXPECT_EQ(seen, (QStringList{"Lent late", "Ally", list.Model()->TitleAt(0)}));

  QSignalSpy doubles(&list, &DVDListView::ItemDoubleClicked);
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, ally.center());
  EXPECT_EQ(doubles.count(), 1);

  QSignalSpy enters(&list, &DVDListView::EnterPressed);
  QTest::keyClick(list.viewport(), Qt::Key_Return);
  QTest::keyClick(list.viewport(), Qt::Key_Enter);
  EXPECT_EQ(enters.count(), 2);
}

TEST_F(LoadedListTest, NoRowIsCurrentWithoutASelection) {
  Show();
  QSignalSpy cleared(&list, &DVDListView::SelectionCleared);
  // Gaining the focus with nothing selected: the first Down arrow selects the first row.
  QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
  QApplication::sendEvent(&list, &focus);
  QTest::keyClick(list.viewport(), Qt::Key_Down);
  EXPECT_EQ(list.SelectedTitle(), "Odd");

  // A click below the last row selects nothing, says so, and leaves no row current.
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(10, list.viewport()->height() - 3));
  EXPECT_EQ(list.SelectedTitle(), "");
  EXPECT_EQ(cleared.count(), 1);
  EXPECT_FALSE(list.currentIndex().isValid());
  QTest::keyClick(list.viewport(), Qt::Key_Down);
  EXPECT_EQ(list.SelectedTitle(), "Odd");
}

TEST_F(LoadedListTest, HeaderClicksCycleAscendingDescendingAscending) {
  const QStringList ascending({"Ally", "alpha", "Lent late", "Lent soon", "Odd", "Zed"});
  const QStringList descending(ascending.rbegin(), ascending.rend());
  const std::pair<QString, QStringList> steps[] = {
      {"0 asc / 0 asc", ascending}, {"0 desc / 0 desc", descending}, {"0 asc / 0 asc", ascending}};
  for (const auto& [state, titles] : steps) {
    SortListByColumn(&list, 0);
    EXPECT_EQ(SortState(list), state);
    EXPECT_EQ(Texts(list), titles);
  }

  // Another column, by the header: ascending by it, case ignored, ties in the query's order.
  Show();
  QHeaderView* header = list.header();
  const QPoint column1(header->sectionViewportPosition(1) + 5, header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, column1);
  EXPECT_EQ(SortState(list), "1 asc / 1 asc");
  EXPECT_EQ(Texts(list, 1),
            QStringList({"Action", "Action", "comedy", "Comedy", "Drama", "drama"}));
  EXPECT_EQ(Texts(list), QStringList({"Odd", "Lent late", "Lent soon", "Zed", "Ally", "alpha"}));
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, column1);
  EXPECT_EQ(SortState(list), "1 desc / 1 desc");
  EXPECT_EQ(Texts(list), QStringList({"Ally", "alpha", "Lent soon", "Zed", "Odd", "Lent late"}));
}

TEST_F(LoadedListTest, SortKeepsTheSelectionAndSurvivesAReload) {
  list.SelectTitle("Zed");
  list.SetSort(true, 1, Qt::DescendingOrder);
  EXPECT_EQ(list.SelectedTitle(), "Zed");
  EXPECT_EQ(Texts(list, 1).first(), "Drama");
  database.AddDvd("Another", "Western", 0);
  LoadDVDList();
  EXPECT_EQ(Texts(list).first(), "Another");
  EXPECT_EQ(list.SelectedTitle(), "Zed");
  EXPECT_EQ(clicks, 0);

  // Sorting off keeps the rows as they are until the next reload gives the query's order.
  list.SetSort(false, 1, Qt::DescendingOrder);
  EXPECT_EQ(Texts(list).first(), "Another");
  EXPECT_EQ(SortState(list), "- / -");
  LoadDVDList();
  EXPECT_EQ(Texts(list).first(), "Odd");
}

TEST_F(DVDListTest, SortIgnoresCaseKeepsAccentsWithTheirLettersWhateverTheLocale) {
  // In Lithuanian, y sorts between i and j; the list must not follow the process locale.
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::Lithuanian, QLocale::Lithuania));
  for (const char* title :
       {"fig", "Ivy", "éclair", "Yak", "Eagle", "ezra", "apple", "Jam", "Banana", "Écu", "delta"})
    database.AddDvd(QString::fromUtf8(title));
  DVDListView list{database};
  Load(list);
  SortListByColumn(&list, 0);
  QLocale::setDefault(saved);
  EXPECT_EQ(Texts(list), QStringList({"apple", "Banana", "delta", "Eagle", "éclair", "Écu", "ezra",
                                      "fig", "Ivy", "Jam", "Yak"}));
}

TEST_F(DVDListTest, ModelPassesTheItemModelTester) {
  static QStringList complaints;
  complaints.clear();
  const QtMessageHandler previous = qInstallMessageHandler(
      [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type != QtDebugMsg && QByteArray(context.category).startsWith("qt.modeltest"))
          complaints << text;
      });
  database.AddDvd("One", "a", 1, "Ann", "2026-11-01", "2026-11-02");
  database.AddDvd("Two", "b");
  database.AddDvd("Three", "c");
  DVDListView list{database};
  QAbstractItemModelTester tester(list.Model(),
                                  QAbstractItemModelTester::FailureReportingMode::Warning);
  Load(list);
  list.SelectTitle("Two");
  list.SetSort(true, 0, Qt::AscendingOrder);
  list.SetSort(true, 1, Qt::DescendingOrder);
  database.AddDvd("Four", "d", 1, "Bob", "2026-11-01", "2026-11-03");
  list.Reload(DVDQuery::List());
  std::vector<DVDListColumn> fewer(list.Model()->Columns().begin(),
                                   list.Model()->Columns().begin() + 3);
  list.Model()->SetColumns(fewer);
  list.Reload(DVDQuery::List());
  list.Model()->Clear();
  list.Reload(DVDQuery::List());
  qInstallMessageHandler(previous);
  EXPECT_TRUE(complaints.isEmpty()) << complaints.join('\n').toStdString();
  EXPECT_EQ(list.Model()->rowCount(), 4);
  EXPECT_EQ(list.Model()->columnCount(), 3);
}

TEST_F(DVDListTest, LayoutIsSavedAndRestored) {
  database.AddDvd("A", "Western");
  database.AddDvd("B", "Action");
  database.AddDvd("C", "Musical");
  {
    DVDListView list{database};
    Load(list);
    list.header()->resizeSection(0, 250);
    list.header()->resizeSection(2, 90);
    list.header()->resizeSection(3, 5);  // narrower than the minimum
    list.header()->moveSection(5, 0);    // Due Date first
    SortListByColumn(&list, 1);
    SortListByColumn(&list, 1);
    list.SaveListLayout(QString());
  }
  EXPECT_EQ(SettingsManager::ReadSetting(database, "DVDList_ColumnWidth1", 0).toFloat(),
            float(250 * TwipsPerPixel(nullptr)));
  EXPECT_EQ(SettingsManager::ReadSetting(database, "DVDList_ColumnPosition6", 0).toInt(), 1);
  EXPECT_EQ(SettingsManager::ReadSetting(database, "DVDList_ColumnPosition1", 0).toInt(), 2);

  DVDListView list{database};
  list.LoadListColumns();
  list.LoadListLayout(QString(), 200);
  list.Reload(DVDQuery::List());
  QHeaderView* header = list.header();
  EXPECT_EQ(header->sectionSize(0), 250);
  EXPECT_EQ(header->sectionSize(2), 90);
  // Raised to the minimum of 200 twips, or to the smallest width the header allows.
  EXPECT_EQ(header->sectionSize(3),
            std::max(TwipsToPixels(200, &list), header->minimumSectionSize()));
  EXPECT_EQ(ShownOrder(list),
            QStringList({"Due Date", "Title", "Category", "Starring", "Rated", "Status"}));
  EXPECT_EQ(SortState(list), "1 desc / 1 desc");
  EXPECT_EQ(Texts(list, 1), QStringList({"Western", "Musical", "Action"}));
}

TEST_F(DVDListTest, FewerStoredColumnsTrimTheListAndOddPositionsStillOrderIt) {
  const qint16 positions[] = {3, 3, -9, 40};
  for (int i = 0; i < 4; ++i)
    SettingsManager::WriteSetting(database, QStringLiteral("DVDList_ColumnPosition%1").arg(i + 1),
                                  positions[i]);
  SettingsManager::WriteSetting(database, "DVDList_HeaderCount", 4);
  SettingsManager::WriteSetting(database, "DVDList_ColumnText2", "Kind");
  SettingsManager::WriteSetting(database, "DVDList_Sorted", true);
  SettingsManager::WriteSetting(database, "DVDList_SortKey", QVariant::fromValue<qint16>(9));
  database.AddDvd("A", "Western");
  DVDListView list{database};
  list.LoadListColumns();
  list.LoadListLayout(QString(), 200);
  list.Reload(DVDQuery::List());
  EXPECT_EQ(ShownOrder(list), QStringList({"Starring", "Title", "Kind", "Rated"}));
  EXPECT_EQ(Texts(list, 1), QStringList({"Western"}));
  // A sort column the list does not have sorts nothing and shows no indicator.
  EXPECT_FALSE(list.header()->isSortIndicatorShown());
}

// ---- Window placement ----

class WindowPlacementTest : public DVDListTest {
 protected:
  static QRect Available() { return QGuiApplication::primaryScreen()->availableGeometry(); }
  static double Twips(int px) { return PixelsToTwips(px, nullptr); }
};

// Nothing stored: the window's default state over a normal placement a quarter in and half the
// screen in size, or the default placement a report window passes (its current one).
TEST_F(WindowPlacementTest, NothingStoredGivesTheDefaults) {
  QWidget window;
  LoadWindow(database, &window, "ReelKeeperFrm", 2, nullptr);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_TRUE(window.windowState() & Qt::WindowMaximized);
  EXPECT_EQ(window.normalGeometry(),
            QRect(screen.x() + screen.width() / 4, screen.y() + screen.height() / 4,
                  screen.width() / 2, screen.height() / 2));

  QWidget report;
  report.setGeometry(120, 90, 300, 200);
  const WindowPlacement current = CurrentPlacement(&report);
  LoadWindow(database, &report, "DVDReportFrm", -1, &current);
  EXPECT_EQ(report.geometry(), QRect(120, 90, 300, 200));
  EXPECT_EQ(report.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized), 0);
}

// The stored state wins over the window's default, and the normal placement comes back exactly
// whatever the state.
TEST_F(WindowPlacementTest, StateAndNormalPlacementComeBackExactly) {
  for (const auto& [state, code] :
       {std::pair(Qt::WindowNoState, 0), {Qt::WindowMaximized, 2}, {Qt::WindowMinimized, 1}}) {
    {
      QWidget window;
      window.setGeometry(100, 80, 400, 300);
      window.show();
      window.setWindowState(state);
      SaveWindow(database, &window, "PhoneBookFrm");
    }
    EXPECT_EQ(SettingsManager::ReadSetting(database, "PhoneBookFrmWindowState", -1).toInt(), code);
    EXPECT_EQ(SettingsManager::ReadSetting(database, "PhoneBookFrmLeft", 0).toFloat(),
              float(Twips(100)));
    EXPECT_EQ(SettingsManager::ReadSetting(database, "PhoneBookFrmHeight", 0).toFloat(),
              float(Twips(300)));

    QWidget window;
    LoadWindow(database, &window, "PhoneBookFrm", 2, nullptr);
    EXPECT_EQ(window.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized), state) << state;
    EXPECT_EQ(window.normalGeometry(), QRect(100, 80, 400, 300)) << state;
  }
}

struct AbsurdCase {
  const char* name;
  float left, top, width, height;
  qint32 state;
};

void PrintTo(const AbsurdCase& c, std::ostream* out) { *out << c.name; }

class AbsurdPlacementTest : public WindowPlacementTest,
                            public ::testing::WithParamInterface<AbsurdCase> {};

TEST_P(AbsurdPlacementTest, WindowStillOpensUsableOnScreen) {
  const AbsurdCase& c = GetParam();
  SettingsManager::WriteSetting(database, "OddFrmLeft", c.left);
  SettingsManager::WriteSetting(database, "OddFrmTop", c.top);
  SettingsManager::WriteSetting(database, "OddFrmWidth", c.width);
  SettingsManager::WriteSetting(database, "OddFrmHeight", c.height);
  SettingsManager::WriteSetting(database, "OddFrmWindowState", c.state);
  QWidget window;
  LoadWindow(database, &window, "OddFrm", 0, nullptr);
  const QRect placed = window.geometry();
  EXPECT_TRUE(Available().contains(placed))
      << placed.x() << "," << placed.y() << " " << placed.width() << "x" << placed.height();
  EXPECT_GE(placed.width(), 200);
  EXPECT_GE(placed.height(), 150);
  // Once shown, the window system may add its frame around it; the frame's corner, where the
  // window can be grabbed, is still on the screen.
  window.show();
  EXPECT_TRUE(Available().contains(window.frameGeometry().topLeft()));
  EXPECT_FALSE(window.windowState() & Qt::WindowMinimized);
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Placements, AbsurdPlacementTest,
    ::testing::Values(AbsurdCase{"far left and up", -1e9f, -1e9f, 6000, 4500, 0},
                      AbsurdCase{"far right and down", 1e9f, 1e9f, 6000, 4500, 0},
                      AbsurdCase{"negative size", 3000, 3000, -5000, -5000, 0},
                      AbsurdCase{"huge size", 0, 0, 1e12f, 1e12f, 0},
                      AbsurdCase{"tiny", 3000, 3000, 15, 15, 0},
                      AbsurdCase{"not numbers", kNaN, kNaN, kNaN, kNaN, 0},
                      AbsurdCase{"infinities", kInf, -kInf, kInf, -kInf, 0},
                      AbsurdCase{"unknown state", 1500, 1500, 6000, 4500, 9}));

TEST(TwipsTest, FifteenTwipsToAPixelAt96Dpi) {
  QWidget widget;
  const double perPixel = TwipsPerPixel(&widget);
  EXPECT_DOUBLE_EQ(perPixel, 1440.0 / widget.logicalDpiX());
  EXPECT_EQ(TwipsToPixels(PixelsToTwips(137, &widget), &widget), 137);
  EXPECT_EQ(TwipsToPixels(std::nan(""), &widget), 0);
  EXPECT_EQ(TwipsToPixels(1e300, &widget), std::numeric_limits<int>::max());
  if (widget.logicalDpiX() == 96) {
    EXPECT_EQ(TwipsToPixels(200, &widget), 13);
  }
}

}  // namespace
