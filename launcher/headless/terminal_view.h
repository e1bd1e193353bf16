#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "launcher/control/message_catalogue.h"
#include "launcher/ports/view.h"

namespace veltharn {

// The headless launcher's window: one line per event on standard output, in UTF-8:
//   status: TEXT            the status line changed to a shown text
//   box: CAPTION: TEXT      a message box; Yes/No boxes are followed by "answer: yes|no"
//   buttons: enabled        Full Check and Start changed state (or "disabled")
// On a terminal the two progress bars are drawn on standard error; never into a pipe or file.
// Texts reach it in the ANSI code page of its language, as the controller uses them.
class TerminalView : public View {
 public:
  struct Hooks {
    std::function<void()> pumpOne;        // runs one pending event of the loop
    std::function<void(int)> endDialog;   // the dialog ends with this result
    std::function<void(bool)> buttonsChanged;
  };

  TerminalView(Language language, bool answerYes, std::FILE* out, std::FILE* progressOut,
               Hooks hooks);

  std::string LoadText(int id) override;
  int ShowMessageBox(std::string_view text, std::string_view caption, BoxButtons buttons,
                     bool owned) override;
  void ShowStatus(std::string_view text) override;
  void SetProgressRange(ProgressBar bar, int minimum, int maximum) override;
  void SetProgressPosition(ProgressBar bar, int position) override;
  void EnableControl(ControlId control, bool enabled) override;
  void FocusControl(ControlId /*control*/) override {}
  void EndDialog(int result) override;
  int RunAgreementDialog() override;
  void PumpOneMessage() override;

  // The first line of the terms shown by the agreement dialog, in UTF-8.
  void SetAgreementText(std::string firstLine) { agreementFirstLine_ = std::move(firstLine); }

 private:
  struct Bar {
    int minimum = 0;
    int maximum = 100;
    int position = 0;
  };
  void PrintLine(std::string_view prefix, std::string_view ansiText);
  void DrawProgress();

  Language language_;
  bool answerYes_;
  std::FILE* out_;
  std::FILE* progressOut_;  // null: no progress drawing
  Hooks hooks_;
  bool startEnabled_ = true;
  Bar file_;
  Bar total_;
  std::string agreementFirstLine_;
};

}  // namespace veltharn
