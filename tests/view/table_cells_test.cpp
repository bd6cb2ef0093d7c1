// The editing view's caret among table cells: entering a table just inserted,
// Tab and the arrows between cells and out of the table, the mouse routed to
// the innermost cell, and the caret kept safe when its cell goes away.
#include <gtest/gtest.h>

#include "document/hqv_set.h"
#include "page/placed_table.h"
#include "page/table_mouse.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "support/page_text.h"
#include "text/layout.h"
#include "view/editing_view.h"

namespace ovik {
namespace {

using testing::Content;

struct TableCells : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    platform::FixedMetricsMeasurer measurer;
    THQVundoList undo{set};
    TInsiemeCornici view{measurer};
    TMyyTable* table = nullptr;

    void SetUp() override {
        set.NewHypertext();
        auto* p = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        p->SetContent(Content("<Z S0 >prima<Z S0 >dopo"));
        undo.SetDepth(1000);
        view.SetLinkedHQVset(&set);
        view.SetHistory(&undo);
        view.SetMainPageNumber(p->Number());
        ResizePageBox(*view.MainBox(), 600, 400);
        Drain();
        view.MainBox()->SetCaret(0, 5);
        NewTableChoice choice;
        choice.templateIndex = 1;  // "Righe alternate"
        table = InsertNewTable(*view.MainPage(), *view.Editor(), choice);
        ASSERT_NE(table, nullptr);
        ResizePageBox(*view.MainBox(), 600, 400);
        Drain();
    }
    void Drain() {
        while (auto a = view.Actions().Take()) view.TakeBoxAction(*a);
        view.CheckCurrentBox(true);
    }
    void Type(const std::string& s) {
        for (char c : s) view.Editor()->KeyPress(uint8_t(c));
        Drain();
    }
    void Key(EditKey k, uint8_t mods = 0) {
        view.Editor()->KeyDown(k, mods);
        Drain();
    }
    std::pair<int32_t, int32_t> Where() {
        int32_t r = -1, c = -1;
        return view.CurrentTable(&r, &c) ? std::pair{r, c} : std::pair{-1, -1};
    }
    std::string CellText(int32_t r, int32_t c) { return table->CellAt(r, c)->Paragraph(0).Text(); }
};

TEST_F(TableCells, AnInsertedTableTakesTheCaretAndTabMovesBetweenItsCells) {
    EXPECT_EQ(Where(), (std::pair{0, 0}));
    const char* words[] = {"a", "b", "c", "d", "e", "f", "g", "h", "i"};
    for (const char* w : words) {
        Type(w);
        view.TabKey(false);
    }
    // Tab at the last cell stays there.
    EXPECT_EQ(Where(), (std::pair{2, 2}));
    EXPECT_EQ(CellText(0, 0), "a");
    EXPECT_EQ(CellText(1, 2), "f");
    EXPECT_EQ(CellText(2, 2), "i");
    view.TabKey(true);
    EXPECT_EQ(Where(), (std::pair{2, 1}));
    for (int k = 0; k < 10; ++k) view.TabKey(true);
    EXPECT_EQ(Where(), (std::pair{0, 0}));
    EXPECT_TRUE(view.Modified());
    // Outside a table Tab is not the view's.
    view.FocusBox(view.MainBox(), 0, 0);
    EXPECT_FALSE(view.TabKey(false));
}

TEST_F(TableCells, ArrowsCrossCellsAndLeaveTheTable) {
    Type("xy");
    Key(EditKey::Right);  // past the end of the first cell
    EXPECT_EQ(Where(), (std::pair{0, 1}));
    EXPECT_EQ(view.CurrentBox()->caret.charIndex, 0);
    Key(EditKey::Left);  // back to the end of the first cell
    EXPECT_EQ(Where(), (std::pair{0, 0}));
    EXPECT_EQ(view.CurrentBox()->caret.charIndex, 2);
    Key(EditKey::Down);
    Key(EditKey::Down);
    EXPECT_EQ(Where(), (std::pair{2, 0}));
    Key(EditKey::Down);  // below the last row: the paragraph after the table
    EXPECT_EQ(view.CurrentBox(), view.MainBox());
    EXPECT_EQ(view.CurrentTable(), nullptr);
    EXPECT_EQ(view.MainBox()->Paragraph(view.MainBox()->caret.paragraphIndex).Text(), "dopo");
    Key(EditKey::Up);  // into the table again: its last cell
    EXPECT_EQ(Where(), (std::pair{2, 2}));
}

TEST_F(TableCells, TheMouseReachesTheCellUnderItAndNestedCells) {
    int32_t x = 0, y = 0;
    ASSERT_TRUE(view.BoxOrigin(*table->CellAt(1, 2), x, y));
    view.MouseDown(MouseButton::Left, x + 3, y + 3, 0);
    view.MouseUp(MouseButton::Left, x + 3, y + 3, 0);
    Drain();
    EXPECT_EQ(Where(), (std::pair{1, 2}));

    // A table in that cell: its cells are found through both tables.
    NewTableChoice small;
    small.rows = 1;
    small.columns = 2;
    TMyyTable* nested = InsertNewTable(*view.MainPage(), *view.Editor(), small);
    ASSERT_NE(nested, nullptr);
    ResizePageBox(*view.MainBox(), 600, 400);
    Drain();
    int32_t r = -1, c = -1;
    EXPECT_EQ(view.CurrentTable(&r, &c), nested);
    ASSERT_TRUE(view.BoxOrigin(*nested->CellAt(0, 1), x, y));
    int32_t lx = 0, ly = 0;
    EXPECT_EQ(view.BoxAt(x + 2, y + 2, lx, ly), nested->CellAt(0, 1));
    EXPECT_EQ(lx, 2);
    EXPECT_EQ(ly, 2);
    view.MouseDown(MouseButton::Left, x + 2, y + 2, 0);
    view.MouseUp(MouseButton::Left, x + 2, y + 2, 0);
    Drain();
    EXPECT_EQ(view.CurrentTable(&r, &c), nested);
    EXPECT_EQ(c, 1);
    Type("z");
    EXPECT_EQ(nested->CellAt(0, 1)->Paragraph(0).Text(), "z");

    // A press on the page's text outside the tables gives the caret back to it.
    view.MouseDown(MouseButton::Left, 2, 2, 0);
    view.MouseUp(MouseButton::Left, 2, 2, 0);
    Drain();
    EXPECT_EQ(view.CurrentBox(), view.MainBox());
}

TEST_F(TableCells, TheCaretLeavesACellThatGoesAway) {
    view.TabKey(false);
    view.TabKey(false);
    view.TabKey(false);  // row 1, column 0
    ASSERT_EQ(Where(), (std::pair{1, 0}));
    ASSERT_TRUE(table->DeleteRowOf(view.CurrentBox()));
    table->RunPosted();
    Drain();
    // The row below takes the place, and the caret.
    EXPECT_EQ(table->Rows(), 2);
    EXPECT_EQ(Where(), (std::pair{1, 0}));
    Type("q");
    EXPECT_EQ(CellText(1, 0), "q");
    // Undoing everything takes the table away: the caret is in the page's box.
    while (undo.CanUndo()) {
        undo.UndoOne();
        Drain();
    }
    EXPECT_EQ(view.CurrentBox(), view.MainBox());
    EXPECT_EQ(view.CurrentTable(), nullptr);
    Type("!");
    const Bytes m = view.MainBox()->Markup();
    EXPECT_NE(std::string(m.begin(), m.end()).find('!'), std::string::npos);
}

TEST_F(TableCells, TheHeaderResizesAColumnAndTheHandlesTheTable) {
    const int32_t edge = TableMouse::SectionRight(*table, 0);
    // Hidden header, nothing to drag.
    EXPECT_EQ(TableMouse::ColumnEdgeAt(*table, edge, -5), -1);
    table->Select(true);
    EXPECT_EQ(TableMouse::ColumnEdgeAt(*table, edge, -5), 0);
    EXPECT_EQ(TableMouse::ColumnEdgeAt(*table, edge + 2, -12), 0);
    EXPECT_EQ(TableMouse::ColumnEdgeAt(*table, edge + 10, -5), -1);
    EXPECT_EQ(TableMouse::ColumnEdgeAt(*table, edge, 5), -1);  // below the header: the cells

    const int32_t before = table->Header()[0].width;
    TableMouse m(*table);
    ASSERT_TRUE(m.Press(edge, -5));
    EXPECT_EQ(m.Pressed(), TableMouse::Part::ColumnEdge);
    EXPECT_EQ(m.LineX(), TableMouse::kNoLine);
    m.Move(edge + 40, -5, 0);
    EXPECT_EQ(m.LineX(), edge + 40);
    m.Move(-50, -5, 0);  // never left of the section's own left edge
    EXPECT_EQ(m.LineX(), 1);
    EXPECT_TRUE(m.Release(edge + 40, -5));
    EXPECT_EQ(undo.UndoDescriptions().front(), "Dimensiona celle");
    EXPECT_GT(table->Header()[0].width, before);

    // The bottom-right handle, 100 pixels to the left.
    const int32_t w = table->Width(), h = table->Height();
    ASSERT_EQ(TableMouse::HandleAt(*table, w, h), 4);
    ASSERT_TRUE(m.Press(w, h));
    m.Move(w - 100, h, 0);
    EXPECT_TRUE(m.BandShown());
    EXPECT_EQ(m.Band().right, w - 100);
    EXPECT_TRUE(m.Release(w - 100, h));
    EXPECT_EQ(undo.UndoDescriptions().front(), "Dimensiona tabella");
    EXPECT_LT(table->Width(), w);
    // A press and release in place changes nothing.
    const size_t entries = undo.UndoDescriptions().size();
    ASSERT_TRUE(m.Press(table->Width(), table->Height()));
    EXPECT_FALSE(m.Release(table->Width(), table->Height()));
    EXPECT_EQ(undo.UndoDescriptions().size(), entries);
}

}  // namespace
}  // namespace ovik
