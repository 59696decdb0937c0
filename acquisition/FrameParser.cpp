#include "acquisition/FrameParser.h"

#include <stdexcept>
#include <string>

namespace acq {

int BytesPerChannel(uint8_t flags) { return (flags & 1u) != 0 ? 3 : 2; }

bool IsValidLength(uint8_t flags, uint8_t length) {
  const int perChannel = BytesPerChannel(flags);
  const int records = length - kHeaderBytes;
  return records >= perChannel && records <= kMaxChannels * perChannel && records % perChannel == 0;
}

namespace {

int RecordOffset(const FrameView& frame, int channel) {
  if (channel < 1 || channel > frame.channelCount) {
    throw std::out_of_range("Channel " + std::to_string(channel) + " not in frame");
  }
  return kHeaderBytes + (channel - 1) * (frame.hasTemperature ? 3 : 2);
}

}  // namespace

uint16_t FrameView::Sample(int channel) const {
  const int at = RecordOffset(*this, channel);
  return static_cast<uint16_t>(data[at] << 8 | data[at + 1]);
}

uint8_t FrameView::Temperature(int channel) const {
  const int at = RecordOffset(*this, channel);
  if (!hasTemperature) {
    throw std::out_of_range("Frame carries no temperatures");
  }
  return data[at + 2];
}

}  // namespace acq
