// The .reg-file registry on real files in a folder of each test's own.
#include "launcher/adapters/posix/reg_file_registry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "launcher/control/notices.h"
#include "launcher/control/version_store.h"
#include "tests/fakes/fake_view.h"
#include "tests/fakes/memory_file_system.h"

namespace veltharn {
namespace {

namespace fs = std::filesystem;

constexpr const char* kKeyLine = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brennix\\QorTestClient]";

RegistryValue Text(const std::string& text) {
  RegistryValue value{kRegString, std::vector<uint8_t>(text.begin(), text.end())};
  value.data.push_back(0);
  return value;
}

RegistryValue Dword(uint32_t word) {
  return {kRegDword,
          {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8),
           static_cast<uint8_t>(word >> 16), static_cast<uint8_t>(word >> 24)}};
}

class RegFileRegistryTest : public testing::Test {
 protected:
  RegFileRegistryTest() {
    static std::atomic<int> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    folder_ = fs::temp_directory_path() /
              ("veltharn-reg-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    fs::create_directories(folder_);
    file_ = (folder_ / "client.reg").string();
  }
  ~RegFileRegistryTest() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  void WriteFile(const std::string& text) const { std::ofstream(file_, std::ios::binary) << text; }
  [[nodiscard]] std::string ReadFile() const {
    std::ifstream in(file_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path folder_;
  std::string file_;
};

TEST_F(RegFileRegistryTest, WritesWhatRegeditWouldWrite) {
  {
    RegFileRegistry registry(file_);
    auto key = registry.CreateKey(kClientKey, RegistryAccess::kAll);
    ASSERT_NE(key, nullptr);
    ASSERT_TRUE(key->WriteDword("global_version", 42));
    ASSERT_TRUE(key->WriteString("workingdir", "C:\\Games\\Qor \"test\""));
  }
  EXPECT_EQ(ReadFile(), std::string("REGEDIT4\n\n") + kKeyLine +
                            "\n"
                            "\"global_version\"=dword:0000002a\n"
                            "\"workingdir\"=\"C:\\\\Games\\\\Qor \\\"test\\\"\"\n");
  EXPECT_FALSE(fs::exists(file_ + ".new"));
}

TEST_F(RegFileRegistryTest, ReadsEveryKindOfValueWithoutRegardToCase) {
  WriteFile(std::string("REGEDIT4\r\n\r\n; a comment\r\n") +
            "[HKEY_CURRENT_USER\\SOFTWARE\\Brennix\\QorTestClient]\r\n"
            "\"global_version\"=dword:00000063\r\n"
            "\r\n"
            "[hkey_local_machine\\software\\BRENNIX\\qortestclient]\r\n"
            "\"Global_Version\"=dword:000004B0\r\n"
            "\"short\"=dword:7\r\n"
            "\"workingdir\"=\"C:\\\\client \\\"1\\\"\"\r\n"
            "\"blob\"=hex:01,ab,FF\r\n"
            "\"list\"=hex(7):61,00,\\\r\n"
            "  62,00,00\r\n"
            "\"empty\"=hex:\r\n"
            "@=\"default value\"\r\n"
            "something regedit never wrote\r\n");
  RegFileRegistry registry(file_);
  EXPECT_TRUE(registry.loaded());
  auto key = registry.CreateKey(kClientKey, RegistryAccess::kRead);
  ASSERT_NE(key, nullptr);
  struct Case {
    const char* name;
    RegistryValue value;
  } const cases[] = {
      {"GLOBAL_VERSION", Dword(1200)},  // the other hive's value is not this key's
      {"short", Dword(7)},
      {"workingdir", Text("C:\\client \"1\"")},
      {"blob", {kRegBinary, {0x01, 0xab, 0xff}}},
      {"list", {7, {0x61, 0, 0x62, 0, 0}}},
      {"empty", {kRegBinary, {}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::optional<RegistryValue> value = key->Read(c.name);
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, c.value.type);
    EXPECT_EQ(value->data, c.value.data);
  }
}

TEST_F(RegFileRegistryTest, MalformedValuesAreNotReadAndTheRestIs) {
  WriteFile(std::string("REGEDIT4\n\n") + kKeyLine +
            "\n"
            "\"a\"=dword:xyz\n"
            "\"b\"=dword:123456789\n"
            "\"c\"=hex:1,,2\n"
            "\"d\"=hex:123\n"
            "\"e\"=\"unterminated\n"
            "\"f\"=\"two\" \"texts\"\n"
            "\"g\"=hex(zz):00\n"
            "\"h\"\n"
            "\"good\"=dword:00000001\n");
  RegFileRegistry registry(file_);
  auto key = registry.CreateKey(kClientKey, RegistryAccess::kRead);
  for (const char* name : {"a", "b", "c", "d", "e", "f", "g", "h"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(key->Read(name).has_value());
  }
  ASSERT_TRUE(key->Read("good").has_value());
  EXPECT_EQ(key->Read("good")->data, Dword(1).data);
}

TEST_F(RegFileRegistryTest, EveryWriteIsInTheFileAtOnceAndReadBack) {
  RegFileRegistry writer(file_);
  auto key = writer.CreateKey("SOFTWARE\\Brennix\\QorTestClient", RegistryAccess::kAll);
  ASSERT_TRUE(key->WriteDword("separate_version", 3));
  ASSERT_TRUE(key->WriteString("workingdir", "/srv/qor"));
  ASSERT_TRUE(key->WriteDword("SEPARATE_VERSION", 4));  // the same value, under its first name

  RegFileRegistry reader(file_);
  auto readBack = reader.CreateKey("software\\brennix\\qortestclient", RegistryAccess::kRead);
  EXPECT_EQ(readBack->Read("separate_version")->data, Dword(4).data);
  EXPECT_EQ(readBack->Read("workingdir")->data, Text("/srv/qor").data);
  EXPECT_NE(ReadFile().find("\"separate_version\"=dword:00000004"), std::string::npos);
}

TEST_F(RegFileRegistryTest, AKeyOpenedForReadingCannotWrite) {
  RegFileRegistry registry(file_);
  auto key = registry.CreateKey(kClientKey, RegistryAccess::kRead);
  ASSERT_NE(key, nullptr);
  EXPECT_FALSE(key->WriteDword("global_version", 1));
  EXPECT_FALSE(key->Read("global_version").has_value());
  EXPECT_FALSE(fs::exists(file_));
}

TEST_F(RegFileRegistryTest, AFailedWriteLeavesTheValueAsItWas) {
  fs::path inner = folder_ / "inner";
  fs::create_directories(inner);
  std::string file = (inner / "client.reg").string();
  std::ofstream(file) << "REGEDIT4\n\n" << kKeyLine << "\n\"global_version\"=dword:00000007\n";
  RegFileRegistry registry(file);
  auto key = registry.CreateKey(kClientKey, RegistryAccess::kAll);
  ASSERT_NE(key, nullptr);
  // The folder goes away: no new file can be made beside the old one.
  fs::rename(inner, folder_ / "moved");
  EXPECT_FALSE(key->WriteDword("global_version", 1200));
  EXPECT_EQ(key->Read("global_version")->data, Dword(7).data);
  EXPECT_EQ(registry.CreateKey("SOFTWARE\\Other", RegistryAccess::kAll), nullptr);
}

// What an operator finds in the file after the launcher's version store has worked on it.
TEST_F(RegFileRegistryTest, TheVersionStoreLeavesATextVersionAloneAndStoresDwords) {
  WriteFile(std::string("REGEDIT4\n\n") + kKeyLine + "\n\"global_version\"=\"42\"\n");
  RegFileRegistry registry(file_);
  MemoryFileSystem files;
  FakeView view;
  Notices notices(view);
  VersionStore store(registry, files, notices);

  store.Prepare();
  EXPECT_EQ(store.installedGlobalVersion(), 0);
  EXPECT_EQ(ReadFile(), std::string("REGEDIT4\n\n") + kKeyLine +
                            "\n"
                            "\"global_version\"=\"42\"\n"
                            "\"separate_version\"=dword:00000000\n"
                            "\"workingdir\"=\"C:\\\\client\"\n");

  store.Store(1200, 3);
  EXPECT_TRUE(view.boxes.empty());
  RegFileRegistry reread(file_);
  auto key = reread.CreateKey(kClientKey, RegistryAccess::kRead);
  EXPECT_EQ(key->Read("global_version")->type, kRegDword);
  EXPECT_EQ(key->Read("global_version")->data, Dword(1200).data);
  EXPECT_EQ(key->Read("separate_version")->data, Dword(3).data);
}

}  // namespace
}  // namespace veltharn
