// ovikc export and import end to end.
#include <gtest/gtest.h>

#include "core/bytes.h"
#include "support/hqv_builder.h"
#include "support/run_tool.h"

namespace ovik {
namespace {

using testing::ReadFileBytes;
using testing::RunOvikc;
using testing::TempDir;
using testing::WriteFileBytes;

std::string Str(const Bytes& b) { return std::string(b.begin(), b.end()); }

TEST(OvikcConvert, ImportThenExport) {
    TempDir dir;
    WriteFileBytes(dir / "a.txt", Bytes{'u', 'n', 'o', '\n', 'd', 'u', 'e', '\n'});
    WriteFileBytes(dir / "b.txt", Bytes{'t', 'r', 'e'});
    auto hqv = (dir / "t.hqv").string();
    auto r = RunOvikc({"import", "--format", "txt", (dir / "a.txt").string(), "-o", hqv,
                       (dir / "b.txt").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("2 pages imported from page 0"), std::string::npos) << r.out;
    r = RunOvikc({"export", "--format", "txt", hqv, (dir / "all.txt").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Str(ReadFileBytes(dir / "all.txt")), "uno\r\nduetre");
    r = RunOvikc({"export", "--pages", "1", hqv, (dir / "one.txt").string(), "--quiet"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Str(ReadFileBytes(dir / "one.txt")), "tre");
    // Into an existing hypertext; an unreadable file is skipped, the rest imported.
    r = RunOvikc({"import", (dir / "missing.txt").string(), (dir / "b.txt").string(), "--into", hqv});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("missing.txt"), std::string::npos) << r.err;
    r = RunOvikc({"export", "--pages", "2", hqv, (dir / "two.txt").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Str(ReadFileBytes(dir / "two.txt")), "tre");
}

TEST(OvikcConvert, Failures) {
    TempDir dir;
    auto hqv = (dir / "t.hqv").string();
    ASSERT_EQ(RunOvikc({"new", hqv}).status, 0);
    struct Row {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string inErr;
    } rows[] = {
        {"output cannot be written", {"export", hqv, (dir / "no/dir/x.txt").string()}, 1, "x.txt"},
        {"unknown format", {"export", "--format", "pdf", hqv, "x"}, 2, "unknown format"},
        {"no such page", {"export", "--pages", "4", hqv, (dir / "x.txt").string()}, 1, "no page 4"},
        {"both targets", {"import", "a.txt", "--into", hqv, "-o", "b.hqv"}, 2, "either --into or -o"},
        {"nothing readable", {"import", (dir / "none.txt").string(), "-o", (dir / "n.hqv").string()}, 1,
         "nothing imported"},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        auto res = RunOvikc(r.args);
        EXPECT_EQ(res.status, r.status) << res.err;
        EXPECT_NE(res.err.find(r.inErr), std::string::npos) << res.err;
    }
}

}  // namespace
}  // namespace ovik
