#pragma once

#include <string>

#include "launcher/ports/file_system.h"

namespace veltharn {

// Merges every folder below `source` into the same-named folder below `destination`: missing
// folders are made, files of the same name are replaced (read-only ones too), other files of
// `destination` stay. Files lying directly in `source` are not moved. False when anything could
// not be moved; what could be is moved all the same.
bool MoveSubfolders(FileSystem& files, const std::string& source, const std::string& destination);

// Deletes `folder` with everything in it, read-only files too. Stops at the first file or folder
// that cannot be deleted and answers false.
bool DeleteTree(FileSystem& files, const std::string& folder);

// Makes what the staging folder (`clientRoot` + "\Patch") holds current: its folders are merged
// into the client root, then the staging folder is deleted with the loose files in it. When a
// staged file could not be moved the staging folder is kept, so the next commit moves it instead
// of losing it.
void CommitStaging(FileSystem& files, const std::string& clientRoot);

}  // namespace veltharn
