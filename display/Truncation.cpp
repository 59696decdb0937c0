#include "display/Truncation.h"

#include <cmath>
#include <limits>

namespace disp {

namespace {

template <class Int>
Int TruncSaturating(long double v) {
  if (std::isnan(v)) {
    return 0;
  }
  // Compare before converting: casting an out-of-range real is undefined.
  const long double t = std::trunc(v);
  if (t >= -static_cast<long double>(std::numeric_limits<Int>::min())) {
    return std::numeric_limits<Int>::max();
  }
  if (t < static_cast<long double>(std::numeric_limits<Int>::min())) {
    return std::numeric_limits<Int>::min();
  }
  return static_cast<Int>(t);
}

}  // namespace

int64_t TruncToInt64(long double v) { return TruncSaturating<int64_t>(v); }

int32_t TruncToInt32(long double v) { return TruncSaturating<int32_t>(v); }

long double DivideOrFault(long double num, long double den) {
  if (den == 0) {
    throw ArithmeticFault();
  }
  return num / den;
}

}  // namespace disp
