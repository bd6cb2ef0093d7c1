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

}  // namespace ovik
