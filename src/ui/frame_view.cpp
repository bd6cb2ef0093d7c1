// The page view's frames. A page hosting a frame layout shows its frames side
// by side: each leaf frame's page is a page widget of its own over the frame's
// nested view, and this widget draws the bars between them and the edge bars.
// In frame-editing mode the frames are drawn with their titles instead. Either
// way the bars between frames are dragged to size them (a frame made too small
// goes), the top and left edge bars of a frame are dragged to split it, a
// click selects a frame, and the frame popup menu saves the layout.
#include <QCoreApplication>
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

QRect RectOf(const THQVFrame& f) { return QRect(f.x, f.y, f.width, f.height); }
QRect RectOf(const PixelRect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

// A frame's bar colour: the high bit names a system colour (the button face).
QColor BarColour(int32_t colour, const QPalette& pal) {
    const uint32_t c = uint32_t(colour);
    if (c & 0x80000000u) return pal.color(QPalette::Button);
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}
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
    if (!FramesOnly() && !ShowsFrameSet()) return false;
    setFocus();
    const QPoint at = e->position().toPoint();
    const TInsiemeCornici::FrameHit hit = model_.HitFrames(at.x(), at.y());
    if (e->button() == Qt::RightButton) {
        if (frameMenu_ && (FramesOnly() || !readOnly_)) frameMenu_->popup(e->globalPosition().toPoint());
        return true;
    }
    if (e->button() != Qt::LeftButton) return true;
    frameDrag_ = {};
    if (hit.bar.kind == THQVFramePanel::BarHit::Split) {
        frameDrag_.kind = FrameDrag::Bar;
        frameDrag_.split = hit.bar.split;
    } else if (hit.bar.kind == THQVFramePanel::BarHit::Edge) {
        frameDrag_.kind = FrameDrag::Edge;
        frameDrag_.edge = hit.bar.edge;
    } else if (hit.frame) {
        // A click on a frame selects it.
        model_.SelectFrame(hit.frame);
    }
    frameDrag_.from = frameDrag_.at = at;
    viewport()->update();
    return true;
}

bool TPageView::FrameMove(QMouseEvent* e) {
    if (!FramesOnly() && !ShowsFrameSet()) return false;
    if (frameDrag_.kind != FrameDrag::None) {
        frameDrag_.at = e->position().toPoint();
        viewport()->update();
    }
    return true;
}

bool TPageView::FrameRelease(QMouseEvent* e) {
    if (!FramesOnly() && !ShowsFrameSet()) return false;
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
    EditKey k = EditKey::Other;
    switch (key) {
        case Qt::Key_Left: k = EditKey::Left; break;
        case Qt::Key_Right: k = EditKey::Right; break;
        case Qt::Key_Up: k = EditKey::Up; break;
        case Qt::Key_Down: k = EditKey::Down; break;
        default: return false;
    }
    // The view decides, from where the scroll bars stand now.
    if (THQVbox* box = MainBox()) {
        box->geometry.hScrollPos = horizontalScrollBar()->value();
        box->geometry.vScrollPos = verticalScrollBar()->value();
    }
    if (!model_.ScrollByArrow(k)) return false;
    if (THQVbox* box = MainBox()) {
        horizontalScrollBar()->setValue(box->geometry.hScrollPos);
        verticalScrollBar()->setValue(box->geometry.vScrollPos);
    }
    return true;
}

// --- a frame set shown with its pages -------------------------------------------------------------

void TPageView::PaintFrameSet(QPainter& p) {
    const QPalette& pal = palette();
    p.fillRect(viewport()->rect(), pal.color(QPalette::Window));
    THQVFramePanel* panel = model_.Frames();
    if (!panel) return;
    // The bars between frames take the colour of the frame that holds them.
    for (const THQVSplit& s : panel->Splits()) p.fillRect(RectOf(s), BarColour(s.parent->rec.barColour, pal));
    // The edge bars an editable view offers; the selected frame's are darker.
    for (const THQVEdgeBar& b : model_.EdgeBars())
        p.fillRect(RectOf(b), pal.color(b.frame == model_.CurrentFrame() ? QPalette::Mid : QPalette::Midlight));
}

void TPageView::SyncFrames() {
    if (frameHost_) return;
    THQVFramePanel* panel = ShowsFrameSet() ? model_.Frames() : nullptr;
    std::map<TInsiemeCornici*, TPageView*> kept;
    if (panel) {
        for (THQVFrame* f : panel->Tree().PreOrder()) {
            TInsiemeCornici* v = f->IsLeaf() ? panel->ViewOf(f) : nullptr;
            if (!v) continue;
            auto at = frameChildren_.find(v);
            TPageView* child = at != frameChildren_.end() ? at->second : MakeFrameChild(*v);
            if (at != frameChildren_.end()) frameChildren_.erase(at);
            kept[v] = child;
            if (child->readOnly_ != readOnly_) child->SetReadOnly(readOnly_);
            child->setGeometry(RectOf(panel->PageRect(*f)));
            child->ApplyFrameLook();
            child->show();
        }
    }
    // Widgets of frames no longer shown let go of their views.
    std::map<TInsiemeCornici*, TPageView*> gone = std::move(frameChildren_);
    frameChildren_ = std::move(kept);
    for (auto& [v, child] : gone) child->Release();
}

TPageView* TPageView::MakeFrameChild(TInsiemeCornici& v) {
    auto* child = new TPageView(v, *this);
    // The frame's page offers what the main page area offers.
    child->contextActions_ = contextActions_;
    child->linkActions_ = linkActions_;
    child->imageMenu_ = imageMenu_;
    child->zoneMenu_ = zoneMenu_;
    child->inactiveMenu_ = inactiveMenu_;
    child->controlMenus_ = controlMenus_;
    child->tableMenu_ = tableMenu_;
    child->tableChildMenu_ = tableChildMenu_;
    child->spell_ = spell_;
    for (auto forward : {&TPageView::Changed, &TPageView::InputDone, &TPageView::ContextMenuAboutToShow,
                         &TPageView::ControlPropertiesRequested, &TPageView::PicturePropertiesRequested,
                         &TPageView::ImageFromClip})
        connect(child, forward, this, forward);
    connect(child, &TPageView::FollowLink, this, &TPageView::FollowLink);
    connect(child, &TPageView::ZoneLinkRequested, this, &TPageView::ZoneLinkRequested);
    connect(child, &TPageView::Unrepresentable, this, &TPageView::Unrepresentable);
    // A press or the focus in a frame's page selects the frame first.
    child->viewport()->installEventFilter(this);
    child->installEventFilter(this);
    return child;
}

bool TPageView::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::FocusIn) {
        for (auto& [v, child] : frameChildren_) {
            if (watched != child && watched != child->viewport()) continue;
            THQVFramePanel* panel = model_.Frames();
            THQVFrame* f = panel ? panel->FrameOf(v) : nullptr;
            if (f && f != model_.CurrentFrame()) {
                model_.SelectFrame(f);
                viewport()->update();
            }
            break;
        }
    }
    return QAbstractScrollArea::eventFilter(watched, e);
}

void TPageView::ApplyFrameLook() {
    if (!frameHost_ || modelGone_) return;
    THQVpage* page = model_.MainPage();
    const bool scrolls = page ? page->VerticalBarVisible() : model_.PageScrollBars() != 0;
    const bool border = page ? page->BorderVisible() : model_.PageBorder();
    const Qt::ScrollBarPolicy policy = scrolls ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    setVerticalScrollBarPolicy(policy);
    setHorizontalScrollBarPolicy(policy);
    setFrameShape(border ? QFrame::Box : QFrame::NoFrame);
    setLineWidth(1);
}

void TPageView::Detach() {
    if (modelGone_) return;
    // Floating frames' views let go of the model while it still exists.
    DropFloatingFrames();
    modelGone_ = true;
    caretTimer_.stop();
    StopAnimations();
    hide();
    if (frameHost_) frameHost_->frameChildren_.erase(&model_);
    deleteLater();
}

void TPageView::Release() {
    if (modelGone_) return;
    model_.OnBoxShown = nullptr;
    model_.OnRepaint = nullptr;
    model_.OnDestroyed = nullptr;
    Detach();
}

std::vector<TPageView*> TPageView::FrameChildren() const {
    std::vector<TPageView*> out;
    THQVFramePanel* panel = model_.Frames();
    if (!panel) return out;
    for (TInsiemeCornici* v : panel->Views())
        if (auto at = frameChildren_.find(v); at != frameChildren_.end()) out.push_back(at->second);
    return out;
}

TPageView* TPageView::ActiveChild() const {
    if (!ShowsFrameSet()) return nullptr;
    auto at = frameChildren_.find(model_.FrameView());
    return at != frameChildren_.end() ? at->second : nullptr;
}

TPageView* TPageView::FrameChild(std::string_view name) const {
    THQVFramePanel* panel = model_.Frames();
    THQVFrame* f = panel ? panel->FindByTitle(name) : nullptr;
    auto at = f ? frameChildren_.find(panel->ViewOf(f)) : frameChildren_.end();
    return at != frameChildren_.end() ? at->second : nullptr;
}

}  // namespace ovik::ui
