#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace app {

/// Text that is not a number where one is required.
class ConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// An entry index that a list does not have.
class ListIndexError : public std::runtime_error {
 public:
  explicit ListIndexError(int index);
};

/// Decimal integer text (leading blanks allowed, optional sign) to a 32-bit
/// integer. Throws ConvertError "'<text>' is not a valid integer value".
int32_t StrToInt(std::string_view text);

/// Decimal text with a full stop as decimal point to a double, whatever the
/// locale. Throws ConvertError "'<text>' is not a valid floating point value".
double StrToFloat(std::string_view text);

/// A number in general format: up to 15 significant digits, no trailing
/// zeros, no decimal point for integral values (2 -> "2", 0.05 -> "0.05").
std::string FormatGeneral(double value);

/// The value of a spin box: its text read as an integer, or `minimum` when
/// the text is not one. The value may lie outside the box's range while the
/// user is still typing.
int32_t SpinValue(std::string_view text, int32_t minimum);

/// The text of the general failure report: a full stop is appended when the
/// last character sorts after the full stop ("...value" gets one, "(-1)" not).
std::string FailureReportText(std::string text);

/// Adds one to a counter that runs all day; it stops at its largest value
/// instead of overflowing.
void CountUp(int32_t& counter);

}  // namespace app
