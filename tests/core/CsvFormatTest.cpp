#include "exchange/CsvFormat.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "TestSupport.h"
#include "exchange/ExchangeFile.h"

namespace {

using CsvFormat::ReadStatus;

class CsvFileTest : public ::testing::Test {
 protected:
  QString Write(const QByteArray& bytes) {
    const QString path = dir_.filePath(QStringLiteral("table.csv"));
    EXPECT_EQ(ExchangeFile::Save(path, bytes), QString());
    return path;
  }
  QTemporaryDir dir_;
};

// What a user types into a DVD's fields survives a round trip through a file: quotes, every
// separator, line breaks, blanks at the ends and text beyond Latin-1; a row after a field of
// three lines starts three lines further down.
TEST_F(CsvFileTest, RowsSurviveTheRoundTripWithTheirLines) {
  const QStringList header{"DVDTitle", "Description", "BarCode"};
  const QStringList tricky{" Schindler's \"List\", 1993; a\ttab ", "Line one\r\nLine two\nThree",
                           "007"};
  const QStringList plain{"Zoë – 東京", "", "0042"};
  CsvFormat::Writer writer;
  writer.AddRow(header);
  writer.AddRow(tricky);
  writer.AddRow(plain);
  const CsvFormat::ReadResult read = CsvFormat::ReadFile(Write(writer.Bytes()));

  ASSERT_EQ(read.status, ReadStatus::Read) << qPrintable(read.message);
  EXPECT_EQ(read.table.separator, ',');
  EXPECT_EQ(read.table.header, header);
  ASSERT_EQ(read.table.rows.size(), 2u);
  EXPECT_EQ(read.table.rows[0].fields, tricky);
  EXPECT_EQ(read.table.rows[0].line, 2);
  EXPECT_EQ(read.table.rows[1].fields, plain);
  EXPECT_EQ(read.table.rows[1].line, 5);
}

// A spreadsheet in a European locale: semicolons, Windows-1252 text. The reader says on which
// line the text stops being UTF-8, and reads it once the user names the encoding.
TEST_F(CsvFileTest, SpreadsheetTextInWindows1252IsReadOnceTheUserNamesTheEncoding) {
  const QString path = Write(
      "Titel;Genre;Preis\r\nAm\xE9lie;Kom\xF6"
      "die;9,99 \x80\r\n;;\r\n\"Das Boot\";Krieg;5\r\n");
  const CsvFormat::ReadResult guessed = CsvFormat::ReadFile(path);
  EXPECT_EQ(guessed.status, ReadStatus::NeedsEncoding);
  EXPECT_EQ(guessed.line, 2);

  const CsvFormat::ReadResult read = CsvFormat::ReadFile(path, "windows-1252");
  ASSERT_EQ(read.status, ReadStatus::Read) << qPrintable(read.message);
  EXPECT_EQ(read.table.separator, ';');
  ASSERT_EQ(read.table.rows.size(), 2u);  // the blank row is left out
  EXPECT_EQ(read.table.rows[0].fields, (QStringList{"Amélie", "Komödie", "9,99 €"}));
  EXPECT_EQ(read.table.rows[1].line, 4);
}

TEST_F(CsvFileTest, TabsAndAByteOrderMarkAreRecognised) {
  const CsvFormat::ReadResult read =
      CsvFormat::ReadFile(Write("\xEF\xBB\xBFTitle\tGenre, Sub-genre\nAlien\tHorror, Sci-Fi\n"));
  ASSERT_EQ(read.status, ReadStatus::Read) << qPrintable(read.message);
  EXPECT_EQ(read.table.header, (QStringList{"Title", "Genre, Sub-genre"}));
  EXPECT_EQ(read.table.rows[0].fields, (QStringList{"Alien", "Horror, Sci-Fi"}));
}

struct BadInput {
  const char* name;
  QByteArray bytes;
  int line;
  const char* says;
};

class CsvBadInputTest : public CsvFileTest, public ::testing::WithParamInterface<BadInput> {};

// Each is refused as a whole, with the line to look at.
TEST_P(CsvBadInputTest, IsRefusedWithItsLine) {
  const CsvFormat::ReadResult read = CsvFormat::ReadFile(Write(GetParam().bytes));
  EXPECT_EQ(read.status, ReadStatus::Refused);
  EXPECT_EQ(read.line, GetParam().line);
  EXPECT_TRUE(read.message.contains(QLatin1StringView(GetParam().says)))
      << qPrintable(read.message);
  EXPECT_TRUE(read.table.rows.empty());
}

QByteArray LongLine() {
  return "Title,Notes\nA,ok\nB," + QByteArray(10 * 1024 * 1024, 'x') + "\nC,ok\n";
}

INSTANTIATE_TEST_SUITE_P(
    Files, CsvBadInputTest,
    ::testing::Values(
        BadInput{"UnbalancedQuote", "Title,Notes\nA,\"fine\"\nB,\"never closed\nC,x\n", 3,
                 "Line 3: a quoted field"},
        BadInput{"TenMegabyteLine", LongLine(), 3, "Line 3 is longer than 1 MB"},
        BadInput{"Binary", QByteArray("Title\nA\n\x89PNG\r\n\x1a\n") + QByteArray(3, '\0'), 5,
                 "binary"},
        BadInput{"Empty", "", 1, "empty"}, BadInput{"Blank", " \r\n\r\n", 1, "empty"},
        BadInput{"HeaderOnly", "Title;Genre\r\n", 2, "Line 2: the file has a header"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
