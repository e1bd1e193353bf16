#pragma once

#include <string>
#include <string_view>

namespace veltharn {

// What the controller needs of the window it runs in: texts of the catalogue, message boxes, the
// status line, the two progress bars, the two buttons that follow the exchange, the end of the
// dialog and the one-message pump. The controller decides; the view only shows. All texts are
// bytes of the view's ANSI code page.

enum class BoxButtons { kOk, kYesNo };

// Results of a message box, with the values Windows gives them.
enum BoxResult : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

enum class ProgressBar { kFile, kTotal };

enum class ControlId : int { kFullCheck = 1000, kStart = 1001 };

class View {
 public:
  virtual ~View() = default;

  // Catalogue text `id` in the view's language; empty when there is none.
  [[nodiscard]] virtual std::string LoadText(int id) = 0;
  // `owned`: the box belongs to the main window (else it has no owner). Returns a BoxResult.
  virtual int ShowMessageBox(std::string_view text, std::string_view caption, BoxButtons buttons,
                             bool owned) = 0;
  // The status line now reads `text`: redraw it.
  virtual void ShowStatus(std::string_view text) = 0;
  virtual void SetProgressRange(ProgressBar bar, int minimum, int maximum) = 0;
  virtual void SetProgressPosition(ProgressBar bar, int position) = 0;
  virtual void EnableControl(ControlId control, bool enabled) = 0;
  virtual void FocusControl(ControlId control) = 0;
  // Ends the main dialog with `result` (kIdCancel ends the launcher).
  virtual void EndDialog(int result) = 0;
  // Shows the terms of the security-patch service modally; kIdOk when the user accepts them.
  virtual int RunAgreementDialog() = 0;
  // Runs one pending event, if any, inside the caller.
  virtual void PumpOneMessage() = 0;
};

}  // namespace veltharn
