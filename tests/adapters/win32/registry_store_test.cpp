#include "launcher/adapters/win32/registry_store.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace veltharn {
namespace {

// Each test works in a key of its own under HKLM and removes it afterwards.
class RegistryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = "SOFTWARE\\VeltharnTests\\" + std::to_string(GetCurrentProcessId()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
  }
  void TearDown() override {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, path_.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\VeltharnTests");  // only once it is empty
  }
  [[nodiscard]] bool KeyExists() const {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(key);
    return true;
  }

  std::string path_;
  RegistryStore store_;
};

TEST_F(RegistryStoreTest, ValuesWrittenAreReadBackWithTheirTypes) {
  std::unique_ptr<RegistryKey> key = store_.CreateKey(path_, RegistryAccess::kAll);
  ASSERT_NE(key, nullptr);
  ASSERT_TRUE(key->WriteDword("global_version", 1300));
  ASSERT_TRUE(key->WriteString("workingdir", "C:\\Games\\Qor"));
  struct Case {
    const char* name;
    uint32_t type;
    std::vector<uint8_t> data;
  } const cases[] = {
      {"global_version", kRegDword, {0x14, 0x05, 0, 0}},
      {"workingdir", kRegString, {'C', ':', '\\', 'G', 'a', 'm', 'e', 's', '\\', 'Q', 'o', 'r', 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::optional<RegistryValue> value = key->Read(c.name);
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, c.type);
    EXPECT_EQ(value->data, c.data);
  }
  EXPECT_FALSE(key->Read("separate_version").has_value());
}

TEST_F(RegistryStoreTest, AMissingKeyIsCreatedAndAReopenedKeySeesTheValues) {
  ASSERT_FALSE(KeyExists());
  {
    std::unique_ptr<RegistryKey> key = store_.CreateKey(path_, RegistryAccess::kAll);
    ASSERT_NE(key, nullptr);
    ASSERT_TRUE(key->WriteDword("separate_version", 7));
  }
  EXPECT_TRUE(KeyExists());
  std::unique_ptr<RegistryKey> reader = store_.CreateKey(path_, RegistryAccess::kRead);
  ASSERT_NE(reader, nullptr);
  std::optional<RegistryValue> value = reader->Read("separate_version");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->data, (std::vector<uint8_t>{7, 0, 0, 0}));
  // A key opened for reading refuses writes.
  EXPECT_FALSE(reader->WriteDword("separate_version", 8));
}

}  // namespace
}  // namespace veltharn
