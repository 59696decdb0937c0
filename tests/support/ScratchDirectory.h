#pragma once

#include <filesystem>

namespace support {

/// A fresh directory under the system's temporary one, made the current
/// directory while the object lives (the window looks for its logo file and
/// writes its logs there); removed with everything in it afterwards.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::filesystem::path& Path() const { return m_path; }

 private:
  std::filesystem::path m_previous;
  std::filesystem::path m_path;
};

}  // namespace support
