#include "app/ErrorFunctions.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cerrno>

#include "TestSupport.h"
#include "app/DatabaseError.h"
#include "seams/MessageBox.h"

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
