// ovikc spell: the background check run headlessly over the pages of a file.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include <nlohmann/json.hpp>

#include "support/hqv_builder.h"
#include "support/run_tool.h"

namespace ovik {
namespace {

using testing::RunOvikc;
using testing::TempDir;

struct SpellCli : ::testing::Test {
    TempDir dir;
    std::string file;
    SpellCli() {
        // The test dictionaries, and a settings folder of this test only.
        setenv("DICPATH", (std::string(OVIK_TEST_DATA) + "/spell").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        testing::HqvBuilder b;
        b.AddDefaultStyles();
        b.Add(0, b.PageRecord("Prima", std::string("<Z S0 >il gattto mangia<Z S0 >uno due") + '\0'), 292);
        b.Add(0, b.PageRecord("Seconda", std::string("<Z S0 >la citt\xE0 di sera<Z S0 >casa") + '\0'), 292);
        b.Add(0, b.PageRecord("Terza", std::string("<Z S0 >il cane") + '\0'), 292);
        file = (dir / "libro.hqv").string();
        b.WriteTo(dir / "libro.hqv");
    }
};

TEST_F(SpellCli, ReportsEveryErrorWithItsPlaceAndSuggestions) {
    auto r = RunOvikc({"spell", file, "--json"});
    ASSERT_EQ(r.status, 1) << r.err;  // errors were found
    auto j = nlohmann::json::parse(r.out);
    ASSERT_EQ(j.size(), 3u) << r.out;
    EXPECT_EQ(j[0]["page"], 0);
    EXPECT_EQ(j[0]["paragraph"], 0);
    EXPECT_EQ(j[0]["offset"], 3);
    EXPECT_EQ(j[0]["length"], 6);
    EXPECT_EQ(j[0]["code"], 1);
    EXPECT_EQ(j[0]["word"], "gattto");
    ASSERT_FALSE(j[0]["suggestions"].empty());
    EXPECT_EQ(j[0]["suggestions"][0], "gatto");
    // "la" and "di" are not words of the test dictionary; "città" is, in UTF-8 on output.
    EXPECT_EQ(j[1]["page"], 1);
    EXPECT_EQ(j[1]["word"], "la");
    EXPECT_EQ(j[2]["word"], "di");
    EXPECT_EQ(j[2]["offset"], 9);

    // Text lines, a page list, and a clean page exits 0.
    r = RunOvikc({"spell", file, "--pages", "0"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("page 0 paragraph 0 offset 3 length 6 code 1 \"gattto\": gatto"), std::string::npos)
        << r.out;
    r = RunOvikc({"spell", file, "--pages", "2"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(r.out.empty());
    // With uncapped sentences on, the lower-case first word is reported (code 10, "Il").
    r = RunOvikc({"spell", file, "--pages", "2", "--options", "31", "--json"});
    EXPECT_EQ(r.status, 1);
    j = nlohmann::json::parse(r.out);
    ASSERT_EQ(j.size(), 1u);
    EXPECT_EQ(j[0]["code"], 10);
    EXPECT_EQ(j[0]["suggestions"][0], "Il");
    // The user dictionary of the editor counts.
    std::filesystem::create_directories(dir / "config" / "ZW");
    std::ofstream(dir / "config" / "ZW" / "CUSTOM.DIC") << "gattto\n";
    r = RunOvikc({"spell", file, "--pages", "0"});
    EXPECT_EQ(r.status, 0) << r.out;
}

TEST_F(SpellCli, FailuresSayWhy) {
    auto r = RunOvikc({"spell", file, "--lang", "1031"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no dictionary is installed for language 1031 (Tedesco)"), std::string::npos) << r.err;
    r = RunOvikc({"spell", file, "--lang", "abc"});
    EXPECT_EQ(r.status, 2);
    r = RunOvikc({"spell", (dir / "none.hqv").string()});
    EXPECT_EQ(r.status, 1);
    // English falls back from Australian to US (the primary language).
    r = RunOvikc({"spell", file, "--lang", "3081", "--pages", "2"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Inglese (Stati Uniti)"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace ovik
