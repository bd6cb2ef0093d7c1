// HTML export of page content: exact output for small pages.
#include <gtest/gtest.h>

#include "convert/hqv_to_html.h"
#include "document/hqv_set.h"
#include "document/style_record.h"
#include "links/link_objects.h"
#include "page/page_record.h"
#include "platform/messages.h"
#include "support/page_text.h"

namespace ovik {
namespace {

using testing::Content;
using testing::Tag;

struct HtmlContent : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    THQVtoHtml conv{&set};

    void SetUp() override {
        set.NewHypertext();
        set.SetExpPrefix("doc");
        conv.ExpTipoExt = 0;
    }
    THQVtesto* Page(const std::string& markup) {
        auto* p = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        p->SetContent(Content(markup));
        return p;
    }
    // The content of a page as WriteBody writes it (mode 0: content only).
    std::string Body(THQVtesto* p, int mode = 0) {
        HtmlPageLists lists;
        std::string out;
        conv.WriteBody(out, mode, lists, p, kNameMain);
        lastLists = std::move(lists);
        return out;
    }
    std::string Body(const std::string& markup) { return Body(Page(markup)); }
    HtmlPageLists lastLists;
};

TEST_F(HtmlContent, ParagraphsRunsAndLists) {
    THQVoggetto* style3 = set.AddNewObject(stileParagrafo);
    SetStyleDefaults(*style3);
    style3->SetName("tre");
    ASSERT_EQ(style3->Number(), 2);
    struct Row {
        const char* name;
        std::string markup;
        std::string html;
    } rows[] = {
        {"plain style-0 paragraph", "<Z S0 >abc", "<DIV class=s0 >\r\nabc&nbsp;</DIV>\r\n"},
        {"three spaces", "<Z S0 >a   b", "<DIV class=s0 >\r\na &nbsp;&nbsp;b&nbsp;</DIV>\r\n"},
        {"13 points", "<Z S0 >a<Y s13 >b",
         "<DIV class=s0 >\r\na<FONT style='font-size:13pt;' SIZE=+1>b&nbsp;</FONT></DIV>\r\n"},
        {"12 points coloured", "<Z S0 >a<Y c0000FF >b",
         "<DIV class=s0 >\r\na<FONT style='color:#0000FF;' COLOR=#0000FF>b&nbsp;</FONT></DIV>\r\n"},
        {"larger than 34 points", "<Z S0 ><Y s40 >b",
         "<DIV class=s0 >\r\n<FONT style='font-size:40pt;' SIZE=+4>b&nbsp;</FONT></DIV>\r\n"},
        {"bold run", "<Z S0 >a<Y g1 >b<Y >c", "<DIV class=s0 >\r\na<B>b</B>c&nbsp;</DIV>\r\n"},
        {"escapes and 175", "<Z S0 >&lt;&amp;&hibar;\xAF\xE8",
         "<DIV class=s0 >\r\n&lt;&amp;&macr;&macr;&egrave;&nbsp;</DIV>\r\n"},
        {"right aligned style 2", "<Z S2 A1 >x",
         "<DIV ALIGN=right class=s2  style='text-align: right;'>\r\nx&nbsp;</DIV>\r\n"},
        {"decimal and bullet lists",
         "<Z S0 N6 >a<Z S0 N6 >b<Z S0 N6 >c<Z S0 N10 >d<Z S0 N6 >e",
         "<DIV class=s0  style='list-style-type:decimal;'>\r\n<!lisnum>1. <!/lisnum>a&nbsp;</LI></DIV>\r\n"
         "<DIV class=s0  style='list-style-type:decimal;'>\r\n<!lisnum>2. <!/lisnum>b&nbsp;</LI></DIV>\r\n"
         "<DIV class=s0  style='list-style-type:decimal;'>\r\n<!lisnum>3. <!/lisnum>c&nbsp;</LI></DIV>\r\n"
         "<DIV class=s0  style='list-style-type:disc;'>\r\n<LI>d&nbsp;</LI></DIV>\r\n"
         "<DIV class=s0  style='list-style-type:decimal;'>\r\n<!lisnum>1. <!/lisnum>e&nbsp;</LI></DIV>\r\n"},
        {"margins in the paragraph's unit", "<Z S0 M5 l20 >x",
         "<DIV class=s0  style='margin-left: 20px;'>\r\nx&nbsp;</DIV>\r\n"},
    };
    for (const Row& r : rows) EXPECT_EQ(Body(r.markup), r.html) << r.name;
}

TEST_F(HtmlContent, AlignmentInBothCssModes) {
    THQVtesto* p = Page("<Z S0 A2 >x");
    EXPECT_EQ(Body(p), "<DIV ALIGN=center class=s0  style='text-align: center;'>\r\nx&nbsp;</DIV>\r\n");
    conv.ExpCSS = ecEmulateFF;
    EXPECT_EQ(Body(p), "<DIV ALIGN=center class=s0 >\r\nx&nbsp;</DIV>\r\n");
}

TEST_F(HtmlContent, EmptyPageInModeOneAndBodyTag) {
    auto* p = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
    p->ClearContent();
    PageRecord r(*p);
    r.SetTextColour(0x000000);
    r.SetLinkColour(0xFF0000);
    r.SetVisitedColour(0x0000FF);
    r.SetBackgroundColour(0xFFFFFF);
    EXPECT_EQ(Body(p, 1),
              "<BODY TEXT=#000000 LINK=#0000FF VLINK=#FF0000 BGCOLOR=#FFFFFF >\r\n<BASE TARGET=\"_top\">\r\n"
              "&nbsp;</DIV>\r\n");
}

TEST_F(HtmlContent, LinksAnchorsAndMarkers) {
    THQVtesto* target = Page("<Z S0 >t");
    THQVoggetto* web = set.AddNewObject(internetLink);
    web->SetName("http://example.org/a\"b");
    THQVoggetto* anchor = set.AddNewObject(shortObj);
    anchor->SetState(14);
    anchor->SetI32(5, 3);
    THQVoggetto* comment = set.AddNewObject(shortObj);
    comment->SetState(10);
    comment->SetContent(Bytes{'a', '-', '-', 'b'});
    THQVoggetto* raw = set.AddNewObject(shortObj);
    raw->SetState(11);
    std::string extra = "<HR>!RefX:01000000!Refz";
    Bytes w(4, 0);
    w.insert(w.end(), extra.begin(), extra.end());
    raw->SetWrapper(w);
    const std::string two = Body("<Z S0 >" + Tag(target->Id()) + "one<%> and " + Tag(web->Id()) + "two<%>");
    EXPECT_EQ(two,
              "<DIV class=s0 >\r\n<A class=s0 HREF=\"doc_index.htm\"  >one</A> and "
              "<A class=s0 HREF=\"http://example.org/a%22b\"  >two</A>&nbsp;</DIV>\r\n");
    EXPECT_EQ(Body("<Z S0 >" + Tag(target->Id()) + "a" + Tag(anchor->Id()) + "b<%>"),
              "<DIV class=s0 >\r\n<A class=s0 HREF=\"doc_index.htm\"  >a</A><A NAME=\"an3\"></A>"
              "<A class=s0 HREF=\"doc_index.htm\"  >b</A>&nbsp;</DIV>\r\n");
    EXPECT_EQ(Body("<Z S0 >" + Tag(comment->Id()) + Tag(raw->Id())),
              "<DIV class=s0 >\r\n<!--a- -b--><HR>!Refz&nbsp;</DIV>\r\n");
}

TEST_F(HtmlContent, SpecialLinks) {
    THQVtesto* here = Page("<Z S0 >");
    THQVtesto* target = Page("<Z S0 >t");
    auto make = [&](uint8_t subtype, uint8_t action, uint8_t display) {
        THQVoggetto* s = set.AddNewObject(speclink);
        links::SpecialLink l{*s};
        l.SetSubtype(subtype);
        l.SetAction(action);
        l.SetDisplayMode(display);
        l.SetTarget(target->Id());
        l.SetAnchor(-1);
        l.SetWindowName("win");
        return s;
    };
    struct Row {
        THQVoggetto* link;
        std::string html;
        uint32_t scripts;
    } rows[] = {
        {make(1, 5, 1), "<A class=s0 HREF=\"doc_000001.htm\"  >x</A>", 0},
        {make(1, 0, 0), "<A class=s0 TARGET=_self HREF=\"doc-000001.htm\"  >x</A>", 0},
        {make(1, 2, 1), "<A class=s0 HREF=\"javascript:OvikF_open('doc_000001.htm','win','','Pag0');\"  >x</A>",
         kScriptOpen},
        {make(1, 3, 1), "<A class=s0 HREF=\"javascript:OvikF_openB('doc_000001.htm');\"  >x</A>", kScriptOpenSimple},
        {make(2, 0, 0), "<A class=s0 HREF=\"javascript:OvikF_close('win');\"   >x</A>", kScriptClose},
    };
    // A window without data has no features text: ",''".
    rows[2].html = "<A class=s0 HREF=\"javascript:OvikF_open('doc_000001.htm','win',''" + std::string(",'Pag0');\"  >x</A>");
    for (const Row& r : rows) {
        here->SetContent(Content("<Z S0 >" + Tag(r.link->Id()) + "x<%>"));
        EXPECT_EQ(Body(here), "<DIV class=s0 >\r\n" + r.html + "&nbsp;</DIV>\r\n") << r.html;
        EXPECT_EQ(lastLists.scriptNeeds, r.scripts) << r.html;
    }
}

TEST_F(HtmlContent, TwoByTwoTable) {
    THQVoggetto* t = set.AddNewObject(tabellaHtml);
    t->SetU8(4, 2);
    t->SetU8(55, 1);
    t->SetU8(89, 100);
    t->SetU8(90, 2);
    t->SetU8(91, 2);
    t->SetU8(92, 1);
    t->SetU8(93, 2);
    t->SetU8(94, 2);
    t->SetU8(5, 2);
    t->SetU8(6, 2);
    t->SetI32(207, -1);
    t->SetI32(81, 1);
    Bytes cells;
    for (int32_t v : {0x0000FF, -1, -1, 0x00FF00}) AppendI32(cells, v);
    t->SetContent(cells);
    const std::string html =
        Body("<Z S0 >" + Tag(t->Id()) + "<Z S1 >a<T><Z S1 >b<T><Z S1 >c<T><Z S1 >d<T><Z S0 >e");
    const std::string cell = "&nbsp;</DIV>\r\n";
    EXPECT_EQ(html,
              "<DIV class=s0 >\r\n<TABLE WIDTH=100% BORDER=1 CELLPADDING=2 CELLSPACING=2 >\r\n"
              "<TR>\r\n<TD VALIGN=\"TOP\"  BGCOLOR=#FF0000 >\r\n<DIV class=s1 >\r\na" + cell + "</TD>\r\n"
              "<TD VALIGN=\"TOP\"  >\r\n<DIV class=s1 >\r\nb" + cell + "</TD></TR>\r\n"
              "<TR>\r\n<TD VALIGN=\"TOP\"  >\r\n<DIV class=s1 >\r\nc" + cell + "</TD>\r\n"
              "<TD VALIGN=\"TOP\"  BGCOLOR=#00FF00 >\r\n<DIV class=s1 >\r\nd"
              "\r\n&nbsp;</DIV>\r\n</TD></TR></TABLE></DIV>\r\n<DIV class=s0 >\r\ne" + cell);
}

TEST_F(HtmlContent, PicturesZonesAndRollover) {
    THQVtesto* target = Page("<Z S0 >Meta");
    PageRecord(*target).SetTitle("Meta \"x\"");
    THQVoggetto* pic = set.AddNewObject(immagine);
    pic->SetFileName("logo.gif");
    THQVoggetto* over = set.AddNewObject(immagine);
    over->SetFileName("over.gif");
    THQVoggetto* placed = testing::PlacedPicture(set, pic->Number());
    placed->SetU8(13, 4);
    placed->SetStr(28, 32, "alt \"t\"");
    placed->SetI32(73, target->Id());
    placed->SetI16(73 + 8, 1);
    placed->SetI16(73 + 10, 2);
    placed->SetI16(73 + 12, 10);
    placed->SetI16(73 + 14, 20);
    THQVoggetto* second = testing::PlacedPicture(set, pic->Number());
    second->SetI32(73, target->Id());
    conv.AutoAlt = true;
    const std::string html = Body("<Z S0 >" + Tag(placed->Id()) + Tag(second->Id()));
    EXPECT_NE(html.find("<MAP NAME=ma000000 >\r\n<AREA COORDS=1,2,11,22 HREF=\"doc_index.htm\"  ALT=\"Meta \x94x\x94\" "
                        "TITLE=\"Meta \x94x\x94\">\r\n</MAP>\r\n<IMG SRC=\"doc_i000000.gif\" BORDER=0 ALIGN=MIDDLE "
                        "ALT=\"alt \x94t\x94\" USEMAP=#ma000000 WIDTH=40 HEIGHT=30  >"),
              std::string::npos)
        << html;
    // The second placement of the same picture has a MAP of its own.
    EXPECT_NE(html.find("<MAP NAME=ma000000_000001 >"), std::string::npos) << html;
    EXPECT_NE(html.find("USEMAP=#ma000000_000001"), std::string::npos);
    ASSERT_EQ(lastLists.copy.size(), 1u);

    // A rollover outside a link: an anchor to the page itself, closed after the IMG.
    THQVoggetto* roll = testing::PlacedPicture(set, pic->Number());
    roll->SetI32(9, over->Number());
    THQVtesto* page = Page("<Z S0 >" + Tag(roll->Id()));
    EXPECT_EQ(Body(page),
              "<DIV class=s0 >\r\n<A HREF=\"doc_000002.htm\"  onMouseOver=\"OvikF_over('i000000','doc_i000001.gif');\""
              " onMouseOut=\"OvikF_over('i000000','doc_i000000.gif');\" ><IMG SRC=\"doc_i000000.gif\" BORDER=0 "
              "ALIGN=BOTTOM ALT=\"\" NAME=i000000 WIDTH=40 HEIGHT=30  ></A>&nbsp;</DIV>\r\n");
    EXPECT_EQ(lastLists.scriptNeeds, uint32_t(kScriptBrowser | kScriptRollover));
    ASSERT_EQ(lastLists.rollover.size(), 1u);
}

TEST_F(HtmlContent, FormsButtonsAndMultimedia) {
    THQVoggetto* form = set.AddNewObject(inizioForm);
    form->SetState(2);
    form->SetStr(17, 255, "/cgi");
    form->SetU8(273, 0);
    THQVoggetto* edit = set.AddNewObject(inputStat);
    edit->SetState(1);
    edit->SetStr(17, 79, "nome");
    edit->SetStr(97, 79, "v");
    edit->SetU8(179, 20);
    edit->SetU8(180, 1);
    THQVoggetto* list = set.AddNewObject(inputStat);
    list->SetState(9);
    list->SetStr(17, 79, "l");
    std::string items = "Uno\r\n1\r\n\r\nDue\r\n2\r\nX\r\n";
    list->SetContent(Bytes(items.begin(), items.end()));
    THQVoggetto* button = set.AddNewObject(bottoneCGI);
    button->SetState(1);
    button->SetStr(17, 79, "");
    button->SetStr(97, 79, "Invia");
    button->SetI32(177, -1);
    button->SetI32(181, -1);
    THQVoggetto* file = set.AddNewObject(genLink);
    file->SetFileName("song.mid");
    THQVoggetto* mm = set.AddNewObject(multiMedia);
    mm->SetState(1);
    mm->SetI32(17, file->Id());
    mm->SetI32(21, -1);
    mm->SetU8(25, 1);
    mm->SetI16(27, -1);
    const std::string html = Body("<Z S0 >x<Z S0 >" + Tag(form->Id()) + Tag(edit->Id()) + Tag(list->Id()) +
                                  Tag(button->Id()) + Tag(mm->Id()));
    EXPECT_EQ(html,
              "<DIV class=s0 >\r\nx&nbsp;</DIV>\r\n"
              "<FORM TARGET=_top METHOD=POST ACTION=\"/cgi\" >\r\n<DIV class=s0 >\r\n"
              "<INPUT NAME=\"nome\" VALUE=\"v\" SIZE=20 >\r\n"
              "<SELECT NAME=\"l\"   ><OPTION VALUE=\"1\" >Uno\r\n<OPTION VALUE=\"2\" SELECTED >Due\r\n</SELECT>"
              "<INPUT TYPE=submit VALUE=\"Invia\"  >\r\n"
              "<EMBED SRC=\"doc_g000000.mid\" AUTOSTART=true HIDDEN=true LOOP=true>\r\n</EMBED>\r\n&nbsp;</DIV>\r\n");
    ASSERT_EQ(lastLists.copy.size(), 1u);
    EXPECT_EQ(lastLists.copy[0], file);
}

TEST_F(HtmlContent, TextRules) {
    EXPECT_EQ(html::AttributeText("a\"b'c<d>e#f$g%h&i\x01j"), "a\x94" "b\x92" "c d e f g h i j");
    EXPECT_EQ(html::CharText("<a & b>\xA0\xFC\x01"), "&lt;a &amp; b&gt;&nbsp;\xFC");
    EXPECT_EQ(html::ColourText(0x0000FF), "FF0000");
    struct Row {
        const char* in;
        const char* out;
    } names[] = {
        {"../../x", "x"},           {"/etc/passwd", "passwd"}, {"a\\b", "b"},
        {"con", "con"},             {"..", ""},                {".hidden", "hidden"},
        {"c:\\dir\\my file.gif", "my_file.gif"}, {"a#b?c.htm", "a_b_c.htm"},
    };
    for (const Row& r : names) EXPECT_EQ(html::PlainFileName(r.in), r.out) << r.in;
    EXPECT_EQ(html::PlainFileName(std::string(300, 'a') + ".htm").size(), 96u);
}

}  // namespace
}  // namespace ovik
