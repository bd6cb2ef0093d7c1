// The editing flow the view runs: a laid-out page box, typing at the end, Enter.
#include <gtest/gtest.h>

#include "document/hqv_set.h"
#include "platform/messages.h"
#include "text/editing.h"
#include "text/layout.h"
#include "undo/undo.h"

namespace ovik {
namespace {

TEST(ViewFlow, EnterAtTheEndLaysTheNewParagraphOutBelow) {
    platform::RecordingMessages msgs;
    THQVset set(msgs);
    auto* page = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
    std::string markup = "<Z S0 >uno<Z S0 >due<Z S0 N10 l30 >tre";
    Bytes b(markup.begin(), markup.end());
    b.push_back(0);
    page->SetContent(b);
    platform::FixedMetricsMeasurer m;
    THQVbox box(set, m);
    box.LoadPage(*page);
    InstallLayout(box);
    ResizePageBox(box, 600, 400);
    THQVundoList history(set);
    history.SetDepth(20);
    ListNode view, pageNode;
    BoxNode boxNode(box);
    int32_t viewIndex = history.views.Add(&view);
    view.list.PutAt(0, &pageNode);
    pageNode.list.PutAt(0, &boxNode);
    box.controlIndex = 0;
    HistoryRecorder recorder(history, 0, viewIndex);
    box.undo = &recorder;
    DeferredActions actions;
    BoxEditor ed(box, actions);
    ed.PlaceCaretAtFirstEditable();
    ed.KeyDown(EditKey::End, kCtrl);
    for (char c : std::string("xyz ")) ed.KeyPress(uint8_t(c));
    ed.SetAndClearStyleBits(0, 1);  // bold on, as Ctrl+B does
    for (char c : std::string("bold")) ed.KeyPress(uint8_t(c));
    ed.SetAndClearStyleBits(1, 0);
    ed.KeyDown(EditKey::Enter, 0);
    for (char c : std::string("fine")) ed.KeyPress(uint8_t(c));
    ed.CloseGroups();
    history.UndoOne();
    history.RedoOne();
    ASSERT_EQ(box.ParagraphCount(), 4);
    for (int i = 1; i < box.ParagraphCount(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(box.Paragraph(i).top, box.Paragraph(i - 1).bottom + 1);
    }
    EXPECT_EQ(box.Paragraph(3).Text(), "fine");
}

}  // namespace
}  // namespace ovik
