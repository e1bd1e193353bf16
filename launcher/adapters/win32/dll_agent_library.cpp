#include "launcher/adapters/win32/dll_agent_library.h"

#include "launcher/adapters/win32/unique_handle.h"

namespace veltharn {
namespace {

using CheckInstalledFunction = int(__cdecl*)(int);
using InstallFunction = int(__cdecl*)(int, const char*, const char*, const char*, int);
using InspectorFunction = int(__cdecl*)(int, const char*, const char*, const char*, const char*);
using ExecuteFunction = int(__cdecl*)(int, const char*, const char*, const char*, int);

// GetProcAddress answers a generic function pointer; the export's own type is known here.
template <typename Function>
Function As(FARPROC symbol) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(symbol));
}

class DllModule : public AgentModule {
 public:
  DllModule(UniqueModule module, int window) : module_(std::move(module)), window_(window) {}

  bool Has(AgentExport which) override { return Find(which) != nullptr; }

  int32_t Call(AgentExport which, const AgentArguments& a) override {
    FARPROC symbol = Find(which);
    if (symbol == nullptr) return -1;
    const char* url = a.serviceUrl.c_str();
    const char* legacy = a.legacyUpdaterCrc.c_str();
    const char* portal = a.portalBootstrapCrc.c_str();
    switch (which) {
      case AgentExport::kCheckInstalled:
        return As<CheckInstalledFunction>(symbol)(window_);
      case AgentExport::kInstall:
        return As<InstallFunction>(symbol)(window_, url, legacy, portal, a.number);
      case AgentExport::kInspector:
        return As<InspectorFunction>(symbol)(window_, url, legacy, portal,
                                                           a.callerPath.c_str());
      case AgentExport::kExecute:
        return As<ExecuteFunction>(symbol)(window_, url, legacy, portal, a.number);
    }
    return -1;
  }

 private:
  FARPROC Find(AgentExport which) { return GetProcAddress(module_.get(), AgentExportName(which)); }

  UniqueModule module_;
  int window_;
};

}  // namespace

std::unique_ptr<AgentModule> DllAgentLibrary::Load() {
  std::optional<std::string> directory = files_.CurrentDirectory();
  if (!directory) return nullptr;
  std::string path = *directory + "\\" + "Pellorix.dll";
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr || module == reinterpret_cast<HMODULE>(-1)) return nullptr;
  // Only 32-bit values cross: the window handle travels as the int the library takes.
  int window = static_cast<int>(reinterpret_cast<intptr_t>(window_));
  return std::make_unique<DllModule>(UniqueModule(module), window);
}

}  // namespace veltharn
