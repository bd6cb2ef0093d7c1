// Form elements and embedded programs of an HTML file: INPUT, SELECT with its
// OPTIONs, TEXTAREA, FORM and EMBED.
#include <algorithm>

#include "convert/html_reader.h"
#include "document/hqv_set.h"

namespace ovik {

namespace fs = std::filesystem;

namespace {

std::string LowerAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    return r;
}

// The text of a list item as the list keeps it: quotes become typographic
// ones, the bytes that would break its lines or tags become blanks.
std::string ItemText(std::string_view s) {
    std::string r;
    for (char ch : s) {
        const uint8_t c = uint8_t(ch);
        if (c == '"') r += char(148);
        else if (c == '\'') r += char(146);
        else if (c < 32 || c == '#' || c == '$' || c == '%' || c == '&' || c == '<' || c == '>' || c == 127)
            r += ' ';
        else r += ch;
    }
    return r;
}

uint8_t Byte(int32_t v) { return uint8_t(std::clamp(v, 0, 255)); }

}  // namespace

void HtmlReader::Input() {
    const std::string type = LowerAscii(attrs_.Value("TYPE"));
    static const std::pair<const char*, uint8_t> fields[] = {
        {"", 1}, {"edit", 1}, {"text", 1}, {"int", 1}, {"password", 2},
        {"file", 3}, {"hidden", 5}, {"radio", 6}, {"checkbox", 7}};
    for (auto& [name, subtype] : fields) {
        if (type != name) continue;
        auto o = set_.NewObject(inputStat);
        o->SetState(subtype);
        o->SetStr(17, 79, attrs_.Value("NAME").substr(0, 79));
        o->SetStr(97, 79, attrs_.Value("VALUE").substr(0, 79));
        o->SetU8(179, Byte(HtmlNumber(attrs_.Value("SIZE"), 20)));
        o->SetU8(181, attrs_.Has("CHECKED") ? 1 : 0);
        if (THQVoggetto* reg = Store(o)) WriteObjectTag(*reg);
        return;
    }
    uint8_t subtype = type == "submit" ? 1 : type == "reset" ? 3 : type == "image" ? 2 : 0;
    if (subtype == 0) return;
    auto b = set_.NewObject(bottoneCGI);
    b->SetState(subtype);
    b->SetStr(17, 79, attrs_.Value("NAME").substr(0, 79));
    std::string value = attrs_.Value("VALUE");
    if (value.empty() && subtype == 1) value = "Submit";
    if (value.empty() && subtype == 3) value = "Reset";
    b->SetStr(97, 79, value.substr(0, 79));
    b->SetI32(181, -1);
    b->SetI32(177, -1);
    if (subtype == 2) {
        const std::string src = attrs_.Value("SRC");
        fs::path p = src.empty() ? fs::path() : Resolve(src);
        if (THQVoggetto* pic = p.empty() ? nullptr : set_.AddPictureFile(p)) b->SetI32(177, pic->Number());
        b->SetI16(190, int16_t(std::clamp(HtmlNumber(attrs_.Value("WIDTH"), 100), 0, 32767)));
        b->SetI16(192, int16_t(std::clamp(HtmlNumber(attrs_.Value("HEIGHT"), 100), 0, 32767)));
    }
    if (THQVoggetto* reg = Store(b)) WriteObjectTag(*reg);
}

size_t HtmlReader::Select(size_t end) {
    const int32_t size = HtmlNumber(attrs_.Value("SIZE"), 1);
    auto o = set_.NewObject(inputStat);
    o->SetState(size == 1 ? 9 : 8);
    o->SetStr(17, 79, attrs_.Value("NAME").substr(0, 79));
    o->SetU8(182, attrs_.Has("MULTIPLE") ? 1 : 0);
    o->SetU8(179, Byte(size));
    const size_t close = FindNoCase(end, "</select");
    const size_t stop = close == std::string::npos ? n_ : close;
    std::string items;
    int32_t count = 0;
    size_t k = std::min(end + 1, n_);
    while (k < stop) {
        const size_t opt = FindNoCase(k, "<option");
        if (opt == std::string::npos || opt >= stop) break;
        const size_t e = TagEnd(opt);
        ReadAttributes(opt + 7, e);
        size_t t = std::min(e + 1, n_), te = t;
        std::string text;
        while (te < stop && d_[te] != '<') {
            if (d_[te] >= 32) text += char(d_[te]);
            ++te;
        }
        items += ItemText(text) + "\n" + ItemText(attrs_.Value("VALUE")) + "\n" +
                 (attrs_.Has("SELECTED") ? "X" : "") + "\n";
        ++count;
        k = te > t ? te : t;
        if (k <= opt) k = opt + 1;
    }
    o->SetU8(178, Byte(count));
    o->SetContent(Bytes(items.begin(), items.end()));
    if (THQVoggetto* reg = Store(o)) WriteObjectTag(*reg);
    return close == std::string::npos ? n_ : std::min(TagEnd(close) + 1, n_);
}

size_t HtmlReader::TextArea(size_t end) {
    auto o = set_.NewObject(inputStat);
    o->SetState(4);
    o->SetU8(177, Byte(HtmlNumber(attrs_.Value("COLS"), 40)));
    o->SetU8(178, Byte(HtmlNumber(attrs_.Value("ROWS"), 8)));
    o->SetStr(17, 79, attrs_.Value("NAME").substr(0, 79));
    const size_t close = FindNoCase(end, "</textarea");
    const size_t stop = close == std::string::npos ? n_ : close;
    std::string text;
    bool tag = false;
    for (size_t k = std::min(end + 1, n_); k < stop; ++k) {
        const uint8_t c = d_[k];
        if (c == '<') tag = true;
        else if (c == '>' && tag) tag = false;
        else if (!tag && (c >= 32 || c == '\t' || c == '\r' || c == '\n')) text += char(c);
    }
    o->SetContent(Bytes(text.begin(), text.end()));
    if (THQVoggetto* reg = Store(o)) WriteObjectTag(*reg);
    return close == std::string::npos ? n_ : std::min(TagEnd(close) + 1, n_);
}

void HtmlReader::Form() {
    auto o = set_.NewObject(inizioForm);
    uint8_t subtype = 1;
    if (const std::string* m = attrs_.Find("METHOD")) {
        const std::string low = LowerAscii(*m);
        if (low == "post") subtype = 2;
        else if (low == "get") subtype = 1;
    } else {
        subtype = 2;
    }
    std::string action = attrs_.Value("ACTION");
    if (action.rfind("mailto:", 0) == 0) {
        // A form sent by mail keeps the address alone.
        subtype = 4;
        action.erase(0, 7);
    }
    o->SetState(subtype);
    o->SetStr(17, 255, action.substr(0, 255));
    const std::string* enc = attrs_.Find("ENCTYPE");
    o->SetU8(273, enc ? 1 : 0);
    o->SetStr(276, 79, enc ? enc->substr(0, 79) : std::string());
    if (THQVoggetto* reg = Store(o)) WriteObjectTag(*reg);
}

size_t HtmlReader::Embed(size_t end) {
    const size_t close = FindNoCase(end, "</embed");
    std::string text;
    if (close != std::string::npos) {
        bool tag = false;
        for (size_t k = std::min(end + 1, n_); k < close; ++k) {
            const uint8_t c = d_[k];
            if (c == '<') tag = true;
            else if (c == '>' && tag) tag = false;
            else if (!tag) text += char(c);
        }
    }
    auto o = set_.NewObject(multiMedia);
    o->SetState(5);
    text.insert(0, 4, '\0');  // int32 0, then the text
    Bytes wrapper(text.begin(), text.end());
    o->SetWrapper(std::move(wrapper));
    if (THQVoggetto* reg = Store(o)) WriteObjectTag(*reg);
    return close == std::string::npos ? std::min(end + 1, n_) : std::min(TagEnd(close) + 1, n_);
}

}  // namespace ovik
