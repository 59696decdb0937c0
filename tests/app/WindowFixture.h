#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <initializer_list>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/main.h"
#include "tests/support/FakeSerialPlatform.h"
#include "tests/support/RecordedWindow.h"
#include "tests/support/ScratchDirectory.h"

/// Failed expectations show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

/// Bytes given as numbers, as the board sends them.
inline std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes.push_back(static_cast<char>(v));
  return bytes;
}

/// A window on scripted serial ports, with recorded message boxes and beeps
/// and a fixed clock.
class WindowTest : public testing::Test {
 protected:
  void TearDown() override { DestroyWindow(); }

  void AddPorts(std::initializer_list<int> ports) {
    for (int port : ports) m_ports->AddPort(static_cast<uint8_t>(port));
  }
  void AddBusyPort(int port) { m_ports->AddPort(static_cast<uint8_t>(port), support::kFakeAccessDenied); }
  /// The port's device goes away, as an adapter pulled out.
  void RemovePort(int port) { m_ports->RemovePort(static_cast<uint8_t>(port)); }
  /// The next call of `op` ("PurgeComm", ...) fails with `code`.
  void FailNext(const std::string& op, int32_t code) { m_ports->FailNext(op, code); }
  void SetHolders(int port, std::vector<comm::DeviceHolder> holders) {
    m_ports->SetHolders(static_cast<uint8_t>(port), std::move(holders));
  }

  TfMain& Create() {
    m_window = std::make_unique<support::RecordedWindow>(
        std::make_unique<support::FakeSerialPlatform>(m_ports), [this] { return m_now; }, m_logWrite);
    return m_window->Window();
  }
  void DestroyWindow() { m_window.reset(); }

  support::RecordingPrompts& Prompts() { return m_window->Prompts(); }
  /// Feeds the bytes and lets the window read until the port holds none.
  void Receive(TfMain& w, const std::string& bytes) {
    Feed(bytes);
    do {
      w.serialRxData(w.serial.get());
    } while (PendingBytes() > 0);
  }
  int OpenCount() const { return m_ports->Snapshot().openCount; }
  void Feed(const std::string& bytes) { m_ports->Feed(bytes); }
  /// Bytes the port still holds for the window, queued or buffered.
  size_t PendingBytes() const { return static_cast<size_t>(m_window->Window().serial->RxWaiting()); }
  std::time_t Now() const { return m_now; }
  /// The write call the next window's log uses; unset: the system's.
  void SetLogWrite(logbook::LogWriter::WriteFunction write) { m_logWrite = std::move(write); }
  std::string Notice() const { return m_window->Notice(); }

  void ExpectLineSettings(uint32_t baud) const {
    const comm::Dcb dcb = m_ports->Snapshot().dcb;
    EXPECT_EQ(dcb.BaudRate, baud);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, comm::kNoParity);
    EXPECT_EQ(dcb.StopBits, comm::kOneStopBit);
    EXPECT_EQ(dcb.Flags, comm::kDcbBinary) << "no parity check, no handshake";
  }

 private:
  std::shared_ptr<support::FakeSerialState> m_ports = std::make_shared<support::FakeSerialState>();
  std::unique_ptr<support::RecordedWindow> m_window;
  std::time_t m_now = 1796688000;  // a fixed moment, so log names are known
  logbook::LogWriter::WriteFunction m_logWrite;
};

/// A window test run in an empty working directory of its own, where the
/// window looks for its logo file and writes its logs.
class WindowInScratchDirectoryTest : public WindowTest {
 protected:
  void SetUp() override { m_directory.emplace(); }
  void TearDown() override {
    DestroyWindow();
    m_directory.reset();
  }

 private:
  std::optional<support::ScratchDirectory> m_directory;
};
