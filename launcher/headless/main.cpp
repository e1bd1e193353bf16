// veltharn-cli: the launcher's controller with a terminal for a window. It runs the update
// exchange exactly as the Windows launcher does, on Linux, so that operators can point it at an
// update server and see what a client would do. Exit status: 0 the exchange ended and Start is
// enabled; 1 the launcher ended as its dialog ends with Cancel (or the game could not start);
// 2 usage; 3 --timeout.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "launcher/adapters/posix/ansi_text_iconv.h"
#include "launcher/adapters/posix/no_patch_engine.h"
#include "launcher/adapters/posix/poll_event_loop.h"
#include "launcher/adapters/posix/posix_file_system.h"
#include "launcher/adapters/posix/posix_network.h"
#include "launcher/adapters/posix/posix_processes.h"
#include "launcher/adapters/posix/reg_file_registry.h"
#include "launcher/adapters/posix/shared_object_agent_library.h"
#include "launcher/adapters/posix/stream_debug_output.h"
#include "launcher/control/launcher_controller.h"
#include "launcher/headless/cli_options.h"
#include "launcher/headless/terminal_view.h"
#include "launcher/resources/terms_first_line.h"

namespace veltharn {
namespace {

constexpr const char* kDefaultServer = "update.veltharn.example";
constexpr const char* kDefaultRegistryFile = ".veltharn.reg";
constexpr int kExitDone = 0;
constexpr int kExitCancelled = 1;
constexpr int kExitUsage = 2;
constexpr int kExitTimeout = 3;

int RunLauncher(const CliOptions& options) {
  if (!options.root.empty() && chdir(options.root.c_str()) != 0) {
    std::fprintf(stderr, "veltharn-cli: cannot use %s as the client folder: %s\n",
                 options.root.c_str(), std::strerror(errno));
    return kExitUsage;
  }
  SetAnsiCodePage(options.language == Language::kKorean ? 949 : 1252);
  StreamDebugOutput debugOutput(stdout);
  if (options.debug) InstallDebugOutput(&debugOutput);

  PollEventLoop loop;
  PosixNetwork network(loop);
  PosixFileSystem files;
  std::string clientFolder = files.CurrentDirectory().value_or(".");
  RegFileRegistry registry(options.registryFile.empty() ? kDefaultRegistryFile
                                                        : options.registryFile);
  PosixProcesses processes(clientFolder);
  SystemClock clock;
  SharedObjectAgentLibrary agentLibrary(files);
  NoPatchEngine patchEngine;

  bool fullCheckPending = options.fullCheck;
  LauncherController* controllerPointer = nullptr;
  auto onButtons = [&](bool enabled) {
    if (!enabled) return;
    // Act after the current event, as a click on the newly enabled button would.
    loop.Post([&] {
      LauncherController& controller = *controllerPointer;
      if (loop.quitting() || !controller.notices().exchangeButtonsEnabled()) return;
      if (fullCheckPending) {
        fullCheckPending = false;
        controller.OnFullCheck();
      } else if (options.start) {
        controller.OnStart();
        // Still here: the game did not start (box 517 or 500 has said why).
        loop.Quit(kExitCancelled);
      } else {
        loop.Quit(kExitDone);
      }
    });
  };
  TerminalView view(options.language, options.answerYes, stdout,
                    isatty(STDERR_FILENO) ? stderr : nullptr,
                    {.pumpOne = [&] { loop.PumpOne(); },
                     .endDialog = [&](int) { loop.Quit(kExitCancelled); },
                     .buttonsChanged = onButtons});
  view.SetAgreementText(kTermsFirstLine);
  agentLibrary.SetWindow(loop);

  ControllerConfig config{options.server.empty() ? kDefaultServer : options.server,
                          static_cast<uint16_t>(options.port)};
  LauncherController controller(
      {view, loop, network, files, registry, processes, clock, agentLibrary, patchEngine}, config);
  controllerPointer = &controller;
  network.SetNotifications(&controller);
  loop.SetTimerHandler([&](int id) { controller.OnTimer(id); });
  agentLibrary.SetInspectorResultHandler(
      [&](intptr_t wParam, intptr_t lParam) { controller.OnInspectorResult(wParam, lParam); });
  if (options.timeoutSeconds > 0) {
    loop.RunAfter(options.timeoutSeconds * 1000, [&] {
      std::fprintf(stderr, "veltharn-cli: no end after %d seconds\n", options.timeoutSeconds);
      loop.Quit(kExitTimeout);
    });
  }

  if (!controller.OnInitDialog()) return kExitCancelled;
  int code = loop.Run();
  std::fflush(stdout);
  InstallDebugOutput(nullptr);
  return code;
}

}  // namespace
}  // namespace veltharn

int main(int argc, char** argv) {
  using namespace veltharn;
  std::vector<std::string> arguments(argv + 1, argv + argc);
  CliParse parse = ParseCliOptions(arguments);
  if (parse.help) {
    std::fputs(kCliUsage, stdout);
    return 0;
  }
  if (!parse.options) {
    std::fprintf(stderr, "veltharn-cli: %s\n%s", parse.error.c_str(), kCliUsage);
    return 2;
  }
  return RunLauncher(*parse.options);
}
