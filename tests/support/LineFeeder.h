#pragma once

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace support {

/// The board's end of COM1 in the Windows tests under wine: commands to
/// dezidure-pty-feeder (tests/wine/PtyFeeder.cpp), which scripts/wine-session.sh
/// starts and names in DEZIDURE_FEEDER_DIR. Windows only.
class LineFeeder {
 public:
  /// The feeder's command folder; empty when the tests run without it.
  static std::string Directory() {
    const char* dir = std::getenv("DEZIDURE_FEEDER_DIR");
    return dir == nullptr ? std::string() : std::string(dir);
  }

  /// Runs one command ("frames 7 600 8", "hangup", "reopen", ...) and waits
  /// until the feeder has carried it out; false when it has not within 20 s.
  bool Run(const std::string& command) {
    // Numbered, so the acknowledgement tells this command from the last; renamed
    // into place, so the feeder never reads half of it.
    const std::string line = std::to_string(++m_commands) + " " + command;
    std::ofstream(m_dir + "/command.new") << line << '\n';
    if (!::MoveFileExA((m_dir + "/command.new").c_str(), (m_dir + "/command").c_str(), MOVEFILE_REPLACE_EXISTING)) {
      return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (std::string done; done != line; std::getline(std::ifstream(m_dir + "/done"), done)) {
      if (std::chrono::steady_clock::now() >= deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  }

 private:
  std::string m_dir = Directory();
  int m_commands = 0;
};

}  // namespace support
