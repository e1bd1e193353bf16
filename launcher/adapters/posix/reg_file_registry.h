#pragma once

#include <map>
#include <memory>
#include <string>

#include "launcher/ports/registry.h"

namespace veltharn {

// The registry of the headless launcher: HKEY_LOCAL_MACHINE kept in a file in the format of
// Windows .reg files (REGEDIT4), so that operators and tests can read and prepare it:
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Brennix\QorTestClient]
//   "global_version"=dword:0000002a
//   "workingdir"="C:\\client"
//
// Strings are written with "\\" and "\"" escaped; other types as hex(N): bytes. The file is read
// once, at construction, and written again at once on every change (a new file renamed over the
// old, so an interrupted write never leaves half a file). Keys and value names compare without
// regard to case. Lines it does not understand are dropped when it writes. A file that exists
// but cannot be read is never written over: every write fails, and the values read stay as they
// were. A failed write leaves the value as it was, in memory and in the file.
class RegFileRegistry : public Registry {
 public:
  explicit RegFileRegistry(std::string path);

  std::unique_ptr<RegistryKey> CreateKey(const std::string& path, RegistryAccess access) override;

  // False when the file exists but cannot be read (it is then left alone).
  [[nodiscard]] bool loaded() const { return loaded_; }

 private:
  struct Value {
    std::string name;  // as first written
    RegistryValue value;
  };
  struct Key {
    std::string path;                     // as first written
    std::map<std::string, Value> values;  // by lower-case name
  };
  class OpenKey;

  void Load();
  [[nodiscard]] bool Save() const;

  std::string file_;
  std::map<std::string, Key> keys_;  // by lower-case path
  bool loaded_ = true;
};

}  // namespace veltharn
