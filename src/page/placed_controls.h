// The placed controls of form elements, buttons, form starts, multimedia and
// database elements, floating frames and markers: which control shows which
// kind and subtype, and the common model they share (size from the record and
// the standard-control metrics, hint, popup menu, undo texts, the value a
// reader enters in a read-only view).
//
//   auto c = MakeFormControl(std::move(working), page);   // null: no control
//   c->Width(); c->ValueText(); c->PopupName();           // "PopupInput" ...
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "page/placed_visual.h"
#include "platform/control_metrics.h"

namespace ovik {

// The control that shows an object, by kind and subtype.
enum class ControlClass : uint8_t {
    None,
    BelPanel,     // an icon (markers, hidden fields, server-side elements)
    FormStart,    // an icon panel for a form start
    Edit,
    Memo,
    RadioButton,
    CheckBox,
    ListBox,
    ComboBox,
    Floating,
    Button,
    Multimedia,   // multimedia and database elements
};
ControlClass ControlClassOf(const THQVoggetto& o);
const char* ControlClassName(ControlClass c);
// The frame set's popup menu for the object ("PopupInput" ...), empty for none.
const char* PopupMenuOf(const THQVoggetto& o);
// The undo description of a change of the object, and of a resize.
const char* UndoTextOf(const THQVoggetto& o);
const char* ResizeUndoTextOf(const THQVoggetto& o);

// Form element records (kind inputStat) and dynamic element records (inputDin).
namespace form_rec {
inline constexpr size_t kName = 17, kNameLen = 79, kValue = 97, kValueLen = 79;
inline constexpr size_t kColumns = 177, kRows = 178, kWidthChars = 179, kShowInitial = 180,
                        kChecked = 181, kMultiple = 182;
// Floating frames.
inline constexpr size_t kScrolling = 97, kMarginHeight = 98, kMarginWidth = 99, kMarginColour = 100,
                        kPage = 108, kShowFrames = 116, kAppendWrapper = 117, kTarget = 177, kUnit = 178,
                        kHeight = 180, kWidth = 182;
enum Subtype : uint8_t {
    kEdit = 1, kPassword = 2, kFile = 3, kTextBox = 4, kHidden = 5, kRadio = 6, kCheck = 7, kList = 8,
    kCombo = 9, kFloating = 18,
};
enum DynSubtype : uint8_t {
    kDynField = 1, kDynTextBox = 2, kDynList = 6, kDynCombo = 7, kDynLiveList = 11, kDynHtml = 12,
};
}  // namespace form_rec

// Button records (kind bottoneCGI).
namespace button_rec {
inline constexpr size_t kName = 17, kNameLen = 79, kCaption = 97, kCaptionLen = 79, kPicture = 177,
                        kLink = 181, kNaturalWidth = 186, kNaturalHeight = 188, kShownWidth = 190,
                        kShownHeight = 192;
enum Subtype : uint8_t { kSubmit = 1, kPictureButton = 2, kReset = 3 };
}  // namespace button_rec

// Form start records (kind inizioForm).
namespace formstart_rec {
inline constexpr size_t kAction = 17, kActionLen = 255, kHasEncoding = 273, kEncoding = 276,
                        kEncodingLen = 79;
enum Method : uint8_t { kGet = 1, kPost = 2, kMail = 4 };
}  // namespace formstart_rec

// Multimedia records (kind multiMedia, and dbloc for the common fields).
namespace media_rec {
inline constexpr size_t kFile = 17, kAltPicture = 21, kCyclic = 25, kLoops = 27, kLoopsLeft = 31,
                        kWidth = 33, kHeight = 35, kPercent = 37;
// Database elements.
inline constexpr size_t kDbName = 17, kDbNameLen = 28, kDbType = 46, kDbPicture = 47;
enum Subtype : uint8_t { kSound1 = 1, kSound2 = 2, kVideo1 = 3, kVideo2 = 4, kProgram = 5, kCustom = 6 };
}  // namespace media_rec

// Marker records (kind shortObj).
namespace marker_rec {
inline constexpr size_t kTarget = 5;
}  // namespace marker_rec

// An icon (a GIF resource; empty for none) and the width it is shown at.
struct IconLook {
    const char* icon;
    int32_t width;
};

// The common model of these controls.
class TMyyControl : public TMyyVisual {
public:
    TMyyControl(WorkingObject w, THQVpage* page);

    ControlClass Class() const { return class_; }
    std::string UndoText() const override;
    std::string ResizeUndoText() const;
    // The name of the frame set's popup menu of this control.
    std::string PopupName() const;
    // The hint: the object's description.
    virtual std::string Hint() const;
    // The state a reader enters in a read-only view, and setting it.
    virtual std::string ValueText() const { return {}; }
    virtual void SetValueText(const std::string&) {}
    // A reader's input in a read-only view. TakesKeys: the control keeps the
    // keyboard once clicked (edit fields, text boxes, lists, combo boxes,
    // radio buttons, check boxes). The others return true when the shown
    // state changed; typed characters come as Windows-1252 bytes, a click at
    // (x, y) inside the control.
    virtual bool TakesKeys() const { return false; }
    virtual bool ReaderKeyDown(EditKey /*key*/, uint8_t /*modifiers*/) { return false; }
    virtual bool ReaderKeyPress(uint8_t /*c*/) { return false; }
    virtual bool ReaderClick(int32_t /*x*/, int32_t /*y*/) { return false; }
    // Whether the resize handles can be used.
    virtual bool HandlesEnabled() const { return true; }
    // Whether a read-only view draws the control (markers mostly do not).
    virtual bool ShownInReadOnly(bool /*anchorPreview*/) const { return true; }
    // Reads the size and shown state from the record again (a reset).
    virtual void Refresh() { LoadFromObject(); }
    // Icon name (a GIF resource) the control draws, empty for none.
    virtual std::string IconName() const { return {}; }

    // Sizes given in percent follow the width the line offers.
    void SetAvailableWidth(int32_t width) override;

    // The property window's change: one undo entry with the control's text,
    // then `edit` on the object's working copy, then the control reads it
    // again. False when the control cannot change (read-only, header, footer).
    bool Change(const std::function<void(THQVoggetto&)>& edit);

protected:
    const platform::ControlMetrics& Metrics() const;
    // Writes a size given with the handles into the record at `widthAt` and
    // `heightAt` (int16 each), as percentages of the available width and
    // height when `percent`.
    void StoreSize(size_t widthAt, size_t heightAt, bool percent, int32_t width, int32_t height);
    int32_t AvailableWidth() const;
    int32_t AvailableHeight() const;

private:
    ControlClass class_;
    int32_t availableWidth_ = 0;
};

// A new, unregistered object of one of these kinds and subtypes with the
// defaults an inserted one gets (a name, 20 characters wide, no picture, link
// or media file, 100 x 100 for frames and videos).
std::unique_ptr<THQVoggetto> NewControlObject(THQVset& set, uint8_t kind, uint8_t subtype);

// Makes the control of an object of these kinds, read from its record; null
// when its kind and subtype get no control.
std::unique_ptr<TMyyControl> MakeFormControl(WorkingObject& w, THQVpage* page);

// The next (or with `back` the previous) control of the page, after control
// index `from` in the order of the page's text, that takes a reader's keys;
// wraps around, -1 when none does. `from` -1 starts at the first (last).
int32_t NextReaderControl(THQVpage& page, int32_t from, bool back);

// The shown state of every form control of the form that `button` (a reset
// button) belongs to goes back to the record: from the form start before it to
// the end of the page when no other form start follows it, otherwise every
// form control of the page. Returns the number of controls refreshed.
int32_t ResetForm(THQVpage& page, const TMyyControl& button);

}  // namespace ovik
