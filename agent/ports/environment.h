#pragma once
// Environment port: the host process's environment, which programs started later inherit.
#include <optional>
#include <string>

namespace pellorix {

class Environment {
 public:
  virtual ~Environment() = default;
  // nullopt when the variable is not set.
  virtual std::optional<std::string> Get(const std::string& name) = 0;
  virtual void Set(const std::string& name, const std::string& value) = 0;
  virtual std::string SystemDirectory() = 0;
};

}  // namespace pellorix
