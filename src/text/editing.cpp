#include "text/editing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>

#include "document/hqv_object.h"
#include "document/hqv_set.h"
#include "platform/messages.h"
#include "text/layout.h"

namespace ovik {

// --- texts --------------------------------------------------------------------------------------

bool IsWordSeparator(uint8_t c) {
    return (c >= 32 && c <= 34) || (c >= 39 && c <= 47) || (c >= 58 && c <= 63) ||
           (c >= 123 && c <= 126) || c == 147 || c == 148;
}

std::string ColourName(int32_t colour) {
    switch (uint32_t(colour)) {
        case 0: return "Nero";
        case 128: return "Marrone";
        case 255: return "Rosso";
        case 0x8000: return "Verde";
        case 0x8080: return "Oliva";
        case 0xFF00: return "Verde chiaro";
        case 0xFFFF: return "Giallo";
        case 0x800000: return "Blu scuro";
        case 0x800080: return "Violetto";
        case 0x808000: return "Acqua";
        case 0x808080: return "Grigio scuro";
        case 0xC0C0C0: return "Grigio chiaro";
        case 0xFF0000: return "Blu";
        case 0xFF00FF: return "Fucsia";
        case 0xFFFF00: return "Azzurro";
        case 0xFFFFFF: return "Bianco";
        default: return "Custom";
    }
}

std::string StyleText(uint8_t bits) {
    std::string s;
    if (bits & 2) s += "Italico ";
    if (bits & 1) s += "Grassetto ";
    return s;
}

std::string NumberText(double v) {
    if (!std::isfinite(v)) return "0";
    if (v == std::floor(v) && std::fabs(v) < 1e15) return std::to_string(int64_t(v));
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// --- helpers ------------------------------------------------------------------------------------

namespace {

// The font with the pending attributes applied.
TMyFont WithPending(TMyFont f, const THQVTextAttributes::Pending& p) {
    if (p.colourSet) f.colour = p.colour;
    if (p.faceSet) f.face = p.face;
    if (p.sizeSet) f.size = p.size;
    if (p.styleSet) f.style = p.style;
    if (p.positionSet) f.position = p.position;
    return f;
}

// A selection that holds at least one character.
bool HasSelectionText(const THQVbox& b) {
    return b.hasSelection && Before(b.SelectionStart(), b.SelectionEnd());
}

bool AnyPending(const THQVTextAttributes::Pending& p) {
    return p.colourSet || p.faceSet || p.sizeSet || p.styleSet || p.positionSet;
}

void StartRunWith(THQVparag& p, int32_t i, const TMyFont& f) {
    THQVFontStyle fs(p.Style().Base());
    fs.Assign(f);
    p.StartRunAt(i, p.AddRunFont(fs));
}

// Gives a paragraph another paragraph's style; its run fonts follow the new
// base, as every run font has its paragraph's style as base.
void TakeStyle(THQVparag& p, const THQVParaStyle& style, int32_t ppi) {
    p.Style().Assign(style, ppi);
    for (auto& f : p.RunFonts()) f->SetBase(p.Style().Base());
}


}  // namespace

THQVparag* BoxEditor::CaretParagraph() { return box_.Resolve(box_.caret); }

TextPosition BoxEditor::Clamp(TextPosition p) const {
    if (box_.ParagraphCount() == 0) return p;
    int32_t pi = std::clamp(p.paragraphIndex, 0, box_.ParagraphCount() - 1);
    // Paragraph, character and line only: the caret's x and y come from the
    // layout when the view draws it (PositionOf), not on every keystroke.
    TextPosition q = box_.MakePosition(pi, std::clamp(p.charIndex, 0, box_.Paragraph(pi).Length()));
    q.lineIndex = LineOf(box_.Paragraph(pi), q.charIndex);
    return q;
}

bool BoxEditor::HoldsTable(const THQVparag& p) const {
    bool anyTable = false;
    for (const PlacedObject* o : p.Objects()) anyTable = anyTable || (o && o->IsTable());
    if (!anyTable) return false;
    for (const CharRecord& r : p.Records())
        if (r.object >= 0 && p.Objects()[size_t(r.object)] && p.Objects()[size_t(r.object)]->IsTable())
            return true;
    return false;
}

void BoxEditor::Layout(int32_t first, int32_t last) {
    first = std::max(first, 0);
    last = std::min(last, box_.ParagraphCount() - 1);
    if (box_.OnLayout && first <= last) box_.OnLayout(box_, first, last);
    if (box_.OnChanged) box_.OnChanged(box_);
}

void BoxEditor::RecordBox(const std::string& text, int32_t first, int32_t last) {
    if (box_.undo) box_.undo->RecordBoxEntry(box_, text, first, last);
}

void BoxEditor::SetCurrentRange(int32_t first, int32_t last) {
    if (box_.undo) box_.undo->SetCurrentRange(box_, first, last);
}

void BoxEditor::CloseGroups() {
    THQVTextAttributes& ta = box_.TextAttributes();
    ta.typingGroup = ta.deletionGroup = false;
    ta.pending = THQVTextAttributes::Pending{};
    groupParagraph_ = -1;
    typingRunPara_ = nullptr;
}

void BoxEditor::SplitParagraph(int32_t i, int32_t at) {
    THQVparag& p = box_.Paragraph(i);
    at = std::clamp(at, 0, p.Length());
    const TMyFont before = at > 0 ? p.FontAt(at - 1) : p.Font();
    auto tail = std::make_unique<THQVparag>(box_, p.origin);
    tail->Style() = p.Style();
    tail->Style().Assign(before);
    p.SplitInto(at, *tail);
    tail->MeasureBaseHeight();
    if (tail->Length() > 0) tail->MeasureChar(0);
    p.MeasureBaseHeight();
    box_.Paragraphs().insert(box_.Paragraphs().begin() + i + 1, std::move(tail));
}

bool BoxEditor::JoinParagraphs(int32_t i) {
    if (i < 0 || i + 1 >= box_.ParagraphCount()) return false;
    const THQVparag& a = box_.Paragraph(i);
    const THQVparag& b = box_.Paragraph(i + 1);
    Bytes m;
    a.Write(m, WriteMode::Flat);
    b.Write(m, WriteMode::Continuation);
    m.push_back(0);
    auto joined = std::make_unique<THQVparag>(box_, a.origin);
    BoxStream s(m);
    if (!joined->Read(s, ReadKind::Flat) && !s.AtEnd()) return false;
    auto& list = box_.Paragraphs();
    list[size_t(i)] = std::move(joined);
    list.erase(list.begin() + i + 1);
    return true;
}

// --- typing -------------------------------------------------------------------------------------

bool BoxEditor::KeyPress(uint8_t byte) {
    if (byte < 32 || Locked() || !Editable()) return false;
    return TypeChar(byte);
}

bool BoxEditor::TypeChar(uint8_t byte) {
    if (byte < 32 || Locked() || !Editable() || box_.ParagraphCount() == 0) return false;
    THQVTextAttributes& ta = box_.TextAttributes();
    box_.caret = Clamp(box_.caret);
    if (!ta.typingGroup || groupParagraph_ != box_.caret.paragraphIndex) {
        const THQVTextAttributes::Pending keep = ta.pending;
        if (box_.hasSelection) DeleteSelection();
        ta.pending = keep;
        RecordBox("Inserimento caratteri", box_.caret.paragraphIndex, box_.caret.paragraphIndex);
        ta.typingGroup = true;
        typingRunPara_ = nullptr;
        actions_.Post({EditAction::TypingGroupBegan});
    }
    ta.deletionGroup = false;
    box_.Lock();
    int32_t pi = box_.caret.paragraphIndex;
    int32_t c = box_.caret.charIndex;
    if (HoldsTable(box_.Paragraph(pi))) {
        // The character goes into a paragraph of its own next to the table.
        SplitParagraph(pi, c);
        SetCurrentRange(pi, pi + 1);
        if (c != 0) ++pi;
        c = 0;
    }
    groupParagraph_ = pi;
    THQVparag& p = box_.Paragraph(pi);
    // The run in force before the caret; while a typing group goes on it is
    // the run of the character typed last, kept so that typing into a long
    // paragraph does not scan back for every character.
    const bool cached = c > 0 && typingRunPara_ == &p && typingRunAt_ == c - 1 &&
                        typingRunFonts_ == p.RunFonts().size() &&
                        typingRun_ < int32_t(p.RunFonts().size());
    const int32_t runBefore = c > 0 ? (cached ? typingRun_ : p.RunFontIndexAt(c - 1)) : -1;
    const TMyFont before = runBefore >= 0 ? p.RunFont(runBefore).Font() : p.Font();

    if (autoEngQuote && (byte == '"' || byte == '\'')) {
        const uint8_t prev = c > 0 ? uint8_t(p.Text()[size_t(c - 1)]) : 0;
        const bool opening = c == 0 || prev == ' ' || prev == 146 || prev == 148;
        if (byte == '"') byte = opening ? 147 : 148;
        else byte = opening ? 145 : 146;
    }

    CharRecord r;
    r.link = c > 0 ? p.Records()[size_t(c - 1)].link : kNoLink;
    const bool pending = AnyPending(ta.pending);
    if (pending) {
        THQVFontStyle fs(p.Style().Base());
        fs.Assign(WithPending(before, ta.pending));
        r.runFont = p.AddRunFont(fs);
    }
    p.InsertChar(c, byte, r);
    if (pending) {
        if (p.Records()[size_t(c + 1)].runFont < 0) StartRunWith(p, c + 1, before);
        ta.pending = THQVTextAttributes::Pending{};
    }
    // The new character's font is known; the next one's pairwise width
    // follows the new character.
    const TMyFont typed = pending ? p.RunFont(p.Records()[size_t(c)].runFont).Font() : before;
    p.MeasureChar(c, typed);
    if (c + 1 < p.Length()) {
        const int32_t next = p.Records()[size_t(c + 1)].runFont;
        p.MeasureChar(c + 1, next >= 0 ? p.RunFont(next).Font() : typed);
    }
    typingRunPara_ = &p;
    typingRunAt_ = c;
    typingRun_ = p.Records()[size_t(c)].runFont >= 0 ? p.Records()[size_t(c)].runFont : runBefore;
    typingRunFonts_ = p.RunFonts().size();
    Layout(pi, pi);
    box_.caret = Clamp(box_.MakePosition(pi, c + 1));
    preferredX_ = -1;
    caretVisible = true;
    box_.Unlock();
    return true;
}

// --- deleting -----------------------------------------------------------------------------------

bool BoxEditor::DeleteSelection() {
    if (!Editable()) return false;
    TextPosition s = Clamp(box_.SelectionStart()), e = Clamp(box_.SelectionEnd());
    if (!box_.hasSelection || box_.ParagraphCount() == 0 || !Before(s, e)) {
        box_.Set().Messages().Error("SelectionMustExists");
        return false;
    }
    THQVTextAttributes& ta = box_.TextAttributes();
    const THQVparag& sp = box_.Paragraph(s.paragraphIndex);
    const bool oneObject = s.paragraphIndex == e.paragraphIndex && e.charIndex == s.charIndex + 1 &&
                           sp.Records()[size_t(s.charIndex)].object >= 0;
    const bool joinsGroup = ta.deletionGroup && !oneObject && s.paragraphIndex == e.paragraphIndex &&
                            s.paragraphIndex == groupParagraph_;
    if (!joinsGroup) {
        if (box_.undo)
            box_.undo->RecordDeletionEntry(box_, oneObject ? "Cancella oggetto" : "Cancella selezione",
                                           s, e);
        ta.deletionGroup = !oneObject;
    }
    ta.typingGroup = false;
    box_.Lock();
    DeleteRange(s, e);
    groupParagraph_ = ta.deletionGroup ? s.paragraphIndex : -1;
    box_.Unlock();
    return true;
}

void BoxEditor::DeleteRange(TextPosition s, TextPosition e) {
    const int32_t a = s.paragraphIndex, b = e.paragraphIndex;
    if (a == b) {
        THQVparag& p = box_.Paragraph(a);
        // The text after the selection keeps its look: when a run started
        // inside the deleted part, the font after starts a run at its end.
        bool runInside = false;
        for (int32_t i = s.charIndex; i < e.charIndex; ++i)
            if (p.Records()[size_t(i)].runFont >= 0) runInside = true;
        if (runInside && p.Records()[size_t(e.charIndex)].runFont < 0)
            StartRunWith(p, e.charIndex, p.FontAt(e.charIndex));
        p.EraseChars(s.charIndex, e.charIndex);
        p.MeasureChar(s.charIndex);
        Layout(a, a);
    } else {
        THQVparag& first = box_.Paragraph(a);
        THQVparag& last = box_.Paragraph(b);
        const bool lastTable = HoldsTable(last) && e.charIndex == 0;
        first.EraseChars(s.charIndex, first.Length());
        if (last.Records()[size_t(e.charIndex)].runFont < 0 && last.RunFontIndexAt(e.charIndex) >= 0)
            StartRunWith(last, e.charIndex, last.FontAt(e.charIndex));
        last.EraseChars(0, e.charIndex);
        auto& list = box_.Paragraphs();
        list.erase(list.begin() + a + 1, list.begin() + b);
        int32_t current = a;
        // An emptied first paragraph goes; a table paragraph whose start was the
        // end stays apart from the text before it; otherwise the two join.
        if (first.Length() == 0) {
            list.erase(list.begin() + a);
        } else if (lastTable || HoldsTable(first) || !JoinParagraphs(a)) {
            current = a + 1;
        }
        if (box_.undo) box_.undo->SetCurrentRange(box_, a, current);
        box_.Paragraph(a).Remeasure();
        Layout(a, current);
    }
    box_.hasSelection = false;
    extending = false;
    box_.caret = Clamp(box_.MakePosition(a, s.charIndex));
    caretVisible = true;
}

void BoxEditor::ForwardDelete() {
    if (Locked() || !Editable() || box_.ParagraphCount() == 0) return;
    THQVTextAttributes& ta = box_.TextAttributes();
    if (HasSelectionText(box_)) {
        DeleteSelection();
        ta.deletionGroup = false;
        groupParagraph_ = -1;
        return;
    }
    TextPosition c = Clamp(box_.caret);
    const THQVparag& p = box_.Paragraph(c.paragraphIndex);
    if (c.charIndex < p.Length()) {
        box_.Select(c, box_.MakePosition(c.paragraphIndex, c.charIndex + 1));
        DeleteSelection();
    } else if (c.paragraphIndex < box_.LastEditable().paragraphIndex) {
        // A table keeps its paragraph of its own: nothing joins it (an empty
        // paragraph before a table still goes).
        const THQVparag& next = box_.Paragraph(c.paragraphIndex + 1);
        if (HoldsTable(p) || (HoldsTable(next) && p.Length() > 0)) return;
        ta.deletionGroup = false;
        box_.Select(c, box_.MakePosition(c.paragraphIndex + 1, 0));
        DeleteSelection();
        ta.deletionGroup = false;
        groupParagraph_ = -1;
    }
}

void BoxEditor::Backspace() {
    if (Locked() || !Editable() || box_.ParagraphCount() == 0) return;
    if (HasSelectionText(box_)) {
        ForwardDelete();
        return;
    }
    TextPosition from = Clamp(box_.caret);
    TextPosition to = MoveLeft(from);
    if (!Before(to, from)) return;  // at the first editable position
    box_.caret = to;
    box_.hasSelection = false;
    ForwardDelete();
}

// --- paragraphs and objects ---------------------------------------------------------------------

void BoxEditor::InsertParagraph() {
    if (Locked() || !Editable() || box_.ParagraphCount() == 0) return;
    // Attributes chosen for the next typed characters (bold turned off, a new
    // size) hold in the new paragraph too.
    const THQVTextAttributes::Pending keep = box_.TextAttributes().pending;
    CloseGroups();
    if (HasSelectionText(box_)) DeleteSelection();
    CloseGroups();
    box_.hasSelection = false;
    TextPosition c = Clamp(box_.caret);
    RecordBox("Inserimento paragrafo", c.paragraphIndex, c.paragraphIndex);
    box_.Lock();
    SplitParagraph(c.paragraphIndex, c.charIndex);
    SetCurrentRange(c.paragraphIndex, c.paragraphIndex + 1);
    Layout(c.paragraphIndex, c.paragraphIndex + 1);
    box_.caret = Clamp(box_.MakePosition(c.paragraphIndex + 1, 0));
    preferredX_ = -1;
    caretVisible = true;
    box_.Unlock();
    box_.TextAttributes().pending = keep;
}

void BoxEditor::InsertObject(PlacedObject* object, bool focus) {
    if (!object || Locked() || !Editable() || box_.ParagraphCount() == 0) return;
    CloseGroups();
    if (HasSelectionText(box_)) DeleteSelection();
    CloseGroups();
    box_.hasSelection = false;
    TextPosition c = Clamp(box_.caret);
    if (!c.paragraph) {
        box_.Set().Messages().Error("err");
        return;
    }
    // The entry is recorded before any split so that undoing removes the
    // paragraphs the insertion added.
    RecordBox("Inserimento oggetti", c.paragraphIndex, c.paragraphIndex);
    box_.Lock();
    const int32_t first = c.paragraphIndex;
    int32_t pi = c.paragraphIndex, ci = c.charIndex;
    int32_t added = 0;
    if (object->IsTable()) {
        if (ci > 0) {
            SplitParagraph(pi, ci);
            ++pi;
            ci = 0;
            ++added;
        }
        if (box_.Paragraph(pi).Length() > 0) {
            SplitParagraph(pi, 0);  // the empty part before stays for the table
            ++added;
        }
    } else if (HoldsTable(box_.Paragraph(pi))) {
        SplitParagraph(pi, ci);
        if (ci != 0) ++pi;
        ci = 0;
        ++added;
    }
    SetCurrentRange(first, first + added);
    THQVparag& p = box_.Paragraph(pi);
    CharRecord r;
    r.link = ci > 0 ? p.Records()[size_t(ci - 1)].link : kNoLink;
    r.object = p.AddObject(object);
    p.InsertChar(ci, ' ', r);
    p.MeasureChar(ci);
    p.MeasureChar(ci + 1);
    Layout(first, first + added);
    box_.caret = Clamp(box_.MakePosition(pi, ci + 1));
    if (focus) {
        EditAction a{EditAction::ObjectFocus};
        a.object = object;
        actions_.Post(a);
    }
    box_.Unlock();
}

void BoxEditor::ReplaceSelection(std::string_view text) {
    if (!Editable() || box_.ParagraphCount() == 0) return;
    TextPosition s = Clamp(box_.SelectionStart()), e = Clamp(box_.SelectionEnd());
    if (!box_.hasSelection) s = e = Clamp(box_.caret);
    CloseGroups();
    RecordBox("Sostituzione selezione con: " + std::string(text), s.paragraphIndex, e.paragraphIndex);
    if (s.paragraphIndex != e.paragraphIndex) {
        box_.Set().Messages().Information(
            "Funzione non disponibile per parole non comprese interamente in un paragrafo.");
        return;
    }
    const int32_t selLen = e.charIndex - s.charIndex;
    const int32_t n = int32_t(text.size());
    if (n == 0 || selLen == 0) return;
    box_.Lock();
    THQVparag& p = box_.Paragraph(s.paragraphIndex);
    if (n < selLen) {
        bool runInside = false;
        for (int32_t i = s.charIndex + n; i < e.charIndex; ++i)
            if (p.Records()[size_t(i)].runFont >= 0) runInside = true;
        if (runInside && p.Records()[size_t(e.charIndex)].runFont < 0)
            StartRunWith(p, e.charIndex, p.FontAt(e.charIndex));
        p.EraseChars(s.charIndex + n, e.charIndex);
    } else if (n > selLen) {
        CharRecord r;
        r.link = p.Records()[size_t(e.charIndex - 1)].link;
        for (int32_t k = selLen; k < n; ++k) p.InsertChar(s.charIndex + selLen, ' ', r);
    }
    for (int32_t k = 0; k < n; ++k) {
        CharRecord& rec = p.Records()[size_t(s.charIndex + k)];
        uint8_t ch = uint8_t(text[size_t(k)]);
        if (ch < 32) ch = ' ';
        if (rec.object >= 0 && ch != ' ') rec.object = -1;  // a replaced object is gone
        p.SetChar(s.charIndex + k, ch);
    }
    p.ClearSpellMask();
    p.Remeasure();
    Layout(s.paragraphIndex, s.paragraphIndex);
    box_.Select(s, box_.MakePosition(s.paragraphIndex, s.charIndex + n));
    box_.Unlock();
}

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

// --- selection ----------------------------------------------------------------------------------

void BoxEditor::SetSelection(const TextPosition& anchor, const TextPosition& end) {
    if (box_.ParagraphCount() == 0) return;
    CloseGroups();
    TextPosition a = Clamp(anchor), e = Clamp(end);
    box_.Select(a, e);
    box_.hasSelection = Before(a, e) || Before(e, a);
}

void BoxEditor::SelectAll() { SetSelection(box_.FirstEditable(), box_.LastEditable()); }

void BoxEditor::PlaceCaretAtFirstEditable() {
    CloseGroups();
    box_.hasSelection = false;
    box_.caret = Clamp(box_.FirstEditable());
    const THQVparag* p = box_.caret.paragraph;
    if (p && HoldsTable(*p)) {
        exitCode = kExitTableDown;
        tableParagraph = const_cast<THQVparag*>(p);
        EditAction a{EditAction::ExitBox};
        a.exitCode = exitCode;
        a.editor = this;
        actions_.Post(a);
    }
}

void BoxEditor::FollowLinkAtCaret() {
    TextPosition c = Clamp(box_.caret);
    if (!c.paragraph) return;
    const auto& recs = c.paragraph->Records();
    int32_t link = recs[size_t(c.charIndex)].link;
    if (link == kNoLink && c.charIndex > 0) link = recs[size_t(c.charIndex - 1)].link;
    box_.hasSelection = false;
    caretVisible = false;
    if (link != kNoLink && viewEnabled) {
        EditAction a{EditAction::FollowLink};
        a.link = link;
        actions_.Post(a);
    }
}

// --- geometry -----------------------------------------------------------------------------------

namespace {
// The position reached at x on line `line` of paragraph k; past the end of a
// line that wraps it stays before the line's last character, so that it
// belongs to this line and not to the next.
int32_t CharOnLine(const THQVparag& p, int32_t line, int32_t x) {
    const int32_t j = CharAtX(p, line, x);
    const auto& lines = p.Lines();
    if (line >= 0 && line + 1 < int32_t(lines.size()) && j >= lines[size_t(line) + 1].first &&
        j > lines[size_t(line)].first)
        return lines[size_t(line) + 1].first - 1;
    return j;
}
}  // namespace

TextPosition BoxEditor::PositionAt(int32_t x, int32_t y) const {
    if (box_.ParagraphCount() == 0) return TextPosition{};
    TextPosition pos = PositionAtPoint(box_, x, y);
    if (pos.lineIndex >= 0 && pos.paragraphIndex >= 0 && pos.paragraphIndex < box_.ParagraphCount())
        pos = PositionOf(box_, pos.paragraphIndex,
                         CharOnLine(box_.Paragraph(pos.paragraphIndex), pos.lineIndex, x));
    return pos;
}

int32_t BoxEditor::CharAt(int32_t x, int32_t y, int32_t& paragraph) const {
    paragraph = ParagraphAtY(box_, y);
    if (paragraph < 0) return -1;
    const THQVparag& p = box_.Paragraph(paragraph);
    if (y < p.top || y > p.bottom) return -1;
    const TextPosition pos = PositionAtPoint(box_, x, y);
    const int32_t j = pos.charIndex - 1;
    if (j < 0 || j >= p.Length()) return -1;
    const TextPosition at = PositionOf(box_, paragraph, j);
    if (at.lineIndex != pos.lineIndex || x < at.x || x >= at.x + p.Records()[size_t(j)].width) return -1;
    return j;
}

// --- caret moves --------------------------------------------------------------------------------

TextPosition BoxEditor::MoveLeft(const TextPosition& from) {
    exitCode = kExitNone;
    TextPosition f = Clamp(from);
    if (f.charIndex > 0) return Clamp(box_.MakePosition(f.paragraphIndex, f.charIndex - 1));
    if (f.paragraphIndex <= box_.FirstEditable().paragraphIndex) {
        exitCode = kExitLeft;
        return f;
    }
    const int32_t pi = f.paragraphIndex - 1;
    if (HoldsTable(box_.Paragraph(pi))) {
        exitCode = kExitTableLeft;
        tableParagraph = &box_.Paragraph(pi);
    }
    return Clamp(box_.MakePosition(pi, box_.Paragraph(pi).Length()));
}

TextPosition BoxEditor::MoveRight(const TextPosition& from) {
    exitCode = kExitNone;
    TextPosition f = Clamp(from);
    if (f.charIndex < box_.Paragraph(f.paragraphIndex).Length())
        return Clamp(box_.MakePosition(f.paragraphIndex, f.charIndex + 1));
    if (f.paragraphIndex >= box_.LastEditable().paragraphIndex) {
        exitCode = kExitRight;
        return f;
    }
    const int32_t pi = f.paragraphIndex + 1;
    if (HoldsTable(box_.Paragraph(pi))) {
        exitCode = kExitTableRight;
        tableParagraph = &box_.Paragraph(pi);
    }
    return Clamp(box_.MakePosition(pi, 0));
}

TextPosition BoxEditor::LineMove(const TextPosition& from, int dir) {
    exitCode = kExitNone;
    TextPosition f = Clamp(from);
    if (preferredX_ < 0) preferredX_ = PositionOf(box_, f.paragraphIndex, f.charIndex).x;
    const THQVparag& p = box_.Paragraph(f.paragraphIndex);
    int32_t li = LineOf(p, f.charIndex) + dir;
    int32_t pi = f.paragraphIndex;
    if (li < 0 || li >= std::max<int32_t>(int32_t(p.Lines().size()), 1)) {
        pi += dir;
        if (pi < box_.FirstEditable().paragraphIndex || pi > box_.LastEditable().paragraphIndex) {
            exitCode = dir < 0 ? kExitUp : kExitDown;
            return f;
        }
        const THQVparag& q = box_.Paragraph(pi);
        li = dir < 0 ? std::max<int32_t>(int32_t(q.Lines().size()) - 1, 0) : 0;
        if (HoldsTable(q)) {
            exitCode = dir < 0 ? kExitTableUp : kExitTableDown;
            tableParagraph = &box_.Paragraph(pi);
        }
    }
    return PositionOf(box_, pi, CharOnLine(box_.Paragraph(pi), li, preferredX_));
}

TextPosition BoxEditor::MoveUp(const TextPosition& from) { return LineMove(from, -1); }
TextPosition BoxEditor::MoveDown(const TextPosition& from) { return LineMove(from, 1); }

TextPosition BoxEditor::WordLeft(const TextPosition& from) {
    TextPosition f = Clamp(from);
    if (f.charIndex == 0) return MoveLeft(f);
    exitCode = kExitNone;
    const std::string& t = box_.Paragraph(f.paragraphIndex).Text();
    int32_t i = f.charIndex;
    while (i > 0 && IsWordSeparator(uint8_t(t[size_t(i - 1)]))) --i;
    while (i > 0 && !IsWordSeparator(uint8_t(t[size_t(i - 1)]))) --i;
    return Clamp(box_.MakePosition(f.paragraphIndex, i));
}

TextPosition BoxEditor::WordRight(const TextPosition& from) {
    TextPosition f = Clamp(from);
    const std::string& t = box_.Paragraph(f.paragraphIndex).Text();
    const int32_t len = int32_t(t.size());
    if (f.charIndex >= len) return MoveRight(f);
    exitCode = kExitNone;
    int32_t i = f.charIndex;
    while (i < len && !IsWordSeparator(uint8_t(t[size_t(i)]))) ++i;
    while (i < len && IsWordSeparator(uint8_t(t[size_t(i)]))) ++i;
    return Clamp(box_.MakePosition(f.paragraphIndex, i));
}

TextPosition BoxEditor::LineStart(const TextPosition& from) {
    exitCode = kExitNone;
    TextPosition f = Clamp(from);
    const THQVparag& p = box_.Paragraph(f.paragraphIndex);
    if (p.Lines().empty()) return Clamp(box_.MakePosition(f.paragraphIndex, 0));
    return Clamp(box_.MakePosition(f.paragraphIndex, p.Lines()[size_t(LineOf(p, f.charIndex))].first));
}

TextPosition BoxEditor::LineEnd(const TextPosition& from) {
    exitCode = kExitNone;
    TextPosition f = Clamp(from);
    const THQVparag& p = box_.Paragraph(f.paragraphIndex);
    if (p.Lines().empty()) return Clamp(box_.MakePosition(f.paragraphIndex, p.Length()));
    const THQVline& l = p.Lines()[size_t(LineOf(p, f.charIndex))];
    return Clamp(box_.MakePosition(f.paragraphIndex, l.first + l.count));
}

TextPosition BoxEditor::ParagraphUp(const TextPosition& from) {
    exitCode = kExitNone;
    TextPosition f = Clamp(from);
    if (f.paragraphIndex <= box_.FirstEditable().paragraphIndex) {
        exitCode = kExitUp;
        return f;
    }
    return Clamp(box_.MakePosition(f.paragraphIndex - 1, 0));
}

TextPosition BoxEditor::ParagraphDown(const TextPosition& from) {
    exitCode = kExitNone;
    TextPosition f = Clamp(from);
    if (f.paragraphIndex >= box_.LastEditable().paragraphIndex) {
        exitCode = kExitDown;
        return f;
    }
    return Clamp(box_.MakePosition(f.paragraphIndex + 1, 0));
}

// --- keys ---------------------------------------------------------------------------------------

bool BoxEditor::KeyDown(EditKey key, uint8_t modifiers) {
    if (Locked()) return false;
    const bool arrow = key == EditKey::Left || key == EditKey::Right || key == EditKey::Up ||
                       key == EditKey::Down;
    if (!Editable()) {
        if (!arrow) return false;
        EditAction a{EditAction::Scroll};
        a.dx = key == EditKey::Left ? -10 : key == EditKey::Right ? 10 : 0;
        a.dy = key == EditKey::Up ? -10 : key == EditKey::Down ? 10 : 0;
        actions_.Post(a);
        return true;
    }
    if (box_.ParagraphCount() == 0) return false;
    const bool ctrl = modifiers & kCtrl, shift = modifiers & kShift, alt = modifiers & kAlt;
    switch (key) {
        case EditKey::Backspace:
            if (ctrl || alt) return false;
            Backspace();
            return true;
        case EditKey::Enter:
            InsertParagraph();
            return true;
        case EditKey::Delete:
            if (!ctrl && !alt && !shift) {
                ForwardDelete();
                return true;
            }
            if (shift && !ctrl && !alt) {
                actions_.Post({EditAction::Cut});
                return true;
            }
            return false;
        case EditKey::F9:
            FollowLinkAtCaret();
            return true;
        case EditKey::Other: return false;
        default:
            MoveKey(key, modifiers);
            return true;
    }
}

void BoxEditor::MoveKey(EditKey key, uint8_t modifiers) {
    CloseGroups();
    const bool shift = modifiers & kShift, ctrl = modifiers & kCtrl;
    const bool vertical = key == EditKey::Up || key == EditKey::Down || key == EditKey::PageUp ||
                          key == EditKey::PageDown;
    if (!shift && box_.hasSelection) {
        const bool toStart = key == EditKey::PageUp || key == EditKey::Home ||
                             key == EditKey::Left || key == EditKey::Up;
        box_.caret = Clamp(toStart ? box_.SelectionStart() : box_.SelectionEnd());
        box_.hasSelection = false;
        extending = false;
        preferredX_ = -1;
        return;
    }
    if (!vertical || ctrl) preferredX_ = -1;
    const TextPosition from = Clamp(box_.caret);
    TextPosition to = from;
    exitCode = kExitNone;
    switch (key) {
        case EditKey::Left: to = ctrl ? WordLeft(from) : MoveLeft(from); break;
        case EditKey::Right: to = ctrl ? WordRight(from) : MoveRight(from); break;
        case EditKey::Up: to = ctrl ? ParagraphUp(from) : MoveUp(from); break;
        case EditKey::Down: to = ctrl ? ParagraphDown(from) : MoveDown(from); break;
        case EditKey::Home: to = ctrl ? Clamp(box_.FirstEditable()) : LineStart(from); break;
        case EditKey::End: to = ctrl ? Clamp(box_.LastEditable()) : LineEnd(from); break;
        case EditKey::PageUp:
        case EditKey::PageDown:
            for (int k = 0; k < 11; ++k) {
                to = LineMove(to, key == EditKey::PageUp ? -1 : 1);
                if (exitCode != kExitNone) break;
            }
            break;
        default: break;
    }
    if (!vertical) preferredX_ = -1;
    if (shift) {
        if (!extending || !box_.hasSelection) {
            box_.selectionAnchor = from;
            extending = true;
        }
        box_.selectionEnd = to;
        box_.hasSelection = Before(box_.selectionAnchor, to) || Before(to, box_.selectionAnchor);
    } else {
        extending = false;
    }
    box_.caret = to;
    caretVisible = true;
    if (exitCode != kExitNone && (box_.IsCellBox() || exitCode >= kExitTableLeft)) {
        EditAction a{EditAction::ExitBox};
        a.exitCode = exitCode;
        a.editor = this;
        actions_.Post(a);
    }
}

// --- mouse --------------------------------------------------------------------------------------

void BoxEditor::PostAt(EditAction::Kind kind, int32_t x, int32_t y) {
    EditAction a{kind};
    a.x = x;
    a.y = y;
    a.editor = this;
    actions_.Post(a);
}

int32_t BoxEditor::LinkUnder(int32_t x, int32_t y) const {
    int32_t pi = -1;
    const int32_t ci = CharAt(x, y, pi);
    if (ci < 0 || pi < 0) return kNoLink;
    return box_.Paragraph(pi).Records()[size_t(ci)].link;
}

void BoxEditor::MouseDown(MouseButton b, int32_t x, int32_t y, uint8_t /*modifiers*/) {
    if (Locked() || box_.ParagraphCount() == 0) return;
    if (doubleClicked) return;
    TextPosition pos = Clamp(PositionAt(x, y));
    if (Editable() && box_.Paragraph(pos.paragraphIndex).origin != 0) return;
    CloseGroups();
    mouseDownX = x;
    mouseDownY = y;
    mouseDownPosition = pos;
    const bool inside = box_.hasSelection && !Before(pos, box_.SelectionStart()) &&
                        Before(pos, box_.SelectionEnd());
    if (inside && Editable() && b != MouseButton::Middle) {
        dragPending = true;
        dragButton = b;
        return;
    }
    if (b == MouseButton::Right && box_.hasSelection) return;
    box_.selectionAnchor = box_.selectionEnd = pos;
    box_.hasSelection = false;
    box_.caret = pos;
    caretVisible = false;
    extending = false;
    preferredX_ = -1;
    mouseSelecting = b == MouseButton::Left;
    EditAction a{EditAction::FocusBox};
    a.editor = this;
    actions_.Post(a);
}

void BoxEditor::MouseMove(int32_t x, int32_t y, bool leftDown) {
    if (dragPending && (std::abs(x - mouseDownX) > 2 || std::abs(y - mouseDownY) > 2)) {
        dragPending = false;
        PostAt(EditAction::StartDrag, x, y);
        return;
    }
    if (!mouseSelecting || !leftDown) return;
    TextPosition pos = Clamp(PositionAt(x, y));
    if (Editable() && box_.Paragraph(pos.paragraphIndex).origin != 0) return;
    box_.selectionEnd = pos;
    box_.caret = pos;
    box_.hasSelection = Before(box_.selectionAnchor, pos) || Before(pos, box_.selectionAnchor);
}

void BoxEditor::MouseUp(MouseButton b, int32_t x, int32_t y, uint8_t /*modifiers*/) {
    if (box_.ParagraphCount() == 0) return;
    mouseSelecting = false;
    if (doubleClicked) {
        doubleClicked = false;
        SelectWordAt(Clamp(PositionAt(x, y)));
        return;
    }
    if (dragPending && b == MouseButton::Right) {
        // A right click inside the selection keeps it and opens the context
        // menu below (a right press only arms a drag that the menu asks about).
        dragPending = false;
    } else if (dragPending) {
        // Released without dragging: the click places the caret.
        dragPending = false;
        box_.hasSelection = false;
        box_.caret = mouseDownPosition;
        caretVisible = true;
        return;
    }
    if (b == MouseButton::Right || !Editable()) {
        const int32_t link = LinkUnder(x, y);
        EditAction a{EditAction::ContextMenu};
        a.x = x;
        a.y = y;
        a.editor = this;
        if (link != kNoLink) {
            a.link = link;
            // A link of the page is held by value in its page-local list: its
            // own kind decides.
            uint8_t kind = IdKind(link);
            if (kind == kPageLocalKind && objectsHost)
                if (const THQVoggetto* l = objectsHost->PageLink(link)) kind = l->Kind();
            a.kind = (Editable() && (kind == genLink || kind == speclink)) ? EditAction::OpenLinkMenu
                                                                         : EditAction::FollowLink;
        }
        actions_.Post(a);
        return;
    }
    if (b == MouseButton::Left) {
        const TextPosition pos = Clamp(PositionAt(x, y));
        if (!box_.hasSelection && box_.Paragraph(pos.paragraphIndex).origin != 0) return;
        box_.caret = box_.hasSelection ? box_.selectionEnd : pos;
        caretVisible = true;
    }
}

void BoxEditor::DoubleClick(int32_t x, int32_t y) {
    if (Locked() || box_.ParagraphCount() == 0) return;
    const int32_t link = LinkUnder(x, y);
    if (link != kNoLink && !box_.hasSelection) {
        EditAction a{EditAction::FollowLink};
        a.link = link;
        actions_.Post(a);
        return;
    }
    doubleClicked = true;
}

void BoxEditor::SelectWordAt(const TextPosition& p) {
    const std::string& t = box_.Paragraph(p.paragraphIndex).Text();
    const int32_t len = int32_t(t.size());
    int32_t a = std::min(p.charIndex, len), e = a;
    while (a > 0 && !IsWordSeparator(uint8_t(t[size_t(a - 1)]))) --a;
    while (e < len && !IsWordSeparator(uint8_t(t[size_t(e)]))) ++e;
    while (e < len && t[size_t(e)] == ' ') ++e;
    SetSelection(box_.MakePosition(p.paragraphIndex, a), box_.MakePosition(p.paragraphIndex, e));
}

// --- drag and drop ------------------------------------------------------------------------------

bool BoxEditor::DragOver(const BoxEditor& source, int32_t x, int32_t y) const {
    if (!Editable() || box_.ParagraphCount() == 0) return false;
    TextPosition pos = Clamp(PositionAt(x, y));
    if (&source == this && box_.hasSelection && !Before(pos, box_.SelectionStart()) &&
        !Before(box_.SelectionEnd(), pos))
        return false;
    return !HoldsTable(box_.Paragraph(pos.paragraphIndex));
}

void BoxEditor::Drop(BoxEditor& source, int32_t x, int32_t y, MouseButton b, uint8_t modifiers) {
    if (!DragOver(source, x, y) || !source.box_.hasSelection) return;
    dropPosition = Clamp(PositionAt(x, y));
    if (b == MouseButton::Right) {
        pendingDropSource_ = &source;
        PostAt(EditAction::DragMenu, x, y);
        return;
    }
    PerformDrop(source, !(modifiers & kCtrl));
}

void BoxEditor::DropChoice(DropKind kind) {
    BoxEditor* source = pendingDropSource_;
    pendingDropSource_ = nullptr;
    if (!source || kind == DropKind::Cancel) return;
    PerformDrop(*source, kind == DropKind::Move);
}

void BoxEditor::PerformDrop(BoxEditor& source, bool move) {
    THQVbox& sb = source.box_;
    const TextPosition s = source.Clamp(sb.SelectionStart()), e = source.Clamp(sb.SelectionEnd());
    // Through the pages' objects hosts, as the clipboard: the dragged links
    // and placed objects become the target page's own (a copy of a placed
    // object gets a control of its own).
    Bytes data = WriteObjectsData(sb, s, e, true, source.objectsHost);
    TextPosition at = dropPosition;
    if (move) {
        source.DeleteSelection();
        if (&source == this && !Before(at, e)) {
            // The drop position lay after the deleted text: it moves with the text.
            if (at.paragraphIndex == e.paragraphIndex)
                at = box_.MakePosition(s.paragraphIndex, s.charIndex + at.charIndex - e.charIndex);
            else
                at.paragraphIndex -= e.paragraphIndex - s.paragraphIndex;
        }
    }
    box_.hasSelection = false;
    box_.caret = Clamp(at);
    ReadObjectsData(*this, data, "Inserimento tramite trascina selezione", false, objectsHost);
    if (&source != this) {
        EditAction a{EditAction::FocusBox};
        a.editor = this;
        actions_.Post(a);
    }
}

// --- objects data -------------------------------------------------------------------------------

Bytes WriteObjectsData(const THQVbox& box, const TextPosition& start, const TextPosition& end,
                       bool forDragging, ObjectsDataHost* host) {
    Bytes out;
    AppendI32(out, 1);
    if (box.ParagraphCount() == 0 || !box.IsValid(start) || !box.IsValid(end) || Before(end, start)) {
        for (int k = 0; k < 4; ++k) AppendI32(out, 0);
        out.push_back(0);
        return out;
    }
    std::vector<int32_t> links;
    std::vector<const PlacedObject*> objects;
    std::vector<const THQVoggetto*> styles;  // shared records: styles, then pictures
    std::vector<const THQVoggetto*> pictures;
    auto addLink = [&](int32_t v) {
        if (v != kNoLink && IdKind(v) == kPageLocalKind && std::find(links.begin(), links.end(), v) == links.end())
            links.push_back(v);
    };
    auto addPicture = [&](int32_t n) {
        const THQVoggetto* pic = n >= 0 ? box.Set().GetObject(immagine, n) : nullptr;
        if (pic && !pic->IsFree() && std::find(pictures.begin(), pictures.end(), pic) == pictures.end())
            pictures.push_back(pic);
    };
    // The characters of paragraphs first..last (from..to in the end ones) and,
    // for every table among them, the whole text of its cells.
    std::function<void(const THQVbox&, int32_t, int32_t, int32_t, int32_t, int)> collect =
        [&](const THQVbox& b, int32_t first, int32_t from, int32_t last, int32_t to, int depth) {
            for (int32_t pi = first; pi <= last; ++pi) {
                const THQVparag& p = b.Paragraph(pi);
                const int32_t a = pi == first ? from : 0;
                const int32_t z = pi == last ? to : p.Length();
                for (int32_t i = a; i < z; ++i) {
                    const CharRecord& r = p.Records()[size_t(i)];
                    addLink(r.link);
                    const PlacedObject* o = r.object >= 0 ? p.Objects()[size_t(r.object)] : nullptr;
                    if (!o || std::find(objects.begin(), objects.end(), o) != objects.end()) continue;
                    objects.push_back(o);
                    // Tables nest; a table named inside itself is read as a blank, but
                    // the walk stops at a depth no real page reaches all the same.
                    if (depth < 64)
                        for (int32_t c = 0; c < o->CellCount(); ++c)
                            if (const THQVbox* cell = o->Cell(c); cell && cell->ParagraphCount() > 0) {
                                const int32_t l = cell->ParagraphCount() - 1;
                                collect(*cell, 0, 0, l, cell->Paragraph(l).Length(), depth + 1);
                            }
                }
                const THQVoggetto* st = p.Style().Base();
                if (!forDragging && st && st->IsRegistered() &&
                    std::find(styles.begin(), styles.end(), st) == styles.end())
                    styles.push_back(st);
            }
        };
    collect(box, start.paragraphIndex, start.charIndex, end.paragraphIndex, end.charIndex, 0);
    for (const PlacedObject* po : objects) {
        const THQVoggetto* o = po->Object();
        if (!o) continue;
        // The background pictures of tables and their cells always travel.
        if (o->Kind() == tabellaHtml)
            for (int32_t n : CellPictures(*o)) addPicture(n);
        if (forDragging) continue;
        // What the other placed objects name: their links and their pictures.
        for (size_t off : LinkFieldOffsets(*o, false)) addLink(o->I32(off));
        for (PictureField f : PictureFields(*o)) {
            int32_t n = o->I32(f.offset);
            if (f.identifier) {
                if (n < 0 || IdKind(n) != immagine) continue;
                n = IdNumber(n);
            }
            addPicture(n);
        }
    }
    styles.insert(styles.end(), pictures.begin(), pictures.end());
    // Special links lead to their targets, which travel with them.
    for (size_t i = 0; host && i < links.size(); ++i)
        if (const THQVoggetto* l = host->PageLink(links[i]); l && l->Kind() == speclink)
            addLink(l->I32(13));
    // Link records.
    Bytes part;
    int32_t n = 0;
    for (int32_t v : links) {
        const THQVoggetto* l = host ? host->PageLink(v) : nullptr;
        if (!l) continue;
        AppendI32(part, l->Kind());
        AppendI32(part, v);
        l->SaveToTransfer(part);
        ++n;
    }
    AppendI32(out, n);
    out.insert(out.end(), part.begin(), part.end());
    // Shared records.
    AppendI32(out, int32_t(styles.size()));
    for (const THQVoggetto* st : styles) {
        AppendI32(out, st->Kind());
        st->SaveToTransfer(out);
    }
    // Placed-object records.
    part.clear();
    n = 0;
    for (const PlacedObject* o : objects) {
        if (!o->Object()) continue;
        AppendI32(part, o->Object()->Kind());
        AppendI32(part, o->ControlIndex());
        o->Object()->SaveToTransfer(part);
        ++n;
    }
    AppendI32(out, n);
    out.insert(out.end(), part.begin(), part.end());
    // Markup.
    AppendI32(out, end.paragraphIndex - start.paragraphIndex + 1);
    for (int32_t pi = start.paragraphIndex; pi <= end.paragraphIndex; ++pi) {
        const THQVparag& p = box.Paragraph(pi);
        const int32_t from = pi == start.paragraphIndex ? start.charIndex : 0;
        const int32_t to = pi == end.paragraphIndex ? end.charIndex : p.Length();
        p.Write(out, WriteMode::Whole, from, to);
    }
    out.push_back(0);
    return out;
}

namespace {
bool ReadI32(const Bytes& d, size_t& pos, int32_t& v) {
    if (pos + 4 > d.size()) return false;
    v = GetI32(d.data() + pos);
    pos += 4;
    return true;
}
}  // namespace

bool ReadObjectsData(BoxEditor& editor, const Bytes& data, const std::string& undoText,
                     bool keepStyle, ObjectsDataHost* host, bool wholePage) {
    THQVbox& box = editor.Box();
    size_t pos = 0;
    int32_t version = 0;
    if (!ReadI32(data, pos, version) || (version != 1 && version != 3)) return false;
    if (box.ParagraphCount() == 0 || !editor.Editable()) return false;
    THQVset& set = box.Set();
    // Everything is read before the box changes: bad data changes nothing.
    struct Rec {
        int32_t kind = 0, old = 0;
        std::unique_ptr<THQVoggetto> object;
    };
    auto readRecords = [&](std::vector<Rec>& recs, bool withOld) {
        int32_t count = 0;
        if (!ReadI32(data, pos, count) || count < 0) return false;
        for (int32_t k = 0; k < count; ++k) {
            Rec r;
            if (!ReadI32(data, pos, r.kind)) return false;
            if (withOld && !ReadI32(data, pos, r.old)) return false;
            if (!withOld && r.kind != immagine && r.kind != mappaClic && r.kind != stileParagrafo) {
                set.Messages().Error("Errore leggendo dati da stream!");
                return false;
            }
            r.object = std::make_unique<THQVoggetto>(&set, uint8_t(r.kind));
            if (!r.object->LoadFromTransfer(data.data(), data.size(), pos)) return false;
            recs.push_back(std::move(r));
        }
        return true;
    };
    std::vector<Rec> links, shared, objects;
    int32_t paragraphs = 0;
    if (!readRecords(links, true) || !readRecords(shared, false) || !readRecords(objects, true) ||
        !ReadI32(data, pos, paragraphs) || paragraphs < 0)
        return false;
    const size_t markupAt = pos;

    if (HasSelectionText(box)) editor.DeleteSelection();
    box.hasSelection = false;
    TextPosition c = box.caret;
    c.paragraphIndex = std::clamp(c.paragraphIndex, 0, box.ParagraphCount() - 1);
    c.charIndex = std::clamp(c.charIndex, 0, box.Paragraph(c.paragraphIndex).Length());
    if (!undoText.empty()) editor.RecordBox(undoText, c.paragraphIndex, c.paragraphIndex);
    editor.CloseGroups();
    box.Lock();

    Renumbering ren;
    std::vector<int32_t> specialLinks;  // new values of the special links read
    for (Rec& r : links) {
        const bool special = r.object->Kind() == speclink;
        const int32_t nv = host ? host->AddPageLink(std::move(r.object)) : r.old;
        ren.stylesAndLinks[r.old] = nv;
        if (special) specialLinks.push_back(nv);
    }
    auto renumbered = [&](int32_t v) {
        auto it = ren.stylesAndLinks.find(v);
        return it == ren.stylesAndLinks.end() ? v : it->second;
    };
    // A picture named by its number: the number of the picture it became.
    auto renumberedPicture = [&](int32_t n) {
        const int32_t id = renumbered(MakeId(immagine, n));
        return IdKind(id) == immagine ? IdNumber(id) : n;
    };
    // A special link's target is one of the links read with it.
    for (int32_t v : specialLinks)
        if (THQVoggetto* l = host ? host->PageLink(v) : nullptr) l->SetI32(13, renumbered(l->I32(13)));
    for (Rec& r : shared) {
        const int32_t oldId = int32_t((uint32_t(r.kind) << 24) | (uint32_t(r.object->Number()) & 0xFFFFFF));
        if (THQVoggetto* use = set.EqualOrRegistered(r.object)) ren.stylesAndLinks[oldId] = int32_t((uint32_t(r.kind) << 24) | uint32_t(use->Number()));
    }
    for (Rec& r : objects) {
        // The object's links and pictures take the numbers they got here.
        THQVoggetto& o = *r.object;
        if (o.Kind() == tabellaHtml) MapCellPictures(o, renumberedPicture);
        for (size_t off : LinkFieldOffsets(o, false))
            if (int32_t v = o.I32(off); v >= 0) o.SetI32(off, renumbered(v));
        for (PictureField f : PictureFields(o)) {
            const int32_t v = o.I32(f.offset);
            if (v < 0) continue;
            o.SetI32(f.offset, f.identifier ? renumbered(v) : renumberedPicture(v));
        }
        const int32_t ni = host ? host->CreateControl(std::move(r.object)) : r.old;
        if (ni >= 0) ren.objects[int32_t(kObjectValueBase + uint32_t(r.old))] = int32_t(kObjectValueBase + uint32_t(ni));
    }

    const int32_t head = c.paragraphIndex;
    editor.SplitParagraph(head, c.charIndex);
    const bool headEmpty = box.Paragraph(head).Length() == 0;
    BoxStream s(data, markupAt);
    const int32_t n = paragraphs > 0 ? box.InsertParagraphsAt(s, head + 1, ReadKind::Full, &ren, paragraphs) : 0;
    int32_t lastPasted = head + n;
    int32_t caretPara = head, caretChar = c.charIndex;
    if (n > 0) {
        THQVparag& firstPasted = box.Paragraph(head + 1);
        THQVparag& tail = box.Paragraph(lastPasted + 1);
        const int32_t ppi = box.Measurer().PixelsPerInch();
        if (keepStyle) {
            const THQVoggetto* st = firstPasted.Style().Base();
            if (!headEmpty || wholePage || (st && st->Number() > 1))
                TakeStyle(box.Paragraph(head), firstPasted.Style(), ppi);
        } else if (!headEmpty) {
            TakeStyle(firstPasted, tail.Style(), ppi);
        }
        int32_t h = head;
        if (!editor.HoldsTable(box.Paragraph(h)) && !editor.HoldsTable(box.Paragraph(h + 1))) {
            if (editor.JoinParagraphs(h)) --lastPasted;
        } else if (headEmpty && editor.HoldsTable(box.Paragraph(h + 1))) {
            box.Paragraphs().erase(box.Paragraphs().begin() + h);
            --lastPasted;
        }
        caretPara = lastPasted;
        caretChar = box.Paragraph(lastPasted).Length();
    }
    int32_t lastRange = lastPasted + 1;
    if (!editor.HoldsTable(box.Paragraph(lastPasted)) && !editor.HoldsTable(box.Paragraph(lastPasted + 1))) {
        if (editor.JoinParagraphs(lastPasted)) lastRange = lastPasted;
    }
    editor.SetCurrentRange(head, lastRange);
    for (int32_t i = head; i <= lastRange && i < box.ParagraphCount(); ++i) box.Paragraph(i).Remeasure();
    editor.Layout(head, lastRange);
    box.caret = box.MakePosition(caretPara, std::min(caretChar, box.Paragraph(caretPara).Length()));
    box.Unlock();
    return true;
}

}  // namespace ovik
