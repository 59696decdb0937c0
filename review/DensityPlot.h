#pragma once

#include <QColor>
#include <QRectF>
#include <QString>
#include <vector>

class QPainter;

namespace review {

/// One channel's amplitude density.
struct DensityCurve {
  QColor color;
  std::vector<double> frequencies;  ///< Hz, ascending, all > 0
  std::vector<double> densities;    ///< counts/sqrt(Hz), one per frequency
};

/// A line marked on the plot at the frequency where it appears.
struct DensityMark {
  double frequency = 0;  ///< Hz
  QString label;         ///< e.g. "50 Hz", "4x50 Hz folded"
};

/// What a spectrum plot shows, as plain data.
struct DensityPicture {
  std::vector<DensityCurve> curves;
  /// The band of the band RMS, shaded; none when bandTo <= bandFrom.
  double bandFrom = 0;
  double bandTo = 0;
  std::vector<DensityMark> marks;
  /// Frames per second; above 0 the live AC filter's |H(f)| at this rate is
  /// drawn dashed against a dB axis on the right.
  double sampleRate = 0;
  /// Shown in the middle when there is no curve to draw.
  QString hint;
};

/// Draws `picture` into `area` on log-log axes: frequency from the lowest
/// to the highest frequency of the curves, amplitude density over the
/// decades the curves reach (at most kDensityDecades below their peak, lower
/// values clipped), decade grid lines with labels and lighter lines at 2..9
/// times each decade, the band shaded, the marks as dotted lines with their
/// labels, and the filter's response in dB on the right.
void DrawDensity(QPainter& painter, const QRectF& area, const DensityPicture& picture);

/// Decades of amplitude density shown below the highest value at most.
constexpr int kDensityDecades = 6;

}  // namespace review
