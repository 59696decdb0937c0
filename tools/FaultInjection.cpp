#include "tools/FaultInjection.h"

#include <algorithm>

#include "acquisition/FrameFormat.h"

namespace sim {

namespace {

uint8_t ByteOtherThanSync(Random& random) {
  // 255 values remain; map the draw past the sync byte.
  const auto value = static_cast<int>(random.Next() % 255);
  return static_cast<uint8_t>(value >= acq::kSyncByte ? value + 1 : value);
}

}  // namespace

bool ParseFaultList(std::string_view list, FaultConfig& faults, std::string& error) {
  while (true) {
    const size_t comma = list.find(',');
    const std::string_view name = list.substr(0, comma);
    if (name == "garbage") {
      faults.garbage = true;
    } else if (name == "badlength") {
      faults.badLength = true;
    } else if (name == "split") {
      faults.split = true;
    } else if (name == "sync-in-data") {
      faults.syncInData = true;
    } else {
      error = std::string(name);
      return false;
    }
    if (comma == std::string_view::npos) {
      return true;
    }
    list.remove_prefix(comma + 1);
  }
}

std::string GarbageBytes(Random& random, size_t count) {
  std::string bytes(count, '\0');
  for (char& byte : bytes) {
    byte = static_cast<char>(ByteOtherThanSync(random));
  }
  return bytes;
}

uint8_t InvalidLength(uint8_t flags, Random& random) {
  while (true) {
    const auto length = static_cast<uint8_t>(random.Next());
    if (length != acq::kSyncByte && !acq::IsValidLength(flags, length)) {
      return length;
    }
  }
}

std::string InvalidHeader(Random& random) {
  const uint8_t flags = ByteOtherThanSync(random);
  std::string header;
  header.push_back(static_cast<char>(acq::kSyncByte));
  header.push_back(static_cast<char>(flags));
  header.push_back(static_cast<char>(InvalidLength(flags, random)));
  return header;
}

std::vector<size_t> SplitPoints(Random& random, size_t first, size_t last) {
  std::vector<size_t> points;
  if (last < first + 2) {
    return points;
  }
  const size_t inner = last - first - 1;
  const size_t wanted = std::min<size_t>(inner, static_cast<size_t>(random.UniformInt(1, 3)));
  while (points.size() < wanted) {
    const size_t point = first + 1 + static_cast<size_t>(random.Next() % inner);
    if (std::find(points.begin(), points.end(), point) == points.end()) {
      points.push_back(point);
    }
  }
  std::sort(points.begin(), points.end());
  return points;
}

void PutSyncInData(std::vector<uint16_t>& samples, Random& random) {
  if (samples.empty()) {
    return;
  }
  const auto k = static_cast<size_t>(random.Next() % samples.size());
  samples[k] = static_cast<uint16_t>((samples[k] & 0xFF00) | acq::kSyncByte);
}

}  // namespace sim
