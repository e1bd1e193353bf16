#pragma once

#include <string_view>

namespace veltharn {

// The update server names files relative to the client folder, and the launcher runs as
// administrator: a name is used only when it stays inside that folder. Refused are empty names,
// absolute paths and drive letters ("C:\", "C:x"), UNC and device paths ("\\server\share",
// "\\?\", "\\.\"), alternate data streams (any ":"), a ".." that climbs above the root, names of
// Windows devices in any part ("CON", "nul.txt", "COM1"), wildcards, control characters, and
// parts that end in a dot or a blank (Windows drops those, so they would name another file).
// Both "\" and "/" count as separators, as they do on Windows. "." parts are allowed.
[[nodiscard]] bool IsSafeClientPath(std::string_view path);

}  // namespace veltharn
