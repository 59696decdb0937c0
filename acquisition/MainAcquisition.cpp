// The window's live signal path: received bytes to frames, frames to trace
// marks, temperatures and log lines.
#include <QCheckBox>
#include <QProgressBar>
#include <QSlider>
#include <array>
#include <limits>

#include "acquisition/FrameParser.h"
#include "acquisition/TraceMath.h"
#include "app/Conversions.h"
#include "app/StatusPanelBar.h"
#include "app/main.h"

namespace {

constexpr int kRepaintEveryCalls = 11;
constexpr int kTemperaturePanelWidth = 35;
constexpr long double kFramePeriodMs = 3;

/// The status text of a temperature byte ("25°C", "-1°C"), built once per value.
const QString& TemperatureText(uint8_t temperature) {
  static const std::array<QString, 256> texts = [] {
    std::array<QString, 256> all;
    for (size_t t = 0; t < all.size(); ++t) {
      all[t] = QString::number(acq::TemperatureDegrees(static_cast<uint8_t>(t))) + QChar(0xB0) + QChar('C');
    }
    return all;
  }();
  return texts[temperature];
}

}  // namespace

void TfMain::serialRxData(TSerial* /*Sender*/) {
  ReadWaitingBytes();
  if (!Running) return;
  RxBuffer.append(m_rxChunk);
  size_t consumed = 0;
  try {
    acq::ScanFrames(RxBuffer, consumed, [this](const acq::FrameView& frame) { ProcessFrame(frame); });
  } catch (...) {
    // The repaint count runs for every call, also one that a failure ends.
    RxBuffer.erase(0, consumed);
    CountRxEventForRepaint();
    throw;
  }
  RxBuffer.erase(0, consumed);
  CountRxEventForRepaint();
}

void TfMain::ReadWaitingBytes() {
  // One read returns at most RxQueueSize + 1 bytes, while the system's queue
  // holds several times that. A notification comes only for new bytes, so
  // whatever one read leaves behind would wait for the next arrival and pile
  // up until the queue overflows and bytes are lost: read until a read comes
  // back short, within a bound that keeps the call short.
  constexpr size_t kMaxBytesPerCall = 64 * 1024;
  m_rxChunk.clear();
  const size_t fullRead = size_t{serial->RxQueueSize()} + 1;
  int32_t count = 0;
  do {
    // A closed port leaves the text as it was: only a returned count is new data.
    count = serial->ReadString(m_rxRead);
    if (count > 0) m_rxChunk += m_rxRead;
  } while (static_cast<size_t>(count) == fullRead && m_rxChunk.size() < kMaxBytesPerCall);
}

void TfMain::CountRxEventForRepaint() {
  ++RxEventsSinceRepaint;
  if (RxEventsSinceRepaint < kRepaintEveryCalls) return;
  RepaintScope();
  RxEventsSinceRepaint = 0;
}

void TfMain::ProcessFrame(const acq::FrameView& frame) {
  const long double T = FrameClock;
  FrameClock = FrameClock + kFramePeriodMs;
  for (int32_t k = 1; k <= frame.channelCount; ++k) {
    const int64_t Sample = frame.Sample(k);
    try {
      PlotDc(k, Sample, T);
      PlotAc(k, Sample, T);
    } catch (...) {
      m_prompts->MessageBeep();
    }
    app::CountUp(SampleCount);
    LogRecord(frame, k);
    if (frame.hasTemperature) {
      try {
        ShowTemperature(k, frame.Temperature(k));
      } catch (...) {
        m_prompts->MessageBeep();
      }
    }
  }
}

int32_t TfMain::SweepColumnOf(long double Time) {
  // Every trace of a frame has the frame's time: one division per frame, not one per trace.
  const ColumnInputs inputs{Time, SweepStart, GridStepX, m_xInterval};
  if (!m_lastColumn || !(m_lastColumn->first == inputs)) {
    m_lastColumn.emplace(inputs, acq::SweepColumn(Time, SweepStart, GridStepX, m_xInterval));
  }
  return m_lastColumn->second;
}

bool TfMain::MarkFits(int32_t Col, int32_t Row) const {
  if (Row == std::numeric_limits<int32_t>::min() || Row == std::numeric_limits<int32_t>::max()) return false;
  return PointInSurface(Col, Row - 1) && PointInSurface(Col, Row + 1);
}

void TfMain::PlotDc(int32_t Channel, int64_t Sample, long double Time) {
  if (DcEnabled[Channel]) {
    const int32_t Col = SweepColumnOf(Time);
    const int32_t Row = acq::DcRow(DcOffset, Sample, DcScale, GridStepY);
    if (MarkFits(Col, Row)) {
      const uint32_t colour = ColorWord(DcColor[Channel]);
      Surface->PutPixel(Row - 1, Col, colour);
      Surface->PutPixel(Row, Col, colour);
      Surface->PutPixel(Row + 1, Col, colour);
    }
  }
  if (OffsetInitPending) {
    OffsetInitPending = false;
    DcOffset = kInitialDcOffset;
    MoveOffsetSlider(kInitialDcOffset);
  }
  if (CentreRequest) {
    CentreRequest = false;
    DcOffset = -Sample;
    MoveOffsetSlider(DcOffset);
  }
}

void TfMain::MoveOffsetSlider(int64_t position) {
  // The bar clamps to its range; its change handler runs only when the position moves.
  const int64_t clamped = std::clamp<int64_t>(position, tbOff->minimum(), tbOff->maximum());
  tbOff->setValue(static_cast<int>(clamped));
}

void TfMain::PlotAc(int32_t Channel, int64_t Sample, long double Time) {
  const int32_t Col = SweepColumnOf(Time);
  const int32_t P = acq::SweepProgress(Col, Surface ? Surface->Width() : 0);
  progress->setValue(P);
  if (acq::SweepEnds(P)) {
    if (cbContinuous->isChecked()) {
      StartSweep();
    } else {
      StopCapture();
    }
  }
  if (!AcEnabled[Channel]) return;
  acq::AcFilterState state{AcLevel[Channel], AcRate[Channel]};
  const double y = acq::AcFilterStep(state, Sample);
  AcLevel[Channel] = state.level;
  AcRate[Channel] = state.rate;
  const int32_t Row = acq::AcRow(y, AcScale, Surface ? Surface->AbsHeight() : 0);
  if (MarkFits(Col, Row)) {
    const uint32_t colour = ColorWord(AcColor[Channel]);
    Surface->PutPixel(Row + 1, Col, colour);
    Surface->PutPixel(Row, Col, colour);
    Surface->PutPixel(Row - 1, Col, colour);
  }
}

void TfMain::ShowTemperature(int32_t Channel, uint8_t Temperature) {
  if (Temperature == LastTemperature) return;
  if (StatusTemp->PanelWidth(0) != kStatisticsPanelWidth) {
    StatusTemp->SetPanelWidth(0, kStatisticsPanelWidth);
    StatusTemp->SetPanelWidth(Channel, kTemperaturePanelWidth);
  }
  // Every channel's panel must show once it has a reading, not only the first one's.
  if (StatusTemp->PanelWidth(Channel) == 0) StatusTemp->SetPanelWidth(Channel, kTemperaturePanelWidth);
  StatusTemp->SetPanelText(Channel, TemperatureText(Temperature));
  LastTemperature = Temperature;
}
