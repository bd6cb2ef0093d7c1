// The undo history: depth, index lists, target paths, several entries at once,
// redo, and random edit sequences undone and redone byte for byte.

#include <gtest/gtest.h>

#include <random>

#include "document/hqv_object.h"
#include "text/editing_fixture.h"

namespace ovik::testing {
namespace {

using History = EditingFixture;

TEST_F(History, DepthKeepsOneMoreThanItsValueUntilSetAgain) {
    Open("<Z S0 >");
    for (int i = 0; i < 15; ++i) {
        Caret(0, i);
        editor.CloseGroups();
        Type("x");
    }
    EXPECT_EQ(history.Depth(), 10);
    EXPECT_EQ(history.UndoCount(), 11u);
    history.SetDepth(10);
    EXPECT_EQ(history.UndoCount(), 10u);
    for (int n : {1, 0, -3}) {
        SCOPED_TRACE(n);
        history.SetDepth(n);
        EXPECT_EQ(history.Depth(), 10);
        EXPECT_EQ(history.UndoCount(), 10u);
    }
    history.SetDepth(3);
    EXPECT_EQ(history.UndoCount(), 3u);
    history.SetDepth(0);  // ignored too: 0 never means "no limit" here
    EXPECT_EQ(history.Depth(), 3);
}

TEST_F(History, IndexListsNeverReuseIndexes) {
    THQVundoIndiciList list;
    ListNode a, b, c;
    EXPECT_EQ(list.Add(&a), 0);
    EXPECT_EQ(list.Add(&b), 1);
    list.Release(0);
    EXPECT_EQ(list.At(0), nullptr);
    EXPECT_EQ(list.Add(&c), 2);
    list.PutAt(6, &a);
    EXPECT_EQ(list.At(6), &a);
    EXPECT_EQ(list.At(4), nullptr);
    EXPECT_EQ(list.At(-1), nullptr);
    EXPECT_EQ(list.At(100), nullptr);
    EXPECT_EQ(list.Add(&b), 7);
}

TEST_F(History, BrokenChainsReportAndConsumeTheEntry) {
    struct Row {
        const char* name;
        std::function<void()> breakIt;
        const char* message;
    } rows[] = {
        {"view missing", [&] { history.views.Release(viewIndex); }, "Errore nella catena undo list!"},
        {"page missing", [&] { view.list.Release(pageIndex); }, "Error in undo list chain!"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        history.views.PutAt(viewIndex, &view);
        view.list.PutAt(pageIndex, &page);
        Open("<Z S0 >ab");
        Caret(0, 2);
        Type("c");
        row.breakIt();
        msgs.clear();
        EXPECT_EQ(history.UndoOne(), nullptr);
        EXPECT_EQ(msgs.joined(), row.message);
        EXPECT_EQ(Text(), "abc");
        EXPECT_FALSE(history.CanUndo());
        EXPECT_FALSE(history.CanRedo());
    }
}

TEST_F(History, TheThirdItemOfTheListUndoesThreeNewestFirst) {
    Open("<Z S0 >abc");
    std::vector<std::string> states{Own()};
    const char* colours[] = {"Rosso", "Verde", "Blu", "Giallo"};
    const int32_t values[] = {255, 0x8000, 0xFF0000, 0xFFFF};
    for (int i = 0; i < 4; ++i) {
        Sel(0, 0, 0, 3);
        editor.SetColour(values[i]);
        states.push_back(Own());
    }
    TUndoBox list(history.UndoDescriptions());
    EXPECT_EQ(list.Items().front(), std::string("Applica colore ") + colours[3]);
    EXPECT_EQ(list.Selected(), 1);
    list.Down();
    list.Down();
    EXPECT_EQ(list.Selected(), 3);
    list.Up();
    list.Right();
    EXPECT_EQ(list.Confirm(), 3);
    history.UndoMany(list.Confirm());
    EXPECT_EQ(Own(), states[1]);
    EXPECT_EQ(history.UndoCount(), 1u);
    EXPECT_EQ(history.RedoDescriptions().front(), "Applica colore Verde");
    history.RedoOne();
    EXPECT_EQ(Own(), states[2]);
}

TEST_F(History, DropDownSelectionAndPlacement) {
    TUndoBox empty({});
    EXPECT_EQ(empty.Selected(), 0);
    TUndoBox list(std::vector<std::string>(12, "x"));
    list.Up();
    list.Left();
    EXPECT_EQ(list.Selected(), 1);
    for (int i = 0; i < 20; ++i) list.Down();
    EXPECT_EQ(list.Selected(), 12);
    list.MouseOver(4);
    EXPECT_EQ(list.Selected(), 5);
    EXPECT_EQ(list.Height(16), 10 * 16 + 2);
    int32_t x = 0, y = 0;
    list.Place(100, 50, 30, 20, 16, 1000, 800, x, y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 70);
    list.Place(900, 700, 30, 20, 16, 1000, 800, x, y);
    EXPECT_EQ(x, 930 - TUndoBox::kWidth);
    EXPECT_EQ(y, 700 - 162);
}

TEST_F(History, UndoingAParagraphInsertionAndTheRedoRules) {
    Open("<Z S0 >ab<Y y1 >cd");
    const std::string loaded = Own();
    Caret(0, 3);
    Key(EditKey::Enter);
    const std::string split = Own();
    history.UndoOne();
    EXPECT_EQ(box.ParagraphCount(), 1);
    EXPECT_EQ(Own(), loaded);
    EXPECT_TRUE(history.CanRedo());
    history.RedoOne();
    EXPECT_EQ(Own(), split);
    history.UndoOne();
    // A new edit empties the redo side.
    Caret(0, 0);
    Type("z");
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.RedoOne(), nullptr);
    // Undo with an empty history does nothing.
    history.Clear();
    EXPECT_EQ(history.UndoOne(), nullptr);
}

TEST_F(History, ObjectEntriesRestoreRegisteredObjectsOnly) {
    THQVoggetto* style = set.GetObject(stileParagrafo, 0);
    ASSERT_NE(style, nullptr);
    const int32_t before = StyleValue(style, Attr::Size);
    int refreshed = 0;
    history.refreshViews = [&] { ++refreshed; };
    history.Add(std::make_unique<TogBackup>(set, *style, "Modifica stile: " + style->Name()));
    SetStyleValue(*style, Attr::Size, before + 7);
    history.UndoOne();
    EXPECT_EQ(StyleValue(style, Attr::Size), before);
    EXPECT_EQ(refreshed, 1);
    history.RedoOne();
    EXPECT_EQ(StyleValue(style, Attr::Size), before + 7);

    THQVoggetto loose(&set, stileParagrafo);
    history.Add(std::make_unique<TogBackup>(set, loose, "x"));
    history.UndoOne();
    EXPECT_EQ(refreshed, 2);  // the redo of the style, nothing for the loose one
}

TEST_F(History, UndoingADeletionBringsTheTableBackWithItsCells) {
    FakeTable table(set, 5, 1, 2);
    controls.controls.push_back(&table);
    Open("<Z S0 >ab<Z S0 ><$FF000005><Z S1 >prima<T><Z S1 >seconda<T><Z S0 >cd");
    ASSERT_EQ(box.ParagraphCount(), 3);
    const std::string loaded = Own();
    Sel(0, 1, 2, 1);
    Key(EditKey::Delete);
    EXPECT_EQ(box.ParagraphCount(), 1);
    EXPECT_EQ(Text(), "ad");
    table.Cell(0).Paragraph(0).ResetToEmpty();  // the cells change meanwhile
    history.UndoOne();
    EXPECT_EQ(Own(), loaded);
    EXPECT_EQ(table.Cell(0).Paragraph(0).Text(), "prima");
    ASSERT_GE(P(1).Records()[0].object, 0);
    EXPECT_EQ(P(1).Objects()[size_t(P(1).Records()[0].object)], &table);
    EXPECT_TRUE(box.hasSelection);  // more than one character comes back selected
    ExpectInvariants(box);
}

TEST_F(History, ApplyingAStyleIsUndone) {
    THQVoggetto* style = set.GetObject(stileParagrafo, 1);
    ASSERT_NE(style, nullptr);
    Open("<Z S0 A2 >ab<Y y1 >cd");
    const std::string loaded = Own();
    ASSERT_TRUE(box.ParaAttributes().ApplyStyle(style->Name()));
    EXPECT_NE(Own(), loaded);
    EXPECT_EQ(history.UndoDescriptions().front(), "Stile " + style->Name());
    history.UndoOne();
    EXPECT_EQ(Own(), loaded);
}

// A placed-object control whose data the entry keeps.
class FakeState : public PlacedObjectNode, public PlacedObjectState {
public:
    PlacedObjectState* State() override { return this; }
    Data Save() const override { return data; }
    void Load(const Data& d) override {
        data = d;
        ++loads;
    }
    Data data;
    int loads = 0;
};

TEST_F(History, PlacedObjectEntriesRestoreTheControlsData) {
    FakeState control;
    const int32_t index = page.list.Add(&control);
    control.data.record = Bytes(668, 1);
    control.data.zone = 3;
    history.Add(std::make_unique<TimBackup>(control, std::vector<int32_t>{index, pageIndex, viewIndex},
                                            "Sposta oggetto"));
    control.data.record[0] = 9;
    control.data.zone = 5;
    history.UndoOne();
    EXPECT_EQ(control.loads, 1);
    EXPECT_EQ(control.data.record[0], 1);
    EXPECT_EQ(control.data.zone, 3);
    history.RedoOne();
    EXPECT_EQ(control.data.record[0], 9);
    EXPECT_EQ(control.data.zone, 5);
}

// Entries name their targets by indexes: a page shown again (after a save
// reloads the file) that hands out the same indexes finds its entries.
TEST_F(History, EntriesFindARebuiltPage) {
    Open("<Z S0 >abc");
    const std::string loaded = Own();
    Caret(0, 3);
    Type("def");
    const std::string edited = Own();
    THQVbox again(set, measurer);
    BoxStream s{std::string_view(edited)};
    again.LoadText(&s, nullptr, nullptr);
    ListNode newPage;
    BoxNode newNode(again);
    again.controlIndex = newPage.list.Add(&newNode);
    view.list.PutAt(pageIndex, &newPage);
    history.UndoOne();
    EXPECT_EQ(Str(again.OwnText()), loaded);
    EXPECT_EQ(Own(), edited);  // the old box is no longer reached
}

// A page of generated paragraphs edited at random; undoing everything gives
// the markup right after loading, redoing everything the edited markup.
TEST_F(History, RandomEditsUndoAndRedoByteForByte) {
    const char* words[] = {"alfa", "beta", "gamma", "delta", "eco"};
    int changed = 0;
    for (uint32_t seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        auto pick = [&](int n) { return int32_t(rng() % uint32_t(n)); };
        std::string markup;
        const int paras = 1 + pick(5);
        for (int i = 0; i < paras; ++i) {
            markup += "<Z S0 >";
            for (int w = pick(6); w > 0; --w) {
                if (pick(4) == 0) markup += "<Y y1 >";
                if (pick(5) == 0) markup += "<$03000004>";
                markup += words[pick(5)];
                if (pick(3) == 0) markup += "<%>";
                markup += " ";
            }
        }
        Open(markup);
        history.Clear();
        set.UndoDeep = 1000;
        history.SetDepth(set.UndoDeep);
        const std::string loaded = Own();
        const int steps = 10 + pick(40);
        for (int s = 0; s < steps; ++s) {
            const int32_t pi = pick(box.ParagraphCount());
            const int32_t ci = pick(P(pi).Length() + 1);
            const int op = pick(12);
            if (op > 1 && pick(3) == 0) Caret(pi, ci);  // otherwise go on from the caret
            const int32_t qi = pick(box.ParagraphCount());
            switch (op) {
                case 0: Type(words[pick(5)]); break;
                case 1: Type(" "); break;
                case 2: Key(EditKey::Backspace); break;
                case 3: Key(EditKey::Delete); break;
                case 4: Key(EditKey::Enter); break;
                case 5:
                    Sel(pi, ci, qi, pick(P(qi).Length() + 1));
                    editor.SetStyleBits(uint8_t(pick(4)));
                    break;
                case 6:
                    Sel(pi, ci, qi, pick(P(qi).Length() + 1));
                    editor.SetLink(pick(2) ? 0x03000009 : kNoLink);
                    break;
                case 7:
                    Sel(pi, ci, qi, pick(P(qi).Length() + 1));
                    if (box.hasSelection) Key(EditKey::Delete);
                    break;
                case 8:
                    Sel(pi, ci, qi, pick(P(qi).Length() + 1));
                    editor.SetSize(8 + pick(10));
                    break;
                case 9:
                    Sel(pi, ci, qi, pick(P(qi).Length() + 1));
                    editor.SetColour(pick(2) ? 255 : 0);
                    break;
                case 10:
                    Sel(pi, ci, qi, pick(P(qi).Length() + 1));
                    editor.SetListKind(uint8_t(pick(2) * 10));
                    break;
                case 11:
                    Sel(pi, ci, qi, pick(P(qi).Length() + 1));
                    editor.SetAlignment(uint8_t(pick(3)));
                    editor.SetFace(pick(2) ? "Arial" : "Courier New");
                    break;
            }
            ExpectInvariants(box);
            if (HasFailure()) return;
        }
        const std::string edited = Own();
        changed += edited != loaded;
        const size_t entries = history.UndoCount();
        while (history.CanUndo()) history.UndoOne();
        ASSERT_EQ(Own(), loaded);
        EXPECT_EQ(history.RedoCount(), entries);
        while (history.CanRedo()) history.RedoOne();
        ASSERT_EQ(Own(), edited);
        ExpectInvariants(box);
    }
    EXPECT_GT(changed, 140);
}

}  // namespace
}  // namespace ovik::testing
