// ovikc rewrite-pages: an editing cycle over every page changes only what
// storing must change, and a second cycle changes nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "document/hqv_set.h"
#include "page/page_record.h"
#include "page/placed_table.h"
#include "page/thqv_page.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "support/hqv_builder.h"
#include "support/run_tool.h"
#include "support/page_text.h"

namespace ovik {
namespace {

using testing::RunOvikc;
using testing::TempDir;

using testing::Tag;

using testing::Content;

// The record with the places of its streams blanked (they move when a file is
// written again).
std::array<uint8_t, kObjectRecordSize> WithoutStreamPlaces(const THQVoggetto& o) {
    auto r = o.Record();
    StreamFields f = StreamFieldsOf(o.Kind());
    auto blank = [&](int off, int width) {
        if (off >= 0) std::fill_n(r.begin() + off, width, uint8_t(0));
    };
    blank(f.contentPos, 4);
    blank(f.contentLen, f.contentLenWidth);
    blank(f.wrapperPos, 4);
    blank(f.wrapperLen, 4);
    return r;
}

// The first offset where two records differ, or -1.
int FirstDifference(const std::array<uint8_t, kObjectRecordSize>& a,
                    const std::array<uint8_t, kObjectRecordSize>& b) {
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) return int(i);
    return -1;
}

Bytes ContentOf(const THQVoggetto& o) {
    Bytes b;
    o.ReadContent(b);
    return b;
}

// The text of a page as the editor sees it: the markup of its box, where object
// tags carry control indexes and links page-local indexes.
Bytes BoxMarkup(THQVset& set, int32_t page) {
    platform::FixedMetricsMeasurer measurer;
    PageHost host;
    host.set = &set;
    host.measurer = &measurer;
    THQVpage view(host);
    view.ShowPage(set.Page(page));
    return view.Box()->Markup();
}

// Compares every object of `after` with `before`. Pages: `titles` gives the
// titles storing must have given; `links` maps link identifiers that storing
// must have merged. Contents of pages are compared as the editor reads them.
void ExpectSameHypertext(THQVset& before, THQVset& after,
                         const std::map<int32_t, std::string>& titles,
                         const std::map<int32_t, int32_t>& links) {
    for (int k = 0; k < none; ++k) {
        SCOPED_TRACE(KindName(uint8_t(k)));
        ASSERT_EQ(before.ObjectCount(uint8_t(k)), after.ObjectCount(uint8_t(k)));
        for (int32_t n = 0; n < before.ObjectCount(uint8_t(k)); ++n) {
            SCOPED_TRACE(n);
            THQVoggetto* a = before.GetObject(k, n);
            THQVoggetto* b = after.GetObject(k, n);
            ASSERT_TRUE(a && b);
            if (k != testoHtml) {
                auto ra = WithoutStreamPlaces(*a);
                // A placed picture's zone slots are written as the editor
                // writes them: reserved 0, empty slots link -1 and zeros.
                if (k == immagineNew)
                    for (size_t z = 0; z < 30; ++z) {
                        uint8_t* slot = ra.data() + 73 + 16 * z;
                        const bool empty = GetI32(slot) == -1;
                        std::fill_n(slot + 4, empty ? 12 : 4, uint8_t(0));
                    }
                EXPECT_EQ(FirstDifference(ra, WithoutStreamPlaces(*b)), -1);
                EXPECT_EQ(ContentOf(*a), ContentOf(*b));
                EXPECT_EQ(a->HasWrapper(), b->HasWrapper());
                if (a->HasWrapper() && b->HasWrapper()) {
                    EXPECT_EQ(*a->Wrapper(), *b->Wrapper());
                }
                continue;
            }
            auto ra = WithoutStreamPlaces(*a), rb = WithoutStreamPlaces(*b);
            auto title = titles.find(n);
            EXPECT_EQ(PageRecord(*b).Title(),
                      title == titles.end() ? PageRecord(*a).Title() : title->second);
            // Apart from the title (and the format of old markup) the record stays.
            std::fill_n(ra.begin() + page_rec::kTitle, 72, uint8_t(0));
            std::fill_n(rb.begin() + page_rec::kTitle, 72, uint8_t(0));
            EXPECT_EQ(FirstDifference(ra, rb), -1);
            std::vector<int32_t> tags = ObjectTagsIn(ContentOf(*a));
            for (int32_t& t : tags)
                if (auto m = links.find(t); m != links.end()) t = m->second;
            EXPECT_EQ(tags, ObjectTagsIn(ContentOf(*b)));
            EXPECT_EQ(BoxMarkup(before, n), BoxMarkup(after, n));
        }
    }
}

// The files are the same apart from the save counter in the header.
void ExpectSameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    Bytes x = testing::ReadFileBytes(a), y = testing::ReadFileBytes(b);
    ASSERT_EQ(x.size(), y.size());
    std::fill_n(x.begin() + hdr::kRevision, 4, uint8_t(0));
    std::fill_n(y.begin() + hdr::kRevision, 4, uint8_t(0));
    EXPECT_TRUE(x == y);
}

#ifdef OVIK_GENERATOR_PATH
TEST(RewritePages, GeneratedHypertextKeepsEverythingButTitlesAndMergedLinks) {
    TempDir dir;
    const auto generated = dir / "gen.hqv";
    const std::string cmd = std::string("'") + OVIK_GENERATOR_PATH + "' '" + generated.string() +
                            "' --pages 12 --pictures 3 --files 1 --file-kb 4 --seed 7 >/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);

    // Two untitled pages and a second link object with an address already in use.
    platform::RecordingMessages msgs;
    std::map<int32_t, std::string> titles;
    std::map<int32_t, int32_t> merged;
    {
        THQVset set(msgs);
        ASSERT_TRUE(set.OpenHypertext(generated));
        for (int32_t n : {1, 4}) {
            set.Page(n)->SetTitle("Senza titolo");
            titles[n] = AutomaticTitle(*set.Page(n)->MemContent());
            ASSERT_FALSE(titles[n].empty());
        }
        THQVoggetto* first = set.GetObject(internetLink, 0);
        auto twin = set.NewInternetLink(first->Name());
        THQVoggetto* second = THQVoggetto::Register(twin, -1);
        merged[second->Id()] = first->Id();
        Bytes c = *set.Page(2)->MemContent();
        c.pop_back();
        std::string more = "<Z S0 >" + Tag(second->Id()) + "doppio<%>";
        c.insert(c.end(), more.begin(), more.end());
        c.push_back(0);
        set.Page(2)->SetContent(c);
        ASSERT_TRUE(set.SaveHypertext(dir / "in.hqv"));
    }

    auto r = RunOvikc({"rewrite-pages", (dir / "in.hqv").string(), (dir / "once.hqv").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "12 pages rewritten\n");
    THQVset in(msgs), once(msgs);
    ASSERT_TRUE(in.OpenHypertext(dir / "in.hqv"));
    ASSERT_TRUE(once.OpenHypertext(dir / "once.hqv"));
    ExpectSameHypertext(in, once, titles, merged);

    r = RunOvikc({"rewrite-pages", (dir / "once.hqv").string(), (dir / "twice.hqv").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectSameFile(dir / "once.hqv", dir / "twice.hqv");
    EXPECT_TRUE(msgs.entries().empty()) << msgs.joined();
}
#endif

// A page with a 2 x 3 table (text, a link and a picture in its cells), a
// picture with click zones, markers, a form with its elements, a multimedia
// object and a database object.
struct RichPage {
    THQVoggetto *web, *special, *table, *cellPic, *pic, *anchor, *comment, *form, *edit, *button,
        *media, *db;
    std::string markup;

    explicit RichPage(THQVset& set) {
        auto address = set.NewInternetLink("http://esempio.it/");
        web = THQVoggetto::Register(address, -1);
        special = set.AddNewObject(speclink);
        special->SetState(1);
        special->SetI32(9, 2);
        special->SetI32(13, MakeId(testoHtml, 0));
        special->SetStr(19, 19, "destra");
        table = set.AddNewObject(tabellaHtml);
        table->SetU8(93, 2);
        table->SetU8(94, 3);
        table->SetU8(92, 1);
        Bytes backgrounds;
        for (int i = 0; i < 6; ++i) AppendI32(backgrounds, i == 4 ? 0x00FF00 : -1);
        table->SetContent(backgrounds);
        cellPic = set.AddNewObject(immagineNew);
        cellPic->SetI16(19, 20);
        cellPic->SetI16(21, 10);
        pic = set.AddNewObject(immagineNew);
        pic->SetI16(19, 120);
        pic->SetI16(21, 80);
        pic->SetStr(28, 32, "Mappa");
        for (int z = 0; z < 3; ++z) {
            size_t at = 69 + 16 * size_t(z);
            pic->SetU8(at, 1);
            pic->SetI16(at + 8, int16_t(10 * z));
            pic->SetI16(at + 12, 15);
        }
        pic->SetI32(73, special->Id());
        pic->SetI32(73 + 16, web->Id());
        pic->SetI32(73 + 32, MakeId(testoHtml, 0));
        anchor = set.AddNewObject(shortObj);
        anchor->SetState(14);
        anchor->SetI32(5, 2);
        comment = set.AddNewObject(shortObj);
        comment->SetState(1);
        comment->SetI32(5, -1);
        comment->SetContent(Content("una nota"));
        comment->SetWrapper(Bytes{0, 0, 0, 0, 'x'});
        form = set.AddNewObject(inizioForm);
        edit = set.AddNewObject(inputStat);
        edit->SetState(1);
        edit->SetStr(17, 20, "nome");
        button = set.AddNewObject(bottoneCGI);
        button->SetI32(181, special->Id());
        media = set.AddNewObject(multiMedia);
        media->SetI16(33, 64);
        media->SetI16(35, 48);
        db = set.AddNewObject(dbloc);
        db->SetI32(51, web->Id());
        markup = "<Z S0 >Titolo<Z S0 >" + Tag(table->Id()) +
                 "<Z S1 >a1<T><Z S1 >" + Tag(web->Id()) + "b1<%><T><Z S1 >c1<T>"
                 "<Z S1 >a2<Z S1 >seconda riga<T><Z S1 >" + Tag(cellPic->Id()) + "<T>"
                 "<Z S1 >c2<Y y1 >neretto<Y ><T><Z S0 >Dopo " + Tag(pic->Id()) + " e " +
                 Tag(anchor->Id()) + Tag(comment->Id()) + "<Z S0 >" + Tag(form->Id()) +
                 Tag(edit->Id()) + Tag(button->Id()) + " " + Tag(media->Id()) + Tag(db->Id()) +
                 " fine";
    }
};

TEST(RewritePages, TablesPicturesMarkersAndFormsComeThroughUnchanged) {
    TempDir dir;
    platform::RecordingMessages msgs;
    std::string markup;
    {
        THQVset set(msgs);
        auto* home = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        home->SetTitle("Casa");
        RichPage rich(set);
        markup = rich.markup;
        auto* p = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        p->SetTitle("Ricca");
        p->SetContent(Content(markup));
        ASSERT_TRUE(set.SaveHypertext(dir / "in.hqv"));
    }
    auto r = RunOvikc({"rewrite-pages", (dir / "in.hqv").string(), (dir / "out.hqv").string(),
                       "--pages", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1 page rewritten\n");
    THQVset in(msgs), out(msgs);
    ASSERT_TRUE(in.OpenHypertext(dir / "in.hqv"));
    ASSERT_TRUE(out.OpenHypertext(dir / "out.hqv"));
    ExpectSameHypertext(in, out, {}, {});
    // The page's text, table cells included, is the same byte for byte.
    std::string stored(reinterpret_cast<const char*>(out.Page(1)->MemContent()->data()));
    EXPECT_EQ(stored, markup);

    // The table's cells as the editor reads them.
    platform::FixedMetricsMeasurer measurer;
    PageHost host;
    host.set = &out;
    host.measurer = &measurer;
    THQVpage view(host);
    view.ShowPage(out.Page(1));
    TMyyTable* table = nullptr;
    for (auto& c : view.Controls())
        if (c->IsTable()) table = dynamic_cast<TMyyTable*>(c.get());
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->CellCount(), 6);
    EXPECT_EQ(table->Cell(3)->ParagraphCount(), 2);
    EXPECT_EQ(table->Cell(3)->Paragraph(1).Text(), "seconda riga");
    EXPECT_EQ(table->Cell(5)->Paragraph(0).Text(), "c2neretto");
    EXPECT_EQ(view.NextFreeAnchorNumber(), 3);
    EXPECT_TRUE(msgs.entries().empty()) << msgs.joined();
}

// One object of every kind and subtype that has a control of its own (and
// some that have none), with names, values, list items, wrappers and links.
TEST(RewritePages, FormElementsMultimediaFramesAndMarkersComeThroughUnchanged) {
    TempDir dir;
    platform::RecordingMessages msgs;
    std::string markup;
    int32_t button = -1;
    {
        THQVset set(msgs);
        auto* home = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        home->SetTitle("Casa");
        THQVoggetto* picture = set.AddNewObject(immagine);
        picture->SetState(1);
        picture->SetU16(85, 48);
        picture->SetU16(87, 24);
        THQVoggetto* file = set.AddNewObject(genLink);
        file->SetFileName("suono.wav");
        file->SetContent(Bytes{'R', 'I', 'F', 'F'});
        auto address = set.NewInternetLink("http://esempio.it/");
        THQVoggetto* web = THQVoggetto::Register(address, -1);
        markup = "<Z S0 >Modulo ";
        auto add = [&](uint8_t kind, uint8_t subtype) {
            THQVoggetto* o = set.AddNewObject(kind);
            o->SetState(subtype);
            if (kind != shortObj && kind != multiMedia) o->SetStr(17, 20, "nome" + std::to_string(subtype));
            markup += Tag(o->Id());
            return o;
        };
        for (uint8_t s : {5, 10, 11, 12, 13, 14, 15, 21, 22, 23, 24, 25, 26, 27, 28, 3}) {
            THQVoggetto* m = add(shortObj, s);
            m->SetI32(5, s == 14 ? 7 : s == 15 ? 0 : -1);
            if (s == 27 || s == 10) m->SetContent(Content("a=1"));
            if (s == 11) m->SetWrapper(Bytes{0, 0, 0, 0, '<', 'b', '>'});
        }
        for (uint8_t s : {1, 2, 3, 4, 5, 6, 7, 8, 9, 18, 12}) {
            THQVoggetto* o = add(inputStat, s);
            o->SetStr(97, 79, "valore");
            o->SetU8(179, 20);
            o->SetU8(180, 1);
            o->SetU8(181, 1);
            if (s == 4) o->SetContent(Content("testo"));
            if (s == 8 || s == 9) o->SetContent(Content("uno\r\n1\r\nX\r\ndue\r\n2\r\n\r\n"));
            if (s == 18) {
                o->SetI32(108, MakeId(testoHtml, 0));
                o->SetI16(180, 120);
                o->SetI16(182, 200);
            }
            o->SetWrapper(Bytes{0, 0, 0, 0, 'c', 'l', 'a', 's', 's', '=', 'x'});
        }
        for (uint8_t s : {1, 2, 6, 7, 11, 12}) add(inputDin, s)->SetContent(Content("uno\r\n1\r\nX\r\n"));
        for (uint8_t s : {1, 2, 3}) {
            THQVoggetto* b = add(bottoneCGI, s);
            b->SetStr(97, 79, "Invia");
            b->SetI32(177, s == 2 ? picture->Number() : -1);
            b->SetI32(181, s == 1 ? web->Id() : -1);
            b->SetU16(186, 40);  // the picture is 48 x 24 now
            b->SetU16(188, 20);
            b->SetI16(190, 80);
            b->SetI16(192, 40);
            if (s == 2) button = b->Number();
        }
        for (uint8_t s : {1, 2, 4}) add(inizioForm, s)->SetStr(17, 40, "mailto:a@b.it");
        for (uint8_t s : {1, 2, 3, 4, 5, 6}) {
            THQVoggetto* m = add(multiMedia, s);
            m->SetI32(17, s == 6 ? -1 : file->Id());
            m->SetI32(21, -1);
            m->SetU8(25, s == 1 ? 1 : 0);
            m->SetI16(27, 2);
            m->SetI16(33, 90);
            m->SetI16(35, 60);
            m->SetContent(Content("p\r\nv\r\n"));
        }
        THQVoggetto* db = add(dbloc, 7);
        db->SetU8(46, 19);
        db->SetI32(47, -1);
        db->SetI32(51, web->Id());
        markup += " fine";
        auto* p = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        p->SetTitle("Modulo");
        p->SetContent(Content(markup));
        ASSERT_TRUE(set.SaveHypertext(dir / "in.hqv"));
    }
    auto r = RunOvikc({"rewrite-pages", (dir / "in.hqv").string(), (dir / "out.hqv").string(),
                       "--pages", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    THQVset in(msgs), out(msgs);
    ASSERT_TRUE(in.OpenHypertext(dir / "in.hqv"));
    ASSERT_TRUE(out.OpenHypertext(dir / "out.hqv"));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.Page(1)->MemContent()->data())), markup);
    // The picture button took the picture's natural size as natural and shown
    // size; nothing else changed.
    THQVoggetto* b = out.GetObject(bottoneCGI, button);
    EXPECT_EQ(b->U16(186), 48);
    EXPECT_EQ(b->U16(188), 24);
    EXPECT_EQ(b->I16(190), 48);
    EXPECT_EQ(b->I16(192), 24);
    THQVoggetto* before = in.GetObject(bottoneCGI, button);
    before->SetU16(186, 48);
    before->SetU16(188, 24);
    before->SetI16(190, 48);
    before->SetI16(192, 24);
    ExpectSameHypertext(in, out, {}, {});

    r = RunOvikc({"rewrite-pages", (dir / "out.hqv").string(), (dir / "again.hqv").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectSameFile(dir / "out.hqv", dir / "again.hqv");
    EXPECT_TRUE(msgs.entries().empty()) << msgs.joined();
}

TEST(RewritePages, OldRecordsAndOldMarkupAreBroughtUpToDate) {
    TempDir dir;
    testing::HqvBuilder b;
    b.AddDefaultStyles();
    b.SetI32(hdr::kRevision, 6);
    b.Add(0, b.PageRecord("Vecchia", std::string("<B>Ciao</B> mondo") + '\0', 242), 242);
    b.WriteTo(dir / "old.hqv");
    auto r = RunOvikc({"rewrite-pages", (dir / "old.hqv").string(), (dir / "new.hqv").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    platform::RecordingMessages msgs;
    THQVset out(msgs);
    ASSERT_TRUE(out.OpenHypertext(dir / "new.hqv"));
    PageRecord rec(*out.Page(0));
    EXPECT_EQ(rec.ContentFormat(), 2);
    EXPECT_EQ(rec.Title(), "Vecchia");
    EXPECT_EQ(rec.Revision(), 5);  // read as the hypertext's revision less one, not raised
    EXPECT_EQ(rec.SlideDelay(), 5);
    EXPECT_EQ(rec.HeaderPage(), -1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.Page(0)->MemContent()->data())),
              "<Z S0 ><Y y1 >Ciao<Y > mondo");
    r = RunOvikc({"rewrite-pages", (dir / "new.hqv").string(), (dir / "again.hqv").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectSameFile(dir / "new.hqv", dir / "again.hqv");
}

TEST(RewritePages, ChosenPagesOnlyAndBadLists) {
    TempDir dir;
    testing::HqvBuilder b;
    b.AddDefaultStyles();
    b.Add(0, b.PageRecord("Senza titolo", std::string("<Z S0 >Primo testo") + '\0'), 292);
    b.Add(0, b.PageRecord("Senza titolo", std::string("<Z S0 >Secondo testo") + '\0'), 292);
    b.WriteTo(dir / "in.hqv");
    auto r = RunOvikc({"rewrite-pages", (dir / "in.hqv").string(), (dir / "out.hqv").string(),
                       "--pages", "1,5"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("page 5: no such page"), std::string::npos);
    platform::RecordingMessages msgs;
    THQVset out(msgs);
    ASSERT_TRUE(out.OpenHypertext(dir / "out.hqv"));
    EXPECT_EQ(out.Page(0)->Title(), "Senza titolo");
    EXPECT_EQ(out.Page(1)->Title(), "Secondo testo");

    for (const char* bad : {"", "x", "3-1", "1,,2"}) {
        SCOPED_TRACE(bad);
        r = RunOvikc({"rewrite-pages", (dir / "in.hqv").string(), (dir / "bad.hqv").string(),
                      "--pages", bad});
        EXPECT_EQ(r.status, 2);
    }
    r = RunOvikc({"rewrite-pages", (dir / "missing.hqv").string(), (dir / "x.hqv").string()});
    EXPECT_EQ(r.status, 1);
}

}  // namespace
}  // namespace ovik
