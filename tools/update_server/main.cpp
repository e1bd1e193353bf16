// veltharn-update-server: the reference update server, a development tool for the demo and for
// trying the launcher by hand. It serves one release folder on 127.0.0.1, one launcher at a time.
//
//   veltharn-update-server --release DIR --port N [--launcher FILE] [--once] [--log FILE]
//
// --launcher offers FILE as the new launcher program to every launcher whose own one differs.

#include <sys/socket.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "tools/update_server/exchange.h"
#include "tools/update_server/release.h"
#include "tools/update_server/socket.h"

namespace {

using namespace veltharn;

// Longer than the launcher's 10-second keep-alive, so a live launcher never times out.
constexpr std::chrono::seconds kClientTimeout{30};

struct Options {
  std::string release;
  std::optional<std::uint16_t> port;
  bool once = false;
  std::string logFile;
  std::string launcher;
};

std::optional<std::uint16_t> ParsePort(std::string_view text) {
  std::uint16_t port = 0;
  const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), port);
  if (failure != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return port;
}

std::optional<Options> ParseOptions(int argc, char** argv, std::string& error) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    const bool hasValue = i + 1 < argc;
    if (argument == "--once") {
      options.once = true;
    } else if (argument == "--release" && hasValue) {
      options.release = argv[++i];
    } else if (argument == "--launcher" && hasValue) {
      options.launcher = argv[++i];
    } else if (argument == "--log" && hasValue) {
      options.logFile = argv[++i];
    } else if (argument == "--port" && hasValue) {
      options.port = ParsePort(argv[++i]);
      if (!options.port) {
        error = "--port wants a number from 0 to 65535";
        return std::nullopt;
      }
    } else {
      error = "unknown or incomplete option " + std::string(argument);
      return std::nullopt;
    }
  }
  if (options.release.empty() || !options.port) {
    error = "--release and --port are required";
    return std::nullopt;
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  const auto options = ParseOptions(argc, argv, error);
  if (!options) {
    std::cerr << "veltharn-update-server: " << error << "\n"
              << "usage: veltharn-update-server --release DIR --port N [--launcher FILE] [--once] "
                 "[--log FILE]\n";
    return 2;
  }
  std::ofstream logFile;
  if (!options->logFile.empty()) {
    logFile.open(options->logFile, std::ios::app);
    if (!logFile) {
      std::cerr << "veltharn-update-server: cannot open " << options->logFile << "\n";
      return 1;
    }
  }
  std::ostream& log = options->logFile.empty() ? std::cout : logFile;

  auto release = update_server::LoadRelease(options->release, error);
  if (release && !options->launcher.empty()) {
    release->launcher = update_server::LoadLauncherOffer(options->launcher, error);
    if (!release->launcher) release.reset();
  }
  if (!release) {
    std::cerr << "veltharn-update-server: " << error << "\n";
    return 1;
  }
  const net::UniqueFd listener = net::ListenOnLoopback(*options->port);
  if (!listener) {
    std::cerr << "veltharn-update-server: cannot listen on 127.0.0.1:" << *options->port << ": "
              << std::strerror(errno) << "\n";
    return 1;
  }
  log << "listening on 127.0.0.1:" << net::LocalPort(listener.get()) << ", release "
      << release->globalVersion << " (separate " << release->separateVersion << ") with "
      << release->files.size() << " files" << std::endl;

  for (;;) {
    const net::UniqueFd client(::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!client) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      std::cerr << "veltharn-update-server: accept failed: " << std::strerror(errno) << "\n";
      return 1;
    }
    net::SetTimeouts(client.get(), kClientTimeout);
    log << "connection" << std::endl;
    const auto outcome = update_server::Exchange(client.get(), *release, log).Run();
    log << (outcome == update_server::Outcome::kCompleted    ? "exchange completed"
            : outcome == update_server::Outcome::kHandedOver ? "exchange handed over"
                                                             : "exchange broken off")
        << std::endl;
    if (options->once) return outcome == update_server::Outcome::kBroken ? 1 : 0;
  }
}
