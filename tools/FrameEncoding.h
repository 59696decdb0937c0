#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Frames as the board sends them, in the layout of acquisition/FrameFormat.h.
namespace sim {

/// Encodes one frame. temperatures is null for a frame without temperature
/// bytes, else it must hold one byte per sample.
/// Throws std::invalid_argument for 0 or more than 8 samples, or a
/// temperature count that differs from the sample count.
std::string EncodeFrame(const std::vector<uint16_t>& samples, const std::vector<uint8_t>* temperatures);

/// As EncodeFrame, appending to out.
void AppendFrame(std::string& out, const std::vector<uint16_t>& samples, const std::vector<uint8_t>* temperatures);

}  // namespace sim
