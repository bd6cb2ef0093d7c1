// Text measuring: what the engine asks of the host's font engine.
//
// The engine measures text while it reads box markup, so that layout only adds
// stored widths. A host implements three questions about a font: the advance
// (extent) of a Windows-1252 byte string, the character-cell height and the
// ascent. The engine derives everything else from them through the two rules
// below, which every host shares:
//  - pairwise width: a character c that follows a character p in the same font
//    is Extent(p c) - Extent(p); the first character after a font change is
//    measured alone, Extent(c). So kerning pairs are honoured.
//  - vertical position: a subscript (1) cell is h + h/2 high; a superscript (2)
//    cell has its ascent raised by h/2 (h = the plain cell height, / truncates).
// FixedMetricsMeasurer is the headless implementation used by tests and ovikc:
// every glyph has the same width, so widths and line breaks are exact integers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ovik::platform {

// A font as the measurer sees it. Style bits: 1 bold, 2 italic, 4 underline,
// 8 strike-out. Sizes are in points.
struct FontDesc {
    std::string face;
    int32_t size = 10;
    uint8_t style = 0;

    bool operator==(const FontDesc&) const = default;
};

struct FontCell {
    int32_t height = 0;  // character-cell height in pixels
    int32_t ascent = 0;  // top of the cell to the baseline
};

class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;

    // Advance width in pixels of `text` (Windows-1252 bytes) in `font`.
    virtual int32_t Extent(const FontDesc& font, std::string_view text) = 0;
    // Plain cell metrics of `font`, not adjusted for a vertical position.
    virtual FontCell Metrics(const FontDesc& font) = 0;
    // Screen resolution used to convert lengths between units and pixels.
    virtual int32_t PixelsPerInch() const = 0;
    // True when the host has a font of this face (painting falls back to a
    // bullet glyph when "Wingdings" is missing). Hosts that cannot tell say yes.
    virtual bool HasFace(std::string_view /*face*/) { return true; }

    // Width of `c` after `previous` (-1 = first character after a font change).
    int32_t CharWidth(const FontDesc& font, int previous, uint8_t c);

    // Cached measuring for bulk work (reading markup): FontSlot names a font
    // whose widths are kept after their first use; SlotCharWidth gives what
    // CharWidth gives. A host whose metrics change calls ClearWidthCache.
    int32_t FontSlot(const FontDesc& font);
    int32_t SlotCharWidth(int32_t slot, int previous, uint8_t c) {
        const WidthTable& t = slots_[size_t(slot)];
        int32_t w = previous < 0 ? t.single[c]
                    : t.pairs.empty() ? kUnknown
                                      : t.pairs[size_t(uint8_t(previous)) * 256 + c];
        return w != kUnknown ? w : MeasureIntoSlot(slot, previous, c);
    }
    void ClearWidthCache() { slots_.clear(); }
    // Cell metrics adjusted for the vertical position (0 normal, 1 subscript,
    // 2 superscript; other values count as normal).
    FontCell Cell(const FontDesc& font, uint8_t position);

private:
    int32_t MeasureIntoSlot(int32_t slot, int previous, uint8_t c);

    // Widths of one font: single characters and pairs, filled on first use
    // (kUnknown = not measured yet).
    struct WidthTable {
        FontDesc font;
        std::vector<int32_t> single;
        std::vector<int32_t> pairs;  // previous * 256 + c
        uint64_t lastUse = 0;
    };
    static constexpr int32_t kUnknown = INT32_MIN;
    static constexpr size_t kMaxSlots = 8;
    std::vector<WidthTable> slots_;
    uint64_t useClock_ = 0;
};

// Every glyph is `glyphWidth` pixels wide whatever the font. The cell height is
// the point size at the given resolution (rounded), at least 1; the ascent is
// four fifths of it.
class FixedMetricsMeasurer : public TextMeasurer {
public:
    explicit FixedMetricsMeasurer(int32_t glyphWidth = 8, int32_t pixelsPerInch = 96)
        : glyphWidth_(glyphWidth), ppi_(pixelsPerInch) {}

    int32_t Extent(const FontDesc& font, std::string_view text) override;
    FontCell Metrics(const FontDesc& font) override;
    int32_t PixelsPerInch() const override { return ppi_; }
    // Every face exists except those named missing (compared without case).
    bool HasFace(std::string_view face) override;
    void SetMissingFaces(std::vector<std::string> faces) { missing_ = std::move(faces); }

private:
    int32_t glyphWidth_;
    int32_t ppi_;
    std::vector<std::string> missing_;
};

// A process-wide fixed-metrics measurer for places that were given none.
TextMeasurer& DefaultMeasurer();

}  // namespace ovik::platform
