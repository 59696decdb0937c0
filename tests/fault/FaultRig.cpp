#include "tests/fault/FaultRig.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <pty.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

#include "serial/SerialPosix.h"
#include "tools/FrameGenerator.h"

namespace fault {

Pty::Pty() {
  termios raw{};
  cfmakeraw(&raw);
  char name[256] = {};
  if (openpty(&m_master, &m_slave, name, &raw, nullptr) != 0) {
    m_master = m_slave = -1;
    return;
  }
  m_path = name;
  fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
}

Pty::~Pty() {
  HangUp();
  if (m_slave >= 0) close(m_slave);
}

size_t Pty::WriteSome(const std::string& bytes) {
  if (m_master < 0 || bytes.empty()) return 0;
  const ssize_t n = write(m_master, bytes.data(), bytes.size());
  return n > 0 ? static_cast<size_t>(n) : 0;
}

void Pty::HangUp() {
  if (m_master >= 0) close(m_master);
  m_master = -1;
}

WindowOnPorts::WindowOnPorts(const std::vector<std::string>& devices, std::function<std::time_t()> clock) {
  comm::PortEnvironment environment;
  environment.getEnv = [devices](const std::string& name) -> std::optional<std::string> {
    for (size_t i = 0; i < devices.size(); ++i) {
      if (name == "DEZIDURE_COM" + std::to_string(i + 1)) return devices[i];
    }
    return std::nullopt;
  };
  auto prompts = std::make_unique<RecordedPrompts>();
  m_prompts = prompts.get();
  TfMainDeps deps;
  deps.serialPlatform = std::make_unique<comm::PosixSerialPlatform>(environment);
  deps.prompts = std::move(prompts);
  deps.clock = std::move(clock);
  m_window = std::make_unique<TfMain>(std::move(deps));
  m_window->Timer2->stop();
  m_window->FormShow();
}

void WindowOnPorts::PickPort(int port) {
  QComboBox* list = m_window->ComboBoxPort;
  const int index = list->findText(QStringLiteral("COM%1").arg(port));
  list->setCurrentIndex(index);
  emit list->activated(index);
}

ScratchDirectory::ScratchDirectory() : m_previous(std::filesystem::current_path()) {
  std::string pattern = (std::filesystem::temp_directory_path() / "dezidure-fault-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::system_error(errno, std::generic_category(), "mkdtemp");
  }
  m_path = pattern;
  std::filesystem::current_path(m_path);
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ignored;
  std::filesystem::current_path(m_previous, ignored);
  std::filesystem::remove_all(m_path, ignored);
}

void RunEventsFor(std::chrono::milliseconds duration) {
  QEventLoop loop;
  QTimer::singleShot(duration, &loop, &QEventLoop::quit);
  loop.exec();
}

bool RunEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done() || std::chrono::steady_clock::now() >= deadline) loop.quit();
  });
  poll.start(5);
  if (!done()) loop.exec();
  return done();
}

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

long long ResidentBytes() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      long long kib = 0;
      status >> kib;
      return kib * 1024;
    }
    status.ignore(1 << 12, '\n');
  }
  return 0;
}

std::string BoardFrames(int count, uint64_t seed) {
  sim::BoardConfig board;
  board.channels = 8;
  board.temperatures = true;
  board.seed = seed;
  sim::FrameGenerator generator(board);
  std::string bytes;
  for (int i = 0; i < count; ++i) bytes += generator.Next().bytes;
  return bytes;
}

}  // namespace fault
