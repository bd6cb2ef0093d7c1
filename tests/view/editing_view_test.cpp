// The editing view for a page shown alone: showing pages, storing the page
// left, following links after the event with the view's own history, and the
// clipboard routed to the current box.
#include <gtest/gtest.h>

#include <algorithm>

#include "document/hqv_set.h"
#include "links/link_objects.h"
#include "page/page_record.h"
#include "platform/clipboard.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "support/page_text.h"
#include "view/editing_view.h"

namespace ovik {
namespace {

using testing::Content;
using testing::Tag;

struct View : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    platform::FixedMetricsMeasurer measurer;
    THQVundoList undo{set};
    platform::InMemoryClipboard clipboard;
    TInsiemeCornici view{measurer};
    std::vector<int32_t> changes;  // the main page at each OnPageChanged
    std::vector<std::pair<links::LinkSender, int>> links;  // kind of each OnDoLink object

    THQVtesto* AddPage(const std::string& title, const std::string& markup) {
        return testing::AddPage(set, title, markup);
    }
    void SetUp() override {
        set.NewHypertext();
        AddPage("Zero", "<Z S0 >pagina zero");
        AddPage("Uno", "<Z S0 >pagina uno");
        AddPage("Due", "<Z S0 >pagina due");
        view.SetLinkedHQVset(&set);
        view.SetHistory(&undo);
        view.SetClipboard(&clipboard);
        view.SaveOnExit = true;
        view.OnPageChanged = [this] { changes.push_back(view.MainPageNumber()); };
        view.OnDoLink = [this](links::LinkSender s, THQVoggetto* o) {
            // The object must still be alive here, whatever the view showed meanwhile.
            links.emplace_back(s, o->Kind());
        };
    }
    std::string Stored(int32_t n) {
        Bytes c;
        set.Page(n)->ReadContent(c);
        return std::string(c.begin(), std::find(c.begin(), c.end(), uint8_t(0)));
    }
    void Type(const std::string& s) {
        for (char c : s) view.Editor()->KeyPress(uint8_t(c));
    }
    // Puts the caret inside the first link of the text and follows it as the
    // reader's click does: the box posts the link, the view carries it out
    // after the event.
    void FollowFirstLink() {
        THQVbox& box = *view.CurrentBox();
        const auto& recs = box.Paragraph(0).Records();
        int32_t at = 0;
        while (at < int32_t(recs.size()) && recs[size_t(at)].link == kNoLink) ++at;
        ASSERT_LT(at, int32_t(recs.size())) << "no link on the page";
        box.SetCaret(0, at + 1);
        view.Editor()->FollowLinkAtCaret();
        while (auto a = view.Actions().Take())
            if (a->kind == EditAction::FollowLink) view.FollowIdentifier(a->link);
        view.RunPosted();
    }
};

TEST_F(View, ShowingPages) {
    EXPECT_EQ(view.MainPageNumber(), -1);
    view.SetMainPageNumber(1);
    EXPECT_EQ(view.MainPageNumber(), 1);
    EXPECT_EQ(view.RootFrameTitle(), "Pag1");
    ASSERT_NE(view.CurrentBox(), nullptr);
    // The same number again changes nothing and tells nobody.
    view.SetMainPageNumber(1);
    EXPECT_EQ(changes, (std::vector<int32_t>{1}));
    // A number no page has makes a new page under the next number.
    view.SetMainPageNumber(40);
    EXPECT_EQ(view.MainPageNumber(), 3);
    ASSERT_NE(set.Page(3), nullptr);
    EXPECT_FALSE(set.Page(3)->IsFree());
    view.SetMainPageNumber(-1);
    EXPECT_EQ(view.CurrentBox(), nullptr);
    EXPECT_EQ(view.Editor(), nullptr);
    EXPECT_EQ(changes, (std::vector<int32_t>{1, 3, -1}));
}

TEST_F(View, ThePageLeftIsStoredOnlyWithSaveOnExit) {
    view.SetMainPageNumber(1);
    view.CurrentBox()->SetCaret(0, 0);
    Type("X");
    EXPECT_TRUE(view.Modified());
    view.SetMainPageNumber(2);
    EXPECT_NE(Stored(1).find("Xpagina uno"), std::string::npos) << Stored(1);
    EXPECT_TRUE(set.Modified());

    view.SaveOnExit = false;
    view.CurrentBox()->SetCaret(0, 0);
    Type("Y");
    view.SetMainPageNumber(0);
    EXPECT_EQ(Stored(2).find('Y'), std::string::npos) << Stored(2);
}

TEST_F(View, APageViewedAndLeftGetsItsAutomaticTitle) {
    THQVtesto* untitled = AddPage(kUntitledPage, "<Z S0 >Gatti e cani");
    view.SetMainPageNumber(untitled->Number());
    view.SetMainPageNumber(0);
    EXPECT_EQ(set.Page(untitled->Number())->Title(), "Gatti e cani");
}

TEST_F(View, StoringKeepsEditingWithTheCaretWhereItWas) {
    view.SetMainPageNumber(1);
    view.CurrentBox()->SetCaret(0, 3);
    Type("Z");
    ASSERT_TRUE(view.StorePage());
    EXPECT_NE(Stored(1).find("pagZina"), std::string::npos) << Stored(1);
    EXPECT_EQ(view.MainPageNumber(), 1);
    EXPECT_EQ(view.CurrentBox()->caret.charIndex, 4);
    EXPECT_FALSE(view.Modified());
    // A second round stores again: a fresh working copy was shown.
    Type("W");
    ASSERT_TRUE(view.StorePage());
    EXPECT_NE(Stored(1).find("pagZWina"), std::string::npos) << Stored(1);
}

TEST_F(View, EditsAreRecordedForUndo) {
    view.SetMainPageNumber(1);
    view.CurrentBox()->SetCaret(0, 0);
    Type("Q");
    view.Editor()->CloseGroups();
    ASSERT_TRUE(undo.CanUndo());
    undo.UndoOne();
    EXPECT_EQ(view.CurrentBox()->Paragraph(0).Text(), "pagina uno");
}

TEST_F(View, APageLinkIsFollowedAfterTheEventWithTheViewsHistory) {
    AddPage("Indice", "<Z S0 >vai " + Tag(set.Page(2)->Id()) + "alla due<%> fine");
    view.SetReadOnly(true);
    view.SetMainPageNumber(3);
    view.DoLink(links::LinkSender::TextBox, set.Page(1));
    EXPECT_EQ(view.MainPageNumber(), 3) << "nothing happens before the event is over";
    view.RunPosted();
    EXPECT_EQ(view.MainPageNumber(), 1);
    view.Back();
    EXPECT_EQ(view.MainPageNumber(), 3);
    EXPECT_TRUE(view.PageHistory().empty());
    // Back with an empty history: the main page, nothing shown anew.
    changes.clear();
    EXPECT_EQ(view.Back(), 3);
    EXPECT_TRUE(changes.empty());

    FollowFirstLink();
    EXPECT_EQ(view.MainPageNumber(), 2);
    EXPECT_EQ(view.PageHistory(), (std::vector<int32_t>{3}));
    EXPECT_EQ(view.Current(), 3);
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(links[1].second, testoHtml);
}

TEST_F(View, WithoutAutoJumpTheOwnerAloneHearsOfTheLink) {
    view.SetMainPageNumber(0);
    view.SetAutoJump(false);
    view.DoLink(links::LinkSender::TextBox, set.Page(2));
    view.RunPosted();
    EXPECT_EQ(view.MainPageNumber(), 0);
    EXPECT_TRUE(view.PageHistory().empty());
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].second, testoHtml);
}

TEST_F(View, SpecialLinksToPagesMoveTheViewExceptToPageZero) {
    // Browse sequence of group 1: page 1 (order 1), page 2 (order 2); page 0 first (order 0).
    for (int32_t n : {0, 1, 2}) {
        PageRecord r(*set.Page(n));
        r.SetBrowseGroup(1);
        r.SetBrowseNumber(int16_t(n));
    }
    auto next = links::NewSpecialLink(set, 5);
    auto prev = links::NewSpecialLink(set, 4);
    THQVoggetto* nextLink = THQVoggetto::Register(next);
    THQVoggetto* prevLink = THQVoggetto::Register(prev);
    struct Row {
        int32_t from;
        THQVoggetto* link;
        int32_t shown;
    } rows[] = {
        {1, nextLink, 2},  // the next page of the sequence
        {2, prevLink, 1},  // the previous one
        {1, prevLink, 1},  // page 0 is left to the owner
    };
    for (const Row& r : rows) {
        view.SetMainPageNumber(r.from);
        view.DoLink(links::LinkSender::TextBox, r.link);
        view.RunPosted();
        EXPECT_EQ(view.MainPageNumber(), r.shown) << "from page " << r.from;
        EXPECT_EQ(links.back().second, speclink);
    }
}

TEST_F(View, APageLocalLinkOutlivesTheJumpItCauses) {
    // The special link is held by the page's text: it lives in the page's
    // working copy, which the jump closes.
    auto next = links::NewSpecialLink(set, 5);
    THQVoggetto* reg = THQVoggetto::Register(next);
    for (int32_t n : {0, 1, 2}) {
        PageRecord r(*set.Page(n));
        r.SetBrowseGroup(1);
        r.SetBrowseNumber(int16_t(n));
    }
    set.Page(1)->SetContent(Content("<Z S0 >avanti " + Tag(reg->Id()) + "oltre<%>"));
    view.SetReadOnly(true);
    view.SetMainPageNumber(1);
    FollowFirstLink();
    EXPECT_EQ(view.MainPageNumber(), 2);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].second, speclink);
}

TEST_F(View, TheClipboardGoesThroughTheCurrentBox) {
    view.SetMainPageNumber(1);
    THQVbox& box = *view.CurrentBox();
    box.Select(box.MakePosition(0, 0), box.MakePosition(0, 6));
    ASSERT_TRUE(view.Copy());
    EXPECT_EQ(clipboard.Text(), "pagina");
    EXPECT_TRUE(clipboard.HasFormat(platform::kObjectsFormat));
    EXPECT_FALSE(view.Modified());

    ASSERT_TRUE(view.Cut());
    EXPECT_EQ(view.CurrentBox()->Paragraph(0).Text(), " uno");
    EXPECT_TRUE(view.Modified());
    // The editor's own format comes back whole.
    ASSERT_TRUE(view.Paste());
    EXPECT_EQ(view.CurrentBox()->Paragraph(0).Text(), "pagina uno");
    // Text from elsewhere: Unicode in, the code page's closest characters stored.
    clipboard.SetText("caff\xC3\xA8 \xE2\x82\xAC");
    ASSERT_TRUE(view.Paste());
    EXPECT_EQ(view.CurrentBox()->Paragraph(0).Text(), "paginacaff\xE8 \x80 uno");

    // A read-only view neither cuts nor pastes.
    view.SetReadOnly(true);
    view.CurrentBox()->Select(box.MakePosition(0, 0), box.MakePosition(0, 6));
    EXPECT_FALSE(view.Cut());
    EXPECT_FALSE(view.Paste());
}

TEST_F(View, ChangingTheHypertextForgetsEverything) {
    view.SetMainPageNumber(0);
    view.DoLink(links::LinkSender::TextBox, set.Page(1));
    view.RunPosted();
    ASSERT_FALSE(view.PageHistory().empty());
    THQVset other(msgs);
    other.NewHypertext();
    view.SetLinkedHQVset(&other);
    EXPECT_EQ(view.MainPageNumber(), -1);
    EXPECT_TRUE(view.PageHistory().empty());
    EXPECT_EQ(view.CurrentBox(), nullptr);
    view.SetLinkedHQVset(nullptr);
}

// Link launchers start their links when a reader sees the page in a live
// read-only view, with the page as sender; a circle of launchers stops.
TEST_F(View, LaunchersOfAPageShownInALivePreviewStartTheirLinks) {
    // Pages 3 and 4 each hold a launcher of a link to the other.
    THQVtesto* three = AddPage("Tre", "<Z S0 >tre");
    THQVtesto* four = AddPage("Quattro", "<Z S0 >quattro");
    auto launcherTo = [&](THQVtesto* page) {
        THQVoggetto* m = set.AddNewObject(shortObj);
        m->SetState(links::kLauncherSubtype);
        m->SetI32(5, page->Id());
        return Tag(m->Id()) + "x";
    };
    three->SetContent(Content("<Z S0 >tre " + launcherTo(four)));
    four->SetContent(Content("<Z S0 >quattro " + launcherTo(three)));
    int posts = 0;
    view.OnLinkPosted = [&] { ++posts; };
    // The owner follows a launcher as the link follower does: its reference.
    view.OnDoLink = [&](links::LinkSender s, THQVoggetto* o) {
        links.emplace_back(s, o->Kind());
        if (s == links::LinkSender::Page && o->Kind() == shortObj)
            if (THQVoggetto* to = view.Resolve(o->I32(5))) view.SetMainPageNumber(to->Number());
    };
    struct Case {
        const char* name;
        bool readOnly, active;
        bool starts;
    } cases[] = {{"editing", false, true, false}, {"preview, not live", true, false, false}, {"live preview", true, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view.SetMainPageNumber(0);
        view.SetReadOnly(c.readOnly);
        view.ActivePreview = c.active;
        links.clear();
        posts = 0;
        view.SetMainPageNumber(three->Number());
        EXPECT_EQ(posts > 0, c.starts);
        view.RunPosted();
        if (!c.starts) {
            EXPECT_TRUE(links.empty());
            EXPECT_EQ(view.MainPageNumber(), three->Number());
            continue;
        }
        ASSERT_FALSE(links.empty());
        EXPECT_EQ(links.front(), (std::pair{links::LinkSender::Page, int(shortObj)}));
        EXPECT_EQ(view.MainPageNumber(), four->Number());
        // Round the circle until the view stops following launchers.
        for (int i = 0; i < 3 * TInsiemeCornici::kLauncherChain && view.RunPosted(); ++i) {
        }
        EXPECT_FALSE(view.RunPosted());
        EXPECT_EQ(int(links.size()), TInsiemeCornici::kLauncherChain);
        // A page the reader shows starts its launchers again.
        links.clear();
        view.SetMainPageNumber(0);
        view.SetMainPageNumber(four->Number());
        view.RunPosted();
        EXPECT_EQ(view.MainPageNumber(), three->Number());
        EXPECT_EQ(links.size(), 1u);
    }
}

// A scheduler whose timer fires when the test says so.
struct ManualScheduler : platform::Scheduler {
    int armedFor = -1;  // milliseconds of the armed timer, -1 when stopped
    std::function<void()> fire;
    void StartTimer(int ms, std::function<void()> f) override {
        armedFor = ms;
        fire = std::move(f);
    }
    void StopTimer() override { armedFor = -1; }
    void ProcessMessagesFor(int) override {}
    void Fire() {
        ASSERT_GE(armedFor, 0) << "no timer armed";
        armedFor = -1;
        fire();
    }
};

// A live read-only view runs the slide chain by itself: each page for its
// delay (at least 100 ms), then its slide target as a link.
TEST_F(View, SlidesAdvanceInALivePreview) {
    ManualScheduler timer;
    view.SetSlideScheduler(&timer);
    PageRecord(*set.Page(0)).SetSlideTarget(1);
    PageRecord(*set.Page(0)).SetSlideDelay(0);
    PageRecord(*set.Page(1)).SetSlideTarget(2);
    PageRecord(*set.Page(1)).SetSlideDelay(3);
    PageRecord(*set.Page(2)).SetSlideTarget(-1);

    view.SetMainPageNumber(0);  // editing: no slides
    EXPECT_EQ(timer.armedFor, -1);
    view.SetMainPageNumber(1);
    view.SetReadOnly(true);
    view.ActivePreview = true;
    view.SetMainPageNumber(0);
    EXPECT_EQ(timer.armedFor, 100);  // a delay of 0 moves on after 100 ms
    timer.Fire();
    view.RunPosted();
    EXPECT_EQ(view.MainPageNumber(), 1);
    EXPECT_EQ(timer.armedFor, 3000);
    timer.Fire();
    view.RunPosted();
    EXPECT_EQ(view.MainPageNumber(), 2);
    EXPECT_EQ(timer.armedFor, -1);  // the chain ends here
    EXPECT_EQ(view.PageHistory(), (std::vector<int32_t>{0, 1}));  // each slide left, as links do

    // Back and leaving preview stop the show.
    view.SetMainPageNumber(0);
    ASSERT_EQ(timer.armedFor, 100);
    view.Back();
    view.SetMainPageNumber(0);
    ASSERT_GE(timer.armedFor, 0);
    view.SetReadOnly(false);
    EXPECT_EQ(timer.armedFor, -1);
    EXPECT_FALSE(view.SlideTimerArmed());
}

}  // namespace
}  // namespace ovik
