// The link objects of a hypertext: special links (kind speclink), anchor
// markers (kind shortObj, subtype 14) and the descriptions every link object
// gives of itself ("short text|hint").
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "document/hqv_object.h"

namespace ovik {
class THQVset;
}

namespace ovik::links {

// --- special links -----------------------------------------------------------------------

enum SpecialSubtype : uint8_t {
    kSpecFree = 0,
    kSpecGoTo = 1,         // go to a target
    kSpecCloseWindow = 2,  // close a window
    kSpecKeywords = 3,     // show the keyword search window
    kSpecPrevious = 4,     // previous page of the browse sequence
    kSpecNext = 5,         // next page of the browse sequence
    kSpecAutoImport = 6,   // a link made while importing HTML, pointing at a file path
};

enum SpecialAction : uint8_t {
    kActReplaceFrame = 0,      // replace the current frame
    kActNamedFrame = 1,        // replace the frame named by the window name
    kActSeparateWindow = 2,    // open in a separate window
    kActNewBrowser = 3,        // open a new browser
    kActPopup = 4,             // open in a popup
    kActJump = 5,              // jump to the target (normal link)
    kActAnchorInPage = 6,      // jump to the anchor in the current page
};

// Anchor values of a "close window" link.
inline constexpr int32_t kCloseMainWindow = -2;
inline constexpr int32_t kCloseNamedWindow = -1;

namespace spec_rec {
inline constexpr size_t kSubtype = 4, kContentLen = 5, kAnchor = 9, kTarget = 13, kDisplayMode = 17,
                        kAction = 18, kWindowName = 19, kWindowNameLen = 19;
}

// Field access on a special-link object.
struct SpecialLink {
    THQVoggetto& o;

    uint8_t Subtype() const { return o.State(); }
    void SetSubtype(uint8_t s) { o.SetState(s); }
    int32_t Anchor() const { return o.I32(spec_rec::kAnchor); }
    void SetAnchor(int32_t a) { o.SetI32(spec_rec::kAnchor, a); }
    int32_t Target() const { return o.I32(spec_rec::kTarget); }
    void SetTarget(int32_t id) { o.SetI32(spec_rec::kTarget, id); }
    uint8_t DisplayMode() const { return o.U8(spec_rec::kDisplayMode); }
    void SetDisplayMode(uint8_t m) { o.SetU8(spec_rec::kDisplayMode, m); }
    uint8_t Action() const { return o.U8(spec_rec::kAction); }
    void SetAction(uint8_t a) { o.SetU8(spec_rec::kAction, a); }
    std::string WindowName() const { return o.Str(spec_rec::kWindowName, spec_rec::kWindowNameLen); }
    void SetWindowName(std::string_view n) { o.SetStr(spec_rec::kWindowName, spec_rec::kWindowNameLen, n); }
    // The file path of an "Auto import" link (its content).
    std::string ImportPath() const;
    void SetImportPath(std::string_view path);
};

// A new, unregistered special link of `set`: the given subtype, no target, no
// anchor, action 5 and display mode 0.
std::unique_ptr<THQVoggetto> NewSpecialLink(THQVset& set, uint8_t subtype);

// Window data of a special link that opens a separate window or a popup: 22
// bytes in its content. A position or size that is not given is kNotGiven.
struct WindowData {
    static constexpr int16_t kNotGiven = -20000;
    int16_t left = kNotGiven, top = kNotGiven, width = 400, height = 300;
    int16_t screenX = kNotGiven, screenY = kNotGiven;
    bool dependent = false, fullScreen = false, addressBar = false, menuBar = false,
         resizable = false, scrollBars = false, statusBar = false, toolBar = false;

    std::array<uint8_t, 22> Encode() const;
    // Defaults when `bytes` holds fewer than 22 bytes.
    static WindowData Decode(const uint8_t* bytes, size_t size);
    bool operator==(const WindowData&) const = default;
};
WindowData ReadWindowData(const THQVoggetto& special);
void WriteWindowData(THQVoggetto& special, const WindowData& data);

// --- anchors -------------------------------------------------------------------------------

inline constexpr uint8_t kAnchorSubtype = 14;
inline constexpr uint8_t kLauncherSubtype = 13;
inline bool IsAnchor(const THQVoggetto& o) {
    return o.Kind() == shortObj && o.State() == kAnchorSubtype;
}
inline int32_t AnchorNumberOf(const THQVoggetto& o) { return o.I32(5); }
// A new, unregistered anchor marker with number `number`.
std::unique_ptr<THQVoggetto> NewAnchor(THQVset& set, int32_t number);

// --- descriptions ----------------------------------------------------------------------------

// The description of a link object: short text and hint joined by "|" (a
// page, a link address, an embedded file, a special link, an anchor), or the
// object's own text for other kinds; "Non definito." for a free object.
// Page-local targets of a special link are not resolved (the stored link
// names its target by identifier).
std::string Describe(const THQVoggetto& o);
// The part before "|" and the part after it (the whole text when there is none).
std::string ShortText(std::string_view description);
std::string HintText(std::string_view description);

// The texts of the display modes and of the special-link window's choices.
const char* DisplayModeText(uint8_t mode);

}  // namespace ovik::links
