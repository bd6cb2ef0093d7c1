// Floating frames (TMyyFloating, form element subtype 18): a read-only view
// of another page inside the page. The control keeps the frame's size and the
// settings the inner view takes; the view layer builds the inner view.
#pragma once

#include <cstdint>
#include <vector>

#include "page/placed_controls.h"

namespace ovik {

// What the inner view of a floating frame is set to.
struct FloatingSettings {
    int32_t page = -1;        // the page shown (number)
    bool autoJump = false;    // target "_self": links are followed inside
    bool showNested = false;  // the frames of the page are shown
    bool activePreview = false;
    bool readOnly = true;     // always: the inner view never stores
};

class TMyyFloating : public TMyyControl {
public:
    enum Target : uint8_t { kTop = 0, kSelf = 1, kParent = 2, kBlank = 3 };
    // How deep a page may show itself through floating frames.
    static constexpr int kOwnPageLevels = 2;

    using TMyyControl::TMyyControl;
    void SizeFromObject() override;
    int32_t PageShown() const;
    uint8_t Target() const;
    bool Percent() const;
    FloatingSettings Settings(bool outerReadOnly, bool outerActivePreview) const;
    // A link followed inside the frame stays there (target "_self"); any
    // other goes to the outer view.
    bool KeepsLinks() const { return Target() == kSelf; }
    void Resize(int32_t width, int32_t height);
};

// Whether a floating frame may show `page` when the pages `outer` (outermost
// first) already show around it: a page shows itself at most to the second
// level.
bool FloatingMayShow(const std::vector<int32_t>& outer, int32_t page);

}  // namespace ovik
