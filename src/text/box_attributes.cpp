#include "text/box_attributes.h"

#include <algorithm>

#include "core/codepage.h"
#include "document/hqv_object.h"
#include "document/hqv_set.h"
#include "document/style_record.h"

namespace ovik {

// --- THQVTextAttributes -----------------------------------------------------------------------

const THQVparag* THQVTextAttributes::Place(At where, int32_t& index) const {
    TextPosition p;
    int32_t offset = 0;
    switch (where) {
        case At::Reference:
            p = box_.hasSelection ? box_.SelectionStart() : box_.caret;
            offset = box_.hasSelection ? 0 : -1;
            break;
        case At::Caret: p = box_.caret; break;
        case At::AfterCaret:
            p = box_.caret;
            offset = 1;
            break;
        case At::BeforeSelectionStart:
            p = box_.SelectionStart();
            offset = -1;
            break;
        case At::SelectionEnd: p = box_.SelectionEnd(); break;
        case At::BeforeSelectionEnd:
            p = box_.SelectionEnd();
            offset = -1;
            break;
    }
    const THQVparag* para = box_.Resolve(p);
    if (!para) return nullptr;
    index = p.charIndex + offset;
    return para;
}

TMyFont THQVTextAttributes::FontAt(At where) const {
    int32_t i = 0;
    const THQVparag* p = Place(where, i);
    if (!p) return TMyFont{};
    return i < 0 ? p->Font() : p->FontAt(i);
}

int32_t THQVTextAttributes::LinkAt(At where) const {
    int32_t i = 0;
    const THQVparag* p = Place(where, i);
    if (!p || i < 0) return kNoLink;
    return p->Records()[size_t(std::min(i, p->Length()))].link;
}

int32_t THQVTextAttributes::Colour() const {
    return pending.colourSet ? pending.colour : ReferenceFont().colour;
}
std::string THQVTextAttributes::Face() const {
    return pending.faceSet ? pending.face : ReferenceFont().face;
}
int32_t THQVTextAttributes::Size() const { return pending.sizeSet ? pending.size : ReferenceFont().size; }
uint8_t THQVTextAttributes::Style() const {
    return pending.styleSet ? pending.style : ReferenceFont().style;
}
uint8_t THQVTextAttributes::Position() const {
    return pending.positionSet ? pending.position : ReferenceFont().position;
}

int32_t THQVTextAttributes::LinkValue() const { return LinkAt(At::Reference); }

THQVoggetto* THQVTextAttributes::Link() const {
    int32_t v = LinkValue();
    if (v == kNoLink) return nullptr;
    uint8_t k = IdKind(v);
    if (k != testoHtml && k != genLink) return nullptr;
    return box_.Set().GetObjectById(v);
}

std::string THQVTextAttributes::CurrentText() const {
    if (!box_.hasSelection) return "";
    TextPosition a = box_.SelectionStart(), b = box_.SelectionEnd();
    if (!box_.IsValid(a) || !box_.IsValid(b)) return "";
    std::string out;
    for (int32_t i = a.paragraphIndex; i <= b.paragraphIndex; ++i) {
        const std::string& t = box_.Paragraph(i).Text();
        size_t from = i == a.paragraphIndex ? size_t(a.charIndex) : 0;
        size_t to = i == b.paragraphIndex ? size_t(b.charIndex) : t.size();
        if (to > from) out.append(t, from, to - from);
    }
    return out;
}

bool THQVTextAttributes::DiffersFromStyle(std::string_view name) const {
    const THQVoggetto* s = box_.Set().FindStyle(name);
    if (!s) return true;
    int32_t i = 0;
    const THQVparag* p = Place(At::Reference, i);
    if (!p) return true;
    const TMyFont f = FontAt(At::Reference);
    return !(f.size == StyleValue(s, Attr::Size) && f.colour == StyleValue(s, Attr::Colour) &&
             f.face == StyleFace(s) && f.style == StyleValue(s, Attr::Style) &&
             f.position == StyleValue(s, Attr::Position) && !p->Style().HasOverrides());
}

void THQVTextAttributes::CopyFontIntoStyle(THQVoggetto& style) const {
    SetStyleFace(style, Face().substr(0, style_rec::kFaceMax));
    SetStyleValue(style, Attr::Size, Size());
    SetStyleValue(style, Attr::Colour, Colour());
    SetStyleValue(style, Attr::Style, Style());
    SetStyleValue(style, Attr::Position, 0);
}

StyleBoxAction StyleBoxChoice(THQVbox& box, std::string_view name) {
    const std::string own = box.ParaAttributes().StyleName();
    if (own.empty() || !cp1252::EqualNoCase(own, name)) return StyleBoxAction::Apply;
    return box.TextAttributes().DiffersFromStyle(name) ? StyleBoxAction::Ask : StyleBoxAction::Apply;
}

std::unique_ptr<THQVoggetto> StyleExampleFromText(THQVbox& box) {
    std::unique_ptr<THQVoggetto> example = box.ParaAttributes().StyleFromParagraph();
    if (example) box.TextAttributes().CopyFontIntoStyle(*example);
    return example;
}

// --- THQVParaAttributes -------------------------------------------------------------------------

const THQVparag* THQVParaAttributes::Caret() const {
    TextPosition p = box_.caret;
    return box_.Resolve(p);
}

int32_t THQVParaAttributes::Value(Attr a) const {
    const THQVparag* p = Caret();
    return p ? p->Style().Get(a) : StyleValue(box_.StyleObject(0), a);
}

double THQVParaAttributes::Length(Attr a) const {
    const THQVparag* p = Caret();
    return p ? p->Style().LengthInUnit(a, box_.Measurer().PixelsPerInch()) : 0.0;
}

std::string THQVParaAttributes::StyleName() const {
    const THQVparag* p = Caret();
    return p && p->Style().Base() ? p->Style().Base()->Name() : "";
}

int32_t THQVParaAttributes::StyleNumber() const {
    const THQVparag* p = Caret();
    return p && p->Style().Base() ? p->Style().Base()->Number() : 0;
}

std::unique_ptr<THQVoggetto> THQVParaAttributes::StyleFromParagraph() const {
    auto s = std::make_unique<THQVoggetto>(&box_.Set(), stileParagrafo);
    const THQVparag* p = Caret();
    const THQVoggetto* base = p ? p->Style().Base() : box_.StyleObject(0);
    if (base) s->SetRecord(base->Record());
    else SetStyleDefaults(*s);
    if (!p) return s;
    const THQVParaStyle& st = p->Style();
    const int32_t ppi = box_.Measurer().PixelsPerInch();
    const uint8_t unit = uint8_t(st.Get(Attr::Unit));
    for (int k = 0; k < kAttrCount; ++k) {
        Attr a = Attr(k);
        if (a == Attr::Face) SetStyleFace(*s, st.Face());
        else if (IsLength(a))
            SetStyleValue(*s, a, UnitToPixels(PixelsToUnit(st.Get(a), unit, ppi), unit, ppi));
        else SetStyleValue(*s, a, st.Get(a));
    }
    SetStyleValue(*s, Attr::Position, 0);
    return s;
}

bool THQVParaAttributes::ApplyStyle(std::string_view name) {
    box_.Lock();
    int32_t first, last;
    if (box_.hasSelection) {
        first = box_.SelectionStart().paragraphIndex;
        last = box_.SelectionEnd().paragraphIndex;
    } else {
        first = last = box_.caret.paragraphIndex;
    }
    if (box_.undo) box_.undo->RecordBoxEntry(box_, "Stile " + std::string(name), first, last);
    THQVoggetto* style = box_.Set().FindStyle(name);
    if (!style) {
        box_.Unlock();
        return false;
    }
    ApplyStyleToParagraphs(box_, first, last, *style);
    box_.Unlock();
    return true;
}

void ApplyStyleToParagraphs(THQVbox& box, int32_t first, int32_t last, THQVoggetto& style) {
    first = std::max(first, 0);
    last = std::min(last, box.ParagraphCount() - 1);
    if (first > last) return;
    box.Lock();
    for (int32_t i = first; i <= last; ++i) {
        THQVparag& p = box.Paragraph(i);
        if (p.Style().Base() == &style) {
            p.ClearRuns();
        } else {
            p.Style().SetBase(&style);
            // Runs keep their overrides; their base follows the paragraph.
            for (auto& f : p.RunFonts()) f->SetBase(&style);
        }
        p.Style().ClearOverrides();
        // The text takes the style's fonts: its widths change with them.
        p.Remeasure();
    }
    if (box.OnLayout) box.OnLayout(box, first, last);
    if (box.OnChanged) box.OnChanged(box);
    box.Unlock();
}

std::vector<THQVoggetto*> ImportStyles(THQVset& into, const THQVset& from,
                                       const std::vector<int32_t>& numbers) {
    std::vector<THQVoggetto*> added;
    for (int32_t n : numbers) {
        const THQVoggetto* src = from.GetObject(stileParagrafo, n);
        if (!src || src->IsFree()) continue;
        Bytes stream;
        src->SaveToTransfer(stream);
        auto copy = std::make_unique<THQVoggetto>(&into, stileParagrafo);
        size_t pos = 0;
        if (!copy->LoadFromTransfer(stream.data(), stream.size(), pos)) continue;
        if (into.FindEqualObject(*copy)) continue;
        copy->SetName(into.UniqueStyleName(copy->Name()));
        THQVoggetto* reg = THQVoggetto::Register(copy, -1);
        if (reg) added.push_back(reg);
    }
    return added;
}

}  // namespace ovik
