#include "launcher/control/win32/veltharn_dlg.h"

#include <commctrl.h>
#include <winsock2.h>

#include <cstdio>

#include "launcher/adapters/win32/dll_agent_library.h"
#include "launcher/adapters/win32/winsock_network.h"
#include "launcher/control/message_ids.h"
#include "launcher/resources/resource_ids.h"
#include "launcher/ui/win32/agreement_dialog.h"
#include "launcher/ui/win32/gdi_scope.h"

namespace veltharn {
namespace {

constexpr RECT kTitleRect = {34, 18, 318, 32};
constexpr RECT kFileLabelRect = {35, 529, 200, 541};
constexpr RECT kTotalLabelRect = {35, 544, 200, 556};
constexpr RECT kStatusRect = {35, 510, 560, 522};
constexpr RECT kVersionRect = {570, 445, 670, 457};

struct Placement {
  int id;
  int x, y, width, height;
};
constexpr Placement kPlacements[] = {
    {IDC_START, 686, 485, 96, 99},          {IDC_FULL_CHECK, 575, 506, 101, 27},
    {IDC_CANCEL_BUTTON, 575, 535, 101, 27}, {IDC_CLOSE_BUTTON, 768, 15, 20, 20},
    {IDC_FILE_PROGRESS, 127, 531, 430, 5},  {IDC_TOTAL_PROGRESS, 127, 546, 430, 5},
};
constexpr RECT kNoticeArea = {10, 40, 790, 485};

int ControlOf(ProgressBar bar) {
  return bar == ProgressBar::kFile ? IDC_FILE_PROGRESS : IDC_TOTAL_PROGRESS;
}

std::string FolderOf(const std::string& path) {
  size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string(".") : path.substr(0, cut);
}

}  // namespace

CVeltharnDlg::CVeltharnDlg(HINSTANCE instance, UINT inspectorResultMessage,
                           LauncherSettings settings)
    : CSkinDialog(instance),
      inspectorResultMessage_(inspectorResultMessage),
      settings_(std::move(settings)),
      appIcon_(LoadIconA(instance, MAKEINTRESOURCEA(IDI_VELTHARN))) {}

CVeltharnDlg::~CVeltharnDlg() = default;

std::string CVeltharnDlg::LoadText(int id) {
  char text[512] = {};
  int length = LoadStringA(instance(), static_cast<UINT>(id), text, sizeof text);
  return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

int CVeltharnDlg::ShowMessageBox(std::string_view text, std::string_view caption,
                                 BoxButtons buttons, bool owned) {
  return MessageBoxA(owned ? window() : nullptr, std::string(text).c_str(),
                     std::string(caption).c_str(),
                     buttons == BoxButtons::kYesNo ? MB_YESNO : MB_OK);
}

// The status line is painted from the controller's text; the version caption may have changed
// with it.
void CVeltharnDlg::ShowStatus(std::string_view) {
  InvalidateRect(window(), &kStatusRect, FALSE);
  InvalidateRect(window(), &kVersionRect, FALSE);
}

void CVeltharnDlg::SetProgressRange(ProgressBar bar, int minimum, int maximum) {
  HWND control = Item(ControlOf(bar));
  SendMessageA(control, PBM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
  InvalidateRect(control, nullptr, FALSE);
}

void CVeltharnDlg::SetProgressPosition(ProgressBar bar, int position) {
  HWND control = Item(ControlOf(bar));
  SendMessageA(control, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  InvalidateRect(control, nullptr, FALSE);
}

void CVeltharnDlg::EnableControl(ControlId control, bool enabled) {
  EnableWindow(Item(static_cast<int>(control)), enabled ? TRUE : FALSE);
}

void CVeltharnDlg::FocusControl(ControlId control) {
  SetFocus(Item(static_cast<int>(control)));
}

void CVeltharnDlg::EndDialog(int result) {
  ::EndDialog(window(), result);
}

int CVeltharnDlg::RunAgreementDialog() {
  CAgreementDialog agreement(instance());
  return static_cast<int>(agreement.Run(window()));
}

void CVeltharnDlg::PumpOneMessage() {
  MSG message;
  if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return;
  if (message.message == WM_QUIT) {
    PostQuitMessage(static_cast<int>(message.wParam));
    return;
  }
  if (!IsDialogMessageA(window(), &message)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void CVeltharnDlg::SetTimer(int id, int intervalMs) {
  ::SetTimer(window(), static_cast<UINT_PTR>(id), static_cast<UINT>(intervalMs), nullptr);
}

void CVeltharnDlg::KillTimer(int id) {
  ::KillTimer(window(), static_cast<UINT_PTR>(id));
}

void CVeltharnDlg::OnNoticeLoaded() {
  if (!notice_.OnNavigationCompleted()) return;
  SetSkinBitmap(IDB_SKIN_ARTWORK);
  ShowWindow(noticePanel_.host(), SW_SHOW);
}

void CVeltharnDlg::OnNoticeFailed() {
  notice_.OnNavigationFailed();
}

BOOL CVeltharnDlg::OnInitDialog() {
  // Whether the browser can be made at all, before anything relies on it.
  notice_.SetAvailable(CExplorernotice::ControlAvailable());
  BindControls();

  patchEngine_ = std::make_unique<Patchw32Engine>(FolderOf(processes_.OwnPath()));
  network_ = std::make_unique<WinsockNetwork>(window());
  agentLibrary_ = std::make_unique<DllAgentLibrary>(files_, window());
  controller_ = std::make_unique<LauncherController>(
      ControllerPorts{*this, *this, *network_, files_, registry_, processes_, clock_,
                      *agentLibrary_, *patchEngine_},
      settings_.server);
  fileProgress_.SetModel(&controller_->notices().fileProgress());
  totalProgress_.SetModel(&controller_->notices().totalProgress());

  // Before the title is set, so that a second launcher's window is never taken for the first.
  controller_->OnInitDialog();

  SendMessageA(window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon_));
  SendMessageA(window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon_));
  titleText_ = LoadText(msg::kWindowTitle).substr(0, 100);
  startButton_.ApplySkin(instance(), 305, 306, 307, 308);
  fullCheckButton_.ApplySkin(instance(), 309, 310, 311, 312);
  cancelButton_.ApplySkin(instance(), 313, 314, 315, 316);
  closeButton_.ApplySkin(instance(), 302, 303, 304, 0);
  fileProgress_.SetColours(RGB(0, 0, 0), RGB(62, 91, 150));
  totalProgress_.SetColours(RGB(0, 0, 0), RGB(151, 66, 69));
  LayoutControls();

  SetWindowTextA(window(), titleText_.c_str());
  for (int id : {IDC_START, IDC_FULL_CHECK, IDC_CANCEL_BUTTON}) SetDlgItemTextA(window(), id, "");
  fileLabelText_ = LoadText(msg::kFileDownloadLabel).substr(0, 100);
  totalLabelText_ = LoadText(msg::kTotalProgressLabel).substr(0, 100);
  // The character set of the system, not ANSI_CHARSET: Arial has no Hangul, and with the system's
  // set the font mapper finds a face for the Korean texts (on other systems it is Arial still).
  textFont_.reset(CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                              DEFAULT_PITCH, "Arial"));
  if (notice_.available()) StartNoticePage();
  SetSkinBitmap(IDB_SKIN_PLAIN);
  return TRUE;
}

void CVeltharnDlg::BindControls() {
  if (notice_.available() && !noticePanel_.Create(Item(IDC_NOTICE_PANEL), this)) {
    notice_.OnControlFailure();
  }
  fullCheckButton_.Attach(Item(IDC_FULL_CHECK));
  startButton_.Attach(Item(IDC_START));
  cancelButton_.Attach(Item(IDC_CANCEL_BUTTON));
  closeButton_.Attach(Item(IDC_CLOSE_BUTTON));
  fileProgress_.Attach(Item(IDC_FILE_PROGRESS), nullptr);
  totalProgress_.Attach(Item(IDC_TOTAL_PROGRESS), nullptr);
}

void CVeltharnDlg::LayoutControls() {
  // In pixels: dialog units would follow the font metrics, the skin does not.
  for (const Placement& p : kPlacements) MoveWindow(Item(p.id), p.x, p.y, p.width, p.height, FALSE);
  SetWindowPos(window(), nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER);
  InvalidateRect(window(), nullptr, TRUE);
}

void CVeltharnDlg::StartNoticePage() {
  HWND host = noticePanel_.host();
  const bool ready = [&] {
    if (!noticePanel_.SetVisible(true)) return false;
    SetWindowPos(host, nullptr, kNoticeArea.left, kNoticeArea.top,
                 kNoticeArea.right - kNoticeArea.left, kNoticeArea.bottom - kNoticeArea.top, 0);
    noticePanel_.FitToHost();
    std::optional<SIZE> size = noticePanel_.Size();
    if (!size) return false;
    // Cut the control's own two-pixel frame away; the window owns the region it is given.
    HRGN inner = CreateRectRgn(2, 2, size->cx - 2, size->cy - 2);
    if (inner == nullptr) return false;
    if (SetWindowRgn(host, inner, TRUE) == 0) DeleteObject(inner);
    ShowWindow(host, SW_HIDE);
    notice_.OnNavigationStarted();
    return noticePanel_.Navigate(settings_.noticeUrl);
  }();
  if (!ready) notice_.OnControlFailure();
}

void CVeltharnDlg::OnPaint() {
  PaintScope paint(window());
  HDC dc = paint.dc();
  DrawSkin(dc);
  SetBkMode(dc, TRANSPARENT);
  ScopedSelect font(dc, textFont_.get());
  char version[128];
  std::snprintf(version, sizeof version, "Client Ver. (%d)",
                controller_ != nullptr ? controller_->installedGlobalVersion() : 0);
  const char* status = controller_ != nullptr ? controller_->notices().statusText() : "";
  struct Text {
    const char* text;
    RECT rect;
    COLORREF colour;
    UINT flags;
  } const texts[] = {
      {titleText_.c_str(), kTitleRect, RGB(168, 157, 134), DT_WORDBREAK | DT_SINGLELINE},
      {status, kStatusRect, RGB(94, 127, 143), DT_CENTER | DT_WORDBREAK | DT_SINGLELINE},
      {fileLabelText_.c_str(), kFileLabelRect, RGB(133, 157, 179), DT_WORDBREAK | DT_SINGLELINE},
      {totalLabelText_.c_str(), kTotalLabelRect, RGB(133, 157, 179), DT_WORDBREAK | DT_SINGLELINE},
      {version, kVersionRect, RGB(94, 127, 143), DT_CENTER | DT_SINGLELINE},
  };
  for (const Text& t : texts) {
    RECT rect = t.rect;
    SetTextColor(dc, t.colour);
    DrawTextA(dc, t.text, -1, &rect, t.flags);
  }
  SetBkMode(dc, OPAQUE);
}

CxSkinButton* CVeltharnDlg::ButtonById(int id) {
  switch (id) {
    case IDC_FULL_CHECK:
      return &fullCheckButton_;
    case IDC_START:
      return &startButton_;
    case IDC_CANCEL_BUTTON:
      return &cancelButton_;
    case IDC_CLOSE_BUTTON:
      return &closeButton_;
  }
  return nullptr;
}

void CVeltharnDlg::OnCommand(int id) {
  switch (id) {
    case IDC_FULL_CHECK:
      if (IsWindowEnabled(Item(IDC_FULL_CHECK))) controller_->OnFullCheck();
      return;
    case IDC_START:
      if (IsWindowEnabled(Item(IDC_START))) controller_->OnStart();
      return;
    case IDOK:  // Enter never closes the dialog
      controller_->OnOK();
      return;
    case IDCANCEL:
    case IDC_CANCEL_BUTTON:
    case IDC_CLOSE_BUTTON:
      controller_->OnCancel();
      return;
  }
}

INT_PTR CVeltharnDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == inspectorResultMessage_ && controller_ != nullptr) {
    controller_->OnInspectorResult(static_cast<intptr_t>(wParam), static_cast<intptr_t>(lParam));
    return Answer(0);
  }
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_DESTROY:
      // The browser goes while the window it was activated in still exists.
      noticePanel_.Destroy();
      return FALSE;
    case WM_PAINT:
      OnPaint();
      return TRUE;
    case WM_ERASEBKGND:
      return Answer(1);  // the skin covers the whole window
    case WM_QUERYDRAGICON:
      return Answer(reinterpret_cast<LRESULT>(appIcon_));
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (CxSkinButton* button = ButtonById(static_cast<int>(item->CtlID))) {
        button->DrawItem(*item);
        return TRUE;
      }
      return FALSE;
    }
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && controller_ != nullptr) OnCommand(LOWORD(wParam));
      return TRUE;
    case WM_TIMER:
      if (controller_ != nullptr) controller_->OnTimer(static_cast<int>(wParam));
      return TRUE;
    case WM_NCHITTEST: {
      // Drag the window by any point of its client area.
      LRESULT hit = DefWindowProcA(window(), message, wParam, lParam);
      return Answer(hit == HTCLIENT ? HTCAPTION : hit);
    }
    case kUpdateConnectMessage:
      if (controller_ != nullptr) {
        controller_->OnConnectNotification(static_cast<SocketId>(wParam),
                                           WSAGETSELECTERROR(lParam));
      }
      return Answer(0);
    case kUpdateSocketMessage:
      if (controller_ != nullptr) {
        controller_->OnSocketNotification(static_cast<SocketId>(wParam), WSAGETSELECTEVENT(lParam),
                                          WSAGETSELECTERROR(lParam));
      }
      return Answer(0);
  }
  return FALSE;
}

}  // namespace veltharn
