#include "discovery/installation_discovery.h"

#include <cstdint>
#include <optional>

#include "common/text.h"
#include "discovery/registry_layout.h"

namespace pellorix {
namespace {

bool NamesTheAgent(RegistryKey& uninstall, const std::string& subKeyName) {
  const auto entry = uninstall.OpenSubKey(subKeyName, KeyAccess::Read);
  if (!entry) return false;
  const auto displayName = entry->ReadText(layout::kDisplayName);
  return displayName && EqualsNoCase(*displayName, layout::kAgentDisplayName);
}

std::string NonEmptyFolder(RegistryKey& key) {
  const auto value = key.ReadText(layout::kInstPath);
  return value ? WithoutTrailingBackslash(*value) : std::string();
}

bool ValueReads(Registry& registry, const char* keyPath, const char* expected) {
  const auto key = registry.Open(Hive::LocalMachine, keyPath, KeyAccess::Read);
  if (!key) return false;
  const auto value = key->ReadText(layout::kUpdateValidate);
  return value && EqualsNoCase(*value, expected);
}

}  // namespace

bool IsPortalInstalled(Registry& registry) {
  const auto uninstall = registry.Open(Hive::LocalMachine, layout::kUninstallKey, KeyAccess::Read);
  if (!uninstall) return false;
  bool listed = false;
  // Every subkey is visited, even after a match.
  for (std::uint32_t index = 0;; ++index) {
    const auto name = uninstall->SubKeyName(index);
    if (!name) break;
    if (NamesTheAgent(*uninstall, *name)) listed = true;
  }
  if (!listed) return false;

  const auto brennix = registry.Open(Hive::LocalMachine, layout::kBrennixKey, KeyAccess::QueryValue);
  if (!brennix) return true;
  const auto folder = brennix->ReadText(layout::kInstPath);
  return folder && !folder->empty();
}

std::string PortalProgramFolder(const std::string& programFiles) {
  return programFiles + "\\Kelvaro\\PortalQel\\Brennix";
}

bool HasPortalUpdater(FileSystem& files, const std::string& programFiles) {
  const auto path = FitToBuffer(PortalProgramFolder(programFiles) + "\\tavupd.exe");
  return path && files.Exists(*path);
}

PortalFolders ReadPortalFolders(Registry& registry) {
  PortalFolders folders;
  if (const auto portal = registry.Open(Hive::LocalMachine, layout::kPortalKey, KeyAccess::ReadWrite)) {
    folders.base = NonEmptyFolder(*portal);
  }
  if (const auto brennix =
          registry.Open(Hive::LocalMachine, layout::kBrennixKey, KeyAccess::ReadWrite)) {
    folders.brennix = NonEmptyFolder(*brennix);
  }
  return folders;
}

bool PortalSetupSucceeded(Registry& registry) {
  return ValueReads(registry, layout::kBrennixKey, layout::kPortalSetupSuccess);
}

int ScanLegacyUninstall(Registry& registry) {
  const auto uninstall = registry.Open(Hive::LocalMachine, layout::kUninstallKey, KeyAccess::Read);
  if (!uninstall) return kScanKeyUnreadable;
  for (std::uint32_t index = 0;; ++index) {
    const auto name = uninstall->SubKeyName(index);
    if (!name) break;
    if (NamesTheAgent(*uninstall, *name)) return kScanFound;
  }
  return kScanNotFound;
}

std::string ReadLegacyFolder(Registry& registry) {
  const auto key = registry.Open(Hive::LocalMachine, layout::kLegacyKey, KeyAccess::QueryValue);
  if (!key) return {};
  return NonEmptyFolder(*key);
}

bool LegacyUpdateSucceeded(Registry& registry) {
  return ValueReads(registry, layout::kLegacyKey, layout::kLegacySuccess);
}

}  // namespace pellorix
