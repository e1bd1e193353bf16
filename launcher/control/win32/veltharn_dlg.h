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
#include "launcher/ui/notice_panel_state.h"
#include "launcher/ui/win32/explorer_notice.h"
#include "launcher/ui/win32/progress_st.h"
#include "launcher/ui/win32/skin_button.h"
#include "launcher/ui/win32/skin_dialog.h"

namespace veltharn {

struct LauncherSettings {
  ControllerConfig server;
  std::string noticeUrl;
};

// The launcher's main dialog (template 102), the window the controller runs in. It builds the
// Windows adapters of the ports, shows what the controller decides (status line, bars, buttons,
// boxes) and hands it every button command, timer tick, socket notification and agent answer.
// The notice page and the skin are the window's own business.
class CVeltharnDlg : public CSkinDialog, public View, public Timers, public NoticeEvents {
 public:
  CVeltharnDlg(HINSTANCE instance, UINT inspectorResultMessage, LauncherSettings settings);
  ~CVeltharnDlg() override;

  INT_PTR DoModal() { return RunModal(instance(), kTemplateId, nullptr); }

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

  // NoticeEvents: the notice page loaded (show it on skin 301) or failed (never show it).
  void OnNoticeLoaded() override;
  void OnNoticeFailed() override;

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  static constexpr int kTemplateId = 102;

  BOOL OnInitDialog();
  void BindControls();
  void LayoutControls();
  void StartNoticePage();
  void OnPaint();
  void OnCommand(int id);
  CxSkinButton* ButtonById(int id);
  HWND Item(int id) const { return GetDlgItem(window(), id); }

  UINT inspectorResultMessage_;
  LauncherSettings settings_;
  HICON appIcon_;

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

  CxSkinButton fullCheckButton_;
  CxSkinButton startButton_;
  CxSkinButton cancelButton_;
  CxSkinButton closeButton_;
  CProgressST fileProgress_;
  CProgressST totalProgress_;
  CExplorernotice noticePanel_;
  NoticePanelState notice_;
};

}  // namespace veltharn
