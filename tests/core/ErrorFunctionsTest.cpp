#include "app/ErrorFunctions.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstdio>

#include "ChildProcess.h"
#include "TestSupport.h"
#include "app/DatabaseError.h"
#include "data/Database.h"
#include "data/DatabaseFunctions.h"
#include "seams/MessageBox.h"
#include "upkeep/DatabaseMaintenance.h"

namespace {

using seams::MsgAnswer;
using seams::MsgButtons;

// Escape picks the answer that loses nothing, whatever the default button is. (A box that sets its
// own Escape answer is the error report's below.)
TEST(EscapeAnswerTest, IsTheAnswerThatChangesNothing) {
  using Box = std::tuple<MsgButtons, MsgAnswer, MsgAnswer>;  // buttons, default, Escape's answer
  for (const auto& [buttons, defaultAnswer, expected] :
       {Box(MsgButtons::Ok, MsgAnswer::Ok, MsgAnswer::Ok),
        Box(MsgButtons::YesNo, MsgAnswer::Yes, MsgAnswer::No),
        Box(MsgButtons::OkCancel, MsgAnswer::Ok, MsgAnswer::Cancel),
        Box(MsgButtons::YesNoCancel, MsgAnswer::Yes, MsgAnswer::Cancel)}) {
    seams::MessageRequest request;
    request.buttons = buttons;
    request.defaultAnswer = defaultAnswer;
    EXPECT_EQ(seams::EscapeAnswer(request), expected) << int(buttons);
  }
}

const DatabaseError kFailure(14, "unable to open database file", "Database");

// The report asks whether to go on (a stray Escape goes on: ending the program there loses the
// session and logs nothing) and logs the whole text; a second report is added after the first.
TEST(ErrorReportTest, ContinueAllowedAsksAndLogsTheWholeText) {
  testsupport::TempCurrentFolder folder;
  testsupport::ScriptedMessageBox box;
  box.Answer(MsgAnswer::Yes);
  ErrorFunctions::ShowError("A function failed.", true, kFailure);
  const QString expected = QStringLiteral(
      "A function failed.\r\n\r\nError Number: 14\r\nSystem Err Desc: unable to open database "
      "file\r\nSource: Database\r\n\r\nWould you like to try to continue running this "
      "program?\r\nWARNING - Continuing to run this program may result in undesired operation.");
  ASSERT_EQ(box.Shown().size(), 1u);
  testsupport::ExpectBox(box.Shown()[0], expected, "Error", MsgButtons::YesNo,
                         seams::MsgIcon::Critical);
  EXPECT_EQ(box.Shown()[0].defaultAnswer, MsgAnswer::Yes);
  EXPECT_EQ(seams::EscapeAnswer(box.Shown()[0]), MsgAnswer::Yes);
  EXPECT_EQ(folder.ErrorLog(), expected + "\r\n");

  ErrorFunctions::ShowError(QString(), false, kFailure);
  const QString second = QStringLiteral(
      "There was an error.\r\n\r\nError Number: 14\r\nSystem Err Desc: unable to open database "
      "file\r\nSource: Database");
  testsupport::ExpectBox(box.Shown()[1], second, "Error", MsgButtons::Ok, seams::MsgIcon::Critical);
  EXPECT_EQ(folder.ErrorLog(), expected + "\r\n" + second + "\r\n");
}

// Carrying on after an error logs it (only) and answers false; a log that cannot be written
// raises nothing more, so no caller needs a second guard around its report.
TEST(ErrorReportTest, CarryOnLogsAndAnUnwritableLogRaisesNothing) {
  testsupport::TempCurrentFolder folder;
  const auto fail = [] { throw kFailure; };
  EXPECT_FALSE(ErrorFunctions::CarryOn("Saving failed.", ErrorFunctions::Report::LogOnly, fail));
  EXPECT_TRUE(folder.ErrorLog().startsWith("Saving failed.\r\n\r\nError Number: 14"));
  EXPECT_TRUE(ErrorFunctions::CarryOn("Unused.", ErrorFunctions::Report::LogOnly, [] {}));
  ASSERT_TRUE(QFile::remove("ErrorLog") && QDir().mkdir("ErrorLog"));
  EXPECT_NO_THROW(ErrorFunctions::CarryOn("Again.", ErrorFunctions::Report::LogOnly, fail));
}

TEST(ErrorReportTest, AnsweringNoEndsTheProgramWithoutALogEntry) {
  testsupport::TempCurrentFolder folder;
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        testsupport::ScriptedMessageBox box;
        box.Answer(MsgAnswer::No);
        ErrorFunctions::ShowError("A function failed.", true, kFailure);
        std::exit(0);  // not reached when the program ends at once
      },
      ::testing::ExitedWithCode(1), "");
  EXPECT_TRUE(folder.ErrorLog().isEmpty());
}

}  // namespace

// errno and SQLite's codes share small numbers: a disk I/O failure (EIO, 5) is not a busy file
// (SQLITE_BUSY, 5), and a try-again (EAGAIN, 11) is no damage (SQLITE_CORRUPT, 11).
TEST(ErrorFunctionsTest, SystemErrorsAreNeverTakenForTheEnginesCodes) {
  using ErrorFunctions::IsBusy;
  using ErrorFunctions::IsDamaged;
  EXPECT_TRUE(IsBusy(DatabaseError(SQLITE_BUSY, "database is locked", {})));
  EXPECT_TRUE(IsBusy(DatabaseError(SQLITE_LOCKED_SHAREDCACHE, "locked", {})));
  EXPECT_TRUE(IsDamaged(DatabaseError(SQLITE_CORRUPT_INDEX, "malformed", {})));
  EXPECT_FALSE(IsBusy(DatabaseError::System(EIO, "disk I/O error", {})));
  EXPECT_FALSE(IsBusy(DatabaseError::System(ENXIO, "no such device", {})));
  EXPECT_FALSE(IsDamaged(DatabaseError::System(EAGAIN, "try again", {})));
}

namespace {

// A full disk and a folder made read-only while the program runs, injected in a child process
// (a file-size limit; the folder's owner alone may write and the child is not the owner): each
// is a passing fault with its own plain words, and the same write works once the cause is gone.
enum class Cause { DiskFull, ReadOnly };

class PassingFaultTest : public ::testing::TestWithParam<Cause> {};

TEST_P(PassingFaultTest, ToldInPlainWordsAndTheWriteWorksOnceTheCauseIsGone) {
  testsupport::TempDatabase db;
  db.AddDvd("Casablanca");
  DatabaseMaintenance::Close(db);
  ASSERT_EQ(::chmod(QFile::encodeName(db.Folder()).constData(), 0755), 0);
  const auto result = childtest::RunInChild([&] {
    const DatabaseHandle handle = Database::Open(db.Path());
    rlimit normal{};
    ::getrlimit(RLIMIT_FSIZE, &normal);
    if (GetParam() == Cause::DiskFull) {
      ::signal(SIGXFSZ, SIG_IGN);
      const rlimit small{1024, normal.rlim_max};
      if (::setrlimit(RLIMIT_FSIZE, &small) != 0) return 10;
    } else if (::seteuid(65534) != 0) {
      return 10;
    }
    const QString insert = "INSERT INTO Inventory (DVDTitle) VALUES ('Heat')";
    try {
      handle->Execute(insert);
      return 1;
    } catch (const DatabaseError& error) {
      const bool full = GetParam() == Cause::DiskFull;
      if (ErrorFunctions::PassingFaultOf(error) != (full
                                                        ? ErrorFunctions::PassingFault::DiskFull
                                                        : ErrorFunctions::PassingFault::ReadOnly)) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
      }
      const QString text = ErrorFunctions::PassingText(error, db.Path(), "Then try again.");
      if (!text.contains(full ? "Free some space" : "writable for you") ||
          !text.contains(db.Path())) {
        return 3;
      }
    }
    if (::setrlimit(RLIMIT_FSIZE, &normal) != 0 || ::seteuid(0) != 0) return 11;
    handle->Execute(insert);
    return 0;
  });
  EXPECT_EQ(result.code, 0) << result.signal;
  EXPECT_EQ(testsupport::Sqlite3Shell(db.Path(),
                                      "PRAGMA integrity_check; SELECT group_concat(DVDTitle) FROM "
                                      "(SELECT DVDTitle FROM Inventory ORDER BY DVDTitle)"),
            "ok\nCasablanca,Heat");
}

INSTANTIATE_TEST_SUITE_P(Causes, PassingFaultTest,
                         ::testing::Values(Cause::DiskFull, Cause::ReadOnly), [](const auto& info) {
                           return std::string(info.param == Cause::DiskFull ? "DiskFull"
                                                                            : "ReadOnly");
                         });

}  // namespace
