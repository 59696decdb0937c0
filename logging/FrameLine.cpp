#include "logging/FrameLine.h"

namespace logbook {

void AppendRecord(std::string& line, const acq::FrameView& frame, int channel, std::string_view timeText) {
  AppendPiece(line, timeText, channel, frame.Sample(channel));
  if (frame.hasTemperature) AppendTemperature(line, frame.Temperature(channel));
  if (channel < frame.channelCount) {
    AppendSeparator(line);
  } else {
    AppendLineEnd(line);
  }
}

void AppendFrameLine(std::string& line, const acq::FrameView& frame, TimeOfDayText& timeOfDay) {
  for (int channel = 1; channel <= frame.channelCount; ++channel) {
    AppendRecord(line, frame, channel, timeOfDay.Now());
  }
}

}  // namespace logbook
