// The interactive spell check of a page: the page hands its paragraphs to the
// checker from the caret's word, selects each error and corrects it in place.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/spell_checker.h"
#include "app/spell_session.h"
#include "document/hqv_set.h"
#include "page/thqv_page.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"

namespace ovik {
namespace {

struct PageSpell : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    platform::FixedMetricsMeasurer measurer;
    PageHost host;
    app::TZtSpellChecker checker;
    THQVtesto* page = nullptr;
    PageSpell() {
        host.set = &set;
        host.measurer = &measurer;
        page = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        std::string markup = "<Z S0 >uno gattto e casaa<Z S0 >il caane mangia";
        Bytes b(markup.begin(), markup.end());
        b.push_back(0);
        page->SetContent(b);
        checker.DictionaryFolders = {std::filesystem::path(OVIK_TEST_DATA) / "spell"};
        checker.CreateUserDictionary = false;
        checker.Open();
    }
    std::string Selected(THQVbox& box) {
        TextPosition s = box.SelectionStart(), e = box.SelectionEnd();
        return box.Paragraph(s.paragraphIndex).Text().substr(size_t(s.charIndex), size_t(e.charIndex - s.charIndex));
    }
};

TEST_F(PageSpell, FromTheCaretTheErrorsAreSelectedAndCorrectedInPlace) {
    ASSERT_TRUE(checker.IsOpen());
    THQVpage view(host);
    view.ShowPage(page);
    THQVbox& box = *view.Box();
    box.SetCaret(1, 5);  // inside "caane": "il" is not checked
    checker.Bind(view.InteractiveSpellCheck(true));
    app::TZtSpellSession s(checker);
    ASSERT_TRUE(s.Begin());
    EXPECT_EQ(s.Text(), "   caane mangia");
    s.RunLoop();
    ASSERT_FALSE(s.Finished());
    EXPECT_EQ(s.ErrorText(), "caane");
    ASSERT_TRUE(box.hasSelection);
    EXPECT_EQ(box.SelectionStart().paragraphIndex, 1);
    EXPECT_EQ(Selected(box), "caane");
    s.EditRed("cane");
    s.Change();
    EXPECT_EQ(box.Paragraph(1).Text(), "il cane mangia");
    EXPECT_TRUE(view.modified);
    EXPECT_TRUE(s.Finished());  // the walk ends with the last paragraph
}

TEST_F(PageSpell, AWholePageCheckWalksEveryParagraph) {
    THQVpage view(host);
    view.ShowPage(page);
    THQVbox& box = *view.Box();
    box.SetCaret(1, 5);
    checker.Bind(view.InteractiveSpellCheck(false));
    app::TZtSpellSession s(checker);
    ASSERT_TRUE(s.Begin());
    s.RunLoop();
    std::vector<std::string> seen;
    while (!s.Finished()) {
        seen.push_back(s.ErrorText());
        if (s.ErrorText() == "casaa") {
            s.SelectVariant(0);
            ASSERT_FALSE(s.View().variants.empty());
            EXPECT_EQ(s.View().variants[0], "casa");
            s.Change();
        } else {
            s.Skip();
        }
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"gattto", "e", "casaa", "caane"}));
    EXPECT_EQ(box.Paragraph(0).Text(), "uno gattto e casa");
    // The caret at the start of a paragraph checks it whole.
    box.SetCaret(1, 0);
    checker.Bind(view.InteractiveSpellCheck(true));
    app::TZtSpellSession again(checker);
    ASSERT_TRUE(again.Begin());
    EXPECT_EQ(again.Text(), "il caane mangia");
    again.Close();
}

}  // namespace
}  // namespace ovik
