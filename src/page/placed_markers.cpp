#include "page/placed_markers.h"

#include "document/hqv_set.h"
#include "links/link_objects.h"
#include "page/placed_forms.h"

namespace ovik {

IconLook MarkerLookOf(uint8_t subtype) {
    switch (subtype) {
        case 10: return {"notepad", 18};
        case 11: return {"html", 18};
        case 12: return {"binary", 18};
        case 13: return {"lancia", 18};
        case 14: return {"ancora", 18};
        case 15: return {"triang", 18};
        case 21: return {"imagelk", 36};
        case 22: return {"fogliolk", 36};
        case 23: return {"foglio", 36};
        case 24: return {"fond", 36};
        case 25: return {"xcoord", 36};
        case 26: return {"ycoord", 36};
        case 27: return {"par", 90};
        case 28: return {"fond", 90};
        default: return {"", 18};
    }
}

bool TMyyBelPanel::Anchor() const { return Object() && links::IsAnchor(*Object()); }

std::string TMyyBelPanel::IconName() const {
    const THQVoggetto* o = Object();
    if (!o) return {};
    switch (o->Kind()) {
        case shortObj: return MarkerLookOf(o->State()).icon;
        case inputStat: return "hidden";
        case inputDin: return o->State() == form_rec::kDynLiveList ? "dinlist" : "dinhtml";
        case inizioForm: return "iniziof";
        default: return {};
    }
}

void TMyyBelPanel::SizeFromObject() {
    const THQVoggetto* o = Object();
    const int32_t w = o && o->Kind() == shortObj ? MarkerLookOf(o->State()).width : kIconSize;
    SetSize(w, kIconSize);
}

std::string TMyyBelPanel::Hint() const {
    const THQVoggetto* o = Object();
    if (!o) return {};
    if (o->Kind() != shortObj) return TMyyControl::Hint();
    THQVset* set = o->Owner();
    auto target = [&]() -> std::string {
        const THQVoggetto* t = set ? set->GetObjectById(o->I32(marker_rec::kTarget)) : nullptr;
        return t && !t->IsFree() ? links::HintText(t->Description()) : std::string();
    };
    switch (o->State()) {
        case 10:
        case 11:
        case 12: return ContentText(*o);
        case 14: return "Ancora: a" + std::to_string(o->I32(marker_rec::kTarget));
        case 15: {
            const THQVoggetto* page = set ? set->GetObject(testoHtml, o->I32(marker_rec::kTarget)) : nullptr;
            return page && !page->IsFree() ? links::HintText(page->Description()) : std::string();
        }
        case 21: return "Riferimento a immagine: " + target();
        case 22: return "Riferimento a pagina o link: " + target();
        case 23: return "Qui verr\xE0 riportato tutto il testo della pagina: " + target();
        case 24: return "Riferimento a oggetto fondamentale: " + target();
        case 25: return "Qui verr\xE0 riportata la dimensione X";
        case 26: return "Qui verr\xE0 riportata la dimensione Y";
        case 27: return "Parametri: " + ContentText(*o);
        case 28: return "File: " + ContentText(*o);
        default: return target();
    }
}

std::string TMyyBelPanel::Text() const {
    if (Width() <= kWideFrom) return {};
    const std::string h = Hint();
    const size_t at = h.find(": ");
    return at == std::string::npos ? std::string() : h.substr(at + 2);
}

bool TMyyBelPanel::ShownInReadOnly(bool anchorPreview) const {
    const THQVoggetto* o = Object();
    if (!o || o->Kind() != shortObj) return true;
    if (o->State() == 14) return anchorPreview;
    return o->State() == 15;
}

}  // namespace ovik
