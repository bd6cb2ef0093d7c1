#include "page/page_copy.h"

#include "document/hqv_set.h"
#include "page/page_record.h"
#include "page/working_copy.h"
#include "text/layout.h"

namespace ovik {

THQVoggetto* PageObjectsHost::PageLink(int32_t linkValue) {
    if (IdKind(linkValue) != kPageLocalKind) return nullptr;
    const size_t i = size_t(IdNumber(linkValue));
    return i < wc_.localLinks.size() ? wc_.localLinks[i].object.get() : nullptr;
}

int32_t PageObjectsHost::AddPageLink(std::unique_ptr<THQVoggetto> link) {
    link->SetOwner(wc_.Set());
    wc_.localLinks.push_back({std::move(link), -1, false});
    return MakeId(kPageLocalKind, int32_t(wc_.localLinks.size() - 1));
}

int32_t PageObjectsHost::CreateControl(std::unique_ptr<THQVoggetto> object) {
    object->SetOwner(wc_.Set());
    return page_.AddControl({std::move(object), -1, false});
}

Bytes PageObjectsData(THQVtesto& source, platform::TextMeasurer& measurer) {
    THQVset* set = source.Owner();
    if (!set) return {};
    // The source is opened as a header would be: its own text only.
    PageHost host;
    host.set = set;
    host.measurer = &measurer;
    THQVpage page(host);
    auto wc = OpenForEditing(source, true);
    MakeLinkChainsLocal(*wc);
    page.BuildBox(*wc);
    THQVbox* box = page.Box();
    if (!box || box->ParagraphCount() == 0) return {};
    PageObjectsHost objects(page, *wc);
    const int32_t last = box->ParagraphCount() - 1;
    return WriteObjectsData(*box, box->MakePosition(0, 0), box->MakePosition(last, box->Paragraph(last).Length()),
                            false, &objects);
}

THQVoggetto* AdoptObject(THQVset& into, const THQVoggetto& o) {
    if (o.Owner() == &into && o.IsRegistered()) return const_cast<THQVoggetto*>(&o);
    Bytes b;
    o.SaveToTransfer(b);
    auto copy = THQVoggetto::Create(&into, o.Kind());
    size_t pos = 0;
    if (!copy->LoadFromTransfer(b.data(), b.size(), pos)) return nullptr;
    return into.EqualOrRegistered(copy);
}

bool CopyPageInto(THQVpage& target, BoxEditor& editor, THQVtesto& source, bool withBackground,
                  const std::string& undoText) {
    PageWorkingCopy* wc = target.WorkingCopy();
    if (!wc || !target.Box() || &editor.Box() != target.Box()) return false;
    const Bytes data = PageObjectsData(source, target.Box()->Measurer());
    if (data.empty()) return false;
    PageObjectsHost host(target, *wc);
    if (!ReadObjectsData(editor, data, undoText, true, &host, true)) return false;
    if (withBackground) {
        PageRecord from(source), to(wc->Page());
        THQVbox& box = *target.Box();
        THQVoggetto* picture = nullptr;
        if (const int32_t n = from.BackgroundPicture(); n >= 0 && source.Owner())
            if (const THQVoggetto* p = source.Owner()->GetObject(immagine, n); p && !p->IsFree())
                picture = AdoptObject(box.Set(), *p);
        to.SetBackgroundPicture(picture ? picture->Number() : -1);
        to.SetBackgroundColour(from.BackgroundColour());
        to.SetFixedBackground(from.FixedBackground());
        box.SetBackgroundPicture(picture);
        box.SetBackgroundColour(from.BackgroundColour());
        box.SetFixedBackground(from.FixedBackground());
    }
    target.modified = true;
    return true;
}

bool CopyPageIntoStored(THQVset& set, int32_t number, THQVtesto& source, bool withBackground,
                        platform::TextMeasurer& measurer) {
    THQVtesto* page = set.Page(number);
    if (!page || page->IsFree()) return false;
    PageHost host;
    host.set = &set;
    host.measurer = &measurer;
    THQVpage view(host);
    view.ShowPage(page);
    if (!view.Box()) return false;
    InstallLayout(*view.Box());
    DeferredActions actions;
    BoxEditor editor(*view.Box(), actions);
    editor.PlaceCaretAtFirstEditable();
    if (!CopyPageInto(view, editor, source, withBackground)) return false;
    return view.StorePage();
}

}  // namespace ovik
