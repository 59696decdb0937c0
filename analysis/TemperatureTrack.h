#pragma once

#include <cstdint>
#include <deque>
#include <vector>

namespace analysis {

/// One channel's temperature of every frame, exactly and compactly: as runs
/// of equal values while the temperature changes rarely, as it does on a
/// board, and a byte a frame once runs would take more than that (a reading
/// that dithers between two degrees).
class TemperatureTrack {
 public:
  void Append(int8_t degrees);
  /// The temperature of a frame (< Frames()).
  int8_t At(uint64_t frame) const;
  /// Appends the temperatures of frames [first, end) (end <= Frames()) to `out`.
  void CopyTo(uint64_t first, uint64_t end, std::vector<double>& out) const;
  uint64_t Frames() const { return m_frames; }
  uint64_t Bytes() const;

 private:
  struct Run {
    uint64_t first;  ///< the run's first frame
    int8_t degrees;
  };
  /// The run holding a frame.
  std::vector<Run>::const_iterator RunOf(uint64_t frame) const;

  uint64_t m_frames = 0;
  std::vector<Run> m_runs;
  bool m_dense = false;
  std::deque<int8_t> m_values;  ///< a value per frame once dense
};

}  // namespace analysis
