#include "tests/support/LogText.h"

#include <cmath>
#include <cstdio>
#include <random>

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

void WriteSyntheticLog(std::ostream& out, const SyntheticLog& shape) {
  std::mt19937 random(7);
  std::vector<uint16_t> samples(static_cast<size_t>(shape.channels));
  std::vector<uint8_t> temperatures(shape.temperatures ? samples.size() : 0, 24);
  for (int32_t s = 0; s < shape.seconds; ++s) {
    const int32_t second = (shape.firstSecondOfDay + s) % 86400;
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", second / 3600, second / 60 % 60, second % 60);
    for (int32_t f = 0; f < shape.framesPerSecond; ++f) {
      const double t = s + static_cast<double>(f) / shape.framesPerSecond;
      for (size_t k = 0; k < samples.size(); ++k) {
        const double wave = 30000 + 2000 * std::sin(t * (0.5 + 0.3 * static_cast<double>(k)));
        const bool spike = random() % 5000 == 0;
        samples[k] = static_cast<uint16_t>(wave + static_cast<double>(random() % 200) + (spike ? 12000 : 0));
      }
      for (uint8_t& temperature : temperatures) temperature = static_cast<uint8_t>(24 + s / 600 % 3);
      out << LogLineText(time, samples, temperatures);
    }
  }
}

}  // namespace support
