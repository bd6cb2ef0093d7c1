// Keywords and the keyword slots of pages.
#include "document/keywords.h"

#include <gtest/gtest.h>

#include "app/references.h"
#include "document/hqv_set.h"
#include "platform/messages.h"

namespace ovik {
namespace {

struct KeywordsTest : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    THQVtesto* page = nullptr;
    KeywordsTest() {
        set.NewHypertext();
        page = NewPage();
    }
    THQVtesto* NewPage() { return static_cast<THQVtesto*>(set.AddNewObject(testoHtml)); }
};

TEST_F(KeywordsTest, NewPageHasTwentyEmptySlots) {
    EXPECT_TRUE(PageKeywords(*page).empty());
    for (int i = 0; i < kKeywordSlots; ++i) EXPECT_EQ(KeywordSlot(*page, i), -1) << i;
}

TEST_F(KeywordsTest, AddingTakesTheFirstEmptySlotOnceAndStopsWhenFull) {
    SetKeywordSlot(*page, 0, 7);
    SetKeywordSlot(*page, 2, 9);
    EXPECT_TRUE(AddKeywordToPage(*page, 4));
    EXPECT_EQ(KeywordSlot(*page, 1), 4);
    // A keyword the page names already changes nothing.
    EXPECT_FALSE(AddKeywordToPage(*page, 9));
    EXPECT_EQ(PageKeywords(*page), (std::vector<int32_t>{7, 4, 9}));
    for (int k = 100; k < 117; ++k) EXPECT_TRUE(AddKeywordToPage(*page, k));
    EXPECT_FALSE(AddKeywordToPage(*page, 500));  // all twenty taken
    EXPECT_EQ(PageKeywords(*page).size(), 20u);
    EXPECT_FALSE(PageNamesKeyword(*page, 500));
}

TEST_F(KeywordsTest, FindOrAddReusesTheSameTextCaseSensitively) {
    THQVoggetto* a = FindOrAddKeyword(set, "mare");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Name(), "mare");
    EXPECT_EQ(FindOrAddKeyword(set, "mare"), a);
    THQVoggetto* b = FindOrAddKeyword(set, "Mare");
    ASSERT_NE(b, nullptr);
    EXPECT_NE(b, a);
    EXPECT_EQ(FindOrAddKeyword(set, ""), nullptr);
    EXPECT_EQ(Keywords(set).size(), 2u);
}

TEST_F(KeywordsTest, PagesWithKeywordSkipsFreePages) {
    THQVoggetto* k = FindOrAddKeyword(set, "gatti");
    THQVtesto* p1 = NewPage();
    THQVtesto* p2 = NewPage();
    AddKeywordToPage(*p1, k->Number());
    AddKeywordToPage(*p2, k->Number());
    EXPECT_EQ(PagesWithKeyword(set, k->Number()), (std::vector<int32_t>{p1->Number(), p2->Number()}));
    p1->MakeFree();
    EXPECT_EQ(PagesWithKeyword(set, k->Number()), (std::vector<int32_t>{p2->Number()}));
}

// A page that names a keyword twice (a file may hold that) loses only the
// first slot, both through the keywords window and through the delete window.
TEST_F(KeywordsTest, DeletingAGlobalKeywordClearsOnlyTheFirstSlotOfEachPage) {
    for (bool throughReferences : {false, true}) {
        SCOPED_TRACE(throughReferences ? "delete window" : "keywords window");
        THQVoggetto* k = FindOrAddKeyword(set, "doppia");
        const int32_t n = k->Number();
        THQVtesto* twice = NewPage();
        SetKeywordSlot(*twice, 3, n);
        SetKeywordSlot(*twice, 8, n);
        THQVtesto* once = NewPage();
        SetKeywordSlot(*once, 0, n);
        if (throughReferences) {
            app::RemoveAllReferencesTo(set, k->Id());
            k->MakeFree();
        } else {
            EXPECT_TRUE(DeleteGlobalKeyword(set, n));
        }
        EXPECT_EQ(KeywordSlot(*twice, 3), -1);
        EXPECT_EQ(KeywordSlot(*twice, 8), n);
        EXPECT_EQ(KeywordSlot(*once, 0), -1);
        EXPECT_TRUE(k->IsFree());
        EXPECT_FALSE(DeleteGlobalKeyword(set, n));
        twice->MakeFree();
        once->MakeFree();
    }
}

// Clearing references to a keyword leaves the page's text alone.
TEST_F(KeywordsTest, RemovingKeywordReferencesKeepsPageText) {
    THQVoggetto* k = FindOrAddKeyword(set, "testo");
    const std::string markup = "<Z S0 >ciao";
    page->SetContent(Bytes(markup.begin(), markup.end() + 1));
    AddKeywordToPage(*page, k->Number());
    app::RemoveReferencesTo(set, *page, k->Id());
    EXPECT_FALSE(PageNamesKeyword(*page, k->Number()));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(page->MemContent()->data())), markup);
}

}  // namespace
}  // namespace ovik
