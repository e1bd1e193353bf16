#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "launcher/agent_bridge/agent_bridge.h"
#include "launcher/control/notices.h"
#include "launcher/control/version_store.h"
#include "launcher/link/server_connection.h"
#include "launcher/ports/agent_library.h"
#include "launcher/ports/file_system.h"
#include "launcher/ports/network.h"
#include "launcher/ports/patch_engine.h"
#include "launcher/ports/processes.h"
#include "launcher/ports/registry.h"
#include "launcher/ports/timers.h"
#include "launcher/ports/view.h"
#include "launcher/update/exchange.h"

namespace veltharn {

// Everything of the platform the controller reaches, passed in by the composition root.
struct ControllerPorts {
  View& view;
  Timers& timers;
  Network& network;
  FileSystem& files;
  Registry& registry;
  Processes& processes;
  Clock& clock;
  AgentLibrary& agentLibrary;
  PatchEngine& patchEngine;
};

struct ControllerConfig {
  std::string serverHost;
  uint16_t serverPort = kUpdateServerPort;
};

// The keep-alive timer that every connect sets.
inline constexpr int kKeepAliveTimerId = 1;
inline constexpr int kKeepAliveTimerMs = 10000;

// The launcher's controller: owns its state (status line, progress, the connection, the
// exchange flags, the agent step) and turns button commands, timer ticks and socket
// notifications into the update road: start-up checks, connect, the server's exchange, the
// agent step, and the start of the game. The window it runs in only shows what it decides.
class LauncherController : public ExchangeHost, public SocketNotifications {
 public:
  LauncherController(ControllerPorts ports, ControllerConfig config);
  ~LauncherController() override;
  LauncherController(const LauncherController&) = delete;
  LauncherController& operator=(const LauncherController&) = delete;

  // The dialog's start: start-up checks (false: another launcher runs, the dialog ends), the
  // file progress range, and the first connect.
  bool OnInitDialog();
  void ConnectToServer();

  void OnFullCheck();
  void OnStart();
  // Enter: starts the game when Start is enabled, else nothing.
  void OnOK();
  // Escape, Cancel and the close box.
  void OnCancel() { notices_.CloseLauncher(); }
  void OnTimer(int id);
  void OnInspectorResult(intptr_t wParam, intptr_t lParam);

  void OnConnectNotification(SocketId socket, int error) override;
  void OnSocketNotification(SocketId socket, int event, int error) override;

  // ExchangeHost.
  Notices& notices() override { return notices_; }
  FileSystem& files() override { return ports_.files; }
  ExchangeFlags& flags() override { return flags_; }
  ServerConnection* connection() override { return connection_.get(); }
  [[nodiscard]] int32_t installedGlobalVersion() const override;
  [[nodiscard]] int32_t installedSeparateVersion() const override;
  void StoreVersions(int32_t global, int32_t separate) override;
  void CommitStaging() override;
  Processes& processes() override { return ports_.processes; }
  PatchEngine& patchEngine() override { return ports_.patchEngine; }
  void StartAgentCheck() override { agentBridge_.StartAgentCheck(); }
  [[nodiscard]] bool Reply(std::string_view format,
                           std::initializer_list<PackValue> values) override;
  [[nodiscard]] bool ending() const override { return notices_.ending(); }

  [[nodiscard]] const VersionStore& versions() const { return versions_; }
  [[nodiscard]] const AgentBridge& agentBridge() const { return agentBridge_; }

 private:
  // Closes the link; a transfer it was carrying is dropped with its partial file.
  void CloseLink(ServerConnection& connection);
  // The link is lost: close it, tell the user (552, owned, caption 550) and end.
  void LoseConnection();
  void ReadOnePacket(ServerConnection& connection);

  ControllerPorts ports_;
  ControllerConfig config_;
  Notices notices_;
  VersionStore versions_;
  AgentBridge agentBridge_;
  ExchangeFlags flags_;
  std::unique_ptr<ServerConnection> connection_;
  // Records replaced while a handler further up the stack may still use them (a message pumped
  // inside a long operation can start a new connect); freed once no handler runs.
  std::vector<std::unique_ptr<ServerConnection>> retired_;
  int handlerDepth_ = 0;
};

}  // namespace veltharn
