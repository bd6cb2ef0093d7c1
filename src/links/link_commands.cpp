#include "links/link_commands.h"

#include "document/hqv_set.h"
#include "links/link_address.h"
#include "links/link_objects.h"
#include "page/page_copy.h"
#include "page/placed_picture.h"
#include "page/thqv_page.h"
#include "platform/messages.h"
#include "text/editing.h"
#include "text/hqv_box.h"

namespace ovik::links {

bool HasSelection(const THQVbox& b) { return b.hasSelection && Before(b.SelectionStart(), b.SelectionEnd()); }

std::string SelectionText(const THQVbox& box) {
    if (!HasSelection(box)) return "";
    TextPosition s = box.SelectionStart(), e = box.SelectionEnd();
    std::string text;
    for (int32_t pi = s.paragraphIndex; pi <= e.paragraphIndex && pi < box.ParagraphCount(); ++pi) {
        const THQVparag& p = box.Paragraph(pi);
        const int32_t from = pi == s.paragraphIndex ? s.charIndex : 0;
        const int32_t to = pi == e.paragraphIndex ? std::min(e.charIndex, p.Length()) : p.Length();
        if (pi != s.paragraphIndex) text += '\n';
        for (int32_t i = std::max(0, from); i < to; ++i)
            if (p.Records()[size_t(i)].object < 0) text += p.Text()[size_t(i)];
    }
    return text;
}

int32_t LinkAtSelection(const THQVbox& box) {
    TextPosition p = HasSelection(box) ? box.SelectionStart() : box.caret;
    if (p.paragraphIndex < 0 || p.paragraphIndex >= box.ParagraphCount()) return -1;
    const THQVparag& par = box.Paragraph(p.paragraphIndex);
    if (p.charIndex < 0 || p.charIndex >= par.Length()) return -1;
    return par.Records()[size_t(p.charIndex)].link;
}

int32_t SelectLinkUnder(BoxEditor& editor, int32_t x, int32_t y) {
    int32_t pi = -1;
    const int32_t ci = editor.CharAt(x, y, pi);
    if (ci < 0 || pi < 0) return -1;
    const THQVparag& par = editor.Box().Paragraph(pi);
    const auto& recs = par.Records();
    const int32_t link = recs[size_t(ci)].link;
    if (link == kNoLink) return -1;
    int32_t from = ci, to = ci + 1;
    while (from > 0 && recs[size_t(from - 1)].link == link) --from;
    while (to < par.Length() && recs[size_t(to)].link == link) ++to;
    // The caret goes to the span's start, where following "the link at the
    // caret" finds this link even when another one starts right after it.
    editor.SetSelection(editor.Box().MakePosition(pi, to), editor.Box().MakePosition(pi, from));
    return link;
}

int32_t LinkValueFor(THQVpage& page, std::unique_ptr<THQVoggetto> target) {
    PageWorkingCopy* wc = page.WorkingCopy();
    if (!wc || !target) return -1;
    if (target->Kind() == internetLink) {
        // One object per address: an equal address the page holds is reused.
        for (size_t i = 0; i < wc->localLinks.size(); ++i) {
            THQVoggetto* l = wc->localLinks[i].object.get();
            if (l && l->Kind() == internetLink && !l->IsFree() && l->Name() == target->Name())
                return MakeId(kPageLocalKind, int32_t(i));
        }
    }
    PageObjectsHost host(page, *wc);
    return host.AddPageLink(std::move(target));
}

int32_t LinkValueFor(THQVpage& page, const THQVoggetto& target) {
    PageWorkingCopy* wc = page.WorkingCopy();
    if (!wc || target.IsFree()) return -1;
    switch (target.Kind()) {
        case testoHtml:
        case genLink:
            return target.IsRegistered() && target.Owner() == wc->Set() ? target.Id() : -1;
        case internetLink:
        case speclink:
        case shortObj: {
            auto copy = THQVoggetto::Create(wc->Set(), target.Kind());
            copy->Assign(target);
            copy->SetOwner(wc->Set());
            copy->MarkRegistered(false);
            return LinkValueFor(page, std::move(copy));
        }
        default: return -1;
    }
}

namespace {
bool CheckSelection(THQVpage& page, platform::Messages& messages) {
    if (!page.Box() || !HasSelection(*page.Box())) {
        messages.Warning(kSelectFirst);
        return false;
    }
    return true;
}
}  // namespace

bool LinkSelection(THQVpage& page, BoxEditor& editor, const THQVoggetto* target,
                   platform::Messages& messages) {
    if (!CheckSelection(page, messages)) return false;
    const int32_t value = target ? LinkValueFor(page, *target) : -1;
    if (target && value == -1) {
        messages.Information("Non definito o non supportato.");
        return false;
    }
    editor.SetLink(value);
    return true;
}

bool LinkSelection(THQVpage& page, BoxEditor& editor, std::unique_ptr<THQVoggetto> target,
                   platform::Messages& messages) {
    if (!CheckSelection(page, messages)) return false;
    const int32_t value = LinkValueFor(page, std::move(target));
    if (value == -1) return false;
    editor.SetLink(value);
    return true;
}

bool SelfLink(THQVpage& page, BoxEditor& editor, platform::Messages& messages) {
    if (!CheckSelection(page, messages)) return false;
    std::string text = SelectionText(*page.Box());
    while (!text.empty() && (text.back() == ' ' || text.back() == '\n')) text.pop_back();
    while (!text.empty() && (text.front() == ' ' || text.front() == '\n')) text.erase(0, 1);
    if (text.empty() || text.find('\n') != std::string::npos) {
        messages.Warning(kSelectFirst);
        return false;
    }
    if (text.size() > 127) text.resize(127);
    THQVset* set = page.WorkingCopy()->Set();
    return LinkSelection(page, editor, set->NewInternetLink(text), messages);
}

int32_t InsertAnchor(THQVpage& page, BoxEditor& editor, int32_t number) {
    PageWorkingCopy* wc = page.WorkingCopy();
    if (!wc || !page.Box()) return -1;
    if (number < 0) number = page.NextFreeAnchorNumber();
    const int32_t index = page.AddControl({NewAnchor(*wc->Set(), number), -1, false});
    PlacedObject* control = page.ControlAt(index);
    if (!control) return -1;
    editor.InsertObject(control, false);
    return number;
}

std::unique_ptr<THQVoggetto> PageAnchorLink(THQVset& set, int32_t pageId, int32_t anchor) {
    auto special = NewSpecialLink(set, kSpecGoTo);
    SpecialLink s{*special};
    s.SetTarget(pageId);
    s.SetAnchor(anchor);
    return special;
}

int32_t ZoneLinkValue(THQVpage& page, const THQVoggetto& target, int32_t anchor) {
    PageWorkingCopy* wc = page.WorkingCopy();
    if (!wc) return -1;
    if (target.Kind() == testoHtml && anchor >= 0 && target.IsRegistered())
        return LinkValueFor(page, PageAnchorLink(*wc->Set(), target.Id(), anchor));
    // The zone keeps the identifier of a page; it makes its own copy of a
    // link object when it is linked.
    return target.IsRegistered() && !target.IsFree() ? target.Id() : -1;
}

bool LinkZoneToLastAnchor(THQVpage& page, PlacedObject* picture, int32_t zone, int32_t lastAnchor,
                          platform::Messages& messages) {
    auto* image = dynamic_cast<TMyyImage*>(picture);
    if (!image || zone < 0 || size_t(zone) >= image->Zones().size() || !page.WorkingCopy()) {
        messages.Error(kNoZoneSelected);
        return false;
    }
    auto special = NewSpecialLink(*page.WorkingCopy()->Set(), kSpecGoTo);
    SpecialLink s{*special};
    s.SetAction(kActAnchorInPage);
    s.SetAnchor(lastAnchor);
    const int32_t value = LinkValueFor(page, std::move(special));
    return value != -1 && image->LinkZone(zone, value);
}

}  // namespace ovik::links
