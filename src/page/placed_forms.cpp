#include "page/placed_forms.h"

#include <algorithm>
#include <cctype>

#include "document/hqv_set.h"
#include "page/thqv_page.h"

namespace ovik {

// --- list items -------------------------------------------------------------------------------

bool MarkSelects(const std::string& mark) { return !(mark.empty() || mark == "n" || mark == "N"); }

std::string ContentText(const THQVoggetto& o) {
    Bytes b;
    if (const Bytes* m = o.MemContent()) b = *m;
    else o.ReadContent(b);
    std::string s(b.begin(), b.end());
    if (const size_t z = s.find('\0'); z != std::string::npos) s.resize(z);
    return s;
}

std::vector<ListItem> ParseListItems(const std::string& content) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    std::vector<ListItem> items;
    for (size_t i = 0; i < lines.size(); i += 3) {
        ListItem item;
        item.text = lines[i];
        if (i + 1 < lines.size()) item.value = lines[i + 1];
        if (i + 2 < lines.size()) item.mark = lines[i + 2];
        item.selected = MarkSelects(item.mark);
        items.push_back(std::move(item));
    }
    return items;
}

std::string ListItemsText(const std::vector<ListItem>& items) {
    std::string s;
    for (const ListItem& i : items) s += i.text + "\r\n" + i.value + "\r\n" + i.mark + "\r\n";
    return s;
}

// --- edit fields ------------------------------------------------------------------------------

void TMyyEdit::SizeFromObject() {
    const THQVoggetto* o = Object();
    if (!o) return;
    const int32_t chars = std::max<int32_t>(1, o->U8(form_rec::kWidthChars));
    SetSize(Metrics().CharWidth() * chars, Metrics().EditHeight());
}

void TMyyEdit::LoadFromObject() {
    SizeFromObject();
    const THQVoggetto* o = Object();
    text.clear();
    if (o && o->Kind() == inputStat && o->U8(form_rec::kShowInitial) == 1)
        text = o->Str(form_rec::kValue, form_rec::kValueLen);
}

bool TMyyEdit::Password() const {
    const THQVoggetto* o = Object();
    return o && o->Kind() == inputStat && o->State() == form_rec::kPassword;
}

std::string TMyyEdit::ShownText() const { return Password() ? std::string(text.size(), '#') : text; }

// --- text boxes -------------------------------------------------------------------------------

void TMyyMemo::SizeFromObject() {
    const THQVoggetto* o = Object();
    if (!o) return;
    const int32_t cols = std::max<int32_t>(1, o->U8(form_rec::kColumns));
    const int32_t rows = std::max<int32_t>(1, o->U8(form_rec::kRows));
    SetSize(Metrics().CharWidth() * cols, Metrics().MemoLineHeight() * rows + 4);
}

void TMyyMemo::LoadFromObject() {
    SizeFromObject();
    const THQVoggetto* o = Object();
    text.clear();
    if (o && o->Kind() == inputStat && o->U8(form_rec::kShowInitial) == 1) text = ContentText(*o);
}

// --- radio buttons and check boxes ---------------------------------------------------------------

void TMyyCheckedControl::SizeFromObject() { SetSize(kBox, std::max(kBox, Metrics().CaptionHeight())); }

void TMyyCheckedControl::LoadFromObject() {
    SizeFromObject();
    const THQVoggetto* o = Object();
    Checked = o && o->U8(form_rec::kChecked) != 0;
    pressed = false;
}

std::string TMyyCheckedControl::ValueText() const {
    const THQVoggetto* o = Object();
    return Checked && o ? o->Str(form_rec::kValue, form_rec::kValueLen) : std::string();
}

void TMyyCheckedControl::SetValueText(const std::string& t) {
    std::string lower(t);
    for (char& c : lower) c = char(std::tolower(uint8_t(c)));
    Checked = lower == "checked";
}

void TMyyCheckedControl::Release(bool inside) {
    if (pressed && inside) Checked = Class() == ControlClass::RadioButton ? true : !Checked;
    pressed = false;
}

// --- lists and combo boxes ----------------------------------------------------------------------

bool TMyyListBox::Dynamic() const { return Object() && Object()->Kind() == inputDin; }

bool TMyyListBox::Multiple() const {
    return !Combo() && !Dynamic() && Object() && Object()->U8(form_rec::kMultiple) != 0;
}

void TMyyListBox::SizeFromObject() {
    const THQVoggetto* o = Object();
    if (!o) return;
    if (Combo()) {
        SetSize(Metrics().ListWidth(), Metrics().ComboHeight());
        return;
    }
    const int32_t rows = std::max<int32_t>(1, o->U8(form_rec::kWidthChars));
    SetSize(Metrics().ListWidth(), Metrics().MemoLineHeight() * rows + 4);
}

void TMyyListBox::LoadFromObject() {
    SizeFromObject();
    items_.clear();
    selected_.clear();
    const THQVoggetto* o = Object();
    if (!o || Dynamic()) return;
    items_ = ParseListItems(ContentText(*o));
    for (int32_t i = 0; i < int32_t(items_.size()); ++i) {
        if (!items_[size_t(i)].selected) continue;
        if (Multiple()) selected_.push_back(i);
        else selected_ = {i};
    }
}

std::string TMyyListBox::ValueText() const {
    if (Multiple() || selected_.empty()) return {};
    return items_[size_t(selected_.front())].value;
}

void TMyyListBox::Select(int32_t item) {
    if (item < 0 || size_t(item) >= items_.size()) return;
    if (!Multiple()) {
        selected_ = {item};
        return;
    }
    auto it = std::find(selected_.begin(), selected_.end(), item);
    if (it == selected_.end()) {
        selected_.push_back(item);
        std::sort(selected_.begin(), selected_.end());
    } else {
        selected_.erase(it);
    }
}

// --- buttons --------------------------------------------------------------------------------------

std::string TMyyButton::Caption() const {
    return Object() ? Object()->Str(button_rec::kCaption, button_rec::kCaptionLen) : "";
}

bool TMyyButton::Reset() const { return Object() && Object()->State() == button_rec::kReset; }

int32_t TMyyButton::Link() const { return Object() ? Object()->I32(button_rec::kLink) : -1; }

THQVoggetto* TMyyButton::PictureObject() const {
    const THQVoggetto* o = Object();
    THQVset* set = o ? o->Owner() : nullptr;
    if (!set || o->I32(button_rec::kPicture) < 0) return nullptr;
    THQVoggetto* p = set->GetObject(immagine, IdNumber(o->I32(button_rec::kPicture)));
    return p && !p->IsFree() ? p : nullptr;
}

void TMyyButton::SizeFromObject() {
    THQVoggetto* o = Object();
    if (!o) return;
    if (THQVoggetto* pic = PictureObject()) {
        const uint16_t w = pic->U16(85), h = pic->U16(87);
        if (w != o->U16(button_rec::kNaturalWidth) || h != o->U16(button_rec::kNaturalHeight)) {
            o->SetU16(button_rec::kNaturalWidth, w);
            o->SetU16(button_rec::kNaturalHeight, h);
            o->SetI16(button_rec::kShownWidth, int16_t(std::min<int32_t>(w, 32767)));
            o->SetI16(button_rec::kShownHeight, int16_t(std::min<int32_t>(h, 32767)));
        }
        const int32_t sw = o->I16(button_rec::kShownWidth), sh = o->I16(button_rec::kShownHeight);
        SetSize(sw > 0 ? sw : 1, sh > 0 ? sh : 1);
        return;
    }
    const int32_t len = int32_t(Caption().size());
    SetSize(Metrics().CharWidth() * (len + 2), Metrics().EditHeight());
}

void TMyyButton::Resize(int32_t width, int32_t height) {
    THQVoggetto* o = Object();
    if (!o || !PictureObject() || !Editable()) return;
    CreateUndoRecord(ResizeUndoText());
    o->SetI16(button_rec::kShownWidth, int16_t(std::clamp(width, 1, 32767)));
    o->SetI16(button_rec::kShownHeight, int16_t(std::clamp(height, 1, 32767)));
    SizeFromObject();
    MarkForRelayout(true);
}

}  // namespace ovik
