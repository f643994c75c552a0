#include "ui/search/SearchFrm.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "DialogDriver.h"
#include "ReelKeeperFrmFixture.h"
#include "exchange/CsvFormat.h"

using seams::MsgIcon;

namespace {

// The search over the real main window, with today fixed at 10 April 2024.
class SearchFrmTest : public ReelKeeperFrmTest {
 protected:
  void SetUp() override {
    ReelKeeperFrmTest::SetUp();
    db.AddDvd("Star Wars", "Sci-Fi", 1, "Ann", "2024-04-01", "2024-04-05", {}, "PG", "Hamill");
    db.AddDvd("Stardust", "Fantasy", 1, "Bob", "2024-04-01", "2024-04-10", {}, "PG-13", "Danes");
    db.AddDvd("Airplane!", "Comedy", 0, {}, "2000-01-01", "2000-01-01", {}, "PG", "Nielsen",
              "Surely you can't be serious.\r\nDon't call me Shirley.");
    db.AddDvd("Alien", "Sci-Fi", 0, {}, "2000-01-01", "2000-01-01", {}, "R", "Weaver");
    Load();
  }

  void Open() {
    owned = std::make_unique<SearchFrm>(db, frm.get());
    search = owned.get();
    ASSERT_TRUE(search->LoadForm());
    search->show();
    search->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(search));
  }

  template <class T = QWidget>
  T* In(const char* name) const {
    return Control<T>(search, name);
  }
  QComboBox* Box(const char* name) const { return In<QComboBox>(name); }
  DVDListView* Results() const { return In<DVDListView>("DVDList"); }
  int Rows() const { return Results()->Model()->rowCount(); }
  QString State() const { return In<QLabel>("SearchState")->text(); }
  seams::MessageRequest OnlyMessage() const {
    EXPECT_EQ(boxes.Shown().size(), 1u);
    return boxes.Shown().empty() ? seams::MessageRequest{} : boxes.Shown().back();
  }
  void Press(const char* button) { QTest::mouseClick(In(button), Qt::LeftButton); }
  QStringList Column(int column) const {
    QStringList cells;
    for (int row = 0; row < Rows(); ++row)
      cells << Results()->Model()->index(row, column).data().toString();
    return cells;
  }

  std::unique_ptr<SearchFrm> owned;
  SearchFrm* search = nullptr;  // the dialog the helpers look into
};

// What the lists hold is InventoryRecordsTest's; here each box has its own field's list.
TEST_F(SearchFrmTest, OpensWithTheStoredChoicesAndEmptyCriteria) {
  Open();
  QStringList boxes;
  for (const char* name : {"TitleTxt", "CategoryTxt", "RatedTxt", "StarringTxt"}) {
    QStringList items;
    for (int i = 0; i < Box(name)->count(); ++i) items << Box(name)->itemText(i);
    boxes << name + ('=' + items.join(',')) + '|' + Box(name)->currentText();
  }
  EXPECT_EQ(boxes, QStringList({"TitleTxt=Airplane!,Alien,Star Wars,Stardust|",
                                "CategoryTxt=Comedy,Fantasy,Sci-Fi|", "RatedTxt=PG,PG-13,R|",
                                "StarringTxt=Danes,Hamill,Nielsen,Weaver|"}));
}

TEST_F(SearchFrmTest, ResultsShowTheSearchStatusCellsAndTheCountStaysUnderTheHints) {
  Open();
  QTest::keyClicks(Box("TitleTxt")->lineEdit(), "sta");  // completes to "Star Wars"
  QTest::keyClick(Box("TitleTxt")->lineEdit(), Qt::Key_Delete);
  ASSERT_EQ(Box("TitleTxt")->currentText(), "Sta");
  Press("SearchButton");
  EXPECT_EQ(Column(0), (QStringList{"Star Wars", "Stardust"}));
  // The search's own status texts (the main list's are longer).
  EXPECT_EQ(Column(4), (QStringList{"Loaned - Overdue", "Loaned - Due Today"}));
  EXPECT_EQ(State(), "Search complete. Matches found: 2");

  // The pointer over a control without a hint (the list) empties the hint, not the count.
  QCursor::setPos(Results()->mapToGlobal(Results()->rect().center()));
  FormHelpers::ShowHint(search);
  EXPECT_EQ(In<QStatusBar>("MessBar")->currentMessage(), "");
  EXPECT_EQ(State(), "Search complete. Matches found: 2");

  Box("TitleTxt")->setEditText("zzz");
  Press("SearchButton");
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(State(), "Search complete. Matches found: 0");
}

TEST_F(SearchFrmTest, ExportResultsSavesTheDVDsFoundAsTheListShowsThem) {
  Open();
  auto* exportResults = search->findChild<QAction*>("ExportResults");
  ASSERT_NE(exportResults, nullptr);
  EXPECT_FALSE(exportResults->isEnabled());  // nothing found yet
  Fill(search, "RatedTxt", "PG");
  Press("SearchButton");
  Results()->SetSort(true, 0, Qt::DescendingOrder);
  QTemporaryDir dir;
  ChosenFile chosen(dir.filePath("found.csv"));
  // Anywhere in the dialog, a text box too.
  QTest::keyClick(Box("RatedTxt")->lineEdit(), Qt::Key_S, Qt::ControlModifier);
  const CsvFormat::ReadResult saved = CsvFormat::ReadFile(dir.filePath("found.csv"));
  QStringList titles;
  for (const CsvFormat::Row& row : saved.table.rows) titles << row.fields.value(0);
  EXPECT_EQ(titles, QStringList({"Stardust", "Star Wars", "Airplane!"}));
  EXPECT_EQ(chosen.offered, "Search Results.csv");
  EXPECT_EQ(State(), "The results were saved as \"" + dir.filePath("found.csv") + "\".");
}

TEST_F(SearchFrmTest, ClearThenSearchAsksForCriteriaAndLeavesNoResults) {
  Open();
  Box("CategoryTxt")->setEditText("Sci");
  In<QRadioButton>("AndOr1")->setChecked(true);
  Press("SearchButton");
  ASSERT_EQ(Rows(), 2);

  In<QCheckBox>("ExactMatchChk")->setChecked(true);
  In<QPlainTextEdit>("DescriptionTxt")->setPlainText("words");
  Press("ClearButton");
  for (const char* name : {"TitleTxt", "CategoryTxt", "RatedTxt", "StarringTxt"})
    EXPECT_EQ(Box(name)->currentText(), "") << name;
  EXPECT_EQ(In<QPlainTextEdit>("DescriptionTxt")->toPlainText(), "");
  // The results, the matching and the conjunction stay as they were.
  EXPECT_EQ(Rows(), 2);
  EXPECT_TRUE(In<QCheckBox>("ExactMatchChk")->isChecked());
  EXPECT_TRUE(In<QRadioButton>("AndOr1")->isChecked());

  Press("SearchButton");
  testsupport::ExpectBox(OnlyMessage(), "You need to enter search criteria.", "Enter Criteria",
                         seams::MsgButtons::Ok, MsgIcon::Information);
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(State(), "");
  EXPECT_EQ(search->focusWidget(), Box("TitleTxt"));
}

// Stored descriptions end their lines in CR LF; what is typed in the box must still match them
// exactly, apostrophes included.
TEST_F(SearchFrmTest, ExactSearchFindsATypedMultiLineDescriptionAndEnterSearchesElsewhere) {
  Open();
  In<QCheckBox>("ExactMatchChk")->setChecked(true);
  auto* description = In<QPlainTextEdit>("DescriptionTxt");
  description->setFocus();
  QTest::keyClicks(description, "surely you can't be serious.");
  QTest::keyClick(description, Qt::Key_Return);  // a new line, not a search
  EXPECT_FALSE(In<QPushButton>("SearchButton")->isDefault());
  EXPECT_EQ(State(), "");
  QTest::keyClicks(description, "Don't call me Shirley.");
  Press("SearchButton");
  EXPECT_EQ(Column(0), QStringList{"Airplane!"});

  Box("RatedTxt")->setFocus();
  EXPECT_TRUE(In<QPushButton>("SearchButton")->isDefault());
  QTest::keyClicks(Box("RatedTxt")->lineEdit(), "r");
  QTest::keyClick(Box("RatedTxt")->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(State(), "Search complete. Matches found: 0");
}

// A completion still selected behind the caret is a proposal: the search is for what was typed,
// whether Search is clicked or Enter pressed; moving the caret accepts it.
TEST_F(SearchFrmTest, AProposedCompletionIsNotSearchedForAndEnterInTheResultsSearches) {
  Open();
  QLineEdit* title = Box("TitleTxt")->lineEdit();
  QTest::keyClicks(title, "sta");
  ASSERT_EQ(title->selectedText(), "r Wars");
  Press("SearchButton");
  EXPECT_EQ(Column(0), (QStringList{"Star Wars", "Stardust"}));

  title->setFocus();
  Box("TitleTxt")->setEditText({});
  QTest::keyClicks(title, "sta");
  QTest::keyClick(title, Qt::Key_Return);
  EXPECT_EQ(Column(0), (QStringList{"Star Wars", "Stardust"}));
  QTest::keyClick(title, Qt::Key_End);
  QTest::keyClick(title, Qt::Key_Return);
  EXPECT_EQ(Column(0), QStringList{"Star Wars"});

  Box("TitleTxt")->setEditText("alien");
  Results()->setFocus();
  QTest::keyClick(Results(), Qt::Key_Return);
  EXPECT_EQ(Column(0), QStringList{"Alien"});
}

TEST_F(SearchFrmTest, GoToWithoutASelectionAsksForOneAndStaysOpen) {
  Open();
  Box("TitleTxt")->setEditText("a");
  Press("SearchButton");
  Press("GoToDVDButton");
  testsupport::ExpectBox(OnlyMessage(), "You need to select a DVD before you can go to it.",
                         "Select A DVD", seams::MsgButtons::Ok, MsgIcon::Information);
  EXPECT_TRUE(search->isVisible());
}

class GoToTest : public SearchFrmTest, public ::testing::WithParamInterface<bool> {};

// Through the toolbar's command: the dialog runs modally, and going to a DVD selects it in the
// main window with the whole refresh of a selection (SelectDVD alone leaves the panel as it was;
// what the refresh shows, loan buttons included, is MainWindowTest's).
TEST_P(GoToTest, SelectsTheDVDInTheMainWindowRefreshesItAndCloses) {
  bool ran = false;
  WhenOpen<SearchFrm> going([&](SearchFrm& dialog) {
    search = &dialog;
    Box("StarringTxt")->setEditText("hamill");
    Press("SearchButton");
    const QModelIndex row = Results()->Model()->index(0, 0);
    Results()->setCurrentIndex(row);
    if (GetParam()) {
      QTest::mouseDClick(Results()->viewport(), Qt::LeftButton, {},
                         Results()->visualRect(row).center());
    } else {
      Press("GoToDVDButton");
    }
    ran = true;
  });
  frm->findChild<QAction*>("Search")->trigger();
  EXPECT_TRUE(ran);
  EXPECT_EQ(frm->GetSelectedDVD(), "Star Wars");
  EXPECT_EQ(Text("TitleTxt"), "Star Wars");
  EXPECT_EQ(frm->findChild<SearchFrm*>(), nullptr);  // discarded after one use
}

INSTANTIATE_TEST_SUITE_P(ButtonOrDoubleClick, GoToTest, ::testing::Bool());

class CloseTest : public SearchFrmTest, public ::testing::WithParamInterface<const char*> {};

// The layout of the results is what the next opening (and the main list's next load) restores:
// the two lists share one stored layout. What a layout holds is the list's (DVDListTest).
TEST_P(CloseTest, EveryWayOfClosingSavesTheSharedLayout) {
  Open();
  Results()->header()->resizeSection(1, 333);
  const QString way = QString::fromUtf8(GetParam());
  if (way == "CancelButton" || way == "XButton") {
    QTest::mouseClick(In(GetParam()), Qt::LeftButton);
  } else {  // Escape wherever the focus is
    QWidget* focus = way == "CategoryTxt" ? Box(GetParam())->lineEdit() : In(GetParam());
    focus->setFocus();
    QTest::keyClick(focus, Qt::Key_Escape);
  }
  EXPECT_FALSE(search->isVisible());

  Open();
  EXPECT_EQ(Results()->header()->sectionSize(1), 333);
  frm->LoadListSettings();
  EXPECT_EQ(List()->header()->sectionSize(1), 333);
}

INSTANTIATE_TEST_SUITE_P(Ways, CloseTest,
                         ::testing::Values("CancelButton", "XButton", "CategoryTxt",
                                           "DescriptionTxt", "DVDList"),
                         [](const auto& info) { return std::string(info.param); });

TEST_F(SearchFrmTest, AFailingFileIsReportedAndTheDialogStaysOpen) {
  testsupport::TempCurrentFolder folder;  // the report is also logged there
  Open();
  db.Db()->Execute("ALTER TABLE Inventory RENAME TO Elsewhere");
  Box("TitleTxt")->setEditText("zz");
  Press("SearchButton");
  EXPECT_EQ(OnlyMessage().title, "Error");
  EXPECT_TRUE(OnlyMessage().text.startsWith("The search could not be run."));
  EXPECT_TRUE(search->isVisible());
  EXPECT_EQ(Box("TitleTxt")->currentText(), "zz");
  EXPECT_EQ(State(), "");
}

TEST_F(SearchFrmTest, HintsAndTheNamesAScreenReaderReads) {
  Open();
  QCursor::setPos(Box("TitleTxt")->mapToGlobal(QPoint(5, 5)));
  EXPECT_TRUE(QTest::qWaitFor([&] {
    return In<QStatusBar>("MessBar")->currentMessage() ==
           "Type 1 of or part of 1 or more words in the DVD's title.";
  }));
  EXPECT_EQ(ExpectReadableControls(search), 4);
}

}  // namespace
