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
    // UTF-8 with LF by default, as Linux tools write text.
    EXPECT_EQ(Str(ReadFileBytes(dir / "all.txt")), "uno\nduetre");
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

TEST(OvikcConvert, TextExportEncodingAndLineEnds) {
    TempDir dir;
    // "città" and "è" in Windows-1252, on two lines.
    WriteFileBytes(dir / "a.txt", Bytes{'c', 'i', 't', 't', 0xE0, '\r', '\n', 0xE8});
    auto hqv = (dir / "t.hqv").string();
    ASSERT_EQ(RunOvikc({"import", "--format", "txt", (dir / "a.txt").string(), "-o", hqv}).status, 0);
    struct Row {
        std::vector<std::string> options;
        std::string bytes;
    } rows[] = {
        {{}, "citt\xC3\xA0\n\xC3\xA8"},
        {{"--encoding", "utf-8", "--eol", "crlf"}, "citt\xC3\xA0\r\n\xC3\xA8"},
        {{"--encoding", "windows-1252"}, "citt\xE0\n\xE8"},
        // The editor's bytes.
        {{"--encoding", "windows-1252", "--eol", "crlf"}, "citt\xE0\r\n\xE8"},
    };
    for (const Row& r : rows) {
        std::vector<std::string> args{"export", "--format", "txt"};
        args.insert(args.end(), r.options.begin(), r.options.end());
        args.push_back(hqv);
        args.push_back((dir / "out.txt").string());
        SCOPED_TRACE(args.size());
        auto run = RunOvikc(args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Str(ReadFileBytes(dir / "out.txt")), r.bytes);
    }
    auto bad = RunOvikc({"export", "--encoding", "latin9", hqv, (dir / "x.txt").string()});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("unknown encoding"), std::string::npos) << bad.err;
    bad = RunOvikc({"export", "--eol", "cr", hqv, (dir / "x.txt").string()});
    EXPECT_EQ(bad.status, 2);
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
