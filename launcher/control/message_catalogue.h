#pragma once

namespace veltharn {

// The two languages of the launcher's texts, with their Windows language ids.
enum class Language : int { kEnglish = 1033, kKorean = 1042 };

// The text `id` of the catalogue in `language`, in UTF-8; null for an id without a text. On Windows
// the view loads the same texts from the module's string tables instead; this lookup serves the
// other builds and the tests that hold the two against each other.
const char* CatalogueText(int id, Language language);

// Every id of the catalogue, ascending, for tests and tools.
struct CatalogueIds {
  const int* begin;
  const int* end;
};
CatalogueIds AllCatalogueIds();

}  // namespace veltharn
