// Drives a running Veltharn.exe from outside, as a user would, for the end-to-end run under Wine:
// finds its window by the dialog class and title, reads its buttons and bars, clicks. Started as
// "qor.exe" it is the stand-in game instead: it notes where it was started and with what.
//
//   veltharn_driver wait TITLE SECONDS          the window exists
//   veltharn_driver wait-enabled TITLE ID SECONDS
//   veltharn_driver gone TITLE SECONDS          the window no longer exists
//   veltharn_driver state TITLE                 one line: buttons, focus and bars
//   veltharn_driver click TITLE ID              refuses (exit 3) when the button is disabled
//   veltharn_driver count TITLE                 how many such windows there are
//   veltharn_driver owner TITLE                 the process behind the window: id and program
//   veltharn_driver wait-status TITLE EXE ID SECONDS
//                                               the status line shows text ID of program EXE
//   veltharn_driver controls TITLE ID...        per control: enabled/checked
//   veltharn_driver terms TITLE EXE             the terms box holds exactly the program's terms
//   veltharn_driver escape TITLE                the Escape key, pressed in the window
//   veltharn_driver capture TITLE FILE.bmp      a picture of the window as it painted itself
//   veltharn_driver text EXE ID                 text ID of the program, in UTF-8
//   veltharn_driver resources PATH              the program's resources are all there
#include <windows.h>
// commctrl.h needs the types of windows.h.
#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "launcher/adapters/win32/unique_handle.h"
#include "launcher/ui/win32/gdi_scope.h"

namespace {

using veltharn::ScopedSelect;
using veltharn::UniqueGdi;
using veltharn::UniqueMemoryDc;
using veltharn::UniqueModule;

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

// The status line is painted, not a control, so it is read by its pixels: the launcher's line
// as the screen shows it against the same text painted here on the program's own skin, with the
// launcher's font, colour, rectangle and flags.
constexpr RECT kStatusRect = {35, 510, 560, 522};

UniqueModule OpenDataFile(const char* path) {
  return UniqueModule(LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE));
}

// A window's device context (GetDC or GetWindowDC), given back when the scope ends.
class WindowDc {
 public:
  WindowDc(HWND window, bool whole) : window_(window) {
    dc_ = whole ? GetWindowDC(window) : GetDC(window);
  }
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_ = nullptr;
};

using Pixels = std::vector<DWORD>;

Pixels ReadPixels(HDC source, HBITMAP bitmap, int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  Pixels pixels(static_cast<size_t>(width) * height);
  GetDIBits(source, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
  for (DWORD& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

// The status line of `window` as it is on the screen.
Pixels ShownStatus(HWND window) {
  const int width = kStatusRect.right - kStatusRect.left;
  const int height = kStatusRect.bottom - kStatusRect.top;
  WindowDc screen(window, /*whole=*/false);
  UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
  UniqueGdi<HBITMAP> bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  {
    ScopedSelect select(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, width, height, screen.get(), kStatusRect.left, kStatusRect.top,
           SRCCOPY);
  }
  return ReadPixels(memory.get(), bitmap.get(), width, height);
}

// `text` painted as the launcher paints its status line on skin `skinId`.
Pixels PaintedStatus(HMODULE program, int skinId, const char* text) {
  const int width = kStatusRect.right - kStatusRect.left;
  const int height = kStatusRect.bottom - kStatusRect.top;
  WindowDc screen(nullptr, /*whole=*/false);
  UniqueMemoryDc skinDc(CreateCompatibleDC(screen.get()));
  UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
  UniqueGdi<HBITMAP> skin(LoadBitmapA(program, MAKEINTRESOURCEA(skinId)));
  UniqueGdi<HBITMAP> canvas(CreateCompatibleBitmap(screen.get(), width, height));
  UniqueGdi<HFONT> font(CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                    DEFAULT_PITCH, "Arial"));
  {
    ScopedSelect selectSkin(skinDc.get(), skin.get());
    ScopedSelect selectCanvas(memory.get(), canvas.get());
    ScopedSelect selectFont(memory.get(), font.get());
    BitBlt(memory.get(), 0, 0, width, height, skinDc.get(), kStatusRect.left, kStatusRect.top,
           SRCCOPY);
    SetBkMode(memory.get(), TRANSPARENT);
    SetTextColor(memory.get(), RGB(94, 127, 143));
    RECT rect = {0, 0, width, height};
    DrawTextA(memory.get(), text, -1, &rect, DT_CENTER | DT_WORDBREAK | DT_SINGLELINE);
  }
  return ReadPixels(memory.get(), canvas.get(), width, height);
}

std::string Text(HMODULE program, int id) {
  char text[512] = {};
  const int length = LoadStringA(program, static_cast<UINT>(id), text, sizeof text);
  return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

// Whether the status line of `window` shows text `id` of the program, on either skin.
bool StatusShows(HWND window, HMODULE program, int id) {
  const Pixels shown = ShownStatus(window);
  const std::string text = Text(program, id);
  for (int skin : {300, 301}) {
    if (PaintedStatus(program, skin, text.c_str()) == shown) return true;
  }
  return false;
}

// Which catalogue text the status line shows: its id, "blank", or "other" (a formatted text).
std::string IdentifyStatus(HWND window, HMODULE program) {
  if (StatusShows(window, program, 0)) return "blank";
  for (int id = 500; id <= 711; ++id) {
    if (!Text(program, id).empty() && StatusShows(window, program, id)) return std::to_string(id);
  }
  return "other";
}

int WaitForStatus(const char* title, const char* program, int id, int seconds) {
  UniqueModule module = OpenDataFile(program);
  if (!module) {
    std::printf("cannot open %s\n", program);
    return 2;
  }
  HWND window = nullptr;
  const bool shown = WaitUntil(
      [&] {
        window = Find(title);
        return window != nullptr && StatusShows(window, module.get(), id);
      },
      seconds);
  if (shown) return 0;
  std::printf("status %s\n",
              window != nullptr ? IdentifyStatus(window, module.get()).c_str() : "(no window)");
  return 1;
}

int FocusedControl(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ||
      info.hwndFocus == nullptr) {
    return 0;
  }
  return GetDlgCtrlID(info.hwndFocus);
}

int PrintOwner(HWND window) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
  char image[MAX_PATH] = {};
  DWORD size = process != nullptr ? GetModuleFileNameExA(process, nullptr, image, MAX_PATH) : 0;
  if (process != nullptr) CloseHandle(process);
  std::printf("pid %lu image %s\n", static_cast<unsigned long>(id), image);
  return size == 0 ? 1 : 0;
}

// Text `id` of `program` in the language this process runs in, printed in UTF-8 so that the
// shell can hand it back as a title whatever the code page.
int PrintText(const char* program, int id) {
  UniqueModule module = OpenDataFile(program);
  const wchar_t* text = nullptr;
  const int length = module.get() != nullptr ? LoadStringW(module.get(), static_cast<UINT>(id),
                                                           reinterpret_cast<wchar_t*>(&text), 0)
                                             : 0;
  if (length <= 0) return 1;
  std::string utf8(static_cast<size_t>(length) * 4, '\0');
  utf8.resize(static_cast<size_t>(WideCharToMultiByte(
      CP_UTF8, 0, text, length, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr)));
  std::printf("%s\n", utf8.c_str());
  return 0;
}

// The terms box of the agreement dialog against the program's "TEXT" 400, byte for byte.
int CompareTerms(HWND dialog, const char* program) {
  UniqueModule module = OpenDataFile(program);
  HRSRC found = module.get() != nullptr ? FindResourceA(module.get(), MAKEINTRESOURCEA(400), "TEXT")
                                        : nullptr;
  if (found == nullptr) {
    std::printf("no terms in %s\n", program);
    return 1;
  }
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(module.get(), found)));
  const std::string terms(bytes, SizeofResource(module.get(), found));
  // WM_GETTEXT itself: GetWindowText does not ask a control of another process for its text.
  HWND box = GetDlgItem(dialog, 1007);
  std::string shown(static_cast<size_t>(SendMessageA(box, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
  shown.resize(static_cast<size_t>(
      SendMessageA(box, WM_GETTEXT, shown.size(), reinterpret_cast<LPARAM>(shown.data()))));
  const LRESULT lines = SendMessageA(box, EM_GETLINECOUNT, 0, 0);
  std::printf("terms %s, %zu bytes shown of %zu, %ld lines in the box\n",
              shown == terms ? "same" : "differ", shown.size(), terms.size(),
              static_cast<long>(lines));
  return shown == terms ? 0 : 1;
}

// Escape as a user presses it: to the control that has the focus, which the dialog's own
// message loop turns into its cancel command.
int PressEscape(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  HWND target = window;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) &&
      info.hwndFocus != nullptr) {
    target = info.hwndFocus;
  }
  PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageA(target, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001));
  return 0;
}

// The window as it has painted itself, whole frame included, written as a 24-bit BMP file.
int Capture(HWND window, const char* file) {
  RECT box;
  GetWindowRect(window, &box);
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  WindowDc source(window, /*whole=*/true);
  UniqueMemoryDc memory(CreateCompatibleDC(source.get()));
  UniqueGdi<HBITMAP> bitmap(CreateCompatibleBitmap(source.get(), width, height));
  {
    ScopedSelect select(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY);
  }
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  header.biSizeImage = stride * static_cast<DWORD>(height);
  std::vector<unsigned char> pixels(header.biSizeImage);
  GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(height), pixels.data(),
            reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
  BITMAPFILEHEADER fileHeader = {};
  fileHeader.bfType = 0x4D42;  // "BM"
  fileHeader.bfOffBits = sizeof fileHeader + sizeof header;
  fileHeader.bfSize = fileHeader.bfOffBits + header.biSizeImage;
  std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen(file, "wb"), &std::fclose);
  if (out == nullptr) return 1;
  const bool written = std::fwrite(&fileHeader, sizeof fileHeader, 1, out.get()) == 1 &&
                       std::fwrite(&header, sizeof header, 1, out.get()) == 1 &&
                       std::fwrite(pixels.data(), 1, pixels.size(), out.get()) == pixels.size();
  return written && std::fclose(out.release()) == 0 ? 0 : 1;
}

bool EndsWith(const std::string& text, const char* tail) {
  const size_t n = std::strlen(tail);
  return text.size() >= n && _stricmp(text.c_str() + text.size() - n, tail) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (EndsWith(argv[0], "qor.exe")) return StandInGame(argc, argv);
  if (argc < 3) {
    std::fprintf(
        stderr,
        "usage: veltharn_driver wait|wait-enabled|gone|state|click|count|owner|wait-status "
        "TITLE ...\n");
    return 2;
  }
  const std::string command = argv[1];
  if (command == "resources") return CheckResources(argv[2]);
  if (command == "text" && argc == 4) return PrintText(argv[2], std::atoi(argv[3]));
  const char* title = argv[2];
  if (command == "wait-status" && argc == 6) {
    return WaitForStatus(title, argv[3], std::atoi(argv[4]), std::atoi(argv[5]));
  }
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
  if (command == "owner" && argc == 3) return PrintOwner(window);
  if (command == "terms" && argc == 4) return CompareTerms(window, argv[3]);
  if (command == "escape" && argc == 3) return PressEscape(window);
  if (command == "capture" && argc == 4) return Capture(window, argv[3]);
  if (command == "controls" && argc >= 4) {
    for (int i = 3; i < argc; ++i) {
      HWND control = GetDlgItem(window, std::atoi(argv[i]));
      std::printf("%s%s=%d/%d", i > 3 ? " " : "", argv[i],
                  control != nullptr && IsWindowEnabled(control) ? 1 : 0,
                  SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
    }
    std::printf("\n");
    return 0;
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
    std::printf(" drag=%s focus=%d", hit == HTCAPTION ? "caption" : "none", FocusedControl(window));
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
