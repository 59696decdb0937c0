#include "analysis/SessionNoise.h"

#include "analysis/SessionArrays.h"
#include "analysis/SpanStatistics.h"

namespace analysis {

namespace {

std::string Optional(const std::optional<double>& value) { return value ? FormatNumber(*value) : std::string(); }

std::string SettlingText(const Settling& s) { return s.seconds ? FormatNumber(*s.seconds) : "never"; }

}  // namespace

std::vector<ChannelNoise> SessionNoise(const LogSession& session, const std::array<bool, 8>& channels,
                                       const NoiseMarks& marks) {
  std::vector<ChannelNoise> rows;
  const uint64_t frames = session.Frames();
  if (frames == 0) return rows;
  const std::vector<double> times = FrameTimes(session, 0, frames);
  for (int channel = 1; channel <= session.Channels() && channel <= static_cast<int>(channels.size()); ++channel) {
    if (!channels[static_cast<size_t>(channel - 1)]) continue;
    const ChannelArrays arrays = ReadChannel(session, channel, 0, frames);
    rows.push_back(ComputeChannelNoise(Recording(arrays, times), marks.quiet, marks.walks, marks.settling));
  }
  return rows;
}

std::string NoiseCsv(const std::vector<ChannelNoise>& rows) {
  std::string csv =
      "channel,quiet_peak_to_peak,quiet_rms,walk_peak_to_peak,walk_rms,snr_peak_to_peak_db,snr_rms_db,settling_s,"
      "settling_after_gaps_s,drift_per_degree\n";
  for (const ChannelNoise& row : rows) {
    const SignalToNoise& snr = row.snr;
    auto pooled = [](const PooledNoise& p, double value) { return p.count > 0 ? FormatNumber(value) : std::string(); };
    csv += std::to_string(row.channel) + ',' + pooled(snr.quiet, snr.quiet.peakToPeak) + ',' +
           pooled(snr.quiet, snr.quiet.rms) + ',' + pooled(snr.walk, snr.walk.peakToPeak) + ',' +
           pooled(snr.walk, snr.walk.rms) + ',' + Optional(snr.peakToPeakDb) + ',' + Optional(snr.rmsDb) + ',';
    if (!row.settling.empty()) csv += SettlingText(row.settling.front());
    csv += ',';
    for (size_t k = 1; k < row.settling.size(); ++k) csv += (k > 1 ? " " : "") + SettlingText(row.settling[k]);
    csv += ',' + Optional(row.drift) + '\n';
  }
  return csv;
}

}  // namespace analysis
