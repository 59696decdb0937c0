#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>

#include "RecordingPrompts.h"
#include "app/main.h"
#include "tests/fixtures/FakeSerialPlatform.h"

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
  void AddBusyPort(int port) { m_ports->AddPort(static_cast<uint8_t>(port), comm::kFakeAccessDenied); }

  TfMain& Create() {
    auto prompts = std::make_unique<RecordingPrompts>();
    m_prompts = prompts.get();
    TfMainDeps deps;
    deps.serialPlatform = std::make_unique<comm::FakeSerialPlatform>(m_ports);
    deps.prompts = std::move(prompts);
    deps.clock = [this] { return m_now; };
    m_window = std::make_unique<TfMain>(std::move(deps));
    return *m_window;
  }
  void DestroyWindow() { m_window.reset(); }

  RecordingPrompts& Prompts() { return *m_prompts; }
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
  size_t PendingBytes() const { return static_cast<size_t>(m_window->serial->RxWaiting()); }
  std::time_t Now() const { return m_now; }

  void ExpectLineSettings(uint32_t baud) const {
    const comm::Dcb dcb = m_ports->Snapshot().dcb;
    EXPECT_EQ(dcb.BaudRate, baud);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, comm::kNoParity);
    EXPECT_EQ(dcb.StopBits, comm::kOneStopBit);
    EXPECT_EQ(dcb.Flags, comm::kDcbBinary) << "no parity check, no handshake";
  }

 private:
  std::shared_ptr<comm::FakeSerialState> m_ports = std::make_shared<comm::FakeSerialState>();
  std::unique_ptr<TfMain> m_window;
  RecordingPrompts* m_prompts = nullptr;
  std::time_t m_now = 1796688000;  // a fixed moment, so log names are known
};

/// A window test run in an empty working directory of its own, where the
/// window looks for its logo file and writes its logs.
class WindowInScratchDirectoryTest : public WindowTest {
 protected:
  void SetUp() override {
    m_previous = std::filesystem::current_path();
    m_dir = std::filesystem::temp_directory_path() / ("dezidure-test-" + std::to_string(getpid()) + "-" +
                                                      testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directories(m_dir);
    std::filesystem::current_path(m_dir);
  }
  void TearDown() override {
    DestroyWindow();
    std::filesystem::current_path(m_previous);
    std::filesystem::remove_all(m_dir);
  }

 private:
  std::filesystem::path m_dir, m_previous;
};
