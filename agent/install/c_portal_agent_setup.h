#pragma once
// The portal agent (Vista and Windows 6.1): discovery, install, repair and the hand-overs that
// write its launch file. One object serves one export call.
#include <cstdint>
#include <string>

#include "http/c_http_fetcher.h"
#include "ports/agent_ports.h"

namespace pellorix {

class CPortalAgentSetup {
 public:
  // Captures "username", "ProgramFiles" and "userprofile" (each cut to 259 characters).
  explicit CPortalAgentSetup(AgentPorts& ports);

  bool IsInstalled();
  bool HasUpdater();
  void ReadFolders();
  const std::string& brennixFolder() const { return brennixFolder_; }

  // 0, 11 (bootstrap cannot be fetched, verified or started) or 12 (completion not observed).
  int FreshInstall(std::int32_t window, const std::string& serviceUrl,
                   const std::string& bootstrapCrc, int waitSeconds);
  // As the fresh install, but waits for the bootstrap to end before it polls.
  int Repair(std::int32_t window, const std::string& serviceUrl, const std::string& bootstrapCrc,
             int waitSeconds);
  // Write the user registry entry and the launch file; nothing is started. Always 0.
  int HandOverInspect(std::int32_t window, const std::string& serviceUrl,
                      const std::string& callerPath);
  int HandOverExecute(std::int32_t window, const std::string& serviceUrl, int mode);

  std::string BootstrapPath() const;

 private:
  void WriteUserEntry();
  void WriteLaunch(std::int32_t window, const std::string& serviceUrl, int pst, int launcher,
                   const std::string& appPath);
  // Steps shared by install and repair up to the bootstrap's start; 0 when it started.
  int StartBootstrap(std::int32_t window, const std::string& serviceUrl,
                     const std::string& bootstrapCrc, bool waitForExit);

  AgentPorts& ports_;
  CHttpFetcher fetcher_;
  std::string userName_;
  std::string programFiles_;
  std::string userProfile_;
  std::string baseFolder_;
  std::string brennixFolder_;
};

}  // namespace pellorix
