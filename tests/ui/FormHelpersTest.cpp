#include "ui/common/FormHelpers.h"

#include <gtest/gtest.h>

#include <QAccessible>

#include <QComboBox>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QStatusBar>
#include <QTest>
#include <QVBoxLayout>

#include "ui/common/PanelRows.h"

namespace {

// A box wired the way the windows wire theirs: every change runs AutoComplete.
class TypeAheadTest : public ::testing::Test {
 protected:
  void SetUp() override { FormHelpers::ResetTypeAhead(); }

  QComboBox* Combo(const QString& name, const QStringList& items) {
    auto* combo = new QComboBox(&window);
    combo->setObjectName(name);
    combo->setEditable(true);
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    QObject::connect(combo, &QComboBox::editTextChanged, combo,
                     [combo] { FormHelpers::AutoComplete(combo); });
    return combo;
  }

  QWidget window;
};

TEST_F(TypeAheadTest, CompletesAsTypedButNotAfterABackspace) {
  QLineEdit* edit = Combo("CategoryTxt", {"Action", "Comedy", "Crime"})->lineEdit();
  auto shown = [edit] { return edit->text() + '|' + edit->selectedText(); };
  QTest::keyClicks(edit, "co");
  EXPECT_EQ(shown(), "Comedy|medy");
  EXPECT_EQ(edit->cursorPosition(), 2);
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(shown(), "Co|");
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(shown(), "C|");
  QTest::keyClicks(edit, "r");  // typing on completes again
  EXPECT_EQ(shown(), "Crime|ime");
}

// The first of several matches wins, and the same text typed next in another box completes too.
TEST_F(TypeAheadTest, FirstMatchWinsInEachBoxAndUnknownTextStaysAsTyped) {
  QComboBox* rated = Combo("RatedTxt", {"PG-13", "PG", "R"});
  QComboBox* other = Combo("OtherTxt", {"PG"});
  QTest::keyClicks(rated->lineEdit(), "p");
  other->setEditText("p");
  EXPECT_EQ(rated->currentText() + '|' + other->currentText(), "PG-13|PG");
  rated->lineEdit()->clear();
  QTest::keyClicks(rated->lineEdit(), "x");
  EXPECT_EQ(rated->currentText(), "x");
}

TEST_F(TypeAheadTest, TextBoxCompletesFromAListBoxAndSelectsTheItem) {
  auto* list = new QListWidget(&window);
  list->addItems({"Ann", "Bob", "bobby"});
  auto* edit = new QLineEdit(&window);
  edit->setObjectName("NameTxt");
  QObject::connect(edit, &QLineEdit::textChanged, edit,
                   [edit, list] { FormHelpers::AutoComplete(edit, list); });
  QTest::keyClicks(edit, "BOBB");
  EXPECT_EQ(edit->text() + '|' + edit->selectedText(), "bobby|y");  // the item's letter case wins
  EXPECT_EQ(list->currentRow(), 2);
}

// A window with a status bar and a Message method, as every window with hints has.
class HintWindow : public QMainWindow {
  Q_OBJECT
 public:
  HintWindow() {
    auto* central = new QWidget(this);
    central->setObjectName("InfoFrame");  // a frame without a hint of its own
    auto* layout = new QVBoxLayout(central);
    auto* label = new QLabel("Name:", central);
    label->setObjectName("NameLbl");
    edit = new QLineEdit(central);
    edit->setObjectName("NameTxt");
    edit->setProperty("Tag", "Who borrows it.");
    label->setBuddy(edit);
    layout->addWidget(label);
    layout->addWidget(edit);
    setCentralWidget(central);
  }
  Q_INVOKABLE void Message(const QString& text) {
    if (statusBar()->currentMessage() != text) statusBar()->showMessage(text);
  }
  QLineEdit* edit;
};

void PointAt(QWidget* w) { QCursor::setPos(w->mapToGlobal(w->rect().center())); }

TEST(ShowHintTest, TextBoxShowsItsTagAndALabelShowsNone) {
  HintWindow window;
  window.setGeometry(100, 100, 400, 200);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  PointAt(window.edit);
  FormHelpers::ShowHint(&window);
  EXPECT_EQ(window.statusBar()->currentMessage(), "Who borrows it.");
  PointAt(window.findChild<QLabel*>("NameLbl"));
  FormHelpers::ShowHint(&window);
  EXPECT_EQ(window.statusBar()->currentMessage(), QString());
  // Nothing of this window under the pointer: the bar keeps its text.
  window.Message("kept");
  QCursor::setPos(window.mapToGlobal(QPoint(-50, -50)));
  FormHelpers::ShowHint(&window);
  EXPECT_EQ(window.statusBar()->currentMessage(), "kept");
}

// A window without a Message of its own shows its hints in the main window.
TEST(ShowHintTest, WindowWithoutMessageShowsItsHintsInTheMainWindow) {
  HintWindow main;
  FormHelpers::SetMainWindow(&main);
  QWidget about;
  auto* link = new QLineEdit(&about);
  link->setObjectName("LinkTxt");
  link->setProperty("Tag", "Opens the web page.");
  about.setGeometry(600, 100, 300, 100);
  about.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
  PointAt(link);
  FormHelpers::ShowHint(&about);
  EXPECT_EQ(main.statusBar()->currentMessage(), "Opens the web page.");
  FormHelpers::MainMessage("Compacting");
  EXPECT_EQ(main.statusBar()->currentMessage(), "Compacting");
  FormHelpers::SetMainWindow(nullptr);
  FormHelpers::MainMessage("nowhere to go");  // ignored, no failure
}

// A screen reader names a box by its caption, whatever it holds, and hears a shown value as read
// only, not as something to edit.
TEST(ScreenReaderTest, BoxesAreNamedByCaptionAndDisplayBoxesAreReadOnly) {
  QWidget panel;
  PanelRows::Column rows(&panel, 80, 24);
  QComboBox* name = rows.Add("Name:", "NameTxt", FormHelpers::NewChoiceBox(&panel, 8), "");
  QLineEdit* title = rows.Add("Title:", "TitleTxt", PanelRows::DisplayBox(&panel), "");
  name->setEditText("Zoe Park");
  title->setText("Heat");
  QAccessibleInterface* box = QAccessible::queryAccessibleInterface(name);
  EXPECT_EQ(box->text(QAccessible::Name), "Name:");
  EXPECT_EQ(box->text(QAccessible::Value), "Zoe Park");
  EXPECT_TRUE(box->state().editable);
  ASSERT_EQ(box->childCount(), 2);
  EXPECT_EQ(box->child(1)->text(QAccessible::Name), "Name:");
  QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(title);
  EXPECT_EQ(shown->text(QAccessible::Name), "Title:");
  EXPECT_TRUE(shown->state().readOnly);
  EXPECT_FALSE(shown->state().editable);
  ASSERT_NE(shown->textInterface(), nullptr);
  EXPECT_EQ(shown->textInterface()->text(0, 4), "Heat");
}

}  // namespace

#include "FormHelpersTest.moc"
