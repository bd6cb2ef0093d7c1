// ovikc frames and frame-layout: a page's frames as a view sizes them, and a
// layout saved to a file and loaded into another page.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "document/hqv_set.h"
#include "page/page_record.h"
#include "platform/messages.h"
#include "support/hqv_builder.h"
#include "support/run_tool.h"
#include "view/frames.h"

namespace ovik {
namespace {

namespace fs = std::filesystem;
using testing::RunOvikc;

// Page 1 hosts two frames side by side, 30% showing page 2 and the rest page 0.
struct FrameFile {
    testing::TempDir dir;
    fs::path file = dir / "f.hqv";
    FrameFile() {
        platform::RecordingMessages msgs;
        THQVset set(msgs);
        set.NewHypertext();
        for (const char* t : {"Zero", "Uno", "Due"}) set.AddNewObject(testoHtml)->SetName(t);
        Bytes records;
        FrameRecord root;
        root.id = 1;
        root.title = "Pag1";
        root.spacing = 4;
        root.Write(records);
        FrameRecord left;
        left.id = 2;
        left.parentId = 1;
        left.title = "sinistra";
        left.arrangement = 1;
        left.percentage = 30;
        left.page = 2;
        left.Write(records);
        FrameRecord right = left;
        right.id = 3;
        right.title = "destra";
        right.arrangement = 5;
        right.page = 0;
        right.Write(records);
        FrameTree tree;
        EXPECT_TRUE(tree.ReadRecords(records, kFrameRecordSize));
        EXPECT_TRUE(SetPageLayout(set, 1, tree));
        EXPECT_TRUE(set.SaveHypertext(file));
    }
};

TEST(OvikcFrames, ListsTheFramesAsAViewSizesThem) {
    FrameFile f;
    auto r = RunOvikc({"frames", f.file.string(), "--page", "1", "--width", "404", "--height", "300", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto j = nlohmann::json::parse(r.out);
    ASSERT_EQ(j.size(), 3u);
    EXPECT_EQ(j[0]["title"], "Pag1");
    EXPECT_EQ(j[1]["title"], "sinistra");
    EXPECT_EQ(j[1]["page"], 2);
    EXPECT_EQ(j[1]["width"], 120);  // 30% of 400
    EXPECT_EQ(j[2]["x"], 124);
    EXPECT_EQ(j[2]["width"], 280);
    EXPECT_EQ(j[2]["height"], 300);
    // A page without a layout is one frame.
    r = RunOvikc({"frames", f.file.string(), "--page", "2", "--width", "100", "--height", "50"});
    EXPECT_EQ(r.out, "Pag2\tpage 2\t0,0 100x50\n");
}

TEST(OvikcFrames, SavesAndLoadsLayoutFiles) {
    FrameFile f;
    const fs::path frm = f.dir / "due.frm", out = f.dir / "new.hqv";
    auto r = RunOvikc({"frame-layout", f.file.string(), "--page", "1", "--save", frm.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(fs::file_size(frm), 8u + 3 * 58);
    r = RunOvikc({"frame-layout", f.file.string(), "--page", "0", "--load", frm.string(), "-o", out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    r = RunOvikc({"frames", out.string(), "--page", "0", "--width", "404", "--height", "300", "--json"});
    auto j = nlohmann::json::parse(r.out);
    ASSERT_EQ(j.size(), 3u);
    EXPECT_EQ(j[2]["title"], "destra");

    // A file that is no layout file: the message, exit 1, nothing written.
    const fs::path bad = f.dir / "bad.frm", none = f.dir / "none.hqv";
    std::ofstream(bad, std::ios::binary) << "not a layout";
    r = RunOvikc({"frame-layout", f.file.string(), "--page", "0", "--load", bad.string(), "-o", none.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Formato file errato!"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(none));
}

}  // namespace
}  // namespace ovik
