#include "display/DibSurface.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <string>

namespace {

constexpr uint8_t kSupportedDepth = 16;

/// Source of hand-over stamps: unique among all surfaces of the process.
std::atomic<uint64_t> g_lastStamp{0};

// The colour table's first entries record the 5-5-5 layout (red, green, blue);
// uncompressed 16-bit pixels do not read them, but painting code may.
void WriteColorMasks(disp::BitmapInfo& info) {
  const uint32_t blueMask = (1u << TDibSurface::BlueBits) - 1;
  const uint32_t greenMask = ((1u << (TDibSurface::BlueBits + TDibSurface::GreenBits)) - 1) & ~blueMask;
  const uint32_t redMask =
      ((1u << (TDibSurface::BlueBits + TDibSurface::GreenBits + TDibSurface::RedBits)) - 1) & ~(blueMask | greenMask);
  info.Colors[0] = redMask;
  info.Colors[1] = greenMask;
  info.Colors[2] = blueMask;
}

}  // namespace

void TDibSurface::ReleaseStorage() {
  m_RowTable.clear();
  m_RowTable.shrink_to_fit();
  m_Bits.reset();
  m_Info = disp::BitmapInfo{};
  m_Stride = 0;
  m_AbsHeight = 0;
  m_RowGap = 0;
  m_Allocated = false;
  m_Changed.Clear();
}

void TDibSurface::Allocate(int32_t Width, int32_t Height, uint8_t BitsPerPixel) {
  if (m_Allocated && Width == m_Info.biWidth && Height == m_Info.biHeight && BitsPerPixel == m_Info.biBitCount) {
    return;
  }
  // Whatever happens next, the old block goes first: a failed call must
  // never leave a row table pointing at memory of another size.
  ReleaseStorage();
  if (Width < 0) {
    throw std::invalid_argument("Surface width is negative: " + std::to_string(Width));
  }
  if (Height == std::numeric_limits<int32_t>::min()) {
    throw std::invalid_argument("Surface height out of range");
  }
  if (BitsPerPixel != kSupportedDepth) {
    throw std::invalid_argument("Unsupported surface depth: " + std::to_string(BitsPerPixel));
  }

  const int64_t stride = ((int64_t{Width} * kSupportedDepth + 31) & ~int64_t{31}) / 8;
  const int64_t absHeight = std::llabs(Height);
  const int64_t imageSize = stride * absHeight;
  if (stride > std::numeric_limits<int32_t>::max() || imageSize > std::numeric_limits<uint32_t>::max()) {
    throw std::length_error("Surface too large");
  }

  std::unique_ptr<uint16_t[]> bits;
  if (imageSize > 0) {
    bits = std::make_unique<uint16_t[]>(static_cast<size_t>(imageSize / 2));
  }
  std::vector<uint16_t*> rows(static_cast<size_t>(absHeight), nullptr);
  if (bits) {
    const size_t wordsPerRow = static_cast<size_t>(stride / 2);
    for (size_t i = 0; i < rows.size(); ++i) {
      rows[i] = bits.get() + i * wordsPerRow;
    }
  }

  m_Bits = std::move(bits);
  m_RowTable = std::move(rows);
  m_Info.biWidth = Width;
  m_Info.biHeight = Height;
  m_Info.biBitCount = BitsPerPixel;
  m_Info.biSizeImage = static_cast<uint32_t>(imageSize);
  WriteColorMasks(m_Info);
  m_Stride = static_cast<int32_t>(stride);
  m_AbsHeight = static_cast<int32_t>(absHeight);
  m_RowGap = m_Stride - 2 * Width;
  m_Allocated = true;
  m_Clean = false;
  ChangeAll();
}

void TDibSurface::Fill(uint32_t Color) {
  m_Clean = false;
  if (!m_Bits) {
    return;
  }
  ChangeAll();
  // 16-bit stores over the whole block, row gaps included; the compiler
  // widens the loop, and the block is never accessed through another type.
  std::fill_n(m_Bits.get(), m_Info.biSizeImage / 2, PackColor(Color));
}

void TDibSurface::PlotIfInside(int64_t col, int64_t row, uint16_t pixel) {
  if (col < 0 || col >= m_Info.biWidth || row < 0 || row >= m_AbsHeight) {
    return;
  }
  m_RowTable[static_cast<size_t>(row)][col] = pixel;
}

void TDibSurface::DrawLine(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, uint32_t Color) {
  m_Clean = false;
  // 64-bit coordinates: differences and doubled steps of 32-bit ends cannot
  // overflow.
  int64_t x = X1;
  int64_t y = Y1;
  const int64_t xEnd = X2;
  int64_t yEnd = Y2;
  if (m_Info.biHeight > 0) {
    y = int64_t{m_AbsHeight} - y - 1;
    yEnd = int64_t{m_AbsHeight} - yEnd - 1;
  }
  if (m_Changed.IncludeClipped(x, y, xEnd, yEnd, m_Info.biWidth, m_AbsHeight)) NotifyChange();
  const uint16_t pixel = PackColor(Color);
  const int64_t dx2 = 2 * (xEnd > x ? xEnd - x : x - xEnd);
  const int64_t sx = xEnd < x ? -1 : 1;
  const int64_t dy2 = 2 * (yEnd > y ? yEnd - y : y - yEnd);
  const int64_t sy = yEnd < y ? -1 : 1;

  PlotIfInside(x, y, pixel);
  if (dx2 > dy2) {
    int64_t e = dy2 - dx2 / 2;
    while (x != xEnd) {
      if (e >= 0) {
        y += sy;
        e -= dx2;
      }
      x += sx;
      e += dy2;
      PlotIfInside(x, y, pixel);
    }
    return;
  }
  int64_t e = dx2 - dy2 / 2;
  while (y != yEnd) {
    if (e >= 0) {
      x += sx;
      e -= dy2;
    }
    y += sy;
    e += dx2;
    PlotIfInside(x, y, pixel);
  }
}

void TDibSurface::NotifyChange() const {
  if (OnChange) OnChange();
}

void TDibSurface::ChangeAll() {
  if (m_Changed.IncludeClipped(0, 0, m_Info.biWidth - int64_t{1}, m_AbsHeight - int64_t{1}, m_Info.biWidth,
                               m_AbsHeight)) {
    NotifyChange();
  }
}

disp::SurfaceChanges TDibSurface::TakeChanges() {
  disp::SurfaceChanges changes{Changed(), m_Stamp, ++g_lastStamp};
  m_Stamp = changes.stamp;
  m_Changed.Clear();
  return changes;
}

const uint8_t* TDibSurface::Bits() const { return reinterpret_cast<const uint8_t*>(m_Bits.get()); }

uint16_t TDibSurface::Pixel(int32_t Row, int32_t Col) const {
  if (Row < 0 || Row >= m_AbsHeight || Col < 0 || Col >= m_Info.biWidth) {
    throw std::out_of_range("Pixel outside the surface");
  }
  return m_RowTable[static_cast<size_t>(Row)][Col];
}
