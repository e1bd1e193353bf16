#pragma once
// In-memory registry: keys by full path (case-insensitive), text values, and keys that refuse
// to open, to stand for missing rights.
#include <map>
#include <memory>
#include <set>
#include <string>

#include "common/text.h"
#include "ports/registry.h"

namespace pellorix::testing {

class FakeRegistry final : public Registry {
 public:
  struct Node {
    std::map<std::string, std::string> values;  // upper-cased name -> value
    std::string name;                           // as created
  };

  // Creates the key and its parents; returns its node.
  Node& Key(Hive hive, const std::string& path) {
    const std::string full = FullPath(hive, path);
    std::string prefix;
    for (std::size_t start = 0; start <= full.size();) {
      auto end = full.find('\\', start);
      if (end == std::string::npos) end = full.size();
      prefix = full.substr(0, end);
      Node& node = keys_[ToUpperAscii(prefix)];
      node.name = full.substr(start, end - start);
      start = end + 1;
    }
    return keys_[ToUpperAscii(full)];
  }
  void Set(Hive hive, const std::string& path, const std::string& name, const std::string& value) {
    Key(hive, path).values[ToUpperAscii(name)] = value;
  }
  std::optional<std::string> Value(Hive hive, const std::string& path, const std::string& name) const {
    const auto key = keys_.find(ToUpperAscii(FullPath(hive, path)));
    if (key == keys_.end()) return std::nullopt;
    const auto value = key->second.values.find(ToUpperAscii(name));
    if (value == key->second.values.end()) return std::nullopt;
    return value->second;
  }
  bool Exists(Hive hive, const std::string& path) const {
    return keys_.count(ToUpperAscii(FullPath(hive, path))) != 0;
  }
  void RefuseOpen(Hive hive, const std::string& path) {
    refused_.insert(ToUpperAscii(FullPath(hive, path)));
  }
  // An uninstall entry under HKLM.
  void AddUninstallEntry(const std::string& subKey, const std::string& displayName) {
    Set(Hive::LocalMachine, "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL\\" + subKey,
        "DisplayName", displayName);
  }
  int writes = 0;

  std::unique_ptr<RegistryKey> Open(Hive hive, const std::string& path, KeyAccess) override {
    return OpenFull(FullPath(hive, path));
  }
  std::unique_ptr<RegistryKey> Create(Hive hive, const std::string& path, KeyAccess) override {
    const std::string full = FullPath(hive, path);
    if (refused_.count(ToUpperAscii(full))) return nullptr;
    Key(hive, path);
    return OpenFull(full);
  }

 private:
  class FakeKey final : public RegistryKey {
   public:
    FakeKey(FakeRegistry& owner, std::string path) : owner_(owner), path_(std::move(path)) {}
    std::optional<std::string> SubKeyName(std::uint32_t index) override {
      const std::string prefix = ToUpperAscii(path_) + "\\";
      std::uint32_t i = 0;
      for (const auto& [upper, node] : owner_.keys_) {
        if (upper.rfind(prefix, 0) != 0 || upper.find('\\', prefix.size()) != std::string::npos) {
          continue;
        }
        if (i++ == index) return node.name;
      }
      return std::nullopt;
    }
    std::unique_ptr<RegistryKey> OpenSubKey(const std::string& name, KeyAccess) override {
      return owner_.OpenFull(path_ + "\\" + name);
    }
    std::unique_ptr<RegistryKey> CreateSubKey(const std::string& name, KeyAccess) override {
      const std::string full = path_ + "\\" + name;
      if (owner_.refused_.count(ToUpperAscii(full))) return nullptr;
      owner_.keys_[ToUpperAscii(full)].name = name;
      return owner_.OpenFull(full);
    }
    std::optional<std::string> ReadText(const std::string& name) override {
      const auto& values = owner_.keys_[ToUpperAscii(path_)].values;
      const auto value = values.find(ToUpperAscii(name));
      if (value == values.end() || value->second.size() >= kTextBufferSize) return std::nullopt;
      return value->second;
    }
    bool WriteText(const std::string& name, const std::string& value) override {
      ++owner_.writes;
      owner_.keys_[ToUpperAscii(path_)].values[ToUpperAscii(name)] = value;
      return true;
    }

   private:
    FakeRegistry& owner_;
    std::string path_;
  };

  static std::string FullPath(Hive hive, const std::string& path) {
    return (hive == Hive::LocalMachine ? "HKLM\\" : "HKCU\\") + path;
  }
  std::unique_ptr<RegistryKey> OpenFull(const std::string& full) {
    const std::string upper = ToUpperAscii(full);
    if (refused_.count(upper) || !keys_.count(upper)) return nullptr;
    return std::make_unique<FakeKey>(*this, full);
  }

  std::map<std::string, Node> keys_;
  std::set<std::string> refused_;
};

}  // namespace pellorix::testing
