#include "platform/text_measurer.h"

#include <algorithm>
#include <cstdlib>

namespace ovik::platform {

int32_t TextMeasurer::CharWidth(const FontDesc& font, int previous, uint8_t c) {
    char pair[2] = {char(previous), char(c)};
    if (previous < 0) return Extent(font, std::string_view(pair + 1, 1));
    return Extent(font, std::string_view(pair, 2)) - Extent(font, std::string_view(pair, 1));
}

int32_t TextMeasurer::FontSlot(const FontDesc& font) {
    ++useClock_;
    for (size_t i = 0; i < slots_.size(); ++i)
        if (slots_[i].font == font) {
            slots_[i].lastUse = useClock_;
            return int32_t(i);
        }
    size_t i = slots_.size();
    if (i < kMaxSlots) {
        slots_.emplace_back();
    } else {
        // Reuse the least recently used table.
        i = 0;
        for (size_t k = 1; k < slots_.size(); ++k)
            if (slots_[k].lastUse < slots_[i].lastUse) i = k;
    }
    WidthTable& t = slots_[i];
    t.font = font;
    t.single.assign(256, kUnknown);
    t.pairs.clear();
    t.lastUse = useClock_;
    return int32_t(i);
}

int32_t TextMeasurer::MeasureIntoSlot(int32_t slot, int previous, uint8_t c) {
    WidthTable& t = slots_[size_t(slot)];
    if (previous < 0) return t.single[c] = CharWidth(t.font, -1, c);
    if (t.pairs.empty()) t.pairs.assign(256 * 256, kUnknown);
    return t.pairs[size_t(uint8_t(previous)) * 256 + c] = CharWidth(t.font, previous, c);
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

bool FixedMetricsMeasurer::HasFace(std::string_view face) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    for (const std::string& m : missing_)
        if (std::equal(m.begin(), m.end(), face.begin(), face.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }))
            return false;
    return true;
}

TextMeasurer& DefaultMeasurer() {
    static FixedMetricsMeasurer m;
    return m;
}

}  // namespace ovik::platform
