#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "launcher/control/message_catalogue.h"
#include "launcher/ports/view.h"

namespace veltharn {

// A view that records what the controller shows. Texts come from the catalogue in UTF-8 (the
// tests' "ANSI" code page); message boxes are answered from a queue (OK, or No when it is empty).
class FakeView : public View {
 public:
  struct Box {
    std::string text;
    std::string caption;
    BoxButtons buttons;
    bool owned;
  };

  explicit FakeView(Language viewLanguage = Language::kEnglish) : language(viewLanguage) {}

  std::string LoadText(int id) override {
    const char* text = CatalogueText(id, language);
    return text != nullptr ? text : "";
  }
  int ShowMessageBox(std::string_view text, std::string_view caption, BoxButtons buttons,
                     bool owned) override {
    boxes.push_back({std::string(text), std::string(caption), buttons, owned});
    if (buttons == BoxButtons::kOk) return kIdOk;
    if (answers.empty()) return kIdNo;
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void ShowStatus(std::string_view text) override { statuses.emplace_back(text); }
  void SetProgressRange(ProgressBar bar, int minimum, int maximum) override {
    ranges[bar] = {minimum, maximum};
  }
  void SetProgressPosition(ProgressBar bar, int position) override {
    positions[bar] = position;
    if (bar == ProgressBar::kFile) filePositions.push_back(position);
  }
  void EnableControl(ControlId control, bool enabled) override { enabled_[control] = enabled; }
  void FocusControl(ControlId control) override { focused = control; }
  void EndDialog(int result) override { endResults.push_back(result); }
  int RunAgreementDialog() override {
    ++agreementsShown;
    return agreementAnswer;
  }
  void PumpOneMessage() override {
    ++pumps;
    if (onPump) onPump();
  }

  [[nodiscard]] bool IsEnabled(ControlId control) const {
    auto it = enabled_.find(control);
    return it == enabled_.end() || it->second;  // controls start enabled
  }

  Language language;
  std::vector<Box> boxes;
  std::deque<int> answers;
  std::vector<std::string> statuses;
  std::map<ProgressBar, std::pair<int, int>> ranges;
  std::map<ProgressBar, int> positions;
  std::vector<int> filePositions;  // every position the file bar was given, in order
  std::vector<int> endResults;
  ControlId focused{};
  int pumps = 0;
  int agreementsShown = 0;
  int agreementAnswer = kIdCancel;
  std::function<void()> onPump;

 private:
  std::map<ControlId, bool> enabled_;
};

}  // namespace veltharn
