#include "launcher/headless/cli_options.h"

#include <charconv>

namespace veltharn {

const char kCliUsage[] =
    "usage: veltharn-cli [--root DIR] [--server HOST] [--port N] [--registry FILE]\n"
    "                    [--lang en|ko] [--full-check] [--start] [--answer yes|no]\n"
    "                    [--timeout SECONDS] [--debug]\n";

namespace {

bool ParseNumber(const std::string& text, int minimum, int maximum, int* value) {
  int parsed = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  if (parsed < minimum || parsed > maximum) return false;
  *value = parsed;
  return true;
}

}  // namespace

CliParse ParseCliOptions(const std::vector<std::string>& arguments) {
  CliOptions options;
  CliParse result;
  auto fail = [&](std::string message) {
    result.error = std::move(message);
    return result;
  };

  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& flag = arguments[i];
    if (flag == "--help" || flag == "-h") {
      result.help = true;
      return result;
    }
    if (flag == "--full-check") {
      options.fullCheck = true;
      continue;
    }
    if (flag == "--start") {
      options.start = true;
      continue;
    }
    if (flag == "--debug") {
      options.debug = true;
      continue;
    }
    bool takesValue = flag == "--root" || flag == "--server" || flag == "--port" ||
                      flag == "--registry" || flag == "--lang" || flag == "--answer" ||
                      flag == "--timeout";
    if (!takesValue) return fail("unknown option: " + flag);
    if (i + 1 >= arguments.size()) return fail(flag + " needs a value");
    const std::string& value = arguments[++i];

    if (flag == "--root") {
      options.root = value;
    } else if (flag == "--server") {
      if (value.empty()) return fail("--server needs a host name");
      options.server = value;
    } else if (flag == "--port") {
      if (!ParseNumber(value, 1, 65535, &options.port)) return fail("--port: not a port: " + value);
    } else if (flag == "--registry") {
      options.registryFile = value;
    } else if (flag == "--lang") {
      if (value == "en") {
        options.language = Language::kEnglish;
      } else if (value == "ko") {
        options.language = Language::kKorean;
      } else {
        return fail("--lang: en or ko, not " + value);
      }
    } else if (flag == "--answer") {
      if (value != "yes" && value != "no") return fail("--answer: yes or no, not " + value);
      options.answerYes = value == "yes";
    } else if (flag == "--timeout") {
      if (!ParseNumber(value, 1, 86400, &options.timeoutSeconds)) {
        return fail("--timeout: seconds from 1 to 86400, not " + value);
      }
    }
  }
  result.options = options;
  return result;
}

}  // namespace veltharn
