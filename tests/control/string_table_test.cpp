// The Windows string tables are compiled from the same source as the catalogue lookup; this holds
// them against each other, text by text and in both languages, as the resource loader sees them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "launcher/control/message_catalogue.h"

namespace veltharn {
namespace {

std::wstring Utf8ToWide(const char* text) {
  int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide.data(), length);
  wide.resize(static_cast<size_t>(length - 1));
  return wide;
}

// Reads string `id` of `language` from this module's string table; nullopt-like "\x1" if absent.
bool LoadTableString(int id, WORD language, std::wstring* text) {
  HRSRC block = FindResourceExW(nullptr, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(id / 16 + 1),
                                language);
  if (block == nullptr) return false;
  const WCHAR* entry = static_cast<const WCHAR*>(LockResource(LoadResource(nullptr, block)));
  for (int index = 0; index < id % 16; ++index) entry += 1 + *entry;
  text->assign(entry + 1, *entry);
  return *entry != 0;
}

TEST(StringTableTest, MatchesTheCatalogueInBothLanguages) {
  const struct {
    Language language;
    WORD windowsLanguage;
  } languages[] = {{Language::kEnglish, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)},
                   {Language::kKorean, MAKELANGID(LANG_KOREAN, SUBLANG_KOREAN)}};
  CatalogueIds ids = AllCatalogueIds();
  for (const auto& language : languages) {
    for (const int* id = ids.begin; id != ids.end; ++id) {
      SCOPED_TRACE(testing::Message() << "id " << *id << " language " << language.windowsLanguage);
      std::wstring fromTable;
      ASSERT_TRUE(LoadTableString(*id, language.windowsLanguage, &fromTable));
      EXPECT_TRUE(fromTable == Utf8ToWide(CatalogueText(*id, language.language)));
    }
  }
}

}  // namespace
}  // namespace veltharn
