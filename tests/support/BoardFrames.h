#pragma once

#include <cstdint>
#include <string>

namespace support {

/// `count` consecutive frames of the simulated board as it sends them, with
/// `channels` channels and, unless told otherwise, temperatures; the same
/// bytes for the same seed.
std::string BoardFrames(int count, int channels = 8, bool temperatures = true, uint64_t seed = 1);

}  // namespace support
