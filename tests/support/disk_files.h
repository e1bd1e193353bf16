#pragma once

// Small helpers for tests that check real files: read and write a whole file, turn text into the
// bytes a scripted server sends, and compress a file's content as the server sends it.
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/scripted_server.h"

namespace veltharn::test {

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Writes `bytes` to `path`, making the folders above it first.
inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

inline Bytes ToBytes(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

// `bytes` as one zlib stream.
inline std::string Compress(const std::string& bytes) {
  uLongf length = compressBound(static_cast<uLong>(bytes.size()));
  std::string out(length, '\0');
  compress(reinterpret_cast<Bytef*>(out.data()), &length,
           reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uLong>(bytes.size()));
  out.resize(length);
  return out;
}

}  // namespace veltharn::test
