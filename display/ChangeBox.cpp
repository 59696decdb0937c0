#include "display/ChangeBox.h"

namespace disp {

bool ChangeBox::IncludeClipped(int64_t col1, int64_t row1, int64_t col2, int64_t row2, int32_t width, int32_t rows) {
  const int64_t colLo = std::max<int64_t>(std::min(col1, col2), 0);
  const int64_t colHi = std::min<int64_t>(std::max(col1, col2), int64_t{width} - 1);
  const int64_t rowLo = std::max<int64_t>(std::min(row1, row2), 0);
  const int64_t rowHi = std::min<int64_t>(std::max(row1, row2), int64_t{rows} - 1);
  if (colLo > colHi || rowLo > rowHi) return false;
  const bool wasEmpty = Include(static_cast<int32_t>(colLo), static_cast<int32_t>(rowLo));
  Include(static_cast<int32_t>(colHi), static_cast<int32_t>(rowHi));
  return wasEmpty;
}

PixelRect ChangeBox::InPicture(int32_t rows, bool bottomUp) const {
  if (Empty()) return {};
  if (!bottomUp) return {m_colLo, m_rowLo, m_colHi + 1, m_rowHi + 1};
  return {m_colLo, rows - 1 - m_rowHi, m_colHi + 1, rows - m_rowLo};
}

}  // namespace disp
