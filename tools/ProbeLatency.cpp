#include "tools/ProbeLatency.h"

#include <algorithm>
#include <cmath>

namespace watch {

std::vector<double> MatchProbes(const std::vector<int64_t>& sentNs, const std::vector<Sighting>& sightings) {
  std::vector<double> latencies;
  int64_t lastMatched = -1;
  for (const Sighting& s : sightings) {
    const auto sentBefore = std::upper_bound(sentNs.begin(), sentNs.end(), s.timeNs) - sentNs.begin();
    const int64_t newest = static_cast<int64_t>(sentBefore) - 1;
    for (int64_t i = std::max(newest - s.marks + 1, lastMatched + 1); i <= newest; ++i) {
      latencies.push_back(static_cast<double>(s.timeNs - sentNs[static_cast<size_t>(i)]) / 1e6);
    }
    lastMatched = std::max(lastMatched, newest);
  }
  return latencies;
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const auto rank = static_cast<size_t>(std::ceil(p / 100.0 * static_cast<double>(values.size())));
  return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
}

}  // namespace watch
