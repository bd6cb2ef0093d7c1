// Shared fixture of the text tests: a new hypertext, a fixed-metrics measurer
// and helpers that read markup into a box and write it back.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/hqv_set.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "text/fake_controls.h"
#include "text/hqv_box.h"

namespace ovik::testing {

inline std::string Str(const Bytes& b) { return std::string(b.begin(), b.end()); }

// Every paragraph of the box keeps the model's invariants.
inline void ExpectInvariants(const THQVbox& box) {
    for (int32_t i = 0; i < box.ParagraphCount(); ++i) {
        std::string e = box.Paragraph(i).CheckInvariants();
        EXPECT_EQ(e, "") << "paragraph " << i;
    }
}

class TextFixture : public ::testing::Test {
protected:
    TextFixture() : set(msgs), measurer(8, 96), box(set, measurer) {}

    // Reads `markup` (as a whole stream) into the box, replacing its paragraphs.
    void Load(std::string_view markup) {
        box.ClearParagraphs();
        BoxStream s(markup);
        box.LoadText(&s, nullptr, nullptr);
    }
    std::string Rewrite(std::string_view markup, WriteMode mode = WriteMode::Whole) {
        Load(markup);
        return Str(box.Markup(mode));
    }
    THQVparag& P(int i = 0) { return box.Paragraph(i); }

    platform::RecordingMessages msgs;
    THQVset set;
    platform::FixedMetricsMeasurer measurer;
    THQVbox box;
};

}  // namespace ovik::testing
