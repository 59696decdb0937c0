#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

/// The operating-system calls of the log writer, in one place so that another
/// platform supplies its own file beside LogFilePosix.cpp.
namespace logbook {

/// Creates the file, or truncates it if it is a regular file, and opens it
/// for writing only (permissions 0666 less the umask). A symbolic link at the
/// name is never followed: the open fails and the link's target is untouched.
/// Returns the descriptor, or -1 with the reason's code in error.
int OpenLogFile(const std::string& path, int& error);

/// write(2): bytes written, or -1 with errno set.
ssize_t WriteLogFile(int fd, const void* data, size_t size);

/// Cuts the file back to size bytes; false with errno set on failure.
bool TruncateLogFile(int fd, uint64_t size);

/// Closes the descriptor; false with errno set on failure (the descriptor
/// is released either way).
bool CloseLogFile(int fd);

/// The system's reason for error code `error`, lower case as it reads in the
/// middle of a sentence ("no space left on device"). A symbolic link refused
/// at the log's name reads as such.
std::string LogErrorReason(int error);

/// `t` as calendar time in the system's time zone; false when the system
/// cannot convert it (then `local` is unspecified).
bool LocalCalendarTime(std::time_t t, std::tm& local);

}  // namespace logbook
