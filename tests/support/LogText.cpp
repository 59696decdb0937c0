#include "tests/support/LogText.h"

#include "logging/CsvLog.h"

namespace support {

std::string LogLineText(std::string_view time, const std::vector<uint16_t>& samples,
                        const std::vector<uint8_t>& temperatures) {
  std::string line;
  for (size_t k = 0; k < samples.size(); ++k) {
    if (k > 0) logbook::AppendSeparator(line);
    logbook::AppendPiece(line, time, static_cast<int>(k + 1), samples[k]);
    if (!temperatures.empty()) logbook::AppendTemperature(line, temperatures[k]);
  }
  logbook::AppendLineEnd(line);
  return line;
}

}  // namespace support
