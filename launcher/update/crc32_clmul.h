#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace veltharn {

// A CRC-32 engine for processors with carry-less multiplication (PCLMULQDQ): it folds 64 bytes
// per step with eight 64-bit carry-less products instead of looking up every byte in a table, which
// makes a whole-file check cost little more than the read itself. Same CRC as Crc32.

// True when this processor has PCLMULQDQ and SSE2 and this build has the engine (x86 only).
[[nodiscard]] bool CanUseCrc32Clmul();

// The CRC-32 of `bytes` continued from `previous`, exactly as Crc32. Call it only when
// CanUseCrc32Clmul() is true: on an x86 processor without PCLMULQDQ it would fault (builds for
// other processors get zlib's crc32 here). Ranges under 64 bytes, where folding does not pay, go to
// zlib's crc32.
[[nodiscard]] uint32_t Crc32Clmul(std::span<const std::byte> bytes, uint32_t previous);

// x^n mod P for the CRC's polynomial P, in its reflected form (the coefficient of x^0 in the top
// bit, as the reflected CRC keeps its register). The fold constants are made from it.
[[nodiscard]] constexpr uint32_t ReflectedXPowerMod(unsigned n) {
  uint32_t value = 0x80000000u;  // x^0
  for (unsigned i = 0; i < n; ++i) value = (value >> 1) ^ ((value & 1u) != 0 ? 0xEDB88320u : 0u);
  return value;
}

}  // namespace veltharn
