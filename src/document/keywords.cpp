#include "document/keywords.h"

#include <algorithm>

namespace ovik {

int32_t KeywordSlot(const THQVoggetto& page, int i) { return page.I32(page_rec::kKeywords + 4 * size_t(i)); }

void SetKeywordSlot(THQVoggetto& page, int i, int32_t number) {
    page.SetI32(page_rec::kKeywords + 4 * size_t(i), number);
}

std::vector<int32_t> PageKeywords(const THQVoggetto& page) {
    std::vector<int32_t> out;
    for (int i = 0; i < kKeywordSlots; ++i)
        if (int32_t k = KeywordSlot(page, i); k != -1) out.push_back(k);
    return out;
}

bool PageNamesKeyword(const THQVoggetto& page, int32_t number) {
    for (int i = 0; i < kKeywordSlots; ++i)
        if (KeywordSlot(page, i) == number) return true;
    return false;
}

bool AddKeywordToPage(THQVoggetto& page, int32_t number) {
    if (number < 0 || PageNamesKeyword(page, number)) return false;
    for (int i = 0; i < kKeywordSlots; ++i)
        if (KeywordSlot(page, i) == -1) {
            SetKeywordSlot(page, i, number);
            return true;
        }
    return false;
}

bool ClearKeywordFromPage(THQVoggetto& page, int32_t number) {
    for (int i = 0; i < kKeywordSlots; ++i)
        if (KeywordSlot(page, i) == number) {
            SetKeywordSlot(page, i, -1);
            return true;
        }
    return false;
}

std::vector<THQVoggetto*> Keywords(const THQVset& set) {
    std::vector<THQVoggetto*> out;
    for (int32_t n = 0; n < set.ObjectCount(keyword); ++n)
        if (THQVoggetto* k = set.GetObject(keyword, n); k && !k->IsFree()) out.push_back(k);
    return out;
}

std::vector<int32_t> PagesWithKeyword(const THQVset& set, int32_t number) {
    std::vector<int32_t> out;
    for (int32_t n = 0; n < set.ObjectCount(testoHtml); ++n)
        if (THQVtesto* p = set.Page(n); p && !p->IsFree() && PageNamesKeyword(*p, number)) out.push_back(n);
    return out;
}

THQVoggetto* FindOrAddKeyword(THQVset& set, std::string_view text) {
    if (text.empty()) return nullptr;
    std::unique_ptr<THQVoggetto> k = set.NewObject(keyword);
    k->SetName(text);
    if (THQVoggetto* same = set.FindEqualObject(*k); same && same->Kind() == keyword) return same;
    THQVoggetto* made = THQVoggetto::Register(k, -1);
    if (made) set.SetModified(true);
    return made;
}

bool DeleteGlobalKeyword(THQVset& set, int32_t number) {
    THQVoggetto* k = set.GetObject(keyword, number);
    if (!k || k->IsFree()) return false;
    for (int32_t n = 0; n < set.ObjectCount(testoHtml); ++n)
        if (THQVtesto* p = set.Page(n); p && !p->IsFree()) ClearKeywordFromPage(*p, number);
    k->MakeFree();
    set.SetModified(true);
    return true;
}

}  // namespace ovik
