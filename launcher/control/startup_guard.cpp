#include "launcher/control/startup_guard.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "launcher/control/message_ids.h"

namespace veltharn {
namespace {

constexpr const char* kIntermediateName = "veltharn.nex";

std::string FileNamePart(const std::string& path) {
  size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string WithLastCharacters(std::string text, const std::string& ending) {
  if (text.size() >= ending.size())
    text.replace(text.size() - ending.size(), ending.size(), ending);
  return text;
}

// Only a name like "Veltharn.exe" has a leftover copy beside it; in a name without such an
// extension ("veltharn-cli"), the last three characters are part of the name, and changing them
// would name some other file.
bool HasThreeLetterExtension(const std::string& name) {
  return name.size() > 4 && name[name.size() - 4] == '.';
}

// Runs as "Veltharn.nex": waits for the old program to go, puts "Veltharn.new" in its place and
// starts it. Returns only when that did not happen within the attempts.
void CompleteReplacement(const StartupPorts& ports, const std::string& ownName) {
  std::string newProgram = WithLastCharacters(ownName, "w");
  std::string target = WithLastCharacters(newProgram, "exe");
  if (!ports.files.Exists(newProgram)) ports.processes.Exit(1);
  for (int attempt = 0; attempt < kReplacementAttempts; ++attempt) {
    ports.files.SetAttributes(target, FileAttributes::kArchive);
    if (ports.files.Delete(target) && ports.files.Move(newProgram, target)) {
      // The guard goes first: the new program may reach its own guard before this process has
      // ended, and would then take itself for a second copy and end.
      ports.processes.ReleaseInstance();
      ports.processes.RunAndExit(target);
      (void)ports.processes.ClaimInstance(kInstanceGuardName);
    }
    ports.clock.SleepMs(kReplacementPauseMs);
  }
}

}  // namespace

bool RunStartupChecks(const StartupPorts& ports) {
  if (ports.processes.ClaimInstance(kInstanceGuardName) == InstanceClaim::kAlreadyRunning) {
    std::string title = ports.notices.LoadText(msg::kWindowTitle);
    if (title.size() > 100) title.resize(100);
    ports.processes.ActivateRunningInstance(title);
    return false;
  }

  std::string ownPath = ports.processes.OwnPath();
  std::string ownName = FileNamePart(ownPath);
  if (EqualsIgnoringCase(ownName, kIntermediateName)) {
    CompleteReplacement(ports, ownName);
  } else if (HasThreeLetterExtension(ownName)) {
    // A copy left behind by the last replacement.
    std::string leftover = WithLastCharacters(ownPath, "nex");
    ports.files.SetAttributes(leftover, FileAttributes::kArchive);
    ports.files.Delete(leftover);
  }

  ports.versions.Prepare();
  return true;
}

}  // namespace veltharn
