#pragma once

#include "launcher/ports/registry.h"

namespace veltharn {

// HKEY_LOCAL_MACHINE through RegCreateKeyExA (keys are created when missing). A key stays open as
// long as its owner keeps it.
class RegistryStore : public Registry {
 public:
  std::unique_ptr<RegistryKey> CreateKey(const std::string& path, RegistryAccess access) override;
};

}  // namespace veltharn
