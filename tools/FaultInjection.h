#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/Random.h"

// Damage to the frame stream for robustness tests. Every fault is one that a
// correct receiver recovers from without losing or altering a real frame:
// injected bytes never contain the sync byte 0xA5 except as the first byte of
// an invalid header, so the frames a receiver decodes are exactly the frames
// the generator reports.
namespace sim {

struct FaultConfig {
  bool garbage = false;       // stray bytes between frames
  bool badLength = false;     // a sync byte with an invalid length before a frame
  bool split = false;         // a frame written in several pieces
  bool syncInData = false;    // a sample whose low byte is 0xA5
  double probability = 0.05;  // chance per frame of each enabled fault

  bool Any() const { return garbage || badLength || split || syncInData; }
};

// Parses a comma-separated list of "garbage", "badlength", "split" and
// "sync-in-data" into the flags of faults. Returns false, with the offending
// name in error, for an unknown or empty name.
bool ParseFaultList(std::string_view list, FaultConfig& faults, std::string& error);

// count bytes of random garbage, none of them 0xA5.
std::string GarbageBytes(Random& random, size_t count);

// A length byte that a receiver rejects for these flags, never 0xA5.
uint8_t InvalidLength(uint8_t flags, Random& random);

// Three bytes: 0xA5, random flags (not 0xA5) and an invalid length.
std::string InvalidHeader(Random& random);

// 1 to 3 distinct ascending offsets in [first + 1, last - 1] where a write is
// cut, so the piece between first and last arrives in several writes.
// Empty if the range holds fewer than two bytes.
std::vector<size_t> SplitPoints(Random& random, size_t first, size_t last);

// Sets the low byte of one random sample to 0xA5 (a change of at most 255 counts).
void PutSyncInData(std::vector<uint16_t>& samples, Random& random);

}  // namespace sim
