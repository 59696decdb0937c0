#pragma once

#include <cstdint>

namespace acq {

/// Full scale of the sweep progress.
constexpr int32_t kProgressMax = 1000;

/// Surface column of a sample at time (nominal ms):
/// trunc(((time - sweepStart) * gridStepX) / xInterval) in extended precision,
/// saturated to 32 bits.
/// @throws disp::ArithmeticFault when xInterval is 0.
int32_t SweepColumn(long double time, long double sweepStart, double gridStepX, int32_t xInterval);

/// Stored row of a DC sample: trunc((dcOffset + sample) / dcScale + gridStepY * 4).
/// The sum is exact for any 64-bit operands; the result saturates to 32 bits.
/// @throws disp::ArithmeticFault when dcScale is 0.
int32_t DcRow(int64_t dcOffset, int64_t sample, double dcScale, double gridStepY);

/// State of one channel's high-pass filter: level holds 512 times the tracked
/// baseline, rate is the sum of all past outputs.
struct AcFilterState {
  long double level = 0;
  long double rate = 0;
};

/// One step of the second-order high-pass filter:
/// y = (sample - level / 512) - rate / 256 (extended, stored as double);
/// level += rate / 256; rate += y. Returns y. A constant input makes y settle
/// to 0.
double AcFilterStep(AcFilterState& s, int64_t sample);

/// Stored row of a filtered value: trunc(y / acScale + surfaceHeight / 2),
/// the half being a real division; saturated to 32 bits.
/// @throws disp::ArithmeticFault when acScale is 0.
int32_t AcRow(double y, double acScale, int32_t surfaceHeight);

/// Sweep progress 0..kProgressMax of a column: trunc((1000 * col) / surfaceWidth),
/// the product taken in 64 bits; saturated to 32 bits.
/// @throws disp::ArithmeticFault when surfaceWidth is 0.
int32_t SweepProgress(int32_t col, int32_t surfaceWidth);

/// True when the sweep has reached its end: kProgressMax <= progress + 1.
bool SweepEnds(int32_t progress);

/// A temperature byte read as a signed 8-bit value in degrees Celsius
/// (0xFF -> -1).
int TemperatureDegrees(uint8_t t);

}  // namespace acq
