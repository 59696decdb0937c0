// Random bytes as fast as the reader takes them, with the log on: no crash,
// the receive buffer never holds more than a partial frame, and the resident
// memory stays flat.
#include <gtest/gtest.h>
#include <poll.h>

#include <QCheckBox>
#include <QTimer>
#include <atomic>
#include <random>
#include <thread>

#include "acquisition/FrameFormat.h"
#include "tests/support/ProcessUsage.h"
#include "tests/support/PtyRig.h"

namespace {

using namespace std::chrono_literals;

constexpr size_t kMaxLeftover = acq::kMaxFrameBytes - 1;
/// AddressSanitizer keeps freed blocks in quarantine, so there resident memory
/// grows with allocation churn alone; its leak check covers that build instead.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kResidentMemoryTellsLeaks = false;
#else
constexpr bool kResidentMemoryTellsLeaks = true;
#endif
/// Bytes read before the memory is first measured: buffers, caches and the
/// allocator settle.
constexpr uint64_t kWarmUpBytes = 1 << 20;
/// Bytes read between the two measurements; fewer where memory tells nothing.
constexpr uint64_t kMeasuredBytes = kResidentMemoryTellsLeaks ? 8 << 20 : 1 << 20;
/// Growth allowed after warm-up: allocator noise, far below what a leak of
/// even one byte per received byte would add.
constexpr long long kMaxGrowthBytes = 6LL << 20;

/// Writes random bytes into the pseudo-terminal until stopped.
class RandomWriter {
 public:
  explicit RandomWriter(support::PtyPair& pty) : m_thread([this, &pty] { Run(pty); }) {}
  ~RandomWriter() { Stop(); }
  void Stop() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
  }
  uint64_t Written() const { return m_written; }

 private:
  void Run(support::PtyPair& pty) {
    std::mt19937_64 random(20261207);
    std::string block(4096, '\0');
    while (!m_stop) {
      for (char& c : block) c = static_cast<char>(random());
      size_t at = 0;
      while (at < block.size() && !m_stop) {
        pollfd out{pty.Master(), POLLOUT, 0};
        if (poll(&out, 1, 100) <= 0) continue;
        const size_t n = pty.WriteSome(block.substr(at));
        at += n;
        m_written += n;
      }
    }
  }

  std::atomic<bool> m_stop{false};
  std::atomic<uint64_t> m_written{0};
  std::thread m_thread;
};

TEST(RandomFlood, AFloodAtFullSpeedKeepsTheBufferSmallAndMemoryFlat) {
  support::PtyRig rig;
  TfMain& w = rig.window.Window();
  ASSERT_TRUE(w.serial->Active()) << "COM1 did not open";
  rig.StartLog();

  size_t largestLeftover = 0;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] { largestLeftover = std::max(largestLeftover, w.RxBuffer.size()); });
  watch.start(1);

  RandomWriter writer(rig.pty);
  const auto readPast = [&](uint64_t bytes) {
    return support::RunEventsUntil([&] { return writer.Written() >= bytes; }, 60s);
  };
  ASSERT_TRUE(readPast(kWarmUpBytes)) << "the stream stalled";
  const long long warm = support::ResidentBytes();
  ASSERT_TRUE(readPast(writer.Written() + kMeasuredBytes)) << "the stream stalled";
  const long long end = support::ResidentBytes();
  writer.Stop();

  EXPECT_GT(w.SampleCount, 0) << "random bytes should hold some valid frames";
  EXPECT_LE(largestLeftover, kMaxLeftover);
  if (kResidentMemoryTellsLeaks) {
    EXPECT_LT(end - warm, kMaxGrowthBytes) << "resident memory grew from " << warm << " to " << end << " bytes";
  }
  EXPECT_TRUE(w.CheckBoxLog->isChecked()) << "the log stopped";
}

}  // namespace
