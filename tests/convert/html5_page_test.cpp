// The HTML5 form of exported pages: what each faithful construct becomes, the
// head, frame sets, forms and pictures with zones inside links, and a whole
// exported site that names the same files as the faithful one.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "convert/html5_page.h"
#include "convert/hqv_to_html.h"
#include "document/hqv_set.h"
#include "page/page_record.h"
#include "platform/messages.h"
#include "support/hqv_builder.h"
#include "support/page_text.h"

namespace ovik {
namespace {

namespace fs = std::filesystem;

std::string Page(const std::string& head, const std::string& body,
                 const std::string& bodyTag = "<BODY TEXT=#000000 LINK=#0000FF VLINK=#FF0000 BGCOLOR=#C0C0C0 >") {
    return "<HTML><HEAD>\r\n<TITLE>t\r\n</TITLE>\r\n"
           "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\">\r\n" +
           head + "</HEAD>\r\n" + bodyTag + "\r\n<BASE TARGET=\"_top\">\r\n" + body + "\r\n</BODY></HTML>\r\n";
}

// The body of an HTML5 page, between its body tag and "</body>".
std::string Body(const std::string& html5) {
    size_t b = html5.find("<body");
    b = html5.find('>', b) + 1;
    return html5.substr(b, html5.find("</body>") - b);
}

TEST(Html5Page, HeadGetsTheCharsetViewportBaseAndLinkColours) {
    const std::string out = Html5Page(Page("<!--pageoVik=\"0;a.hqv\"-->\r\n<META NAME=\"keywords\" CONTENT=\"gatti,\">\r\n"
                                           "<META HTTP-EQUIV=\"refresh\" CONTENT=\"30;URL=a_000001.htm\">\r\n"
                                           "<LINK REL=STYLESHEET HREF=\"a_style.css\" TYPE=\"text/css\">\r\n",
                                           "x"));
    EXPECT_EQ(out.rfind("<!DOCTYPE html>\r\n<html><head>\r\n<meta charset=\"utf-8\">\r\n"
                        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">",
                        0),
              0u)
        << out;
    EXPECT_EQ(out.find("windows-1252"), std::string::npos) << "the page is UTF-8 now";
    EXPECT_NE(out.find("<!--pageoVik=\"0;a.hqv\"-->"), std::string::npos);
    EXPECT_NE(out.find("<meta name=\"keywords\" content=\"gatti,\">"), std::string::npos);
    EXPECT_NE(out.find("<meta http-equiv=\"refresh\" content=\"30; URL=a_000001.htm\">"), std::string::npos);
    EXPECT_NE(out.find("<link rel=\"STYLESHEET\" href=\"a_style.css\">"), std::string::npos);
    // BASE and the link colours move into the head; the body keeps its colours as a style.
    const size_t headEnd = out.find("</head>");
    EXPECT_LT(out.find("<base target=\"_top\">"), headEnd);
    EXPECT_LT(out.find("<style>a:link{color:#0000FF}a:visited{color:#FF0000}</style>"), headEnd);
    EXPECT_NE(out.find("<body style=\"color:#000000;background-color:#C0C0C0\">"), std::string::npos);
    EXPECT_EQ(out.find("<BASE"), std::string::npos);
}

TEST(Html5Page, BodyConstructs) {
    struct Case {
        const char* name;
        std::string faithful, html5;
    };
    const std::vector<Case> cases = {
        {"paragraph with alignment and style", "<DIV ALIGN=center class=s0  style='margin-top: 2mm;'>\r\na&nbsp;</DIV>",
         "<div class=\"s0\" style=\"text-align:center;margin-top: 2mm;\">\r\na&nbsp;</div>"},
        {"FONT with CSS becomes a span",
         "<DIV class=s0 >\r\n<FONT style='color:#800000;font-family:\"Arial\";' COLOR=#800000 FACE=\"Arial\"><B>x</B></FONT></DIV>",
         "<div class=\"s0\">\r\n<span style=\"color:#800000;font-family:&quot;Arial&quot;;\"><b>x</b></span></div>"},
        {"FONT without CSS", "<FONT SIZE=+1 COLOR=#112233 FACE=\"Courier New\">x</FONT>",
         "<span style=\"color:#112233;font-family:'Courier New';font-size:large\">x</span>"},
        {"bullet item", "<DIV class=s0  style='list-style-type:disc;margin-left: 8mm;'>\r\n<LI>uno&nbsp;</LI></DIV>",
         "<div class=\"s0\" style=\"display:list-item;list-style-type:disc;margin-left: 8mm;\">\r\nuno&nbsp;</div>"},
        {"bullet item of a plain paragraph", "<DIV class=s0 >\r\n<LI>uno</LI></DIV>",
         "<div class=\"s0\" style=\"display:list-item\">\r\nuno</div>"},
        {"list number marks", "<!lisnum>1. <!/lisnum>uno", "1. uno"},
        {"anchor", "<A NAME=\"an3\"></A>", "<a id=\"an3\"></a>"},
        {"the same anchor twice: one id", "<A NAME=\"an3\"></A>x<A NAME=\"an3\"></A>", "<a id=\"an3\"></a>x<a></a>"},
        {"link", "<A class=s0 TARGET=_self HREF=\"a-000002.htm#an3\"  >x</A>",
         "<a class=\"s0\" target=\"_self\" href=\"a-000002.htm#an3\">x</a>"},
        {"picture", "<IMG SRC=\"a_i000000.gif\" BORDER=0 ALIGN=MIDDLE ALT=\"\" WIDTH=40 HEIGHT=30  >",
         "<img src=\"a_i000000.gif\" width=\"40\" height=\"30\" alt=\"\" style=\"border:0px solid;vertical-align:middle\">"},
        {"area without alt", "<MAP NAME=ma000000 >\r\n<AREA COORDS=2,1,8,6 HREF=\"a_000002.htm\"  >\r\n</MAP>",
         "<map name=\"ma000000\">\r\n<area coords=\"2,1,8,6\" href=\"a_000002.htm\" alt=\"collegamento\">\r\n</map>"},
        {"table", "<TABLE WIDTH=100% BORDER=2 CELLPADDING=1 CELLSPACING=2 >\r\n<TR>\r\n<TD WIDTH=50% VALIGN=\"TOP\"  BGCOLOR=#FF0000 >a</TD></TR></TABLE>",
         "<table style=\"width:100%;border:2px outset;border-spacing:2px\">\r\n<tr>\r\n"
         "<td style=\"width:50%;vertical-align:top;background-color:#FF0000;padding:1px;border:1px inset\">a</td></tr></table>"},
        {"characters of Windows-1252 become UTF-8", "caf\xE9 \x80 &egrave;", "caf\xC3\xA9 \xE2\x82\xAC &egrave;"},
        {"script content stays as it is", "<SCRIPT LANGUAGE=\"JavaScript\">if (a<b) x='<B>';</SCRIPT>",
         "<script>if (a<b) x='<B>';</script>"},
        {"a stray less-than sign", "a < b", "a &lt; b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Body(Html5Page(Page("", c.faithful))), "\r\n\r\n" + c.html5 + "\r\n");
    }
}

TEST(Html5Page, FormsAreClosedWhereTheyStartAndTheirElementsNameThem) {
    const std::string body = Body(Html5Page(Page("", "<DIV class=s0 >\r\n<FORM ACTION=\"mailto:a@b.it\" METHOD=POST>"
                                                     "<INPUT TYPE=text NAME=\"n\" SIZE=20></DIV>\r\n<DIV class=s0 >\r\n"
                                                     "<INPUT TYPE=image SRC=\"a_i000001.gif\" VALUE=\"Invia\" BORDER=0>"
                                                     "<SELECT NAME=\"s\"><OPTION VALUE=\"1\" SELECTED>uno</SELECT></DIV>")));
    EXPECT_NE(body.find("<form action=\"mailto:a@b.it\" method=\"POST\" id=\"ovikform1\"></form>"), std::string::npos)
        << body;
    EXPECT_NE(body.find("<input type=\"text\" name=\"n\" size=\"20\" form=\"ovikform1\">"), std::string::npos);
    // A picture button has no value in HTML5 but needs an alternative text.
    EXPECT_NE(body.find("<input type=\"image\" src=\"a_i000001.gif\" alt=\"Invia\" form=\"ovikform1\" style=\"border:0px solid\">"),
              std::string::npos)
        << body;
    EXPECT_NE(body.find("<select name=\"s\" form=\"ovikform1\">"), std::string::npos);
}

TEST(Html5Page, APictureWithZonesInsideALinkGivesTheLinkToTheRestOfThePicture) {
    const std::string body = Body(Html5Page(Page(
        "", "<MAP NAME=ma000000 >\r\n<AREA COORDS=10,10,35,50 HREF=\"a_00001e.htm\" ALT=\"P\" TITLE=\"P\">\r\n</MAP>\r\n"
            "<A HREF=\"a-000002.htm\"  onMouseOver=\"OvikF_over('i0','a_i000003.gif');\" ><IMG SRC=\"a_i000000.gif\" "
            "ALT=\"F\" NAME=i0 USEMAP=#ma000000 WIDTH=120 HEIGHT=90  ></A> dopo")));
    EXPECT_EQ(body, "\r\n\r\n<map name=\"ma000000\">\r\n<area coords=\"10,10,35,50\" href=\"a_00001e.htm\" title=\"P\" "
                    "alt=\"P\">\r\n<area shape=\"default\" href=\"a-000002.htm\" alt=\"collegamento\"></map>\r\n"
                    "<img src=\"a_i000000.gif\" usemap=\"#ma000000\" width=\"120\" height=\"90\" alt=\"F\" id=\"i0\" "
                    "onmouseover=\"OvikF_over('i0','a_i000003.gif');\"> dopo\r\n");
}

TEST(Html5Page, FrameSetsBecomeFlexibleBoxesOfInlineFrames) {
    const std::string faithful =
        "<HTML><HEAD>\r\n<TITLE>t\r\n</TITLE>\r\n</HEAD>\r\n"
        "<FRAMESET COLS=180,* BORDER=3 FRAMESPACING=3 >\r\n"
        "\r<FRAME NAME=\"menu\" SRC=\"a-000001.htm\" SCROLLING=auto NORESIZE>\r\n"
        "<FRAMESET ROWS=40%,* BORDER=3 FRAMESPACING=3 >\r\n"
        "\r<FRAME NAME=\"sopra\" SRC=\"a-000002.htm\" SCROLLING=auto FRAMEBORDER=no NORESIZE>\r\n"
        "\r<FRAME NAME=\"sotto\" SRC=\"a-000003.htm\" SCROLLING=auto NORESIZE>\r\n"
        "</FRAMESET>\r\n</FRAMESET>\r\n\r\n<NOFRAME>\r\n<BODY TEXT=#000000 BGCOLOR=#FFFFFF >\r\nsenza cornici\r\n</NOFRAME>\r\n"
        "</BODY></HTML>\r\n";
    const std::string out = Html5Page(faithful);
    EXPECT_EQ(Body(out),
              "<div style=\"display:flex;flex-direction:row;width:100%;height:100vh\">\r\n"
              "\r<iframe name=\"menu\" src=\"a-000001.htm\" style=\"flex:0 0 180px;min-width:0;min-height:0;border:1px solid "
              "#808080;width:100%;height:100%;box-sizing:border-box\"></iframe>\r\n"
              "<div style=\"flex:1 1 0;min-width:0;min-height:0;display:flex;flex-direction:column;width:100%;height:100%\">\r\n"
              "\r<iframe name=\"sopra\" src=\"a-000002.htm\" style=\"flex:0 0 40%;min-width:0;min-height:0;border:0;"
              "width:100%;height:100%;box-sizing:border-box\"></iframe>\r\n"
              "\r<iframe name=\"sotto\" src=\"a-000003.htm\" style=\"flex:1 1 0;min-width:0;min-height:0;border:1px solid "
              "#808080;width:100%;height:100%;box-sizing:border-box\"></iframe>\r\n"
              "</div>\r\n</div>\r\n\r\n<div hidden>\r\n\r\nsenza cornici\r\n</div>\r\n")
        << out;
    EXPECT_NE(out.find("<body style=\"color:#000000;background-color:#FFFFFF;margin:0\">"), std::string::npos) << out;
    EXPECT_EQ(out.find("<body", out.find("<body") + 1), std::string::npos) << "one body";
}

TEST(Html5Page, TheSiteNamesTheSameFilesAsTheFaithfulOne) {
    platform::RecordingMessages msgs;
    THQVset set(msgs);
    set.NewHypertext();
    set.SetExpPrefix("doc");
    for (const char* text : {"<Z S0 >prima ", "<Z S0 >seconda \xE8"}) {
        auto* p = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        p->SetContent(testing::Content(text));
        PageRecord(*p).SetTitle("T");
        PageRecord(*p).SetHeaderPage(kNoHeaderPage);
        PageRecord(*p).SetFooterPage(kNoHeaderPage);
    }
    testing::TempDir dir;
    auto files = [](const fs::path& folder) {
        std::set<std::string> names;
        for (auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
        return names;
    };
    THQVtoHtml faithful(&set), modern(&set);
    faithful.ExportPath = dir / "a";
    modern.ExportPath = dir / "b";
    modern.Html5 = true;
    ASSERT_TRUE(faithful.ExportSite({0, 1}));
    ASSERT_TRUE(modern.ExportSite({0, 1}));
    EXPECT_EQ(files(dir / "a"), files(dir / "b"));
    const Bytes page = testing::ReadFileBytes(dir / "b" / "doc_000001.html");
    const std::string text(page.begin(), page.end());
    EXPECT_EQ(text.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(text.find("seconda &egrave;"), std::string::npos);
}

}  // namespace
}  // namespace ovik
