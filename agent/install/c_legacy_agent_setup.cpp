#include "install/c_legacy_agent_setup.h"

#include "common/text.h"
#include "discovery/environment_repair.h"
#include "discovery/installation_discovery.h"
#include "discovery/registry_layout.h"
#include "http/c_file_crc32.h"
#include "http/folder_creation.h"
#include "install/command_line.h"
#include "install/completion_wait.h"
#include "install/result_codes.h"
#include "process_control/c_process_finder.h"

namespace pellorix {
namespace {

constexpr char kUpdaterName[] = "PellorixUpdate.exe";
constexpr char kAgentName[] = "Pellorix.exe";

}  // namespace

CLegacyAgentSetup::CLegacyAgentSetup(AgentPorts& ports)
    : ports_(ports), fetcher_(ports.http, ports.files) {
  RepairEnvironment(ports.environment, ports.files);
}

int CLegacyAgentSetup::ScanUninstall() { return ScanLegacyUninstall(ports_.registry); }

void CLegacyAgentSetup::ReadRegistry() {
  if (std::string folder = ReadLegacyFolder(ports_.registry); !folder.empty()) {
    installFolder_ = std::move(folder);
  }
}

std::string CLegacyAgentSetup::UpdaterPath() const { return installFolder_ + "\\" + kUpdaterName; }
std::string CLegacyAgentSetup::AgentPath() const { return installFolder_ + "\\" + kAgentName; }
std::string CLegacyAgentSetup::UpdateCopyPath() const {
  return installFolder_ + "\\update\\" + kUpdaterName;
}

void CLegacyAgentSetup::SetUpRegistry() {
  Registry& registry = ports_.registry;
  if (!registry.Open(Hive::LocalMachine, layout::kQelGfKey, KeyAccess::ReadWrite)) {
    if (!registry.Open(Hive::LocalMachine, layout::kKelvaroKey, KeyAccess::ReadWrite)) {
      registry.Create(Hive::LocalMachine, layout::kKelvaroKey, KeyAccess::ReadWrite);
    }
    registry.Create(Hive::LocalMachine, layout::kQelGfKey, KeyAccess::ReadWrite);
  }
  registry.Create(Hive::LocalMachine, layout::kLegacyKey, KeyAccess::ReadWrite);
  if (const auto qelGf = registry.Open(Hive::LocalMachine, layout::kQelGfKey, KeyAccess::ReadWrite)) {
    qelGf->WriteText(layout::kPortalKeyValue, layout::kAgentDisplayName);
  }
  const auto key = registry.Open(Hive::LocalMachine, layout::kLegacyKey, KeyAccess::ReadWrite);
  if (!key) return;
  const std::string programFiles = ports_.environment.Get("ProgramFiles").value_or(std::string());
  installFolder_ = CutToBuffer(WithoutTrailingBackslash(programFiles + "\\Kelvaro\\QelGF\\Pellorix"));
  key->WriteText(layout::kPortalKeyValue, layout::kAgentDisplayName);
  key->WriteText(layout::kServerUrl, serviceUrl_);
  key->WriteText(layout::kServerPort, "80");
  key->WriteText(layout::kInstPath, installFolder_);
}

bool CLegacyAgentSetup::FetchUpdateCopy(const std::string& updaterCrc) {
  const auto copy = FitToBuffer(UpdateCopyPath());
  if (!copy) return false;
  CreateFolderWithParents(ports_.files, ParentFolder(*copy));
  const std::string address = serviceUrl_ + "/PortalQelService/" + kUpdaterName;
  return fetcher_.FetchAndVerify(address, *copy, updaterCrc);
}

void CLegacyAgentSetup::ReplaceUpdaterWithCopy() {
  // A failed copy is not an error: the updater already in place is started, and the copy stays
  // for the next attempt.
  if (ports_.files.Copy(UpdateCopyPath(), UpdaterPath())) ports_.files.Delete(UpdateCopyPath());
}

int CLegacyAgentSetup::Install(const std::string& serviceUrl, const std::string& updaterCrc,
                               int waitSeconds) {
  serviceUrl_ = CutToBuffer(serviceUrl);
  SetUpRegistry();
  ReadRegistry();
  CProcessFinder finder(ReadPlatform(ports_.system), ports_.processes);
  if (!FetchUpdateCopy(updaterCrc)) return result::kUpdaterFailed;
  ReplaceUpdaterWithCopy();
  const auto commandLine = LegacyCommandLine(UpdaterPath(), " -o");
  if (!commandLine || !ports_.starter.Start(*commandLine, false)) return result::kUpdaterFailed;

  CompletionWait wait(ports_.events, ports_.clock);
  if (wait.WaitOneSecond()) return result::kNotCompleted;

  // On 9x the snapshot holds full paths; on NT the first eight letters of the name count.
  const std::string updaterProcess =
      finder.platform() == Platform::Windows9x ? UpdaterPath() : std::string(kUpdaterName);
  // The updater must be seen, the success value written, and the updater gone again.
  bool updaterSeen = false;
  bool validated = false;
  for (int pass = 0;; ++pass) {
    if (pass > waitSeconds) wait.Signal();
    if (!updaterSeen) {
      updaterSeen = finder.IsRunning(updaterProcess);
    } else {
      if (!validated) validated = LegacyUpdateSucceeded(ports_.registry);
      if (validated && !finder.IsRunning(updaterProcess)) return result::kSuccess;
    }
    if (wait.WaitOneSecond()) return result::kNotCompleted;
  }
}

int CLegacyAgentSetup::StartUpdater(const std::string& serviceUrl, const std::string& updaterCrc,
                                    const std::string& arguments) {
  serviceUrl_ = CutToBuffer(serviceUrl);
  SetUpRegistry();
  ReadRegistry();
  if (!ports_.files.Exists(UpdaterPath()) ||
      !EqualsNoCase(CFileCrc32(ports_.files).ComputeText(UpdaterPath()), updaterCrc)) {
    if (!FetchUpdateCopy(updaterCrc)) return result::kUpdaterFailed;
    ReplaceUpdaterWithCopy();
  }
  const auto commandLine = LegacyCommandLine(UpdaterPath(), arguments);
  if (!commandLine || !ports_.starter.Start(*commandLine, false)) return result::kUpdaterFailed;
  return result::kSuccess;
}

int CLegacyAgentSetup::Inspect(std::int32_t window, const std::string& serviceUrl,
                               const std::string& updaterCrc) {
  return StartUpdater(serviceUrl, updaterCrc, " -h " + std::to_string(window) + " -i");
}

int CLegacyAgentSetup::Execute(std::int32_t window, const std::string& serviceUrl,
                               const std::string& updaterCrc, int mode) {
  return StartUpdater(serviceUrl, updaterCrc,
                      " -h " + std::to_string(window) + " -a -d " + std::to_string(mode));
}

}  // namespace pellorix
