#include "launcher/update/staging_commit.h"

#include <gtest/gtest.h>

#include "tests/fakes/memory_file_system.h"

namespace veltharn::test {
namespace {

constexpr const char* kRoot = MemoryFileSystem::kRoot;

std::string Contents(const MemoryFileSystem& files, const std::string& path) {
  const MemoryFileSystem::Entry* entry = files.Find(path);
  return entry == nullptr ? "<missing>" : entry->bytes;
}

TEST(StagingCommitTest, MergesStagedFoldersAndDeletesTheStagingFolder) {
  MemoryFileSystem files;
  files.AddFile("system\\a.dat", "old a", /*readOnly=*/true);
  files.AddFile("system\\keep.dat", "kept");
  files.AddFile("Patch\\system\\a.dat", "new a");
  files.AddFile("Patch\\system\\sub\\c.dat", "new c");
  files.AddFile("Patch\\Notice\\n.txt", "notice");
  files.AddFile("Patch\\b.dat", "loose");
  files.AddFolder("Patch\\empty");

  CommitStaging(files, kRoot);

  struct Expect {
    const char* path;
    const char* contents;
  } const expected[] = {
      {"system\\a.dat", "new a"},      {"system\\keep.dat", "kept"},
      {"system\\sub\\c.dat", "new c"}, {"Notice\\n.txt", "notice"},
      {"b.dat", "<missing>"},          {"Patch\\b.dat", "<missing>"},
  };
  for (const Expect& e : expected) {
    SCOPED_TRACE(e.path);
    EXPECT_EQ(Contents(files, e.path), e.contents);
  }
  EXPECT_FALSE(files.HasFolder("Patch"));
  EXPECT_TRUE(files.HasFolder("empty"));
}

TEST(StagingCommitTest, AFileThatCannotBeMovedKeepsTheStagingFolder) {
  MemoryFileSystem files;
  files.AddFile("Patch\\system\\a.dat", "new a");
  files.AddFile("Patch\\system\\b.dat", "new b");
  files.FailOnCall(MemoryFileSystem::Operation::kMove, 1);
  CommitStaging(files, kRoot);
  // One moved, the other waits for the next commit rather than being deleted.
  EXPECT_EQ(files.FileNames().size(), 2u);
  EXPECT_TRUE(files.HasFolder("Patch\\system"));
  CommitStaging(files, kRoot);
  EXPECT_EQ(Contents(files, "system\\a.dat"), "new a");
  EXPECT_EQ(Contents(files, "system\\b.dat"), "new b");
  EXPECT_FALSE(files.HasFolder("Patch"));
}

TEST(StagingCommitTest, NothingStagedIsNoFailure) {
  MemoryFileSystem files;
  files.AddFile("system\\a.dat", "a");
  CommitStaging(files, kRoot);
  EXPECT_EQ(Contents(files, "system\\a.dat"), "a");
}

TEST(DeleteTreeTest, StopsAtTheFirstEntryThatCannotGo) {
  struct Case {
    const char* what;
    MemoryFileSystem::Operation failing;
    bool deleted;
  } const cases[] = {
      {"all goes", MemoryFileSystem::Operation::kOpen, true},  // not used by DeleteTree
      {"a file stays", MemoryFileSystem::Operation::kDelete, false},
      {"a folder stays", MemoryFileSystem::Operation::kRemoveFolder, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryFileSystem files;
    files.AddFile("tree\\a.dat", "a", /*readOnly=*/true);
    files.AddFile("tree\\sub\\b.dat", "b");
    files.FailOnCall(c.failing, 1);
    EXPECT_EQ(DeleteTree(files, "tree"), c.deleted);
    EXPECT_EQ(files.HasFolder("tree"), !c.deleted);
    EXPECT_TRUE(files.HasFolder(""));
  }
}

}  // namespace
}  // namespace veltharn::test
