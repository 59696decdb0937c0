#include "app/RuntimeDirectory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace app {

void ProvideRuntimeDirectory() {
  const char* current = std::getenv("XDG_RUNTIME_DIR");
  if (current != nullptr && *current != '\0') return;
  const uid_t uid = getuid();
  const std::string path = "/tmp/runtime-dezidure-" + std::to_string(uid);
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return;
  // Another user may have made the name first, or a link in its place:
  // judge the directory itself, never what a link points at.
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  struct stat status {};
  const bool ours = fstat(fd, &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == uid &&
                    ((status.st_mode & 0077) == 0 || fchmod(fd, 0700) == 0);
  close(fd);
  if (ours) setenv("XDG_RUNTIME_DIR", path.c_str(), 1);
}

}  // namespace app
