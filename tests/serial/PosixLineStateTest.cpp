#include <gtest/gtest.h>
#include <linux/serial.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <map>

#include "serial/PosixLineState.h"
#include "serial/SerialPlatform.h"

namespace {

using namespace comm;

LineSnapshot Lines(bool cts, bool dsr, bool rlsd, bool ring) { return {true, cts, dsr, rlsd, ring}; }

LineSnapshot Counters(uint32_t cts, uint32_t dsr, uint32_t rlsd, uint32_t ring, uint32_t brk) {
  return {false, false, false, false, false, true, cts, dsr, rlsd, ring, brk};
}

LineSnapshot OutQueue(uint32_t bytes) { return {false, false, false, false, false, false, 0, 0, 0, 0, 0, true, bytes}; }

TEST(LineSnapshots, DifferencesBecomeLineEvents) {
  const struct {
    const char* name;
    LineSnapshot before;
    LineSnapshot after;
    uint32_t events;
  } cases[] = {
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
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DiffLineEvents(c.before, c.after), c.events);
  }
}

TEST(LineSnapshots, SamplingIsOnlyWorthItWhereTheDeviceCanShowAWantedEvent) {
  EXPECT_FALSE(LineEventsObservable(OutQueue(0), 0x17D)) << "a pty shows nothing but an empty queue";
  EXPECT_TRUE(LineEventsObservable(Lines(false, false, false, false), kEvCts));
  EXPECT_FALSE(LineEventsObservable(Lines(false, false, false, false), kEvBreak | kEvRxChar));
  EXPECT_TRUE(LineEventsObservable(Counters(0, 0, 0, 0, 0), kEvBreak));
  EXPECT_TRUE(LineEventsObservable(OutQueue(3), kEvTxEmpty));
  EXPECT_FALSE(LineEventsObservable(OutQueue(3), kEvRxChar));
}

TEST(LineSnapshots, ReadingLeavesOutWhatTheDeviceCannotReportAndFailsWhenItIsGone) {
  std::map<unsigned long, int> errors;  // errno by request; the others succeed
  const IoctlCall device = [&errors](unsigned long request, void* argument) {
    const auto failure = errors.find(request);
    errno = failure == errors.end() ? 0 : failure->second;
    // Counters and queue are left at zero; only the line word is written.
    if (request == TIOCMGET) *static_cast<int*>(argument) = TIOCM_CTS | TIOCM_CAR;
    return errno == 0 ? 0 : -1;
  };
  LineSnapshot s;
  int32_t error = 0;
  errors = {{TIOCMGET, ENOTTY}, {TIOCGICOUNT, ENOTTY}};  // as a pseudo-terminal answers
  ASSERT_TRUE(ReadLineSnapshot(device, s, error));
  EXPECT_TRUE(!s.hasLines && !s.hasCounters && s.hasOutQueue);
  errors = {{TIOCGICOUNT, EINVAL}, {TIOCOUTQ, EOPNOTSUPP}};
  ASSERT_TRUE(ReadLineSnapshot(device, s, error));
  EXPECT_TRUE(s.hasLines && s.cts && !s.dsr && s.rlsd && !s.ring && !s.hasCounters && !s.hasOutQueue);
  for (unsigned long request : {TIOCMGET, TIOCGICOUNT, TIOCOUTQ}) {
    SCOPED_TRACE(request);
    errors = {{request, EIO}};
    EXPECT_FALSE(ReadLineSnapshot(device, s, error));
    EXPECT_EQ(error, EIO);
  }
  EXPECT_EQ(ModemStatusFromLines(TIOCM_CTS | TIOCM_CAR | TIOCM_RNG), kMsCtsOn | kMsRlsdOn | kMsRingOn);
}

}  // namespace
