#pragma once

#include <map>
#include <memory>
#include <set>
#include <vector>

#include "launcher/ports/agent_library.h"

namespace veltharn {

// An agent library whose exports answer from a table and record their calls.
class FakeAgentLibrary : public AgentLibrary {
 public:
  struct Call {
    AgentExport which;
    AgentArguments arguments;
  };

  std::unique_ptr<AgentModule> Load() override {
    if (!loadable) return nullptr;
    ++loaded;
    return std::make_unique<Module>(*this);
  }

  bool loadable = true;
  std::set<AgentExport> missing;
  std::map<AgentExport, int32_t> results;  // absent: 0
  std::vector<Call> calls;
  int loaded = 0;
  int unloaded = 0;

 private:
  class Module : public AgentModule {
   public:
    explicit Module(FakeAgentLibrary& owner) : owner_(owner) {}
    ~Module() override { ++owner_.unloaded; }
    bool Has(AgentExport which) override { return !owner_.missing.count(which); }
    int32_t Call(AgentExport which, const AgentArguments& arguments) override {
      owner_.calls.push_back({which, arguments});
      auto it = owner_.results.find(which);
      return it == owner_.results.end() ? 0 : it->second;
    }

   private:
    FakeAgentLibrary& owner_;
  };
};

}  // namespace veltharn
