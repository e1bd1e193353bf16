#pragma once
// Registry port: the keys and text values the library shares with the agent.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace pellorix {

enum class Hive { LocalMachine, CurrentUser };

enum class KeyAccess {
  Read,        // query values and enumerate subkeys
  QueryValue,  // query values only
  ReadWrite,   // read, set values and create subkeys
};

// An open key; closing happens when the object is destroyed.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  // Name of the subkey at index; nullopt once the enumeration ends or fails.
  virtual std::optional<std::string> SubKeyName(std::uint32_t index) = 0;
  virtual std::unique_ptr<RegistryKey> OpenSubKey(const std::string& name, KeyAccess access) = 0;
  // Opens the subkey, creating it when missing.
  virtual std::unique_ptr<RegistryKey> CreateSubKey(const std::string& name, KeyAccess access) = 0;
  // Reads a value as text whatever its type, through a 260-byte buffer: a value that does not
  // fit (with its terminating zero) is refused, and nullopt is also the answer for a missing value.
  virtual std::optional<std::string> ReadText(const std::string& name) = 0;
  // Writes a REG_SZ value.
  virtual bool WriteText(const std::string& name, const std::string& value) = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // nullptr when the key is missing or cannot be opened with that access.
  virtual std::unique_ptr<RegistryKey> Open(Hive hive, const std::string& path, KeyAccess access) = 0;
  // Opens the key, creating it (and its missing parents) when needed; nullptr on failure.
  virtual std::unique_ptr<RegistryKey> Create(Hive hive, const std::string& path, KeyAccess access) = 0;
};

}  // namespace pellorix
