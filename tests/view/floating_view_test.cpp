// The inner view of a floating frame: the page it names, read-only and never
// stored, links kept inside for "_self" and handed out otherwise, and a page
// that shows itself stopping at the second level.
#include <gtest/gtest.h>

#include "document/hqv_set.h"
#include "page/placed_controls.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "support/page_text.h"
#include "view/floating_view.h"

namespace ovik {
namespace {

using testing::Content;
using testing::Tag;

struct FloatingViewTest : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    platform::FixedMetricsMeasurer measurer;
    TInsiemeCornici outer{measurer};
    THQVoggetto* frame = nullptr;
    std::vector<THQVoggetto*> handedOut;

    void SetUp() override {
        set.NewHypertext();
        for (const char* t : {"Zero", "Uno", "Due"}) {
            auto* p = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
            p->SetTitle(t);
            p->SetContent(Content(std::string("<Z S0 >pagina ") + t));
        }
        auto o = NewControlObject(set, inputStat, 18);
        frame = THQVoggetto::Register(o, -1);
        frame->SetI32(108, MakeId(testoHtml, 1));
        set.Page(0)->SetContent(Content("<Z S0 >cornice " + Tag(frame->Id())));
        outer.SetLinkedHQVset(&set);
        outer.SetReadOnly(true);
        outer.ActivePreview = true;
        outer.OnDoLink = [this](links::LinkSender, THQVoggetto* target) { handedOut.push_back(target); };
    }
    const TMyyFloating& ShownFrame() {
        outer.SetMainPageNumber(0);
        outer.Reshow();  // the frame's record as the test just set it
        for (auto& c : outer.MainPage()->Controls())
            if (auto* f = dynamic_cast<TMyyFloating*>(c.get())) return *f;
        throw std::runtime_error("no floating frame");
    }
};

TEST_F(FloatingViewTest, SelfKeepsLinksInsideOtherTargetsHandThemOut) {
    struct Case {
        uint8_t target;
        int32_t innerAfter;
        size_t handed;
    };
    for (const Case& c : {Case{1, 2, 0}, Case{0, 1, 1}, Case{2, 1, 1}, Case{3, 1, 1}}) {
        SCOPED_TRACE(int(c.target));
        frame->SetU8(177, c.target);
        handedOut.clear();
        TFloatingView inner(outer, ShownFrame(), measurer, {0});
        ASSERT_TRUE(inner.Shown());
        EXPECT_TRUE(inner.View().ReadOnly());
        EXPECT_TRUE(inner.View().ActivePreview);
        EXPECT_EQ(inner.View().AutoJump(), c.target == 1);
        EXPECT_EQ(inner.View().MainPageNumber(), 1);
        inner.View().DoLink(links::LinkSender::TextBox, set.Page(2));
        inner.View().RunPosted();
        EXPECT_EQ(inner.View().MainPageNumber(), c.innerAfter);
        outer.RunPosted();
        EXPECT_EQ(handedOut.size(), c.handed);
    }
}

TEST_F(FloatingViewTest, AnOwnPageStopsAtTheSecondLevelAndMissingPagesAreNotMade) {
    frame->SetI32(108, MakeId(testoHtml, 0));  // the frame shows its own page
    const TMyyFloating& f = ShownFrame();
    TFloatingView first(outer, f, measurer, {0});
    ASSERT_TRUE(first.Shown());
    TFloatingView second(outer, f, measurer, first.Chain());
    EXPECT_FALSE(second.Shown());

    const int32_t pages = set.ObjectCount(testoHtml);
    frame->SetI32(108, MakeId(testoHtml, 40));
    TFloatingView missing(outer, ShownFrame(), measurer, {0});
    EXPECT_FALSE(missing.Shown());
    EXPECT_EQ(set.ObjectCount(testoHtml), pages);
}

TEST_F(FloatingViewTest, AViewOwnedElsewhereIsSetUpTheSameAndLetGoOf) {
    frame->SetU8(177, 0);  // "_top": links go out
    TInsiemeCornici widgetsView(measurer);
    {
        TFloatingView inner(outer, ShownFrame(), widgetsView, {0});
        ASSERT_TRUE(inner.Shown());
        EXPECT_EQ(&inner.View(), &widgetsView);
        EXPECT_TRUE(widgetsView.ReadOnly());
        EXPECT_FALSE(widgetsView.SaveOnExit);
        EXPECT_EQ(widgetsView.MainPageNumber(), 1);
        widgetsView.DoLink(links::LinkSender::TextBox, set.Page(2));
        widgetsView.RunPosted();
        outer.RunPosted();
        EXPECT_EQ(handedOut.size(), 1u);
    }
    // Once the floating view is gone its links reach nobody.
    EXPECT_FALSE(widgetsView.OnDoLink);
    widgetsView.DoLink(links::LinkSender::TextBox, set.Page(2));
    widgetsView.RunPosted();
    outer.RunPosted();
    EXPECT_EQ(handedOut.size(), 1u);
}

}  // namespace
}  // namespace ovik
