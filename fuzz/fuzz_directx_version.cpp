// The DirectX version text as the registry may hold it: any text, however long, whatever its
// numbers, is judged without a fault or an overflow.
#include <cstddef>
#include <cstdint>
#include <string>

#include "launcher/control/game_launch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  (void)veltharn::IsDirectXVersionSufficient(text);
  return 0;
}
