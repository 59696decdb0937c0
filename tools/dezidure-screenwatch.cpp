// Watches the scope on an X display from outside the program, as a user's eye
// would: how often the picture changes, and, with the simulator's probe log,
// how long a probe frame takes from the port to the screen. Prints one line
// of name=value figures.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tools/ProbeLatency.h"
#include "tools/ScopeOnScreen.h"
#include "tools/XScreenGrab.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* kProgram = "dezidure-screenwatch";
constexpr auto kFindTimeout = 20s;
constexpr auto kExposeTime = 200ms;

struct Options {
  double seconds = 10;
  std::chrono::milliseconds every{4};
  std::string probeLog;
  bool expose = false;
};

int Usage() {
  std::fprintf(stderr,
               "Usage: %s [--seconds S] [--every MS] [--probe-log FILE] [--expose]\n"
               "Finds the scope on $DISPLAY, then grabs it every MS milliseconds (default 4)\n"
               "for S seconds (default 10) and prints: grabs, updates (grabs that differ from\n"
               "the one before), updates_per_s, gap_max_ms (longest time between two updates),\n"
               "trace_pixels (in the last grab) and, with the simulator's probe log, probes\n"
               "and latency_p50_ms, latency_p95_ms, latency_max_ms from each probe's last byte\n"
               "at the port to its mark on the screen. --expose first covers the scope with a\n"
               "window for a moment and uncovers it.\n",
               kProgram);
  return 2;
}

bool Parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--expose") {
      o.expose = true;
    } else if (arg == "--seconds" && hasValue) {
      o.seconds = std::strtod(argv[++i], nullptr);
    } else if (arg == "--every" && hasValue) {
      o.every = std::chrono::milliseconds(std::strtol(argv[++i], nullptr, 10));
    } else if (arg == "--probe-log" && hasValue) {
      o.probeLog = argv[++i];
    } else {
      return false;
    }
  }
  return o.seconds > 0 && o.every.count() > 0;
}

int64_t Nanoseconds(Clock::time_point t) {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

std::vector<int64_t> ReadProbeLog(const std::string& path) {
  std::vector<int64_t> sent;
  std::ifstream log(path);
  for (int64_t t = 0; log >> t;) sent.push_back(t);
  return sent;
}

/// Grabs and compares; keeps the previous picture of the region.
class Watch {
 public:
  explicit Watch(watch::XScreenGrab& grab) : m_grab(grab) {}

  bool Step() {
    const watch::Picture now = m_grab.GrabRegion();
    const auto time = Clock::now();
    if (now.pixels == nullptr) return false;
    const size_t width = static_cast<size_t>(now.width);
    m_current.resize(width * static_cast<size_t>(now.height));
    for (int y = 0; y < now.height; ++y) {
      std::memcpy(&m_current[static_cast<size_t>(y) * width], now.pixels + static_cast<size_t>(y) * now.stride,
                  width * sizeof(uint32_t));
    }
    const watch::Picture packed{m_current.data(), now.width, now.height, width};
    std::vector<bool> probes = watch::ProbeColumns(packed);
    if (grabs > 0 && m_current != m_previous) {
      if (updates > 0) gapMax = std::max(gapMax, time - m_lastUpdate);
      ++updates;
      m_lastUpdate = time;
      int fresh = 0;
      for (size_t x = 0; x < probes.size(); ++x) fresh += probes[x] && !m_probes[x];
      if (fresh > 0) sightings.push_back({Nanoseconds(time), fresh});
    }
    ++grabs;
    tracePixels = watch::TracePixels(packed);
    m_previous.swap(m_current);
    m_probes.swap(probes);
    return true;
  }

  int64_t grabs = 0;
  int64_t updates = 0;
  int64_t tracePixels = 0;
  Clock::duration gapMax{};
  std::vector<watch::Sighting> sightings;

 private:
  watch::XScreenGrab& m_grab;
  std::vector<uint32_t> m_current;
  std::vector<uint32_t> m_previous;
  std::vector<bool> m_probes;
  Clock::time_point m_lastUpdate;
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!Parse(argc, argv, options)) return Usage();
  std::string error;
  auto grab = watch::XScreenGrab::Open(error);
  if (!grab) {
    std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
    return 1;
  }
  std::optional<watch::ScreenRect> scope;
  for (const auto deadline = Clock::now() + kFindTimeout; !scope && Clock::now() < deadline;) {
    scope = watch::FindScope(grab->GrabScreen());
    if (!scope) std::this_thread::sleep_for(100ms);
  }
  if (!scope) {
    std::fprintf(stderr, "%s: no scope on the screen\n", kProgram);
    return 1;
  }
  if (!grab->SelectRegion(*scope, error)) {
    std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
    return 1;
  }
  if (options.expose) grab->CoverAndUncover(*scope, kExposeTime);

  Watch watch(*grab);
  const auto start = Clock::now();
  const auto end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.seconds));
  for (auto next = start; Clock::now() < end; next = std::max(next + options.every, Clock::now())) {
    std::this_thread::sleep_until(next);
    if (!watch.Step()) {
      std::fprintf(stderr, "%s: the grab failed\n", kProgram);
      return 1;
    }
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf(
      "scope=%dx%d+%d+%d seconds=%.2f grabs=%lld updates=%lld updates_per_s=%.1f gap_max_ms=%.1f "
      "trace_pixels=%lld",
      scope->width, scope->height, scope->left, scope->top, seconds, static_cast<long long>(watch.grabs),
      static_cast<long long>(watch.updates), static_cast<double>(watch.updates) / seconds,
      std::chrono::duration<double, std::milli>(watch.gapMax).count(), static_cast<long long>(watch.tracePixels));
  if (!options.probeLog.empty()) {
    const std::vector<double> latencies = watch::MatchProbes(ReadProbeLog(options.probeLog), watch.sightings);
    std::printf(" probes=%zu latency_p50_ms=%.1f latency_p95_ms=%.1f latency_max_ms=%.1f", latencies.size(),
                watch::Percentile(latencies, 50), watch::Percentile(latencies, 95), watch::Percentile(latencies, 100));
  }
  std::printf("\n");
  return 0;
}
