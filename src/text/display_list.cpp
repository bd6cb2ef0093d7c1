#include "text/display_list.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "document/hqv_object.h"
#include "document/picture.h"

namespace ovik {

namespace {

constexpr int32_t kRunTolerance = 4;  // stored widths may be this far off the string's width
constexpr uint8_t kBulletChar = 0x95;  // Windows-1252 bullet
constexpr int32_t kBulletOffset = 10;  // a bullet stands this far left of the margin

bool Meets(const PixelRect& a, const PixelRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The largest origin + m * step at or before v.
int32_t FirstTile(int32_t v, int32_t origin, int32_t step) {
    int64_t d = int64_t(v) - origin;
    int64_t m = d >= 0 ? d / step : -((-d + step - 1) / step);
    return ClampToInt32(origin + m * step);
}

// The grid origin modulo the step (0 .. step-1).
int32_t Mod(int64_t v, int32_t step) {
    int64_t r = v % step;
    return int32_t(r < 0 ? r + step : r);
}

DisplayFont ToDisplay(const TMyFont& f) { return DisplayFont{f.face, f.size, f.style, f.colour}; }

// The font characters are drawn in: the run font, turned into the link font
// inside a link (THQVParaStyle::LinkFont, the rule measuring follows too).
TMyFont DrawFont(const THQVparag& p, int32_t runFont, int32_t link) {
    TMyFont f = runFont >= 0 && size_t(runFont) < p.RunFonts().size() ? p.RunFonts()[size_t(runFont)]->Font()
                                                                      : p.Font();
    return link != kNoLink ? p.Style().LinkFont(f) : f;
}

class Painter {
public:
    Painter(THQVbox& box, const PixelRect& clip, const PaintOptions& opt, DisplayList& out)
        : box_(box), g_(box.geometry), clip_(clip), opt_(opt), out_(out),
          boxWidth_(std::max({g_.width, g_.neededWidth, g_.layoutWidth})) {
        if (box.hasSelection) {
            selStart_ = box.SelectionStart();
            selEnd_ = box.SelectionEnd();
        }
    }

    void Run() {
        Background();
        if (box_.IsCellBox() && opt_.inactiveCell && !g_.readOnly) out_.items.push_back(HatchItem{clip_});
        if (box_.IsCellBox() && g_.cellBorder > 0)
            out_.items.push_back(BorderItem{PixelRect{0, 0, g_.width, g_.height}, g_.cellBorder});
        const int32_t n = box_.ParagraphCount();
        int32_t k = ParagraphAtY(box_, clip_.top);
        if (k < 0) return;
        // List numbers count runs of numbered paragraphs: count back over the
        // numbered paragraphs just before the first painted one.
        int32_t number = 0;
        for (int32_t b = k - 1; b >= 0 && IsNumbered(b); --b) ++number;
        for (; k < n; ++k) {
            THQVparag& p = box_.Paragraph(k);
            if (p.top >= clip_.bottom) break;
            number = IsNumbered(k) ? number + 1 : 0;
            const PixelRect rows{0, p.top, boxWidth_, ClampToInt32(int64_t(p.bottom) + 1)};
            if (Meets(rows, clip_)) Paragraph(k, number);
        }
        Caret();
    }

private:
    bool IsNumbered(int32_t k) const { return box_.Paragraph(k).Style().Get(Attr::ListKind) == 6; }

    void Background() {
        if (box_.noBackground) return;
        THQVoggetto* pic = box_.BackgroundPicture();
        std::shared_ptr<const DecodedPicture> decoded = pic ? pic->Picture() : nullptr;
        if (!decoded) {
            out_.items.push_back(FillItem{clip_, box_.BackgroundColour()});
            return;
        }
        if (!PictureIsOpaque(*decoded) && !box_.IsCellBox())
            out_.items.push_back(FillItem{clip_, box_.BackgroundColour()});
        const int32_t sx = pic->U16(85), sy = pic->U16(87);
        if (sx == 0 || sy == 0) return;
        int32_t ox = 0, oy = 0;
        if (box_.IsCellBox()) {
            ox = Mod(-int64_t(opt_.cellLeft), sx);
            oy = Mod(-int64_t(opt_.cellTop), sy);
        } else if (box_.FixedBackground()) {
            ox = Mod(opt_.scrollX, sx);
            oy = Mod(opt_.scrollY, sy);
        }
        out_.items.push_back(
            TileItem{pic, clip_, FirstTile(clip_.left, ox, sx), FirstTile(clip_.top, oy, sy), sx, sy});
    }

    void Paragraph(int32_t k, int32_t number) {
        THQVparag& p = box_.Paragraph(k);
        if (p.Lines().empty()) return;
        const int32_t textTop = ClampToInt32(int64_t(p.top) + p.Style().Get(Attr::Above));
        if ((p.origin == 1 || p.origin == 2) && !box_.IsCellBox() && !g_.readOnly)
            out_.items.push_back(HatchItem{PixelRect{0, ClampToInt32(int64_t(p.top) - 2), boxWidth_,
                                                     ClampToInt32(int64_t(p.bottom) + 2)}});
        ListMark(p, textTop, number);
        int32_t runFont = p.RunFontIndexAt(p.Lines().front().first);
        for (size_t l = 0; l < p.Lines().size(); ++l) Line(k, p, p.Lines()[l], textTop, runFont);
    }

    void ListMark(const THQVparag& p, int32_t textTop, int32_t number) {
        const int32_t kind = p.Style().Get(Attr::ListKind);
        if (kind != 6 && kind != 10) return;
        platform::TextMeasurer& m = box_.Measurer();
        const THQVline& first = p.Lines().front();
        const int32_t firstAscent = p.Records().front().ascent;
        ListMarkItem item;
        item.top = ClampToInt32(int64_t(textTop) + first.y + first.ascent - firstAscent);
        const int64_t left = int64_t(p.LeftMargin()) + (box_.IsCellBox() ? g_.cellInset : 0);
        const int32_t indent = p.Indent();
        TMyFont font = p.Font();
        if (kind == 6) {
            item.text = std::to_string(number) + ". ";
            const int32_t w = m.Extent(font.Desc(), item.text);
            item.x = ClampToInt32(indent < 0 ? left + indent : indent < w ? left - w : left);
        } else {
            if (m.HasFace("Wingdings")) {
                font.face = "Wingdings";
                item.text = "w";
            } else {
                item.text = std::string(1, char(kBulletChar));
            }
            item.x = ClampToInt32(indent < 0 ? left + indent : indent > 9 ? left : left - kBulletOffset);
        }
        item.font = ToDisplay(font);
        item.baseline = ClampToInt32(int64_t(item.top) + m.Metrics(font.Desc()).ascent);
        out_.items.push_back(std::move(item));
    }

    // The selected characters of paragraph k: [from, to), empty when none.
    std::pair<int32_t, int32_t> Selected(int32_t k) const {
        if (!box_.hasSelection || k < selStart_.paragraphIndex || k > selEnd_.paragraphIndex) return {0, 0};
        const int32_t from = k == selStart_.paragraphIndex ? selStart_.charIndex : 0;
        const int32_t to = k == selEnd_.paragraphIndex ? selEnd_.charIndex : INT32_MAX;
        return {from, to};
    }

    void Line(int32_t k, THQVparag& p, const THQVline& line, int32_t textTop, int32_t& runFont) {
        std::vector<CharRecord>& rec = p.Records();
        const int32_t first = std::clamp(line.first, 0, p.Length());
        const int32_t end = std::clamp(line.first + line.count, first, p.Length());
        const int64_t baseline = int64_t(textTop) + line.y + line.ascent;
        const int64_t x0 = int64_t(line.alignOffset) + line.left;
        const auto [selFrom, selTo] = Selected(k);

        // Selection highlight of this line: from where the selection starts in
        // it (or the line's start) to where it ends (or the line's end).
        if (selFrom < end && selTo > first) {
            int64_t a = x0, b = x0;
            for (int32_t i = first; i < end; ++i) {
                if (i < selFrom) a += rec[size_t(i)].width;
                if (i < std::min(selTo, end)) b += rec[size_t(i)].width;
            }
            if (b > a)
                out_.items.push_back(SelectionItem{PixelRect{ClampToInt32(a), ClampToInt32(int64_t(textTop) + line.y),
                                                             ClampToInt32(b),
                                                             ClampToInt32(int64_t(textTop) + line.y + line.height)}});
        }

        int64_t x = x0;
        int32_t i = first;
        while (i < end) {
            if (rec[size_t(i)].runFont >= 0) runFont = rec[size_t(i)].runFont;
            const bool sel = i >= selFrom && i < selTo;
            if (rec[size_t(i)].object >= 0) {
                Object(k, p, i, x, baseline, sel);
                x += rec[size_t(i)].width;
                ++i;
                continue;
            }
            // A run: no run start, no object, the same link and selection state.
            int32_t j = i + 1;
            while (j < end && rec[size_t(j)].runFont < 0 && rec[size_t(j)].object < 0 &&
                   rec[size_t(j)].link == rec[size_t(i)].link && (j >= selFrom && j < selTo) == sel)
                ++j;
            x = TextRun(k, p, i, j, x, baseline, runFont, sel);
            i = j;
        }
        Squiggles(p, first, end, x0, baseline);
    }

    int64_t TextRun(int32_t k, THQVparag& p, int32_t i, int32_t j, int64_t x, int64_t baseline,
                    int32_t runFont, bool sel) {
        std::vector<CharRecord>& rec = p.Records();
        platform::TextMeasurer& m = box_.Measurer();
        const TMyFont font = DrawFont(p, runFont, rec[size_t(i)].link);
        const platform::FontDesc desc = font.Desc();
        const platform::FontCell cell = m.Metrics(desc);
        TextItem item;
        item.text = p.Text().substr(size_t(i), size_t(j - i));
        item.font = ToDisplay(font);
        item.x = ClampToInt32(x);
        item.selected = sel;
        item.paragraph = k;
        item.first = i;
        int64_t top = baseline - rec[size_t(i)].ascent;
        if (font.position == 1) top += cell.height / 2;
        item.top = ClampToInt32(top);
        item.baseline = ClampToInt32(top + cell.ascent);
        int64_t stored = 0;
        for (int32_t c = i; c < j; ++c) stored += rec[size_t(c)].width;
        const int64_t drawn = m.Extent(desc, item.text);
        if (std::llabs(drawn - stored) > kRunTolerance) {
            // The stored widths are off (fonts changed since measuring): draw
            // each character where layout put it and measure it again.
            int64_t cx = x;
            for (int32_t c = i; c < j; ++c) {
                item.charX.push_back(ClampToInt32(cx));
                cx += rec[size_t(c)].width;
                if (opt_.storeRemeasured) {
                    // The first character after a font change is measured alone.
                    const bool alone = c == i && (c == 0 || rec[size_t(c)].runFont >= 0 ||
                                                  rec[size_t(c - 1)].link != rec[size_t(c)].link);
                    rec[size_t(c)].width =
                        m.CharWidth(desc, alone ? -1 : int(uint8_t(p.Text()[size_t(c - 1)])), uint8_t(p.Text()[size_t(c)]));
                }
            }
        }
        out_.items.push_back(std::move(item));
        return x + stored;
    }

    void Object(int32_t k, const THQVparag& p, int32_t i, int64_t x, int64_t baseline, bool sel) {
        const CharRecord& r = p.Records()[size_t(i)];
        const PlacedObject* o = r.object < int32_t(p.Objects().size()) ? p.Objects()[size_t(r.object)] : nullptr;
        ObjectItem item;
        item.controlIndex = o ? o->ControlIndex() : -1;
        const int64_t top = baseline - r.ascent;
        item.rect = PixelRect{ClampToInt32(x), ClampToInt32(top), ClampToInt32(x + r.width),
                              ClampToInt32(top + r.height)};
        item.selected = sel;
        item.paragraph = k;
        item.charIndex = i;
        out_.items.push_back(item);
    }

    void Squiggles(const THQVparag& p, int32_t first, int32_t end, int64_t x0, int64_t baseline) {
        const std::string& mask = p.SpellMask();
        if (mask.empty()) return;
        int64_t x = x0;
        int32_t i = first;
        // x of character i as we walk.
        while (i < end) {
            if (size_t(i) >= mask.size() || mask[size_t(i)] != '!') {
                x += p.Records()[size_t(i++)].width;
                continue;
            }
            const int64_t start = x;
            while (i < end && size_t(i) < mask.size() && mask[size_t(i)] == '!')
                x += p.Records()[size_t(i++)].width;
            out_.items.push_back(SquiggleItem{ClampToInt32(start), ClampToInt32(x), ClampToInt32(baseline + 1)});
        }
    }

    void Caret() {
        if (!opt_.showCaret || box_.hasSelection) return;
        TextPosition c = PositionOf(box_, box_.caret.paragraphIndex, box_.caret.charIndex);
        if (c.height < 0) return;
        const PixelRect r{c.x, c.y, ClampToInt32(int64_t(c.x) + 1), ClampToInt32(int64_t(c.y) + c.height)};
        if (Meets(r, clip_)) out_.items.push_back(CaretItem{c.x, c.y, c.height});
    }

    THQVbox& box_;
    const BoxGeometry& g_;
    PixelRect clip_;
    const PaintOptions& opt_;
    DisplayList& out_;
    int32_t boxWidth_;
    TextPosition selStart_, selEnd_;
};

void AppendRect(std::string& s, const PixelRect& r) {
    s += std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
         std::to_string(r.bottom - r.top);
}

std::string Colour(int32_t c) {
    Bytes b;
    AppendColour(b, c);
    return "#" + std::string(b.begin(), b.end());
}

std::string Quoted(const std::string& t) {
    std::string s = "\"";
    for (unsigned char c : t) {
        if (c >= 32 && c < 127 && c != '"' && c != '\\') {
            s += char(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            s += buf;
        }
    }
    return s + "\"";
}

std::string Font(const DisplayFont& f) {
    return f.face + "/" + std::to_string(f.size) + "/" + std::to_string(f.style) + " " + Colour(f.colour);
}

}  // namespace

DisplayList BuildDisplayList(THQVbox& box, const PixelRect& clip, const PaintOptions& options) {
    DisplayList out;
    out.clip = clip;
    if (box.LockCount() > 0 || clip.IsEmpty()) return out;
    Painter(box, clip, options, out).Run();
    return out;
}

std::vector<int32_t> ListNumbers(const THQVbox& box) {
    std::vector<int32_t> numbers(size_t(box.ParagraphCount()), 0);
    int32_t counter = 1;
    for (int32_t k = 0; k < box.ParagraphCount(); ++k) {
        if (box.Paragraph(k).Style().Get(Attr::ListKind) == 6) numbers[size_t(k)] = counter++;
        else counter = 1;
    }
    return numbers;
}

bool PictureIsOpaque(const DecodedPicture& picture) {
    return !picture.IsMetafile() && !picture.transparent;
}

void PlaceControls(THQVbox& box, const DisplayList& list) {
    for (const DisplayItem& item : list.items) {
        const ObjectItem* o = std::get_if<ObjectItem>(&item);
        if (!o || o->paragraph < 0 || o->paragraph >= box.ParagraphCount()) continue;
        const THQVparag& p = box.Paragraph(o->paragraph);
        if (o->charIndex < 0 || o->charIndex >= p.Length()) continue;
        const int32_t idx = p.Records()[size_t(o->charIndex)].object;
        if (idx < 0 || idx >= int32_t(p.Objects().size()) || !p.Objects()[size_t(idx)]) continue;
        PlacedObject* c = p.Objects()[size_t(idx)];
        if (c->NeedsPlacing() || c->MustTakeFocus() || !c->IsVisible()) c->Place(o->rect.left, o->rect.top);
        c->SetInSelection(o->selected);
    }
}

std::string DumpDisplayList(const DisplayList& list) {
    std::string s;
    for (const DisplayItem& item : list.items) {
        std::visit(
            [&](const auto& it) {
                using T = std::decay_t<decltype(it)>;
                if constexpr (std::is_same_v<T, FillItem>) {
                    s += "fill ";
                    AppendRect(s, it.rect);
                    s += " " + Colour(it.colour);
                } else if constexpr (std::is_same_v<T, TileItem>) {
                    s += "tile ";
                    AppendRect(s, it.area);
                    s += " from " + std::to_string(it.originX) + "," + std::to_string(it.originY) + " step " +
                         std::to_string(it.stepX) + "x" + std::to_string(it.stepY);
                } else if constexpr (std::is_same_v<T, HatchItem>) {
                    s += "hatch ";
                    AppendRect(s, it.rect);
                } else if constexpr (std::is_same_v<T, BorderItem>) {
                    s += "border ";
                    AppendRect(s, it.rect);
                    s += " width " + std::to_string(it.width);
                } else if constexpr (std::is_same_v<T, SelectionItem>) {
                    s += "selection ";
                    AppendRect(s, it.rect);
                } else if constexpr (std::is_same_v<T, TextItem>) {
                    s += "text " + Quoted(it.text) + " " + Font(it.font) + " at " + std::to_string(it.x) + "," +
                         std::to_string(it.top) + " base " + std::to_string(it.baseline);
                    if (it.selected) s += " selected";
                    if (!it.charX.empty()) {
                        s += " chars";
                        for (int32_t cx : it.charX) s += " " + std::to_string(cx);
                    }
                } else if constexpr (std::is_same_v<T, ListMarkItem>) {
                    s += "mark " + Quoted(it.text) + " " + Font(it.font) + " at " + std::to_string(it.x) + "," +
                         std::to_string(it.top) + " base " + std::to_string(it.baseline);
                } else if constexpr (std::is_same_v<T, SquiggleItem>) {
                    s += "squiggle " + std::to_string(it.x1) + ".." + std::to_string(it.x2) + " y " +
                         std::to_string(it.y) + " " + Colour(it.colour);
                } else if constexpr (std::is_same_v<T, ObjectItem>) {
                    s += "object " + std::to_string(it.controlIndex) + " ";
                    AppendRect(s, it.rect);
                    if (it.selected) s += " selected";
                } else if constexpr (std::is_same_v<T, CaretItem>) {
                    s += "caret " + std::to_string(it.x) + "," + std::to_string(it.y) + " height " +
                         std::to_string(it.height);
                }
            },
            item);
        s += "\n";
    }
    return s;
}

}  // namespace ovik
