// What reaches the screen under any pattern of changes and repaint requests:
// painting converts only what changed since the previous paint, yet must show
// every pixel of the surface as it is now; repaints are merged to what a
// display can show, yet the last request must always be painted.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <chrono>
#include <ostream>
#include <random>
#include <string>

#include "app/ScopePanel.h"
#include "display/DibSurface.h"
#include "tests/support/Waiting.h"

namespace {

using namespace std::chrono_literals;

/// The surface as the screen must show it, converted by the toolkit itself
/// from the stored rows: no caching involved.
QImage Expected(const TDibSurface& s) {
  const QImage stored(s.Bits(), s.Width(), s.AbsHeight(), s.Stride(), QImage::Format_RGB555);
  return stored.mirrored(false, s.Height() > 0).convertToFormat(QImage::Format_RGB32);
}

QImage Painted(TDibSurface& s) {
  QImage screen(s.Width(), s.AbsHeight(), QImage::Format_RGB32);
  screen.fill(Qt::magenta);
  QPainter painter(&screen);
  s.PaintTo(painter, 0, 0);
  return screen;
}

/// Random pixels in random places: isolated marks, pixels at both ends of
/// rows (the edges of a changed area), and lines reaching past the surface.
void Scribble(TDibSurface& s, std::mt19937& random, int count) {
  std::uniform_int_distribution<int32_t> row(0, s.AbsHeight() - 1);
  std::uniform_int_distribution<int32_t> col(0, s.Width() - 1);
  std::uniform_int_distribution<uint32_t> colour(0, 0xFFFFFF);
  for (int i = 0; i < count; ++i) {
    const int32_t r = row(random);
    s.PutPixel(r, col(random), colour(random));
    s.PutPixel(r, 0, colour(random));
    s.PutPixel(r, s.Width() - 1, colour(random));
    if (i % 8 == 0) s.DrawLine(col(random) - 5, row(random), col(random) + 5, row(random) - 5, colour(random));
  }
}

struct SurfaceCase {
  int32_t width;
  int32_t height;  // negative: rows stored top-down
};

void PrintTo(const SurfaceCase& c, std::ostream* os) { *os << c.width << " x " << c.height; }

class PaintAfterChanges : public testing::TestWithParam<SurfaceCase> {};

TEST_P(PaintAfterChanges, ShowsExactlyTheSurfaceAfterEveryRound) {
  const SurfaceCase c = GetParam();
  TDibSurface s;
  s.Allocate(c.width, c.height, 16);
  s.Fill(0xFFFFFF);
  std::mt19937 random(static_cast<uint32_t>(c.width * 7919 + c.height));
  for (int round = 0; round < 6; ++round) {
    ASSERT_EQ(Painted(s), Expected(s)) << "round " << round;
    Scribble(s, random, round * 40);
    if (round == 3) s.Fill(0x000000);  // a whole new picture, as a sweep start gives
  }
}

std::string CaseName(const testing::TestParamInfo<SurfaceCase>& info) {
  const SurfaceCase& c = info.param;
  return std::to_string(c.width) + "x" + std::to_string(c.height < 0 ? -c.height : c.height) +
         (c.height < 0 ? "TopDown" : "");
}

INSTANTIATE_TEST_SUITE_P(Sizes, PaintAfterChanges,
                         testing::Values(SurfaceCase{472, 353}, SurfaceCase{471, 12}, SurfaceCase{1, 1},
                                         SurfaceCase{3, 2}, SurfaceCase{40, -30}, SurfaceCase{1920, 1080}),
                         CaseName);

TEST(PaintAfterChanges, SurfacesTakingTurnsEachShowTheirOwnPixels) {
  TDibSurface first;
  TDibSurface second;
  first.Allocate(64, 48, 16);
  second.Allocate(64, 48, 16);
  first.Fill(0xFFFFFF);
  second.Fill(0xFFFFFF);
  std::mt19937 random(5);
  for (int round = 0; round < 4; ++round) {
    Scribble(round % 2 == 0 ? first : second, random, 30);
    ASSERT_EQ(Painted(first), Expected(first)) << "round " << round;
    ASSERT_EQ(Painted(second), Expected(second)) << "round " << round;
  }
  // Same pixels again after a reallocation at another size and back.
  first.Allocate(10, 10, 16);
  first.Fill(0x123456);
  ASSERT_EQ(Painted(first), Expected(first));
  first.Allocate(64, 48, 16);
  first.Fill(0x654321);
  EXPECT_EQ(Painted(first), Expected(first));
}

TEST(RepaintRequests, BurstsAreMergedToDisplayRateAndTheLastIsPainted) {
  QWidget window;
  window.resize(200, 100);
  auto* panel = new app::ScopePanel(&window);
  panel->setGeometry(0, 0, 200, 100);
  int paints = 0;
  panel->OnPaint = [&paints](QPainter&) { ++paints; };
  window.show();
  ASSERT_TRUE(support::RunEventsUntil([&] { return paints > 0; })) << "the panel was never painted";

  // A request every millisecond or so for 300 ms, as data delivered in
  // small pieces would make them.
  paints = 0;
  int paintsBeforeLastRequest = 0;
  const auto start = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - start < 300ms) {
    paintsBeforeLastRequest = paints;
    panel->RequestRepaint();
    support::RunEventsFor(1ms);
  }
  const auto elapsed = std::chrono::steady_clock::now() - start;
  const int displayFrames =
      static_cast<int>(elapsed / std::chrono::milliseconds(app::ScopePanel::kMinRepaintIntervalMs)) + 2;
  EXPECT_LE(paints, displayFrames);
  EXPECT_TRUE(support::RunEventsUntil([&] { return paints > paintsBeforeLastRequest; }))
      << "the last request never reached the screen";
}

TEST(RepaintRequests, ChangesASystemPaintTookInButDidNotShowFollowSoon) {
  QWidget window;
  window.resize(200, 100);
  auto* panel = new app::ScopePanel(&window);
  panel->setGeometry(0, 0, 200, 100);
  // A surface whose changes every paint takes in, as the window's does.
  QRect changed;
  QRegion shown;
  panel->ChangedArea = [&changed] { return changed; };
  panel->OnPaint = [&](QPainter& painter) {
    shown += painter.paintEngine()->systemClip();
    changed = QRect();
  };
  window.show();
  ASSERT_TRUE(support::RunEventsUntil([&] { return !shown.isEmpty(); })) << "the panel was never painted";

  shown = QRegion();
  changed = QRect(150, 10, 20, 30);
  panel->repaint(0, 0, 50, 50);  // the system uncovers another part first
  EXPECT_TRUE(support::RunEventsUntil([&] { return (QRegion(150, 10, 20, 30) - shown).isEmpty(); }))
      << "a change the system's paint took in never reached the screen";
}

}  // namespace
