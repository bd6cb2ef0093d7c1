// Floating frames in the page widget: each frame's page is shown by a
// read-only page widget of its own, a child of the viewport standing over the
// frame's box. The engine's floating view sets that widget's editing view up
// (its page, "_self" following links inside, the others handed to this view).
// In an editable page the inner widget only shows: clicks and keys stay with
// the frame, so the author selects it, opens its menu and its properties.
#include <QScrollBar>

#include "page/placed_floating.h"
#include "ui/page_view.h"

namespace ovik::ui {

TPageView* TPageView::FloatingFrameView(int32_t controlIndex) const {
    if (!Page() || floatingShowing_ != Page()->Showing()) return nullptr;
    const auto it = floating_.find(controlIndex);
    return it == floating_.end() ? nullptr : it->second.widget;
}

void TPageView::DropFloatingFrames() {
    for (auto& [index, frame] : floating_) {
        frame.engine.reset();
        if (!frame.widget) continue;
        frame.widget->hide();
        frame.widget->Model().OnLinkPosted = nullptr;
        // The widget may be the one whose event led here.
        frame.widget->deleteLater();
    }
    floating_.clear();
}

TPageView::FloatingFrame* TPageView::FloatingFrameOf(TMyyFloating& f) {
    if (!Page()) return nullptr;
    if (floatingShowing_ != Page()->Showing()) {
        DropFloatingFrames();
        floatingShowing_ = Page()->Showing();
    }
    const int32_t index = f.ControlIndex();
    auto it = floating_.find(index);
    if (it == floating_.end()) {
        FloatingFrame frame;
        auto* w = new TPageView(viewport());
        w->setObjectName("floatingframe");
        w->hide();
        w->outerPages_ = outerPages_;
        w->outerPages_.push_back(PageNumber());
        w->SetReadOnly(true);
        w->Model().ActivePreview = false;
        const THQVoggetto* o = f.Object();
        // Scrolling "no" and "false" show no scroll bars; no margins, no border.
        const uint8_t scrolling = o ? o->U8(form_rec::kScrolling) : 1;
        const auto policy = scrolling == 0 || scrolling == 2 ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
        w->setVerticalScrollBarPolicy(policy);
        w->setHorizontalScrollBarPolicy(policy);
        if (o && o->U8(form_rec::kMarginHeight) == 0 && o->U8(form_rec::kMarginWidth) == 0)
            w->setFrameShape(QFrame::NoFrame);
        if (!readOnly_) {
            // The author's clicks reach the frame itself.
            w->setAttribute(Qt::WA_TransparentForMouseEvents);
            w->viewport()->setAttribute(Qt::WA_TransparentForMouseEvents);
            w->setFocusPolicy(Qt::NoFocus);
            w->viewport()->setFocusPolicy(Qt::NoFocus);
        }
        frame.widget = w;
        frame.engine = std::make_unique<TFloatingView>(model_, f, w->Model(), w->outerPages_);
        // Links of the inner page: its text and buttons name them by value;
        // the view carries them out after the event, as the main view does.
        connect(w, &TPageView::FollowLink, w, [w](int32_t value) {
            QMetaObject::invokeMethod(w, [w, value] { w->Model().FollowIdentifier(value); }, Qt::QueuedConnection);
        });
        w->Model().OnLinkPosted = [w] {
            QMetaObject::invokeMethod(w, [w] { w->Model().RunPosted(); }, Qt::QueuedConnection);
        };
        if (!frame.engine->Shown()) {
            frame.engine.reset();
            w->deleteLater();
            frame.widget = nullptr;
        }
        it = floating_.emplace(index, std::move(frame)).first;
    }
    return it->second.widget ? &it->second : nullptr;
}

void TPageView::PlaceFloatingFrames() {
    placePending_ = false;
    if (floating_.empty() || !Page()) return;
    std::set<int32_t> seen;
    const QPoint off = Offset();
    for (const DisplayItem& item : VisibleList().items) {
        const auto* o = std::get_if<ObjectItem>(&item);
        if (!o) continue;
        const auto it = floating_.find(o->controlIndex);
        if (it == floating_.end() || !it->second.widget) continue;
        const QRect r = QRect(o->rect.left, o->rect.top, o->rect.right - o->rect.left, o->rect.bottom - o->rect.top)
                            .translated(-off);
        TPageView* w = it->second.widget;
        if (w->geometry() != r) w->setGeometry(r);
        if (w->isHidden()) w->show();
        seen.insert(o->controlIndex);
    }
    for (auto& [index, frame] : floating_)
        if (frame.widget && !seen.count(index)) frame.widget->hide();
}

}  // namespace ovik::ui
