// ovikc import --format html, with and without following links.
#include <gtest/gtest.h>

#include "convert/hqv_from_html.h"
#include "document/hqv_set.h"
#include "page/page_record.h"
#include "platform/messages.h"
#include "support/hqv_builder.h"
#include "support/run_tool.h"

namespace ovik {
namespace {

namespace fs = std::filesystem;
using testing::RunOvikc;
using testing::TempDir;
using testing::WriteFileBytes;

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::string Content(const THQVtesto* p) {
    return p && p->MemContent() ? std::string(reinterpret_cast<const char*>(p->MemContent()->data())) : "";
}

TEST(OvikcHtmlImport, FollowingLinksImportsTheSiteAndLinksItsPages) {
    TempDir dir;
    fs::create_directories(dir / "site" / "sub");
    WriteFileBytes(dir / "site" / "index.htm",
                   B("<TITLE>Indice</TITLE><A HREF=\"sub/a.htm\">a</A> <A HREF=\"b.html\">b</A>"
                     "<A HREF=\"../fuori.htm\">fuori</A>"));
    WriteFileBytes(dir / "site" / "sub" / "a.htm", B("<TITLE>A</TITLE><A HREF=\"../index.htm\">su</A>"));
    WriteFileBytes(dir / "site" / "b.html", B("<TITLE>B</TITLE><A HREF=\"c.htm\">c</A>"));
    WriteFileBytes(dir / "site" / "c.htm", B("<TITLE>C</TITLE>"));
    WriteFileBytes(dir / "fuori.htm", B("<TITLE>Fuori</TITLE>"));
    const std::string hqv = (dir / "s.hqv").string();
    auto r = RunOvikc({"import", "--format", "html", (dir / "site" / "index.htm").string(), "-o", hqv,
                       "--follow-links", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("3 pages imported from page 0"), std::string::npos) << r.out;

    platform::RecordingMessages msgs;
    THQVset set(msgs);
    set.LockOnOpen = false;
    ASSERT_TRUE(set.OpenHypertext(hqv));
    ASSERT_EQ(set.ObjectCount(testoHtml), 3);
    std::vector<std::string> titles;
    for (int i = 0; i < 3; ++i) titles.push_back(PageRecord(*set.Page(i)).Title());
    EXPECT_EQ(titles, (std::vector<std::string>{"Indice", "A", "B"}));
    // The links between imported files lead to their pages; the one out of
    // the site's folder stays an "Auto import" link.
    const std::string index = Content(set.Page(0));
    EXPECT_NE(index.find("<$00000001>a<%>"), std::string::npos) << index;
    EXPECT_NE(index.find("<$00000002>b<%>"), std::string::npos) << index;
    EXPECT_NE(index.find("<$0a"), std::string::npos) << index;
    EXPECT_NE(Content(set.Page(1)).find("<$00000000>su<%>"), std::string::npos) << Content(set.Page(1));

    // Into an existing hypertext, files given one by one.
    r = RunOvikc({"import", "--format", "html", (dir / "site" / "c.htm").string(), "--into", hqv, "--quiet"});
    ASSERT_EQ(r.status, 0) << r.err;
    THQVset again(msgs);
    again.LockOnOpen = false;
    ASSERT_TRUE(again.OpenHypertext(hqv));
    EXPECT_EQ(again.ObjectCount(testoHtml), 4);
    EXPECT_NE(Content(again.Page(2)).find("<$00000003>c<%>"), std::string::npos) << Content(again.Page(2));
}

TEST(OvikcHtmlImport, Failures) {
    TempDir dir;
    WriteFileBytes(dir / "a.htm", B("a"));
    const std::string hqv = (dir / "t.hqv").string();
    struct Row {
        const char* name;
        std::vector<std::string> args;
        std::string inErr;
    } rows[] = {
        {"follow-links with text", {"import", "--format", "txt", (dir / "a.htm").string(), "-o", hqv, "--follow-links", "2"},
         "--follow-links needs --format html"},
        {"follow-links with two files",
         {"import", "--format", "html", (dir / "a.htm").string(), (dir / "a.htm").string(), "-o", hqv, "--follow-links", "2"},
         "one start file"},
        {"levels out of range", {"import", "--format", "html", (dir / "a.htm").string(), "-o", hqv, "--follow-links", "500"},
         "LEVELS"},
        {"nothing imported", {"import", "--format", "html", (dir / "none.htm").string(), "-o", hqv}, "nothing imported"},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        auto res = RunOvikc(r.args);
        EXPECT_NE(res.status, 0);
        EXPECT_NE(res.err.find(r.inErr), std::string::npos) << res.err;
        EXPECT_FALSE(fs::exists(hqv));
    }
}

}  // namespace
}  // namespace ovik
