// Slide sequences: the list the slides window edits, filled from the chain of
// slide targets and written back into the page records, and the next-slide
// command.
#include <gtest/gtest.h>

#include "document/hqv_set.h"
#include "links/slides.h"
#include "page/page_record.h"
#include "platform/messages.h"

namespace ovik::links {
namespace {

struct Slides : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};

    void SetUp() override {
        set.NewHypertext();
        for (const char* t : {"Zero", "Uno", "Due", "Tre", "Quattro", "Cinque"}) set.AddNewObject(testoHtml)->SetName(t);
    }
    PageRecord Rec(int32_t n) { return PageRecord{*set.Page(n)}; }
    void Chain(std::initializer_list<std::pair<int32_t, int32_t>> links, int16_t delay = 5) {
        for (auto [from, to] : links) {
            Rec(from).SetSlideTarget(to);
            Rec(from).SetSlideDelay(delay);
        }
    }
    static std::vector<int32_t> Pages(const SlideList& l) {
        std::vector<int32_t> out;
        for (const SlideRow& r : l.Rows()) out.push_back(r.page);
        return out;
    }
};

TEST_F(Slides, ARingOpensWithoutItsStartAndIsWrittenBackUnchanged) {
    Chain({{1, 2}, {2, 3}, {3, 1}});  // s -> a -> b -> s
    Rec(2).SetSlideDelay(7);
    SlideList list(set, 1);
    list.Fill();
    EXPECT_EQ(Pages(list), (std::vector<int32_t>{2, 3}));
    EXPECT_EQ(list.Rows()[0].delay, "7");
    EXPECT_EQ(list.Name(2), "Due");
    list.Write();
    EXPECT_EQ(Rec(1).SlideTarget(), 2);
    EXPECT_EQ(Rec(2).SlideTarget(), 3);
    EXPECT_EQ(Rec(2).SlideDelay(), 7);
    EXPECT_EQ(Rec(3).SlideTarget(), 1);  // the last row keeps its target

    // A sequence of pages the editor made (delay -1) is listed again as written.
    for (int32_t n : {4, 5}) Rec(n).SetSlideDelay(-1);
    SlideList fresh(set, 4);
    fresh.Add(5, 6);
    fresh.Write();
    fresh.Fill();
    ASSERT_EQ(Pages(fresh), (std::vector<int32_t>{5}));
    EXPECT_EQ(fresh.Rows()[0].delay, "0");  // it ends the sequence
    EXPECT_EQ(Rec(5).SlideDelay(), 6);

    // Removing the last row leaves its predecessor leading to it.
    list.Fill();
    EXPECT_EQ(list.Remove(1), 0);
    list.Write();
    EXPECT_EQ(Rec(2).SlideTarget(), 3);
}

TEST_F(Slides, FillingStops) {
    struct Case {
        const char* name;
        std::initializer_list<std::pair<int32_t, int32_t>> chain;
        int32_t stopper;  // page whose delay is -1 (or -1 for none)
        std::vector<int32_t> rows;
    } cases[] = {
        {"at a page with delay -1, before listing it", {{0, 1}, {1, 2}, {2, 3}}, 2, {1}},
        {"at the end of the chain", {{0, 1}, {1, 2}}, -1, {1, 2}},
        {"at a loop that misses the start page", {{0, 1}, {1, 2}, {2, 1}}, -1, {1, 2}},
        {"not at a start page with delay -1, as new pages have", {{0, 1}}, 0, {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int32_t n = 0; n < 6; ++n) {
            Rec(n).SetSlideTarget(-1);
            Rec(n).SetSlideDelay(5);
        }
        Chain(c.chain);
        if (c.stopper >= 0) Rec(c.stopper).SetSlideDelay(-1);
        SlideList list(set, 0);
        list.Fill();
        EXPECT_EQ(Pages(list), c.rows);
    }
    // A row for a page ending the chain shows a delay of 0.
    for (int32_t n = 0; n < 6; ++n) Rec(n).SetSlideTarget(-1);
    Chain({{0, 4}});
    SlideList list(set, 0);
    list.Fill();
    ASSERT_EQ(list.Rows().size(), 1u);
    EXPECT_EQ(list.Rows()[0].delay, "0");
}

TEST_F(Slides, EditingTheRows) {
    SlideList list(set, 2);
    EXPECT_EQ(list.Add(2, 5), -1);  // the start page is never the first row
    EXPECT_EQ(list.Add(4, 5), 0);
    EXPECT_EQ(list.Add(3, 6, 0), 0);  // before the selected row
    EXPECT_EQ(list.Add(4, 9), 1);     // listed already: its row
    EXPECT_EQ(list.Add(2, 5), 2);     // closes the ring
    EXPECT_EQ(list.Add(99, 5), -1);
    EXPECT_EQ(Pages(list), (std::vector<int32_t>{3, 4, 2}));
    EXPECT_EQ(list.MoveUp(0), 0);
    EXPECT_EQ(list.MoveDown(0), 1);
    EXPECT_EQ(Pages(list), (std::vector<int32_t>{4, 3, 2}));
    // Dragging a row onto another: below it when it came from above, else above.
    EXPECT_EQ(list.MoveRow(0, 2), 2);
    EXPECT_EQ(Pages(list), (std::vector<int32_t>{3, 2, 4}));
    EXPECT_EQ(list.MoveRow(2, 0), 0);
    EXPECT_EQ(Pages(list), (std::vector<int32_t>{4, 3, 2}));
    list.SetDelay(0, "abc");
    list.SetDelay(1, "12");
    list.Write();
    EXPECT_EQ(Rec(2).SlideTarget(), 4);
    EXPECT_EQ(Rec(4).SlideDelay(), 1);  // no number
    EXPECT_EQ(Rec(4).SlideTarget(), 3);
    EXPECT_EQ(Rec(3).SlideDelay(), 12);
    EXPECT_EQ(Rec(3).SlideTarget(), 2);
    EXPECT_EQ(Rec(2).SlideDelay(), 5);  // the last row's delay is stored too
    EXPECT_EQ(list.Remove(2), 1);  // the last row: the previous one is selected
    EXPECT_EQ(list.Remove(0), 0);
    EXPECT_EQ(list.Remove(0), -1);
}

TEST_F(Slides, AllPagesAndTheLastPage) {
    set.Page(3)->MakeFree();
    SlideList list(set, 1);
    list.AllFollowing(4);
    EXPECT_EQ(Pages(list), (std::vector<int32_t>{2, 4, 5}));
    EXPECT_EQ(list.Rows()[0].delay, "4");
    list.AllInOrder({5, 1, 0, 3, 2}, 3);  // the start page is not first here: it closes a ring
    EXPECT_EQ(Pages(list), (std::vector<int32_t>{5, 1, 0, 2}));
    // "Tutte (0,1..)" on the last page gives nothing, and writing nothing changes nothing.
    SlideList last(set, 5);
    last.AllFollowing(4);
    EXPECT_TRUE(last.Rows().empty());
    const int32_t before = Rec(5).SlideTarget();
    set.SetModified(false);
    last.Write();
    EXPECT_EQ(Rec(5).SlideTarget(), before);
    EXPECT_FALSE(set.Modified());
}

TEST_F(Slides, TheNextSlideCommand) {
    Rec(1).SetSlideTarget(-1);
    EXPECT_EQ(NextSlide(set, 1), -1);
    EXPECT_EQ(NextSlideCaption(set, 1), "Vai a prossima &diapositiva");
    Rec(1).SetSlideTarget(4);
    EXPECT_EQ(NextSlide(set, 1), 4);
    EXPECT_EQ(NextSlideCaption(set, 1), "Vai a prossima &diapositiva (Quattro @4)");
    set.Page(4)->MakeFree();
    EXPECT_EQ(NextSlide(set, 1), -1);
}

}  // namespace
}  // namespace ovik::links
