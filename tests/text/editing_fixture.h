// Fixture of the editing tests: a page box laid out `pageWidth` pixels wide,
// registered in the index lists of an undo history, and an editor driven the
// way the editing view drives it.
#pragma once

#include "text/editing.h"
#include "text/layout.h"
#include "text/text_test_support.h"
#include "undo/undo.h"

namespace ovik::testing {

class EditingFixture : public TextFixture {
protected:
    EditingFixture() : history(set), recorder(history, 0, 0), editor(box, actions) {
        viewIndex = history.views.Add(&view);
        pageIndex = view.list.Add(&page);
        box.controlIndex = page.list.Add(&boxNode);
        box.undo = &recorder;
        box.controls = &controls;
    }

    // Loads markup, lays it out and puts the caret at the start.
    void Open(std::string_view markup) {
        InstallLayout(box);
        box.geometry = BoxGeometry{};
        box.geometry.clientWidth = pageWidth;
        box.geometry.clientHeight = 400;
        Load(markup);
        RelayoutBox(box);
        box.caret = box.FirstEditable();
        box.hasSelection = false;
        editor.CloseGroups();
        history.Clear();
    }
    std::string Text(int i = 0) { return P(i).Text(); }
    std::string Own() { return Str(box.OwnText()); }
    void Caret(int32_t para, int32_t ch) {
        box.hasSelection = false;
        box.caret = box.MakePosition(para, ch);
    }
    void Sel(int32_t pa, int32_t ca, int32_t pe, int32_t ce) {
        editor.SetSelection(box.MakePosition(pa, ca), box.MakePosition(pe, ce));
    }
    void Type(std::string_view s) {
        for (char c : s) editor.KeyPress(uint8_t(c));
    }
    void Key(EditKey k, uint8_t mods = 0) { editor.KeyDown(k, mods); }
    // The point in the middle of character `ch` of paragraph `para`.
    // The x of the caret position before character `ch`.
    int32_t XBefore(int32_t para, int32_t ch) { return PositionOf(box, para, ch).x; }
    int32_t XAt(int32_t para, int32_t ch) {
        return PositionOf(box, para, ch).x + P(para).Records()[size_t(ch)].width / 2;
    }
    int32_t YAt(int32_t para, int32_t ch = 0) { return PositionOf(box, para, ch).y + 2; }
    std::vector<EditAction> Drain() {
        std::vector<EditAction> out;
        while (auto a = actions.Take()) out.push_back(*a);
        return out;
    }

    THQVundoList history;
    HistoryRecorder recorder;
    ListNode view, page;
    BoxNode boxNode{box};
    int32_t viewIndex = -1, pageIndex = -1;
    FakeIndex controls;
    DeferredActions actions;
    BoxEditor editor;
    int32_t pageWidth = 1000;
};

}  // namespace ovik::testing
