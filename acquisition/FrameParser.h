#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "acquisition/FrameFormat.h"

namespace acq {

/// One complete frame inside a receive buffer. Valid only while the buffer is
/// unchanged, i.e. during the callback of ScanFrames.
struct FrameView {
  const uint8_t* data;
  int length;
  int channelCount;
  bool hasTemperature;

  /// Big-endian 16-bit sample of channel 1..channelCount.
  /// @throws std::out_of_range for any other channel.
  uint16_t Sample(int channel) const;
  /// Raw temperature byte of channel 1..channelCount.
  /// @throws std::out_of_range for any other channel, or when the frame
  ///         carries no temperatures.
  uint8_t Temperature(int channel) const;
};

/// Cuts complete frames off the front of buffer[consumed..], calling
/// onFrame(const FrameView&) for each in order.
///
/// While at least two bytes remain: a byte other than the sync byte is dropped;
/// a sync byte with fewer than three bytes left waits; a sync byte followed by
/// an invalid length drops only the sync byte, so scanning resumes inside the
/// rejected data; a frame not yet complete waits. consumed advances past each
/// dropped byte and past each frame only after onFrame returned, so if onFrame
/// throws, the frame being processed stays unconsumed. The caller erases the
/// first consumed bytes once afterwards, which keeps a call linear in the
/// buffer size.
template <class OnFrame>
void ScanFrames(std::string_view buffer, size_t& consumed, OnFrame&& onFrame) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(buffer.data());
  const size_t size = buffer.size();
  while (consumed < size && size - consumed >= 2) {
    const uint8_t* front = bytes + consumed;
    const size_t remaining = size - consumed;
    if (front[0] != kSyncByte) {
      ++consumed;
      continue;
    }
    if (remaining < kHeaderBytes) {
      return;
    }
    const uint8_t flags = front[1];
    const uint8_t length = front[2];
    if (!IsValidLength(flags, length)) {
      ++consumed;
      continue;
    }
    if (remaining < length) {
      return;
    }
    const bool temperatures = HasTemperatures(flags);
    const FrameView frame{front, length, (length - kHeaderBytes) / BytesPerChannel(temperatures), temperatures};
    onFrame(frame);
    consumed += length;
  }
}

}  // namespace acq
