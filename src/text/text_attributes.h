// Font and paragraph attributes, their two-level override model and units.
//
// A paragraph refers to a paragraph style object (kind stileParagrafo) that
// holds a complete set of eighteen attributes. The paragraph may override any
// of them (THQVParaStyle), and a run of characters may override the five font
// attributes (THQVFontStyle). Both follow one rule:
//  - setting an attribute compares the value with the base style's value: equal
//    clears the override, different sets it;
//  - reading returns the override when it is set, else the base style's value.
// So an override equal to the style vanishes at once, and a change of the style
// reaches every paragraph and run that does not override that attribute.
// Run fonts have the paragraph's style as base: a run never inherits the
// paragraph's own font overrides.
//
// Lengths (line height, indent, margins, spaces) are held in pixels and shown
// in one of six units; pixels per inch come from the text measurer.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/text_measurer.h"

namespace ovik {

class THQVoggetto;

// The eighteen attributes, in the order of their items in box markup
// (keys c F s y p P A N M L I l r t b C S Y). The first five are font attributes.
enum class Attr : uint8_t {
    Colour,      // c  font colour (32-bit, low byte red)
    Face,        // F  font face name
    Size,        // s  font size in points
    Style,       // y  style bits: 1 bold, 2 italic, 4 underline, 8 strike-out
    Position,    // p  0 normal, 1 subscript, 2 superscript
    ValueP,      // P  stored, copied and written; nothing interprets it
    Align,       // A  0 left, 1 right, 2 centred
    ListKind,    // N  0 none, 6 numbered, 10 bulleted
    Unit,        // M  TUnitOfMeasure in which lengths are shown
    LineHeight,  // L  pixels; 0 or less = from the fonts (-32000 in new styles)
    Indent,      // I  first-line indent in pixels, negative = hanging
    Left,        // l  left margin in pixels
    Right,       // r  right margin in pixels
    Above,       // t  space above in pixels
    Below,       // b  space below in pixels
    LinkColour,  // C  colour of links
    LinkSize,    // S  link size in points, -1 = the run's size
    LinkStyle,   // Y  style bits a link toggles
};
inline constexpr int kAttrCount = 18;
inline constexpr int kFontAttrCount = 5;
// The markup key of each attribute, indexed by Attr.
inline constexpr char kAttrKeys[kAttrCount + 1] = "cFsypPANMLIlrtbCSY";
// The longest face name a font keeps: what a style record holds (32). Names in
// markup, typed or chosen longer are cut to this.
inline constexpr size_t kMarkupFaceMax = 32;

// The attribute's value in a style object's record (Face reads as 0; use
// StyleFace). A null style reads as the defaults of a new style.
int32_t StyleValue(const THQVoggetto* style, Attr a);
std::string StyleFace(const THQVoggetto* style);
// Writes one attribute into a style object's record (face cut to 32 bytes).
void SetStyleValue(THQVoggetto& style, Attr a, int32_t v);
void SetStyleFace(THQVoggetto& style, std::string_view face);

// Units in which lengths are shown and typed (`M`).
enum TUnitOfMeasure : uint8_t {
    umCentimetres = 0,
    umMillimetres = 1,
    umInches = 2,
    umPoints = 3,
    umPicas = 4,
    umPixels = 5,
};
// Pixels to a unit (unknown units count as pixels).
double PixelsToUnit(double pixels, uint8_t unit, int32_t pixelsPerInch);
// A value typed in a unit to pixels, rounded to the nearest integer.
int32_t UnitToPixels(double value, uint8_t unit, int32_t pixelsPerInch);

// A plain font value.
struct TMyFont {
    std::string face;
    uint8_t style = 0;
    int32_t colour = 0;
    int32_t size = 10;
    uint8_t position = 0;

    bool operator==(const TMyFont&) const = default;
    // The font as the text measurer sees it (no colour or vertical position).
    platform::FontDesc Desc() const { return {face, size, style}; }
};

// Override values and flags over a base style; shared by the run font and the
// paragraph style.
class StyleOverrides {
public:
    explicit StyleOverrides(THQVoggetto* base = nullptr) : base_(base) {}
    StyleOverrides(const StyleOverrides& o)
        : base_(o.base_), over_(o.over_ ? std::make_unique<Values>(*o.over_) : nullptr) {}
    StyleOverrides& operator=(const StyleOverrides& o) {
        if (this != &o) {
            base_ = o.base_;
            over_ = o.over_ ? std::make_unique<Values>(*o.over_) : nullptr;
        }
        return *this;
    }
    StyleOverrides(StyleOverrides&&) noexcept = default;
    StyleOverrides& operator=(StyleOverrides&&) noexcept = default;

    THQVoggetto* Base() const { return base_; }

    bool IsSet(Attr a) const { return over_ && ((over_->flags >> int(a)) & 1u); }
    // The effective value: the override when set, else the base style's value.
    int32_t Get(Attr a) const;
    std::string Face() const;
    // The override rule (Face through SetFace).
    void Set(Attr a, int32_t v);
    void SetFace(std::string_view face);
    // Drops every override.
    void Clear() { over_.reset(); }

    int32_t Colour() const { return Get(Attr::Colour); }
    int32_t Size() const { return Get(Attr::Size); }
    uint8_t Style() const { return uint8_t(Get(Attr::Style)); }
    uint8_t Position() const { return uint8_t(Get(Attr::Position)); }
    void SetColour(int32_t v) { Set(Attr::Colour, v); }
    void SetSize(int32_t v) { Set(Attr::Size, v); }
    void SetStyle(uint8_t v) { Set(Attr::Style, v); }
    void SetPosition(uint8_t v) { Set(Attr::Position, v); }

    // The effective font attributes.
    TMyFont Font() const;

private:
    // Clears one flag; the block goes with the last one.
    void Drop(uint32_t bit);

protected:
    // The overridden values. Most paragraphs and many runs override nothing:
    // they hold no block at all (a paragraph is kept small, there may be a
    // million of them), and a block exists only while a flag is set.
    struct Values {
        uint32_t flags = 0;
        std::array<int32_t, kAttrCount> values{};
        std::string face;
    };
    THQVoggetto* base_;
    std::unique_ptr<Values> over_;
};

class THQVParaStyle;

// The font of a run, or the running font of a paragraph (five font attributes).
class THQVFontStyle : public StyleOverrides {
public:
    explicit THQVFontStyle(THQVoggetto* base = nullptr) : StyleOverrides(base) {}

    // Replaces the base; override values and flags stay as they are.
    void SetBase(THQVoggetto* base) { base_ = base; }
    // The other's base, then its five values through the override rule.
    void Assign(const THQVFontStyle& other);
    // All five values through the override rule (base unchanged).
    void Assign(const TMyFont& font);
    // Face, size and style bits of a measurer font (not colour or position).
    void Assign(const platform::FontDesc& font);
    // The paragraph's base and its effective font values.
    void Assign(const THQVParaStyle& para);
};

// The style of one paragraph: base style and eighteen overrides. (The font in
// force at the current point while reading is the reader's own.)
class THQVParaStyle : public StyleOverrides {
public:
    explicit THQVParaStyle(THQVoggetto* base = nullptr) : StyleOverrides(base) {}

    void SetBase(THQVoggetto* base) { base_ = base; }

    // True when any of the eighteen attributes is overridden.
    bool HasOverrides() const { return over_ != nullptr; }
    void ClearOverrides() { over_.reset(); }

    // Lengths in the paragraph's unit (`M`), and set from a value in that unit
    // (converted to pixels and rounded).
    double LengthInUnit(Attr a, int32_t pixelsPerInch) const;
    void SetLengthInUnit(Attr a, double value, int32_t pixelsPerInch);

    // Base, then all eighteen effective values through the override rule
    // (lengths pass through the source's unit).
    void Assign(const THQVParaStyle& other, int32_t pixelsPerInch);
    // The font linked text of this paragraph is measured and drawn in, from the
    // font of its run: the link colour, the style bits exclusive-or the link
    // style (a bold link in bold text shows normal), and the link size when
    // one is set (above 0; -1 = the run's size).
    TMyFont LinkFont(TMyFont run) const;

    // The font attributes only.
    void Assign(const THQVFontStyle& font);
    void Assign(const TMyFont& font);
};

// True for the six length attributes (L, I, l, r, t, b).
constexpr bool IsLength(Attr a) { return a >= Attr::LineHeight && a <= Attr::Below; }

}  // namespace ovik
