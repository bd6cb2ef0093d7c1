#include "page/working_copy.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "document/hqv_set.h"
#include "page/page_record.h"
#include "platform/messages.h"
#include "text/hqv_box.h"

namespace ovik {

namespace {

constexpr const char kNewPageContent[] = "<Z S0 >";

bool IsLinkKind(uint8_t k) { return k == internetLink || k == speclink || k == shortObj; }

// Kinds whose tags in page content name an object of the set.
bool IsTaggedKind(uint8_t k) {
    return k == internetLink || k == tabellaHtml || k == speclink || k == shortObj || k == dbloc ||
           k == immagineNew || (k >= inputStat && k <= multiMedia);
}

// Kinds a page's content owns: they go when the page stops naming them.
bool IsOwnedKind(uint8_t k) { return IsTaggedKind(k) && k != internetLink; }

std::unique_ptr<THQVoggetto> CopyOf(const THQVoggetto& o, THQVset* set) {
    auto c = THQVoggetto::Create(set, o.Kind());
    c->Assign(o);
    c->SetOwner(set);
    return c;
}

void WriteTag(Bytes& c, size_t tagPos, int32_t value) {
    WriteTagDigits(c.data() + tagPos + 2, uint32_t(value));
}

}  // namespace

// --- opening ------------------------------------------------------------------------

namespace {

// Makes the content an in-memory stream that ends with a zero byte.
void PrepareContent(THQVtesto& page) {
    Bytes c;
    if (!page.HasContent() || !page.ReadContent(c) || c.empty()) {
        c.assign(kNewPageContent, kNewPageContent + sizeof(kNewPageContent));  // with the zero
    } else if (c.back() != 0) {
        c.push_back(0);
    }
    page.SetContent(std::move(c));
}

void TranslateFieldsToLocal(THQVoggetto& o, THQVset& set, std::vector<WorkingObject>& links) {
    for (size_t off : LinkFieldOffsets(o, false)) {
        int32_t v = o.I32(off);
        if (v < 0 || !IsLinkKind(IdKind(v))) continue;
        THQVoggetto* target = set.GetObject(IdKind(v), IdNumber(v));
        if (!target) continue;
        links.push_back({CopyOf(*target, &set), IdNumber(v), false});
        o.SetI32(off, MakeId(kPageLocalKind, int32_t(links.size() - 1)));
    }
}

// Opens the header (or footer) page a record field names: -1 is the
// hypertext's default, which may itself be none; -2 and missing pages give none.
void OpenHeaderOrFooter(THQVset& set, int32_t field, size_t defaultField,
                        std::unique_ptr<PageWorkingCopy>& into) {
    if (field == kDefaultHeaderPage) field = set.HdrI32(defaultField);
    if (field < 0) return;
    THQVtesto* p = set.Page(field);
    if (!p || p->IsFree()) return;
    into = OpenForEditing(*p, true);
}

}  // namespace

std::unique_ptr<PageWorkingCopy> OpenForEditing(THQVtesto& page, bool asHeaderOrFooter) {
    THQVset* set = page.Owner();
    auto wc = std::make_unique<PageWorkingCopy>();
    wc->owned_ = std::make_unique<THQVtesto>(set);
    wc->page_ = wc->owned_.get();
    wc->stored = &page;
    wc->storedNumber = page.IsRegistered() ? page.Number() : -1;
    wc->asHeaderOrFooter = asHeaderOrFooter;
    // The copy converts a page still in content format 1.
    wc->page_->Assign(page);
    THQVtesto& copy = *wc->page_;
    PrepareContent(copy);
    if (!set) return wc;

    Bytes& c = *copy.MutableContent();
    ForEachObjectTag(c, [&](size_t pos, uint32_t value) {
        const uint8_t k = IdKind(int32_t(value));
        if (k == kPageLocalKind || k == kFragmentKind) {
            // Local forms never belong in a stored page: read as they are they
            // would name this copy's links and controls. The tag goes.
            std::fill(c.begin() + long(pos), c.begin() + long(pos + 11), uint8_t(3));
            return;
        }
        if (!IsTaggedKind(k)) return;
        THQVoggetto* o = set->GetObject(k, IdNumber(int32_t(value)));
        if (!o) return;  // a missing object leaves its tag as it is
        WorkingObject w{CopyOf(*o, set), IdNumber(int32_t(value)), asHeaderOrFooter};
        TranslateFieldsToLocal(*w.object, *set, wc->localLinks);
        if (k == internetLink || k == speclink) {
            wc->localLinks.push_back(std::move(w));
            WriteTag(c, pos, MakeId(kPageLocalKind, int32_t(wc->localLinks.size() - 1)));
        } else {
            wc->pending.push_back({std::move(w), pos});
            WriteTag(c, pos, MakeId(kFragmentKind, int32_t(wc->pending.size() - 1)));
        }
    });

    if (!asHeaderOrFooter) {
        PageRecord rec(copy);
        OpenHeaderOrFooter(*set, rec.HeaderPage(), hdr::kDefaultHeader, wc->header);
        OpenHeaderOrFooter(*set, rec.FooterPage(), hdr::kDefaultFooter, wc->footer);
    }
    return wc;
}

void MakeLinkChainsLocal(PageWorkingCopy& wc) {
    THQVset* set = wc.Set();
    if (!set) return;
    std::unordered_map<int32_t, int32_t> copied;  // identifier -> local index
    for (size_t i = 0; i < wc.localLinks.size(); ++i)
        if (const WorkingObject& w = wc.localLinks[i]; w.object && w.storedNumber >= 0)
            copied.emplace(MakeId(w.object->Kind(), w.storedNumber), int32_t(i));
    for (size_t i = 0; i < wc.localLinks.size(); ++i) {
        THQVoggetto* o = wc.localLinks[i].object.get();
        if (!o) continue;
        for (size_t off : LinkFieldOffsets(*o, false)) {
            const int32_t v = o->I32(off);
            if (v < 0 || !IsLinkKind(IdKind(v))) continue;
            auto done = copied.find(v);
            if (done == copied.end()) {
                THQVoggetto* target = set->GetObject(IdKind(v), IdNumber(v));
                if (!target) continue;
                wc.localLinks.push_back({CopyOf(*target, set), IdNumber(v), false});
                done = copied.emplace(v, int32_t(wc.localLinks.size() - 1)).first;
            }
            o->SetI32(off, MakeId(kPageLocalKind, done->second));
        }
    }
}

std::unique_ptr<PageWorkingCopy> WorkOnNewPage(std::unique_ptr<THQVtesto> page) {
    auto wc = std::make_unique<PageWorkingCopy>();
    wc->owned_ = std::move(page);
    wc->page_ = wc->owned_.get();
    PrepareContent(*wc->page_);
    if (THQVset* set = wc->page_->Owner()) {
        PageRecord rec(*wc->page_);
        OpenHeaderOrFooter(*set, rec.HeaderPage(), hdr::kDefaultHeader, wc->header);
        OpenHeaderOrFooter(*set, rec.FooterPage(), hdr::kDefaultFooter, wc->footer);
    }
    return wc;
}

// --- storing ------------------------------------------------------------------------

namespace {

class PageStorer {
public:
    PageStorer(PageWorkingCopy& wc, PlacedObjectIndex* controls)
        : wc_(wc), set_(*wc.Set()), controls_(controls) {}

    void TranslateTags(Bytes& c);
    // Identifiers the stored page's objects keep (tags and link fields).
    const std::unordered_set<int32_t>& Kept() const { return kept_; }

private:
    int32_t RegisterLocal(int32_t index);
    int32_t RegisterPlaced(PagePlacedObject& po);
    int32_t AssignOrRegister(WorkingObject& w);
    void TranslateFieldsBack(THQVoggetto& o);

    PageWorkingCopy& wc_;
    THQVset& set_;
    PlacedObjectIndex* controls_;
    std::unordered_map<int32_t, int32_t> linkIds_;
    std::unordered_set<int32_t> linksInProgress_;
    std::unordered_map<const void*, int32_t> placedIds_;
    // Objects registered under new numbers while storing: a stored number that
    // one of them took is not overwritten.
    std::unordered_set<int32_t> newIds_;
    std::unordered_set<int32_t> kept_;
};

int32_t PageStorer::AssignOrRegister(WorkingObject& w) {
    THQVoggetto& o = *w.object;
    int32_t id = -1;
    THQVoggetto* slot = w.storedNumber >= 0 ? set_.GetObject(o.Kind(), w.storedNumber) : nullptr;
    if (slot && slot->Kind() == o.Kind() && !newIds_.count(slot->Id())) {
        // The object goes back into its own slot: what refers to it still does.
        slot->Assign(o);
        slot->SetOwner(&set_);
        slot->SetNumber(w.storedNumber);
        set_.SetModified(true);
        id = slot->Id();
    } else {
        auto copy = CopyOf(o, &set_);
        THQVoggetto* reg = THQVoggetto::Register(copy, -1);
        if (!reg) return -1;
        id = reg->Id();
        newIds_.insert(id);
        w.storedNumber = reg->Number();
    }
    kept_.insert(id);
    return id;
}

void PageStorer::TranslateFieldsBack(THQVoggetto& o) {
    for (size_t off : LinkFieldOffsets(o, true)) {
        int32_t v = o.I32(off);
        if (IdKind(v) == kPageLocalKind) {
            v = RegisterLocal(IdNumber(v));
            o.SetI32(off, v);
        }
        if (v >= 0) kept_.insert(v);
    }
}

int32_t PageStorer::RegisterLocal(int32_t index) {
    auto done = linkIds_.find(index);
    if (done != linkIds_.end()) return done->second;
    if (index < 0 || size_t(index) >= wc_.localLinks.size() || !wc_.localLinks[size_t(index)].object)
        return -1;
    if (!linksInProgress_.insert(index).second) return -1;  // a link naming itself
    WorkingObject& w = wc_.localLinks[size_t(index)];
    TranslateFieldsBack(*w.object);
    int32_t id = -1;
    if (w.object->Kind() == internetLink) {
        // Equal addresses are one link object.
        if (THQVoggetto* equal = set_.FindEqualObject(*w.object)) {
            id = equal->Id();
        } else {
            auto copy = CopyOf(*w.object, &set_);
            if (THQVoggetto* reg = THQVoggetto::Register(copy, -1)) {
                id = reg->Id();
                newIds_.insert(id);
            }
        }
        if (id >= 0) kept_.insert(id);
    } else {
        id = AssignOrRegister(w);
    }
    linksInProgress_.erase(index);
    linkIds_[index] = id;
    return id;
}

int32_t PageStorer::RegisterPlaced(PagePlacedObject& po) {
    auto done = placedIds_.find(&po);
    if (done != placedIds_.end()) return done->second;
    int32_t id = -1;
    if (po.Working().object) {
        po.UpdateObject();
        TranslateFieldsBack(*po.Working().object);
        id = AssignOrRegister(po.Working());
    }
    placedIds_[&po] = id;
    return id;
}

void PageStorer::TranslateTags(Bytes& c) {
    // Object tags are found wherever "<$" stands, as opening finds them, so
    // that a tag opening made local is always made stored again.
    size_t n = 0;
    while (n < c.size() && c[n] != 0) ++n;
    size_t prevY = SIZE_MAX, prevYEnd = SIZE_MAX;
    std::unordered_map<int32_t, int32_t> pendingIds;
    for (size_t i = 0; i + 1 < n; ++i) {
        if (c[i] != '<') continue;
        if (c[i + 1] == 'Y') {
            size_t gt = i + 2;
            while (gt < n && c[gt] != '>') ++gt;
            if (gt >= n) continue;
            // A font tag straight after another one replaces it.
            if (prevYEnd == i) std::fill(c.begin() + long(prevY), c.begin() + long(prevYEnd), uint8_t(3));
            prevY = i;
            prevYEnd = gt + 1;
            continue;
        }
        if (c[i + 1] != '$') continue;
        if (n - i < 11) break;
        const int32_t value = int32_t(ParseTagDigits(c.data() + i + 2));
        const uint8_t k = IdKind(value);
        int32_t id = INT32_MIN;
        if (k == kPageLocalKind) {
            id = RegisterLocal(IdNumber(value));
        } else if (k == kFragmentKind) {
            id = -1;
            const int32_t index = IdNumber(value);
            if (controls_) {
                if (auto* po = dynamic_cast<PagePlacedObject*>(controls_->ControlAt(index)))
                    id = RegisterPlaced(*po);
            } else if (size_t(index) < wc_.pending.size()) {
                // Stored without a box: the tags still name pending objects.
                auto it = pendingIds.find(index);
                if (it != pendingIds.end()) {
                    id = it->second;
                } else {
                    WorkingObject& w = wc_.pending[size_t(index)].working;
                    TranslateFieldsBack(*w.object);
                    id = pendingIds[index] = AssignOrRegister(w);
                }
            }
        } else if (value >= 0) {
            kept_.insert(value);
        }
        if (id >= 0) {
            WriteTag(c, i, id);
        } else if (id != INT32_MIN) {
            // Nothing left to name: the tag goes rather than name the wrong object.
            std::fill(c.begin() + long(i), c.begin() + long(i + 11), uint8_t(3));
        }
        i += 10;
    }
}

// Frees the objects the stored page named that its new content no longer names.
void FreeDroppedObjects(THQVset& set, const std::vector<int32_t>& oldIds,
                        const std::unordered_set<int32_t>& kept) {
    for (int32_t id : oldIds) {
        if (kept.count(id) || !IsOwnedKind(IdKind(id))) continue;
        THQVoggetto* o = set.GetObject(IdKind(id), IdNumber(id));
        if (!o || o->IsFree()) continue;
        // Link objects still named elsewhere on the page are not its to free.
        for (size_t off : LinkFieldOffsets(*o, true))
            if (kept.count(o->I32(off))) o->SetI32(off, -1);
        o->MakeFree();
        set.SetModified(true);
    }
}

}  // namespace

bool StorePage(PageWorkingCopy& wc, PlacedObjectIndex* controls, int32_t number,
               bool raiseRevision) {
    THQVtesto& page = wc.Page();
    THQVset* set = page.Owner();
    if (!set) return false;
    if (!wc.stored && !wc.box && wc.owned_) {
        set->Messages().Error(
            "Errore interno.\rPotrebbe ancora essere possibile l'uso della funzione \"Salva "
            "come...\" per salvare il lavoro. Salvare ed uscire dal programma.\r"
            "Si prega di segnalare le condizioni in cui si è verificato l'errore.");
        // Registered anyway; a failure here is not reported again.
        std::unique_ptr<THQVoggetto> self(wc.owned_.release());
        if (!THQVoggetto::Register(self, number)) wc.owned_.reset(static_cast<THQVtesto*>(self.release()));
        return true;
    }
    std::vector<int32_t> oldIds;
    if (wc.stored && wc.stored->IsRegistered()) {
        // Looked at where it lies when it is in memory: a page may be large.
        Bytes old;
        if (const Bytes* mem = wc.stored->MemContent()) oldIds = ObjectTagsIn(*mem);
        else if (wc.stored->ReadContent(old)) oldIds = ObjectTagsIn(old);
    }
    if (wc.box) wc.box->StoreText(page);
    if (!page.MutableContent()) PrepareContent(page);

    PageStorer storer(wc, controls);
    storer.TranslateTags(*page.MutableContent());
    wc.localLinks.clear();

    page.SetU8(page_rec::kContentFormat, 2);
    if (raiseRevision) RaiseRevision(page, set->Revision());
    // A name made only of blanks is stored as empty. Other bytes are left as
    // they are: a field never set holds 0xFF bytes, not a name.
    const uint8_t nameLen = page.U8(page_rec::kExtraHtmlName);
    if (nameLen >= 1 && nameLen <= kExtraHtmlNameMax) {
        std::string name = PageRecord(page).ExtraHtmlName();
        if (name.find_first_not_of(' ') == std::string::npos) PageRecord(page).SetExtraHtmlName("");
    }
    ApplyAutomaticTitle(page);

    bool ok = true;
    if (wc.owned_ && !wc.stored) {
        // A new page: the set takes the page itself.
        std::unique_ptr<THQVoggetto> self(wc.owned_.release());
        ok = THQVoggetto::Register(self, number) != nullptr;
        if (!ok) wc.owned_.reset(static_cast<THQVtesto*>(self.release()));
    } else {
        THQVtesto* slot = number >= 0 ? set->Page(number) : nullptr;
        if (slot) {
            slot->Assign(page);
            slot->SetOwner(set);
            slot->SetNumber(number);
            set->SetModified(true);
        } else {
            auto copy = CopyOf(page, set);
            THQVoggetto* reg = THQVoggetto::Register(copy, number);
            ok = reg != nullptr;
            if (ok) number = reg->Number();
        }
        if (ok) wc.storedNumber = number;
    }
    FreeDroppedObjects(*set, oldIds, storer.Kept());
    return ok;
}

}  // namespace ovik
