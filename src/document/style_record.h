// The paragraph-style record (kind stileParagrafo) and its defaults.
//
// The style's fields live in its object record; bytes 72..114 are its attribute
// block, which with the name decides whether two styles are equal.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ovik {

class THQVoggetto;

namespace style_rec {
inline constexpr size_t kState = 4, kName = 5, kFace = 39, kSize = 72, kColour = 74, kStyle = 78,
                        kLinkSize = 79, kLinkColour = 81, kLinkStyle = 85, kLeft = 86,
                        kRight = 88, kAbove = 90, kBelow = 92, kLineHeight = 94, kIndent = 96,
                        kUnit = 98, kAlign = 99, kListKind = 100, kValueP = 101,
                        kPosition = 102;
inline constexpr size_t kAttrBlock = 72, kAttrBlockLen = 43;
inline constexpr size_t kNameMax = 32, kFaceMax = 32;
inline constexpr int16_t kAutoLineHeight = -32000;
}  // namespace style_rec

inline constexpr const char* kNoStyleName = "[nessuno stile]";
inline constexpr const char* kNoTableStyleName = "[nessuno stile tabella]";

// Fills the record with the defaults of a new style (state 0, unnamed).
void SetStyleDefaults(THQVoggetto& style);

}  // namespace ovik
