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

// --- typing into edit fields and text boxes ----------------------------------------------------

namespace {
// The start of the line holding byte `i`, and the end of its text (before
// its line break).
int32_t LineStart(const std::string& t, int32_t i) {
    while (i > 0 && t[size_t(i - 1)] != '\n') --i;
    return i;
}
int32_t LineEnd(const std::string& t, int32_t i) {
    while (i < int32_t(t.size()) && t[size_t(i)] != '\r' && t[size_t(i)] != '\n') ++i;
    return i;
}
bool BreakAt(const std::string& t, int32_t i) {
    return i >= 0 && size_t(i) + 1 < t.size() && t[size_t(i)] == '\r' && t[size_t(i) + 1] == '\n';
}
}  // namespace

void TMyyTextControl::SetCaret(int32_t index) {
    caret = std::clamp<int32_t>(index, 0, int32_t(text.size()));
    if (BreakAt(text, caret - 1)) --caret;
}

bool TMyyTextControl::ReaderKeyPress(uint8_t c) {
    if (c < 32) return false;
    SetCaret(caret);
    text.insert(size_t(caret), 1, char(c));
    ++caret;
    return true;
}

bool TMyyTextControl::ReaderKeyDown(EditKey key, uint8_t /*modifiers*/) {
    SetCaret(caret);
    const int32_t size = int32_t(text.size());
    const int32_t was = caret;
    switch (key) {
        case EditKey::Backspace: {
            if (caret == 0) return false;
            const int32_t n = BreakAt(text, caret - 2) ? 2 : 1;
            text.erase(size_t(caret - n), size_t(n));
            caret -= n;
            return true;
        }
        case EditKey::Delete: {
            if (caret >= size) return false;
            text.erase(size_t(caret), size_t(BreakAt(text, caret) ? 2 : 1));
            return true;
        }
        case EditKey::Enter:
            if (!MultiLine()) return false;
            text.insert(size_t(caret), "\r\n");
            caret += 2;
            return true;
        case EditKey::Left:
            if (caret > 0) caret -= BreakAt(text, caret - 2) ? 2 : 1;
            break;
        case EditKey::Right:
            if (caret < size) caret += BreakAt(text, caret) ? 2 : 1;
            break;
        case EditKey::Home: caret = MultiLine() ? LineStart(text, caret) : 0; break;
        case EditKey::End: caret = MultiLine() ? LineEnd(text, caret) : size; break;
        case EditKey::Up:
        case EditKey::Down: {
            if (!MultiLine()) return false;
            const int32_t start = LineStart(text, caret), column = caret - start;
            int32_t target;
            if (key == EditKey::Up) {
                if (start == 0) return false;
                target = LineStart(text, start - 1);
            } else {
                const int32_t end = LineEnd(text, caret);
                if (end >= size) return false;
                target = end + (BreakAt(text, end) ? 2 : 1);
            }
            caret = std::min(target + column, LineEnd(text, target));
            break;
        }
        default: return false;
    }
    return caret != was;
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
    caret = 0;
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
    caret = 0;
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

bool TMyyCheckedControl::ReaderKeyPress(uint8_t c) {
    if (c != ' ') return false;
    const bool was = Checked;
    Checked = Class() == ControlClass::RadioButton ? true : !Checked;
    return Checked != was;
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
    top_ = 0;
    current_ = selected_.empty() ? -1 : selected_.back();
    if (current_ >= 0) Show(current_);
}

int32_t TMyyListBox::VisibleRows() const {
    if (Combo() || !Object()) return 1;
    return std::max<int32_t>(1, Object()->U8(form_rec::kWidthChars));
}

int32_t TMyyListBox::ItemAt(int32_t y) const {
    if (Combo() || y < kListMargin) return -1;
    const int32_t row = (y - kListMargin) / std::max<int32_t>(1, Metrics().MemoLineHeight());
    if (row >= VisibleRows()) return -1;
    const int32_t item = top_ + row;
    return item < int32_t(items_.size()) ? item : -1;
}

void TMyyListBox::Show(int32_t item) {
    const int32_t rows = VisibleRows();
    if (item < top_) top_ = item;
    else if (item >= top_ + rows) top_ = item - rows + 1;
    top_ = std::max<int32_t>(0, top_);
}

bool TMyyListBox::ReaderClick(int32_t /*x*/, int32_t y) {
    const int32_t item = ItemAt(y);
    if (item < 0) return false;
    Select(item);
    return true;
}

bool TMyyListBox::ReaderKeyDown(EditKey key, uint8_t /*modifiers*/) {
    const int32_t n = int32_t(items_.size());
    if (n == 0) return false;
    const int32_t from = current_;
    int32_t to;
    switch (key) {
        case EditKey::Up: to = from - 1; break;
        case EditKey::Down: to = from + 1; break;
        case EditKey::Home: to = 0; break;
        case EditKey::End: to = n - 1; break;
        case EditKey::PageUp: to = from - VisibleRows(); break;
        case EditKey::PageDown: to = from + VisibleRows(); break;
        default: return false;
    }
    if (from < 0) to = key == EditKey::End ? n - 1 : 0;
    to = std::clamp(to, 0, n - 1);
    if (selected_ == std::vector<int32_t>{to}) return false;
    // The keys pick one item, in a multiple-selection list too.
    selected_ = {to};
    current_ = to;
    Show(to);
    return true;
}

std::string TMyyListBox::ValueText() const {
    if (Multiple() || selected_.empty()) return {};
    return items_[size_t(selected_.front())].value;
}

void TMyyListBox::Select(int32_t item) {
    if (item < 0 || size_t(item) >= items_.size()) return;
    current_ = item;
    Show(item);
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
