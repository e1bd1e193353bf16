#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "launcher/ports/file_system.h"
#include "launcher/ports/patch_engine.h"

namespace veltharn {

// A patch engine for tests. It reads its command line as the real one would
// ("<patch file>" "<folder>" options), looks at the patch file through `files`, reports the start
// (7) with the patch file's path, the progress values (5) given, then completion (8) or failure
// (4), and answers `result`. Every call is recorded.
class FakePatchEngine : public PatchEngine {
 public:
  struct Call {
    std::string commandLine;
    std::string patchFile;
    std::string folder;
    std::string options;
    std::string patchBytes;  // what the patch file held during the call
    bool patchFileFound = false;
  };

  explicit FakePatchEngine(FileSystem& files) : files_(files) {}

  int32_t Apply(const char* commandLine, PatchEvents& events) override {
    Call call;
    call.commandLine = commandLine;
    std::string rest = call.commandLine;
    call.patchFile = TakeQuoted(rest);
    call.folder = TakeQuoted(rest);
    call.options = rest;
    if (auto file = files_.OpenForRead(call.patchFile, false)) {
      call.patchFileFound = true;
      std::string bytes(static_cast<size_t>(file->Size()), '\0');
      (void)file->Read(std::as_writable_bytes(std::span(bytes)));
      call.patchBytes = bytes;
    }
    calls.push_back(call);
    answers.push_back(events.OnPatchEvent(7, call.patchFile.c_str()));
    for (int32_t value : progress) answers.push_back(events.OnPatchEvent(5, &value));
    answers.push_back(events.OnPatchEvent(result == 0 ? 8 : 4, nullptr));
    return result;
  }

  int32_t result = 0;
  std::vector<int32_t> progress = {0, 16384, 32768};
  std::vector<Call> calls;
  std::vector<const char*> answers;

 private:
  // The text between the first two double quotes, removed with what precedes it and one blank.
  static std::string TakeQuoted(std::string& text) {
    size_t open = text.find('"');
    size_t close = open == std::string::npos ? open : text.find('"', open + 1);
    if (close == std::string::npos) return {};
    std::string quoted = text.substr(open + 1, close - open - 1);
    text.erase(0, close + 1);
    if (!text.empty() && text.front() == ' ' && text.find('"') != std::string::npos) {
      text.erase(0, 1);
    }
    return quoted;
  }

  FileSystem& files_;
};

}  // namespace veltharn
