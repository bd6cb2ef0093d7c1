// Deleting objects from the album as one operation, while a page that refers
// to them is open in an editing view.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/album.h"
#include "document/format1.h"
#include "document/hqv_set.h"
#include "page/thqv_page.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "support/page_text.h"

namespace ovik::app {
namespace {

using testing::Content;
using testing::Tag;

// An editing view as the set sees it: a page open in a working copy, stored
// and dropped on request and shown again afterwards.
struct View : LinkedView {
    PageHost host;
    std::unique_ptr<THQVpage> page;
    int32_t shown = -1;
    std::string log;

    void Show(THQVset& set, int32_t n) {
        page = std::make_unique<THQVpage>(host);
        page->ShowPage(set.Page(n));
        page->modified = true;  // edited: storing writes it back
        shown = n;
    }
    void StoreAndDropPage() override {
        log += "drop;";
        if (page) page->StorePage();
        page.reset();
    }
    void ShowPageAgain() override {
        log += "show;";
        THQVtesto* p = host.set->Page(shown);
        Show(*host.set, p && !p->IsFree() ? shown : 0);
    }
    void DropPage() override { page.reset(); }
};

struct Hypertext {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    platform::FixedMetricsMeasurer measurer;
    View view;
    THQVtesto* pages[3] = {};
    THQVoggetto *toTwo = nullptr, *toOne = nullptr, *back = nullptr;

    THQVoggetto* PageLink(int32_t target) {
        THQVoggetto* s = set.AddNewObject(speclink);
        s->SetState(1);
        s->SetI32(9, -1);
        s->SetI32(13, target);
        return s;
    }
    Hypertext() {
        set.NewHypertext();
        for (auto& p : pages) p = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        toTwo = PageLink(pages[2]->Id());
        toOne = PageLink(pages[1]->Id());
        back = PageLink(pages[0]->Id());
        // Page 0 links to pages 1 and 2, page 1 to page 2 directly, page 2 back to page 0.
        pages[0]->SetContent(Content("<Z S0 >vai a " + Tag(toTwo->Id()) + "due<%> o " + Tag(toOne->Id()) + "uno<%>"));
        pages[1]->SetContent(Content("<Z S0 >anche " + Tag(pages[2]->Id()) + "due<%>"));
        pages[2]->SetContent(Content("<Z S0 >torna " + Tag(back->Id()) + "indietro<%>"));
        view.host.set = &set;
        view.host.measurer = &measurer;
    }
    std::string Text(const THQVtesto& p) const {
        Bytes c;
        p.ReadContent(c);
        return std::string(c.begin(), std::find(c.begin(), c.end(), uint8_t(0)));
    }
};

TEST(AlbumDelete, ThePageShownLosesItsLinkToADeletedPageAndDoesNotBringItBack) {
    for (int32_t shownPage : {0, 1, 2}) {
        SCOPED_TRACE("page shown: " + std::to_string(shownPage));
        Hypertext h;
        auto& [msgs, set, measurer, view, pages, toTwo, toOne, back] = h;
        (void)msgs;
        (void)back;
        view.Show(set, shownPage);
        view.log.clear();
        std::vector<size_t> told;
        const std::vector<bool> gone =
            DeleteObjects(set, {pages[2]->Id()}, &view, [&](size_t i, bool) { told.push_back(i); });
        ASSERT_EQ(gone, std::vector<bool>{true});
        EXPECT_EQ(told, std::vector<size_t>{0});
        EXPECT_EQ(view.log, "drop;show;");
        EXPECT_TRUE(pages[2]->IsFree());
        // The view shows its page read anew (page 0 when its page went).
        ASSERT_TRUE(view.page && view.page->Box());
        EXPECT_EQ(view.page->PageNumber(), shownPage == 2 ? 0 : shownPage);
        // Storing the page shown brings nothing back.
        view.StoreAndDropPage();
        EXPECT_EQ(toTwo->I32(13), -1);
        EXPECT_EQ(toOne->I32(13), pages[1]->Id());
        // A direct link to the page goes from the text with the end of its span.
        EXPECT_EQ(h.Text(*pages[1]), "<Z S0 >anche due");
        const std::string zero = h.Text(*pages[0]);
        for (int32_t id : ObjectTagsIn(Bytes(zero.begin(), zero.end())))
            if (const THQVoggetto* o = set.GetObjectById(id)) {
                EXPECT_FALSE(o->IsFree()) << zero;
                if (o->Kind() == speclink) {
                    EXPECT_NE(o->I32(13), pages[2]->Id()) << zero;
                }
            }
    }
}

}  // namespace
}  // namespace ovik::app
