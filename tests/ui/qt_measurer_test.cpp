// Measuring with the real fonts (offscreen).
#include "ui/qt_measurer.h"

#include <gtest/gtest.h>

#include "qt_test_app.h"

namespace ovik::ui {
namespace {

TEST(QtMeasurer, StandInFacesAndPairwiseWidths) {
    TestApp();
    QtTextMeasurer m;
    EXPECT_TRUE(m.HasFace("Times New Roman"));
    EXPECT_TRUE(m.HasFace("Arial"));
    EXPECT_FALSE(m.HasFace("Nessun carattere simile"));
    platform::FontDesc mono{"Courier New", 10, 0};
    // A fixed-pitch face: every character has the same advance.
    EXPECT_EQ(m.Extent(mono, "iiii"), m.Extent(mono, "WWWW"));
    platform::FontDesc serif{"Times New Roman", 12, 0};
    EXPECT_GT(m.Extent(serif, "WWWW"), m.Extent(serif, "iiii"));
    EXPECT_GT(m.Extent({"Times New Roman", 24, 0}, "abc"), m.Extent(serif, "abc"));
    // Windows-1252 bytes: an accented letter measures like one character.
    EXPECT_GT(m.Extent(serif, "\xE8"), 0);
    EXPECT_EQ(m.CharWidth(serif, 'a', 'b') + m.CharWidth(serif, -1, 'a'), m.Extent(serif, "ab"));
    platform::FontCell cell = m.Metrics(serif);
    EXPECT_GT(cell.height, cell.ascent);
    EXPECT_GE(cell.height, 16);  // 12 points at 96 pixels per inch
}

}  // namespace
}  // namespace ovik::ui
