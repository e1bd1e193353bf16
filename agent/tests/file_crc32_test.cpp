#include <string>

#include <gtest/gtest.h>
#include <zlib.h>

#include "http/c_file_crc32.h"
#include "tests/fakes/fake_file_system.h"

namespace pellorix {
namespace {

TEST(FileCrc32, KnownAnswersAndItsText) {
  testing::FakeFileSystem files;
  files.Put("C:\\a\\check.txt", "123456789");
  files.Put("C:\\a\\empty.txt", "");
  CFileCrc32 crc(files);
  EXPECT_EQ(crc.Compute("C:\\a\\check.txt"), 0xCBF43926u);
  EXPECT_EQ(crc.ComputeText("C:\\a\\check.txt"), "3421780262");
  EXPECT_EQ(crc.Compute("C:\\a\\empty.txt"), 0u);
}

TEST(FileCrc32, AFileThatCannotBeOpenedGivesZero) {
  testing::FakeFileSystem files;
  EXPECT_EQ(CFileCrc32(files).ComputeText("C:\\missing.exe"), "0");
}

TEST(FileCrc32, SpansReadPieces) {
  testing::FakeFileSystem files;
  std::string bytes;
  for (int i = 0; i < 4096 * 2 + 17; ++i) bytes.push_back(static_cast<char>(i * 7 + 3));
  files.Put("C:\\big.bin", bytes);
  const auto expected =
      crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()));
  EXPECT_EQ(CFileCrc32(files).Compute("C:\\big.bin"), expected);
}

}  // namespace
}  // namespace pellorix
