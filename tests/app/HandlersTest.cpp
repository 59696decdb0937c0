// The control handlers outside the data path, and the close-down.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "WindowFixture.h"
#include "app/SpinEdit.h"
#include "app/StatusPanelBar.h"

namespace {

const uint32_t kWhite = TDibSurface::PackColor(0xFFFFFF);

TEST_F(WindowTest, ButtonAndStatusBarToggleCaptureAndEveryStartClearsTheScope) {
  auto& w = Create();
  w.Surface->PutPixel(10, 10, 0x0000FF);
  w.bStart->click();
  EXPECT_FALSE(w.Running);
  EXPECT_EQ(w.bStart->text(), "Start");
  EXPECT_EQ(Prompts().beeps, 1);
  EXPECT_NE(w.Surface->Pixel(10, 10), kWhite) << "stopping keeps the picture";

  QTest::mouseClick(w.StatusTemp, Qt::LeftButton, {}, QPoint(300, 5));
  EXPECT_TRUE(w.Running);
  EXPECT_EQ(w.bStart->text(), "Stop");
  EXPECT_EQ(w.Surface->Pixel(10, 10), kWhite);

  QTest::mouseClick(w.StatusTemp, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_FALSE(w.Running);
  EXPECT_EQ(Prompts().beeps, 2);
}

TEST_F(WindowTest, ChangingTheXIntervalRestartsTheSweepOnlyWhileCapturing) {
  auto& w = Create();
  w.FrameClock = 300;
  w.Surface->PutPixel(10, 10, 0x0000FF);
  w.seDX->stepUp();
  EXPECT_EQ(w.seDX->value(), 700);
  EXPECT_EQ(w.FrameClock, 0);
  EXPECT_EQ(w.Surface->Pixel(10, 10), kWhite);

  w.bStartClick();
  w.FrameClock = 300;
  w.Surface->PutPixel(10, 10, 0x0000FF);
  w.seDX->SetText(QStringLiteral("900"));
  EXPECT_EQ(w.FrameClock, 300);
  EXPECT_NE(w.Surface->Pixel(10, 10), kWhite);
}

TEST_F(WindowTest, XIntervalStepsStopAtTheRangeEnds) {
  auto& w = Create();
  w.seDX->stepDown();
  EXPECT_EQ(w.seDX->value(), 300);
  w.seDX->stepDown();
  w.seDX->stepDown();
  EXPECT_EQ(w.seDX->value(), 200);
  w.seDX->setValue(19900);
  w.seDX->stepUp();
  w.seDX->stepUp();
  EXPECT_EQ(w.seDX->value(), 20000);
}

TEST_F(WindowTest, ChannelSelectorsShowAndSetOnlyTheSelectedChannel) {
  auto& w = Create();
  w.seTrace->setValue(3);
  EXPECT_FALSE(w.cbEnabled->isChecked());
  w.cbEnabled->setChecked(true);
  EXPECT_TRUE(w.DcEnabled[3]);
  EXPECT_FALSE(w.AcEnabled[3]);
  w.seTrace->setValue(1);
  EXPECT_TRUE(w.cbEnabled->isChecked());

  w.seFilters->setValue(8);
  w.cbFilter->setChecked(true);
  EXPECT_TRUE(w.AcEnabled[8]);
  EXPECT_FALSE(w.DcEnabled[8]);
}

TEST_F(WindowTest, ChannelTextOutsideOneToEightSelectsNothingAndBlankMeansChannelOne) {
  auto& w = Create();
  w.seTrace->setValue(2);
  for (const char* typed : {"12", "0", "-3"}) {
    w.seTrace->SetText(QString::fromLatin1(typed));
    w.cbEnabled->setChecked(!w.cbEnabled->isChecked());
  }
  for (int channel = 2; channel <= 8; ++channel) EXPECT_FALSE(w.DcEnabled[channel]) << channel;
  EXPECT_TRUE(w.DcEnabled[1]);

  w.seTrace->SetText(QString());
  EXPECT_TRUE(w.cbEnabled->isChecked()) << "blank text reads as channel 1";
  w.cbEnabled->setChecked(false);
  EXPECT_FALSE(w.DcEnabled[1]);
}

TEST_F(WindowTest, ScaleAndOffsetRelabelTheGrid) {
  auto& w = Create();
  EXPECT_EQ(w.l1->text(), "14814");
  w.cbScale->setCurrentIndex(5);
  emit w.cbScale->activated(5);
  EXPECT_EQ(w.DcScale, 0.5);
  EXPECT_EQ(w.l1->text(), "8262");  // trunc(3 * 44.125 * 0.5 + 8196)

  w.cbFilterScale->setCurrentIndex(0);
  emit w.cbFilterScale->activated(0);
  EXPECT_EQ(w.AcScale, 0.01);
  EXPECT_EQ(w.lTrace1->text(), "1");  // trunc(132.375 * 0.01)

  w.tbOff->setValue(1000);
  EXPECT_EQ(w.DcOffset, 1000);
  EXPECT_EQ(w.l4->text(), "-1000");
  w.tbOff->setValue(-40000);
  EXPECT_EQ(w.DcOffset, -32766);
}

TEST_F(WindowTest, TheBlankTimeOutEntryIsReportedAndTheTimeOutKept) {
  auto& w = Create();
  w.cbLogTimeOut->setCurrentIndex(4);
  emit w.cbLogTimeOut->activated(4);
  EXPECT_EQ(w.LogTimeoutMinutes, 15);
  w.cbLogTimeOut->setCurrentIndex(10);
  emit w.cbLogTimeOut->activated(10);
  EXPECT_EQ(w.LogTimeoutMinutes, 15);
  ASSERT_EQ(Prompts().boxes.size(), 1u);
  EXPECT_EQ(Prompts().boxes[0].caption, "Dez Idure");
  EXPECT_EQ(Prompts().boxes[0].text, "' ' is not a valid integer value.");
}

TEST_F(WindowTest, TheStatisticsTickShowsBothCountsAndEnablesTheLogBox) {
  auto& w = Create();
  w.SampleCount = 13335;
  w.LogSampleCount = 42;
  w.Timer2Timer();
  EXPECT_EQ(w.SampleRate, 13335);
  EXPECT_EQ(w.SampleCount, 0);
  EXPECT_TRUE(w.CheckBoxLog->isEnabled());
  EXPECT_EQ(w.StatusTemp->PanelWidth(0), 80);
  EXPECT_EQ(w.StatusTemp->PanelText(0), "13335");
  EXPECT_EQ(w.StatusTemp->PanelWidth(1), 80);
  EXPECT_EQ(w.StatusTemp->PanelText(1), "42");
}

TEST_F(WindowTest, ClosingClosesThePortBeepsOnceAndDrawsNothingAfterwards) {
  AddPorts({1});
  auto& w = Create();
  w.FormShow();
  ASSERT_TRUE(w.serial->Active());
  w.close();
  EXPECT_FALSE(w.serial->Active());
  EXPECT_FALSE(w.Running);
  EXPECT_EQ(Prompts().beeps, 1);
  EXPECT_EQ(w.Surface, nullptr);
  // Nothing may draw on the released surface, whatever still arrives.
  w.bStartClick();
  w.RunGuarded([&] { w.PlotDc(1, 8196, 0); });
  w.RunGuarded([&] { w.PlotAc(1, 8196, 0); });
  w.resize(700, 600);
  EXPECT_EQ(w.Surface, nullptr);
}

}  // namespace
