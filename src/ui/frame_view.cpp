// The page view's frame-editing mode: the frames of the page shown are drawn
// with their titles; the bars between frames are dragged to size them (a frame
// made too small goes), the top and left edge bars of a frame are dragged to
// split it, a click selects a frame, and the frame popup menu saves the layout.
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <utility>

#include "document/hqv_set.h"
#include "platform/messages.h"
#include "ui/dialogs/dialog_support.h"
#include "ui/page_view.h"

namespace ovik::ui {

namespace {

constexpr int kArrowStep = 20;

QRect RectOf(const THQVFrame& f) { return QRect(f.x, f.y, f.width, f.height); }
template <class Bar>
QRect RectOf(const Bar& b) {
    return QRect(b.x, b.y, b.width, b.height);
}

}  // namespace

void TPageView::SetFramesOnly(bool on) {
    frameDrag_ = {};
    model_.SetViewSize(viewport()->width(), viewport()->height());
    model_.SetShowFramesOnly(on);
    viewport()->update();
}

void TPageView::PaintFrames(QPainter& p) {
    const QPalette& pal = palette();
    p.fillRect(viewport()->rect(), pal.color(QPalette::Window));
    p.setPen(pal.color(QPalette::WindowText));
    // Each leaf frame with its title (the selected one darker), the bars
    // between frames, and the edge bars that split frames.
    struct Shown {
        QRect rect;
        QString title;
        bool selected;
    };
    std::vector<Shown> frames;
    if (THQVFramePanel* panel = model_.Frames()) {
        for (const THQVFrame* f : std::as_const(panel->Tree()).PreOrder())
            if (f->IsLeaf()) frames.push_back({RectOf(*f), FromCp(f->rec.title), f == model_.CurrentFrame()});
        for (const THQVSplit& s : panel->Splits()) p.fillRect(RectOf(s), pal.color(QPalette::Button));
    } else if (model_.MainPageNumber() >= 0) {
        frames.push_back({viewport()->rect(), FromCp(model_.RootFrameTitle()), true});
    }
    for (const THQVEdgeBar& b : model_.EdgeBars()) p.fillRect(RectOf(b), pal.color(QPalette::Midlight));
    for (const Shown& f : frames) {
        const QRect caption(f.rect.left() + 10, f.rect.top() + 10, std::max(0, f.rect.width() - 20), 20);
        p.fillRect(caption, pal.color(f.selected ? QPalette::Shadow : QPalette::Button));
        p.setPen(pal.color(f.selected ? QPalette::BrightText : QPalette::ButtonText));
        p.drawText(caption, Qt::AlignCenter, f.title);
        p.setPen(pal.color(QPalette::WindowText));
        p.drawRect(f.rect.adjusted(0, 0, -1, -1));
    }
    if (frameDrag_.kind != FrameDrag::None) {
        // Where the bar would go.
        p.setPen(QPen(pal.color(QPalette::Highlight), 2, Qt::DashLine));
        const bool vertical = frameDrag_.kind == FrameDrag::Bar ? frameDrag_.split.vertical : frameDrag_.edge.direction == 1;
        if (vertical) p.drawLine(frameDrag_.at.x(), 0, frameDrag_.at.x(), viewport()->height());
        else p.drawLine(0, frameDrag_.at.y(), viewport()->width(), frameDrag_.at.y());
    }
}

bool TPageView::FramePress(QMouseEvent* e) {
    if (!FramesOnly()) return false;
    setFocus();
    const QPoint at = e->position().toPoint();
    if (e->button() == Qt::RightButton) {
        if (frameMenu_) frameMenu_->popup(e->globalPosition().toPoint());
        return true;
    }
    if (e->button() != Qt::LeftButton) return true;
    frameDrag_ = {};
    if (THQVFramePanel* panel = model_.Frames()) {
        for (const THQVSplit& s : panel->Splits())
            if (s.Sizeable && RectOf(s).adjusted(-1, -1, 1, 1).contains(at)) {
                frameDrag_.kind = FrameDrag::Bar;
                frameDrag_.split = s;
            }
    }
    if (frameDrag_.kind == FrameDrag::None)
        for (const THQVEdgeBar& b : model_.EdgeBars())
            if (RectOf(b).contains(at)) {
                frameDrag_.kind = FrameDrag::Edge;
                frameDrag_.edge = b;
                break;
            }
    frameDrag_.from = frameDrag_.at = at;
    if (frameDrag_.kind == FrameDrag::None) {
        // A click on a frame selects it.
        if (THQVFramePanel* panel = model_.Frames())
            for (THQVFrame* f : panel->Tree().PreOrder())
                if (f->IsLeaf() && RectOf(*f).contains(at)) model_.SelectFrame(f);
    }
    viewport()->update();
    return true;
}

bool TPageView::FrameMove(QMouseEvent* e) {
    if (!FramesOnly()) return false;
    if (frameDrag_.kind != FrameDrag::None) {
        frameDrag_.at = e->position().toPoint();
        viewport()->update();
    }
    return true;
}

bool TPageView::FrameRelease(QMouseEvent* e) {
    if (!FramesOnly()) return false;
    const FrameDrag drag = frameDrag_;
    frameDrag_ = {};
    const QPoint moved = e->position().toPoint() - drag.from;
    if (drag.kind == FrameDrag::Bar) {
        model_.MoveBar(drag.split, drag.split.vertical ? moved.x() : moved.y());
        emit Changed();
    } else if (drag.kind == FrameDrag::Edge) {
        if (model_.DragEdgeBar(drag.edge, drag.edge.direction == 1 ? moved.x() : moved.y())) emit Changed();
    }
    viewport()->update();
    return true;
}

bool TPageView::SaveFrameLayout(const QString& file) {
    Bytes bytes;
    if (!model_.SaveLayout(bytes, 0)) return false;
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) != qint64(bytes.size())) {
        if (THQVset* set = model_.LinkedHQVset()) set->Messages().Error("Impossibile scrivere il file " + ToCp(file) + ".");
        return false;
    }
    return true;
}

bool TPageView::ScrollByArrow(int key) {
    switch (key) {
        case Qt::Key_Left: horizontalScrollBar()->setValue(horizontalScrollBar()->value() - kArrowStep); return true;
        case Qt::Key_Right: horizontalScrollBar()->setValue(horizontalScrollBar()->value() + kArrowStep); return true;
        case Qt::Key_Up: verticalScrollBar()->setValue(verticalScrollBar()->value() - kArrowStep); return true;
        case Qt::Key_Down: verticalScrollBar()->setValue(verticalScrollBar()->value() + kArrowStep); return true;
        default: return false;
    }
}

}  // namespace ovik::ui
