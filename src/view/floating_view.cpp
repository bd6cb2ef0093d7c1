#include "view/floating_view.h"

#include "document/hqv_set.h"

namespace ovik {

TFloatingView::TFloatingView(TInsiemeCornici& outer, const TMyyFloating& frame, platform::TextMeasurer& measurer,
                             std::vector<int32_t> outerPages)
    : outer_(outer),
      own_(std::make_unique<TInsiemeCornici>(measurer)),
      inner_(*own_),
      outerPages_(std::move(outerPages)) {
    SetUp(frame);
}

TFloatingView::TFloatingView(TInsiemeCornici& outer, const TMyyFloating& frame, TInsiemeCornici& inner,
                             std::vector<int32_t> outerPages)
    : outer_(outer), inner_(inner), outerPages_(std::move(outerPages)) {
    SetUp(frame);
}

TFloatingView::~TFloatingView() {
    outer_.RemoveNestedFrameSet(&inner_);
    // A view owned by someone else no longer hands links to this one.
    if (!own_) inner_.OnDoLink = nullptr;
}

void TFloatingView::SetUp(const TMyyFloating& frame) {
    TInsiemeCornici& outer = outer_;
    settings_ = frame.Settings(outer.ReadOnly(), outer.ActivePreview);
    keepsLinks_ = frame.KeepsLinks();
    inner_.SaveOnExit = false;
    inner_.SetLinkedHQVset(outer.LinkedHQVset());
    inner_.SetReadOnly(true);
    inner_.SetAutoJump(settings_.autoJump);
    inner_.ActivePreview = settings_.activePreview;
    inner_.SetShowNested(settings_.showNested);
    // Links the inner view does not show itself go to the outer view.
    inner_.OnDoLink = [this](links::LinkSender, THQVoggetto* target) {
        if (keepsLinks_ && target && (target->Kind() == testoHtml || target->Kind() == speclink)) return;
        outer_.DoLink(links::LinkSender::PlacedObject, target);
    };
    THQVset* set = outer.LinkedHQVset();
    THQVoggetto* page = set && settings_.page >= 0 ? set->GetObject(testoHtml, settings_.page) : nullptr;
    // Only a page the hypertext has: the inner view never makes one.
    if (!page || page->IsFree() || !FloatingMayShow(outerPages_, settings_.page)) return;
    inner_.SetMainPageNumber(settings_.page);
    shown_ = inner_.MainPageNumber() == settings_.page;
    if (shown_) outer_.AddNestedFrameSet(&inner_);
}

std::vector<int32_t> TFloatingView::Chain() const {
    std::vector<int32_t> chain = outerPages_;
    chain.push_back(inner_.MainPageNumber());
    return chain;
}

}  // namespace ovik
