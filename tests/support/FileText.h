#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace support {

/// The whole content of the file at `path`, byte for byte; empty when it
/// cannot be read.
inline std::string FileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace support
