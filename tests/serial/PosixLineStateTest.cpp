#include <gtest/gtest.h>
#include <linux/serial.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <map>

#include "serial/PosixLineState.h"
#include "serial/SerialPlatform.h"

namespace {

using comm::LineSnapshot;

LineSnapshot Lines(bool cts, bool dsr, bool rlsd, bool ring) {
  LineSnapshot s;
  s.hasLines = true;
  s.cts = cts;
  s.dsr = dsr;
  s.rlsd = rlsd;
  s.ring = ring;
  return s;
}

LineSnapshot Counters(uint32_t cts, uint32_t dsr, uint32_t rlsd, uint32_t ring, uint32_t brk) {
  LineSnapshot s;
  s.hasCounters = true;
  s.ctsCount = cts;
  s.dsrCount = dsr;
  s.rlsdCount = rlsd;
  s.ringCount = ring;
  s.breakCount = brk;
  return s;
}

LineSnapshot OutQueue(uint32_t bytes) {
  LineSnapshot s;
  s.hasOutQueue = true;
  s.outQueue = bytes;
  return s;
}

struct DiffCase {
  const char* name;
  LineSnapshot before;
  LineSnapshot after;
  uint32_t events;
};

TEST(LineSnapshots, DifferencesBecomeLineEvents) {
  using namespace comm;
  const DiffCase cases[] = {
      {"nothing changed", Lines(true, false, true, false), Lines(true, false, true, false), 0},
      {"CTS dropped", Lines(true, false, false, false), Lines(false, false, false, false), kEvCts},
      {"DSR and RLSD rose", Lines(false, false, false, false), Lines(false, true, true, false), kEvDsr | kEvRlsd},
      {"RI rose", Lines(false, false, false, false), Lines(false, false, false, true), kEvRing},
      {"RI fell", Lines(false, false, false, true), Lines(false, false, false, false), 0},
      {"a CTS pulse between samples", Counters(4, 0, 0, 0, 0), Counters(6, 0, 0, 0, 0), kEvCts},
      {"a ring pulse", Counters(0, 0, 0, 1, 0), Counters(0, 0, 0, 2, 0), kEvRing},
      {"a break", Counters(0, 0, 0, 0, 7), Counters(0, 0, 0, 0, 8), kEvBreak},
      {"counters wrap", Counters(0, 0, 0xFFFFFFFF, 0, 0), Counters(0, 0, 0, 0, 0), kEvRlsd},
      {"lines unknown before", LineSnapshot{}, Lines(true, true, true, true), 0},
      {"counters unknown after", Counters(1, 1, 1, 1, 1), LineSnapshot{}, 0},
      {"output queue drained", OutQueue(5), OutQueue(0), kEvTxEmpty},
      {"output queue shrank", OutQueue(5), OutQueue(3), 0},
      {"output queue stayed empty", OutQueue(0), OutQueue(0), 0},
  };
  for (const DiffCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(comm::DiffLineEvents(c.before, c.after), c.events);
  }
}

TEST(LineSnapshots, SamplingIsOnlyWorthItWhereTheDeviceCanShowAWantedEvent) {
  using namespace comm;
  constexpr uint32_t kAll = 0x17D;
  const LineSnapshot ptyLike = OutQueue(0);
  EXPECT_FALSE(LineEventsObservable(ptyLike, kAll));
  EXPECT_TRUE(LineEventsObservable(Lines(false, false, false, false), kEvCts));
  EXPECT_FALSE(LineEventsObservable(Lines(false, false, false, false), kEvBreak | kEvRxChar));
  EXPECT_TRUE(LineEventsObservable(Counters(0, 0, 0, 0, 0), kEvBreak));
  EXPECT_TRUE(LineEventsObservable(OutQueue(3), kEvTxEmpty));
  EXPECT_FALSE(LineEventsObservable(OutQueue(3), kEvRxChar));
}

// A device answering each ioctl request from a table: a value to return, or an errno.
struct FakeDevice {
  std::map<unsigned long, int> errors;
  int lines = 0;
  serial_icounter_struct counters{};
  int outQueue = 0;

  int operator()(unsigned long request, void* argument) const {
    if (const auto it = errors.find(request); it != errors.end()) {
      errno = it->second;
      return -1;
    }
    if (request == TIOCMGET) *static_cast<int*>(argument) = lines;
    if (request == TIOCGICOUNT) *static_cast<serial_icounter_struct*>(argument) = counters;
    if (request == TIOCOUTQ) *static_cast<int*>(argument) = outQueue;
    return 0;
  }
};

TEST(LineSnapshots, UnsupportedRequestsLeaveTheirPartOutAsOnAPseudoTerminal) {
  FakeDevice pty;
  pty.errors = {{TIOCMGET, ENOTTY}, {TIOCGICOUNT, ENOTTY}};
  LineSnapshot s;
  int32_t error = 0;
  ASSERT_TRUE(comm::ReadLineSnapshot(pty, s, error));
  EXPECT_FALSE(s.hasLines);
  EXPECT_FALSE(s.hasCounters);
  EXPECT_TRUE(s.hasOutQueue);

  FakeDevice noCounters;
  noCounters.errors = {{TIOCGICOUNT, EINVAL}, {TIOCOUTQ, ENOTTY}};
  noCounters.lines = TIOCM_CTS | TIOCM_CAR;
  ASSERT_TRUE(comm::ReadLineSnapshot(noCounters, s, error));
  EXPECT_TRUE(s.hasLines);
  EXPECT_TRUE(s.cts);
  EXPECT_FALSE(s.dsr);
  EXPECT_TRUE(s.rlsd);
  EXPECT_FALSE(s.hasCounters);
  EXPECT_FALSE(s.hasOutQueue);
}

TEST(LineSnapshots, AHungUpDeviceFailsTheSnapshot) {
  for (unsigned long request : {TIOCMGET, TIOCGICOUNT, TIOCOUTQ}) {
    SCOPED_TRACE(request);
    FakeDevice gone;
    gone.errors = {{request, EIO}};
    LineSnapshot s;
    int32_t error = 0;
    EXPECT_FALSE(comm::ReadLineSnapshot(gone, s, error));
    EXPECT_EQ(error, EIO);
  }
}

}  // namespace
