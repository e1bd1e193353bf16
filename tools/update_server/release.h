#pragma once

// A release folder as the reference update server serves it: `version.txt` (the global version,
// optionally the separate version on a second line) and the release files below the folder, each
// ending in the 20-byte trailer [0, word 0, word 1, CRC-32 of the file before the trailer, 0].
// Two optional lists, one client path with backslashes per line: `removed.txt`, files the client
// must delete, and `staged.txt`, release files that travel through the client's staging folder.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace veltharn::update_server {

inline constexpr std::size_t kTrailerSize = 20;

struct ReleaseFile {
  std::string name;         // relative path with backslashes, UTF-8, for the log
  std::u16string wireName;  // the same path as the launcher is asked for it
  std::uint32_t size = 0;   // the whole file, trailer included
  std::uint32_t word0 = 0;
  std::uint32_t word1 = 0;
  std::uint32_t checksum = 0;  // trailer word 2
  std::filesystem::path path;  // where the release keeps it
  bool staged = false;         // listed in staged.txt
};

// A new launcher program (--launcher), offered to every launcher whose own Veltharn.exe differs
// from it. Its trailer is read but not checked, so that a launcher's refusal of a damaged program
// can be tried as well as a hand-over.
struct LauncherOffer {
  std::uint32_t size = 0;      // the whole file, trailer included
  std::uint32_t checksum = 0;  // trailer word 2, as the file has it
  std::filesystem::path path;
};

struct Release {
  std::int32_t globalVersion = 0;
  std::int32_t separateVersion = 0;
  std::vector<ReleaseFile> files;       // sorted by name, so every exchange asks in the same order
  std::vector<std::u16string> removed;  // from removed.txt, as the launcher is told them
  std::optional<LauncherOffer> launcher;  // not part of the folder: the caller sets it
};

// Reads `folder`. A missing or unreadable version, a file too short for a trailer, or a trailer
// whose CRC-32 does not match the file refuses the release: nothing is returned and `error` says
// why.
std::optional<Release> LoadRelease(const std::filesystem::path& folder, std::string& error);

// Reads the program at `file`. Nothing when it cannot be read or is too short for a trailer.
std::optional<LauncherOffer> LoadLauncherOffer(const std::filesystem::path& file,
                                               std::string& error);

}  // namespace veltharn::update_server
