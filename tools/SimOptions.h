#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/FaultInjection.h"
#include "tools/SignalModel.h"

namespace sim {

// Command line of the board simulator.
struct SimOptions {
  BoardConfig board;
  KnownTruth truth;                             // scripted walks, tones, temperature ramp
  FaultConfig faults;
  std::string device;                           // write here; empty: open a pseudo-terminal
  double rate = 1.0;                            // frame pace multiplier, 1: one frame every 3 ms
  size_t chunk = 0;                             // write pieces of this many bytes; 0: whole frames
  std::chrono::milliseconds interval{0};        // write every interval; 0: as frames fall due
  bool flood = false;                           // as fast as the reader takes it
  std::optional<double> durationSeconds;        // stop after this long
  std::optional<uint64_t> frames;               // stop after this many frames
  std::string record;                           // also write every byte sent to this file
  std::string probeLog;                         // send probe frames, noting when each reached the port here
  bool exitOnHangup = false;                    // end when the reader closes the pseudo-terminal
  std::chrono::milliseconds hangupGrace{1500};  // for this long; reopening within it is fine
  bool waitForReader = false;                   // start the clock once a reader has kept it open a while
  std::string replay;                           // send the frames of this log file instead of generated ones
  bool help = false;
};

// Parses the arguments (without the program name). GNU-style long options,
// "--name value" or "--name=value". Returns nothing, with a message in error,
// for an unknown option, a missing or malformed value, or a value out of range.
std::optional<SimOptions> ParseOptions(const std::vector<std::string>& args, std::string& error);

// The --help text.
std::string HelpText(const std::string& program);

}  // namespace sim
