#include "tools/LogReplay.h"

#include <memory>

#include "tools/FrameEncoding.h"

namespace sim {

namespace {

FrameValues ToFrameValues(const analysis::LogFrame& frame) {
  FrameValues values;
  values.samples.assign(frame.samples.begin(), frame.samples.begin() + frame.channels);
  if (frame.hasTemperatures)
    values.temperatures.assign(frame.temperatures.begin(), frame.temperatures.begin() + frame.channels);
  return values;
}

}  // namespace

std::optional<FrameValues> ParseLogLine(std::string_view line) {
  const auto frame = analysis::ParseLogLine(line);
  if (!frame) return std::nullopt;
  return ToFrameValues(*frame);
}

std::optional<FrameValues> LogReplay::Next() {
  if (auto line = m_reader.Next()) return ToFrameValues(line->frame);
  // A replayed log is read to its end once: what is left without an LF is an unfinished line.
  m_reader.Finish();
  return std::nullopt;
}

FrameSource ReplayedFrames(LogReplay& replay) {
  auto emission = std::make_shared<Emission>();
  return [&replay, emission]() -> const Emission* {
    auto frame = replay.Next();
    if (!frame) return nullptr;
    emission->frame = std::move(*frame);
    const auto& values = emission->frame;
    emission->bytes.clear();
    AppendFrame(emission->bytes, values.samples, values.temperatures.empty() ? nullptr : &values.temperatures);
    return emission.get();
  };
}

}  // namespace sim
