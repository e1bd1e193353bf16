#include "launcher/adapters/win32/library_search.h"

#include <windows.h>

namespace veltharn {

void RestrictLibrarySearch() {
  // Not in every system the launcher runs on (before Windows 8 without KB2533623): looked up.
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  if (HMODULE kernel = GetModuleHandleA("kernel32.dll")) {
    if (FARPROC found = GetProcAddress(kernel, "SetDefaultDllDirectories")) {
      reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(found))(
          kSearchSystem32);
    }
  }
  SetDllDirectoryA("");
}

}  // namespace veltharn
