#include "launcher/ui/win32/explorer_notice.h"

#include <exdispid.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/adapters/win32/message_window.h"

namespace veltharn {
namespace {

struct RecordedEvents : NoticeEvents {
  std::vector<std::string> seen;
  void OnNoticeLoaded() override { seen.push_back("loaded"); }
  void OnNoticeFailed() override { seen.push_back("failed"); }
};

void Fire(IDispatch& sink, DISPID id) {
  DISPPARAMS none = {};
  sink.Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
}

TEST(ExplorerNoticeTest, TheSinkPassesOnCompletionAndErrorOnly) {
  struct Case {
    const char* name;
    std::vector<DISPID> fired;
    std::vector<std::string> expected;
  } const cases[] = {
      {"completion", {DISPID_NAVIGATECOMPLETE2}, {"loaded"}},
      {"error, then the error page completes",
       {DISPID_NAVIGATEERROR, DISPID_NAVIGATECOMPLETE2},
       {"failed", "loaded"}},
      {"other events are ignored", {DISPID_BEFORENAVIGATE2, DISPID_DOCUMENTCOMPLETE}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordedEvents events;
    NoticeEventSink sink(&events);
    for (DISPID id : c.fired) Fire(sink, id);
    EXPECT_EQ(events.seen, c.expected);
  }
}

TEST(ExplorerNoticeTest, ADisconnectedSinkReportsNothing) {
  RecordedEvents events;
  NoticeEventSink sink(&events);
  sink.Disconnect();
  Fire(sink, DISPID_NAVIGATECOMPLETE2);
  EXPECT_TRUE(events.seen.empty());
  void* object = nullptr;
  EXPECT_EQ(sink.QueryInterface(DIID_DWebBrowserEvents2, &object), S_OK);
  EXPECT_EQ(object, static_cast<IDispatch*>(&sink));
}

// The real control where the system has one. Under Wine without its Gecko package the page never
// loads: either the control cannot be created (no panel) or its navigation ends in an error.
TEST(ExplorerNoticeTest, AnUnreachablePageEndsInAnErrorOrNoPanel) {
  ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
  {
    HWND host = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(host, nullptr);
    RecordedEvents events;
    CExplorernotice panel;
    if (!CExplorernotice::ControlAvailable() || !panel.Create(host, &events)) {
      EXPECT_FALSE(panel.created());
    } else {
      EXPECT_TRUE(panel.SetVisible(true));
      std::optional<SIZE> size = panel.Size();
      ASSERT_TRUE(size.has_value());
      ASSERT_TRUE(panel.Navigate("http://127.0.0.1:1/notice.html"));
      const DWORD start = GetTickCount();
      while (events.seen.empty() && GetTickCount() - start < 15000) testing::PumpFor(50);
      ASSERT_FALSE(events.seen.empty());
      EXPECT_EQ(events.seen.front(), "failed");
    }
    panel.Destroy();
    DestroyWindow(host);
  }
  OleUninitialize();
}

}  // namespace
}  // namespace veltharn
