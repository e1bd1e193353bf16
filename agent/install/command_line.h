#pragma once
// Command lines of the agent's programs. They are at most 259 characters: a longer one is
// refused (nullopt), since a cut command line would start the wrong thing.
#include <optional>
#include <string>

namespace pellorix {

inline constexpr std::size_t kMaxCommandLine = 259;

// "%s %s": the caller has already quoted the program path.
std::optional<std::string> PortalCommandLine(const std::string& quotedProgram,
                                             const std::string& arguments);
// The program path in double quotation marks, a blank, then the argument text.
std::optional<std::string> LegacyCommandLine(const std::string& program,
                                             const std::string& arguments);

}  // namespace pellorix
