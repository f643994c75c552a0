#include "ui/search/SearchFrm.h"

#include <QAccessible>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "ReelKeeperFrmFixture.h"

using seams::MsgIcon;

namespace {

// The search over the real main window, with today fixed at 10 April 2024.
class SearchFrmTest : public ReelKeeperFrmTest {
 protected:
  void SetUp() override {
    ReelKeeperFrmTest::SetUp();
    db.AddDvd(QStringLiteral("Star Wars"), QStringLiteral("Sci-Fi"), 1, QStringLiteral("Ann"),
              "2024-04-01", "2024-04-05", {}, QStringLiteral("PG"), QStringLiteral("Mark Hamill"));
    db.AddDvd(QStringLiteral("Stardust"), QStringLiteral("Fantasy"), 1, QStringLiteral("Bob"),
              "2024-04-01", "2024-04-10", {}, QStringLiteral("PG-13"),
              QStringLiteral("Claire Danes"));
    db.AddDvd(QStringLiteral("Airplane!"), QStringLiteral("Comedy"), 0, {}, "2000-01-01",
              "2000-01-01", {}, QStringLiteral("PG"), QStringLiteral("Leslie Nielsen"),
              QStringLiteral("Surely you can't be serious.\r\nDon't call me Shirley."));
    db.AddDvd(QStringLiteral("Casablanca"), QStringLiteral("Drama"), 0, {}, "2000-01-01",
              "2000-01-01", {}, QStringLiteral("PG"), QStringLiteral("Humphrey Bogart"));
    db.AddDvd(QStringLiteral("Alien"), QStringLiteral("Sci-Fi"), 0, {}, "2000-01-01", "2000-01-01",
              {}, QStringLiteral("R"), QStringLiteral("Sigourney Weaver"));
    Load();
  }

  SearchFrm& Open() {
    owned = std::make_unique<SearchFrm>(frm.get());
    search = owned.get();
    EXPECT_TRUE(search->LoadForm());
    search->show();
    search->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(search));
    return *search;
  }

  template <class T = QWidget>
  T* In(const QString& name) const {
    T* found = search->findChild<T*>(name);
    EXPECT_NE(found, nullptr) << qPrintable(name);
    return found;
  }
  QComboBox* Box(const char* name) const { return In<QComboBox>(QString::fromUtf8(name)); }
  DVDListView* Results() const { return In<DVDListView>(QStringLiteral("DVDList")); }
  QString State() const { return In<QLabel>(QStringLiteral("SearchState"))->text(); }
  void Press(const char* button) {
    QTest::mouseClick(In<QPushButton>(QString::fromUtf8(button)), Qt::LeftButton);
  }
  void Type(const char* box, const QString& text) { QTest::keyClicks(Box(box)->lineEdit(), text); }
  QStringList Column(int column) const {
    QStringList cells;
    DVDListModel* model = Results()->Model();
    for (int row = 0; row < model->rowCount(); ++row)
      cells << model->index(row, column).data().toString();
    return cells;
  }
  void Choose(const QString& title) {
    DVDListModel* model = Results()->Model();
    Results()->setCurrentIndex(model->index(model->FindTitle(title), 0));
  }

  std::unique_ptr<SearchFrm> owned;
  SearchFrm* search = nullptr;  // the dialog the helpers look into
};

QStringList Items(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

TEST_F(SearchFrmTest, OpensWithTheStoredChoicesEmptyCriteriaAndTheMainListsColumns) {
  Open();
  EXPECT_EQ(In<QLabel>(QStringLiteral("Title"))->text(), QStringLiteral("Search For DVD"));
  EXPECT_EQ(Items(Box("CategoryTxt")), (QStringList{"Comedy", "Drama", "Fantasy", "Sci-Fi"}));
  EXPECT_EQ(Items(Box("RatedTxt")), (QStringList{"PG", "PG-13", "R"}));
  EXPECT_EQ(Items(Box("StarringTxt")).size(), 5);
  EXPECT_EQ(Items(Box("TitleTxt")),
            (QStringList{"Airplane!", "Alien", "Casablanca", "Star Wars", "Stardust"}));
  for (const char* name : {"TitleTxt", "CategoryTxt", "RatedTxt", "StarringTxt"}) {
    EXPECT_EQ(Box(name)->currentText(), QString()) << name;
    EXPECT_EQ(Box(name)->completer(), nullptr) << name;
  }
  EXPECT_FALSE(In<QCheckBox>(QStringLiteral("ExactMatchChk"))->isChecked());
  EXPECT_TRUE(In<QRadioButton>(QStringLiteral("AndOr0"))->isChecked());
  EXPECT_TRUE(In<QPushButton>(QStringLiteral("SearchButton"))->isDefault());
  EXPECT_EQ(Results()->Model()->Columns().size(), List()->Model()->Columns().size());
  for (int i = 0; i < Results()->Model()->columnCount(); ++i) {
    EXPECT_EQ(Results()->Model()->headerData(i, Qt::Horizontal),
              List()->Model()->headerData(i, Qt::Horizontal));
  }
  EXPECT_EQ(Results()->Model()->rowCount(), 0);
}

TEST_F(SearchFrmTest, ResultsShowTheSearchStatusCellsAndTheCountStaysUnderTheHints) {
  Open();
  Type("TitleTxt", QStringLiteral("sta"));  // completes to "Star Wars"; Delete keeps "sta"
  QTest::keyClick(Box("TitleTxt")->lineEdit(), Qt::Key_Delete);
  ASSERT_EQ(Box("TitleTxt")->currentText(), QStringLiteral("Sta"));
  Press("SearchButton");

  EXPECT_EQ(Column(0), (QStringList{"Star Wars", "Stardust"}));
  const int status = 4;
  ASSERT_EQ(Results()->Model()->headerData(status, Qt::Horizontal).toString(), "Status");
  EXPECT_EQ(Column(status), (QStringList{"Loaned - Overdue", "Loaned - Due Today"}));
  EXPECT_TRUE(Results()->Model()->index(0, 0).data(DVDListModel::OverdueRole).toBool());
  EXPECT_EQ(State(), QStringLiteral("Search complete. Matches found: 2"));

  // The hover hint of a control without one (the list) leaves the count where it is.
  QCursor::setPos(Results()->mapToGlobal(Results()->rect().center()));
  FormHelpers::ShowHint(search);
  EXPECT_EQ(In<QStatusBar>(QStringLiteral("MessBar"))->currentMessage(), QString());
  EXPECT_EQ(State(), QStringLiteral("Search complete. Matches found: 2"));

  Box("TitleTxt")->setEditText(QStringLiteral("zzz"));
  Press("SearchButton");
  EXPECT_EQ(Results()->Model()->rowCount(), 0);
  EXPECT_EQ(State(), QStringLiteral("Search complete. Matches found: 0"));
}

TEST_F(SearchFrmTest, ClearThenSearchAsksForCriteriaAndLeavesNoResults) {
  Open();
  Box("CategoryTxt")->setEditText(QStringLiteral("Sci"));
  In<QRadioButton>(QStringLiteral("AndOr1"))->setChecked(true);
  Press("SearchButton");
  ASSERT_EQ(Results()->Model()->rowCount(), 2);

  In<QCheckBox>(QStringLiteral("ExactMatchChk"))->setChecked(true);
  In<QPlainTextEdit>(QStringLiteral("DescriptionTxt"))->setPlainText(QStringLiteral("words"));
  Press("ClearButton");
  for (const char* name : {"TitleTxt", "CategoryTxt", "RatedTxt", "StarringTxt"})
    EXPECT_EQ(Box(name)->currentText(), QString()) << name;
  EXPECT_EQ(In<QPlainTextEdit>(QStringLiteral("DescriptionTxt"))->toPlainText(), QString());
  // The results, the matching and the conjunction stay as they were.
  EXPECT_EQ(Results()->Model()->rowCount(), 2);
  EXPECT_TRUE(In<QCheckBox>(QStringLiteral("ExactMatchChk"))->isChecked());
  EXPECT_TRUE(In<QRadioButton>(QStringLiteral("AndOr1"))->isChecked());

  Press("SearchButton");
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text, QStringLiteral("You need to enter search criteria."));
  EXPECT_EQ(boxes.Shown()[0].title, QStringLiteral("Enter Criteria"));
  EXPECT_EQ(boxes.Shown()[0].icon, MsgIcon::Information);
  EXPECT_EQ(Results()->Model()->rowCount(), 0);
  EXPECT_EQ(State(), QStringLiteral("Searching..."));
  EXPECT_EQ(search->focusWidget(), Box("TitleTxt"));
}

// Stored descriptions end their lines in CR LF; what is typed in the box must still match them
// exactly, apostrophes included.
TEST_F(SearchFrmTest, ExactSearchFindsATypedMultiLineDescription) {
  Open();
  In<QCheckBox>(QStringLiteral("ExactMatchChk"))->setChecked(true);
  auto* description = In<QPlainTextEdit>(QStringLiteral("DescriptionTxt"));
  description->setFocus();
  QTest::keyClicks(description, QStringLiteral("surely you can't be serious."));
  QTest::keyClick(description, Qt::Key_Return);  // a new line, not a search
  EXPECT_FALSE(In<QPushButton>(QStringLiteral("SearchButton"))->isDefault());
  EXPECT_EQ(State(), QString());
  QTest::keyClicks(description, QStringLiteral("Don't call me Shirley."));
  Press("SearchButton");
  EXPECT_EQ(Column(0), QStringList{"Airplane!"});

  Box("RatedTxt")->setFocus();
  EXPECT_TRUE(In<QPushButton>(QStringLiteral("SearchButton"))->isDefault());
  QTest::keyClicks(Box("RatedTxt")->lineEdit(), QStringLiteral("r"));
  QTest::keyClick(Box("RatedTxt")->lineEdit(), Qt::Key_Return);  // Enter searches
  EXPECT_EQ(State(), QStringLiteral("Search complete. Matches found: 0"));
}

TEST_F(SearchFrmTest, TypingCompletesFromTheBoxsOwnChoices) {
  Open();
  Type("CategoryTxt", QStringLiteral("co"));
  EXPECT_EQ(Box("CategoryTxt")->currentText(), QStringLiteral("Comedy"));
  EXPECT_EQ(Box("CategoryTxt")->lineEdit()->selectedText(), QStringLiteral("medy"));
}

TEST_F(SearchFrmTest, GoToWithoutASelectionAsksForOneAndStaysOpen) {
  Open();
  Box("TitleTxt")->setEditText(QStringLiteral("a"));
  Press("SearchButton");
  Press("GoToDVDButton");
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text,
            QStringLiteral("You need to select a DVD before you can go to it."));
  EXPECT_EQ(boxes.Shown()[0].title, QStringLiteral("Select A DVD"));
  EXPECT_EQ(boxes.Shown()[0].icon, MsgIcon::Information);
  EXPECT_TRUE(search->isVisible());
}

class GoToTest : public SearchFrmTest, public ::testing::WithParamInterface<bool> {};

// Through the toolbar's command: the dialog runs modally, and going to a DVD selects it in the
// main window with the whole refresh of a selection, loan buttons included.
TEST_P(GoToTest, SelectsTheDVDInTheMainWindowRefreshesItAndCloses) {
  const bool doubleClick = GetParam();
  bool ran = false;
  QTimer::singleShot(0, [&] {
    search = qobject_cast<SearchFrm*>(QApplication::activeModalWidget());
    ASSERT_NE(search, nullptr);
    Box("StarringTxt")->setEditText(QStringLiteral("hamill"));
    Press("SearchButton");
    Choose(QStringLiteral("Star Wars"));
    if (doubleClick) {
      const QRect row = Results()->visualRect(Results()->Model()->index(0, 0));
      QTest::mouseDClick(Results()->viewport(), Qt::LeftButton, {}, row.center());
    } else {
      Press("GoToDVDButton");
    }
    ran = true;
  });
  frm->ButtonClick(QStringLiteral("Search"));
  EXPECT_TRUE(ran);
  EXPECT_EQ(frm->GetSelectedDVD(), QStringLiteral("Star Wars"));
  EXPECT_EQ(Text(QStringLiteral("TitleTxt")), QStringLiteral("Star Wars"));
  EXPECT_TRUE(Button(QStringLiteral("LoanDVD"))->isVisible());
  EXPECT_EQ(Button(QStringLiteral("LoanDVD"))->text(), QStringLiteral("Return DVD"));
  EXPECT_TRUE(Button(QStringLiteral("EditLoan"))->isVisible());
  EXPECT_EQ(frm->findChild<SearchFrm*>(), nullptr);  // discarded after one use
}

INSTANTIATE_TEST_SUITE_P(ButtonOrDoubleClick, GoToTest, ::testing::Bool());

enum class Way { CloseButton, EscapeInACriterion, EscapeInTheDescription, EscapeInTheList, X };

class CloseTest : public SearchFrmTest, public ::testing::WithParamInterface<Way> {};

// Widths, order and sort changed in the results are what the next opening (and the main list's
// next load) restores: the two lists share one stored layout.
TEST_P(CloseTest, EveryWayOfClosingSavesTheSharedLayout) {
  Open();
  Results()->header()->resizeSection(1, 333);
  SortListByColumn(Results(), 2);
  auto escapeIn = [&](QWidget* w) {
    w->setFocus();
    QTest::keyClick(w, Qt::Key_Escape);
  };
  switch (GetParam()) {
    case Way::CloseButton:
      Press("CancelButton");
      break;
    case Way::EscapeInACriterion:
      escapeIn(Box("CategoryTxt")->lineEdit());
      break;
    case Way::EscapeInTheDescription:
      escapeIn(In(QStringLiteral("DescriptionTxt")));
      break;
    case Way::EscapeInTheList:
      escapeIn(Results());
      break;
    case Way::X:
      QTest::mouseClick(In(QStringLiteral("XButton")), Qt::LeftButton);
      break;
  }
  EXPECT_FALSE(search->isVisible());

  Open();
  EXPECT_EQ(Results()->header()->sectionSize(1), 333);
  EXPECT_TRUE(Results()->Sorted());
  EXPECT_EQ(Results()->SortKey(), 2);
  frm->LoadListSettings();
  EXPECT_EQ(List()->header()->sectionSize(1), 333);
}

INSTANTIATE_TEST_SUITE_P(Ways, CloseTest,
                         ::testing::Values(Way::CloseButton, Way::EscapeInACriterion,
                                           Way::EscapeInTheDescription, Way::EscapeInTheList,
                                           Way::X));

TEST_F(SearchFrmTest, AFailingFileIsReportedAndTheDialogStaysOpen) {
  QTemporaryDir folder;  // the report is also logged, in the current folder
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(folder.path()));
  Open();
  db.Db()->Execute(QStringLiteral("ALTER TABLE Inventory RENAME TO Elsewhere"));
  Box("TitleTxt")->setEditText(QStringLiteral("zz"));
  Press("SearchButton");
  QDir::setCurrent(previous);

  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].title, QStringLiteral("Error"));
  EXPECT_TRUE(boxes.Shown()[0].text.startsWith(QStringLiteral("The search could not be run.")));
  EXPECT_TRUE(search->isVisible());
  EXPECT_EQ(Box("TitleTxt")->currentText(), QStringLiteral("zz"));
  EXPECT_EQ(State(), QString());
}

TEST_F(SearchFrmTest, HintsAndTheNamesAScreenReaderReads) {
  Open();
  QWidget* title = Box("TitleTxt");
  QCursor::setPos(title->mapToGlobal(title->rect().center()));
  EXPECT_TRUE(QTest::qWaitFor([&] {
    return In<QStatusBar>(QStringLiteral("MessBar"))->currentMessage() ==
           QStringLiteral("Type 1 of or part of 1 or more words in the DVD's title.");
  }));
  EXPECT_EQ(Box("StarringTxt")->property("Tag").toString(),
            QStringLiteral("To search for to find movies with 2 or more stars put both names and "
                           "click the \"and\" button."));

  auto name = [](QWidget* w) {
    return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
  };
  int labels = 0;
  for (QLabel* label : search->findChildren<QLabel*>()) {
    if (!label->objectName().endsWith(u"Lbl")) continue;
    ++labels;
    ASSERT_NE(label->buddy(), nullptr);
    EXPECT_EQ(name(label->buddy()), label->text());
  }
  EXPECT_EQ(labels, 4);
  EXPECT_EQ(name(In(QStringLiteral("DescriptionTxt"))), QStringLiteral("Description:"));
  EXPECT_EQ(name(In(QStringLiteral("AndOr1"))), QStringLiteral("Or"));
  EXPECT_EQ(name(In(QStringLiteral("GoToDVDButton"))), QStringLiteral("Go To DVD..."));
}

}  // namespace
