#include "page/page_record.h"

#include <algorithm>

#include "document/hqv_set.h"

namespace ovik {

int32_t PageRecord::Keyword(int i) const {
    if (i < 0 || i >= kPageKeywordSlots) return -1;
    return p_->I32(page_rec::kKeywords + 4 * size_t(i));
}

void PageRecord::SetKeyword(int i, int32_t number) {
    if (i < 0 || i >= kPageKeywordSlots) return;
    p_->SetI32(page_rec::kKeywords + 4 * size_t(i), number);
}

void PageRecord::SetExtraHtmlName(std::string_view v) {
    bool blank = std::all_of(v.begin(), v.end(), [](char c) { return c == ' '; });
    p_->SetStr(page_rec::kExtraHtmlName, kExtraHtmlNameMax, blank ? std::string_view() : v);
}

std::unique_ptr<THQVtesto> NewPage(THQVset* set) {
    auto page = std::make_unique<THQVtesto>(set);
    // Every field not named below stays -1 (all bytes 0xFF).
    page->FillRecord(0xFF);
    page->InitNew();
    return page;
}

namespace {

// Turns the markup entities of a collected title into plain characters.
std::string DecodeTitleEntities(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        if (s[i] != '&') {
            out.push_back(s[i++]);
            continue;
        }
        std::string_view rest(s.data() + i, s.size() - i);
        if (rest.substr(0, 5) == "&amp;") {
            out.push_back('+');
            i += 5;
        } else if (rest.substr(0, 2) == "&&") {
            out.push_back('+');
            i += 2;
        } else if (rest.substr(0, 4) == "&lt;") {
            out.push_back('[');
            i += 4;
        } else if (rest.substr(0, 4) == "&gt;") {
            out.push_back(']');
            i += 4;
        } else if (rest.size() > 3 && rest[1] == '#') {
            // A numeric reference: decimal, or hexadecimal after "x".
            bool hex = rest[2] == 'x' || rest[2] == 'X';
            size_t k = hex ? 3 : 2;
            uint32_t v = 0;
            size_t digits = 0;
            while (k < rest.size() && digits < 8) {
                char c = rest[k];
                int d = c >= '0' && c <= '9' ? c - '0'
                        : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                      : -1;
                if (d < 0) break;
                v = v * (hex ? 16 : 10) + uint32_t(d);
                ++k;
                ++digits;
            }
            if (digits > 0 && k < rest.size() && rest[k] == ';') {
                out.push_back(char(uint8_t(v & 0xFF)));
                i += k + 1;
            } else {
                out.push_back(s[i++]);
            }
        } else {
            out.push_back(s[i++]);
        }
    }
    return out;
}

}  // namespace

std::string AutomaticTitle(const Bytes& content) {
    std::string got;
    const size_t n = content.size();
    size_t i = 0;
    while (i < n && content[i] != 0) {
        size_t lt = i;
        while (lt < n && content[lt] != 0 && content[lt] != '<') ++lt;
        got.append(reinterpret_cast<const char*>(content.data()) + i, lt - i);
        if (got.size() > 35) break;
        if (lt >= n || content[lt] != '<') break;
        size_t gt = lt + 1;
        while (gt < n && content[gt] != 0 && content[gt] != '>') ++gt;
        if (lt + 1 < n && content[lt + 1] == 'Z') {
            // A new paragraph: enough words already, or a blank between them.
            if (got.size() > 5) break;
            if (got.empty() || got.back() != ' ') got.push_back(' ');
        }
        if (gt >= n || content[gt] != '>') break;
        i = gt + 1;
    }
    size_t lead = 0;
    while (lead < got.size() && uint8_t(got[lead]) <= 32) ++lead;
    got.erase(0, lead);
    size_t blanks = got.find("   ");
    if (blanks != std::string::npos && blanks >= 2) got.resize(blanks);
    got = DecodeTitleEntities(got);
    for (char& ch : got) {
        uint8_t c = uint8_t(ch);
        if (c == 34) ch = char(148);
        else if (c == 39) ch = char(146);
        else if (c < 32 || (c >= 35 && c <= 38) || c == 60 || c == 62 || c == 127) ch = ' ';
    }
    if (got.size() > kPageTitleMax) got.resize(kPageTitleMax);
    return got;
}

void ApplyAutomaticTitle(THQVtesto& page) {
    if (page.Title() != kUntitledPage) return;
    Bytes content;
    if (!page.ReadContent(content)) return;
    std::string t = AutomaticTitle(content);
    if (!t.empty()) page.SetTitle(t);
}

void RaiseRevision(THQVtesto& page, int32_t revision) {
    if (page.I32(page_rec::kRevision) < revision) page.SetI32(page_rec::kRevision, revision);
}

}  // namespace ovik
