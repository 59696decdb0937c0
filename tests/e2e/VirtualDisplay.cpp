#include "tests/e2e/VirtualDisplay.h"

#include <X11/Xlib.h>
#include <sys/socket.h>

#include <chrono>
#include <vector>

#include "tests/support/Waiting.h"

namespace e2e {
namespace {

/// The process of the server that answers X clients on display `number`, by
/// the credentials of the local socket it accepted on; -1 when none answers.
/// (Started with -displayfd, Xvfb writes no lock file to tell it by.)
long ServerAnswering(const std::string& number) {
  Display* display = XOpenDisplay((":" + number).c_str());
  if (display == nullptr) return -1;
  ucred peer{};
  socklen_t size = sizeof peer;
  const bool known = getsockopt(ConnectionNumber(display), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0;
  XCloseDisplay(display);
  return known ? peer.pid : -1;
}

}  // namespace

VirtualDisplay::VirtualDisplay() {
  // Xvfb names its display once it listens there, but when it picked the
  // number of a server that is just going away (another suite's, say) it can
  // fail to take it and exit while the old one still answers: only a display
  // that our own server answers on counts, else a fresh server tries.
  // -noreset: our probe is the server's first client, and a server that
  // resets when its last client leaves refused the program that came next.
  for (int attempt = 0; attempt < 3 && m_number.empty(); ++attempt) {
    m_server = std::make_unique<support::ChildProcess>(std::vector<std::string>{
        XVFB_BIN, "-displayfd", "1", "-screen", "0", "800x700x24", "-nolisten", "tcp", "-noreset"});
    const std::string number = m_server->ReadLine(support::kPatience);
    const std::string refusal = number.empty() ? "Xvfb named no display" : Refusal(number);
    if (refusal.empty()) {
      m_number = number;
      m_failure.clear();
    } else {
      m_failure += (m_failure.empty() ? "" : "; ") + refusal;
    }
  }
}

std::string VirtualDisplay::Refusal(const std::string& number) {
  const long server = ServerAnswering(number);
  if (server == -1) return "no server answers on :" + number;
  if (server != m_server->Pid()) {
    return ":" + number + " is answered by process " + std::to_string(server) + ", not by our Xvfb (" +
           std::to_string(m_server->Pid()) + ")";
  }
  // Still running after it answered: the program to be started finds it there.
  int status = 0;
  if (m_server->WaitExit(std::chrono::milliseconds(0), status)) {
    return "our Xvfb ended after naming :" + number + " (status " + std::to_string(status) + ")";
  }
  return {};
}

}  // namespace e2e
