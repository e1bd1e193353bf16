// CommitStaging on real files through this platform's file system adapter.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "launcher/update/staging_commit.h"
#ifdef _WIN32
#include "launcher/adapters/win32/win32_file_system.h"
using PlatformFileSystem = veltharn::Win32FileSystem;
#else
#include "launcher/adapters/posix/posix_file_system.h"
using PlatformFileSystem = veltharn::PosixFileSystem;
#endif

namespace veltharn {
namespace {

namespace fs = std::filesystem;

class StagingCommitFilesTest : public testing::Test {
 protected:
  StagingCommitFilesTest() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    root_ = fs::temp_directory_path() /
            ("veltharn-commit-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    fs::create_directories(root_);
    saved_ = fs::current_path();
    fs::current_path(root_);
  }
  ~StagingCommitFilesTest() override {
    fs::current_path(saved_);
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(root_, ignored)) {
      fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    }
    fs::remove_all(root_, ignored);
  }
  static void Write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  PlatformFileSystem files;
  fs::path root_;
  fs::path saved_;
};

TEST_F(StagingCommitFilesTest, MergesIntoTheClientFolder) {
  Write(root_ / "system" / "a.dat", "old a");
  fs::permissions(root_ / "system" / "a.dat", fs::perms::owner_write | fs::perms::group_write |
                                                  fs::perms::others_write,
                  fs::perm_options::remove);
  Write(root_ / "system" / "keep.dat", "kept");
  Write(root_ / "Patch" / "system" / "a.dat", "new a");
  Write(root_ / "Patch" / "system" / "sub" / "c.dat", "new c");
  Write(root_ / "Patch" / "b.dat", "loose");

  std::optional<std::string> current = files.CurrentDirectory();
  ASSERT_TRUE(current);
  CommitStaging(files, *current);

  EXPECT_EQ(Read(root_ / "system" / "a.dat"), "new a");
  EXPECT_EQ(Read(root_ / "system" / "keep.dat"), "kept");
  EXPECT_EQ(Read(root_ / "system" / "sub" / "c.dat"), "new c");
  EXPECT_EQ(Read(root_ / "b.dat"), "<missing>");
  EXPECT_FALSE(fs::exists(root_ / "Patch"));
}

TEST_F(StagingCommitFilesTest, ListsAndRemovesFolders) {
  Write(root_ / "f" / "x.dat", "x");
  fs::create_directories(root_ / "f" / "sub");
  auto entries = files.ListFolder("f");
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 2u);
  int folders = 0;
  for (const FolderEntry& entry : *entries) {
    SCOPED_TRACE(entry.name);
    EXPECT_TRUE(entry.name == "x.dat" || entry.name == "sub");
    folders += entry.isFolder ? 1 : 0;
  }
  EXPECT_EQ(folders, 1);
  EXPECT_FALSE(files.ListFolder("missing"));
  EXPECT_FALSE(files.RemoveFolder("f"));  // not empty
  EXPECT_TRUE(files.RemoveFolder("f\\sub"));
  EXPECT_FALSE(fs::exists(root_ / "f" / "sub"));
}

#ifndef _WIN32
TEST_F(StagingCommitFilesTest, DeleteTreeDoesNotFollowLinksOutOfTheFolder) {
  const fs::path outside = root_ / "outside";
  Write(outside / "precious.dat", "precious");
  fs::create_directories(root_ / "tree");
  fs::create_directory_symlink(outside, root_ / "tree" / "link");
  DeleteTree(files, "tree");
  EXPECT_EQ(Read(outside / "precious.dat"), "precious");
}
#endif

}  // namespace
}  // namespace veltharn
