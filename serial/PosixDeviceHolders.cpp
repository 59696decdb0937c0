#include "serial/PosixDeviceHolders.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>

namespace comm {
namespace {

namespace fs = std::filesystem;

bool SameFile(const struct stat& a, const struct stat& b) {
  // Two nodes of one character device (a by-id link's target and another
  // node made for it) are the same device even as different files.
  if (S_ISCHR(a.st_mode) && S_ISCHR(b.st_mode)) return a.st_rdev == b.st_rdev;
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool HoldsOpen(const fs::path& fdDir, const struct stat& target) {
  std::error_code error;
  for (fs::directory_iterator it(fdDir, error), end; !error && it != end; it.increment(error)) {
    struct stat link {};
    // stat follows the descriptor's link to the open file itself.
    if (::stat(it->path().c_str(), &link) == 0 && SameFile(link, target)) return true;
  }
  return false;
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
    if (static_cast<pid_t>(pid) == except || !HoldsOpen(it->path() / "fd", target)) continue;
    holders.push_back({ProgramName(it->path()), pid});
  }
  std::sort(holders.begin(), holders.end(),
            [](const DeviceHolder& a, const DeviceHolder& b) { return a.processId < b.processId; });
  return holders;
}

}  // namespace comm
