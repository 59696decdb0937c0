#pragma once

#include <cstdint>
#include <vector>

// Matching the probes a simulator sent to the marks a screen watcher saw.
namespace watch {

/// A moment when new probe marks appeared on the screen.
struct Sighting {
  int64_t timeNs = 0;  ///< monotonic time of the grab that first showed them
  int marks = 0;       ///< how many new marks it showed
};

/// Milliseconds from each probe's sending to its mark's first sighting.
/// `sentNs` holds the probes' send times in ascending order, `sightings` come
/// in ascending time. A sighting of k marks belongs to the k latest probes
/// sent before it; a probe is matched at most once, and never before a probe
/// already matched, so probes whose marks never showed (sent while capture
/// was stopped, or off the scope) are simply skipped. This holds as long as
/// the screen lags less than the spacing between probes.
std::vector<double> MatchProbes(const std::vector<int64_t>& sentNs, const std::vector<Sighting>& sightings);

/// The nearest-rank percentile (0 < p <= 100) of `values`; 0 when empty.
double Percentile(std::vector<double> values, double p);

}  // namespace watch
