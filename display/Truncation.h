#pragma once

#include <cstdint>
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
/// of int64_t saturate at its limits, infinities included; NaN gives 0.
int64_t TruncToInt64(long double v);

/// As TruncToInt64, saturating at the limits of int32_t.
int32_t TruncToInt32(long double v);

/// Returns num / den in extended precision.
/// @throws ArithmeticFault when den is zero (either sign).
long double DivideOrFault(long double num, long double den);

}  // namespace disp
