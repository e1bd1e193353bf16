#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace veltharn {

// Value types, with the numbers Windows gives them.
enum RegistryType : uint32_t { kRegString = 1, kRegBinary = 3, kRegDword = 4 };

enum class RegistryAccess { kRead, kAll };

struct RegistryValue {
  uint32_t type = 0;
  std::vector<uint8_t> data;  // REG_SZ data ends with its terminating zero
};

// An open key. Keys stay open as long as their owner keeps them.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  // The value `name`, whatever its type; nullopt when it cannot be read.
  [[nodiscard]] virtual std::optional<RegistryValue> Read(const std::string& name) = 0;
  [[nodiscard]] virtual bool WriteDword(const std::string& name, uint32_t value) = 0;
  // Written as REG_SZ with its terminating zero.
  [[nodiscard]] virtual bool WriteString(const std::string& name, const std::string& value) = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // Opens `path` (e.g. "SOFTWARE\\Brennix\\QorTestClient") under HKEY_LOCAL_MACHINE, creating it
  // when missing (and `access` allows); null when that fails.
  [[nodiscard]] virtual std::unique_ptr<RegistryKey> CreateKey(const std::string& path,
                                                               RegistryAccess access) = 0;
};

}  // namespace veltharn
