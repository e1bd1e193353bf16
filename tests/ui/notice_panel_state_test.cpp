#include "launcher/ui/notice_panel_state.h"

#include <gtest/gtest.h>

#include <vector>

namespace veltharn {
namespace {

enum class Step { kAvailable, kUnavailable, kStart, kFail, kControlFailure };

TEST(NoticePanelStateTest, OnlyACompletedPendingPageOfAUsableControlIsShown) {
  struct Case {
    const char* name;
    std::vector<Step> steps;
    bool shown;
  } const cases[] = {
      {"page loads", {Step::kAvailable, Step::kStart}, true},
      {"no control", {Step::kUnavailable, Step::kStart}, false},
      {"completion before any navigation", {Step::kAvailable}, false},
      {"error, then the error page completes",
       {Step::kAvailable, Step::kStart, Step::kFail},
       false},
      {"a control call failed before the navigation",
       {Step::kAvailable, Step::kControlFailure, Step::kStart},
       false},
      {"a control call failed after the navigation",
       {Step::kAvailable, Step::kStart, Step::kControlFailure},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NoticePanelState state;
    for (Step step : c.steps) {
      switch (step) {
        case Step::kAvailable:
          state.SetAvailable(true);
          break;
        case Step::kUnavailable:
          state.SetAvailable(false);
          break;
        case Step::kStart:
          state.OnNavigationStarted();
          break;
        case Step::kFail:
          state.OnNavigationFailed();
          break;
        case Step::kControlFailure:
          state.OnControlFailure();
          break;
      }
    }
    EXPECT_EQ(state.OnNavigationCompleted(), c.shown);
  }
}

TEST(NoticePanelStateTest, AShownPageStaysShownForLaterCompletions) {
  NoticePanelState state;
  state.SetAvailable(true);
  state.OnNavigationStarted();
  EXPECT_TRUE(state.OnNavigationCompleted());
  EXPECT_TRUE(state.OnNavigationCompleted());  // a frame or a link inside the panel
  state.OnNavigationFailed();                  // an error for a frame ends it
  EXPECT_FALSE(state.OnNavigationCompleted());
}

}  // namespace
}  // namespace veltharn
