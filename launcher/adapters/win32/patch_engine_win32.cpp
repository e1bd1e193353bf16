#include "launcher/adapters/win32/patch_engine_win32.h"

#include <windows.h>

#include "launcher/adapters/win32/unique_handle.h"

namespace veltharn {
namespace {

constexpr const char* kEngineFile = "PATCHW32.dll";
constexpr WORD kApplyOrdinal = 1;

using PatchCallBackEntry = void*(__stdcall*)(unsigned int id, void* data);
using ApplyEntry = int(__stdcall*)(const char* commandLine, PatchCallBackEntry callback,
                                   int reserved);

// The events of the Apply that runs; the engine's callback carries no context of its own.
PatchEvents* currentEvents = nullptr;

char emptyAnswer[] = "";

}  // namespace

int32_t Patchw32Engine::Apply(const char* commandLine, PatchEvents& events) {
  if (currentEvents != nullptr) return kNotApplied;
  const std::string path = folder_ + "\\" + kEngineFile;
  // With a full path, the altered search path looks for the engine's own imports beside it.
  UniqueModule engine(LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!engine) return kNotApplied;
  auto apply = reinterpret_cast<ApplyEntry>(
      reinterpret_cast<void*>(GetProcAddress(engine.get(), MAKEINTRESOURCEA(kApplyOrdinal))));
  if (apply == nullptr) return kNotApplied;

  currentEvents = &events;
  const int result = apply(commandLine, &PatchCallBack, 0);
  currentEvents = nullptr;
  return result;
}

}  // namespace veltharn

extern "C" void* __stdcall PatchCallBack(unsigned int id, void* data) {
  using veltharn::currentEvents;
  if (currentEvents == nullptr) return veltharn::emptyAnswer;
  return const_cast<char*>(currentEvents->OnPatchEvent(id, data));
}
