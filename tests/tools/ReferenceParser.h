#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A receiver written straight from the frame rules, independent of the code
// under test: drop bytes until 0xA5, check the length byte against the flags,
// drop only the 0xA5 when it is invalid, and take complete frames.
namespace simtest {

// The samples and the temperatures (none for a frame without them).
using DecodedFrame = std::pair<std::vector<uint16_t>, std::vector<uint8_t>>;

// The frames of a whole stream; an incomplete frame at its end is ignored.
inline std::vector<DecodedFrame> Decode(const std::string& stream) {
  const auto at = [&stream](size_t k) { return static_cast<uint8_t>(stream[k]); };
  std::vector<DecodedFrame> frames;
  size_t i = 0;
  while (i + 3 <= stream.size()) {
    const int per = (at(i + 1) & 1) != 0 ? 3 : 2;
    const int length = at(i + 2);
    if (at(i) != 0xA5 || length < per + 3 || length > 8 * per + 3 || (length - 3) % per != 0) {
      ++i;
      continue;
    }
    if (stream.size() - i < static_cast<size_t>(length)) {
      break;
    }
    DecodedFrame frame;
    for (size_t offset = i + 3; offset < i + static_cast<size_t>(length); offset += static_cast<size_t>(per)) {
      frame.first.push_back(static_cast<uint16_t>(at(offset) * 256 + at(offset + 1)));
      if (per == 3) {
        frame.second.push_back(at(offset + 2));
      }
    }
    frames.push_back(frame);
    i += static_cast<size_t>(length);
  }
  return frames;
}

}  // namespace simtest
