#pragma once
// Tests against the registry layout shared with the agent. Failures to open or read a key are
// answers ("not installed", "empty"), never errors.
#include <string>

#include "ports/file_system.h"
#include "ports/registry.h"

namespace pellorix {

// Result codes of the legacy uninstall scan.
inline constexpr int kScanFound = 0;
inline constexpr int kScanNotFound = 11;
inline constexpr int kScanKeyUnreadable = 15;

// An uninstall entry named "Pellorix" and, when the Brennix key exists, a non-empty InstPath.
bool IsPortalInstalled(Registry& registry);
// Whether "<ProgramFiles>\Kelvaro\PortalQel\Brennix\tavupd.exe" exists.
bool HasPortalUpdater(FileSystem& files, const std::string& programFiles);
std::string PortalProgramFolder(const std::string& programFiles);

struct PortalFolders {
  std::string base;     // InstPath of the portal key, trailing backslash removed
  std::string brennix;  // InstPath of the Brennix key, trailing backslash removed
};
PortalFolders ReadPortalFolders(Registry& registry);

// "UpdateValidate" of the Brennix key reads "SETUP_SUCCESS".
bool PortalSetupSucceeded(Registry& registry);

int ScanLegacyUninstall(Registry& registry);
// InstPath of the legacy key, trailing backslash removed; empty when absent.
std::string ReadLegacyFolder(Registry& registry);
// "UpdateValidate" of the legacy key reads "SUCCESS".
bool LegacyUpdateSucceeded(Registry& registry);

}  // namespace pellorix
