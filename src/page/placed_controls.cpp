#include "page/placed_controls.h"

#include <algorithm>

#include "document/hqv_set.h"
#include "links/link_objects.h"
#include "page/placed_floating.h"
#include "page/placed_forms.h"
#include "page/placed_markers.h"
#include "page/placed_media.h"
#include "page/thqv_page.h"

namespace ovik {

ControlClass ControlClassOf(const THQVoggetto& o) {
    const uint8_t s = o.State();
    switch (o.Kind()) {
        case shortObj:
            return s == 5 || (s >= 10 && s <= 15) || (s >= 21 && s <= 28) ? ControlClass::BelPanel
                                                                           : ControlClass::None;
        case dbloc: return o.IsFree() ? ControlClass::None : ControlClass::Multimedia;
        case inputStat:
            switch (s) {
                case 1:
                case 2:
                case 3: return ControlClass::Edit;
                case 4: return ControlClass::Memo;
                case 5: return ControlClass::BelPanel;
                case 6: return ControlClass::RadioButton;
                case 7: return ControlClass::CheckBox;
                case 8: return ControlClass::ListBox;
                case 9: return ControlClass::ComboBox;
                case 18: return ControlClass::Floating;
                default: return ControlClass::None;
            }
        case inputDin:
            switch (s) {
                case 1: return ControlClass::Edit;
                case 2: return ControlClass::Memo;
                case 6: return ControlClass::ListBox;
                case 7: return ControlClass::ComboBox;
                case 11:
                case 12: return ControlClass::BelPanel;
                default: return ControlClass::None;
            }
        case bottoneCGI: return s >= 1 && s <= 3 ? ControlClass::Button : ControlClass::None;
        case inizioForm: return s == 1 || s == 2 || s == 4 ? ControlClass::FormStart : ControlClass::None;
        case multiMedia: return s >= 1 && s <= 6 ? ControlClass::Multimedia : ControlClass::None;
        default: return ControlClass::None;
    }
}

const char* ControlClassName(ControlClass c) {
    switch (c) {
        case ControlClass::BelPanel: return "TMyyBelPanel";
        case ControlClass::FormStart: return "TMyyInizioForm";
        case ControlClass::Edit: return "TMyyEdit";
        case ControlClass::Memo: return "TMyyMemo";
        case ControlClass::RadioButton: return "TMyyRadioButton";
        case ControlClass::CheckBox: return "TMyyCheckBox";
        case ControlClass::ListBox: return "TMyyListBox";
        case ControlClass::ComboBox: return "TMyyComboBox";
        case ControlClass::Floating: return "TMyyFloating";
        case ControlClass::Button: return "TMyyButton";
        case ControlClass::Multimedia: return "TMyyMultimedia";
        case ControlClass::None: break;
    }
    return "";
}

const char* PopupMenuOf(const THQVoggetto& o) {
    if (ControlClassOf(o) == ControlClass::None) return "";
    switch (o.Kind()) {
        case shortObj: return "PopupComment";
        case dbloc: return "PopupJava";
        case inputStat: return o.State() == form_rec::kFloating ? "PopupFloating" : "PopupInput";
        case inputDin: return "PopupDin";
        case bottoneCGI: return "PopupButton";
        case inizioForm: return "PopupFormStart";
        case multiMedia: return "PopupMultimedia";
        default: return "";
    }
}

const char* UndoTextOf(const THQVoggetto& o) {
    switch (ControlClassOf(o)) {
        case ControlClass::Edit: return "Modifica casella edit";
        case ControlClass::Memo: return "Modifica box testo";
        case ControlClass::RadioButton:
        case ControlClass::CheckBox: return "Modifica box";
        case ControlClass::ListBox: return "Modifica lista";
        case ControlClass::ComboBox: return "Modifica combo";
        case ControlClass::Floating: return "Modifica cornice indipendente";
        case ControlClass::Button: return "Modifica bottone";
        case ControlClass::Multimedia: return "Modifica multimedia";
        default: return "Modifica oggetto";
    }
}

const char* ResizeUndoTextOf(const THQVoggetto& o) {
    switch (ControlClassOf(o)) {
        case ControlClass::Button: return "Dimensiona bottone";
        case ControlClass::Multimedia: return "Dimensiona multimedia";
        case ControlClass::Floating: return "Dimensiona cornice indipendente";
        default: return UndoTextOf(o);
    }
}

// --- TMyyControl ---------------------------------------------------------------------------------

TMyyControl::TMyyControl(WorkingObject w, THQVpage* page)
    : TMyyVisual(std::move(w), page),
      class_(working_.object ? ControlClassOf(*working_.object) : ControlClass::None) {}

std::string TMyyControl::UndoText() const { return working_.object ? UndoTextOf(*working_.object) : ""; }

std::string TMyyControl::ResizeUndoText() const {
    return working_.object ? ResizeUndoTextOf(*working_.object) : "";
}

std::string TMyyControl::PopupName() const { return working_.object ? PopupMenuOf(*working_.object) : ""; }

std::string TMyyControl::Hint() const {
    return working_.object ? links::HintText(working_.object->Description()) : "";
}

void TMyyControl::SetAvailableWidth(int32_t width) {
    if (width == availableWidth_) return;
    availableWidth_ = width;
    if (class_ == ControlClass::Floating || class_ == ControlClass::Multimedia) SizeFromObject();
}

bool TMyyControl::Change(const std::function<void(THQVoggetto&)>& edit) {
    if (!Editable() || !working_.object) return false;
    CreateUndoRecord();
    edit(*working_.object);
    LoadFromObject();
    MarkForRelayout(true);
    return true;
}

const platform::ControlMetrics& TMyyControl::Metrics() const {
    return page_ ? page_->ControlMetrics() : platform::DefaultControlMetrics();
}

void TMyyControl::StoreSize(size_t widthAt, size_t heightAt, bool percent, int32_t width, int32_t height) {
    THQVoggetto* o = working_.object.get();
    if (!o) return;
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (percent) {
        width = width * 100 / std::max(AvailableWidth(), 1);
        height = height * 100 / std::max(AvailableHeight(), 1);
    }
    o->SetI16(widthAt, int16_t(std::clamp(width, 1, 32767)));
    o->SetI16(heightAt, int16_t(std::clamp(height, 1, 32767)));
}

int32_t TMyyControl::AvailableWidth() const {
    if (availableWidth_ > 0) return availableWidth_;
    THQVbox* box = page_ ? page_->Box() : nullptr;
    return box && box->geometry.layoutWidth > 0 ? box->geometry.layoutWidth : 600;
}

int32_t TMyyControl::AvailableHeight() const {
    THQVbox* box = page_ ? page_->Box() : nullptr;
    return box && box->geometry.clientHeight > 0 ? box->geometry.clientHeight : 400;
}

// --- new objects ------------------------------------------------------------------------------

std::unique_ptr<THQVoggetto> NewControlObject(THQVset& set, uint8_t kind, uint8_t subtype) {
    auto o = set.NewObject(kind);
    if (!o) return nullptr;
    o->SetState(subtype);
    switch (kind) {
        case inputStat:
            if (subtype == form_rec::kFloating) {
                o->SetStr(form_rec::kName, form_rec::kNameLen, "cornice");
                o->SetU8(form_rec::kScrolling, 1);
                o->SetU8(form_rec::kMarginHeight, 0);
                o->SetU8(form_rec::kMarginWidth, 0);
                o->SetI32(form_rec::kMarginColour, 0);
                o->SetI32(form_rec::kPage, -1);
                o->SetU8(form_rec::kShowFrames, 0);
                o->SetU8(form_rec::kAppendWrapper, 0);
                o->SetU8(form_rec::kTarget, 0);
                o->SetU8(form_rec::kUnit, 0);
                o->SetI16(form_rec::kWidth, 200);
                o->SetI16(form_rec::kHeight, 150);
                break;
            }
            o->SetStr(form_rec::kName, form_rec::kNameLen, "campo");
            o->SetStr(form_rec::kValue, form_rec::kValueLen, "");
            o->SetU8(form_rec::kColumns, 20);
            o->SetU8(form_rec::kRows, 3);
            o->SetU8(form_rec::kWidthChars, subtype == form_rec::kList ? 4 : 20);
            o->SetU8(form_rec::kShowInitial, 0);
            o->SetU8(form_rec::kChecked, 0);
            o->SetU8(form_rec::kMultiple, 0);
            break;
        case inputDin:
            o->SetStr(form_rec::kName, form_rec::kNameLen, "campo");
            o->SetU8(form_rec::kColumns, 20);
            o->SetU8(form_rec::kRows, 3);
            o->SetU8(form_rec::kWidthChars, 20);
            break;
        case bottoneCGI:
            o->SetStr(button_rec::kName, button_rec::kNameLen, "bottone");
            o->SetStr(button_rec::kCaption, button_rec::kCaptionLen,
                      subtype == button_rec::kReset ? "Annulla" : "Invia");
            o->SetI32(button_rec::kPicture, -1);
            o->SetI32(button_rec::kLink, -1);
            for (size_t at : {button_rec::kNaturalWidth, button_rec::kNaturalHeight, button_rec::kShownWidth,
                              button_rec::kShownHeight})
                o->SetU16(at, 0);
            break;
        case inizioForm:
            o->SetStr(formstart_rec::kAction, formstart_rec::kActionLen, "");
            o->SetU8(formstart_rec::kHasEncoding, 0);
            o->SetStr(formstart_rec::kEncoding, formstart_rec::kEncodingLen, "");
            break;
        case multiMedia:
            o->SetI32(media_rec::kFile, -1);
            o->SetI32(media_rec::kAltPicture, -1);
            o->SetU8(media_rec::kCyclic, subtype <= 2 ? 1 : 0);
            o->SetI16(media_rec::kLoops, 0);
            o->SetI16(media_rec::kLoopsLeft, 0);
            o->SetI16(media_rec::kWidth, 100);
            o->SetI16(media_rec::kHeight, 100);
            o->SetU8(media_rec::kPercent, 0);
            break;
        case shortObj: o->SetI32(marker_rec::kTarget, -1); break;
        default: break;
    }
    return o;
}

// --- the factory --------------------------------------------------------------------------------

std::unique_ptr<TMyyControl> MakeFormControl(WorkingObject& w, THQVpage* page) {
    if (!w.object || !page) return nullptr;
    std::unique_ptr<TMyyControl> c;
    switch (ControlClassOf(*w.object)) {
        case ControlClass::None: return nullptr;
        case ControlClass::BelPanel:
        case ControlClass::FormStart: c = std::make_unique<TMyyBelPanel>(std::move(w), page); break;
        case ControlClass::Edit: c = std::make_unique<TMyyEdit>(std::move(w), page); break;
        case ControlClass::Memo: c = std::make_unique<TMyyMemo>(std::move(w), page); break;
        case ControlClass::RadioButton:
        case ControlClass::CheckBox: c = std::make_unique<TMyyCheckedControl>(std::move(w), page); break;
        case ControlClass::ListBox:
        case ControlClass::ComboBox: c = std::make_unique<TMyyListBox>(std::move(w), page); break;
        case ControlClass::Floating: c = std::make_unique<TMyyFloating>(std::move(w), page); break;
        case ControlClass::Button: c = std::make_unique<TMyyButton>(std::move(w), page); break;
        case ControlClass::Multimedia: c = std::make_unique<TMyyMultimedia>(std::move(w), page); break;
    }
    c->LoadFromObject();
    return c;
}

// --- reset buttons ----------------------------------------------------------------------------

namespace {
bool IsFormControl(ControlClass c) {
    return c == ControlClass::Edit || c == ControlClass::Memo || c == ControlClass::RadioButton ||
           c == ControlClass::CheckBox || c == ControlClass::ListBox || c == ControlClass::ComboBox;
}
}  // namespace

int32_t NextReaderControl(THQVpage& page, int32_t from, bool back) {
    std::vector<int32_t> order;
    for (const auto& p : page.Controls())
        if (auto* c = dynamic_cast<TMyyControl*>(p.get()); c && c->TakesKeys()) order.push_back(c->ControlIndex());
    if (order.empty()) return -1;
    const auto at = std::find(order.begin(), order.end(), from);
    if (at == order.end()) return back ? order.back() : order.front();
    const size_t i = size_t(at - order.begin());
    return back ? order[(i + order.size() - 1) % order.size()] : order[(i + 1) % order.size()];
}

int32_t ResetForm(THQVpage& page, const TMyyControl& button) {
    const auto& controls = page.Controls();
    size_t at = controls.size();
    for (size_t i = 0; i < controls.size(); ++i)
        if (controls[i].get() == &button) at = i;
    size_t from = 0;
    bool before = false, after = false;
    for (size_t i = 0; i < controls.size(); ++i) {
        auto* c = dynamic_cast<TMyyControl*>(controls[i].get());
        if (!c || c->Class() != ControlClass::FormStart) continue;
        if (i < at) {
            before = true;
            from = i;
        } else if (i > at) {
            after = true;
        }
    }
    if (!before || after) from = 0;
    int32_t n = 0;
    for (size_t i = from; i < controls.size(); ++i) {
        auto* c = dynamic_cast<TMyyControl*>(controls[i].get());
        if (!c || !IsFormControl(c->Class())) continue;
        c->Refresh();
        ++n;
    }
    return n;
}

}  // namespace ovik
