// The sizes of the platform's standard controls, as the placed form elements
// take them: the average character width of the interface font, the height of
// an edit field, of a memo line and of a drop-down list, the width of a list,
// and the height of the text "(_" beside a radio button or check box.
//
// The interface asks the window system; tests and the batch tool use the fixed
// metrics, so that sizes are exact integers everywhere.
#pragma once

#include <cstdint>

namespace ovik::platform {

class ControlMetrics {
public:
    virtual ~ControlMetrics() = default;
    virtual int32_t CharWidth() const = 0;
    virtual int32_t EditHeight() const = 0;
    virtual int32_t MemoLineHeight() const = 0;
    virtual int32_t ListWidth() const = 0;
    virtual int32_t ComboHeight() const = 0;
    virtual int32_t CaptionHeight() const = 0;
};

class FixedControlMetrics : public ControlMetrics {
public:
    static constexpr int32_t kCharWidth = 7;
    static constexpr int32_t kEditHeight = 21;
    static constexpr int32_t kMemoLineHeight = 16;
    static constexpr int32_t kListWidth = 121;
    static constexpr int32_t kComboHeight = 21;
    static constexpr int32_t kCaptionHeight = 16;
    int32_t CharWidth() const override { return kCharWidth; }
    int32_t EditHeight() const override { return kEditHeight; }
    int32_t MemoLineHeight() const override { return kMemoLineHeight; }
    int32_t ListWidth() const override { return kListWidth; }
    int32_t ComboHeight() const override { return kComboHeight; }
    int32_t CaptionHeight() const override { return kCaptionHeight; }
};

// The fixed metrics, for hosts that give none.
const ControlMetrics& DefaultControlMetrics();

}  // namespace ovik::platform
