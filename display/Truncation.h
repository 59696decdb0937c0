#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

namespace disp {

/// An arithmetic fault raised where the plotting arithmetic would divide by
/// zero. Handlers that expect it catch it per sample and beep.
class ArithmeticFault : public std::runtime_error {
 public:
  explicit ArithmeticFault(const std::string& what = "Floating point division by zero") : std::runtime_error(what) {}
};

/// Truncates toward zero (-0.7 -> 0, 176.5 -> 176). Values beyond the range
/// of Int saturate at its limits, infinities included; NaN gives 0. Inline:
/// it runs several times per plotted sample.
template <class Int>
inline Int TruncSaturating(long double v) {
  if (std::isnan(v)) return 0;
  // Compare before converting: converting an out-of-range real is undefined.
  // In range, the conversion itself truncates toward zero.
  if (v >= -static_cast<long double>(std::numeric_limits<Int>::min())) return std::numeric_limits<Int>::max();
  if (v <= static_cast<long double>(std::numeric_limits<Int>::min()) - 1) return std::numeric_limits<Int>::min();
  return static_cast<Int>(v);
}

inline int64_t TruncToInt64(long double v) { return TruncSaturating<int64_t>(v); }

/// As TruncToInt64, saturating at the limits of int32_t.
inline int32_t TruncToInt32(long double v) { return TruncSaturating<int32_t>(v); }

/// Returns num / den in extended precision.
/// @throws ArithmeticFault when den is zero (either sign).
inline long double DivideOrFault(long double num, long double den) {
  if (den == 0) throw ArithmeticFault();
  return num / den;
}

}  // namespace disp
