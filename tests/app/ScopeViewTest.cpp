// The scope screen: grid, labels, minimum size and the copy to the screen.
#include <QCheckBox>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QSlider>

#include "WindowFixture.h"
#include "app/ScopePanel.h"
#include "tests/support/Waiting.h"

namespace {

const uint16_t kWhite = 0x7FFF;
const uint16_t kSilver = 0x6318;
const uint16_t kBlack = 0x0000;

/// Pixel at picture line `y` counted from the top.
uint16_t PictureAt(const TDibSurface& s, int x, int y) { return s.Pixel(s.AbsHeight() - 1 - y, x); }

TEST_F(WindowTest, DefaultScopeShowsTheGridAndLabelsOfTheInitialState) {
  auto& w = Create();
  const TDibSurface& s = *w.Surface;
  ASSERT_EQ(s.Width(), 472);
  ASSERT_EQ(s.AbsHeight(), 353);
  EXPECT_EQ(w.GridStepY, 44.125);
  EXPECT_EQ(PictureAt(s, 0, 0), kWhite);
  EXPECT_EQ(PictureAt(s, 0, 20), kWhite) << "no vertical line at x = 0";
  for (int x = 50; x <= 450; x += 50) EXPECT_EQ(PictureAt(s, x, 20), kSilver) << x;
  EXPECT_EQ(PictureAt(s, 471, 20), kWhite);
  const int lines[] = {44, 88, 132, 176, 220, 264, 308};
  for (int j = 0; j < 7; ++j) EXPECT_EQ(PictureAt(s, 10, lines[j]), j == 3 ? kBlack : kSilver) << lines[j];
  EXPECT_EQ(PictureAt(s, 50, 176), kBlack) << "horizontal lines cover the vertical ones";

  const char* dc[] = {"14814", "12608", "10402", "8196", "5989", "3783", "1577"};
  const char* ac[] = {"264", "176", "88", "0", "-88", "-176", "-264"};
  const QLabel* dcLabels[] = {w.l1, w.l2, w.l3, w.l4, w.l5, w.l6, w.l7};
  const QLabel* acLabels[] = {w.lTrace1, w.lTrace2, w.lTrace3, w.lTrace4, w.lTrace5, w.lTrace6, w.lTrace7};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(dcLabels[i]->text(), dc[i]);
    EXPECT_EQ(acLabels[i]->text(), ac[i]);
    EXPECT_EQ(dcLabels[i]->y(), lines[i] - 5);
    EXPECT_EQ(acLabels[i]->y(), lines[i] - 5);
    EXPECT_EQ(dcLabels[i]->x(), 1);
    EXPECT_EQ(acLabels[i]->x(), 49);
  }
}

TEST_F(WindowTest, ResizingBelowTheMinimumSnapsBackAndALargerWindowRegrids) {
  auto& w = Create();
  w.show();
  w.resize(400, 300);
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(w.width(), 585);
  w.resize(585, 300);
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(w.height(), 400);

  w.resize(800, 700);
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(w.Surface->Width(), 800 - 2 - 120);
  EXPECT_EQ(w.Surface->AbsHeight(), 700 - 188 - 2 - 9);
  EXPECT_EQ(w.tbOff->y(), 15);
  EXPECT_EQ(w.tbOff->height(), w.Surface->AbsHeight() - 30);
  EXPECT_EQ(w.l4->y(), static_cast<int>(4 * w.GridStepY) - 5);
}

TEST_F(WindowTest, PaintingShowsTheSurfaceOneToOneWithTheBottomRowAtTheBottom) {
  auto& w = Create();
  w.show();  // the first show's resize starts a fresh sweep: draw after it
  QCoreApplication::sendPostedEvents();
  w.Surface->PutPixel(0, 0, 0x0000FF);                             // bottom-left, blue
  w.Surface->PutPixel(w.Surface->AbsHeight() - 1, 471, 0xFF0000);  // top-right, red
  const QImage shown = w.pScope->grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(shown.size(), QSize(472, 353));
  EXPECT_EQ(shown.pixel(0, 352) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(shown.pixel(471, 0) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(shown.pixel(10, 176) & 0xFFFFFF, 0u) << "the centre line";
  EXPECT_EQ(shown.pixel(1, 1) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(WindowTest, EveryChangeReachesTheScreenWithoutMoreDataOrRequests) {
  AddPorts({1});
  auto& w = Create();
  w.show();
  w.FormShow();
  // A paint takes in every change of the surface it shows.
  const auto shown = [&w] { return w.Surface->Changed().Empty(); };
  ASSERT_TRUE(support::RunEventsUntil(shown));

  // One-shot capture: the call that ends the sweep draws its last marks and
  // stops, with no repaint asked for and no data to follow.
  w.cbContinuous->setChecked(false);
  w.FrameClock = 4700;  // column 470 at the default X interval
  for (int frame = 0; frame < 8; ++frame) Receive(w, Bytes({0xA5, 0x00, 0x05, 0x20, 0x04}));
  ASSERT_FALSE(w.Running);
  EXPECT_FALSE(shown());
  EXPECT_TRUE(support::RunEventsUntil(shown)) << "the last marks never reached the screen";

  // Start again without data: the cleared sweep must replace the old one.
  w.bStartClick();
  ASSERT_TRUE(w.Running);
  EXPECT_FALSE(shown());
  EXPECT_TRUE(support::RunEventsUntil(shown)) << "the new sweep never reached the screen";
}

}  // namespace
