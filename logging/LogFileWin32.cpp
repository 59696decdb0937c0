#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>

#include "logging/LogFilePlatform.h"

namespace logbook {

int OpenLogFile(const std::string& path, int& error) {
  // Without _O_BINARY the C runtime turns every "\n" written into "\r\n",
  // so each line's CR LF would reach the file as CR CR LF.
  const int fd =
      ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
  error = fd < 0 ? errno : 0;
  return fd;
}

ssize_t WriteLogFile(int fd, const void* data, size_t size) {
  // The runtime's write takes an unsigned int count; the writer retries the rest.
  const unsigned count = size > INT_MAX ? INT_MAX : static_cast<unsigned>(size);
  return ::_write(fd, data, count);
}

bool TruncateLogFile(int fd, uint64_t size) {
  return size <= static_cast<uint64_t>(LLONG_MAX) && ::_chsize_s(fd, static_cast<long long>(size)) == 0;
}

bool CloseLogFile(int fd) { return ::_close(fd) == 0; }

std::string LogErrorReason(int error) {
  std::string reason = std::strerror(error);
  if (!reason.empty()) reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
  return reason;
}

bool LocalCalendarTime(std::time_t t, std::tm& local) { return ::localtime_s(&local, &t) == 0; }

}  // namespace logbook
