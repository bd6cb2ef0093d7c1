// The reader context: decoding, text and blanks, escapes, attributes and
// values, the formatting-state stack and the step loop.
#include "convert/html_reader.h"

#include <algorithm>
#include <cstring>

#include "core/codepage.h"
#include "document/format1.h"
#include "document/hqv_set.h"
#include "document/style_record.h"
#include "text/hqv_box.h"

namespace ovik {

namespace fs = std::filesystem;

namespace {

bool IsBlank(uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
uint8_t Up(uint8_t c) { return c >= 'a' && c <= 'z' ? uint8_t(c - 32) : c; }
bool IsHex(uint8_t c) { return (c >= '0' && c <= '9') || (Up(c) >= 'A' && Up(c) <= 'F'); }
int HexValue(uint8_t c) { return c <= '9' ? c - '0' : Up(c) - 'A' + 10; }

std::string LowerAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    return r;
}

// The charset a META tag of the first bytes declares ("" when none does).
std::string DeclaredCharset(std::string_view raw) {
    const std::string head = LowerAscii(raw.substr(0, 4096));
    size_t at = 0;
    while ((at = head.find("charset", at)) != std::string::npos) {
        size_t j = at + 7;
        while (j < head.size() && (IsBlank(uint8_t(head[j])) || head[j] == '=' || head[j] == '"' || head[j] == '\''))
            ++j;
        size_t k = j;
        while (k < head.size() && (std::isalnum(uint8_t(head[k])) || head[k] == '-' || head[k] == '_')) ++k;
        if (k > j && head.find("<meta", at >= 200 ? at - 200 : 0) < at) return head.substr(j, k - j);
        at = k > at ? k : at + 1;
    }
    return "";
}

// Named entities beyond the box markup's own list, by Unicode code point; they
// become the closest Windows-1252 character.
struct NamedChar {
    const char* name;
    uint32_t code;
};
constexpr NamedChar kMoreEntities[] = {
    {"macr", 175},    {"apos", 39},     {"ndash", 0x2013}, {"mdash", 0x2014}, {"lsquo", 0x2018},
    {"rsquo", 0x2019}, {"sbquo", 0x201A}, {"ldquo", 0x201C}, {"rdquo", 0x201D}, {"bdquo", 0x201E},
    {"dagger", 0x2020}, {"Dagger", 0x2021}, {"bull", 0x2022}, {"hellip", 0x2026}, {"permil", 0x2030},
    {"lsaquo", 0x2039}, {"rsaquo", 0x203A}, {"euro", 0x20AC}, {"trade", 0x2122}, {"OElig", 0x152},
    {"oelig", 0x153},   {"Scaron", 0x160}, {"scaron", 0x161}, {"Yuml", 0x178},  {"fnof", 0x192},
    {"circ", 0x2C6},    {"tilde", 0x2DC},  {"ensp", 0x2002},  {"emsp", 0x2003},  {"thinsp", 0x2009},
    {"zwnj", 0x200C},   {"zwj", 0x200D},   {"para", 182},     {"larr", 0x2190},  {"rarr", 0x2192},
    {"uarr", 0x2191},   {"darr", 0x2193},  {"minus", 0x2212}, {"le", 0x2264},    {"ge", 0x2265},
    {"ne", 0x2260},     {"infin", 0x221E}, {"prime", 0x2032}, {"Prime", 0x2033},
};

// A code point as Windows-1252 text (one byte, or the closest text).
std::string CodePointText(uint32_t cp, size_t& replaced) {
    if (cp < 128) return std::string(1, char(cp));
    char u[4];
    size_t n;
    if (cp < 0x800) {
        u[0] = char(0xC0 | (cp >> 6));
        u[1] = char(0x80 | (cp & 63));
        n = 2;
    } else if (cp < 0x10000) {
        u[0] = char(0xE0 | (cp >> 12));
        u[1] = char(0x80 | ((cp >> 6) & 63));
        u[2] = char(0x80 | (cp & 63));
        n = 3;
    } else if (cp < 0x110000) {
        u[0] = char(0xF0 | (cp >> 18));
        u[1] = char(0x80 | ((cp >> 12) & 63));
        u[2] = char(0x80 | ((cp >> 6) & 63));
        u[3] = char(0x80 | (cp & 63));
        n = 4;
    } else {
        ++replaced;
        return "?";
    }
    return cp1252::FromUtf8(std::string_view(u, n), &replaced);
}

}  // namespace

// --- decoding ----------------------------------------------------------------------------

std::string DecodeHtmlBytes(std::string_view raw, HtmlDecoding& how) {
    how = HtmlDecoding();
    bool utf8 = false;
    if (raw.size() >= 3 && std::memcmp(raw.data(), "\xEF\xBB\xBF", 3) == 0) {
        utf8 = true;
        raw.remove_prefix(3);
    } else {
        const std::string declared = DeclaredCharset(raw);
        if (declared == "utf-8" || declared == "utf8") utf8 = true;
        else if (declared.empty()) {
            const bool high = std::any_of(raw.begin(), raw.end(), [](char c) { return uint8_t(c) > 127; });
            utf8 = high && cp1252::IsValidUtf8(raw);
        }
    }
    how.utf8 = utf8;
    if (!utf8) return std::string(raw);
    return cp1252::FromUtf8(raw, &how.replaced);
}

// --- values --------------------------------------------------------------------------------

int32_t HtmlNumber(std::string_view v, int32_t fallback) {
    size_t i = 0;
    while (i < v.size() && IsBlank(uint8_t(v[i]))) ++i;
    bool neg = false;
    if (i < v.size() && (v[i] == '-' || v[i] == '+')) neg = v[i++] == '-';
    if (i >= v.size() || v[i] < '0' || v[i] > '9') return fallback;
    int64_t n = 0;
    while (i < v.size() && v[i] >= '0' && v[i] <= '9') {
        n = n * 10 + (v[i++] - '0');
        if (n > INT32_MAX) return fallback;
    }
    return int32_t(neg ? -n : n);
}

int32_t HtmlColour(std::string_view v, int32_t fallback) {
    if (v.empty()) return fallback;
    bool allHex = true;
    for (size_t i = 1; i < v.size(); ++i) allHex = allHex && IsHex(uint8_t(v[i]));
    if (!allHex) return fallback;
    if (v.size() <= 6) return 0;
    auto pair = [&](size_t k) { return HexValue(uint8_t(v[k])) * 16 + HexValue(uint8_t(v[k + 1])); };
    return pair(1) + pair(3) * 256 + pair(5) * 65536;
}

int32_t HtmlFontSize(std::string_view v) {
    static const int32_t points[] = {8, 10, 12, 14, 19, 27, 34};
    size_t i = 0;
    while (i < v.size() && IsBlank(uint8_t(v[i]))) ++i;
    const bool relative = i < v.size() && (v[i] == '+' || v[i] == '-');
    int32_t n = HtmlNumber(v, relative ? 0 : 3);
    if (relative) n += 3;
    return n >= 1 && n <= 7 ? points[n - 1] : 12;
}

int32_t HeadingSize(int level) {
    static const int32_t points[] = {27, 19, 14, 12, 10, 8};
    return level >= 1 && level <= 6 ? points[level - 1] : 12;
}

int32_t SmallerSize(int32_t size) {
    static const int32_t points[] = {34, 27, 19, 14, 12, 10, 8};
    for (int32_t p : points)
        if (p < size) return p;
    return size;
}

bool IsPageFileName(std::string_view path) {
    const std::string ext = LowerAscii(fs::path(std::string(path)).extension().string());
    return ext == ".htm" || ext == ".html" || ext == ".txt";
}

std::string_view ExportedScriptTarget(std::string_view href) {
    static constexpr std::string_view kCalls[2] = {"javascript:ovikf_open('", "javascript:ovikf_openb('"};
    for (std::string_view call : kCalls) {
        if (href.size() <= call.size() || LowerAscii(href.substr(0, call.size())) != call) continue;
        std::string_view rest = href.substr(call.size());
        const size_t quote = rest.find('\'');
        if (quote == std::string_view::npos) return {};
        return rest.substr(0, quote);
    }
    return {};
}

bool IsAddress(std::string_view ref) {
    const std::string low = LowerAscii(ref);
    if (low.find("http:") != std::string::npos || low.find("ftp:") != std::string::npos ||
        low.find("mailto:") != std::string::npos)
        return true;
    // Any other scheme: letters (two or more, so that a drive letter is not
    // taken for one) before the first ":", with no folder separator before it.
    size_t colon = low.find(':');
    if (colon == std::string::npos || colon < 2) return false;
    for (size_t i = 0; i < colon; ++i) {
        char c = low[i];
        if (!((c >= 'a' && c <= 'z') || (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'))))
            return false;
    }
    return true;
}

fs::path ResolveHtmlPath(const fs::path& folder, std::string_view ref) {
    if (IsAddress(ref)) return {};
    std::string local;
    for (size_t i = 0; i < ref.size(); ++i) {
        char c = ref[i];
        if (c == '#' || c == '?') break;
        if (c == '%' && i + 2 < ref.size() && IsHex(uint8_t(ref[i + 1])) && IsHex(uint8_t(ref[i + 2]))) {
            local += char(HexValue(uint8_t(ref[i + 1])) * 16 + HexValue(uint8_t(ref[i + 2])));
            i += 2;
            continue;
        }
        local += c == '\\' ? '/' : c;
    }
    while (!local.empty() && IsBlank(uint8_t(local.back()))) local.pop_back();
    size_t s = 0;
    while (s < local.size() && IsBlank(uint8_t(local[s]))) ++s;
    local.erase(0, s);
    if (local.empty()) return {};
    if (local.rfind("file://", 0) == 0) local.erase(0, 7);
    fs::path p(cp1252::ToUtf8(local));
    if (p.is_relative()) p = folder / p;
    return p.lexically_normal();
}

const std::string* HtmlAttributes::Find(std::string_view upperName) const {
    for (auto& [name, value] : items)
        if (name == upperName) return &value;
    return nullptr;
}

void ParseHtmlAttributes(const uint8_t* p, const uint8_t* end, HtmlAttributes& out) {
    out.items.clear();
    while (p < end) {
        while (p < end && (IsBlank(*p) || *p == '/')) ++p;
        if (p >= end) break;
        const uint8_t* n = p;
        while (p < end && !IsBlank(*p) && *p != '=') ++p;
        std::string name(reinterpret_cast<const char*>(n), size_t(p - n));
        for (char& c : name) c = char(Up(uint8_t(c)));
        while (p < end && IsBlank(*p)) ++p;
        std::string value;
        if (p < end && *p == '=') {
            ++p;
            while (p < end && IsBlank(*p)) ++p;
            if (p < end && (*p == '"' || *p == '\'')) {
                const uint8_t q = *p++;
                const uint8_t* v = p;
                while (p < end && *p != q) ++p;
                value.assign(reinterpret_cast<const char*>(v), size_t(p - v));
                if (p < end) ++p;
            } else {
                const uint8_t* v = p;
                while (p < end && !IsBlank(*p)) ++p;
                value.assign(reinterpret_cast<const char*>(v), size_t(p - v));
            }
        }
        if (!name.empty()) out.items.emplace_back(std::move(name), std::move(value));
    }
}

// --- formatting states -----------------------------------------------------------------------

void HtmlState::TakeStyle(const THQVoggetto& s) {
    using namespace style_rec;
    face = s.Str(kFace, kFaceMax);
    size = s.I16(kSize);
    colour = s.I32(kColour);
    styleBits = s.U8(kStyle);
    align = s.U8(kAlign);
    listKind = s.U8(kListKind);
    lineHeight = s.I16(kLineHeight);
    indent = s.I16(kIndent);
    left = s.I16(kLeft);
    right = s.I16(kRight);
    above = s.I16(kAbove);
    below = s.I16(kBelow);
    linkColour = s.I32(kLinkColour);
    linkSize = s.I16(kLinkSize);
    linkStyle = s.U8(kLinkStyle);
}

void HtmlState::TakeParagraph(const HtmlState& f) {
    align = f.align;
    listKind = f.listKind;
    lineHeight = f.lineHeight;
    indent = f.indent;
    left = f.left;
    right = f.right;
    above = f.above;
    below = f.below;
    styleNumber = f.styleNumber;
    classFlag = f.classFlag;
}

void HtmlState::TakeFont(const HtmlState& f) {
    colour = f.colour;
    face = f.face;
    size = f.size;
    styleBits = f.styleBits;
    linkColour = f.linkColour;
    linkSize = f.linkSize;
    linkStyle = f.linkStyle;
}

void HtmlReader::Push(int kind) {
    // Past the depth limit a start tag is read without a saved state; its end
    // tag then closes an outer element of its kind, as for a stray end tag.
    if (stack_.size() >= kMaxDepth) return;
    stack_.emplace_back(kind, cur_);
}

void HtmlReader::Close(int kind) {
    auto find = [&](auto accept) -> long {
        for (long k = long(stack_.size()) - 1; k >= 0; --k)
            if (accept(stack_[size_t(k)].first)) return k;
        return -1;
    };
    switch (kind) {
        case 0: {
            long k = find([](int e) { return e == 0; });
            if (k < 0) return;
            cur_ = stack_[size_t(k)].second;
            stack_.resize(size_t(k));
            return;
        }
        case 1: {
            long k = find([](int e) { return e <= 1; });
            if (k < 0 || stack_[size_t(k)].first != 1) return;
            cur_ = stack_[size_t(k)].second;
            stack_.resize(size_t(k));
            return;
        }
        case 2: {
            long k = find([](int e) { return e <= 2; });
            if (k < 0 || stack_[size_t(k)].first != 2) return;
            cur_.TakeParagraph(stack_[size_t(k)].second);
            stack_.erase(stack_.begin() + k);
            return;
        }
        default: {
            long k = find([&](int e) { return e <= 1 || e == kind; });
            if (k < 0 || stack_[size_t(k)].first != kind) return;
            const HtmlState& saved = stack_[size_t(k)].second;
            if (kind == 3) cur_.TakeFont(saved);
            else {
                cur_.size = saved.size;
                cur_.position = saved.position;
            }
            stack_.erase(stack_.begin() + k);
            return;
        }
    }
}

// --- writing ----------------------------------------------------------------------------------

std::string HtmlReader::FontTagText(const HtmlState& st) {
    Bytes colour;
    AppendColour(colour, st.colour);
    std::string t = "<Y c";
    t.append(colour.begin(), colour.end());
    t += ' ';
    if (!st.face.empty()) {
        t += "F\"";
        t += st.face;
        t += "\" ";
    }
    t += "s" + std::to_string(st.size) + " y" + std::to_string(st.styleBits) + " p" +
         std::to_string(st.position) + " >";
    return t;
}

void HtmlReader::WriteFontTag() {
    std::string tag = FontTagText(cur_);
    // A font tag that nothing follows yet is replaced: the look in force is
    // the one the next character takes.
    if (fontTagAt_ != std::string::npos && markup_.compare(fontTagAt_, 3, "<Y ") == 0 &&
        markup_.find('>', fontTagAt_) == markup_.size() - 1) {
        markup_.resize(fontTagAt_);
        fontInForce_ = fontBeforeTag_;
    }
    fontTagAt_ = std::string::npos;
    // A page this program exported states its fonts as runs of FONT, B, I
    // and U around the text; a font tag that changes nothing is not written.
    if (ownPage && tag == fontInForce_) return;
    fontBeforeTag_ = fontInForce_;
    fontTagAt_ = markup_.size();
    markup_ += tag;
    fontInForce_ = std::move(tag);
}

void HtmlReader::DropEndSpace() {
    if (endSpace_ == std::string::npos || !ownPage) return;
    // Only font tags (written by the run close) and a link's end may follow
    // the space.
    for (size_t k = endSpace_ + 1; k < markup_.size(); ++k) {
        if (markup_.compare(k, 3, "<%>") == 0) {
            k += 2;
            continue;
        }
        if (markup_.compare(k, 3, "<Y ") != 0) {
            endSpace_ = std::string::npos;
            return;
        }
        k = markup_.find('>', k);
        if (k == std::string::npos) break;
    }
    markup_.erase(endSpace_, 1);
    // The last cell of a table writes a line break before its space.
    if (endSpace_ > 0 && lineBreakBlank_ == endSpace_ - 1) markup_.erase(endSpace_ - 1, 1);
    endSpace_ = std::string::npos;
    fontTagAt_ = std::string::npos;
}

void HtmlReader::WriteParagraphTag(const std::string& items) {
    DropEndSpace();
    fontInForce_.clear();  // a paragraph's font is stated anew
    markup_ += "<Z S" + std::to_string(cur_.styleNumber) + " " + items + ">";
    counter_ = 0;
    lastBlank_ = false;
}

void HtmlReader::OpenParagraph() {
    WriteParagraphTag("A" + std::to_string(cur_.align) + " ");
    WriteFontTag();
}

THQVoggetto* HtmlReader::Store(std::unique_ptr<THQVoggetto>& o) {
    if (!o) return nullptr;
    if (!cache_) return THQVoggetto::Register(o, -1);
    const uint8_t kind = o->Kind();
    int32_t& slot = cache_->nextSlot[kind];
    const int32_t count = set_.ObjectCount(kind);
    while (slot < count) {
        THQVoggetto* there = set_.GetObject(kind, slot);
        if (there && there->IsFree()) break;
        ++slot;
    }
    THQVoggetto* reg = THQVoggetto::Register(o, slot);
    if (reg) slot = reg->Number() + 1;
    return reg;
}

void HtmlReader::WriteObjectTag(const THQVoggetto& o) {
    // An object stands in the paragraph that follows it.
    OpenPendingParagraph();
    uint8_t digits[8];
    WriteTagDigits(digits, uint32_t(o.Id()));
    markup_ += "<$";
    markup_.append(reinterpret_cast<const char*>(digits), 8);
    markup_ += ">";
    endSpace_ = std::string::npos;
    // In a page this program exported, a blank after a picture or another
    // object is the author's.
    if (ownPage && counter_ == 0) counter_ = 1;
}

// --- text ---------------------------------------------------------------------------------------

void HtmlReader::TakeChar(uint8_t c, bool blank) {
    OpenPendingParagraph();
    endSpace_ = std::string::npos;
    switch (c) {
        case '&': markup_ += "&amp;"; break;
        case '<': markup_ += "&lt;"; break;
        case '>': markup_ += "&gt;"; break;
        default: markup_ += char(c);
    }
    lastBlank_ = blank;
    if (++counter_ >= int64_t(kMaxParagraph)) OpenParagraph();
}

void HtmlReader::Text(uint8_t c) {
    ++i_;
    if (c == '\n' && pre_) {
        OpenParagraph();
        return;
    }
    // Outside PRE a line break or a TAB separates words as a blank does; a
    // paragraph does not start with a blank.
    const bool lineBreak = c == '\n';
    if (c == '\n' || c == '\t') c = ' ';
    if (c == ' ') {
        if (!pre_ && counter_ <= 0) return;
        if (!pre_ && lastBlank_) {
            if (++counter_ >= int64_t(kMaxParagraph)) OpenParagraph();
            return;
        }
        TakeChar(' ', true);
        if (lineBreak) lineBreakBlank_ = markup_.size() - 1;
        return;
    }
    if (c < 33) return;  // CR, TAB and the other control bytes
    TakeChar(c, false);
}

void HtmlReader::Escape() {
    const size_t at = i_;
    size_t next = at + 1;
    std::string text;
    size_t replaced = 0;
    if (d_[at + 1] == '#') {
        size_t j = at + 2;
        uint32_t cp = 0;
        bool hex = d_[j] == 'x' || d_[j] == 'X';
        if (hex) ++j;
        size_t start = j;
        while (j < n_ && j - start < 8 && (hex ? IsHex(d_[j]) : (d_[j] >= '0' && d_[j] <= '9')))
            cp = hex ? cp * 16 + uint32_t(HexValue(d_[j++])) : cp * 10 + uint32_t(d_[j++] - '0');
        if (j == start) {
            i_ = at + 1;
            Text(' ');
            return;
        }
        if (j < n_ && d_[j] == ';') ++j;
        next = j;
        text = CodePointText(cp, replaced);
    } else {
        bool found = false;
        for (const NamedChar& e : kMoreEntities) {
            const size_t len = std::strlen(e.name);
            if (at + 1 + len <= n_ && std::memcmp(d_ + at + 1, e.name, len) == 0 &&
                !std::isalnum(d_[at + 1 + len])) {
                next = at + 1 + len;
                if (d_[next] == ';') ++next;
                text = CodePointText(e.code, replaced);
                found = true;
                break;
            }
        }
        if (!found) {
            const uint8_t c = DecodeEntity(d_, at, n_, next);
            if (next <= at + 1 && c == ' ') {
                // An unknown entity reads as a blank; its name follows as text.
                i_ = at;
                Text(' ');
                return;
            }
            text.assign(1, char(c));
        }
    }
    i_ = std::max(next, at + 1);
    replacedChars += replaced;
    for (char ch : text) {
        const uint8_t c = uint8_t(ch);
        if (c == ' ') {
            const size_t keep = i_;
            Text(' ');
            i_ = keep;
        } else if (c == 160 && lastBlank_ && (counter_ > 0 || ownPage || extended)) {
            TakeChar(' ', true);
            endSpace_ = markup_.size() - 1;
        } else if (c == 160) {
            TakeChar(c, false);
            endSpace_ = markup_.size() - 1;
        } else if (c >= 32) {
            TakeChar(c, false);
        }
    }
}

// --- scanning -----------------------------------------------------------------------------------

size_t HtmlReader::TagEnd(size_t from) const {
    if (from >= n_) return n_;
    const void* gt = std::memchr(d_ + from, '>', n_ - from);
    return gt ? size_t(static_cast<const uint8_t*>(gt) - d_) : n_;
}

bool HtmlReader::MatchNoCase(size_t at, std::string_view word) const {
    if (at > n_ || word.size() > n_ - at) return false;
    for (size_t k = 0; k < word.size(); ++k)
        if (Up(d_[at + k]) != Up(uint8_t(word[k]))) return false;
    return true;
}

size_t HtmlReader::FindNoCase(size_t from, std::string_view needle) const {
    if (needle.empty()) return from;
    const uint8_t first = Up(uint8_t(needle[0]));
    const uint8_t alt = first >= 'A' && first <= 'Z' ? uint8_t(first + 32) : first;
    for (size_t k = from; k < n_;) {
        const void* a = std::memchr(d_ + k, first, n_ - k);
        const void* b = alt != first ? std::memchr(d_ + k, alt, n_ - k) : nullptr;
        size_t pa = a ? size_t(static_cast<const uint8_t*>(a) - d_) : n_;
        size_t pb = b ? size_t(static_cast<const uint8_t*>(b) - d_) : n_;
        size_t p = std::min(pa, pb);
        if (p >= n_) return std::string::npos;
        if (MatchNoCase(p, needle)) return p;
        k = p + 1;
    }
    return std::string::npos;
}

void HtmlReader::ReadAttributes(size_t from, size_t end) {
    ParseHtmlAttributes(d_ + std::min(from, end), d_ + end, attrs_);
}

fs::path HtmlReader::Resolve(std::string_view ref) const { return ResolveHtmlPath(folder_, ref); }

std::string HtmlReader::DecodedText(size_t from, size_t to) const {
    std::string out;
    size_t k = from;
    size_t replaced = 0;
    while (k < to) {
        const uint8_t c = d_[k];
        if (c == '&') {
            size_t next = k + 1;
            bool found = false;
            if (d_[k + 1] == '#') {
                size_t j = k + 2;
                bool hex = d_[j] == 'x' || d_[j] == 'X';
                if (hex) ++j;
                size_t start = j;
                uint32_t cp = 0;
                while (j < to && j - start < 8 && (hex ? IsHex(d_[j]) : (d_[j] >= '0' && d_[j] <= '9')))
                    cp = hex ? cp * 16 + uint32_t(HexValue(d_[j++])) : cp * 10 + uint32_t(d_[j++] - '0');
                if (j > start) {
                    if (j < to && d_[j] == ';') ++j;
                    out += CodePointText(cp, replaced);
                    k = j;
                    continue;
                }
            }
            for (const NamedChar& e : kMoreEntities) {
                const size_t len = std::strlen(e.name);
                if (k + 1 + len <= to && std::memcmp(d_ + k + 1, e.name, len) == 0) {
                    next = k + 1 + len;
                    if (next < to && d_[next] == ';') ++next;
                    out += CodePointText(e.code, replaced);
                    found = true;
                    break;
                }
            }
            if (!found) out += char(DecodeEntity(d_, k, to, next));
            k = std::max(next, k + 1);
            continue;
        }
        if (c >= 32) out += char(c);
        ++k;
    }
    return out;
}

// --- the step loop ------------------------------------------------------------------------------

HtmlReader::HtmlReader(THQVset& set, fs::path file, HtmlImportCache* cache)
    : set_(set), cache_(cache), file_(std::move(file)) {
    folder_ = file_.parent_path();
}

void HtmlReader::Read(std::string_view text, bool preview) {
    buffer_.reserve(text.size() + 20);
    buffer_.assign(text);
    buffer_.append(20, '\0');
    d_ = reinterpret_cast<const uint8_t*>(buffer_.data());
    n_ = text.size();
    i_ = 0;
    markup_.clear();
    markup_.reserve(text.size() + text.size() / 4 + 64);
    // A page this program exported is known before its head is read: the
    // head's META tags before the page marker are read as that page's.
    const size_t body = FindNoCase(0, "<body");
    const size_t marker = FindNoCase(0, "<!--pageovik");
    if (marker != std::string::npos && (body == std::string::npos || marker < body)) ownPage = true;
    while (i_ < n_ && d_[i_] != 0) {
        Step();
        if (preview && markup_.size() >= kPreviewLimit) break;
    }
}

void HtmlReader::Step() {
    const uint8_t c = d_[i_];
    if (script_) {
        // A body script runs to its end tag; what stands between is kept
        // whole, whatever "<" and ">" it holds.
        size_t close = FindNoCase(i_, "</script");
        size_t end = close == std::string::npos ? n_ : TagEnd(close);
        std::string text(reinterpret_cast<const char*>(d_ + scriptStart_),
                         std::min(end + 1, n_) - scriptStart_);
        text.insert(0, 4, '\0');  // int32 0, then the text
        Bytes wrapper(text.begin(), text.end());
        auto m = set_.NewObject(shortObj);
        m->SetState(11);
        m->SetWrapper(std::move(wrapper));
        if (THQVoggetto* reg = Store(m)) WriteObjectTag(*reg);
        script_ = false;
        i_ = std::min(end + 1, n_);
        return;
    }
    if (head_ || titleFlag_) {
        if (c == '<') HeadTag(i_);
        else ++i_;
        return;
    }
    if (c == '&') Escape();
    else if (c == '<') i_ = BodyTag(i_);
    else if (c == '>') ++i_;
    else Text(c);
}

std::string HtmlReader::FinalMarkup() {
    DropEndSpace();
    if (markup_.compare(0, 4, "<Z S") != 0) markup_.insert(0, "<Z S0 >");
    FlushTables();
    std::string markup = std::move(markup_);
    markup_.clear();
    CellPass(markup);
    return markup;
}

}  // namespace ovik
