#include "launcher/control/notices.h"

#include <cstdarg>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <string>

#include "launcher/control/message_ids.h"

namespace veltharn {
namespace {

// Copies `text` into `buffer` of `size` bytes, cut to fit and always terminated.
void CopyCut(char* buffer, size_t size, std::string_view text) {
  size_t length = text.size() < size ? text.size() : size - 1;
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}

}  // namespace

int Notices::ShowNotice(int textId, bool owned, int captionId) {
  std::string text = view_.LoadText(textId);
  std::string caption = view_.LoadText(captionId);
  text.resize(std::min<size_t>(text.size(), kSharedTextSize - 1));
  caption.resize(std::min<size_t>(caption.size(), kSharedTextSize - 1));
  return view_.ShowMessageBox(text, caption, BoxButtons::kOk, owned);
}

int Notices::AskContinue(std::string_view path) {
  char text[kBoxTextSize];
  std::string question = view_.LoadText(msg::kCannotCreateFile);
  std::string joined(path);
  joined += question;
  CopyCut(text, sizeof text, joined);
  std::string caption = view_.LoadText(msg::kCaptionError);
  int answer = view_.ShowMessageBox(text, caption, BoxButtons::kYesNo, /*owned=*/false);
  return answer == kIdYes ? kIdYes : kIdNo;
}

const char* Notices::LoadText(int id) {
  CopyCut(sharedText_, sizeof sharedText_, view_.LoadText(id));
  return sharedText_;
}

void Notices::SetStatus(const char* format, ...) {
  char formatted[kStatusFormatSize];
  va_list values;
  va_start(values, format);
  int written = std::vsnprintf(formatted, sizeof formatted, format, values);
  va_end(values);
  if (written <= 0) return;

  std::string_view text(formatted);
  if (text.front() == '.') return;  // "...Completed" and its kind are for the log, not the line
  if (text.starts_with("\r\n")) {
    text.remove_prefix(2);
    if (text.starts_with("\r\n")) text.remove_prefix(2);
  }
  CopyCut(statusText_, sizeof statusText_, text);
  view_.ShowStatus(statusText_);
}

void Notices::ShowAllUpdated() {
  SetStatus("%s", LoadText(msg::kAllFilesUpdated));
  EnableExchangeButtons(false);
}

void Notices::EnableExchangeButtons(bool enabled) {
  exchangeButtonsEnabled_ = enabled;
  view_.EnableControl(ControlId::kFullCheck, enabled);
  view_.EnableControl(ControlId::kStart, enabled);
  if (enabled) view_.FocusControl(ControlId::kStart);
}

void Notices::SetTotalRange(int count) {
  totalProgress_.SetBarRange(count);
  view_.SetProgressRange(ProgressBar::kTotal, 0, count);
}

void Notices::SetTotalPosition(int position) {
  totalProgress_.SetBarPos(position);
  ShowTotal();
}

void Notices::StepTotal() {
  totalProgress_.AdvanceBar();
  ShowTotal();
}

void Notices::FillTotal() {
  totalProgress_.FillBar();
  ShowTotal();
}

void Notices::SetFileRange(int upper) {
  fileProgress_.SetBarRange(upper);
  view_.SetProgressRange(ProgressBar::kFile, 0, upper);
}

void Notices::SetFilePercent(int percent) {
  fileProgress_.SetPercent(percent);
  view_.SetProgressPosition(ProgressBar::kFile, fileProgress_.position());
}

}  // namespace veltharn
