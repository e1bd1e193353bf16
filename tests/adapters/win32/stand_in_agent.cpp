// A stand-in for the agent support library, loaded by DllAgentLibrary in its tests: two of the
// four exports, under their exact names, with the C calling convention. Each answers something
// computed from what it was given, so that the test sees the arguments crossed intact.
#include <cstring>

extern "C" {

__declspec(dllexport) int __cdecl QelCheckInstalled(int window) {
  return window + 1;
}

__declspec(dllexport) int __cdecl QelInstall(int window, const char* url, const char* legacy,
                                             const char* portal, int seconds) {
  return window +
         static_cast<int>(std::strlen(url) * 1000 + std::strlen(legacy) * 100 +
                          std::strlen(portal) * 10) +
         seconds;
}

}  // extern "C"
