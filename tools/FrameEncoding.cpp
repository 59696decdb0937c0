#include "tools/FrameEncoding.h"

#include <stdexcept>

#include "acquisition/FrameFormat.h"

namespace sim {

std::string EncodeFrame(const std::vector<uint16_t>& samples, const std::vector<uint8_t>* temperatures) {
  std::string out;
  AppendFrame(out, samples, temperatures);
  return out;
}

void AppendFrame(std::string& out, const std::vector<uint16_t>& samples, const std::vector<uint8_t>* temperatures) {
  const auto channels = static_cast<int>(samples.size());
  if (channels < acq::kMinChannels || channels > acq::kMaxChannels) {
    throw std::invalid_argument("a frame holds 1 to 8 channels");
  }
  if (temperatures != nullptr && temperatures->size() != samples.size()) {
    throw std::invalid_argument("one temperature per channel is needed");
  }
  const bool withTemperatures = temperatures != nullptr;
  out.push_back(static_cast<char>(acq::kSyncByte));
  out.push_back(static_cast<char>(withTemperatures ? acq::kFlagTemperatures : 0));
  out.push_back(static_cast<char>(acq::FrameLength(channels, withTemperatures)));
  for (size_t k = 0; k < samples.size(); ++k) {
    out.push_back(static_cast<char>(samples[k] >> 8));
    out.push_back(static_cast<char>(samples[k] & 0xFF));
    if (withTemperatures) {
      out.push_back(static_cast<char>((*temperatures)[k]));
    }
  }
}

}  // namespace sim
