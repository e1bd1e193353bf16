#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "launcher/adapters/win32/patch_engine_win32.h"
#include "launcher/adapters/win32/registry_store.h"
#include "launcher/adapters/win32/unique_handle.h"
#include "launcher/adapters/win32/win32_file_system.h"
#include "launcher/adapters/win32/win32_processes.h"
#include "launcher/control/launcher_controller.h"
#include "launcher/ports/agent_library.h"
#include "launcher/ports/network.h"
#include "launcher/ports/timers.h"
#include "launcher/ports/view.h"
#include "launcher/ui/win32/dialog_window.h"

namespace veltharn {

// The launcher's main dialog (template 102): the window the controller runs in. It shows what
// the controller decides (status line, progress bars, buttons, boxes) and hands it every button
// command, timer tick and socket notification.
class CVeltharnDlg : public DialogWindow, public View, public Timers {
 public:
  CVeltharnDlg(HINSTANCE instance, UINT inspectorResultMessage, ControllerConfig server);
  ~CVeltharnDlg() override;

  INT_PTR DoModal() { return RunModal(instance_, IDD_MAIN, nullptr); }

  // View.
  std::string LoadText(int id) override;
  int ShowMessageBox(std::string_view text, std::string_view caption, BoxButtons buttons,
                     bool owned) override;
  void ShowStatus(std::string_view text) override;
  void SetProgressRange(ProgressBar bar, int minimum, int maximum) override;
  void SetProgressPosition(ProgressBar bar, int position) override;
  void EnableControl(ControlId control, bool enabled) override;
  void FocusControl(ControlId control) override;
  void EndDialog(int result) override;
  int RunAgreementDialog() override;
  void PumpOneMessage() override;

  // Timers.
  void SetTimer(int id, int intervalMs) override;
  void KillTimer(int id) override;

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  static constexpr int IDD_MAIN = 102;

  BOOL OnInitDialog();
  void LayoutControls();
  void OnPaint();
  void OnCommand(int id);
  HWND Item(int id) const { return GetDlgItem(window(), id); }

  HINSTANCE instance_;
  UINT inspectorResultMessage_;
  ControllerConfig server_;

  Win32FileSystem files_;
  RegistryStore registry_;
  Win32Processes processes_;
  Win32Clock clock_;
  std::unique_ptr<Patchw32Engine> patchEngine_;
  std::unique_ptr<Network> network_;
  std::unique_ptr<AgentLibrary> agentLibrary_;
  std::unique_ptr<LauncherController> controller_;

  UniqueGdi<HFONT> textFont_;
  std::string titleText_;
  std::string fileLabelText_;
  std::string totalLabelText_;
  std::string statusText_;
};

}  // namespace veltharn
