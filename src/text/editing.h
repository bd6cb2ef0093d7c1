// Editing a box: the commands that change text, runs and paragraphs (each
// records its undo entry first through the box's `undo` recorder), caret moves
// with their exit codes, and the key, character and mouse entry points that
// the editing view forwards (mouse positions in box coordinates).
//
// Every command takes the box's update lock, changes the paragraphs in place,
// and asks the box to lay out again only the paragraphs it changed (OnLayout).
// Things the view has to do afterwards (follow a link, open a menu, scroll,
// focus another box) are posted to a DeferredActions queue that the host
// drains after the current event.
//
// Geometry comes from the line layout (text/layout.h): positions of
// characters, the character at an x on a line, the position under a point.
//
// Typical use by the view
//   DeferredActions actions;
//   BoxEditor ed(box, actions);
//   ed.KeyDown(EditKey::Left, kShift);   // key down with modifiers
//   ed.KeyPress('a');                    // a typed byte (Windows-1252)
//   ed.MouseDown(MouseButton::Left, x, y, 0); ed.MouseMove(x2, y2, true); ed.MouseUp(...);
//   while (auto a = actions.Take()) ...  // carry out posted actions
//   PositionOf(box, box.caret.paragraphIndex, box.caret.charIndex);  // caret x, y, height
//   history.UndoOne(); history.RedoOne();  // Ctrl+Z / Ctrl+Y (undo/undo.h)
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "core/bytes.h"
#include "text/box_attributes.h"
#include "text/hqv_box.h"

namespace ovik {

// Keys the editing view forwards (the view maps its own key codes to these).
enum class EditKey : uint8_t {
    Backspace, Enter, PageUp, PageDown, Home, End, Left, Right, Up, Down, Delete, F9, Other
};
enum : uint8_t { kShift = 1, kCtrl = 2, kAlt = 4 };
enum class MouseButton : uint8_t { Left, Right, Middle };

// Caret move results.
enum : uint8_t {
    kExitNone = 0,
    kExitLeft = 1,   // left past the start
    kExitRight = 2,  // right past the end
    kExitUp = 3,
    kExitDown = 4,
    kExitTableLeft = 5,  // entered a paragraph holding a table, moving left
    kExitTableRight = 6,
    kExitTableUp = 7,
    kExitTableDown = 8,
};

class BoxEditor;
class ObjectsDataHost;

// An action carried out after the current event.
struct EditAction {
    enum Kind : uint8_t {
        FollowLink,        // link: follow it
        OpenLinkMenu,      // link: the link menu at (x, y)
        ContextMenu,       // the box's context menu at (x, y)
        Scroll,            // scroll the page by (dx, dy) pixels
        TypingGroupBegan,  // tell the editing view
        StartDrag,         // the mouse moved with a drag of the selection armed
        DragMenu,          // right-button drop: ask move, copy or cancel (DropChoice)
        FocusBox,          // give `editor` the focus (a cell box also relays its table)
        Cut,               // Shift+Delete: cut to the clipboard
        ObjectFocus,       // the placed object `object` takes the focus when first placed
        ExitBox,           // a caret move left the box: exitCode says where
    };
    Kind kind;
    int32_t link = kNoLink;
    uint8_t linkKind = 0;  // OpenLinkMenu: the kind of the link object (genLink or speclink)
    int32_t x = 0, y = 0;
    int32_t dx = 0, dy = 0;
    BoxEditor* editor = nullptr;
    PlacedObject* object = nullptr;
    uint8_t exitCode = 0;
};

class DeferredActions {
public:
    void Post(EditAction a) { queue_.push_back(a); }
    std::optional<EditAction> Take() {
        if (queue_.empty()) return std::nullopt;
        EditAction a = queue_.front();
        queue_.pop_front();
        return a;
    }
    size_t Size() const { return queue_.size(); }
    void Clear() { queue_.clear(); }

private:
    std::deque<EditAction> queue_;
};

// The bytes that separate words for word moves and double clicks.
bool IsWordSeparator(uint8_t c);
// Undo texts: colour names by value ("Custom" for others), the style text
// ("Italico " then "Grassetto "), and numbers in their shortest form.
std::string ColourName(int32_t colour);
std::string StyleText(uint8_t bits);
std::string NumberText(double v);

class BoxEditor {
public:
    BoxEditor(THQVbox& box, DeferredActions& actions) : box_(box), actions_(actions) {}

    THQVbox& Box() const { return box_; }

    // --- view state --------------------------------------------------------------
    // The editor edits nothing while this, `inactive` or the box's own read-only
    // flag (a page shown in preview) is set: keys only scroll, and typing,
    // deleting, dropping, pasting and every format command do nothing.
    bool readOnly = false;
    bool inactive = false;
    // Page-local links and placed-object controls of the page around the box
    // (null: links keep their values and object tags their control indexes).
    // Drag and drop carries the selection through it, as the clipboard does,
    // and a link's kind is read from it.
    ObjectsDataHost* objectsHost = nullptr;
    bool autoEngQuote = false;  // the editing view's AutoEngQuote
    bool viewEnabled = true;    // the editing view follows links only when enabled
    bool caretVisible = true;

    // --- gesture state -----------------------------------------------------------
    bool extending = false;
    bool mouseSelecting = false;
    int32_t mouseDownX = 0, mouseDownY = 0;
    TextPosition mouseDownPosition;
    bool dragPending = false;
    MouseButton dragButton = MouseButton::Left;
    TextPosition dropPosition;
    bool doubleClicked = false;
    uint8_t exitCode = kExitNone;
    THQVparag* tableParagraph = nullptr;

    bool Editable() const { return !readOnly && !inactive && !box_.geometry.readOnly; }

    // --- entry points of the view --------------------------------------------------
    // A key went down; true when the editor handled it.
    bool KeyDown(EditKey key, uint8_t modifiers);
    // A typed byte (32 or more); true when it was inserted.
    bool KeyPress(uint8_t byte);
    void MouseDown(MouseButton b, int32_t x, int32_t y, uint8_t modifiers);
    void MouseMove(int32_t x, int32_t y, bool leftDown);
    void MouseUp(MouseButton b, int32_t x, int32_t y, uint8_t modifiers);
    void DoubleClick(int32_t x, int32_t y);
    // A dragged selection over (x, y): false where it cannot be dropped.
    bool DragOver(const BoxEditor& source, int32_t x, int32_t y) const;
    // Drops the selection of `source` at (x, y). With the left button it moves
    // (copies with Ctrl); with the right button it posts DragMenu and waits for
    // DropChoice.
    void Drop(BoxEditor& source, int32_t x, int32_t y, MouseButton b, uint8_t modifiers);
    enum class DropKind : uint8_t { Move, Copy, Cancel };
    void DropChoice(DropKind kind);

    // --- run commands (THQVTextAttributes) ------------------------------------------
    bool TypeChar(uint8_t byte);
    // Deletes the selection; without one shows "SelectionMustExists".
    bool DeleteSelection();
    void ForwardDelete();
    void Backspace();
    void InsertParagraph();
    // Inserts a placed object whose control exists on the page.
    void InsertObject(PlacedObject* object, bool focus);
    void ReplaceSelection(std::string_view text);
    void SetColour(int32_t colour);
    void SetFace(std::string_view face);
    void SetPosition(uint8_t position);
    void SetStyleBits(uint8_t bits);
    void SetAndClearStyleBits(uint8_t toClear, uint8_t toSet);
    void SetSize(int32_t points);
    // The character window's change: the attributes in which `chosen` differs
    // from `shown` (the font the window was opened with) are applied together,
    // as one command and one undo entry; those left alone keep whatever each
    // run of the selection has. Style bits change only where switched.
    void SetFont(const TMyFont& shown, const TMyFont& chosen);
    // Sets the link value (-1 removes links) on the selection.
    void SetLink(int32_t linkValue);

    // --- paragraph commands (THQVParaAttributes) ------------------------------------
    void SetAlignment(uint8_t a);
    void SetListKind(uint8_t n);
    void SetUnit(uint8_t u);
    void SetLineHeight(double x);
    void SetSpaceAbove(double x);
    void SetSpaceBelow(double x);
    void SetFirstIndent(double x);
    void SetLeftMargin(double x);
    void SetRightMargin(double x);
    void SetLinkColour(int32_t colour);
    void SetLinkSize(int32_t n);
    void SetLinkStyle(uint8_t bits);

    // --- selection and caret --------------------------------------------------------
    void SetSelection(const TextPosition& anchor, const TextPosition& end);
    void SelectAll();
    void PlaceCaretAtFirstEditable();
    void FollowLinkAtCaret();
    // Ends the typing and deletion groups and clears the pending attributes.
    void CloseGroups();

    // Caret moves from `from`; each sets exitCode (and tableParagraph).
    TextPosition MoveLeft(const TextPosition& from);
    TextPosition MoveRight(const TextPosition& from);
    TextPosition MoveUp(const TextPosition& from);
    TextPosition MoveDown(const TextPosition& from);
    TextPosition WordLeft(const TextPosition& from);
    TextPosition WordRight(const TextPosition& from);
    TextPosition LineStart(const TextPosition& from);
    TextPosition LineEnd(const TextPosition& from);
    TextPosition ParagraphUp(const TextPosition& from);
    TextPosition ParagraphDown(const TextPosition& from);

    // Geometry (text/layout.h): the text position for a click at (x, y), and
    // the character under it (-1 when none).
    TextPosition PositionAt(int32_t x, int32_t y) const;
    int32_t CharAt(int32_t x, int32_t y, int32_t& paragraph) const;

    // --- building blocks of the commands (no undo entry of their own) ----------------
    void Layout(int32_t first, int32_t last);
    void RecordBox(const std::string& text, int32_t first, int32_t last);
    void SetCurrentRange(int32_t first, int32_t last);
    // Splits paragraph i at character `at` into two; the new paragraph i+1
    // continues in the font before `at`.
    void SplitParagraph(int32_t i, int32_t at);
    // Joins paragraph i with i+1 (flat and continuation markup read back as
    // one); false when they could not be read back as one paragraph.
    bool JoinParagraphs(int32_t i);
    bool HoldsTable(const THQVparag& p) const;

private:
    THQVparag* CaretParagraph();
    TextPosition Clamp(TextPosition p) const;
    bool Locked() const { return box_.LockCount() > 0; }
    void DeleteRange(TextPosition s, TextPosition e);
    // Applies a font change to the selection (or sets it pending).
    template <class F>
    void RunCommand(const std::string& text, F change);
    // Closes the groups; with a selection runs the command, else sets the
    // pending value.
    template <class P, class F>
    void RunOrPending(const std::string& text, P setPending, F change);
    template <class F>
    void ParaCommand(const std::string& text, F change, bool remeasure);
    void MoveKey(EditKey key, uint8_t modifiers);
    TextPosition LineMove(const TextPosition& from, int dir);
    void SelectWordAt(const TextPosition& p);
    void PerformDrop(BoxEditor& source, bool move);
    int32_t LinkUnder(int32_t x, int32_t y) const;
    // Posts an action of this editor at box point (x, y).
    void PostAt(EditAction::Kind kind, int32_t x, int32_t y);

    THQVbox& box_;
    DeferredActions& actions_;
    int32_t groupParagraph_ = -1;
    int32_t preferredX_ = -1;
    BoxEditor* pendingDropSource_ = nullptr;
    // The run in force at the character typed last (see TypeChar).
    const THQVparag* typingRunPara_ = nullptr;
    int32_t typingRunAt_ = -1;
    int32_t typingRun_ = -1;
    size_t typingRunFonts_ = 0;
};

// --- objects data: a selection with the objects its markup needs ---------------------

// What the objects data needs from the page around a box: page-local links and
// placed-object controls. Without one, links keep their values and object tags
// their control indexes.
class ObjectsDataHost {
public:
    virtual ~ObjectsDataHost() = default;
    // The page-local link object with this link value, or null.
    virtual THQVoggetto* PageLink(int32_t linkValue) = 0;
    // Registers a copy of a link object with the page; returns its new value.
    virtual int32_t AddPageLink(std::unique_ptr<THQVoggetto> link) = 0;
    // Creates a control on the page for a placed object read from the data;
    // returns its control index (-1 on failure).
    virtual int32_t CreateControl(std::unique_ptr<THQVoggetto> object) = 0;
};

// Writes the objects data (version 1) of the selection start..end of `box`:
// the page-local links the text names, the paragraph styles, the placed
// objects with their markup. Unless for dragging, also the links the placed
// objects name (following special links to their targets) and the pictures
// they show, so that the data can be pasted into another hypertext.
Bytes WriteObjectsData(const THQVbox& box, const TextPosition& start, const TextPosition& end,
                       bool forDragging, ObjectsDataHost* host = nullptr);
// Pastes objects data at the caret of the editor's box, recording a box entry
// with `undoText` when it is not empty. False when the data is not accepted.
// With `keepStyle` the paragraph at the caret takes the first pasted
// paragraph's format; an empty one only when that is a style of the author's
// (above the two built-in ones) or, with `wholePage`, always: a copied page
// keeps the look of its first paragraph.
bool ReadObjectsData(BoxEditor& editor, const Bytes& data, const std::string& undoText,
                     bool keepStyle, ObjectsDataHost* host = nullptr, bool wholePage = false);

}  // namespace ovik
