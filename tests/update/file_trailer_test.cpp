#include "launcher/update/file_trailer.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/fakes/memory_file_system.h"

namespace veltharn {
namespace {

std::string Text(const std::array<std::byte, kTrailerSize>& bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

TEST(FileTrailerTest, BuildsFiveLittleEndianWords) {
  const std::string expected(
      "\0\0\0\0"
      "\x3D\0\0\0"
      "\x3D\x01\0\0"
      "\x26\x39\xF4\xCB"
      "\0\0\0\0",
      20);
  EXPECT_EQ(Text(BuildTrailer(61, 317, 0xCBF43926u)), expected);
}

TEST(FileTrailerTest, ReadsTheLastSixteenBytesOfAFile) {
  const std::string words(
      "\x3D\0\0\0"
      "\x3D\x01\0\0"
      "\x26\x39\xF4\xCB"
      "\x04\x03\x02\x01",
      16);
  struct Case {
    const char* name;
    std::string content;
    std::optional<TrailerWords> expected;
  };
  const Case cases[] = {
      {"empty file", "", std::nullopt},
      {"15 bytes", words.substr(1), std::nullopt},
      {"16 bytes: all trailer, no content", words, std::nullopt},
      {"17 bytes", "x" + words, TrailerWords{61, 317, 0xCBF43926u, 0x01020304u}},
      {"stamped file", "content" + Text(BuildTrailer(7, 8, 9)), TrailerWords{7, 8, 9, 0}},
      {"large file", std::string(10000, 'z') + words,
       TrailerWords{61, 317, 0xCBF43926u, 0x01020304u}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem files;
    files.AddFile("f.dat", c.content);
    auto file = files.OpenForRead("f.dat", false);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(ReadTrailerWords(*file), c.expected);
  }
}

// A file that hands out its bytes a few at a time, or fails to, as real files may.
class TrickleFile : public ReadableFile {
 public:
  TrickleFile(std::string bytes, int64_t failAfter) : bytes_(std::move(bytes)), left_(failAfter) {}
  int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }
  bool Seek(int64_t offset) override {
    position_ = static_cast<std::size_t>(offset);
    return true;
  }
  int64_t Read(std::span<std::byte> buffer) override {
    if (left_-- == 0) return -1;
    std::size_t count = std::min<std::size_t>({buffer.size(), 3, bytes_.size() - position_});
    std::memcpy(buffer.data(), bytes_.data() + position_, count);
    position_ += count;
    return static_cast<int64_t>(count);
  }

 private:
  std::string bytes_;
  std::size_t position_ = 0;
  int64_t left_;
};

TEST(FileTrailerTest, GathersShortReadsAndRefusesAFailedOne) {
  const std::string content = "body" + Text(BuildTrailer(1, 2, 3));
  TrickleFile trickle(content, 100);
  EXPECT_EQ(ReadTrailerWords(trickle), (TrailerWords{1, 2, 3, 0}));
  TrickleFile failing(content, 2);
  EXPECT_EQ(ReadTrailerWords(failing), std::nullopt);
}

}  // namespace
}  // namespace veltharn
