// The CRC-32 engines built as 32-bit x86 code, the way the product's Veltharn.exe runs them, and
// checked against zlib: this machine cannot run 32-bit Windows programs, but it can run 32-bit
// Linux ones. Built assuming only the 4-byte stack alignment that 32-bit Windows code may be
// called with.
// Exit status 0 when every case matches; the first mismatch is printed.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "launcher/update/crc32.h"
#include "launcher/update/crc32_clmul.h"

namespace {

uint32_t ZlibCrc(const std::byte* data, std::size_t size, uint32_t previous) {
  return static_cast<uint32_t>(
      crc32(previous, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(size)));
}

}  // namespace

int main() {
  using veltharn::Crc32;
  using veltharn::Crc32Clmul;
  static_assert(sizeof(void*) == 4, "this check is for 32-bit code");
  std::printf("carry-less multiply: %s\n", veltharn::CanUseCrc32Clmul() ? "used" : "not available");

  std::vector<std::byte> data((1 << 20) + 64);
  uint32_t state = 12345;
  for (std::byte& b : data) {
    state = state * 1103515245u + 12345u;
    b = static_cast<std::byte>(state >> 24);
  }
  const std::size_t lengths[] = {0,   1,   15,  16,  17,   63,   64,   65,      127,
                                 128, 129, 255, 256, 4095, 4096, 4097, 1 << 20, (1 << 20) + 3};
  const uint32_t starts[] = {0, 0xFFFFFFFFu, 0xCBF43926u};
  int cases = 0;
  for (std::size_t length : lengths) {
    for (std::size_t offset = 0; offset < 16; offset += 3) {
      for (uint32_t start : starts) {
        const std::byte* at = data.data() + offset;
        const uint32_t expected = ZlibCrc(at, length, start);
        const uint32_t viaCrc32 = Crc32(std::span(at, length), start);
        const uint32_t viaClmul = Crc32Clmul(std::span(at, length), start);
        ++cases;
        if (viaCrc32 != expected || viaClmul != expected) {
          std::printf(
              "mismatch: length %zu offset %zu start %08x: zlib %08x Crc32 %08x engine %08x\n",
              length, offset, start, expected, viaCrc32, viaClmul);
          return 1;
        }
      }
    }
  }
  // Chained in 4096-byte blocks, as a file is checked.
  uint32_t chained = 0;
  for (std::size_t at = 0; at < data.size(); at += 4096) {
    std::size_t size = std::min<std::size_t>(4096, data.size() - at);
    chained = Crc32(std::span(data.data() + at, size), chained);
  }
  if (chained != ZlibCrc(data.data(), data.size(), 0)) {
    std::printf("mismatch: chained blocks\n");
    return 1;
  }
  const char* check = "123456789";
  if (Crc32(std::as_bytes(std::span(check, 9))) != 0xCBF43926u) {
    std::printf("mismatch: check value\n");
    return 1;
  }
  std::printf("%d cases, chained blocks and the check value match zlib\n", cases + 2);
  return 0;
}
