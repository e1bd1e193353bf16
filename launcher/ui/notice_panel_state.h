#pragma once

namespace veltharn {

// When the notice page may be shown. The browser control is usable until any call into it fails;
// the page is pending from the start of its navigation until an error is reported for it (or one
// of its frames). Only a completed navigation of a usable, pending page shows the panel on the
// artwork skin; an error page completing after the error shows nothing.
class NoticePanelState {
 public:
  // Whether the control could be created; false ends all use of the panel.
  void SetAvailable(bool available) { available_ = available; }
  // A call into the control failed.
  void OnControlFailure() {
    available_ = false;
    pending_ = false;
  }
  void OnNavigationStarted() { pending_ = available_; }
  void OnNavigationFailed() { pending_ = false; }
  // A navigation completed: true when the panel is to be shown (and the skin switched). Later
  // completions of a shown page (frames, links) answer true again, harmlessly.
  [[nodiscard]] bool OnNavigationCompleted() const { return available_ && pending_; }

  [[nodiscard]] bool available() const { return available_; }
  [[nodiscard]] bool pending() const { return pending_; }

 private:
  bool available_ = false;
  bool pending_ = false;
};

}  // namespace veltharn
