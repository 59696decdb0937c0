#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "serial/PosixOpenFailure.h"

namespace {

using comm::DeviceFacts;

TEST(OpenFailureReason, SaysWhyFromTheErrorTheDeviceModeAndItsGroup) {
  const DeviceFacts groupDevice{true, S_IFCHR | 0660, "uucp", {}};
  const DeviceFacts ownerOnly{true, S_IFCHR | 0620, "tty", {}};
  const DeviceFacts held{true, S_IFCHR | 0660, "dialout", {{"minicom", 812}, {"cat", 9001}}};
  const struct {
    int error;
    DeviceFacts facts;
    const char* reason;
  } cases[] = {
      {EACCES, groupDevice,
       "permission denied: the device belongs to group 'uucp'; add yourself with 'sudo usermod -aG uucp $USER' and "
       "log in again"},
      {EPERM,
       {true, S_IFCHR | 0666, "1234", {}},
       "permission denied: the device belongs to group '1234'; add yourself with 'sudo usermod -aG 1234 $USER' and "
       "log in again"},
      {EACCES, ownerOnly,
       "permission denied: the device (mode 0620, group 'tty') lets no group read and write it; ask the system's "
       "administrator"},
      {EACCES, {}, "permission denied"},
      {EBUSY, held, "in use by another program (minicom, pid 812; cat, pid 9001)"},
      {EBUSY, groupDevice, "in use by another program"},
      {ENOENT, {}, "not present"},
      {ENODEV, groupDevice, "not present"},
      {ENXIO, groupDevice, "not present"},
      {ENOTTY, {true, S_IFREG | 0644, "root", {}}, "not a serial device"},
      {EIO, groupDevice, "Input/output error"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    EXPECT_EQ(comm::OpenFailureReason(c.error, c.facts), c.reason);
  }
}

}  // namespace
