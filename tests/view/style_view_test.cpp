// The style preview: a private hypertext whose sample page shows a paragraph
// style, loaded from and stored back into a style of the hypertext edited.
#include <gtest/gtest.h>

#include <algorithm>

#include "document/hqv_set.h"
#include "document/style_record.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "text/text_attributes.h"
#include "view/style_view.h"

namespace ovik {
namespace {

TEST(StyleView, PreviewsAStyleAndGivesItBack) {
    platform::RecordingMessages msgs;
    platform::FixedMetricsMeasurer measurer;
    THQVset set{msgs};
    set.NewHypertext();
    THQVoggetto* titolo = set.AddNewObject(stileParagrafo);
    SetStyleDefaults(*titolo);
    titolo->SetName("Titolo");
    SetStyleValue(*titolo, Attr::Size, 24);

    THQVstyleView preview(measurer, msgs);
    int changes = 0;
    preview.OnStyleChange = [&] { ++changes; };
    EXPECT_TRUE(preview.ReadOnly());
    EXPECT_FALSE(preview.ShowNested());
    preview.LoadStyle(*titolo);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(preview.Style().Name(), "Titolo");
    EXPECT_EQ(StyleValue(&preview.Style(), Attr::Size), 24);
    // Three sample paragraphs in the style, each with a link span.
    THQVbox* box = preview.CurrentBox();
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->ParagraphCount(), 3);
    for (int32_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        box->SetCaret(i, 0);
        EXPECT_EQ(box->ParaAttributes().StyleNumber(), THQVstyleView::kStyleNumber);
        EXPECT_EQ(box->Paragraph(i).Text().rfind(THQVstyleView::kSample, 0), 0u);
        const auto& recs = box->Paragraph(i).Records();
        EXPECT_TRUE(std::any_of(recs.begin(), recs.end(), [](const auto& r) { return r.link != kNoLink; }));
    }
    // Changed in the preview and stored back.
    SetStyleValue(preview.Style(), Attr::Size, 30);
    preview.StoreStyle(*titolo);
    EXPECT_EQ(StyleValue(titolo, Attr::Size), 30);
    // A new style has the defaults and a numbered name.
    preview.NewStyle(42);
    EXPECT_EQ(preview.Style().Name(), "Nuovo stile 42");
    EXPECT_NE(StyleValue(&preview.Style(), Attr::Size), 30);
    EXPECT_TRUE(msgs.entries().empty()) << msgs.joined();
}

}  // namespace
}  // namespace ovik
