#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Byte layout of the board's sample frames: sync 0xA5, a flag byte (bit 0:
// every channel record carries a temperature byte), the length of the whole
// frame in bytes, then per channel a big-endian 16-bit sample and the optional
// temperature byte.
namespace sim {

constexpr uint8_t kSyncByte = 0xA5;
constexpr uint8_t kFlagTemperatures = 0x01;
constexpr int kHeaderSize = 3;
constexpr int kMinChannels = 1;
constexpr int kMaxChannels = 8;

// Bytes of one channel record: 3 with temperatures, else 2.
int BytesPerChannel(bool temperatures);

// Length of a frame of 1..8 channels: 5..19 odd without temperatures,
// 6..27 in steps of 3 with them.
int FrameLength(int channels, bool temperatures);

// Whether a receiver accepts this length byte for these flags.
bool IsValidFrameLength(uint8_t flags, uint8_t length);

// Encodes one frame. temperatures is null for a frame without temperature
// bytes, else it must hold one byte per sample.
// Throws std::invalid_argument for 0 or more than 8 samples, or a
// temperature count that differs from the sample count.
std::string EncodeFrame(const std::vector<uint16_t>& samples, const std::vector<uint8_t>* temperatures);

// As EncodeFrame, appending to out.
void AppendFrame(std::string& out, const std::vector<uint16_t>& samples, const std::vector<uint8_t>* temperatures);

}  // namespace sim
