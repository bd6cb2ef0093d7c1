#include "page/placed_visual.h"

#include <algorithm>
#include <cstdlib>

#include "page/placed_controls.h"
#include "page/placed_picture.h"
#include "page/placed_table.h"
#include "page/thqv_page.h"

namespace ovik {

// --- resize handles ---------------------------------------------------------------------------

namespace {
void HandlePoint(int n, const PixelRect& r, int32_t& x, int32_t& y) {
    const int32_t mx = r.left + (r.right - r.left) / 2, my = r.top + (r.bottom - r.top) / 2;
    switch (n) {
        case 1: x = r.left, y = r.top; break;
        case 2: x = r.right, y = r.top; break;
        case 3: x = r.left, y = r.bottom; break;
        case 4: x = r.right, y = r.bottom; break;
        case 5: x = mx, y = r.top; break;
        case 6: x = mx, y = r.bottom; break;
        case 7: x = r.left, y = my; break;
        default: x = r.right, y = my; break;
    }
}
}  // namespace

PixelRect ResizeHandles::Square(int n, const PixelRect& r) {
    int32_t x = 0, y = 0;
    HandlePoint(n, r, x, y);
    const int32_t half = kSize / 2;
    return {x - half, y - half, x - half + kSize, y - half + kSize};
}

int ResizeHandles::HandleAt(const PixelRect& r, int32_t x, int32_t y) {
    for (int n = 1; n <= 8; ++n) {
        PixelRect s = Square(n, r);
        if (x >= s.left && x < s.right && y >= s.top && y < s.bottom) return n;
    }
    return 0;
}

SizeCursor ResizeHandles::CursorOf(int n) {
    switch (n) {
        case 1:
        case 4: return SizeCursor::DiagonalDown;
        case 2:
        case 3: return SizeCursor::DiagonalUp;
        case 5:
        case 6: return SizeCursor::Vertical;
        default: return SizeCursor::Horizontal;
    }
}

PixelRect ResizeHandles::Drag(int n, const PixelRect& start, int32_t dx, int32_t dy, bool shift) {
    if (shift && IsCorner(n)) {
        const int32_t m = std::min(std::abs(dx), std::abs(dy));
        dx = dx < 0 ? -m : m;
        dy = dy < 0 ? -m : m;
    }
    PixelRect r = start;
    const bool left = n == 1 || n == 3 || n == 7, right = n == 2 || n == 4 || n == 8;
    const bool top = n == 1 || n == 2 || n == 5, bottom = n == 3 || n == 4 || n == 6;
    if (left) r.left = std::min(r.left + dx, r.right - 1);
    if (right) r.right = std::max(r.right + dx, r.left + 1);
    if (top) r.top = std::min(r.top + dy, r.bottom - 1);
    if (bottom) r.bottom = std::max(r.bottom + dy, r.top + 1);
    return r;
}

bool PassesDragThreshold(int32_t dx, int32_t dy) {
    dx = std::abs(dx);
    dy = std::abs(dy);
    return (dy >= 5 && dx >= 2) || (dx >= 5 && dy >= 2);
}

// --- TMyyVisual ----------------------------------------------------------------------------------

TMyyVisual::TMyyVisual(WorkingObject w, THQVpage* page) : working_(std::move(w)), page_(page) {}

bool TMyyVisual::ReadOnly() const { return page_ && page_->ReadOnly(); }

void TMyyVisual::Place(int32_t x, int32_t y) {
    left_ = x;
    top_ = y;
    needsPlacing_ = false;
}

PlacedObjectState::Data TMyyVisual::Save() const {
    Data d;
    auto* self = const_cast<TMyyVisual*>(this);
    // The record must show the control as it is now (zones live in the control).
    self->UpdateObject();
    const THQVoggetto* o = working_.object.get();
    if (!o) return d;
    const auto rec = o->Record();
    d.record.assign(rec.begin(), rec.end());
    d.kind = o->Kind();
    d.zone = SelectedZoneForUndo();
    if (const Bytes* c = o->MemContent()) d.content = *c;
    if (const Bytes* w = o->Wrapper()) d.wrapper = *w;
    return d;
}

void TMyyVisual::Load(const Data& d) {
    THQVoggetto* o = working_.object.get();
    if (!o || d.kind != o->Kind() || d.record.empty()) return;
    o->SetRecordBytes(d.record.data(), d.record.size());
    // A placed picture has no content; others get theirs back.
    if (o->Kind() != immagineNew) {
        if (d.content.empty()) o->ClearContent();
        else o->SetContent(d.content);
    }
    if (d.wrapper.empty()) o->ClearWrapper();
    else o->SetWrapper(d.wrapper);
    LoadFromObject();
    RestoreSelectedZone(d.zone);
    MarkForRelayout(true);
}

void TMyyVisual::CreateUndoRecord(const std::string& text) {
    if (page_) page_->RecordPlacedChange(*this, text);
}

void TMyyVisual::MarkForRelayout(bool markChanged) {
    Unplace();
    if (page_) page_->RelayoutControl(*this, markChanged);
}

VisualActions TMyyVisual::MousePress(MouseButton b, int32_t x, int32_t y) {
    VisualActions out;
    lastMouseX = x;
    lastMouseY = y;
    afterDoubleClick_ = false;
    if (!handlesDragMode) {
        out.push_back(VisualAction::HideHandles);
        out.push_back(VisualAction::DefaultCursor);
    }
    if (b != MouseButton::Left) return out;
    if (Editable() && handlesDragMode && parentIsBox) {
        out.push_back(VisualAction::BeginBoxDrag);
        return out;
    }
    if (!focused && !ReadOnly() && !working_.inactive) {
        out.push_back(VisualAction::TakeFocus);
        focused = true;
        ignoreNextMove_ = true;
    }
    pendingDrag_ = true;
    pressX_ = x;
    pressY_ = y;
    return out;
}

VisualActions TMyyVisual::MouseMove(int32_t x, int32_t y) {
    VisualActions out;
    lastMouseX = x;
    lastMouseY = y;
    if (ignoreNextMove_) {
        ignoreNextMove_ = false;
        return out;
    }
    if (handlesDragMode && Editable()) out.push_back(VisualAction::DragCursor);
    if (pendingDrag_ && PassesDragThreshold(x - pressX_, y - pressY_)) {
        pendingDrag_ = false;
        if (Editable()) {
            out.push_back(VisualAction::SelectInBox);
            out.push_back(VisualAction::BeginImmediateDrag);
        }
    }
    return out;
}

VisualActions TMyyVisual::MouseRelease(MouseButton b, int32_t x, int32_t y) {
    VisualActions out;
    lastMouseX = x;
    lastMouseY = y;
    pendingDrag_ = false;
    if (afterDoubleClick_) {
        afterDoubleClick_ = false;
        return out;
    }
    if (b == MouseButton::Right) {
        if (ReadOnly()) return out;
        if (!selected) out.push_back(VisualAction::SelectInFrameSet);
        if (working_.inactive) {
            out.push_back(VisualAction::ShowInactivePopup);
            out.push_back(VisualAction::FocusMainBox);
        } else {
            out.push_back(VisualAction::ShowOwnPopup);
            out.push_back(VisualAction::TakeFocus);
        }
        return out;
    }
    if (b == MouseButton::Left && (ReadOnly() || working_.inactive)) out.push_back(VisualAction::Activate);
    return out;
}

VisualActions TMyyVisual::DoubleClick() {
    afterDoubleClick_ = true;
    pendingDrag_ = false;
    if (Editable()) return {VisualAction::OpenProperties};
    return {};
}

VisualActions TMyyVisual::KeyDown(EditKey k, bool shift) {
    const bool handled = k == EditKey::Left || k == EditKey::Right || k == EditKey::Up ||
                         k == EditKey::Down || k == EditKey::Delete;
    if (shift || !handled || !Editable()) return {};
    return {VisualAction::SelectInBox};
}

// --- the factory --------------------------------------------------------------------------------

std::unique_ptr<PagePlacedObject> MakePlacedControl(WorkingObject w, THQVpage* page, THQVset& set,
                                                    platform::TextMeasurer& measurer,
                                                    PlacedObjectIndex* controls,
                                                    PageWorkingCopy* links) {
    if (w.object && w.object->Kind() == immagineNew && page)
        return std::make_unique<TMyyImage>(std::move(w), page, links);
    if (w.object && w.object->Kind() == tabellaHtml && page)
        return std::make_unique<TMyyTable>(std::move(w), page, set, measurer, controls);
    if (auto c = MakeFormControl(w, page)) return c;
    return std::make_unique<PlaceholderObject>(std::move(w), set, measurer, controls);
}

}  // namespace ovik
