#pragma once

#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "app/WindowPrompts.h"
#include "app/main.h"
#include "bench/StreamPort.h"

namespace bench {

/// Counts message boxes and beeps instead of showing them, so nothing blocks.
class CountingPrompts final : public app::WindowPrompts {
 public:
  void ErrorBox(QWidget*, const QString&, const QString&) override { ++m_boxes; }
  void MessageBeep() override { ++m_beeps; }
  void Tell(const QString&) override {}
  int Boxes() const { return m_boxes; }
  int Beeps() const { return m_beeps; }

 private:
  int m_boxes = 0;
  int m_beeps = 0;
};

/// The main window as the program builds it, on a StreamPort as COM1 (opened
/// by the start-up port probe), with counted prompts. Needs a QApplication.
class StreamWindow {
 public:
  /// `loop`: see StreamPort; `clock`: the window's clock, empty for the system's.
  explicit StreamWindow(std::string loop = {}, std::function<std::time_t()> clock = {});

  TfMain& Window() { return *m_window; }
  StreamPort& Port() { return *m_port; }
  const CountingPrompts& Prompts() const { return *m_prompts; }

  /// Turns on the DC and AC traces of all eight channels.
  void EnableAllTraces();

  /// One notification of received data, as the serial component delivers it:
  /// a failure that escapes the handler goes to the window's failure report.
  void ReceiveOnce();

 private:
  StreamPort* m_port = nullptr;
  CountingPrompts* m_prompts = nullptr;
  std::unique_ptr<TfMain> m_window;
};

/// `frames` consecutive frames of the simulated board (fixed seed), as sent.
std::string BoardStream(int channels, bool temperatures, int frames);

}  // namespace bench
