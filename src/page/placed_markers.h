// Icon panels (TMyyBelPanel): markers (anchors, comments, raw HTML, binary
// data, link launchers, catalogue links and the placeholders of wrapper
// texts), hidden fields, server-side elements and form starts. Each draws a
// GIF icon; markers wider than 36 pixels also show the part of their hint
// after ": ".
#pragma once

#include <string>

#include "page/placed_controls.h"

namespace ovik {

// The icon and width of a marker subtype; an empty icon for subtypes that
// have none.
IconLook MarkerLookOf(uint8_t subtype);

class TMyyBelPanel : public TMyyControl {
public:
    static constexpr int32_t kIconSize = 18;
    static constexpr int32_t kTextFrom = 18;    // x of the text of wide markers
    static constexpr int32_t kWideFrom = 36;    // wider markers show text

    using TMyyControl::TMyyControl;
    void SizeFromObject() override;
    bool HandlesEnabled() const override { return false; }
    std::string IconName() const override;
    std::string Hint() const override;
    // Of the markers a reader sees only anchors (while the view previews
    // them) and catalogue links.
    bool ShownInReadOnly(bool anchorPreview) const override;
    // What a wide marker writes beside its icon: its hint after ": ".
    std::string Text() const;
    bool Anchor() const;
};

}  // namespace ovik
