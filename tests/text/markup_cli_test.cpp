// ovikc markup end to end: markup in on standard input, markup out.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

struct ToolResult {
    std::string out;
    int status = -1;
};

ToolResult RunMarkup(const std::string& input, const std::string& args) {
    const auto in = std::filesystem::temp_directory_path() / "ovik_markup_cli_test.in";
    {
        std::ofstream f(in, std::ios::binary);
        f << input;
    }
    const std::string cmd = std::string("'") + OVIKC_PATH + "' markup " + args + " < '" +
                            in.string() + "' 2>/dev/null";
    ToolResult r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    r.status = pclose(p);
    std::filesystem::remove(in);
    return r;
}

TEST(MarkupCliTest, ModesAndRanges) {
    struct Row {
        const char* name;
        std::string args;
        std::string out;
    };
    const std::string in = "<Z S0 A2 >abc<Y s20 >defgh<$00000001>ij<Z S1 >&lt;x&gt;";
    const Row rows[] = {
        {"whole by default", "", "<Z S0 A2 >abc<Y s20 >defgh<$00000001>ij<%><Z S1 >&lt;x&gt;"},
        {"flat range", "--mode flat --from 4 --to 6",
         "<Z S0 A2 ><Y c000000 F\"Times New Roman\" s20 y0 p0 >ef<Z S1 ><Y c000000 F\"Times New "
         "Roman\" s12 y0 p0 >"},
        {"continuation", "--mode continuation --to 2",
         "<Y c000000 F\"Times New Roman\" s12 y0 p0 >ab<Y c000000 F\"Times New Roman\" s12 y0 p0 "
         ">&lt;x"},
        {"range writes whole paragraphs", "--mode range --from 1 --to 2",
         "<Z S0 A2 >abc<Y s20 >defgh<$00000001>ij<%><Z S1 >&lt;x&gt;"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        ToolResult res = RunMarkup(in, r.args);
        EXPECT_EQ(res.status, 0);
        EXPECT_EQ(res.out, r.out);
    }
    EXPECT_NE(RunMarkup(in, "--mode sideways").status, 0);
    EXPECT_NE(RunMarkup(in, "--from 5 --to 2").status, 0);
}

}  // namespace
