#include "launcher/control/launcher_controller.h"

#include "launcher/control/debug_report.h"
#include "launcher/control/game_launch.h"
#include "launcher/control/message_ids.h"
#include "launcher/control/startup_guard.h"
#include "launcher/update/packet_types.h"
#include "launcher/update/file_transfer.h"
#include "launcher/update/staging_commit.h"
#include "launcher/update/update_protocol.h"

namespace veltharn {
namespace {

constexpr const char* kCrestTexture = ".\\SysTextures\\Crest.utx";

// Counts the handlers running on the stack, so that connection records replaced inside one are
// freed only after all of them have returned.
class HandlerScope {
 public:
  HandlerScope(int& depth, std::vector<std::unique_ptr<ServerConnection>>& retired)
      : depth_(depth), retired_(retired) {
    ++depth_;
  }
  ~HandlerScope() {
    if (--depth_ == 0) retired_.clear();
  }
  HandlerScope(const HandlerScope&) = delete;
  HandlerScope& operator=(const HandlerScope&) = delete;

 private:
  int& depth_;
  std::vector<std::unique_ptr<ServerConnection>>& retired_;
};

}  // namespace

LauncherController::LauncherController(ControllerPorts ports, ControllerConfig config)
    : ports_(ports),
      config_(std::move(config)),
      notices_(ports.view),
      versions_(ports.registry, ports.files, notices_),
      agentBridge_(notices_, ports.timers, ports.processes, ports.agentLibrary) {}

LauncherController::~LauncherController() {
  // The launcher ends in the middle of a transfer (Cancel, or the end of the process): the
  // partial file goes with it.
  if (connection_ != nullptr) DropTransfer(*this, *connection_);
}

void LauncherController::CloseLink(ServerConnection& connection) {
  DropTransfer(*this, connection);
  connection.Close();
}

bool LauncherController::OnInitDialog() {
  HandlerScope scope(handlerDepth_, retired_);
  StartupPorts startup{ports_.files, ports_.processes, ports_.clock, notices_, versions_};
  bool goOn = RunStartupChecks(startup);
  if (!goOn) notices_.CloseLauncher();
  notices_.SetFileRange(ProgressBarModel::kPercentScale);
  if (!goOn) return false;
  ConnectToServer();
  return true;
}

void LauncherController::ConnectToServer() {
  if (connection_ != nullptr) {
    CloseLink(*connection_);
    retired_.push_back(std::move(connection_));
    if (handlerDepth_ == 0) retired_.clear();
  }
  connection_ = std::make_unique<ServerConnection>();
  ServerConnection& connection = *connection_;
  flags_.connected = false;
  connection.Connect(ports_.network, notices_, config_.serverHost, config_.serverPort);
  ports_.timers.SetTimer(kKeepAliveTimerId, kKeepAliveTimerMs);
}

void LauncherController::OnFullCheck() {
  if (ending()) return;
  HandlerScope scope(handlerDepth_, retired_);
  flags_.fullCheckRequested = true;
  ConnectToServer();
  notices_.SetTotalPosition(0);
  notices_.SetFilePercent(0);
  flags_.quickCheck = false;
  notices_.ShowAllUpdated();
  notices_.SetStatus("%s", notices_.LoadText(msg::kVerificationStarted));
  ports_.files.Delete(kCrestTexture);
}

void LauncherController::OnStart() {
  if (ending()) return;
  HandlerScope scope(handlerDepth_, retired_);
  if (!CheckDirectX(ports_.registry)) {
    notices_.ShowNotice(msg::kDirectXMissing, /*owned=*/true, msg::kCaptionError);
    OnCancel();
    return;
  }
  if (connection_ != nullptr) connection_->Close();
  StartGame(ports_.files, ports_.processes, notices_);
}

void LauncherController::OnOK() {
  if (notices_.exchangeButtonsEnabled()) OnStart();
}

void LauncherController::OnTimer(int /*id*/) {
  // Every tick of any timer: the keep-alive while connected, then the agent step.
  if (ending()) return;
  HandlerScope scope(handlerDepth_, retired_);
  if (flags_.connected && !Reply("c", {kKeepAlive})) return;
  agentBridge_.OnTimerTick();
}

void LauncherController::OnInspectorResult(intptr_t wParam, intptr_t lParam) {
  agentBridge_.OnInspectorResult(wParam, lParam);
}

void LauncherController::OnConnectNotification(SocketId socket, int error) {
  if (ending() || connection_ == nullptr || !connection_->Owns(socket)) return;
  HandlerScope scope(handlerDepth_, retired_);
  bool connected = false;
  if (error != 0) {
    if (error == kErrorConnectionRefused) {
      notices_.SetStatus("%s", notices_.LoadText(msg::kConnectionFailure));
    } else {
      notices_.SetStatus(notices_.LoadText(msg::kConnectionFailureCode), error);
    }
  } else {
    int selectError = 0;
    if (connection_->socket()->WatchForData(&selectError)) {
      notices_.SetStatus("%s", notices_.LoadText(msg::kConnectedToServer));
      connected = true;
    } else {
      ReportDebug("WSAAsyncSelect Error: %d: %d", selectError, static_cast<int>(socket));
    }
  }
  if (!connected) {
    notices_.ShowNotice(msg::kConnectionTerminated, /*owned=*/true, msg::kCaptionAnnouncement);
    notices_.CloseLauncher();
    return;
  }
  notices_.SetStatus("%s", notices_.LoadText(msg::kAllFilesUpdated));
  notices_.EnableExchangeButtons(false);
  if (!Reply("cdd", {kClientHello, kLauncherVersion, installedGlobalVersion()})) return;
  flags_.connected = true;
}

void LauncherController::OnSocketNotification(SocketId socket, int event, int error) {
  if (ending() || connection_ == nullptr || !connection_->Owns(socket)) return;
  HandlerScope scope(handlerDepth_, retired_);
  ServerConnection& connection = *connection_;
  if (error != 0) {
    if (event == kEventClose) return LoseConnection();
    CloseLink(connection);
    ReportDebug("102 arrive with error %d", error);
    return;
  }
  switch (event) {
    case kEventRead:
      if (connection.transferState == kReceivingPackets) {
        ReadOnePacket(connection);
      } else {
        OnFileData(*this, connection);
      }
      return;
    case kEventWrite:
    case kEventOutOfBand:
      return;
    case kEventClose:
      CloseLink(connection);
      return;
    default:
      ReportDebug("102 arrive %d:%d", static_cast<int>(socket), event);
      return;
  }
}

void LauncherController::ReadOnePacket(ServerConnection& connection) {
  Packet packet;
  switch (connection.ReadPacket(&packet)) {
    case ServerConnection::ReadResult::kPacket:
      DispatchPacket(*this, connection, packet);
      return;
    case ServerConnection::ReadResult::kBroken:
      ReportDebug("broken frame from the update server");
      LoseConnection();
      return;
    case ServerConnection::ReadResult::kIncomplete:
    case ServerConnection::ReadResult::kClosed:
      return;
  }
}

void LauncherController::LoseConnection() {
  if (connection_ != nullptr) CloseLink(*connection_);
  flags_.connected = false;
  notices_.ShowNotice(msg::kConnectionTerminated, /*owned=*/true, msg::kCaptionAnnouncement);
  notices_.CloseLauncher();
}

bool LauncherController::Reply(std::string_view format, std::initializer_list<PackValue> values) {
  if (ending()) return false;
  if (connection_ == nullptr) return true;
  if (connection_->SendPacket(format, values) != ServerConnection::SendResult::kFailed) {
    return true;
  }
  LoseConnection();
  return false;
}

int32_t LauncherController::installedGlobalVersion() const {
  return versions_.installedGlobalVersion();
}

int32_t LauncherController::installedSeparateVersion() const {
  return versions_.installedSeparateVersion();
}

void LauncherController::StoreVersions(int32_t global, int32_t separate) {
  versions_.Store(global, separate);
}

void LauncherController::CommitStaging() {
  std::optional<std::string> root = ports_.files.CurrentDirectory();
  if (root) veltharn::CommitStaging(ports_.files, *root);
}

}  // namespace veltharn
