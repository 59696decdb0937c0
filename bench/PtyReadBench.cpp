// ReadString over a pseudo-terminal, with as many bytes waiting as one call
// may take (RxQueueSize 256 + 1): how many bytes each system call moves.
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include "acquisition/FrameFormat.h"
#include "bench/Figures.h"
#include "bench/SyscallCounter.h"
#include "serial/Serial5.h"
#include "tests/support/ManualPoster.h"
#include "tests/support/PtyPair.h"
#include "tests/support/SystemPorts.h"

namespace {

constexpr uint16_t kRxQueueSize = 256;
constexpr size_t kWaiting = kRxQueueSize + 1;
constexpr double kFrameBytes = acq::kMaxFrameBytes;

/// The serial component as the window configures it, on `device` as COM1.
/// Nothing pumps its poster: the event thread's first notification parks it
/// until the close, so only the reads measured here take bytes off the port.
std::unique_ptr<TSerial> OpenSerial(const std::string& device) {
  auto serial = std::make_unique<TSerial>(support::SystemPorts({device}), std::make_shared<support::ManualPoster>());
  serial->SetNotifyErrors(neNone);
  serial->SetRxQueueSize(kRxQueueSize);
  serial->SetBaudrate(115200);
  serial->SetDataBits(d8bit);
  serial->SetCheckParity(false);
  serial->SetPort(1);
  serial->SetActive(true);
  return serial;
}

void ReadStringOverPty(benchmark::State& state) {
  support::PtyPair pty;
  if (!pty.IsOpen()) return state.SkipWithError("no pseudo-terminal");
  std::unique_ptr<TSerial> serial = OpenSerial(pty.Path());
  if (!serial->Active()) return state.SkipWithError("the pseudo-terminal did not open as COM1");

  const std::string waiting(kWaiting, '\x5A');
  std::string text;
  bench::SyscallCounter syscalls;
  if (!syscalls.Usable()) return state.SkipWithError("system calls cannot be counted here");
  uint64_t bytes = 0;
  for (auto _ : state) {
    const auto queued = [&serial] { return static_cast<size_t>(serial->RxWaiting()) >= kWaiting; };
    if (!pty.WriteAll(waiting) || !support::WaitUntil(queued, support::kPatience, [] { std::this_thread::yield(); })) {
      return state.SkipWithError("the pseudo-terminal did not pass the bytes on");
    }
    const auto start = std::chrono::steady_clock::now();
    syscalls.Start();
    const int32_t got = serial->ReadString(text);
    syscalls.Stop();
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    bytes += static_cast<uint64_t>(got);
  }
  if (bytes != kWaiting * state.iterations()) return state.SkipWithError("a read took fewer bytes than were waiting");

  const double calls = static_cast<double>(syscalls.Count());
  state.counters[bench::kBytesPerSyscall] = calls > 0 ? static_cast<double>(bytes) / calls : 0;
  state.counters[bench::kBytesPerCall] = static_cast<double>(bytes) / static_cast<double>(state.iterations());
  state.counters[bench::kBytesPerSecond] = benchmark::Counter(static_cast<double>(bytes), benchmark::Counter::kIsRate);
  state.counters[bench::kNominalBytesPerSecond] = bench::kNominalFramesPerSecond * kFrameBytes;
  const std::string counted = syscalls.Method() == "system calls" ? "" : " (only " + syscalls.Method() + " counted)";
  state.SetLabel("ReadString over a pseudo-terminal, " + std::to_string(kWaiting) + " bytes waiting" + counted);
}

}  // namespace

BENCHMARK(ReadStringOverPty)->UseManualTime()->Unit(benchmark::kMicrosecond);
