// The one hand-over of complete codes, and the symbology guessed from a code.
#include <gtest/gtest.h>

#include "CodeHandover.h"

namespace {

using scannerlib::CodeHandover;

TEST(CodeHandoverTest, CompleteExactlyWhileACodeWaitsAndEachTakenOnce) {
  CodeHandover handover;
  EXPECT_FALSE(handover.Waiting());
  EXPECT_EQ(handover.First().barCode, "");
  // Two scans in quick succession, before the first is taken.
  handover.Offer("FEED", "111111");
  handover.Offer("KEYBOARD", "222222");
  ASSERT_TRUE(handover.Waiting());
  EXPECT_EQ(handover.First().barCode, "111111");
  EXPECT_EQ(handover.First().scannerId, "FEED");
  EXPECT_EQ(handover.First().barCode, "111111");  // looking takes nothing
  handover.Take();
  ASSERT_TRUE(handover.Waiting());
  EXPECT_EQ(handover.First().barCode, "222222");
  handover.Take();
  EXPECT_FALSE(handover.Waiting());
  handover.Take();  // nothing waiting: nothing happens
  EXPECT_FALSE(handover.Waiting());
}

struct Symbology {
  const char* code;
  const char* type;
};

class CodeTypeTest : public ::testing::TestWithParam<Symbology> {};

TEST_P(CodeTypeTest, GuessedFromLengthAndCheckDigit) {
  EXPECT_EQ(scannerlib::GuessCodeType(GetParam().code), GetParam().type) << GetParam().code;
}

INSTANTIATE_TEST_SUITE_P(
    Codes, CodeTypeTest,
    ::testing::Values(Symbology{"4006381333931", "EAN-13"}, Symbology{"4006381333932", "CODE-128"},
                      Symbology{"036000291452", "UPC-A"}, Symbology{"96385074", "EAN-8"},
                      Symbology{"96385075", "CODE-128"}, Symbology{"ABC-123 x", "CODE-128"},
                      Symbology{"caf\xc3\xa9", "UNKNOWN"}, Symbology{"", "UNKNOWN"}));

}  // namespace
