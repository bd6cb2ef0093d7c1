// Copying a page into the page being edited: from the same hypertext and from
// another one, with its links, placed objects, pictures, styles and background.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "document/format1.h"
#include "document/hqv_set.h"
#include "page/page_copy.h"
#include "page/page_record.h"
#include "page/thqv_page.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "text/layout.h"
#include "text/text_attributes.h"
#include "support/page_text.h"

namespace ovik {
namespace {

using testing::Content;

using testing::Tag;

int32_t LiveCount(const THQVset& set, uint8_t kind) {
    int32_t n = 0;
    for (int32_t i = 0; i < set.ObjectCount(kind); ++i)
        if (auto* o = set.GetObject(kind, i); o && !o->IsFree()) ++n;
    return n;
}

THQVoggetto* AddPicture(THQVset& set, const std::string& bytes) {
    THQVoggetto* p = set.AddNewObject(immagine);
    p->SetState(1);
    p->SetFileName("figura.gif");
    p->SetContent(Bytes(bytes.begin(), bytes.end()));
    return p;
}

// The source: a page in the style "Titolo" with a web link, a placed picture
// whose first zone links through a special link to another address, and a
// background picture.
struct Source {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    THQVtesto* page = nullptr;
    THQVoggetto *shown = nullptr, *background = nullptr;

    Source() {
        set.NewHypertext();
        THQVoggetto* titolo = set.AddNewObject(stileParagrafo);
        titolo->SetName("Titolo");
        titolo->SetState(1);
        SetStyleValue(*titolo, Attr::Size, 24);
        shown = AddPicture(set, "PIC-A");
        background = AddPicture(set, "PIC-B");
        auto address = set.NewInternetLink("http://esempio.it/");
        THQVoggetto* web = THQVoggetto::Register(address, -1);
        auto elsewhere = set.NewInternetLink("http://speciale.it/");
        THQVoggetto* target = THQVoggetto::Register(elsewhere, -1);
        THQVoggetto* special = set.AddNewObject(speclink);
        special->SetState(1);
        special->SetI32(13, target->Id());
        THQVoggetto* pic = set.AddNewObject(immagineNew);
        pic->SetI32(0, shown->Number());
        pic->SetI32(5, -1);
        pic->SetI32(9, -1);
        pic->SetI16(19, 40);
        pic->SetI16(21, 30);
        pic->SetI32(73, special->Id());
        page = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        page->SetTitle("Origine");
        page->SetContent(Content("<Z S" + std::to_string(titolo->Number()) + " >" + Tag(web->Id()) +
                                 "web<%> testo " + Tag(pic->Id()) + " fine"));
        PageRecord r(*page);
        r.SetBackgroundPicture(background->Number());
        r.SetBackgroundColour(0x123456);
        page->SetI32(page_rec::kFixedBackground, 1);
    }
};

// The target: a page being edited in a view-like setting.
struct Target {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    platform::FixedMetricsMeasurer measurer;
    PageHost host;
    std::unique_ptr<THQVpage> view;
    DeferredActions actions;
    std::unique_ptr<BoxEditor> editor;
    THQVtesto* page = nullptr;

    Target() {
        set.NewHypertext();
        host.set = &set;
        host.measurer = &measurer;
        page = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        page->SetTitle("Destinazione");
        // A link of its own, so that the copied links take other numbers.
        auto address = set.NewInternetLink("http://altro.it/");
        THQVoggetto* own = THQVoggetto::Register(address, -1);
        page->SetContent(Content("<Z S0 >" + Tag(own->Id()) + "prima<%> "));
    }
    void Show() {
        view = std::make_unique<THQVpage>(host);
        view->ShowPage(page);
        InstallLayout(*view->Box());
        ResizePageBox(*view->Box(), 600, 400);
        editor = std::make_unique<BoxEditor>(*view->Box(), actions);
        THQVbox& b = *view->Box();
        b.caret = b.MakePosition(0, b.Paragraph(0).Length());
    }
    std::string Stored() const {
        Bytes c;
        page->ReadContent(c);
        return std::string(c.begin(), std::find(c.begin(), c.end(), uint8_t(0)));
    }
    // The last object of `kind` the stored page names.
    THQVoggetto* Tagged(uint8_t kind) const {
        Bytes c;
        page->ReadContent(c);
        THQVoggetto* last = nullptr;
        for (int32_t id : ObjectTagsIn(c))
            if (IdKind(id) == kind) last = set.GetObjectById(id);
        return last;
    }
};

TEST(PageCopy, FromAnotherHypertextBringsLinksObjectsPicturesAndStyles) {
    for (bool withBackground : {true, false}) {
        SCOPED_TRACE(withBackground);
        Source src;
        Target dst;
        // The target already has the shown picture, under another number.
        AddPicture(dst.set, "PIC-Z");
        THQVoggetto* sameA = AddPicture(dst.set, "PIC-A");
        const int32_t oldColour = PageRecord(*dst.page).BackgroundColour();
        const int32_t sourcePictures = LiveCount(src.set, immagine);
        const Bytes sourceContent = *src.page->MemContent();

        dst.Show();
        ASSERT_TRUE(CopyPageInto(*dst.view, *dst.editor, *src.page, withBackground));
        ASSERT_TRUE(dst.view->StorePage());

        const std::string text = dst.Stored();
        EXPECT_NE(text.find("prima<%> "), std::string::npos) << text;
        EXPECT_NE(text.find("web"), std::string::npos) << text;
        EXPECT_NE(text.find(" testo "), std::string::npos) << text;
        // The web link is the target's own object.
        THQVoggetto* web = dst.Tagged(internetLink);
        ASSERT_NE(web, nullptr);
        EXPECT_EQ(web->Name(), "http://esempio.it/");
        // The placed picture shows the target's equal picture; its zone links
        // through a special link of the target to a link of the target.
        THQVoggetto* placed = dst.Tagged(immagineNew);
        ASSERT_NE(placed, nullptr);
        EXPECT_EQ(placed->I32(0), sameA->Number());
        EXPECT_EQ(placed->I16(19), 40);
        const int32_t zone = placed->I32(73);
        ASSERT_EQ(IdKind(zone), speclink);
        THQVoggetto* special = dst.set.GetObjectById(zone);
        ASSERT_NE(special, nullptr);
        THQVoggetto* target = dst.set.GetObjectById(special->I32(13));
        ASSERT_NE(target, nullptr);
        EXPECT_EQ(target->Kind(), internetLink);
        EXPECT_EQ(target->Name(), "http://speciale.it/");
        // The style came along, and the paragraph the copy joined takes it.
        ASSERT_EQ(text.rfind("<Z S", 0), 0u) << text;
        const THQVoggetto* style = dst.set.GetObject(stileParagrafo, std::stoi(text.substr(4)));
        ASSERT_NE(style, nullptr);
        EXPECT_EQ(style->Name(), "Titolo");
        // The background: adopted only when asked.
        PageRecord r(*dst.page);
        if (withBackground) {
            const THQVoggetto* back = dst.set.GetObject(immagine, r.BackgroundPicture());
            ASSERT_NE(back, nullptr);
            Bytes b;
            back->ReadContent(b);
            EXPECT_EQ(std::string(b.begin(), b.end()), "PIC-B");
            EXPECT_EQ(r.BackgroundColour(), 0x123456);
            EXPECT_TRUE(r.FixedBackground());
            EXPECT_EQ(LiveCount(dst.set, immagine), 3);
        } else {
            EXPECT_EQ(r.BackgroundColour(), oldColour);
            EXPECT_EQ(LiveCount(dst.set, immagine), 2);  // PIC-A was found, not added
        }
        // The source is left as it was.
        EXPECT_EQ(LiveCount(src.set, immagine), sourcePictures);
        EXPECT_EQ(*src.page->MemContent(), sourceContent);
    }
}

TEST(PageCopy, WithinOneHypertextThePlacedObjectsAreCopiesAndPicturesShared) {
    Source src;
    PageHost host;
    platform::FixedMetricsMeasurer measurer;
    host.set = &src.set;
    host.measurer = &measurer;
    auto* other = static_cast<THQVtesto*>(src.set.AddNewObject(testoHtml));
    other->SetContent(Content("<Z S0 >"));
    THQVpage view(host);
    view.ShowPage(other);
    InstallLayout(*view.Box());
    ResizePageBox(*view.Box(), 600, 400);
    DeferredActions actions;
    BoxEditor editor(*view.Box(), actions);
    const int32_t pictures = LiveCount(src.set, immagine);
    const int32_t placed = LiveCount(src.set, immagineNew);
    ASSERT_TRUE(CopyPageInto(view, editor, *src.page, false));
    ASSERT_TRUE(view.StorePage());
    EXPECT_EQ(LiveCount(src.set, immagine), pictures);
    EXPECT_EQ(LiveCount(src.set, immagineNew), placed + 1);
    // Both pages show the same picture through their own placed objects.
    std::vector<int32_t> a = ObjectTagsIn(*src.page->MemContent()), b;
    Bytes c;
    other->ReadContent(c);
    b = ObjectTagsIn(c);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_NE(a[1], b[1]);
    EXPECT_EQ(src.set.GetObjectById(a[1])->I32(0), src.set.GetObjectById(b[1])->I32(0));
}

TEST(PageCopy, TablesBringTheLinksObjectsAndBackgroundsOfTheirCells) {
    Source src;
    // A table of two cells: a link in the first, the placed picture in the
    // second; the first cell's background is the background picture.
    THQVoggetto* table = src.set.AddNewObject(tabellaHtml);
    table->SetU8(93, 2);
    table->SetU8(94, 1);
    Bytes cells;
    AppendI32(cells, 0x03000000 + src.background->Number());
    AppendI32(cells, -1);
    table->SetContent(cells);
    Bytes page;
    src.page->ReadContent(page);
    const std::vector<int32_t> tags = ObjectTagsIn(page);  // web, placed picture
    ASSERT_EQ(tags.size(), 2u);
    src.page->SetContent(Content("<Z S0 >prima" + Tag(table->Id()) + "<Z S1 >" + Tag(tags[0]) + "cella<%><T><Z S1 >" +
                                 Tag(tags[1]) + "<T><Z S0 >dopo"));
    Target dst;
    AddPicture(dst.set, "PIC-Z");  // the pictures take other numbers here
    dst.Show();
    ASSERT_TRUE(CopyPageInto(*dst.view, *dst.editor, *src.page, false));
    ASSERT_TRUE(dst.view->StorePage());
    const std::string text = dst.Stored();

    THQVoggetto* copied = dst.Tagged(tabellaHtml);
    ASSERT_NE(copied, nullptr) << text;
    Bytes backgrounds;
    copied->ReadContent(backgrounds);
    ASSERT_GE(backgrounds.size(), 4u);
    const int32_t code = GetI32(backgrounds.data());
    ASSERT_EQ(uint32_t(code) >> 24, 3u);
    const THQVoggetto* back = dst.set.GetObject(immagine, code & 0xFFFFFF);
    ASSERT_NE(back, nullptr);
    Bytes b;
    back->ReadContent(b);
    EXPECT_EQ(std::string(b.begin(), b.end()), "PIC-B");
    // The cells' link and placed picture are the target's own objects.
    THQVoggetto* web = dst.Tagged(internetLink);
    ASSERT_NE(web, nullptr) << text;
    EXPECT_EQ(web->Name(), "http://esempio.it/");
    THQVoggetto* placed = dst.Tagged(immagineNew);
    ASSERT_NE(placed, nullptr) << text;
    const THQVoggetto* shown = dst.set.GetObject(immagine, placed->I32(0));
    ASSERT_NE(shown, nullptr);
    shown->ReadContent(b);
    EXPECT_EQ(std::string(b.begin(), b.end()), "PIC-A");
    EXPECT_NE(text.find("cella<%><T>"), std::string::npos) << text;
    EXPECT_NE(text.find("dopo"), std::string::npos) << text;
}

TEST(PageCopy, AnEmptyPageTakesTheFirstParagraphsFormat) {
    Target dst;
    dst.page->SetContent(Content("<Z S0 >"));
    auto* source = static_cast<THQVtesto*>(dst.set.AddNewObject(testoHtml));
    source->SetContent(Content("<Z S0 A2 >Titolo<Z S0 >testo"));
    dst.Show();
    ASSERT_TRUE(CopyPageInto(*dst.view, *dst.editor, *source, false));
    ASSERT_TRUE(dst.view->StorePage());
    EXPECT_EQ(dst.Stored().rfind("<Z S0 A2 >", 0), 0u) << dst.Stored();
    EXPECT_NE(dst.Stored().find("Titolo<Z S0 >testo"), std::string::npos) << dst.Stored();
}

TEST(PageCopy, IntoAStoredPageWithoutAView) {
    Source src;
    Target dst;
    const int32_t number = dst.page->Number();
    ASSERT_TRUE(CopyPageIntoStored(dst.set, number, *src.page, true, dst.measurer));
    dst.page = dst.set.Page(number);
    const std::string text = dst.Stored();
    // Pasted at the start of the page.
    EXPECT_NE(text.find(">web<%>"), std::string::npos) << text;  // the link span came along
    EXPECT_LT(text.find("web"), text.find("prima")) << text;
    EXPECT_EQ(PageRecord(*dst.page).BackgroundColour(), 0x123456);
    EXPECT_NE(dst.Tagged(immagineNew), nullptr);
    EXPECT_FALSE(CopyPageIntoStored(dst.set, 99, *src.page, true, dst.measurer));
}

TEST(PageCopy, SpecialLinksThatNameEachOtherAreCopiedOnce) {
    Source src;
    THQVoggetto* a = src.set.AddNewObject(speclink);
    THQVoggetto* b = src.set.AddNewObject(speclink);
    a->SetState(1);
    b->SetState(1);
    a->SetI32(13, b->Id());
    b->SetI32(13, a->Id());
    THQVoggetto* pic = src.set.AddNewObject(immagineNew);
    pic->SetI32(0, -1);
    pic->SetI32(73, a->Id());
    src.page->SetContent(Content("<Z S0 >" + Tag(pic->Id())));
    Target dst;
    const int32_t before = LiveCount(dst.set, speclink);
    dst.Show();
    ASSERT_TRUE(CopyPageInto(*dst.view, *dst.editor, *src.page, false));
    ASSERT_TRUE(dst.view->StorePage());
    EXPECT_EQ(LiveCount(dst.set, speclink), before + 2);
    const THQVoggetto* placed = dst.Tagged(immagineNew);
    ASSERT_NE(placed, nullptr);
    const THQVoggetto* first = dst.set.GetObjectById(placed->I32(73));
    ASSERT_NE(first, nullptr);
    const THQVoggetto* second = dst.set.GetObjectById(first->I32(13));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Kind(), speclink);
    EXPECT_NE(second, first);
}

TEST(PageCopy, NothingIsPastedWithoutAShownPageOrFromAnEmptySource) {
    Target dst;
    dst.Show();
    THQVtesto empty(&dst.set);  // never registered, no content
    auto text = [&] {
        std::string t;
        for (int32_t i = 0; i < dst.view->Box()->ParagraphCount(); ++i) t += dst.view->Box()->Paragraph(i).Text() + "|";
        return t;
    };
    const std::string before = text();
    // A page without content still reads as one empty paragraph: pasting it
    // changes no text.
    CopyPageInto(*dst.view, *dst.editor, empty, false);
    EXPECT_EQ(text(), before);

    THQVpage closed(dst.host);
    Source src;
    EXPECT_FALSE(CopyPageInto(closed, *dst.editor, *src.page, true));
}

}  // namespace
}  // namespace ovik
