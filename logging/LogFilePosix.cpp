#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "logging/LogFilePlatform.h"

namespace logbook {

int OpenLogFile(const std::string& path, int& error) {
  // O_NOFOLLOW: a link planted at the name must not redirect the truncation
  // to whatever it points at.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
  error = fd < 0 ? errno : 0;
  return fd;
}

ssize_t WriteLogFile(int fd, const void* data, size_t size) { return ::write(fd, data, size); }

bool TruncateLogFile(int fd, uint64_t size) { return ::ftruncate(fd, static_cast<off_t>(size)) == 0; }

bool CloseLogFile(int fd) {
  // No retry on EINTR: on Linux the descriptor is released anyway.
  return ::close(fd) == 0;
}

std::string LogErrorReason(int error) {
  // The log's name has no directory part, so ELOOP under O_NOFOLLOW can only
  // mean a link at the name itself; the system's text would speak of levels.
  if (error == ELOOP) return "the name is a symbolic link";
  std::string reason = std::strerror(error);
  if (!reason.empty()) reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
  return reason;
}

bool LocalCalendarTime(std::time_t t, std::tm& local) { return ::localtime_r(&t, &local) != nullptr; }

}  // namespace logbook
