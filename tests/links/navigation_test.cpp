// The history of shown pages, browse sequences and the page-number box.
#include <gtest/gtest.h>

#include "document/hqv_set.h"
#include "links/navigation.h"
#include "platform/messages.h"

namespace ovik::links {
namespace {

std::string A(int page) { return PageAddress("/w/main.hqv", page); }

TEST(NavigationHistory, BackTwiceThenANewPageIsInsertedAfterTheCurrentEntry) {
    NavigationHistory h;
    EXPECT_FALSE(h.CanBack());
    EXPECT_FALSE(h.CanForward());
    for (int p : {1, 2, 3}) EXPECT_TRUE(h.Record(A(p)));
    for (int i = 0; i < 2; ++i) {
        auto to = h.Step(-1);
        ASSERT_TRUE(to);
        // Showing the entry is a page change too: it must not be recorded.
        EXPECT_FALSE(h.Record(*to));
        h.Done();
    }
    EXPECT_EQ(h.Entries()[size_t(h.Current())], A(1));
    EXPECT_FALSE(h.CanBack());
    EXPECT_TRUE(h.CanForward());

    EXPECT_TRUE(h.Record(A(5)));
    EXPECT_EQ(h.Entries(), (std::deque<std::string>{A(1), A(5), A(2), A(3)}));
    EXPECT_EQ(h.Current(), 1);
    EXPECT_TRUE(h.CanBack());
    EXPECT_TRUE(h.CanForward());
    EXPECT_FALSE(h.Step(10));
}

TEST(NavigationHistory, TheSamePageTwiceAddsOneEntryAndFilesAreKept) {
    NavigationHistory h;
    EXPECT_TRUE(h.Record(A(4)));
    EXPECT_FALSE(h.Record(A(4)));
    EXPECT_TRUE(h.Record(PageAddress("/w/altro.hqv", 4)));
    EXPECT_EQ(h.Entries().size(), 2u);
    EXPECT_EQ(h.Entries()[1], "ovik:///w/altro.hqv|4");
}

TEST(NavigationHistory, KeepsAtMostTwoHundredEntriesDroppingTheOldest) {
    NavigationHistory h;
    for (int p = 0; p < 250; ++p) h.Record(A(p));
    EXPECT_EQ(h.Entries().size(), NavigationHistory::kMaxEntries);
    EXPECT_EQ(h.Entries().front(), A(50));
    EXPECT_EQ(h.Entries()[size_t(h.Current())], A(249));
    // Back at the oldest entry, a new page goes after it and the oldest drops.
    h.GoTo(0);
    h.Done();
    h.Record(A(999));
    EXPECT_EQ(h.Entries().size(), NavigationHistory::kMaxEntries);
    EXPECT_EQ(h.Entries()[0], A(999));
    EXPECT_EQ(h.Entries()[1], A(51));
    EXPECT_EQ(h.Current(), 0);
    EXPECT_TRUE(h.CanForward());
}

TEST(RecentPagesList, NewestFirstWithoutRepeats) {
    RecentPages r;
    for (int p : {3, 4, 3, 7}) r.Add(p);
    EXPECT_EQ(r.Pages(), (std::vector<int32_t>{7, 3, 4}));
    for (int p = 100; p < 120; ++p) r.Add(p);
    EXPECT_EQ(r.Pages().size(), RecentPages::kMax);
}

struct Sequence : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    // Pages 0..6: (group, order).
    void SetUp() override {
        set.NewHypertext();
        const int16_t order[][2] = {{0, 0}, {1, 5}, {1, 2}, {2, 3}, {1, 1}, {1, -1}, {1, 4}};
        for (size_t i = 0; i < std::size(order); ++i) set.AddNewObject(testoHtml);
        for (size_t i = 0; i < std::size(order); ++i) {
            set.Page(int32_t(i))->SetI16(page_rec::kBrowseGroup, order[i][0]);
            set.Page(int32_t(i))->SetI16(page_rec::kBrowseNumber, order[i][1]);
        }
    }
};

TEST_F(Sequence, PreviousAndNextWithinTheGroup) {
    // Page 2 has order 2 in group 1; the group holds orders 5, 1, -1 and 4.
    EXPECT_EQ(PreviousInSequence(set, 2), 4);
    EXPECT_EQ(NextInSequence(set, 2), 6);
    EXPECT_EQ(NextInSequence(set, 6), 1);
    // The ends of the sequence and order -1 give the page itself; a page of
    // order -1 is no neighbour either.
    EXPECT_EQ(NextInSequence(set, 1), 1);
    EXPECT_EQ(PreviousInSequence(set, 4), 4);
    EXPECT_EQ(PreviousInSequence(set, 5), 5);
    EXPECT_EQ(NextInSequence(set, 5), 5);
    // Free pages are left out.
    set.Page(6)->MakeFree();
    EXPECT_EQ(NextInSequence(set, 2), 1);
    EXPECT_EQ(NextInSequence(set, 99), -1);
}

TEST_F(Sequence, AmongOneAndFive) {
    // Only orders 1, 2 and 5 in the group.
    set.Page(6)->SetI16(page_rec::kBrowseGroup, 3);
    EXPECT_EQ(PreviousInSequence(set, 2), 4);
    EXPECT_EQ(NextInSequence(set, 2), 1);
}

TEST_F(Sequence, EqualOrderNumbersLeadToTheLowestPageAndGroupsStaySeparate) {
    // Page 0 joins group 1 with order 4, as page 6 has.
    set.Page(0)->SetI16(page_rec::kBrowseGroup, 1);
    set.Page(0)->SetI16(page_rec::kBrowseNumber, 4);
    EXPECT_EQ(NextInSequence(set, 2), 0);
    EXPECT_EQ(PreviousInSequence(set, 1), 0);
    // Page 3 is alone in group 2, page 0's old group 0 is empty now.
    EXPECT_EQ(NextInSequence(set, 3), 3);
    EXPECT_EQ(PreviousInSequence(set, 3), 3);
    // The index a site export builds once answers as the single lookups do.
    const BrowseSequences index(set);
    for (int32_t p = -1; p < 9; ++p) {
        EXPECT_EQ(index.Previous(p), PreviousInSequence(set, p)) << p;
        EXPECT_EQ(index.Next(p), NextInSequence(set, p)) << p;
    }
}

TEST(PageNumberBox, StepsAndTypedNumbers) {
    EXPECT_EQ(PageMinusOne(0), 0);
    EXPECT_EQ(PageMinusOne(3), 2);
    EXPECT_EQ(PagePlusOne(2, 5), 3);
    EXPECT_EQ(PagePlusOne(5, 5), 5);
    EXPECT_TRUE(PageNumberOutOfRange(5, 5));
    EXPECT_FALSE(PageNumberOutOfRange(4, 5));
    EXPECT_EQ(PageNumberFromText(" 12 "), 12);
    EXPECT_EQ(PageNumberFromText("-4"), 0);
    EXPECT_EQ(PageNumberFromText("abc"), 0);
}

}  // namespace
}  // namespace ovik::links
