// What opening an HTML file offers: the page marker read, the hypertext
// looked for where the marker says and beside the file, and the choices that
// fall back when it is missing.
#include <gtest/gtest.h>

#include "app/open_html.h"
#include "support/hqv_builder.h"

namespace ovik::app {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::WriteFileBytes;

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::string Page(const std::string& marker) {
    return "<HTML><HEAD>\r\n<TITLE>t\r\n</TITLE>\r\n" + marker + "\r\n</HEAD><BODY>x</BODY></HTML>\r\n";
}

TEST(OpenHtml, PlanFromThePageMarker) {
    TempDir dir;
    fs::create_directories(dir / "elsewhere");
    WriteFileBytes(dir / "doc.hqv", B("hqv"));
    WriteFileBytes(dir / "elsewhere" / "moved.hqv", B("hqv"));
    const std::string there = (dir / "doc.hqv").string();
    struct Case {
        const char* name;
        std::string file, html;
        bool marked, found;
        int32_t page;
        fs::path hypertext;
    };
    const std::vector<Case> cases = {
        {"no marker", "plain.htm", Page(""), false, false, 0, {}},
        {"marker naming a hypertext that is there", "a.htm", Page("<!--pageoVik=\"3;" + there + "\"-->"), true, true,
         3, dir / "doc.hqv"},
        {"marker naming a moved hypertext found beside the file", "elsewhere/b.htm",
         Page("<!--pageoVik=\"7;/no/such/folder/moved.hqv\"-->"), true, true, 7, dir / "elsewhere" / "moved.hqv"},
        {"marker naming a missing hypertext", "c.htm", Page("<!--pageoVik=\"2;/no/such/gone.hqv\"-->"), true,
         false, 2, "/no/such/gone.hqv"},
        {"marker without a hypertext name", "d.htm", Page("<!--pageoVik=\"2;notes.txt\"-->"), false, false, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes(dir / c.file, B(c.html));
        const HtmlOpenPlan plan = PlanHtmlOpen(dir / c.file);
        EXPECT_EQ(plan.marked, c.marked);
        EXPECT_EQ(plan.hypertextFound, c.found);
        if (!c.marked) continue;
        EXPECT_EQ(plan.page, c.page);
        EXPECT_EQ(plan.hypertext, c.hypertext);
        const std::string text = plan.MarkerText();
        EXPECT_EQ(text.rfind("Questa pagina html deriva dall'ipertesto  \"" + c.hypertext.string() + "\"", 0), 0u);
        EXPECT_NE(text.find(c.found ? "oVik utilizzerà la pagina in formato nativo" : "che oVik non riesce a trovare"),
                  std::string::npos);
    }
    // A folder or a missing file is not marked, and nothing is read from it.
    EXPECT_FALSE(PlanHtmlOpen(dir.path()).marked);
    EXPECT_FALSE(PlanHtmlOpen(dir / "missing.htm").marked);
}

TEST(OpenHtml, ChoicesFallBackWithoutTheirHypertext) {
    using C = HtmlOpenChoice;
    const std::vector<std::pair<C, C>> missing = {
        {C::ImportIntoCurrent, C::ImportIntoCurrent}, {C::NewAndImport, C::NewAndImport},
        {C::NewFollowingLinks, C::NewFollowingLinks}, {C::EditNative, C::NewFollowingLinks},
        {C::CopyOfHypertext, C::NewFollowingLinks},   {C::NewWithPageCopy, C::NewAndImport},
        {C::PageCopyIntoCurrent, C::ImportIntoCurrent},
    };
    for (auto [chosen, effect] : missing) {
        SCOPED_TRACE(int(chosen));
        EXPECT_EQ(EffectiveChoice(chosen, false), effect);
        EXPECT_EQ(EffectiveChoice(chosen, true), chosen);
        EXPECT_FALSE(AsksBeforeFallback(chosen, true));
        EXPECT_EQ(AsksBeforeFallback(chosen, false), chosen == C::EditNative || chosen == C::CopyOfHypertext);
    }
}

}  // namespace
}  // namespace ovik::app
