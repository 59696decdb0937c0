// Presenting the pixel block through Qt. The block holds 16-bit 5-5-5 pixels,
// stored bottom-up; the screen takes 32-bit pixels top-down. Letting Qt
// convert and flip the whole block on every repaint costs more than all the
// rest of the program does at the board's rate, so the converted picture is
// kept between repaints and only the area the surface reports changed since
// the last one is converted again. Between two repaints a sweep changes a few
// columns.
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <array>

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

/// The picture last shown, converted for the screen. It is exactly the
/// conversion of the surface whose changes it took last (the stamp says which
/// hand-over that was); any other surface, or a hand-over it missed, makes it
/// convert everything.
class ScreenCopy {
 public:
  const QImage& Update(TDibSurface& surface) {
    const int32_t width = surface.Width();
    const int32_t rows = surface.AbsHeight();
    const disp::SurfaceChanges changes = surface.TakeChanges();
    const bool current = changes.previous != 0 && changes.previous == m_stamp;
    m_stamp = changes.stamp;
    disp::PixelRect area = changes.area;
    if (m_image.width() != width || m_image.height() != rows) {
      m_image = QImage(width, rows, QImage::Format_RGB32);
      // Out of memory: show nothing this time, and convert all next time.
      if (m_image.isNull()) {
        m_stamp = 0;
        return m_image;
      }
      area = {0, 0, width, rows};
    } else if (!current) {
      area = {0, 0, width, rows};
    }
    Convert(surface, area);
    return m_image;
  }

 private:
  void Convert(const TDibSurface& surface, const disp::PixelRect& area) {
    const int32_t rows = surface.AbsHeight();
    const int32_t left = std::max(area.left, 0);
    const int32_t right = std::min(area.right, surface.Width());
    for (int32_t line = std::max(area.top, 0); line < std::min(area.bottom, rows); ++line) {
      // Stored row 0 is the bottom line when the height is positive.
      const int32_t row = surface.Height() > 0 ? rows - 1 - line : line;
      const auto* pixels =
          reinterpret_cast<const uint16_t*>(surface.Bits() + static_cast<size_t>(row) * surface.Stride());
      auto* screen = reinterpret_cast<uint32_t*>(m_image.scanLine(line));
      for (int32_t x = left; x < right; ++x) screen[x] = m_toScreen(pixels[x]);
    }
  }

  ScreenPixels m_toScreen;
  QImage m_image;
  uint64_t m_stamp = 0;
};

}  // namespace

void TDibSurface::PaintTo(QPainter& DC, int32_t X, int32_t Y) {
  if (IsEmpty() || BitsPerPixel() != 16) return;
  // One copy per painting thread: painting a widget happens on the GUI thread,
  // painting into an image may happen on any.
  thread_local ScreenCopy copy;
  DC.drawImage(X, Y, copy.Update(*this));
}
