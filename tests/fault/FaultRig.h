#pragma once

#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/WindowPrompts.h"
#include "app/main.h"

namespace fault {

/// Both sides of a raw pseudo-terminal. The master is non-blocking; the slave
/// stays open here as well, so the program opening and closing it never hangs
/// up the line by itself. Closed when the object goes.
class Pty {
 public:
  Pty();
  ~Pty();
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  bool IsOpen() const { return m_master >= 0; }
  const std::string& Path() const { return m_path; }
  int Master() const { return m_master; }
  /// Writes as much of `bytes` as the terminal takes now; returns that count.
  size_t WriteSome(const std::string& bytes);
  /// Closes the master: the reader's side hangs up.
  void HangUp();

 private:
  int m_master = -1;
  int m_slave = -1;
  std::string m_path;
};

/// Records message boxes and beeps instead of showing them.
class RecordedPrompts final : public app::WindowPrompts {
 public:
  void ErrorBox(QWidget*, const QString&, const QString& text) override { boxes.push_back(text.toStdString()); }
  void MessageBeep() override { ++beeps; }
  void Tell(const QString&) override {}
  std::vector<std::string> boxes;
  int beeps = 0;
};

/// The main window on the system's serial layer, with the given devices as
/// COM1, COM2, ... and nothing else looked up or probed. Started as the
/// program starts it (ports listed, COM1 opened); the 5-second statistics tick
/// is left to the test. `clock` empty: the system clock.
class WindowOnPorts {
 public:
  explicit WindowOnPorts(const std::vector<std::string>& devices, std::function<std::time_t()> clock = {});
  TfMain& Window() { return *m_window; }
  const RecordedPrompts& Prompts() const { return *m_prompts; }
  /// Picks the port list entry "COM<port>" as the user would.
  void PickPort(int port);

 private:
  RecordedPrompts* m_prompts = nullptr;
  std::unique_ptr<TfMain> m_window;
};

/// A fresh directory made the current one while the object lives (the log
/// is written to the current directory); removed afterwards.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  const std::filesystem::path& Path() const { return m_path; }

 private:
  std::filesystem::path m_previous;
  std::filesystem::path m_path;
};

/// Runs the event loop for `duration`, sleeping while there is nothing to do.
void RunEventsFor(std::chrono::milliseconds duration);
/// Runs the event loop until `done` holds (tested every 5 ms) or `limit` has
/// passed; returns the last result of `done`.
bool RunEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

/// CPU time (user + system) used so far by this process, all threads.
double ProcessCpuSeconds();
/// Resident memory of this process in bytes; 0 if it cannot be read.
long long ResidentBytes();

/// `count` frames of the simulated board (8 channels with temperatures), as sent.
std::string BoardFrames(int count, uint64_t seed = 1);

}  // namespace fault
