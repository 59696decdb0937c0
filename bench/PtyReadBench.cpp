// ReadString over a pseudo-terminal, with as many bytes waiting as one call
// may take (RxQueueSize 256 + 1): how many bytes each system call moves.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <thread>

#include "bench/Figures.h"
#include "bench/SyscallCounter.h"
#include "serial/Serial5.h"
#include "serial/SerialPosix.h"

namespace {

constexpr uint16_t kRxQueueSize = 256;
constexpr size_t kWaiting = kRxQueueSize + 1;
/// Bytes of one eight-channel frame with temperatures.
constexpr double kFrameBytes = 27;

/// Runs handed-off notifications on the calling thread; nothing is bound, so
/// the component's event thread never needs the main loop.
class InlinePoster final : public comm::MainThreadPoster {
 public:
  void Post(std::function<void()> fn) override { fn(); }
};

/// Both sides of a raw pseudo-terminal, closed when it goes.
class Pty {
 public:
  Pty() {
    termios raw{};
    cfmakeraw(&raw);
    char name[256] = {};
    if (openpty(&m_master, &m_slave, name, &raw, nullptr) == 0) m_path = name;
  }
  ~Pty() {
    if (m_master >= 0) close(m_master);
    if (m_slave >= 0) close(m_slave);
  }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  int Master() const { return m_master; }
  const std::string& Path() const { return m_path; }

 private:
  int m_master = -1;
  int m_slave = -1;
  std::string m_path;
};

/// The serial component as the window configures it, on `device` as COM1;
/// nothing else is looked up or probed.
std::unique_ptr<TSerial> OpenSerial(const std::string& device) {
  comm::PortEnvironment environment;
  environment.getEnv = [device](const std::string& name) -> std::optional<std::string> {
    if (name == "DEZIDURE_COM1") return device;
    return std::nullopt;
  };
  auto serial = std::make_unique<TSerial>(std::make_unique<comm::PosixSerialPlatform>(environment),
                                          std::make_shared<InlinePoster>());
  serial->SetNotifyErrors(neNone);
  serial->SetRxQueueSize(kRxQueueSize);
  serial->SetBaudrate(115200);
  serial->SetDataBits(d8bit);
  serial->SetCheckParity(false);
  serial->SetPort(1);
  serial->SetActive(true);
  return serial;
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n <= 0) return false;
    written += static_cast<size_t>(n);
  }
  return true;
}

/// Waits until the terminal has passed `count` bytes to the reader's queue.
bool WaitForQueued(TSerial& serial, size_t count) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (static_cast<size_t>(serial.RxWaiting()) < count) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

void ReadStringOverPty(benchmark::State& state) {
  Pty pty;
  if (pty.Path().empty()) return state.SkipWithError("no pseudo-terminal");
  std::unique_ptr<TSerial> serial = OpenSerial(pty.Path());
  if (!serial->Active()) return state.SkipWithError("the pseudo-terminal did not open as COM1");

  const std::string waiting(kWaiting, '\x5A');
  std::string text;
  bench::SyscallCounter syscalls;
  if (!syscalls.Usable()) return state.SkipWithError("system calls cannot be counted here");
  uint64_t bytes = 0;
  for (auto _ : state) {
    if (!WriteAll(pty.Master(), waiting) || !WaitForQueued(*serial, kWaiting)) {
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
