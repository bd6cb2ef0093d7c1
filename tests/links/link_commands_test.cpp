// The link commands on a page being edited: linking the selection, self links,
// anchors and zones, and what the stored page holds afterwards.
#include <gtest/gtest.h>

#include <algorithm>

#include "document/hqv_set.h"
#include "links/link_address.h"
#include "links/link_commands.h"
#include "links/link_objects.h"
#include "page/thqv_page.h"
#include "page/working_copy.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "support/page_text.h"
#include "text/editing.h"
#include "text/layout.h"

namespace ovik::links {
namespace {

using ovik::testing::Content;
using ovik::testing::Tag;

struct Editing : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    platform::FixedMetricsMeasurer measurer;
    PageHost host;
    std::unique_ptr<THQVpage> view;
    DeferredActions actions;
    std::unique_ptr<BoxEditor> editor;
    THQVtesto* page = nullptr;

    void SetUp() override {
        set.NewHypertext();
        host.set = &set;
        host.measurer = &measurer;
        set.AddNewObject(testoHtml)->SetName("Copertina");
        page = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        page->SetTitle("Prova");
        page->SetContent(Content("<Z S0 >uno due tre quattro"));
        view = std::make_unique<THQVpage>(host);
        view->ShowPage(page);
        InstallLayout(*view->Box());
        ResizePageBox(*view->Box(), 600, 400);
        editor = std::make_unique<BoxEditor>(*view->Box(), actions);
    }
    void Select(int32_t from, int32_t to) {
        THQVbox& b = *view->Box();
        b.Select(b.MakePosition(0, from), b.MakePosition(0, to));
    }
    std::string Store() {
        view->StorePage();
        Bytes c;
        set.Page(page->Number())->ReadContent(c);
        return std::string(c.begin(), std::find(c.begin(), c.end(), uint8_t(0)));
    }
    int32_t Live(uint8_t kind) const {
        int32_t n = 0;
        for (int32_t i = 0; i < set.ObjectCount(kind); ++i)
            if (auto* o = set.GetObject(kind, i); o && !o->IsFree()) ++n;
        return n;
    }
};

TEST_F(Editing, WithoutSelectionTheCommandsSaySo) {
    EXPECT_FALSE(LinkSelection(*view, *editor, set.Page(0), msgs));
    EXPECT_FALSE(SelfLink(*view, *editor, msgs));
    EXPECT_EQ(msgs.joined(), std::string(kSelectFirst) + "\n" + kSelectFirst);
    EXPECT_FALSE(LinkZoneToLastAnchor(*view, nullptr, 0, 2, msgs));
    EXPECT_EQ(msgs.entries().back().text, kNoZoneSelected);
}

TEST_F(Editing, TwoSpansToOneAddressShareOneObject) {
    auto web = set.NewInternetLink("http://ovik.it/");
    Select(0, 3);
    ASSERT_TRUE(LinkSelection(*view, *editor, web.get(), msgs));
    Select(8, 11);
    ASSERT_TRUE(LinkSelection(*view, *editor, web.get(), msgs));
    EXPECT_EQ(LinkAtSelection(*view->Box()), MakeId(kPageLocalKind, 0));
    const std::string stored = Store();
    EXPECT_EQ(Live(internetLink), 1);
    THQVoggetto* reg = set.GetObject(internetLink, 0);
    ASSERT_TRUE(reg);
    EXPECT_EQ(reg->Name(), "http://ovik.it/");
    EXPECT_EQ(stored, "<Z S0 >" + Tag(reg->Id()) + "uno<%> due " + Tag(reg->Id()) + "tre<%> quattro");
}

TEST_F(Editing, PagesSelfLinksAndRemovingLinks) {
    Select(0, 3);
    ASSERT_TRUE(LinkSelection(*view, *editor, set.Page(0), msgs));
    Select(4, 7);
    ASSERT_TRUE(SelfLink(*view, *editor, msgs));
    Select(8, 11);
    ASSERT_TRUE(LinkSelection(*view, *editor, set.Page(0), msgs));
    ASSERT_TRUE(LinkSelection(*view, *editor, static_cast<const THQVoggetto*>(nullptr), msgs));
    const std::string stored = Store();
    THQVoggetto* self = set.GetObject(internetLink, 0);
    ASSERT_TRUE(self);
    EXPECT_EQ(self->Name(), "due");
    EXPECT_EQ(self->State(), kAddressOther);
    EXPECT_EQ(stored, "<Z S0 >" + Tag(set.Page(0)->Id()) + "uno<%> " + Tag(self->Id()) + "due<%> tre quattro");
}

TEST_F(Editing, AnchorsTakeTheNextFreeNumber) {
    THQVbox& b = *view->Box();
    b.caret = b.MakePosition(0, 3);
    EXPECT_EQ(InsertAnchor(*view, *editor), 0);
    b.caret = b.MakePosition(0, 0);
    EXPECT_EQ(InsertAnchor(*view, *editor, 7), 7);
    b.caret = b.MakePosition(0, 1);
    EXPECT_EQ(InsertAnchor(*view, *editor), 8);
    EXPECT_TRUE(view->JumpToAnchor(8));
    EXPECT_EQ(b.caret.charIndex, 1);

    auto special = NewSpecialLink(set, kSpecGoTo);
    SpecialLink s{*special};
    s.SetAction(kActAnchorInPage);
    s.SetAnchor(8);
    Select(5, 8);
    ASSERT_TRUE(LinkSelection(*view, *editor, std::move(special), msgs));
    Store();
    int anchors = 0;
    for (int32_t i = 0; i < set.ObjectCount(shortObj); ++i)
        if (auto* o = set.GetObject(shortObj, i); o && IsAnchor(*o)) ++anchors;
    EXPECT_EQ(anchors, 3);
    ASSERT_EQ(Live(speclink), 1);
    EXPECT_EQ(SpecialLink{*set.GetObject(speclink, 0)}.Anchor(), 8);
}

TEST_F(Editing, TheSpanOfTheLinkUnderAPointIsSelectedWhole) {
    // "uno due tre quattro": "due" and "tre" link to two pages, "quattro" to none.
    Select(4, 7);
    ASSERT_TRUE(LinkSelection(*view, *editor, set.Page(0), msgs));
    Select(8, 11);
    ASSERT_TRUE(LinkSelection(*view, *editor, set.Page(1), msgs));
    THQVbox& b = *view->Box();
    b.hasSelection = false;
    auto middleOf = [&](int32_t ch) {
        return PositionOf(b, 0, ch).x + b.Paragraph(0).Records()[size_t(ch)].width / 2;
    };
    const int32_t y = PositionOf(b, 0, 0).y + 2;
    struct Case {
        int32_t ch, link, from, to;
    } cases[] = {{5, set.Page(0)->Id(), 4, 7}, {4, set.Page(0)->Id(), 4, 7}, {10, set.Page(1)->Id(), 8, 11}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ch);
        EXPECT_EQ(SelectLinkUnder(*editor, middleOf(c.ch), y), c.link);
        ASSERT_TRUE(b.hasSelection);
        EXPECT_EQ(b.SelectionStart().charIndex, c.from);
        EXPECT_EQ(b.SelectionEnd().charIndex, c.to);
        EXPECT_EQ(b.caret.charIndex, c.from);
    }
    // Outside a link nothing is selected.
    b.hasSelection = false;
    EXPECT_EQ(SelectLinkUnder(*editor, middleOf(14), y), -1);
    EXPECT_FALSE(b.hasSelection);
}

}  // namespace
}  // namespace ovik::links
