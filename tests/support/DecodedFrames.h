#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "acquisition/FrameParser.h"

// Header only, so that tests without the window (they link acquisition_core
// alone) can use it too.
namespace support {

/// One frame's samples and temperatures (none for a frame without them).
using DecodedFrame = std::pair<std::vector<uint16_t>, std::vector<uint8_t>>;

/// The frames the program's receiver takes from a whole stream.
inline std::vector<DecodedFrame> DecodeFrames(const std::string& stream) {
  std::vector<DecodedFrame> frames;
  size_t consumed = 0;
  acq::ScanFrames(stream, consumed, [&frames](const acq::FrameView& f) {
    DecodedFrame& frame = frames.emplace_back();
    for (int channel = 1; channel <= f.channelCount; ++channel) {
      frame.first.push_back(f.Sample(channel));
      if (f.hasTemperature) frame.second.push_back(f.Temperature(channel));
    }
  });
  return frames;
}

}  // namespace support
