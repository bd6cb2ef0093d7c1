// Helpers shared by the editing command files: the pending attributes of
// the caret, the selection test, run fonts and paragraph styles.
#pragma once

#include "text/editing.h"

namespace ovik::editing_detail {

// The font with the pending attributes applied.
inline TMyFont WithPending(TMyFont f, const THQVTextAttributes::Pending& p) {
    if (p.colourSet) f.colour = p.colour;
    if (p.faceSet) f.face = p.face;
    if (p.sizeSet) f.size = p.size;
    if (p.styleSet) f.style = p.style;
    if (p.positionSet) f.position = p.position;
    return f;
}

// A selection that holds at least one character.
inline bool HasSelectionText(const THQVbox& b) {
    return b.hasSelection && Before(b.SelectionStart(), b.SelectionEnd());
}

inline bool AnyPending(const THQVTextAttributes::Pending& p) {
    return p.colourSet || p.faceSet || p.sizeSet || p.styleSet || p.positionSet;
}

inline void StartRunWith(THQVparag& p, int32_t i, const TMyFont& f) {
    THQVFontStyle fs(p.Style().Base());
    fs.Assign(f);
    p.StartRunAt(i, p.AddRunFont(fs));
}

// Gives a paragraph another paragraph's style; its run fonts follow the new
// base, as every run font has its paragraph's style as base.
inline void TakeStyle(THQVparag& p, const THQVParaStyle& style, int32_t ppi) {
    p.Style().Assign(style, ppi);
    for (auto& f : p.RunFonts()) f->SetBase(p.Style().Base());
}

}  // namespace ovik::editing_detail
