#pragma once
#include <string>

#include "ports/file_system.h"

namespace pellorix {

// Creates the folder and every missing parent. False only for an empty path; a folder that
// still cannot be created shows up later, when a file in it cannot be written.
bool CreateFolderWithParents(FileSystem& files, const std::string& path);

}  // namespace pellorix
