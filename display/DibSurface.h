#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "display/ChangeBox.h"

class QPainter;

/// A colour of three bytes in the memory order blue, green, red.
struct TBgrColor {
  uint8_t B, G, R;
};

/// The 32-bit colour word that drawing operations take: B | G << 8 | R << 16.
constexpr uint32_t ColorWord(TBgrColor c) { return uint32_t{c.B} | uint32_t{c.G} << 8 | uint32_t{c.R} << 16; }

/// Builds a TBgrColor from red, green and blue bytes (in that argument order).
constexpr TBgrColor RgbColor(uint8_t r, uint8_t g, uint8_t b) { return TBgrColor{b, g, r}; }

namespace disp {
using ::ColorWord;
using ::RgbColor;

/// The bitmap description the surface keeps: the fields of a device-independent
/// bitmap header plus a colour table whose first three entries record the red,
/// green and blue masks of the 16-bit 5-5-5 layout.
struct BitmapInfo {
  uint32_t biSize = 40;
  int32_t biWidth = 0;
  int32_t biHeight = 0;
  uint16_t biPlanes = 1;
  uint16_t biBitCount = 0;
  uint32_t biCompression = 0;  // uncompressed RGB
  uint32_t biSizeImage = 0;
  int32_t biXPelsPerMeter = 0;
  int32_t biYPelsPerMeter = 0;
  uint32_t biClrUsed = 0;
  uint32_t biClrImportant = 0;
  std::array<uint32_t, 256> Colors{};
};
/// What changed on a surface between two hand-overs to a presenter that keeps
/// its own copy of the picture (see TDibSurface::TakeChanges).
struct SurfaceChanges {
  PixelRect area;         ///< picture pixels changed since the previous hand-over
  uint64_t previous = 0;  ///< that hand-over's stamp; 0 when there was none
  uint64_t stamp = 0;     ///< this hand-over's stamp, unique among all surfaces
};
}  // namespace disp

/// Off-screen 16-bit (5-5-5) pixel surface of the scope.
///
/// Pixels live in one heap block owned by the surface: AbsHeight rows of
/// Stride bytes (Stride a multiple of 4), stored bottom-up when Height > 0, so
/// stored row 0 is the bottom line of the picture. RowTable holds one pointer
/// per stored row. A new surface is empty (0 x 0, no pixel memory).
///
/// The surface keeps the box of pixels changed since the last TakeChanges, so
/// that a repaint converts and sends only those.
///
/// Not thread-safe: one thread creates, draws on and paints a surface.
class TDibSurface {
 public:
  /// Red, green and blue bits of the 5-5-5 pixel word and the shifts that
  /// pack a colour byte into it.
  static constexpr uint8_t BlueBits = 5;
  static constexpr uint8_t GreenBits = 5;
  static constexpr uint8_t RedBits = 5;
  static constexpr uint8_t BlueShr = 8 - BlueBits;
  static constexpr uint8_t GreenShr = 8 - GreenBits;
  static constexpr uint8_t RedShr = 8 - RedBits;
  static constexpr uint8_t GreenShl = BlueBits;
  static constexpr uint8_t RedShl = BlueBits + GreenBits;

  TDibSurface() = default;
  TDibSurface(const TDibSurface&) = delete;
  TDibSurface& operator=(const TDibSurface&) = delete;
  virtual ~TDibSurface() = default;

  /// Gives the surface Width x |Height| pixels at BitsPerPixel (only 16 is
  /// supported). Calling it again with the current arguments does nothing and
  /// keeps the pixels; otherwise the old pixels are released and the new
  /// contents are zero. Height > 0 stores rows bottom-up, Height < 0 top-down.
  /// @throws std::invalid_argument for a negative Width, Height == INT32_MIN
  ///         or a depth other than 16;
  ///         std::length_error when the pixel block's size does not fit in
  ///         32 bits; std::bad_alloc when memory runs out.
  ///         On every failure the surface is left empty (0 x 0) first.
  void Allocate(int32_t Width, int32_t Height, uint8_t BitsPerPixel);

  /// Sets every pixel, row gaps included, to Color (B | G << 8 | R << 16).
  /// Writes nothing on an empty surface.
  void Fill(uint32_t Color);

  /// Sets column Col of stored row Row (row 0 = bottom line when Height > 0).
  /// No bounds check: callers keep 0 <= Col < Width and 0 <= Row < AbsHeight.
  void PutPixel(int32_t Row, int32_t Col, uint32_t Color) {
    m_RowTable[Row][Col] = PackColor(Color);
    m_Clean = false;
    if (m_Changed.Include(Col, Row)) NotifyChange();
  }

  /// Records that the pixels now show a picture the owner can recreate
  /// (for the scope: background and grid); any later drawing, fill or
  /// reallocation clears the mark.
  void MarkClean() { m_Clean = true; }
  bool IsClean() const { return m_Clean; }

  /// Bresenham line from (X1, Y1) to (X2, Y2), both ends included; Y counts
  /// picture lines from the top. The pixels chosen depend on the direction.
  /// Pixels that fall outside the surface are skipped, never written.
  void DrawLine(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, uint32_t Color);

  /// Copies the whole surface 1:1 to DC with its top-left corner at (X, Y).
  /// Takes the changes (TakeChanges): the painting code keeps the picture
  /// converted for the screen and converts again only what changed.
  /// Defined with the window code, which owns the painting toolkit.
  void PaintTo(QPainter& DC, int32_t X, int32_t Y);

  /// Called when the picture changes while no change is pending: after the
  /// first drawing operation since the last TakeChanges, not for every pixel.
  std::function<void()> OnChange;

  /// The picture pixels changed since the last TakeChanges (or since
  /// creation); empty when none did.
  disp::PixelRect Changed() const { return m_Changed.InPicture(m_AbsHeight, m_Info.biHeight > 0); }

  /// Hands the changes to a presenter and starts a new account. A presenter
  /// whose copy was made at `previous` needs to convert only `area`; any
  /// other copy (of another surface, or one that missed a hand-over) is stale.
  disp::SurfaceChanges TakeChanges();

  int32_t Width() const { return m_Info.biWidth; }
  int32_t Height() const { return m_Info.biHeight; }
  int32_t AbsHeight() const { return m_AbsHeight; }
  int32_t Stride() const { return m_Stride; }
  /// Bytes at the end of each stored row that hold no pixel (0 or 2).
  int32_t RowGap() const { return m_RowGap; }
  uint32_t ImageSize() const { return m_Info.biSizeImage; }
  uint8_t BitsPerPixel() const { return static_cast<uint8_t>(m_Info.biBitCount); }
  bool IsEmpty() const { return m_Info.biSizeImage == 0; }
  const disp::BitmapInfo& Info() const { return m_Info; }
  /// First byte of pixel memory (stored row 0); null while empty.
  const uint8_t* Bits() const;

  /// Reads column Col of stored row Row.
  /// @throws std::out_of_range outside the surface.
  uint16_t Pixel(int32_t Row, int32_t Col) const;

  /// Packs a colour word into a 5-5-5 pixel: each byte loses its low 3 bits.
  static constexpr uint16_t PackColor(uint32_t Color) {
    const uint32_t b = Color & 0xFFu;
    const uint32_t g = (Color >> 8) & 0xFFu;
    const uint32_t r = (Color >> 16) & 0xFFu;
    return static_cast<uint16_t>(((r >> RedShr) << RedShl) | ((g >> GreenShr) << GreenShl) | (b >> BlueShr));
  }

 private:
  void ReleaseStorage();
  void PlotIfInside(int64_t col, int64_t row, uint16_t pixel);
  void NotifyChange() const;
  void ChangeAll();

  disp::BitmapInfo m_Info;
  int32_t m_Stride = 0;
  int32_t m_AbsHeight = 0;
  int32_t m_RowGap = 0;
  bool m_Allocated = false;
  bool m_Clean = false;
  disp::ChangeBox m_Changed;
  uint64_t m_Stamp = 0;
  std::unique_ptr<uint16_t[]> m_Bits;
  std::vector<uint16_t*> m_RowTable;
};
