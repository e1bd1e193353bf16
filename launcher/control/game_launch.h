#pragma once

#include <string>

#include "launcher/control/notices.h"
#include "launcher/ports/file_system.h"
#include "launcher/ports/processes.h"
#include "launcher/ports/registry.h"

namespace veltharn {

inline constexpr const char* kDirectXKey = "SOFTWARE\\Microsoft\\DirectX";

// True when the version text of DirectX (four numbers separated by ".") is 4.09.00.0904 or later.
[[nodiscard]] bool IsDirectXVersionSufficient(const std::string& version);
// Reads the installed DirectX version from the registry; missing or not text is insufficient.
[[nodiscard]] bool CheckDirectX(Registry& registry);

// Replaces the launcher with the game client ".\qor.exe" in ".\system". Returns only when the
// start failed: the current directory is the client folder again and box 517 has been shown.
void StartGame(FileSystem& files, Processes& processes, Notices& notices);

}  // namespace veltharn
