// The Collection menu driven as a user would: a file chosen, its columns and dry run shown, the
// rows written; the list saved as it is shown.
#include <QAction>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include "DialogDriver.h"
#include "ReelKeeperFrmFixture.h"
#include "exchange/CsvFormat.h"
#include "ui/dialogs/ImportFrm.h"

namespace {

class CollectionMenuTest : public ReelKeeperFrmTest {
 protected:
  QString Write(const QByteArray& bytes) {
    QFile file(dir.filePath("file.csv"));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
  }
  QTemporaryDir dir;
};

TEST_F(CollectionMenuTest, ImportShowsTheDryRunAndWritesOnlyOnImport) {
  db.AddDvd("Alien", "Horror");
  Load();
  ChosenFile chosen(
      Write("Movie Title,Genre,Personal Notes\r\nBrazil,Comedy,\r\nalien,Sci-Fi,\r\n"
            ",Drama,\r\n"));
  QString summary, problems;
  WhenOpen<ImportFrm> importing([&](ImportFrm& dialog) {
    EXPECT_EQ(Control<QComboBox>(&dialog, "ColumnTxt0")->currentText(), "Title");
    EXPECT_EQ(Control<QComboBox>(&dialog, "ColumnTxt1")->currentText(), "Category");
    // "Personal Notes" is no field of a DVD's until the user says so.
    Control<QComboBox>(&dialog, "ColumnTxt2")->setCurrentIndex(0);
    Press(&dialog, "NextButton");
    EXPECT_EQ(db.Column("SELECT COUNT(*) FROM Inventory"), QStringList("1"));
    Control<QComboBox>(&dialog, "DuplicatesTxt")->setCurrentIndex(1);
    summary = Control<QLabel>(&dialog, "SummaryText")->text();
    problems = Control<QPlainTextEdit>(&dialog, "ProblemsTxt")->toPlainText();
    Press(&dialog, "ImportButton");
  });
  Button("ImportDVDs")->trigger();
  EXPECT_EQ(summary,
            "1 new DVD; 1 already in the collection (to be updated); 1 row that cannot be used.");
  EXPECT_EQ(problems, "Line 4: the title is empty, and a DVD needs one.");
  EXPECT_EQ(db.Column("SELECT DVDTitle || '|' || Category FROM Inventory ORDER BY DVDTitle"),
            QStringList({"Alien|Sci-Fi", "Brazil|Comedy"}));
  EXPECT_GE(List()->Model()->FindTitle("Brazil"), 0);
  EXPECT_EQ(StatusBarText(), "Imported: 1 new, 1 updated, 0 skipped.");
}

TEST_F(CollectionMenuTest, ExportSavesTheListInItsShownOrder) {
  db.AddDvd("Alien", "Horror");
  db.AddDvd("Brazil", "Comedy", 1, "Ann", "2024-04-01", "2024-04-08");
  db.AddDvd("Ran", "War");
  Load();
  List()->Model()->SortBy(0, Qt::DescendingOrder);
  const QString path = dir.filePath("out.csv");
  ChosenFile chosen(path);
  Button("ExportDVDs")->trigger();
  const CsvFormat::ReadResult saved = CsvFormat::ReadFile(path);
  ASSERT_EQ(saved.status, CsvFormat::ReadStatus::Read);
  QStringList rows;
  for (const CsvFormat::Row& row : saved.table.rows) rows << row.fields.join(u'|');
  EXPECT_EQ(rows, QStringList({"Ran|War|||0||2000-01-01|2000-01-01||",
                               "Brazil|Comedy|||1|Ann|2024-04-01|2024-04-08||",
                               "Alien|Horror|||0||2000-01-01|2000-01-01||"}));
  EXPECT_EQ(StatusBarText(), "The DVDs were saved as \"" + path + "\".");
}

}  // namespace
