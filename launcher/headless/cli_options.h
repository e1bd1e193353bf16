#pragma once

#include <optional>
#include <string>
#include <vector>

#include "launcher/control/message_catalogue.h"

namespace veltharn {

// The command line of veltharn-cli. Operators' scripts depend on it: keep it stable.
struct CliOptions {
  std::string root;          // empty: the current directory
  std::string server;        // empty: the compiled-in update server
  int port = 2009;
  std::string registryFile;  // empty: ".veltharn.reg" in the root
  Language language = Language::kEnglish;
  bool fullCheck = false;
  bool start = false;
  bool answerYes = false;
  int timeoutSeconds = 0;  // 0: no limit
  bool debug = false;
};

struct CliParse {
  std::optional<CliOptions> options;  // nullopt: a usage error, explained in `error`
  std::string error;
  bool help = false;
};

CliParse ParseCliOptions(const std::vector<std::string>& arguments);

extern const char kCliUsage[];

}  // namespace veltharn
