// ovikc layout and form elements, buttons, multimedia and markers: each object
// listed with its control, subtype and size.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "document/hqv_set.h"
#include "page/placed_controls.h"
#include "platform/control_metrics.h"
#include "platform/messages.h"
#include "support/hqv_builder.h"
#include "support/page_text.h"
#include "support/run_tool.h"

namespace ovik {
namespace {

using platform::FixedControlMetrics;
using testing::RunOvikc;

TEST(OvikcLayout, ListsFormControlsWithTheirSizes) {
    testing::TempDir dir;
    const auto hqv = dir / "f.hqv";
    {
        platform::RecordingMessages msgs;
        THQVset set(msgs);
        set.NewHypertext();
        THQVoggetto* page = set.AddNewObject(testoHtml);
        std::string text = "<Z S0 >";
        auto add = [&](uint8_t kind, uint8_t subtype) {
            auto o = NewControlObject(set, kind, subtype);
            THQVoggetto* r = THQVoggetto::Register(o, -1);
            text += testing::Tag(r->Id());
            return r;
        };
        add(inizioForm, 1);
        add(inputStat, 1)->SetU8(form_rec::kWidthChars, 20);
        add(bottoneCGI, 3)->SetStr(button_rec::kCaption, button_rec::kCaptionLen, "Annulla");
        add(multiMedia, 1);
        add(shortObj, 27);
        page->SetContent(testing::Content(text));
        ASSERT_TRUE(set.SaveHypertext(hqv));
    }
    auto r = RunOvikc({"layout", hqv.string(), "--page", "0", "--width", "2000", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json objects = nlohmann::json::parse(r.out)["objects"];
    struct Row {
        const char* control;
        int subtype, width, height;
    };
    // Form elements and buttons stand 2 pixels higher in a line than they are.
    const Row rows[] = {{"TMyyInizioForm", 1, 18, 18},
                        {"TMyyEdit", 1, 20 * FixedControlMetrics::kCharWidth, FixedControlMetrics::kEditHeight + 2},
                        {"TMyyButton", 3, 9 * FixedControlMetrics::kCharWidth, FixedControlMetrics::kEditHeight + 2},
                        {"TMyyMultimedia", 1, 18, 18},
                        {"TMyyBelPanel", 27, 90, 18}};
    ASSERT_EQ(objects.size(), std::size(rows)) << r.out;
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(objects[i]["control"], rows[i].control);
        EXPECT_EQ(objects[i]["subtype"], rows[i].subtype);
        EXPECT_EQ(objects[i]["width"], rows[i].width);
        EXPECT_EQ(objects[i]["height"], rows[i].height);
    }
    r = RunOvikc({"layout", hqv.string(), "--page", "0", "--width", "2000"});
    EXPECT_NE(r.out.find(" 140x23\tTMyyEdit subtype 1\n"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace ovik
