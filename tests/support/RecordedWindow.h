#pragma once

#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main.h"
#include "serial/SerialPlatform.h"
#include "tests/support/FakeSerialPlatform.h"
#include "tests/support/RecordingPrompts.h"

namespace support {

/// The main window as the program builds it, on `platform`, with its prompts
/// recorded instead of shown. `clock` is the window's clock and `logWrite`
/// the write call of its log; empty: the system's. Start-up ends with the constructor: FormShow is left to the
/// caller. Needs a QApplication.
class RecordedWindow {
 public:
  explicit RecordedWindow(std::unique_ptr<comm::SerialPlatform> platform, std::function<std::time_t()> clock = {},
                          logbook::LogWriter::WriteFunction logWrite = {});

  TfMain& Window() { return *m_window; }
  RecordingPrompts& Prompts() { return *m_prompts; }

  /// Picks the port list entry "COM<port>" as the user would.
  void PickPort(int port);
  /// The status bar's last panel, where the port and the log say how they stand.
  std::string Notice() const;
  /// One notification of received data, as the serial component delivers
  /// it: a failure that escapes the handler goes to the window's report.
  void ReceiveOnce();

 private:
  RecordingPrompts* m_prompts = nullptr;
  std::unique_ptr<TfMain> m_window;
};

/// The window on the system's serial layer with `devices` as COM1, COM2, ...
/// and nothing else looked up, started as the program starts it (ports
/// listed, the first opened). The statistics tick is stopped: tests run it.
RecordedWindow StartOnDevices(std::vector<std::string> devices);

/// As StartOnDevices, on the scripted ports of `ports`, with `clock` as the
/// window's clock (empty: the system's).
RecordedWindow StartOnFake(std::shared_ptr<FakeSerialState> ports, std::function<std::time_t()> clock = {});

}  // namespace support
