#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A receiver written straight from the frame rules, independent of the code
// under test: drop bytes until 0xA5, check the length byte against the flags,
// drop only the 0xA5 when it is invalid, and take complete frames.
namespace simtest {

struct DecodedFrame {
  std::vector<uint16_t> samples;
  std::vector<uint8_t> temperatures;

  bool operator==(const DecodedFrame& other) const {
    return samples == other.samples && temperatures == other.temperatures;
  }
};

class ReferenceParser {
 public:
  // Appends bytes and returns the frames they complete.
  std::vector<DecodedFrame> Feed(const std::string& bytes) {
    m_buffer += bytes;
    std::vector<DecodedFrame> frames;
    size_t i = 0;
    while (m_buffer.size() - i >= 2) {
      const auto at = [&](size_t k) { return static_cast<uint8_t>(m_buffer[i + k]); };
      if (at(0) != 0xA5) {
        ++i;
        ++m_dropped;
        continue;
      }
      if (m_buffer.size() - i < 3) {
        break;
      }
      const bool temps = (at(1) & 1) != 0;
      const int per = temps ? 3 : 2;
      const int length = at(2);
      const bool valid = length >= per + 3 && length <= 8 * per + 3 && (length - 3) % per == 0;
      if (!valid) {
        ++i;
        ++m_dropped;
        continue;
      }
      if (m_buffer.size() - i < static_cast<size_t>(length)) {
        break;
      }
      DecodedFrame frame;
      for (int offset = 3; offset < length; offset += per) {
        frame.samples.push_back(static_cast<uint16_t>(at(offset) * 256 + at(offset + 1)));
        if (temps) {
          frame.temperatures.push_back(at(offset + 2));
        }
      }
      frames.push_back(frame);
      i += static_cast<size_t>(length);
    }
    m_buffer.erase(0, i);
    return frames;
  }

  // Bytes dropped while looking for a frame.
  size_t Dropped() const { return m_dropped; }

  // Bytes kept for a frame still incomplete.
  size_t Pending() const { return m_buffer.size(); }

 private:
  std::string m_buffer;
  size_t m_dropped = 0;
};

}  // namespace simtest
