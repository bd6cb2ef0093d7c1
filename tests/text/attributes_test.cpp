// Attributes and styles: the override rule, units, measuring, the editing
// interfaces' reading side and the style-sheet operations.
#include <gtest/gtest.h>

#include <array>

#include "document/style_record.h"
#include "text/box_attributes.h"
#include "text/text_test_support.h"

namespace ovik::testing {
namespace {

using AttributesTest = TextFixture;

TEST_F(AttributesTest, OverrideEqualToTheStyleIsDropped) {
    Load("<Z S0 s20 >abc");
    EXPECT_TRUE(P().Style().IsSet(Attr::Size));
    P().Style().SetSize(12);  // style 0's size
    EXPECT_FALSE(P().Style().IsSet(Attr::Size));
    EXPECT_EQ(Str(box.Markup()), "<Z S0 >abc");
}

TEST_F(AttributesTest, StyleChangesReachWhatDoesNotOverride) {
    Load("<Z S0 >plain<Z S0 c0000FF >own<Z S0 >x<Y c00FF00 >run<Z S1 >other");
    THQVoggetto* s0 = set.GetObject(stileParagrafo, 0);
    SetStyleValue(*s0, Attr::Colour, 0x123456);
    EXPECT_EQ(P(0).FontAt(2).colour, 0x123456);
    EXPECT_EQ(P(1).FontAt(1).colour, 0xFF0000);         // paragraph override
    EXPECT_EQ(P(2).FontAt(0).colour, 0x123456);
    EXPECT_EQ(P(2).FontAt(2).colour, 0x00FF00);         // run override
    EXPECT_EQ(P(3).FontAt(0).colour, 0);                // another style
}

TEST_F(AttributesTest, RunsDoNotInheritParagraphOverrides) {
    Load("<Z S0 s20 >ab<Y c0000FF >cd");
    EXPECT_EQ(P().FontAt(0).size, 20);
    EXPECT_EQ(P().FontAt(3).size, 12);
}

TEST_F(AttributesTest, Conversions) {
    THQVoggetto* s0 = set.GetObject(stileParagrafo, 0);
    THQVoggetto* s1 = set.GetObject(stileParagrafo, 1);
    THQVParaStyle para(s1);
    para.SetSize(30);
    para.Set(Attr::Left, 7);
    para.SetFace("Arial");
    THQVFontStyle run(s0);
    run.Assign(para);  // the paragraph's base and effective font
    EXPECT_EQ(run.Base(), s1);
    EXPECT_EQ(run.Size(), 30);
    EXPECT_EQ(run.Face(), "Arial");
    EXPECT_FALSE(run.IsSet(Attr::Colour));

    THQVParaStyle copy(s0);
    copy.Assign(para, 96);
    EXPECT_EQ(copy.Base(), s1);
    EXPECT_EQ(copy.Get(Attr::Left), 7);
    EXPECT_FALSE(copy.IsSet(Attr::Right));

    TMyFont f;
    f.face = "Courier New";
    f.size = 9;
    f.position = 2;
    THQVFontStyle fromFont(s0);
    fromFont.Assign(f);
    EXPECT_EQ(fromFont.Font(), f);
    platform::FontDesc d{"Arial", 11, 1};
    fromFont.Assign(d);
    EXPECT_EQ(fromFont.Position(), 2);  // a measurer font carries no position
    EXPECT_EQ(fromFont.Size(), 11);
    TMyFont plain;
    EXPECT_EQ(plain.size, 10);
    EXPECT_EQ(plain.face, "");
}

TEST(UnitsTest, Conversions) {
    EXPECT_NEAR(PixelsToUnit(-32000, umCentimetres, 96), -846.67, 0.005);
    EXPECT_NEAR(PixelsToUnit(10, umMillimetres, 96), 2.6458, 0.0001);
    EXPECT_EQ(UnitToPixels(3, umMillimetres, 96), 11);
    EXPECT_EQ(UnitToPixels(1, umInches, 96), 96);
    EXPECT_EQ(UnitToPixels(72, umPoints, 96), 96);
    EXPECT_EQ(UnitToPixels(6, umPicas, 96), 96);
    EXPECT_EQ(UnitToPixels(13, umPixels, 96), 13);
    EXPECT_EQ(UnitToPixels(1e300, umInches, 96), INT32_MAX);
}

TEST_F(AttributesTest, LengthsInTheParagraphsUnit) {
    Load("<Z S0 M0 >x");  // centimetres
    EXPECT_NEAR(P().Style().LengthInUnit(Attr::LineHeight, 96), -846.67, 0.005);
    P().Style().Set(Attr::Unit, umMillimetres);
    P().Style().SetLengthInUnit(Attr::Left, 3, 96);
    EXPECT_EQ(P().Style().Get(Attr::Left), 11);
    box.SetCaret(0, 0);
    EXPECT_NEAR(box.ParaAttributes().LeftMargin(), 2.9104, 0.0001);
}

// Widths that show the style bits: bold glyphs are 10 pixels, others 8, and
// "AV" kerns by 2.
class StyleMeasurer : public platform::TextMeasurer {
public:
    int32_t Extent(const platform::FontDesc& f, std::string_view t) override {
        int32_t w = int32_t(t.size()) * ((f.style & 1) ? 10 : 8);
        if (t == "AV") w -= 2;
        return w;
    }
    platform::FontCell Metrics(const platform::FontDesc& f) override { return {f.size + 4, f.size}; }
    int32_t PixelsPerInch() const override { return 96; }
};

TEST(MeasuringTest, PairwiseAndVerticalPosition) {
    StyleMeasurer m;
    platform::FontDesc f{"Arial", 12, 0};
    EXPECT_EQ(m.CharWidth(f, -1, 'V'), 8);
    EXPECT_EQ(m.CharWidth(f, 'A', 'V'), 6);
    platform::FontDesc big{"Arial", 12, 0};
    // Cell height 16: subscript 24 high, superscript ascent raised by 8.
    EXPECT_EQ(m.Cell(big, 0).height, 16);
    EXPECT_EQ(m.Cell(big, 1).height, 24);
    EXPECT_EQ(m.Cell(big, 1).ascent, 12);
    EXPECT_EQ(m.Cell(big, 2).height, 16);
    EXPECT_EQ(m.Cell(big, 2).ascent, 20);
    platform::FixedMetricsMeasurer fixed(7, 96);
    EXPECT_EQ(fixed.Extent(f, "abc"), 21);
    EXPECT_EQ(fixed.Metrics(f).height, 16);
}

// Reads one paragraph with the style-revealing measurer.
class MeasuredReadTest : public ::testing::Test {
protected:
    MeasuredReadTest() : set(msgs), box(set, m) {}
    const THQVparag& Read(std::string_view markup) {
        BoxStream s(markup);
        box.ReadParagraphs(s, 0);
        return box.Paragraph(0);
    }
    std::vector<int32_t> Widths(const THQVparag& p) {
        std::vector<int32_t> w;
        for (int32_t i = 0; i < p.Length(); ++i) w.push_back(p.Records()[size_t(i)].width);
        return w;
    }
    platform::RecordingMessages msgs;
    THQVset set;
    StyleMeasurer m;
    THQVbox box;
};

TEST_F(MeasuredReadTest, RecordsGetWidthsWhileReading) {
    const THQVparag& p = Read("<Z S0 >AV<Y y1 >AV<Y y0 p1 >A<$00000001>AV");
    // Pairs kern only within one font; a run start or link start measures alone.
    // The link in plain text toggles underline only (link style 4).
    EXPECT_EQ(Widths(p), (std::vector<int32_t>{8, 6, 10, 8, 8, 8, 6}));
    EXPECT_EQ(p.Records()[0].height, 16);
    EXPECT_EQ(p.Records()[4].height, 24);  // subscript
    EXPECT_EQ(p.baseHeight, 16);
}

TEST_F(MeasuredReadTest, LinkStyleTogglesTheRunsBits) {
    // Link style bold over bold text shows normal weight; over plain text, bold.
    const THQVparag& p = Read("<Z S0 Y1 ><Y y1 >a<$00000001>b<%>c<Y y0 >d<$00000001>e");
    EXPECT_EQ(Widths(p), (std::vector<int32_t>{10, 8, 10, 8, 10}));
}

TEST_F(AttributesTest, TextAttributesReadTheReferencePosition) {
    Load("<Z S0 >ab<Y c0000FF s20 >cd<$00000000>ef<Z S0 y2 >gh");
    box.SetCaret(0, 3);  // after "c"
    auto& ta = box.TextAttributes();
    EXPECT_EQ(ta.Size(), 20);
    EXPECT_EQ(ta.Colour(), 0xFF0000);
    EXPECT_EQ(ta.LinkValue(), -1);
    box.SetCaret(0, 5);
    EXPECT_EQ(ta.LinkValue(), 0);
    EXPECT_EQ(ta.Link(), set.GetObject(testoHtml, 0));
    box.SetCaret(0, 1);
    EXPECT_EQ(ta.Size(), 12);
    ta.pending.size = 40;
    ta.pending.sizeSet = true;
    EXPECT_EQ(ta.Size(), 40);
    ta.pending.sizeSet = false;
    box.SetCaret(1, 0);  // before the first character: the paragraph's font
    EXPECT_EQ(ta.Style(), 2);
    Load("<Z S0 y2 ><Y s20 >ab");
    box.SetCaret(0, 0);
    EXPECT_EQ(ta.Size(), 12);  // a run at 0 starts after the caret
    box.SetCaret(0, 1);
    EXPECT_EQ(ta.Size(), 20);
    Load("<Z S0 >ab<Y s20 >cd<$00000000>ef<Z S0 y2 >gh");
    box.Select(box.MakePosition(0, 1), box.MakePosition(1, 1));
    EXPECT_EQ(ta.CurrentText(), "bcdefg");
    EXPECT_EQ(ta.Size(), 12);  // selection start: "b"
}

TEST_F(AttributesTest, PlacesAroundCaretAndSelection) {
    using At = THQVTextAttributes::At;
    // Sizes by character: a=12 b=20 c=30 d=30 (link on c), end record 30.
    Load("<Z S0 >a<Y s20 >b<Y s30 ><$00000001>c<%>d");
    auto& ta = box.TextAttributes();
    struct Row {
        const char* name;
        int32_t caret, anchor, end;  // anchor < 0: no selection
        At at;
        int32_t size, link;
    };
    const Row rows[] = {
        {"before the caret", 2, -1, 0, At::Reference, 20, -1},
        {"at the caret", 2, -1, 0, At::Caret, 30, 1},
        {"after the caret", 2, -1, 0, At::AfterCaret, 30, -1},
        {"caret at 0", 0, -1, 0, At::Reference, 12, -1},
        {"after the end", 4, -1, 0, At::AfterCaret, 30, -1},
        {"selection start", 0, 1, 3, At::Reference, 20, -1},
        {"before the selection start", 0, 1, 3, At::BeforeSelectionStart, 12, -1},
        {"selection end", 0, 1, 3, At::SelectionEnd, 30, -1},
        {"before the selection end", 0, 1, 3, At::BeforeSelectionEnd, 30, 1},
        {"selection made backwards", 0, 3, 1, At::BeforeSelectionEnd, 30, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        box.hasSelection = false;
        box.SetCaret(0, r.caret);
        if (r.anchor >= 0) box.Select(box.MakePosition(0, r.anchor), box.MakePosition(0, r.end));
        EXPECT_EQ(ta.FontAt(r.at).size, r.size);
        EXPECT_EQ(ta.LinkAt(r.at), r.link);
    }
}

TEST_F(AttributesTest, DiffersFromStyleAndCopyFontIntoStyle) {
    Load("<Z S0 >ab<Y s20 >cd<Z S0 A1 >x");
    auto& ta = box.TextAttributes();
    box.SetCaret(0, 1);
    EXPECT_FALSE(ta.DiffersFromStyle("[nessuno stile]"));
    // Only the font and the paragraph's overrides count, not the margins.
    EXPECT_FALSE(ta.DiffersFromStyle("[nessuno stile tabella]"));
    box.SetCaret(0, 3);
    EXPECT_TRUE(ta.DiffersFromStyle("[nessuno stile]"));
    box.SetCaret(1, 1);
    EXPECT_TRUE(ta.DiffersFromStyle("[nessuno stile]"));  // paragraph override
    EXPECT_TRUE(ta.DiffersFromStyle("no such style"));

    box.SetCaret(0, 3);
    auto style = set.NewObject(stileParagrafo);
    SetStyleValue(*style, Attr::Position, 2);
    ta.CopyFontIntoStyle(*style);
    EXPECT_EQ(StyleValue(style.get(), Attr::Size), 20);
    EXPECT_EQ(StyleFace(style.get()), "Times New Roman");
    EXPECT_EQ(StyleValue(style.get(), Attr::Position), 0);
}

TEST_F(AttributesTest, TheStyleBoxAsksOnlyForTheParagraphsOwnStyleWhenTheTextDiffers) {
    Load("<Z S0 >ab<Y s20 >cd<Z S1 >x");
    struct Row {
        int32_t paragraph, index;
        const char* name;
        StyleBoxAction action;
    } rows[] = {
        {0, 1, "[nessuno stile]", StyleBoxAction::Apply},         // text as the style
        {0, 3, "[nessuno stile]", StyleBoxAction::Ask},           // larger text
        {0, 3, "[NESSUNO STILE]", StyleBoxAction::Ask},           // names ignore case
        {0, 3, "[nessuno stile tabella]", StyleBoxAction::Apply}, // another style
        {1, 1, "[nessuno stile tabella]", StyleBoxAction::Apply},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.name) + " at " + std::to_string(r.index));
        box.SetCaret(r.paragraph, r.index);
        EXPECT_EQ(StyleBoxChoice(box, r.name), r.action);
    }
    // The example for changing the style after the text has the text's font.
    box.SetCaret(0, 3);
    auto example = StyleExampleFromText(box);
    ASSERT_TRUE(example);
    EXPECT_EQ(example->Name(), "[nessuno stile]");
    EXPECT_EQ(StyleValue(example.get(), Attr::Size), 20);
    EXPECT_FALSE(example->IsRegistered());
}

TEST_F(AttributesTest, StyleFromParagraph) {
    Load("<Z S1 s20 A2 M3 l13 >x");
    box.SetCaret(0, 0);
    EXPECT_EQ(box.ParaAttributes().StyleName(), "[nessuno stile tabella]");
    EXPECT_EQ(box.ParaAttributes().Alignment(), 2);
    auto s = box.ParaAttributes().StyleFromParagraph();
    EXPECT_FALSE(s->IsRegistered());
    EXPECT_EQ(s->Name(), "[nessuno stile tabella]");
    EXPECT_EQ(StyleValue(s.get(), Attr::Size), 20);
    EXPECT_EQ(StyleValue(s.get(), Attr::Left), 13);
    EXPECT_EQ(StyleValue(s.get(), Attr::Right), 0);
    EXPECT_EQ(StyleValue(s.get(), Attr::Unit), 3);
    EXPECT_EQ(StyleValue(s.get(), Attr::Align), 2);
}

struct RecordedUndo : BoxUndoRecorder {
    void RecordBoxEntry(THQVbox&, const std::string& text, int32_t first, int32_t last) override {
        entries.push_back(text + " " + std::to_string(first) + ".." + std::to_string(last));
    }
    std::vector<std::string> entries;
};

// Widths that follow the font: every glyph is as wide as the size in points,
// three more in bold; cells are twice the size high.
class SizeMeasurer : public platform::TextMeasurer {
public:
    int32_t Extent(const platform::FontDesc& f, std::string_view text) override {
        return int32_t(text.size()) * (f.size + (f.style & 1 ? 3 : 0));
    }
    platform::FontCell Metrics(const platform::FontDesc& f) override { return {2 * f.size, f.size}; }
    int32_t PixelsPerInch() const override { return 96; }
};

// Width, height and ascent of every record of every paragraph.
std::vector<std::array<int32_t, 3>> Measures(const THQVbox& b) {
    std::vector<std::array<int32_t, 3>> out;
    for (const auto& p : b.Paragraphs())
        for (int32_t i = 0; i < p->Length(); ++i)
            out.push_back({p->Records()[size_t(i)].width, p->Records()[size_t(i)].height,
                           p->Records()[size_t(i)].ascent});
    return out;
}

// Characters measured after an edit have the widths reading gives them; links
// follow one rule in reading, measuring and painting.
TEST_F(AttributesTest, MeasuringFollowsStylesAndOneLinkRule) {
    SizeMeasurer sizes;
    auto grande = set.NewObject(stileParagrafo);
    grande->SetName("Grande");
    SetStyleValue(*grande, Attr::Size, 24);
    THQVoggetto::Register(grande, -1);
    THQVbox b(set, sizes);
    auto load = [&](THQVbox& into, std::string_view m) {
        into.ClearParagraphs();
        BoxStream s(m);
        into.LoadText(&s, nullptr, nullptr);
    };
    // What reading the box's own markup measures.
    auto asRead = [&] {
        THQVbox fresh(set, sizes);
        const Bytes own = b.OwnText();
        load(fresh, std::string_view(reinterpret_cast<const char*>(own.data()), own.size()));
        return Measures(fresh);
    };
    load(b, "<Z S0 >Benvenuto<Z S0 >x");
    const auto before = Measures(b);
    b.SetCaret(0, 3);
    ASSERT_TRUE(b.ParaAttributes().ApplyStyle("Grande"));
    EXPECT_NE(Measures(b), before);
    EXPECT_EQ(Measures(b), asRead());
    EXPECT_EQ(b.Paragraph(0).baseHeight, 48);

    const char* links[] = {
        "<Z S0 y1 Y1 >a<$0000002a>bc<%>d",         // a bold link in bold text shows normal
        "<Z S0 Y1 S30 >a<$0000002a>b<Y y1 >c<%>d",  // link size, a run inside the link
        "<Z S0 S0 >a<$0000002a>bc<%>d",             // a link size of 0 keeps the run's size
        "<Z S0 C00FF00 Y5 >a<$0000002a><Y s8 >bc<%>d",
    };
    for (const char* m : links) {
        SCOPED_TRACE(m);
        load(b, m);
        const auto read = Measures(b);
        for (int32_t i = 0; i < b.Paragraph(0).Length(); ++i) b.Paragraph(0).MeasureChar(i);
        EXPECT_EQ(Measures(b), read);
        // Painting draws the link in the font it was measured in.
        const TMyFont run = b.Paragraph(0).FontAt(1);
        const TMyFont drawn = b.Paragraph(0).Style().LinkFont(run);
        EXPECT_EQ(b.Paragraph(0).Records()[1].width, sizes.Extent(drawn.Desc(), "b"));
    }
}

TEST_F(AttributesTest, ApplyingAStyle) {
    RecordedUndo undo;
    box.undo = &undo;
    int layouts = 0;
    box.OnLayout = [&](THQVbox&, int32_t, int32_t) { ++layouts; };
    Load("<Z S0 A1 >a<Y s20 >b<Z S0 >c<Y s30 >d<Z S0 >e");
    layouts = 0;
    // The same style: runs and overrides go.
    box.SetCaret(0, 0);
    EXPECT_TRUE(box.ParaAttributes().ApplyStyle("[NESSUNO STILE]"));
    EXPECT_EQ(Str(box.Markup()), "<Z S0 >ab<Z S0 >c<Y s30 >d<Z S0 >e");
    ExpectInvariants(box);
    // Another style over a selection: runs stay, overrides go.
    box.Select(box.MakePosition(1, 0), box.MakePosition(2, 1));
    EXPECT_TRUE(box.ParaAttributes().ApplyStyle("[nessuno stile tabella]"));
    EXPECT_EQ(Str(box.Markup()), "<Z S0 >ab<Z S1 >c<Y s30 >d<Z S1 >e");
    ExpectInvariants(box);
    // A name the set does not hold changes nothing, but the entry is recorded.
    EXPECT_FALSE(box.ParaAttributes().ApplyStyle("nothing"));
    EXPECT_EQ(undo.entries, (std::vector<std::string>{"Stile [NESSUNO STILE] 0..0",
                                                      "Stile [nessuno stile tabella] 1..2",
                                                      "Stile nothing 1..2"}));
    EXPECT_EQ(layouts, 2);
    EXPECT_EQ(box.LockCount(), 0);
}

TEST_F(AttributesTest, ImportingStyles) {
    platform::RecordingMessages otherMsgs;
    THQVset other(otherMsgs);
    // 2: equal to nothing here; 3: named like style 0 but different; 0: equal.
    auto* a = other.AddNewObject(stileParagrafo);
    a->SetName("Titolo");
    a->SetState(1);
    SetStyleValue(*a, Attr::Size, 24);
    auto* b = other.AddNewObject(stileParagrafo);
    b->SetName("[nessuno stile]");
    b->SetState(1);
    SetStyleValue(*b, Attr::Size, 9);
    int32_t before = set.ObjectCount(stileParagrafo);
    auto added = ImportStyles(set, other, {0, a->Number(), b->Number()});
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(set.ObjectCount(stileParagrafo), before + 2);
    EXPECT_EQ(added[0]->Name(), "Titolo");
    EXPECT_EQ(StyleValue(added[0], Attr::Size), 24);
    EXPECT_NE(added[1]->Name(), "[nessuno stile]");
    EXPECT_TRUE(added[1]->IsRegistered());
    // Importing the same again adds nothing.
    EXPECT_TRUE(ImportStyles(set, other, {0, a->Number()}).empty());
}

}  // namespace
}  // namespace ovik::testing
