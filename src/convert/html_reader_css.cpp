// Styles from HTML: the classes of a linked style sheet become paragraph
// styles (named by the comment line before each class), and STYLE attributes
// change the formatting in force.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "convert/html_reader.h"
#include "convert/hqv_to_html.h"
#include "convert/hqv_to_txt.h"
#include "core/codepage.h"
#include "document/hqv_set.h"
#include "document/style_record.h"
#include "text/text_attributes.h"

namespace ovik {

namespace fs = std::filesystem;

namespace {

// A style sheet larger than this is not a sheet this reader can use.
constexpr uintmax_t kMaxStyleSheet = 4u << 20;

std::string LowerAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    return r;
}

std::string_view Trim(std::string_view v) {
    while (!v.empty() && uint8_t(v.front()) <= 32) v.remove_prefix(1);
    while (!v.empty() && uint8_t(v.back()) <= 32) v.remove_suffix(1);
    return v;
}

// One declaration "name: value" split into the lower-case name and the value
// (case kept; surrounding blanks and one surrounding quote removed).
struct Declaration {
    std::string name;
    std::string value;
    std::string lowValue;
};

std::vector<Declaration> Declarations(std::string_view text) {
    std::vector<Declaration> out;
    size_t s = 0;
    while (s <= text.size()) {
        size_t e = text.find(';', s);
        if (e == std::string_view::npos) e = text.size();
        std::string_view d = Trim(text.substr(s, e - s));
        s = e + 1;
        const size_t colon = d.find(':');
        if (colon == std::string_view::npos) continue;
        Declaration decl;
        decl.name = LowerAscii(Trim(d.substr(0, colon)));
        std::string_view v = Trim(d.substr(colon + 1));
        if (!v.empty() && (v.front() == '"' || v.front() == '\'')) v.remove_prefix(1);
        if (!v.empty() && (v.back() == '"' || v.back() == '\'')) v.remove_suffix(1);
        decl.value = std::string(v);
        decl.lowValue = LowerAscii(v);
        out.push_back(std::move(decl));
    }
    return out;
}

// A CSS length in pixels: the number the value's digits, "-", "." and ","
// make (1 when they make none), in the first unit the value names
// (millimetres when it names none).
int32_t CssLength(std::string_view low, int32_t ppi) {
    std::string num;
    for (char c : low)
        if ((c >= '0' && c <= '9') || c == '-' || c == '.') num += c;
        else if (c == ',') num += '.';
    char* end = nullptr;
    double v = num.empty() ? 1.0 : std::strtod(num.c_str(), &end);
    if (num.empty() || end == num.c_str() || !std::isfinite(v)) v = 1.0;
    static const std::pair<const char*, uint8_t> units[] = {
        {"cm", umCentimetres}, {"mm", umMillimetres}, {"in", umInches},
        {"pt", umPoints},      {"pc", umPicas},       {"px", umPixels}};
    uint8_t unit = umMillimetres;
    size_t best = std::string_view::npos;
    for (auto& [name, u] : units) {
        size_t at = low.find(name);
        if (at < best) {
            best = at;
            unit = u;
        }
    }
    v = std::clamp(v, -30000.0, 30000.0);
    return std::clamp(UnitToPixels(v, unit, ppi), -32000, 32000);
}

// Points of a "font-size": the whole number before any "." or "," of a value
// in points; 10 otherwise.
int32_t CssPoints(std::string_view low) {
    if (low.find("pt") == std::string_view::npos) return 10;
    int32_t n = 0;
    bool any = false;
    for (char c : low) {
        if (c == '.' || c == ',') break;
        if (c >= '0' && c <= '9') {
            n = std::min(n * 10 + (c - '0'), 999);
            any = true;
        }
    }
    return any ? n : 10;
}

void StateToStyle(const HtmlState& s, THQVoggetto& o) {
    using namespace style_rec;
    o.SetStr(kFace, kFaceMax, s.face.substr(0, kFaceMax));
    o.SetI16(kSize, int16_t(s.size));
    o.SetI32(kColour, s.colour);
    o.SetU8(kStyle, s.styleBits);
    o.SetU8(kAlign, s.align);
    o.SetU8(kListKind, s.listKind);
    o.SetI16(kLineHeight, s.lineHeight);
    o.SetI16(kIndent, s.indent);
    o.SetI16(kLeft, s.left);
    o.SetI16(kRight, s.right);
    o.SetI16(kAbove, s.above);
    o.SetI16(kBelow, s.below);
    o.SetI32(kLinkColour, s.linkColour);
    o.SetI16(kLinkSize, s.linkSize);
    o.SetU8(kLinkStyle, s.linkStyle);
}

}  // namespace

void HtmlReader::ApplyParagraphCss(std::string_view text, HtmlState& s) const {
    const int32_t ppi = set_.ScreenPixelsPerInch;
    for (const Declaration& d : Declarations(text)) {
        const std::string& n = d.name;
        const std::string& v = d.lowValue;
        if (n == "font-family") {
            std::string face = d.value.substr(0, d.value.find(','));
            face = std::string(Trim(face));
            if (!face.empty() && (face.front() == '"' || face.front() == '\'')) face.erase(0, 1);
            if (!face.empty() && (face.back() == '"' || face.back() == '\'')) face.pop_back();
            s.face = face.substr(0, 32);
        } else if (n == "font-size") {
            s.size = CssPoints(v);
        } else if (n == "color") {
            if (!v.empty() && v[0] == '#') s.colour = HtmlColour(v, s.colour);
        } else if (n == "font-style") {
            if (v == "italic") s.styleBits |= kHtmlItalic;
            else if (v == "normal") s.styleBits &= uint8_t(~kHtmlItalic);
        } else if (n == "font-weight") {
            if (v == "bold") s.styleBits |= kHtmlBold;
            else if (v == "normal") s.styleBits &= uint8_t(~kHtmlBold);
        } else if (n == "text-decoration") {
            if (v == "underline") s.styleBits = uint8_t((s.styleBits | kHtmlUnderline) & ~kHtmlStrike);
            else if (v == "line-through") s.styleBits = uint8_t((s.styleBits | kHtmlStrike) & ~kHtmlUnderline);
        } else if (n == "line-height") {
            s.lineHeight = int16_t(CssLength(v, ppi));
        } else if (n == "margin-left") {
            s.left = int16_t(CssLength(v, ppi));
        } else if (n == "margin-right") {
            s.right = int16_t(CssLength(v, ppi));
        } else if (n == "margin-top") {
            s.above = int16_t(CssLength(v, ppi));
        } else if (n == "margin-bottom") {
            s.below = int16_t(CssLength(v, ppi));
        } else if (n == "text-indent") {
            s.indent = int16_t(CssLength(v, ppi));
        } else if (n == "text-align") {
            if (v == "left") s.align = 0;
            else if (v == "right") s.align = 1;
            else if (v == "center") s.align = 2;
            else if (v == "justify") s.align = 3;
        } else if (n == "list-style-type") {
            if (v == "disc") s.listKind = 10;
            else if (v == "decimal") s.listKind = 6;
            else if (v == "none") s.listKind = 0;
        }
    }
}

void HtmlReader::ApplyLinkCss(std::string_view text, HtmlState& s) const {
    for (const Declaration& d : Declarations(text)) {
        const std::string& v = d.lowValue;
        if (d.name == "font-size") s.linkSize = int16_t(CssPoints(v));
        else if (d.name == "color") {
            if (!v.empty() && v[0] == '#') s.linkColour = HtmlColour(v, s.linkColour);
        } else if (d.name == "font-style") {
            if (v == "italic") s.linkStyle |= kHtmlItalic;
            else if (v == "normal") s.linkStyle &= uint8_t(~kHtmlItalic);
        } else if (d.name == "font-weight") {
            if (v == "bold") s.linkStyle |= kHtmlBold;
            else if (v == "normal") s.linkStyle &= uint8_t(~kHtmlBold);
        } else if (d.name == "text-decoration") {
            if (v == "none") s.linkStyle &= uint8_t(~(kHtmlUnderline | kHtmlStrike));
            else if (v == "underline") s.linkStyle = uint8_t((s.linkStyle | kHtmlUnderline) & ~kHtmlStrike);
            else if (v == "line-through") s.linkStyle = uint8_t((s.linkStyle | kHtmlStrike) & ~kHtmlUnderline);
        }
    }
}

void HtmlReader::RegisterClassStyle(const std::string& cls, const std::string& name,
                                    std::unique_ptr<THQVoggetto> style) {
    // A class without a name comment gives no style: its paragraphs take
    // style 0, as an unknown class does.
    if (!style || name.empty()) return;
    style->SetName(name.substr(0, style_rec::kNameMax));
    const int32_t ppi = set_.ScreenPixelsPerInch;
    // The sheet writes lengths rounded to whole units, so a style read back
    // may differ from the one written by a pixel. A style of the set with the
    // class's name that the sheet describes exactly is that style; the files of
    // one import that share a sheet share the style it gives.
    const std::string key = name + '\n' + StyleCssText(*style, ppi, 5);
    THQVoggetto* result = nullptr;
    if (cache_) {
        auto it = cache_->styles.find(key);
        if (it != cache_->styles.end() && !it->second->IsFree()) result = it->second;
    }
    if (!result) {
        THQVoggetto* named = set_.FindStyle(name);
        if (named) {
            const int unit = StyleValue(named, Attr::Unit);
            if (StyleCssText(*named, ppi, unit) == StyleCssText(*style, ppi, unit)) result = named;
        }
    }
    if (!result) {
        THQVoggetto* found = set_.FindEqualObject(*style);
        if (found && !cp1252::EqualNoCase(name, found->Name()))
            if (THQVoggetto* named = set_.FindStyle(name)) found = named;
        result = found;
    }
    if (!result) {
        style->SetName(set_.UniqueStyleName(name).substr(0, style_rec::kNameMax));
        result = Store(style);
    }
    if (!result) return;
    if (cache_) cache_->styles[key] = result;
    classMap_[LowerAscii(cls)] = result;
}

void HtmlReader::StyleSheet() {
    if (cp1252::Upper(attrs_.Value("REL")) != "STYLESHEET") return;
    const std::string* href = attrs_.Find("HREF");
    if (!href) return;
    const fs::path file = Resolve(*href);
    std::error_code ec;
    if (file.empty() || !fs::is_regular_file(file, ec) || fs::file_size(file, ec) > kMaxStyleSheet) return;
    std::string text;
    if (!ReadWholeFile(file, text)) return;
    std::vector<std::string_view> lines;
    for (size_t s = 0; s < text.size();) {
        size_t e = text.find('\n', s);
        if (e == std::string::npos) e = text.size();
        std::string_view line(text.data() + s, e - s);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        s = e + 1;
    }
    // The declarations of the block that opens on line `k` (from after its
    // "{" to the next "}"); `k` ends on the block's last line.
    auto block = [&](size_t& k) {
        std::string out;
        size_t at = lines[k].find('{');
        std::string_view rest = at == std::string_view::npos ? std::string_view() : lines[k].substr(at + 1);
        while (true) {
            size_t close = rest.find('}');
            if (close != std::string_view::npos) {
                out.append(rest.substr(0, close));
                return out;
            }
            out.append(rest);
            out += ' ';
            if (++k >= lines.size()) return out;
            rest = lines[k];
        }
    };
    auto className = [](std::string_view line, size_t from) {
        size_t e = line.find_first_of(" \t{", from);
        return std::string(line.substr(from, e == std::string_view::npos ? std::string_view::npos : e - from));
    };
    std::string name, divName, cls;
    std::unique_ptr<THQVoggetto> style;
    HtmlState values;
    for (size_t k = 1; k < lines.size(); ++k) {
        std::string_view line = lines[k];
        if (line.substr(0, 2) == "/*") {
            name = line.size() >= 6 ? std::string(line.substr(3, line.size() - 6)) : std::string();
        } else if (line.substr(0, 4) == "DIV.") {
            if (style) RegisterClassStyle(cls, divName, std::move(style));
            cls = className(line, 4);
            divName = name;
            name.clear();  // a name comment names the next class only
            style = set_.NewObject(stileParagrafo);  // a new style's defaults
            values = HtmlState();
            values.TakeStyle(*style);
            ApplyParagraphCss(block(k), values);
            StateToStyle(values, *style);
        } else if (line.substr(0, 2) == "A.") {
            const std::string linkClass = className(line, 2);
            std::string decls = block(k);
            if (style && linkClass == cls) {
                ApplyLinkCss(decls, values);
                StateToStyle(values, *style);
                RegisterClassStyle(cls, divName, std::move(style));
            }
        }
    }
    if (style) RegisterClassStyle(cls, divName, std::move(style));
}

std::string HtmlReader::DivStyleItems(const std::string& css) {
    HtmlState s = cur_;
    ApplyParagraphCss(css, s);
    std::string items;
    auto item = [&](char key, int32_t a, int32_t b) {
        if (a != b) items += key + std::to_string(b) + " ";
    };
    item('A', cur_.align, s.align);
    item('N', cur_.listKind, s.listKind);
    item('L', cur_.lineHeight, s.lineHeight);
    item('I', cur_.indent, s.indent);
    item('l', cur_.left, s.left);
    item('r', cur_.right, s.right);
    item('t', cur_.above, s.above);
    item('b', cur_.below, s.below);
    cur_ = s;
    return items;
}

void HtmlReader::StyleTable(size_t lt) {
    // A style table of the extended markers runs to a line that begins with
    // ">"; its styles are not read (this system writes no such tables).
    size_t k = lt;
    while (k < n_) {
        const void* lf = std::memchr(d_ + k, '\n', n_ - k);
        if (!lf) {
            k = n_;
            break;
        }
        k = size_t(static_cast<const uint8_t*>(lf) - d_) + 1;
        if (k < n_ && d_[k] == '>') {
            k = std::min(TagEnd(k) + 1, n_);
            break;
        }
    }
    i_ = k;
}

}  // namespace ovik
