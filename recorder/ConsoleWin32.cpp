#include <windows.h>

#include <atomic>

#include "recorder/Console.h"

namespace rec {

namespace {

// How long a console that is closing, or a session that ends, may wait for
// the last line to be written and the file closed.
constexpr DWORD kCloseGraceMs = 5000;

std::atomic<DWORD> g_event{0};
std::atomic<bool> g_requested{false};
HANDLE g_wake = nullptr;  ///< set when a stop is asked for; ends a sleep
HANDLE g_over = nullptr;  ///< set when the run is over

// Runs on a thread of the system's.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  g_event.store(event);
  g_requested.store(true);
  if (g_wake != nullptr) ::SetEvent(g_wake);
  // For these the process ends as soon as the handler returns.
  if ((event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) && g_over != nullptr) {
    ::WaitForSingleObject(g_over, kCloseGraceMs);
  }
  return TRUE;
}

}  // namespace

void InstallStopRequests() {
  g_wake = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_over = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

std::string StopRequest() {
  if (!g_requested.load()) return {};
  switch (g_event.load()) {
    case CTRL_C_EVENT:
      return "Ctrl+C";
    case CTRL_BREAK_EVENT:
      return "Ctrl+Break";
    case CTRL_CLOSE_EVENT:
      return "the console closing";
    case CTRL_LOGOFF_EVENT:
      return "logoff";
    case CTRL_SHUTDOWN_EVENT:
      return "shutdown";
    default:
      return "console event " + std::to_string(g_event.load());
  }
}

void SleepUnlessStopped(std::chrono::milliseconds span) {
  const auto ms = static_cast<DWORD>(span.count());
  if (g_wake == nullptr) {
    ::Sleep(ms);
    return;
  }
  ::WaitForSingleObject(g_wake, ms);
}

void RunOver() {
  if (g_over != nullptr) ::SetEvent(g_over);
}

int StderrTerminalColumns() {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!::GetConsoleScreenBufferInfo(::GetStdHandle(STD_ERROR_HANDLE), &info)) return 0;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

}  // namespace rec
