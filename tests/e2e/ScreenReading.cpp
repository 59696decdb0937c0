#include "ScreenReading.h"

#include <algorithm>
#include <cstdlib>
#include <map>

std::vector<int> RowsOfColour(const QImage& image, QRgb colour) {
  std::vector<int> rows;
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if ((line[x] & 0xFFFFFF) == (colour & 0xFFFFFF)) rows.push_back(y);
    }
  }
  return rows;
}

int CentreLineRow(const QImage& image) {
  const QRgb silver = qRgb(198, 198, 198);  // 192 in 5 bits, widened back to 8
  int top = -1;
  int bottom = -1;
  for (int y = 0; y < image.height(); ++y) {
    int count = 0;
    for (int x = 0; x < image.width(); ++x) count += (image.pixel(x, y) & 0xFFFFFF) == (silver & 0xFFFFFF);
    if (count < 150) continue;
    if (top < 0) top = y;
    bottom = y;
  }
  return top >= 0 && bottom > top ? (top + bottom) / 2 : -1;
}

int MostCommon(const std::vector<int>& values) {
  std::map<int, int> counts;
  for (int v : values) ++counts[v];
  return std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
}

ChannelOne::ChannelOne(const QImage& screen)
    : centre(CentreLineRow(screen)),
      // DC in full blue, AC in blue at half intensity, as 5-bit colour
      // components widen to 8 bits on screen.
      dc(RowsOfColour(screen, qRgb(0, 0, 255))),
      ac(RowsOfColour(screen, qRgb(0, 0, 123))) {}

long ChannelOne::AcNearCentre() const {
  return std::count_if(ac.begin(), ac.end(), [this](int row) { return std::abs(row - centre) <= 6; });
}

bool ChannelOne::Settled() const {
  return centre >= 0 && dc.size() > 100 && std::abs(MostCommon(dc) - centre) <= 60 && ac.size() > 300 &&
         2 * AcNearCentre() > static_cast<long>(ac.size());
}
