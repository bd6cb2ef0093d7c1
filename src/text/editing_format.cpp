// The editor's run and paragraph attribute commands, each one undo step.
#include "text/editing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>

#include "document/hqv_object.h"
#include "document/hqv_set.h"
#include "platform/messages.h"
#include "text/layout.h"
#include "text/editing_internal.h"

namespace ovik {

using namespace editing_detail;

// --- run attributes -----------------------------------------------------------------------------

template <class F>
void BoxEditor::RunCommand(const std::string& text, F change) {
    TextPosition s = Clamp(box_.SelectionStart()), e = Clamp(box_.SelectionEnd());
    RecordBox(text, s.paragraphIndex, e.paragraphIndex);
    box_.Lock();
    THQVparag& first = box_.Paragraph(s.paragraphIndex);
    THQVparag& last = box_.Paragraph(e.paragraphIndex);
    const TMyFont oldEnd = last.FontAt(e.charIndex);
    // A run that starts inside the selection gets the new value (in a run font
    // of its own, so no other run shares the change).
    auto changeRun = [&](THQVparag& p, int32_t i) {
        const TMyFont f = p.RunFont(p.Records()[size_t(i)].runFont).Font();
        const TMyFont g = change(f);
        if (g != f) StartRunWith(p, i, g);
    };
    const bool one = s.paragraphIndex == e.paragraphIndex;
    {
        const TMyFont f = first.FontAt(s.charIndex);
        const TMyFont g = change(f);
        if (g != f) StartRunWith(first, s.charIndex, g);
        const int32_t to = one ? e.charIndex : first.Length() + 1;
        for (int32_t i = s.charIndex + 1; i < to; ++i)
            if (first.Records()[size_t(i)].runFont >= 0) changeRun(first, i);
    }
    auto changeParagraph = [&](THQVparag& p) { p.Style().Assign(change(p.Font())); };
    for (int32_t pi = s.paragraphIndex + 1; pi < e.paragraphIndex; ++pi) {
        THQVparag& p = box_.Paragraph(pi);
        changeParagraph(p);
        for (int32_t i = 0; i <= p.Length(); ++i)
            if (p.Records()[size_t(i)].runFont >= 0) changeRun(p, i);
    }
    if (!one) {
        changeParagraph(last);
        for (int32_t i = 0; i < e.charIndex; ++i)
            if (last.Records()[size_t(i)].runFont >= 0) changeRun(last, i);
    }
    if (last.FontAt(e.charIndex) != oldEnd) StartRunWith(last, e.charIndex, oldEnd);
    for (int32_t pi = s.paragraphIndex; pi <= e.paragraphIndex; ++pi) box_.Paragraph(pi).Remeasure();
    Layout(s.paragraphIndex, e.paragraphIndex);
    box_.Unlock();
}

template <class P, class F>
void BoxEditor::RunOrPending(const std::string& text, P setPending, F change) {
    // Without a selection the value joins those already chosen for the next
    // typed characters (bold, then a face: both hold).
    if (!Editable()) return;
    const THQVTextAttributes::Pending keep = box_.TextAttributes().pending;
    CloseGroups();
    if (!HasSelectionText(box_)) {
        box_.TextAttributes().pending = keep;
        setPending(box_.TextAttributes().pending);
        return;
    }
    RunCommand(text, change);
}

using Pending = THQVTextAttributes::Pending;

void BoxEditor::SetColour(int32_t colour) {
    RunOrPending(
        "Applica colore " + ColourName(colour),
        [&](Pending& p) { p.colour = colour; p.colourSet = true; },
        [&](TMyFont f) { f.colour = colour; return f; });
}

void BoxEditor::SetFace(std::string_view face) {
    const std::string name(face.substr(0, kMarkupFaceMax));
    RunOrPending(
        "Applica font " + std::string(face), [&](Pending& p) { p.face = name; p.faceSet = true; },
        [&](TMyFont f) { f.face = name; return f; });
}

void BoxEditor::SetPosition(uint8_t position) {
    static const char* const kNames[] = {"Normale", "Pedice", "Apice"};
    if (position > 2) return;
    RunOrPending(
        std::string("Applica font ") + kNames[position],
        [&](Pending& p) { p.position = position; p.positionSet = true; },
        [&](TMyFont f) { f.position = position; return f; });
}

void BoxEditor::SetStyleBits(uint8_t bits) {
    bits &= 0xF;
    RunOrPending(
        "Applica stile font: " + StyleText(bits), [&](Pending& p) { p.style = bits; p.styleSet = true; },
        [&](TMyFont f) { f.style = bits; return f; });
}

void BoxEditor::SetAndClearStyleBits(uint8_t toClear, uint8_t toSet) {
    auto apply = [&](uint8_t v) { return uint8_t((v | toSet) & ~toClear & 0xF); };
    const uint8_t current = box_.TextAttributes().Style();
    RunOrPending(
        "Applica stile font: ", [&](Pending& p) { p.style = apply(current); p.styleSet = true; },
        [&](TMyFont f) { f.style = apply(f.style); return f; });
}

void BoxEditor::SetSize(int32_t points) {
    if (points <= 0) return;
    RunOrPending(
        "Applica dimensione font " + NumberText(points),
        [&](Pending& p) { p.size = points; p.sizeSet = true; },
        [&](TMyFont f) { f.size = points; return f; });
}

void BoxEditor::SetFont(const TMyFont& shown, const TMyFont& chosen) {
    static const char* const kPositions[] = {"Normale", "Pedice", "Apice"};
    const std::string face = chosen.face.substr(0, kMarkupFaceMax);
    const bool faceChanged = !face.empty() && chosen.face != shown.face;
    const bool sizeChanged = chosen.size > 0 && chosen.size != shown.size;
    const bool colourChanged = chosen.colour != shown.colour;
    const uint8_t toSet = chosen.style & ~shown.style & 0xF, toClear = shown.style & ~chosen.style & 0xF;
    const bool styleChanged = (toSet | toClear) != 0;
    const bool positionChanged = chosen.position <= 2 && chosen.position != shown.position;
    const int changes = faceChanged + sizeChanged + colourChanged + styleChanged + positionChanged;
    if (changes == 0) return;
    // One change reads as the command of that attribute; several as a font.
    std::string text = "Applica font " + face;
    if (changes == 1 && sizeChanged) text = "Applica dimensione font " + NumberText(chosen.size);
    if (changes == 1 && colourChanged) text = "Applica colore " + ColourName(chosen.colour);
    if (changes == 1 && styleChanged) text = "Applica stile font: " + StyleText(chosen.style);
    if (changes == 1 && positionChanged) text = std::string("Applica font ") + kPositions[chosen.position];
    auto bits = [&](uint8_t v) { return uint8_t((v | toSet) & ~toClear & 0xF); };
    const uint8_t current = box_.TextAttributes().Style();
    RunOrPending(
        text,
        [&](Pending& p) {
            if (faceChanged) p.face = face, p.faceSet = true;
            if (sizeChanged) p.size = chosen.size, p.sizeSet = true;
            if (colourChanged) p.colour = chosen.colour, p.colourSet = true;
            if (styleChanged) p.style = bits(p.styleSet ? p.style : current), p.styleSet = true;
            if (positionChanged) p.position = chosen.position, p.positionSet = true;
        },
        [&](TMyFont f) {
            if (faceChanged) f.face = face;
            if (sizeChanged) f.size = chosen.size;
            if (colourChanged) f.colour = chosen.colour;
            if (styleChanged) f.style = bits(f.style);
            if (positionChanged) f.position = chosen.position;
            return f;
        });
}

void BoxEditor::SetLink(int32_t linkValue) {
    if (!Editable()) return;
    CloseGroups();
    if (!HasSelectionText(box_)) {
        box_.Set().Messages().Warning("Selection must exists!");
        return;
    }
    TextPosition s = Clamp(box_.SelectionStart()), e = Clamp(box_.SelectionEnd());
    RecordBox("Inserisci collegamento ", s.paragraphIndex, e.paragraphIndex);
    box_.Lock();
    for (int32_t pi = s.paragraphIndex; pi <= e.paragraphIndex; ++pi) {
        THQVparag& p = box_.Paragraph(pi);
        const int32_t from = pi == s.paragraphIndex ? s.charIndex : 0;
        const int32_t to = pi == e.paragraphIndex ? e.charIndex : p.Length();
        // End records never carry a link: a link ends with its paragraph.
        for (int32_t i = from; i < to; ++i) p.Records()[size_t(i)].link = linkValue;
        p.Remeasure();
    }
    Layout(s.paragraphIndex, e.paragraphIndex);
    box_.Unlock();
}

// --- paragraph attributes -----------------------------------------------------------------------

template <class F>
void BoxEditor::ParaCommand(const std::string& text, F change, bool remeasure) {
    if (!Editable() || box_.ParagraphCount() == 0) return;
    CloseGroups();
    int32_t first, last;
    if (HasSelectionText(box_)) {
        first = Clamp(box_.SelectionStart()).paragraphIndex;
        last = Clamp(box_.SelectionEnd()).paragraphIndex;
    } else {
        first = last = Clamp(box_.caret).paragraphIndex;
    }
    if (!text.empty()) RecordBox(text, first, last);
    box_.Lock();
    for (int32_t i = first; i <= last; ++i) {
        THQVparag& p = box_.Paragraph(i);
        change(p);
        if (remeasure) p.Remeasure();
        else p.MeasureBaseHeight();
    }
    Layout(first, last);
    box_.Unlock();
}

void BoxEditor::SetAlignment(uint8_t a) {
    static const char* const kTexts[] = {"Allinea a sinistra", "Allinea a destra", "Centra"};
    if (a > 2) return;
    ParaCommand(kTexts[a], [&](THQVparag& p) { p.Style().Set(Attr::Align, a); }, false);
}

void BoxEditor::SetListKind(uint8_t n) {
    const int32_t ppi = box_.Measurer().PixelsPerInch();
    ParaCommand("Numerazione " + std::to_string(n), [&](THQVparag& p) {
        THQVParaStyle& st = p.Style();
        const uint8_t unit = uint8_t(st.Get(Attr::Unit));
        if (n != 0 && st.Get(Attr::ListKind) == 0) {
            const double tenMm = PixelsToUnit(10.0 * ppi / 25.4, unit, ppi);
            const double left = st.LengthInUnit(Attr::Left, ppi);
            st.SetLengthInUnit(Attr::Indent, -tenMm, ppi);
            st.SetLengthInUnit(Attr::Left, left + tenMm, ppi);
        } else if (n == 0) {
            st.Set(Attr::Left, ClampToInt32(int64_t(st.Get(Attr::Left)) + st.Get(Attr::Indent)));
            st.Set(Attr::Indent, 0);
        }
        st.Set(Attr::ListKind, n);
    }, false);
}

void BoxEditor::SetUnit(uint8_t u) {
    if (u > umPixels) return;
    ParaCommand("", [&](THQVparag& p) { p.Style().Set(Attr::Unit, u); }, false);
}

#define OVIK_LENGTH_COMMAND(Name, AttrName, Text)                                                 \
    void BoxEditor::Name(double x) {                                                            \
        const int32_t ppi = box_.Measurer().PixelsPerInch();                                    \
        ParaCommand(std::string(Text) + NumberText(x),                                          \
                    [&](THQVparag& p) { p.Style().SetLengthInUnit(Attr::AttrName, x, ppi); }, \
                    false);                                                                     \
    }
OVIK_LENGTH_COMMAND(SetLineHeight, LineHeight, "Altezza linea ")
OVIK_LENGTH_COMMAND(SetSpaceAbove, Above, "Margine sup ")
OVIK_LENGTH_COMMAND(SetSpaceBelow, Below, "Margine inf ")
OVIK_LENGTH_COMMAND(SetFirstIndent, Indent, "Margine indent ")
OVIK_LENGTH_COMMAND(SetLeftMargin, Left, "Margine sx ")
OVIK_LENGTH_COMMAND(SetRightMargin, Right, "Margine dx ")
#undef OVIK_LENGTH_COMMAND

void BoxEditor::SetLinkColour(int32_t colour) {
    ParaCommand("Colore link " + ColourName(colour),
                [&](THQVparag& p) { p.Style().Set(Attr::LinkColour, colour); }, true);
}

void BoxEditor::SetLinkSize(int32_t n) {
    ParaCommand("Dimensione link " + NumberText(n),
                [&](THQVparag& p) { p.Style().Set(Attr::LinkSize, n); }, true);
}

void BoxEditor::SetLinkStyle(uint8_t bits) {
    ParaCommand("Stile link " + StyleText(bits),
                [&](THQVparag& p) { p.Style().Set(Attr::LinkStyle, bits & 0xF); }, true);
}

}  // namespace ovik
