// The library's launch-file writer with any service address, user name, application path and
// numbers: the bytes are always the fixed sections and keys in their order, every line feed on
// disk follows a carriage return, and the enciphered address is hex pairs joined by commas.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "launch_file/launch_file.h"

namespace {

std::string Take(const uint8_t*& data, size_t& size) {
  const size_t length = size == 0 ? 0 : data[0] % 200;
  ++data, size = size == 0 ? 0 : size - 1;
  const size_t count = std::min(length, size);
  std::string part(reinterpret_cast<const char*>(data), count);
  data += count;
  size -= count;
  return part;
}

int32_t TakeInt(const uint8_t*& data, size_t& size) {
  uint32_t value = 0;
  for (int i = 0; i < 4 && size > 0; ++i, ++data, --size) value = value << 8 | *data;
  return static_cast<int32_t>(value);
}

bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pellorix::LaunchOrder order;
  order.serviceUrl = Take(data, size);
  order.userName = Take(data, size);
  order.appFullPath = Take(data, size);
  order.window = TakeInt(data, size);
  order.pst = TakeInt(data, size);
  order.launcher = TakeInt(data, size);
  const std::string bytes = pellorix::BuildLaunchFileBytes(order);

  for (size_t at = bytes.find('\n'); at != std::string::npos; at = bytes.find('\n', at + 1)) {
    if (at == 0 || bytes[at - 1] != '\r') std::abort();
  }
  const std::string url2 = pellorix::EncodeServerUrl2(order.serviceUrl);
  for (size_t i = 0; i < url2.size(); ++i) {
    const char c = url2[i];
    const bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    if (i % 3 == 2 ? c != ',' : !hex) std::abort();
  }
  // Free of line breaks in the texts, the keys are exactly these, in this order.
  if (HasLineBreak(order.userName) || HasLineBreak(order.appFullPath)) return 0;
  static const char* const kKeys[] = {"[PortalKey]",     "Key=",         "[ServerInfo]",
                                      "ServerURL=",      "ServerURL2=",  "[ClientInfo]",
                                      "User=",           "show=",        "ExeCount=",
                                      "UpdateType=",     "SendClientInfo=", "ActiveXFileName=",
                                      "ActiveXVer=",     "ActiveXPath=", "PST=",
                                      "Launcher=",       "HANDLE=",      "AppFullPath="};
  std::vector<std::string> lines;
  for (size_t start = 0; start < bytes.size();) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) std::abort();  // the file ends with a line end
    std::string line = bytes.substr(start, end - start);
    while (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
    start = end + 1;
  }
  const size_t expected = order.appFullPath.empty() ? 17 : 18;
  if (lines.size() != expected) std::abort();
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind(kKeys[i], 0) != 0) std::abort();
  }
  return 0;
}
