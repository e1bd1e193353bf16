#pragma once
// The legacy agent (every Windows but Vista and 6.1): registry setup, updater refresh and the
// updater's command lines. Construction repairs the host's environment first.
#include <cstdint>
#include <string>

#include "http/c_http_fetcher.h"
#include "ports/agent_ports.h"

namespace pellorix {

class CLegacyAgentSetup {
 public:
  explicit CLegacyAgentSetup(AgentPorts& ports);

  // 0 (found), 11 (not found) or 15 (uninstall key unreadable).
  int ScanUninstall();
  // Fills the install folder from the registry (left as it was when the key or value is absent).
  void ReadRegistry();
  const std::string& installFolder() const { return installFolder_; }
  std::string UpdaterPath() const;
  std::string AgentPath() const;

  // 0, 12 or 13.
  int Install(const std::string& serviceUrl, const std::string& updaterCrc, int waitSeconds);
  // Starts the updater with " -h <window> -i": 0 or 13.
  int Inspect(std::int32_t window, const std::string& serviceUrl, const std::string& updaterCrc);
  // Starts the updater with " -h <window> -a -d <mode>": 0 or 13.
  int Execute(std::int32_t window, const std::string& serviceUrl, const std::string& updaterCrc,
              int mode);

 private:
  void SetUpRegistry();
  std::string UpdateCopyPath() const;
  bool FetchUpdateCopy(const std::string& updaterCrc);
  void ReplaceUpdaterWithCopy();
  int StartUpdater(const std::string& serviceUrl, const std::string& updaterCrc,
                   const std::string& arguments);

  AgentPorts& ports_;
  CHttpFetcher fetcher_;
  std::string installFolder_;
  std::string serviceUrl_;
};

}  // namespace pellorix
