#include "launcher/update/crc32_clmul.h"

#include "launcher/update/crc32.h"

#if defined(__x86_64__) || defined(__i386__)
#define VELTHARN_CRC32_CLMUL 1
#include <emmintrin.h>
#include <wmmintrin.h>
#endif

namespace veltharn {

#if VELTHARN_CRC32_CLMUL

namespace {

// Windows guarantees only 4-byte stack alignment to 32-bit code; the engine's 16-byte values may
// be spilled to the stack, so the 32-bit build realigns it on entry.
#if defined(__i386__)
#define VELTHARN_CLMUL_TARGET __attribute__((target("pclmul,sse2"), force_align_arg_pointer))
#else
#define VELTHARN_CLMUL_TARGET __attribute__((target("pclmul,sse2")))
#endif

// Loaded little-endian, bit i of a 16-byte block is the coefficient of x^(127 - i): its low
// 8 bytes hold the high half of the block's polynomial. Multiplying a block by x^d modulo P moves
// it d bits further along the message. Carry-less products of reflected operands come out
// reflected over one bit less than their width, so a 33-bit constant reflect(x^k mod P) times a
// 64-bit half gives that half times x^(k - 32) placed as a 128-bit block; hence the constant for
// the high half (low qword) is x^(d + 32) and for the low half (high qword) x^(d - 32).
constexpr uint64_t FoldConstant(unsigned power) {
  return static_cast<uint64_t>(ReflectedXPowerMod(power)) << 1;
}

constexpr unsigned kFourBlocks = 4 * 128;  // bits from a block to the one four blocks later
constexpr unsigned kOneBlock = 128;
constexpr std::size_t kBlockBytes = 16;
constexpr std::size_t kStepBytes = 4 * kBlockBytes;

VELTHARN_CLMUL_TARGET inline __m128i Load(const std::byte* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// `block` times x^d modulo P (to 128 bits) plus `next`, with `constants` made for distance d.
VELTHARN_CLMUL_TARGET inline __m128i Fold(__m128i block, __m128i constants, __m128i next) {
  const __m128i front = _mm_clmulepi64_si128(block, constants, 0x00);
  const __m128i back = _mm_clmulepi64_si128(block, constants, 0x11);
  return _mm_xor_si128(_mm_xor_si128(front, back), next);
}

VELTHARN_CLMUL_TARGET uint32_t FoldRange(const std::byte* data, std::size_t size,
                                         uint32_t previous) {
  const __m128i byFour = _mm_set_epi64x(static_cast<long long>(FoldConstant(kFourBlocks - 32)),
                                        static_cast<long long>(FoldConstant(kFourBlocks + 32)));
  const __m128i byOne = _mm_set_epi64x(static_cast<long long>(FoldConstant(kOneBlock - 32)),
                                       static_cast<long long>(FoldConstant(kOneBlock + 32)));

  // The register before the first byte enters as those bytes' own value, inverted as zlib keeps
  // it; from then on folding continues the CRC of the message with an empty register.
  __m128i x0 = _mm_xor_si128(Load(data), _mm_cvtsi32_si128(static_cast<int>(~previous)));
  __m128i x1 = Load(data + 16);
  __m128i x2 = Load(data + 32);
  __m128i x3 = Load(data + 48);
  data += kStepBytes;
  size -= kStepBytes;
  for (; size >= kStepBytes; data += kStepBytes, size -= kStepBytes) {
    x0 = Fold(x0, byFour, Load(data));
    x1 = Fold(x1, byFour, Load(data + 16));
    x2 = Fold(x2, byFour, Load(data + 32));
    x3 = Fold(x3, byFour, Load(data + 48));
  }
  __m128i x = Fold(Fold(Fold(x0, byOne, x1), byOne, x2), byOne, x3);
  for (; size >= kBlockBytes; data += kBlockBytes, size -= kBlockBytes) {
    x = Fold(x, byOne, Load(data));
  }

  // The folded block stands for everything so far: its CRC from an empty register (zlib's start
  // value 0xFFFFFFFF), continued over the last bytes, is the CRC of the whole range.
  alignas(16) std::byte folded[kBlockBytes];
  _mm_store_si128(reinterpret_cast<__m128i*>(folded), x);
  return Crc32Zlib(std::span(data, size), Crc32Zlib(folded, 0xFFFFFFFFu));
}

}  // namespace

bool CanUseCrc32Clmul() {
  static const bool can = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse2");
  }();
  return can;
}

uint32_t Crc32Clmul(std::span<const std::byte> bytes, uint32_t previous) {
  if (bytes.size() < kStepBytes) return Crc32Zlib(bytes, previous);
  return FoldRange(bytes.data(), bytes.size(), previous);
}

#else

bool CanUseCrc32Clmul() {
  return false;
}

uint32_t Crc32Clmul(std::span<const std::byte> bytes, uint32_t previous) {
  return Crc32Zlib(bytes, previous);
}

#endif

}  // namespace veltharn
