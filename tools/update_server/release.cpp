#include "tools/update_server/release.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <system_error>

namespace veltharn::update_server {
namespace {

namespace fs = std::filesystem;

// One decimal number, blanks and a Windows line end around it allowed.
std::optional<std::int32_t> ParseVersion(std::string line) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!line.empty() && blank(line.back())) line.pop_back();
  const auto first = std::find_if_not(line.begin(), line.end(), blank);
  const char* begin = line.data() + (first - line.begin());
  const char* end = line.data() + line.size();
  std::int32_t value = 0;
  const auto [stop, failure] = std::from_chars(begin, end, value);
  if (failure != std::errc() || stop != end || begin == end) return std::nullopt;
  return value;
}

std::uint32_t LittleEndianWord(const unsigned char* bytes) {
  return bytes[0] | (std::uint32_t{bytes[1]} << 8) | (std::uint32_t{bytes[2]} << 16) |
         (std::uint32_t{bytes[3]} << 24);
}

// Reads the file's trailer and, with `checkCrc`, checks its CRC-32 against the bytes before it.
std::optional<ReleaseFile> ReadTrailedFile(const fs::path& path, bool checkCrc,
                                           std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path.string();
    return std::nullopt;
  }
  std::vector<unsigned char> content{std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>()};
  if (content.size() < kTrailerSize || content.size() > UINT32_MAX) {
    error = path.string() + " has no trailer";
    return std::nullopt;
  }
  const std::size_t bodySize = content.size() - kTrailerSize;
  const unsigned char* trailer = content.data() + bodySize;
  ReleaseFile file;
  file.size = static_cast<std::uint32_t>(content.size());
  file.word0 = LittleEndianWord(trailer + 4);
  file.word1 = LittleEndianWord(trailer + 8);
  file.checksum = LittleEndianWord(trailer + 12);
  const auto crc =
      static_cast<std::uint32_t>(::crc32(0L, content.data(), static_cast<uInt>(bodySize)));
  if (checkCrc && crc != file.checksum) {
    error = path.string() + " has a trailer that does not match its content";
    return std::nullopt;
  }
  return file;
}

// The lines of an optional list file, without line ends; ASCII names.
std::vector<std::string> ReadList(const fs::path& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

bool IsListFile(const fs::path& relative) {
  return relative == "version.txt" || relative == "removed.txt" || relative == "staged.txt";
}

}  // namespace

std::optional<Release> LoadRelease(const fs::path& folder, std::string& error) {
  std::ifstream versionFile(folder / "version.txt");
  std::string globalLine;
  std::string separateLine;
  if (!versionFile || !std::getline(versionFile, globalLine)) {
    error = "cannot read " + (folder / "version.txt").string();
    return std::nullopt;
  }
  // The second line is optional; an empty one counts as absent.
  std::getline(versionFile, separateLine);
  const auto global = ParseVersion(globalLine);
  const auto separate = ParseVersion(
      separateLine.find_first_not_of(" \t\r") == std::string::npos ? "0" : separateLine);
  if (!global || !separate) {
    error = (folder / "version.txt").string() + " does not hold version numbers";
    return std::nullopt;
  }
  Release release;
  release.globalVersion = *global;
  release.separateVersion = *separate;

  std::error_code failure;
  for (fs::recursive_directory_iterator it(folder, failure), end; !failure && it != end;
       it.increment(failure)) {
    if (!it->is_regular_file()) continue;
    const fs::path relative = it->path().lexically_relative(folder);
    if (IsListFile(relative)) continue;
    auto file = ReadTrailedFile(it->path(), /*checkCrc=*/true, error);
    if (!file) return std::nullopt;
    file->name = relative.generic_string();
    std::replace(file->name.begin(), file->name.end(), '/', '\\');
    file->path = it->path();
    file->wireName = relative.generic_u16string();
    std::replace(file->wireName.begin(), file->wireName.end(), u'/', u'\\');
    release.files.push_back(std::move(*file));
  }
  if (failure) {
    error = "cannot list " + folder.string() + ": " + failure.message();
    return std::nullopt;
  }
  std::sort(release.files.begin(), release.files.end(),
            [](const ReleaseFile& a, const ReleaseFile& b) { return a.wireName < b.wireName; });
  for (const std::string& name : ReadList(folder / "staged.txt")) {
    for (ReleaseFile& file : release.files) file.staged = file.staged || file.name == name;
  }
  for (const std::string& name : ReadList(folder / "removed.txt")) {
    release.removed.emplace_back(name.begin(), name.end());
  }
  return release;
}

std::optional<LauncherOffer> LoadLauncherOffer(const fs::path& file, std::string& error) {
  const auto read = ReadTrailedFile(file, /*checkCrc=*/false, error);
  if (!read) return std::nullopt;
  return LauncherOffer{read->size, read->checksum, file};
}

}  // namespace veltharn::update_server
