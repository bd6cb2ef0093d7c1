// The page widget's tables: each table drawn with its background, border and
// cells (every cell a box painted from its own display list, nested tables
// the same way), the selected table's column header, resize handles and
// drag line, and the mouse over them; the engine's TableMouse decides what a
// gesture does, and the editing view which cell has the caret.
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>

#include "page/placed_table.h"
#include "page/table_mouse.h"
#include "ui/page_view.h"
#include "ui/view_geometry.h"

namespace ovik::ui {

TMyyTable* TPageView::TableOfIndex(int32_t controlIndex) const {
    if (!Page() || controlIndex < 0) return nullptr;
    return dynamic_cast<TMyyTable*>(Page()->ControlAt(controlIndex));
}

TMyyTable* TPageView::SelectedTable() const {
    if (TPageView* child = ActiveChild()) return child->SelectedTable();
    if (!Page() || Page()->Showing() != selectedTableShowing_) return nullptr;
    return TableOfIndex(selectedTable_);
}

TMyyTable* TPageView::CurrentTable() const {
    if (TPageView* child = ActiveChild()) return child->CurrentTable();
    if (TMyyTable* t = SelectedTable()) return t;
    return model_.CurrentTable();
}

void TPageView::SelectTable(TMyyTable* table) {
    if (TPageView* child = ActiveChild()) return child->SelectTable(table);
    if (TMyyTable* old = SelectedTable(); old && old != table) {
        old->Select(false);
        old->holdsSelection = false;
    }
    selectedTable_ = table ? table->ControlIndex() : -1;
    selectedTableShowing_ = Page() ? Page()->Showing() : 0;
    if (table) {
        SelectPicture(nullptr);
        table->Select(true);
        model_.SelectControl(table);
    }
    viewport()->update();
    emit InputDone();
}

QRect TPageView::TableRect(const TMyyTable& table) const {
    if (TPageView* child = ActiveChild()) return child->TableRect(table);
    THQVbox* holder = nullptr;
    int32_t paragraph = 0, ch = 0;
    if (!Page() || !Page()->FindControl(&table, holder, paragraph, ch) || !holder) return {};
    const PixelRect r = model_.TableRect(table);
    if (r.right <= r.left) return {};
    return ToQRect(r).translated(BoxOriginOf(*holder) - Offset());
}

bool TPageView::RunOnTable(const std::function<void(TMyyTable&)>& change) {
    if (TPageView* child = ActiveChild()) return child->RunOnTable(change);
    TMyyTable* table = CurrentTable();
    if (!table || readOnly_ || !Editor() || table->Inactive()) return false;
    Editor()->CloseGroups();
    // The current cell is the one a deletion moves the caret from.
    const bool selected = SelectedTable() == table;
    change(*table);
    // Deleting rows and columns runs after the event that asked for it.
    table->RunPosted();
    if (selected && SelectedTable() != table) SelectTable(nullptr);
    UpdateScrollBars();
    AfterInput();
    return true;
}

TMyyTable* TPageView::InsertTable(const NewTableChoice& choice) {
    if (TPageView* child = ActiveChild()) return child->InsertTable(choice);
    if (!Editor() || readOnly_ || !Page()) return nullptr;
    TMyyTable* made = nullptr;
    SelectTable(nullptr);
    Run([&](BoxEditor& e) {
        if (HasSelection()) e.DeleteSelection();
        made = InsertNewTable(*Page(), e, choice);
    });
    return made;
}

bool TPageView::DrawTable(QPainter& p, const ObjectItem& item) {
    TMyyTable* table = TableOfIndex(item.controlIndex);
    if (!table) return false;
    const QRect r = ToQRect(item.rect);
    // The table's own background, behind the cells and the spacing.
    if (!table->noBackground) {
        PaintOptions o;
        o.showCaret = false;
        const DisplayList back = BuildDisplayList(*table, {0, 0, table->Width(), table->Height()}, o);
        p.save();
        p.translate(r.topLeft());
        PaintDisplayList(p, back, pictures_);
        p.restore();
    }
    const THQVbox* caretBox = readOnly_ ? nullptr : Box();
    PaintState state;
    state.caretVisible = caretOn_ && hasFocus();
    state.drawObject = [this](QPainter& painter, const ObjectItem& inner) { return DrawObject(painter, inner); };
    for (int32_t row = 0; row < table->Rows(); ++row)
        for (int32_t col = 0; col < table->Columns(); ++col) {
            THQVbox* cell = table->CellAt(row, col);
            const TMyyTable::CellPlace place = table->PlaceOf(row, col);
            if (!cell || place.width <= 0) continue;
            const QPoint at = r.topLeft() + QPoint(place.x, place.y);
            // Only what the painter's clip shows is listed.
            const QRect visible = p.clipBoundingRect().toAlignedRect();
            const QRect cellRect(at, QSize(place.width, place.height));
            if (!visible.isEmpty() && !visible.intersects(cellRect)) continue;
            PaintOptions o;
            o.showCaret = cell == caretBox;
            o.cellLeft = place.x;
            o.cellTop = place.y;
            o.inactiveCell = table->Inactive();
            // The cell's box is as high as its row.
            const int32_t h = cell->geometry.height;
            cell->geometry.height = std::max(h, place.height);
            const DisplayList list = BuildDisplayList(*cell, {0, 0, place.width, place.height}, o);
            cell->geometry.height = h;
            p.save();
            p.translate(at);
            p.setClipRect(QRect(0, 0, place.width, place.height), Qt::IntersectClip);
            PaintDisplayList(p, list, pictures_, state);
            p.restore();
        }
    if (table->geometry.cellBorder > 0) {
        // The table's border, outside the cells' own.
        p.setPen(QPen(QColor(128, 128, 128), table->geometry.cellBorder));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    } else if (!readOnly_) {
        // A borderless table shows where its cells are while it is edited.
        p.setPen(QPen(QColor(160, 160, 160), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        for (int32_t row = 0; row < table->Rows(); ++row)
            for (int32_t col = 0; col < table->Columns(); ++col) {
                const TMyyTable::CellPlace place = table->PlaceOf(row, col);
                p.drawRect(QRect(r.topLeft() + QPoint(place.x, place.y), QSize(place.width, place.height))
                               .adjusted(0, 0, -1, -1));
            }
    }
    if (item.selected) p.fillRect(r, QColor(0, 0, 128, 60));
    return true;
}

void TPageView::PaintTableOverlay(QPainter& p) {
    TMyyTable* table = SelectedTable();
    if (!table || readOnly_) return;
    THQVbox* holder = nullptr;
    int32_t paragraph = 0, ch = 0;
    if (!Page()->FindControl(table, holder, paragraph, ch) || !holder) return;
    const PixelRect tr = model_.TableRect(*table);
    if (tr.right <= tr.left) return;
    const QPoint origin = BoxOriginOf(*holder) + QPoint(tr.left, tr.top);
    // The column header: 12 pixels above the table, as wide as it, in a
    // small face; each section as wide as its column and the spacing.
    const QRect header(origin.x(), origin.y() - TMyyTable::kHeaderHeight, table->Width(), TMyyTable::kHeaderHeight);
    p.fillRect(header, palette().color(QPalette::Button));
    QFont small("Small Fonts");
    small.setPixelSize(9);
    p.setFont(small);
    int32_t x = header.left();
    for (const HeaderSection& s : table->Header()) {
        const QRect section(x, header.top(), s.width, header.height());
        p.setPen(palette().color(QPalette::ButtonText));
        p.drawText(section, Qt::AlignCenter, QString::fromStdString(s.text));
        p.setPen(palette().color(QPalette::Dark));
        p.drawLine(section.topRight(), section.bottomRight());
        x += s.width;
    }
    p.setPen(palette().color(QPalette::Dark));
    p.setBrush(Qt::NoBrush);
    p.drawRect(header.adjusted(0, 0, -1, -1));
    DrawHandles(p, {origin.x(), origin.y(), origin.x() + table->Width(), origin.y() + table->Height()}, true);
    if (!tableGesture_) return;
    if (tableGesture_->Pressed() == TableMouse::Part::ColumnEdge && tableGesture_->LineX() != TableMouse::kNoLine) {
        // The drag line across the page's visible height, in XOR.
        const int32_t lx = tableGestureOrigin_.x() + tableGesture_->LineX();
        p.save();
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.setPen(QPen(Qt::white, 1, Qt::DotLine));
        const int top = Offset().y();
        p.drawLine(lx, top, lx, top + viewport()->height());
        p.restore();
    } else if (tableGesture_->BandShown()) {
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(ToQRect(tableGesture_->Band()).translated(tableGestureOrigin_).adjusted(0, 0, -1, -1));
    }
}

bool TPageView::TablePress(QMouseEvent* e) {
    TMyyTable* table = SelectedTable();
    if (!table) return false;
    const QPoint bp = BoxPoint(e->position().toPoint());
    THQVbox* holder = nullptr;
    int32_t paragraph = 0, ch = 0;
    if (!Page()->FindControl(table, holder, paragraph, ch) || !holder) return false;
    const PixelRect tr = model_.TableRect(*table);
    const QPoint origin = BoxOriginOf(*holder) + QPoint(tr.left, tr.top);
    const QPoint local = bp - origin;
    if (e->button() == Qt::RightButton) {
        const QRect whole(origin - QPoint(0, TMyyTable::kHeaderHeight),
                          QSize(table->Width(), table->Height() + TMyyTable::kHeaderHeight));
        if (whole.contains(bp) && tableMenu_ && !readOnly_) {
            emit ContextMenuAboutToShow();
            tableMenu_->exec(e->globalPosition().toPoint());
            return true;
        }
    }
    auto gesture = std::make_unique<TableMouse>(*table);
    if (e->button() == Qt::LeftButton && gesture->Press(local.x(), local.y())) {
        Editor()->CloseGroups();
        tableGesture_ = std::move(gesture);
        tableGestureOrigin_ = origin;
        viewport()->setCursor(tableGesture_->Pressed() == TableMouse::Part::ColumnEdge
                                  ? Qt::SplitHCursor
                                  : SizeCursorOf(tableGesture_->Handle()));
        viewport()->update();
        return true;
    }
    // Anywhere else the table lets go of its selection.
    SelectTable(nullptr);
    return false;
}

bool TPageView::TableMove(QMouseEvent* e) {
    const QPoint bp = BoxPoint(e->position().toPoint());
    if (!tableGesture_) {
        // The cursors over the selected table's header edges and handles.
        TMyyTable* table = SelectedTable();
        if (!table || e->buttons() != Qt::NoButton) return false;
        const QRect r = TableRect(*table);
        if (r.isNull()) return false;
        const QPoint local = e->position().toPoint() - r.topLeft();
        if (TableMouse::ColumnEdgeAt(*table, local.x(), local.y()) >= 0) {
            viewport()->setCursor(Qt::SplitHCursor);
            return true;
        }
        if (const int h = TableMouse::HandleAt(*table, local.x(), local.y())) {
            viewport()->setCursor(SizeCursorOf(h));
            return true;
        }
        return false;
    }
    const QPoint local = bp - tableGestureOrigin_;
    tableGesture_->Move(local.x(), local.y(), Modifiers(e->modifiers()));
    viewport()->update();
    return true;
}

bool TPageView::TableRelease(QMouseEvent* e) {
    if (!tableGesture_) return false;
    std::unique_ptr<TableMouse> gesture = std::move(tableGesture_);
    viewport()->unsetCursor();
    const QPoint local = BoxPoint(e->position().toPoint()) - tableGestureOrigin_;
    if (gesture->Release(local.x(), local.y())) {
        UpdateScrollBars();
        emit InputDone();
    }
    viewport()->update();
    return true;
}

}  // namespace ovik::ui
