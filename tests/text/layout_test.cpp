// Line layout with the fixed-metrics measurer: every glyph 8 pixels wide, a
// 12-point font (style 0) 16 pixels high with ascent 12.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/display_list.h"
#include "text/layout.h"
#include "text/layout_test_support.h"
#include "text/markup_generator.h"

namespace ovik::testing {
namespace {

class LayoutTest : public LayoutFixture {
protected:
    std::string LineText(int k, int line) {
        const THQVline& l = P(k).Lines()[size_t(line)];
        return P(k).Text().substr(size_t(l.first), size_t(l.count));
    }
    std::vector<std::string> Lines(int k = 0) {
        std::vector<std::string> out;
        for (size_t l = 0; l < P(k).Lines().size(); ++l) out.push_back(LineText(k, int(l)));
        return out;
    }
};

TEST_F(LayoutTest, BreaksAfterBlanksAndOverflowsLongWords) {
    struct Row {
        const char* name;
        const char* markup;
        int32_t width;
        std::vector<std::string> lines;
    } rows[] = {
        {"fits", "<Z S0 l0 r0 >aaa bbb", 57, {"aaa bbb"}},
        {"just too narrow: the blank stays on line 1", "<Z S0 l0 r0 >aaa bbb", 56, {"aaa ", "bbb"}},
        {"the last blank that fits is the break", "<Z S0 l0 r0 >a b c dd", 49, {"a b c ", "dd"}},
        {"a blank that does not fit moves with its word", "<Z S0 l0 r0 >a b c dd", 48, {"a b ", "c dd"}},
        {"a word longer than the line overflows", "<Z S0 l0 r0 >abcdefghij", 40, {"abcdefghij"}},
        {"a long word after a short one moves down", "<Z S0 l0 r0 >ab abcdefghij", 40, {"ab ", "abcdefghij"}},
        {"margins narrow the line", "<Z S0 l8 r8 >aaa bbb", 72, {"aaa ", "bbb"}},
        {"a first-line indent narrows only line 1", "<Z S0 I16 l0 r0 >aa bb cc", 56, {"aa ", "bb cc"}},
        {"characters as wide as an empty line stand alone", "<Z S0 l6 r6 >abc", 20, {"a", "b", "c"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LayOut(row.markup, row.width);
        EXPECT_EQ(Lines(), row.lines);
        ExpectInvariants(box);
    }
}

TEST_F(LayoutTest, OverflowRaisesNeededWidthAndHorizontalScrollRange) {
    LayOut("<Z S0 l0 r0 >abcdefghij", 40);
    EXPECT_EQ(box.geometry.layoutWidth, 40);
    EXPECT_EQ(box.geometry.neededWidth, 80);
    EXPECT_EQ(box.geometry.hScrollRange, 80);
    EXPECT_EQ(box.geometry.width, 80);
    // Wide enough again: no horizontal scrolling.
    box.geometry.hScrollPos = 12;
    ASSERT_TRUE(ResizePageBox(box, 200, 400));
    EXPECT_EQ(box.geometry.neededWidth, 200);
    EXPECT_EQ(box.geometry.hScrollRange, 0);
    EXPECT_EQ(box.geometry.hScrollPos, 0);
    EXPECT_FALSE(ResizePageBox(box, 200, 300)) << "same width: no layout";
}

TEST_F(LayoutTest, AlignOffsetsAreTheRemainingWidth) {
    struct Row {
        const char* name;
        const char* markup;
        int32_t width;
        int32_t offset;
    } rows[] = {
        {"left", "<Z S0 A0 l0 r0 >abc", 101, 0},
        {"right", "<Z S0 A1 l0 r0 >abc", 101, 77},
        {"centred rounds toward zero", "<Z S0 A2 l0 r0 >abc", 101, 38},
        {"overflowing right-aligned line", "<Z S0 A1 l0 r0 >abcdefghij", 40, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LayOut(row.markup, row.width);
        EXPECT_EQ(P().Lines()[0].alignOffset, row.offset);
        EXPECT_EQ(PositionOf(box, 0, 0).x, row.offset);
    }
}

TEST_F(LayoutTest, LineHeightsComeFromTheParagraphOrTheFonts) {
    struct Row {
        const char* name;
        const char* markup;
        int32_t height;
    } rows[] = {
        {"line height 30", "<Z S0 L30 l0 r0 >aaa bbb", 30},
        {"line height 0", "<Z S0 L0 l0 r0 >aaa bbb", 16},
        {"line height -32000", "<Z S0 L-32000 l0 r0 >aaa bbb", 16},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LayOut(row.markup, 56);
        ASSERT_EQ(P().Lines().size(), 2u);
        EXPECT_EQ(P().Lines()[0].height, row.height);
        EXPECT_EQ(P().Lines()[1].height, row.height);
        EXPECT_EQ(P().Lines()[1].y, row.height);
        EXPECT_EQ(P().bottom - P().top + 1, 2 * row.height);
    }
}

TEST_F(LayoutTest, EmptyParagraphHasOneLineOfBaseHeight) {
    LayOut("<Z S0 ><Z S0 s24 ><Z S0 >x", 200);
    for (int k : {0, 1}) {
        SCOPED_TRACE(k);
        ASSERT_EQ(P(k).Lines().size(), 1u);
        EXPECT_EQ(P(k).Lines()[0].count, 0);
        EXPECT_EQ(P(k).Lines()[0].height, P(k).baseHeight);
    }
    EXPECT_EQ(P(0).Lines()[0].height, 16);
    EXPECT_EQ(P(1).Lines()[0].height, 32);
    EXPECT_EQ(P(1).top, P(0).bottom + 1);
    EXPECT_EQ(P(2).top, P(1).bottom + 1);
}

TEST_F(LayoutTest, FirstParagraphTopAndSpaces) {
    LayOut("<Z S0 >x", 200);
    EXPECT_EQ(P().top, 8);
    EXPECT_EQ(PositionOf(box, 0, 0).y, 8);
    LayOut("<Z S0 t5 b3 >x<Z S0 >y", 200);
    EXPECT_EQ(P().top, 5);
    EXPECT_EQ(PositionOf(box, 0, 0).y, 10) << "text starts below the space above";
    EXPECT_EQ(P(1).top, 5 + 5 + 16 + 3);
    EXPECT_EQ(P(0).bottom, P(1).top - 1);
}

TEST_F(LayoutTest, PlacedObjectsAlignOnTheBaseline) {
    FakeIndex index;
    FakeObject picture(set, 0);  // 32 x 24
    index.controls = {&picture};
    box.controls = &index;
    struct Row {
        uint8_t align;
        int32_t ascent, lineAscent, lineHeight;
    } rows[] = {
        {3, 0, 12, 36},   // hangs below the baseline
        {4, 12, 12, 24},  // centred on it
        {5, 24, 24, 28},  // stands on it
        {9, 24, 24, 28},  // any other value stands too
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(int(row.align));
        picture.Object()->SetU8(13, row.align);
        LayOut("<Z S0 l0 r0 >ab<$FF000000>cd", 200);
        const CharRecord& r = P().Records()[2];
        EXPECT_EQ(r.width, 32);
        EXPECT_EQ(r.height, 24);
        EXPECT_EQ(r.ascent, row.ascent);
        EXPECT_EQ(P().Lines()[0].ascent, row.lineAscent);
        EXPECT_EQ(P().Lines()[0].height, row.lineHeight);
        // The display list puts the control's top at baseline - ascent.
        DisplayList list = BuildDisplayList(box, {0, 0, 200, 200});
        bool found = false;
        for (auto& item : list.items)
            if (auto* o = std::get_if<ObjectItem>(&item)) {
                found = true;
                EXPECT_EQ(o->controlIndex, 0);
                EXPECT_EQ(o->rect, (PixelRect{16, 8 + row.lineAscent - row.ascent, 48,
                                              8 + row.lineAscent - row.ascent + 24}));
            }
        EXPECT_TRUE(found);
    }
    box.controls = nullptr;
}

// A control that reports itself hidden in read-only mode, like a form start.
class HiddenWhenReading : public FakeObject {
public:
    using FakeObject::FakeObject;
    bool HiddenInMode(bool readOnly) const override { return readOnly; }
    void Unplace() override { ++unplaced; }
    void SetAvailableWidth(int32_t w) override { available = w; }
    bool HasParent() const override { return parent != nullptr; }
    void SetParentBox(THQVbox& b) override { parent = &b; }
    int unplaced = 0;
    int32_t available = -1;
    THQVbox* parent = nullptr;
};

TEST_F(LayoutTest, HiddenObjectsCountAsZeroWideAndTenHigh) {
    FakeIndex index;
    HiddenWhenReading obj(set, 0);
    index.controls = {&obj};
    box.controls = &index;
    LayOut("<Z S0 I16 >a<$FF000000>b", 200);
    EXPECT_EQ(P().Records()[1].width, 32);
    EXPECT_EQ(obj.available, 200 - 10 - 10 - 16) << "the first line's width";
    EXPECT_EQ(obj.parent, &box) << "a control without parent gets the box";
    box.geometry.readOnly = true;
    const int before = obj.unplaced;
    RelayoutBox(box);
    EXPECT_EQ(P().Records()[1].width, 0);
    EXPECT_EQ(P().Records()[1].height, 10);
    EXPECT_GT(obj.unplaced, before) << "layout unplaces the control";
    box.controls = nullptr;
}

TEST_F(LayoutTest, SubscriptAndSuperscriptCells) {
    LayOut("<Z S0 l0 r0 >a<Y p1 >b<Y p2 >c", 200);
    const auto& r = P().Records();
    EXPECT_EQ(r[0].height, 16);
    EXPECT_EQ(r[0].ascent, 12);
    EXPECT_EQ(r[1].height, 24) << "subscript: h + h div 2";
    EXPECT_EQ(r[1].ascent, 12);
    EXPECT_EQ(r[2].height, 16);
    EXPECT_EQ(r[2].ascent, 20) << "superscript: ascent raised by h div 2";
    // Line: ascent 20; heights 20+16-12=24, 20+24-12=32, 20+16-20=16.
    EXPECT_EQ(P().Lines()[0].ascent, 20);
    EXPECT_EQ(P().Lines()[0].height, 32);
    DisplayList list = BuildDisplayList(box, {0, 0, 200, 200});
    std::vector<const TextItem*> runs;
    for (auto& item : list.items)
        if (auto* t = std::get_if<TextItem>(&item)) runs.push_back(t);
    ASSERT_EQ(runs.size(), 3u);
    const int32_t baseline = 8 + 20;
    EXPECT_EQ(runs[0]->top, baseline - 12);
    EXPECT_EQ(runs[0]->baseline, baseline);
    EXPECT_EQ(runs[1]->top, baseline - 12 + 8) << "subscript drawn lower by half the font's height";
    EXPECT_EQ(runs[1]->baseline, baseline + 8);
    EXPECT_EQ(runs[2]->top, baseline - 20);
    EXPECT_EQ(runs[2]->baseline, baseline - 8);
}

TEST_F(LayoutTest, PositionsAndHitTestingAgree) {
    LayOut("<Z S0 l4 r0 >one two three four<Z S0 A2 l0 r0 >centre<Z S0 >", 64);
    ASSERT_GT(P(0).Lines().size(), 2u);
    for (int32_t k = 0; k < box.ParagraphCount(); ++k)
        for (int32_t j = 0; j <= P(k).Length(); ++j) {
            SCOPED_TRACE(std::to_string(k) + ":" + std::to_string(j));
            TextPosition p = PositionOf(box, k, j);
            ASSERT_GE(p.height, 0);
            EXPECT_EQ(p.lineIndex, LineOf(P(k), j));
            TextPosition hit = PositionAtPoint(box, p.x, p.y + p.height / 2);
            EXPECT_EQ(hit.paragraphIndex, k);
            EXPECT_EQ(hit.charIndex, j);
            EXPECT_EQ(hit.x, p.x);
            EXPECT_EQ(hit.y, p.y);
        }
    // x positions on the first line: left margin, then 8 per character.
    EXPECT_EQ(PositionOf(box, 0, 0).x, 4);
    EXPECT_EQ(PositionOf(box, 0, 2).x, 20);
    // Clicks between characters go to the next boundary; far right to the line end.
    EXPECT_EQ(CharAtX(P(0), 0, 13), 2);
    EXPECT_EQ(CharAtX(P(0), 0, 5000), P(0).Lines()[1].first);
    EXPECT_EQ(CharAtX(P(0), int32_t(P(0).Lines().size()) - 1, 5000), P(0).Length());
    // Above the text: the first paragraph; below: the last.
    EXPECT_EQ(PositionAtPoint(box, 0, -50).paragraphIndex, 0);
    EXPECT_EQ(PositionAtPoint(box, 0, 100000).paragraphIndex, 2);
    // Out of range asks give no position and never crash.
    EXPECT_EQ(PositionOf(box, 7, 0).height, -1);
    EXPECT_EQ(PositionOf(box, 0, 9999).charIndex, P(0).Length());
}

TEST_F(LayoutTest, RangeRelayoutEqualsFullLayoutAndShiftsBelow) {
    LayOut("<Z S0 l0 r0 >aaa<Z S0 l0 r0 >bbb ccc<Z S0 l0 r0 >ddd<Z S0 l0 r0 >eee", 80);
    const int32_t top2 = P(2).top;
    // Typing in paragraph 1 makes it wrap: one line more.
    for (char c : std::string(" xxxx")) P(1).AppendChar(uint8_t(c));
    LayoutDamage d = RelayoutRange(box, 1, 1);
    EXPECT_EQ(d.shift, 16);
    EXPECT_EQ(P(2).top, top2 + 16);
    EXPECT_EQ(d.rect.top, P(1).top);
    EXPECT_GE(d.rect.bottom, TextBottom(box));
    EXPECT_EQ(box.geometry.vScrollRange, TextBottom(box));
    // The same as laying everything out.
    std::vector<std::pair<int32_t, int32_t>> ranged;
    for (auto& p : box.Paragraphs()) ranged.emplace_back(p->top, p->bottom);
    RelayoutBox(box);
    for (int32_t k = 0; k < box.ParagraphCount(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(ranged[size_t(k)], std::make_pair(P(k).top, P(k).bottom));
    }
    // A change that keeps the height moves nothing and repaints only the range.
    P(3).AppendChar('e');
    d = RelayoutRange(box, 3, 3);
    EXPECT_EQ(d.shift, 0);
    EXPECT_EQ(d.rect, (PixelRect{0, P(3).top, 80, P(3).bottom + 1}));
    // Bad ranges do nothing.
    EXPECT_TRUE(RelayoutRange(box, 5, 9).rect.IsEmpty());
    EXPECT_TRUE(RelayoutRange(box, 2, 1).rect.IsEmpty());
}

TEST_F(LayoutTest, VerticalScrollKeepsItsDistanceToTheEnd) {
    LayOut("<Z S0 l0 r0 >aaa<Z S0 l0 r0 >bbb", 80);
    EXPECT_EQ(box.geometry.vScrollPos, 0) << "a first layout starts at the top";
    box.geometry.vScrollPos = 10;
    for (char c : std::string(" xxxxxxx")) P(0).AppendChar(uint8_t(c));
    RelayoutRange(box, 0, 0);
    EXPECT_EQ(box.geometry.vScrollPos, 26);
    P(0).ResetToEmpty();
    RelayoutRange(box, 0, 0);
    EXPECT_EQ(box.geometry.vScrollPos, 10);
}

TEST_F(LayoutTest, CellBoxesUseTheirInsetAndTellTheirTable) {
    auto cellBox = CellBox("<Z S1 >aaa bb ccc", 60);
    THQVbox& cell = *cellBox;
    cell.geometry.cellInset = 2;
    int told = 0;
    cell.OnCellHeightChanged = [&](THQVbox&) { ++told; };
    RelayoutBox(cell);
    const THQVparag& p = cell.Paragraph(0);
    EXPECT_EQ(p.top, 2);
    EXPECT_EQ(p.Lines()[0].left, 2);
    ASSERT_EQ(p.Lines().size(), 2u) << "60 - 2 * 2 leaves 56 pixels";
    EXPECT_EQ(cell.geometry.height, 2 + 32 + 2);
    EXPECT_EQ(told, 1);
    RelayoutRange(cell, 0, 0);
    EXPECT_EQ(told, 1) << "same height: the table is not told";
}

TEST_F(LayoutTest, RemeasureTakesTheCurrentFonts) {
    LayOut("<Z S0 >ab<Z S0 >cd<Z S0 >ef", 200);
    P(1).MutableSpellMask() = " !";
    const int32_t top = P(1).top, bottom = P(1).bottom;
    const std::string before = Str(box.Markup());
    P(1).Style().Set(Attr::Size, 24);
    RemeasureRange(box, 1, 1);
    EXPECT_EQ(Str(box.Markup()), "<Z S0 >ab<Z S0 s24 >cd<Z S0 >ef");
    EXPECT_EQ(P(1).Records()[0].height, 32);
    EXPECT_EQ(P(1).top, top);
    EXPECT_EQ(P(1).bottom, bottom);
    EXPECT_EQ(P(1).SpellMask(), " !");
    ExpectInvariants(box);
    RelayoutRange(box, 1, 1);
    EXPECT_EQ(P(2).top, P(1).bottom + 1);
    EXPECT_EQ(P(1).Lines()[0].height, 32);
    (void)before;
}

TEST_F(LayoutTest, RemeasureKeepsOriginsOfHeaderAndFooter) {
    InstallLayout(box);
    box.geometry.clientWidth = 200;
    box.ClearParagraphs();
    BoxStream head(std::string_view("<Z S0 >h")), main(std::string_view("<Z S0 >m")),
        foot(std::string_view("<Z S0 >f"));
    box.LoadText(&main, &head, &foot);
    ASSERT_EQ(box.ParagraphCount(), 3);
    RemeasureRange(box, 0, 2);
    EXPECT_EQ(P(0).origin, 1);
    EXPECT_EQ(P(1).origin, 0);
    EXPECT_EQ(P(2).origin, 2);
    RemeasureRange(box, -5, 99);  // clamped
    EXPECT_EQ(box.ParagraphCount(), 3);
}

TEST_F(LayoutTest, ExtremeLengthsNeverCrash) {
    for (const char* m : {"<Z S0 l2147483647 r2147483647 >abc def", "<Z S0 I-2147483647 >abc",
                          "<Z S0 t2147483647 b2147483647 >a<Z S0 >b", "<Z S0 L2147483647 >a b c",
                          "<Z S0 l-100000 >ab"}) {
        SCOPED_TRACE(m);
        LayOut(m, 100);
        ExpectInvariants(box);
        BuildDisplayList(box, {0, 0, 100, 100});
        PositionAtPoint(box, 50, 50);
    }
    LayOut("<Z S0 >abc", 0);
    EXPECT_EQ(box.geometry.layoutWidth, kMinBoxWidth);
}

// Generated pages (hostile ones too) at many widths: lines cover the text in
// order, break only after blanks, paragraphs follow each other without gaps,
// hit testing finds every character again, the display list shows every
// character, and a range relayout after typing equals a whole layout.
TEST_F(LayoutTest, GeneratedPagesKeepLayoutProperties) {
    FakeTable cells(set, 0, 1, 2);
    FakeObject picture(set, 1);
    FakeIndex index;
    index.controls = {&cells, &picture};
    box.controls = &index;
    for (uint32_t seed = 1; seed <= 120; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        MarkupGenerator g(seed);
        LayOut(g.Page(int(seed % 40), seed % 2 == 0), int32_t(20 + seed * 7 % 400));
        ExpectInvariants(box);
        for (int32_t k = 0; k < box.ParagraphCount(); ++k) {
            const THQVparag& p = P(k);
            if (k > 0) {
                ASSERT_EQ(int64_t(p.top), int64_t(P(k - 1).bottom) + 1);
            }
            int32_t next = 0;
            for (size_t l = 0; l < p.Lines().size(); ++l) {
                const THQVline& line = p.Lines()[l];
                ASSERT_EQ(line.first, next);
                next += line.count;
                if (l + 1 < p.Lines().size()) {
                    EXPECT_TRUE(line.count == 1 || p.Text()[size_t(next - 1)] == ' ')
                        << "line " << l << " of paragraph " << k;
                }
            }
            ASSERT_EQ(next, p.Length());
            for (int32_t j = 0; j <= p.Length(); j += 3) {
                TextPosition at = PositionOf(box, k, j);
                if (at.height <= 0 || at.y > (1 << 30) || at.y < -(1 << 30)) continue;  // saturated
                // Negative spaces let text stand outside its paragraph's rows.
                const int32_t y = at.y + at.height / 2;
                if (y < p.top || y > p.bottom) continue;
                TextPosition hit = PositionAtPoint(box, at.x, y);
                // Zero-width characters share their x: the hit is the first of them.
                EXPECT_EQ(hit.paragraphIndex, k);
                EXPECT_EQ(hit.x, at.x) << "paragraph " << k << " character " << j;
                EXPECT_EQ(hit.y, at.y) << "paragraph " << k << " character " << j;
            }
        }
        // Saturated coordinates (hostile spaces) fall outside any clip.
        const bool saturated = TextBottom(box) > (1 << 30) || P(0).top < -(1 << 30);
        std::vector<std::string> shown(size_t(box.ParagraphCount()));
        DisplayList list = BuildDisplayList(box, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX});
        int objects = 0;
        for (auto& item : list.items) {
            if (auto* t = std::get_if<TextItem>(&item)) shown[size_t(t->paragraph)] += t->text;
            if (std::holds_alternative<ObjectItem>(item)) ++objects;
        }
        int stored = 0;
        for (int32_t k = 0; k < box.ParagraphCount(); ++k) {
            std::string text;
            for (int32_t i = 0; i < P(k).Length(); ++i)
                if (P(k).Records()[size_t(i)].object < 0) {
                    text += P(k).Text()[size_t(i)];
                } else {
                    ++stored;
                }
            if (!saturated) {
                EXPECT_EQ(shown[size_t(k)], text) << "paragraph " << k;
            }
        }
        if (!saturated) {
            EXPECT_EQ(objects, stored);
        }
        const int32_t k = int32_t(seed % uint32_t(box.ParagraphCount()));
        for (char c : std::string(" typed words")) P(k).AppendChar(uint8_t(c));
        RelayoutRange(box, k, k);
        std::vector<std::pair<int32_t, int32_t>> ranged;
        for (auto& p : box.Paragraphs()) ranged.emplace_back(p->top, p->bottom);
        RelayoutBox(box);
        if (TextBottom(box) > (1 << 30) || P(0).top < -(1 << 30)) continue;  // saturated
        for (int32_t m = 0; m < box.ParagraphCount(); ++m)
            ASSERT_EQ(ranged[size_t(m)], std::make_pair(P(m).top, P(m).bottom)) << "paragraph " << m;
    }
    box.controls = nullptr;
}

// Lines left over from an older text (an edit not laid out yet) and boxes never
// laid out are painted and hit-tested without reading past the text.
TEST_F(LayoutTest, StaleLinesNeverCrash) {
    LayOut("<Z S0 >abc def<Z S0 >ghi", 40);
    P(0).Lines()[0].first = 1000;
    P(0).Lines()[0].count = 50;
    P(1).Lines().back().count = -7;
    P(1).MutableSpellMask() = "!!!!!!!!!!!!!!!!!!!!";
    for (int32_t x : {-5, 0, 20, 5000})
        for (int32_t y : {-5, 8, 30, 5000}) PositionAtPoint(box, x, y);
    PositionOf(box, 0, 3);
    BuildDisplayList(box, {0, 0, 100, 100});
    box.OnLayout = nullptr;
    Load("<Z S0 >abc<Z S0 >def");  // no layout hook: every top is 0
    BuildDisplayList(box, {0, 0, 100, 100});
    EXPECT_EQ(PositionAtPoint(box, 0, 0).paragraphIndex, 1);
}

}  // namespace
}  // namespace ovik::testing
