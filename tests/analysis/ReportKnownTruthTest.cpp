#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <vector>

#include "analysis/Report.h"
#include "tests/support/SimulatedRecording.h"

namespace {

using nlohmann::json;

constexpr size_t kFramesPerSecond = 333;

// The channels from second `from` on, as a report over that selection reads them.
std::vector<analysis::ChannelRecording> From(std::vector<support::SimulatedChannel>& channels, double from) {
  std::vector<analysis::ChannelRecording> recordings;
  for (size_t k = 0; k < channels.size(); ++k) {
    support::SimulatedChannel& c = channels[k];
    const auto skip = static_cast<size_t>(std::ceil(from * kFramesPerSecond));
    recordings.push_back({static_cast<int>(k + 1), c.times.size() - skip, c.times.data() + skip, c.dc.data() + skip,
                          c.ac.data() + skip, c.degrees.data() + skip});
  }
  return recordings;
}

// Walks of known swing on two channels of a board that is otherwise still:
// the report finds their swing, when the AC trace settled after the start
// and, once it has, exactly one detector event within each walk on the
// walk's own channel.
TEST(ReportKnownTruth, ScriptedWalksReadBackAsSwingAndEvents) {
  sim::KnownTruth truth;
  const double swing[] = {300, 150};
  truth.walks = {{70, 1, swing[0]}, {90, 2, swing[1]}};
  auto channels = support::SimulatedRecording({2, true, 5}, truth, 110 * kFramesPerSecond);
  analysis::ReportOptions options;
  options.quiet = {{40, 60}};
  options.walks = {{70, 72}, {90, 92}};
  options.detector = analysis::DetectorSettings{30, false, 2, 3, 2, true};
  const json report = json::parse(analysis::ReportJson(From(channels, 0), options));
  for (size_t k = 0; k < 2; ++k) {
    SCOPED_TRACE(k + 1);
    const json& c = report["channels"][k];
    // One 1 Hz cycle passes the high-pass almost unchanged.
    EXPECT_NEAR(c["snr"]["walk"]["peak_to_peak"].get<double>(), swing[k], 0.05 * swing[k]);
    const double settled = c["settling"]["segments"][0]["seconds"].get<double>();
    EXPECT_GT(settled, 3);
    EXPECT_LT(settled, 40);
    std::vector<double> after;
    for (const json& e : c["events"]["list"]) {
      if (e["first_pulse_s"].get<double>() > settled) after.push_back(e["time_s"].get<double>());
    }
    ASSERT_EQ(after.size(), 1u);
    EXPECT_TRUE(options.walks[k].Contains(after[0])) << after[0];
  }
}

// Tones of known amplitude, one in the PIR band and one above the Nyquist
// frequency, and a temperature ramp of known slope: the band RMS, the
// folded mains line and the drift per degree read back, over the part after
// the AC trace has settled.
TEST(ReportKnownTruth, TonesAndTemperatureRampReadBack) {
  sim::KnownTruth truth;
  truth.tones = {{7.3, 20}, {200, 8}};
  truth.ramp = sim::TemperatureRamp{2, 40};
  auto channels = support::SimulatedRecording({1, true, 6}, truth, 330 * kFramesPerSecond);
  const json report = json::parse(analysis::ReportJson(From(channels, 30), {}));
  EXPECT_NEAR(report["frame_rate_hz"].get<double>(), 1000.0 / 3, 0.5);
  const json& c = report["channels"][0];
  const json& spectrum = c["spectrum"];
  // In the band: the 7.3 Hz tone and about 1 count of the noise.
  const double band = std::sqrt(20.0 * 20 / 2 + 1);
  EXPECT_NEAR(spectrum["band_rms"].get<double>(), band, 0.02 * band);
  ASSERT_EQ(spectrum["mains"].size(), 1u);
  const json& mains = spectrum["mains"][0];
  EXPECT_EQ(mains["mains_hz"], 50);
  EXPECT_EQ(mains["harmonic"], 4);
  EXPECT_NEAR(mains["apparent_hz"].get<double>(), 400.0 / 3, 0.01);
  EXPECT_LT(std::fabs(20 * std::log10(mains["amplitude"].get<double>() / 8)), 0.1);
  EXPECT_NEAR(c["drift_counts_per_degree"].get<double>(), 40, 0.05 * 40);
}

}  // namespace
