#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/Detector.h"
#include "analysis/NoiseFigures.h"
#include "analysis/SampleSeries.h"

namespace analysis {

/// One channel of a recording as the report reads it: per frame its time
/// (seconds, ascending), its DC sample, its AC value (the live high-pass of
/// the DC samples) and, when the frames carry them, its temperature in
/// degrees. The arrays hold size elements and outlive the call.
struct ChannelRecording {
  int channel = 1;  ///< 1..8
  size_t size = 0;
  const double* times = nullptr;
  const double* dc = nullptr;
  const double* ac = nullptr;
  const double* temperatures = nullptr;  ///< null: no temperatures
};

/// What the report measures, beyond the whole log's statistics.
struct ReportOptions {
  std::vector<TimeSpan> quiet;               ///< nobody in the field
  std::vector<TimeSpan> walks;               ///< someone walking
  std::optional<DetectorSettings> detector;  ///< run the detector with these
  SettlingRule settling;                     ///< when the AC trace counts as settled
  double bandFromHz = 0.1;                   ///< band of the band RMS
  double bandToHz = 10;
  double resolutionHz = 0.02;  ///< wanted spectrum resolution
};

/// The figures of every channel as JSON text (ending in a newline): the
/// frame rate measured from the frame times; per channel the DC and AC
/// statistics, SNR and settling (with quiet spans; SNR also needs walks),
/// DC drift per degree (with temperatures), the AC spectrum's band RMS, RMS
/// above the band and mains lines (when the frame rate could be measured;
/// over the log's first segment, from where it settled when that is known),
/// and the detector's events (with settings). Figures that cannot be
/// computed are null. Throws std::invalid_argument when the detector's
/// threshold is a multiple of the quiet RMS and the quiet spans hold no frames.
std::string ReportJson(const std::vector<ChannelRecording>& channels, const ReportOptions& options);

/// The same report built a channel at a time, so that a caller needs only
/// one channel's arrays at once.
class ReportBuilder {
 public:
  /// frameRate: measured from the frames' times (MeasureFrameRate); none
  /// leaves the spectra out. Throws std::invalid_argument when the
  /// detector's threshold is a multiple of the quiet RMS and there is no quiet span.
  ReportBuilder(const ReportOptions& options, std::optional<double> frameRate);
  ~ReportBuilder();

  /// Measures a channel; throws std::invalid_argument as ReportJson does.
  void AddChannel(const ChannelRecording& channel);
  /// The report of the channels added so far, as ReportJson writes it.
  std::string Json() const;

 private:
  struct Channels;
  ReportOptions m_options;
  std::optional<double> m_frameRate;
  std::unique_ptr<Channels> m_channels;
};

}  // namespace analysis
