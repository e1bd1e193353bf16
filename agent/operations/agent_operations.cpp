#include "operations/agent_operations.h"

#include <optional>

#include "common/text.h"
#include "install/c_legacy_agent_setup.h"
#include "install/c_portal_agent_setup.h"
#include "install/result_codes.h"
#include "process_control/c_process_finder.h"
#include "system_info/c_system_info.h"

namespace pellorix {
namespace {

enum class Generation { Portal, Legacy };

constexpr char kMonitorName[] = "tavmon.exe";
constexpr char kUpdaterName[] = "tavupd.exe";
constexpr char kPortalServiceName[] = "tavpms.exe";
constexpr char kLegacyUpdaterName[] = "PellorixUpdate.exe";
constexpr char kLegacyAgentName[] = "Pellorix.exe";
constexpr std::uint32_t kExecuteDelayMs = 5000;

// The generation of a Korean system; nullopt on any other.
std::optional<Generation> KoreanSystemGeneration(AgentPorts& ports) {
  CSystemInfo info(ports.system);
  info.DescribeVersion();
  info.DescribeLanguage();
  if (!EqualsNoCase(CutToBuffer(info.languageName), "korean")) return std::nullopt;
  return info.IsPortalClass() ? Generation::Portal : Generation::Legacy;
}

// The checks shared by inspect and execute on the portal agent: 0 when the hand-over may go on.
int PortalReadiness(CPortalAgentSetup& portal, CProcessFinder& finder) {
  if (!portal.IsInstalled()) return result::kNotInstalled;
  if (!finder.IsRunning(kMonitorName)) return result::kMonitorNotRunning;
  if (!portal.HasUpdater()) return result::kUnreadable;
  portal.ReadFolders();
  const std::string& folder = portal.brennixFolder();
  if (finder.IsRunningFrom(kPortalServiceName, folder + "\\" + kPortalServiceName) ||
      finder.IsRunningFrom(kUpdaterName, folder + "\\" + kUpdaterName)) {
    return result::kBusy;
  }
  return result::kSuccess;
}

bool LegacyBusy(CLegacyAgentSetup& legacy, CProcessFinder& finder) {
  legacy.ReadRegistry();
  const std::string updater = legacy.UpdaterPath();
  const std::string agent = legacy.AgentPath();
  if (finder.platform() == Platform::Windows9x) {
    return finder.IsRunning(updater) || finder.IsRunning(agent);
  }
  return finder.IsRunningFrom(kLegacyUpdaterName, updater) ||
         finder.IsRunningFrom(kLegacyAgentName, agent);
}

}  // namespace

int CheckInstalled(AgentPorts& ports, std::int32_t) {
  const auto generation = KoreanSystemGeneration(ports);
  if (!generation) return result::kNotKorean;
  if (*generation == Generation::Portal) {
    CPortalAgentSetup portal(ports);
    if (!portal.IsInstalled() || !portal.HasUpdater()) return result::kNotInstalled;
    CProcessFinder finder(ReadPlatform(ports.system), ports.processes);
    return finder.IsRunning(kMonitorName) ? result::kSuccess : result::kMonitorNotRunning;
  }
  CLegacyAgentSetup legacy(ports);
  return legacy.ScanUninstall();
}

int Install(AgentPorts& ports, std::int32_t window, const std::string& serviceUrl,
            const std::string& legacyUpdaterCrc, const std::string& portalBootstrapCrc,
            int waitSeconds) {
  const auto generation = KoreanSystemGeneration(ports);
  if (!generation) return result::kNotKorean;
  if (*generation == Generation::Portal) {
    CPortalAgentSetup portal(ports);
    if (!portal.IsInstalled()) {
      return portal.FreshInstall(window, serviceUrl, portalBootstrapCrc, waitSeconds);
    }
    {
      CProcessFinder finder(ReadPlatform(ports.system), ports.processes);
      if (finder.IsRunning(kMonitorName)) return result::kSuccess;
    }
    if (portal.HasUpdater()) return portal.Repair(window, serviceUrl, portalBootstrapCrc, waitSeconds);
    return portal.FreshInstall(window, serviceUrl, portalBootstrapCrc, waitSeconds);
  }
  CLegacyAgentSetup legacy(ports);
  // An unreadable uninstall key is not taken for "not installed".
  if (legacy.ScanUninstall() != result::kNotInstalled) return result::kSuccess;
  return legacy.Install(serviceUrl, legacyUpdaterCrc, waitSeconds);
}

int Inspector(AgentPorts& ports, std::int32_t window, const std::string& serviceUrl,
              const std::string& legacyUpdaterCrc, const std::string& callerPath) {
  const auto generation = KoreanSystemGeneration(ports);
  if (!generation) return result::kNotKorean;
  CProcessFinder finder(ReadPlatform(ports.system), ports.processes);
  if (*generation == Generation::Portal) {
    CPortalAgentSetup portal(ports);
    if (const int ready = PortalReadiness(portal, finder); ready != result::kSuccess) return ready;
    // The running monitor picks the launch file up.
    return portal.HandOverInspect(window, serviceUrl, callerPath);
  }
  CLegacyAgentSetup legacy(ports);
  if (LegacyBusy(legacy, finder)) return result::kBusy;
  return legacy.Inspect(window, serviceUrl, legacyUpdaterCrc);
}

int Execute(AgentPorts& ports, std::int32_t window, const std::string& serviceUrl,
            const std::string& legacyUpdaterCrc, int mode) {
  const auto generation = KoreanSystemGeneration(ports);
  if (!generation) return result::kNotKorean;
  CProcessFinder finder(ReadPlatform(ports.system), ports.processes);
  if (*generation == Generation::Portal) {
    // Gives the agent time to settle after the inspection's hand-over.
    ports.clock.Sleep(kExecuteDelayMs);
    CPortalAgentSetup portal(ports);
    if (const int ready = PortalReadiness(portal, finder); ready != result::kSuccess) return ready;
    return portal.HandOverExecute(window, serviceUrl, mode);
  }
  CLegacyAgentSetup legacy(ports);
  if (LegacyBusy(legacy, finder)) return result::kBusy;
  return legacy.Execute(window, serviceUrl, legacyUpdaterCrc, mode);
}

}  // namespace pellorix
