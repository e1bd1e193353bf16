#pragma once
// The two process-list technologies. Tool Help is looked up in kernel32 at run time for 9x;
// PSAPI.DLL is loaded (and its entry points looked up) for as long as the NT object lives, so the
// library loads on systems that lack either.
#include "ports/process_api.h"

namespace pellorix::win32 {

class WindowsProcessApiSource final : public ProcessApiSource {
 public:
  std::unique_ptr<ProcessApi> OpenToolhelp() override;
  std::unique_ptr<ProcessApi> OpenPsapi() override;
};

}  // namespace pellorix::win32
