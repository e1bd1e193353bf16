#pragma once
// Every fake one export call needs, wired into AgentPorts, with a Korean user, the usual folders
// and environment. Tests then choose the Windows version and the agent's state.
#include "ports/agent_ports.h"
#include "tests/fakes/fake_environment.h"
#include "tests/fakes/fake_file_system.h"
#include "tests/fakes/fake_http.h"
#include "tests/fakes/fake_processes.h"
#include "tests/fakes/fake_registry.h"
#include "tests/fakes/fake_runtime.h"
#include "tests/fakes/fake_system_records.h"

namespace pellorix::testing {

inline constexpr std::uint16_t kKoreanLanguage = 0x0412;
inline constexpr std::uint16_t kEnglishLanguage = 0x0409;

struct AgentWorld {
  FakeSystemRecords system;
  FakeRegistry registry;
  FakeEnvironment environment;
  FakeFileSystem files;
  FakeProcessTable processTable;
  FakeProcessSource processes{processTable};
  FakeStarter starter;
  FakeEventState eventState;
  FakeEventFactory events{eventState};
  FakeClock clock;
  FakeHttpService http;
  FakeNotice notice;
  AgentPorts ports{system, registry, environment, files, processes, starter,
                   events, clock,    http,        notice};

  AgentWorld() {
    environment.Put("username", "kim");
    environment.Put("ProgramFiles", "C:\\Program Files");
    environment.Put("userprofile", "C:\\Users\\kim");
    environment.Put("SystemDrive", "C:");
    environment.Put("windir", "C:\\WINDOWS");
    environment.Put("SystemDir", "C:\\WINDOWS\\system32");
    files.AddFolders("C:\\Program Files");
    files.AddFolders("C:\\Users\\kim");
    UseKoreanXp();
  }

  // Windows XP Professional, 32-bit: served by the legacy agent.
  void UseKoreanXp() {
    system.SetNt(5, 1, 1, "Service Pack 2");
    system.wow64 = false;
    system.uiLanguage = kKoreanLanguage;
  }
  // Windows Vista, 32-bit: served by the portal agent.
  void UseKoreanVista() {
    system.SetNt(6, 0, 1, "Service Pack 1");
    system.wow64 = false;
    system.uiLanguage = kKoreanLanguage;
  }
};

}  // namespace pellorix::testing
