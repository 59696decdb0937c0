// The board's end of the line for the Windows serial tests under wine: a
// pseudo-terminal whose slave a stable symbolic link names (wine's COM1 points
// at the link), driven by commands that the Windows test writes as files.
//
//   dezidure-pty-feeder LINK STATE_FILE COMMAND_DIR
//
// The test writes "NUMBER COMMAND" to COMMAND_DIR/command (through a rename,
// so it is never seen half written); the feeder runs it, removes it and
// writes the same line to COMMAND_DIR/done (for frames at once, so the test
// can read while they are sent). Commands:
//   frames SEED COUNT CHANNELS [BYTES]
//                                the simulated board's frames, with temperatures;
//                                only their first BYTES bytes when given
//   lines BITS                   the input lines (TIOCM_* bits) the driver reports
//   break                        a received break
//   hangup                       closes the board's end, as an unplugged adapter
//   reopen                       a fresh line behind the same link
// STATE_FILE holds the input lines and transition counters for the preloaded
// library that answers the modem requests (ModemLinesPreload.cpp).
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/BoardFrames.h"

namespace {

namespace fs = std::filesystem;

struct Lines {
  int bits = 0;
  int cts = 0, dsr = 0, rng = 0, dcd = 0, brk = 0;
};

class Feeder {
 public:
  Feeder(fs::path link, fs::path state) : m_link(std::move(link)), m_state(std::move(state)) {}
  ~Feeder() { HangUp(); }

  bool Reopen() {
    HangUp();
    int slave = -1;
    char name[128] = {};
    if (::openpty(&m_master, &slave, name, nullptr, nullptr) != 0) return false;
    termios raw{};
    ::tcgetattr(m_master, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(m_master, TCSANOW, &raw);
    ::close(slave);
    const fs::path temporary = m_link.string() + ".new";
    fs::remove(temporary);
    fs::create_symlink(name, temporary);
    fs::rename(temporary, m_link);
    return WriteState();
  }

  void HangUp() {
    if (m_master >= 0) ::close(m_master);
    m_master = -1;
  }

  bool Run(const std::string& command) {
    std::istringstream words(command);
    std::string verb;
    words >> verb;
    if (verb == "frames") {
      uint64_t seed = 0;
      int count = 0;
      int channels = 0;
      words >> seed >> count >> channels;
      std::string frames = support::BoardFrames(count, channels, true, seed);
      size_t bytes = 0;
      if (words >> bytes) frames.resize(std::min(bytes, frames.size()));
      return Send(frames);
    }
    if (verb == "lines") {
      int bits = 0;
      words >> bits;
      const int changed = bits ^ m_lines.bits;
      m_lines.cts += (changed & TIOCM_CTS) != 0;
      m_lines.dsr += (changed & TIOCM_DSR) != 0;
      m_lines.rng += (changed & bits & TIOCM_RNG) != 0;
      m_lines.dcd += (changed & TIOCM_CAR) != 0;
      m_lines.bits = bits;
      return WriteState();
    }
    if (verb == "break") {
      ++m_lines.brk;
      return WriteState();
    }
    if (verb == "hangup") {
      HangUp();
      return true;
    }
    return verb == "reopen" && Reopen();
  }

 private:
  bool Send(const std::string& bytes) {
    for (size_t sent = 0; sent < bytes.size();) {
      const ssize_t written = ::write(m_master, bytes.data() + sent, bytes.size() - sent);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return false;
      sent += static_cast<size_t>(written);
    }
    return true;
  }

  bool WriteState() {
    const fs::path temporary = m_state.string() + ".new";
    {
      std::ofstream out(temporary);
      out << m_lines.bits << ' ' << m_lines.cts << ' ' << m_lines.dsr << ' ' << m_lines.rng << ' ' << m_lines.dcd
          << ' ' << m_lines.brk << '\n';
      if (!out) return false;
    }
    fs::rename(temporary, m_state);
    return true;
  }

  fs::path m_link;
  fs::path m_state;
  int m_master = -1;
  Lines m_lines;
};

void Acknowledge(const fs::path& commands, const std::string& text) {
  std::ofstream(commands / "done.new") << text << '\n';
  std::error_code error;
  fs::rename(commands / "done.new", commands / "done", error);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: dezidure-pty-feeder LINK STATE_FILE COMMAND_DIR\n");
    return 2;
  }
  Feeder feeder(argv[1], argv[2]);
  if (!feeder.Reopen()) {
    std::perror("dezidure-pty-feeder: opening the line");
    return 1;
  }
  const fs::path commands = argv[3];
  const fs::path command = commands / "command";
  std::printf("ready\n");
  std::fflush(stdout);
  for (;;) {
    std::error_code error;
    if (!fs::exists(command, error)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      continue;
    }
    std::string line;
    std::getline(std::ifstream(command), line);
    fs::remove(command, error);
    const std::string text = line.substr(std::min(line.size(), line.find(' ') + 1));
    // Frames are acknowledged before they are written: the test reads them
    // while they are sent, and a full line would otherwise block both ends.
    const bool streaming = text.rfind("frames", 0) == 0;
    if (streaming) Acknowledge(commands, line);
    if (!feeder.Run(text)) std::fprintf(stderr, "dezidure-pty-feeder: '%s' failed\n", text.c_str());
    if (!streaming) Acknowledge(commands, line);
  }
}
