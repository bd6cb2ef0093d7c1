// The object table: numbering, registration, release, free markers, look-ups,
// the object stream and the converter of old page markup.
#include <gtest/gtest.h>

#include <cstring>

#include "document/format1.h"
#include "document/hqv_set.h"
#include "document/style_record.h"
#include "platform/messages.h"
#include "support/hqv_builder.h"

namespace ovik {
namespace {

struct ObjectTable : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};

    THQVtesto* AddPage(const std::string& title) {
        auto* p = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        p->SetTitle(title);
        return p;
    }
};

TEST_F(ObjectTable, FetchingOutsideTheTableGivesNothing) {
    AddPage("a");
    EXPECT_EQ(set.ObjectCount(26), 0);
    EXPECT_EQ(set.ObjectCount(200), 0);
    EXPECT_EQ(set.GetObject(25, 0), nullptr);
    EXPECT_EQ(set.GetObject(0, -1), nullptr);
    EXPECT_EQ(set.GetObject(0, 0x1000000), nullptr);
    EXPECT_EQ(set.GetObject(0, 1), nullptr);
    EXPECT_NE(set.GetObject(0, 0), nullptr);
    EXPECT_EQ(set.GetObjectById(-1), nullptr);
    EXPECT_EQ(set.GetObjectById(MakeId(0x6F, 0)), nullptr);
}

TEST_F(ObjectTable, NewObjectsTakeTheLowestFreeSlot) {
    for (int i = 0; i < 5; ++i) AddPage("p" + std::to_string(i));
    set.Page(3)->MakeFree();
    set.Page(1)->MakeFree();
    EXPECT_EQ(AddPage("nuova")->Number(), 1);
    EXPECT_EQ(AddPage("nuova2")->Number(), 3);
    EXPECT_EQ(AddPage("nuova3")->Number(), 5);
    EXPECT_EQ(set.ObjectCount(testoHtml), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(set.Page(i)->Number(), i);
}

TEST_F(ObjectTable, RegisteringIntoAnOccupiedSlotFreesTheOldObject) {
    AddPage("vecchia");
    THQVoggetto* shown = set.AddNewObject(shortObj);  // a marker the page refers to
    set.Page(0)->SetContent(Bytes{'<', 'Z', ' ', 'S', '0', ' ', '>', '<', '$', '0', 'b', '0', '0',
                                  '0', '0', '0', '0', '>', 0});
    ASSERT_EQ(shown->Number(), 0);
    auto replacement = set.NewObject(testoHtml);
    static_cast<THQVtesto*>(replacement.get())->SetTitle("nuova");
    THQVoggetto* reg = THQVoggetto::Register(replacement, 0);
    ASSERT_NE(reg, nullptr);
    EXPECT_EQ(reg->Number(), 0);
    EXPECT_EQ(set.Page(0)->Title(), "nuova");
    EXPECT_TRUE(set.GetObject(shortObj, 0)->IsFree());  // freed with the old page
    // Registering the object already in its slot changes nothing.
    std::unique_ptr<THQVoggetto> none;
    EXPECT_EQ(set.StoreObject(testoHtml, 0, none), -1);
}

TEST_F(ObjectTable, FreeMarkersByKind) {
    struct Row {
        uint8_t kind;
        std::function<bool(const THQVoggetto&)> check;
    } rows[] = {
        {testoHtml, [](const THQVoggetto& o) { return o.State() == 3 && o.Name() == "Senza titolo"; }},
        {internetLink, [](const THQVoggetto& o) { return o.State() == 5; }},
        {genLink, [](const THQVoggetto& o) { return o.State() == 5; }},
        {keyword, [](const THQVoggetto& o) { return o.Name() == "-"; }},
        {immagine, [](const THQVoggetto& o) { return o.State() == 3; }},
        {programma, [](const THQVoggetto& o) { return o.State() == 1; }},
        {tabellaHtml, [](const THQVoggetto& o) { return o.State() == 0 && o.U8(93) == 1 && o.U8(90) == 2; }},
        {mappaFrame, [](const THQVoggetto& o) { return o.State() == 1 && o.Name() == "Map"; }},
        {speclink, [](const THQVoggetto& o) { return o.State() == 0 && o.Str(19, 19) == "Zt"; }},
        {custom, [](const THQVoggetto& o) { return o.State() == 0 && o.Name() == "Nuovo prototipo"; }},
        {dbloc, [](const THQVoggetto& o) { return o.State() == 0 && o.Name() == "db"; }},
        {stileParagrafo, [](const THQVoggetto& o) { return o.State() == 0 && o.I16(style_rec::kLineHeight) == -32000; }},
        {immagineNew, [](const THQVoggetto& o) { return o.State() == 0; }},
        {multiMedia, [](const THQVoggetto& o) { return o.State() == 0; }},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(KindName(r.kind));
        THQVoggetto* o = set.AddNewObject(r.kind);
        // Keywords and programs have no "new" state: they are in use once named.
        if (r.kind == keyword) o->SetName("parola");
        if (r.kind == programma) o->SetState(2);
        o->SetContent(Bytes{1, 2});
        o->SetWrapper(Bytes{3});
        EXPECT_FALSE(o->IsFree());
        o->MakeFree();
        EXPECT_TRUE(o->IsFree());
        EXPECT_TRUE(r.check(*o));
        EXPECT_FALSE(o->HasContent());
        EXPECT_FALSE(o->HasWrapper());
    }
}

TEST_F(ObjectTable, KeywordNamedDashIsFree) {
    auto k = set.NewObject(keyword);
    k->SetName("-");
    EXPECT_TRUE(k->IsFree());
    k->SetName("--");
    EXPECT_FALSE(k->IsFree());
}

TEST_F(ObjectTable, FreeingAPlacedPictureReleasesItsZoneLinks) {
    THQVoggetto* link = set.AddNewObject(speclink);
    THQVoggetto* other = set.AddNewObject(speclink);
    THQVoggetto* place = set.AddNewObject(immagineNew);
    place->SetI32(73 + 16 * 4, link->Id());
    place->SetI32(73, MakeId(internetLink, 0));  // not a special link: untouched
    place->MakeFree();
    EXPECT_TRUE(link->IsFree());
    EXPECT_FALSE(other->IsFree());
}

TEST_F(ObjectTable, StyleNames) {
    for (const char* n : {"Titolo", "Titolo 1"}) set.AddNewObject(stileParagrafo)->SetName(n);
    EXPECT_EQ(set.UniqueStyleName("Titolo"), "Titolo 2");
    EXPECT_EQ(set.UniqueStyleName("titolo 1"), "titolo 1 1");
    EXPECT_EQ(set.UniqueStyleName("Corpo"), "Corpo");
    EXPECT_EQ(set.StyleIndex("TITOLO"), 2);
    EXPECT_EQ(set.FindStyle("titolo 1")->Number(), 3);
    set.AddNewObject(stileParagrafo)->SetName("titolo");
    set.FixStyleNames();
    EXPECT_EQ(set.GetObject(stileParagrafo, 4)->Name(), "titolo 2");
    auto names = set.StyleNames();
    EXPECT_EQ(names, (std::vector<std::string>{"Titolo", "Titolo 1", "titolo 2",
                                               "[nessuno stile tabella]", "[nessuno stile]"}));
}

TEST_F(ObjectTable, DefaultStylesCompareWithoutTheirNames) {
    auto copy = set.NewObject(stileParagrafo);
    copy->Assign(*set.DefaultStyle(0));
    copy->MarkRegistered(false);
    copy->SetName("altro nome");
    EXPECT_TRUE(set.DefaultStyle(0)->SameContent(*copy));
    EXPECT_FALSE(copy->SameContent(*set.DefaultStyle(0)));  // an unregistered copy compares names
    copy->SetI16(style_rec::kSize, 14);
    EXPECT_FALSE(set.DefaultStyle(0)->SameContent(*copy));
}

TEST_F(ObjectTable, InternetLinkStates) {
    struct Row {
        const char* address;
        uint8_t state;
    } rows[] = {{"ovik://a.hqv|3", 6}, {"http://x.org", 7}, {"mailto:a@b.c", 8}, {"ftp://x", 4}};
    for (auto& r : rows) {
        SCOPED_TRACE(r.address);
        auto l = set.NewInternetLink(r.address);
        EXPECT_EQ(l->State(), r.state);
        EXPECT_EQ(l->Name(), r.address);
        EXPECT_FALSE(l->IsRegistered());
    }
    EXPECT_EQ(set.NewInternetLink(std::string(200, 'a'))->Name().size(), 127u);
}

TEST_F(ObjectTable, TreeObjectsAreMadeOnceAndKeptInTheHeader) {
    THQVoggetto* tree = set.PageTreeObject();
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->Kind(), shortObj);
    EXPECT_EQ(tree->State(), 10);
    EXPECT_EQ(set.HdrI32(hdr::kPageTree), tree->Id());
    EXPECT_EQ(set.PageTreeObject(), tree);
    EXPECT_NE(set.CustomTreeObject(), tree);
}

TEST_F(ObjectTable, ObjectStreamRoundTripAndDamage) {
    THQVoggetto* src = set.AddNewObject(shortObj);
    src->SetContent(Bytes{'c', 'o', 'm', 'm', 'e', 'n', 't', 'o'});
    src->SetWrapper(Bytes{0, 0, 0, 0, 'w'});
    Bytes stream;
    src->SaveToTransfer(stream);
    ASSERT_EQ(stream.size(), 4u + 1 + 668 + 4 + 0 + 8 + 8 + 4 + 5);

    auto copy = THQVoggetto::Create(&set, testoHtmlRtf);
    size_t pos = 0;
    ASSERT_TRUE(copy->LoadFromTransfer(stream.data(), stream.size(), pos));
    EXPECT_EQ(pos, stream.size());
    EXPECT_EQ(copy->Kind(), shortObj);
    EXPECT_EQ(copy->Number(), src->Number());
    EXPECT_EQ(*copy->MemContent(), *src->MemContent());
    EXPECT_EQ(*copy->Wrapper(), *src->Wrapper());

    // Cut inside the streams: record kept, both streams absent, no message.
    for (size_t cut = 4 + 1 + 668 + 1; cut < stream.size(); ++cut) {
        auto o = THQVoggetto::Create(&set, testoHtmlRtf);
        size_t p = 0;
        ASSERT_TRUE(o->LoadFromTransfer(stream.data(), cut, p));
        EXPECT_EQ(o->Kind(), shortObj);
        EXPECT_FALSE(o->HasContent()) << cut;
        EXPECT_FALSE(o->HasWrapper()) << cut;
    }
    // Cut inside the record: refused.
    auto o = THQVoggetto::Create(&set, testoHtmlRtf);
    size_t p = 0;
    EXPECT_FALSE(o->LoadFromTransfer(stream.data(), 300, p));
    EXPECT_TRUE(msgs.entries().empty());

    // A registered object receiving another kind is told, and still loads it.
    THQVoggetto* page = AddPage("p");
    p = 0;
    page->LoadFromTransfer(stream.data(), stream.size(), p);
    ASSERT_EQ(msgs.entries().size(), 1u);
    EXPECT_EQ(msgs.entries()[0].caption, "Errore!");
    EXPECT_EQ(msgs.entries()[0].text,
              "In un THQVoggetto registrato si può caricare solo un THQVoggetto dello stesso tipo!");
}

TEST_F(ObjectTable, ImportingACustomObjectBringsItsFiles) {
    platform::RecordingMessages otherMsgs;
    THQVset other(otherMsgs);
    testing::TempDir dir;
    auto path = dir / "dati.txt";
    testing::WriteFileBytes(path, Bytes{'d', 'a', 't', 'i'});
    THQVoggetto* file = other.AddNewObject(genLink);
    file->SetName("dati.txt");
    file->SetExternalFile(path);
    THQVoggetto* proto = other.AddNewObject(custom);
    proto->SetName("Orologio");
    Bytes content;
    AppendI32(content, 8);
    AppendI32(content, file->Id());
    AppendI32(content, 0);
    AppendString(content, "resto");
    proto->SetContent(content);

    THQVoggetto* result = nullptr;
    EXPECT_EQ(set.ImportCustomObject(*proto, result, false), 2);  // the file was not here
    ASSERT_TRUE(result);
    EXPECT_EQ(result->Name(), "Orologio");
    THQVoggetto* mine = set.GetObject(genLink, 0);
    ASSERT_TRUE(mine);
    Bytes bytes;
    ASSERT_TRUE(mine->ReadContent(bytes));
    EXPECT_EQ(bytes, (Bytes{'d', 'a', 't', 'i'}));
    const Bytes& rc = *result->MemContent();
    EXPECT_EQ(GetI32(&rc[0]), 8);
    EXPECT_EQ(GetI32(&rc[4]), mine->Id());
    EXPECT_EQ(GetI32(&rc[8]), 0);
    EXPECT_EQ(std::string(rc.begin() + 12, rc.end()), "resto");
    std::vector<THQVoggetto*> users;
    set.CustomObjectsUsing(*mine, users);
    ASSERT_EQ(users.size(), 1u);

    THQVoggetto* again = nullptr;
    EXPECT_EQ(set.ImportCustomObject(*proto, again, false), 1);  // found by name, not replaced
    EXPECT_EQ(again, result);
    EXPECT_EQ(set.ImportCustomObject(*proto, again, true), 3);  // replaced, file found by name
    EXPECT_EQ(set.ObjectCount(genLink), 1);
}

TEST_F(ObjectTable, UniqueEmbeddedNames) {
    THQVoggetto* a = set.AddNewObject(genLink);
    a->SetFileName("a.txt");
    EXPECT_EQ(a->FileName(), "a.txt");
    THQVoggetto* b = set.AddNewObject(genLink);
    b->SetFileName("c:\\docs\\A.TXT");
    std::string n = b->FileName();
    ASSERT_EQ(n.size(), 12u) << n;
    EXPECT_EQ(n.substr(0, 2), "ed");
    EXPECT_EQ(n.substr(8), ".TXT");
    EXPECT_EQ(n.find_first_not_of("0123456789ABCDEF", 2), 8u);
}

TEST_F(ObjectTable, TempFolderNamesStayInside) {
    auto folder = set.TempFolder();
    for (const char* hostile : {"../../x", "/etc/passwd", "a\\b", ".."}) {
        SCOPED_TRACE(hostile);
        auto p = set.UniqueTempName(hostile);
        EXPECT_EQ(p.parent_path(), folder);
    }
}

TEST(Format1, OldMarkupBecomesBoxMarkup) {
    const std::string link = "C0000FF";
    const std::string font = "<Y c000000 F\"Times New Roman\" s12 y0 p0 >";
    const std::string para = "<Z S0 A0 C0000FF >" + font;
    struct Row {
        const char* name;
        std::string old;
        std::string expected;
    } rows[] = {
        {"plain text", "Ciao &amp; addio", "Ciao &amp; addio"},
        {"controls dropped", "a\r\nb\tc", "abc"},
        {"bold and italic", "<B>g</B><I>i</I>n",
         "<Y c000000 F\"Times New Roman\" s12 y1 p0 >g<Y c000000 F\"Times New Roman\" s12 y2 p0 >i"
         "<Y c000000 F\"Times New Roman\" s12 y0 p0 >n"},
        {"line break", "a<BR>b", "a" + para + "b"},
        {"centred", "<CENTER>t", "<Z S0 A2 C0000FF >" + font + "t"},
        {"right div", "<DIV ALIGN=RIGHT>t", "<Z S0 A1 C0000FF >" + font + "t"},
        {"font colour", "<FONT COLOR=#FF8000>x",
         "<Y cFF8000 F\"Times New Roman\" s12 y0 p0 >x"},
        {"font size", "<FONT SIZE=5>x", "<Y c000000 F\"Times New Roman\" s19 y0 p0 >x"},
        {"pre", "<PRE>x</PRE>y",
         "<Y c000000 F\"Courier New\" s12 y0 p0 >x<Y c000000 F\"Times New Roman\" s12 y0 p0 >y"},
        {"list indent", "<UL>x</UL>y",
         "<Z S0 A0 l40 C0000FF >" + font + "x" + para + "y"},
        {"link end kept", "a<%>b", "a<%>b"},
        {"unknown tags dropped", "<HR><SPAN>x", "x"},
        {"unterminated tag at the end", "x<B", "x"},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        platform::RecordingMessages m;
        THQVset set(m);
        auto* page = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        Bytes old(r.old.begin(), r.old.end());
        old.push_back(0);
        Bytes out = ConvertContentFormat1(*page, old);
        ASSERT_EQ(out.back(), 0);
        std::string s(reinterpret_cast<const char*>(out.data()));
        EXPECT_EQ(s, "<Z S0 " + link + " >" + r.expected);
    }
}

TEST(Format1, TableCellsOpenAndCloseWithTheirParagraphStyle) {
    platform::RecordingMessages m;
    THQVset set(m);
    auto* page = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
    THQVoggetto* table = set.AddNewObject(tabellaHtml);
    table->SetU8(93, 1);
    table->SetU8(94, 2);
    std::string old = "<CENTER><$08000000>a<TE>b<TE>c";
    Bytes in(old.begin(), old.end());
    in.push_back(0);
    Bytes out = ConvertContentFormat1(*page, in);
    std::string s(reinterpret_cast<const char*>(out.data()));
    EXPECT_NE(s.find("<$08000000>a<T><Z S1 A2 "), std::string::npos) << s;
    EXPECT_NE(s.find("b<T><Z S0 A2 "), std::string::npos) << s;  // last cell closes the table
}

TEST(ObjectTags, ScanStopsAtTheZeroByteAndReadsOddDigitsAsZero) {
    std::string t = "<Z S0 ><$1000000a>x<$0bZZ0001><$0";
    Bytes b(t.begin(), t.end());
    auto ids = ObjectTagsIn(b);
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(ids[0], MakeId(16, 10));
    EXPECT_EQ(ids[1], MakeId(11, 1));
    b.insert(b.begin() + 7, 0);
    EXPECT_TRUE(ObjectTagsIn(b).empty());
}

}  // namespace
}  // namespace ovik
