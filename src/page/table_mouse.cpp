#include "page/table_mouse.h"

#include <algorithm>
#include <cstdlib>

namespace ovik {

int32_t TableMouse::SectionRight(const TMyyTable& table, int32_t col) {
    int32_t x = 0;
    const auto& header = table.Header();
    for (int32_t c = 0; c <= col && c < int32_t(header.size()); ++c) x += header[size_t(c)].width;
    return x;
}

int32_t TableMouse::ColumnEdgeAt(const TMyyTable& table, int32_t x, int32_t y) {
    if (!table.HeaderShown() || y < -TMyyTable::kHeaderHeight || y >= 0) return -1;
    int32_t right = 0;
    const auto& header = table.Header();
    for (size_t c = 0; c < header.size(); ++c) {
        right += header[c].width;
        if (std::abs(x - right) <= kEdgeSlack) return int32_t(c);
    }
    return -1;
}

int TableMouse::HandleAt(const TMyyTable& table, int32_t x, int32_t y) {
    if (!table.HeaderShown()) return 0;
    return ResizeHandles::HandleAt({0, 0, table.Width(), table.Height()}, x, y);
}

bool TableMouse::Press(int32_t x, int32_t y) {
    part_ = Part::None;
    lineX_ = kNoLine;
    if (table_.ReadOnly() || table_.Inactive()) return false;
    pressX_ = x;
    pressY_ = y;
    if (const int32_t c = ColumnEdgeAt(table_, x, y); c >= 0) {
        part_ = Part::ColumnEdge;
        column_ = c;
        return true;
    }
    if (const int h = HandleAt(table_, x, y)) {
        part_ = Part::Handle;
        handle_ = h;
        start_ = band_ = {0, 0, table_.Width(), table_.Height()};
        return true;
    }
    return false;
}

void TableMouse::Move(int32_t x, int32_t y, uint8_t modifiers) {
    switch (part_) {
        case Part::ColumnEdge: {
            // The line stays right of the section's left edge.
            const int32_t left = column_ > 0 ? SectionRight(table_, column_ - 1) : 0;
            lineX_ = std::max(x, left + 1);
            break;
        }
        case Part::Handle:
            band_ = ResizeHandles::Drag(handle_, start_, x - pressX_, y - pressY_, (modifiers & kShift) != 0);
            break;
        default: break;
    }
}

bool TableMouse::Release(int32_t x, int32_t y) {
    Move(x, y, 0);
    const Part part = part_;
    part_ = Part::None;
    switch (part) {
        case Part::ColumnEdge: {
            const int32_t left = column_ > 0 ? SectionRight(table_, column_ - 1) : 0;
            const int32_t old = SectionRight(table_, column_) - left;
            const int32_t now = lineX_ - left;
            lineX_ = kNoLine;
            if (now == old) return false;
            table_.ResizeColumn(column_, old, now);
            return true;
        }
        case Part::Handle: {
            const int32_t w = band_.right - band_.left;
            if (w == start_.right - start_.left) return false;
            table_.ResizeTo(w, table_.LastAvailableWidth());
            return true;
        }
        default: return false;
    }
}

}  // namespace ovik
