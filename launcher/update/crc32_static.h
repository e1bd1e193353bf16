#pragma once

#include <cstdint>
#include <string>

#include "launcher/ports/file_system.h"
#include "launcher/ports/view.h"
#include "launcher/update/file_trailer.h"

namespace veltharn {

// The CRC-32 of a file, or of the file without its tail, read through the file system in blocks of
// 4096 bytes with the sequential hint. A file shorter than the excluded tail is covered whole.
// Reading stops at the covered length, at the end of the file or at a failed read; the CRC is that
// of what was read.
class CCrc32Static {
 public:
  struct Result {
    uint32_t crc = 0;   // 0 when the file could not be opened
    int openError = 0;  // 0 when it opened; kOpenFailed when not (no caller needs the cause)
  };
  static constexpr int kOpenFailed = 1;
  static constexpr std::size_t kBlockSize = 4096;

  // `files` must outlive this object.
  explicit CCrc32Static(FileSystem& files) : files_(files) {}

  // The file without its 20-byte trailer (kTrailerSize). Runs one pending message of `view` after
  // each block, so the dialog stays responsive while a large file is read.
  [[nodiscard]] Result CrcOfFileBody(const std::string& path, View& view);
  // The file without its last `excluded` bytes (0 or 20). Does not pump.
  [[nodiscard]] Result CrcOfFilePrefix(const std::string& path, std::size_t excluded);

 private:
  Result Compute(const std::string& path, std::size_t excluded, View* view);

  FileSystem& files_;
};

}  // namespace veltharn
