// Received bytes through the window's receive handler: frames, traces,
// sweep progress, offsets and temperatures.
#include <QCheckBox>
#include <QProgressBar>
#include <QSlider>

#include "WindowFixture.h"
#include "app/SpinEdit.h"
#include "app/StatusPanelBar.h"

namespace {

class ReceivePathTest : public WindowTest {
 protected:
  TfMain& Open() {
    AddPorts({1});
    TfMain& w = Create();
    w.FormShow();
    return w;
  }
};

TEST_F(ReceivePathTest, AcceptsFramesWithAndWithoutTemperatures) {
  auto& w = Open();
  Receive(w, Bytes({0xA5, 0x00, 0x05, 0x12, 0x34}));
  EXPECT_EQ(w.SampleCount, 1);
  EXPECT_EQ(w.FrameClock, 3);
  EXPECT_TRUE(w.RxBuffer.empty());

  Receive(w, Bytes({0xA5, 0x01, 0x06, 0x12, 0x34, 0x19}));
  EXPECT_EQ(w.SampleCount, 2);
  EXPECT_EQ(w.StatusTemp->PanelText(1), QString::fromUtf8("25°C"));
}

TEST_F(ReceivePathTest, InvalidLengthsDropOnlyTheSyncByte) {
  auto& w = Open();
  for (const std::string& bad : {Bytes({0xA5, 0x00, 0x04, 0x00, 0x00}), Bytes({0xA5, 0x00, 0x14, 0x00, 0x00}),
                                 Bytes({0xA5, 0x01, 0x08, 0x00, 0x00})}) {
    Receive(w, bad);
  }
  EXPECT_EQ(w.SampleCount, 0);
  EXPECT_EQ(w.FrameClock, 0);
  // A valid frame hidden right behind a rejected sync byte is still found.
  Receive(w, Bytes({0xA5, 0xA5, 0x00, 0x05, 0x01, 0x02}));
  EXPECT_EQ(w.SampleCount, 1);
}

TEST_F(ReceivePathTest, PartialFramesWaitAndAreProcessedOnceWhenComplete) {
  auto& w = Open();
  Receive(w, Bytes({0xA5}));
  EXPECT_EQ(w.RxBuffer.size(), 1u);
  Receive(w, Bytes({0x00}));
  EXPECT_EQ(w.RxBuffer.size(), 2u);
  Receive(w, Bytes({0x05, 0x12}));
  EXPECT_EQ(w.SampleCount, 0);
  EXPECT_EQ(w.FrameClock, 0);
  Receive(w, Bytes({0x34, 0xA5, 0x00, 0x05, 0, 1, 0xA5, 0x00, 0x05, 0, 2, 0x00}));
  EXPECT_EQ(w.SampleCount, 3);
  EXPECT_EQ(w.FrameClock, 9);
  EXPECT_EQ(w.RxBuffer, Bytes({0x00})) << "a single trailing byte waits";
  Receive(w, Bytes({0x07}));
  EXPECT_EQ(w.RxBuffer, Bytes({0x07})) << "the old byte is dropped, the new one waits";
}

TEST_F(ReceivePathTest, WhileStoppedBytesAreReadAndLost) {
  auto& w = Open();
  Receive(w, Bytes({0xA5, 0x00}));
  w.bStartClick();
  const int32_t repaintCount = w.RxEventsSinceRepaint;
  Receive(w, Bytes({0x05, 0x12, 0x34}));
  EXPECT_EQ(w.RxBuffer, Bytes({0xA5, 0x00}));
  EXPECT_EQ(w.RxEventsSinceRepaint, repaintCount);
  EXPECT_EQ(PendingBytes(), 0u);
  EXPECT_EQ(w.SampleCount, 0);
}

TEST_F(ReceivePathTest, TheEleventhCallRepaints) {
  auto& w = Open();
  for (int call = 1; call <= 10; ++call) {
    Receive(w, "");
    EXPECT_EQ(w.RxEventsSinceRepaint, call);
  }
  Receive(w, "");
  EXPECT_EQ(w.RxEventsSinceRepaint, 0);
}

TEST_F(ReceivePathTest, TwoChannelFramesLeaveChannelsThreeToEightUntouched) {
  auto& w = Open();
  for (int channel = 1; channel <= 8; ++channel) w.DcEnabled[channel] = w.AcEnabled[channel] = true;
  for (int i = 0; i < 50; ++i) Receive(w, Bytes({0xA5, 0x00, 0x07, 0x20, 0x04, 0x20, 0x00}));
  EXPECT_NE(w.AcRate[1], 0);
  EXPECT_NE(w.AcRate[2], 0);
  for (int channel = 3; channel <= 8; ++channel) {
    EXPECT_EQ(w.AcLevel[channel], 0) << channel;
    EXPECT_EQ(w.AcRate[channel], 0) << channel;
  }
  EXPECT_EQ(w.SampleCount, 100);
}

TEST_F(ReceivePathTest, DcMarksSitOnTheRowsOfTheirSamples) {
  auto& w = Open();
  const uint16_t blue = TDibSurface::PackColor(ColorWord(w.DcColor[1]));
  w.AcEnabled[1] = false;
  w.PlotDc(1, 8196, 0);    // column 0
  w.PlotDc(1, 9196, 300);  // column 30
  w.PlotDc(1, 7196, 600);  // column 60
  for (const auto& [col, row] : {std::pair{0, 176}, {30, 196}, {60, 156}}) {
    EXPECT_EQ(w.Surface->Pixel(row - 1, col), blue);
    EXPECT_EQ(w.Surface->Pixel(row, col), blue);
    EXPECT_EQ(w.Surface->Pixel(row + 1, col), blue);
    EXPECT_NE(w.Surface->Pixel(row + 2, col), blue);
  }
}

TEST_F(ReceivePathTest, MarksAreDrawnWholeOrNotAtAll) {
  auto& w = Open();
  const uint16_t blue = TDibSurface::PackColor(ColorWord(w.DcColor[1]));
  const int top = w.Surface->AbsHeight() - 1;
  w.OffsetInitPending = false;
  w.DcScale = 1;
  // Row = offset + sample + 4 * GridStepY (176.5): offsets chosen for rows 0, 1 and the top row.
  w.DcOffset = -176;
  w.PlotDc(1, 0, 0);
  EXPECT_NE(w.Surface->Pixel(0, 0), blue) << "row 0";
  w.DcOffset = -175;
  w.PlotDc(1, 0, 10);
  EXPECT_EQ(w.Surface->Pixel(0, 1), blue) << "row 1";
  EXPECT_EQ(w.Surface->Pixel(2, 1), blue);
  w.DcOffset = top - 176;
  w.PlotDc(1, 0, 20);
  EXPECT_NE(w.Surface->Pixel(top, 2), blue) << "top row";
  EXPECT_NE(w.Surface->Pixel(top - 1, 2), blue);
}

TEST_F(ReceivePathTest, SweepProgressAndEnd) {
  auto& w = Open();
  w.PlotAc(1, 8196, 4710);  // column 471 of 472
  EXPECT_EQ(w.progress->value(), 997);
  EXPECT_TRUE(w.Running);
  w.FrameClock = 4713;
  w.PlotAc(1, 8196, 4720);  // column 472: the sweep ends and a new one starts
  EXPECT_EQ(w.FrameClock, 0);
  EXPECT_TRUE(w.Running);

  w.cbContinuous->setChecked(false);
  w.PlotAc(1, 8196, 4720);
  EXPECT_FALSE(w.Running);
  EXPECT_EQ(Prompts().beeps, 1);
}

TEST_F(ReceivePathTest, ASweepEndingInsideAFrameRestartsOncePerRemainingChannel) {
  auto& w = Open();
  w.cbContinuous->setChecked(false);
  w.FrameClock = 4720;  // column 472 at the default X interval
  Receive(w, Bytes({0xA5, 0x00, 0x09, 0x20, 0x04, 0x20, 0x04, 0x20, 0x04}));
  EXPECT_FALSE(w.Running);
  EXPECT_EQ(Prompts().beeps, 3) << "one stop per channel of the frame";
  EXPECT_EQ(w.SampleCount, 3);
}

TEST_F(ReceivePathTest, TheFirstSampleSetsTheOffsetAndCentringClampsToTheSlider) {
  auto& w = Open();
  w.tbOff->setValue(1000);
  Receive(w, Bytes({0xA5, 0x00, 0x05, 0x20, 0x04}));
  EXPECT_EQ(w.tbOff->value(), -8196);
  EXPECT_EQ(w.DcOffset, -8196);
  EXPECT_FALSE(w.OffsetInitPending);

  w.ButtonResetOffClick();
  Receive(w, Bytes({0xA5, 0x00, 0x05, 0x9C, 0x40}));  // 40000
  EXPECT_EQ(w.tbOff->value(), -32766);
  EXPECT_EQ(w.DcOffset, -32766);
  EXPECT_FALSE(w.CentreRequest);

  w.ButtonResetOffClick();
  Receive(w, Bytes({0xA5, 0x00, 0x05, 0x9C, 0x41}));  // the slider cannot move further
  EXPECT_EQ(w.DcOffset, -40001);
}

TEST_F(ReceivePathTest, TemperaturesShowAsSignedBytesAndRepeatsAreNotRedrawn) {
  auto& w = Open();
  Receive(w, Bytes({0xA5, 0x01, 0x06, 0x20, 0x04, 0x00}));
  EXPECT_EQ(w.StatusTemp->PanelText(1), "---") << "a first 0 equals the initial last temperature";
  Receive(w, Bytes({0xA5, 0x01, 0x09, 0x20, 0x04, 0xFF, 0x20, 0x04, 0xFF}));
  EXPECT_EQ(w.StatusTemp->PanelText(1), QString::fromUtf8("-1°C"));
  EXPECT_EQ(w.StatusTemp->PanelText(2), "---") << "the same temperature is not drawn again";
  EXPECT_EQ(w.StatusTemp->PanelWidth(0), 80);
  EXPECT_EQ(w.StatusTemp->PanelWidth(1), 35);
  Receive(w, Bytes({0xA5, 0x01, 0x09, 0x20, 0x04, 0xFF, 0x20, 0x04, 0x1A}));
  EXPECT_EQ(w.StatusTemp->PanelText(2), QString::fromUtf8("26°C"));
  EXPECT_EQ(w.StatusTemp->PanelWidth(2), 35) << "every reporting channel's panel shows";
}

TEST_F(ReceivePathTest, TheAcFilterIsFrozenWhileItsTraceIsOff) {
  auto& w = Open();
  w.PlotAc(1, 1000, 0);
  w.PlotAc(1, 1000, 0);
  EXPECT_EQ(w.AcLevel[1], 3.90625L);
  EXPECT_EQ(w.AcRate[1], 1996.09375L);
  w.AcEnabled[1] = false;
  w.PlotAc(1, 5000, 0);
  EXPECT_EQ(w.AcLevel[1], 3.90625L);
  EXPECT_EQ(w.AcRate[1], 1996.09375L);
  w.AcEnabled[1] = true;
  w.PlotAc(1, 1000, 0);
  EXPECT_NE(w.AcRate[1], 1996.09375L);
}

TEST_F(ReceivePathTest, AnXIntervalOfZeroBeepsPerSampleAndStillCountsIt) {
  auto& w = Open();
  w.seDX->SetText(QStringLiteral("0"));
  Receive(w, Bytes({0xA5, 0x00, 0x05, 0x20, 0x04, 0xA5, 0x00, 0x05, 0x20, 0x04}));
  EXPECT_EQ(Prompts().beeps, 2);
  EXPECT_EQ(w.SampleCount, 2);
  EXPECT_TRUE(w.OffsetInitPending) << "a failing DC plot leaves the pending offset";
  EXPECT_TRUE(Prompts().boxes.empty());
}

}  // namespace
