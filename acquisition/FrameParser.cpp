#include "acquisition/FrameParser.h"

#include <stdexcept>
#include <string>

namespace acq {

namespace {

int CheckedRecordOffset(const FrameView& frame, int channel) {
  if (channel < 1 || channel > frame.channelCount) {
    throw std::out_of_range("Channel " + std::to_string(channel) + " not in frame");
  }
  return RecordOffset(channel, frame.hasTemperature);
}

}  // namespace

uint16_t FrameView::Sample(int channel) const {
  const int at = CheckedRecordOffset(*this, channel);
  return static_cast<uint16_t>(data[at] << 8 | data[at + 1]);
}

uint8_t FrameView::Temperature(int channel) const {
  const int at = CheckedRecordOffset(*this, channel);
  if (!hasTemperature) {
    throw std::out_of_range("Frame carries no temperatures");
  }
  return data[at + kSampleBytes];
}

}  // namespace acq
