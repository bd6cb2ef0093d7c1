// ovikc as a script uses it: subcommands, options anywhere, exit statuses.
#include <gtest/gtest.h>

#include "core/bytes.h"
#include "support/hqv_builder.h"
#include "support/run_tool.h"

namespace ovik {
namespace {

using testing::RunOvikc;
using testing::TempDir;

TEST(Ovikc, NewInfoAndJson) {
    TempDir dir;
    auto file = (dir / "libro.hqv").string();
    auto r = RunOvikc({"new", file});
    ASSERT_EQ(r.status, 0) << r.err;
    r = RunOvikc({"info", file});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Title:          libro."), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Revision:       3"), std::string::npos);
    EXPECT_NE(r.out.find("17 stileParagrafo          2       2"), std::string::npos) << r.out;
    r = RunOvikc({"--json", "info", file});  // options anywhere, even before the command's args
    // "--json" before the command name is not a command.
    EXPECT_EQ(r.status, 2);
    r = RunOvikc({"info", "--json", file});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"title\": \"libro.\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"exportPrefix\": \"libro\""), std::string::npos);
}

TEST(Ovikc, ResaveToTheSameFileKeepsItWhole) {
    TempDir dir;
    testing::HqvBuilder b;
    b.AddDefaultStyles();
    b.Add(0, b.PageRecord("Prima", std::string("<Z S0 >uno") + '\0'), 292);
    b.Add(5, b.PictureRecord("foto", "foto.gif", Bytes(5000, 0x47)), 667);
    auto file = dir / "a.hqv";
    b.WriteTo(file);
    std::filesystem::create_symlink(file, dir / "alias.hqv");
    for (auto out : {file.string(), (dir / "alias.hqv").string()}) {
        SCOPED_TRACE(out);
        auto r = RunOvikc({"resave", file.string(), out});
        ASSERT_EQ(r.status, 0) << r.err;
        r = RunOvikc({"extract", file.string(), "5", "0", (dir / "x.gif").string()});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(testing::ReadFileBytes(dir / "x.gif"), Bytes(5000, 0x47));
    }
    auto r = RunOvikc({"dump", file.string(), "0", "0", "--content"});
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string("<Z S0 >uno") + '\0');
    r = RunOvikc({"dump", "--record", file.string(), "0", "0"});
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, 26), "0000  00 00 00 00 00 05 50");
}

TEST(Ovikc, FailuresHaveMessagesAndStatuses) {
    TempDir dir;
    testing::WriteFileBytes(dir / "bad.hqv", Bytes(3000, 'x'));
    struct Row {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string inErr;
    } rows[] = {
        {"unknown command", {"frobnicate"}, 2, "unknown command"},
        {"missing argument", {"info"}, 2, "usage: ovikc info"},
        {"bad format", {"info", (dir / "bad.hqv").string()}, 1, "Formato sconosciuto."},
        {"missing file", {"info", (dir / "none.hqv").string()}, 1, "non esiste"},
        {"no such object", {"dump", (dir / "bad.hqv").string(), "0", "0"}, 1, "Formato"},
        {"kind out of range", {"new", (dir / "n.hqv").string(), "x"}, 2, "expected 1 argument"},
        {"unwritable output", {"new", "/proc/ovik/x.hqv"}, 1, "Salvataggio non riuscito!"},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        auto res = RunOvikc(r.args);
        EXPECT_EQ(res.status, r.status) << res.err;
        EXPECT_NE(res.err.find(r.inErr), std::string::npos) << res.err;
    }
    auto help = RunOvikc({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("resave IN OUT"), std::string::npos);
}

}  // namespace
}  // namespace ovik
