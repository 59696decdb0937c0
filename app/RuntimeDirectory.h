#pragma once

namespace app {

/// Gives the program a runtime directory when XDG_RUNTIME_DIR is unset, as
/// on a console login or under sudo: /tmp/runtime-dezidure-UID, created with
/// mode 0700 and checked to be a real directory owned by this user before
/// XDG_RUNTIME_DIR is pointed at it. Without such a directory it leaves the
/// variable unset and the toolkit falls back on its own default. POSIX only.
void ProvideRuntimeDirectory();

}  // namespace app
