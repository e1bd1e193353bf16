#include "launcher/control/win32/veltharn_dlg.h"

#include <commctrl.h>
#include <winsock2.h>

#include "launcher/adapters/win32/dll_agent_library.h"
#include "launcher/adapters/win32/winsock_network.h"
#include "launcher/control/message_ids.h"
#include "launcher/resources/resource_ids.h"
#include "launcher/ui/win32/agreement_dialog.h"

namespace veltharn {
namespace {

constexpr RECT kTitleRect = {34, 18, 318, 32};
constexpr RECT kFileLabelRect = {35, 529, 200, 541};
constexpr RECT kTotalLabelRect = {35, 544, 200, 556};
constexpr RECT kStatusRect = {35, 510, 560, 522};

struct Placement {
  int id;
  int x, y, width, height;
};
constexpr Placement kPlacements[] = {
    {IDC_START, 686, 485, 96, 99},         {IDC_FULL_CHECK, 575, 506, 101, 27},
    {IDC_CANCEL_BUTTON, 575, 535, 101, 27}, {IDC_CLOSE_BUTTON, 768, 15, 20, 20},
    {IDC_FILE_PROGRESS, 127, 531, 430, 5}, {IDC_TOTAL_PROGRESS, 127, 546, 430, 5},
    {IDC_NOTICE_PANEL, 10, 40, 780, 445},
};

int ControlOf(ProgressBar bar) {
  return bar == ProgressBar::kFile ? IDC_FILE_PROGRESS : IDC_TOTAL_PROGRESS;
}

std::string FolderOf(const std::string& path) {
  size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string(".") : path.substr(0, cut);
}

}  // namespace

CVeltharnDlg::CVeltharnDlg(HINSTANCE instance, UINT inspectorResultMessage,
                           ControllerConfig server)
    : instance_(instance), inspectorResultMessage_(inspectorResultMessage), server_(std::move(server)) {}

CVeltharnDlg::~CVeltharnDlg() = default;

std::string CVeltharnDlg::LoadText(int id) {
  char text[512] = {};
  int length = LoadStringA(instance_, static_cast<UINT>(id), text, sizeof text);
  return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

int CVeltharnDlg::ShowMessageBox(std::string_view text, std::string_view caption,
                                 BoxButtons buttons, bool owned) {
  return MessageBoxA(owned ? window() : nullptr, std::string(text).c_str(),
                     std::string(caption).c_str(), buttons == BoxButtons::kYesNo ? MB_YESNO : MB_OK);
}

void CVeltharnDlg::ShowStatus(std::string_view text) {
  statusText_ = text;
  InvalidateRect(window(), &kStatusRect, FALSE);
}

void CVeltharnDlg::SetProgressRange(ProgressBar bar, int minimum, int maximum) {
  SendMessageA(Item(ControlOf(bar)), PBM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
}

void CVeltharnDlg::SetProgressPosition(ProgressBar bar, int position) {
  SendMessageA(Item(ControlOf(bar)), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void CVeltharnDlg::EnableControl(ControlId control, bool enabled) {
  EnableWindow(Item(static_cast<int>(control)), enabled ? TRUE : FALSE);
}

void CVeltharnDlg::FocusControl(ControlId control) { SetFocus(Item(static_cast<int>(control))); }

void CVeltharnDlg::EndDialog(int result) { ::EndDialog(window(), result); }

int CVeltharnDlg::RunAgreementDialog() {
  CAgreementDialog agreement(instance_);
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

void CVeltharnDlg::KillTimer(int id) { ::KillTimer(window(), static_cast<UINT_PTR>(id)); }

BOOL CVeltharnDlg::OnInitDialog() {
  patchEngine_ = std::make_unique<Patchw32Engine>(FolderOf(processes_.OwnPath()));
  network_ = std::make_unique<WinsockNetwork>(window());
  agentLibrary_ = std::make_unique<DllAgentLibrary>(files_, window());
  controller_ = std::make_unique<LauncherController>(
      ControllerPorts{*this, *this, *network_, files_, registry_, processes_, clock_,
                      *agentLibrary_, *patchEngine_},
      server_);

  titleText_ = LoadText(msg::kWindowTitle).substr(0, 100);
  fileLabelText_ = LoadText(msg::kFileDownloadLabel).substr(0, 100);
  totalLabelText_ = LoadText(msg::kTotalProgressLabel).substr(0, 100);
  SetWindowTextA(window(), titleText_.c_str());
  SetDlgItemTextA(window(), IDC_FULL_CHECK, LoadText(600).c_str());
  SetDlgItemTextA(window(), IDC_START, LoadText(601).c_str());
  SetDlgItemTextA(window(), IDC_CANCEL_BUTTON, LoadText(602).c_str());
  SetDlgItemTextA(window(), IDC_CLOSE_BUTTON, "x");
  textFont_.reset(CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                              DEFAULT_PITCH, "Arial"));
  LayoutControls();
  controller_->OnInitDialog();
  return TRUE;
}

void CVeltharnDlg::LayoutControls() {
  for (const Placement& p : kPlacements) MoveWindow(Item(p.id), p.x, p.y, p.width, p.height, FALSE);
  SetWindowPos(window(), nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER);
  InvalidateRect(window(), nullptr, TRUE);
}

void CVeltharnDlg::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window(), &paint);
  RECT client;
  GetClientRect(window(), &client);
  UniqueGdi<HBRUSH> background(CreateSolidBrush(RGB(24, 28, 36)));
  FillRect(dc, &client, background.get());
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ previous = SelectObject(dc, textFont_.get());
  struct Text {
    const std::string& text;
    RECT rect;
    COLORREF colour;
    UINT flags;
  } const texts[] = {
      {titleText_, kTitleRect, RGB(168, 157, 134), DT_WORDBREAK | DT_SINGLELINE},
      {statusText_, kStatusRect, RGB(94, 127, 143), DT_CENTER | DT_WORDBREAK | DT_SINGLELINE},
      {fileLabelText_, kFileLabelRect, RGB(133, 157, 179), DT_WORDBREAK | DT_SINGLELINE},
      {totalLabelText_, kTotalLabelRect, RGB(133, 157, 179), DT_WORDBREAK | DT_SINGLELINE},
  };
  for (const Text& t : texts) {
    RECT rect = t.rect;
    SetTextColor(dc, t.colour);
    DrawTextA(dc, t.text.c_str(), -1, &rect, t.flags);
  }
  SelectObject(dc, previous);
  SetBkMode(dc, OPAQUE);
  EndPaint(window(), &paint);
}

void CVeltharnDlg::OnCommand(int id) {
  switch (id) {
    case IDC_FULL_CHECK:
      if (IsWindowEnabled(Item(IDC_FULL_CHECK))) controller_->OnFullCheck();
      return;
    case IDC_START:
      if (IsWindowEnabled(Item(IDC_START))) controller_->OnStart();
      return;
    case IDOK:
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
    case WM_PAINT:
      OnPaint();
      return TRUE;
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
        controller_->OnSocketNotification(static_cast<SocketId>(wParam),
                                          WSAGETSELECTEVENT(lParam), WSAGETSELECTERROR(lParam));
      }
      return Answer(0);
  }
  return FALSE;
}

}  // namespace veltharn
