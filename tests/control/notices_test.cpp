#include "launcher/control/notices.h"

#include <gtest/gtest.h>

#include <string>

#include "launcher/control/message_ids.h"
#include "tests/fakes/fake_view.h"

namespace veltharn {
namespace {

class NoticesTest : public ::testing::Test {
 protected:
  FakeView view;
  Notices notices{view};
};

TEST_F(NoticesTest, StatusLineRules) {
  struct Case {
    const char* shown;
    const char* expected;  // null: the line is left as it was
  } const cases[] = {
      {"abc", "abc"},
      {"\r\nabc", "abc"},
      {"\r\n\r\nabc", "abc"},
      {"\r\n\r\n\r\nabc", "\r\nabc"},
      {"...Completed", nullptr},
      {"..\xec\x83\x9d\xec\x84\xb1 \xec\x8b\xa4\xed\x8c\xa8", nullptr},
      {".", nullptr},
      {"", nullptr},
      {"\r\n", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.shown)));
    notices.SetStatus("%s", "before");
    view.statuses.clear();
    notices.SetStatus("%s", c.shown);
    if (c.expected == nullptr) {
      EXPECT_TRUE(view.statuses.empty());
      EXPECT_STREQ(notices.statusText(), "before");
    } else {
      ASSERT_EQ(view.statuses.size(), 1u);
      EXPECT_EQ(view.statuses[0], c.expected);
      EXPECT_STREQ(notices.statusText(), c.expected);
    }
  }
}

TEST_F(NoticesTest, CatalogueTextThatBeginsWithADotIsNeverShown) {
  notices.SetStatus("%s", "before");
  for (int id : {msg::kCompleted, msg::kErrorSuffix}) {
    notices.SetStatus(notices.LoadText(id));
    EXPECT_STREQ(notices.statusText(), "before") << id;
  }
}

TEST_F(NoticesTest, StatusFormatsItsValuesAndCutsLongTexts) {
  notices.SetStatus(notices.LoadText(msg::kFileInspected), "system\\qor.exe");
  EXPECT_STREQ(notices.statusText(), "File Inspection system\\qor.exe .. completed");

  std::string longName(5000, 'n');
  notices.SetStatus(notices.LoadText(msg::kFileInspected), longName.c_str());
  EXPECT_EQ(std::string(notices.statusText()).size(), size_t{Notices::kStatusFormatSize - 1});
}

TEST_F(NoticesTest, FilePercentScalesToTheBarRange) {
  notices.SetFileRange(0x7FFF);
  struct Case {
    int percent;
    int position;
  } const cases[] = {{0, 0}, {1, 327}, {50, 16383}, {100, 32767}, {150, 32767}, {-5, 0},
                     {2147483647, 32767}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.percent);
    notices.SetFilePercent(c.percent);
    EXPECT_EQ(notices.fileProgress().position(), c.position);
    EXPECT_EQ(view.positions[ProgressBar::kFile], c.position);
  }
}

TEST_F(NoticesTest, TotalProgressStepsAndFillsWithinItsRange) {
  notices.SetTotalRange(2);
  EXPECT_EQ(view.ranges[ProgressBar::kTotal], std::make_pair(0, 2));
  notices.StepTotal();
  notices.StepTotal();
  notices.StepTotal();  // at the maximum: stays there
  EXPECT_EQ(notices.totalProgress().position(), 2);
  EXPECT_EQ(view.positions[ProgressBar::kTotal], 2);

  notices.SetTotalPosition(0);
  notices.SetTotalRange(7);
  notices.FillTotal();
  EXPECT_EQ(view.positions[ProgressBar::kTotal], 7);
}

TEST_F(NoticesTest, AskContinuePutsThePathBeforeTheQuestion) {
  view.answers = {kIdNo};
  EXPECT_EQ(notices.AskContinue(".\\Patch\\12.rtp"), kIdNo);
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0].text,
            ".\\Patch\\12.rtpThe file cannot be created. Please verify available disk space and "
            "write permissions. Do you wish to continue?");
  EXPECT_EQ(view.boxes[0].caption, "Error");
  EXPECT_EQ(view.boxes[0].buttons, BoxButtons::kYesNo);
  EXPECT_FALSE(view.boxes[0].owned);

  view.answers = {kIdYes};
  EXPECT_EQ(notices.AskContinue("x"), kIdYes);
}

TEST_F(NoticesTest, AskContinueCutsAPathTooLongForItsBuffer) {
  std::string path(2000, 'p');
  notices.AskContinue(path);
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0].text, std::string(Notices::kBoxTextSize - 1, 'p'));
}

TEST_F(NoticesTest, ShowNoticeUsesBothTextsInTheViewsLanguage) {
  view.language = Language::kKorean;
  EXPECT_EQ(notices.ShowNotice(msg::kConnectionTerminated, true, msg::kCaptionAnnouncement), kIdOk);
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0].text, "업데이트 서버와 연결이 끊어졌습니다.");
  EXPECT_EQ(view.boxes[0].caption, "알림");
  EXPECT_TRUE(view.boxes[0].owned);
  EXPECT_EQ(view.boxes[0].buttons, BoxButtons::kOk);
}

TEST_F(NoticesTest, ShowAllUpdatedDisablesBothButtons) {
  notices.ShowAllUpdated();
  EXPECT_STREQ(notices.statusText(), "All the files have been updated.");
  EXPECT_FALSE(view.IsEnabled(ControlId::kFullCheck));
  EXPECT_FALSE(view.IsEnabled(ControlId::kStart));
}

TEST_F(NoticesTest, CloseLauncherEndsTheDialogWithCancel) {
  notices.CloseLauncher();
  EXPECT_EQ(view.endResults, std::vector<int>{kIdCancel});
}

}  // namespace
}  // namespace veltharn
