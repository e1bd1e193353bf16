// The poll loop with real pipes and short real timers (milliseconds, never seconds).
#include "launcher/adapters/posix/poll_event_loop.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace veltharn {
namespace {

// Both ends of a pipe, closed when it goes.
class Pipe {
 public:
  Pipe() {
    if (pipe(fds_) != 0) fds_[0] = fds_[1] = -1;
  }
  ~Pipe() {
    CloseWriteEnd();
    if (fds_[0] >= 0) close(fds_[0]);
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  [[nodiscard]] int readEnd() const { return fds_[0]; }
  void Write(const std::string& text) const {
    ASSERT_EQ(write(fds_[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  void CloseWriteEnd() {
    if (fds_[1] >= 0) close(fds_[1]);
    fds_[1] = -1;
  }

 private:
  int fds_[2];
};

// Runs the loop until Quit, with a guard that ends a test that would otherwise hang.
int RunGuarded(PollEventLoop& loop) {
  loop.RunAfter(3000, [&] { loop.Quit(-1); });
  return loop.Run();
}

TEST(PollEventLoopTest, TimersTickWithTheirIdsUntilKilled) {
  PollEventLoop loop;
  std::vector<int> ticks;
  loop.SetTimerHandler([&](int id) {
    ticks.push_back(id);
    if (id == 1) loop.KillTimer(1);  // one tick of timer 1 only
    if (ticks.size() == 4) loop.Quit(7);
  });
  loop.SetTimer(1, 5);
  loop.SetTimer(100, 20);
  EXPECT_EQ(RunGuarded(loop), 7);
  ASSERT_EQ(ticks.size(), 4u);
  EXPECT_EQ(ticks[0], 1);
  EXPECT_EQ(std::vector<int>(ticks.begin() + 1, ticks.end()), (std::vector<int>{100, 100, 100}));
}

TEST(PollEventLoopTest, SettingARunningTimerAgainReplacesItsInterval) {
  PollEventLoop loop;
  std::vector<int> ticks;
  loop.SetTimerHandler([&](int id) {
    ticks.push_back(id);
    loop.Quit(0);
  });
  loop.SetTimer(5, 60000);
  loop.SetTimer(5, 5);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(RunGuarded(loop), 0);
  EXPECT_EQ(ticks, std::vector<int>{5});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(PollEventLoopTest, PumpOneRunsOneEventAndNeverWaits) {
  PollEventLoop loop;
  int ran = 0;
  loop.SetTimer(1, 60000);
  loop.Post([&] { ++ran; });
  loop.Post([&] { ++ran; });
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(loop.PumpOne());
  EXPECT_EQ(ran, 1);
  EXPECT_TRUE(loop.PumpOne());
  EXPECT_EQ(ran, 2);
  EXPECT_FALSE(loop.PumpOne());  // nothing pending: the timer is a minute away
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

TEST(PollEventLoopTest, AWatchedDescriptorCallsBackUntilUnwatched) {
  PollEventLoop loop;
  Pipe pipe;
  int calls = 0;
  loop.Watch(pipe.readEnd(), POLLIN, [&](short ready) {
    EXPECT_NE(ready & POLLIN, 0);
    ++calls;
  });
  EXPECT_FALSE(loop.PumpOne());
  pipe.Write("x");
  EXPECT_TRUE(loop.PumpOne());
  EXPECT_TRUE(loop.PumpOne());  // still readable: reported again
  EXPECT_EQ(calls, 2);
  loop.Unwatch(pipe.readEnd());
  EXPECT_FALSE(loop.PumpOne());
  EXPECT_EQ(calls, 2);
}

TEST(PollEventLoopTest, WatchedLinesArriveWholeWhateverTheirPieces) {
  struct Case {
    const char* name;
    std::vector<std::string> pieces;
    std::vector<std::string> lines;
  } const cases[] = {
      {"one write", {"one\ntwo\n"}, {"one", "two"}},
      {"split lines", {"on", "e\r\ntw", "o\n"}, {"one", "two"}},
      {"unfinished last line", {"one\nlast"}, {"one", "last"}},
      {"empty lines kept", {"\n\nx\n"}, {"", "", "x"}},
      {"nothing", {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PollEventLoop loop;
    Pipe pipe;
    std::vector<std::string> lines;
    int ends = 0;
    loop.WatchLines(
        pipe.readEnd(), [&](const std::string& line) { lines.push_back(line); }, [&] { ++ends; });
    for (const std::string& piece : c.pieces) {
      pipe.Write(piece);
      while (loop.PumpOne()) {
      }
    }
    pipe.CloseWriteEnd();
    while (loop.PumpOne()) {
    }
    EXPECT_EQ(lines, c.lines);
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(loop.PumpOne());  // the watch ended with the stream
  }
}

TEST(PollEventLoopTest, QuitEndsRunWithItsFirstCode) {
  PollEventLoop loop;
  loop.Post([&] {
    loop.Quit(3);
    loop.Quit(4);
  });
  EXPECT_EQ(RunGuarded(loop), 3);
  EXPECT_TRUE(loop.quitting());
}

}  // namespace
}  // namespace veltharn
