// ovikc never writes over the hypertext it reads, and reports imports truly.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/bytes.h"
#include "document/hqv_set.h"
#include "platform/messages.h"
#include "support/hqv_builder.h"
#include "support/run_tool.h"

namespace ovik {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::RunOvikc;
using testing::TempDir;
using testing::WriteFileBytes;

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A hypertext of three pages whose page 1 has been deleted (its slot is free).
void WriteWithFreedPage(const fs::path& file) {
    platform::RecordingMessages msgs;
    THQVset s(msgs);
    while (s.ObjectCount(testoHtml) < 3) s.AddNewObject(testoHtml);
    s.Page(1)->MakeFree();
    ASSERT_TRUE(s.SaveHypertext(file));
}

TEST(OvikcOutputs, NeverReplaceTheHypertextTheyRead) {
    TempDir dir;
    const std::string hqv = (dir / "b.hqv").string();
    WriteFileBytes(dir / "dati.bin", B("contenuto del file"));
    ASSERT_EQ(RunOvikc({"new", hqv}).status, 0);
    auto r = RunOvikc({"add-file", hqv, (dir / "dati.bin").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    fs::create_symlink(dir / "b.hqv", dir / "link.hqv");
    const Bytes before = ReadFileBytes(hqv);

    struct Row {
        const char* name;
        std::vector<std::string> args;
    } rows[] = {
        {"export onto itself", {"export", "--format", "txt", hqv, hqv}},
        {"export through a link", {"export", hqv, (dir / "link.hqv").string()}},
        {"export by another spelling", {"export", hqv, (dir / "." / "b.hqv").string()}},
        {"extract onto the source", {"extract", hqv, "3", "0", hqv}},
        {"extract through a link", {"extract", hqv, "3", "0", (dir / "link.hqv").string()}},
    };
    for (auto& row : rows) {
        SCOPED_TRACE(row.name);
        r = RunOvikc(row.args);
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find("b.hqv"), std::string::npos) << r.err;
        EXPECT_EQ(ReadFileBytes(hqv), before);
    }
    EXPECT_TRUE(fs::is_symlink(dir / "link.hqv"));

    // Elsewhere both work, and replace an old output whole.
    WriteFileBytes(dir / "out.bin", B("vecchio vecchio vecchio vecchio"));
    r = RunOvikc({"extract", hqv, "3", "0", (dir / "out.bin").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFileBytes(dir / "out.bin"), B("contenuto del file"));
    r = RunOvikc({"export", hqv, (dir / "out.txt").string()});
    ASSERT_EQ(r.status, 0) << r.err;

    // A new hypertext made by an import never replaces one of its sources.
    WriteFileBytes(dir / "a.txt", B("testo"));
    r = RunOvikc({"import", (dir / "a.txt").string(), "-o", (dir / "a.txt").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(ReadFileBytes(dir / "a.txt"), B("testo"));
}

TEST(OvikcOutputs, ImportCountsThePagesItMade) {
    TempDir dir;
    const fs::path hqv = dir / "t.hqv";
    WriteWithFreedPage(hqv);
    WriteFileBytes(dir / "a.txt", B("uno"));
    WriteFileBytes(dir / "b.txt", B("due"));
    auto r = RunOvikc({"import", (dir / "a.txt").string(), "--into", hqv.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("1 page imported from page 1"), std::string::npos) << r.out;
    r = RunOvikc({"import", (dir / "a.txt").string(), (dir / "b.txt").string(), "--into", hqv.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("2 pages imported from page 3"), std::string::npos) << r.out;
    r = RunOvikc({"export", "--pages", "1,3,4", hqv.string(), (dir / "out.txt").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFileBytes(dir / "out.txt"), B("unounodue"));
}

TEST(OvikcOutputs, ImportReportsWhatItChangedAndLeftOut) {
    TempDir dir;
    WriteFileBytes(dir / "u16.txt", B(std::string("\xFF\xFEH\0i\0\0\0!\0", 10)));
    WriteFileBytes(dir / "bin.txt", B(std::string("ab\0cd", 5)));
    WriteFileBytes(dir / "doc.rtf", B("{\\rtf1 x}"));
    ASSERT_EQ(::mkfifo((dir / "pipe.txt").c_str(), 0600), 0);
    const std::string out = (dir / "n.hqv").string();
    auto r = RunOvikc({"import", (dir / "u16.txt").string(), (dir / "bin.txt").string(),
                       (dir / "doc.rtf").string(), (dir / "pipe.txt").string(), "-o", out});
    EXPECT_EQ(r.status, 1);  // some files were left out
    EXPECT_NE(r.out.find("1 page imported from page 0"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("1 control character (NUL and others) dropped"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("bin.txt non è un file di testo"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("doc.rtf: Questa funzione non è ancora disponibile."), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("pipe.txt non è un file normale"), std::string::npos) << r.err;
    r = RunOvikc({"export", out, (dir / "out.txt").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFileBytes(dir / "out.txt"), B("Hi!"));

    // Only files that cannot be imported: nothing is made or saved.
    r = RunOvikc({"import", (dir / "doc.rtf").string(), "-o", (dir / "m.hqv").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("nothing imported"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "m.hqv"));
}

}  // namespace
}  // namespace ovik
