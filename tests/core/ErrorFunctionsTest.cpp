#include "app/ErrorFunctions.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QTemporaryDir>
#include <cerrno>

#include "TestSupport.h"
#include "app/DatabaseError.h"
#include "seams/MessageBox.h"

namespace {

using seams::MsgAnswer;
using seams::MsgButtons;

struct EscapeCase {
  const char* name;
  MsgButtons buttons;
  MsgAnswer defaultAnswer;
  std::optional<MsgAnswer> escape;
  MsgAnswer expected;
};

void PrintTo(const EscapeCase& c, std::ostream* os) { *os << c.name; }

class EscapeAnswerTest : public ::testing::TestWithParam<EscapeCase> {};

// Escape picks the answer that loses nothing, whatever the default button is.
TEST_P(EscapeAnswerTest, IsTheAnswerThatChangesNothing) {
  seams::MessageRequest request;
  request.buttons = GetParam().buttons;
  request.defaultAnswer = GetParam().defaultAnswer;
  request.escapeAnswer = GetParam().escape;
  EXPECT_EQ(seams::EscapeAnswer(request), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, EscapeAnswerTest,
    ::testing::Values(EscapeCase{"Ok", MsgButtons::Ok, MsgAnswer::Ok, std::nullopt, MsgAnswer::Ok},
                      EscapeCase{"YesNoDefaultYes", MsgButtons::YesNo, MsgAnswer::Yes, std::nullopt,
                                 MsgAnswer::No},
                      EscapeCase{"OkCancelDefaultOk", MsgButtons::OkCancel, MsgAnswer::Ok,
                                 std::nullopt, MsgAnswer::Cancel},
                      EscapeCase{"YesNoCancel", MsgButtons::YesNoCancel, MsgAnswer::Yes,
                                 std::nullopt, MsgAnswer::Cancel},
                      EscapeCase{"YesNoGoingOn", MsgButtons::YesNo, MsgAnswer::No, MsgAnswer::Yes,
                                 MsgAnswer::Yes}),
    [](const auto& info) { return std::string(info.param.name); });

// A stray Escape in the "continue?" box goes on: ending the program there loses the session and
// logs nothing.
TEST(ErrorFunctionsTest, EscapeInTheContinueQuestionGoesOn) {
  QTemporaryDir folder;  // for the "ErrorLog" written in the current folder
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(folder.path()));
  testsupport::ScriptedMessageBox box;
  ErrorFunctions::ShowError("A function failed.", true,
                            DatabaseError(14, "unable to open database file", "Database"));
  ASSERT_EQ(box.Shown().size(), 1u);
  EXPECT_EQ(seams::EscapeAnswer(box.Shown()[0]), MsgAnswer::Yes);
  QDir::setCurrent(previous);
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
