// UnpackFields over any body, with every format the handlers use and destinations of every size:
// it must never read past the body nor write past a destination, and strings come back ended.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "launcher/link/packet_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace veltharn;
  if (size < 2) return 0;
  const size_t wideUnits = 1 + data[0] % 300;
  const size_t narrowBytes = 1 + data[1] % 300;
  // The body on the heap at its exact size, so that a read past it is caught.
  std::vector<std::byte> body(size - 2);
  if (!body.empty()) std::memcpy(body.data(), data + 2, body.size());
  std::span<const std::byte> view(body);

  std::vector<char16_t> wide(wideUnits, u'#');
  std::vector<char> narrow(narrowBytes, '#');
  int32_t a = 0, b = 0, c = 0;
  uint8_t byte = 0;
  int16_t word = 0;
  double real = 0;
  const size_t ends[] = {
      UnpackFields(view, "dddS", {&a, &b, &c, std::span(wide)}),
      UnpackFields(view, "S", {std::span(wide)}),
      UnpackFields(view, "dd", {&a, &b}),
      UnpackFields(view, "chdfs", {&byte, &word, &a, &real, std::span(narrow)}),
      UnpackFields(view, "SSs", {std::span(wide), std::span<char16_t>(), std::span(narrow)}),
  };
  for (size_t end : ends) {
    if (end > body.size()) std::abort();
  }
  if (std::find(wide.begin(), wide.end(), u'\0') == wide.end()) std::abort();
  if (std::find(narrow.begin(), narrow.end(), '\0') == narrow.end()) std::abort();
  return 0;
}
