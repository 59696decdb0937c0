#pragma once

#include <cstdint>

// Byte layout of the board's sample frames, shared by the receiver and the
// board simulator: the sync byte, a flag byte, the length of the whole frame
// in bytes, then one record per channel: a big-endian 16-bit sample, followed
// by a temperature byte when the flags announce temperatures.
namespace acq {

/// First byte of every frame.
constexpr uint8_t kSyncByte = 0xA5;
/// Bit of the flag byte announcing a temperature byte in every channel record;
/// the other bits carry no meaning.
constexpr uint8_t kFlagTemperatures = 0x01;
/// Sync, flag and length bytes before the channel records.
constexpr int kHeaderBytes = 3;
/// Fewest and most channel records a frame carries.
constexpr int kMinChannels = 1;
constexpr int kMaxChannels = 8;
/// Bytes of the sample at the start of each channel record.
constexpr int kSampleBytes = 2;

/// True when the flag byte announces temperatures.
constexpr bool HasTemperatures(uint8_t flags) { return (flags & kFlagTemperatures) != 0; }

/// Bytes per channel record: 3 with temperatures, else 2.
constexpr int BytesPerChannel(bool temperatures) { return temperatures ? kSampleBytes + 1 : kSampleBytes; }

/// Length of a frame of `channels` records, header included: 5..19 odd
/// without temperatures, 6..27 in steps of 3 with them.
constexpr int FrameLength(int channels, bool temperatures) {
  return kHeaderBytes + channels * BytesPerChannel(temperatures);
}

/// The longest frame: eight channels with temperatures.
constexpr int kMaxFrameBytes = FrameLength(kMaxChannels, true);

/// True when a frame of this length (header included) holds 1 to 8 whole
/// channel records of the size the flags give.
constexpr bool IsValidLength(uint8_t flags, uint8_t length) {
  const int perChannel = BytesPerChannel(HasTemperatures(flags));
  const int records = length - kHeaderBytes;
  return records >= kMinChannels * perChannel && records <= kMaxChannels * perChannel && records % perChannel == 0;
}

/// Offset of channel `channel`'s record (1-based) from the frame's sync byte.
constexpr int RecordOffset(int channel, bool temperatures) {
  return kHeaderBytes + (channel - 1) * BytesPerChannel(temperatures);
}

}  // namespace acq
