#include "launcher/control/message_catalogue.h"

#include <gtest/gtest.h>

#include <string>

namespace veltharn {
namespace {

TEST(MessageCatalogueTest, HoldsEveryTextInBothLanguages) {
  CatalogueIds ids = AllCatalogueIds();
  EXPECT_EQ(ids.end - ids.begin, 57);
  EXPECT_EQ(*ids.begin, 500);
  EXPECT_EQ(*(ids.end - 1), 711);
  for (const int* id = ids.begin; id != ids.end; ++id) {
    SCOPED_TRACE(*id);
    ASSERT_NE(CatalogueText(*id, Language::kEnglish), nullptr);
    ASSERT_NE(CatalogueText(*id, Language::kKorean), nullptr);
    EXPECT_GT(std::string(CatalogueText(*id, Language::kEnglish)).size(), 0u);
  }
}

TEST(MessageCatalogueTest, TextsAreExactlyAsShipped) {
  struct Case {
    int id;
    Language language;
    const char* text;
  } const cases[] = {
      {505, Language::kEnglish,
       "The installed version is a more recent one than the update server version.  An error is "
       "found."},
      {653, Language::kKorean, "..생성 실패"},
      {659, Language::kKorean, " 압축해제 완료"},
      {663, Language::kEnglish, "Connection Failure Error Code = %d"},
      {709, Language::kEnglish, "Failed to install Authorized Update for Windows. "},
      {516, Language::kKorean,
       "System폴더 아래 있는 DSetup.dll을 로드할 수 없습니다. 파일 검사를 하고 다시 시도해 보세요."},
      {603, Language::kKorean, "Veltharn 자동업데이트"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_STREQ(CatalogueText(c.id, c.language), c.text);
  }
}

TEST(MessageCatalogueTest, IdsWithoutATextHaveNone) {
  for (int id : {0, 499, 518, 549, 607, 712, -1}) {
    EXPECT_EQ(CatalogueText(id, Language::kEnglish), nullptr) << id;
  }
}

}  // namespace
}  // namespace veltharn
