#include "tests/support/BoardFrames.h"

#include "tools/FrameGenerator.h"

namespace support {

std::string BoardFrames(int count, int channels, bool temperatures, uint64_t seed) {
  sim::FrameGenerator generator({channels, temperatures, seed});
  std::string bytes;
  for (int i = 0; i < count; ++i) bytes += generator.Next().bytes;
  return bytes;
}

}  // namespace support
