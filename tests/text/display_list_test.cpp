// The display list of a box: what painting draws, checked item by item and as
// text dumps against golden files. With OVIK_REGENERATE=1 the golden files
// under tests/data/display_list are written anew; review the diff.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "document/hqv_object.h"
#include "document/picture.h"
#include "text/display_list.h"
#include "text/layout.h"
#include "text/layout_test_support.h"

namespace ovik::testing {
namespace {

void ExpectGolden(const std::string& name, const std::string& dump) {
    const std::string path = std::string(OVIK_TEST_DATA) + "/display_list/" + name + ".txt";
    if (std::getenv("OVIK_REGENERATE")) {
        std::ofstream(path, std::ios::binary) << dump;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path << " is missing; run with OVIK_REGENERATE=1";
    std::stringstream golden;
    golden << in.rdbuf();
    EXPECT_EQ(golden.str(), dump) << "differs from " << path;
}

template <class T>
std::vector<T> ItemsOf(const DisplayList& list) {
    std::vector<T> out;
    for (auto& item : list.items)
        if (auto* t = std::get_if<T>(&item)) out.push_back(*t);
    return out;
}

class DisplayListTest : public LayoutFixture {};

// A page with a header and a footer, a numbered and a bulleted list, a link, a
// selection across two paragraphs and a misspelt word.
TEST_F(DisplayListTest, PageGolden) {
    LayOut("<Z S0 N6 I-16 l30 >Primo"
           "<Z S0 N6 I-16 l30 >Secondo punto lungo"
           "<Z S0 N10 l30 >Elenco"
           "<Z S0 >Vai <$00000002>qui<%> ora"
           "<Z S0 A2 >Testo con erore",
           160, "<Z S0 >Intestazione", "<Z S0 c0000FF >Piede");
    ASSERT_EQ(box.ParagraphCount(), 7);
    P(5).MutableSpellMask() = "          !!!!!";
    box.Select(box.MakePosition(2, 3), box.MakePosition(3, 2));
    box.SetBackgroundColour(0xFFFFFF);
    DisplayList list = BuildDisplayList(box, {0, 0, 160, 400});
    ExpectGolden("page", DumpDisplayList(list));

    // The parts the golden file shows, checked on their own.
    std::vector<ListMarkItem> marks = ItemsOf<ListMarkItem>(list);
    ASSERT_EQ(marks.size(), 3u);
    EXPECT_EQ(marks[0].text, "1. ");
    EXPECT_EQ(marks[0].x, 14) << "hanging indent: left margin + indent";
    EXPECT_EQ(marks[1].text, "2. ");
    EXPECT_EQ(marks[2].text, "w");
    EXPECT_EQ(marks[2].font.face, "Wingdings");
    EXPECT_EQ(marks[2].x, 20) << "indent 0: ten pixels left of the margin";
    EXPECT_EQ(ItemsOf<HatchItem>(list).size(), 2u) << "header and footer paragraphs";
    EXPECT_EQ(ItemsOf<SelectionItem>(list).size(), 3u) << "end of 'Elenco' on its line, start of 'Vai'";
    std::vector<SquiggleItem> sq = ItemsOf<SquiggleItem>(list);
    ASSERT_EQ(sq.size(), 1u);
    EXPECT_EQ(sq[0].x2 - sq[0].x1, 5 * 8);
    bool link = false;
    for (const TextItem& t : ItemsOf<TextItem>(list))
        if (t.text == "qui") {
            link = true;
            EXPECT_EQ(t.font.colour, 0xFF0000) << "link colour";
            EXPECT_EQ(t.font.style, 4) << "style bits xor link style";
        }
    EXPECT_TRUE(link);
    EXPECT_TRUE(ItemsOf<CaretItem>(list).empty()) << "a selection shows no caret";
}

TEST_F(DisplayListTest, BulletWithoutWingdingsIsABulletGlyph) {
    measurer.SetMissingFaces({"wingdings"});
    LayOut("<Z S0 N10 I12 l30 >Elenco", 200);
    std::vector<ListMarkItem> marks = ItemsOf<ListMarkItem>(BuildDisplayList(box, {0, 0, 200, 100}));
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].text, "\x95");
    EXPECT_EQ(marks[0].font.face, "Times New Roman");
    EXPECT_EQ(marks[0].x, 30) << "indent above 9: at the left margin";
}

TEST_F(DisplayListTest, ListNumbersRestartAfterOtherParagraphs) {
    LayOut("<Z S0 N6 >a<Z S0 N6 >b<Z S0 N6 >c<Z S0 >x<Z S0 N6 >d<Z S0 N10 >e<Z S0 N6 >f", 200);
    EXPECT_EQ(ListNumbers(box), (std::vector<int32_t>{1, 2, 3, 0, 1, 0, 1}));
    // Painting only part of the box numbers the same way.
    std::vector<std::string> texts;
    for (const ListMarkItem& m : ItemsOf<ListMarkItem>(BuildDisplayList(box, {0, P(2).top, 200, P(2).bottom + 1})))
        texts.push_back(m.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"3. "}));
}

TEST_F(DisplayListTest, OnlyParagraphsMeetingTheClipAreListed) {
    LayOut("<Z S0 >one<Z S0 >two<Z S0 >three<Z S0 >four", 200);
    const PixelRect clip{0, P(1).top + 2, 200, P(2).top + 1};
    DisplayList list = BuildDisplayList(box, clip);
    std::vector<int32_t> paras;
    for (const TextItem& t : ItemsOf<TextItem>(list)) paras.push_back(t.paragraph);
    EXPECT_EQ(paras, (std::vector<int32_t>{1, 2}));
    std::vector<FillItem> fills = ItemsOf<FillItem>(list);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].rect, clip);
    EXPECT_EQ(fills[0].colour, kDefaultBoxColour);
    // A locked box paints nothing; a box without background paints no fill.
    box.Lock();
    EXPECT_TRUE(BuildDisplayList(box, clip).items.empty());
    box.Unlock();
    box.noBackground = true;
    EXPECT_TRUE(ItemsOf<FillItem>(BuildDisplayList(box, clip)).empty());
}

TEST_F(DisplayListTest, CaretAtItsPosition) {
    LayOut("<Z S0 >abc", 200);
    box.SetCaret(0, 2);
    std::vector<CaretItem> c = ItemsOf<CaretItem>(BuildDisplayList(box, {0, 0, 200, 100}));
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c[0].x, 10 + 16);
    EXPECT_EQ(c[0].y, 8);
    EXPECT_EQ(c[0].height, 16);
    PaintOptions noCaret;
    noCaret.showCaret = false;
    EXPECT_TRUE(ItemsOf<CaretItem>(BuildDisplayList(box, {0, 0, 200, 100}, noCaret)).empty());
}

TEST_F(DisplayListTest, RunsOffByMoreThanFourPixelsAreDrawnCharByChar) {
    LayOut("<Z S0 l0 r0 >abcde<Y s20 >fgh", 200);
    struct Row {
        const char* name;
        int32_t width;  // stored width of each of the first five characters
        bool charByChar;
    } rows[] = {{"exact", 8, false}, {"four pixels off", 9, false}, {"eight pixels off", 6, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (int i = 0; i < 5; ++i) P().Records()[size_t(i)].width = i == 0 ? 8 : row.width;
        std::vector<TextItem> runs = ItemsOf<TextItem>(BuildDisplayList(box, {0, 0, 200, 100}));
        ASSERT_EQ(runs.size(), 2u);
        EXPECT_EQ(runs[0].text, "abcde");
        if (row.charByChar) {
            EXPECT_EQ(runs[0].charX, (std::vector<int32_t>{0, 8, 14, 20, 26}));
            EXPECT_EQ(P().Records()[3].width, 8) << "measured again and stored";
            EXPECT_EQ(runs[1].x, 32) << "the next run starts after the stored widths";
        } else {
            EXPECT_TRUE(runs[0].charX.empty());
        }
        EXPECT_EQ(runs[1].text, "fgh");
        EXPECT_EQ(runs[1].font.size, 20);
    }
}

TEST_F(DisplayListTest, InactiveCellsAreHatchedAndBordered) {
    auto cellBox = CellBox("<Z S1 >x", 60);
    THQVbox& cell = *cellBox;
    cell.geometry.cellBorder = 1;
    RelayoutBox(cell);
    PaintOptions o;
    o.inactiveCell = true;
    EXPECT_EQ(ItemsOf<HatchItem>(BuildDisplayList(cell, {0, 0, 60, 30}, o)).size(), 1u);
    EXPECT_EQ(ItemsOf<BorderItem>(BuildDisplayList(cell, {0, 0, 60, 30}, o)).size(), 1u);
    cell.geometry.readOnly = true;
    EXPECT_TRUE(ItemsOf<HatchItem>(BuildDisplayList(cell, {0, 0, 60, 30}, o)).empty());
}

// A 3 x 2 picture object (in the set's picture cache) with stored size `w` x `h`.
std::unique_ptr<THQVoggetto> Picture(THQVset& set, uint16_t w, uint16_t h, bool transparent) {
    auto pic = std::make_unique<THQVoggetto>(&set, immagine);
    auto d = std::make_shared<DecodedPicture>();
    d->width = 3;
    d->height = 2;
    d->transparent = transparent;
    d->rgba.assign(3 * 2 * 4, 0xFF);
    pic->InitNew();
    set.CachePicture(*pic, d);
    pic->SetU16(85, w);
    pic->SetU16(87, h);
    return pic;
}

TEST_F(DisplayListTest, BackgroundTiling) {
    LayOut("<Z S0 >x", 200);
    struct Row {
        const char* name;
        uint16_t w, h;
        bool transparent, cell, fixed;
        PixelRect clip;
        int32_t fills;  // colour fills before the tiles
        bool tiled;
        int32_t originX, originY;  // the first tile
    } rows[] = {
        {"grid from 0", 30, 20, false, false, false, {45, 50, 100, 90}, 0, true, 30, 40},
        {"transparent: colour first", 30, 20, true, false, false, {0, 0, 10, 10}, 1, true, 0, 0},
        {"0-width picture: colour only", 0, 20, true, false, false, {0, 0, 10, 10}, 1, false, 0, 0},
        {"0-width opaque picture: nothing", 0, 20, false, false, false, {0, 0, 10, 10}, 0, false, 0, 0},
        {"cell: grid runs on across cells", 30, 20, false, true, false, {0, 0, 50, 50}, 0, true, -10, -5},
        {"fixed: grid at the scroll position", 30, 20, false, false, true, {0, 100, 50, 150}, 0, true, -23, 97},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto pic = Picture(set, row.w, row.h, row.transparent);
        box.cellOwner = row.cell ? &table : nullptr;
        box.SetBackgroundPicture(pic.get());
        box.SetFixedBackground(row.fixed);
        PaintOptions o;
        o.cellLeft = 70;   // 70 mod 30 = 10
        o.cellTop = 45;    // 45 mod 20 = 5
        o.scrollX = 37;    // 37 mod 30 = 7
        o.scrollY = 117;   // 117 mod 20 = 17
        o.showCaret = false;
        DisplayList list = BuildDisplayList(box, row.clip, o);
        EXPECT_EQ(int32_t(ItemsOf<FillItem>(list).size()), row.fills);
        std::vector<TileItem> tiles = ItemsOf<TileItem>(list);
        if (!row.tiled) {
            EXPECT_TRUE(tiles.empty());
        } else {
            ASSERT_EQ(tiles.size(), 1u);
            EXPECT_EQ(tiles[0].picture, pic.get());
            EXPECT_EQ(tiles[0].originX, row.originX);
            EXPECT_EQ(tiles[0].originY, row.originY);
            EXPECT_EQ(tiles[0].stepX, row.w);
            EXPECT_LE(tiles[0].originX, row.clip.left);
            EXPECT_GT(tiles[0].originX + row.w, row.clip.left);
        }
        box.SetBackgroundPicture(nullptr);
    }
    box.cellOwner = nullptr;
}

// A control that records where painting placed it.
class PlacedRecorder : public FakeObject {
public:
    using FakeObject::FakeObject;
    void Unplace() override { needs = true; x = kUnplacedX; }
    bool NeedsPlacing() const override { return needs; }
    void Place(int32_t px, int32_t py) override { needs = false; x = px; y = py; }
    void SetInSelection(bool s) override { selected = s; }
    bool needs = false, selected = false;
    int32_t x = 0, y = 0;
};

TEST_F(DisplayListTest, PlaceControlsMovesUnplacedControls) {
    FakeIndex index;
    PlacedRecorder obj(set, 0);
    index.controls = {&obj};
    box.controls = &index;
    LayOut("<Z S0 l0 r0 >ab<$FF000000>c", 200);
    EXPECT_EQ(obj.x, kUnplacedX);
    box.Select(box.MakePosition(0, 1), box.MakePosition(0, 3));
    DisplayList list = BuildDisplayList(box, {0, 0, 200, 100});
    PlaceControls(box, list);
    EXPECT_EQ(obj.x, 16);
    EXPECT_EQ(obj.y, P().top + P().Lines()[0].ascent - P().Records()[2].ascent);
    EXPECT_TRUE(obj.selected);
    box.controls = nullptr;
}

}  // namespace
}  // namespace ovik::testing
