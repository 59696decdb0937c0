// Presenting the pixel block through Qt. The block holds 16-bit 5-5-5 pixels,
// stored bottom-up; the screen takes 32-bit pixels top-down. Letting Qt
// convert and flip the whole block on every repaint costs more than all the
// rest of the program does at the board's rate, so the converted picture is
// kept between repaints and only the pixels that changed since the last one
// are converted again. Between two repaints a sweep changes a few columns.
#include <QImage>
#include <QPainter>

#include <array>
#include <cstring>
#include <vector>

#include "display/DibSurface.h"

namespace {

/// 32-bit screen pixel (0xFFRRGGBB) of a 5-5-5 pixel, each 5-bit channel
/// widened to 8 bits by repeating its top bits (0 -> 0, 31 -> 255).
constexpr uint32_t ScreenPixel(uint16_t p) {
  const uint32_t r = (p >> 10) & 31u;
  const uint32_t g = (p >> 5) & 31u;
  const uint32_t b = p & 31u;
  return 0xFF000000u | ((r << 3 | r >> 2) << 16) | ((g << 3 | g >> 2) << 8) | (b << 3 | b >> 2);
}

/// ScreenPixel as two table lookups, one per byte of the pixel. The widened
/// bits of one byte's fields never overlap those of the other's, so the two
/// partial results combine with an OR.
class ScreenPixels {
 public:
  ScreenPixels() {
    for (uint32_t v = 0; v < 256; ++v) {
      m_low[v] = ScreenPixel(static_cast<uint16_t>(v));
      m_high[v] = ScreenPixel(static_cast<uint16_t>(v << 8));
    }
  }
  uint32_t operator()(uint16_t p) const { return m_low[p & 0xFFu] | m_high[p >> 8]; }

 private:
  std::array<uint32_t, 256> m_low{};
  std::array<uint32_t, 256> m_high{};
};

/// The picture last shown and the 5-5-5 pixels it was converted from. The
/// converted picture is always exactly the conversion of `m_shown`, whichever
/// surface was painted last, so reusing it can never show stale pixels.
class ScreenCopy {
 public:
  const QImage& Update(const TDibSurface& surface) {
    const int32_t width = surface.Width();
    const int32_t rows = surface.AbsHeight();
    const bool resized = m_image.width() != width || m_image.height() != rows;
    if (resized) {
      m_image = QImage(width, rows, QImage::Format_RGB32);
      // Out of memory: show nothing this time rather than write through a null line.
      if (m_image.isNull()) return m_image;
      m_shown.assign(static_cast<size_t>(width) * static_cast<size_t>(rows), 0);
    }
    for (int32_t row = 0; row < rows; ++row) {
      const auto* pixels = reinterpret_cast<const uint16_t*>(surface.Bits() + static_cast<size_t>(row) * surface.Stride());
      // Stored row 0 is the bottom line when the height is positive.
      const int32_t line = surface.Height() > 0 ? rows - 1 - row : row;
      UpdateRow(pixels, static_cast<size_t>(row) * static_cast<size_t>(width), line, static_cast<size_t>(width), resized);
    }
    return m_image;
  }

 private:
  void UpdateRow(const uint16_t* pixels, size_t shownAt, int32_t line, size_t width, bool all) {
    uint16_t* shown = m_shown.data() + shownAt;
    size_t first = 0;
    size_t end = width;
    if (!all) {
      if (std::memcmp(pixels, shown, width * sizeof(uint16_t)) == 0) return;
      while (pixels[first] == shown[first]) ++first;
      while (pixels[end - 1] == shown[end - 1]) --end;
    }
    auto* screen = reinterpret_cast<uint32_t*>(m_image.scanLine(line));
    for (size_t x = first; x < end; ++x) screen[x] = m_toScreen(pixels[x]);
    std::memcpy(shown + first, pixels + first, (end - first) * sizeof(uint16_t));
  }

  ScreenPixels m_toScreen;
  QImage m_image;
  std::vector<uint16_t> m_shown;
};

}  // namespace

void TDibSurface::PaintTo(QPainter& DC, int32_t X, int32_t Y) const {
  if (IsEmpty() || BitsPerPixel() != 16) return;
  // One copy per painting thread: painting a widget happens on the GUI thread,
  // painting into an image may happen on any.
  thread_local ScreenCopy copy;
  DC.drawImage(X, Y, copy.Update(*this));
}
