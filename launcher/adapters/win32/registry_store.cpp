#include "launcher/adapters/win32/registry_store.h"

#include <windows.h>

#include "launcher/adapters/win32/unique_handle.h"

namespace veltharn {
namespace {

class OpenKey : public RegistryKey {
 public:
  explicit OpenKey(UniqueHkey key) : key_(std::move(key)) {}

  std::optional<RegistryValue> Read(const std::string& name) override {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
      return std::nullopt;
    }
    RegistryValue value;
    value.type = type;
    value.data.resize(size);
    if (size > 0 && RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type, value.data.data(),
                                     &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    value.data.resize(size);
    return value;
  }
  bool WriteDword(const std::string& name, uint32_t value) override {
    DWORD word = value;
    return RegSetValueExA(key_.get(), name.c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&word), sizeof word) == ERROR_SUCCESS;
  }
  bool WriteString(const std::string& name, const std::string& value) override {
    return RegSetValueExA(key_.get(), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
  }

 private:
  UniqueHkey key_;
};

}  // namespace

std::unique_ptr<RegistryKey> RegistryStore::CreateKey(const std::string& path,
                                                      RegistryAccess access) {
  HKEY key = nullptr;
  REGSAM rights = access == RegistryAccess::kAll ? KEY_ALL_ACCESS : KEY_READ;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, const_cast<char*>(""), 0, rights,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<OpenKey>(UniqueHkey(key));
}

}  // namespace veltharn
