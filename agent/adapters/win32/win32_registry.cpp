#include "adapters/win32/win32_registry.h"

#include <array>

#include "adapters/win32/unique_handle.h"
#include "common/text.h"

namespace pellorix::win32 {
namespace {

HKEY RootOf(Hive hive) { return hive == Hive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

REGSAM SamOf(KeyAccess access) {
  switch (access) {
    case KeyAccess::Read:
      return KEY_READ;
    case KeyAccess::QueryValue:
      return KEY_QUERY_VALUE;
    case KeyAccess::ReadWrite:
      return KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;
  }
  return KEY_READ;
}

class Win32Key final : public RegistryKey {
 public:
  explicit Win32Key(UniqueHkey key) : key_(std::move(key)) {}

  std::optional<std::string> SubKeyName(std::uint32_t index) override {
    std::array<char, kTextBufferSize> name{};
    DWORD size = static_cast<DWORD>(name.size());
    if (::RegEnumKeyExA(key_.get(), index, name.data(), &size, nullptr, nullptr, nullptr,
                        nullptr) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    return std::string(name.data(), size);
  }
  std::unique_ptr<RegistryKey> OpenSubKey(const std::string& name, KeyAccess access) override {
    HKEY sub = nullptr;
    if (::RegOpenKeyExA(key_.get(), name.c_str(), 0, SamOf(access), &sub) != ERROR_SUCCESS) {
      return nullptr;
    }
    return std::make_unique<Win32Key>(UniqueHkey(sub));
  }
  std::unique_ptr<RegistryKey> CreateSubKey(const std::string& name, KeyAccess access) override {
    HKEY sub = nullptr;
    if (::RegCreateKeyExA(key_.get(), name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          SamOf(access), nullptr, &sub, nullptr) != ERROR_SUCCESS) {
      return nullptr;
    }
    return std::make_unique<Win32Key>(UniqueHkey(sub));
  }
  std::optional<std::string> ReadText(const std::string& name) override {
    // The value must fit the 260-byte buffer with its terminating zero; a longer one is refused.
    std::array<char, kTextBufferSize + 1> buffer{};
    DWORD size = static_cast<DWORD>(kTextBufferSize);
    if (::RegQueryValueExA(key_.get(), name.c_str(), nullptr, nullptr,
                           reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    const std::string text(buffer.data(), std::min<std::size_t>(size, kTextBufferSize));
    const auto end = text.find('\0');
    if (end == std::string::npos && text.size() == kTextBufferSize) return std::nullopt;
    return text.substr(0, end);
  }
  bool WriteText(const std::string& name, const std::string& value) override {
    return ::RegSetValueExA(key_.get(), name.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size())) == ERROR_SUCCESS;
  }

 private:
  UniqueHkey key_;
};

}  // namespace

std::unique_ptr<RegistryKey> RegistryStore::Open(Hive hive, const std::string& path,
                                                 KeyAccess access) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(RootOf(hive), path.c_str(), 0, SamOf(access), &key) != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<Win32Key>(UniqueHkey(key));
}

std::unique_ptr<RegistryKey> RegistryStore::Create(Hive hive, const std::string& path,
                                                   KeyAccess access) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(RootOf(hive), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        SamOf(access), nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<Win32Key>(UniqueHkey(key));
}

}  // namespace pellorix::win32
