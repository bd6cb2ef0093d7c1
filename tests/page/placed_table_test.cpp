// The placed table: cells read after the table's tag and written back, the
// column layout, backgrounds and templates, rows and columns with their undo
// entries, neighbour cells and the caret between cells.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "convert/hqv_to_txt.h"
#include "document/hqv_set.h"
#include "page/page_record.h"
#include "page/page_undo.h"
#include "page/placed_table.h"
#include "page/thqv_page.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "support/page_text.h"
#include "text/editing.h"
#include "text/layout.h"
#include "undo/undo.h"

namespace ovik {
namespace {

using testing::Content;
using testing::Tag;

std::string Text(const Bytes& b) {
    std::string s(b.begin(), b.end());
    size_t z = s.find('\0');
    return z == std::string::npos ? s : s.substr(0, z);
}

std::string Cells(int n, const std::string& prefix = "c") {
    std::string s;
    for (int i = 0; i < n; ++i) s += "<Z S1 >" + prefix + std::to_string(i) + "<T>";
    return s;
}

// A page shown as the editing view shows it, connected to a history.
struct TableTest : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    platform::FixedMetricsMeasurer measurer;
    PageHost host;
    THQVundoList history{set};
    ListNode viewNode, pageNode;
    std::unique_ptr<BoxNode> boxNode;
    std::unique_ptr<HistoryRecorder> recorder;
    int32_t viewIndex = -1;
    std::unique_ptr<THQVpage> view;
    THQVtesto* page = nullptr;

    TableTest() {
        set.NewHypertext();
        host.set = &set;
        host.measurer = &measurer;
        viewIndex = history.views.Add(&viewNode);
        ConnectPlacedObjects(history);
        history.SetDepth(1000);
        page = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
    }

    THQVoggetto* NewTable(int rows, int cols) {
        THQVoggetto* t = set.AddNewObject(tabellaHtml);
        t->SetU8(93, uint8_t(rows));
        t->SetU8(94, uint8_t(cols));
        return t;
    }

    void Show(const std::string& markup, int32_t width = 600) {
        page->SetContent(Content(markup));
        if (view) view->ClosePage();
        view = std::make_unique<THQVpage>(host);
        view->ShowPage(page);
        THQVbox& box = *view->Box();
        InstallLayout(box);
        viewNode.list.PutAt(page->Number(), &pageNode);
        boxNode = std::make_unique<BoxNode>(box);
        pageNode.list.PutAt(0, boxNode.get());
        box.controlIndex = 0;
        recorder = std::make_unique<HistoryRecorder>(history, page->Number(), viewIndex);
        box.undo = recorder.get();
        view->ConnectHistory(&history, &pageNode.list, page->Number(), viewIndex);
        ResizePageBox(box, width, 400);
    }

    // The tables of the page in text order of their controls.
    std::vector<TMyyTable*> Tables() {
        std::vector<TMyyTable*> out;
        for (auto& c : view->Controls())
            if (auto* t = dynamic_cast<TMyyTable*>(c.get())) out.push_back(t);
        return out;
    }
    TMyyTable& Table(size_t i = 0) { return *Tables().at(i); }
    std::string Markup() { return Text(view->Box()->OwnText()); }
    std::string Stored() {
        view->StorePage();
        return Text(*page->MemContent());
    }
};

// --- cells in and out ---------------------------------------------------------------------------

TEST_F(TableTest, TablesGetTheirModelAndReadTheirCells) {
    THQVoggetto* t = NewTable(2, 3);
    Show("<Z S0 >" + Tag(t->Id()) + Cells(6) + "<Z S0 >dopo");
    ASSERT_EQ(Tables().size(), 1u);
    TMyyTable& table = Table();
    EXPECT_EQ(table.Rows(), 2);
    EXPECT_EQ(table.Columns(), 3);
    EXPECT_EQ(table.CellAt(1, 2)->Paragraph(0).Text(), "c5");
    EXPECT_TRUE(table.CellAt(0, 0)->IsCellBox());
    EXPECT_EQ(view->Box()->ParagraphCount(), 2);
    EXPECT_EQ(view->Box()->Paragraph(1).Text(), "dopo");
}

TEST_F(TableTest, UneditedTablesAreWrittenBackByteForByteEditedCellsFromTheirBoxes) {
    THQVoggetto* outer = NewTable(1, 2);
    THQVoggetto* inner = NewTable(1, 1);
    // Markup the box would write otherwise: a font tag without a run change,
    // entities spelt another way, a nested table.
    const std::string cells = "<Z S1 ><Y >x&#60;y<T><Z S1 >" + Tag(inner->Id()) + "<Z S1 >dentro<T><T>";
    const std::string markup = "<Z S0 >" + Tag(outer->Id()) + cells + "<Z S0 >fine";
    Show(markup);
    const std::string shown = Markup();
    EXPECT_NE(shown.find("<Y >x&#60;y<T>"), std::string::npos) << shown;
    EXPECT_NE(shown.find("<Z S1 >dentro<T><T>"), std::string::npos) << shown;

    // Typing in the nested cell writes that cell (and the one holding it) anew.
    TMyyTable* nested = Tables().at(1);
    THQVbox& cell = *nested->CellAt(0, 0);
    DeferredActions actions;
    BoxEditor ed(cell, actions);
    cell.SetCaret(0, 6);
    ed.TypeChar('!');
    const std::string edited = Markup();
    EXPECT_NE(edited.find("dentro!<T><T>"), std::string::npos) << edited;
    EXPECT_NE(edited.find("<Y >x&#60;y<T>"), std::string::npos) << edited;  // the other cell as read
}

TEST_F(TableTest, CellParagraphsTakeTheOriginOfTheTablesParagraph) {
    THQVoggetto* t = NewTable(1, 1);
    auto* header = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
    header->SetContent(Content("<Z S0 >" + Tag(t->Id()) + "<Z S1 >in testata<T>"));
    page->SetI32(page_rec::kHeaderPage, header->Number());
    Show("<Z S0 >corpo");
    ASSERT_EQ(Tables().size(), 1u);
    EXPECT_EQ(Table().CellAt(0, 0)->Paragraph(0).origin, 1);
    EXPECT_EQ(Table().CellAt(0, 0)->Paragraph(0).Text(), "in testata");
}

// --- backgrounds ------------------------------------------------------------------------------------

TEST_F(TableTest, CellBackgroundCodes) {
    struct Case {
        int32_t code;
        CellBackground::Kind kind;
        int32_t value;
    } cases[] = {
        {-1, CellBackground::Kind::Transparent, -1},
        {0x00123456, CellBackground::Kind::Colour, 0x123456},
        {0x01FFFFFF, CellBackground::Kind::Colour, 0xFFFFFF},
        {0x02000000, CellBackground::Kind::Transparent, -1},
        {0x03000007, CellBackground::Kind::Picture, 7},
        {0x04000000, CellBackground::Kind::Transparent, -1},
    };
    for (const Case& c : cases) {
        const CellBackground b = CellBackground::Decode(c.code);
        EXPECT_EQ(b.kind, c.kind) << std::hex << c.code;
        EXPECT_EQ(b.value, c.value) << std::hex << c.code;
    }
}

TEST_F(TableTest, AShortBackgroundStreamReadsTransparentAndIsStoredAtItsExactLength) {
    THQVoggetto* t = NewTable(2, 2);
    Bytes bg;
    AppendI32(bg, 0x0000FF);
    AppendI32(bg, 0x03000000 + 1);
    t->SetContent(bg);  // two of four cells
    Show("<Z S0 >" + Tag(t->Id()) + Cells(4));
    TMyyTable& table = Table();
    EXPECT_EQ(table.CellBackgroundCode(0, 0), 0x0000FF);
    EXPECT_FALSE(table.CellAt(0, 0)->noBackground);
    EXPECT_EQ(table.CellBackgroundCode(0, 1), 0x03000001);
    EXPECT_EQ(table.CellBackgroundCode(1, 0), -1);
    EXPECT_TRUE(table.CellAt(1, 1)->noBackground);
    view->StorePage();
    Bytes stored;
    ASSERT_TRUE(t->ReadContent(stored));
    ASSERT_EQ(stored.size(), 16u);
    EXPECT_EQ(GetI32(&stored[0]), 0x0000FF);
    EXPECT_EQ(GetI32(&stored[4]), 0x03000001);
    EXPECT_EQ(GetI32(&stored[8]), -1);
    EXPECT_EQ(GetI32(&stored[12]), -1);
    EXPECT_EQ(t->U8(219), 2);

    // A table whose stream was never written keeps having none.
    THQVoggetto* bare = NewTable(1, 2);
    Show("<Z S0 >" + Tag(bare->Id()) + Cells(2));
    view->StorePage();
    EXPECT_FALSE(bare->HasContent());
}

TEST(TableTemplates, EveryTemplateColoursItsCells) {
    const int32_t A = 0xAAAAAA, B = 0xBBBBBB, _ = -1;
    struct Case {
        int index;
        std::vector<int32_t> codes;  // 3 x 3, row by row
    } cases[] = {
        {1, {A, A, A, _, _, _, A, A, A}},
        {2, {A, A, A, B, B, B, A, A, A}},
        {3, {A, _, A, A, _, A, A, _, A}},
        {4, {A, B, A, A, B, A, A, B, A}},
        {5, {A, _, _, A, _, _, A, _, _}},
        {6, {_, _, A, _, _, A, _, _, A}},
        {7, {A, A, A, A, _, _, A, _, _}},
        {8, {A, A, A, _, _, A, _, _, A}},
        {9, {_, _, A, _, _, A, A, A, A}},
        {10, {A, _, _, A, _, _, A, A, A}},
        {11, {A, A, B, _, _, B, A, A, B}},  // "Lista"
    };
    for (const Case& c : cases)
        EXPECT_EQ(TemplateCodes(c.index, 3, 3, A, B), c.codes) << TableTemplateNames()[size_t(c.index)];
}

TEST(TableTemplates, ATemplateSetsPercentColumnsAndItsStream) {
    platform::RecordingMessages msgs;
    THQVset set(msgs);
    THQVoggetto* t = set.AddNewObject(tabellaHtml);
    NewTableChoice choice;
    choice.rows = 3;
    choice.columns = 3;
    choice.templateIndex = 11;
    choice.firstColour = 0x112233;
    choice.secondColour = 0x445566;
    ASSERT_EQ(SetUpNewTable(*t, choice), "");
    TableRecord r(*t);
    EXPECT_EQ(r.Template(), 11);
    EXPECT_EQ(r.Spacing(), 0);
    EXPECT_EQ(r.WidthPercent(), 99);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(r.ColumnMode(c), kColumnPercent);
        EXPECT_EQ(r.ColumnWidth(c), 33);
    }
    const auto codes = r.CellCodes();
    EXPECT_EQ(codes[2], 0x445566);
    EXPECT_EQ(codes[0], 0x112233);
    EXPECT_EQ(codes[3], -1);
    EXPECT_EQ(t->ContentLength(), 36u);

    // "Semplice": percentages, spacing and no stream.
    THQVoggetto* plain = set.AddNewObject(tabellaHtml);
    choice.templateIndex = 0;
    ASSERT_EQ(SetUpNewTable(*plain, choice), "");
    EXPECT_EQ(TableRecord(*plain).Spacing(), 2);
    EXPECT_FALSE(plain->HasContent());

    // The window's range and the stored limits.
    struct Size {
        int rows, cols;
        bool ok;
    } sizes[] = {{200, 40, true}, {200, 41, false}, {201, 1, false}, {0, 3, false},
                 {1, 50, true},   {1, 51, false},   {163, 50, true}, {164, 50, false}};
    for (const Size& s : sizes)
        EXPECT_EQ(CheckNewTableSize(s.rows, s.cols).empty(), s.ok) << s.rows << " x " << s.cols;
}

// --- layout ---------------------------------------------------------------------------------------------

TEST_F(TableTest, PercentColumnsShareTheWidthWithTheCarriedRemainder) {
    struct Case {
        std::vector<int> widths;
        int32_t width;
        std::vector<int32_t> expected;
    } cases[] = {
        {{5, 5, 5}, 109, {33, 34, 33}},
        {{30, 70}, 400, {118, 275}},  // a remainder reaching the sum adds nothing
        {{1, 1}, 46, {20, 20}},
    };
    for (const Case& c : cases) {
        THQVoggetto* t = NewTable(1, int(c.widths.size()));
        TableRecord r(*t);
        for (size_t i = 0; i < c.widths.size(); ++i) {
            r.SetColumnMode(int32_t(i), kColumnPercent);
            r.SetColumnWidth(int32_t(i), c.widths[i]);
        }
        Show("<Z S0 >" + Tag(t->Id()) + Cells(int(c.widths.size())));
        TMyyTable& table = Table();
        table.Layout(c.width);
        for (size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ(table.PlaceOf(0, int32_t(i)).maxWidth, c.expected[i]) << c.width << " col " << i;
    }
}

TEST_F(TableTest, AFixedColumnShowsWhatItHoldsButKeepsItsWidth) {
    THQVoggetto* picture = testing::PlacedPicture(set, -1);
    picture->SetI16(19, 120);
    THQVoggetto* t = NewTable(1, 2);
    TableRecord r(*t);
    r.SetPadding(0);
    r.SetColumnWidth(0, 50);
    r.SetColumnWidth(1, 40);
    Show("<Z S0 >" + Tag(t->Id()) + "<Z S1 >" + Tag(picture->Id()) + "<T><Z S1 >b<T>");
    TMyyTable& table = *Tables().at(0);
    table.Layout(300);
    EXPECT_EQ(table.PlaceOf(0, 0).width, 120);
    EXPECT_EQ(table.PlaceOf(0, 1).x, 2 + 120 + 2);
    EXPECT_EQ(TableRecord(*table.Object()).ColumnWidth(0), 50);
    EXPECT_EQ(table.HeaderTexts(), (std::vector<std::string>{"120", "40"}));
    EXPECT_EQ(table.Width(), 2 + 120 + 2 + 40 + 2);
}

TEST_F(TableTest, TheFreeColumnTakesTheRestOnlyWithoutPercentColumns) {
    struct Case {
        uint8_t firstMode;
        int32_t freeWidth;
        std::string header0, header1;
    } cases[] = {
        {kColumnFixed, 300 - 3 * 2 - 50, "50", "* (244)"},
        {kColumnPercent, 30, "50%", "* (30)"},
    };
    for (const Case& c : cases) {
        THQVoggetto* t = NewTable(2, 2);
        TableRecord r(*t);
        r.SetColumnMode(0, c.firstMode);
        r.SetColumnWidth(0, 50);
        r.SetColumnMode(1, kColumnFree);
        Show("<Z S0 >" + Tag(t->Id()) + Cells(4));
        TMyyTable& table = Table();
        table.Layout(300);
        EXPECT_EQ(table.PlaceOf(0, 1).width, c.freeWidth);
        EXPECT_EQ(table.PlaceOf(1, 1).width, c.freeWidth);
        EXPECT_EQ(table.HeaderTexts(), (std::vector<std::string>{c.header0, c.header1}));
        EXPECT_EQ(table.Header()[1].width, c.freeWidth + 2);
    }
}

TEST_F(TableTest, AvailableWidthFollowsThePercentageAndNesting) {
    THQVoggetto* outer = NewTable(1, 1);
    THQVoggetto* inner = NewTable(1, 1);
    TableRecord(*outer).SetWidthPercent(50);
    TableRecord(*inner).SetWidthPercent(150);
    THQVoggetto* pixels = NewTable(1, 1);
    TableRecord(*pixels).SetPercentWidth(false);
    TableRecord(*pixels).SetPixelWidth(222);
    Show("<Z S0 >" + Tag(outer->Id()) + "<Z S1 >" + Tag(inner->Id()) + "<Z S1 >x<T><T><Z S0 >" +
         Tag(pixels->Id()) + "<Z S1 >y<T>");
    auto tables = Tables();
    ASSERT_EQ(tables.size(), 3u);
    TMyyTable& o = *tables[0];
    TMyyTable& in = *tables[1];
    TMyyTable& px = *tables[2];
    EXPECT_EQ(o.LastLayoutWidth(), o.LastAvailableWidth() * 50 / 100);
    EXPECT_TRUE(in.Nested());
    EXPECT_EQ(in.LastLayoutWidth(), in.LastAvailableWidth());  // over 100% inside a cell
    EXPECT_EQ(px.LastLayoutWidth(), 222);
    // The table's size reaches the page's line.
    EXPECT_GE(view->Box()->Paragraph(0).Records()[0].width, o.Width());
}

// --- rows and columns ------------------------------------------------------------------------------------

TEST_F(TableTest, ColumnAndRowLimits) {
    struct Case {
        int rows, cols;
        bool columns;  // add columns, else rows
        int count;
        bool ok;
        std::string message;
    } cases[] = {
        {1, 50, true, 1, false, kTooManyColumns},
        {1, 49, true, 1, true, ""},
        {1, 45, true, 5, true, ""},
        {255, 1, false, 1, false, kTooManyRows},
        {254, 1, false, 1, true, ""},
        {163, 50, false, 1, false, kTooManyCells},
    };
    for (const Case& c : cases) {
        msgs.clear();
        THQVoggetto* t = NewTable(c.rows, c.cols);
        Show("<Z S0 >" + Tag(t->Id()) + Cells(c.rows * c.cols));
        TMyyTable& table = Table();
        const size_t entries = history.UndoCount();
        const bool ok = c.columns ? table.AddColumns(0, c.count) : table.AddRows(0, c.count);
        EXPECT_EQ(ok, c.ok) << c.rows << "x" << c.cols;
        EXPECT_EQ(history.UndoCount(), entries + (c.ok ? 1 : 0));
        if (c.ok) {
            EXPECT_EQ(table.CellCount(), (c.rows + (c.columns ? 0 : c.count)) * (c.cols + (c.columns ? c.count : 0)));
            EXPECT_EQ(TableRecord(*table.Object()).Rows() * TableRecord(*table.Object()).Columns(), table.CellCount());
            EXPECT_TRUE(msgs.entries().empty());
        } else {
            ASSERT_EQ(msgs.entries().size(), 1u);
            EXPECT_EQ(msgs.entries()[0].text, c.message);
            EXPECT_EQ(table.CellCount(), c.rows * c.cols);
        }
    }
}

TEST_F(TableTest, DeletingEveryRowOrColumnIsRefusedSilently) {
    THQVoggetto* t = NewTable(1, 2);
    Show("<Z S0 >" + Tag(t->Id()) + Cells(2));
    TMyyTable& table = Table();
    EXPECT_FALSE(table.DeleteRows(0, 0));
    EXPECT_FALSE(table.DeleteColumns(0, 1));
    EXPECT_FALSE(table.DeleteColumns(1, 2));
    EXPECT_EQ(history.UndoCount(), 0u);
    EXPECT_TRUE(table.DeleteColumns(1, 1));
    EXPECT_EQ(table.Columns(), 2);  // posted: after the event
    EXPECT_TRUE(table.RunPosted());
    EXPECT_EQ(table.Columns(), 1);
    EXPECT_TRUE(msgs.entries().empty());
    EXPECT_EQ(history.UndoDescriptions(), (std::vector<std::string>{"Cancellazione colonne"}));
}

TEST_F(TableTest, AddingColumnsShiftsModesAndFocusesTheFirstNewCell) {
    THQVoggetto* t = NewTable(2, 2);
    TableRecord r(*t);
    r.SetColumnMode(1, kColumnFree);
    r.SetColumnWidth(0, 77);
    Show("<Z S0 >" + Tag(t->Id()) + Cells(4));
    TMyyTable& table = Table();
    ASSERT_TRUE(table.AddColumns(1, 2));
    TableRecord now(*table.Object());
    EXPECT_EQ(now.Columns(), 4);
    EXPECT_EQ(now.ColumnMode(0), kColumnFixed);
    EXPECT_EQ(now.ColumnMode(1), kColumnPercent);
    EXPECT_EQ(now.ColumnWidth(1), 10);
    EXPECT_EQ(now.ColumnMode(2), kColumnPercent);
    EXPECT_EQ(now.ColumnMode(3), kColumnFree);
    EXPECT_EQ(table.focusCell, table.CellAt(0, 1));
    EXPECT_EQ(table.CellAt(1, 3)->Paragraph(0).Text(), "c3");
    EXPECT_EQ(now.CellCodes(), std::vector<int32_t>(8, -1));
    EXPECT_EQ(history.UndoDescriptions(), (std::vector<std::string>{"Aggiunta colonne"}));
    EXPECT_NE(Markup().find("<Z S1 >c2<T><Z S1 ><T><Z S1 ><T><Z S1 >c3<T>"), std::string::npos) << Markup();
}

TEST_F(TableTest, DeletingRowsMovesTheFocusedCell) {
    struct Case {
        int from, to;
        int currentRow;
        int focusRow;  // -1: none
    } cases[] = {
        {1, 1, 1, 1},  // to the row after, now at the same index
        {2, 3, 3, 1},  // the last rows: to the row before
        {0, 0, 2, -1},  // the current cell survives: nothing moves
    };
    for (const Case& c : cases) {
        THQVoggetto* t = NewTable(4, 2);
        Show("<Z S0 >" + Tag(t->Id()) + Cells(8));
        TMyyTable& table = Table();
        table.currentCell = table.CellAt(c.currentRow, 1);
        THQVbox* survivor = c.focusRow < 0 ? table.currentCell : nullptr;
        ASSERT_TRUE(table.DeleteRows(c.from, c.to));
        table.RunPosted();
        EXPECT_EQ(table.Rows(), 4 - (c.to - c.from + 1));
        if (c.focusRow >= 0) EXPECT_EQ(table.focusCell, table.CellAt(c.focusRow, 1));
        else EXPECT_EQ(table.currentCell, survivor);
    }
}

// --- neighbours and the caret ----------------------------------------------------------------------------

TEST_F(TableTest, NeighbourCells) {
    THQVoggetto* t = NewTable(3, 3);
    Show("<Z S0 >" + Tag(t->Id()) + Cells(9));
    TMyyTable& table = Table();
    struct Case {
        int row, col;
        CellDirection d;
        int toRow, toCol;
    } cases[] = {
        {1, 1, CellDirection::Previous, 1, 0}, {1, 0, CellDirection::Previous, 0, 2},
        {0, 0, CellDirection::Previous, 0, 0}, {1, 2, CellDirection::Next, 2, 0},
        {2, 2, CellDirection::Next, 2, 2},  // the last cell stays
        {0, 1, CellDirection::Up, 0, 1},       {1, 1, CellDirection::Up, 0, 1},
        {2, 1, CellDirection::Down, 2, 1},     {0, 1, CellDirection::Down, 1, 1},
        {1, 1, CellDirection::Last, 2, 2},     {1, 1, CellDirection::First, 0, 0},
        {1, 1, CellDirection::FirstOfLastRow, 2, 0}, {2, 2, CellDirection::First8, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(table.NeighbourCell(c.row, c.col, c.d), table.CellAt(c.toRow, c.toCol))
            << c.row << "," << c.col << " dir " << int(c.d);
}

TEST_F(TableTest, TheCaretMovesBetweenCellsAndLeavesTheTable) {
    THQVoggetto* t = NewTable(2, 2);
    Show("<Z S0 >prima<Z S0 >" + Tag(t->Id()) + "<Z S1 >a<T><Z S1 >bb<T><Z S1 >c<Z S1 >cc<T><Z S1 >d<T><Z S0 >dopo");
    TMyyTable& table = Table();
    THQVbox& box = *view->Box();
    struct Case {
        int row, col;
        uint8_t exit;
        THQVbox* box;
        int paragraph, ch;
    } cases[] = {
        {0, 0, kExitRight, table.CellAt(0, 1), 0, 0},
        {0, 1, kExitRight, table.CellAt(1, 0), 0, 0},
        {1, 0, kExitLeft, table.CellAt(0, 1), 0, 2},
        {0, 1, kExitDown, table.CellAt(1, 1), 0, 0},
        {1, 1, kExitUp, table.CellAt(0, 1), 0, 2},
        {0, 0, kExitUp, &box, 0, 5},   // out: the end of the paragraph before
        {1, 1, kExitRight, &box, 2, 0},  // out: the start of the paragraph after
        {0, 0, kExitLeft, &box, 0, 5},
    };
    for (const Case& c : cases) {
        CaretTarget to = CaretExit(*view, *table.CellAt(c.row, c.col), c.exit, nullptr);
        EXPECT_EQ(to.box, c.box) << c.row << "," << c.col << " exit " << int(c.exit);
        EXPECT_EQ(to.paragraph, c.paragraph) << c.row << "," << c.col << " exit " << int(c.exit);
        EXPECT_EQ(to.charIndex, c.ch) << c.row << "," << c.col << " exit " << int(c.exit);
    }
    // Entering the table from the page: its first cell's start, or its last cell's end.
    THQVparag* holder = &box.Paragraph(1);
    CaretTarget in = CaretExit(*view, box, kExitTableRight, holder);
    EXPECT_EQ(in.box, table.CellAt(0, 0));
    in = CaretExit(*view, box, kExitTableUp, holder);
    EXPECT_EQ(in.box, table.CellAt(1, 1));
    EXPECT_EQ(in.charIndex, 1);
    // Exit codes 1 to 4 mean nothing in the page's own box.
    EXPECT_EQ(CaretExit(*view, box, kExitRight, nullptr).box, nullptr);
}

// --- sizes and properties -------------------------------------------------------------------------------

TEST_F(TableTest, ResizingTheTableAndAColumn) {
    THQVoggetto* t = NewTable(1, 2);
    TableRecord r(*t);
    r.SetColumnMode(0, kColumnPercent);
    r.SetColumnWidth(0, 50);
    r.SetColumnMode(1, kColumnFree);
    Show("<Z S0 >" + Tag(t->Id()) + Cells(2));
    TMyyTable& table = Table();
    const int32_t available = table.LastAvailableWidth();
    ASSERT_GT(available, 100);
    table.ResizeTo(available / 2, available);
    EXPECT_EQ(TableRecord(*table.Object()).WidthPercent(), 50);
    const int32_t half = available * 50 / 100;
    EXPECT_EQ(table.LastLayoutWidth(), half);
    // The free column dragged 20 wider becomes a fixed one.
    const int32_t section = table.Header()[1].width;
    table.ResizeColumn(1, section, section + 20);
    TableRecord now(*table.Object());
    EXPECT_EQ(now.ColumnMode(1), kColumnFixed);
    EXPECT_EQ(now.ColumnWidth(1), section + 20 - 2);
    EXPECT_EQ(table.LastLayoutWidth(), half + 20);
    EXPECT_EQ(now.WidthPercent(), (half + 20) * 50 / half);
    EXPECT_TRUE(table.HeaderShown());
    EXPECT_EQ(history.UndoDescriptions(), (std::vector<std::string>{"Dimensiona celle", "Dimensiona tabella"}));
}

TEST_F(TableTest, ApplyToChoosesTheCells) {
    const int32_t X = 0x00ABCD, _ = -1;
    struct Case {
        ApplyTo to;
        std::vector<int32_t> codes;  // 3 x 3 around cell (1, 1)
    } cases[] = {
        {ApplyTo::None, {_, _, _, _, _, _, _, _, _}},
        {ApplyTo::Cell, {_, _, _, _, X, _, _, _, _}},
        {ApplyTo::Row, {_, _, _, X, X, X, _, _, _}},
        {ApplyTo::Column, {_, X, _, _, X, _, _, X, _}},
        {ApplyTo::RowEvenColumns, {_, _, _, X, _, X, _, _, _}},
        {ApplyTo::ColumnEvenRows, {_, X, _, _, _, _, _, X, _}},
        {ApplyTo::RowOddColumns, {_, _, _, _, X, _, _, _, _}},
        {ApplyTo::ColumnOddRows, {_, _, _, _, X, _, _, _, _}},
    };
    for (const Case& c : cases) {
        THQVoggetto* t = NewTable(3, 3);
        Show("<Z S0 >" + Tag(t->Id()) + Cells(9));
        TMyyTable& table = Table();
        TableProperties p;
        p.cellPageActive = true;
        p.applyTo = c.to;
        p.row = 1;
        p.col = 1;
        p.cellBackground = CellBackground::Colour(X);
        p.background = TableProperties::Background::Colour;
        p.colour = 0x010203;
        table.ApplyProperties(p, 600);
        std::vector<int32_t> got;
        for (int r = 0; r < 3; ++r)
            for (int col = 0; col < 3; ++col) got.push_back(table.CellBackgroundCode(r, col));
        EXPECT_EQ(got, c.codes) << ApplyToNames()[size_t(c.to)];
        EXPECT_EQ(TableRecord(*table.Object()).TableBackground(), 0x010203);
        EXPECT_EQ(table.Object()->ContentLength(), c.to == ApplyTo::None ? 0u : 36u);
    }
}

// --- undo ---------------------------------------------------------------------------------------------------

TEST_F(TableTest, UndoingARandomSequenceGivesBackTheTableAsLoaded) {
    THQVoggetto* outer = NewTable(3, 3);
    THQVoggetto* inner = NewTable(2, 2);
    Bytes bg;
    for (int i = 0; i < 9; ++i) AppendI32(bg, i % 2 ? -1 : 0x102030 * i);
    outer->SetContent(bg);
    TableRecord(*outer).SetHasBackgrounds(true);
    std::string cells = Cells(4, "o");
    cells += "<Z S1 >" + Tag(inner->Id()) + Cells(4, "i") + "<T>";
    cells += Cells(4, "p");
    Show("<Z S0 >prima<Z S0 >" + Tag(outer->Id()) + cells + "<Z S0 >dopo");
    const std::string markup = Markup();
    TMyyTable& table = Table();
    const auto record = table.Object()->Record();
    Bytes content;
    table.Object()->ReadContent(content);

    std::mt19937 rng(19);
    auto pick = [&](int n) { return int(rng() % uint32_t(std::max(n, 1))); };
    DeferredActions actions;
    int steps = 0;
    for (int i = 0; i < 60; ++i) {
        const int what = pick(6);
        const int R = table.Rows(), C = table.Columns();
        bool done = false;
        if (what == 0) done = table.AddRows(pick(R + 1), 1 + pick(2));
        else if (what == 1) done = table.AddColumns(pick(C + 1), 1 + pick(2));
        else if (what == 2 && R > 1) {
            const int f = pick(R - 1);
            done = table.DeleteRows(f, f + pick(std::min(2, R - 1 - f)));
            table.RunPosted();
        } else if (what == 3 && C > 1) {
            const int f = pick(C - 1);
            done = table.DeleteColumns(f, f);
            table.RunPosted();
        } else if (what == 4) {
            // Typing in a cell, the outer table's or a nested one's.
            std::vector<THQVbox*> boxes;
            for (TMyyTable* tt : Tables())
                for (int k = 0; k < tt->CellCount(); ++k) boxes.push_back(tt->Cell(k));
            THQVbox* cell = boxes[size_t(pick(int(boxes.size())))];
            if (cell->IsCellBox() && cell->undo) {
                BoxEditor ed(*cell, actions);
                cell->SetCaret(0, 0);
                done = ed.TypeChar(uint8_t('A' + pick(26)));
            }
        } else if (what == 5) {
            TableProperties p;
            p.percentWidth = true;
            p.cellPageActive = true;
            p.applyTo = ApplyTo(1 + pick(7));
            p.row = pick(table.Rows());
            p.col = pick(table.Columns());
            p.cellBackground = CellBackground::Colour(int32_t(rng() & 0xFFFFFF));
            p.columnMode = TableRecord(*table.Object()).ColumnMode(0);
            p.columnWidth = TableRecord(*table.Object()).ColumnWidth(0);
            table.ApplyProperties(p, 600);
            done = true;
        }
        if (done) ++steps;
    }
    ASSERT_GT(steps, 20);
    EXPECT_NE(Markup(), markup);
    while (history.CanUndo()) history.UndoOne();
    EXPECT_TRUE(msgs.entries().empty()) << msgs.joined();
    EXPECT_EQ(Markup(), markup);
    EXPECT_EQ(table.Object()->Record(), record);
    Bytes after;
    table.Object()->ReadContent(after);
    EXPECT_EQ(after, content);
}

TEST_F(TableTest, UndoAndRedoOfRowsAndColumns) {
    THQVoggetto* t = NewTable(2, 2);
    Show("<Z S0 >" + Tag(t->Id()) + Cells(4));
    TMyyTable& table = Table();
    const std::string before = Markup();
    ASSERT_TRUE(table.AddRows(1, 1));
    ASSERT_TRUE(table.DeleteColumns(0, 0));
    table.RunPosted();
    const std::string after = Markup();
    EXPECT_EQ(after, "<Z S0 >" + Tag(MakeId(kFragmentKind, table.ControlIndex())) +
                         "<Z S1 >c1<T><Z S1 ><T><Z S1 >c3<T>");
    history.UndoOne();
    history.UndoOne();
    EXPECT_EQ(Markup(), before);
    history.RedoOne();
    history.RedoOne();
    EXPECT_EQ(Markup(), after);
    EXPECT_EQ(TableRecord(*table.Object()).Rows(), 3);
    EXPECT_EQ(TableRecord(*table.Object()).Columns(), 1);
}

TEST_F(TableTest, CellBlocksCopyAndPaste) {
    THQVoggetto* t = NewTable(2, 2);
    Show("<Z S0 >" + Tag(t->Id()) + Cells(4));
    TMyyTable& table = Table();
    const Bytes block = table.CopyCellBlock(true, 0, 1);
    EXPECT_EQ(GetI32(block.data()), 4);
    EXPECT_EQ(GetI32(&block[block.size() - 4]), 0);
    ASSERT_TRUE(table.PasteCellBlock(block, 1, 1, 0, 2));
    EXPECT_EQ(table.CellAt(1, 0)->Paragraph(0).Text(), "c0");
    EXPECT_EQ(table.CellAt(1, 1)->Paragraph(0).Text(), "c1");
    EXPECT_FALSE(table.PasteCellBlock(Bytes{1, 0, 0, 0}, 0, 1, 0, 1));
}

// The editor's way through a table, without widgets: insert a 3 x 3 "Righe
// alternate" table, type in its cells moving on as Tab does, add a column,
// widen it with the header, nest a table in a cell, store; the text export
// gives the cells TAB and CR LF.
TEST_F(TableTest, InsertTypeAddNestStoreAndExportAsText) {
    Show("<Z S0 >prima");
    THQVbox& box = *view->Box();
    DeferredActions actions;
    BoxEditor pageEditor(box, actions);
    box.SetCaret(0, 5);
    NewTableChoice choice;
    choice.templateIndex = 1;
    choice.firstColour = 0x00FFFF;
    TMyyTable* table = InsertNewTable(*view, pageEditor, choice);
    ASSERT_NE(table, nullptr);
    ASSERT_FALSE(history.UndoDescriptions().empty());
    EXPECT_EQ(history.UndoDescriptions().front(), "Inserimento oggetti");
    EXPECT_EQ(table->CellBackgroundCode(0, 1), 0x00FFFF);
    EXPECT_EQ(table->CellBackgroundCode(1, 1), -1);

    THQVbox* cell = table->CellAt(0, 0);
    const char* words[] = {"uno", "due", "tre", "quattro"};
    for (const char* w : words) {
        BoxEditor ed(*cell, actions);
        cell->SetCaret(0, 0);
        for (const char* c = w; *c; ++c) ed.KeyPress(uint8_t(*c));
        int32_t r = 0, c = 0;
        ASSERT_TRUE(table->CellPosition(cell, r, c));
        cell = table->NeighbourCell(r, c, CellDirection::Next);
    }
    ASSERT_TRUE(table->AddColumns(3, 1));
    ResizePageBox(box, 600, 400);
    const int32_t section = table->Header()[3].width;
    table->ResizeColumn(3, section, section + 30);

    BoxEditor inCell(*table->CellAt(2, 2), actions);
    table->CellAt(2, 2)->SetCaret(0, 0);
    NewTableChoice small;
    small.rows = 1;
    small.columns = 2;
    TMyyTable* nested = InsertNewTable(*view, inCell, small);
    ASSERT_NE(nested, nullptr);
    EXPECT_TRUE(nested->Nested() || nested->ParentBox() == nullptr);
    {
        BoxEditor ed(*nested->CellAt(0, 1), actions);
        nested->CellAt(0, 1)->SetCaret(0, 0);
        ed.KeyPress('x');
    }
    ASSERT_TRUE(view->StorePage());
    THQVtoTxt conv(&set);
    std::string text;
    conv.AppendPage(page->Number(), text);
    EXPECT_EQ(text, "prima\r\nuno\tdue\ttre\t\r\nquattro\t\t\t\r\n\t\t\tx\r\n\t\r\n") << text;
}

// A new table without a template has fixed columns of width 0: a word typed
// into a cell widens its column at once, and the other cells move right.
TEST_F(TableTest, AWordTypedIntoANarrowColumnWidensIt) {
    Show("<Z S0 >prima");
    THQVbox& box = *view->Box();
    DeferredActions actions;
    BoxEditor pageEditor(box, actions);
    box.SetCaret(0, 5);
    NewTableChoice choice;  // 3 x 3, no template
    TMyyTable* table = InsertNewTable(*view, pageEditor, choice);
    ASSERT_NE(table, nullptr);
    ResizePageBox(box, 600, 400);
    THQVbox* first = table->CellAt(0, 0);
    const int32_t before = first->geometry.width;
    const int32_t nextX = table->PlaceOf(0, 1).x;
    BoxEditor ed(*first, actions);
    first->SetCaret(0, 0);
    for (const char* c = "precipitevolissimevolmente"; *c; ++c) ed.KeyPress(uint8_t(*c));
    EXPECT_GT(first->geometry.width, before + 50);
    // The cell's text fits in its place, and the next column starts after it.
    EXPECT_GE(table->PlaceOf(0, 0).width, first->geometry.neededWidth);
    EXPECT_GT(table->PlaceOf(0, 1).x, nextX + 50);
    EXPECT_EQ(table->CellAt(1, 0)->geometry.width, table->PlaceOf(0, 0).width);
}

}  // namespace
}  // namespace ovik
