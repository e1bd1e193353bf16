#include <array>
#include <string>
#include <utility>

#include "system_info/c_system_info.h"

namespace pellorix {
namespace {

// Keyed by the primary language identifier; names exactly as the agent expects them.
constexpr std::pair<unsigned, const char*> kLanguages[] = {
    {0, "Neutral"},     {1, "Arabic"},      {2, "Bulgarian"},  {3, "Catalan"},
    {5, "Czech"},       {6, "Danish"},      {7, "German"},     {8, "Greek"},
    {9, "english"},     {10, "Spanish"},    {11, "Finnish"},   {12, "French"},
    {13, "Hebrew"},     {14, "Hungarian"},  {15, "Icelandic"}, {16, "Italian"},
    {17, "japan"},      {18, "korean"},     {19, "Dutch"},     {20, "Norwegian"},
    {21, "Polish"},     {22, "Portuguese"}, {24, "Romanian"},  {25, "Russian"},
    {26, "Croatian"},   {27, "Slovak"},     {28, "Albanian"},  {29, "Swedish"},
    {30, "Thai"},       {31, "Turkish"},    {32, "Urdu"},      {33, "Indonesian"},
    {34, "Rkrainian"},  {35, "Belarusian"}, {36, "Slovenian"}, {37, "Estonian"},
    {38, "Latvian"},    {39, "Lithuanian"}, {41, "Farsi"},     {42, "Vietnamese"},
    {43, "Armenian"},   {44, "Azeri"},      {45, "Basque"},    {47, "Macedonian"},
    {54, "Afrikaans"},  {55, "Georgian"},   {56, "Faeroese"},  {57, "Hindi"},
    {62, "Malay"},      {63, "Kazak"},      {64, "Kyrgyz"},    {65, "Swahili"},
    {67, "Uzbek"},      {68, "Tatar"},      {69, "Bengali"},   {70, "Punjabi"},
    {71, "Gujarati"},   {72, "Oriya"},      {73, "Tamil"},     {74, "Telugu"},
    {75, "Kannada"},    {76, "Malayalam"},  {77, "Assamese"},  {78, "Marathi"},
    {79, "Sanskrit"},   {80, "Mongolian"},  {86, "Galician"},  {87, "Konkani"},
    {88, "Manipuri"},   {89, "Sindhi"},     {96, "Kashmiri"},  {97, "Nepali"},
    {101, "Divehi"},    {127, "Invariant"},
};

constexpr unsigned kChinese = 4;
constexpr unsigned kTraditionalChineseSublanguage = 1;

}  // namespace

std::string LanguageNameOf(unsigned languageId) {
  // The low byte stands for the primary language, as the agent has always read it.
  const unsigned primary = languageId & 0xff;
  if (primary >= 128) return {};
  if (primary == kChinese) {
    return (languageId >> 10) == kTraditionalChineseSublanguage ? "cht" : "chs";
  }
  for (const auto& [id, languageName] : kLanguages) {
    if (id == primary) return languageName;
  }
  return {};
}

}  // namespace pellorix
