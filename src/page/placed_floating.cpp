#include "page/placed_floating.h"

#include <algorithm>

#include "page/thqv_page.h"

namespace ovik {

int32_t TMyyFloating::PageShown() const {
    const THQVoggetto* o = Object();
    if (!o || o->I32(form_rec::kPage) < 0) return -1;
    return IdNumber(o->I32(form_rec::kPage));
}

uint8_t TMyyFloating::Target() const { return Object() ? Object()->U8(form_rec::kTarget) : uint8_t(kTop); }

bool TMyyFloating::Percent() const { return Object() && Object()->U8(form_rec::kUnit) == 1; }

void TMyyFloating::SizeFromObject() {
    const THQVoggetto* o = Object();
    if (!o) return;
    int32_t w = o->I16(form_rec::kWidth), h = o->I16(form_rec::kHeight);
    if (Percent()) {
        w = AvailableWidth() * w / 100;
        h = AvailableHeight() * h / 100;
    }
    SetSize(std::max(w, 1), std::max(h, 1));
}

FloatingSettings TMyyFloating::Settings(bool outerReadOnly, bool outerActivePreview) const {
    FloatingSettings s;
    s.page = PageShown();
    s.autoJump = Target() == kSelf;
    s.showNested = Object() && Object()->U8(form_rec::kShowFrames) != 0;
    s.activePreview = outerReadOnly && outerActivePreview;
    return s;
}

void TMyyFloating::Resize(int32_t width, int32_t height) {
    THQVoggetto* o = Object();
    if (!o || !Editable()) return;
    CreateUndoRecord(ResizeUndoText());
    StoreSize(form_rec::kWidth, form_rec::kHeight, Percent(), width, height);
    SizeFromObject();
    MarkForRelayout(true);
}

bool FloatingMayShow(const std::vector<int32_t>& outer, int32_t page) {
    return std::count(outer.begin(), outer.end(), page) < TMyyFloating::kOwnPageLevels;
}

}  // namespace ovik
