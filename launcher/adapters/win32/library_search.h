#pragma once

namespace veltharn {

// Restricts where the process loads libraries from to the system folder (SetDefaultDllDirectories,
// where the system has it) and takes the current directory out of the search (SetDllDirectoryA
// with ""). Libraries of the launcher's own are loaded by full path. Call first thing, before any
// library is loaded.
void RestrictLibrarySearch();

}  // namespace veltharn
