#pragma once
#include <map>
#include <string>

#include "common/text.h"
#include "ports/environment.h"

namespace pellorix::testing {

class FakeEnvironment final : public Environment {
 public:
  std::optional<std::string> Get(const std::string& name) override {
    const auto value = values.find(ToUpperAscii(name));
    if (value == values.end()) return std::nullopt;
    return value->second;
  }
  void Set(const std::string& name, const std::string& value) override {
    values[ToUpperAscii(name)] = value;
    ++sets;
  }
  std::string SystemDirectory() override { return "C:\\WINDOWS\\system32"; }

  void Put(const std::string& name, const std::string& value) { values[ToUpperAscii(name)] = value; }
  void Remove(const std::string& name) { values.erase(ToUpperAscii(name)); }

  std::map<std::string, std::string> values;  // upper-cased names
  int sets = 0;
};

}  // namespace pellorix::testing
