#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "launcher/ports/file_system.h"
#include "launcher/ports/registry.h"

namespace veltharn {

class Notices;

inline constexpr const char* kClientKey = "SOFTWARE\\Brennix\\QorTestClient";

// The installed client's versions, kept in the registry across runs, with the copies the
// launcher sends to the server. Keys it opens stay open for the life of the store.
class VersionStore {
 public:
  VersionStore(Registry& registry, FileSystem& files, Notices& notices)
      : registry_(registry), files_(files), notices_(notices) {}

  // At start-up: writes missing values as 0 (a value that exists, of any type, is left alone),
  // records the working directory, then reads the versions. Failures are silent.
  void Prepare();
  // Refreshes the copies: a value that is not a REG_DWORD reads as 0.
  void ReadVersions();
  // Takes new versions in memory whatever happens, then writes them; each failure shows 511.
  void Store(int32_t global, int32_t separate);

  [[nodiscard]] int32_t installedGlobalVersion() const { return global_; }
  [[nodiscard]] int32_t installedSeparateVersion() const { return separate_; }
  // "Client Ver. (%d)" with the installed global version.
  [[nodiscard]] const std::string& versionCaption() const { return caption_; }

 private:
  void SetCaption();
  void ShowWriteFailure();

  Registry& registry_;
  FileSystem& files_;
  Notices& notices_;
  std::unique_ptr<RegistryKey> writeKey_;
  std::unique_ptr<RegistryKey> readKey_;
  int32_t global_ = 0;
  int32_t separate_ = 0;
  std::string caption_;
};

}  // namespace veltharn
