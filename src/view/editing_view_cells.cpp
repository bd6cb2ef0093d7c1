// The editing view's caret among the cells of tables: which box has the
// caret, the caret leaving a cell for its neighbour or the text around the
// table, Tab between cells, and the mouse routed to the innermost box under it.
#include <algorithm>

#include "page/page_copy.h"
#include "page/placed_table.h"
#include "text/display_list.h"
#include "view/editing_view.h"

namespace ovik {

namespace {

constexpr size_t kRetiredEditors = 8;

bool Contains(const PixelRect& r, int32_t x, int32_t y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// The tables of `box` whose places meet `clip`, with their rectangles in the box.
struct PlacedTable {
    TMyyTable* table = nullptr;
    PixelRect rect;
};

std::vector<PlacedTable> TablesIn(THQVpage& page, THQVbox& box, const PixelRect& clip) {
    std::vector<PlacedTable> out;
    PaintOptions o;
    o.showCaret = false;
    o.storeRemeasured = false;
    const DisplayList list = BuildDisplayList(box, clip, o);
    for (const DisplayItem& item : list.items) {
        const auto* obj = std::get_if<ObjectItem>(&item);
        if (!obj) continue;
        auto* t = dynamic_cast<TMyyTable*>(page.ControlAt(obj->controlIndex));
        if (!t) continue;
        t->Place(obj->rect.left, obj->rect.top);
        out.push_back({t, obj->rect});
    }
    return out;
}

}  // namespace

void TInsiemeCornici::MakeEditor(THQVbox& box) {
    if (editor_) {
        retiredEditors_.push_back(std::move(editor_));
        if (retiredEditors_.size() > kRetiredEditors) retiredEditors_.erase(retiredEditors_.begin());
    }
    editor_ = std::make_unique<BoxEditor>(box, actions_);
    editor_->autoEngQuote = autoEngQuote_;
    editor_->objectsHost = objectsHost_.get();
}

TMyyTable* TInsiemeCornici::TableOfCell(const THQVbox& cell, int32_t* row, int32_t* col) const {
    if (!page_ || !cell.IsCellBox()) return nullptr;
    int32_t r = 0, c = 0;
    for (const auto& control : page_->Controls())
        if (auto* t = dynamic_cast<TMyyTable*>(control.get()); t && t->CellPosition(&cell, r, c)) {
            if (row) *row = r;
            if (col) *col = c;
            return t;
        }
    return nullptr;
}

TMyyTable* TInsiemeCornici::CurrentTable(int32_t* row, int32_t* col) const {
    return cellBox_ ? TableOfCell(*cellBox_, row, col) : nullptr;
}

bool TInsiemeCornici::FocusBox(THQVbox* box, int32_t paragraph, int32_t ch) {
    if (!page_ || !box) return false;
    THQVbox* main = page_->Box();
    TMyyTable* table = box == main ? nullptr : TableOfCell(*box);
    if (box != main && !table) return false;
    if (TMyyTable* old = CurrentTable(); old && old != table) old->currentCell = nullptr;
    THQVbox* before = CurrentBox();
    cellBox_ = box == main ? nullptr : box;
    if (table) table->currentCell = box;
    // A cell refuses edits in preview as the page's box does.
    box->geometry.readOnly = readOnly_;
    if (!editor_ || &editor_->Box() != box) MakeEditor(*box);
    if (before && before != box) {
        before->hasSelection = false;
        if (editor_) editor_->CloseGroups();
    }
    if (box->ParagraphCount() > 0) {
        const int32_t k = std::clamp(paragraph, 0, box->ParagraphCount() - 1);
        box->SetCaret(k, std::clamp(ch, 0, box->Paragraph(k).Length()));
        box->hasSelection = false;
    }
    FireRepaint();
    return true;
}

void TInsiemeCornici::CheckCurrentBox(bool inText) {
    if (!page_) return;
    THQVbox* focus = nullptr;
    bool alive = !cellBox_;
    for (const auto& control : page_->Controls()) {
        auto* t = dynamic_cast<TMyyTable*>(control.get());
        if (!t) continue;
        int32_t r = 0, c = 0;
        if (cellBox_ && !alive && t->CellPosition(cellBox_, r, c)) alive = true;
        if (t->focusCell) {
            focus = t->focusCell;
            t->focusCell = nullptr;
        }
    }
    if (alive && cellBox_ && inText) {
        // The search goes down through the tables in the text only.
        THQVbox* holder = nullptr;
        int32_t paragraph = 0, ch = 0;
        TMyyTable* t = TableOfCell(*cellBox_);
        alive = t && page_->FindControl(t, holder, paragraph, ch);
        if (!alive && focus && TableOfCell(*focus) == t) focus = nullptr;
    }
    if (!alive) {
        // The cell is gone: nothing of it may be touched any more.
        cellBox_ = nullptr;
        mouseBox_ = nullptr;
        MakeEditor(*page_->Box());
    }
    if (focus) FocusBox(focus, 0, 0);
}

bool TInsiemeCornici::TabKey(bool back) {
    int32_t row = 0, col = 0;
    TMyyTable* t = CurrentTable(&row, &col);
    if (!t) return false;
    THQVbox* next = t->NeighbourCell(row, col, back ? CellDirection::Previous : CellDirection::Next);
    if (next && next != cellBox_) FocusBox(next, 0, 0);
    return true;
}

bool TInsiemeCornici::TakeBoxAction(const EditAction& a) {
    if (!page_) return false;
    switch (a.kind) {
        case EditAction::ExitBox: {
            if (!editor_ || a.editor != editor_.get()) return true;
            THQVbox& from = editor_->Box();
            const CaretTarget to = CaretExit(*page_, from, a.exitCode, editor_->tableParagraph);
            if (to.box && to.box != &from) FocusBox(to.box, to.paragraph, to.charIndex);
            return true;
        }
        case EditAction::FocusBox:
            // The editor's own box already has the caret.
            return true;
        case EditAction::ObjectFocus: {
            auto* t = dynamic_cast<TMyyTable*>(a.object);
            if (!t) return false;
            if (THQVbox* first = t->CellAt(0, 0)) FocusBox(first, 0, 0);
            return true;
        }
        default: return false;
    }
}

PixelRect TInsiemeCornici::TableRect(const TMyyTable& table) const {
    if (!page_) return {};
    THQVbox* box = nullptr;
    int32_t paragraph = 0, ch = 0;
    if (!page_->FindControl(&table, box, paragraph, ch) || !box) return {};
    const THQVparag& p = box->Paragraph(paragraph);
    const PixelRect rows{INT32_MIN / 2, p.top, INT32_MAX / 2, p.bottom + 1};
    for (const PlacedTable& t : TablesIn(*page_, *box, rows))
        if (t.table == &table) return t.rect;
    return {};
}

bool TInsiemeCornici::BoxOrigin(const THQVbox& box, int32_t& x, int32_t& y) const {
    if (!page_) return false;
    if (&box == page_->Box()) {
        x = y = 0;
        return true;
    }
    int32_t row = 0, col = 0;
    TMyyTable* t = TableOfCell(box, &row, &col);
    if (!t) return false;
    THQVbox* holder = nullptr;
    int32_t paragraph = 0, ch = 0;
    if (!page_->FindControl(t, holder, paragraph, ch) || !holder || holder == &box) return false;
    int32_t hx = 0, hy = 0;
    if (!BoxOrigin(*holder, hx, hy)) return false;
    const PixelRect r = TableRect(*t);
    const TMyyTable::CellPlace place = t->PlaceOf(row, col);
    x = hx + r.left + place.x;
    y = hy + r.top + place.y;
    return true;
}

THQVbox* TInsiemeCornici::BoxAt(int32_t x, int32_t y, int32_t& lx, int32_t& ly, TMyyTable** onTable) const {
    if (onTable) *onTable = nullptr;
    THQVbox* box = MainBox();
    lx = x;
    ly = y;
    // Down through the tables under the point, to the innermost cell.
    for (int depth = 0; box && depth < 64; ++depth) {
        TMyyTable* hit = nullptr;
        PixelRect rect;
        for (const PlacedTable& t : TablesIn(*page_, *box, {lx, ly, lx + 1, ly + 1}))
            if (Contains(t.rect, lx, ly)) {
                hit = t.table;
                rect = t.rect;
            }
        if (!hit) return box;
        const int32_t tx = lx - rect.left, ty = ly - rect.top;
        THQVbox* cell = nullptr;
        for (int32_t r = 0; r < hit->Rows() && !cell; ++r)
            for (int32_t c = 0; c < hit->Columns(); ++c) {
                const TMyyTable::CellPlace p = hit->PlaceOf(r, c);
                if (Contains({p.x, p.y, p.x + p.width, p.y + p.height}, tx, ty)) {
                    cell = hit->CellAt(r, c);
                    lx = tx - p.x;
                    ly = ty - p.y;
                    break;
                }
            }
        if (!cell) {
            if (onTable) *onTable = hit;
            lx = tx;
            ly = ty;
            return box;
        }
        box = cell;
    }
    return box;
}

void TInsiemeCornici::MouseDown(MouseButton b, int32_t x, int32_t y, uint8_t modifiers) {
    if (!page_ || !editor_) return;
    int32_t lx = 0, ly = 0;
    TMyyTable* onTable = nullptr;
    THQVbox* box = BoxAt(x, y, lx, ly, &onTable);
    mouseBox_ = nullptr;
    if (onTable) {
        // A press on the table itself puts the caret into its first cell.
        if (THQVbox* first = onTable->CellAt(0, 0)) FocusBox(first, 0, 0);
        return;
    }
    if (!box) return;
    if (box != CurrentBox()) FocusBox(box, box->caret.paragraphIndex, box->caret.charIndex);
    mouseBox_ = box;
    mouseX0_ = x - lx;
    mouseY0_ = y - ly;
    editor_->MouseDown(b, lx, ly, modifiers);
}

void TInsiemeCornici::MouseMove(int32_t x, int32_t y, bool leftDown) {
    if (!editor_) return;
    if (mouseBox_ && mouseBox_ != &editor_->Box()) return;
    const int32_t x0 = mouseBox_ ? mouseX0_ : 0, y0 = mouseBox_ ? mouseY0_ : 0;
    editor_->MouseMove(x - x0, y - y0, leftDown);
}

void TInsiemeCornici::MouseUp(MouseButton b, int32_t x, int32_t y, uint8_t modifiers) {
    if (!editor_) return;
    if (mouseBox_ && mouseBox_ != &editor_->Box()) return;
    const int32_t x0 = mouseBox_ ? mouseX0_ : 0, y0 = mouseBox_ ? mouseY0_ : 0;
    editor_->MouseUp(b, x - x0, y - y0, modifiers);
}

void TInsiemeCornici::DoubleClick(int32_t x, int32_t y) {
    if (!editor_) return;
    int32_t lx = 0, ly = 0;
    THQVbox* box = BoxAt(x, y, lx, ly);
    if (box != &editor_->Box()) return;
    editor_->DoubleClick(lx, ly);
}

}  // namespace ovik
