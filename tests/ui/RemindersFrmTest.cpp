// The Reminders window, opened from the main window's toolbar.
#include "ui/reminders/RemindersFrm.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTreeWidget>

#include "DialogDriver.h"
#include "ReelKeeperFrmFixture.h"
#include "inventory/InventoryWrites.h"
#include "phonebook/CustomerRecords.h"
#include "seams/DocumentOpener.h"

namespace {

// Records what the desktop is asked to open; opens it or has no program for it.
class MailDesktop final : public seams::DocumentOpener {
 public:
  MailDesktop() { seams::SetDocumentOpener(this); }
  ~MailDesktop() override { seams::SetDocumentOpener(nullptr); }
  bool Open(const QString& target) override {
    opened << target;
    return opens;
  }
  QStringList opened;
  bool opens = true;
};

class RemindersFrmTest : public ReelKeeperFrmTest {
 protected:
  void Lend(const QString& title, const QString& name, int dueInDays, const QString& email) {
    db.AddDvd(title);
    CustomerFunctions::Customer borrower;
    borrower.name = name;
    borrower.Text(CustomerFunctions::Field::Email) = email;
    ASSERT_EQ(InventoryFunctions::LendDVD(db, title, borrower, Today().addDays(-14),
                                          Today().addDays(dueInDays)),
              InventoryFunctions::DVDOutcome::Saved);
  }

  MailDesktop desktop;
};

TEST_F(RemindersFrmTest, LateBorrowerIsListedCopiedAndMailed) {
  Lend("Tom & Jerry", "Ann O'Neil", -3, "ann@example.org");
  Lend("Heat", "Ann O'Neil", 10, "ann@example.org");  // not due for a while
  Lend("Jaws", "Bob", 5, "");
  Load();
  frm->show();
  QStringList listed;
  WhenOpen<RemindersFrm> reminding([&](RemindersFrm& window) {
    EXPECT_EQ(ExpectReadableControls(&window), 3);
    auto* list = Control<QTreeWidget>(&window, "BorrowersTxt");
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* borrower = list->topLevelItem(i);
      listed << borrower->text(0) + ": " + borrower->child(0)->text(0) + " " + borrower->text(2);
    }
    Control<QPlainTextEdit>(&window, "LetterTxt")->setPlainText("Hi {name}, {dvds}");
    Press(&window, "CopyButton");
    const QString text = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(text.startsWith("Hi Ann O'Neil, - Tom & Jerry (")) << qPrintable(text);
    EXPECT_FALSE(text.contains("Heat"));
    EXPECT_EQ(list->topLevelItem(0)->text(2), "reminded today");

    Press(&window, "EmailButton");
    ASSERT_EQ(desktop.opened.size(), 1);
    EXPECT_TRUE(desktop.opened[0].startsWith(
        "mailto:ann@example.org?subject=A%20DVD%20to%20bring%20back&body=Hi%20Ann%20O%27Neil%2C"
        "%20-%20Tom%20%26%20Jerry%20%28"))
        << qPrintable(desktop.opened[0]);

    // Without a mail program the user is told, and may copy the letter instead.
    desktop.opens = false;
    QGuiApplication::clipboard()->clear();
    boxes.Answer(seams::MsgAnswer::Yes);
    Press(&window, "EmailButton");
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].title, "No Mail Program");
    EXPECT_TRUE(QGuiApplication::clipboard()->text().contains("Tom & Jerry"));
    window.close();
  });
  Button("Reminders")->trigger();
  EXPECT_EQ(listed, QStringList({"Ann O'Neil: Tom & Jerry never reminded"}));
  EXPECT_EQ(db.Column("SELECT Reminders FROM Loans WHERE DVDTitle = 'Tom & Jerry'"),
            QStringList({"3"}));
  // The letter the user wrote is kept for next time.
  EXPECT_EQ(db.Column("SELECT SettingValue FROM Settings WHERE SettingName = 'ReminderTemplate'"),
            QStringList({"Hi {name}, {dvds}"}));
}

}  // namespace
