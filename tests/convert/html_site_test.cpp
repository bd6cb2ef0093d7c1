// HTML export of a whole site: names, page files, style sheet, redirect files,
// page markers, the phases of a run and names from hostile documents.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "convert/hqv_to_html.h"
#include "document/hqv_set.h"
#include "links/link_objects.h"
#include "page/page_record.h"
#include "view/frames.h"
#include "platform/messages.h"
#include "platform/settings_store.h"
#include "support/hqv_builder.h"
#include "support/page_text.h"

namespace ovik {
namespace {

namespace fs = std::filesystem;
using testing::Content;
using testing::ReadFileBytes;
using testing::Tag;
using testing::TempDir;
using testing::WriteFileBytes;

std::string Str(const Bytes& b) { return std::string(b.begin(), b.end()); }

struct HtmlSite : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    THQVtoHtml conv{&set};
    TempDir dir;

    void SetUp() override {
        set.NewHypertext();
        set.SetExpPrefix("doc");
        conv.ExpTipoExt = 0;
        conv.ExportPath = dir / "out";
    }
    THQVtesto* Page(const std::string& markup, const std::string& title = "T") {
        auto* p = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        p->SetContent(Content(markup));
        PageRecord(*p).SetTitle(title);
        PageRecord(*p).SetHeaderPage(kNoHeaderPage);
        PageRecord(*p).SetFooterPage(kNoHeaderPage);
        return p;
    }
    std::string File(const std::string& name) { return Str(ReadFileBytes(conv.ExportPath / name)); }
    std::set<std::string> Files() {
        std::set<std::string> names;
        for (auto& e : fs::recursive_directory_iterator(conv.ExportPath))
            if (e.is_regular_file()) names.insert(fs::relative(e.path(), conv.ExportPath).generic_string());
        return names;
    }
};

TEST_F(HtmlSite, NamesOfExportedFiles) {
    THQVtesto* cover = Page("<Z S0 >a");
    THQVtesto* other = Page("<Z S0 >b");
    ASSERT_EQ(set.CoverPage(), cover->Number());
    for (int i = 2; i < 26; ++i) Page("<Z S0 >");
    THQVtesto* p26 = Page("<Z S0 >");
    THQVoggetto* pic = set.AddNewObject(immagine);
    pic->SetFileName("logo.gif");
    for (int i = 0; i < 2; ++i) set.AddNewObject(immagine);
    THQVoggetto* pic3 = set.AddNewObject(immagine);
    pic3->SetStr(94, 75, "logo.gif");
    THQVoggetto* applet = set.AddNewObject(genLink);
    applet->SetFileName("Main.class");
    THQVoggetto* data = set.AddNewObject(genLink);
    data->SetFileName("dati.zip");
    struct Row {
        const THQVoggetto* o;
        int mode;
        const char* name;
    } rows[] = {
        {cover, 0, "doc_index.htm"}, {cover, 1, "doc-index.htm"},   {other, 0, "doc_000001.htm"},
        {p26, 0, "doc_00001a.htm"},  {p26, 1, "doc-00001a.htm"},    {pic3, 2, "doc_i000003.gif"},
        {applet, 2, "Main.class"},   {data, 2, "doc_g000001.zip"},
    };
    for (const Row& r : rows) EXPECT_EQ(conv.ExportNameOf(r.o, r.mode), r.name) << r.name;

    THQVtoHtml sep{&set};
    sep.ExpSepImage = true;
    sep.ExpOrigName = true;
    EXPECT_EQ(sep.ExportNameOf(pic, 2), "images/logo.gif");
    // The same stored name twice: the second gets a suffix.
    EXPECT_EQ(sep.ExportNameOf(pic3, 2), "images/logo_1.gif");
    EXPECT_EQ(sep.ExportNameOf(cover, 0), "doc_index.html");
}

TEST_F(HtmlSite, PageFileHeadScriptsAndMarker) {
    THQVoggetto* k[3];
    const char* words[3] = {"a", "b", "c"};
    for (int i = 0; i < 3; ++i) {
        k[i] = set.AddNewObject(keyword);
        k[i]->SetName(words[i]);
    }
    THQVtesto* page = Page("<Z S0 >x", "Tom & \"Jerry\" <b>");
    for (int i = 0; i < 3; ++i) PageRecord(*page).SetKeyword(i, k[i]->Number());
    HtmlPageLists lists;
    std::string out;
    conv.WritePageFile(*page, out, lists, kNameMain);
    EXPECT_EQ(out.substr(0, out.find("<BODY")),
              "<HTML><HEAD>\r\n<TITLE>Tom &amp; \"Jerry\" &lt;b&gt;\r\n</TITLE>\r\n"
              "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\">\r\n"
              "<META NAME=\"keywords\" CONTENT=\"a,b,c,\">\r\n"
              "<!--pageoVik=\"0;\"-->\r\n"
              "<META NAME=\"author\" CONTENT=\"" + html::AttributeText(set.Authors()) + "\">\r\n"
              "<META NAME=\"generator\" CONTENT=\"Ovik 3.0\">\r\n"
              "<LINK REL=STYLESHEET HREF=\"doc_style.css\" TYPE=\"text/css\">\r\n</HEAD>\r\n");
    EXPECT_EQ(out.find("<SCRIPT>"), std::string::npos);
    EXPECT_EQ(out.substr(out.size() - 18), "\r\n</BODY></HTML>\r\n");

    // One rollover: browser detection and rollover blocks, a preload script after the body.
    THQVoggetto* pic = set.AddNewObject(immagine);
    pic->SetFileName("a.gif");
    THQVoggetto* over = set.AddNewObject(immagine);
    over->SetFileName("b.gif");
    THQVoggetto* placed = testing::PlacedPicture(set, pic->Number());
    placed->SetI32(9, over->Number());
    page->SetContent(Content("<Z S0 >" + Tag(placed->Id())));
    out.clear();
    conv.WritePageFile(*page, out, lists, kNameMain);
    const size_t head = out.find("<SCRIPT>\r\n<!--//\r\n\r\nOvikC_bname");
    ASSERT_NE(head, std::string::npos) << out;
    EXPECT_LT(head, out.find("function OvikF_over"));
    EXPECT_EQ(out.find("function OvikF_open"), std::string::npos);
    EXPECT_NE(out.find("</DIV>\r\n\r\n<SCRIPT>\r\n<!--//\r\n  if (OvikC_SensOk == 'true')\r\n  {\r\n  OvikP_0= new "
                       "Image();\r\n  OvikP_0.src=\"doc_i000001.gif\";\r\n  }\r\n//-->\r\n</SCRIPT>\r\n\r\n</BODY>"),
              std::string::npos)
        << out;
    // Another page file of the same run with the same rollover preloads it too.
    THQVtesto* second = Page("<Z S0 >" + Tag(placed->Id()));
    out.clear();
    conv.WritePageFile(*second, out, lists, kNameMain);
    EXPECT_NE(out.find("OvikP_0.src=\"doc_i000001.gif\";"), std::string::npos) << out;
}

TEST_F(HtmlSite, HeaderAndFooterPages) {
    THQVtesto* page = Page("<Z S0 >own");
    THQVtesto* header = Page("<Z S0 >head");
    THQVtesto* footer = Page("<Z S0 >foot");
    PageRecord(*page).SetHeaderPage(header->Number());
    PageRecord(*page).SetFooterPage(footer->Number());
    HtmlPageLists lists;
    std::string out;
    conv.WritePageFile(*page, out, lists, kNameMain);
    size_t first = out.find("<BODY");
    EXPECT_EQ(out.find("<BODY", first + 1), std::string::npos);
    const size_t h = out.find("head"), o = out.find("own"), f = out.find("foot");
    EXPECT_LT(first, h);
    EXPECT_LT(h, o);
    EXPECT_LT(o, f);
}

TEST_F(HtmlSite, StyleSheet) {
    const std::string css = conv.StyleSheetText();
    EXPECT_EQ(css.substr(0, 26), "/* Ovik automatic CSS */\r\n");
    EXPECT_NE(css.find("/* [nessuno stile] */\r\nDIV.s0 {\r\n\tfont-family:\"Times New Roman\";\r\n\tfont-size:12pt;\r\n"
                       "\tcolor:#000000;\r\n\tmargin-left:3mm;\r\n\tmargin-right:3mm;\r\n\tmargin-top:0mm;\r\n"
                       "\tmargin-bottom:0mm;\r\n\ttext-indent:0mm;\r\n\ttext-align:left;\r\n"
                       "\tlist-style-type:none;\t}\r\nA.s0 {\r\n\tcolor:#0000FF;\r\n\t}\r\n"),
              std::string::npos)
        << css;
}

TEST_F(HtmlSite, RunWithSecondaryPagesCopiesAndRedirect) {
    THQVtesto* cover = Page("<Z S0 >c");
    THQVtesto* second = Page("<Z S0 >s");
    THQVoggetto* s = set.AddNewObject(speclink);
    links::SpecialLink l{*s};
    l.SetSubtype(1);
    l.SetAction(3);
    l.SetDisplayMode(0);
    l.SetTarget(second->Id());
    l.SetAnchor(-1);
    THQVoggetto* pic = set.AddNewObject(immagine);
    pic->SetFileName("p.gif");
    pic->SetContent(Bytes{'G', 'I', 'F', '8', '9', 'a'});
    THQVoggetto* placed = testing::PlacedPicture(set, pic->Number());
    cover->SetContent(Content("<Z S0 >" + Tag(s->Id()) + "go<%>" + Tag(placed->Id())));
    PageRecord(*cover).SetExtraHtmlName("benvenuto.htm");
    std::vector<std::string> progress;
    conv.OnExpProgress = [&](THQVconv&, int32_t pag, int32_t tot, int32_t phase) {
        progress.push_back(std::to_string(phase) + ":" + std::to_string(pag) + "/" + std::to_string(tot));
    };
    // Ticked and reached by a new-window link: written as a main and as a secondary page.
    ASSERT_TRUE(conv.ExportSite({cover->Number(), second->Number()})) << conv.LastError;
    EXPECT_EQ(Files(), (std::set<std::string>{"doc_style.css", "doc_index.htm", "doc_000001.htm", "doc-000001.htm",
                                              "benvenuto.htm", "doc_i000000.gif"}));
    EXPECT_EQ(progress, (std::vector<std::string>{"1:0/2", "1:1/2", "2:0/1", "3:0/1"}));
    EXPECT_EQ(Str(ReadFileBytes(conv.ExportPath / "doc_i000000.gif")), "GIF89a");
    const std::string redirect = File("benvenuto.htm");
    EXPECT_NE(redirect.find("<META HTTP-EQUIV=\"refresh\" CONTENT=\"0;URL=doc_index.htm\">"), std::string::npos);
    EXPECT_NE(redirect.find("<A HREF=\"doc_index.htm\">Loading...</A>"), std::string::npos);
    EXPECT_EQ(THQVtoHtml::ReadPageMarker(conv.ExportPath / "doc-000001.htm").page, 1);

    // Pictures in their own folder, referred to with it.
    conv.ExpSepImage = true;
    ASSERT_TRUE(conv.ExportPages({cover->Number()})) << conv.LastError;
    EXPECT_TRUE(fs::exists(conv.ExportPath / "images" / "doc_i000000.gif"));
    EXPECT_NE(File("doc_index.htm").find("<IMG SRC=\"images/doc_i000000.gif\""), std::string::npos);
}

// A page that hosts a frame layout is written as its frame set, with its own
// content in NOFRAME; each frame's page becomes a secondary page.
TEST_F(HtmlSite, APageWithAFrameLayoutIsItsFrameSet) {
    THQVtesto* cover = Page("<Z S0 >senza cornici");
    THQVtesto* left = Page("<Z S0 >sinistra");
    THQVtesto* right = Page("<Z S0 >destra");
    Bytes records;
    FrameRecord root;
    root.id = 1;
    root.spacing = 2;
    root.Write(records);
    for (THQVtesto* p : {left, right}) {
        FrameRecord f;
        f.id = int32_t(p->Number()) + 10;
        f.parentId = 1;
        f.title = p == left ? "menu" : "testo";
        f.arrangement = p == left ? 1 : 5;
        f.percentage = p == left ? 25 : 75;
        f.page = p->Number();
        f.Write(records);
    }
    FrameTree tree;
    ASSERT_TRUE(tree.ReadRecords(records, kFrameRecordSize));
    ASSERT_TRUE(SetPageLayout(set, cover->Number(), tree));
    ASSERT_TRUE(conv.ExportSite({cover->Number()})) << conv.LastError;
    EXPECT_EQ(Files(), (std::set<std::string>{"doc_style.css", "doc_index.htm", "doc-000001.htm", "doc-000002.htm"}));
    const std::string index = File("doc_index.htm");
    EXPECT_NE(index.find("<FRAMESET COLS=25%,75% BORDER=2 FRAMESPACING=2 >\r\n"
                         "\r<FRAME NAME=\"menu\" SRC=\"doc-000001.htm\" SCROLLING=auto NORESIZE>\r\n"
                         "\r<FRAME NAME=\"testo\" SRC=\"doc-000002.htm\" SCROLLING=auto NORESIZE>\r\n"
                         "</FRAMESET>\r\n\r\n<NOFRAME>\r\n<BODY"),
              std::string::npos)
        << index;
    EXPECT_NE(index.find("senza cornici"), std::string::npos);
    EXPECT_NE(index.find("</NOFRAME>\r\n</BODY></HTML>"), std::string::npos);
    EXPECT_NE(File("doc-000002.htm").find("destra"), std::string::npos);
}

TEST_F(HtmlSite, PageMarkers) {
    struct Row {
        const char* text;
        int32_t page;
        const char* file;
    } rows[] = {
        {"<HTML>\r\n<!--pageoVik=\"12;c:\\doc\\a.hqv\"-->\r\n", 12, "c:\\doc\\a.hqv"},
        {"<!--pageoVik=\"7;a.txt\"-->\r\n", 7, ""},
        {"<!--pageoVik=\"x;a.HQV\"-->\r\n", 0, "a.HQV"},
        {"<HTML>\r\n", 0, ""},
        // Inside a longer line the marker is misread.
        {"<HEAD><!--pageoVik=\"3;b.hqv\"-->\r\n", 0, "b.hqv"},
    };
    for (const Row& r : rows) {
        WriteFileBytes(dir / "m.htm", Bytes(r.text, r.text + std::strlen(r.text)));
        PageMarker m = THQVtoHtml::ReadPageMarker(dir / "m.htm");
        EXPECT_EQ(m.page, r.page) << r.text;
        EXPECT_EQ(m.hypertext, r.file) << r.text;
    }
}

TEST_F(HtmlSite, HostileNamesStayInsideTheFolder) {
    set.SetExpPrefix("../../x");
    conv.ExpOrigName = true;
    const char* stored[] = {"../../x.gif", "/etc/passwd", "a\\b.gif", "con", "..", ""};
    std::string markup = "<Z S0 >";
    for (const char* name : stored) {
        THQVoggetto* pic = set.AddNewObject(immagine);
        pic->SetFileName(name);
        pic->SetContent(Bytes{'x'});
        markup += Tag(testing::PlacedPicture(set, pic->Number())->Id());
    }
    THQVoggetto* longName = set.AddNewObject(immagine);
    longName->SetStr(94, 75, std::string(75, 'n'));
    longName->SetContent(Bytes{'x'});
    markup += Tag(testing::PlacedPicture(set, longName->Number())->Id());
    THQVtesto* page = Page(markup);
    PageRecord(*page).SetExtraHtmlName("../../../evil.htm");
    THQVtesto* other = Page("<Z S0 >");
    PageRecord(*other).SetExtraHtmlName("/etc/passwd");
    fs::create_directories(conv.ExportPath);
    ASSERT_TRUE(conv.ExportSite({page->Number(), other->Number()})) << conv.LastError;
    // Only OUTDIR was made beside the test's files.
    std::set<std::string> top;
    for (auto& e : fs::directory_iterator(dir.path())) top.insert(e.path().filename().string());
    EXPECT_EQ(top, std::set<std::string>{"out"});
    const std::set<std::string> files = Files();
    for (const std::string& f : files) EXPECT_EQ(f.find('/'), std::string::npos) << f;
    EXPECT_TRUE(files.count("x_index.htm"));
    EXPECT_TRUE(files.count("evil.htm"));
    EXPECT_TRUE(files.count("passwd"));
    EXPECT_TRUE(files.count("x.gif"));
    EXPECT_TRUE(files.count("b.gif"));
    EXPECT_TRUE(files.count("con"));
    // "/etc/passwd" as a picture name and as a redirect name: two files.
    EXPECT_TRUE(files.count("passwd_1"));
}

// Pages are made on worker threads, but every file comes out as a single
// thread writes it: names are given out in page order, also when a stored
// name meets a page's file or another stored name and needs a suffix.
TEST_F(HtmlSite, PagesMadeInParallelComeOutAsMadeOneByOne) {
    conv.ExpOrigName = true;
    const char* stored[] = {"doc_000004.htm", "a.gif", "doc-000002.htm", "x.gif", "y.gif"};
    std::vector<THQVoggetto*> placed;
    for (const char* name : stored) {
        THQVoggetto* pic = set.AddNewObject(immagine);
        pic->SetFileName(name);
        pic->SetContent(Bytes{'G', 'I', 'F', uint8_t('0' + pic->Number())});
        placed.push_back(testing::PlacedPicture(set, pic->Number()));
    }
    std::vector<int32_t> pages;
    std::vector<std::string> markups;
    for (int i = 0; i < 24; ++i) {
        // Each page places the pictures in its own order and opens the next page in a new window.
        std::string markup = "<Z S0 >page " + std::to_string(i);
        for (size_t k = 0; k < placed.size(); ++k) markup += Tag(placed[(size_t(i) * 3 + k) % placed.size()]->Id());
        markups.push_back(markup);
        pages.push_back(Page("<Z S0 >")->Number());
    }
    for (int i = 0; i < 24; ++i) {
        THQVoggetto* s = set.AddNewObject(speclink);
        links::SpecialLink l{*s};
        l.SetSubtype(1);
        l.SetAction(3);
        l.SetDisplayMode(0);
        l.SetTarget(set.Page(pages[size_t((i + 1) % 24)])->Id());
        l.SetAnchor(-1);
        set.Page(pages[size_t(i)])->SetContent(Content(markups[size_t(i)] + Tag(s->Id()) + "next<%>"));
    }
    auto exportWith = [&](int workers, const fs::path& out) {
        conv.Workers = workers;
        conv.ExportPath = out;
        EXPECT_TRUE(conv.ExportSite(pages)) << conv.LastError;
        std::map<std::string, std::string> files;
        for (auto& e : fs::recursive_directory_iterator(out))
            if (e.is_regular_file()) files[fs::relative(e.path(), out).generic_string()] = Str(ReadFileBytes(e.path()));
        return files;
    };
    for (bool html5 : {false, true}) {
        conv.Html5 = html5;
        const std::string run = html5 ? "html5-" : "";
        const auto alone = exportWith(0, dir / (run + "alone"));
        EXPECT_TRUE(alone.count("doc_000004_1.htm"));  // the picture, beside the page's own file
        EXPECT_TRUE(alone.count("doc-000002_1.htm"));
        EXPECT_EQ(alone.size(), 1 + 24 + 24 + 5u);
        for (int workers : {1, 2, 5}) {
            const auto parallel = exportWith(workers, dir / (run + std::to_string(workers)));
            EXPECT_EQ(parallel, alone) << workers << " workers" << (html5 ? ", HTML5" : "");
        }
    }
}

TEST_F(HtmlSite, WriteFailureStopsTheRun) {
    Page("<Z S0 >a");
    WriteFileBytes(dir / "file", Bytes{'x'});
    conv.ExportPath = dir / "file" / "sub";
    EXPECT_FALSE(conv.ExportPages({0}));
    EXPECT_FALSE(conv.LastError.empty());
}

TEST_F(HtmlSite, APageFileThatCannotBeWrittenStopsTheRunThere) {
    for (int i = 0; i < 40; ++i) Page("<Z S0 >pagina " + std::to_string(i));
    // A folder where page 9's file goes: it is refused, not replaced.
    fs::create_directories(conv.ExportPath / "doc_000009.htm" / "x");
    std::vector<int32_t> pages;
    for (int32_t i = 0; i < 40; ++i) pages.push_back(i);
    for (bool html5 : {false, true}) {
        conv.Html5 = html5;
        EXPECT_FALSE(conv.ExportSite(pages));
        EXPECT_NE(conv.LastError.find("doc_000009.htm"), std::string::npos) << conv.LastError;
        const std::set<std::string> files = Files();
        EXPECT_TRUE(files.count("doc_000008.htm"));
        // The pages before it are written whole, nothing after it, and no temporary file is left.
        EXPECT_FALSE(files.count("doc_00000a.htm"));
        for (const std::string& f : files) EXPECT_EQ(f.find("doc_00000a"), std::string::npos) << f;
        EXPECT_EQ(files.size(), 10u) << "style sheet and pages 0 to 8";
        fs::remove_all(conv.ExportPath / "doc_000008.htm");
    }
}

TEST_F(HtmlSite, Options) {
    platform::InMemorySettings store;
    conv.LoadOptions(store);
    EXPECT_TRUE(conv.AutoAlt);
    EXPECT_EQ(conv.ExpTipoExt, 0);
    EXPECT_FALSE(conv.ExpOrigName);
    conv.ExpOrigName = true;
    conv.ExpTipoExt = 1;
    conv.AutoAlt = false;
    conv.SaveOptions(store);
    EXPECT_EQ(store.ReadOr("htmlexp", "expAlt", ""), "0");
    THQVtoHtml again{&set};
    again.LoadOptions(store);
    EXPECT_TRUE(again.ExpOrigName);
    EXPECT_EQ(again.ExpTipoExt, 1);
    EXPECT_FALSE(again.AutoAlt);
}

TEST_F(HtmlSite, BrowserPreview) {
    THQVtesto* cover = Page("<Z S0 >c");
    THQVtesto* other = Page("<Z S0 >o");
    Page("<Z S0 >x");
    fs::path file = conv.ExportPreview(other->Number(), false);
    EXPECT_EQ(file, conv.ExportPath / "doc_000001.htm");
    EXPECT_EQ(Files(), (std::set<std::string>{"doc_style.css", "doc_000001.htm"}));
    fs::remove_all(conv.ExportPath);
    // The whole hypertext; a page that is not there starts at the cover page.
    file = conv.ExportPreview(99, true);
    EXPECT_EQ(file, conv.ExportPath / "doc_index.htm");
    EXPECT_EQ(Files().size(), 4u);
    (void)cover;
}

}  // namespace
}  // namespace ovik
