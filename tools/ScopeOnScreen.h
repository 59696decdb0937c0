#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// Reading the scope off a screen grab, as a user's eye would: where its grid
// is, whether a trace shows, which columns carry a probe's mark. Pixels are
// 32-bit 0x00RRGGBB words (the top byte is ignored).
namespace watch {

/// A grabbed picture: `height` lines of `stride` pixels, of which the first
/// `width` are shown.
struct Picture {
  const uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  size_t stride = 0;
  uint32_t At(int x, int y) const {
    return pixels[static_cast<size_t>(y) * stride + static_cast<size_t>(x)] & 0xFFFFFFu;
  }
};

/// A rectangle on the screen, in pixels.
struct ScreenRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

/// The scope's background, grid and centre line as the screen shows them
/// (5-bit colour channels widened back to 8 bits).
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kSilver = 0xC6C6C6;
constexpr uint32_t kBlack = 0x000000;

/// True for a pixel of a trace: anything but background, grid or centre line.
constexpr bool IsTracePixel(uint32_t rgb) {
  rgb &= 0xFFFFFFu;
  return rgb != kWhite && rgb != kSilver && rgb != kBlack;
}

/// Finds the scope by its grid: the pieces of the silver horizontal lines
/// (runs of 40 pixels or more with the background above and below) span its
/// width; the vertical grid lines, followed up from the top line and down
/// from the bottom one, give its height. Nothing when no grid shows.
std::optional<ScreenRect> FindScope(const Picture& screen);

/// Trace pixels in the whole of `scope` (a picture of the scope alone).
int64_t TracePixels(const Picture& scope);

/// For each column of `scope`, whether a trace pixel lies within 3 lines of
/// the line where a probe's mark falls: kProbeRowsAboveCentre above the
/// centre line, which is line height / 2.
std::vector<bool> ProbeColumns(const Picture& scope);

}  // namespace watch
