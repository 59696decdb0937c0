#pragma once

#include <cstdlib>
#include <ctime>

namespace testenv {

/// Sets a variable of this process's environment; with `overwrite` false an
/// existing value stays.
inline void SetVariable(const char* name, const char* value, bool overwrite = true) {
#ifdef _WIN32
  if (!overwrite && std::getenv(name) != nullptr) return;
  ::_putenv_s(name, value);
#else
  ::setenv(name, value, overwrite ? 1 : 0);
#endif
}

/// Makes the C library read the time zone from TZ again.
inline void ReloadTimeZone() {
#ifdef _WIN32
  ::_tzset();
#else
  ::tzset();
#endif
}

}  // namespace testenv
