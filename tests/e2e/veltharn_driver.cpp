// Drives a running Veltharn.exe from outside, as a user would, for the end-to-end run under Wine:
// finds its window by the dialog class and title, reads its buttons and bars, clicks. Started as
// "qor.exe" it is the stand-in game instead: it notes where it was started and with what.
//
//   veltharn_driver wait TITLE SECONDS          the window exists
//   veltharn_driver wait-enabled TITLE ID SECONDS
//   veltharn_driver gone TITLE SECONDS          the window no longer exists
//   veltharn_driver state TITLE                 one line: buttons and bars
//   veltharn_driver click TITLE ID              refuses (exit 3) when the button is disabled
//   veltharn_driver count TITLE                 how many such windows there are
//   veltharn_driver resources PATH              the program's resources are all there
#include <windows.h>
// commctrl.h needs the types of windows.h.
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr const char* kDialogClass = "#32770";

HWND Find(const char* title) {
  return FindWindowA(kDialogClass, title);
}

template <typename Condition>
bool WaitUntil(Condition condition, int seconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
  while (!condition()) {
    if (static_cast<LONG>(GetTickCount() - end) > 0) return false;
    Sleep(100);
  }
  return true;
}

int StandInGame(int argc, char** argv) {
  char folder[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, folder);
  FILE* note = std::fopen("game-started.txt", "w");
  if (note == nullptr) return 1;
  std::fprintf(note, "folder %s\nargc %d\nargument %s\n", folder, argc, argc > 1 ? argv[1] : "");
  std::fclose(note);
  return 0;
}

// The launcher's resources, read from its file: dialog 102 in English and Korean, icon 200, the
// skins and button faces at their sizes, 24 bits each, the manifest asking for administrator
// rights, the version information and the terms. One line per problem; 0 when there is none.
int CheckResources(const char* path) {
  HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) {
    std::printf("cannot open %s\n", path);
    return 1;
  }
  int problems = 0;
  auto find = [&](const char* type, int id, WORD language) {
    return FindResourceExA(module, type, MAKEINTRESOURCEA(id), language);
  };
  const WORD languages[] = {0x0409, 0x0412};  // English (United States), Korean
  for (WORD language : languages) {
    if (find(MAKEINTRESOURCEA(5) /* RT_DIALOG */, 102, language) == nullptr) {
      std::printf("no dialog 102 in language %04x\n", language);
      ++problems;
    }
  }
  if (FindResourceA(module, MAKEINTRESOURCEA(200), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */) ==
      nullptr) {
    std::printf("no icon 200\n");
    ++problems;
  }
  struct Bitmap {
    int first, last, width, height;
  } const bitmaps[] = {
      {300, 301, 800, 599}, {302, 304, 20, 20}, {305, 308, 96, 99}, {309, 316, 101, 27}};
  for (const Bitmap& b : bitmaps) {
    for (int id = b.first; id <= b.last; ++id) {
      HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));
      const auto* header =
          found != nullptr
              ? static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, found)))
              : nullptr;
      if (header == nullptr || header->biWidth != b.width || header->biHeight != b.height ||
          header->biBitCount != 24) {
        std::printf("bitmap %d is missing or not %dx%d at 24 bits\n", id, b.width, b.height);
        ++problems;
      }
    }
  }
  HRSRC manifest = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  const char* text = manifest != nullptr
                         ? static_cast<const char*>(LockResource(LoadResource(module, manifest)))
                         : nullptr;
  if (text == nullptr ||
      std::string(text, SizeofResource(module, manifest)).find("requireAdministrator") ==
          std::string::npos) {
    std::printf("no manifest asking for requireAdministrator\n");
    ++problems;
  }
  if (FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16) /* RT_VERSION */) ==
      nullptr) {
    std::printf("no version information\n");
    ++problems;
  }
  if (FindResourceA(module, MAKEINTRESOURCEA(400), "TEXT") == nullptr) {
    std::printf("no terms text 400\n");
    ++problems;
  }
  FreeLibrary(module);
  return problems == 0 ? 0 : 1;
}

bool EndsWith(const std::string& text, const char* tail) {
  const size_t n = std::strlen(tail);
  return text.size() >= n && _stricmp(text.c_str() + text.size() - n, tail) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (EndsWith(argv[0], "qor.exe")) return StandInGame(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: veltharn_driver wait|wait-enabled|gone|state|click|count TITLE ...\n");
    return 2;
  }
  const std::string command = argv[1];
  if (command == "resources") return CheckResources(argv[2]);
  const char* title = argv[2];
  if (command == "wait" && argc == 4) {
    return WaitUntil([&] { return Find(title) != nullptr; }, std::atoi(argv[3])) ? 0 : 1;
  }
  if (command == "gone" && argc == 4) {
    return WaitUntil([&] { return Find(title) == nullptr; }, std::atoi(argv[3])) ? 0 : 1;
  }
  if (command == "wait-enabled" && argc == 5) {
    const int id = std::atoi(argv[3]);
    return WaitUntil(
               [&] {
                 HWND window = Find(title);
                 return window != nullptr && IsWindowEnabled(GetDlgItem(window, id));
               },
               std::atoi(argv[4]))
               ? 0
               : 1;
  }
  if (command == "count" && argc == 3) {
    int count = 0;
    for (HWND w = FindWindowExA(nullptr, nullptr, kDialogClass, title); w != nullptr;
         w = FindWindowExA(nullptr, w, kDialogClass, title)) {
      ++count;
    }
    std::printf("%d\n", count);
    return 0;
  }
  HWND window = Find(title);
  if (window == nullptr) {
    std::fprintf(stderr, "veltharn_driver: no window \"%s\"\n", title);
    return 1;
  }
  if (command == "state" && argc == 3) {
    auto enabled = [&](int id) { return IsWindowEnabled(GetDlgItem(window, id)) ? 1 : 0; };
    auto bar = [&](int id, const char* name) {
      HWND control = GetDlgItem(window, id);
      const LRESULT position = SendMessageA(control, PBM_GETPOS, 0, 0);
      const LRESULT upper = SendMessageA(control, PBM_GETRANGE, FALSE, 0);
      std::printf(" %s=%ld/%ld", name, static_cast<long>(position), static_cast<long>(upper));
    };
    RECT box;
    GetWindowRect(window, &box);
    // The skin's shape: its key-colour corner is cut away, its middle is not.
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    const bool skinned = GetWindowRgn(window, shape) != ERROR && !PtInRegion(shape, 0, 0) &&
                         PtInRegion(shape, 400, 300);
    DeleteObject(shape);
    std::printf("fullcheck=%d start=%d cancel=%d close=%d size=%ldx%ld shape=%s", enabled(1000),
                enabled(1001), enabled(1002), enabled(1003), box.right - box.left,
                box.bottom - box.top, skinned ? "skin" : "rectangle");
    // The body answers hit tests as a caption, so the window is dragged by any point of it.
    const LRESULT hit =
        SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(box.left + 400, box.top + 300));
    std::printf(" drag=%s", hit == HTCAPTION ? "caption" : "none");
    bar(1004, "file");
    bar(1005, "total");
    std::printf("\n");
    return 0;
  }
  if (command == "click" && argc == 4) {
    HWND button = GetDlgItem(window, std::atoi(argv[3]));
    // Wine delivers BM_CLICK to a disabled button; a user could not click it.
    if (button == nullptr || !IsWindowEnabled(button)) return 3;
    PostMessageA(button, BM_CLICK, 0, 0);
    return 0;
  }
  std::fprintf(stderr, "veltharn_driver: unknown command %s\n", command.c_str());
  return 2;
}
