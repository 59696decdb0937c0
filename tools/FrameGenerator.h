#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/FaultInjection.h"
#include "tools/Random.h"
#include "tools/SignalModel.h"

namespace sim {

// The values carried by one frame.
struct FrameValues {
  std::vector<uint16_t> samples;      // channel 1 first
  std::vector<uint8_t> temperatures;  // empty when the frame carries none
};

// The bytes to send for one frame and what a receiver decodes from them.
struct Emission {
  std::string bytes;           // injected bytes, if any, then the frame
  size_t frameOffset = 0;      // where the frame starts in bytes
  std::vector<size_t> splits;  // offsets in bytes where a write should end
  FrameValues frame;           // the frame's values, as a receiver decodes them
};

// Hands out the frames to send, one per call: null when there are no more.
// The emission stays valid until the next call.
using FrameSource = std::function<const Emission*()>;

// Produces the board's frames one after the other, with faults injected as
// configured. Deterministic for a seed; the faults draw from their own random
// stream, so enabling them changes no signal value except the samples that
// get a 0xA5 low byte.
class FrameGenerator {
 public:
  // Throws std::invalid_argument if the channel count is outside 1..8.
  // truth adds scripted walks, tones and a temperature ramp to the signals.
  explicit FrameGenerator(const BoardConfig& board, const FaultConfig& faults = {}, const KnownTruth& truth = {});

  // The next frame. The reference stays valid until the next call.
  const Emission& Next();

  // Makes the next frame a probe: its channel 1 sample becomes kProbeSample.
  void ProbeNext() { m_probeNext = true; }

  // Frames produced so far.
  uint64_t Count() const { return m_count; }

 private:
  void InjectBefore();

  BoardConfig m_board;
  FaultConfig m_faults;
  SignalModel m_model;
  Random m_faultRandom;
  Emission m_emission;
  std::vector<uint8_t> m_temperatures;
  uint64_t m_count = 0;
  bool m_probeNext = false;
};

}  // namespace sim
