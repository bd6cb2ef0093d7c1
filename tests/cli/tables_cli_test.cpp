// ovikc layout and tables: the column header and every cell's place, nested
// tables after the table that holds them.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "document/hqv_set.h"
#include "platform/messages.h"
#include "support/hqv_builder.h"
#include "support/page_text.h"
#include "support/run_tool.h"

namespace ovik {
namespace {

namespace fs = std::filesystem;
using testing::RunOvikc;

// Page 0: a 1 x 2 table of 30% and 70% at 80% of the page, the second cell
// holding a 1 x 1 table of 40 pixels.
struct TablesFile {
    testing::TempDir dir;
    fs::path hqv = dir / "t.hqv";
    TablesFile() {
        platform::RecordingMessages msgs;
        THQVset set(msgs);
        set.NewHypertext();
        THQVoggetto* page = set.AddNewObject(testoHtml);
        THQVoggetto* outer = set.AddNewObject(tabellaHtml);
        outer->SetU8(94, 2);
        outer->SetU8(5, 0);
        outer->SetI16(97, 30);
        outer->SetU8(6, 0);
        outer->SetI16(99, 70);
        outer->SetU8(89, 80);
        THQVoggetto* inner = set.AddNewObject(tabellaHtml);
        inner->SetI16(97, 40);
        page->SetContent(testing::Content("<Z S0 >" + testing::Tag(outer->Id()) + "<Z S1 >a<T><Z S1 >" +
                                          testing::Tag(inner->Id()) + "<Z S1 >b<T><T>"));
        EXPECT_TRUE(set.SaveHypertext(hqv));
    }
};

TEST(OvikcLayout, ListsTablesWithTheirHeaderAndCells) {
    TablesFile f;
    auto r = RunOvikc({"layout", f.hqv.string(), "--page", "0", "--width", "500", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json tables = nlohmann::json::parse(r.out)["tables"];
    ASSERT_EQ(tables.size(), 2u) << r.out;
    EXPECT_EQ(tables[0]["number"], 0);
    EXPECT_EQ(tables[0]["header"], (nlohmann::json{"30%", "70%"}));
    const nlohmann::json& cells = tables[0]["cells"];
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0]["row"], 0);
    EXPECT_EQ(cells[1]["col"], 1);
    EXPECT_EQ(cells[0]["x"], 2);
    EXPECT_EQ(cells[0]["y"], 2);
    // The two shares of what 80% of the line leaves after the spacing.
    const int avail = cells[0]["max_width"].get<int>() + cells[1]["max_width"].get<int>();
    EXPECT_NEAR(cells[0]["max_width"].get<int>() * 100.0 / avail, 30.0, 1.0);
    EXPECT_EQ(cells[1]["x"], 2 + cells[0]["width"].get<int>() + 2);
    EXPECT_EQ(cells[0]["height"], cells[1]["height"]);
    EXPECT_EQ(tables[1]["number"], 1);
    EXPECT_EQ(tables[1]["header"], (nlohmann::json{"40"}));
    EXPECT_EQ(tables[1]["cells"][0]["max_width"], 40);

    auto text = RunOvikc({"layout", f.hqv.string(), "--page", "0", "--width", "500"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("table 0\theader 30% | 70%\n  row 0 col 0\t2,2 max "), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("table 1\theader 40\n"), std::string::npos) << text.out;
}

}  // namespace
}  // namespace ovik
