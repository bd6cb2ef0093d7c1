#include "document/style_record.h"

#include "document/hqv_object.h"

namespace ovik {

void SetStyleDefaults(THQVoggetto& s) {
    using namespace style_rec;
    s.FillRecord(0);
    s.SetStr(kFace, kFaceMax, "Times New Roman");
    s.SetI16(kSize, 12);
    s.SetI32(kColour, 0);
    s.SetU8(kStyle, 0);
    s.SetU8(kPosition, 0);
    s.SetU8(kAlign, 0);
    s.SetU8(kListKind, 0);
    s.SetU8(kValueP, 0);
    s.SetU8(kUnit, 1);
    s.SetI16(kLeft, 10);
    s.SetI16(kRight, 10);
    s.SetI16(kAbove, 0);
    s.SetI16(kBelow, 0);
    s.SetI16(kIndent, 0);
    s.SetI16(kLineHeight, kAutoLineHeight);
    s.SetI16(kLinkSize, -1);
    s.SetI32(kLinkColour, 0xFF0000);
    s.SetU8(kLinkStyle, 4);
    // Bytes past the stored record keep the usual 0xFF filler.
    for (size_t i = 103; i < 668; ++i) s.SetU8(i, 0xFF);
    for (size_t i = 103; i < 115; ++i) s.SetU8(i, 0);
}

}  // namespace ovik
