#include "page/page_undo.h"

#include "document/hqv_set.h"
#include "page/thqv_page.h"

namespace ovik {

namespace {

THQVpage* PageOf(THQVbox& box) { return dynamic_cast<THQVpage*>(box.controls); }

// What a tag value of the page names: a placed-object control's working
// object (kind 0xFF) or a page-local link (kind 0x6F).
WorkingObject* Named(THQVpage& page, int32_t tag) {
    const int32_t index = IdNumber(tag);
    if (IdKind(tag) == kFragmentKind) {
        auto* c = dynamic_cast<PagePlacedObject*>(page.ControlAt(index));
        return c ? &c->Working() : nullptr;
    }
    PageWorkingCopy* wc = page.WorkingCopy();
    if (IdKind(tag) != kPageLocalKind || !wc || size_t(index) >= wc->localLinks.size()) return nullptr;
    return &wc->localLinks[size_t(index)];
}

bool Name(THQVbox& box, int32_t tag, ObjectName& name) {
    THQVpage* page = PageOf(box);
    WorkingObject* w = page ? Named(*page, tag) : nullptr;
    if (!w || !w->object) return false;
    name.showing = page->Showing();
    name.kind = w->object->Kind();
    name.id = w->storedNumber >= 0 ? MakeId(uint8_t(name.kind), w->storedNumber) : -1;
    name.stream.clear();
    w->object->SaveToTransfer(name.stream);
    return true;
}

bool Same(const WorkingObject& w, int32_t id) {
    return !w.inactive && w.object && w.object->Kind() == IdKind(id) && w.storedNumber == IdNumber(id);
}

int32_t Find(THQVbox& box, const ObjectName& name) {
    THQVpage* page = PageOf(box);
    if (!page) return -1;
    // In the same showing the tag still names the same object.
    if (name.showing == page->Showing()) return Named(*page, name.tag) ? name.tag : -1;
    // The page was built again: an object it was copied from keeps its
    // identifier; one made while editing was stored under a number nobody
    // noted, and is made again from its stream.
    if (name.id < 0) return -1;
    if (IdKind(name.tag) == kFragmentKind) {
        for (const auto& c : page->Controls())
            if (Same(c->Working(), name.id)) return MakeId(kFragmentKind, c->ControlIndex());
    } else if (PageWorkingCopy* wc = page->WorkingCopy()) {
        for (size_t i = 0; i < wc->localLinks.size(); ++i)
            if (Same(wc->localLinks[i], name.id)) return MakeId(kPageLocalKind, int32_t(i));
    }
    return -1;
}

int32_t Recreate(THQVbox& box, const ObjectName& name) {
    THQVpage* page = PageOf(box);
    PageWorkingCopy* wc = page ? page->WorkingCopy() : nullptr;
    if (!wc || name.kind < 0 || name.kind > 0xFF) return -1;
    THQVset& set = box.Set();
    auto object = THQVoggetto::Create(&set, uint8_t(name.kind));
    size_t pos = 0;
    if (!object->LoadFromTransfer(name.stream.data(), name.stream.size(), pos)) return -1;
    object->SetOwner(&set);
    // Back into its own slot when that is still free (what referred to it
    // does again); a slot taken meanwhile by another object is left alone.
    int32_t number = -1;
    if (name.id >= 0) {
        const THQVoggetto* slot = set.GetObject(IdKind(name.id), IdNumber(name.id));
        if (!slot || slot->IsFree()) number = IdNumber(name.id);
    }
    if (IdKind(name.tag) == kPageLocalKind) {
        wc->localLinks.push_back({std::move(object), number, false});
        return MakeId(kPageLocalKind, int32_t(wc->localLinks.size() - 1));
    }
    const int32_t index = page->AddControl({std::move(object), number, false});
    return index < 0 ? -1 : MakeId(kFragmentKind, index);
}

void Detach(THQVbox& box, PlacedObject* o) {
    if (THQVpage* page = PageOf(box))
        if (auto* c = dynamic_cast<PagePlacedObject*>(o)) page->RemoveAnchor(c);
}

}  // namespace

void ConnectPlacedObjects(THQVundoList& history) {
    history.nameObject = Name;
    history.findControl = Find;
    history.recreateControl = Recreate;
    history.detachControl = Detach;
}

}  // namespace ovik
