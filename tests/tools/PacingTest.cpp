#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tools/Pacing.h"
#include "tools/Simulator.h"

namespace {

using namespace std::chrono_literals;
using sim::Nanoseconds;

TEST(Pacing, FrameDueTimes) {
  struct Case {
    uint64_t frame;
    double rate;
    Nanoseconds due;
  };
  const Case cases[] = {
      {0, 1.0, 0ns},           {1, 1.0, 3ms},    {333, 1.0, 999ms}, {1000, 1.0, 3s},
      {1'200'000, 1.0, 3600s}, {1, 2.0, 1500us}, {1, 3.0, 1ms},     {1, 7.0, Nanoseconds(428571)},
      {7'000'000, 7.0, 3000s}, {10, 0.5, 60ms},  {1, 1000.0, 3us},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sim::FrameDue(c.frame, c.rate), c.due) << c.frame << " at rate " << c.rate;
  }
}

TEST(Pacing, LongRunsDoNotDrift) {
  // A period of 3 ms / 7 is not a whole number of nanoseconds; adding it up
  // would be off by milliseconds after an hour.
  for (uint64_t n = 0; n <= 8'400'000; n += 1'200'000) {
    EXPECT_EQ(sim::FrameDue(n * 7, 7.0), Nanoseconds(n * 3'000'000)) << n;
  }
}

TEST(Pacing, OutOfRangeSaturates) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(sim::FrameDue(UINT64_MAX, 1.0), Nanoseconds::max());
  EXPECT_EQ(sim::FrameDue(1, 1e-300), Nanoseconds::max());
  for (const double rate : {0.0, -1.0, nan, inf}) {
    EXPECT_EQ(sim::FrameDue(0, rate), 0ns) << rate;
    EXPECT_EQ(sim::FrameDue(5, rate), Nanoseconds::max()) << rate;
  }
  EXPECT_EQ(sim::TickDue(UINT64_MAX, 1000ms), Nanoseconds::max());
  const auto now = sim::Simulator::Clock::now();
  EXPECT_EQ(sim::SaturatingAdd(now, Nanoseconds::max()), sim::Simulator::Clock::time_point::max());
  EXPECT_EQ(sim::SaturatingAdd(now, 5ms), now + 5ms);
}

TEST(Pacing, TickDueTimes) {
  EXPECT_EQ(sim::TickDue(0, 16ms), 0ns);
  EXPECT_EQ(sim::TickDue(3, 16ms), 48ms);
  EXPECT_EQ(sim::TickDue(225'000, 16ms), 3600s);
  EXPECT_EQ(sim::TickDue(5, 0ms), 0ns);
}

TEST(Pacing, FramesDueByAgreesWithFrameDue) {
  for (const double rate : {1.0, 2.0, 3.0, 7.0, 0.37, 999.0}) {
    for (const uint64_t k : {0ull, 1ull, 2ull, 332ull, 333ull, 1'000'001ull, 123'456'789ull}) {
      const Nanoseconds due = sim::FrameDue(k, rate);
      EXPECT_EQ(sim::FramesDueBy(due, rate), k + 1) << k << " at rate " << rate;
      if (due > 0ns) {
        EXPECT_EQ(sim::FramesDueBy(due - 1ns, rate), k) << k << " at rate " << rate;
      }
    }
  }
  EXPECT_EQ(sim::FramesDueBy(-1ns, 1.0), 0u);
  EXPECT_EQ(sim::FramesDueBy(Nanoseconds::max(), 1.0), UINT64_MAX);
}

}  // namespace
