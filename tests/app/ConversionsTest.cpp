#include <gtest/gtest.h>

#include <limits>

#include "app/Conversions.h"

namespace {

TEST(Conversions, FormatsNumbersLikeTheListEntries) {
  const std::pair<double, const char*> cases[] = {
      {2, "2"}, {50.0, "50"}, {0.05, "0.05"}, {0.01, "0.01"}, {10000, "10000"}, {660, "660"}, {0.5, "0.5"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(app::FormatGeneral(value), text) << value;
}

TEST(Conversions, ReadsIntegersOrReportsTheText) {
  EXPECT_EQ(app::StrToInt("115200"), 115200);
  EXPECT_EQ(app::StrToInt("-32766"), -32766);
  EXPECT_EQ(app::StrToInt(" 5"), 5);
  for (const char* bad : {" ", "", "12a", "2147483648", "0.5"}) {
    try {
      app::StrToInt(bad);
      ADD_FAILURE() << "accepted '" << bad << "'";
    } catch (const app::ConvertError& e) {
      EXPECT_EQ(std::string(e.what()), "'" + std::string(bad) + "' is not a valid integer value");
    }
  }
}

TEST(Conversions, ReadsScalesWithAFullStopWhateverTheLocale) {
  EXPECT_DOUBLE_EQ(app::StrToFloat("0.05"), 0.05);
  EXPECT_DOUBLE_EQ(app::StrToFloat("10000"), 10000.0);
  EXPECT_THROW(app::StrToFloat("0,05"), app::ConvertError);
  EXPECT_THROW(app::StrToFloat(""), app::ConvertError);
}

TEST(Conversions, SpinValueFallsBackToTheMinimumButKeepsOutOfRangeNumbers) {
  EXPECT_EQ(app::SpinValue("3", 1), 3);
  EXPECT_EQ(app::SpinValue("", 1), 1);
  EXPECT_EQ(app::SpinValue("x", 200), 200);
  EXPECT_EQ(app::SpinValue("12", 1), 12);
  EXPECT_EQ(app::SpinValue("-4", 1), -4);
}

TEST(Conversions, FailureReportAddsAFullStopOnlyAfterCharactersSortingAfterIt) {
  EXPECT_EQ(app::FailureReportText("List index out of bounds (-1)"), "List index out of bounds (-1)");
  EXPECT_EQ(app::FailureReportText("' ' is not a valid integer value"), "' ' is not a valid integer value.");
  EXPECT_EQ(app::FailureReportText("Disk full."), "Disk full.");
  EXPECT_EQ(app::FailureReportText("code 5"), "code 5.");
  EXPECT_EQ(app::FailureReportText(""), "");
  EXPECT_EQ(app::ListIndexError(-1).what(), std::string("List index out of bounds (-1)"));
}

TEST(Conversions, CountersStopAtTheirLargestValue) {
  int32_t counter = std::numeric_limits<int32_t>::max() - 1;
  app::CountUp(counter);
  EXPECT_EQ(counter, std::numeric_limits<int32_t>::max());
  app::CountUp(counter);
  EXPECT_EQ(counter, std::numeric_limits<int32_t>::max());
}

}  // namespace
