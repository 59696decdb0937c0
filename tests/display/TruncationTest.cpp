#include <gtest/gtest.h>

#include <limits>

#include "display/Truncation.h"

namespace {

constexpr int32_t kI32Max = std::numeric_limits<int32_t>::max();
constexpr int32_t kI32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kI64Max = std::numeric_limits<int64_t>::max();
constexpr int64_t kI64Min = std::numeric_limits<int64_t>::min();

TEST(Truncation, TruncatesTowardZeroAndSaturates) {
  const long double inf = std::numeric_limits<long double>::infinity();
  const struct {
    long double value;
    int32_t as32;
    int64_t as64;
  } cases[] = {
      {-0.7L, 0, 0},
      {176.5L, 176, 176},
      {-88.25L, -88, -88},
      {2147483647.9L, kI32Max, 2147483647},
      {2147483648.0L, kI32Max, 2147483648LL},
      {-2147483648.9L, kI32Min, -2147483648LL},
      {-2147483649.0L, kI32Min, -2147483649LL},
      {9223372036854775807.0L, kI32Max, kI64Max},
      {9223372036854775808.0L, kI32Max, kI64Max},
      {-9223372036854775808.0L, kI32Min, kI64Min},
      {-18446744073709551616.0L, kI32Min, kI64Min},
      {inf, kI32Max, kI64Max},
      {-inf, kI32Min, kI64Min},
      {std::numeric_limits<long double>::quiet_NaN(), 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(disp::TruncToInt32(c.value), c.as32) << c.value;
    EXPECT_EQ(disp::TruncToInt64(c.value), c.as64) << c.value;
  }
}

TEST(Truncation, DivisionByZeroRaisesArithmeticFault) {
  for (long double den : {0.0L, -0.0L}) {
    try {
      disp::DivideOrFault(1, den);
      ADD_FAILURE() << "no fault for " << den;
    } catch (const disp::ArithmeticFault& e) {
      EXPECT_STREQ(e.what(), "Floating point division by zero");
    }
  }
  EXPECT_EQ(disp::DivideOrFault(353, 2), 176.5L);
}

}  // namespace
