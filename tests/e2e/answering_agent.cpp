// A stand-in Pellorix.dll for the end-to-end run: the agent is installed, and its inspection
// answers at once by posting "MA_TO_INSPECTORRESULT" to the launcher's window, with the result
// taken from VELTHARN_AGENT_RESULT (0, "not installed", when unset). Every call is noted in
// agent-calls.txt in the current directory (the client folder), so the run can check which
// operations came, in which order and with what.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

void Note(const char* line) {
  FILE* note = std::fopen("agent-calls.txt", "a");
  if (note == nullptr) return;
  std::fprintf(note, "%s\n", line);
  std::fclose(note);
}

int ResultToReport() {
  const char* text = std::getenv("VELTHARN_AGENT_RESULT");
  return text != nullptr ? std::atoi(text) : 0;
}

}  // namespace

extern "C" {

__declspec(dllexport) int __cdecl QelCheckInstalled(int /*window*/) {
  Note("QelCheckInstalled");
  return 0;
}

__declspec(dllexport) int __cdecl QelInstall(int /*window*/, const char* /*url*/,
                                             const char* /*legacy*/, const char* /*portal*/,
                                             int seconds) {
  char line[64];
  std::snprintf(line, sizeof line, "QelInstall %d", seconds);
  Note(line);
  return 0;
}

__declspec(dllexport) int __cdecl QelInspector(int window, const char* /*url*/,
                                               const char* /*legacy*/, const char* /*unused*/,
                                               const char* callerPath) {
  const int result = ResultToReport();
  char line[MAX_PATH + 64];
  std::snprintf(line, sizeof line, "QelInspector %d %s", result, callerPath);
  Note(line);
  // Posted, not sent: the launcher takes it from its queue once this call has returned.
  const UINT message = RegisterWindowMessageA("MA_TO_INSPECTORRESULT");
  HWND launcher = reinterpret_cast<HWND>(static_cast<intptr_t>(window));
  return PostMessageA(launcher, message, static_cast<WPARAM>(result), 0) ? 0 : 3;
}

__declspec(dllexport) int __cdecl QelExecute(int /*window*/, const char* /*url*/,
                                             const char* /*legacy*/, const char* /*unused*/,
                                             int mode) {
  char line[64];
  std::snprintf(line, sizeof line, "QelExecute %d", mode);
  Note(line);
  return 0;
}

}  // extern "C"
