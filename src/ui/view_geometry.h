// Engine rectangles and resize handles as the page widget draws them.
#pragma once

#include <QPainter>
#include <QRect>

#include "page/placed_visual.h"
#include "ui/display_painter.h"

namespace ovik::ui {

inline QRect ToQRect(const PixelRect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

// The mouse cursor over resize handle `handle`.
inline Qt::CursorShape SizeCursorOf(int handle) {
    switch (ResizeHandles::CursorOf(handle)) {
        case SizeCursor::DiagonalDown: return Qt::SizeFDiagCursor;
        case SizeCursor::DiagonalUp: return Qt::SizeBDiagCursor;
        case SizeCursor::Vertical: return Qt::SizeVerCursor;
        case SizeCursor::Horizontal: return Qt::SizeHorCursor;
    }
    return Qt::ArrowCursor;
}

// The eight handles around `r`, white while they may be dragged.
inline void DrawHandles(QPainter& p, const PixelRect& r, bool enabled) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(enabled ? QColor(Qt::white) : ToQColor(ResizeHandles::kDisabledFill));
    for (int n = 1; n <= 8; ++n) p.drawRect(ToQRect(ResizeHandles::Square(n, r)).adjusted(0, 0, -1, -1));
}

}  // namespace ovik::ui
