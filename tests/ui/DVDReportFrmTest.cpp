// The report window and its printing, the layout of printed pages, and the main window's status
// report and overdue check. Printing goes to a PDF printer of the test's own and is read back
// with pdftotext.
#include "ui/report/DVDReportFrm.h"

#include <QAccessible>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "DialogDriver.h"
#include "ReelKeeperFrmFixture.h"
#include "seams/Printer.h"
#include "settings/SettingsManager.h"
#include "ui/report/ReportPages.h"
#include "ui/report/ReportView.h"

using seams::MsgAnswer;

namespace {

// ---- the layout of printed pages -------------------------------------------------------------

// Every character 10 units wide, a line as high as its point size.
const ReportPages::Measure kMonospace{
    [](const QString& text, double) { return 10.0 * double(text.size()); },
    [](double pointSize) { return pointSize; }};

struct LayOutCase {
  const char* name;
  std::vector<ReportPages::Line> lines;
  double pageHeight;
  QString expected;
  double pageWidth = 100;  // pages split by " / ", lines by " | " as x,y:text
};

void PrintTo(const LayOutCase& c, std::ostream* os) { *os << c.name; }

QString Describe(const std::vector<ReportPages::Page>& pages) {
  QStringList described;
  for (const ReportPages::Page& page : pages) {
    QStringList lines;
    for (const ReportPages::Placed& line : page) {
      lines << QStringLiteral("%1,%2:%3").arg(line.at.x()).arg(line.at.y()).arg(line.text);
    }
    described << lines.join(QStringLiteral(" | "));
  }
  return described.join(QStringLiteral(" / "));
}

class LayOutTest : public ::testing::TestWithParam<LayOutCase> {};

TEST_P(LayOutTest, PlacesLinesOnPages) {
  const auto pages = ReportPages::LayOut(
      GetParam().lines, QSizeF(GetParam().pageWidth, GetParam().pageHeight), kMonospace);
  EXPECT_EQ(Describe(pages), GetParam().expected);
}

std::vector<ReportPages::Line> Centred(const QStringList& texts) {
  std::vector<ReportPages::Line> lines;
  for (const QString& text : texts) lines.push_back({text, 10, true});
  return lines;
}

INSTANTIATE_TEST_SUITE_P(
    Pages, LayOutTest,
    ::testing::Values(
        LayOutCase{"CentredWhereTheyFit", Centred({"ab", "abcdefghij"}), 100,
                   "40,0:ab | 0,10:abcdefghij"},
        LayOutCase{"NewPageAfterTheLastLineThatFits", Centred({"a", "b", "c", "d"}), 35,
                   "45,0:a | 45,10:b | 45,20:c / 45,0:d"},
        LayOutCase{"ALineThatJustFitsStaysOnThePage", Centred({"a", "b", "c", "d"}), 30,
                   "45,0:a | 45,10:b | 45,20:c / 45,0:d"},
        LayOutCase{"WideLineWrapsAtBlanksFromTheLeftEdge", Centred({"aaaa bbbb cccc", "z"}), 100,
                   "0,0:aaaa bbbb | 0,10:cccc | 45,20:z"},
        LayOutCase{"WrappedPiecesContinueOnTheNextPage", Centred({"x", "aaaa bbbb cccc"}), 20,
                   "45,0:x | 0,10:aaaa bbbb / 0,0:cccc"},
        LayOutCase{"WordWiderThanThePageBreaksInside", Centred({"abcdefghijklm"}), 100,
                   "0,0:abcdefghij | 0,10:klm"},
        LayOutCase{"EmptyLinesAtTheEndCostNoPage", Centred({"a", "b", "", ""}), 20,
                   "45,0:a | 45,10:b"},
        LayOutCase{"NothingToPrintGivesNoPage", Centred({""}), 20, ""},
        LayOutCase{"InventoryHeadingCentredTitlesLeft",
                   ReportPages::InventoryLines({"Alien", "Heat"}), 100,
                   "50,0:DVD Inventory Report | 0,12: | 0,24:Alien | 0,34:Heat", 300}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReportLinesTest, SplitAtCrLfWithTheTextAfterTheLastOneALineToo) {
  auto texts = [](const QString& text) {
    QStringList lines;
    for (const auto& line : ReportPages::ReportLines(text, 10)) lines << line.text;
    return lines;
  };
  EXPECT_EQ(texts("one\r\ntwo\r\nthree\r\n"), QStringList({"one", "two", "three", ""}));
  EXPECT_EQ(texts(""), QStringList({""}));
  EXPECT_EQ(texts("a\nb\rc"), QStringList({"a b c"}));
}

// Making the pages of a long list tells how far it is, and stops with nothing made when told to
// (the print window's Cancel).
TEST(RenderPdfTest, ReportsProgressAndStopsWhenTold) {
  const std::vector<ReportPages::Line> lines(3000, {QStringLiteral("A title"), 10, false});
  const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                           QMarginsF(36, 36, 36, 36), QPageLayout::Point);
  qint64 last = 0;
  qint64 total = 0;
  const QByteArray pdf = ReportPages::RenderPdf(lines, layout, "t", [&](qint64 done, qint64 all) {
    EXPECT_GE(done, last);
    last = done;
    total = all;
    return true;
  });
  EXPECT_FALSE(pdf.isEmpty());
  EXPECT_EQ(total, 6000);
  EXPECT_GE(last, 5500);
  int calls = 0;
  EXPECT_TRUE(ReportPages::RenderPdf(lines, layout, "t", [&](qint64, qint64) {
                return ++calls < 3;
              }).isEmpty());
  EXPECT_EQ(calls, 3);
}

// ---- printing through the window --------------------------------------------------------------

// The default printer is a PDF printer that keeps every job it is sent; it can be told to refuse
// jobs, or to be missing, and answers the PDF file chooser.
class PdfPrinter final : public seams::Printer {
 public:
  PdfPrinter() { seams::SetPrinter(this); }
  ~PdfPrinter() override { seams::SetPrinter(nullptr); }

  QString DefaultPrinter() override { return name; }
  QString PrintPdf(const QString& printer, const QString& pdfFile, const QString& jobTitle,
                   const QString& paper) override {
    if (!refusal.isEmpty()) return refusal;
    const QString kept = folder.filePath(QStringLiteral("job%1.pdf").arg(jobs.size() + 1));
    if (!QFile::copy(pdfFile, kept)) return QStringLiteral("copy failed");
    jobs << kept;
    titles << printer + u'|' + jobTitle + u'|' + paper;
    return {};
  }
  QString ChoosePdfFile(const QString& proposedPath) override {
    proposed << proposedPath;
    return chosen;
  }

  QString name = QStringLiteral("Desk Printer");
  QString refusal;
  QString chosen;
  QStringList proposed;
  QStringList jobs;
  QStringList titles;
  QTemporaryDir folder;
};

struct Word {
  int page;
  QString text;
  QRectF box;  // in points
};

// The words of a PDF file with their boxes, as pdftotext finds them.
std::vector<Word> Words(const QString& pdf) {
  QProcess tool;
  tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
  tool.waitForFinished(60000);
  static const QRegularExpression word(
      R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
  std::vector<Word> words;
  int page = 0;
  for (const QString& line : QString::fromUtf8(tool.readAllStandardOutput()).split(u'\n')) {
    if (line.contains(QStringLiteral("<page "))) ++page;
    const auto match = word.match(line);
    if (!match.hasMatch()) continue;
    words.push_back({page, match.captured(5),
                     QRectF(QPointF(match.captured(1).toDouble(), match.captured(2).toDouble()),
                            QPointF(match.captured(3).toDouble(), match.captured(4).toDouble()))});
  }
  return words;
}

// Each page's words in reading order, separated by blanks.
QStringList PageTexts(const QString& pdf) {
  QStringList pages;
  for (const Word& word : Words(pdf)) {
    while (pages.size() < word.page) pages << QString();
    if (!pages.last().isEmpty()) pages.last() += u' ';
    pages.last() += word.text;
  }
  return pages;
}

const Word* WordOf(const std::vector<Word>& words, const QString& text) {
  for (const Word& word : words) {
    if (word.text == text) return &word;
  }
  return nullptr;
}

class DVDReportFrmTest : public ReelKeeperFrmTest {
 protected:
  void SetUp() override {
    ReelKeeperFrmTest::SetUp();
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
      GTEST_SKIP() << "needs pdftotext (poppler-utils)";
    }
  }

  DVDReportFrm& Open() {
    report = std::make_unique<DVDReportFrm>(db);
    report->LoadForm();
    return *report;
  }
  template <class T = QWidget>
  T* Part(const char* name) const {
    T* found = report->findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  void Press(const char* name) { QTest::mouseClick(Part(name), Qt::LeftButton); }

  PdfPrinter printer;
  std::unique_ptr<DVDReportFrm> report;
};

// Letter paper (the test's locale) with half-inch margins: 612 x 792 points, printable from 36.
constexpr double kPageCentre = 306;
constexpr double kLeftEdge = 36;

// Where each line goes is the layout's (above); here the pages are drawn with the real font: a
// centred line at the page's centre, a wide line within the margins and whole, the next sheet
// starting at the top, and the text at the report's font size.
TEST_F(DVDReportFrmTest, ReportPrintsWithinThePrintableAreaAtTheReportFontSize) {
  DVDReportFrm& window = Open();
  QStringList longWords;
  for (int i = 1; i <= 60; ++i) longWords << QStringLiteral("word%1").arg(i);
  window.AddLine(QStringLiteral("Short"));
  window.AddLine(longWords.join(u' '));
  for (int i = 1; i <= 120; ++i) window.AddLine(QStringLiteral("Line%1").arg(i));
  Press("PrintButton");
  SettingsManager::WriteSetting(db, QStringLiteral("ReportFontSize"), 14);
  Press("PrintButton");
  ASSERT_EQ(printer.jobs.size(), 2);
  EXPECT_EQ(printer.titles[0], "Desk Printer|DVD Status Report|Letter");

  const std::vector<Word> words = Words(printer.jobs[0]);
  const Word* shortWord = WordOf(words, "Short");
  ASSERT_NE(shortWord, nullptr);
  EXPECT_NEAR(shortWord->box.center().x(), kPageCentre, 1);
  EXPECT_NEAR(shortWord->box.top(), kLeftEdge, 4);
  QStringList printed;
  for (const Word& word : words) {
    if (word.text.startsWith("word")) printed << word.text;
    EXPECT_LE(word.box.right(), 612 - kLeftEdge + 1) << qPrintable(word.text);
  }
  ASSERT_EQ(printed, longWords);
  EXPECT_NEAR(WordOf(words, "word1")->box.left(), kLeftEdge, 1);
  const auto top =
      std::find_if(words.begin(), words.end(), [](const Word& w) { return w.page == 2; });
  ASSERT_NE(top, words.end());
  EXPECT_NEAR(top->box.top(), shortWord->box.top(), 1);

  const auto larger = Words(printer.jobs[1]);
  const Word* ten = WordOf(words, "Line1");
  const Word* fourteen = WordOf(larger, "Line1");
  ASSERT_TRUE(ten && fourteen);
  EXPECT_NEAR(fourteen->box.height() / ten->box.height(), 1.4, 0.02);
}

// The heading, the titles' places and the page breaks are the layout's (above), the titles' order
// the file's; here the button prints the file's titles as they are when pressed, and an empty
// file prints nothing and says nothing.
TEST_F(DVDReportFrmTest, InventoryPrintsTheFilesTitlesUnderTheirHeading) {
  Open();
  Press("PrintInventoryButton");
  EXPECT_TRUE(printer.jobs.isEmpty());
  EXPECT_TRUE(boxes.Shown().empty());
  db.AddDvd("Heat");
  db.AddDvd("Alien");
  Press("PrintInventoryButton");
  ASSERT_EQ(printer.jobs.size(), 1);
  EXPECT_EQ(printer.titles[0], "Desk Printer|DVD Inventory Report|Letter");
  EXPECT_EQ(PageTexts(printer.jobs[0]), QStringList{"DVD Inventory Report Alien Heat"});
}

// No printer: the user is asked; No changes nothing, Yes offers a file in the documents folder,
// and the pages the printer would have had are saved there.
TEST_F(DVDReportFrmTest, WithoutAPrinterTheReportCanBeSavedAsPdf) {
  // A home without a documents folder: the chooser starts at home, not where the program runs.
  QTemporaryDir home;
  testsupport::ScopedEnvironment homeVariable("HOME", QFile::encodeName(home.path()));
  testsupport::ScopedEnvironment dirsFile("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
  printer.name.clear();
  Load();  // whose status bar says what became of the report
  DVDReportFrm& window = Open();
  window.AddLine(QStringLiteral("Hello"));
  boxes.Answer(MsgAnswer::No);
  Press("PrintButton");
  ASSERT_EQ(boxes.Shown().size(), 1u);
  testsupport::ExpectBox(boxes.Shown()[0],
                         "No printer is installed, or none is set as the default printer.\r\n\r\n"
                         "Would you like to save the report as a PDF file instead?",
                         "No Printer", seams::MsgButtons::YesNo, seams::MsgIcon::Exclamation);
  EXPECT_EQ(boxes.Shown()[0].defaultAnswer, MsgAnswer::Yes);
  EXPECT_TRUE(printer.proposed.isEmpty());

  boxes.Answer(MsgAnswer::Yes);  // and the chooser is cancelled
  Press("PrintButton");
  ASSERT_EQ(printer.proposed.size(), 1);
  EXPECT_EQ(printer.proposed[0], home.filePath("DVD Status Report.pdf"));

  const QString saved = printer.folder.filePath("report.pdf");
  printer.chosen = saved;
  boxes.Answer(MsgAnswer::Yes);
  Press("PrintButton");
  EXPECT_EQ(PageTexts(saved), QStringList{"Hello"});
  EXPECT_TRUE(printer.jobs.isEmpty());
  EXPECT_EQ(StatusBarText(), "The report was saved as \"" + saved + "\".");

  printer.chosen = printer.folder.filePath("no such folder/report.pdf");
  boxes.Answer(MsgAnswer::Yes);
  Press("PrintButton");
  ASSERT_EQ(boxes.Shown().size(), 5u);
  EXPECT_TRUE(boxes.Shown()[4].text.startsWith("The report could not be saved as \"" +
                                               printer.chosen + "\":\r\n"))
      << qPrintable(boxes.Shown()[4].text);
}

// A printer that refuses the job: the user is told why, the window stays, and printing again
// once the printer is back works.
TEST_F(DVDReportFrmTest, RefusedJobIsReportedAndCanBePrintedAgain) {
  DVDReportFrm& window = Open();
  window.AddLine(QStringLiteral("Hello"));
  window.show();
  printer.refusal = QStringLiteral("The printer is not accepting jobs.");
  Press("PrintButton");
  ASSERT_EQ(boxes.Shown().size(), 1u);
  testsupport::ExpectBox(boxes.Shown()[0],
                         "The report could not be printed on \"Desk Printer\":\r\nThe printer is "
                         "not accepting jobs.\r\n\r\nCheck the printer, then print again.",
                         "Not Printed", seams::MsgButtons::Ok, seams::MsgIcon::Exclamation);
  EXPECT_TRUE(window.isVisible());
  printer.refusal.clear();
  Press("PrintButton");
  EXPECT_EQ(printer.jobs.size(), 1);
}

// ---- the window -------------------------------------------------------------------------------

// What the window shows is what prints, a note typed into it included; it opens wide enough
// for the report's widest line.
TEST_F(DVDReportFrmTest, ANoteTypedIntoTheReportIsPrintedAndTheWidestLineShows) {
  DVDReportFrm& window = Open();
  window.AddLine(QStringLiteral("Hello"));
  window.AddLine(QString(50, u'W'));
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  auto* text = Part<ReportView>("ReportTxt");
  EXPECT_EQ(text->horizontalScrollBar()->maximum(), 0);
  QTest::keyClick(text, Qt::Key_End, Qt::ControlModifier);
  QTest::keyClicks(text, "Ask Ann");
  Press("PrintButton");
  ASSERT_EQ(printer.jobs.size(), 1);
  EXPECT_EQ(PageTexts(printer.jobs[0]), QStringList{"Hello " + QString(50, u'W') + " Ask Ann"});
}

// The text box is a plain text box over its lines: the caret crosses line ends, Shift selects,
// copies with line feeds, typing, Enter and Backspace edit, the page keys turn pages, and a screen
// reader reads the text, its lines and the caret by offset.
TEST(ReportViewTest, KeysMoveSelectEditAndAScreenReaderReadsTheText) {
  using Place = ReportView::Place;
  ReportView view;
  view.resize(300, 200);
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  view.SetLines({"a\r\nb\rc\nd"});
  EXPECT_EQ(view.Lines(), QStringList({"a", "b", "c", "d"}));
  view.SetLines({"ab", "cd", ""});
  for (int i = 0; i < 3; ++i) QTest::keyClick(&view, Qt::Key_Right);
  EXPECT_EQ(view.Caret(), (Place{1, 0}));
  QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
  QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "cd\n");
  QTest::keyClick(&view, Qt::Key_Backspace);
  QTest::keyClicks(&view, "x");
  QTest::keyClick(&view, Qt::Key_Return);
  QTest::keyClicks(&view, "y");
  EXPECT_EQ(view.Lines(), QStringList({"ab", "x", "y"}));
  QTest::keyClick(&view, Qt::Key_Backspace);
  QTest::keyClick(&view, Qt::Key_Backspace);
  EXPECT_EQ(view.Text(), "ab\nx");

  QAccessibleTextInterface* read = QAccessible::queryAccessibleInterface(&view)->textInterface();
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->text(0, read->characterCount()), "ab\nx");
  EXPECT_EQ(read->cursorPosition(), 4);
  int start = 0;
  int end = 0;
  EXPECT_EQ(read->textAtOffset(1, QAccessible::LineBoundary, &start, &end), "ab");
  EXPECT_EQ(read->textAfterOffset(1, QAccessible::LineBoundary, &start, &end), "x");
  EXPECT_EQ(std::make_pair(start, end), std::make_pair(3, 4));

  view.SetLines(QStringList(1000, QStringLiteral("line")));
  QTest::keyClick(&view, Qt::Key_PageDown);
  EXPECT_GT(view.Caret().line, 5);
  EXPECT_EQ(view.verticalScrollBar()->value(), view.verticalScrollBar()->pageStep());
  QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(view.Caret(), (Place{999, 4}));
  EXPECT_EQ(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
}

TEST_F(DVDReportFrmTest, TextAndButtonsFillTheWindowAndItsPlacementIsKept) {
  DVDReportFrm& window = Open();
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const QRect moved(window.geometry().topLeft() + QPoint(40, 30), QSize(520, 360));
  window.setGeometry(moved);
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.geometry() == moved; }));
  auto* text = Part<ReportView>("ReportTxt");
  EXPECT_EQ(text->geometry(), QRect(0, 0, 520, 360 - Part("CloseButton")->height()));
  EXPECT_EQ(Part("CloseButton")->geometry().bottomRight(), QPoint(519, 359));
  // Escape closes it from wherever the focus is.
  text->setFocus();
  QTest::keyClick(text, Qt::Key_Escape);
  EXPECT_FALSE(window.isVisible());

  Open();
  EXPECT_EQ(report->geometry(), moved);
}

// ---- the main window's status report and overdue check ------------------------------------------

class CheckOverduesTest : public ReelKeeperFrmTest {};

// A DVD due today is not overdue: nothing is asked. Then one overdue DVD, declined, and two, seen:
// the question counts them, Enter answers No, and only Yes shows the status report.
TEST_F(CheckOverduesTest, AsksOnlyWhenSomethingIsOverdueAndShowsTheReportOnYes) {
  db.AddCustomer("Ann", "555-0101");
  db.AddDvd("Due Today", {}, 1, "Ann", "2024-04-01", "2024-04-10");
  Load();
  EXPECT_FALSE(frm->CheckOverdues());
  EXPECT_TRUE(boxes.Shown().empty());
  for (const int overdue : {1, 2}) {
    db.AddDvd(QStringLiteral("Late %1").arg(overdue), {}, 1, "Ann", "2024-04-01", "2024-04-09");
    const bool yes = overdue == 2;
    boxes.Answer(yes ? MsgAnswer::Yes : MsgAnswer::No);
    QString shownText;
    WhenOpen<DVDReportFrm> reading([&](DVDReportFrm& shown) {
      EXPECT_EQ(shown.windowTitle(), "DVD Status Report");
      shownText = shown.findChild<ReportView*>("ReportTxt")->Text();
      shown.close();
    });
    EXPECT_EQ(frm->CheckOverdues(), yes);
    ASSERT_EQ(boxes.Shown().size(), size_t(overdue));
    testsupport::ExpectBox(boxes.Shown().back(),
                           QStringLiteral("You have %1 DVD(s) that are overdue. Would you like to "
                                          "view the status report?")
                               .arg(overdue),
                           "DVDs Overdue", seams::MsgButtons::YesNo, seams::MsgIcon::Information);
    EXPECT_EQ(boxes.Shown().back().defaultAnswer, MsgAnswer::No);
    EXPECT_EQ(shownText.contains(QStringLiteral("- Total Overdue: %1\n").arg(overdue)), yes)
        << qPrintable(shownText);
  }
}

}  // namespace
