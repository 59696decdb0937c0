#include "tests/support/ScratchDirectory.h"

#include <stdlib.h>

#include <cerrno>
#include <string>
#include <system_error>

namespace support {

ScratchDirectory::ScratchDirectory() : m_previous(std::filesystem::current_path()) {
  std::string pattern = (std::filesystem::temp_directory_path() / "dezidure-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::system_error(errno, std::generic_category(), "mkdtemp");
  m_path = pattern;
  std::filesystem::current_path(m_path);
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ignored;
  std::filesystem::current_path(m_previous, ignored);
  std::filesystem::remove_all(m_path, ignored);
}

}  // namespace support
