#pragma once
#include "ports/environment.h"

namespace pellorix::win32 {

// The C runtime's environment (getenv/_putenv), which CreateProcess hands to new programs too.
class ProcessEnvironment final : public Environment {
 public:
  std::optional<std::string> Get(const std::string& name) override;
  void Set(const std::string& name, const std::string& value) override;
  std::string SystemDirectory() override;
};

}  // namespace pellorix::win32
