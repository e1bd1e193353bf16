#include "launcher/adapters/posix/poll_event_loop.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>
#include <vector>

namespace veltharn {

void PollEventLoop::Watch(int fd, short events, Watcher watcher) {
  watches_[fd] = {events, std::move(watcher)};
}

void PollEventLoop::Unwatch(int fd) {
  watches_.erase(fd);
}

void PollEventLoop::WatchLines(int fd, std::function<void(const std::string& line)> onLine,
                               std::function<void()> onEnd) {
  auto pending = std::make_shared<std::string>();
  Watch(fd, POLLIN,
        [this, fd, pending, onLine = std::move(onLine), onEnd = std::move(onEnd)](short) {
          char chunk[4096];
          ssize_t count = read(fd, chunk, sizeof chunk);
          if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
          if (count > 0) {
            pending->append(chunk, static_cast<size_t>(count));
            size_t start = 0;
            for (size_t end; (end = pending->find('\n', start)) != std::string::npos;
                 start = end + 1) {
              size_t length = end - start;
              if (length > 0 && (*pending)[end - 1] == '\r') --length;
              onLine(pending->substr(start, length));
            }
            pending->erase(0, start);
            return;
          }
          // Taken out before Unwatch drops this watcher.
          auto lastLine = std::move(*pending);
          auto lineHandler = onLine;
          auto endHandler = onEnd;
          Unwatch(fd);
          if (!lastLine.empty()) lineHandler(lastLine);
          if (endHandler) endHandler();
        });
}

void PollEventLoop::SetTimer(int id, int intervalMs) {
  auto interval = std::chrono::milliseconds(std::max(intervalMs, 1));
  timers_[id] = Timer{interval, Clock::now() + interval};
}

void PollEventLoop::KillTimer(int id) {
  timers_.erase(id);
}

void PollEventLoop::Post(std::function<void()> task) {
  posted_.push_back(std::move(task));
}

void PollEventLoop::RunAfter(int delayMs, std::function<void()> task) {
  delayed_.emplace(Clock::now() + std::chrono::milliseconds(delayMs), std::move(task));
}

int PollEventLoop::Run() {
  while (!quitting_) RunOne(-1);
  return quitCode_;
}

void PollEventLoop::Quit(int code) {
  if (quitting_) return;
  quitting_ = true;
  quitCode_ = code;
}

bool PollEventLoop::PumpOne() {
  return RunOne(0);
}

bool PollEventLoop::RunDueTimer(Clock::time_point now) {
  if (!delayed_.empty() && delayed_.begin()->first <= now) {
    std::function<void()> task = std::move(delayed_.begin()->second);
    delayed_.erase(delayed_.begin());
    task();
    return true;
  }
  auto due = std::min_element(timers_.begin(), timers_.end(), [](const auto& a, const auto& b) {
    return a.second.due < b.second.due;
  });
  if (due == timers_.end() || due->second.due > now) return false;
  int id = due->first;
  // Like window timers, a late timer ticks once, not once for every interval it missed.
  due->second.due = now + due->second.interval;
  if (timerHandler_) timerHandler_(id);
  return true;
}

int PollEventLoop::MillisecondsToNextDue(Clock::time_point now) const {
  std::optional<Clock::time_point> next;
  for (const auto& [id, timer] : timers_) {
    if (!next || timer.due < *next) next = timer.due;
  }
  if (!delayed_.empty() && (!next || delayed_.begin()->first < *next)) {
    next = delayed_.begin()->first;
  }
  if (!next) return -1;
  auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(*next - now).count();
  return static_cast<int>(std::clamp<long long>(wait + 1, 0, 60000));
}

bool PollEventLoop::RunOne(int waitMs) {
  if (!posted_.empty()) {
    std::function<void()> task = std::move(posted_.front());
    posted_.pop_front();
    task();
    return true;
  }

  std::vector<pollfd> fds;
  fds.reserve(watches_.size());
  for (const auto& [fd, watch] : watches_) fds.push_back({fd, watch.first, 0});

  Clock::time_point now = Clock::now();
  if (RunDueTimer(now)) return true;
  int timeout = MillisecondsToNextDue(now);
  if (waitMs >= 0 && (timeout < 0 || timeout > waitMs)) timeout = waitMs;

  int ready = poll(fds.data(), fds.size(), timeout);
  if (ready <= 0) return ready == 0 && RunDueTimer(Clock::now());

  // One descriptor per event, taken in turn so that a busy socket does not starve the others.
  std::stable_partition(fds.begin(), fds.end(),
                        [this](const pollfd& p) { return p.fd >= nextFdToServe_; });
  for (const pollfd& p : fds) {
    if (p.revents == 0) continue;
    auto watch = watches_.find(p.fd);
    if (watch == watches_.end()) continue;
    nextFdToServe_ = p.fd + 1;
    Watcher watcher = watch->second.second;  // a copy: the watcher may unwatch itself
    watcher(p.revents);
    return true;
  }
  nextFdToServe_ = 0;
  return false;
}

}  // namespace veltharn
