#include <gtest/gtest.h>

#include <functional>

#include "analysis/TemperatureTrack.h"

namespace {

TEST(TemperatureTrack, GivesBackEveryFrameWithinAByteAFrame) {
  struct Case {
    const char* name;
    std::function<int8_t(uint64_t)> degrees;
  } const cases[] = {
      {"steady", [](uint64_t) { return int8_t{24}; }},
      {"a degree a minute", [](uint64_t f) { return static_cast<int8_t>(20 + f / 20000); }},
      {"dithering every frame", [](uint64_t f) { return static_cast<int8_t>(24 + f % 2); }},
      {"dithering every fifth frame", [](uint64_t f) { return static_cast<int8_t>(24 + (f / 5) % 2); }},
      {"steady, then dithering", [](uint64_t f) { return static_cast<int8_t>(f < 30000 ? -3 : -3 - f % 2); }},
  };
  constexpr uint64_t kFrames = 60000;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    analysis::TemperatureTrack track;
    for (uint64_t f = 0; f < kFrames; ++f) track.Append(c.degrees(f));
    ASSERT_EQ(track.Frames(), kFrames);
    EXPECT_LE(track.Bytes(), kFrames);
    for (uint64_t f = 0; f < kFrames; ++f) ASSERT_EQ(track.At(f), c.degrees(f)) << f;
    for (const auto& [first, end] : {std::pair<uint64_t, uint64_t>{0, kFrames}, {29998, 30007}, {7, 7}, {59999, 60000}}) {
      std::vector<double> values;
      track.CopyTo(first, end, values);
      ASSERT_EQ(values.size(), end - first);
      for (uint64_t f = first; f < end; ++f) ASSERT_EQ(values[f - first], c.degrees(f)) << f;
    }
  }
}

}  // namespace
