// Reading and writing box markup (THQVparag::Read and THQVparag::Write).
//
// The reader works on the stream's memory directly: tags are found by looking
// at bytes, items are matched in a fixed order without backtracking, and the
// stream position is set only when a paragraph or a cell ends. Every look at a
// byte is bounded by the stream's limit (its first zero byte or its end).
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "document/format1.h"
#include "document/hqv_object.h"
#include "document/hqv_set.h"
#include "platform/messages.h"
#include "text/hqv_box.h"

namespace ovik {
namespace {

constexpr const char* kTruncatedLine = "Truncated line!";
// A number or colour value and its blank must lie within this many bytes.
constexpr size_t kItemSpan = 12;

// The 104 entity names in table order: the first eight give " & < > twice,
// the other 96 the codes 160..255 ("hibar" stands for 175).
constexpr std::array<const char*, 104> kEntityNames = {
    "quot",   "amp",    "lt",     "gt",     "QUOT",   "AMP",    "LT",     "GT",
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",
    "uml",    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "hibar",
    "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",  "para",   "middot",
    "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest",
    "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",
    "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",
    "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",
    "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",
    "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};
constexpr uint8_t kFirstFourBytes[4] = {'"', '&', '<', '>'};

uint8_t EntityIndexByte(size_t i) { return i < 8 ? kFirstFourBytes[i % 4] : uint8_t(160 + (i - 8)); }

// Items that writers write as their low seven bits. Readers keep the same
// seven bits, so that a value read is one that writes back unchanged and
// reading then writing markup is a fixed point.
bool IsSevenBitItem(Attr a) {
    return a == Attr::Position || a == Attr::ValueP || a == Attr::Align || a == Attr::ListKind ||
           a == Attr::Unit;
}

int HexDigit(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;  // any other byte in a digit position reads as 0
}

// A decimal value as written in markup: an optional "-" and digits. Anything
// else reads as 0; values beyond 32 bits saturate.
int32_t ParseNumber(const uint8_t* p, size_t n) {
    size_t i = 0;
    bool neg = false;
    if (i < n && p[i] == '-') {
        neg = true;
        ++i;
    }
    if (i == n) return 0;
    int64_t v = 0;
    for (; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9') return 0;
        if (v < (int64_t(1) << 40)) v = v * 10 + (p[i] - '0');
    }
    if (neg) v = -v;
    return ClampToInt32(v);
}

void AppendNumber(Bytes& out, int64_t v) {
    char buf[24];
    int n = std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(v));
    AppendBytes(out, buf, size_t(n));
}

void AppendHex8(Bytes& out, uint32_t v) {
    uint8_t buf[8];
    WriteTagDigits(buf, v);
    AppendBytes(out, buf, 8);
}

}  // namespace

// --- character data -------------------------------------------------------------------

int EntityByte(std::string_view name) {
    for (size_t i = 0; i < kEntityNames.size(); ++i)
        if (name == kEntityNames[i]) return EntityIndexByte(i);
    return -1;
}

uint8_t DecodeEntity(const uint8_t* d, size_t i, size_t lim, size_t& next) {
    size_t j = i + 1;
    if (j < lim && d[j] == '#') {
        ++j;
        size_t start = j;
        int v = 0;
        while (j < lim && j - start < 3 && d[j] >= '0' && d[j] <= '9') v = v * 10 + (d[j++] - '0');
        // Digits must run up to a ";" (or stop after three); anything else there
        // is not a number.
        bool numeric = j > start && (j - start == 3 || j >= lim || d[j] == ';');
        if (j < lim && d[j] == ';') ++j;
        next = j;
        return numeric ? uint8_t(v & 0xFF) : uint8_t('A');
    }
    if (j < lim && d[j] == '&') {
        j += 1;
        if (j < lim) ++j;  // the byte after the two ampersands
        if (j < lim && d[j] == ';') ++j;
        next = j;
        return '&';
    }
    for (size_t k = 0; k < kEntityNames.size(); ++k) {
        const char* name = kEntityNames[k];
        size_t len = std::strlen(name);
        if (len <= lim - j && std::memcmp(d + j, name, len) == 0) {
            size_t e = j + len;
            if (e < lim && d[e] == ';') ++e;
            next = e;
            return EntityIndexByte(k);
        }
    }
    next = i + 1;
    return ' ';
}

void AppendEscaped(Bytes& out, uint8_t c) {
    switch (c) {
        case '&': AppendString(out, "&amp;"); break;
        case '<': AppendString(out, "&lt;"); break;
        case '>': AppendString(out, "&gt;"); break;
        default:
            if (c >= 32) out.push_back(c);
    }
}

void AppendColour(Bytes& out, int32_t colour) {
    static const char* hex = "0123456789ABCDEF";
    uint32_t c = uint32_t(colour);
    for (int b = 0; b < 3; ++b) {
        uint8_t v = uint8_t(c >> (8 * b));
        out.push_back(uint8_t(hex[v >> 4]));
        out.push_back(uint8_t(hex[v & 15]));
    }
}

// --- BoxStream and renumbering ------------------------------------------------------------

BoxStream::BoxStream(const uint8_t* data, size_t size, size_t pos)
    : data_(data), size_(size), limit_(size), pos_(pos < size ? pos : size) {
    if (data_ && pos_ < size_) {
        const void* z = std::memchr(data_ + pos_, 0, size_ - pos_);
        if (z) limit_ = size_t(static_cast<const uint8_t*>(z) - data_);
    }
}

Renumbering Renumbering::FromLists(const std::vector<int32_t>& os, const std::vector<int32_t>& ns,
                                   const std::vector<int32_t>& oo, const std::vector<int32_t>& no) {
    Renumbering r;
    for (size_t i = 0; i < os.size() && i < ns.size(); ++i) r.stylesAndLinks.emplace(os[i], ns[i]);
    for (size_t i = 0; i < oo.size() && i < no.size(); ++i) r.objects.emplace(oo[i], no[i]);
    return r;
}

int32_t Renumbering::Style(int32_t n) const {
    auto it = stylesAndLinks.find(MakeId(stileParagrafo, n));
    return it == stylesAndLinks.end() ? n : IdNumber(it->second);
}

int32_t Renumbering::Link(int32_t v) const {
    if (IdKind(v) != kPageLocalKind) return v;
    auto it = stylesAndLinks.find(v);
    return it == stylesAndLinks.end() ? kNoLink : it->second;
}

int32_t Renumbering::Object(int32_t v) const {
    auto it = objects.find(v);
    return it == objects.end() ? v : it->second;
}

// --- what a load dropped ---------------------------------------------------------------------

namespace {
struct ReportCounts {
    int depth = 0;
    platform::Messages* messages = nullptr;
    int64_t errors = 0, infos = 0, tables = 0;
};
thread_local ReportCounts report;
}  // namespace

MarkupReadReport::MarkupReadReport(platform::Messages& messages)
    : messages_(&messages), outermost_(report.depth == 0) {
    if (outermost_) report = ReportCounts{0, &messages, 0, 0, 0};
    ++report.depth;
}

MarkupReadReport::~MarkupReadReport() {
    --report.depth;
    if (!outermost_) return;
    const ReportCounts c = report;
    report = ReportCounts{};
    const std::string text = Text(c.errors, c.infos, c.tables);
    if (text.empty()) return;
    if (c.errors > 0) messages_->Error(text);
    else if (c.tables > 0) messages_->Warning(text);
    else messages_->Information(text);
}

// Readers always run inside a report (THQVparag::Read opens one).
void MarkupReadReport::TruncatedItem(bool error) { ++(error ? report.errors : report.infos); }

void MarkupReadReport::FlattenedTable() { ++report.tables; }

std::string MarkupReadReport::Text(int64_t errors, int64_t infos, int64_t tables) {
    std::string text;
    const int64_t items = errors + infos;
    if (items == 1) text = kTruncatedLine;
    else if (items > 1)
        text = std::string(kTruncatedLine) + " (" + std::to_string(items) + " elementi scartati)";
    if (tables > 0) {
        if (!text.empty()) text += "\n";
        text += tables == 1 ? std::string("Una tabella annidata oltre il limite")
                            : std::to_string(tables) + " tabelle annidate oltre il limite";
        text += tables == 1 ? " \xC3\xA8 stata letta come testo del paragrafo che la contiene."
                            : " sono state lette come testo del paragrafo che le contiene.";
    }
    return text;
}

// --- the reader ---------------------------------------------------------------------------

class MarkupReader {
public:
    MarkupReader(THQVparag& p, BoxStream& s, ReadKind kind, const Renumbering* r)
        : p_(p), s_(s), d_(s.Data()), lim_(s.Limit()), kind_(kind), renum_(r),
          box_(p.Box()), m_(box_.Measurer()) {}

    bool Run();

private:
    // Items of a tag, matched at the current position only.
    bool Key(char key) const { return !stopped_ && i_ < lim_ && d_[i_] == uint8_t(key); }
    bool ItemValue(char key, size_t& start, size_t& end);
    bool NumberItem(char key, int32_t& v);
    bool ColourItem(char key, int32_t& v);
    bool NameItem(std::string& v);
    void ReadParagraphItems();
    size_t Find(size_t from, uint8_t b) const {
        if (from >= lim_) return lim_;
        const void* q = std::memchr(d_ + from, b, lim_ - from);
        return q ? size_t(static_cast<const uint8_t*>(q) - d_) : lim_;
    }
    // Continues after the ">" of the current tag (or at the limit).
    void AfterTagEnd(size_t from) {
        size_t g = Find(from, '>');
        i_ = g < lim_ ? g + 1 : lim_;
    }

    void FontTag();
    void LinkOrObjectTag();
    void StartLink(int32_t v);
    void EndLink();
    void SetDisplayFromRunning();
    void Measure();
    void AppendByte(uint8_t c);
    // Appends plain characters (all 32 or above).
    void AppendRun(const uint8_t* p, size_t n);
    void AppendObjectBlank(PlacedObject* obj);
    void FlattenCells(PlacedObject* table, size_t at);
    // Continues after the block "<D" ... "<d>" (likewise F and R) at i_.
    void SkipBlock(uint8_t letter);
    bool Finish(bool result);
    void StartEmpty(int32_t style);

    THQVparag& p_;
    BoxStream& s_;
    const uint8_t* d_;
    size_t lim_;
    ReadKind kind_;
    const Renumbering* renum_;
    THQVbox& box_;
    platform::TextMeasurer& m_;

    size_t i_ = 0;
    bool stopped_ = false;  // a truncated item: the rest of the tag reads as absent
    int32_t link_ = kNoLink;
    TMyFont display_;
    platform::FontDesc displayDesc_;
    int32_t slot_ = 0;  // the display font's width table in the measurer
    int32_t height_ = 0, ascent_ = 0;
    int prev_ = -1;  // previous byte in the same font, -1 after a font change
    // The font in force at the current point: the paragraph's font, then each
    // font tag's.
    THQVFontStyle running_;
};

// Finds the value of the item `key` at the current position: it must end with
// a blank within kItemSpan bytes (and inside the tag), else "Truncated line!"
// and the rest of the tag counts as absent.
bool MarkupReader::ItemValue(char key, size_t& start, size_t& end) {
    if (!Key(key)) return false;
    start = i_ + 1;
    const size_t span = std::min(lim_, start + kItemSpan);
    size_t j = start;
    while (j < span && d_[j] != ' ' && d_[j] != '>') ++j;
    if (j >= span || d_[j] != ' ') {
        MarkupReadReport::TruncatedItem(true);
        stopped_ = true;
        return false;
    }
    end = j;
    i_ = j + 1;
    return true;
}

bool MarkupReader::NumberItem(char key, int32_t& v) {
    size_t start, end;
    if (!ItemValue(key, start, end)) return false;
    v = ParseNumber(d_ + start, end - start);
    return true;
}

bool MarkupReader::ColourItem(char key, int32_t& v) {
    size_t start, end;
    if (!ItemValue(key, start, end)) return false;
    uint32_t c = 0;
    for (size_t k = 0; k < 6; ++k) {
        uint32_t digit = start + k < end ? uint32_t(HexDigit(d_[start + k])) : 0;
        // RRGGBB: the low byte is red.
        c |= digit << (8 * (k / 2) + (k % 2 == 0 ? 4 : 0));
    }
    v = int32_t(c);
    return true;
}

bool MarkupReader::NameItem(std::string& v) {
    if (!Key('F')) return false;
    size_t start = i_ + 2;  // after F and its opening quote
    if (start > lim_) start = lim_;
    size_t q = Find(start, '"');
    if (q >= lim_) {
        MarkupReadReport::TruncatedItem(false);
        stopped_ = true;
        return false;
    }
    // The first 20 bytes, without the control bytes readers drop everywhere.
    v.clear();
    for (size_t k = start; k < start + std::min(q - start, kMarkupFaceMax); ++k)
        if (d_[k] >= 32) v.push_back(char(d_[k]));
    i_ = q + 1;
    if (i_ < lim_ && d_[i_] == ' ') ++i_;
    return !v.empty();
}

void MarkupReader::ReadParagraphItems() {
    THQVParaStyle& st = p_.style_;
    int32_t v;
    std::string name;
    for (int k = 0; k < kAttrCount && !stopped_; ++k) {
        Attr a = Attr(k);
        char key = kAttrKeys[k];
        if (a == Attr::Face) {
            if (NameItem(name)) st.SetFace(name);
        } else if (a == Attr::Colour || a == Attr::LinkColour) {
            if (ColourItem(key, v)) st.Set(a, v);
        } else if (NumberItem(key, v)) {
            if (a == Attr::Style || a == Attr::LinkStyle) v = (st.Get(a) & ~0xF) | (v & 0xF);
            else if (IsSevenBitItem(a)) v &= 0x7F;
            st.Set(a, v);
        }
    }
}

void MarkupReader::Measure() {
    displayDesc_ = display_.Desc();
    slot_ = m_.FontSlot(displayDesc_);
    platform::FontCell c = m_.Cell(displayDesc_, display_.position);
    height_ = c.height;
    ascent_ = c.ascent;
    prev_ = -1;
}

void MarkupReader::SetDisplayFromRunning() { display_ = running_.Font(); }

void MarkupReader::StartLink(int32_t v) {
    link_ = v;
    display_ = p_.style_.LinkFont(running_.Font());
    Measure();
}

void MarkupReader::EndLink() {
    link_ = kNoLink;
    p_.records_.back().link = kNoLink;
    SetDisplayFromRunning();
    Measure();
}

void MarkupReader::AppendByte(uint8_t c) {
    if (c < 32) return;
    CharRecord& r = p_.records_.back();
    r.width = m_.SlotCharWidth(slot_, prev_, c);
    r.height = height_;
    r.ascent = ascent_;
    prev_ = c;
    p_.text_.push_back(char(c));
    CharRecord n;
    n.link = link_;
    p_.records_.push_back(n);
}

void MarkupReader::AppendRun(const uint8_t* p, size_t n) {
    auto& recs = p_.records_;
    const size_t base = recs.size() - 1;
    recs.resize(base + n + 1);
    CharRecord* r = recs.data() + base;
    int prev = prev_;
    for (size_t k = 0; k < n; ++k) {
        r[k].width = m_.SlotCharWidth(slot_, prev, p[k]);
        r[k].height = height_;
        r[k].ascent = ascent_;
        r[k + 1].link = link_;
        prev = p[k];
    }
    prev_ = prev;
    p_.text_.append(reinterpret_cast<const char*>(p), n);
}

void MarkupReader::AppendObjectBlank(PlacedObject* obj) {
    CharRecord& r = p_.records_.back();
    if (obj) {
        r.width = obj->Width();
        r.height = obj->Height();
        r.ascent = 0;  // set by layout from the object's vertical alignment
        r.object = p_.AddObject(obj);
    } else {
        r.width = 0;
        r.height = 0;
        r.ascent = 0;
    }
    prev_ = -1;
    p_.text_.push_back(' ');
    CharRecord n;
    n.link = link_;
    p_.records_.push_back(n);
}

void MarkupReader::FontTag() {
    // "<Y " and the items; a bare "<Y>" has none.
    const bool bare = i_ + 2 < lim_ && d_[i_ + 2] == '>';
    i_ = std::min(i_ + 3, lim_);
    stopped_ = bare;
    CharRecord& rec = p_.records_.back();
    const bool hadRun = rec.runFont >= 0;
    THQVFontStyle& run = running_;
    THQVoggetto* base = p_.style_.Base();
    bool c = false, F = false, s = false, y = false, pz = false, ig = false;
    int32_t v;
    std::string name;
    if (ColourItem('c', v)) {
        run.SetColour(v);
        c = true;
    }
    if (NameItem(name)) {
        run.SetFace(name);
        F = true;
    }
    if (NumberItem('s', v)) {
        run.SetSize(v);
        s = true;
    }
    if (NumberItem('i', v)) {
        run.SetStyle(uint8_t(v == 1 ? (run.Style() | 2) : (run.Style() & ~2)));
        ig = true;
    }
    if (NumberItem('g', v)) {
        run.SetStyle(uint8_t(v == 1 ? (run.Style() | 1) : (run.Style() & ~1)));
        ig = true;
    }
    if (NumberItem('y', v)) {
        run.SetStyle(uint8_t((run.Style() & ~0xF) | (v & 0xF)));
        y = true;
    }
    if (NumberItem('p', v)) {
        run.SetPosition(uint8_t(v & 0x7F));
        pz = true;
    }
    if (!hadRun) {
        // Absent items fall back to the plain style values.
        if (!c) run.SetColour(StyleValue(base, Attr::Colour));
        if (!F) run.SetFace(StyleFace(base));
        if (!s) run.SetSize(StyleValue(base, Attr::Size));
        if (!y && !ig) run.SetStyle(uint8_t(StyleValue(base, Attr::Style)));
        if (!pz) run.SetPosition(uint8_t(StyleValue(base, Attr::Position)));
        auto& fonts = p_.X().runFonts;
        fonts.push_back(std::make_unique<THQVFontStyle>(base));
        fonts.back()->Assign(run);
        rec.runFont = int32_t(fonts.size() - 1);
    } else {
        p_.RunFont(rec.runFont).Assign(run);
    }
    if (link_ == kNoLink) SetDisplayFromRunning();
    else display_ = p_.style_.LinkFont(run.Font());
    Measure();
    stopped_ = false;
    AfterTagEnd(bare ? i_ - 1 : i_);
}

// The tables whose cells are being read, outermost first. A table named again
// inside its own cells would read (and free) the cells it is reading, and a
// deep nesting would exhaust the stack: such a tag stands for a blank.
namespace {
thread_local std::vector<PlacedObject*> tablesReading;
constexpr size_t kMaxTableNesting = 64;

bool TableBeingRead(PlacedObject* table) {
    return std::find(tablesReading.begin(), tablesReading.end(), table) != tablesReading.end();
}
}  // namespace

void MarkupReader::LinkOrObjectTag() {
    const size_t tag = i_;
    uint8_t digits[8];
    for (size_t k = 0; k < 8; ++k) digits[k] = tag + 2 + k < lim_ ? d_[tag + 2 + k] : '0';
    int32_t value = int32_t(ParseTagDigits(digits));
    const uint8_t k = IdKind(value);
    if (k == kFragmentKind) {
        if (renum_) value = renum_->Object(value);
        PlacedObject* obj = box_.controls ? box_.controls->ControlAt(IdNumber(value)) : nullptr;
        if (obj && obj->IsTable() && kind_ == ReadKind::Full && TableBeingRead(obj)) obj = nullptr;
        if (obj && obj->IsTable() && kind_ == ReadKind::Full) {
            size_t after = std::min(tag + 11, lim_);
            if (lim_ - after >= 3 && std::memcmp(d_ + after, "<@>", 3) == 0) {
                i_ = after + 3;
            } else if (tablesReading.size() >= kMaxTableNesting) {
                // Its cells cannot be read into cell boxes: their text stays,
                // as text of this paragraph, and the table goes.
                MarkupReadReport::FlattenedTable();
                FlattenCells(obj, after);
                return;
            } else {
                s_.SetPosition(after);
                tablesReading.push_back(obj);
                obj->SetCellOrigin(p_.origin);
                obj->ReadCells(s_, renum_);
                tablesReading.pop_back();
                // The cells must leave the stream inside this box stream.
                i_ = std::clamp(s_.Position(), after, lim_);
            }
        } else {
            AfterTagEnd(tag + 2);
        }
        AppendObjectBlank(obj);
        return;
    }
    if (k == kPageLocalKind) {
        if (renum_) value = renum_->Link(value);
        StartLink(value);
    } else if (k == testoHtml || k == genLink) {
        StartLink(value);
    }
    p_.records_.back().link = link_;
    AfterTagEnd(tag + 2);
}

void MarkupReader::SkipBlock(uint8_t letter) {
    // A block skipped as a whole, up to its closing tag "<d>".
    const uint8_t close[3] = {'<', uint8_t(letter + ('a' - 'A')), '>'};
    size_t j = i_ + 2;
    for (;;) {
        j = Find(j, '<');
        if (j >= lim_ || (lim_ - j >= 3 && std::memcmp(d_ + j, close, 3) == 0)) break;
        ++j;
    }
    i_ = j >= lim_ ? lim_ : j + 3;
}

// The cells of `table` from `at` on, read as plain text of this paragraph: the
// characters of every cell in order, a blank between paragraphs and cells,
// the placed objects other than tables kept where they stand, tables inside
// read the same way. Fonts and links of the cells are not kept. Works with a
// list of open tables instead of recursion, so no nesting can exhaust the stack.
void MarkupReader::FlattenCells(PlacedObject* table, size_t at) {
    auto cellsOf = [](const PlacedObject* t) {
        const THQVoggetto* o = t->Object();
        return o ? int64_t(o->U8(kTableRowsOffset)) * o->U8(kTableColumnsOffset) : 0;
    };
    std::vector<int64_t> open{cellsOf(table)};
    i_ = at;
    bool gap = !p_.text_.empty();
    auto separate = [&] {
        if (gap && !p_.text_.empty() && p_.text_.back() != ' ') AppendByte(' ');
        gap = false;
    };
    while (!open.empty() && i_ < lim_) {
        if (open.back() <= 0) {
            open.pop_back();
            continue;
        }
        const uint8_t b = d_[i_];
        if (b == '&') {
            separate();
            size_t next;
            const uint8_t c = DecodeEntity(d_, i_, lim_, next);
            i_ = next;
            AppendByte(c);
            continue;
        }
        if (b != '<') {
            if (b >= 32) separate();
            AppendByte(b);
            ++i_;
            continue;
        }
        const uint8_t n = i_ + 1 < lim_ ? d_[i_ + 1] : 0;
        if (n == 'T') {
            --open.back();
            gap = true;
            i_ = std::min(i_ + 3, lim_);
        } else if (n == 'Z') {
            gap = true;
            AfterTagEnd(i_ + 1);
        } else if (n == 'D' || n == 'F' || n == 'R') {
            SkipBlock(n);
        } else if (n == '$') {
            const size_t tag = i_;
            uint8_t digits[8];
            for (size_t k = 0; k < 8; ++k) digits[k] = tag + 2 + k < lim_ ? d_[tag + 2 + k] : '0';
            int32_t value = int32_t(ParseTagDigits(digits));
            AfterTagEnd(tag + 2);
            if (IdKind(value) != kFragmentKind) continue;  // links are not kept
            if (renum_) value = renum_->Object(value);
            PlacedObject* obj = box_.controls ? box_.controls->ControlAt(IdNumber(value)) : nullptr;
            if (!obj) continue;
            if (obj->IsTable()) {
                const size_t after = std::min(tag + 11, lim_);
                if (lim_ - after >= 3 && std::memcmp(d_ + after, "<@>", 3) == 0) i_ = after + 3;
                else {
                    i_ = after;
                    open.push_back(cellsOf(obj));
                    MarkupReadReport::FlattenedTable();
                }
                gap = true;
            } else {
                separate();
                AppendObjectBlank(obj);
            }
        } else {
            AfterTagEnd(i_ + 1);
        }
    }
}

void MarkupReader::StartEmpty(int32_t style) {
    p_.style_.SetBase(box_.StyleObject(style));
    p_.ResetToEmpty();
}

bool MarkupReader::Finish(bool result) {
    // The end record carries the run font a caret there types with, never a link.
    p_.records_.back().link = kNoLink;
    if (p_.text_.empty()) {
        SetDisplayFromRunning();
        Measure();
    }
    // Room reserved for characters that tags took up goes back: a character
    // costs its record and its byte.
    auto& recs = p_.records_;
    if (recs.capacity() - recs.size() > recs.size() / 8 + 8) recs.shrink_to_fit();
    if (p_.text_.capacity() - p_.text_.size() > p_.text_.size() / 8 + 16) p_.text_.shrink_to_fit();
    box_.Unlock();
    return result;
}

bool MarkupReader::Run() {
    i_ = s_.Position();
    const size_t lt = Find(i_, '<');
    if (lt >= lim_) {
        // No paragraph tag at all: an empty paragraph of style 0.
        StartEmpty(0);
        return false;
    }
    box_.Lock();
    i_ = std::min(lt + 3, lim_);  // "<Z "
    int32_t style = -1;
    if (!NumberItem('S', style)) style = -1;
    if (style >= 0 && renum_) style = renum_->Style(style);
    if (style < 0) {
        StartEmpty(0);
        s_.SetPosition(Find(lt, '>'));
        box_.Unlock();
        return false;
    }
    THQVParaStyle& st = p_.style_;
    st.ClearOverrides();
    st.SetBase(box_.StyleObject(style));
    ReadParagraphItems();
    stopped_ = false;
    running_.Clear();
    running_.Assign(st);
    SetDisplayFromRunning();
    Measure();
    p_.baseHeight = height_;
    p_.text_.clear();
    p_.records_.clear();
    p_.extras_.reset();
    p_.lines_.reset();  // one line for the whole text until the paragraph is laid out
    AfterTagEnd(i_);
    // The paragraph's markup runs at most to the next paragraph or cell tag; its
    // length bounds the characters, so the records are allocated once.
    size_t e = i_;
    while ((e = Find(e, '<')) < lim_ && !(e + 1 < lim_ && (d_[e + 1] == 'Z' || d_[e + 1] == 'T')))
        ++e;
    p_.text_.reserve(e - i_);
    p_.records_.reserve(e - i_ + 1);
    p_.records_.push_back(CharRecord{});

    while (i_ < lim_) {
        const uint8_t b = d_[i_];
        if (b == '<') {
            const uint8_t n = i_ + 1 < lim_ ? d_[i_ + 1] : 0;
            switch (n) {
                case '$': LinkOrObjectTag(); break;
                case '%':
                    EndLink();
                    AfterTagEnd(i_ + 2);
                    break;
                case 'D':
                case 'F':
                case 'R': SkipBlock(n); break;
                case 'T':
                    if (!box_.IsCellBox()) {
                        // A cell end outside any table (damaged or crafted
                        // markup): the tag is dropped and reported, and the
                        // text after it stays in this paragraph instead of
                        // being lost at the next store.
                        MarkupReadReport::TruncatedItem(true);
                        i_ = std::min(i_ + 3, lim_);
                        break;
                    }
                    s_.SetPosition(std::min(i_ + 3, lim_));
                    return Finish(true);
                case 'Y': FontTag(); break;
                case 'Z':
                    s_.SetPosition(i_);
                    return Finish(false);
                default: AfterTagEnd(i_ + 1);
            }
        } else if (b == '&') {
            size_t next;
            uint8_t c = DecodeEntity(d_, i_, lim_, next);
            i_ = next;
            AppendByte(c);
        } else {
            // A run of plain characters up to the next tag, entity or control byte.
            size_t j = i_;
            while (j < lim_ && d_[j] >= 32 && d_[j] != '<' && d_[j] != '&') ++j;
            if (j == i_) ++i_;  // a control byte: dropped
            else {
                AppendRun(d_ + i_, j - i_);
                i_ = j;
            }
        }
    }
    s_.SetPosition(lim_);
    return Finish(true);
}

bool THQVparag::Read(BoxStream& s, ReadKind kind, const Renumbering* renumber) {
    MarkupReadReport report(box_->Set().Messages());
    MarkupReader r(*this, s, kind, renumber);
    return r.Run();
}

// --- the writer -----------------------------------------------------------------------------

class MarkupWriter {
public:
    MarkupWriter(const THQVparag& p, Bytes& out) : p_(p), out_(out) {}
    void Run(WriteMode mode, int32_t from, int32_t to);

private:
    void Item(Attr a, int32_t v);
    void Face(const std::string& f);
    void FontItems(const StyleOverrides& f, bool all);
    void FontTag(const StyleOverrides& f, bool all);
    // Table cells follow: what is written so far is final.
    void Flush() { fontTagStart_ = SIZE_MAX; }

    const THQVparag& p_;
    Bytes& out_;
    // The paragraph's markup is assembled at the end of the output itself; only
    // its tail (a replaceable font tag) is ever rewritten.
    Bytes& buf_ = out_;
    size_t fontTagStart_ = SIZE_MAX;  // start of a replaceable font tag ending buf_
};

void MarkupWriter::Item(Attr a, int32_t v) {
    buf_.push_back(uint8_t(kAttrKeys[int(a)]));
    switch (a) {
        case Attr::Colour:
        case Attr::LinkColour: AppendColour(buf_, v); break;
        case Attr::Style:
        case Attr::LinkStyle: AppendNumber(buf_, v & 0xF); break;
        case Attr::Position:
        case Attr::ValueP:
        case Attr::Align:
        case Attr::ListKind:
        case Attr::Unit: AppendNumber(buf_, v & 0x7F); break;
        default: AppendNumber(buf_, v);
    }
    buf_.push_back(' ');
}

void MarkupWriter::Face(const std::string& f) {
    buf_.push_back('F');
    buf_.push_back('"');
    // A quote or a byte below 32 cannot stand inside the name.
    for (char c : f)
        if (c != '"' && uint8_t(c) >= 32) buf_.push_back(uint8_t(c));
    buf_.push_back('"');
    buf_.push_back(' ');
}

void MarkupWriter::FontItems(const StyleOverrides& f, bool all) {
    for (int k = 0; k < kFontAttrCount; ++k) {
        Attr a = Attr(k);
        if (!all && !f.IsSet(a)) continue;
        if (a == Attr::Face) Face(f.Face());
        else Item(a, f.Get(a));
    }
}

void MarkupWriter::FontTag(const StyleOverrides& f, bool all) {
    // A font tag directly after another one replaces it.
    if (fontTagStart_ != SIZE_MAX) buf_.resize(fontTagStart_);
    fontTagStart_ = buf_.size();
    AppendString(buf_, "<Y ");
    FontItems(f, all);
    buf_.push_back('>');
}

void MarkupWriter::Run(WriteMode mode, int32_t from, int32_t to) {
    const int32_t len = p_.Length();
    from = std::clamp(from, 0, len);
    to = std::clamp(to, from, len);
    const auto& recs = p_.records_;
    const THQVParaStyle& st = p_.style_;
    auto isTable = [&](int32_t i) {
        int32_t o = recs[size_t(i)].object;
        return o >= 0 && p_.Objects()[size_t(o)]->IsTable();
    };
    const bool tableFirst = len > 0 && isTable(0);
    const size_t need = buf_.size() + size_t(len) + 64;
    if (buf_.capacity() < need) buf_.reserve(std::max(need, buf_.capacity() * 2));

    // 1. Header.
    if (mode != WriteMode::Continuation || tableFirst) {
        AppendString(buf_, "<Z S");
        AppendNumber(buf_, st.Base() ? st.Base()->Number() : 0);
        buf_.push_back(' ');
        if (mode == WriteMode::Continuation) FontItems(st, true);
        for (int k = 0; k < kAttrCount; ++k) {
            Attr a = Attr(k);
            if (!st.IsSet(a)) continue;
            if (a == Attr::Face) Face(st.Face());
            else Item(a, st.Get(a));
        }
        buf_.push_back('>');
    } else {
        AppendString(buf_, "<Y ");
        FontItems(st, true);
        buf_.push_back('>');  // never replaced
    }

    // 2-3. Characters.
    const bool range = mode == WriteMode::Range;
    const int32_t wFrom = range ? 0 : from;
    const int32_t wTo = range ? len : to;
    // The end record carries a run start only when the paragraph is written to
    // its end.
    const int32_t last = wTo == len ? len : wTo - 1;
    const StyleOverrides* current = &st;
    int32_t lastLink = kNoLink;
    // Text that continues another paragraph is read against that paragraph's
    // style, and a font tag at the place of the header only adds to it: its
    // font tags say every value, so each character keeps its look.
    const bool fullTags = mode == WriteMode::Continuation;
    for (int32_t i = 0; i <= last; ++i) {
        const CharRecord& r = recs[size_t(i)];
        if (r.runFont >= 0 && size_t(r.runFont) < p_.RunFonts().size()) {
            current = p_.RunFonts()[size_t(r.runFont)].get();
            if (i >= wFrom) FontTag(*current, fullTags);
        } else if (i == wFrom && wFrom > 0) {
            FontTag(*current, true);
        }
        if (i < wFrom || i >= len) continue;
        if (r.link != lastLink) {
            lastLink = r.link;
            if (lastLink == kNoLink) AppendString(buf_, "<%>");
            else {
                AppendString(buf_, "<$");
                AppendHex8(buf_, uint32_t(lastLink));
                buf_.push_back('>');
            }
            fontTagStart_ = SIZE_MAX;
        }
        if (r.object >= 0 && size_t(r.object) < p_.Objects().size()) {
            const PlacedObject* o = p_.Objects()[size_t(r.object)];
            AppendString(buf_, "<$");
            AppendHex8(buf_, kObjectValueBase | (uint32_t(o->ControlIndex()) & 0xFFFFFFu));
            buf_.push_back('>');
            fontTagStart_ = SIZE_MAX;
            if (o->IsTable()) {
                if (mode == WriteMode::Whole || (range && from <= i && i < to)) {
                    Flush();
                    o->WriteCells(out_);
                } else if (range) {
                    AppendString(buf_, "<@>");
                }
            }
        } else {
            // This character and the plain ones after it that start no run, hold
            // no object and keep the link go out in one piece.
            const char* t = p_.text_.data();
            auto plain = [&](int32_t k) {
                uint8_t c = uint8_t(t[k]);
                return c >= 32 && c != '<' && c != '>' && c != '&';
            };
            int32_t j = i;
            if (plain(i)) {
                const int32_t end = std::min(last + 1, len);
                ++j;
                while (j < end && plain(j) && recs[size_t(j)].runFont < 0 &&
                       recs[size_t(j)].object < 0 && recs[size_t(j)].link == lastLink)
                    ++j;
                buf_.insert(buf_.end(), t + i, t + j);
                fontTagStart_ = SIZE_MAX;
                i = j - 1;
            } else {
                size_t before = buf_.size();
                AppendEscaped(buf_, uint8_t(t[i]));
                if (buf_.size() != before) fontTagStart_ = SIZE_MAX;
            }
        }
    }
    // 4. A link still open is closed.
    if (lastLink != kNoLink) AppendString(buf_, "<%>");
    Flush();
}

void THQVparag::Write(Bytes& out, WriteMode mode, int32_t from, int32_t to) const {
    MarkupWriter w(*this, out);
    w.Run(mode, from, to);
}

}  // namespace ovik
