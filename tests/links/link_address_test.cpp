// Link addresses: the forms of "ovik:" addresses read from a hypertext, the
// same-file test, the names exported pages of other hypertexts get, and the
// descriptions of every link object.
#include <gtest/gtest.h>

#include <filesystem>

#include "document/hqv_set.h"
#include "links/link_address.h"
#include "links/link_objects.h"
#include "platform/messages.h"
#include "support/hqv_builder.h"

namespace ovik::links {
namespace {

namespace fs = std::filesystem;
using ovik::testing::TempDir;

// Two hypertexts on disk: main.hqv (pages "Inizio", "Seconda") and
// dir/doc.hqv (pages "Copertina" .. "Quinta", cover page 2, prefix "docu").
struct TwoFiles {
    TempDir dir;
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    fs::path main, doc;

    TwoFiles() {
        fs::create_directories(dir / "dir");
        main = dir / "main.hqv";
        doc = dir / "dir" / "doc.hqv";
        {
            THQVset other(msgs);
            other.NewHypertext();
            for (const char* t : {"Copertina", "Uno", "Due", "Tre", "Quattro", "Quinta"})
                other.AddNewObject(testoHtml)->SetName(t);
            other.Page(0)->SetName("Zero");
            other.SetHdrI32(hdr::kCoverPage, 2);
            other.SetExpPrefix("docu");
            EXPECT_TRUE(other.SaveHypertext(doc));
        }
        set.NewHypertext();
        set.AddNewObject(testoHtml)->SetName("Inizio");
        set.AddNewObject(testoHtml)->SetName("Seconda");
        EXPECT_TRUE(set.SaveHypertext(main));
    }
};

TEST(LinkAddress, PageTextIsReadAsGiven) {
    struct Case {
        const char* text;
        int32_t page;
    } cases[] = {{"5", 5},   {"", kCoverAfterLoading}, {"abc", 0}, {"-3", 0}, {"12abc", 0},
                 {"007", 7}, {"1234567890123", 0},     {"99999999999", 0}};
    for (const Case& c : cases) EXPECT_EQ(ParsePageText(c.text), c.page) << c.text;
}

TEST(LinkAddress, StoredPathsAcceptBothSeparatorsAndADrive) {
    EXPECT_EQ(ResolveStoredPath("dir\\doc.hqv", "/work"), fs::path("/work/dir/doc.hqv"));
    EXPECT_EQ(ResolveStoredPath("dir/doc.hqv", "/work"), fs::path("/work/dir/doc.hqv"));
    EXPECT_EQ(ResolveStoredPath("c:\\work\\main.hqv", "/elsewhere"), fs::path("/work/main.hqv"));
    EXPECT_EQ(ResolveStoredPath("", "/work"), fs::path());
}

TEST(LinkAddress, ParseFromTheOpenHypertext) {
    TwoFiles f;
    // The relative file is taken from the folder of the open hypertext.
    OvikAddress a = ParseOvikAddress(f.set, "ovik://dir\\doc.hqv|5");
    EXPECT_TRUE(a.hypertext);
    EXPECT_FALSE(a.same);
    EXPECT_EQ(a.fileText, "dir\\doc.hqv");
    EXPECT_TRUE(SamePath(a.file, f.doc)) << a.file;
    EXPECT_EQ(a.page, 5);

    EXPECT_EQ(ParseOvikAddress(f.set, "ovik:dir/doc.hqv|").page, kCoverAfterLoading);
    EXPECT_EQ(ParseOvikAddress(f.set, "ovik:dir/doc.hqv|abc").page, 0);
    // Without "|": the cover page of the hypertext named, read from its header.
    EXPECT_EQ(ParseOvikAddress(f.set, "ovik:dir/doc.hqv").page, 2);

    // The open file by other spellings is the same file.
    for (const std::string& spelled : std::vector<std::string>{"ovik:main.hqv|1", "ovik://./main.hqv|1",
                                                               "ovik:dir/../main.hqv|1",
                                                               "ovik:" + f.main.string() + "|1"}) {
        OvikAddress s = ParseOvikAddress(f.set, spelled);
        EXPECT_TRUE(s.same) << spelled;
        EXPECT_EQ(s.page, 1);
    }
    EXPECT_FALSE(ParseOvikAddress(f.set, "http://ovik.it/").hypertext);
}

TEST(LinkAddress, AddressWrittenByTheLinkWindow) {
    EXPECT_EQ(OvikAddressFor("/work/dir/doc.hqv", "/work/main.hqv", 5), "ovik://dir/doc.hqv|5");
    EXPECT_EQ(OvikAddressFor("/WORK/x.hqv", "/work/main.hqv", -1), "ovik://x.hqv|0");
    EXPECT_EQ(OvikAddressFor("/altro/x.hqv", "/work/main.hqv", 3), "ovik:///altro/x.hqv|3");
}

TEST(LinkAddress, ForeignPageFileNames) {
    TwoFiles f;
    EXPECT_EQ(ForeignPageFileName(f.doc, MakeId(testoHtml, 2), ".htm"), "docu_index.htm");
    EXPECT_EQ(ForeignPageFileName(f.doc, MakeId(testoHtml, 26), ".html"), "docu_00001a.html");
    EXPECT_EQ(ForeignPageFileName(f.dir / "missing.hqv", 3, ".htm"), "");
}

TEST(LinkAddress, StateByForm) {
    EXPECT_EQ(AddressStateOf("ovik:a.hqv|1"), kAddressHypertext);
    EXPECT_EQ(AddressStateOf("http://x"), kAddressHttp);
    EXPECT_EQ(AddressStateOf("mailto:a@b"), kAddressMail);
    EXPECT_EQ(AddressStateOf("ftp://x"), kAddressOther);
    EXPECT_TRUE(IsPlainInternetAddress("HTTPS://x"));
    EXPECT_TRUE(IsPlainInternetAddress("mailto:a@b"));
    EXPECT_FALSE(IsPlainInternetAddress("file:///etc/passwd"));
    EXPECT_FALSE(IsPlainInternetAddress("javascript:alert(1)"));
}

TEST(LinkDescription, EveryLinkObject) {
    TwoFiles f;
    THQVset& set = f.set;
    auto reg = [&](std::unique_ptr<THQVoggetto> o) { return THQVoggetto::Register(o, -1); };
    THQVoggetto* page = set.Page(1);
    THQVoggetto* web = reg(set.NewInternetLink("http://ovik.it/"));
    THQVoggetto* mail = reg(set.NewInternetLink("mailto:ada@ovik.it"));
    THQVoggetto* other = reg(set.NewInternetLink("ovik://dir\\doc.hqv|3"));
    THQVoggetto* file = set.AddNewObject(genLink);
    file->SetFileName("dati.zip");

    auto special = [&](uint8_t subtype, uint8_t action, int32_t target, int32_t anchor,
                       const char* window, uint8_t mode) {
        auto s = NewSpecialLink(set, subtype);
        SpecialLink l{*s};
        l.SetAction(action);
        l.SetTarget(target);
        l.SetAnchor(anchor);
        l.SetWindowName(window);
        l.SetDisplayMode(mode);
        return reg(std::move(s));
    };

    struct Case {
        THQVoggetto* o;
        std::string text;
    } cases[] = {
        {page, "Seconda|Collegamento a: Seconda (1)"},
        {web, "http://ovik.it/|Collegamento a: http://ovik.it/"},
        {mail, "ada@ovik.it|Collegamento a e-mail: ada@ovik.it"},
        {other, "dir\\doc.hqv Pag.:Tre|Collegamento a ipertesto: dir\\doc.hqv Pag.:Tre"},
        {file, "dati.zip|Collegamento a file: dati.zip"},
        {special(kSpecGoTo, kActJump, page->Id(), 3, "", 0),
         "Seconda|Qui si salta al la pagina singola: Collegamento a: Seconda (1) #a3 @1"},
        {special(kSpecGoTo, kActReplaceFrame, web->Id(), -1, "", 1),
         "http://ovik.it/|Qui si rimpiazza la cornice corrente con l'insieme cornici: "
         "Collegamento a: http://ovik.it/ @0"},
        {special(kSpecGoTo, kActNamedFrame, page->Id(), -1, "destra", 0),
         "Seconda|Qui si rimpiazza la cornice \"destra\" con la pagina singola: Collegamento a: Seconda (1) @1"},
        {special(kSpecGoTo, kActSeparateWindow, page->Id(), -1, "w", 0),
         "Seconda|Qui si crea in finestra separata \"w\"  la pagina singola: Collegamento a: Seconda (1) @1"},
        {special(kSpecGoTo, kActNewBrowser, page->Id(), -1, "", 0),
         "Seconda|Qui si crea nuovo browser la pagina singola: Collegamento a: Seconda (1) @1"},
        {special(kSpecGoTo, kActPopup, page->Id(), -1, "p", 0),
         "Seconda|Qui si crea in popup \"p\"  la pagina singola: Collegamento a: Seconda (1) @1"},
        {special(kSpecGoTo, kActAnchorInPage, -1, 3, "", 0),
         "|Qui si salta all'interno della pagina corrente, all'ancora:  #a3"},
        {special(kSpecKeywords, 0, -1, -1, "", 0), "Parole chiave|Collegamento a: finestra parole chiave"},
        {special(kSpecPrevious, 0, -1, -1, "", 0), "pagina precedente|Collegamento a: pagina precedente"},
        {special(kSpecNext, 0, -1, -1, "", 0), "pagina successiva|Collegamento a: pagina successiva"},
        {reg(NewAnchor(set, 7)), "Ancora: a7"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.o->Description(), c.text);

    auto imp = NewSpecialLink(set, kSpecAutoImport);
    SpecialLink{*imp}.SetImportPath("c:\\siti\\b.htm");
    EXPECT_EQ(imp->Description(), "Auto import:c:\\siti\\b.htm");

    // A page of another hypertext without a title shows its number.
    THQVoggetto* untitled = reg(set.NewInternetLink("ovik:dir/doc.hqv|40"));
    EXPECT_EQ(ShortText(untitled->Description()), "dir/doc.hqv Pag.:40");

    web->MakeFree();
    EXPECT_EQ(web->Description(), "Non definito.");
    EXPECT_EQ(ShortText("a|b|c"), "a");
    EXPECT_EQ(HintText("a|b|c"), "b|c");
    EXPECT_EQ(HintText("Ancora: a1"), "Ancora: a1");
}

TEST(SpecialLinkWindowData, RoundTripAndDefaults) {
    WindowData d;
    EXPECT_EQ(d.width, 400);
    EXPECT_EQ(d.height, 300);
    EXPECT_EQ(d.left, WindowData::kNotGiven);
    d.left = 10;
    d.top = -5;
    d.screenY = 30;
    d.dependent = d.menuBar = d.toolBar = true;
    auto bytes = d.Encode();
    EXPECT_EQ(bytes[12], 0);
    EXPECT_EQ(bytes[13], 1);
    EXPECT_EQ(bytes[17], 1);
    EXPECT_EQ(bytes[21], 1);
    EXPECT_EQ(WindowData::Decode(bytes.data(), bytes.size()), d);
    EXPECT_EQ(WindowData::Decode(bytes.data(), 21), WindowData{});  // too short: defaults
}

}  // namespace
}  // namespace ovik::links
