#include "ui/page_view.h"

#include <QPaintEvent>
#include <QScrollBar>

#include "document/hqv_set.h"
#include "text/layout.h"

namespace ovik::ui {

TPageView::TPageView(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName("pageview");
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setFocusPolicy(Qt::StrongFocus);
    setFocusPolicy(Qt::StrongFocus);
    // The caret blinks every 500 ms; only its rectangle is repainted.
    caretTimer_.setInterval(500);
    connect(&caretTimer_, &QTimer::timeout, this, [this] {
        caretOn_ = !caretOn_;
        viewport()->update();
    });
}

TPageView::~TPageView() = default;

bool TPageView::ShowPage(THQVset& set, int32_t number) {
    set_ = &set;
    pictures_.Clear();
    THQVtesto* page = number >= 0 ? set.Page(number) : nullptr;
    if (!page || page->IsFree()) {
        box_.reset();
        pageNumber_ = -1;
        viewport()->update();
        return number < 0;
    }
    box_ = std::make_unique<THQVbox>(set, measurer_);
    box_->OnRepaint = [this](THQVbox&) { viewport()->update(); };
    box_->SetBackgroundColour(page->I32(page_rec::kBackColour));
    box_->SetBackgroundPicture(page->PictureObject());
    box_->SetFixedBackground(page->I32(page_rec::kFixedBackground) == 1);
    box_->LoadPage(*page);
    InstallLayout(*box_);
    ResizePageBox(*box_, viewport()->width(), viewport()->height());
    pageNumber_ = number;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    UpdateScrollBars();
    caretOn_ = true;
    if (!readOnly_) caretTimer_.start();
    viewport()->update();
    emit PageShown(number);
    return true;
}

void TPageView::SetReadOnly(bool r) {
    readOnly_ = r;
    if (r) caretTimer_.stop();
    else if (box_) caretTimer_.start();
    viewport()->update();
}

QPoint TPageView::Offset() const {
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void TPageView::UpdateScrollBars() {
    if (!box_) {
        verticalScrollBar()->setRange(0, 0);
        horizontalScrollBar()->setRange(0, 0);
        return;
    }
    int textHeight = TextBottom(*box_) + 8;
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setRange(0, std::max(0, textHeight - viewport()->height()));
    int width = std::max(box_->geometry.neededWidth, viewport()->width());
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
}

DisplayList TPageView::VisibleList() {
    QPoint off = Offset();
    PixelRect clip{off.x(), off.y(), off.x() + viewport()->width(), off.y() + viewport()->height()};
    if (!box_) return DisplayList{clip, {}};
    PaintOptions options;
    options.scrollX = off.x();
    options.scrollY = off.y();
    options.showCaret = !readOnly_;
    return BuildDisplayList(*box_, clip, options);
}

void TPageView::paintEvent(QPaintEvent* e) {
    QPainter p(viewport());
    if (!box_) {
        p.fillRect(e->rect(), palette().color(QPalette::Window));
        return;
    }
    QPoint off = Offset();
    QRect damaged = e->rect().translated(off);
    PixelRect clip{damaged.left(), damaged.top(), damaged.right() + 1, damaged.bottom() + 1};
    PaintOptions options;
    options.scrollX = off.x();
    options.scrollY = off.y();
    options.showCaret = !readOnly_;
    DisplayList list = BuildDisplayList(*box_, clip, options);
    p.translate(-off);
    PaintState state;
    state.caretVisible = caretOn_ && hasFocus();
    PaintDisplayList(p, list, pictures_, state);
}

void TPageView::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    if (box_) ResizePageBox(*box_, viewport()->width(), viewport()->height());
    UpdateScrollBars();
}

void TPageView::scrollContentsBy(int, int) { viewport()->update(); }

}  // namespace ovik::ui
