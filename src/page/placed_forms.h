// Form elements and form buttons on a page: edit fields (plain, password,
// file), text boxes, radio buttons and check boxes, lists and combo boxes,
// and push or picture buttons.
//
// Lists and combo boxes keep their items in the object's content as lines,
// three per item: text, value and selection mark. The editor counts a mark as
// selected unless it is empty, "n" or "N".
//
//   TMyyListBox& l = ...;                 // content "uno\r\n1\r\nX\r\ndue\r\n2\r\n\r\n"
//   l.Items()[0].selected;                // true
//   l.ValueText();                        // "1"
#pragma once

#include <string>
#include <vector>

#include "page/placed_controls.h"

namespace ovik {

struct ListItem {
    std::string text;
    std::string value;
    std::string mark;
    bool selected = false;
};
// The items of a list's content (an incomplete last item keeps what it has).
std::vector<ListItem> ParseListItems(const std::string& content);
std::string ListItemsText(const std::vector<ListItem>& items);
bool MarkSelects(const std::string& mark);
// The text of an object's content without its ending zero bytes.
std::string ContentText(const THQVoggetto& o);

// Edit fields and text boxes: the text a reader sees and types, with a caret
// (a byte index into the text). Text boxes take Enter as a line break
// ("\r\n") and move between lines with Up and Down.
class TMyyTextControl : public TMyyControl {
public:
    using TMyyControl::TMyyControl;
    std::string ValueText() const override { return text; }
    void SetValueText(const std::string& t) override {
        text = t;
        caret = int32_t(text.size());
    }
    bool TakesKeys() const override { return true; }
    bool ReaderKeyDown(EditKey key, uint8_t modifiers) override;
    bool ReaderKeyPress(uint8_t c) override;
    // Puts the caret at byte `index` (clamped, never inside a line break).
    void SetCaret(int32_t index);
    bool MultiLine() const { return Class() == ControlClass::Memo; }
    std::string text;
    int32_t caret = 0;
};

// Edit fields (inputStat 1 to 3, inputDin 1).
class TMyyEdit : public TMyyTextControl {
public:
    using TMyyTextControl::TMyyTextControl;
    void SizeFromObject() override;
    void LoadFromObject() override;
    bool Password() const;
    // What the field shows: "#" for every character of a password.
    std::string ShownText() const;
};

// Text boxes (inputStat 4, inputDin 2).
class TMyyMemo : public TMyyTextControl {
public:
    using TMyyTextControl::TMyyTextControl;
    void SizeFromObject() override;
    void LoadFromObject() override;
};

// Radio buttons and check boxes: a 13 x 13 box drawn checked or not; a click
// changes only what is shown.
class TMyyCheckedControl : public TMyyControl {
public:
    static constexpr int32_t kBox = 13;
    static constexpr int32_t kCaptionGap = 2;  // after the 12-pixel box
    using TMyyControl::TMyyControl;
    void SizeFromObject() override;
    void LoadFromObject() override;
    std::string ValueText() const override;
    void SetValueText(const std::string& t) override;
    // The mouse on the box: pressed while down; a release inside checks a
    // radio button or toggles a check box.
    void Press() { pressed = true; }
    void Release(bool inside);
    // The space bar does what a click does.
    bool TakesKeys() const override { return true; }
    bool ReaderKeyPress(uint8_t c) override;
    bool Checked = false;
    bool pressed = false;
};

// Lists and combo boxes (inputStat 8 and 9, inputDin 6 and 7).
class TMyyListBox : public TMyyControl {
public:
    using TMyyControl::TMyyControl;
    void SizeFromObject() override;
    void LoadFromObject() override;
    std::string ValueText() const override;
    bool Dynamic() const;
    bool Multiple() const;
    bool Combo() const { return Class() == ControlClass::ComboBox; }
    const std::vector<ListItem>& Items() const { return items_; }
    // The items shown selected (a combo box or single list: at most one).
    std::vector<int32_t> Selected() const { return selected_; }
    void Select(int32_t item);
    // A reader picks: a click on a list's line selects its item (toggles it
    // in a multiple-selection list); Up, Down, Home, End, PageUp and
    // PageDown move the selection of a list or combo box to another item.
    // A combo box's click opens its drop-down, which the interface shows;
    // the item picked there comes through Select.
    bool TakesKeys() const override { return !Dynamic(); }
    bool ReaderKeyDown(EditKey key, uint8_t modifiers) override;
    bool ReaderClick(int32_t x, int32_t y) override;
    // The lines a list shows, the first item shown, and the item under a
    // point of the control (-1 when none).
    int32_t VisibleRows() const;
    int32_t TopItem() const { return top_; }
    int32_t ItemAt(int32_t y) const;
    // The item the keys move from: the last one picked.
    int32_t CurrentItem() const { return current_; }
    static constexpr int32_t kListMargin = 2;

private:
    void Show(int32_t item);
    std::vector<ListItem> items_;
    std::vector<int32_t> selected_;
    int32_t top_ = 0;
    int32_t current_ = -1;
};

// Form buttons: a push button with the caption, or a picture.
class TMyyButton : public TMyyControl {
public:
    using TMyyControl::TMyyControl;
    void SizeFromObject() override;
    bool HandlesEnabled() const override { return PictureObject() != nullptr; }
    std::string Caption() const;
    bool Reset() const;
    // The picture drawn instead of the push button, or null.
    THQVoggetto* PictureObject() const;
    // The link followed on a click in a read-only view (an identifier; -1 none).
    int32_t Link() const;
    // A picture button resized with its handles.
    void Resize(int32_t width, int32_t height);
};

}  // namespace ovik
