#include "serial/PosixDeviceHolders.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>

namespace comm {
namespace {

namespace fs = std::filesystem;

// Linux numbers pseudo-terminal slaves from major 136 on, 256 to a major; the
// multiplexer every master is opened through is device 5:2.
constexpr unsigned kFirstPtySlaveMajor = 136;
constexpr unsigned kPtySlaveMajors = 8;
constexpr unsigned kPtyMinors = 256;
constexpr unsigned kPtmxMajor = 5;
constexpr unsigned kPtmxMinor = 2;

bool SameFile(const struct stat& a, const struct stat& b) {
  // Two nodes of one character device (a by-id link's target and another
  // node made for it) are the same device even as different files.
  if (S_ISCHR(a.st_mode) && S_ISCHR(b.st_mode)) return a.st_rdev == b.st_rdev;
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

/// The pseudo-terminal index of a slave device, as its master's descriptor
/// information gives it; nothing for any other file.
std::optional<unsigned> PtySlaveIndex(const struct stat& device) {
  if (!S_ISCHR(device.st_mode)) return std::nullopt;
  const unsigned major = ::major(device.st_rdev);
  if (major < kFirstPtySlaveMajor || major >= kFirstPtySlaveMajor + kPtySlaveMajors) return std::nullopt;
  return (major - kFirstPtySlaveMajor) * kPtyMinors + ::minor(device.st_rdev);
}

/// The "tty-index" that the kernel shows for a pseudo-terminal master.
std::optional<unsigned> MasterIndex(const fs::path& fdInfo) {
  std::ifstream in(fdInfo);
  const std::string key = "tty-index:";
  for (std::string line; std::getline(in, line);) {
    if (line.compare(0, key.size(), key) != 0) continue;
    const size_t digits = line.find_first_not_of(" \t", key.size());
    if (digits == std::string::npos) return std::nullopt;
    unsigned index = 0;
    const auto [last, parsed] = std::from_chars(line.data() + digits, line.data() + line.size(), index);
    if (parsed != std::errc() || last == line.data() + digits) return std::nullopt;
    return index;
  }
  return std::nullopt;
}

bool IsPtmx(const struct stat& file) {
  return S_ISCHR(file.st_mode) && ::major(file.st_rdev) == kPtmxMajor && ::minor(file.st_rdev) == kPtmxMinor;
}

/// Whether the process holds `target`, and not as the far end of its
/// pseudo-terminal.
bool CompetesFor(const fs::path& processDir, const struct stat& target) {
  const std::optional<unsigned> slaveIndex = PtySlaveIndex(target);
  bool holds = false;
  bool farEnd = false;
  std::error_code error;
  for (fs::directory_iterator it(processDir / "fd", error), end; !error && it != end; it.increment(error)) {
    struct stat link {};
    // stat follows the descriptor's link to the open file itself.
    if (::stat(it->path().c_str(), &link) != 0) continue;
    if (SameFile(link, target)) holds = true;
    if (slaveIndex && IsPtmx(link) && MasterIndex(processDir / "fdinfo" / it->path().filename()) == slaveIndex)
      farEnd = true;
  }
  return holds && !farEnd;
}

std::string ProgramName(const fs::path& processDir) {
  std::ifstream in(processDir / "comm");
  std::string name;
  std::getline(in, name);
  return name;
}

}  // namespace

std::vector<DeviceHolder> ProcessesHolding(const std::string& device, pid_t except, const std::string& procRoot) {
  std::vector<DeviceHolder> holders;
  struct stat target {};
  if (device.empty() || ::stat(device.c_str(), &target) != 0) return holders;
  std::error_code error;
  for (fs::directory_iterator it(procRoot, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    uint32_t pid = 0;
    const auto [last, parsed] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (parsed != std::errc() || last != name.data() + name.size()) continue;
    if (static_cast<pid_t>(pid) == except || !CompetesFor(it->path(), target)) continue;
    holders.push_back({ProgramName(it->path()), pid});
  }
  std::sort(holders.begin(), holders.end(),
            [](const DeviceHolder& a, const DeviceHolder& b) { return a.processId < b.processId; });
  return holders;
}

}  // namespace comm
