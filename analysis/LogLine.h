#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// One line of a timed log. A line holds, per channel k in order,
// "T, k, S, " and, for frames with temperatures, ", t"; pieces are joined by
// ", " and the line ends with CR LF. T is the local time of day in the
// writer's own format.
namespace analysis {

/// Longest line accepted, without its line end: eight pieces with a generous time text.
constexpr size_t kMaxLogLineLength = 4096;

/// Most channels a frame has.
constexpr size_t kMaxLogChannels = 8;

/// The frame that one log line records.
struct LogFrame {
  /// 1..8.
  uint8_t channels = 0;
  /// True when every piece carries a temperature byte.
  bool hasTemperatures = false;
  /// Samples of channels 1..channels, 0..65535.
  std::array<uint16_t, kMaxLogChannels> samples{};
  /// Temperature bytes of channels 1..channels when hasTemperatures.
  std::array<uint8_t, kMaxLogChannels> temperatures{};
  /// The first piece's time text; points into the parsed line.
  std::string_view timeText;
};

/// The frame of one log line: 1 to 8 channels numbered 1, 2, ... in order,
/// each sample 0..65535 and, on a line with temperatures, each temperature
/// 0..255, all in plain decimal without sign or leading zeros. The line comes
/// without its LF; a final CR is ignored. Returns nothing for any other bytes
/// (a malformed line). Never throws and allocates nothing.
std::optional<LogFrame> ParseLogLine(std::string_view line);

}  // namespace analysis
