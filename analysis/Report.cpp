#include "analysis/Report.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "analysis/ChannelNoise.h"
#include "analysis/NoiseFigures.h"
#include "analysis/ReportOptions.h"
#include "analysis/SpanStatistics.h"
#include "analysis/WelchDensity.h"

namespace analysis {

namespace {

using nlohmann::json;

// JSON has no infinity or NaN; a figure that is not finite is reported as
// missing rather than as a number no reader can parse.
json Number(double value) { return std::isfinite(value) ? json(value) : json(nullptr); }

json Number(const std::optional<double>& value) { return value ? Number(*value) : json(nullptr); }

json StatisticsJson(const SpanStatistics& s) {
  return {{"n", s.count},
          {"mean", Number(s.mean)},
          {"min", Number(s.min)},
          {"max", Number(s.max)},
          {"peak_to_peak", Number(s.peakToPeak)},
          {"rms", Number(s.rms)},
          {"sample_std_dev", Number(s.sampleStdDev)},
          {"slope_per_s", Number(s.slope)},
          {"duration_s", Number(s.durationSeconds)}};
}

json NoiseJson(const PooledNoise& p) {
  return {{"n", p.count}, {"mean", Number(p.mean)}, {"peak_to_peak", Number(p.peakToPeak)}, {"rms", Number(p.rms)}};
}

json SpansJson(const std::vector<TimeSpan>& spans) {
  json list = json::array();
  for (const TimeSpan& s : spans) list.push_back({Number(s.from), Number(s.to)});
  return list;
}

json SpectrumJson(const SampleSeries<double>& ac, double frameRate, const ReportOptions& options) {
  const Spectrum s = WelchSpectrum(ac.values, ac.size, frameRate, options.resolutionHz);
  if (s.averages == 0) return nullptr;
  json mains = json::array();
  for (const MainsPeak& p : FindMainsPeaks(s)) {
    if (!p.flagged) continue;
    mains.push_back({{"mains_hz", p.mainsHz},
                     {"harmonic", p.harmonic},
                     {"apparent_hz", Number(p.apparentHz)},
                     {"amplitude", Number(p.amplitude)},
                     {"prominence_db", Number(p.prominenceDb)}});
  }
  return {{"from_s", Number(ac.times[0])},
          {"to_s", Number(ac.times[ac.size - 1])},
          {"resolution_hz", Number(s.resolution)},
          {"averages", s.averages},
          {"band_from_hz", Number(options.bandFromHz)},
          {"band_to_hz", Number(options.bandToHz)},
          {"band_rms", Number(BandRms(s, options.bandFromHz, options.bandToHz))},
          {"above_band_rms", Number(BandRms(s, options.bandToHz, std::numeric_limits<double>::infinity()))},
          {"mains", mains}};
}

json EventsJson(const ChannelRecording& c, const SampleSeries<double>& ac, double quietRms,
                const DetectorSettings& settings) {
  Detector detector(c.channel, ThresholdCounts(settings, quietRms), settings);
  detector.Feed(ac.values, ac.times, ac.size);
  json list = json::array();
  for (const DetectorEvent& e : detector.Events()) {
    list.push_back({{"time_s", Number(e.time)},
                    {"first_pulse_s", Number(e.firstPulseTime)},
                    {"peak", Number(e.peak)},
                    {"margin_db", Number(e.MarginDb())},
                    {"pulses", e.pulses}});
  }
  const double duration = ac.size > 0 ? ac.times[ac.size - 1] - ac.times[0] : 0;
  return {{"threshold_counts", Number(ThresholdCounts(settings, quietRms))},
          {"count", detector.Events().size()},
          {"per_hour", Number(EventsPerHour(detector.Events().size(), duration))},
          {"list", list}};
}

/// The part of the AC trace the spectrum covers: the first segment, from
/// where it settled when that is known. The filter's start-up transient
/// would swamp the band, and a gap would join unrelated pieces.
SampleSeries<double> SpectrumPart(const SampleSeries<double>& ac, const std::vector<Settling>& settling,
                                  const ReportOptions& options) {
  const std::vector<size_t> starts = SegmentStarts(ac.times, ac.size, options.settling.gapSeconds);
  const size_t end = starts.size() > 1 ? starts[1] : ac.size;
  SampleSeries<double> part{ac.values, ac.times, end};
  if (settling.empty() || !settling.front().seconds) return part;
  return Slice(part, {ac.times[0] + *settling.front().seconds, ac.times[end - 1]});
}

json ChannelJson(const ChannelRecording& c, std::optional<double> frameRate, const ReportOptions& options) {
  const SampleSeries<double> dc{c.dc, c.times, c.size};
  const SampleSeries<double> ac{c.ac, c.times, c.size};
  json j = {{"channel", c.channel},
            {"dc", StatisticsJson(ComputeStatistics(dc))},
            {"ac", StatisticsJson(ComputeStatistics(ac))}};
  const ChannelNoise noise = ComputeChannelNoise(c, options.quiet, options.walks, options.settling);
  const SignalToNoise& snr = noise.snr;
  j["snr"] = nullptr;
  if (snr.quiet.count > 0) {
    j["snr"] = {{"quiet", NoiseJson(snr.quiet)},
                {"walk", NoiseJson(snr.walk)},
                {"peak_to_peak_db", Number(snr.peakToPeakDb)},
                {"rms_db", Number(snr.rmsDb)}};
  }
  j["settling"] = nullptr;
  if (snr.quiet.count > 0) {
    json segments = json::array();
    for (const Settling& s : noise.settling) {
      segments.push_back({{"start_s", Number(s.start)}, {"seconds", Number(s.seconds)}});
    }
    j["settling"] = {{"k", Number(options.settling.k)},
                     {"min_excursion_s", Number(options.settling.minExcursionSeconds)},
                     {"segments", segments}};
  }
  j["drift_counts_per_degree"] = Number(noise.drift);
  j["spectrum"] =
      frameRate ? SpectrumJson(SpectrumPart(ac, noise.settling, options), *frameRate, options) : json(nullptr);
  if (options.detector && options.detector->inQuietRms && snr.quiet.count == 0) {
    throw std::invalid_argument("the quiet spans hold no frames to take the detector threshold from");
  }
  j["events"] = options.detector ? EventsJson(c, ac, snr.quiet.rms, *options.detector) : json(nullptr);
  return j;
}

}  // namespace

struct ReportBuilder::Channels {
  json list = json::array();
};

ReportBuilder::ReportBuilder(const ReportOptions& options, std::optional<double> frameRate)
    : m_options(options), m_frameRate(frameRate), m_channels(std::make_unique<Channels>()) {
  if (options.detector && options.detector->inQuietRms && options.quiet.empty()) {
    throw std::invalid_argument("a detector threshold in quiet RMS needs at least one quiet span");
  }
}

ReportBuilder::~ReportBuilder() = default;

void ReportBuilder::AddChannel(const ChannelRecording& channel) {
  m_channels->list.push_back(ChannelJson(channel, m_frameRate, m_options));
}

std::string ReportBuilder::Json() const {
  json report = {{"frame_rate_hz", Number(m_frameRate)},
                 {"quiet", SpansJson(m_options.quiet)},
                 {"walk", SpansJson(m_options.walks)},
                 {"detector", m_options.detector ? json(FormatDetectorSettings(*m_options.detector)) : json(nullptr)}};
  report["channels"] = m_channels->list;
  return report.dump(2) + "\n";
}

std::string ReportJson(const std::vector<ChannelRecording>& channels, const ReportOptions& options) {
  // Every channel of a log shares the frames, so the first one's times give the rate.
  std::optional<double> frameRate;
  if (!channels.empty()) frameRate = MeasureFrameRate(channels.front().times, channels.front().size);
  ReportBuilder builder(options, frameRate);
  for (const ChannelRecording& c : channels) builder.AddChannel(c);
  return builder.Json();
}

}  // namespace analysis
