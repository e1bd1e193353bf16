// A stand-in for the agent library, loaded by veltharn-cli as Pellorix.so from the client folder.
// It records each call in "agent-calls.txt" there and answers as the environment asks:
//   VELTHARN_TEST_AGENT_CHECK, VELTHARN_TEST_AGENT_INSTALL: results of the check and the install
//   VELTHARN_TEST_AGENT_RESULT: the inspection result it posts back (0: update missing)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int Setting(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::atoi(value) : 0;
}

void Record(const std::string& line) {
  if (std::FILE* log = std::fopen("agent-calls.txt", "a")) {
    std::fprintf(log, "%s\n", line.c_str());
    std::fclose(log);
  }
}

void Post(int window, const std::string& line) {
  (void)!write(window, line.data(), line.size());
}

}  // namespace

extern "C" {

int QelCheckInstalled(int /*window*/) {
  Record("QelCheckInstalled");
  return Setting("VELTHARN_TEST_AGENT_CHECK");
}

int QelInstall(int /*window*/, const char* url, const char* legacyCrc, const char* portalCrc,
               int waitSeconds) {
  Record(std::string("QelInstall ") + url + " " + legacyCrc + " " + portalCrc + " " +
         std::to_string(waitSeconds));
  return Setting("VELTHARN_TEST_AGENT_INSTALL");
}

int QelInspector(int window, const char* /*url*/, const char* /*legacyCrc*/,
                 const char* /*unused*/, const char* callerPath) {
  Record(std::string("QelInspector ") + callerPath);
  // Lines the launcher must ignore, then the answer in two writes.
  Post(window, "MA_TO_AGENTCLOSE 1 2\nMA_TO_INSPECTORRESULT x 0\nMA_TO_INSPECTORRESULT ");
  Post(window, std::to_string(Setting("VELTHARN_TEST_AGENT_RESULT")) + " 0\n");
  return 0;
}

int QelExecute(int /*window*/, const char* /*url*/, const char* /*legacyCrc*/,
               const char* /*unused*/, int mode) {
  Record("QelExecute " + std::to_string(mode));
  return 0;
}

}  // extern "C"
