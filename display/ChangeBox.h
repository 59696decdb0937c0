#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace disp {

/// A rectangle of picture pixels: columns left .. right - 1 and lines
/// top .. bottom - 1, lines counted from the top. Empty when it holds no pixel.
struct PixelRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  bool Empty() const { return left >= right || top >= bottom; }
  bool operator==(const PixelRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

/// The smallest box holding every pixel a surface changed since it was last
/// cleared, in surface columns and stored rows. Growing it is a few
/// comparisons, cheap enough for every pixel written.
class ChangeBox {
 public:
  bool Empty() const { return m_colLo > m_colHi; }

  /// Takes in the pixel at (col, row). Returns true when the box was empty
  /// before: the first change after a clear.
  bool Include(int32_t col, int32_t row) {
    const bool wasEmpty = Empty();
    m_colLo = std::min(m_colLo, col);
    m_colHi = std::max(m_colHi, col);
    m_rowLo = std::min(m_rowLo, row);
    m_rowHi = std::max(m_rowHi, row);
    return wasEmpty;
  }

  /// Takes in the pixels of columns col1 .. col2 and rows row1 .. row2 (in
  /// either order) that lie on a surface of `width` columns and `rows` rows.
  /// Returns true when the box was empty before and now is not.
  bool IncludeClipped(int64_t col1, int64_t row1, int64_t col2, int64_t row2, int32_t width, int32_t rows);

  void Clear() { *this = ChangeBox{}; }

  /// The box in picture coordinates. With `bottomUp` stored row 0 is the
  /// bottom line, picture line rows - 1.
  PixelRect InPicture(int32_t rows, bool bottomUp) const;

 private:
  int32_t m_colLo = std::numeric_limits<int32_t>::max();
  int32_t m_colHi = std::numeric_limits<int32_t>::min();
  int32_t m_rowLo = std::numeric_limits<int32_t>::max();
  int32_t m_rowHi = std::numeric_limits<int32_t>::min();
};

}  // namespace disp
