#include "tests/e2e/VirtualDisplay.h"

#include <X11/Xlib.h>

#include <vector>

#include "tests/support/Waiting.h"

namespace e2e {
namespace {

bool Answers(const std::string& number) {
  Display* display = XOpenDisplay((":" + number).c_str());
  if (display == nullptr) return false;
  XCloseDisplay(display);
  return true;
}

}  // namespace

VirtualDisplay::VirtualDisplay() {
  // Xvfb names its display once it listens there, but when it picked the
  // number of a server that is just going away it can still fail to lock it
  // and exit: only a display that answers counts, else a fresh server tries.
  for (int attempt = 0; attempt < 3 && m_number.empty(); ++attempt) {
    m_server = std::make_unique<support::ChildProcess>(
        std::vector<std::string>{XVFB_BIN, "-displayfd", "1", "-screen", "0", "800x700x24", "-nolisten", "tcp"});
    const std::string number = m_server->ReadLine(support::kPatience);
    if (!number.empty() && Answers(number)) m_number = number;
  }
}

}  // namespace e2e
