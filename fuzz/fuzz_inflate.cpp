// The inflate driver over any stream, in memory: it either writes the whole inflated file or
// leaves no target at all, and never touches another file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "launcher/control/notices.h"
#include "launcher/update/inflate_file.h"
#include "tests/fakes/fake_view.h"
#include "tests/fakes/memory_file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace veltharn;
  FakeView view;
  Notices notices(view);
  MemoryFileSystem files;
  files.AddFile("data\\big.pak.zip", std::string(reinterpret_cast<const char*>(data), size));
  files.AddFile("data\\other.dat", "other");
  std::unique_ptr<ReadableFile> source = files.OpenForRead("data\\big.pak.zip", true);
  const bool inflated = InflateFile(notices, files, "data\\big.pak", *source);
  if (inflated != files.HasFile("data\\big.pak")) std::abort();
  if (files.Find("data\\other.dat")->bytes != "other") std::abort();
  return 0;
}
