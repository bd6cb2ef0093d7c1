// Importing HTML files as pages: text and blanks, escapes, formatting, heads,
// links and anchors, pictures, tables, style sheets, encodings, hostile input,
// and the files reached by following links.
#include <gtest/gtest.h>

#include <algorithm>

#include "convert/auto_imports.h"
#include "convert/hqv_from_html.h"
#include "convert/html_reader.h"
#include "document/hqv_set.h"
#include "document/keywords.h"
#include "links/link_objects.h"
#include "page/page_record.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "support/hqv_builder.h"
#include "text/hqv_box.h"

namespace ovik {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::WriteFileBytes;

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

// The font tag of the reset state with style bits `y` and size `s`.
std::string Font(int y = 0, int s = 12, const char* face = "Times New Roman", const char* colour = "000000") {
    return std::string("<Y c") + colour + " F\"" + face + "\" s" + std::to_string(s) + " y" +
           std::to_string(y) + " p0 >";
}
const std::string P0 = "<Z S0 A0 >";

struct HtmlImport : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    THQVfromHtml conv{&set};
    TempDir dir;

    void SetUp() override { set.NewHypertext(); }

    // Imports `html` written as `name`; the page made.
    THQVtesto* Import(const std::string& html, const std::string& name = "in.htm") {
        WriteFileBytes(dir / name, B(html));
        const int32_t before = set.ObjectCount(testoHtml);
        conv.ImportFiles({dir / name}, 1);
        EXPECT_EQ(conv.Report.pagesMade, 1);
        if (set.ObjectCount(testoHtml) <= before) return nullptr;
        return set.Page(conv.Report.pagesMade ? set.ObjectCount(testoHtml) - 1 : 0);
    }
    std::string Content(const THQVtesto* page) {
        if (!page || !page->MemContent()) return "";
        return std::string(reinterpret_cast<const char*>(page->MemContent()->data()));
    }
    std::string Markup(const std::string& html) { return Content(Import(html)); }
    // The text of a page's markup without any tag.
    std::string Text(const std::string& html) {
        std::string m = Markup(html), t;
        bool tag = false;
        for (char c : m) {
            if (c == '<') tag = true;
            else if (c == '>') tag = false;
            else if (!tag) t += c;
        }
        return t;
    }
    // The objects the tags "<$" of a markup name, in order.
    std::vector<THQVoggetto*> Objects(const std::string& m) {
        std::vector<THQVoggetto*> out;
        for (size_t i = 0; (i = m.find("<$", i)) != std::string::npos; i += 2)
            out.push_back(set.GetObjectById(int32_t(std::stoul(m.substr(i + 2, 8), nullptr, 16))));
        return out;
    }
};

TEST_F(HtmlImport, ParagraphsFontsAndBlanks) {
    EXPECT_EQ(Markup("<P>Hello <B>world</B></P>"),
              P0 + Font() + "Hello " + Font(1) + "world" + Font() + P0 + Font());
    struct Row {
        const char* name;
        std::string html;
        std::string text;
    } rows[] = {
        {"two blanks give one", "<P>one  two</P>", "one two"},
        {"a line break outside PRE separates words", "<P>one\r\ntwo</P>", "one two"},
        {"a TAB too", "<P>a\tb</P>", "a b"},
        {"a CR alone is dropped", "<P>a\rb</P>", "ab"},
        {"no blank starts a paragraph", "<P>\r\n  one</P>\r\n<DIV>\r\ntwo</DIV>", "onetwo"},
        {"PRE keeps blanks", "<PRE>a  b</PRE>", "a  b"},
        {"escapes", "a&lt;b&amp;c&gt;", "a&lt;b&amp;c&gt;"},
        {"accented letter", "&eacute;t&eacute;", "\xE9t\xE9"},
        {"macr and hibar", "&macr;&hibar;", "\xAF\xAF"},
        {"numeric references", "&#233;&#x41;&#8217;", "\xE9" "A\x92"},
        {"named beyond Latin-1", "&rsquo;&mdash;&hellip;", "\x92\x97\x85"},
        {"unknown entity gives a blank", "a&zork;b", "a zork;b"},
        {"a lone less-than is text", "1 < 2", "1 &lt; 2"},
        {"no-break space after a blank", "a &nbsp;b", "a  b"},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(Text(r.html), r.text);
    }
    // Inside PRE a line break opens a paragraph.
    std::string pre = Markup("<PRE>a\nb</PRE>");
    EXPECT_NE(pre.find("a" + P0), std::string::npos) << pre;
    EXPECT_NE(pre.find("F\"Courier New\" s10"), std::string::npos) << pre;
    // An escape right after a paragraph starts that paragraph's text.
    std::string esc = Markup("x<P>&eacute;</P>");
    EXPECT_NE(esc.find(P0 + Font() + "\xE9"), std::string::npos) << esc;
}

// What the reader writes is what the text engine reads: paragraphs, runs and
// their fonts.
TEST_F(HtmlImport, MarkupReadsIntoATextBox) {
    const std::string m = Markup("<P ALIGN=right>Hello <B>big <FONT SIZE=7 COLOR=#00FF00>world</FONT></B></P>x");
    platform::FixedMetricsMeasurer measurer;
    THQVbox box(set, measurer);
    BoxStream s(reinterpret_cast<const uint8_t*>(m.data()), m.size());
    box.LoadText(&s, nullptr, nullptr);
    ASSERT_EQ(box.ParagraphCount(), 2);
    EXPECT_EQ(box.Paragraph(0).Text(), "Hello big world");
    EXPECT_EQ(box.Paragraph(1).Text(), "x");
    TMyFont plain = box.Paragraph(0).FontAt(0), bold = box.Paragraph(0).FontAt(6),
            big = box.Paragraph(0).FontAt(10);
    EXPECT_EQ(plain.face, "Times New Roman");
    EXPECT_EQ(plain.size, 12);
    EXPECT_EQ(plain.style, 0);
    EXPECT_EQ(bold.style, 1);
    EXPECT_EQ(big.size, 34);
    EXPECT_EQ(big.colour, 0x00FF00);
    EXPECT_EQ(big.style, 1);
    EXPECT_EQ(box.Paragraph(1).FontAt(0).style, 0);
}

TEST_F(HtmlImport, FontSizesHeadingsAndLists) {
    struct Row {
        std::string html;
        std::string has;
    } rows[] = {
        {"<FONT SIZE=+1>x</FONT>", " s14 "}, {"<FONT SIZE=7>x</FONT>", " s34 "},
        {"<FONT SIZE=9>x</FONT>", " s12 "},  {"<FONT SIZE=-2>x</FONT>", " s8 "},
        {"<H1>x</H1>", " s27 "},             {"<H6>x</H6>", " s8 "},
        {"<SMALL>x</SMALL>", " s10 "},       {"<FONT COLOR=#FF0000>x</FONT>", "<Y cFF0000 "},
        {"<FONT FACE=\"Arial, Helvetica\">x</FONT>", "F\"Arial\""},
        {"<SUB>x</SUB>", " s10 y0 p1 >"},    {"<I><U>x</U></I>", " y6 "},
        {"<LI>One", "<Z S0 A0 N10 >"},       {"<P ALIGN=center>x</P>", "<Z S0 A2 >"},
        {"<H2 ALIGN=right>x</H2>", "<Z S0 A1 >"},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.html);
        std::string m = Markup(r.html);
        EXPECT_NE(m.find(r.has), std::string::npos) << m;
    }
    // Closing an inline element gives back the font before it.
    std::string m = Markup("<FONT SIZE=7>a<B>b</B>c</FONT>d");
    EXPECT_NE(m.find(Font(0, 34) + "a" + Font(1, 34) + "b" + Font(0, 34) + "c" + Font(0, 12) + "d"),
              std::string::npos)
        << m;
}

TEST_F(HtmlImport, LongParagraphsAreCut) {
    std::string m = Markup("<P>" + std::string(4000, 'x') + "</P>");
    size_t longest = 0, run = 0;
    for (char c : m) {
        run = c == 'x' ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    EXPECT_EQ(longest, 1800u);
    EXPECT_EQ(std::count(m.begin(), m.end(), 'x'), 4000);
}

TEST_F(HtmlImport, HeadTitleKeywordsScriptsAndPageValues) {
    THQVtesto* page = Import(
        "<HTML><HEAD>\r\n<TITLE>Il &egrave; titolo\r\n</TITLE>\r\n"
        "<META NAME=\"keywords\" CONTENT=\"gatti, cani;; topi,\">\r\n"
        "<META NAME=\"generator\" CONTENT=\"x\">\r\n"
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\">\r\n"
        "<META NAME=\"author\" CONTENT=\"io\">\r\n"
        "<SCRIPT>var a = 1 < 2;</SCRIPT>\r\n<SCRIPT>b()</SCRIPT>\r\n"
        "<!--pageoVik=\"3;c:\\x.hqv\"-->\r\n"
        "</HEAD><BODY BGCOLOR=#00FF00 TEXT=#0000FF>corpo</BODY></HTML>");
    ASSERT_TRUE(page);
    PageRecord rec(*page);
    EXPECT_EQ(rec.Title(), "Il \xE8 titolo");
    EXPECT_EQ(rec.BackgroundColour(), 0x00FF00);
    EXPECT_EQ(rec.TextColour(), 0xFF0000);
    std::vector<std::string> words;
    for (int32_t k : PageKeywords(*page)) words.push_back(set.GetObject(keyword, k)->Name());
    EXPECT_EQ(words, (std::vector<std::string>{"gatti", "cani", "topi"}));
    const Bytes& w = *page->Wrapper();
    std::string wrapper(w.begin(), w.end());
    const std::string source = SourceNameOf(dir / "in.htm");
    EXPECT_EQ(page->SourceName(), source);
    std::string extras = wrapper.substr(8 + source.size());
    // The page marker says this program wrote the page: its author line is the
    // hypertext's, which export writes again; the scripts are the page's own.
    EXPECT_EQ(extras, "<SCRIPT>var a = 1 < 2;</SCRIPT>\r\n<SCRIPT>b()</SCRIPT>\r\n");
    EXPECT_EQ(Text("<TITLE>t</TITLE>x"), "x");
    // Without extras the wrapper ends with one blank.
    THQVtesto* plain = Import("<P>x</P>", "plain.htm");
    std::string pw(plain->Wrapper()->begin(), plain->Wrapper()->end());
    EXPECT_EQ(pw.back(), ' ');
    EXPECT_EQ(set.FindPageBySourceName(SourceNameOf(dir / "plain.htm")), plain);
}

TEST_F(HtmlImport, Encodings) {
    struct Row {
        const char* name;
        std::string html;
        std::string text;
        size_t replaced;
    } rows[] = {
        {"undeclared valid UTF-8", "caff\xC3\xA8", "caff\xE8", 0},
        {"undeclared Windows-1252", "caff\xE8", "caff\xE8", 0},
        {"declared UTF-8", "<META charset=\"utf-8\">\xE2\x82\xAC \xCE\xB1", "\x80 ?", 1},
        {"declared Latin-1 stays as bytes", "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=iso-8859-1\">caff\xC3\xA8",
         "caff\xC3\xA8", 0},
        {"byte-order mark", "\xEF\xBB\xBFx\xC3\xA8", "x\xE8", 0},
        {"reference beyond the code page", "&#945;", "?", 1},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(Text(r.html), r.text);
        EXPECT_EQ(conv.Report.replacedCharacters, r.replaced);
    }
}

TEST_F(HtmlImport, LinksAndAnchors) {
    WriteFileBytes(dir / "page2.htm", B("<P>due</P>"));
    std::string m = Markup(
        "<A HREF=\"page2.htm\">a</A><A HREF=\"http://x.it/\">b</A><A HREF=\"http://x.it/\">c</A>"
        "<A HREF=\"https://y.it/p.html\">d</A><A NAME=\"an4\">e</A><A HREF=\"#an4\">f</A>"
        "<A HREF=\"page2.htm#an2\">g</A><A NAME=\"top\">h</A>");
    auto objs = Objects(m);
    ASSERT_EQ(objs.size(), 7u) << m;
    links::SpecialLink auto1{*objs[0]};
    EXPECT_EQ(objs[0]->Kind(), speclink);
    EXPECT_EQ(auto1.Subtype(), links::kSpecAutoImport);
    EXPECT_EQ(auto1.ImportPath(), SourceNameOf(dir / "page2.htm"));
    EXPECT_EQ(objs[1]->Kind(), internetLink);
    EXPECT_EQ(objs[1], objs[2]);  // one address, one object
    EXPECT_EQ(objs[3]->Kind(), internetLink);
    EXPECT_EQ(objs[3]->Name(), "https://y.it/p.html");
    EXPECT_TRUE(links::IsAnchor(*objs[4]));
    EXPECT_EQ(links::AnchorNumberOf(*objs[4]), 4);
    links::SpecialLink inPage{*objs[5]};
    EXPECT_EQ(inPage.Subtype(), links::kSpecGoTo);
    EXPECT_EQ(inPage.Action(), links::kActAnchorInPage);
    EXPECT_EQ(inPage.Anchor(), 4);
    EXPECT_EQ(links::SpecialLink{*objs[6]}.Anchor(), 2);
    // An A without HREF gives no link end; every link is ended once.
    EXPECT_EQ(std::count(m.begin(), m.end(), '%'), 6);

    // Once page2.htm is imported too, the links lead to its page.
    THQVtesto* second = Import("<P>due</P>", "page2.htm");
    THQVtesto* first = set.Page(second->Number() - 1);
    EXPECT_GT(ResolveAutoImports(set), 0);
    std::string resolved = Content(first);
    auto after = Objects(resolved);
    EXPECT_EQ(after[0], second);
    links::SpecialLink withAnchor{*after[6]};
    EXPECT_EQ(withAnchor.Subtype(), links::kSpecGoTo);
    EXPECT_EQ(withAnchor.Target(), second->Id());
    EXPECT_EQ(withAnchor.Anchor(), 2);
}

TEST_F(HtmlImport, PicturesAndMaps) {
    DecodedPicture bitmap;
    bitmap.width = bitmap.height = 2;
    bitmap.rgba.assign(16, 200);
    Bytes gif;
    ASSERT_TRUE(EncodeGif(bitmap, gif));
    fs::create_directory(dir / "img");
    WriteFileBytes(dir / "img" / "p.gif", gif);
    std::string m = Markup(
        "<MAP NAME=\"Zone\"><AREA SHAPE=rect COORDS=\"1,2,30,40\" HREF=\"http://a.it\">"
        "<AREA SHAPE=circle COORDS=\"1,2,3\" HREF=\"b.htm\"></MAP>"
        "<IMG SRC=\"img/p.gif\" WIDTH=50 HEIGHT=x ALT=\"una foto\" ALIGN=middle USEMAP=\"#zone\">"
        "<IMG SRC=missing.gif><IMG SRC=x.svg ALT=\"il logo\">");
    auto objs = Objects(m);
    ASSERT_EQ(objs.size(), 1u) << m;
    THQVoggetto& pl = *objs[0];
    EXPECT_EQ(pl.Kind(), immagineNew);
    EXPECT_EQ(pl.I16(19), 50);
    EXPECT_EQ(pl.I16(21), 100);
    EXPECT_EQ(pl.Str(28, 32), "una foto");
    EXPECT_EQ(pl.U8(13), 4);
    EXPECT_EQ(set.GetObjectById(pl.I32(73))->Name(), "http://a.it");
    EXPECT_EQ(pl.I16(73 + 8), 1);
    EXPECT_EQ(pl.I16(73 + 10), 2);
    EXPECT_EQ(pl.I16(73 + 12), 29);
    EXPECT_EQ(pl.I16(73 + 14), 38);
    EXPECT_EQ(IdKind(pl.I32(89)), speclink);
    EXPECT_EQ(pl.I16(89 + 8), 10);
    EXPECT_EQ(pl.I16(89 + 12), 20);
    EXPECT_EQ(pl.I32(105), -1);
    EXPECT_NE(m.find(">[i] [i] il logo "), std::string::npos) << m;
}

TEST_F(HtmlImport, Tables) {
    // The second row has one cell fewer: it is filled in.
    std::string m = Markup("<TABLE BORDER=2><TR><TD>a</TD><TD>b</TD></TR><TR><TD>c</TD></TR></TABLE>x");
    auto objs = Objects(m);
    ASSERT_EQ(objs.size(), 1u) << m;
    THQVoggetto& t = *objs[0];
    EXPECT_EQ(t.Kind(), tabellaHtml);
    EXPECT_EQ(t.U8(93), 2);
    EXPECT_EQ(t.U8(94), 2);
    EXPECT_EQ(t.U8(92), 2);
    EXPECT_NE(m.find("<Z S0 ><patchtr><T>"), std::string::npos) << m;
    size_t cellEnds = 0;
    for (size_t i = 0; (i = m.find("<T>", i)) != std::string::npos; ++i) ++cellEnds;
    EXPECT_EQ(cellEnds, 4u) << m;
    // Every cell starts with a paragraph; the text after the table is outside it.
    const std::string tag = m.substr(m.find("<$"), 11);
    EXPECT_NE(m.find(tag + "<Z S1 A0 >"), std::string::npos) << m;
    EXPECT_NE(m.find("x"), std::string::npos);
    EXPECT_GT(m.find("x"), m.rfind("<T>"));
    EXPECT_EQ(t.ContentLength(), 16u);  // one background per cell

    // A table left open, cells without end tags, an empty table.
    struct Row {
        const char* name;
        std::string html;
        int rows, cols;
    } rows[] = {
        {"unterminated", "<TABLE><TR><TD>a<TD>b<TR><TD>c", 2, 2},
        {"empty", "<TABLE></TABLE>", 1, 1},
        {"extra cells run on", "<TABLE><TR><TD>a</TD></TR><TR><TD>b</TD><TD>c</TD></TR></TABLE>", 2, 1},
        {"nested", "<TABLE><TR><TD><TABLE><TR><TD>i</TD></TR></TABLE></TD><TD>o</TD></TR></TABLE>", 1, 2},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        std::string mm = Markup(r.html);
        auto o = Objects(mm);
        ASSERT_FALSE(o.empty()) << mm;
        EXPECT_EQ(o[0]->U8(93), r.rows) << mm;
        EXPECT_EQ(o[0]->U8(94), r.cols) << mm;
        // Cells in the markup: as many "<T>" as the tables hold cells.
        size_t cells = 0;
        for (auto* x : o)
            if (x->Kind() == tabellaHtml) cells += size_t(x->U8(93)) * x->U8(94);
        size_t ts = 0;
        for (size_t i = 0; (i = mm.find("<T>", i)) != std::string::npos; ++i) ++ts;
        EXPECT_EQ(ts, cells) << mm;
    }
}

TEST_F(HtmlImport, LargeTablesAreSplitIntoTablesThatFit) {
    std::string html = "<TABLE>";
    for (int r = 0; r < 600; ++r) html += "<TR><TD>" + std::to_string(r) + "</TD><TD>x</TD></TR>";
    html += "</TABLE>";
    std::string wide = "<TABLE><TR>";
    for (int c = 0; c < 60; ++c) wide += "<TD>" + std::to_string(c) + "</TD>";
    wide += "</TR></TABLE>";
    std::string m = Markup(html);
    auto objs = Objects(m);
    int32_t rows = 0;
    for (auto* o : objs) {
        ASSERT_EQ(o->Kind(), tabellaHtml);
        EXPECT_LE(o->U8(93), 255);
        EXPECT_EQ(o->U8(94), 2);
        rows += o->U8(93);
    }
    EXPECT_EQ(objs.size(), 3u);
    EXPECT_EQ(rows, 600);
    std::string w = Markup(wide);
    auto wo = Objects(w);
    ASSERT_EQ(wo.size(), 1u);
    EXPECT_EQ(wo[0]->U8(94), 50);
    EXPECT_LT(w.find(">59"), w.rfind("<T>")) << w;  // run into the last cell
    EXPECT_EQ(w.find('\t'), std::string::npos) << w;
}

TEST_F(HtmlImport, StyleSheetClassesBecomeParagraphStyles) {
    WriteFileBytes(dir / "s_style.css", B("/* Ovik automatic CSS */\r\n\r\n"
                                          "/* Titolo */\r\nDIV.s3 {\r\n\tfont-family:\"Arial\";\r\n\tfont-size:18pt;\r\n"
                                          "\tcolor:#FF0000;\r\n\tfont-weight:bold;\r\n\tmargin-left:0mm;\r\n"
                                          "\ttext-align:center;\r\n\tlist-style-type:none;\t}\r\n"
                                          "A.s3 {\r\n\tcolor:#00FF00;\r\n\ttext-decoration:none;\r\n\t}\r\n"
                                          "DIV.s9 {\r\n\tfont-size:8pt;\t}\r\n"));
    std::string m = Markup("<HEAD><LINK REL=STYLESHEET HREF=\"s_style.css\" TYPE=\"text/css\"></HEAD>"
                           "<DIV CLASS=s3>Capitolo</DIV><DIV CLASS=s9 STYLE=\"text-align: right; margin-top: 2mm\">b</DIV>");
    const int32_t n = set.StyleIndex("Titolo");
    ASSERT_GE(n, 2) << m;
    THQVoggetto* s = set.GetObject(stileParagrafo, n);
    EXPECT_EQ(s->Str(39, 32), "Arial");
    EXPECT_EQ(s->I16(72), 18);
    EXPECT_EQ(s->I32(74), 0x0000FF);
    EXPECT_EQ(s->U8(78), 1);
    EXPECT_EQ(s->U8(99), 2);
    EXPECT_EQ(s->I16(86), 0);
    EXPECT_EQ(s->I32(81), 0x00FF00);
    EXPECT_EQ(s->U8(85), 0);
    EXPECT_NE(m.find("<Z S" + std::to_string(n) + " >Capitolo"), std::string::npos) << m;
    // A class without a name is no style: its paragraphs take style 0.
    EXPECT_NE(m.find("<Z S0 A1 t8 >b"), std::string::npos) << m;
    // Reading the sheet again reuses the style.
    const int32_t styles = set.ObjectCount(stileParagrafo);
    Markup("<LINK REL=STYLESHEET HREF=\"s_style.css\"><DIV CLASS=s3>x</DIV>");
    EXPECT_EQ(set.ObjectCount(stileParagrafo), styles);
}

TEST_F(HtmlImport, CommentsMarkersAndScripts) {
    std::string m = Markup("<!DOCTYPE html><!-- nota -->a<!lisnum>1. <!/lisnum>b<SCRIPT>if (a<b) x();</SCRIPT>c");
    auto objs = Objects(m);
    ASSERT_EQ(objs.size(), 3u) << m;
    Bytes c;
    objs[1]->ReadContent(c);
    EXPECT_EQ(std::string(c.begin(), c.end()), "n.n.\r\n nota ");
    EXPECT_EQ(objs[2]->State(), 11);
    const Bytes& w = *objs[2]->Wrapper();
    EXPECT_EQ(std::string(w.begin() + 4, w.end()), "<SCRIPT>if (a<b) x();</SCRIPT>");
    EXPECT_EQ(Text("<!DOCTYPE html><!-- nota -->a<!lisnum>1. <!/lisnum>b<SCRIPT>if (a<b) x();</SCRIPT>c"), "abc");
}

TEST_F(HtmlImport, FormElements) {
    std::string m = Markup(
        "<FORM ACTION=\"mailto:io@x.it\" ENCTYPE=\"text/plain\"><INPUT NAME=n VALUE=v SIZE=30>"
        "<INPUT TYPE=checkbox NAME=c CHECKED><INPUT TYPE=submit><INPUT TYPE=reset VALUE=Via>"
        "<INPUT TYPE=button>"
        "<SELECT NAME=s MULTIPLE SIZE=3><OPTION VALUE=1>Uno<OPTION SELECTED VALUE='2'>Due \"d\"</SELECT>"
        "<TEXTAREA NAME=t COLS=10>riga <B>uno</B>\ndue</TEXTAREA>dopo<EMBED SRC=x.swf>alt</EMBED>fine");
    auto o = Objects(m);
    ASSERT_EQ(o.size(), 8u) << m;
    EXPECT_EQ(o[0]->Kind(), inizioForm);
    EXPECT_EQ(o[0]->State(), 4);
    EXPECT_EQ(o[0]->Str(17, 255), "io@x.it");
    EXPECT_EQ(o[0]->U8(273), 1);
    EXPECT_EQ(o[0]->Str(276, 79), "text/plain");
    EXPECT_EQ(o[1]->Kind(), inputStat);
    EXPECT_EQ(o[1]->State(), 1);
    EXPECT_EQ(o[1]->Str(17, 79), "n");
    EXPECT_EQ(o[1]->Str(97, 79), "v");
    EXPECT_EQ(o[1]->U8(179), 30);
    EXPECT_EQ(o[2]->State(), 7);
    EXPECT_EQ(o[2]->U8(181), 1);
    EXPECT_EQ(o[3]->Kind(), bottoneCGI);
    EXPECT_EQ(o[3]->Str(97, 79), "Submit");
    EXPECT_EQ(o[4]->State(), 3);
    EXPECT_EQ(o[4]->Str(97, 79), "Via");
    EXPECT_EQ(o[5]->State(), 8);
    EXPECT_EQ(o[5]->U8(178), 2);
    EXPECT_EQ(o[5]->U8(182), 1);
    Bytes items;
    o[5]->ReadContent(items);
    EXPECT_EQ(std::string(items.begin(), items.end()), "Uno\n1\n\nDue \x94" "d\x94\n2\nX\n");
    EXPECT_EQ(o[6]->State(), 4);
    EXPECT_EQ(o[6]->U8(177), 10);
    EXPECT_EQ(o[6]->U8(178), 8);
    Bytes text;
    o[6]->ReadContent(text);
    EXPECT_EQ(std::string(text.begin(), text.end()), "riga uno\ndue");
    EXPECT_EQ(o[7]->Kind(), multiMedia);
    EXPECT_EQ(std::string(o[7]->Wrapper()->begin() + 4, o[7]->Wrapper()->end()), "alt");
    EXPECT_NE(m.find(">dopo"), std::string::npos) << m;
    EXPECT_NE(m.find(">fine"), std::string::npos) << m;
}

TEST_F(HtmlImport, PreviewStopsAtFiveThousandCharacters) {
    std::string html;
    for (int i = 0; i < 2000; ++i) html += "<P>paragrafo " + std::to_string(i) + "</P>";
    conv.ImpPreview = true;
    std::string m = Markup(html);
    EXPECT_GE(m.size(), 5000u);
    EXPECT_LT(m.size(), 5200u);
    conv.ImpPreview = false;
    EXPECT_GT(Markup(html).size(), 100000u);
}

TEST_F(HtmlImport, HostileInputNeverCrashes) {
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<B><DIV><TABLE><TR><TD>";
    std::string binary;
    for (int i = 0; i < 70000; ++i) binary += char(i * 7919 % 256);
    struct Row {
        const char* name;
        std::string html;
    } rows[] = {
        {"unterminated tag", "<P>abc<A HREF=\"x"},
        {"unterminated comment", "<!-- never"},
        {"unterminated script", "<SCRIPT>var x"},
        {"escape at the end", "abc&"},
        {"numeric escape at the end", "abc&#"},
        {"huge attribute", "<IMG SRC=\"" + std::string(1 << 20, 'a') + "\">"},
        {"deep nesting", deep},
        {"binary", binary},
        {"stray end tags", "</TD></TR></TABLE></DIV></P></B></FONT></SUB></A>x"},
        {"map without end", "<MAP NAME=m><AREA HREF=a.htm COORDS=1,2"},
        {"cells outside a table", "<TD>a</TD><TR>b</TR>"},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        Import(r.html);
    }
}

TEST_F(HtmlImport, ImportFilesResults) {
    EXPECT_EQ(conv.ImportFiles({dir / "missing.htm"}, 1), 0);
    EXPECT_EQ(conv.Report.pagesMade, 0);
    ASSERT_EQ(conv.Report.skippedFiles.size(), 1u);
    WriteFileBytes(dir / "a.htm", B("a"));
    WriteFileBytes(dir / "b.htm", B("b"));
    const int32_t first = conv.ImportFiles({dir / "a.htm", dir / "missing.htm", dir / "b.htm"}, 1);
    EXPECT_EQ(conv.Report.pagesMade, 2);
    EXPECT_EQ(first, set.ObjectCount(testoHtml) - 2);
    EXPECT_EQ(Content(set.Page(first)), "<Z S0 >a");
}

TEST_F(HtmlImport, CollectLinkedFilesLevelByLevel) {
    fs::create_directories(dir / "site" / "sub");
    WriteFileBytes(dir / "site" / "index.htm",
                   B("<A HREF=\"a.htm\">a</A><A HREF='sub/b.html#x'>b</A><A HREF=\"http://x.it/c.htm\">c</A>"
                     "<IMG SRC=\"p.gif\"><A HREF=\"../outside.htm\">o</A><A HREF=\"index.htm\">self</A>"));
    WriteFileBytes(dir / "site" / "a.htm", B("<A HREF=\"sub/b.html\">b</A><A HREF=\"deep.htm\">d</A>"));
    WriteFileBytes(dir / "site" / "sub" / "b.html", B("<BASE HREF=\"../\"><A HREF=\"deeper.htm\">x</A>"));
    WriteFileBytes(dir / "outside.htm", B("x"));
    auto names = [&](int levels) {
        std::vector<fs::path> out;
        CollectLinkedFiles(dir / "site" / "index.htm", out, levels);
        std::vector<std::string> n;
        for (auto& f : out) n.push_back(fs::relative(f, dir / "site").generic_string());
        return n;
    };
    EXPECT_EQ(names(1), (std::vector<std::string>{}));
    EXPECT_EQ(names(2), (std::vector<std::string>{"a.htm", "sub/b.html"}));
    EXPECT_EQ(names(3), (std::vector<std::string>{"a.htm", "sub/b.html", "deep.htm", "deeper.htm"}));
    EXPECT_TRUE(InsideFolder(dir / "site" / "sub" / "b.html", dir / "site"));
    EXPECT_FALSE(InsideFolder(dir / "outside.htm", dir / "site"));
    EXPECT_FALSE(InsideFolder(dir / "site2" / "x.htm", dir / "site"));
}

}  // namespace
}  // namespace ovik
