#pragma once
// A process table that the tests change between the polls of a procedure.
#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/text.h"
#include "ports/process_api.h"

namespace pellorix::testing {

struct FakeProcess {
  std::uint32_t id = 0;
  std::string exeFile;
  std::vector<std::string> modules;  // the first is the executable
  bool modulesHidden = false;        // the module snapshot of this process fails
};

struct FakeProcessTable {
  std::vector<FakeProcess> processes;
  bool ready = true;
  bool snapshotFails = false;
  std::set<std::uint32_t> unterminable;
  std::vector<std::uint32_t> terminated;
  std::vector<std::string> privileges;
  int snapshots = 0;
  int toolhelpOpened = 0;
  int psapiOpened = 0;

  std::uint32_t Add(const std::string& exeFile, std::vector<std::string> modules = {},
                    bool modulesHidden = false) {
    const std::uint32_t id = nextId++;
    processes.push_back({id, exeFile, std::move(modules), modulesHidden});
    return id;
  }
  void Remove(const std::string& exeFile) {
    std::erase_if(processes, [&](const FakeProcess& p) { return EqualsNoCase(p.exeFile, exeFile); });
  }
  std::uint32_t nextId = 100;
};

class FakeProcessApi final : public ProcessApi {
 public:
  FakeProcessApi(FakeProcessTable& table, bool nt) : table_(table), nt_(nt) {}
  bool IsReady() const override { return table_.ready; }
  std::optional<std::vector<ProcessEntry>> SnapshotProcesses() override {
    ++table_.snapshots;
    if (table_.snapshotFails) return std::nullopt;
    std::vector<ProcessEntry> entries;
    if (nt_) entries.push_back({0, "[System Process]"});
    for (const FakeProcess& p : table_.processes) entries.push_back({p.id, p.exeFile});
    return entries;
  }
  std::optional<std::vector<std::string>> SnapshotModules(std::uint32_t id) override {
    const FakeProcess* p = Find(id);
    if (!p || p->modulesHidden) return std::nullopt;
    return p->modules;
  }
  std::optional<std::vector<std::uint32_t>> EnumProcessIds() override {
    if (table_.snapshotFails) return std::nullopt;
    std::vector<std::uint32_t> ids{0};
    for (const FakeProcess& p : table_.processes) ids.push_back(p.id);
    return ids;
  }
  std::optional<std::string> FirstModuleBaseName(std::uint32_t id) override {
    const FakeProcess* p = Find(id);
    if (!p || p->modulesHidden || p->modules.empty()) return std::nullopt;
    const std::string& path = p->modules.front();
    const auto slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
  }
  bool Terminate(std::uint32_t id, std::uint32_t) override {
    if (table_.unterminable.count(id)) return false;
    table_.terminated.push_back(id);
    return true;
  }
  bool EnablePrivilege(const std::string& name) override {
    table_.privileges.push_back(name);
    return true;
  }

 private:
  const FakeProcess* Find(std::uint32_t id) const {
    for (const FakeProcess& p : table_.processes) {
      if (p.id == id) return &p;
    }
    return nullptr;
  }
  FakeProcessTable& table_;
  bool nt_;
};

class FakeProcessSource final : public ProcessApiSource {
 public:
  explicit FakeProcessSource(FakeProcessTable& table) : table_(table) {}
  std::unique_ptr<ProcessApi> OpenToolhelp() override {
    ++table_.toolhelpOpened;
    return std::make_unique<FakeProcessApi>(table_, false);
  }
  std::unique_ptr<ProcessApi> OpenPsapi() override {
    ++table_.psapiOpened;
    return std::make_unique<FakeProcessApi>(table_, true);
  }

 private:
  FakeProcessTable& table_;
};

}  // namespace pellorix::testing
