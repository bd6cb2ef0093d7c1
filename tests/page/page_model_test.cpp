// The page model: record fields and new pages, the automatic title, working
// copies (tags, links, header and footer), storing, find, anchors and the
// paragraph walk.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/hqv_set.h"
#include "page/page_record.h"
#include "page/placed_table.h"
#include "page/thqv_page.h"
#include "page/working_copy.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "support/hqv_builder.h"
#include "support/page_text.h"

namespace ovik {
namespace {

using testing::Content;

std::string Text(const Bytes& b) {
    std::string s(b.begin(), b.end());
    size_t z = s.find('\0');
    return z == std::string::npos ? s : s.substr(0, z);
}

using testing::Tag;

struct PageModel : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    platform::FixedMetricsMeasurer measurer;
    PageHost host;

    PageModel() {
        host.set = &set;
        host.measurer = &measurer;
    }

    THQVtesto* AddPage(const std::string& title, const std::string& markup) {
        auto* p = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        p->SetTitle(title);
        p->SetContent(Content(markup));
        return p;
    }
    THQVoggetto* AddLink(const std::string& address) {
        auto l = set.NewInternetLink(address);
        return THQVoggetto::Register(l, -1);
    }
    int32_t LiveCount(uint8_t kind) {
        int32_t n = 0;
        for (int32_t i = 0; i < set.ObjectCount(kind); ++i)
            if (auto* o = set.GetObject(kind, i); o && !o->IsFree()) ++n;
        return n;
    }
};

// --- record and new page ----------------------------------------------------------

TEST_F(PageModel, NewPageTakesTheHypertextDefaultsOrTheBuiltInColours) {
    set.SetHdrI32(hdr::kBackColour, 0x112233);
    set.SetHdrI32(hdr::kTextColour, 0x445566);
    set.SetHdrI32(hdr::kBackPicture, 4);
    auto page = NewPage(&set);
    PageRecord r(*page);
    EXPECT_EQ(r.State(), 0);
    EXPECT_EQ(r.Title(), "Senza titolo");
    EXPECT_EQ(r.BackgroundColour(), 0x112233);
    EXPECT_EQ(r.TextColour(), 0x445566);
    EXPECT_EQ(r.BackgroundPicture(), 4);
    EXPECT_EQ(r.ContentFormat(), 2);
    EXPECT_EQ(r.Revision(), set.Revision());
    EXPECT_EQ(r.Language(), 1040);
    EXPECT_TRUE(r.OutsideBrowseSequence());
    EXPECT_EQ(r.ContextName(), "");
    EXPECT_EQ(r.HeaderPage(), -1);
    EXPECT_EQ(r.FooterPage(), -1);
    EXPECT_EQ(r.SlideTarget(), -1);
    EXPECT_EQ(r.FrameLayout(), -1);
    EXPECT_EQ(r.Keyword(0), -1);
    EXPECT_EQ(r.Keyword(19), -1);
    EXPECT_EQ(Text(*page->MemContent()), "<Z S0 >");
    EXPECT_EQ(page->MemContent()->back(), 0);
    EXPECT_FALSE(page->HasWrapper());
    EXPECT_FALSE(page->IsRegistered());

    auto lone = NewPage(nullptr);
    PageRecord l(*lone);
    EXPECT_EQ(l.BackgroundColour(), 12632256);
    EXPECT_EQ(l.TextColour(), 0);
    EXPECT_EQ(l.LinkColour(), 0xFF0000);
    EXPECT_EQ(l.VisitedColour(), 255);
    EXPECT_EQ(l.BackgroundPicture(), -1);
}

TEST_F(PageModel, ExtraHtmlNameOfBlanksIsStoredEmpty) {
    struct Row {
        const char* name;
        std::string given, stored;
    } rows[] = {{"blanks only", "     ", ""},
                {"a real name", "altro.htm", "altro.htm"},
                {"blanks around a name", " x ", " x "}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        THQVtesto* p = AddPage("P", "<Z S0 >x");
        // Set as a file would carry it, then through an editing cycle.
        p->SetStr(page_rec::kExtraHtmlName, 40, row.given);
        THQVpage view(host);
        view.ShowPage(p);
        ASSERT_TRUE(view.StorePage());
        EXPECT_EQ(PageRecord(*set.Page(p->Number())).ExtraHtmlName(), row.stored);
        PageRecord(*p).SetExtraHtmlName(row.given);
        EXPECT_EQ(PageRecord(*p).ExtraHtmlName(), row.stored);
    }
}

TEST_F(PageModel, OlderPageRecordIsUpgradedAndConvertedOnFirstUse) {
    testing::TempDir dir;
    testing::HqvBuilder b;
    b.AddDefaultStyles();
    b.SetI32(hdr::kRevision, 9);
    Bytes r = b.PageRecord("Vecchia", std::string("<B>Ciao</B> mondo") + '\0', 242);
    b.Add(0, r, 242);
    b.WriteTo(dir / "old.hqv");
    THQVset old(msgs);
    ASSERT_TRUE(old.OpenHypertext(dir / "old.hqv"));
    PageRecord rec(*old.Page(0));
    EXPECT_EQ(rec.SlideDelay(), 5);
    EXPECT_EQ(rec.HeaderPage(), -1);
    EXPECT_EQ(rec.FooterPage(), -1);
    EXPECT_EQ(rec.ContentFormat(), 1);
    EXPECT_EQ(rec.Revision(), 8);
    EXPECT_EQ(rec.Language(), 1040);
    EXPECT_EQ(rec.FixedBackground(), false);  // unread bytes stay 0xFF

    PageHost h;
    h.set = &old;
    h.measurer = &measurer;
    THQVpage view(h);
    view.ShowPage(old.Page(0));
    ASSERT_NE(view.Box(), nullptr);
    EXPECT_EQ(view.WorkingCopy()->Page().ContentFormat(), 2);
    EXPECT_EQ(view.Box()->Paragraph(0).Text(), "Ciao mondo");
    ASSERT_TRUE(view.StorePage());
    EXPECT_EQ(old.Page(0)->ContentFormat(), 2);
    EXPECT_EQ(old.Page(0)->Title(), "Vecchia");
    // Nothing was edited: the revision stays.
    EXPECT_EQ(PageRecord(*old.Page(0)).Revision(), 8);
    EXPECT_EQ(Text(*old.Page(0)->MemContent()), "<Z S0 ><Y y1 >Ciao<Y > mondo");
    EXPECT_TRUE(msgs.entries().empty()) << msgs.joined();
}

// --- automatic title ------------------------------------------------------------------

TEST(AutomaticTitle, FirstWordsOfTheContent) {
    const std::string thirty(30, 'a'), twenty(20, 'b');
    struct Row {
        const char* name;
        std::string markup, title;
    } rows[] = {
        {"new page", "<Z S0 >", ""},
        {"first paragraph long enough", "<Z S0 >Il gatto nero<Z S0 >secondo", "Il gatto nero"},
        {"short first paragraph joins the next", "<Z S0 >Uno<Z S0 >Due tre", "Uno Due tre"},
        {"typographic quotes", "<Z S0 >Il \"gatto\" dell'oste", "Il \x94gatto\x94 dell\x92oste"},
        {"entities", "<Z S0 >A &amp; B &lt;x&gt; &#65;&& C", "A + B [x] A+ C"},
        {"font tags are skipped", "<Z S0 >Tre <Y y1 >parole<Y > qui", "Tre parole qui"},
        {"collection stops after 35 characters",
         "<Z S0 >" + thirty + "<Y y1 >" + twenty + "<Y >zzz", thirty + twenty},
        {"at most 71 characters", "<Z S0 >" + std::string(100, 'x'), std::string(71, 'x')},
        {"cut before three blanks", "<Z S0 >Titolo   resto", "Titolo"},
        {"three blanks at the start are kept", "<Z S0 >ab   cd", "ab"},
        {"characters that become blanks", "<Z S0 >A#B$C%D&#60;E&#62;F\x7f", "A B C D E F "},
        {"leading blanks dropped", "<Z S0 >   \x01" "Ciao", "Ciao"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(AutomaticTitle(Content(row.markup)), row.title);
    }
}

TEST_F(PageModel, AutomaticTitleOnlyReplacesSenzaTitolo) {
    THQVtesto* untitled = AddPage("Senza titolo", "<Z S0 >Il gatto");
    THQVtesto* named = AddPage("Mio titolo", "<Z S0 >Il gatto");
    THQVtesto* empty = AddPage("Senza titolo", "<Z S0 >");
    for (THQVtesto* p : {untitled, named, empty}) {
        THQVpage view(host);
        view.ShowPage(p);
        ASSERT_TRUE(view.StorePage());
    }
    EXPECT_EQ(set.Page(untitled->Number())->Title(), "Il gatto");
    EXPECT_EQ(set.Page(named->Number())->Title(), "Mio titolo");
    EXPECT_EQ(set.Page(empty->Number())->Title(), "Senza titolo");
    EXPECT_EQ(Text(*set.Page(empty->Number())->MemContent()), "<Z S0 >");
}

// --- header and footer ------------------------------------------------------------------

TEST_F(PageModel, HeaderAndFooterFollowTheMinusOneAndMinusTwoRules) {
    THQVtesto* head = AddPage("Testata", "<Z S0 >testata");
    THQVtesto* foot = AddPage("Piede", "<Z S0 >piede");
    struct Row {
        const char* name;
        int32_t field, hypertextDefault;
        THQVtesto* expected;
    } rows[] = {
        {"-1 with no default header", -1, -1, nullptr},
        {"-1 takes the default header", -1, head->Number(), head},
        {"-2 gives none even with a default", -2, head->Number(), nullptr},
        {"a page number", head->Number(), -1, head},
        {"a missing page", 77, -1, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        THQVtesto* p = AddPage("P", "<Z S0 >testo");
        PageRecord(*p).SetHeaderPage(row.field);
        PageRecord(*p).SetFooterPage(row.field == -2 ? -2 : foot->Number());
        set.SetHdrI32(hdr::kDefaultHeader, row.hypertextDefault);
        auto wc = OpenForEditing(*p, false);
        if (row.expected) {
            ASSERT_NE(wc->header, nullptr);
            EXPECT_EQ(wc->header->stored, row.expected);
            EXPECT_TRUE(wc->header->asHeaderOrFooter);
            EXPECT_EQ(wc->header->header, nullptr);  // a header has no header of its own
        } else {
            EXPECT_EQ(wc->header, nullptr);
        }
        EXPECT_EQ(wc->footer != nullptr, row.field != -2);
        // The box shows header paragraphs first and footer paragraphs last.
        THQVpage view(host);
        view.ShowPage(p);
        THQVbox& box = *view.Box();
        EXPECT_EQ(box.headerCount, row.expected ? 1 : 0);
        EXPECT_EQ(box.Paragraph(box.headerCount).Text(), "testo");
        // Storing keeps only the page's own text.
        ASSERT_TRUE(view.StorePage());
        EXPECT_EQ(Text(*p->MemContent()), "<Z S0 >testo");
    }
}

TEST_F(PageModel, HeaderObjectsAreShownInactiveAndNeverStored) {
    THQVoggetto* headAnchor = set.AddNewObject(shortObj);
    headAnchor->SetState(14);
    headAnchor->SetI32(5, 9);
    THQVoggetto* headPic = set.AddNewObject(immagineNew);
    THQVtesto* head = AddPage("H", "<Z S0 >" + Tag(headAnchor->Id()) + Tag(headPic->Id()) + "testata");
    const Bytes headContent = *head->MemContent();
    THQVoggetto* own = set.AddNewObject(immagineNew);
    THQVtesto* p = AddPage("P", "<Z S0 >" + Tag(own->Id()) + "testo");
    PageRecord(*p).SetHeaderPage(head->Number());
    THQVpage view(host);
    view.ShowPage(p);
    ASSERT_EQ(view.Controls().size(), 3u);
    EXPECT_FALSE(view.Controls()[0]->Inactive());
    EXPECT_TRUE(view.Controls()[1]->Inactive());
    EXPECT_TRUE(view.Controls()[2]->Inactive());
    // The header's anchor is not the page's.
    EXPECT_FALSE(view.HasAnchors());
    EXPECT_EQ(view.NextFreeAnchorNumber(), 0);
    THQVbox& box = *view.Box();
    ASSERT_EQ(box.headerCount, 1);
    EXPECT_EQ(box.Paragraph(0).Objects().size(), 2u);
    view.modified = true;
    ASSERT_TRUE(view.StorePage());
    EXPECT_EQ(Text(*p->MemContent()), "<Z S0 >" + Tag(own->Id()) + "testo");
    EXPECT_EQ(*head->MemContent(), headContent);
    EXPECT_FALSE(headAnchor->IsFree());
    EXPECT_FALSE(headPic->IsFree());
}

// --- links and placed objects -------------------------------------------------------------

TEST_F(PageModel, SameLinkTwiceIsStoredOnceAndSharedAcrossPages) {
    AddLink("http://altro.it/");
    const int32_t linksBefore = LiveCount(internetLink);
    std::vector<int32_t> numbers;
    for (int page = 0; page < 2; ++page) {
        SCOPED_TRACE(page);
        // A new page on which two spans were linked to the same address.
        auto p = NewPage(&set);
        p->SetContent(Content("<Z S0 ><$6f000000>uno<%> e <$6f000001>due<%>"));
        auto wc = WorkOnNewPage(std::move(p));
        wc->localLinks.push_back({set.NewInternetLink("http://esempio.it/"), -1});
        wc->localLinks.push_back({set.NewInternetLink("http://esempio.it/"), -1});
        THQVpage view(host);
        view.BuildBox(*wc);
        ASSERT_TRUE(StorePage(*wc, &view, -1, true));
        auto ids = ObjectTagsIn(*wc->Page().MemContent());
        ASSERT_EQ(ids.size(), 2u);
        EXPECT_EQ(IdKind(ids[0]), internetLink);
        EXPECT_EQ(ids[0], ids[1]);
        numbers.push_back(ids[0]);
        EXPECT_TRUE(wc->localLinks.empty());
        EXPECT_TRUE(wc->Page().IsRegistered());
        EXPECT_EQ(wc->Page().Title(), "uno e due");
    }
    EXPECT_EQ(numbers[0], numbers[1]);
    EXPECT_EQ(LiveCount(internetLink), linksBefore + 1);
    EXPECT_EQ(set.GetObjectById(numbers[0])->Name(), "http://esempio.it/");
}

TEST_F(PageModel, OpeningTranslatesTagsAndStoringPutsEveryObjectBack) {
    THQVoggetto* web = AddLink("http://esempio.it/");
    THQVoggetto* special = set.AddNewObject(speclink);
    special->SetState(1);
    special->SetI32(13, web->Id());  // a special link to an address
    THQVoggetto* pic = set.AddNewObject(immagineNew);
    pic->SetI16(19, 40);
    pic->SetI16(21, 30);
    pic->SetI32(73, special->Id());  // zone 0 links through the special link
    pic->SetI32(73 + 16, web->Id());
    THQVoggetto* anchor = set.AddNewObject(shortObj);
    anchor->SetState(14);
    anchor->SetI32(5, 3);
    const std::string markup = "<Z S0 >" + Tag(web->Id()) + "web<%> " + Tag(special->Id()) +
                               "special<%> " + Tag(pic->Id()) + " " + Tag(anchor->Id()) + " " +
                               Tag(MakeId(immagineNew, 99)) + "fine";
    THQVtesto* p = AddPage("P", markup);
    const auto picRecord = pic->Record();

    auto wc = OpenForEditing(*p, false);
    auto tags = ObjectTagsIn(*wc->Page().MemContent());
    ASSERT_EQ(tags.size(), 5u);
    // Local list: web, the special link's target, the special link, then the
    // two zone links of the picture.
    EXPECT_EQ(tags[0], MakeId(kPageLocalKind, 0));
    EXPECT_EQ(tags[1], MakeId(kPageLocalKind, 2));
    EXPECT_EQ(tags[2], MakeId(kFragmentKind, 0));
    EXPECT_EQ(tags[3], MakeId(kFragmentKind, 1));
    EXPECT_EQ(tags[4], MakeId(immagineNew, 99));  // missing object: left alone
    ASSERT_EQ(wc->pending.size(), 2u);
    THQVoggetto& picCopy = *wc->pending[0].working.object;
    EXPECT_EQ(picCopy.I32(73), MakeId(kPageLocalKind, 3));
    EXPECT_EQ(picCopy.I32(73 + 16), MakeId(kPageLocalKind, 4));
    EXPECT_EQ(wc->localLinks[2].object->I32(13), MakeId(kPageLocalKind, 1));
    EXPECT_EQ(wc->pending[1].working.object->I32(5), 3);  // an anchor's number stays
    EXPECT_EQ(wc->localLinks.size(), 5u);
    EXPECT_EQ(wc->Page().ContentLength(), p->ContentLength());

    THQVpage view(host);
    view.BuildBox(*wc);
    ASSERT_EQ(view.Controls().size(), 2u);
    EXPECT_EQ(view.Controls()[0]->Width(), 40);
    EXPECT_EQ(view.Controls()[0]->Height(), 30);
    EXPECT_EQ(view.NextFreeAnchorNumber(), 4);
    ASSERT_TRUE(StorePage(*wc, &view, p->Number(), false));

    auto stored = ObjectTagsIn(*set.Page(p->Number())->MemContent());
    // The dangling tag was not read into the box, so it is not written back.
    EXPECT_EQ(stored, (std::vector<int32_t>{web->Id(), special->Id(), pic->Id(), anchor->Id()}));
    // The picture comes back with its zone slots as the editor writes them:
    // reserved 0, the unused slots empty (link -1 and zeros).
    auto expected = picRecord;
    for (size_t z = 0; z < 30; ++z) {
        uint8_t* slot = expected.data() + 73 + 16 * z;
        const bool empty = z >= 2;
        if (empty) PutI32(slot, -1);
        std::fill_n(slot + 4, empty ? 12 : 4, uint8_t(0));
    }
    EXPECT_EQ(set.GetObjectById(pic->Id())->Record(), expected);
    EXPECT_EQ(set.GetObjectById(special->Id())->I32(13), web->Id());
    EXPECT_FALSE(set.GetObjectById(special->Id())->IsFree());
    EXPECT_EQ(LiveCount(speclink), 1);
    EXPECT_EQ(LiveCount(immagineNew), 1);
    EXPECT_EQ(LiveCount(internetLink), 1);
}

TEST_F(PageModel, TableCellsCutShortAreEndedWhenStored) {
    THQVoggetto* table = set.AddNewObject(tabellaHtml);
    table->SetU8(93, 2);
    table->SetU8(94, 2);
    auto address = set.NewInternetLink("http://esempio.it/");
    THQVoggetto* web = THQVoggetto::Register(address, -1);
    // Two of four cells, the second without its end: it would take in all
    // that follows, and a link open around the table would close again after
    // it at every storing.
    THQVtesto* p = AddPage("P", "<Z S0 >" + Tag(web->Id()) + "x" + Tag(table->Id()) +
                                    "<Z S1 >a<T><Z S1 >b");
    std::vector<std::string> stored;
    for (int cycle = 0; cycle < 2; ++cycle) {
        THQVpage view(host);
        view.ShowPage(p);
        ASSERT_EQ(view.Controls().size(), 1u);
        auto* placed = dynamic_cast<TMyyTable*>(view.Controls()[0].get());
        ASSERT_NE(placed, nullptr);
        EXPECT_EQ(placed->CellsComplete(), cycle == 1);
        ASSERT_TRUE(view.StorePage());
        stored.push_back(Text(*p->MemContent()));
    }
    EXPECT_EQ(stored[0], "<Z S0 >" + Tag(web->Id()) + "x" + Tag(table->Id()) +
                             "<Z S1 >a<T><Z S1 >b<T><Z S1 ><T><Z S1 ><T><%>");
    EXPECT_EQ(stored[1], stored[0]);
}

TEST_F(PageModel, StoringFreesObjectsThePageNoLongerNames) {
    THQVoggetto* special = set.AddNewObject(speclink);
    special->SetState(1);
    THQVoggetto* keep = set.AddNewObject(immagineNew);
    keep->SetI32(73, special->Id());
    THQVoggetto* drop = set.AddNewObject(immagineNew);
    drop->SetI32(73, special->Id());  // shares the special link with the kept picture
    THQVtesto* p = AddPage("P", "<Z S0 >" + Tag(keep->Id()) + Tag(drop->Id()) + "x");
    auto wc = OpenForEditing(*p, false);
    // Without a box the tags still name the pending objects: drop the second.
    Bytes& c = *wc->Page().MutableContent();
    std::string s = Text(c);
    size_t second = s.find(Tag(MakeId(kFragmentKind, 1)));
    ASSERT_NE(second, std::string::npos);
    c.erase(c.begin() + long(second), c.begin() + long(second + 11));
    ASSERT_TRUE(StorePage(*wc, nullptr, p->Number(), false));
    EXPECT_FALSE(keep->IsFree());
    EXPECT_TRUE(drop->IsFree());
    EXPECT_FALSE(special->IsFree());  // still named by the kept picture
    EXPECT_EQ(keep->I32(73), special->Id());
}

TEST_F(PageModel, LocalTagsInAStoredPageAreDroppedOnOpening) {
    AddLink("http://esempio.it/");
    THQVoggetto* pic = set.AddNewObject(immagineNew);
    THQVtesto* p = AddPage("P", "<Z S0 >" + Tag(MakeId(internetLink, 0)) + "a<%><$6f000000>b<%>" +
                                    Tag(pic->Id()) + "<$ff000000>c");
    auto wc = OpenForEditing(*p, false);
    EXPECT_EQ(Text(*wc->Page().MemContent()),
              "<Z S0 ><$6f000000>a<%>" + std::string(11, '\3') + "b<%><$ff000000>" +
                  std::string(11, '\3') + "c");
    THQVpage view(host);
    view.BuildBox(*wc);
    EXPECT_EQ(view.Controls().size(), 1u);
    ASSERT_TRUE(StorePage(*wc, &view, p->Number(), false));
    EXPECT_EQ(ObjectTagsIn(*p->MemContent()),
              (std::vector<int32_t>{MakeId(internetLink, 0), pic->Id()}));
}

TEST_F(PageModel, RepeatedFontTagsAreVoidedAndLostLinksDropTheirTag) {
    THQVtesto* p = AddPage("P", "<Z S0 >a<Y y1 ><Y y0 >bc<%>");
    auto wc = OpenForEditing(*p, false);
    // A link the page-local list no longer has (as after an edit that dropped it).
    Bytes& c = *wc->Page().MutableContent();
    const std::string lost = "<$6f000005>";
    c.insert(c.begin() + 23, lost.begin(), lost.end());
    ASSERT_TRUE(StorePage(*wc, nullptr, p->Number(), false));
    const std::string stored = Text(*p->MemContent());
    EXPECT_EQ(stored, "<Z S0 >a" + std::string(7, '\3') + "<Y y0 >b" + std::string(11, '\3') +
                          "c<%>");
}

TEST_F(PageModel, RevisionIsRaisedOnlyWhenEditedAndNeverLowered) {
    struct Row {
        const char* name;
        int32_t pageRevision;
        bool modified;
        int32_t expected;
    } rows[] = {{"edited older page", 1, true, 7},
                {"unedited older page", 1, false, 1},
                {"edited newer page", 9, true, 9}};
    set.SetHdrI32(hdr::kRevision, 7);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        THQVtesto* p = AddPage("P", "<Z S0 >x");
        PageRecord(*p).SetRevision(row.pageRevision);
        THQVpage view(host);
        view.ShowPage(p);
        view.modified = row.modified;
        host.modified = false;
        ASSERT_TRUE(view.StorePage());
        EXPECT_FALSE(view.StorePage());  // once per showing
        EXPECT_EQ(PageRecord(*set.Page(p->Number())).Revision(), row.expected);
        EXPECT_EQ(host.modified, row.modified);
    }
}

TEST_F(PageModel, StoringAReplacedPageStoresNothing) {
    THQVtesto* p = AddPage("P", "<Z S0 >x");
    THQVpage view(host);
    view.ShowPage(p);
    const int32_t n = p->Number();
    std::unique_ptr<THQVoggetto> other(NewPage(&set).release());
    ASSERT_NE(THQVoggetto::Register(other, n), nullptr);
    EXPECT_FALSE(view.StorePage());
    EXPECT_EQ(view.StoredPage(), nullptr);
}

TEST_F(PageModel, NewPageIsRegisteredWhenStored) {
    THQVpage view(host);
    THQVtesto* shown = view.ShowPage(nullptr);
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(view.IsNewPage());
    EXPECT_FALSE(shown->IsRegistered());
    const int32_t before = set.ObjectCount(testoHtml);
    ASSERT_TRUE(view.StorePage());
    EXPECT_TRUE(shown->IsRegistered());
    EXPECT_EQ(set.ObjectCount(testoHtml), before + 1);
    EXPECT_EQ(set.Page(view.PageNumber()), shown);
    EXPECT_EQ(Text(*shown->MemContent()), "<Z S0 >");
    EXPECT_EQ(shown->Title(), "Senza titolo");
}

TEST_F(PageModel, StoringANewPageWithoutABoxIsAnInternalError) {
    auto wc = WorkOnNewPage(NewPage(&set));
    const int32_t before = set.ObjectCount(testoHtml);
    EXPECT_TRUE(StorePage(*wc, nullptr, -1, false));
    EXPECT_NE(msgs.joined().find("Errore interno."), std::string::npos);
    EXPECT_EQ(set.ObjectCount(testoHtml), before + 1);
}

// --- find, anchors, walk ----------------------------------------------------------------------

TEST_F(PageModel, FindWholeWordAndMatchCase) {
    THQVtesto* p = AddPage("P", "<Z S0 >concatenate<Z S0 >il cat, e (cat) Cat");
    struct Row {
        const char* name;
        TZtSearchTypes options;
        std::vector<std::pair<int32_t, int32_t>> hits;  // paragraph, character
    } rows[] = {
        {"plain", 0, {{0, 3}, {1, 3}, {1, 11}, {1, 16}}},
        {"whole word", stWholeWord, {{1, 3}, {1, 11}, {1, 16}}},
        {"match case", stMatchCase, {{0, 3}, {1, 3}, {1, 11}}},
        {"whole word and match case", stWholeWord | stMatchCase, {{1, 3}, {1, 11}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host.SearchOptions = row.options;
        THQVpage view(host);
        view.ShowPage(p);
        view.StartFind();
        for (auto [para, ch] : row.hits) {
            ASSERT_TRUE(view.FindNext("cat"));
            THQVbox& b = *view.Box();
            EXPECT_TRUE(b.hasSelection);
            EXPECT_EQ(b.SelectionStart().paragraphIndex, para);
            EXPECT_EQ(b.SelectionStart().charIndex, ch);
            EXPECT_EQ(b.SelectionEnd().charIndex, ch + 3);
        }
        EXPECT_FALSE(view.FindNext("cat"));
        EXPECT_FALSE(view.Box()->hasSelection);
        EXPECT_EQ(view.Box()->caret.paragraphIndex, 1);
        EXPECT_EQ(view.Box()->caret.charIndex, 0);
    }
}

TEST_F(PageModel, FindFromTheCursorSkipsHeaderParagraphs) {
    THQVtesto* head = AddPage("H", "<Z S0 >cane in testata");
    THQVtesto* p = AddPage("P", "<Z S0 >un cane<Z S0 >due cane");
    PageRecord(*p).SetHeaderPage(head->Number());
    THQVpage view(host);
    view.ShowPage(p);
    THQVbox& b = *view.Box();
    ASSERT_EQ(b.headerCount, 1);
    b.SetCaret(1, 4);  // after "un c" of the first own paragraph
    ASSERT_TRUE(view.FindNext("cane", true));
    EXPECT_EQ(b.SelectionStart().paragraphIndex, 2);
    b.SetCaret(0, 0);  // in the header: its text is never a match
    ASSERT_TRUE(view.FindNext("cane", true));
    EXPECT_EQ(b.SelectionStart().paragraphIndex, 1);
    EXPECT_EQ(b.SelectionStart().charIndex, 3);
}

TEST_F(PageModel, NextFreeAnchorAndJumpToAnchor) {
    struct Row {
        const char* name;
        std::vector<int32_t> anchors;
        int32_t next;
    } rows[] = {{"anchors 0, 3 and 7", {0, 7, 3}, 8}, {"no anchors", {}, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string markup = "<Z S0 >testo ";
        for (int32_t a : row.anchors) {
            THQVoggetto* m = set.AddNewObject(shortObj);
            m->SetState(14);
            m->SetI32(5, a);
            markup += Tag(m->Id()) + "x";
        }
        THQVpage view(host);
        view.ShowPage(AddPage("P", markup));
        EXPECT_EQ(view.NextFreeAnchorNumber(), row.next);
        EXPECT_EQ(view.HasAnchors(), !row.anchors.empty());
        msgs.clear();
        if (!row.anchors.empty()) {
            ASSERT_TRUE(view.JumpToAnchor(3));
            EXPECT_EQ(view.Box()->caret.charIndex, 6 + 2 * 2);  // the third marker
            EXPECT_TRUE(view.caretShown);
        }
        EXPECT_FALSE(view.JumpToAnchor(5));
        EXPECT_EQ(msgs.joined(), "Ancora non trovata: a5");
        msgs.clear();
        EXPECT_FALSE(view.JumpToAnchor(-1));
        view.SetReadOnly(true);
        msgs.clear();
        EXPECT_FALSE(view.JumpToAnchor(5));
        EXPECT_TRUE(msgs.entries().empty());
    }
}

TEST_F(PageModel, WalkVisitsTableCellsBeforeTheParagraphThatHoldsThem) {
    THQVoggetto* table = set.AddNewObject(tabellaHtml);
    table->SetU8(93, 1);
    table->SetU8(94, 2);
    THQVtesto* p = AddPage("P", "<Z S0 >primo<Z S0 >" + Tag(table->Id()) +
                                    "<Z S1 >c1<T><Z S1 >c2a<Z S1 >c2b<T><Z S0 >ultimo");
    THQVpage view(host);
    view.ShowPage(p);
    ParagraphWalk walk(*view.Box());
    std::vector<std::string> seen;
    while (THQVparag* par = walk.Next()) seen.push_back(par->Text());
    EXPECT_EQ(seen, (std::vector<std::string>{"primo", "c1", "c2a", "c2b", " ", "ultimo"}));

    // Positioned in the second cell, the walk goes on from there.
    THQVbox* cell = view.Controls()[0]->Cell(1);
    ASSERT_NE(cell, nullptr);
    ParagraphWalk from(*view.Box());
    ASSERT_TRUE(from.PositionAt(*cell, 1));
    seen.clear();
    while (THQVparag* par = from.Next()) seen.push_back(par->Text());
    EXPECT_EQ(seen, (std::vector<std::string>{"c2b", " ", "ultimo"}));

    // Find reaches the cells too.
    view.StartFind();
    ASSERT_TRUE(view.FindNext("c2b"));
    EXPECT_EQ(view.LastMatchBox(), cell);
}

TEST_F(PageModel, PageFlagsAndScrollBars) {
    THQVpage view(host);
    view.ShowPage(nullptr);
    EXPECT_EQ(view.ScrollBarMode(), 3);
    EXPECT_EQ(view.VerticalRange(), 1024);
    EXPECT_FALSE(view.ErasesBackground());
    struct Row {
        const char* name;
        bool readOnly;
        int mode;
        bool bars;
    } rows[] = {{"editable, mode 0", false, 0, true}, {"read-only, mode 0", true, 0, false},
                {"read-only, mode 1", true, 1, false}, {"read-only, mode 2", true, 2, true},
                {"read-only, mode 3", true, 3, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        view.SetReadOnly(false);
        view.SetScrollBarMode(row.mode);
        view.SetReadOnly(row.readOnly);
        EXPECT_EQ(view.HorizontalBarVisible(), row.bars);
        EXPECT_EQ(view.VerticalBarVisible(), row.bars);
    }
    view.SetScrollBarMode(0);
    view.SetScrollBarMode(9);  // unknown mode: bars stay as they are
    EXPECT_FALSE(view.VerticalBarVisible());

    int clicks = 0;
    host.selectFrame = [&](THQVpage&) { ++clicks; };
    view.Click();
    EXPECT_EQ(clicks, 0);
    view.SetFramesOnly(true);
    EXPECT_TRUE(view.ReadOnly());
    EXPECT_FALSE(view.BorderVisible());
    EXPECT_EQ(view.VerticalRange(), 0);
    view.Click();
    EXPECT_EQ(clicks, 1);

    int closed = 0;
    host.pageClosed = [&](THQVpage&) { ++closed; };
    view.ClosePage();
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(view.ErasesBackground());
    view.ClosePage();
    EXPECT_EQ(closed, 1);
}

TEST_F(PageModel, AnchorPreviewAndFrameSetListsIgnoreRepeats) {
    struct Frames : NestedFrameSet {
        int refreshed = 0;
        FramePanel* panel = nullptr;
        std::string name;
        void Refresh() override { ++refreshed; }
        FramePanel* FindPanel(std::string_view n) override { return n == name ? panel : nullptr; }
    } a, b;
    a.name = "sinistra";
    b.name = "destra";
    b.panel = reinterpret_cast<FramePanel*>(&b);
    THQVpage view(host);
    view.AddFrameSet(&a);
    view.AddFrameSet(&a);
    view.AddFrameSet(&b);
    view.RefreshFrameSets();
    EXPECT_EQ(a.refreshed, 1);
    EXPECT_EQ(view.FindFramePanel("destra"), b.panel);
    EXPECT_EQ(view.FindFramePanel("altro"), nullptr);
    view.RemoveFrameSet(&b);
    view.RemoveFrameSet(&b);
    EXPECT_EQ(view.FindFramePanel("destra"), nullptr);
}

}  // namespace
}  // namespace ovik
