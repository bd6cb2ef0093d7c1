#include "text/layout.h"

#include <algorithm>

#include "document/hqv_object.h"

namespace ovik {

int32_t PlacedObject::VerticalAlignment() const {
    THQVoggetto* o = Object();
    if (o && o->Kind() == immagineNew) return o->U8(13);
    return 4;
}

namespace {

int32_t Inset(const THQVbox& box) { return box.IsCellBox() ? box.geometry.cellInset : 0; }

int32_t SpaceAbove(const THQVparag& p) { return p.Style().Get(Attr::Above); }
int32_t SpaceBelow(const THQVparag& p) { return p.Style().Get(Attr::Below); }

// Height of the whole text as the box and the scroll bars see it.
int32_t TextHeight(const THQVbox& box) {
    int64_t h = TextBottom(box);
    if (box.IsCellBox()) h += box.geometry.cellInset;
    return ClampToInt32(h);
}

// A new vertical range: the position keeps its distance to the end of the text
// (not below 0, not past the range). A range set for the first time keeps the
// position at the top.
void SetVerticalRange(BoxGeometry& g, int32_t range) {
    const int32_t old = g.vScrollRange;
    if (old > 0) g.vScrollPos = ClampToInt32(int64_t(g.vScrollPos) + range - old);
    g.vScrollRange = range;
    g.vScrollPos = std::clamp(g.vScrollPos, 0, std::max(range, 0));
}

// The box's size and, for a page box, its scroll ranges after a layout.
void UpdateBoxSize(THQVbox& box) {
    BoxGeometry& g = box.geometry;
    const int32_t textHeight = TextHeight(box);
    const int32_t oldHeight = g.height, oldWidth = g.width;
    g.width = std::max({g.neededWidth, g.layoutWidth, kMinBoxWidth});
    g.height = std::max(textHeight, g.requestedHeight);
    if (box.IsCellBox()) {
        if ((g.height != oldHeight || g.width != oldWidth) && box.OnCellHeightChanged) box.OnCellHeightChanged(box);
        return;
    }
    g.width = std::max(g.width, g.clientWidth);
    if (g.neededWidth > g.layoutWidth) {
        g.hScrollRange = g.neededWidth;
    } else {
        g.hScrollRange = 0;
        g.hScrollPos = 0;
    }
    SetVerticalRange(g, textHeight);
}

// Closes a line: clamps the remaining width, takes the line's ascent and height
// from its characters (or the base height), the align offset and used width.
void EndLine(const THQVparag& p, THQVline& line, int32_t remaining, int32_t fullWidth,
             int32_t align, int32_t lineHeight, int32_t y, bool firstLine) {
    if (remaining < 0) remaining = 0;
    const std::vector<CharRecord>& rec = p.Records();
    int32_t ascent = 0;
    for (int32_t i = line.first; i < line.first + line.count; ++i)
        ascent = std::max(ascent, rec[size_t(i)].ascent);
    int64_t height = 0;
    for (int32_t i = line.first; i < line.first + line.count; ++i) {
        const CharRecord& r = rec[size_t(i)];
        height = std::max<int64_t>(height, int64_t(ascent) + r.height - r.ascent);
    }
    line.ascent = ascent;
    line.height = ClampToInt32(height);
    if (line.height <= 0) line.height = p.baseHeight;
    if (line.height <= 0 && firstLine) line.height = kEmptyLineHeight;
    line.alignOffset = align == 1 ? remaining : align == 2 ? remaining / 2 : 0;
    line.usedWidth = ClampToInt32(int64_t(fullWidth) - remaining);
    if (lineHeight > 0) line.height = lineHeight;
    line.y = y;
}

}  // namespace

int32_t FirstParagraphTop(const THQVbox& box) {
    if (box.IsCellBox()) return box.geometry.cellInset;
    if (box.ParagraphCount() == 0) return kFirstParagraphTop;
    const int32_t above = SpaceAbove(box.Paragraph(0));
    return above != 0 ? above : kFirstParagraphTop;
}

int32_t TextBottom(const THQVbox& box) {
    if (box.ParagraphCount() == 0) return 0;
    return ClampToInt32(int64_t(box.Paragraph(box.ParagraphCount() - 1).bottom) + 1);
}

void SizePlacedObject(THQVbox& box, THQVparag& p, int32_t i, int32_t availableWidth) {
    if (i < 0 || i >= p.Length()) return;
    CharRecord& r = p.Records()[size_t(i)];
    if (r.object < 0 || r.object >= int32_t(p.Objects().size())) return;
    PlacedObject* o = p.Objects()[size_t(r.object)];
    if (!o) return;
    if (!o->HasParent()) o->SetParentBox(box);
    o->SetAvailableWidth(std::max(availableWidth, 0));
    int32_t w, h;
    if (o->HiddenInMode(box.geometry.readOnly)) {
        w = kHiddenObjectWidth;
        h = kHiddenObjectHeight;
    } else {
        w = std::max(o->Width(), 0);
        h = std::max(o->Height(), 0);
        const THQVoggetto* obj = o->Object();
        const uint8_t kind = obj ? obj->Kind() : uint8_t(none);
        if (kind == inputStat || kind == inputDin || kind == bottoneCGI)
            h = ClampToInt32(int64_t(h) + 2);
    }
    const int32_t align = o->VerticalAlignment();
    r.width = w;
    r.height = h;
    r.ascent = align == 3 ? 0 : align == 4 ? h / 2 : h;
    o->Unplace();
}

int32_t LayOutParagraph(THQVbox& box, int32_t index, int32_t top) {
    if (index < 0 || index >= box.ParagraphCount()) return top;
    THQVparag& p = box.Paragraph(index);
    BoxGeometry& g = box.geometry;
    p.top = p.bottom = top;
    if (p.baseHeight <= 0) p.MeasureBaseHeight();

    const THQVParaStyle& st = p.Style();
    const int32_t inset = Inset(box);
    const int64_t left = int64_t(p.LeftMargin()) + inset;
    const int64_t right = int64_t(p.RightMargin()) + inset;
    int64_t indent = p.Indent();
    if (st.Get(Attr::ListKind) != 0 && indent < 0) indent = 0;
    const int32_t fullWidth = ClampToInt32(int64_t(g.layoutWidth) - left - right);
    const int32_t align = st.Get(Attr::Align);
    const int32_t lineHeight = st.Get(Attr::LineHeight);

    const std::string& text = p.Text();
    std::vector<CharRecord>& rec = p.Records();
    const int32_t n = p.Length();
    std::vector<THQVline> lines;
    lines.reserve(size_t(n / 32 + 1));

    THQVline line;
    line.left = ClampToInt32(left + indent);
    const int32_t firstWidth = ClampToInt32(int64_t(fullWidth) - indent);
    int32_t remaining = firstWidth;
    int32_t breakPoint = -1;       // first character of the next line, -1 = none
    int32_t breakRemaining = 0;    // the remaining width at the break point
    int32_t y = 0;

    auto add = [&](int32_t i) {
        remaining = ClampToInt32(int64_t(remaining) - rec[size_t(i)].width);
        ++line.count;
        if (remaining < 0)
            g.neededWidth = std::max(g.neededWidth, ClampToInt32(int64_t(g.layoutWidth) - remaining));
    };
    auto close = [&](int32_t rem) {
        EndLine(p, line, rem, fullWidth, align, lineHeight, y, lines.empty());
        y = ClampToInt32(int64_t(y) + line.height);
        lines.push_back(line);
        line = THQVline{};
        line.left = ClampToInt32(left);
    };

    for (int32_t i = 0; i < n; ++i) {
        if (rec[size_t(i)].object >= 0) SizePlacedObject(box, p, i, lines.empty() ? firstWidth : fullWidth);
        const int32_t w = rec[size_t(i)].width;
        if (int64_t(remaining) - w > 0) {
            add(i);
            if (text[size_t(i)] == ' ') {
                breakPoint = i + 1;
                breakRemaining = remaining;
            }
        } else if (line.count > 0) {
            if (breakPoint < 0 && text[size_t(i - 1)] == ' ') {
                breakPoint = i;
                breakRemaining = remaining;
            }
            if (breakPoint < 0) {
                add(i);  // a word longer than the line overflows
            } else {
                // The line ends at the break point; the word after it moves down.
                const int32_t from = breakPoint;
                line.count = from - line.first;
                close(breakRemaining);
                line.first = from;
                line.count = i - from;
                int64_t moved = 0;
                for (int32_t k = from; k < i; ++k) moved += rec[size_t(k)].width;
                remaining = ClampToInt32(int64_t(fullWidth) - moved);
                breakPoint = -1;
                add(i);
            }
        } else {
            // Not even one character fits: it stands alone on the line.
            add(i);
            if (i != n - 1) {
                close(remaining);
                line.first = i + 1;
                remaining = fullWidth;
                breakPoint = -1;
            }
        }
    }
    close(remaining);

    const THQVline& last = lines.back();
    // Negative spaces may pull the next paragraph up, but never above this one's
    // top: tops stay in order, which painting and hit testing search by.
    const int64_t next = std::max<int64_t>(
        int64_t(top) + SpaceAbove(p) + last.y + last.height + SpaceBelow(p), int64_t(top) + 1);
    p.Lines() = std::move(lines);
    // Saturated as a whole, so that the next top is always bottom + 1.
    const int32_t nextTop = ClampToInt32(std::max<int64_t>(next, int64_t(INT32_MIN) + 1));
    p.bottom = nextTop - 1;
    return nextTop;
}

void RelayoutBox(THQVbox& box) {
    if (box.ParagraphCount() == 0) return;
    BoxGeometry& g = box.geometry;
    g.neededWidth = g.layoutWidth;
    int32_t top = FirstParagraphTop(box);
    for (int32_t k = 0; k < box.ParagraphCount(); ++k) top = LayOutParagraph(box, k, top);
    UpdateBoxSize(box);
}

bool ResizePageBox(THQVbox& box, int32_t clientWidth, int32_t clientHeight) {
    BoxGeometry& g = box.geometry;
    const bool widthChanged = clientWidth != g.clientWidth || clientWidth != g.layoutWidth;
    g.clientWidth = clientWidth;
    g.clientHeight = clientHeight;
    if (!widthChanged || box.ParagraphCount() == 0 || box.LockCount() > 0) return false;
    g.layoutWidth = std::max(clientWidth, kMinBoxWidth);
    g.neededWidth = g.layoutWidth;
    RelayoutBox(box);
    return true;
}

LayoutDamage RelayoutRange(THQVbox& box, int32_t first, int32_t last) {
    LayoutDamage d;
    const int32_t n = box.ParagraphCount();
    first = std::max(first, 0);
    last = std::min(last, n - 1);
    if (first > last) return d;
    const int32_t oldBottom = box.Paragraph(last).bottom;
    const int32_t oldTextBottom = TextBottom(box);
    // The range starts right below the paragraph before it, and the paragraphs
    // after it move to right below its end: paragraphs that were just inserted
    // (undo, paste) carry no positions of their own yet, so neither the range's
    // own old top nor its old bottom can be trusted.
    int32_t top = first == 0 ? FirstParagraphTop(box) : box.Paragraph(first - 1).bottom + 1;
    const int32_t rangeTop = std::min(top, box.Paragraph(first).top);
    for (int32_t k = first; k <= last; ++k) top = LayOutParagraph(box, k, top);
    d.shift = last + 1 < n ? ClampToInt32(int64_t(box.Paragraph(last).bottom) + 1 - box.Paragraph(last + 1).top)
                           : ClampToInt32(int64_t(box.Paragraph(last).bottom) - oldBottom);
    if (d.shift != 0) {
        for (int32_t k = last + 1; k < n; ++k) {
            THQVparag& p = box.Paragraph(k);
            p.top = ClampToInt32(int64_t(p.top) + d.shift);
            p.bottom = ClampToInt32(int64_t(p.bottom) + d.shift);
            for (PlacedObject* o : p.Objects())
                if (o) o->Unplace();
        }
    }
    UpdateBoxSize(box);
    const int32_t width = std::max(box.geometry.width, box.geometry.neededWidth);
    const int32_t bottom = d.shift != 0 ? std::max(oldTextBottom, TextBottom(box))
                                        : std::max(oldBottom, box.Paragraph(last).bottom) + 1;
    d.rect = PixelRect{0, rangeTop, width, bottom};
    return d;
}

void InstallLayout(THQVbox& box) {
    box.OnLayout = [](THQVbox& b, int32_t first, int32_t last) {
        BoxGeometry& g = b.geometry;
        if (g.layoutWidth <= 0) {
            g.layoutWidth = std::max(g.clientWidth, kMinBoxWidth);
            g.neededWidth = g.layoutWidth;
        }
        if (first <= 0 && last >= b.ParagraphCount() - 1) RelayoutBox(b);
        else RelayoutRange(b, first, last);
    };
}

void RemeasureRange(THQVbox& box, int32_t first, int32_t last) {
    const int32_t n = box.ParagraphCount();
    first = std::max(first, 0);
    last = std::min(last, n - 1);
    if (first > last) return;
    const int32_t top = box.Paragraph(first).top;
    const int32_t bottom = box.Paragraph(last).bottom;
    Bytes markup;
    std::vector<std::string> masks;
    for (int32_t k = first; k <= last; ++k) {
        box.Paragraph(k).Write(markup, WriteMode::Flat);
        masks.push_back(box.Paragraph(k).SpellMask());
    }
    auto& paras = box.Paragraphs();
    std::vector<std::unique_ptr<THQVparag>> tail(std::make_move_iterator(paras.begin() + last + 1),
                                                 std::make_move_iterator(paras.end()));
    paras.erase(paras.begin() + first, paras.end());
    box.Lock();
    BoxStream s(markup);
    const int32_t read = box.ReadParagraphs(s, 0, nullptr, ReadKind::Flat);
    box.Unlock();
    for (auto& t : tail) paras.push_back(std::move(t));
    // Origins follow the header and footer counts; spelling marks stay with
    // paragraphs whose text is unchanged.
    const int32_t count = box.ParagraphCount();
    for (int32_t k = 0; k < count; ++k) {
        THQVparag& p = box.Paragraph(k);
        if (k >= first && k < first + read) {
            p.origin = k < box.headerCount ? 1 : k >= count - box.footerCount ? 2 : 0;
            const size_t m = size_t(k - first);
            if (m < masks.size() && !masks[m].empty() && masks[m].size() <= size_t(p.Length()))
                p.MutableSpellMask() = masks[m];
        }
    }
    if (read > 0) {
        box.Paragraph(first).top = top;
        box.Paragraph(first + read - 1).bottom = bottom;
    }
}

// --- positions ---------------------------------------------------------------------------------

int32_t LineOf(const THQVparag& p, int32_t j) {
    const std::vector<THQVline>& lines = p.Lines();
    if (lines.empty()) return -1;
    // Lines are in order of their first character: the last one not above j.
    auto it = std::upper_bound(lines.begin(), lines.end(), j,
                               [](int32_t v, const THQVline& l) { return v < l.first; });
    return it == lines.begin() ? 0 : int32_t(it - lines.begin()) - 1;
}

namespace {
TextPosition PositionOnLine(const THQVbox& box, int32_t k, int32_t line, int32_t j) {
    TextPosition pos = box.MakePosition(k, j);
    const THQVparag& p = box.Paragraph(k);
    if (line < 0) return pos;
    const THQVline& l = p.Lines()[size_t(line)];
    int64_t x = int64_t(l.alignOffset) + l.left;
    const int32_t end = std::min(j, p.Length());
    for (int32_t i = std::min(l.first, end); i < end; ++i) x += p.Records()[size_t(i)].width;
    pos.lineIndex = line;
    pos.x = ClampToInt32(x);
    pos.preferredX = pos.x;
    pos.y = ClampToInt32(int64_t(SpaceAbove(p)) + p.top + l.y);
    pos.height = l.height;
    return pos;
}
}  // namespace

TextPosition PositionOf(const THQVbox& box, int32_t k, int32_t j) {
    if (k < 0 || k >= box.ParagraphCount()) {
        TextPosition none;
        none.paragraphIndex = k;
        none.charIndex = j;
        return none;
    }
    const THQVparag& p = box.Paragraph(k);
    j = std::clamp(j, 0, p.Length());
    return PositionOnLine(box, k, LineOf(p, j), j);
}

int32_t CharAtX(const THQVparag& p, int32_t line, int32_t x) {
    const std::vector<THQVline>& lines = p.Lines();
    if (lines.empty()) return 0;
    line = std::clamp(line, 0, int32_t(lines.size()) - 1);
    const THQVline& l = lines[size_t(line)];
    const int32_t end = size_t(line) + 1 < lines.size() ? lines[size_t(line) + 1].first : p.Length();
    int32_t i = std::clamp(l.first, 0, p.Length());
    int64_t running = int64_t(l.alignOffset) + l.left;
    while (running < x && i < std::min(end, p.Length())) running += p.Records()[size_t(i++)].width;
    return i;
}

int32_t ParagraphAtY(const THQVbox& box, int32_t y) {
    const auto& paras = box.Paragraphs();
    if (paras.empty()) return -1;
    auto it = std::upper_bound(paras.begin(), paras.end(), y,
                               [](int32_t v, const std::unique_ptr<THQVparag>& p) { return v < p->top; });
    return it == paras.begin() ? 0 : int32_t(it - paras.begin()) - 1;
}

TextPosition PositionAtPoint(const THQVbox& box, int32_t x, int32_t y) {
    const int32_t k = ParagraphAtY(box, y);
    if (k < 0) return TextPosition{};
    const THQVparag& p = box.Paragraph(k);
    const std::vector<THQVline>& lines = p.Lines();
    const int64_t rel = int64_t(y) - p.top - SpaceAbove(p);
    // Lines are in order of y: the last one that starts at or above rel.
    auto it = std::upper_bound(lines.begin(), lines.end(), rel,
                               [](int64_t v, const THQVline& l) { return v < l.y; });
    const int32_t line = it == lines.begin() ? 0 : int32_t(it - lines.begin()) - 1;
    TextPosition pos = PositionOnLine(box, k, line, CharAtX(p, line, x));
    pos.preferredX = x;
    return pos;
}

}  // namespace ovik
