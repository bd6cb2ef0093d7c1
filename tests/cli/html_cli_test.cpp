// ovikc export --format html end to end.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/bytes.h"
#include "support/hqv_builder.h"
#include "support/run_tool.h"

namespace ovik {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::RunOvikc;
using testing::TempDir;
using testing::WriteFileBytes;

TEST(OvikcHtml, ExportsIntoANewFolder) {
    TempDir dir;
    WriteFileBytes(dir / "a.txt", Bytes{'u', 'n', 'o', '\n', '<', '&', '\n'});
    auto hqv = (dir / "t.hqv").string();
    ASSERT_EQ(RunOvikc({"import", (dir / "a.txt").string(), "-o", hqv}).status, 0);
    auto out = dir / "site" / "deep";
    auto r = RunOvikc({"export", "--format", "html", hqv, out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    Bytes page = ReadFileBytes(out / "t_index.htm");
    std::string text(page.begin(), page.end());
    EXPECT_NE(text.find("<DIV class=s0 >\r\nuno&nbsp;</DIV>\r\n<DIV class=s0 >\r\n&lt;&amp;&nbsp;</DIV>"),
              std::string::npos)
        << text;
    EXPECT_TRUE(fs::exists(out / "t_style.css"));
    r = RunOvikc({"export", "--format", "html", "--ext", "html", hqv, out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(out / "t_index.html"));
}

TEST(OvikcHtml, Failures) {
    TempDir dir;
    auto hqv = (dir / "t.hqv").string();
    ASSERT_EQ(RunOvikc({"new", hqv}).status, 0);
    WriteFileBytes(dir / "plain", Bytes{'x'});
    auto r = RunOvikc({"export", "--format", "html", hqv, (dir / "plain" / "sub").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("plain"), std::string::npos) << r.err;
    r = RunOvikc({"export", "--format", "html", "--ext", "php", hqv, (dir / "o").string()});
    EXPECT_EQ(r.status, 2);
}

}  // namespace
}  // namespace ovik
