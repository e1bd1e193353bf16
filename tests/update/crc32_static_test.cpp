#include "launcher/update/crc32_static.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher/update/crc32.h"
#include "tests/fakes/fake_view.h"
#include "tests/fakes/memory_file_system.h"

namespace veltharn {
namespace {

uint32_t CrcOf(const std::string& text) {
  return Crc32(std::as_bytes(std::span(text.data(), text.size())));
}

// Counts the reads and checks each asks for at most one block, with the sequential hint.
class CountingFileSystem : public MemoryFileSystem {
 public:
  std::unique_ptr<ReadableFile> OpenForRead(const std::string& path, bool sequential) override {
    sequentialHints.push_back(sequential);
    auto file = MemoryFileSystem::OpenForRead(path, sequential);
    if (!file) return nullptr;
    return std::make_unique<CountingFile>(std::move(file), *this);
  }
  std::vector<bool> sequentialHints;
  std::vector<std::size_t> requests;

 private:
  class CountingFile : public ReadableFile {
   public:
    CountingFile(std::unique_ptr<ReadableFile> inner, CountingFileSystem& owner)
        : inner_(std::move(inner)), owner_(owner) {}
    int64_t Size() override { return inner_->Size(); }
    bool Seek(int64_t offset) override { return inner_->Seek(offset); }
    int64_t Read(std::span<std::byte> buffer) override {
      owner_.requests.push_back(buffer.size());
      return inner_->Read(buffer);
    }

   private:
    std::unique_ptr<ReadableFile> inner_;
    CountingFileSystem& owner_;
  };
};

std::string Pattern(std::size_t size) {
  std::string text(size, '\0');
  for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>(i * 31 + 7);
  return text;
}

TEST(CCrc32StaticTest, BodyLeavesOutTheTrailerAndPumpsOncePerBlock) {
  struct Case {
    std::size_t size;
    std::size_t covered;
    int pumps;
  };
  const Case cases[] = {
      {0, 0, 0},       {19, 19, 1},     {20, 0, 0},      {21, 1, 1},
      {4116, 4096, 1}, {4117, 4097, 2}, {8212, 8192, 2}, {10000, 9980, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    CountingFileSystem files;
    const std::string content = Pattern(c.size);
    files.AddFile("a\\file.dat", content);
    FakeView view;
    CCrc32Static crc(files);
    CCrc32Static::Result result = crc.CrcOfFileBody("a\\file.dat", view);
    EXPECT_EQ(result.crc, CrcOf(content.substr(0, c.covered)));
    EXPECT_EQ(result.openError, 0);
    EXPECT_EQ(view.pumps, c.pumps);
    EXPECT_EQ(files.sequentialHints, std::vector<bool>{true});
    for (std::size_t request : files.requests) EXPECT_LE(request, CCrc32Static::kBlockSize);
  }
}

TEST(CCrc32StaticTest, PrefixLeavesOutTheGivenTailWithoutPumping) {
  struct Case {
    std::size_t size;
    std::size_t excluded;
    std::size_t covered;
  };
  const Case cases[] = {
      {0, 0, 0}, {9, 0, 9}, {5000, 0, 5000}, {5000, 20, 4980}, {10, 20, 10}, {20, 20, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.size << " less " << c.excluded);
    CountingFileSystem files;
    const std::string content = Pattern(c.size);
    files.AddFile("b.dat", content);
    CCrc32Static crc(files);
    CCrc32Static::Result result = crc.CrcOfFilePrefix("b.dat", c.excluded);
    EXPECT_EQ(result.crc, CrcOf(content.substr(0, c.covered)));
    EXPECT_EQ(result.openError, 0);
    EXPECT_EQ(files.sequentialHints, std::vector<bool>{true});
  }
}

TEST(CCrc32StaticTest, KnownContentGivesTheKnownCrc) {
  MemoryFileSystem files;
  files.AddFile("check.txt", "123456789");
  CCrc32Static crc(files);
  EXPECT_EQ(crc.CrcOfFilePrefix("check.txt", 0).crc, 0xCBF43926u);
  files.AddFile("stamped.txt", "123456789" + std::string(20, 'T'));
  FakeView view;
  EXPECT_EQ(crc.CrcOfFileBody("stamped.txt", view).crc, 0xCBF43926u);
}

TEST(CCrc32StaticTest, MissingFileYieldsZeroAndAnOpenError) {
  MemoryFileSystem files;
  FakeView view;
  CCrc32Static crc(files);
  CCrc32Static::Result body = crc.CrcOfFileBody("missing.dat", view);
  EXPECT_EQ(body.crc, 0u);
  EXPECT_NE(body.openError, 0);
  EXPECT_EQ(view.pumps, 0);
  CCrc32Static::Result prefix = crc.CrcOfFilePrefix("missing.dat", 0);
  EXPECT_EQ(prefix.crc, 0u);
  EXPECT_NE(prefix.openError, 0);
}

// The pump may run other work, here a second read of another file, between two blocks.
TEST(CCrc32StaticTest, PumpedWorkBetweenBlocksDoesNotDisturbTheCount) {
  MemoryFileSystem files;
  const std::string content = Pattern(3 * 4096 + 20);
  files.AddFile("big.dat", content);
  files.AddFile("small.dat", "123456789");
  CCrc32Static crc(files);
  FakeView view;
  uint32_t inner = 0;
  view.onPump = [&] { inner = crc.CrcOfFilePrefix("small.dat", 0).crc; };
  EXPECT_EQ(crc.CrcOfFileBody("big.dat", view).crc, CrcOf(content.substr(0, 3 * 4096)));
  EXPECT_EQ(view.pumps, 3);
  EXPECT_EQ(inner, 0xCBF43926u);
}

}  // namespace
}  // namespace veltharn
