#include "convert/auto_imports.h"

#include "document/format1.h"
#include "document/hqv_set.h"
#include "links/link_objects.h"

namespace ovik {

namespace {

// The page an "Auto import" link leads to, once its file is imported; null
// for any other object.
THQVtesto* ImportedPage(THQVset& set, int32_t id) {
    if (id < 0 || IdKind(id) != speclink) return nullptr;
    THQVoggetto* o = set.GetObjectById(id);
    if (!o || o->IsFree()) return nullptr;
    links::SpecialLink l{*o};
    if (l.Subtype() != links::kSpecAutoImport) return nullptr;
    return set.FindPageBySourceName(l.ImportPath());
}

// The identifier that replaces a reference to auto-import link `id`: the
// page's, or the link itself turned into a go-to link when it names an
// anchor. -1 when it stays.
int32_t Resolved(THQVset& set, int32_t id) {
    THQVtesto* page = ImportedPage(set, id);
    if (!page) return -1;
    THQVoggetto* o = set.GetObjectById(id);
    links::SpecialLink l{*o};
    if (l.Anchor() < 0) return page->Id();
    l.SetSubtype(links::kSpecGoTo);
    l.SetTarget(page->Id());
    l.SetAction(links::kActJump);
    o->ClearContent();
    return id;
}

bool ResolveField(THQVset& set, THQVoggetto& o, size_t off, int32_t& count) {
    const int32_t id = o.I32(off);
    const int32_t to = Resolved(set, id);
    if (to < 0) return false;
    o.SetI32(off, to);
    ++count;
    return true;
}

void ResolveObject(THQVset& set, THQVoggetto& o, int32_t& count) {
    switch (o.Kind()) {
        case speclink: {
            links::SpecialLink l{o};
            if (l.Subtype() == links::kSpecGoTo) ResolveField(set, o, links::spec_rec::kTarget, count);
            break;
        }
        case shortObj: ResolveField(set, o, 5, count); break;
        case immagineNew:
            for (size_t z = 0; z < 30; ++z) ResolveField(set, o, 73 + 16 * z, count);
            break;
        case bottoneCGI: ResolveField(set, o, 181, count); break;
        default: break;
    }
}

}  // namespace

int32_t ResolveAutoImports(THQVset& set) {
    int32_t count = 0;
    for (int32_t p = 0; p < set.ObjectCount(testoHtml); ++p) {
        THQVtesto* page = set.Page(p);
        if (!page || page->IsFree()) continue;
        Bytes content;
        if (!page->HasContent() || !page->ReadContent(content) || content.empty()) {
            Bytes empty{'<', 'Z', ' ', 'S', '0', ' ', '>', 0};
            page->SetContent(std::move(empty));
            continue;
        }
        bool changed = false;
        for (size_t i = 0; i + 11 <= content.size(); ++i) {
            if (content[i] == 0) break;
            if (content[i] != '<' || content[i + 1] != '$') continue;
            const int32_t id = int32_t(ParseTagDigits(content.data() + i + 2));
            const uint8_t kind = IdKind(id);
            const bool linkKind = kind == speclink || kind == shortObj || kind == immagineNew ||
                                  (kind >= inputStat && kind <= multiMedia);
            if (!linkKind) continue;
            THQVoggetto* o = set.GetObjectById(id);
            if (!o || o->IsFree()) continue;
            if (kind == speclink) {
                const int32_t to = Resolved(set, id);
                if (to >= 0 && to != id) {
                    WriteTagDigits(content.data() + i + 2, uint32_t(to));
                    changed = true;
                    ++count;
                } else if (to == id) {
                    ++count;
                }
            } else {
                ResolveObject(set, *o, count);
            }
            i += 10;
        }
        if (changed) page->SetContent(std::move(content));
    }
    // Special links that other objects name (for example a zone's link).
    for (int32_t k = 0; k < set.ObjectCount(speclink); ++k)
        if (THQVoggetto* o = set.GetObject(speclink, k); o && !o->IsFree()) ResolveObject(set, *o, count);
    return count;
}

}  // namespace ovik
