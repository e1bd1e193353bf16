#pragma once

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "launcher/ports/registry.h"

namespace veltharn {

// An in-memory HKEY_LOCAL_MACHINE. Key and value names compare without regard to case. Key
// creation and writes can be made to fail.
class FakeRegistry : public Registry {
 public:
  using Values = std::map<std::string, RegistryValue>;

  std::unique_ptr<RegistryKey> CreateKey(const std::string& path, RegistryAccess access) override {
    std::string key = Lower(path);
    if (failCreate || (access == RegistryAccess::kRead && !keys.count(key) && failReadOpen)) {
      return nullptr;
    }
    keys[key];
    return std::make_unique<Key>(*this, key);
  }

  void SetDword(const std::string& path, const std::string& name, uint32_t value) {
    RegistryValue v{kRegDword, std::vector<uint8_t>(4)};
    std::memcpy(v.data.data(), &value, 4);
    keys[Lower(path)][Lower(name)] = v;
  }
  void SetString(const std::string& path, const std::string& name, const std::string& text) {
    RegistryValue v{kRegString, std::vector<uint8_t>(text.begin(), text.end())};
    v.data.push_back(0);
    keys[Lower(path)][Lower(name)] = v;
  }
  [[nodiscard]] const RegistryValue* Find(const std::string& path, const std::string& name) const {
    auto key = keys.find(Lower(path));
    if (key == keys.end()) return nullptr;
    auto value = key->second.find(Lower(name));
    return value == key->second.end() ? nullptr : &value->second;
  }

  std::map<std::string, Values> keys;
  bool failCreate = false;
  bool failReadOpen = false;
  bool failWrites = false;
  int writes = 0;

 private:
  static std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
  }

  class Key : public RegistryKey {
   public:
    Key(FakeRegistry& owner, std::string path) : owner_(owner), path_(std::move(path)) {}
    std::optional<RegistryValue> Read(const std::string& name) override {
      const RegistryValue* value = owner_.Find(path_, name);
      if (value == nullptr) return std::nullopt;
      return *value;
    }
    bool WriteDword(const std::string& name, uint32_t value) override {
      ++owner_.writes;
      if (owner_.failWrites) return false;
      owner_.SetDword(path_, name, value);
      return true;
    }
    bool WriteString(const std::string& name, const std::string& value) override {
      ++owner_.writes;
      if (owner_.failWrites) return false;
      owner_.SetString(path_, name, value);
      return true;
    }

   private:
    FakeRegistry& owner_;
    std::string path_;
  };
};

}  // namespace veltharn
