#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <chrono>
#include <memory>
#include <string>

#include "tools/ScopeOnScreen.h"

namespace watch {

/// Grabs of an X server's screen, as it shows them: the whole screen once, to
/// find a region, then that region many times a second through shared memory,
/// so a grab costs the server a copy and the socket nothing.
class XScreenGrab {
 public:
  /// Connects to $DISPLAY; null with the reason in `error` on failure.
  static std::unique_ptr<XScreenGrab> Open(std::string& error);
  ~XScreenGrab();
  XScreenGrab(const XScreenGrab&) = delete;
  XScreenGrab& operator=(const XScreenGrab&) = delete;

  /// The whole screen; valid until the next GrabScreen. Empty on failure.
  Picture GrabScreen();

  /// Prepares GrabRegion for `region`; false with the reason in `error`.
  bool SelectRegion(const ScreenRect& region, std::string& error);

  /// The selected region as the screen shows it now; valid until the next
  /// GrabRegion. Empty on failure.
  Picture GrabRegion();

  /// Covers `region` with a window of our own for `duration`, then takes it
  /// away: the server asks the windows below to repaint what it uncovered.
  void CoverAndUncover(const ScreenRect& region, std::chrono::milliseconds duration);

 private:
  explicit XScreenGrab(Display* display) : m_display(display) {}
  void ReleaseRegion();

  Display* m_display = nullptr;
  XImage* m_screen = nullptr;
  XImage* m_region = nullptr;
  XShmSegmentInfo m_shm{};
  ScreenRect m_rect;
};

}  // namespace watch
