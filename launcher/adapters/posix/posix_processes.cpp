#include "launcher/adapters/posix/posix_processes.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace veltharn {
namespace {

// The same text gives the same name in every build, so that the old launcher and its replacement
// (another build) meet at one lock file: FNV-1a, in hex.
std::string LockName(const std::string& text) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  char name[17];
  std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
  return name;
}

}  // namespace

std::string PosixProcesses::OwnPath() {
  char path[4096] = {};
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

InstanceClaim PosixProcesses::ClaimInstance(const std::string& name) {
  const char* folder = std::getenv("TMPDIR");
  std::string lockPath = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") +
                         "/veltharn-" + LockName(name + "|" + clientFolder_) + ".lock";
  ReleaseInstance();
  lockFd_ = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  // A lock file that cannot be made guards nothing; the launcher runs, as it would without one.
  if (lockFd_ < 0) return InstanceClaim::kFirst;
  if (flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
    close(lockFd_);
    lockFd_ = -1;
    return InstanceClaim::kAlreadyRunning;
  }
  return InstanceClaim::kFirst;
}

void PosixProcesses::ReleaseInstance() {
  if (lockFd_ < 0) return;
  close(lockFd_);
  lockFd_ = -1;
}

int PosixProcesses::RunAndExit(const std::string& path) {
  std::string hostPath = path;
  std::replace(hostPath.begin(), hostPath.end(), '\\', '/');
  // On Windows any file the launcher wrote can be started; here it needs its execute bit.
  struct stat status {};
  if (stat(hostPath.c_str(), &status) == 0 && (status.st_mode & S_IXUSR) == 0) {
    chmod(hostPath.c_str(), status.st_mode | S_IXUSR);
  }
  std::fflush(nullptr);
  char* argv[] = {hostPath.data(), nullptr};
  execv(hostPath.c_str(), argv);
  return -1;
}

void PosixProcesses::Exit(int code) {
  std::fflush(nullptr);
  std::exit(code);
}

void SystemClock::SleepMs(int milliseconds) {
  if (milliseconds <= 0) return;
  timespec pause{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
  while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
}

}  // namespace veltharn
