// The window's scope view: sweep start, grid and labels, repaint requests,
// the minimum window size and the copy of the picture to the screen.
#include <QLabel>
#include <QSlider>

#include "app/ScopePanel.h"
#include "app/main.h"
#include "display/ScopeGeometry.h"

namespace {

constexpr int kMinimumWidth = 585;
constexpr int kMinimumHeight = 400;
constexpr int kDcLabelLeft = 1;
constexpr int kAcLabelLeft = 49;

}  // namespace

bool TfMain::PointInSurface(int32_t Col, int32_t Row) const {
  if (!Surface) return false;
  return disp::PointInSurface(Col, Row, Surface->Width(), Surface->AbsHeight());
}

void TfMain::RepaintScope() { pScope->RequestRepaint(); }

void TfMain::StartSweep() {
  FrameClock = 0;
  SweepStart = FrameClock;
  if (!Surface) return;
  Surface->Allocate(pScope->width(), pScope->height(), 16);
  const disp::ScopeGrid grid = disp::ComputeGrid(Surface->Width(), Surface->AbsHeight(), GridStepX);
  // Several channels of the frame that ends a sweep each start one: a picture
  // nothing has drawn on since the last start already shows this grid.
  // (The grid depends only on the size, which a reallocation marks unclean,
  // and on GridStepX, which is set once at creation.)
  if (!Surface->IsClean()) {
    Surface->Fill(ColorWord(disp::kBackgroundColor));
    disp::DrawGrid(*Surface, grid);
    Surface->MarkClean();
  }
  GridStepY = grid.gridStepY;
  for (size_t j = 0; j < grid.labelTop.size(); ++j) {
    m_dcLabels[j]->move(kDcLabelLeft, grid.labelTop[j]);
    m_acLabels[j]->move(kAcLabelLeft, grid.labelTop[j]);
  }
  UpdateScaleLabels();
}

void TfMain::UpdateScaleLabels() {
  const auto dc = disp::DcLabelValues(GridStepY, DcScale, DcOffset);
  const auto ac = disp::AcLabelValues(GridStepY, AcScale);
  for (size_t i = 0; i < dc.size(); ++i) {
    m_dcLabels[i]->setText(QString::number(dc[i]));
    m_dcLabels[i]->adjustSize();
    m_acLabels[i]->setText(QString::number(ac[i]));
    m_acLabels[i]->adjustSize();
  }
}

void TfMain::FormResize() {
  if (width() < kMinimumWidth) {
    resize(kMinimumWidth, height());
    return;
  }
  if (height() < kMinimumHeight) {
    resize(width(), kMinimumHeight);
    return;
  }
  StartSweep();
  const int surfaceHeight = Surface ? Surface->AbsHeight() : 0;
  tbOff->setGeometry(tbOff->x(), 15, tbOff->width(), std::max(0, surfaceHeight - 30));
  RepaintScope();
}

void TfMain::FormPaint(QPainter& painter) {
  if (Surface) Surface->PaintTo(painter, 0, 0);
}
