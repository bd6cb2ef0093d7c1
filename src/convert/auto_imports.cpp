#include "convert/auto_imports.h"

#include <filesystem>
#include <map>
#include <string>

#include "convert/hqv_to_html.h"
#include "core/codepage.h"
#include "document/format1.h"
#include "document/hqv_set.h"
#include "links/link_objects.h"

namespace ovik {

ImportedPages::ImportedPages(THQVset& set) {
    // The first page of each source name, as FindPageBySourceName gives it.
    for (int32_t p = 0; p < set.ObjectCount(testoHtml); ++p)
        if (THQVtesto* page = set.Page(p); page && !page->IsFree() && page->HasWrapper()) {
            std::string name = page->SourceName();
            if (!name.empty()) sources_.emplace(cp1252::Upper(name), page);
        }
}

THQVtesto* ImportedPages::Find(const std::string& path) {
    auto it = sources_.find(cp1252::Upper(path));
    return it == sources_.end() ? ByMarker(path) : it->second;
}

// A site exported by this program writes a page twice when other pages open
// it alone (its main and its secondary file), and an import reads only one of
// them. Both carry the same page marker: the file not read leads to the page
// read from its twin.
THQVtesto* ImportedPages::ByMarker(const std::string& path) {
    const std::filesystem::path file(cp1252::ToUtf8(path));
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return nullptr;
    const std::string key = MarkerKey(file);
    if (key.empty()) return nullptr;
    if (!markersRead_) {
        markersRead_ = true;
        for (const auto& [name, page] : sources_) {
            const std::filesystem::path source(cp1252::ToUtf8(page->SourceName()));
            if (!std::filesystem::is_regular_file(source, ec)) continue;
            if (std::string k = MarkerKey(source); !k.empty()) markers_.emplace(k, page);
        }
    }
    auto it = markers_.find(key);
    return it == markers_.end() ? nullptr : it->second;
}

std::string ImportedPages::MarkerKey(const std::filesystem::path& file) {
    const PageMarker m = THQVtoHtml::ReadPageMarker(file);
    if (m.hypertext.empty()) return {};
    return cp1252::Upper(m.hypertext) + "|" + std::to_string(m.page);
}

namespace {

class Resolver {
public:
    explicit Resolver(THQVset& set) : set_(set), imported_(set) {}

    // The identifier that replaces a reference to auto-import link `id`: the
    // page's, or the link itself turned into a go-to link when it names an
    // anchor. -1 when it stays.
    int32_t Resolved(int32_t id) {
        THQVtesto* page = ImportedPage(id);
        if (!page) return -1;
        THQVoggetto* o = set_.GetObjectById(id);
        links::SpecialLink l{*o};
        // A plain link names the page itself; one that names an anchor, or
        // opens the page elsewhere (a page exported by this program says
        // where), becomes a go-to link that keeps them.
        if (l.Anchor() < 0 && l.Action() == links::kActJump && l.WindowName().empty()) return page->Id();
        l.SetSubtype(links::kSpecGoTo);
        l.SetTarget(page->Id());
        o->ClearContent();
        return id;
    }

    void Field(THQVoggetto& o, size_t off) {
        const int32_t to = Resolved(o.I32(off));
        if (to < 0) return;
        o.SetI32(off, to);
        ++count;
    }

    // The link fields inside an object.
    void Object(THQVoggetto& o) {
        switch (o.Kind()) {
            case speclink:
                if (links::SpecialLink{o}.Subtype() == links::kSpecGoTo) Field(o, links::spec_rec::kTarget);
                break;
            case shortObj: Field(o, 5); break;
            case immagineNew:
                for (size_t z = 0; z < 30; ++z) Field(o, 73 + 16 * z);
                break;
            case bottoneCGI: Field(o, 181); break;
            default: break;
        }
    }

    int32_t count = 0;

private:
    // The page an "Auto import" link leads to once its file is imported; null
    // for any other object.
    THQVtesto* ImportedPage(int32_t id) {
        if (id < 0 || IdKind(id) != speclink) return nullptr;
        THQVoggetto* o = set_.GetObjectById(id);
        if (!o || o->IsFree()) return nullptr;
        links::SpecialLink l{*o};
        if (l.Subtype() != links::kSpecAutoImport) return nullptr;
        return imported_.Find(l.ImportPath());
    }

    THQVset& set_;
    ImportedPages imported_;
};

}  // namespace

int32_t ResolveAutoImports(THQVset& set) {
    Resolver r(set);
    for (int32_t p = 0; p < set.ObjectCount(testoHtml); ++p) {
        THQVtesto* page = set.Page(p);
        if (!page || page->IsFree()) continue;
        Bytes content;
        if (!page->HasContent() || !page->ReadContent(content) || content.empty()) {
            page->SetContent(Bytes{'<', 'Z', ' ', 'S', '0', ' ', '>', 0});
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
                const int32_t to = r.Resolved(id);
                if (to >= 0) ++r.count;
                if (to >= 0 && to != id) {
                    WriteTagDigits(content.data() + i + 2, uint32_t(to));
                    changed = true;
                }
            } else {
                r.Object(*o);
            }
            i += 10;
        }
        if (changed) page->SetContent(std::move(content));
    }
    // Special links that other objects name (for example a zone's link).
    for (int32_t k = 0; k < set.ObjectCount(speclink); ++k)
        if (THQVoggetto* o = set.GetObject(speclink, k); o && !o->IsFree()) r.Object(*o);
    return r.count;
}

}  // namespace ovik
