// Matching pages against a query, and replacing words in stored pages.
#include "app/find.h"

#include <gtest/gtest.h>

#include "core/codepage.h"
#include "document/hqv_set.h"
#include "platform/messages.h"
#include "undo/pages_backup.h"

namespace ovik::app {
namespace {

struct FindTest : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    FindTest() {
        set.NewHypertext();
        AddPage("<Z S0 >copertina");  // page 0
    }
    THQVtesto* AddPage(const std::string& markup, const std::string& title = "") {
        auto* p = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        p->SetTitle(title);
        Set(*p, markup);
        return p;
    }
    static void Set(THQVtesto& p, const std::string& markup) { p.SetContent(Bytes(markup.begin(), markup.end() + 1)); }
    static std::string Text(const THQVtesto& p) {
        Bytes c;
        p.ReadContent(c);
        return std::string(c.begin(), std::find(c.begin(), c.end(), uint8_t(0)));
    }
};

TEST_F(FindTest, SearchableTextIsWhatAReaderSees) {
    const std::string m =
        "<Z S0 >Uno <Y B1 >DUE<Y >&amp;tre<D S1 >segreto<d><$03000001>link<%><Z S0 >&egrave;\x01 fine";
    EXPECT_EQ(SearchableText(reinterpret_cast<const uint8_t*>(m.data()), m.size(), 2, false),
              "\nuno due&trelink\n" + cp1252::FromUtf8("è") + " fine");
    // Old-format content skips every tag only up to its ">".
    EXPECT_EQ(SearchableText(reinterpret_cast<const uint8_t*>(m.data()), m.size(), 1, true),
              "\nUno DUE&tresegretolink\n" + cp1252::FromUtf8("è") + " fine");
}

TEST_F(FindTest, MatchPageFollowsTheQueryRules) {
    THQVtesto* casa = AddPage("<Z S0 >Una Casa al sole");
    THQVtesto* mare = AddPage("<Z S0 >il mare");
    THQVtesto* both = AddPage("<Z S0 >casa<Z S0 >sul mare");
    THQVtesto* hidden = AddPage("<Z S0 >nulla<D x>casa mare<d>");
    THQVtesto* escaped = AddPage("<Z S0 >AT&amp;T e citt&agrave;");
    THQVtesto* empty = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
    empty->ClearContent();
    struct Case {
        const char* what;
        THQVtesto* page;
        Query q;
        TZtSearchTypes options;
        std::string expected;
    } cases[] = {
        {"A = casa, C = mare: mare alone matches by C", mare, {"casa", "", "mare", ""}, 0, "mare"},
        {"A and B: casa alone does not match", casa, {"casa", "mare", "", ""}, 0, ""},
        {"A and B both there", both, {"casa", "mare", "", ""}, 0, "casa"},
        {"only B is used as A", casa, {"", "casa", "", ""}, 0, "casa"},
        {"only D is used as A", mare, {"", "", "", "mare"}, 0, "mare"},
        {"C and D with A missing", both, {"", "", "casa", "mare"}, 0, "casa"},
        {"case folded", casa, {"CASA", "", "", ""}, 0, "casa"},
        {"match case refuses", casa, {"casa", "", "", ""}, stMatchCase, ""},
        {"match case keeps", casa, {"Casa", "", "", ""}, stMatchCase, "Casa"},
        {"a word inside a <D block", hidden, {"casa", "", "", ""}, 0, ""},
        {"escapes decoded", escaped, {"at&t", "", "", ""}, 0, "at&t"},
        {"an entity finds its letter", escaped, {cp1252::FromUtf8("città"), "", "", ""}, 0, cp1252::FromUtf8("città")},
        {"all terms empty", casa, {"", "", "", ""}, 0, ""},
        {"no content", empty, {"casa", "", "", ""}, 0, ""},
        {"whole word plays no part", casa, {"sol", "", "", ""}, stWholeWord, "sol"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(MatchPage(*c.page, c.q, c.options), c.expected);
    }
}

TEST_F(FindTest, HypertextSearchGoesForwardAndNeverWraps) {
    AddPage("<Z S0 >gatto");                     // 1
    AddPage("<Z S0 >cane");                      // 2
    THQVtesto* freed = AddPage("<Z S0 >gatto");  // 3
    AddPage("<Z S0 >Gatto nero");                 // 4
    freed->MakeFree();
    const Query q{"gatto", "", "", ""};
    std::string w;
    EXPECT_EQ(NextMatchingPage(set, 0, q, 0, &w), 1);
    EXPECT_EQ(w, "gatto");
    EXPECT_EQ(NextMatchingPage(set, 1, q, 0), 4);
    EXPECT_EQ(NextMatchingPage(set, 4, q, 0), -1);  // from the last page: at once
    EXPECT_EQ(NextMatchingPage(set, 1, q, stMatchCase), -1);
}

TEST_F(FindTest, ReplacingChangesOnlyTheReadersText) {
    struct Case {
        const char* what;
        std::string markup, word, replacement;
        TZtSearchTypes options;
        std::string expected;
        size_t count;
    } cases[] = {
        {"a replacement containing the word", "<Z S0 >a ba", "a", "aa", 0, "<Z S0 >aa baa", 2},
        {"tags, link targets and skipped blocks stay", "<Z S0 Fcasa >casa<$00000003>casa<%><D casa>casa<d>",
         "casa", "villa", 0, "<Z S0 Fcasa >villa<$00000003>villa<%><D casa>casa<d>", 2},
        {"a word across a font tag keeps the tag", "<Z S0 >ca<Y B1 >sa<Y > bella", "casa", "villa", 0,
         "<Z S0 >villa<Y B1 ><Y > bella", 1},
        {"escapes both ways", "<Z S0 >AT&amp;T", "at&t", "A<B>", 0, "<Z S0 >A&lt;B&gt;", 1},
        {"whole words only", "<Z S0 >gatto gattone,gatto", "gatto", "cane", stWholeWord,
         "<Z S0 >cane gattone,cane", 2},
        {"match case", "<Z S0 >Roma roma", "roma", "Milano", stMatchCase, "<Z S0 >Roma Milano", 1},
        {"not across paragraphs", "<Z S0 >ab<Z S0 >cd", "b\nc", "x", 0, "<Z S0 >ab<Z S0 >cd", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes m(c.markup.begin(), c.markup.end());
        bool cancelled = false;
        EXPECT_EQ(ReplaceInMarkup(m, 2, c.word, c.replacement, c.options, {}, cancelled), c.count);
        EXPECT_EQ(std::string(m.begin(), m.end()), c.expected);
        EXPECT_FALSE(cancelled);
    }
}

TEST_F(FindTest, ConfirmationSkipsOnNoAndStopsOnCancel) {
    AddPage("<Z S0 >x x x");  // 1
    AddPage("<Z S0 >x");      // 2
    std::vector<platform::Answer> answers{platform::Answer::Yes, platform::Answer::No, platform::Answer::Yes,
                                          platform::Answer::Cancel};
    size_t asked = 0;
    std::vector<int32_t> pagesAsked;
    ReplaceResult r = ReplaceInHypertext(set, "x", "y", 0, 0, [&](int32_t page, const std::string& w) {
        EXPECT_EQ(w, "x");
        pagesAsked.push_back(page);
        return answers[asked++];
    });
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.replacements, 2u);
    EXPECT_EQ(r.Pages(), 1u);
    EXPECT_EQ(Text(*set.Page(1)), "<Z S0 >y x y");
    EXPECT_EQ(Text(*set.Page(2)), "<Z S0 >x");
    EXPECT_EQ(pagesAsked, (std::vector<int32_t>{1, 1, 1, 2}));
}

TEST_F(FindTest, ReplaceInHypertextStartsAtTheGivenPageAndIsOneUndoStep) {
    AddPage("<Z S0 >sole");         // 1
    AddPage("<Z S0 >luna");         // 2
    AddPage("<Z S0 >sole e sole");  // 3
    const std::string page0 = Text(*set.Page(0));
    ReplaceResult from3 = ReplaceInHypertext(set, "sole", "stella", 0, 3, {});
    EXPECT_EQ(from3.replacements, 2u);
    EXPECT_EQ(Text(*set.Page(1)), "<Z S0 >sole");
    ReplaceResult r = ReplaceInHypertext(set, "Sole", "Astro", 0, 0, {});
    EXPECT_EQ(r.replacements, 1u);
    EXPECT_EQ(r.Pages(), 1u);
    EXPECT_EQ(Text(*set.Page(1)), "<Z S0 >Astro");

    // The compound undo entry brings every changed page back, and redo
    // replays the change; it counts once against the depth.
    THQVundoList history(set);
    history.SetDepth(2);
    history.Add(std::make_unique<TpagesBackup>(set, from3.before, "Sostituzione"));
    history.Add(std::make_unique<TpagesBackup>(set, r.before, "Sostituzione"));
    EXPECT_EQ(history.UndoCount(), 2u);
    history.UndoOne();
    EXPECT_EQ(Text(*set.Page(1)), "<Z S0 >sole");
    history.UndoOne();
    EXPECT_EQ(Text(*set.Page(3)), "<Z S0 >sole e sole");
    history.RedoOne();
    EXPECT_EQ(Text(*set.Page(3)), "<Z S0 >stella e stella");
    EXPECT_EQ(Text(*set.Page(1)), "<Z S0 >sole");
    EXPECT_EQ(Text(*set.Page(0)), page0);
}

TEST_F(FindTest, EmptyWordDoesNothing) {
    AddPage("<Z S0 >testo");
    ReplaceResult r = ReplaceInHypertext(set, "", "x", 0, 0, {});
    EXPECT_EQ(r.replacements, 0u);
    EXPECT_FALSE(set.Modified() && r.Pages() > 0);
    EXPECT_EQ(NextMatchingPage(set, -1, Query{}, 0), -1);
}

}  // namespace
}  // namespace ovik::app
