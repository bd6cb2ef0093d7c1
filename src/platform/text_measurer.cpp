#include "platform/text_measurer.h"

#include <cstdlib>

namespace ovik::platform {

int32_t TextMeasurer::CharWidth(const FontDesc& font, int previous, uint8_t c) {
    char pair[2] = {char(previous), char(c)};
    if (previous < 0) return Extent(font, std::string_view(pair + 1, 1));
    return Extent(font, std::string_view(pair, 2)) - Extent(font, std::string_view(pair, 1));
}

FontCell TextMeasurer::Cell(const FontDesc& font, uint8_t position) {
    FontCell m = Metrics(font);
    int32_t h = m.height;
    if (position == 1) m.height = h + h / 2;
    else if (position == 2) m.ascent = m.ascent + h / 2;
    return m;
}

int32_t FixedMetricsMeasurer::Extent(const FontDesc&, std::string_view text) {
    return int32_t(text.size()) * glyphWidth_;
}

FontCell FixedMetricsMeasurer::Metrics(const FontDesc& font) {
    // Sizes come from documents: keep the arithmetic in 64 bits and the result
    // in a sane range whatever the stored size.
    int64_t size = std::llabs(int64_t(font.size));
    if (size > 10000) size = 10000;
    int32_t h = int32_t((size * ppi_ + 36) / 72);
    if (h < 1) h = 1;
    return {h, h * 4 / 5};
}

TextMeasurer& DefaultMeasurer() {
    static FixedMetricsMeasurer m;
    return m;
}

}  // namespace ovik::platform
