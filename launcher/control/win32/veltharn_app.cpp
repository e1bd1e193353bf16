// The launcher's entry point on Windows, its composition root.

#include "launcher/control/win32/veltharn_app.h"

#include <commctrl.h>
#include <ole2.h>
#include <windows.h>

#include "launcher/adapters/win32/debugger_output.h"
#include "launcher/adapters/win32/library_search.h"
#include "launcher/control/win32/veltharn_dlg.h"

#ifndef VELTHARN_UPDATE_HOST
#define VELTHARN_UPDATE_HOST "update.veltharn.example"
#endif
#ifndef VELTHARN_UPDATE_PORT
#define VELTHARN_UPDATE_PORT 2009
#endif

namespace veltharn {
namespace {

constexpr const char* kNoticeUrl = "http://notice.veltharn.example/launcher/notice.html";

}  // namespace

int CVeltharnApp::InitInstance() {
  // Before any library is loaded: never from the current directory or the PATH.
  RestrictLibrarySearch();
  INITCOMMONCONTROLSEX controls = {8, 0xFF};
  InitCommonControlsEx(&controls);
  // The notice panel's browser control needs OLE on this thread; without it there is no panel.
  const bool ole = SUCCEEDED(OleInitialize(nullptr));
  const UINT inspectorResult = RegisterWindowMessageA("MA_TO_INSPECTORRESULT");

  DebuggerOutput debugOutput;
  InstallDebugOutput(&debugOutput);
  {
    LauncherSettings settings;
    settings.server.serverHost = VELTHARN_UPDATE_HOST;
    settings.server.serverPort = VELTHARN_UPDATE_PORT;
    settings.noticeUrl = kNoticeUrl;
    CVeltharnDlg dialog(instance_, inspectorResult, settings);
    dialog.DoModal();
  }
  InstallDebugOutput(nullptr);
  if (ole) OleUninitialize();
  return 0;
}

}  // namespace veltharn

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  veltharn::CVeltharnApp app(instance);
  return app.InitInstance();
}
