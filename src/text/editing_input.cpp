// The editor's geometry, caret moves, keys, mouse and drag and drop.
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

// --- geometry -----------------------------------------------------------------------------------

namespace {
// The position reached at x on line `line` of paragraph k; past the end of a
// line that wraps it stays before the line's last character, so that it
// belongs to this line and not to the next.
int32_t CharOnLine(const THQVparag& p, int32_t line, int32_t x) {
    int32_t j = CharAtX(p, line, x);
    const auto& lines = p.Lines();
    // CharAtX gives the place after the character under x: a point in the
    // left half of that character puts the caret before it.
    if (line >= 0 && line < int32_t(lines.size()) && j > lines[size_t(line)].first && j <= p.Length()) {
        const THQVline& l = lines[size_t(line)];
        int64_t start = int64_t(l.alignOffset) + l.left;
        for (int32_t i = l.first; i < j - 1; ++i) start += p.Records()[size_t(i)].width;
        if (x - start < p.Records()[size_t(j) - 1].width / 2) --j;
    }
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
            a.linkKind = kind;
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

}  // namespace ovik
