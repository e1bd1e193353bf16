#include "launcher/update/crc32_static.h"

#include <algorithm>
#include <array>

#include "launcher/update/crc32.h"

namespace veltharn {

CCrc32Static::Result CCrc32Static::CrcOfFileBody(const std::string& path, View& view) {
  return Compute(path, kTrailerSize, &view);
}

CCrc32Static::Result CCrc32Static::CrcOfFilePrefix(const std::string& path, std::size_t excluded) {
  return Compute(path, excluded, nullptr);
}

CCrc32Static::Result CCrc32Static::Compute(const std::string& path, std::size_t excluded,
                                           View* view) {
  std::unique_ptr<ReadableFile> file = files_.OpenForRead(path, /*sequential=*/true);
  if (!file) return {0, kOpenFailed};

  // An unknown size reads to the end of the file.
  const int64_t size = file->Size();
  uint64_t covered = UINT64_MAX;
  if (size >= 0) {
    const auto whole = static_cast<uint64_t>(size);
    covered = whole >= excluded ? whole - excluded : whole;
  }

  std::array<std::byte, kBlockSize> block;
  uint32_t crc = 0;
  uint64_t done = 0;
  while (done < covered) {
    const auto wanted = static_cast<std::size_t>(std::min<uint64_t>(kBlockSize, covered - done));
    const int64_t got = file->Read(std::span(block.data(), wanted));
    if (got <= 0) break;
    crc = Crc32(std::span(block.data(), static_cast<std::size_t>(got)), crc);
    done += static_cast<uint64_t>(got);
    if (view != nullptr) view->PumpOneMessage();
  }
  return {crc, 0};
}

}  // namespace veltharn
