#pragma once

#include <string_view>

#include "launcher/ports/view.h"
#include "launcher/ui/progress_bar_model.h"

namespace veltharn {

// The operations through which every part of the launcher shows something: message boxes, the
// status line, the two progress bars and the one-message pump. Texts are given by catalogue id.
// Every buffer here has the size the launcher has always used; a longer text is cut, never
// written past the end.
class Notices {
 public:
  explicit Notices(View& view) : view_(view) {}
  Notices(const Notices&) = delete;
  Notices& operator=(const Notices&) = delete;

  static constexpr int kStatusFormatSize = 200;
  static constexpr int kStatusTextSize = 1024;
  static constexpr int kSharedTextSize = 512;
  static constexpr int kBoxTextSize = 512;

  // A box with text `textId` and caption `captionId`, one OK button; returns the box's result.
  int ShowNotice(int textId, bool owned, int captionId);
  // "<path>" followed by text 509, caption 501, no owner, Yes and No; returns kIdYes or kIdNo.
  int AskContinue(std::string_view path);
  // Loads text `id` into the shared buffer and returns it (valid until the next LoadText).
  const char* LoadText(int id);

  // Formats with printf rules and shows the result on the status line. Empty texts and texts that
  // begin with "." leave the line unchanged; up to two leading "\r\n" are skipped.
  void SetStatus(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Status 661 and Full Check and Start disabled.
  void ShowAllUpdated();
  // Ends the main dialog with kIdCancel. From then on the launcher is ending: whatever runs
  // afterwards (a message pumped inside a long operation) does nothing more.
  void CloseLauncher() {
    ending_ = true;
    view_.EndDialog(kIdCancel);
  }
  [[nodiscard]] bool ending() const { return ending_; }

  // Full Check and Start: disabled while an exchange runs, enabled (Start focused) at its end.
  void EnableExchangeButtons(bool enabled);
  [[nodiscard]] bool exchangeButtonsEnabled() const { return exchangeButtonsEnabled_; }

  void SetTotalRange(int count);
  void SetTotalPosition(int position);
  void StepTotal();
  void FillTotal();
  void SetFileRange(int upper);
  void SetFilePercent(int percent);
  void PumpOneMessage() { view_.PumpOneMessage(); }

  [[nodiscard]] const char* statusText() const { return statusText_; }
  [[nodiscard]] const ProgressBarModel& fileProgress() const { return fileProgress_; }
  [[nodiscard]] const ProgressBarModel& totalProgress() const { return totalProgress_; }
  [[nodiscard]] View& view() { return view_; }

 private:
  void ShowTotal() { view_.SetProgressPosition(ProgressBar::kTotal, totalProgress_.position()); }

  View& view_;
  char statusText_[kStatusTextSize] = {};
  char sharedText_[kSharedTextSize] = {};
  ProgressBarModel fileProgress_;
  ProgressBarModel totalProgress_;
  bool exchangeButtonsEnabled_ = true;  // as the dialog template creates them
  bool ending_ = false;
};

}  // namespace veltharn
