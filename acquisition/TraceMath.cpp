#include "acquisition/TraceMath.h"

#include "display/Truncation.h"

#include <algorithm>
#include <cstdint>

namespace acq {

using disp::DivideOrFault;
using disp::TruncToInt32;

int32_t SweepColumn(long double time, long double sweepStart, double gridStepX, int32_t xInterval) {
  return TruncToInt32(DivideOrFault((time - sweepStart) * gridStepX, xInterval));
}

int32_t DcRow(int64_t dcOffset, int64_t sample, double dcScale, double gridStepY) {
  // The extended significand has 64 bits, so the sum of two 64-bit integers
  // is exact here, where an integer sum could overflow.
  const long double sum = static_cast<long double>(dcOffset) + static_cast<long double>(sample);
  return TruncToInt32(DivideOrFault(sum, dcScale) + static_cast<long double>(gridStepY) * 4);
}

double AcFilterStep(AcFilterState& s, int64_t sample) {
  const long double a = s.level;
  const long double b = s.rate;
  // The filter is stable, so for 64-bit inputs y stays far inside the
  // range of double and the narrowing is defined.
  const double y = static_cast<double>((static_cast<long double>(sample) - a / 512) - b / 256);
  s.level = a + b / 256;
  s.rate = b + y;
  return y;
}

int32_t AcRow(double y, double acScale, int32_t surfaceHeight) {
  return TruncToInt32(DivideOrFault(y, acScale) + static_cast<long double>(surfaceHeight) / 2);
}

int32_t SweepProgress(int32_t col, int32_t surfaceWidth) {
  if (surfaceWidth == 0) {
    throw disp::ArithmeticFault();
  }
  // 1000 * col overflows 32 bits from col = 2147484 on; in 64 bits it cannot,
  // and integer division truncates toward zero as required.
  const int64_t progress = int64_t{kProgressMax} * col / surfaceWidth;
  return static_cast<int32_t>(std::clamp<int64_t>(progress, INT32_MIN, INT32_MAX));
}

bool SweepEnds(int32_t progress) { return kProgressMax <= int64_t{progress} + 1; }

int TemperatureDegrees(uint8_t t) { return t < 128 ? int{t} : int{t} - 256; }

}  // namespace acq
