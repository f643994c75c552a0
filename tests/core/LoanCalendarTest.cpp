#include "exchange/LoanCalendar.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "TestSupport.h"

namespace {

// An independent reader: Python's icalendar, one line per event.
QStringList ReadBack(const QString& path) {
  const QString script = QStringLiteral(
      "import sys, icalendar\n"
      "cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())\n"
      "for e in cal.walk('VEVENT'):\n"
      "    alarms = [a.decoded('trigger').days for a in e.walk('VALARM')]\n"
      "    print('%s|%s|%s|%s|%s' % (e['uid'], e['summary'], e.decoded('dtstart'),\n"
      "          e.decoded('dtend'), alarms))\n");
  QProcess python;
  python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, path});
  EXPECT_TRUE(python.waitForFinished(30000));
  EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
  return QString::fromUtf8(python.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

TEST(LoanCalendarTest, EachLoanIsAnAllDayEventWithItsAlarmAndAStableUid) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("loans.ics"));
  const QDateTime stamp(QDate(2024, 3, 1), QTime(12, 0), Qt::UTC);
  std::vector<LoanCalendar::Loan> loans = {
      {"17", "Schindler's List; Part 1, \"Director's Cut\"", "Ann O'Neil", QDate(2024, 3, 10)},
      {"18", "Amélie", "Zoë", QDate(2024, 3, 31)},
      {"19", "Without a due date", "Bob", QDate()}};
  ASSERT_EQ(LoanCalendar::Save(path, loans, 2, stamp), QString());
  const QString first = LoanCalendar::Uid("17");
  const QString second = LoanCalendar::Uid("18");
  EXPECT_NE(first, second);
  EXPECT_EQ(ReadBack(path),
            (QStringList{first + "|Return Schindler's List; Part 1, \"Director's Cut\" (Ann O'Neil)"
                                 "|2024-03-10|2024-03-11|[-2]",
                         second + "|Return Amélie (Zoë)|2024-03-31|2024-04-01|[-2]"}));

  // A later due date moves the same event.
  loans[0].due = QDate(2024, 3, 20);
  loans.pop_back();
  ASSERT_EQ(LoanCalendar::Save(path, loans, 0, stamp), QString());
  EXPECT_EQ(ReadBack(path).value(0),
            first +
                "|Return Schindler's List; Part 1, \"Director's Cut\" (Ann O'Neil)"
                "|2024-03-20|2024-03-21|[0]");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"loans.ics"});
}

}  // namespace
