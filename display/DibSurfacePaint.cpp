// Presenting the pixel block through Qt: the rows are stored bottom-up, so the
// block is drawn through a vertical flip, which keeps it 1:1 without a copy.
#include <QImage>
#include <QPainter>

#include "display/DibSurface.h"

void TDibSurface::PaintTo(QPainter& DC, int32_t X, int32_t Y) const {
  if (IsEmpty() || BitsPerPixel() != 16) return;
  const QImage stored(Bits(), Width(), AbsHeight(), Stride(), QImage::Format_RGB555);
  DC.save();
  if (Height() > 0) {
    DC.translate(X, Y + AbsHeight());
    DC.scale(1, -1);
  } else {
    DC.translate(X, Y);
  }
  DC.drawImage(0, 0, stored);
  DC.restore();
}
