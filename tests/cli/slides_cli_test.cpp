// ovikc slides: listing the sequence that follows a page and writing a new one.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "document/hqv_set.h"
#include "page/page_record.h"
#include "platform/messages.h"
#include "support/hqv_builder.h"
#include "support/run_tool.h"

namespace ovik {
namespace {

namespace fs = std::filesystem;
using testing::RunOvikc;

// Pages 0 to 4; 1 -> 2 -> 3 -> 1 is a ring, page 2 shown for 7 seconds.
struct SlideFile {
    testing::TempDir dir;
    fs::path file = dir / "s.hqv";
    SlideFile() {
        platform::RecordingMessages msgs;
        THQVset set(msgs);
        set.NewHypertext();
        for (const char* t : {"Zero", "Uno", "Due", "Tre", "Quattro"}) set.AddNewObject(testoHtml)->SetName(t);
        for (auto [from, to] : {std::pair{1, 2}, {2, 3}, {3, 1}}) PageRecord{*set.Page(from)}.SetSlideTarget(to);
        PageRecord{*set.Page(2)}.SetSlideDelay(7);
        PageRecord{*set.Page(3)}.SetSlideDelay(5);
        EXPECT_TRUE(set.SaveHypertext(file));
    }
};

TEST(OvikcSlides, ListsAndWritesTheSequence) {
    SlideFile f;
    auto r = RunOvikc({"slides", f.file.string(), "1", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out), nlohmann::json::parse(R"([{"page":2,"delay":7},{"page":3,"delay":5}])"));
    r = RunOvikc({"slides", f.file.string(), "1"});
    EXPECT_EQ(r.out, "2\t7\tDue\n3\t5\tTre\n");

    const fs::path out = f.dir / "new.hqv";
    r = RunOvikc({"slides", f.file.string(), "0", "--set", "4:9,2,1:3", "-o", out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "3 slides after page 0\n");
    r = RunOvikc({"slides", out.string(), "0", "--json"});
    // 0 -> 4 (9 s) -> 2 (5 s) -> 1 (3 s), which keeps leading on to 2: listed already, the list ends there.
    EXPECT_EQ(nlohmann::json::parse(r.out),
              nlohmann::json::parse(R"([{"page":4,"delay":9},{"page":2,"delay":5},{"page":1,"delay":3}])"));
}

TEST(OvikcSlides, RefusesWhatCannotBeASequenceAndWritesNothing) {
    SlideFile f;
    const fs::path out = f.dir / "new.hqv";
    struct Case {
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {{"slides", f.file.string(), "9"}, 1},                                        // no such start page
        {{"slides", f.file.string(), "0", "--set", "2,2", "-o", out.string()}, 1},     // listed twice
        {{"slides", f.file.string(), "0", "--set", "0,2", "-o", out.string()}, 1},     // the start page first
        {{"slides", f.file.string(), "0", "--set", "2,77", "-o", out.string()}, 1},    // no such page
        {{"slides", f.file.string(), "0", "--set", "2:x", "-o", out.string()}, 2},     // not a number
        {{"slides", f.file.string(), "0", "--set", "2"}, 2},                           // no output named
    };
    for (const Case& c : cases) {
        auto r = RunOvikc(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[3] << ": " << r.err;
        EXPECT_FALSE(r.err.empty());
        EXPECT_FALSE(fs::exists(out));
    }
}

}  // namespace
}  // namespace ovik
