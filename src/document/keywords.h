// Keywords: objects of kind `keyword` whose record holds the keyword text
// (string[79] at offset 0), and the twenty keyword slots of a page record
// (int32 keyword numbers at page offsets 105..184, -1 = empty). A keyword stands
// at most once in a page; the order of the slots has no meaning.
//
//   THQVoggetto* k = FindOrAddKeyword(set, "gatti");   // an equal one, or a new one
//   AddKeywordToPage(*set.Page(3), k->Number());
//   for (int32_t p : PagesWithKeyword(set, k->Number())) ...
//   DeleteGlobalKeyword(set, k->Number());              // out of every page, slot freed
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/hqv_set.h"

namespace ovik {

inline constexpr int kKeywordSlots = 20;

// The value of slot i (0..19) of a page.
int32_t KeywordSlot(const THQVoggetto& page, int i);
void SetKeywordSlot(THQVoggetto& page, int i, int32_t number);
// The keyword numbers a page's slots hold, in slot order (empty slots left out).
std::vector<int32_t> PageKeywords(const THQVoggetto& page);
bool PageNamesKeyword(const THQVoggetto& page, int32_t number);
// Puts the keyword into the first empty slot. False (and nothing changes) when
// the page names it already or every slot is taken.
bool AddKeywordToPage(THQVoggetto& page, int32_t number);
// Empties the first slot naming the keyword; false when none does.
bool ClearKeywordFromPage(THQVoggetto& page, int32_t number);

// The keywords of the set that are not free, in number order.
std::vector<THQVoggetto*> Keywords(const THQVset& set);
// The numbers of the pages (not free) whose slots name the keyword, ascending.
std::vector<int32_t> PagesWithKeyword(const THQVset& set, int32_t number);
// The keyword with exactly this text (case-sensitive), or a new one stored in
// the first free keyword slot. Null for an empty text.
THQVoggetto* FindOrAddKeyword(THQVset& set, std::string_view text);
// Every page that is not free loses the keyword (its first slot naming it),
// then the keyword object is made free. False for a missing or free keyword.
bool DeleteGlobalKeyword(THQVset& set, int32_t number);

}  // namespace ovik
