#pragma once

#include <string>
#include <utility>
#include <vector>

#include "launcher/control/notices.h"
#include "launcher/link/server_connection.h"
#include "launcher/update/exchange.h"
#include "tests/fakes/fake_network.h"
#include "tests/fakes/fake_patch_engine.h"
#include "tests/fakes/fake_processes.h"
#include "tests/fakes/fake_view.h"
#include "tests/fakes/memory_file_system.h"
#include "tools/update_server/wire.h"

namespace veltharn::test {

// The controller's side of an exchange, in memory: a connected link whose sent frames can be
// read back, a client folder, the view, and records of what the handlers asked the host to do.
class ExchangeTestHost : public ExchangeHost {
 public:
  ExchangeTestHost() { link.Connect(network, notices_, "update.test", kUpdateServerPort); }

  Notices& notices() override { return notices_; }
  FileSystem& files() override { return fileSystem; }
  ExchangeFlags& flags() override { return exchangeFlags; }
  ServerConnection* connection() override { return &link; }
  int32_t installedGlobalVersion() const override { return global; }
  int32_t installedSeparateVersion() const override { return separate; }
  void StoreVersions(int32_t g, int32_t s) override {
    global = g;
    separate = s;
    stored.emplace_back(g, s);
  }
  void CommitStaging() override { ++commits; }
  Processes& processes() override { return process; }
  PatchEngine& patchEngine() override { return engine; }
  void StartAgentCheck() override { ++agentChecks; }
  bool Reply(std::string_view format, std::initializer_list<PackValue> values) override {
    if (notices_.ending()) return false;
    if (link.SendPacket(format, values) == ServerConnection::SendResult::kFailed) {
      notices_.CloseLauncher();
      return false;
    }
    return true;
  }
  bool ending() const override { return notices_.ending(); }

  FakeSocketState& socket() { return *network.sockets.front(); }

  // The frames the launcher has sent, in order.
  std::vector<wire::Packet> SentFrames() {
    wire::FrameReader reader;
    const std::string& sent = socket().sent;
    reader.Append(std::span(reinterpret_cast<const uint8_t*>(sent.data()), sent.size()));
    std::vector<wire::Packet> frames;
    while (auto frame = reader.Next()) frames.push_back(*frame);
    return frames;
  }

  // The payload of a packet of `type` with `body`, as the dispatcher hands it on.
  static Packet MakePacket(uint8_t type, const wire::Bytes& body) {
    Packet packet;
    packet.type = type;
    for (uint8_t byte : body) packet.payloadWithZero.push_back(std::byte{byte});
    packet.payloadWithZero.push_back(std::byte{0});
    return packet;
  }

  FakeView view;
  MemoryFileSystem fileSystem;
  FakeProcesses process;
  FakePatchEngine engine{fileSystem};
  ExchangeFlags exchangeFlags;
  FakeNetwork network;
  int32_t global = 0;
  int32_t separate = 0;
  std::vector<std::pair<int32_t, int32_t>> stored;
  int commits = 0;
  int agentChecks = 0;

 private:
  Notices notices_{view};

 public:
  ServerConnection link;  // after notices_: connecting may show a notice
};

}  // namespace veltharn::test
