#include "app/object_list.h"

#include <algorithm>

#include "core/codepage.h"
#include "links/link_objects.h"

namespace ovik::app {

uint64_t ObjectSize(const THQVoggetto& o) {
    switch (o.Kind()) {
        case testoHtml:
        case zipLink:
        case genLink: return o.ContentLength();
        case immagine: return o.MemContent() ? o.MemContent()->size() : o.ContentLength();
        case custom:
        case dbloc: return o.ContentLength() + (o.Wrapper() ? o.Wrapper()->size() : 0);
        default: return 0;
    }
}

RowIcon IconOf(const THQVoggetto& o) {
    switch (o.Kind()) {
        case testoHtml: return RowIcon::TextFile;
        case internetLink: {
            // The address decides (the description adds the kind's caption in front).
            const std::string n = o.Name();
            if (n.size() >= 4 && cp1252::EqualNoCase(n.substr(n.size() - 4), ".htm")) return RowIcon::HtmlFile;
            switch (n.empty() ? 0 : cp1252::Upper(n[0])) {
                case 'H': return RowIcon::HtmlFile;
                case 'M': return RowIcon::MessageFile;
                default: return RowIcon::Folder;
            }
        }
        case zipLink:
        case genLink:
        case immagine: return RowIcon::OfFileName;
        case custom: return RowIcon::IniFile;
        case dbloc: return RowIcon::DsnFile;
        case keyword: return RowIcon::None;
        default: return RowIcon::Folder;
    }
}

std::vector<ObjectRow> ObjectRows(const THQVset& set, uint8_t kind,
                                  const std::function<bool(const THQVoggetto&)>& filter) {
    std::vector<ObjectRow> rows;
    for (int32_t n = 0; n < set.ObjectCount(kind); ++n) {
        const THQVoggetto* o = set.GetObject(kind, n);
        if (!o || o->IsFree()) continue;
        if (kind == internetLink && o->State() == 6) continue;
        if (kind == dbloc && o->U8(46) != 11) continue;
        if (filter && !filter(*o)) continue;
        ObjectRow r;
        r.id = o->Id();
        const std::string description = o->Description();
        r.caption = links::ShortText(description);
        r.hint = links::HintText(description);
        r.size = ObjectSize(*o);
        r.fileName = o->FileName();
        if (kind == testoHtml) r.page = n;
        r.icon = IconOf(*o);
        rows.push_back(std::move(r));
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const ObjectRow& a, const ObjectRow& b) { return a.caption < b.caption; });
    return rows;
}

bool RenameObject(THQVset& set, THQVoggetto& o, const std::string& name) {
    if (o.IsFree() || name.empty()) return false;
    const std::string old = o.Name();
    if (o.Kind() == stileParagrafo) {
        if (cp1252::EqualNoCase(name, old) || set.StyleExists(name)) return false;
    } else if (name == old) {
        return false;
    }
    o.SetName(name);
    set.SetModified(true);
    return o.Name() != old;
}

}  // namespace ovik::app
