#include <gtest/gtest.h>

#include "app/MainFunctions.h"

namespace {

using MainFunctions::StartMode;

struct ArgumentsCase {
  const char* name;
  QStringList arguments;  // after the program's own name
  StartMode mode;
};

void PrintTo(const ArgumentsCase& c, std::ostream* os) { *os << c.name; }

class StartModeTest : public ::testing::TestWithParam<ArgumentsCase> {};

// The whole argument text, in any letter case, selects the start; the keyword followed by
// anything else is a normal start.
TEST_P(StartModeTest, WholeArgumentTextDecides) {
  const QStringList arguments = QStringList{"reelkeeper"} + GetParam().arguments;
  EXPECT_EQ(MainFunctions::StartModeFor(MainFunctions::ArgumentText(arguments)), GetParam().mode);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, StartModeTest,
    ::testing::Values(ArgumentsCase{"None", {}, StartMode::Normal},
                      ArgumentsCase{"checkonly", {"checkonly"}, StartMode::CheckOnly},
                      ArgumentsCase{"CheckOnly", {"CheckOnly"}, StartMode::CheckOnly},
                      ArgumentsCase{"CheckOnlyAndMore", {"checkonly", "now"}, StartMode::Normal},
                      ArgumentsCase{"nocheck", {"nocheck"}, StartMode::NoCheck},
                      ArgumentsCase{"NoCheck", {"NoCheck"}, StartMode::NoCheck}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
