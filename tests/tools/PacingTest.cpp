#include <gtest/gtest.h>

#include <limits>

#include "tools/Pacing.h"
#include "tools/Simulator.h"

namespace {

using namespace std::chrono_literals;
using sim::Nanoseconds;

// Due times are truncated to the nanosecond but never summed: adding up the
// truncated period of rate 7 would run 25 ms early after seven hours.
TEST(Pacing, DueTimes) {
  struct Case {
    uint64_t frame;
    double rate;
    Nanoseconds due;
  };
  const Case cases[] = {
      {0, 1.0, 0ns},   {1, 1.0, 3ms},    {1'200'000, 1.0, 3600s}, {1, 2.0, 1500us},
      {10, 0.5, 60ms}, {1, 1000.0, 3us}, {1, 7.0, 428571ns},      {58'800'000, 7.0, 25200s},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sim::FrameDue(c.frame, c.rate), c.due) << c.frame << " at rate " << c.rate;
  }
  EXPECT_EQ(sim::TickDue(0, 16ms), 0ns);
  EXPECT_EQ(sim::TickDue(225'000, 16ms), 3600s);
  EXPECT_EQ(sim::TickDue(5, 0ms), 0ns);
}

TEST(Pacing, OutOfRangeSaturates) {
  EXPECT_EQ(sim::FrameDue(UINT64_MAX, 1.0), Nanoseconds::max());
  EXPECT_EQ(sim::FrameDue(1, 1e-300), Nanoseconds::max());
  for (const double rate :
       {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    EXPECT_EQ(sim::FrameDue(0, rate), 0ns) << rate;
    EXPECT_EQ(sim::FrameDue(5, rate), Nanoseconds::max()) << rate;
  }
  EXPECT_EQ(sim::TickDue(UINT64_MAX, 1000ms), Nanoseconds::max());
  const auto now = sim::Simulator::Clock::now();
  EXPECT_EQ(sim::SaturatingAdd(now, Nanoseconds::max()), sim::Simulator::Clock::time_point::max());
  EXPECT_EQ(sim::SaturatingAdd(now, 5ms), now + 5ms);
}

TEST(Pacing, FramesDueByAgreesWithFrameDue) {
  for (const double rate : {1.0, 3.0, 7.0, 0.37, 999.0}) {
    for (const uint64_t k : {0ull, 1ull, 333ull, 1'000'001ull, 123'456'789ull}) {
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
