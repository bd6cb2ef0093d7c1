// TMyyVisual: the common model of the placed-object controls that have one
// (pictures first; tables and form elements plug in the same way), and the
// geometry of the eight resize handles that surround a selected object.
//
// A control is headless: the editor forwards the mouse and the keys to it and
// carries out the actions it answers with (take the focus, start a drag, show a
// popup menu, follow the link ...). Every change to its object records one
// placed-object undo entry (TimBackup) first, through the page it stands on.
//
//   TMyyVisual& c = ...;                     // made by MakePlacedControl
//   auto acts = c.MousePress(MouseButton::Left, 3, 3);
//   acts = c.MouseMove(10, 4);               // 7 across, 1 down: a drag starts
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "page/placed_objects.h"
#include "text/editing.h"
#include "text/layout.h"
#include "undo/undo.h"

namespace ovik {

class THQVpage;
class PageWorkingCopy;

// What a control asks of the editor after an event, in order.
enum class VisualAction : uint8_t {
    HideHandles,         // press: the handles hide while the mouse is down
    DefaultCursor,
    DragCursor,          // the handle group is in drag mode over an editable control
    BeginBoxDrag,        // the box begins a (non-immediate) drag of its selection
    TakeFocus,
    SelectInBox,         // the box selects the control as a one-character selection
    BeginImmediateDrag,  // ... and drags it at once: the object moves in the text
    SelectInFrameSet,
    ShowOwnPopup,        // the control's popup menu at the mouse
    ShowInactivePopup,   // the frame set's PopupInactive at the mouse
    FocusMainBox,
    Activate,            // follow the link (a picture: the link around it)
    OpenProperties,
    FollowZoneLink,      // a zone's link goes to the frame set's link action
    PostDeleteZone,      // carried out after the key event
    StartZoneMove,       // rubber band on, sizing cursor, mouse captured
    EndZoneMove,         // capture released
    ShowZoneHint,
};
using VisualActions = std::vector<VisualAction>;

// The resize handles (TDragBorderGroup and its eight TDragBorder children).
// Handles are numbered 1 top-left, 2 top-right, 3 bottom-left, 4 bottom-right,
// 5 top-middle, 6 bottom-middle, 7 left-middle, 8 right-middle.
enum class SizeCursor : uint8_t { DiagonalDown, DiagonalUp, Vertical, Horizontal };
struct ResizeHandles {
    static constexpr int32_t kSize = 8;
    static constexpr int32_t kEnabledFill = 0xFFFFFF;
    static constexpr int32_t kDisabledFill = 12632256;  // silver
    // The square of handle `n` around the rectangle `r` (centred on its point).
    static PixelRect Square(int n, const PixelRect& r);
    // The handle whose square holds (x, y), or 0.
    static int HandleAt(const PixelRect& r, int32_t x, int32_t y);
    static SizeCursor CursorOf(int n);
    static bool IsCorner(int n) { return n >= 1 && n <= 4; }
    // The rubber band after dragging handle `n` of `start` by (dx, dy): the
    // handle's edges follow the mouse. With Shift on a corner the smaller of the
    // two offsets (by size, each keeping its own direction) is used for both.
    // Edges never cross: the band keeps at least one pixel.
    static PixelRect Drag(int n, const PixelRect& start, int32_t dx, int32_t dy, bool shift);
};

// The drag threshold of a pending drag: at least 5 pixels one way and 2 the other.
bool PassesDragThreshold(int32_t dx, int32_t dy);

class TMyyVisual : public PagePlacedObject, public PlacedObjectNode, public PlacedObjectState {
public:
    static constexpr int32_t kNewSize = 105;

    TMyyVisual(WorkingObject w, THQVpage* page);
    ~TMyyVisual() override = default;

    // --- PagePlacedObject ----------------------------------------------------------------
    WorkingObject& Working() override { return working_; }
    int32_t ControlIndex() const override { return index_; }
    void SetControlIndex(int32_t i) override { index_ = i; }
    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    void Unplace() override { left_ = kUnplacedX; needsPlacing_ = true; }
    bool NeedsPlacing() const override { return needsPlacing_; }
    void Place(int32_t x, int32_t y) override;
    void SetInSelection(bool s) override { inSelection_ = s; }
    bool InSelection() const { return inSelection_; }
    int32_t Left() const { return left_; }
    int32_t Top() const { return top_; }
    THQVpage* Page() const { return page_; }

    // --- the undo entry's data -------------------------------------------------------------
    PlacedObjectState* State() override { return this; }
    Data Save() const override;
    // Copies the record (and content and wrapper) back, reloads and lays out again.
    void Load(const Data& d) override;

    // --- per kind ------------------------------------------------------------------------------
    virtual void LoadFromObject() { SizeFromObject(); }
    virtual void SizeFromObject() {}
    // The undo description of a change of this object.
    virtual std::string UndoText() const { return "Modifica oggetto"; }
    // Records a placed-object entry described by `text` before a change.
    void CreateUndoRecord(const std::string& text);
    void CreateUndoRecord() { CreateUndoRecord(UndoText()); }
    // Lays the control's paragraph out again (its size changed) and marks the
    // page modified.
    void MarkForRelayout(bool markChanged = true);

    // --- state --------------------------------------------------------------------------------
    bool selected = false;
    bool focused = false;
    bool ReadOnly() const;
    // The handle group is in drag mode (the editor sets it).
    bool handlesDragMode = false;
    // The control's parent is a box (not, for example, a floating window).
    bool parentIsBox = true;
    int32_t lastMouseX = -1, lastMouseY = -1;

    // --- mouse and keys ----------------------------------------------------------------------
    VisualActions MousePress(MouseButton b, int32_t x, int32_t y);
    VisualActions MouseMove(int32_t x, int32_t y);
    VisualActions MouseRelease(MouseButton b, int32_t x, int32_t y);
    VisualActions DoubleClick();
    VisualActions KeyDown(EditKey k, bool shift);
    void MouseLeft() { lastMouseX = lastMouseY = -1; }
    bool DragPending() const { return pendingDrag_; }

protected:
    void SetSize(int32_t w, int32_t h) {
        width_ = w;
        height_ = h;
    }
    bool Editable() const { return !ReadOnly() && !working_.inactive; }

    WorkingObject working_;
    THQVpage* page_;
    int32_t index_ = -1;
    int32_t width_ = kNewSize, height_ = kNewSize;
    int32_t left_ = kUnplacedX, top_ = 0;
    bool needsPlacing_ = true;
    bool inSelection_ = false;
    // Data::zone of the saved state (pictures: the selected zone).
    virtual int32_t SelectedZoneForUndo() const { return -1; }
    virtual void RestoreSelectedZone(int32_t) {}

private:
    bool pendingDrag_ = false;
    int32_t pressX_ = 0, pressY_ = 0;
    bool ignoreNextMove_ = false;
    bool afterDoubleClick_ = false;
};

// The control for a placed object: kinds with a model get theirs (placed
// pictures, tables, form elements, buttons, multimedia, floating frames and
// markers), every other kind the placeholder that keeps it as stored.
std::unique_ptr<PagePlacedObject> MakePlacedControl(WorkingObject w, THQVpage* page, THQVset& set,
                                                    platform::TextMeasurer& measurer,
                                                    PlacedObjectIndex* controls,
                                                    PageWorkingCopy* links);

}  // namespace ovik
