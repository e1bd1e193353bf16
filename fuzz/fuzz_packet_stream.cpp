// The packet reader and the dispatcher: the fuzzer's bytes are everything the update server sends,
// delivered to the controller through an in-memory socket in pieces whose sizes the first bytes
// choose, over an in-memory client folder. Boxes are answered Yes, so refused creations go on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "launcher/control/launcher_controller.h"
#include "tests/fakes/fake_agent_library.h"
#include "tests/fakes/fake_network.h"
#include "tests/fakes/fake_patch_engine.h"
#include "tests/fakes/fake_processes.h"
#include "tests/fakes/fake_registry.h"
#include "tests/fakes/fake_timers.h"
#include "tests/fakes/fake_view.h"
#include "tests/fakes/memory_file_system.h"

namespace veltharn {
namespace {

struct World {
  World() {
    agentLibrary.loadable = false;
    files.AddFile("system\\qor.exe", std::string(40, 'q'));
    files.AddFile("Patch\\system\\qor.exe", std::string(40, 'p'));
    view.answers.assign(64, kIdYes);
  }
  FakeView view;
  FakeTimers timers;
  FakeNetwork network;
  MemoryFileSystem files;
  FakeRegistry registry;
  FakeProcesses processes;
  FakeClock clock;
  FakeAgentLibrary agentLibrary;
  FakePatchEngine patchEngine{files};
  LauncherController controller{
      {view, timers, network, files, registry, processes, clock, agentLibrary, patchEngine},
      {"update.test", 2009}};
};

// Feeds the server's bytes until they run out, then drains what is buffered and closes.
template <typename Arrive>
void Exchange(World& world, Arrive& arrive) {
  for (int guard = 0; guard < 100000 && !world.controller.ending(); ++guard) {
    if (!arrive()) {
      // Drain what is buffered, then the server closes.
      FakeSocketState& socket = world.network.current();
      for (int i = 0;
           i < 1000 && !socket.incoming.empty() && !socket.closed && !world.controller.ending();
           ++i) {
        world.controller.OnSocketNotification(socket.id, kEventRead, 0);
      }
      world.controller.OnTimer(kKeepAliveTimerId);
      world.controller.OnSocketNotification(socket.id, kEventClose, 0);
      break;
    }
  }
}

}  // namespace
}  // namespace veltharn

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace veltharn;
  if (size < 1) return 0;
  const size_t piece = 1 + data[0] % 64;  // bytes per arrival; a message is pumped per arrival
  World world;
  // A message pumped inside a long step (an inflate, a checksum) lets the next piece arrive.
  std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  auto arrive = [&world, &rest, piece] {
    if (world.network.sockets.empty() || rest.empty()) return false;
    FakeSocketState& socket = world.network.current();
    if (socket.closed) return false;
    socket.incoming += rest.substr(0, piece);
    rest.erase(0, piece);
    world.controller.OnSocketNotification(socket.id, kEventRead, 0);
    return true;
  };
  world.view.onPump = [&world, &rest, piece] {
    if (world.network.sockets.empty() || rest.empty()) return;
    FakeSocketState& socket = world.network.current();
    socket.incoming += rest.substr(0, piece);
    rest.erase(0, piece);
  };
  try {
    if (!world.controller.OnInitDialog()) return 0;
    world.controller.OnConnectNotification(world.network.current().id, 0);
    Exchange(world, arrive);
  } catch (const ProcessEnded&) {
    // The launcher ended itself (a self-update, a copy that fails its check): a way out, not a
    // fault.
  }
  // Whatever the server sent, nothing outside the client folder was asked to change.
  if (!world.files.outside.empty()) std::abort();
  return 0;
}
