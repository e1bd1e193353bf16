#include "launcher/headless/terminal_view.h"

#include <algorithm>

#include "launcher/control/message_ids.h"
#include "launcher/adapters/posix/ansi_text_iconv.h"

namespace veltharn {

TerminalView::TerminalView(Language language, bool answerYes, std::FILE* out,
                           std::FILE* progressOut, Hooks hooks)
    : language_(language),
      answerYes_(answerYes),
      out_(out),
      progressOut_(progressOut),
      hooks_(std::move(hooks)) {}

std::string TerminalView::LoadText(int id) {
  const char* text = CatalogueText(id, language_);
  return text != nullptr ? Utf8ToAnsi(text) : std::string();
}

int TerminalView::ShowMessageBox(std::string_view text, std::string_view caption,
                                 BoxButtons buttons, bool /*owned*/) {
  std::string line = AnsiToUtf8(caption) + ": " + AnsiToUtf8(text);
  std::fprintf(out_, "box: %s\n", line.c_str());
  int result = kIdOk;
  if (buttons == BoxButtons::kYesNo) {
    std::fprintf(out_, "answer: %s\n", answerYes_ ? "yes" : "no");
    result = answerYes_ ? kIdYes : kIdNo;
  }
  std::fflush(out_);
  return result;
}

void TerminalView::ShowStatus(std::string_view text) { PrintLine("status: ", text); }

void TerminalView::SetProgressRange(ProgressBar bar, int minimum, int maximum) {
  Bar& target = bar == ProgressBar::kFile ? file_ : total_;
  target.minimum = minimum;
  target.maximum = maximum;
  DrawProgress();
}

void TerminalView::SetProgressPosition(ProgressBar bar, int position) {
  (bar == ProgressBar::kFile ? file_ : total_).position = position;
  DrawProgress();
}

void TerminalView::EnableControl(ControlId control, bool enabled) {
  // Full Check and Start always change together; Start speaks for both.
  if (control != ControlId::kStart || enabled == startEnabled_) return;
  startEnabled_ = enabled;
  std::fprintf(out_, "buttons: %s\n", enabled ? "enabled" : "disabled");
  std::fflush(out_);
  if (hooks_.buttonsChanged) hooks_.buttonsChanged(enabled);
}

void TerminalView::EndDialog(int result) {
  if (hooks_.endDialog) hooks_.endDialog(result);
}

int TerminalView::RunAgreementDialog() {
  // The terms exist in Korean only, whatever the language: their text is kept in UTF-8.
  std::string caption = AnsiToUtf8(LoadText(msg::kAgreementTitle));
  std::fprintf(out_, "box: %s: %s\nanswer: %s\n", caption.c_str(), agreementFirstLine_.c_str(),
               answerYes_ ? "yes" : "no");
  std::fflush(out_);
  return answerYes_ ? kIdOk : kIdCancel;
}

void TerminalView::PumpOneMessage() {
  if (hooks_.pumpOne) hooks_.pumpOne();
}

void TerminalView::PrintLine(std::string_view prefix, std::string_view ansiText) {
  std::string text = AnsiToUtf8(ansiText);
  std::fprintf(out_, "%.*s%s\n", static_cast<int>(prefix.size()), prefix.data(), text.c_str());
  std::fflush(out_);
}

void TerminalView::DrawProgress() {
  if (progressOut_ == nullptr) return;
  auto percent = [](const Bar& bar) {
    int span = std::max(1, bar.maximum - bar.minimum);
    return std::clamp((bar.position - bar.minimum) * 100 / span, 0, 100);
  };
  std::fprintf(progressOut_, "\rfile %3d%%  total %3d%%", percent(file_), percent(total_));
  std::fflush(progressOut_);
}

}  // namespace veltharn
