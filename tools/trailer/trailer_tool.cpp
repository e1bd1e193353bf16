// veltharn-trailer: stamps a release file with the 20-byte trailer the launcher reads, and shows
// the trailer of a file. Built for the host even when the launcher is cross-compiled, so it uses
// only the standard library and zlib.
//
//   veltharn-trailer append FILE WORD0 WORD1   appends 0, WORD0, WORD1, CRC-32 of FILE, 0
//   veltharn-trailer show FILE                 prints words 0 to 3 and whether word 2 matches
//
// Exit status: 0 done (show: word 2 matches), 1 show: word 2 does not match or no trailer,
// 2 usage or file error.
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "launcher/update/crc32.h"
#include "launcher/update/file_trailer.h"

namespace {

using veltharn::kTrailerSize;
using veltharn::kTrailerWordsSize;

constexpr int kUsage = 2;

int Usage() {
  std::fprintf(stderr,
               "usage: veltharn-trailer append FILE WORD0 WORD1\n"
               "       veltharn-trailer show FILE\n");
  return kUsage;
}

// A 32-bit word in decimal or 0x hexadecimal.
bool ParseWord(const char* text, uint32_t& word) {
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(text, &end, 0);
  if (errno != 0 || end == text || *end != '\0' || text[0] == '-' || value > UINT32_MAX) {
    return false;
  }
  word = static_cast<uint32_t>(value);
  return true;
}

bool ReadFile(const char* path, std::vector<std::byte>& bytes) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  std::byte block[65536];
  std::size_t got;
  while ((got = std::fread(block, 1, sizeof block, file)) > 0)
    bytes.insert(bytes.end(), block, block + got);
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}

int Append(const char* path, const char* word0Text, const char* word1Text) {
  uint32_t word0 = 0, word1 = 0;
  if (!ParseWord(word0Text, word0) || !ParseWord(word1Text, word1)) return Usage();
  std::vector<std::byte> content;
  if (!ReadFile(path, content)) {
    std::fprintf(stderr, "veltharn-trailer: cannot read %s: %s\n", path, std::strerror(errno));
    return kUsage;
  }
  const uint32_t crc = veltharn::Crc32(content);
  const auto trailer = veltharn::BuildTrailer(word0, word1, crc);
  std::FILE* file = std::fopen(path, "ab");
  bool ok =
      file != nullptr && std::fwrite(trailer.data(), 1, trailer.size(), file) == trailer.size();
  if (file != nullptr) ok = std::fclose(file) == 0 && ok;
  if (!ok) {
    std::fprintf(stderr, "veltharn-trailer: cannot append to %s\n", path);
    return kUsage;
  }
  std::printf("%s: word0 %" PRIu32 ", word1 %" PRIu32 ", crc 0x%08" PRIX32 "\n", path, word0, word1,
              crc);
  return 0;
}

int Show(const char* path) {
  std::vector<std::byte> content;
  if (!ReadFile(path, content)) {
    std::fprintf(stderr, "veltharn-trailer: cannot read %s: %s\n", path, std::strerror(errno));
    return kUsage;
  }
  if (content.size() <= kTrailerWordsSize) {
    std::printf("%s: no trailer (%zu bytes)\n", path, content.size());
    return 1;
  }
  const auto words = veltharn::ParseTrailerWords(std::span<const std::byte, kTrailerWordsSize>(
      content.end() - kTrailerWordsSize, content.end()));
  // The body is the file without its whole 20-byte trailer; a shorter file is covered whole.
  const std::size_t bodySize =
      content.size() >= kTrailerSize ? content.size() - kTrailerSize : content.size();
  const uint32_t bodyCrc = veltharn::Crc32(std::span(content.data(), bodySize));
  std::printf("word0 %" PRIu32 "\nword1 %" PRIu32 "\nword2 0x%08" PRIX32 "\nword3 %" PRIu32 "\n",
              words.word0, words.word1, words.crc, words.word3);
  if (bodyCrc == words.crc) {
    std::printf("word2 matches the CRC-32 of the body\n");
    return 0;
  }
  std::printf("word2 does not match: the CRC-32 of the body is 0x%08" PRIX32 "\n", bodyCrc);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "append") == 0) return Append(argv[2], argv[3], argv[4]);
  if (argc == 3 && std::strcmp(argv[1], "show") == 0) return Show(argv[2]);
  return Usage();
}
