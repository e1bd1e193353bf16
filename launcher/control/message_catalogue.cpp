#include "launcher/control/message_catalogue.h"

#include <algorithm>
#include <iterator>

namespace veltharn {
namespace {

struct Entry {
  int id;
  const char* english;
  const char* korean;
};

constexpr Entry kEntries[] = {
#define VELTHARN_MESSAGE(id, english, korean) {id, english, korean},
#include "launcher/resources/messages.def"
#undef VELTHARN_MESSAGE
};

constexpr int kIds[] = {
#define VELTHARN_MESSAGE(id, english, korean) id,
#include "launcher/resources/messages.def"
#undef VELTHARN_MESSAGE
};

static_assert(std::is_sorted(std::begin(kIds), std::end(kIds)), "messages.def is kept in id order");

}  // namespace

const char* CatalogueText(int id, Language language) {
  const Entry* entry = std::lower_bound(std::begin(kEntries), std::end(kEntries), id,
                                        [](const Entry& e, int key) { return e.id < key; });
  if (entry == std::end(kEntries) || entry->id != id) return nullptr;
  return language == Language::kKorean ? entry->korean : entry->english;
}

CatalogueIds AllCatalogueIds() { return {std::begin(kIds), std::end(kIds)}; }

}  // namespace veltharn
