#pragma once

#include <cstddef>
#include <string>

#include "launcher/ports/file_system.h"

namespace veltharn {

class Notices;

// Compressed transfers are zlib streams (header, deflate data, Adler-32), one file each.
inline constexpr std::size_t kInflateBlockSize = 1 << 20;

// Inflates the zlib stream `source` into a new file `target`, in blocks of kInflateBlockSize in
// and out (2 MiB whatever the size), running one pending message before each step so the dialog
// stays alive. False when the target cannot be written, memory runs out, the stream is corrupt or
// ends early, or the launcher started ending meanwhile; `target` is then deleted. Bytes after the
// end of the stream are ignored.
[[nodiscard]] bool InflateFile(Notices& notices, FileSystem& files, const std::string& target,
                               ReadableFile& source);

}  // namespace veltharn
