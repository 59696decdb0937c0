#include "tests/support/ScratchDirectory.h"

#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace support {

ScratchDirectory::ScratchDirectory() : m_previous(std::filesystem::current_path()) {
  // create_directory fails on a name that exists, so the folder is ours alone.
  std::random_device entropy;
  for (int attempt = 0;; ++attempt) {
    const auto candidate = std::filesystem::temp_directory_path() / ("dezidure-test-" + std::to_string(entropy()));
    if (std::filesystem::create_directory(candidate)) {
      m_path = candidate;
      break;
    }
    if (attempt == 100) throw std::runtime_error("no scratch directory could be created");
  }
  std::filesystem::current_path(m_path);
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ignored;
  std::filesystem::current_path(m_previous, ignored);
  std::filesystem::remove_all(m_path, ignored);
}

}  // namespace support
