#pragma once

#include <array>
#include <string>
#include <vector>

#include "analysis/ChannelNoise.h"
#include "analysis/LogSession.h"

namespace analysis {

/// What the user marked on a log for the noise figures.
struct NoiseMarks {
  std::vector<TimeSpan> quiet;  ///< nobody in the field
  std::vector<TimeSpan> walks;  ///< someone walking
  SettlingRule settling;
};

/// The noise figures of each channel of a loaded log marked in `channels`
/// (channel 1 first), over the whole log, as the report computes them.
std::vector<ChannelNoise> SessionNoise(const LogSession& session, const std::array<bool, 8>& channels,
                                       const NoiseMarks& marks);

/// The figures as comma-separated text, a header and a line per channel:
/// channel,quiet_peak_to_peak,quiet_rms,walk_peak_to_peak,walk_rms,
/// snr_peak_to_peak_db,snr_rms_db,settling_s,settling_after_gaps_s,drift_per_degree.
/// A figure that is missing is left empty; settling_after_gaps_s lists the
/// later segments' times separated by spaces ("never" for one that does not settle).
std::string NoiseCsv(const std::vector<ChannelNoise>& rows);

}  // namespace analysis
