#include "install/command_line.h"

namespace pellorix {
namespace {

std::optional<std::string> Bounded(std::string commandLine) {
  if (commandLine.size() > kMaxCommandLine) return std::nullopt;
  return commandLine;
}

}  // namespace

std::optional<std::string> PortalCommandLine(const std::string& quotedProgram,
                                             const std::string& arguments) {
  return Bounded(quotedProgram + " " + arguments);
}

std::optional<std::string> LegacyCommandLine(const std::string& program,
                                             const std::string& arguments) {
  return Bounded("\"" + program + "\" " + arguments);
}

}  // namespace pellorix
