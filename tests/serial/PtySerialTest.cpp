#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "serial/PosixArbitraryRate.h"
#include "serial/Serial5.h"
#include "serial/SerialPosix.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ManualPoster.h"
#include "tests/support/ProcessUsage.h"
#include "tests/support/PtyPair.h"
#include "tests/support/SystemPorts.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

/// A close that finds the event thread waiting wakes it; one that does not
/// waits out this limit, in seconds.
constexpr double kCloseLimitSeconds = 0.75;

// A pseudo-terminal pair: the slave stands for the serial device, the master
// for the board at the other end. `serial` is a TSerial on the system
// platform with port 1 set to the slave, at 115200 baud, 8 data bits and a
// 256-byte queue, reporting errors by event.
class PtySerial : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.IsOpen()) << "no pseudo-terminal";
    serial = MakeSerial();
  }

  std::unique_ptr<TSerial> MakeSerial() {
    auto s = std::make_unique<TSerial>(support::SystemPorts({pty.Path()}), poster);
    s->SetBaudrate(115200);
    s->SetDataBits(d8bit);
    s->SetRxQueueSize(256);
    s->SetNotifyErrors(neEvent);
    s->OnError = [this](TSerial*) { ++errors; };
    return s;
  }

  /// Sends bytes from the board's side.
  void Send(const std::string& bytes) { ASSERT_TRUE(pty.WriteAll(bytes)); }

  support::PtyPair pty;
  std::shared_ptr<support::ManualPoster> poster = std::make_shared<support::ManualPoster>();
  std::unique_ptr<TSerial> serial;
  int errors = 0;
};

TEST_F(PtySerial, OpensExclusivelyAndAppliesTheLineSettingsButNoDtrDsrHandshake) {
  serial->SetActive(true);
  ASSERT_TRUE(serial->Active());
  EXPECT_EQ(errors, 0) << "missing modem lines on a pty must not count as errors";
  termios t{};
  ASSERT_EQ(::tcgetattr(pty.Slave(), &t), 0);
  EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t{CS8});
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(serial->DeviceName(1), pty.Path());

  for (int32_t rate : TSerial::BaudRates) {
    SCOPED_TRACE(rate);
    serial->SetBaudrate(rate);
    uint32_t output = 0;
    uint32_t input = 0;
    ASSERT_TRUE(comm::ReadLineRate(pty.Slave(), output, input));
    EXPECT_EQ(output, static_cast<uint32_t>(rate));
    EXPECT_EQ(input, static_cast<uint32_t>(rate));
  }
  EXPECT_EQ(errors, 0);

  serial->SetFlowMode(fcDTR_DSR);
  EXPECT_TRUE(serial->Active());
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(serial->ErrorCode(), ENOTSUP);

  std::unique_ptr<TSerial> other = MakeSerial();
  other->SetActive(true);
  EXPECT_FALSE(other->Active());
  EXPECT_EQ(other->ErrorCode(), EBUSY);
  serial->SetActive(false);
  other->SetActive(true);
  EXPECT_TRUE(other->Active());
}

TEST_F(PtySerial, ReceivedBytesReachRxDataOnTheMainThreadAndReadsNeverWait) {
  int calls = 0;
  bool onMainThread = true;
  const auto mainThread = std::this_thread::get_id();
  serial->OnRxData = [&](TSerial*) {
    ++calls;
    onMainThread = onMainThread && std::this_thread::get_id() == mainThread;
  };
  serial->SetActive(true);
  // Fifty reads of an empty port: a read that waited even 50 ms for data
  // would add up to seconds.
  const auto start = Clock::now();
  std::string text = "kept";
  uint8_t c = 0;
  for (int i = 0; i < 25; ++i) {
    EXPECT_EQ(serial->ReadString(text), 0);
    EXPECT_EQ(serial->ReadChar(c), 0);
  }
  EXPECT_EQ(text, "");
  EXPECT_LT(SecondsSince(start), 1.25) << "reads return at once when nothing arrived";

  std::string sent("hel\0lo", 6);
  Send(sent);
  ASSERT_TRUE(poster->PumpUntil([&] { return calls >= 1; }));
  const int afterFirst = calls;
  const double cpuBefore = support::ProcessCpuSeconds();
  poster->PumpFor(500ms);
  EXPECT_EQ(calls, afterFirst) << "no notification without new bytes";
  EXPECT_LT(support::ProcessCpuSeconds() - cpuBefore, 0.1) << "unread bytes must not make the thread spin";
  for (int i = 6; i < 300; ++i) sent.push_back(static_cast<char>('a' + i % 26));
  Send(sent.substr(6));
  EXPECT_TRUE(poster->PumpUntil([&] { return calls > afterFirst; })) << "a later arrival is still announced";
  EXPECT_TRUE(onMainThread);

  ASSERT_TRUE(support::WaitUntil([&] { return serial->RxWaiting() == 300; }));
  EXPECT_EQ(serial->ReadString(text), 257);
  EXPECT_EQ(text, sent.substr(0, 257));
  EXPECT_EQ(serial->RxWaiting(), 43);
  EXPECT_EQ(errors, 0);
}

TEST_F(PtySerial, ReopenAndCloseFindTheThreadWaitingAndWakeItAndEventsResume) {
  int calls = 0;
  serial->OnRxData = [&calls](TSerial*) { ++calls; };
  serial->SetActive(true);
  // Ten reopens and a close, each once the thread had time to reach its wait:
  // closes that waited out their limit would add up to over 8 s.
  constexpr int kCloses = 11;
  double closing = 0;
  for (int i = 0; i < kCloses; ++i) {
    poster->PumpFor(20ms);
    const auto start = Clock::now();
    serial->SetActive(i + 1 < kCloses);
    closing += SecondsSince(start);
  }
  EXPECT_LT(closing, kCloses * kCloseLimitSeconds / 2) << "closes waited for the thread";
  serial->SetActive(true);
  Send("x");
  EXPECT_TRUE(poster->PumpUntil([&] { return calls == 1; })) << "events resume on the reopened port";
  EXPECT_EQ(errors, 0);
}

TEST_F(PtySerial, HangUpIsReportedPerFailedWaitWithoutBusyLooping) {
  serial->SetActive(true);
  const auto start = Clock::now();
  const double cpuBefore = support::ProcessCpuSeconds();
  pty.HangUp();
  ASSERT_TRUE(poster->PumpUntil([&] { return errors >= 4; })) << "failed waits are reported";
  // Each failed wait is followed by a 100 ms pause.
  const double seconds = SecondsSince(start);
  EXPECT_LE(errors, seconds / 0.1 + 1) << "failed waits came faster than the pause allows";
  EXPECT_LT(support::ProcessCpuSeconds() - cpuBefore, 0.05 + 0.1 * seconds) << "a lost device makes the thread spin";
  EXPECT_EQ(serial->ErrorCode(), EIO);
  EXPECT_TRUE(serial->Active()) << "the owner decides whether to close";

  const int reported = errors;
  std::string text;
  EXPECT_EQ(serial->ReadString(text), 0);
  EXPECT_EQ(errors, reported + 1) << "reading a hung-up line is a failure, not an empty read";
  serial->SetActive(false);
}

// What the user is told when a port does not open, for the failures a desk
// sees: a missing device, a file that is no terminal, a port another program
// holds; and a second reader named after an open that succeeded.
TEST_F(PtySerial, FailedOpensSayWhyAndOtherReadersAreNamed) {
  comm::PosixSerialPlatform platform;
  auto outcome = [&platform](const std::string& device) {
    if (!platform.Open(device)) return platform.OpenFailureText(device, comm::SerialPlatform::LastError());
    platform.Close();
    return std::string("opened");
  };
  EXPECT_EQ(outcome("/dev/serial/by-id/usb-unplugged-if00"), "not present");
  char file[] = "/tmp/dezidure-not-a-tty-XXXXXX";
  const int fd = ::mkstemp(file);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(outcome(file), "not a serial device");
  ::close(fd);
  ::unlink(file);

  const std::string slave = pty.Path();
  {
    support::ChildProcess holder([&slave] {
      ::prctl(PR_SET_NAME, "holder");
      // Never released: the child holds the port until it is killed.
      auto* own = new comm::PosixSerialPlatform;
      return std::string(own->Open(slave) ? "ready" : "failed");
    });
    ASSERT_EQ(holder.ReadLine(support::kPatience), "ready");
    EXPECT_EQ(outcome(slave), "in use by another program (holder, pid " + std::to_string(holder.Pid()) + ")");
    EXPECT_FALSE(platform.Available(slave)) << "a port another program holds is in use";
  }
  support::ChildProcess reader([&slave] {
    ::prctl(PR_SET_NAME, "reader");
    return std::string(::open(slave.c_str(), O_RDONLY | O_NOCTTY) >= 0 ? "ready" : "failed");
  });
  ASSERT_EQ(reader.ReadLine(support::kPatience), "ready");
  EXPECT_FALSE(platform.Available(slave)) << "so is one another program merely reads";
  ASSERT_TRUE(platform.Open(slave)) << "a reader without a lock does not keep the port from opening";
  EXPECT_EQ(comm::HoldersText(platform.OtherHolders(slave)), "reader, pid " + std::to_string(reader.Pid()));
  EXPECT_FALSE(platform.Available(slave)) << "the open port counts as in use";
}

// The program at a pseudo-terminal's other end (a simulated board) holds its
// slave too, to keep the line up; it writes to the port and takes nothing.
TEST_F(PtySerial, TheFarEndOfAPseudoTerminalIsNoOtherReader) {
  support::ChildProcess board([] {
    ::prctl(PR_SET_NAME, "board");
    // Never released: the child holds both sides until it is killed.
    auto* pair = new support::PtyPair;
    return pair->IsOpen() ? pair->Path() : std::string("failed");
  });
  const std::string slave = board.ReadLine(support::kPatience);
  ASSERT_EQ(slave.rfind("/dev/pts/", 0), 0u) << slave;
  comm::PosixSerialPlatform platform;
  EXPECT_TRUE(platform.OtherHolders(slave).empty());
  EXPECT_TRUE(platform.Available(slave));
}

TEST_F(PtySerial, APermissionFailureNamesTheGroupTheDeviceBelongsTo) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to hand the device to another group and to drop to nobody";
  const group* uucp = ::getgrnam("uucp");
  const passwd* nobody = ::getpwnam("nobody");
  if (uucp == nullptr || nobody == nullptr) GTEST_SKIP() << "no group uucp or no user nobody here";
  ASSERT_EQ(::chown(pty.Path().c_str(), 0, uucp->gr_gid), 0);
  ASSERT_EQ(::chmod(pty.Path().c_str(), 0660), 0);
  const uid_t uid = nobody->pw_uid;
  const gid_t gid = nobody->pw_gid;
  const std::string slave = pty.Path();
  support::ChildProcess user([&] {
    if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) return std::string("still root");
    comm::PosixSerialPlatform platform;
    if (platform.Open(slave)) return std::string("opened");
    return platform.OpenFailureText(slave, comm::SerialPlatform::LastError());
  });
  EXPECT_EQ(user.ReadLine(support::kPatience),
            "permission denied: the device belongs to group 'uucp'; add yourself with 'sudo usermod -aG uucp $USER' "
            "and log in again");
}

}  // namespace
