#include "text/text_attributes.h"

#include <cmath>
#include <memory>

#include "document/hqv_object.h"
#include "document/style_record.h"

namespace ovik {
namespace {

using namespace style_rec;

// Record offset and width (1, 2 or 4 bytes) of each attribute in a style record.
struct Field {
    size_t off;
    int width;
};
constexpr Field kFields[kAttrCount] = {
    {kColour, 4},     {kFace, 0},       {kSize, 2},   {kStyle, 1},      {kPosition, 1},
    {kValueP, 1},     {kAlign, 1},      {kListKind, 1}, {kUnit, 1},     {kLineHeight, 2},
    {kIndent, 2},     {kLeft, 2},       {kRight, 2},  {kAbove, 2},      {kBelow, 2},
    {kLinkColour, 4}, {kLinkSize, 2},   {kLinkStyle, 1},
};

// Stands in for a missing base style: the defaults of a new style.
const THQVoggetto& DefaultStyleObject() {
    static const std::unique_ptr<THQVoggetto> s = [] {
        auto o = std::make_unique<THQVoggetto>(nullptr, stileParagrafo);
        SetStyleDefaults(*o);
        return o;
    }();
    return *s;
}

double UnitsPerInch(uint8_t unit) {
    switch (unit) {
        case umCentimetres: return 2.54;
        case umMillimetres: return 25.4;
        case umInches: return 1.0;
        case umPoints: return 72.0;
        case umPicas: return 6.0;
        default: return 0.0;  // pixels
    }
}

}  // namespace

int32_t StyleValue(const THQVoggetto* style, Attr a) {
    const THQVoggetto& s = style ? *style : DefaultStyleObject();
    const Field f = kFields[int(a)];
    switch (f.width) {
        case 1: return s.U8(f.off);
        case 2: return s.I16(f.off);
        case 4: return s.I32(f.off);
        default: return 0;
    }
}

std::string StyleFace(const THQVoggetto* style) {
    const THQVoggetto& s = style ? *style : DefaultStyleObject();
    return s.Str(kFace, kFaceMax);
}

void SetStyleValue(THQVoggetto& style, Attr a, int32_t v) {
    const Field f = kFields[int(a)];
    switch (f.width) {
        case 1: style.SetU8(f.off, uint8_t(v)); break;
        case 2: style.SetI16(f.off, int16_t(v)); break;
        case 4: style.SetI32(f.off, v); break;
        default: break;
    }
}

void SetStyleFace(THQVoggetto& style, std::string_view face) { style.SetStr(kFace, kFaceMax, face); }

double PixelsToUnit(double pixels, uint8_t unit, int32_t ppi) {
    double upi = UnitsPerInch(unit);
    if (upi == 0.0 || ppi <= 0) return pixels;
    return pixels / ppi * upi;
}

int32_t UnitToPixels(double value, uint8_t unit, int32_t ppi) {
    double upi = UnitsPerInch(unit);
    double px = (upi == 0.0 || ppi <= 0) ? value : value / upi * ppi;
    if (!(px == px)) return 0;  // NaN typed in
    if (px > 2147483647.0) return INT32_MAX;
    if (px < -2147483648.0) return INT32_MIN;
    return int32_t(std::lround(px));
}

// --- StyleOverrides -----------------------------------------------------------------

int32_t StyleOverrides::Get(Attr a) const {
    return IsSet(a) ? over_->values[size_t(a)] : StyleValue(base_, a);
}

std::string StyleOverrides::Face() const { return IsSet(Attr::Face) ? over_->face : StyleFace(base_); }

void StyleOverrides::Set(Attr a, int32_t v) {
    if (a == Attr::Face) return;
    // One-byte attributes hold what a byte holds, like the style record.
    if (a == Attr::Style || a == Attr::LinkStyle || a == Attr::Position || a == Attr::ValueP ||
        a == Attr::Align || a == Attr::ListKind || a == Attr::Unit)
        v &= 0xFF;
    const uint32_t bit = 1u << int(a);
    if (v == StyleValue(base_, a)) {
        Drop(bit);
    } else {
        if (!over_) over_ = std::make_unique<Values>();
        over_->flags |= bit;
        over_->values[size_t(a)] = v;
    }
}

void StyleOverrides::Drop(uint32_t bit) {
    if (!over_) return;
    over_->flags &= ~bit;
    if (over_->flags == 0) over_.reset();
}

void StyleOverrides::SetFace(std::string_view face) {
    const uint32_t bit = 1u << int(Attr::Face);
    if (face == StyleFace(base_)) {
        Drop(bit);
    } else {
        if (!over_) over_ = std::make_unique<Values>();
        over_->flags |= bit;
        over_->face = std::string(face);
    }
}

TMyFont StyleOverrides::Font() const {
    TMyFont f;
    f.face = Face();
    f.style = Style();
    f.colour = Colour();
    f.size = Size();
    f.position = Position();
    return f;
}

// --- THQVFontStyle ----------------------------------------------------------------------

void THQVFontStyle::Assign(const THQVFontStyle& other) {
    base_ = other.base_;
    Assign(other.Font());
}

void THQVFontStyle::Assign(const TMyFont& f) {
    SetColour(f.colour);
    SetFace(f.face);
    SetSize(f.size);
    SetStyle(f.style);
    SetPosition(f.position);
}

void THQVFontStyle::Assign(const platform::FontDesc& f) {
    SetFace(f.face);
    SetSize(f.size);
    SetStyle(f.style);
}

void THQVFontStyle::Assign(const THQVParaStyle& para) {
    base_ = para.Base();
    Assign(para.Font());
}

// --- THQVParaStyle --------------------------------------------------------------------------

double THQVParaStyle::LengthInUnit(Attr a, int32_t ppi) const {
    return PixelsToUnit(Get(a), uint8_t(Get(Attr::Unit)), ppi);
}

void THQVParaStyle::SetLengthInUnit(Attr a, double value, int32_t ppi) {
    Set(a, UnitToPixels(value, uint8_t(Get(Attr::Unit)), ppi));
}

void THQVParaStyle::Assign(const THQVParaStyle& other, int32_t ppi) {
    SetBase(other.Base());
    const uint8_t unit = uint8_t(other.Get(Attr::Unit));
    for (int i = 0; i < kAttrCount; ++i) {
        Attr a = Attr(i);
        if (a == Attr::Face) SetFace(other.Face());
        else if (IsLength(a))
            Set(a, UnitToPixels(PixelsToUnit(other.Get(a), unit, ppi), unit, ppi));
        else Set(a, other.Get(a));
    }
}

TMyFont THQVParaStyle::LinkFont(TMyFont f) const {
    f.colour = Get(Attr::LinkColour);
    f.style = uint8_t((f.style ^ Get(Attr::LinkStyle)) & 0xFF);
    const int32_t size = Get(Attr::LinkSize);
    if (size > 0) f.size = size;
    return f;
}

void THQVParaStyle::Assign(const THQVFontStyle& font) { Assign(font.Font()); }

void THQVParaStyle::Assign(const TMyFont& f) {
    SetColour(f.colour);
    SetFace(f.face);
    SetSize(f.size);
    SetStyle(f.style);
    SetPosition(f.position);
}

}  // namespace ovik
