#pragma once

// The controller's side of an exchange for the benchmarks: the real POSIX file system in a
// temporary client folder (so reads go through the page cache as they do in the launcher), a view
// that shows nothing, and replies packed as the link would pack them, then dropped.

#include <array>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "launcher/adapters/posix/no_patch_engine.h"
#include "launcher/adapters/posix/posix_file_system.h"
#include "launcher/adapters/posix/posix_processes.h"
#include "launcher/control/message_catalogue.h"
#include "launcher/control/notices.h"
#include "launcher/link/packet_codec.h"
#include "launcher/link/server_connection.h"
#include "launcher/update/exchange.h"

namespace veltharn::bench {

// A view that does nothing: the figures are those of the update pipeline, not of drawing.
class QuietView : public View {
 public:
  std::string LoadText(int id) override {
    const char* text = CatalogueText(id, Language::kEnglish);
    return text != nullptr ? text : "";
  }
  int ShowMessageBox(std::string_view, std::string_view, BoxButtons, bool) override {
    return kIdYes;
  }
  void ShowStatus(std::string_view) override {}
  void SetProgressRange(ProgressBar, int, int) override {}
  void SetProgressPosition(ProgressBar, int) override {}
  void EnableControl(ControlId, bool) override {}
  void FocusControl(ControlId) override {}
  void EndDialog(int) override {}
  int RunAgreementDialog() override { return kIdCancel; }
  void PumpOneMessage() override {}
};

class BenchHost : public ExchangeHost {
 public:
  // Works in `folder`, which becomes the current directory (the client folder).
  explicit BenchHost(const std::filesystem::path& folder)
      : processes_(folder.string()) {
    std::filesystem::current_path(folder);
  }

  Notices& notices() override { return notices_; }
  FileSystem& files() override { return files_; }
  ExchangeFlags& flags() override { return flags_; }
  ServerConnection* connection() override { return &connection_; }
  int32_t installedGlobalVersion() const override { return 0; }
  int32_t installedSeparateVersion() const override { return 0; }
  void StoreVersions(int32_t, int32_t) override {}
  void CommitStaging() override {}
  Processes& processes() override { return processes_; }
  PatchEngine& patchEngine() override { return engine_; }
  void StartAgentCheck() override {}
  bool Reply(std::string_view format, std::initializer_list<PackValue> values) override {
    replyBytes += PackFields(replyBuffer_, format, values);
    ++replies;
    return true;
  }
  bool ending() const override { return notices_.ending(); }

  ServerConnection& link() { return connection_; }

  std::size_t replies = 0;
  std::size_t replyBytes = 0;

 private:
  QuietView view_;
  Notices notices_{view_};
  PosixFileSystem files_;
  ExchangeFlags flags_;
  ServerConnection connection_;
  PosixProcesses processes_;
  NoPatchEngine engine_;
  std::array<std::byte, kReceiveBufferSize> replyBuffer_{};
};

// A fresh folder below $TMPDIR (or /tmp) for one benchmark, removed when it goes.
class TempFolder {
 public:
  explicit TempFolder(const std::string& name) {
    const char* base = std::getenv("TMPDIR");
    path_ = std::filesystem::path(base != nullptr ? base : "/tmp") / name;
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::current_path("/", ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  [[nodiscard]] const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace veltharn::bench
