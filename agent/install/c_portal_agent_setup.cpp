#include "install/c_portal_agent_setup.h"

#include "common/text.h"
#include "discovery/installation_discovery.h"
#include "discovery/registry_layout.h"
#include "http/c_file_crc32.h"
#include "install/command_line.h"
#include "install/completion_wait.h"
#include "install/result_codes.h"
#include "launch_file/launch_file.h"
#include "process_control/c_process_finder.h"

namespace pellorix {
namespace {

constexpr char kBootstrapName[] = "tavuup.exe";
constexpr char kSetupName[] = "PQelSetupVista.exe";
constexpr char kUpdaterName[] = "tavupd.exe";
constexpr char kMonitorName[] = "tavmon.exe";
constexpr int kLauncherInstall = 11;
constexpr int kLauncherInspect = 12;
constexpr int kLauncherExecute = 13;

std::string Captured(Environment& environment, const char* name) {
  return CutToBuffer(environment.Get(name).value_or(std::string()));
}

}  // namespace

CPortalAgentSetup::CPortalAgentSetup(AgentPorts& ports)
    : ports_(ports),
      fetcher_(ports.http, ports.files),
      userName_(Captured(ports.environment, "username")),
      programFiles_(Captured(ports.environment, "ProgramFiles")),
      userProfile_(Captured(ports.environment, "userprofile")) {}

bool CPortalAgentSetup::IsInstalled() { return IsPortalInstalled(ports_.registry); }

bool CPortalAgentSetup::HasUpdater() { return HasPortalUpdater(ports_.files, programFiles_); }

void CPortalAgentSetup::ReadFolders() {
  const PortalFolders folders = ReadPortalFolders(ports_.registry);
  baseFolder_ = folders.base;
  brennixFolder_ = folders.brennix;
}

std::string CPortalAgentSetup::BootstrapPath() const {
  return userProfile_ + "\\AppData\\Local\\Temp\\" + kBootstrapName;
}

void CPortalAgentSetup::WriteUserEntry() {
  auto key = ports_.registry.Open(Hive::CurrentUser, layout::kPortalUserKey, KeyAccess::Read)
                 ? ports_.registry.Open(Hive::CurrentUser, layout::kPortalUserKey,
                                        KeyAccess::ReadWrite)
                 : ports_.registry.Create(Hive::CurrentUser, layout::kPortalUserKey,
                                          KeyAccess::ReadWrite);
  if (key) key->WriteText(userName_, PortalUserFolder(userProfile_));
}

void CPortalAgentSetup::WriteLaunch(std::int32_t window, const std::string& serviceUrl, int pst,
                                    int launcher, const std::string& appPath) {
  LaunchOrder order;
  order.window = window;
  order.serviceUrl = serviceUrl;
  order.pst = pst;
  order.launcher = launcher;
  order.appFullPath = appPath;
  order.userName = userName_;
  WriteLaunchFile(ports_.files, ports_.notice, userProfile_, order);
}

int CPortalAgentSetup::StartBootstrap(std::int32_t window, const std::string& serviceUrl,
                                      const std::string& bootstrapCrc, bool waitForExit) {
  WriteUserEntry();
  WriteLaunch(window, serviceUrl, 0, kLauncherInstall, "");

  const auto bootstrap = FitToBuffer(BootstrapPath());
  if (!bootstrap) return result::kNotInstalled;
  if (!EqualsNoCase(CFileCrc32(ports_.files).ComputeText(*bootstrap), bootstrapCrc)) {
    const std::string address = serviceUrl + "/PortalQelService/" + kBootstrapName;
    if (!fetcher_.FetchAndVerify(address, *bootstrap, bootstrapCrc)) return result::kNotInstalled;
  }
  const std::string arguments = " -s " + serviceUrl + " -f " + kSetupName + " -d \"" +
                                ParentFolder(*bootstrap) + "\" -t Brennix -o";
  const auto commandLine = PortalCommandLine("\"" + *bootstrap + "\"", arguments);
  if (!commandLine || !ports_.starter.Start(*commandLine, waitForExit)) {
    return result::kNotInstalled;
  }
  return result::kSuccess;
}

int CPortalAgentSetup::FreshInstall(std::int32_t window, const std::string& serviceUrl,
                                    const std::string& bootstrapCrc, int waitSeconds) {
  CProcessFinder finder(ReadPlatform(ports_.system), ports_.processes);
  if (const int started = StartBootstrap(window, serviceUrl, bootstrapCrc, false);
      started != result::kSuccess) {
    return started;
  }
  CompletionWait wait(ports_.events, ports_.clock);
  if (wait.WaitOneSecond()) return result::kNotCompleted;

  // The setup program, then the updater (or the setup's success value), then the monitor must be
  // seen in this order, and the monitor must still run when the last of them is seen.
  bool setupSeen = false;
  bool updaterSeen = false;
  bool monitorSeen = false;
  for (int pass = 0;; ++pass) {
    if (pass > waitSeconds) wait.Signal();
    if (!setupSeen) {
      setupSeen = finder.IsRunning(kSetupName);
    } else if (!updaterSeen) {
      updaterSeen = finder.IsRunning(kUpdaterName) || PortalSetupSucceeded(ports_.registry);
    } else if (!monitorSeen) {
      monitorSeen = finder.IsRunning(kMonitorName);
    }
    if (setupSeen && updaterSeen && monitorSeen && finder.IsRunning(kMonitorName)) {
      return result::kSuccess;
    }
    if (wait.WaitOneSecond()) return result::kNotCompleted;
  }
}

int CPortalAgentSetup::Repair(std::int32_t window, const std::string& serviceUrl,
                              const std::string& bootstrapCrc, int waitSeconds) {
  CProcessFinder finder(ReadPlatform(ports_.system), ports_.processes);
  if (const int started = StartBootstrap(window, serviceUrl, bootstrapCrc, true);
      started != result::kSuccess) {
    return started;
  }
  CompletionWait wait(ports_.events, ports_.clock);
  if (wait.WaitOneSecond()) return result::kNotCompleted;

  bool updaterSeen = false;
  bool monitorSeen = false;
  bool validated = false;
  for (int pass = 0;; ++pass) {
    if (pass > waitSeconds) wait.Signal();
    if (!updaterSeen) {
      updaterSeen = finder.IsRunning(kUpdaterName) || PortalSetupSucceeded(ports_.registry);
    } else if (!monitorSeen) {
      monitorSeen = finder.IsRunning(kMonitorName);
    } else if (!validated) {
      validated = PortalSetupSucceeded(ports_.registry);
    }
    if (monitorSeen && validated) return result::kSuccess;
    if (wait.WaitOneSecond()) return result::kNotCompleted;
  }
}

int CPortalAgentSetup::HandOverInspect(std::int32_t window, const std::string& serviceUrl,
                                       const std::string& callerPath) {
  WriteUserEntry();
  WriteLaunch(window, serviceUrl, 0, kLauncherInspect, callerPath);
  return result::kSuccess;
}

int CPortalAgentSetup::HandOverExecute(std::int32_t window, const std::string& serviceUrl,
                                       int mode) {
  WriteUserEntry();
  WriteLaunch(window, serviceUrl, mode, kLauncherExecute, "");
  return result::kSuccess;
}

}  // namespace pellorix
