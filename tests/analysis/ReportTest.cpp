#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <vector>

#include "analysis/Report.h"
#include "analysis/ReportOptions.h"

namespace {

struct SpanCase {
  const char* text;
  std::optional<analysis::TimeSpan> span;
};

TEST(ReportOptions, ParsesSpansInSecondsOrClockForm) {
  const std::vector<SpanCase> cases = {
      {"12.5-40", analysis::TimeSpan{12.5, 40}},
      {"1:30-2:00.5", analysis::TimeSpan{90, 120.5}},
      {"1:02:03-1:02:03", analysis::TimeSpan{3723, 3723}},
      {"0-0.003", analysis::TimeSpan{0, 0.003}},
      {"40-12", std::nullopt},
      {"12", std::nullopt},
      {"-5-10", std::nullopt},
      {"1:60-2:00", std::nullopt},
      {"1e3-2e3", std::nullopt},
      {"1.5:30-2:00", std::nullopt},
      {"1:2:3:4-5", std::nullopt},
      {"nan-inf", std::nullopt},
      {"", std::nullopt},
  };
  for (const SpanCase& c : cases) {
    SCOPED_TRACE(c.text);
    std::string error;
    const auto span = analysis::ParseSpan(c.text, error);
    ASSERT_EQ(span.has_value(), c.span.has_value());
    if (span) {
      EXPECT_DOUBLE_EQ(span->from, c.span->from);
      EXPECT_DOUBLE_EQ(span->to, c.span->to);
      // What the review window writes into a report command reads back the same.
      const auto again = analysis::ParseSpan(analysis::FormatSpan(*span), error);
      ASSERT_TRUE(again) << analysis::FormatSpan(*span);
      EXPECT_DOUBLE_EQ(again->to, span->to);
    } else {
      EXPECT_FALSE(error.empty());
    }
  }
}

TEST(ReportOptions, ParsesDetectorSettingsAndRejectsMistakes) {
  std::string error;
  const auto s =
      analysis::ParseDetectorSettings("threshold=3.5xrms,pulses=2,window=5,blind=0.5,alternate=1,single=5,warmup=8", error);
  ASSERT_TRUE(s) << error;
  EXPECT_EQ(s->threshold, 3.5);
  EXPECT_TRUE(s->inQuietRms);
  EXPECT_EQ(s->pulses, 2);
  EXPECT_EQ(s->windowSeconds, 5);
  EXPECT_EQ(s->blindSeconds, 0.5);
  EXPECT_TRUE(s->alternate);
  EXPECT_EQ(s->singlePulseMultiple, 5);
  EXPECT_EQ(s->warmUpSeconds, 8);
  EXPECT_EQ(analysis::FormatDetectorSettings(*s),
            "threshold=3.5xrms,pulses=2,window=5,blind=0.5,alternate=1,single=5,warmup=8");
  const auto counts = analysis::ParseDetectorSettings("threshold=40", error);
  ASSERT_TRUE(counts);
  EXPECT_FALSE(counts->inQuietRms);
  EXPECT_EQ(counts->pulses, analysis::DetectorSettings{}.pulses);
  EXPECT_EQ(counts->singlePulseMultiple, 0);
  for (const char* bad : {"threshold=0", "threshold=-4", "threshold=xrms", "pulses=0", "pulses=101", "pulses=2.5",
                          "window=-1", "blind=inf", "alternate=yes", "single=0.5", "single=-5", "warmup=-2", "speed=3", "threshold",
                          "pulses=1,pulses=2", "", "threshold=40,"}) {
    SCOPED_TRACE(bad);
    error.clear();
    EXPECT_FALSE(analysis::ParseDetectorSettings(bad, error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(Report, GivesEveryFigureOrNullWhereItCannotBeComputed) {
  // Four seconds at 4 frames per second: quiet, a swing from 2 s to 2.75 s, quiet.
  std::vector<double> times, ac, degrees;
  std::vector<double> dc;
  for (int i = 0; i < 16; ++i) {
    times.push_back(0.25 * i);
    ac.push_back((i % 2 ? 1 : -1) * (i >= 8 && i < 12 ? 50 : 1));
    dc.push_back(1000 + 2 * i);
    degrees.push_back(20 + 0.5 * i);
  }
  const analysis::ChannelRecording channel{2, times.size(), times.data(), dc.data(), ac.data(), degrees.data()};
  analysis::ReportOptions options;
  options.quiet = {{0, 1.75}};
  options.walks = {{2, 2.75}};
  options.detector = analysis::DetectorSettings{10, true, 1, 5, 0.1, false};
  const auto report = nlohmann::json::parse(analysis::ReportJson({channel}, options));
  EXPECT_DOUBLE_EQ(report["frame_rate_hz"].get<double>(), 4);
  const auto& c = report["channels"][0];
  EXPECT_EQ(c["channel"], 2);
  EXPECT_EQ(c["dc"]["n"], 16);
  EXPECT_DOUBLE_EQ(c["dc"]["slope_per_s"].get<double>(), 8);
  EXPECT_DOUBLE_EQ(c["ac"]["peak_to_peak"].get<double>(), 100);
  EXPECT_DOUBLE_EQ(c["snr"]["peak_to_peak_db"].get<double>(), 20 * std::log10(50.0));
  EXPECT_DOUBLE_EQ(c["settling"]["segments"][0]["seconds"].get<double>(), 0);  // the swing is a walk
  EXPECT_DOUBLE_EQ(c["drift_counts_per_degree"].get<double>(), 4);
  EXPECT_TRUE(c["spectrum"].is_object());
  EXPECT_DOUBLE_EQ(c["events"]["threshold_counts"].get<double>(), 10);
  EXPECT_EQ(c["events"]["count"], 4);  // each swing sample crosses to the other side
  EXPECT_EQ(report["detector"], "threshold=10xrms,pulses=1,window=5,blind=0.1,alternate=0,single=0,warmup=0");

  // No spans, no temperatures, too short for a frame rate.
  const analysis::ChannelRecording bare{1, 3, times.data(), dc.data(), ac.data(), nullptr};
  const auto plain = nlohmann::json::parse(analysis::ReportJson({bare}, {}));
  EXPECT_TRUE(plain["frame_rate_hz"].is_null());
  for (const char* key : {"snr", "settling", "drift_counts_per_degree", "spectrum", "events"}) {
    EXPECT_TRUE(plain["channels"][0][key].is_null()) << key;
  }
  analysis::ReportOptions rmsWithoutQuiet;
  rmsWithoutQuiet.detector = analysis::DetectorSettings{3, true};
  EXPECT_THROW(analysis::ReportJson({bare}, rmsWithoutQuiet), std::invalid_argument);
}

}  // namespace
