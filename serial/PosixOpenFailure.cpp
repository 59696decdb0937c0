#include "serial/PosixOpenFailure.h"

#include <grp.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

namespace comm {
namespace {

std::string PermissionAdvice(const DeviceFacts& facts) {
  std::string text = "permission denied";
  if (!facts.inspected) return text;
  constexpr uint32_t kGroupReadWrite = S_IRGRP | S_IWGRP;
  if ((facts.mode & kGroupReadWrite) == kGroupReadWrite) {
    return text + ": the device belongs to group '" + facts.group + "'; add yourself with 'sudo usermod -aG " +
           facts.group + " $USER' and log in again";
  }
  char mode[8];
  std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(facts.mode & 07777));
  return text + ": the device (mode " + mode + ", group '" + facts.group +
         "') lets no group read and write it; ask the system's administrator";
}

std::string GroupName(gid_t gid) {
  group entry{};
  group* found = nullptr;
  char buffer[4096];
  if (::getgrgid_r(gid, &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr) return found->gr_name;
  return std::to_string(gid);
}

}  // namespace

std::string OpenFailureReason(int32_t error, const DeviceFacts& facts) {
  switch (error) {
    case EACCES:
    case EPERM:
      return PermissionAdvice(facts);
    case EBUSY: {
      const std::string holders = HoldersText(facts.holders);
      return "in use by another program" + (holders.empty() ? std::string() : " (" + holders + ")");
    }
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return "not present";
    case ENOTTY:
      return "not a serial device";
    default:
      return std::system_category().message(error);
  }
}

DeviceFacts InspectDevice(const std::string& path) {
  DeviceFacts facts;
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return facts;
  facts.inspected = true;
  facts.mode = info.st_mode;
  facts.group = GroupName(info.st_gid);
  return facts;
}

}  // namespace comm
