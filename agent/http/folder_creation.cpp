#include "http/folder_creation.h"

#include "common/text.h"

namespace pellorix {

bool CreateFolderWithParents(FileSystem& files, const std::string& path) {
  if (path.empty()) return false;
  if (files.CreateFolder(path) == CreateFolderResult::Failed) {
    CreateFolderWithParents(files, ParentFolder(path));
    files.CreateFolder(path);
  }
  return true;
}

}  // namespace pellorix
