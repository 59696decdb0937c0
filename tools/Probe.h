#pragma once

#include <chrono>
#include <cstdint>

// Probe frames let an observer outside the program time the road from the
// port to the screen: the simulator notes when each probe's last byte reached
// the port, the screen watcher notes when its mark appears.
namespace sim {

// Channel 1 sample of a probe frame: 7500 counts above the board's baseline,
// which the window's default DC scale (50 counts a row) and offset draw 150
// rows above the scope's centre line, well clear of the signal's swings.
constexpr uint16_t kProbeSample = 15696;
constexpr int kProbeRowsAboveCentre = 150;

// One probe this often: far apart enough that each mark is matched to its own
// probe even when the screen lags by a good part of it.
constexpr std::chrono::milliseconds kProbeSpacing{250};

}  // namespace sim
