#include <windows.h>

#include <QMetaObject>
#include <QPointer>
#include <QWidget>
#include <atomic>

#include "app/TerminationSignals.h"

namespace app {

namespace {

QPointer<QWidget> g_window;
std::atomic<bool> g_closed{false};

// How long a console that is closing, or a session that ends, may wait for
// the log to be closed and the port released.
constexpr DWORD kCloseGraceMs = 5000;
constexpr DWORD kPollMs = 20;

// Runs on a thread of the system's: the close itself is posted to the window's thread.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  QWidget* window = g_window.data();
  if (window == nullptr) return FALSE;
  QMetaObject::invokeMethod(window, "close", Qt::QueuedConnection);
  // For these the process ends as soon as the handler returns.
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    for (DWORD waited = 0; waited < kCloseGraceMs && !g_closed; waited += kPollMs) ::Sleep(kPollMs);
  }
  return TRUE;
}

}  // namespace

void CloseOnTerminationSignals(QWidget& window) {
  g_window = &window;
  QObject::connect(&window, &QObject::destroyed, [] { g_closed = true; });
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

}  // namespace app
