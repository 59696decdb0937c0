#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace support {

/// One log line as the window writes it, CR LF included: every piece
/// stamped `time`, temperatures when `temperatures` is not empty (one per sample).
std::string LogLineText(std::string_view time, const std::vector<uint16_t>& samples,
                        const std::vector<uint8_t>& temperatures = {});

}  // namespace support
