// The content of one page as HTML: the BODY tag, then the page's box markup
// walked tag by tag, with the placed objects written from their records.
//
// The markup's item grammar is read here directly (rather than through the
// text model's reader) because the writer needs the items in the order they
// come, not the paragraph model they build, and must never lay anything out.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "convert/hqv_to_html.h"
#include "core/codepage.h"
#include "core/file_names.h"
#include "document/format1.h"
#include "document/hqv_set.h"
#include "document/style_record.h"
#include "links/link_objects.h"
#include "links/navigation.h"
#include "page/page_record.h"
#include "text/hqv_box.h"
#include "text/text_attributes.h"

namespace ovik {

namespace {

struct HFont {
    std::string name = "Times New Roman";
    int32_t size = 12;
    int32_t colour = 0;
    uint8_t style = 0;  // 1 bold, 2 italic, 4 underline, 8 strike-through
    uint8_t position = 0;

    bool Bold() const { return style & 1; }
    bool Italic() const { return style & 2; }
    // Equal as a FONT tag writes them (the position is written apart).
    bool SameFace(const HFont& o) const {
        return size == o.size && colour == o.colour && style == o.style && name == o.name;
    }
};

// The formatting state: what the output has in force.
struct HState {
    HFont font;
    uint8_t align = 0;
    uint8_t list = 0;
    bool fontOpen = false;
};

const char* const kAlignNames[4] = {"left", "right", "center", "justify"};
const char* const kUnitNames[6] = {"cm", "mm", "in", "pt", "pc", "px"};

std::string Num(int64_t v) { return std::to_string(v); }

std::string Hex6(int32_t n) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%06x", uint32_t(n) & 0xFFFFFFu);
    return buf;
}

// Items of a paragraph or font tag, in the order they come.
struct Item {
    char key;
    std::string value;
};

// Reads the items of the tag whose items start at p[i] up to its ">" (or n).
// Returns the position after the ">".
size_t ReadItems(const uint8_t* p, size_t n, size_t i, std::vector<Item>& items) {
    items.clear();
    while (i < n && p[i] != '>') {
        if (p[i] == ' ') {
            ++i;
            continue;
        }
        Item it{char(p[i]), {}};
        ++i;
        if (it.key == 'F' && i < n && p[i] == '"') {
            ++i;
            while (i < n && p[i] != '"' && p[i] != '>') it.value += char(p[i++]);
            if (i < n && p[i] == '"') ++i;
        } else {
            while (i < n && p[i] != ' ' && p[i] != '>') it.value += char(p[i++]);
        }
        items.push_back(std::move(it));
    }
    return i < n ? i + 1 : n;
}

int32_t ItemNumber(const std::string& v) {
    if (v.empty() || v.size() > 11) return 0;
    char* end = nullptr;
    long long x = std::strtoll(v.c_str(), &end, 10);
    if (*end) return 0;
    return int32_t(std::max<long long>(INT32_MIN, std::min<long long>(INT32_MAX, x)));
}

int32_t ItemColour(const std::string& v) {
    uint32_t c = 0;
    for (size_t k = 0; k < 6; ++k) {
        int d = 0;
        if (k < v.size()) {
            char ch = v[k];
            if (ch >= '0' && ch <= '9') d = ch - '0';
            else if (ch >= 'a' && ch <= 'f') d = ch - 'a' + 10;
            else if (ch >= 'A' && ch <= 'F') d = ch - 'A' + 10;
        }
        c |= uint32_t(d) << (8 * (k / 2) + (k % 2 == 0 ? 4 : 0));
    }
    return int32_t(c);
}

// Applies a font item to a font; false when the key is not a font item.
bool ApplyFontItem(HFont& f, const Item& it) {
    switch (it.key) {
        case 'c': f.colour = ItemColour(it.value); return true;
        case 'F':
            if (!it.value.empty()) f.name = it.value.substr(0, kMarkupFaceMax);
            return true;
        case 's': f.size = ItemNumber(it.value); return true;
        case 'i': f.style = uint8_t(ItemNumber(it.value) == 1 ? (f.style | 2) : (f.style & ~2)); return true;
        case 'g': f.style = uint8_t(ItemNumber(it.value) == 1 ? (f.style | 1) : (f.style & ~1)); return true;
        case 'y': f.style = uint8_t((f.style & ~0xF) | (ItemNumber(it.value) & 0xF)); return true;
        case 'p': f.position = uint8_t(ItemNumber(it.value) & 0x7F); return true;
        default: return false;
    }
}

HFont StyleFont(const THQVoggetto* style) {
    HFont f;
    f.name = StyleFace(style);
    f.size = StyleValue(style, Attr::Size);
    f.colour = StyleValue(style, Attr::Colour);
    f.style = uint8_t(StyleValue(style, Attr::Style));
    f.position = uint8_t(StyleValue(style, Attr::Position));
    return f;
}

// A short string of a record; a field never written (its length byte
// beyond the field) is empty.
std::string StrField(const THQVoggetto& o, size_t off, size_t max) {
    return o.U8(off) > max ? std::string() : o.Str(off, max);
}

// The extra HTML of an object: after its wrapper's int32 n and n bytes.
std::string ExtraHtml(const THQVoggetto& o) {
    const Bytes* w = o.Wrapper();
    if (!w || w->size() < 4) return {};
    int64_t n = GetI32(w->data());
    if (n < 0 || uint64_t(n) > w->size() - 4) return {};
    std::string text(w->begin() + 4 + n, w->end());
    if (auto z = text.find('\0'); z != std::string::npos) text.resize(z);
    return text;
}

}  // namespace

// One call of WriteBody: the writer context of one page's content.
class HtmlContentWriter {
public:
    HtmlContentWriter(THQVtoHtml& conv, std::string& out, HtmlPageLists& lists, THQVtesto& page, int fileMode)
        : c_(conv), set_(*conv.LinkedHQVset), out_(out), lists_(lists), page_(page), fileMode_(fileMode) {}

    void BodyTag();
    void Content();
    std::string ExtraText(const THQVoggetto& owner, std::string_view text);

private:
    // --- formatting ---
    std::string FontTag(const HFont& f, const HFont& ref) const;
    void PendingFontChange();
    void RunClose();
    void ParagraphClose();
    void ParagraphStart(const uint8_t* p, size_t n, size_t& i);
    void FontTagItems(const uint8_t* p, size_t n, size_t& i);
    void Char(uint8_t ch);
    std::string UnitLength(int32_t px, uint8_t unit) const;

    // --- objects ---
    void Object(THQVoggetto& o);
    void StartLink(THQVoggetto& target);
    std::string LinkStart(THQVoggetto& target);
    std::string LinkStyleText() const;
    std::string Href(THQVoggetto& target);
    std::string File(const THQVoggetto* o, int mode) { return o ? c_.ExportNameOf(o, mode) : std::string(); }
    std::string FileOfPage(THQVoggetto* o, bool secondary);
    std::string WindowOpen(THQVoggetto& special, int t, bool withFeatures = true);
    std::string FeaturesText(THQVoggetto& special);
    THQVoggetto* SpecialTarget(THQVoggetto& special);
    std::string OnClick(THQVoggetto& target);
    void Marker(THQVoggetto& o);
    void TableStart(THQVoggetto& t);
    void CellBoundary();
    std::string BackgroundText(int32_t v);
    void Picture(THQVoggetto& o);
    void FormElement(THQVoggetto& o);
    void Button(THQVoggetto& o);
    void FormStart(THQVoggetto& o);
    void Multimedia(THQVoggetto& o);
    std::string SizeUnit(const THQVoggetto& o) const;
    THQVoggetto* PictureByNumber(int32_t n) const {
        if (n < 0) return nullptr;
        THQVoggetto* o = set_.GetObject(immagine, n & 0xFFFFFF);
        return o && !o->IsFree() ? o : nullptr;
    }
    THQVoggetto* ById(int32_t id) const {
        if (id < 0) return nullptr;
        THQVoggetto* o = c_.ResolveId(id);
        return o && !o->IsFree() ? o : nullptr;
    }

    THQVtoHtml& c_;
    THQVset& set_;
    std::string& out_;
    HtmlPageLists& lists_;
    THQVtesto& page_;
    int fileMode_;

    std::vector<HState> stack_;
    HState st_;
    HFont paraFont_, cur_;
    bool pending_ = false;
    int32_t styleNumber_ = 0;
    int32_t linkColour_ = 0xFF0000, linkSize_ = -1;
    uint8_t linkStyle_ = 4;
    int32_t styleLinkColour_ = 0xFF0000, styleLinkSize_ = -1;
    uint8_t styleLinkStyle_ = 4;
    THQVoggetto* openLink_ = nullptr;
    int32_t listCounter_ = 1;
    int32_t formCounter_ = 0;
    bool paragraphOpen_ = false;
    bool prevSpace_ = false;
    struct OpenTable {
        THQVoggetto* table;
        int32_t started;
    };
    std::vector<OpenTable> tables_;
    // The FONT tags written last, by font and paragraph font: a page switches
    // between a few fonts many times.
    struct MadeTag {
        HFont f, r;
        std::string tag;
    };
    std::vector<MadeTag> madeTags_;
    const std::string& CachedFontTag(const HFont& f, const HFont& r);
};

// --- formatting ---------------------------------------------------------------------------

std::string HtmlContentWriter::FontTag(const HFont& f, const HFont& r) const {
    std::string old;
    const bool plainDefault = f.size == 12 && f.colour == 0 && cp1252::EqualNoCase(f.name, "Times New Roman");
    if (!plainDefault) {
        if (f.size != 12) {
            static const int32_t sizes[7] = {8, 10, 12, 14, 19, 27, 34};
            static const char* texts[7] = {"-2", "-1", "+0", "+1", "+2", "+3", "+4"};
            int k = 0;
            while (k < 6 && sizes[k] < f.size) ++k;
            old += std::string(" SIZE=") + texts[k];
        }
        if (f.colour != 0) old += " COLOR=#" + html::ColourText(f.colour);
        if (!cp1252::EqualNoCase(f.name, "TIMES NEW ROMAN")) old += " FACE=\"" + html::AttributeText(f.name) + "\"";
    }
    std::string style;
    if ((f.colour & 0xFFFFFF) != (r.colour & 0xFFFFFF)) style += "color:#" + html::ColourText(f.colour) + ";";
    if (f.name != r.name) style += "font-family:\"" + html::AttributeText(f.name) + "\";";
    // Sizes above the largest step keep their exact size in the style text.
    if (f.size != r.size || f.size > 34) style += "font-size:" + Num(f.size) + "pt;";
    if ((f.style & 0xF) != (r.style & 0xF)) {
        if (r.Bold() && !f.Bold()) style += "font-weight:normal;";
        if (r.Italic() && !f.Italic()) style += "font-style:normal;";
        if ((f.style & 0xC) != (r.style & 0xC)) {
            if (f.style & 4) style += "text-decoration:underline;";
            else if (f.style & 8) style += "text-decoration:line-through;";
            else style += "text-decoration:normal;";
        }
    }
    if (old.empty() && style.empty()) return {};
    std::string t = "<FONT";
    if (!style.empty()) t += " style='" + style + "'";
    return t + old + ">";
}

const std::string& HtmlContentWriter::CachedFontTag(const HFont& f, const HFont& r) {
    for (const MadeTag& m : madeTags_)
        if (m.f.SameFace(f) && m.r.SameFace(r)) return m.tag;
    if (madeTags_.size() == 8) madeTags_.erase(madeTags_.begin());
    madeTags_.push_back({f, r, FontTag(f, r)});
    return madeTags_.back().tag;
}

void HtmlContentWriter::PendingFontChange() {
    if (!pending_) return;
    HFont& S = st_.font;
    const HFont& F = cur_;
    const bool changed = F.colour != S.colour || F.name != S.name || F.size != S.size || F.style != S.style;
    const std::string& T = CachedFontTag(F, paraFont_);
    const bool incremental = T.empty() && !(changed && st_.fontOpen);
    if (incremental) {
        if (S.Italic() && !F.Italic()) out_ += "</I>";
        if (S.Bold() && !F.Bold()) out_ += "</B>";
        if (F.position == 1 && S.position == 2) out_ += "</SUP>";
        if (F.position == 2 && S.position == 1) out_ += "</SUB>";
        if (F.position == 0 && S.position == 1) out_ += "</SUB>";
        if (F.position == 0 && S.position == 2) out_ += "</SUP>";
    } else {
        if (S.Italic()) out_ += "</I>";
        if (S.Bold()) out_ += "</B>";
        if (S.position == 1) out_ += "</SUB>";
        if (S.position == 2) out_ += "</SUP>";
    }
    if (changed) {
        if (st_.fontOpen) {
            out_ += "</FONT>";
            st_.fontOpen = false;
        }
        if (!T.empty()) {
            out_ += T;
            st_.fontOpen = true;
        }
    }
    if (incremental) {
        if (F.Bold() && !S.Bold()) out_ += "<B>";
        if (F.Italic() && !S.Italic()) out_ += "<I>";
        if (F.position == 1 && S.position != 1) out_ += "<SUB>";
        if (F.position == 2 && S.position != 2) out_ += "<SUP>";
    } else {
        if (F.Bold()) out_ += "<B>";
        if (F.Italic()) out_ += "<I>";
        if (F.position == 1) out_ += "<SUB>";
        if (F.position == 2) out_ += "<SUP>";
    }
    S = F;
    pending_ = false;
}

void HtmlContentWriter::RunClose() {
    if (st_.font.Italic()) out_ += "</I>";
    if (st_.font.Bold()) out_ += "</B>";
    if (st_.font.position == 1) out_ += "</SUB>";
    if (st_.font.position == 2) out_ += "</SUP>";
    if (st_.fontOpen) out_ += "</FONT>";
    // What was closed is no longer in force.
    st_.fontOpen = false;
    st_.font.style &= uint8_t(~3);
    st_.font.position = 0;
}

void HtmlContentWriter::ParagraphClose() {
    if (st_.list != 0) out_ += "</LI>";
    out_ += "</DIV>\r\n";
}

std::string HtmlContentWriter::UnitLength(int32_t px, uint8_t unit) const {
    if (unit > 5) unit = 5;
    double v = PixelsToUnit(px, unit, set_.ScreenPixelsPerInch);
    return Num(std::llround(v)) + kUnitNames[unit];
}

void HtmlContentWriter::ParagraphStart(const uint8_t* p, size_t n, size_t& i) {
    // "<Z S" n " " items ">"
    size_t j = i + 2;
    while (j < n && p[j] == ' ') ++j;
    if (j < n && p[j] == 'S') ++j;
    std::string num;
    while (j < n && p[j] != ' ' && p[j] != '>') num += char(p[j++]);
    std::vector<Item> items;
    i = ReadItems(p, n, j, items);
    styleNumber_ = ItemNumber(num);
    THQVoggetto* style = set_.GetObject(stileParagrafo, styleNumber_);
    if (style && style->IsFree()) style = nullptr;
    if (style) {
        paraFont_ = StyleFont(style);
        styleLinkColour_ = linkColour_ = StyleValue(style, Attr::LinkColour);
        styleLinkSize_ = linkSize_ = StyleValue(style, Attr::LinkSize);
        styleLinkStyle_ = linkStyle_ = uint8_t(StyleValue(style, Attr::LinkStyle));
    } else {
        linkColour_ = styleLinkColour_;
        linkSize_ = styleLinkSize_;
        linkStyle_ = styleLinkStyle_;
    }
    cur_ = paraFont_;
    if (paragraphOpen_) {
        out_ += "&nbsp;";
        RunClose();
        ParagraphClose();
    }
    out_ += "<DIV";
    for (const Item& it : items) ApplyFontItem(cur_, it);
    st_.align = uint8_t(StyleValue(style, Attr::Align));
    st_.list = uint8_t(StyleValue(style, Attr::ListKind));
    uint8_t unit = uint8_t(StyleValue(style, Attr::Unit));
    st_.font = cur_;
    std::string styleText;
    const bool css = c_.ExpCSS == ecUseCSS;
    bool alignDone = false;
    auto alignAttr = [&] {
        if (alignDone) return;
        alignDone = true;
        if (st_.align != 0 && st_.align < 4) out_ += std::string(" ALIGN=") + kAlignNames[st_.align];
    };
    for (const Item& it : items) {
        int32_t v = 0;
        switch (it.key) {
            case 'A':
                st_.align = uint8_t(ItemNumber(it.value) & 0x7F);
                if (css && st_.align < 4) styleText += std::string("text-align: ") + kAlignNames[st_.align] + ";";
                alignAttr();
                break;
            case 'N':
                alignAttr();
                st_.list = uint8_t(ItemNumber(it.value) & 0x7F);
                if (css)
                    styleText += st_.list == 6    ? "list-style-type:decimal;"
                                 : st_.list == 10 ? "list-style-type:disc;"
                                                  : "list-style-type:none;";
                break;
            case 'M':
                alignAttr();
                unit = uint8_t(ItemNumber(it.value) & 0x7F);
                break;
            case 'L':
            case 'I':
            case 'l':
            case 'r':
            case 't':
            case 'b': {
                alignAttr();
                v = ItemNumber(it.value);
                const char* name = it.key == 'L'   ? "line-height: "
                                   : it.key == 'I' ? "text-indent: "
                                   : it.key == 'l' ? "margin-left: "
                                   : it.key == 'r' ? "margin-right: "
                                   : it.key == 't' ? "margin-top: "
                                                   : "margin-bottom: ";
                if (css) styleText += name + UnitLength(v, unit) + ";";
                break;
            }
            case 'C':
                alignAttr();
                linkColour_ = ItemColour(it.value);
                break;
            case 'S':
                alignAttr();
                linkSize_ = ItemNumber(it.value);
                break;
            case 'Y':
                alignAttr();
                linkStyle_ = uint8_t(linkStyle_ | (ItemNumber(it.value) & 7));
                break;
            default: break;
        }
    }
    alignAttr();
    openLink_ = nullptr;
    out_ += " class=s" + num + " ";
    if (!styleText.empty()) out_ += " style='" + styleText + "'>";
    else out_ += ">";
    out_ += "\r\n";
    if (st_.list == 0) {
        listCounter_ = 1;
    } else if (st_.list == 6) {
        out_ += "<!lisnum>" + Num(listCounter_) + ". <!/lisnum>";
        ++listCounter_;
    } else if (st_.list == 10) {
        out_ += "<LI>";
        listCounter_ = 1;
    }
    const std::string T = FontTag(cur_, paraFont_);
    out_ += T;
    st_.fontOpen = !T.empty();
    if (cur_.Bold()) out_ += "<B>";
    if (cur_.Italic()) out_ += "<I>";
    if (cur_.position == 1) out_ += "<SUB>";
    if (cur_.position == 2) out_ += "<SUP>";
    paragraphOpen_ = true;
    pending_ = false;
    prevSpace_ = false;
}

void HtmlContentWriter::FontTagItems(const uint8_t* p, size_t n, size_t& i) {
    std::vector<Item> items;
    i = ReadItems(p, n, i + 2, items);
    if (!pending_) cur_ = paraFont_;
    for (const Item& it : items) ApplyFontItem(cur_, it);
    pending_ = true;
}

void HtmlContentWriter::Char(uint8_t ch) {
    if (ch == ' ' && prevSpace_) ch = 160;
    else prevSpace_ = ch == ' ';
    PendingFontChange();
    html::AppendCharText(out_, ch);
}

void HtmlContentWriter::BodyTag() {
    PageRecord r(page_);
    out_ += "<BODY";
    if (THQVoggetto* bg = PictureByNumber(r.BackgroundPicture())) {
        out_ += " BACKGROUND=\"" + File(bg, kNameCopy) + "\"";
        lists_.AddCopy(bg);
    }
    out_ += " TEXT=#" + html::ColourText(r.TextColour()) + " LINK=#" + html::ColourText(r.LinkColour()) +
            " VLINK=#" + html::ColourText(r.VisitedColour()) + " BGCOLOR=#" +
            html::ColourText(r.BackgroundColour()) + " >\r\n<BASE TARGET=\"_top\">\r\n";
}

void HtmlContentWriter::Content() {
    st_ = HState();
    paraFont_ = HFont();
    cur_ = paraFont_;
    Bytes content;
    if (!page_.ReadContent(content)) content.clear();
    const uint8_t* p = content.data();
    size_t n = content.size();
    if (const void* z = n ? std::memchr(p, 0, n) : nullptr) n = size_t(static_cast<const uint8_t*>(z) - p);
    size_t i = 0;
    while (i < n) {
        const uint8_t ch = p[i];
        if (ch == '&') {
            size_t next = i + 1;
            uint8_t v = DecodeEntity(p, i, n, next);
            i = next > i ? next : i + 1;
            PendingFontChange();
            html::AppendCharText(out_, v);
            prevSpace_ = false;
            continue;
        }
        if (ch != '<') {
            // A run of characters written as they are, single blanks between
            // words included, goes out in one piece (most of a page); others
            // (a blank after a blank, markup characters) take the character
            // rules one by one.
            if (!pending_ && html::WrittenAsIs(ch) && !(ch == ' ' && prevSpace_)) {
                size_t j = i + 1;
                while (j < n && html::WrittenAsIs(p[j]) && !(p[j] == ' ' && p[j - 1] == ' ')) ++j;
                out_.append(reinterpret_cast<const char*>(p + i), j - i);
                prevSpace_ = p[j - 1] == ' ';
                i = j;
                continue;
            }
            Char(ch);
            ++i;
            continue;
        }
        const uint8_t t = i + 1 < n ? p[i + 1] : 0;
        if (t == '$' && n - i >= 11 && p[i + 10] == '>') {
            int32_t id = int32_t(ParseTagDigits(p + i + 2));
            i += 11;
            if (THQVoggetto* o = ById(id)) Object(*o);
        } else if (t == '%' && i + 2 < n && p[i + 2] == '>') {
            if (openLink_) out_ += "</A>";
            openLink_ = nullptr;
            i += 3;
        } else if (t == 'D' || t == 'F' || t == 'R') {
            const char close[3] = {'<', char(t + 32), '>'};
            size_t j = i + 2;
            while (j + 3 <= n && std::memcmp(p + j, close, 3) != 0) ++j;
            i = j + 3 <= n ? j + 3 : n;
        } else if (t == 'T' && i + 2 < n && p[i + 2] == '>') {
            i += 3;
            if (!tables_.empty()) CellBoundary();
        } else if (t == 'Y') {
            FontTagItems(p, n, i);
        } else if (t == 'Z') {
            ParagraphStart(p, n, i);
        } else {
            const void* gt = std::memchr(p + i, '>', n - i);
            i = gt ? size_t(static_cast<const uint8_t*>(gt) - p) + 1 : n;
        }
    }
    PendingFontChange();
    // Tables cut short by damaged text are closed, so the page stays well formed.
    while (!tables_.empty()) {
        THQVoggetto* t = tables_.back().table;
        tables_.back().started = t->U8(kTableRowsOffset) * t->U8(kTableColumnsOffset);
        CellBoundary();
    }
    out_ += "&nbsp;";
    RunClose();
    ParagraphClose();
}

// --- links ----------------------------------------------------------------------------------

std::string HtmlContentWriter::LinkStyleText() const {
    std::string s;
    if ((linkColour_ & 0xFFFFFF) != (styleLinkColour_ & 0xFFFFFF))
        s += "color:#" + html::ColourText(linkColour_) + ";";
    if (linkSize_ != styleLinkSize_) s += "font-size:" + Num(linkSize_) + "pt;";
    const uint8_t diff = uint8_t((linkStyle_ ^ styleLinkStyle_) & 7);
    if (diff & 1) s += (linkStyle_ & 1) ? "font-weight:bold;" : "font-weight:normal;";
    if (diff & 2) s += (linkStyle_ & 2) ? "font-style:italic;" : "font-style:normal;";
    if (diff & 4) s += (linkStyle_ & 4) ? "text-decoration:underline;" : "text-decoration:normal;";
    return s;
}

std::string HtmlContentWriter::LinkStart(THQVoggetto& target) {
    std::string s = "<A class=s" + Num(styleNumber_) + " ";
    std::string ls = LinkStyleText();
    if (!ls.empty()) s += "style='" + ls + "' ";
    s += Href(target);
    return s;
}

void HtmlContentWriter::StartLink(THQVoggetto& target) {
    PendingFontChange();
    if (openLink_) out_ += "</A>";
    if (target.Kind() == genLink) lists_.AddCopy(&target);
    if (target.Kind() == programma) lists_.AddCopy(&target);
    openLink_ = &target;
    out_ += LinkStart(target) + " >";
}

std::string HtmlContentWriter::FileOfPage(THQVoggetto* o, bool secondary) {
    if (!o) return {};
    if (o->Kind() == testoHtml && secondary) {
        lists_.AddSecondary(o->Number());
        return File(o, kNameSecondary);
    }
    return File(o, kNameMain);
}

THQVoggetto* HtmlContentWriter::SpecialTarget(THQVoggetto& special) {
    links::SpecialLink s{special};
    if (s.Subtype() == links::kSpecPrevious || s.Subtype() == links::kSpecNext) {
        // The browse sequence of the page being written; the hypertext is left as it is.
        int32_t n = s.Subtype() == links::kSpecPrevious ? c_.Sequences().Previous(page_.Number())
                                                        : c_.Sequences().Next(page_.Number());
        THQVtesto* pg = set_.Page(n);
        return pg && !pg->IsFree() ? pg : nullptr;
    }
    return ById(s.Target());
}

std::string HtmlContentWriter::FeaturesText(THQVoggetto& special) {
    Bytes data;
    special.ReadContent(data);
    if (data.size() < 22) return ",''";
    links::WindowData w = links::WindowData::Decode(data.data(), data.size());
    const int16_t kNo = links::WindowData::kNotGiven;
    std::vector<std::string> items;
    if (w.width != kNo) {
        items.push_back("height=" + Num(w.height));
        items.push_back("width=" + Num(w.width));
    }
    if (w.screenX != kNo) items.push_back("screenX=" + Num(w.screenX));
    if (w.left != kNo) items.push_back("left=" + Num(w.left));
    if (w.screenX != kNo && w.screenY != kNo) items.push_back("screenY=" + Num(w.screenY));
    if (w.top != kNo) items.push_back("top=" + Num(w.top));
    items.push_back("dependent=" + Num(w.dependent));
    items.push_back("fullscreen=" + Num(w.fullScreen));
    items.push_back("location=" + Num(w.addressBar));
    items.push_back("menubar=" + Num(w.menuBar));
    items.push_back("resizable=" + Num(w.resizable));
    items.push_back("scrollbars=" + Num(w.scrollBars));
    items.push_back("status=" + Num(w.statusBar));
    items.push_back("toolbar=" + Num(w.toolBar));
    std::string s = ",'";
    for (size_t k = 0; k < items.size(); ++k) s += (k ? "," : "") + items[k];
    return s + "'";
}

std::string HtmlContentWriter::WindowOpen(THQVoggetto& special, int t, bool withFeatures) {
    links::SpecialLink s{special};
    THQVoggetto* T = SpecialTarget(special);
    if (!T) return {};
    const bool subtypeSequence = s.Subtype() == links::kSpecPrevious || s.Subtype() == links::kSpecNext;
    // A link that shows the page alone opens its secondary file; one that
    // shows the page's frame set opens its main file.
    const bool secondary = s.DisplayMode() == 0;
    const std::string file = FileOfPage(T, secondary);
    const std::string W = html::AttributeText(s.WindowName());
    const int32_t A = subtypeSequence ? -1 : s.Anchor();
    const std::string anchor = A >= 0 ? "#an" + Num(A) : std::string();
    const std::string P = Num(page_.Number());
    const std::string feat = withFeatures ? FeaturesText(special) : std::string(",''");
    switch (t) {
        case 0:
            lists_.scriptNeeds |= kScriptOpen;
            return "javascript:OvikF_open('" + file + anchor + "','" + W + "'" + feat + ",'Pag" + P + "');";
        case 1:
            lists_.scriptNeeds |= kScriptOpen;
            return "\r\n<SCRIPT>\r\n<!--//\r\n  " + W + "=OvikF_open('" + file + "','" + W + "'" + feat +
                   ",'Pag" + P + "');\r\n//-->\r\n</SCRIPT>\r\n";
        case 2: return file + anchor;
        default:
            lists_.scriptNeeds |= kScriptOpenSimple;
            return "javascript:OvikF_openB('" + file + "');";
    }
}

std::string HtmlContentWriter::Href(THQVoggetto& X) {
    if (X.Kind() != speclink) {
        return "HREF=\"" + (X.Kind() == testoHtml ? File(&X, kNameMain) : File(&X, kNameMain)) + "\" ";
    }
    links::SpecialLink s{X};
    std::string h;
    switch (s.Subtype()) {
        case links::kSpecGoTo:
            switch (s.Action()) {
                case 0: h = "TARGET=_self HREF=\"" + WindowOpen(X, 2) + "\""; break;
                case 1:
                    h = "TARGET=\"" + html::AttributeText(s.WindowName()) + "\" HREF=\"" + WindowOpen(X, 2) + "\"";
                    break;
                case 3: h = "HREF=\"" + WindowOpen(X, 3) + "\""; break;
                case 5: h = "HREF=\"" + WindowOpen(X, 2) + "\""; break;
                case 6: h = "HREF=\"#an" + Num(s.Anchor()) + "\" TARGET=_self"; break;
                default: h = "HREF=\"" + WindowOpen(X, 0) + "\""; break;
            }
            break;
        case links::kSpecCloseWindow:
            h = "HREF=\"javascript:OvikF_close('" + html::AttributeText(s.WindowName()) + "');\" ";
            lists_.scriptNeeds |= kScriptClose;
            break;
        case links::kSpecPrevious:
        case links::kSpecNext: h = "HREF=\"" + WindowOpen(X, 2) + "\""; break;
        default: break;
    }
    return h + " " + ExtraText(X, ExtraHtml(X));
}

std::string HtmlContentWriter::OnClick(THQVoggetto& X) {
    if (X.Kind() != speclink) return " onClick=\"javascript:location='" + File(&X, kNameMain) + "'\" ";
    links::SpecialLink s{X};
    std::string h;
    if (s.Subtype() == links::kSpecGoTo) {
        switch (s.Action()) {
            case 3: h = " onClick=\"" + WindowOpen(X, 3) + "\""; break;
            case 6: h = " onClick=\"javascript:location='#an" + Num(s.Anchor()) + "'\" "; break;
            // A location change, so that the button goes where the link leads.
            case 0:
            case 1:
            case 5: h = "  onClick=\"javascript:location='" + WindowOpen(X, 2) + "'\""; break;
            default: h = " onClick=\"" + WindowOpen(X, 0) + "\""; break;
        }
    } else if (s.Subtype() == links::kSpecCloseWindow) {
        h = " onClick=\"javascript:OvikF_close('" + html::AttributeText(s.WindowName()) + "');\" ";
        lists_.scriptNeeds |= kScriptClose;
    } else if (s.Subtype() == links::kSpecPrevious || s.Subtype() == links::kSpecNext) {
        h = " onClick=\"javascript:location='" + WindowOpen(X, 2) + "'\"";
    }
    return h + " " + ExtraText(X, ExtraHtml(X));
}

// --- objects --------------------------------------------------------------------------------

void HtmlContentWriter::Object(THQVoggetto& o) {
    switch (o.Kind()) {
        case testoHtml:
        case internetLink:
        case zipLink:
        case genLink:
        case programma:
        case speclink: StartLink(o); break;
        case shortObj: Marker(o); break;
        case tabellaHtml: TableStart(o); break;
        case immagineNew: Picture(o); break;
        case inputStat: FormElement(o); break;
        case bottoneCGI: Button(o); break;
        case inizioForm: FormStart(o); break;
        case multiMedia: Multimedia(o); break;
        case immagine:
        case mappaClic:
            // Pictures stand in text only through a placement.
            set_.Messages().Error("bug: ogg immagine non deve + esser presente qui");
            break;
        default: break;
    }
}

void HtmlContentWriter::Marker(THQVoggetto& o) {
    PendingFontChange();
    switch (o.State()) {
        case 10: {
            Bytes text;
            o.ReadContent(text);
            if (auto z = std::find(text.begin(), text.end(), uint8_t(0)); z != text.end()) text.erase(z, text.end());
            out_ += "<!--" + html::CommentText(std::string(text.begin(), text.end())) + "-->";
            break;
        }
        case 11: out_ += ExtraText(o, ExtraHtml(o)); break;
        case 13: {
            THQVoggetto* L = ById(o.I32(5));
            if (!L || L->Kind() != speclink) break;
            links::SpecialLink s{*L};
            if (s.Subtype() == links::kSpecGoTo) {
                out_ += WindowOpen(*L, 1, s.Action() == 2 || s.Action() == 4);
            } else if (s.Subtype() == links::kSpecCloseWindow) {
                const std::string W = html::AttributeText(s.WindowName());
                out_ += "\r\n<SCRIPT><!--//\r\n  " + W + "=open('','" + W + "' );\r\n  " + W +
                        ".close( );\r\n//--></SCRIPT>\r\n";
            }
            break;
        }
        case 14:
            if (openLink_) out_ += "</A>";
            out_ += "<A NAME=\"an" + Num(o.I32(5)) + "\"></A>";
            if (openLink_) out_ += LinkStart(*openLink_) + " >";
            break;
        default: break;
    }
}

std::string HtmlContentWriter::BackgroundText(int32_t v) {
    uint8_t high = uint8_t(uint32_t(v) >> 24);
    if (high == 0) return " BGCOLOR=#" + html::ColourText(v);
    if (high == 3) {
        if (THQVoggetto* pic = PictureByNumber(v & 0xFFFFFF)) {
            lists_.AddCopy(pic);
            return " background=\"" + File(pic, kNameCopy) + "\"";
        }
    }
    return {};
}

void HtmlContentWriter::TableStart(THQVoggetto& t) {
    PendingFontChange();
    const int rows = t.U8(kTableRowsOffset), cols = t.U8(kTableColumnsOffset);
    if (rows * cols == 0) return;
    listCounter_ = 1;
    RunClose();
    stack_.push_back(st_);
    st_ = HState();
    tables_.push_back({&t, 0});
    out_ += "<TABLE WIDTH=" + (t.U8(55) == 1 ? Num(t.U8(89)) + "%" : Num(t.I16(56))) +
            " BORDER=" + Num(t.U8(92)) + " CELLPADDING=" + Num(t.U8(90)) + " CELLSPACING=" + Num(t.U8(91)) +
            BackgroundText(t.I32(207)) + " " + ExtraText(t, ExtraHtml(t)) + ">\r\n";
    paragraphOpen_ = false;
    CellBoundary();
}

void HtmlContentWriter::CellBoundary() {
    OpenTable& ot = tables_.back();
    THQVoggetto& t = *ot.table;
    const int32_t c = t.U8(kTableColumnsOffset), r = t.U8(kTableRowsOffset);
    const int32_t i = ot.started++;
    PendingFontChange();
    if (i < c * r) {
        if (i % c != 0) {
            out_ += "&nbsp;";
            RunClose();
            ParagraphClose();
            out_ += "</TD>\r\n";
        } else {
            if (i > 0) {
                out_ += "&nbsp;";
                RunClose();
                ParagraphClose();
                out_ += "</TD></TR>\r\n";
            }
            out_ += "<TR>\r\n";
        }
        st_ = HState();
        const int col = i % c;
        std::string width;
        const uint8_t mode = t.U8(5 + size_t(col));
        if (mode == 0) width = " WIDTH=" + Num(t.I16(97 + 2 * size_t(col))) + "%";
        else if (mode == 1) width = " WIDTH=" + Num(t.I16(97 + 2 * size_t(col)));
        std::string bg;
        if (t.I32(81) != 0) {
            Bytes cells;
            if (t.ReadContent(cells) && cells.size() >= size_t(i + 1) * 4) bg = BackgroundText(GetI32(&cells[size_t(i) * 4]));
        }
        out_ += "<TD" + width + " VALIGN=\"TOP\" " + bg + " >\r\n";
    } else {
        out_ += "\r\n&nbsp;";
        RunClose();
        ParagraphClose();
        out_ += "</TD></TR></TABLE>";
        if (!stack_.empty()) {
            // Restored, keeping the style bits and position in force, with no FONT open.
            HState back = stack_.back();
            stack_.pop_back();
            back.font.style = st_.font.style;
            back.font.position = st_.font.position;
            back.fontOpen = false;
            st_ = back;
        } else {
            st_ = HState();
        }
        RunClose();
        ParagraphClose();
        tables_.pop_back();
    }
    paragraphOpen_ = false;
}

void HtmlContentWriter::Picture(THQVoggetto& o) {
    PendingFontChange();
    THQVoggetto* main = PictureByNumber(o.I32(0));
    THQVoggetto* low = PictureByNumber(o.I32(5));
    THQVoggetto* roll = PictureByNumber(o.I32(9));
    for (THQVoggetto* p : {main, low, roll})
        if (p) lists_.AddCopy(p);
    const std::string h = Hex6(main ? main->Number() : o.Number());
    // Two placements of one picture on a page file get distinct names.
    std::string mapName = "ma" + h;
    std::string imgName = "i" + h;
    if (!lists_.mapNames.insert(mapName).second) {
        mapName += "_" + Hex6(o.Number());
        imgName += "_" + Hex6(o.Number());
    }
    bool zones = false;
    std::string map;
    for (size_t z = 0; z < 30; ++z) {
        const size_t base = 73 + 16 * z;
        int32_t id = o.I32(base);
        if (id == -1) continue;
        THQVoggetto* target = ById(id);
        if (!target) continue;
        if (!zones) map = "<MAP NAME=" + mapName + " >\r\n";
        zones = true;
        const int x = o.I16(base + 8), y = o.I16(base + 10), w = o.I16(base + 12), hh = o.I16(base + 14);
        std::string title = html::AttributeText(links::ShortText(target->Description()));
        map += "<AREA COORDS=" + Num(x) + "," + Num(y) + "," + Num(x + w) + "," + Num(y + hh) + " " + Href(*target);
        if (c_.AutoAlt) map += " ALT=\"" + title + "\"";
        map += " TITLE=\"" + title + "\">\r\n";
    }
    if (zones) out_ += map + "</MAP>\r\n";
    if (roll) {
        if (openLink_) {
            out_ += "</A>" + LinkStart(*openLink_);
        } else {
            out_ += "<A HREF=\"" + File(&page_, fileMode_) + "\" ";
        }
        lists_.scriptNeeds |= kScriptBrowser | kScriptRollover;
        lists_.AddRollover(roll);
        out_ += " onMouseOver=\"OvikF_over('" + imgName + "','" + File(roll, kNameCopy) + "');\"" +
                " onMouseOut=\"OvikF_over('" + imgName + "','" + File(main, kNameCopy) + "');\" >";
    }
    static const char* const kAlign[6] = {"LEFT", "RIGHT", "CENTER", "TOP", "MIDDLE", "BOTTOM"};
    const uint8_t a = o.U8(13);
    out_ += "<IMG SRC=\"" + File(main, kNameCopy) + "\" BORDER=0 ALIGN=" + (a < 6 ? kAlign[a] : "BOTTOM") +
            " ALT=\"" + html::AttributeText(StrField(o, 28, 32)) + "\"";
    if (roll) out_ += " NAME=" + imgName;
    if (zones) out_ += " USEMAP=#" + mapName;
    if (low) out_ += " LOWSRC=\"" + File(low, kNameCopy) + "\"";
    out_ += " WIDTH=" + Num(o.I16(19)) + " HEIGHT=" + Num(o.I16(21)) + " " + ExtraText(o, ExtraHtml(o)) + " >";
    if (roll && !openLink_) out_ += "</A>";
}

std::string HtmlContentWriter::SizeUnit(const THQVoggetto& o) const {
    if (o.Kind() == multiMedia) return o.U8(37) == 1 ? "%" : "";
    if (o.Kind() == inputStat) return o.U8(178) >= 1 ? "%" : "";
    return "";
}

void HtmlContentWriter::FormElement(THQVoggetto& o) {
    PendingFontChange();
    const uint8_t type = o.State();
    const std::string name = html::AttributeText(StrField(o, 17, 79));
    const std::string extra = ExtraText(o, ExtraHtml(o));
    switch (type) {
        case 1:
        case 2:
        case 3:
            out_ += "<INPUT";
            if (type == 2) out_ += " TYPE=password";
            if (type == 3) out_ += " TYPE=file";
            out_ += " NAME=\"" + name + "\"";
            if (o.U8(180) == 1) out_ += " VALUE=\"" + html::AttributeText(StrField(o, 97, 79)) + "\"";
            out_ += " SIZE=" + Num(o.U8(179)) + " " + extra + ">\r\n";
            break;
        case 4: {
            out_ += "<TEXTAREA NAME=\"" + name + "\" ROWS=" + Num(o.U8(178)) + " COLS=" + Num(o.U8(177)) + " " +
                    extra + ">\r\n";
            if (o.U8(180) == 1) {
                Bytes text;
                o.ReadContent(text);
                std::string s(text.begin(), text.end());
                if (auto z = s.find('\0'); z != std::string::npos) s.resize(z);
                std::string clean;
                for (char ch : s)
                    if (ch == '\r' || ch == '\n') clean += ch;
                    else html::AppendCharText(clean, uint8_t(ch));
                out_ += clean;
            }
            out_ += "\r\n</TEXTAREA>";
            break;
        }
        case 5:
        case 6:
        case 7:
            out_ += std::string("<INPUT TYPE=") + (type == 5 ? "hidden " : type == 6 ? "radio " : "checkbox ") +
                    "NAME=\"" + name + "\" VALUE=\"" + html::AttributeText(StrField(o, 97, 79)) + "\" " +
                    (o.U8(181) == 1 && type != 5 ? "CHECKED " : "") + " " + extra + ">\r\n";
            break;
        case 8:
        case 9: {
            out_ += "<SELECT NAME=\"" + name + "\" ";
            if (type == 8) {
                out_ += " SIZE=" + Num(o.U8(179));
                if (o.U8(182) == 1) out_ += " MULTIPLE";
            }
            out_ += " " + extra + " >";
            Bytes items;
            o.ReadContent(items);
            std::string s(items.begin(), items.end());
            if (auto z = s.find('\0'); z != std::string::npos) s.resize(z);
            std::vector<std::string> lines;
            size_t k = 0;
            while (k < s.size()) {
                size_t e = s.find_first_of("\r\n", k);
                if (e == std::string::npos) e = s.size();
                lines.push_back(s.substr(k, e - k));
                if (e < s.size() && s[e] == '\r' && e + 1 < s.size() && s[e + 1] == '\n') ++e;
                k = e + 1;
            }
            for (size_t l = 0; l < lines.size(); l += 3) {
                const std::string& text = lines[l];
                const std::string value = l + 1 < lines.size() ? lines[l + 1] : std::string();
                const std::string mark = l + 2 < lines.size() ? lines[l + 2] : std::string();
                const bool sel = !mark.empty() && std::strchr("XYxy", mark[0]);
                out_ += "<OPTION VALUE=\"" + html::AttributeText(value) + "\"" + (sel ? " SELECTED" : "") + " >" +
                        html::CharText(text) + "\r\n";
            }
            out_ += "</SELECT>";
            break;
        }
        case 18: {
            // A stored unit above 1 counts as percent.
            if (o.U8(178) > 1) o.SetU8(178, 1);
            const std::string unit = SizeUnit(o);
            out_ += "<IFRAME ";
            if (o.U8(98) != 0 || o.U8(99) != 0)
                out_ += " MARGINHEIGHT=" + Num(o.U8(98)) + " MARGINWIDTH=" + Num(o.U8(99));
            else out_ += " FRAMEBORDER=\"no\" ";
            if (!name.empty()) out_ += " NAME=\"" + name + "\"";
            out_ += " HEIGHT=" + Num(o.I16(180)) + unit + " WIDTH=" + Num(o.I16(182)) + unit + "  SRC=\"";
            const int32_t shown = o.I32(108);
            THQVtesto* pg = shown >= 0 ? set_.Page(shown & 0xFFFFFF) : nullptr;
            if (pg && !pg->IsFree()) out_ += FileOfPage(pg, o.U8(116) != 1);
            static const char* const kTargets[4] = {"_top ", "_self ", "_parent ", "_blank "};
            const uint8_t tg = o.U8(177);
            out_ += std::string("\" TARGET=") + (tg < 4 ? kTargets[tg] : "_top ") + " BORDERCOLOR=#" +
                    html::ColourText(o.I32(100)) + " SCROLLING=" + (o.U8(97) == 1 || o.U8(97) == 3 ? "yes" : "no");
            if (o.U8(117) == 0) out_ += " " + extra;
            out_ += ">\r\n</IFRAME>\r\n";
            break;
        }
        default: break;
    }
}

void HtmlContentWriter::Button(THQVoggetto& o) {
    PendingFontChange();
    const uint8_t type = o.State();
    THQVoggetto* pic = PictureByNumber(o.I32(177));
    THQVoggetto* target = ById(o.I32(181));
    const std::string size = " WIDTH=" + Num(o.I16(190)) + " HEIGHT=" + Num(o.I16(192));
    if (type == 3 && pic) {
        lists_.AddCopy(pic);
        out_ += "<A HREF=\"#\" onclick=\"document.forms[" + Num(std::max(0, formCounter_ - 1)) +
                "].reset()\"><IMG SRC=\"" + File(pic, kNameCopy) + "\" BORDER=0" + size + " ></A>\r\n";
        return;
    }
    out_ += std::string("<INPUT TYPE=") + (type == 2 ? "image" : type == 3 ? "reset" : "submit");
    const std::string name = html::AttributeText(StrField(o, 17, 79));
    if (!target && !name.empty()) out_ += " NAME=\"" + name + "\" ";
    if (type == 2 || (type == 1 && pic)) {
        if (pic) {
            lists_.AddCopy(pic);
            out_ += " SRC=\"" + File(pic, kNameCopy) + "\" BORDER=0";
        }
        out_ += size;
    }
    out_ += " VALUE=\"" + html::AttributeText(StrField(o, 97, 79)) + "\"  " + ExtraText(o, ExtraHtml(o));
    if (target) out_ += OnClick(*target);
    out_ += ">\r\n";
}

void HtmlContentWriter::FormStart(THQVoggetto& o) {
    size_t at = out_.rfind("<DIV");
    std::string kept;
    if (at != std::string::npos) {
        kept = out_.substr(at);
        out_.resize(at);
    }
    if (formCounter_ >= 1) out_ += "</FORM>";
    out_ += "<FORM ";
    ++formCounter_;
    const uint8_t method = o.State();
    const std::string action = html::AttributeText(StrField(o, 17, 255));
    if (method == 4) {
        out_ += "METHOD=POST ACTION=\"mailto:" + action + "\" ENCTYPE=\"text/plain\" ";
    } else {
        out_ += std::string("TARGET=_top METHOD=") + (method == 1 ? "GET" : "POST") + " ACTION=\"" + action + "\"";
        if (o.U8(273) == 1) out_ += " ENCTYPE=\"" + html::AttributeText(StrField(o, 276, 79)) + "\"";
    }
    out_ += " " + ExtraText(o, ExtraHtml(o)) + ">\r\n" + kept;
}

void HtmlContentWriter::Multimedia(THQVoggetto& o) {
    PendingFontChange();
    const uint8_t type = o.State();
    THQVoggetto* media = type != 6 ? ById(o.I32(17)) : nullptr;
    if (media) lists_.AddCopy(media);
    const std::string unit = SizeUnit(o);
    const std::string src = File(media, kNameCopy);
    if (type == 1 || type == 2) {
        out_ += "<EMBED SRC=\"" + src + "\"";
        if (o.U8(25) == 1)
            out_ += " AUTOSTART=true HIDDEN=true LOOP=" + (o.I16(27) < 0 ? std::string("true") : Num(o.I16(27)));
        else out_ += " CONTROLS=SMALLCONSOLE height=15";
        out_ += ">\r\n";
    } else if (type == 3 || type == 4) {
        out_ += "<EMBED SRC=\"" + src + "\" WIDTH=" + Num(o.I16(33)) + unit + " HEIGHT=" + Num(o.I16(35)) + unit;
        if (o.U8(25) == 1) out_ += std::string(" CONTROLLER=false AUTOSTART=true LOOP=") + (o.I16(27) == -1 ? "true" : "false");
        else out_ += " CONTROLS=true ";
        if (media && cp1252::EqualNoCase(Extension(media->FileName()), ".mov"))
            out_ += " URL=\"https://support.apple.com/downloads/quicktime\"";
        out_ += " >";
    } else if (type == 5) {
        out_ += ExtraText(o, ExtraHtml(o));
        return;
    } else if (type == 6) {
        THQVoggetto* tmpl = ById(o.I32(17));
        if (!tmpl || tmpl->Kind() != custom) return;
        // The template's object list: its content's int32 byte count, then the codes.
        Bytes list;
        tmpl->ReadContent(list);
        std::vector<int32_t> codes;
        if (list.size() >= 4) {
            int64_t bytes = GetI32(list.data());
            for (int64_t k = 0; k + 4 <= bytes && size_t(4 + k + 4) <= list.size(); k += 4)
                codes.push_back(GetI32(&list[size_t(4 + k)]));
        }
        const std::string text = ExtraHtml(*tmpl);
        std::string expanded;
        size_t i = 0;
        while (i < text.size()) {
            if (text.compare(i, 6, "!ReCF:") == 0 && i + 14 <= text.size()) {
                uint32_t k = ParseTagDigits(reinterpret_cast<const uint8_t*>(text.data() + i + 6));
                if (k < codes.size())
                    if (THQVoggetto* x = ById(codes[k])) {
                        lists_.AddCopy(x);
                        expanded += File(x, kNameMain);
                    }
                i += 14;
            } else if (text.compare(i, 6, "!ReCP:") == 0) {
                // Property values are not read yet: the property writes nothing.
                size_t e = text.find('!', i + 6);
                i = e == std::string::npos ? text.size() : e + 1;
            } else {
                expanded += text[i++];
            }
        }
        out_ += ExtraText(o, expanded);
        return;
    } else {
        return;
    }
    if (THQVoggetto* poster = PictureByNumber(o.I32(21))) {
        lists_.AddCopy(poster);
        out_ += "<IMG BORDER=0 ALIGN=BOTTOM ALT=\"" + html::AttributeText(poster->Name()) + "\" SRC=\"" +
                File(poster, kNameCopy) + "\" HEIGHT=" + Num(o.I16(35)) + unit + " WIDTH=" + Num(o.I16(33)) + unit +
                " >";
    }
    out_ += "</EMBED>\r\n";
}

std::string HtmlContentWriter::ExtraText(const THQVoggetto& owner, std::string_view text) {
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, 4, "!Ref") != 0) {
            out += text[i++];
            continue;
        }
        std::string_view head = text.substr(i, 6);
        const bool known = head == "!RefI:" || head == "!RefL:" || head == "!RefF:" || head == "!RefP:" ||
                           head == "!RefX:" || head == "!RefY:";
        if (!known || i + 14 > text.size()) {
            out += "!Ref";
            i += 4;
            continue;
        }
        const int32_t id = int32_t(ParseTagDigits(reinterpret_cast<const uint8_t*>(text.data() + i + 6)));
        i += 14;
        const char k = head[4];
        if (k == 'X' || k == 'Y') {
            if (owner.Kind() == multiMedia) out += Num(owner.I16(k == 'X' ? 33 : 35)) + SizeUnit(owner);
            continue;
        }
        THQVoggetto* x = ById(id);
        if (!x) continue;
        if (k == 'P') {
            // An included page: its content, once per chain (a page including itself stops).
            if (x->Kind() == testoHtml && x != &page_ && lists_.including.insert(x->Number()).second) {
                c_.WriteBody(out, 0, lists_, static_cast<THQVtesto*>(x), fileMode_);
                lists_.including.erase(x->Number());
            }
            continue;
        }
        if (x->Kind() != testoHtml) lists_.AddCopy(x);
        out += File(x, kNameMain);
    }
    return out;
}

void THQVtoHtml::WriteBody(std::string& out, int mode, HtmlPageLists& lists, THQVtesto* page, int fileMode) {
    if (!page || page->IsFree() || !LinkedHQVset) return;
    page->ConvertFormat1();
    // Runs on several threads at once (MakePages): only `out` and `lists` change.
    HtmlContentWriter w(*this, out, lists, *page, fileMode);
    if (mode == 1 || mode == 6) w.BodyTag();
    if (mode != 6) w.Content();
}

std::string THQVtoHtml::ResolveExtraHtml(THQVtesto& page, std::string_view text, HtmlPageLists& lists,
                                         int fileMode) {
    if (!LinkedHQVset) return std::string(text);
    std::string unused;
    HtmlContentWriter w(*this, unused, lists, page, fileMode);
    return w.ExtraText(page, text);
}

}  // namespace ovik
