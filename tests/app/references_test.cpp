// Where an object is referred to, and clearing those references: one small
// hypertext in which each page refers to something in one way.
#include "app/references.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/codepage.h"
#include "document/hqv_set.h"
#include "page/page_record.h"
#include "platform/messages.h"
#include "support/page_text.h"

namespace ovik::app {
namespace {

using testing::Tag;

std::string Hex(int32_t id) { return Tag(id).substr(2, 8); }

std::string Text(const THQVoggetto& o) {
    Bytes c;
    o.ReadContent(c);
    return std::string(c.begin(), std::find(c.begin(), c.end(), uint8_t(0)));
}

struct References : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    THQVoggetto *picture, *keywordObj, *web, *special, *placed, *table, *file, *prototype, *button, *marker,
        *player, *target;

    THQVtesto* AddPage(const std::string& title, const std::string& markup) {
        auto* p = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        p->SetTitle(title);
        p->SetContent(Bytes(markup.begin(), markup.end() + 1));
        return p;
    }
    THQVoggetto* Add(uint8_t kind, uint8_t subtype) {
        THQVoggetto* o = set.AddNewObject(kind);
        o->SetState(subtype);
        return o;
    }

    References() {
        set.NewHypertext();
        AddPage("Copertina", "<Z S0 >");
        target = AddPage("Meta", "<Z S0 >meta");
        picture = Add(immagine, 1);
        picture->SetName("foto");
        keywordObj = set.AddNewObject(keyword);
        keywordObj->SetName("gatti");
        auto address = set.NewInternetLink("http://esempio.it/");
        web = THQVoggetto::Register(address, -1);
        special = Add(speclink, 1);
        special->SetI32(13, web->Id());
        placed = Add(immagineNew, 1);
        placed->SetI32(0, picture->Number());
        placed->SetI32(5, -1);
        placed->SetI32(9, -1);
        for (size_t z = 0; z < 30; ++z) placed->SetI32(73 + 16 * z, -1);
        placed->SetI32(73, special->Id());
        table = Add(tabellaHtml, 1);
        Bytes cells;
        AppendI32(cells, 0x03000000 + picture->Number());
        AppendI32(cells, -1);
        table->SetContent(cells);
        file = Add(genLink, 1);
        prototype = Add(custom, 1);
        Bytes list;
        AppendI32(list, 4);
        AppendI32(list, file->Id());
        prototype->SetContent(list);
        button = Add(bottoneCGI, 1);
        button->SetI32(177, picture->Number());
        button->SetI32(181, target->Id());
        marker = Add(shortObj, 13);
        marker->SetI32(5, target->Id());
        player = Add(multiMedia, 1);
        player->SetI32(17, file->Id());
        player->SetI32(21, MakeId(immagine, picture->Number()));
    }
};

TEST_F(References, EachPlaceGivesItsReason) {
    THQVtesto* background = AddPage("Sfondo", "<Z S0 >");
    background->SetI32(page_rec::kBackPicture, picture->Number());
    THQVtesto* keywords = AddPage("Parole", "<Z S0 >");
    PageRecord(*keywords).SetKeyword(3, keywordObj->Number());
    THQVtesto* slide = AddPage("Diapositiva", "<Z S0 >");
    slide->SetI32(page_rec::kSlideTarget, target->Id());
    THQVtesto* headed = AddPage("Con intestazione", "<Z S0 >");
    headed->SetI32(page_rec::kHeaderPage, target->Number());
    THQVtesto* scripted = AddPage("Script", "<Z S0 >");
    Bytes wrapper;
    AppendI32(wrapper, 0);
    const std::string html = "<a href=\"!RefP:" + Hex(target->Id()) + "\">";
    wrapper.insert(wrapper.end(), html.begin(), html.end());
    scripted->SetWrapper(wrapper);

    struct Row {
        const char* what;
        THQVoggetto* object;
        int32_t id;
        Reason reason;
    } rows[] = {
        {"background picture", background, picture->Id(), Reason::PageBackground},
        {"keyword slot", keywords, keywordObj->Id(), Reason::Text},
        {"placed picture in the text", AddPage("Foto", "<Z S0 >" + Tag(placed->Id())), picture->Id(), Reason::Text},
        {"table cell background", AddPage("Tabella", "<Z S0 >" + Tag(table->Id())), picture->Id(),
         Reason::TableBackground},
        {"button picture", AddPage("Bottone", "<Z S0 >" + Tag(button->Id())), picture->Id(), Reason::Button},
        {"multimedia poster", AddPage("Video", "<Z S0 >" + Tag(player->Id())), picture->Id(),
         Reason::MultimediaPicture},
        {"link tag", AddPage("Web", "<Z S0 >" + Tag(web->Id()) + "qui<%>"), web->Id(), Reason::Text},
        {"through a special link", AddPage("Speciale", "<Z S0 >" + Tag(special->Id()) + "qui<%>"), web->Id(),
         Reason::SpecialLink},
        {"click zone through a special link", AddPage("Zone", "<Z S0 >" + Tag(placed->Id())), web->Id(),
         Reason::ClickMap},
        {"next slide", slide, target->Id(), Reason::NextSlide},
        {"header page", headed, target->Id(), Reason::HeaderOrFooter},
        {"extra HTML placeholder", scripted, target->Id(), Reason::ScriptHtml},
        {"button link", AddPage("Bottone 2", "<Z S0 >" + Tag(button->Id())), target->Id(), Reason::Button},
        {"window marker", AddPage("Finestra", "<Z S0 >" + Tag(marker->Id())), target->Id(), Reason::WindowObject},
        {"prototype file list", prototype, file->Id(), Reason::Prototype},
        {"multimedia file", AddPage("Video 2", "<Z S0 >" + Tag(player->Id())), file->Id(), Reason::Multimedia},
        {"nothing", AddPage("Vuota", "<Z S0 >niente"), picture->Id(), Reason::None},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(RefersTo(set, *row.object, row.id), row.reason);
    }
    // A free object refers to nothing.
    background->MakeFree();
    EXPECT_EQ(RefersTo(set, *background, picture->Id()), Reason::None);
}

TEST_F(References, RemovingAPictureClearsEveryPlaceAndFreesItsPlacements) {
    THQVtesto* background = AddPage("Sfondo", "<Z S0 >");
    background->SetI32(page_rec::kBackPicture, picture->Number());
    THQVtesto* shown = AddPage("Foto", "<Z S0 >prima" + Tag(placed->Id()) + "dopo" + Tag(table->Id()) +
                                           Tag(button->Id()) + Tag(player->Id()));
    set.SetHdrI32(hdr::kBackPicture, picture->Number());
    const std::vector<std::string> before = ReferenceLines(set, picture->Id());
    ASSERT_EQ(before.size(), 3u);
    EXPECT_EQ(before[0], "+ \"FOTO\" " + cp1252::FromUtf8("è presente in/collegato da /utilizzato in:"));
    EXPECT_EQ(before[1], "    - Sfondo   {nello sfondo testo}");
    EXPECT_EQ(before[2], "    - Foto   {nel testo}");

    RemoveAllReferencesTo(set, picture->Id());
    EXPECT_EQ(background->I32(page_rec::kBackPicture), -1);
    EXPECT_EQ(set.HdrI32(hdr::kBackPicture), -1);
    EXPECT_TRUE(placed->IsFree());
    EXPECT_EQ(Text(*shown), "<Z S0 >primadopo" + Tag(table->Id()) + Tag(button->Id()) + Tag(player->Id()));
    Bytes cells;
    table->ReadContent(cells);
    EXPECT_EQ(GetI32(cells.data()), -1);
    EXPECT_EQ(button->I32(177), -1);
    EXPECT_EQ(button->I32(181), target->Id());  // the button's link stays
    EXPECT_EQ(player->I32(21), -1);
    EXPECT_EQ(ReferenceLines(set, picture->Id()),
              std::vector<std::string>{"- \"FOTO\" sembra inutilizzato."});
}

TEST_F(References, RemovingALinkEndsItsSpansAndEmptiesSpecialLinksToIt) {
    THQVtesto* direct = AddPage("Web", "<Z S0 >a " + Tag(web->Id()) + "qui<%> b");
    THQVtesto* through = AddPage("Speciale", "<Z S0 >" + Tag(special->Id()) + "qui<%>");
    RemoveAllReferencesTo(set, web->Id());
    EXPECT_EQ(Text(*direct), "<Z S0 >a qui b");
    // The special link stays in the text but leads nowhere.
    EXPECT_EQ(Text(*through), "<Z S0 >" + Tag(special->Id()) + "qui<%>");
    EXPECT_EQ(special->I32(13), -1);
    EXPECT_FALSE(special->IsFree());

    // An embedded file leaves the prototype's list and the player.
    RemoveAllReferencesTo(set, file->Id());
    Bytes list;
    prototype->ReadContent(list);
    EXPECT_EQ(GetI32(&list[4]), -1);
    EXPECT_EQ(RefersTo(set, *prototype, file->Id()), Reason::None);

    // A page: the hypertext's header fields and other pages' fields.
    set.SetHdrI32(hdr::kDefaultHeader, target->Number());
    set.SetHdrI32(hdr::kContentsPage, target->Number());
    THQVtesto* headed = AddPage("Con intestazione", "<Z S0 >");
    headed->SetI32(page_rec::kFooterPage, target->Number());
    AddPage("Bottoni", "<Z S0 >" + Tag(button->Id()) + Tag(marker->Id()));
    RemoveAllReferencesTo(set, target->Id());
    EXPECT_EQ(set.HdrI32(hdr::kDefaultHeader), -1);
    EXPECT_EQ(set.HdrI32(hdr::kContentsPage), 0);
    EXPECT_EQ(headed->I32(page_rec::kFooterPage), -1);
    EXPECT_EQ(button->I32(181), -1);
    EXPECT_EQ(marker->I32(5), -1);
}

TEST_F(References, DamagedContentIsReadSafely) {
    // Cut tags, a wrapper whose length runs past its end, a short table and
    // a prototype list longer than its content.
    THQVtesto* cut = AddPage("Rotta", "<Z S0 ><$0500");
    Bytes wrapper;
    AppendI32(wrapper, 1000);
    cut->SetWrapper(wrapper);
    table->SetContent(Bytes{1, 2});
    Bytes list;
    AppendI32(list, 400);
    AppendI32(list, file->Id());
    prototype->SetContent(list);
    for (int32_t id : {picture->Id(), web->Id(), file->Id(), target->Id()}) {
        SCOPED_TRACE(id);
        for (THQVoggetto* o : {static_cast<THQVoggetto*>(cut), table, prototype}) (void)RefersTo(set, *o, id);
        RemoveAllReferencesTo(set, id);
    }
    EXPECT_EQ(Text(*cut), "<Z S0 ><$0500");
}

}  // namespace
}  // namespace ovik::app
