#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace support {

/// One log line as the window writes it, CR LF included: every piece
/// stamped `time`, temperatures when `temperatures` is not empty (one per sample).
std::string LogLineText(std::string_view time, const std::vector<uint16_t>& samples,
                        const std::vector<uint8_t>& temperatures = {});

/// The shape of a made-up log.
struct SyntheticLog {
  /// Time of day of the first line, seconds since midnight; the lines roll over midnight.
  int32_t firstSecondOfDay = 14 * 3600;
  int32_t seconds = 10;
  /// Frames per second, as the board sends about 333.
  int32_t framesPerSecond = 333;
  int channels = 8;
  bool temperatures = true;
};

/// Writes a log of the given shape, as the window writes it in a 24-hour
/// locale: per channel a slow wave with noise and now and then a spike, the
/// same bytes every time.
void WriteSyntheticLog(std::ostream& out, const SyntheticLog& shape);

}  // namespace support
