// Box markup: reading into paragraphs and writing back in the four modes.
#include <gtest/gtest.h>

#include <cstdio>

#include "document/style_record.h"
#include "text/text_test_support.h"

namespace ovik::testing {
namespace {

using MarkupTest = TextFixture;

TEST_F(MarkupTest, NewPageContentIsOneEmptyParagraph) {
    const std::string content("<Z S0 >\0", 8);
    Load(content);
    ASSERT_EQ(box.ParagraphCount(), 1);
    EXPECT_EQ(P().Text(), "");
    EXPECT_EQ(P().Records().size(), 1u);
    EXPECT_EQ(P().Style().Base(), set.GetObject(stileParagrafo, 0));
    EXPECT_EQ(Str(box.OwnText()), content);
    ExpectInvariants(box);
}

TEST_F(MarkupTest, CharacterDataAndEntities) {
    struct Row {
        const char* name;
        std::string markup;  // after "<Z S0 >"
        std::string text;
    };
    const Row rows[] = {
        {"escapes", "a&lt;b&amp;c&gt;", "a<b&c>"},
        {"numeric", "&#65;", "A"},
        {"named", "&eacute;&nbsp;&hibar;&yuml;", "\xE9\xA0\xAF\xFF"},
        {"upper-case forms", "&QUOT;&AMP;&LT;&GT;", "\"&<>"},
        {"unknown name", "&xyz;", " xyz;"},
        {"four digits", "&#1234;", "{4;"},
        {"low byte of the number", "&#321;", "A"},
        {"non-numeric reference", "&#x41;", "Ax41;"},
        {"double ampersand", "&&x;y", "&y"},
        {"prefix match", "&ltx", "<x"},
        {"entity without semicolon", "&copy2", "\xA9" "2"},
        {"control bytes dropped", std::string("a\x01\x03" "b\r\nc\t"), "abc"},
        {"reference to a control byte", "a&#10;b", "ab"},
        {"greater-than taken as text", "a>b", "a>b"},
        {"ampersand at end", "ab&", "ab "},
        {"reference at end", "ab&#", "abA"},
        {"double quote and high bytes", "\"\xE0\x80", "\"\xE0\x80"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Load("<Z S0 >" + r.markup);
        ASSERT_EQ(box.ParagraphCount(), 1);
        EXPECT_EQ(P().Text(), r.text);
        ExpectInvariants(box);
    }
}

TEST_F(MarkupTest, WriterEscapesOnlyTheThreeCharacters) {
    Load("<Z S0 >a&lt;b&amp;c&gt;\"\xE9");
    EXPECT_EQ(Str(box.Markup()), "<Z S0 >a&lt;b&amp;c&gt;\"\xE9");
}

TEST_F(MarkupTest, ItemsOfAParagraphTag) {
    Load("<Z S0 c0000FF F\"Arial\" s14 y3 p2 P5 A2 N10 M3 L20 I-12 l30 r40 t5 b6 C00FF00 S16 Y1 >x");
    const THQVParaStyle& st = P().Style();
    EXPECT_EQ(st.Colour(), 0xFF0000);  // blue byte is the third
    EXPECT_EQ(st.Face(), "Arial");
    EXPECT_EQ(st.Size(), 14);
    EXPECT_EQ(st.Style(), 3);
    EXPECT_EQ(st.Position(), 2);
    EXPECT_EQ(st.Get(Attr::ValueP), 5);
    EXPECT_EQ(st.Get(Attr::Align), 2);
    EXPECT_EQ(st.Get(Attr::ListKind), 10);
    EXPECT_EQ(st.Get(Attr::Unit), 3);
    EXPECT_EQ(st.Get(Attr::LineHeight), 20);
    EXPECT_EQ(st.Get(Attr::Indent), -12);
    EXPECT_EQ(st.Get(Attr::Left), 30);
    EXPECT_EQ(st.Get(Attr::Right), 40);
    EXPECT_EQ(st.Get(Attr::Above), 5);
    EXPECT_EQ(st.Get(Attr::Below), 6);
    EXPECT_EQ(st.Get(Attr::LinkColour), 0x00FF00);
    EXPECT_EQ(st.Get(Attr::LinkSize), 16);
    EXPECT_EQ(st.Get(Attr::LinkStyle), 1);
    // Every item differs from style 0, so every one is written back.
    EXPECT_EQ(Str(box.Markup()),
              "<Z S0 c0000FF F\"Arial\" s14 y3 p2 P5 A2 N10 M3 L20 I-12 l30 r40 t5 b6 C00FF00 S16 "
              "Y1 >x");
}

TEST_F(MarkupTest, ParagraphTagEdgeCases) {
    struct Row {
        const char* name;
        std::string markup;
        std::string written;
        std::string message;
    };
    const Row rows[] = {
        {"red-byte order", "<Z S0 c0000FF >", "<Z S0 c0000FF >", ""},
        {"items out of order are ignored from the first one", "<Z S0 A2 c0000FF l5 >",
         "<Z S0 A2 >", ""},
        {"value equal to the style is no override", "<Z S0 s12 l10 >", "<Z S0 >", ""},
        {"25-character face kept whole", "<Z S0 F\"ABCDEFGHIJKLMNOPQRSTUVWXY\" >",
         "<Z S0 F\"ABCDEFGHIJKLMNOPQRSTUVWXY\" >", ""},
        {"40-character face cut to the 32 a style holds",
         "<Z S0 F\"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd\" >",
         "<Z S0 F\"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345\" >", ""},
        {"empty face ignored", "<Z S0 F\"\" s20 >", "<Z S0 s20 >", ""},
        {"control bytes dropped from a face", "<Z S0 F\"A\x01r\x10ial\" >", "<Z S0 F\"Arial\" >", ""},
        {"style that does not exist falls back to 0", "<Z S77 >a", "<Z S0 >a", ""},
        {"style 1", "<Z S1 >a", "<Z S1 >a", ""},
        {"no style number", "<Z A1 >a", "<Z S0 >", ""},
        {"negative style number", "<Z S-3 >a", "<Z S0 >", ""},
        {"no tag at all", "plain text", "<Z S0 >", ""},
        {"value without blank", "<Z S0 s1234567890123 >", "<Z S0 >", "Truncated line!"},
        {"items after a truncated one are absent", "<Z S0 s12345678901234 A2 >", "<Z S0 >",
         "Truncated line!"},
        {"face without closing quote", "<Z S0 F\"Arial >abc", "<Z S0 >abc", "Truncated line!"},
        {"huge number saturates", "<Z S0 l99999999999 >", "<Z S0 l2147483647 >", ""},
        {"byte items keep seven bits", "<Z S0 A200 >", "<Z S0 A72 >", ""},
        {"seven bits that equal the style are no override", "<Z S0 A128 >", "<Z S0 >", ""},
        {"style bits keep four bits", "<Z S0 y31 >", "<Z S0 y15 >", ""},
        {"garbage number reads as 0", "<Z S0 l1x2 >", "<Z S0 l0 >", ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        msgs.clear();
        EXPECT_EQ(Rewrite(r.markup), r.written);
        EXPECT_EQ(msgs.joined().find(r.message) != std::string::npos, true) << msgs.joined();
        if (r.message.empty()) {
            EXPECT_TRUE(msgs.entries().empty()) << msgs.joined();
        }
        ExpectInvariants(box);
    }
}

TEST_F(MarkupTest, TruncatedLineCaptions) {
    Load("<Z S0 s123456789012345 >");
    ASSERT_EQ(msgs.entries().size(), 1u);
    EXPECT_EQ(msgs.entries()[0].kind, platform::MessageKind::Error);
    msgs.clear();
    Load("<Z S0 F\"Arial >");
    ASSERT_EQ(msgs.entries().size(), 1u);
    EXPECT_EQ(msgs.entries()[0].kind, platform::MessageKind::Information);
    EXPECT_EQ(msgs.entries()[0].text, "Truncated line!");
}

TEST_F(MarkupTest, ALoadShowsOneMessageForAllItsBadItems) {
    std::string markup;
    for (int i = 0; i < 500; ++i) markup += "<Z S0 s1234567890123 >a<Y s99999999999999 >b";
    Load(markup);
    EXPECT_EQ(box.ParagraphCount(), 500);
    ASSERT_EQ(msgs.entries().size(), 1u) << msgs.entries()[1].text;
    EXPECT_EQ(msgs.entries()[0].kind, platform::MessageKind::Error);
    EXPECT_EQ(msgs.entries()[0].text, "Truncated line! (1000 elementi scartati)");
    // Pasted paragraphs are one load too.
    msgs.clear();
    BoxStream s(markup);
    box.InsertParagraphsAt(s, 1, ReadKind::Full);
    ASSERT_EQ(msgs.entries().size(), 1u);
    EXPECT_EQ(msgs.entries()[0].text, "Truncated line! (1000 elementi scartati)");
    // Face names cut short are information, counted alike.
    msgs.clear();
    Load("<Z S0 >a<Y s1234567890123 >b<Z S0 >c<Y F\"Arial >d");
    ASSERT_EQ(msgs.entries().size(), 1u);
    EXPECT_EQ(msgs.entries()[0].kind, platform::MessageKind::Error);
    EXPECT_EQ(msgs.entries()[0].text, "Truncated line! (2 elementi scartati)");
}

// Tables nested deeper than the reader reads cells: the text of the deeper
// cells becomes text of the cell paragraph that holds the first table past
// the limit, and nothing after the tables is lost, also through a store.
TEST_F(MarkupTest, TablesNestedPastTheLimitKeepEveryText) {
    constexpr int kDepth = 70;
    FakeIndex index;
    std::vector<std::unique_ptr<FakeTable>> tables;
    std::string markup = "<Z S0 >before";
    for (int d = 0; d < kDepth; ++d) {
        tables.push_back(std::make_unique<FakeTable>(set, 10 + d, 1, 1));
        tables.back()->Cell(0).controls = &index;
        index.controls.push_back(tables.back().get());
        char tag[16];
        std::snprintf(tag, sizeof tag, "<$FF%06x>", 10 + d);
        markup += std::string(tag) + "<Z S1 >t" + std::to_string(d) + (d % 2 ? "&amp;" : "");
    }
    for (int d = 0; d < kDepth; ++d) markup += "<T>";
    markup += "after<Z S0 >next";
    box.controls = &index;
    auto check = [&] {
        ASSERT_EQ(box.ParagraphCount(), 2);
        EXPECT_EQ(P(0).Text(), "before after");
        EXPECT_EQ(P(1).Text(), "next");
        // Tables 0 .. 63 are read into their cells; the 64th cell holds the rest.
        EXPECT_EQ(tables[0]->Cell(0).Paragraph(0).Text(), "t0 ");
        std::string deepest;
        for (int d = 64; d < kDepth; ++d) deepest += " t" + std::to_string(d) + (d % 2 ? "&" : "");
        EXPECT_EQ(tables[63]->Cell(0).Paragraph(0).Text(), "t63&" + deepest);
        ExpectInvariants(box);
    };
    Load(markup);
    check();
    ASSERT_EQ(msgs.entries().size(), 1u);
    EXPECT_EQ(msgs.entries()[0].kind, platform::MessageKind::Warning);
    EXPECT_NE(msgs.entries()[0].text.find("6 tabelle annidate oltre il limite"), std::string::npos)
        << msgs.entries()[0].text;
    // Stored and read again: the same text.
    const Bytes stored = box.OwnText();
    Load(std::string_view(reinterpret_cast<const char*>(stored.data()), stored.size()));
    check();
}

TEST_F(MarkupTest, SystemColourKeepsItsLowBytes) {
    Load("<Z S0 >x");
    P().Style().SetColour(int32_t(0x80000005u));
    std::string w = Str(box.Markup());
    EXPECT_EQ(w, "<Z S0 c050000 >x");
    Load(w);
    EXPECT_EQ(P().Style().Colour(), 0x000005);
}

TEST_F(MarkupTest, RunsAndFontTags) {
    Load("<Z S0 ><Y s20 >abc<Y c0000FF >de");
    ASSERT_EQ(P().Text(), "abcde");
    EXPECT_EQ(P().Records()[0].runFont, 0);
    EXPECT_EQ(P().Records()[3].runFont, 1);
    EXPECT_EQ(P().FontAt(1).size, 20);
    // A font tag's absent items return to the style's values.
    EXPECT_EQ(P().FontAt(4).size, 12);
    EXPECT_EQ(P().FontAt(4).colour, 0xFF0000);
    EXPECT_EQ(Str(box.Markup()), "<Z S0 ><Y s20 >abc<Y c0000FF >de");
    ExpectInvariants(box);
}

TEST_F(MarkupTest, FontTagForms) {
    struct Row {
        const char* name;
        std::string markup;
        std::string written;
    };
    const Row rows[] = {
        {"two tags in a row are written as one", "<Z S0 ><Y s20 ><Y s30 >a", "<Z S0 ><Y s30 >a"},
        {"second tag keeps the first one's other items", "<Z S0 ><Y c0000FF ><Y s30 >a",
         "<Z S0 ><Y c0000FF s30 >a"},
        {"i1 and g1 set italic and bold", "<Z S0 ><Y i1 g1 >a", "<Z S0 ><Y y3 >a"},
        {"i0 turns italic off, keeping other bits", "<Z S0 ><Y y7 >a<Y i0 >b",
         "<Z S0 ><Y y7 >a<Y y5 >b"},
        {"y after i wins", "<Z S0 ><Y i1 y4 >a", "<Z S0 ><Y y4 >a"},
        {"bare tag", "<Z S0 >a<Y>b", "<Z S0 >a<Y >b"},
        {"tag at end of data", "<Z S0 >a<Y s2", "<Z S0 >a<Y >"},
        {"run on the end record", "<Z S0 >ab<Y s20 >", "<Z S0 >ab<Y s20 >"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(Rewrite(r.markup), r.written);
        ExpectInvariants(box);
    }
}

TEST_F(MarkupTest, RangeWriteStartsWithTheWholeRunFont) {
    Load("<Z S0 >abc<Y s20 y1 >defghijkl");
    Bytes out;
    P().Write(out, WriteMode::Flat, 5, 9);
    EXPECT_EQ(Str(out), "<Z S0 ><Y c000000 F\"Times New Roman\" s20 y1 p0 >fghi");
    out.clear();
    P().Write(out, WriteMode::Continuation, 1, 4);
    EXPECT_EQ(Str(out),
              "<Y c000000 F\"Times New Roman\" s12 y0 p0 ><Y c000000 F\"Times New Roman\" s12 y0 "
              "p0 >bc<Y c000000 F\"Times New Roman\" s20 y1 p0 >d");
}

TEST_F(MarkupTest, LinksAndLinkEnds) {
    struct Row {
        const char* name;
        std::string markup;
        std::string written;
    };
    const Row rows[] = {
        {"closed before the next paragraph", "<Z S0 >ab<$00000003>cd<Z S0 >e",
         "<Z S0 >ab<$00000003>cd<%><Z S0 >e"},
        {"link object", "<Z S0 ><$03000002>ab<%>c", "<Z S0 ><$03000002>ab<%>c"},
        {"upper-case digits", "<Z S0 ><$0300000A>ab", "<Z S0 ><$0300000a>ab<%>"},
        {"other kinds start no link", "<Z S0 ><$05000001>ab", "<Z S0 >ab"},
        {"link replaced by another", "<Z S0 ><$00000001>a<$00000002>b", "<Z S0 ><$00000001>a<$00000002>b<%>"},
        {"non-hex digits read as 0", "<Z S0 ><$0z00000Q>a", "<Z S0 ><$00000000>a<%>"},
        {"short tag at end", "<Z S0 >a<$0", "<Z S0 >a"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(Rewrite(r.markup), r.written);
        ExpectInvariants(box);
    }
    Load("<Z S0 >ab<$00000003>cd<%>e");
    EXPECT_EQ(P().Records()[1].link, -1);
    EXPECT_EQ(P().Records()[2].link, 3);
    EXPECT_EQ(P().Records()[3].link, 3);
    EXPECT_EQ(P().Records()[4].link, -1);
}

TEST_F(MarkupTest, SkippedBlocksAndUnknownTags) {
    struct Row {
        const char* name;
        std::string markup;
        std::string text;
    };
    const Row rows[] = {
        {"D block", "<Z S0 >a<D>hidden<x>more<d>b", "ab"},
        {"F block", "<Z S0 >a<Fxyz>hidden<f>b", "ab"},
        {"R block", "<Z S0 >a<R>hidden<r>b", "ab"},
        {"unclosed block runs to the end", "<Z S0 >a<D>hidden", "a"},
        {"unknown tag", "<Z S0 >a<B>b<@>c", "abc"},
        {"unclosed tag", "<Z S0 >a<Bxyz", "a"},
        {"lone < at end", "<Z S0 >a<", "a"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Load(r.markup);
        ASSERT_EQ(box.ParagraphCount(), 1);
        EXPECT_EQ(P().Text(), r.text);
        ExpectInvariants(box);
    }
}

TEST_F(MarkupTest, ReadingStopsAtTheZeroByte) {
    const std::string data("<Z S0 >ab\0<Z S0 >cd", 19);
    Load(data);
    ASSERT_EQ(box.ParagraphCount(), 1);
    EXPECT_EQ(P().Text(), "ab");
    // An entity or a tag cut by the zero byte does not look past it.
    Load(std::string("<Z S0 >a&eac\0ute;", 17));
    EXPECT_EQ(P().Text(), "a eac");
    Load(std::string("<Z S0 s1\0 2 >x", 14));
    EXPECT_EQ(P().Text(), "");
}

TEST_F(MarkupTest, ParagraphsAndCellEnds) {
    THQVoggetto table(&set, tabellaHtml);
    THQVbox cell(set, measurer);
    cell.cellOwner = &table;
    BoxStream s(std::string_view("<Z S0 >one<Z S1 >two<T><Z S0 >three"));
    int32_t n = cell.ReadParagraphs(s, 0);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(cell.Paragraph(1).Text(), "two");
    EXPECT_EQ(s.Position(), 23u);  // after "<T>"
    n = cell.ReadParagraphs(s, 0);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(cell.Paragraph(2).Text(), "three");
    EXPECT_TRUE(s.AtEnd());
}

// A cell end tag in a page's own text belongs to no table: the tag is dropped
// with one message and the text after it is kept, also through a store.
TEST_F(MarkupTest, StrayCellEndInPageTextKeepsTheTextAfterIt) {
    Load("<Z S0 >one<T>two<Z S1 >three<T><T>four");
    ASSERT_EQ(box.ParagraphCount(), 2);
    EXPECT_EQ(P(0).Text(), "onetwo");
    EXPECT_EQ(P(1).Text(), "threefour");
    ASSERT_EQ(msgs.entries().size(), 1u);
    EXPECT_EQ(msgs.entries()[0].text, "Truncated line! (3 elementi scartati)");
    msgs.clear();
    const Bytes stored = box.OwnText();
    Load(std::string_view(reinterpret_cast<const char*>(stored.data()), stored.size()));
    ASSERT_EQ(box.ParagraphCount(), 2);
    EXPECT_EQ(P(1).Text(), "threefour");
    EXPECT_TRUE(msgs.entries().empty());
}

TEST_F(MarkupTest, Renumbering) {
    Renumbering r = Renumbering::FromLists({MakeId(stileParagrafo, 5), 0x6F000001},
                                           {MakeId(stileParagrafo, 1), 0x6F000007},
                                           {int32_t(0xFF000003)}, {int32_t(0xFF000009)});
    FakeObject pic(set, 9);
    FakeIndex index;
    index.controls = {&pic};
    box.controls = &index;
    BoxStream s(std::string_view(
        "<Z S5 ><$6F000001>a<$6F000002>b<%><$FF000003><Z S4 >x"));
    box.ReadParagraphs(s, 0, &r);
    ASSERT_EQ(box.ParagraphCount(), 2);
    EXPECT_EQ(P().Style().Base()->Number(), 1);
    EXPECT_EQ(P().Records()[0].link, 0x6F000007);
    EXPECT_EQ(P().Records()[1].link, -1);  // a page-local link not in the lists
    EXPECT_EQ(P().Records()[2].object, 0);
    EXPECT_EQ(P().Objects()[0], &pic);
    EXPECT_EQ(box.Paragraph(1).Style().Base(), set.GetObject(stileParagrafo, 0));  // 4 stays 4: none
    ExpectInvariants(box);
}

TEST_F(MarkupTest, PlacedObjects) {
    FakeObject pic(set, 2);
    FakeIndex index;
    index.controls = {&pic};
    box.controls = &index;
    Load("<Z S0 >a<$FF000002>b<$FF000005>c");
    ASSERT_EQ(P().Text(), "a b c");
    EXPECT_EQ(P().Records()[1].object, 0);
    EXPECT_EQ(P().Records()[1].width, 32);
    EXPECT_EQ(P().Records()[1].height, 24);
    EXPECT_EQ(P().Records()[3].object, -1);  // no control 5: a blank without object
    EXPECT_EQ(P().Records()[3].width, 0);
    EXPECT_EQ(Str(box.Markup()), "<Z S0 >a<$ff000002>b c");
    ExpectInvariants(box);
}

// A 2 x 3 table at the start of a paragraph.
class TableMarkupTest : public TextFixture {
protected:
    TableMarkupTest() : table(set, 4, 2, 3) {
        index.controls = {&table};
        box.controls = &index;
    }
    FakeTable table;
    FakeIndex index;
};

TEST_F(TableMarkupTest, CellsInWholeAndRangeModes) {
    const std::string cells =
        "<Z S1 >c1<T><Z S1 >c2<T><Z S1 >c3<Z S0 >c3b<T><Z S1 >c4<T><Z S1 ><Y s20 >c5<T><Z S1 >c6<T>";
    Load("<Z S0 ><$FF000004>" + cells + "after<Z S0 >next");
    ASSERT_EQ(box.ParagraphCount(), 2);
    EXPECT_EQ(P().Text(), " after");
    EXPECT_EQ(P().Records()[0].object, 0);
    EXPECT_EQ(table.Cell(2).ParagraphCount(), 2);
    EXPECT_EQ(table.Cell(5).Paragraph(0).Text(), "c6");
    const std::string whole = "<Z S0 ><$ff000004>" + cells + "after<Z S0 >next";
    EXPECT_EQ(Str(box.Markup(WriteMode::Whole)), whole);
    EXPECT_EQ(Str(box.Markup(WriteMode::Flat)), "<Z S0 ><$ff000004>after<Z S0 >next");

    Bytes out;
    P().Write(out, WriteMode::Range, 0, 1);
    EXPECT_EQ(Str(out), "<Z S0 ><$ff000004>" + cells + "after");
    out.clear();
    P().Write(out, WriteMode::Range, 2, 4);
    EXPECT_EQ(Str(out), "<Z S0 ><$ff000004><@>after");
    // Continuation keeps the paragraph tag of a table paragraph.
    out.clear();
    P().Write(out, WriteMode::Continuation, 0, P().Length());
    EXPECT_EQ(Str(out), "<Z S0 c000000 F\"Times New Roman\" s12 y0 p0 ><$ff000004>after");

    // "<@>" keeps the cells the table has.
    Load("<Z S0 ><$FF000004><@>x");
    EXPECT_EQ(P().Text(), " x");
    EXPECT_EQ(table.Cell(4).Paragraph(0).Text(), "c5");
    // Flat reading takes the tag as a reference to the existing table.
    box.ClearParagraphs();
    BoxStream s(std::string_view("<Z S0 ><$FF000004>x"));
    box.ReadParagraphs(s, 0, nullptr, ReadKind::Flat);
    EXPECT_EQ(P().Text(), " x");
    EXPECT_EQ(table.Cell(0).Paragraph(0).Text(), "c1");
    ExpectInvariants(box);
}

TEST_F(MarkupTest, WholeBoxStorageAndHeaderFooter) {
    auto* page = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
    THQVtesto header(&set), footer(&set);
    Bytes h, f, m;
    AppendString(h, std::string("<Z S0 >head1<Z S0 >head2\0", 25));
    AppendString(f, std::string("<Z S0 >foot\0", 12));
    AppendString(m, std::string("<Z S0 >body<Z S1 >more\0", 23));
    header.SetContent(h);
    footer.SetContent(f);
    page->SetContent(m);
    page->SetU8(page_rec::kContentFormat, 2);
    box.LoadPage(*page, &header, &footer);
    ASSERT_EQ(box.ParagraphCount(), 5);
    EXPECT_EQ(box.headerCount, 2);
    EXPECT_EQ(box.footerCount, 1);
    EXPECT_EQ(box.Paragraph(0).origin, 1);
    EXPECT_EQ(box.Paragraph(2).origin, 0);
    EXPECT_EQ(box.Paragraph(4).origin, 2);
    EXPECT_EQ(box.caret.paragraphIndex, 2);
    EXPECT_EQ(box.LastEditable().paragraphIndex, 3);
    EXPECT_EQ(box.LastEditable().charIndex, 4);

    page->SetContent(Bytes{});
    page->SetU8(page_rec::kContentFormat, 7);
    box.StoreText(*page);
    EXPECT_EQ(page->ContentFormat(), 2);
    EXPECT_EQ(Str(*page->MemContent()), std::string("<Z S0 >body<Z S1 >more\0", 23));

    // A page without content gets the content of a new page.
    page->ClearContent();
    box.LoadPage(*page);
    EXPECT_EQ(box.ParagraphCount(), 1);
    EXPECT_EQ(Str(*page->MemContent()), std::string("<Z S0 >\0", 8));

    // Content format 1 is refused.
    page->SetU8(page_rec::kContentFormat, 1);
    box.LoadPage(*page);
    EXPECT_EQ(box.ParagraphCount(), 0);
    EXPECT_EQ(msgs.joined(), "baco; testo ver 1 ancora pres in hqvBox!");
}

TEST_F(MarkupTest, LoadingLaysOutOnceWhenTheLastLockIsReleased) {
    std::vector<std::pair<int32_t, int32_t>> layouts;
    box.OnLayout = [&](THQVbox&, int32_t a, int32_t b) { layouts.emplace_back(a, b); };
    box.Lock();
    Load("<Z S0 >a<Z S0 >b<Z S0 >c");
    EXPECT_TRUE(layouts.empty());  // still locked by the caller
    box.Unlock();
    EXPECT_EQ(layouts, (std::vector<std::pair<int32_t, int32_t>>{{0, 2}}));
    box.Unlock();  // never below 0
    EXPECT_EQ(box.LockCount(), 0);

    // A cell box is laid out by its table, not on loading.
    THQVoggetto table(&set, tabellaHtml);
    THQVbox cell(set, measurer);
    cell.cellOwner = &table;
    int cellLayouts = 0;
    cell.OnLayout = [&](THQVbox&, int32_t, int32_t) { ++cellLayouts; };
    BoxStream s(std::string_view("<Z S1 >x"));
    cell.LoadText(&s, nullptr, nullptr);
    EXPECT_EQ(cellLayouts, 0);
    EXPECT_EQ(cell.ParagraphCount(), 1);
}

TEST_F(MarkupTest, ParagraphBuiltThroughTheApiWritesAndReadsBack) {
    THQVparag& p = box.AddParagraph();
    p.ResetToEmpty();
    p.AppendChar('a');
    THQVFontStyle big(p.Style().Base());
    big.SetSize(20);
    p.StartRunAt(1, p.AddRunFont(big));
    p.AppendChar('<', 3);
    p.AppendChar('b', 3);
    p.AppendChar('c');
    EXPECT_EQ(p.CheckInvariants(), "");
    EXPECT_EQ(p.Records()[0].width, 8);
    EXPECT_EQ(p.Records()[1].height, measurer.Metrics({"Times New Roman", 20, 0}).height);
    const std::string w = Str(box.Markup());
    EXPECT_EQ(w, "<Z S0 >a<Y s20 ><$00000003>&lt;b<%>c");
    EXPECT_EQ(Rewrite(w), w);
    EXPECT_EQ(P().Records()[1].runFont, 0);
    EXPECT_EQ(P().Records()[2].link, 3);
}

}  // namespace
}  // namespace ovik::testing
