// The real file system adapter of this platform, on real files in a folder of each test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "launcher/update/crc32_static.h"
#include "launcher/update/file_trailer.h"
#include "tests/fakes/fake_view.h"
#ifdef _WIN32
#include "launcher/adapters/win32/win32_file_system.h"
using PlatformFileSystem = veltharn::Win32FileSystem;
#else
#include <sys/stat.h>

#include "launcher/adapters/posix/posix_file_system.h"
using PlatformFileSystem = veltharn::PosixFileSystem;
#endif

namespace veltharn {
namespace {

namespace fs = std::filesystem;

std::span<const std::byte> AsBytes(const std::string& text) {
  return std::as_bytes(std::span(text.data(), text.size()));
}

// Works in a fresh folder that it makes the current directory, as the client folder is.
class FileSystemTest : public testing::Test {
 protected:
  FileSystemTest() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    root_ = fs::temp_directory_path() /
            ("veltharn-fs-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    fs::create_directories(root_);
    saved_ = fs::current_path();
    fs::current_path(root_);
  }
  ~FileSystemTest() override {
    fs::current_path(saved_);
    std::error_code ignored;
    // Read-only leftovers would stop the removal on Windows.
    for (const auto& entry : fs::recursive_directory_iterator(root_, ignored)) {
      fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    }
    fs::remove_all(root_, ignored);
  }

  static void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
  }
  static std::string ReadAll(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string ReadThroughPort(const std::string& path) {
    auto file = files.OpenForRead(path, true);
    if (!file) return "<none>";
    std::string bytes;
    std::byte block[7];
    for (int64_t got; (got = file->Read(block)) > 0;) {
      bytes.append(reinterpret_cast<const char*>(block), static_cast<std::size_t>(got));
    }
    return bytes;
  }

  PlatformFileSystem files;
  fs::path root_;
  fs::path saved_;
};

TEST_F(FileSystemTest, ReadsSeeksAndTellsTheSize) {
  fs::create_directory("sub");
  Write("sub/data.bin", std::string("0123456789", 10));
  for (const char* path : {"sub\\data.bin", ".\\sub\\data.bin", "sub/data.bin"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(ReadThroughPort(path), "0123456789");
    auto file = files.OpenForRead(path, false);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Size(), 10);
    EXPECT_TRUE(file->Seek(6));
    std::byte four[4];
    EXPECT_EQ(file->Read(four), 4);
    EXPECT_EQ(static_cast<char>(four[0]), '6');
    EXPECT_EQ(file->Read(four), 0);  // the end
  }
  EXPECT_EQ(files.OpenForRead("sub\\missing.bin", true), nullptr);
  EXPECT_EQ(files.OpenForRead("sub", true), nullptr);  // a folder is not a file
}

TEST_F(FileSystemTest, SeeksBackAndForthBetweenReads) {
  Write("data.bin", "0123456789");
  auto file = files.OpenForRead("data.bin", false);
  ASSERT_NE(file, nullptr);
  auto readThree = [&] {
    std::byte three[3];
    const int64_t got = file->Read(three);
    return std::string(reinterpret_cast<const char*>(three), got > 0 ? got : 0);
  };
  EXPECT_EQ(readThree(), "012");
  EXPECT_EQ(readThree(), "345");  // a read goes on where the last one ended
  EXPECT_TRUE(file->Seek(8));
  EXPECT_EQ(readThree(), "89");
  EXPECT_TRUE(file->Seek(1));
  EXPECT_EQ(readThree(), "123");
  EXPECT_TRUE(file->Seek(20));  // past the end: nothing to read
  EXPECT_EQ(readThree(), "");
  EXPECT_FALSE(file->Seek(-1));
  EXPECT_EQ(file->Size(), 10);
}

TEST_F(FileSystemTest, InspectionOpensAndLeavesTheFileNormal) {
  struct Case {
    const char* path;
    bool readOnly;
    const char* contents;  // null: no file opened
  } const cases[] = {
      {"plain.dat", false, "plain"},   {"locked.dat", true, "locked"},
      {"sub\\deep.dat", true, "deep"}, {"missing.dat", false, nullptr},
      {"sub", false, nullptr},  // a folder is not a file
  };
  fs::create_directory("sub");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::string host = c.path;
    std::replace(host.begin(), host.end(), '\\', '/');
    if (c.contents != nullptr) Write(host, c.contents);
    if (c.readOnly) {
      ASSERT_TRUE(files.SetAttributes(c.path, FileAttributes::kReadOnly));
    }
    std::unique_ptr<ReadableFile> file = files.OpenForInspection(c.path);
    if (c.contents == nullptr) {
      EXPECT_EQ(file, nullptr);
      continue;
    }
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Size(), static_cast<int64_t>(std::string(c.contents).size()));
    file.reset();
    EXPECT_EQ(ReadThroughPort(c.path), c.contents);
    // Normal again: it can be deleted as it stands.
    EXPECT_TRUE(files.Delete(c.path));
  }
}

#ifndef _WIN32
// Every inspection resets its file's attributes; when nothing changes, the inode must not be
// written (its change time stays), or a check of many files goes through the journal for each.
TEST_F(FileSystemTest, InspectingANormalFileLeavesItsInodeAlone) {
  Write("plain.dat", "plain");
  struct stat before;
  ASSERT_EQ(::stat("plain.dat", &before), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_NE(files.OpenForInspection("plain.dat"), nullptr);
  struct stat after;
  ASSERT_EQ(::stat("plain.dat", &after), 0);
  EXPECT_EQ(after.st_ctim.tv_sec, before.st_ctim.tv_sec);
  EXPECT_EQ(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
}
#endif

TEST_F(FileSystemTest, CreatesAndTruncates) {
  auto file = files.Create("new.bin");
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->Write(AsBytes("first version")));
  EXPECT_TRUE(file->Close());
  EXPECT_EQ(ReadAll("new.bin"), "first version");
  file = files.Create(".\\new.bin");
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->Write(AsBytes("2nd")));
  EXPECT_TRUE(file->Close());
  EXPECT_EQ(ReadAll("new.bin"), "2nd");
  EXPECT_EQ(files.Create("no-such-folder\\x.bin"), nullptr);
}

TEST_F(FileSystemTest, ReadOnlyFilesResistOverwriteAndDeleteUntilMadeNormal) {
  Write("locked.dat", "keep");
  ASSERT_TRUE(files.SetAttributes("locked.dat", FileAttributes::kReadOnly));
  EXPECT_EQ(files.Create("locked.dat"), nullptr);
  EXPECT_FALSE(files.Delete("locked.dat"));
  EXPECT_EQ(ReadAll("locked.dat"), "keep");
  EXPECT_EQ(ReadThroughPort("locked.dat"), "keep");  // still readable
  ASSERT_TRUE(files.SetAttributes("locked.dat", FileAttributes::kArchive));
  EXPECT_TRUE(files.Delete("locked.dat"));
  EXPECT_FALSE(files.Exists("locked.dat"));
  EXPECT_FALSE(files.SetAttributes("locked.dat", FileAttributes::kNormal));
  EXPECT_FALSE(files.Delete("locked.dat"));
}

TEST_F(FileSystemTest, MovesWithoutReplacing) {
  Write("a.txt", "A");
  Write("b.txt", "B");
  EXPECT_FALSE(files.Move("a.txt", "b.txt"));
  EXPECT_EQ(ReadAll("b.txt"), "B");
  EXPECT_TRUE(files.Move("a.txt", "c.txt"));
  EXPECT_FALSE(files.Exists("a.txt"));
  EXPECT_EQ(ReadAll("c.txt"), "A");
  EXPECT_FALSE(files.Move("missing.txt", "d.txt"));
}

TEST_F(FileSystemTest, CopiesWithOrWithoutOverwriting) {
  Write("from.txt", "source");
  Write("to.txt", "old");
  EXPECT_FALSE(files.Copy("from.txt", "to.txt", false));
  EXPECT_EQ(ReadAll("to.txt"), "old");
  EXPECT_TRUE(files.Copy("from.txt", "to.txt", true));
  EXPECT_EQ(ReadAll("to.txt"), "source");
  EXPECT_TRUE(files.Copy("from.txt", "fresh.txt", false));
  EXPECT_EQ(ReadAll("fresh.txt"), "source");
  EXPECT_FALSE(files.Copy("missing.txt", "other.txt", true));
  EXPECT_FALSE(files.Exists("other.txt"));
}

TEST_F(FileSystemTest, CreatesOneFolderLevel) {
  EXPECT_EQ(files.CreateFolder("Patch"), FolderResult::kCreated);
  EXPECT_EQ(files.CreateFolder("Patch"), FolderResult::kAlreadyExists);
  EXPECT_EQ(files.CreateFolder("Patch\\system"), FolderResult::kCreated);
  EXPECT_EQ(files.CreateFolder("x\\y"), FolderResult::kFailed);
  EXPECT_TRUE(fs::is_directory("Patch/system"));
  EXPECT_TRUE(files.Exists("Patch\\system"));
}

TEST_F(FileSystemTest, FullPathAndCurrentDirectory) {
  const std::optional<std::string> current = files.CurrentDirectory();
  ASSERT_TRUE(current.has_value());
  EXPECT_TRUE(fs::equivalent(*current, root_));
  const std::optional<std::string> full = files.FullPath(".\\Patch\\a.dat");  // need not exist
  ASSERT_TRUE(full.has_value());
  EXPECT_EQ(fs::path(*full), fs::path(*current) / "Patch" / "a.dat");
  fs::create_directory("inner");
  EXPECT_TRUE(files.SetCurrentDirectory("inner"));
  EXPECT_TRUE(fs::equivalent(fs::current_path(), root_ / "inner"));
  EXPECT_FALSE(files.SetCurrentDirectory("no-such-folder"));
}

// The whole road of a stamped file over real files: trailer words and body CRC agree.
TEST_F(FileSystemTest, StampedFileChecksOut) {
  std::string content(10000, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 13);
  CCrc32Static crc(files);
  Write("body.bin", content);
  const uint32_t bodyCrc = crc.CrcOfFilePrefix("body.bin", 0).crc;
  const auto stamped = BuildTrailer(61, 317, bodyCrc);
  Write("stamped.bin", content + std::string(reinterpret_cast<const char*>(stamped.data()), 20));
  auto file = files.OpenForRead("stamped.bin", false);
  ASSERT_NE(file, nullptr);
  const std::optional<TrailerWords> words = ReadTrailerWords(*file);
  ASSERT_TRUE(words.has_value());
  EXPECT_EQ(*words, (TrailerWords{61, 317, bodyCrc, 0}));
  FakeView view;
  EXPECT_EQ(crc.CrcOfFileBody("stamped.bin", view).crc, bodyCrc);
  EXPECT_EQ(view.pumps, 3);
  EXPECT_NE(crc.CrcOfFilePrefix("missing.bin", 0).openError, 0);
}

}  // namespace
}  // namespace veltharn
