#pragma once
// The registry through advapi32 (ANSI). Keys are opened as the calling process sees them: a
// 32-bit library on 64-bit Windows lands in the 32-bit view, as the agent's own programs do.
#include "ports/registry.h"

namespace pellorix::win32 {

class RegistryStore final : public Registry {
 public:
  std::unique_ptr<RegistryKey> Open(Hive hive, const std::string& path, KeyAccess access) override;
  std::unique_ptr<RegistryKey> Create(Hive hive, const std::string& path, KeyAccess access) override;
};

}  // namespace pellorix::win32
