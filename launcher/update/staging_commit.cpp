#include "launcher/update/staging_commit.h"

#include <optional>
#include <vector>

#include "launcher/control/debug_report.h"
#include "launcher/update/local_file.h"

namespace veltharn {
namespace {

std::string Below(const std::string& folder, const std::string& name) {
  return folder + "\\" + name;
}

bool MergeFolder(FileSystem& files, const std::string& from, const std::string& to) {
  if (files.CreateFolder(to) == FolderResult::kFailed) return false;
  std::optional<std::vector<FolderEntry>> entries = files.ListFolder(from);
  if (!entries) return false;
  bool movedAll = true;
  for (const FolderEntry& entry : *entries) {
    const std::string source = Below(from, entry.name);
    const std::string target = Below(to, entry.name);
    if (entry.isFolder) {
      movedAll = MergeFolder(files, source, target) && movedAll;
      continue;
    }
    if (files.Exists(target)) DeleteLocalFile(files, target);
    movedAll = files.Move(source, target) && movedAll;
  }
  return movedAll;
}

}  // namespace

bool MoveSubfolders(FileSystem& files, const std::string& source, const std::string& destination) {
  std::optional<std::vector<FolderEntry>> entries = files.ListFolder(source);
  if (!entries) return true;  // nothing staged
  bool movedAll = true;
  for (const FolderEntry& entry : *entries) {
    if (!entry.isFolder) continue;
    movedAll = MergeFolder(files, Below(source, entry.name), Below(destination, entry.name)) &&
               movedAll;
  }
  return movedAll;
}

bool DeleteTree(FileSystem& files, const std::string& folder) {
  if (std::optional<std::vector<FolderEntry>> entries = files.ListFolder(folder)) {
    for (const FolderEntry& entry : *entries) {
      const std::string path = Below(folder, entry.name);
      if (entry.isFolder ? !DeleteTree(files, path) : !DeleteLocalFile(files, path)) return false;
    }
  }
  return files.RemoveFolder(folder);
}

void CommitStaging(FileSystem& files, const std::string& clientRoot) {
  const std::string staging = Below(clientRoot, "Patch");
  if (!MoveSubfolders(files, staging, clientRoot)) {
    ReportDebug("staged files left in %s for the next commit", staging.c_str());
    return;
  }
  DeleteTree(files, staging);
}

}  // namespace veltharn
