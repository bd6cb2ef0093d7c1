#include "app/album.h"

#include <algorithm>
#include <cstring>

#include "document/format1.h"
#include "document/picture.h"

namespace ovik::app {

namespace {

int HexDigit(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

// The identifier of an object tag starting at p ("<$" + 8 digits + ">"), or
// nothing when p holds no whole tag.
bool TagAt(const uint8_t* p, size_t left, int32_t& id) {
    if (left < 11 || p[0] != '<' || p[1] != '$' || p[10] != '>') return false;
    uint32_t v = 0;
    for (int i = 2; i < 10; ++i) v = (v << 4) | uint32_t(HexDigit(p[i]));
    id = int32_t(v);
    return true;
}

size_t TextEnd(const Bytes& c) {
    const void* z = c.empty() ? nullptr : std::memchr(c.data(), 0, c.size());
    return z ? size_t(static_cast<const uint8_t*>(z) - c.data()) : c.size();
}

bool ContentNames(const Bytes& c, const std::vector<int32_t>& ids) {
    size_t end = TextEnd(c);
    int32_t id;
    for (size_t i = 0; i + 1 < end; ++i)
        if (TagAt(&c[i], end - i, id) && std::find(ids.begin(), ids.end(), id) != ids.end()) return true;
    return false;
}

// The identifiers that stand for `o` in page text: its own, and for a picture
// those of the placements that show it.
std::vector<int32_t> TagIds(const THQVset& set, const THQVoggetto& o) {
    std::vector<int32_t> ids{o.Id()};
    if (o.Kind() == immagine) {
        for (int32_t n = 0; n < set.ObjectCount(immagineNew); ++n) {
            THQVoggetto* pl = set.GetObject(immagineNew, n);
            if (pl && !pl->IsFree() && pl->I32(0) == o.Number()) ids.push_back(pl->Id());
        }
    }
    if (o.Kind() == genLink) {
        for (int32_t n = 0; n < set.ObjectCount(multiMedia); ++n) {
            THQVoggetto* m = set.GetObject(multiMedia, n);
            if (m && !m->IsFree() && m->I32(21) == o.Id()) ids.push_back(m->Id());
        }
    }
    return ids;
}

bool PageRefersTo(const THQVtesto& p, const THQVoggetto& o, const std::vector<int32_t>& ids) {
    if (o.Kind() == immagine && p.I32(page_rec::kBackPicture) == o.Number()) return true;
    if (o.Kind() == testoHtml && (p.I32(page_rec::kHeaderPage) == o.Number() ||
                                  p.I32(page_rec::kFooterPage) == o.Number()))
        return true;
    const Bytes* c = p.MemContent();
    return c && ContentNames(*c, ids);
}

// Removes the tags of `ids` from page text; a link's span end ("<%>") after
// its tag goes with it.
bool RemoveTags(Bytes& c, const std::vector<int32_t>& ids) {
    size_t end = TextEnd(c);
    Bytes out;
    out.reserve(c.size());
    bool changed = false;
    int pendingSpanEnds = 0;
    int32_t id;
    for (size_t i = 0; i < end;) {
        if (TagAt(&c[i], end - i, id) && std::find(ids.begin(), ids.end(), id) != ids.end()) {
            uint8_t k = IdKind(id);
            if (k == internetLink || k == speclink) ++pendingSpanEnds;
            i += 11;
            changed = true;
            continue;
        }
        if (pendingSpanEnds > 0 && end - i >= 3 && std::memcmp(&c[i], "<%>", 3) == 0) {
            --pendingSpanEnds;
            i += 3;
            continue;
        }
        out.push_back(c[i++]);
    }
    if (!changed) return false;
    out.insert(out.end(), c.begin() + std::ptrdiff_t(end), c.end());
    if (out.empty() || out.back() != 0) out.push_back(0);
    c = std::move(out);
    return true;
}

}  // namespace

Usage WhereUsed(const THQVset& set, const THQVoggetto& o) { return WhereUsed(set, o, {}); }

Usage WhereUsed(const THQVset& set, const THQVoggetto& o, const std::function<bool()>& stopRequested) {
    Usage u;
    std::vector<int32_t> ids = TagIds(set, o);
    for (int32_t n = 0; n < set.ObjectCount(testoHtml); ++n) {
        if (stopRequested && stopRequested()) return u;
        THQVtesto* p = set.Page(n);
        if (!p || p->IsFree() || p == &o) continue;
        if (PageRefersTo(*p, o, ids)) u.pages.push_back(n);
    }
    if (stopRequested && stopRequested()) return u;
    std::vector<THQVoggetto*> customs;
    set.CustomObjectsUsing(o, customs);
    for (THQVoggetto* c : customs)
        if (c != &o) u.customObjects.push_back(c->Number());
    if (o.Kind() == testoHtml)
        u.hypertextDefault = set.HdrI32(hdr::kDefaultHeader) == o.Number() ||
                             set.HdrI32(hdr::kDefaultFooter) == o.Number();
    if (o.Kind() == immagine) u.hypertextDefault = set.HdrI32(hdr::kBackPicture) == o.Number();
    return u;
}

std::vector<std::string> UsageLines(const THQVset& set, const THQVoggetto& o, const Usage& u) {
    std::vector<std::string> lines;
    std::string name = o.Description();
    if (u.Unused()) {
        lines.push_back(name + " sembra inutilizzato.");
        return lines;
    }
    lines.push_back(name + " è usato in:");
    for (int32_t n : u.pages) {
        THQVtesto* p = set.Page(n);
        lines.push_back("   pagina " + std::to_string(n) + ": " + (p ? p->Title() : std::string()));
    }
    for (int32_t n : u.customObjects) {
        THQVoggetto* c = set.GetObject(custom, n);
        lines.push_back("   prototipo " + std::to_string(n) + ": " + (c ? c->Name() : std::string()));
    }
    if (u.hypertextDefault) lines.push_back("   proprietà dell'ipertesto");
    return lines;
}

void RemoveReferences(THQVset& set, const THQVoggetto& o) {
    std::vector<int32_t> ids = TagIds(set, o);
    for (int32_t n = 0; n < set.ObjectCount(testoHtml); ++n) {
        THQVtesto* p = set.Page(n);
        if (!p || p->IsFree() || p == &o) continue;
        if (p->ContentFormat() < 2) p->ConvertFormat1();
        if (Bytes* c = p->MutableContent(); c && RemoveTags(*c, ids)) set.SetModified(true);
        if (o.Kind() == immagine && p->I32(page_rec::kBackPicture) == o.Number())
            p->SetI32(page_rec::kBackPicture, -1);
        if (o.Kind() == testoHtml) {
            // The page's own header or footer goes; the hypertext's default applies.
            if (p->I32(page_rec::kHeaderPage) == o.Number()) p->SetI32(page_rec::kHeaderPage, -1);
            if (p->I32(page_rec::kFooterPage) == o.Number()) p->SetI32(page_rec::kFooterPage, -1);
        }
    }
    // Placements and players of the object go with it.
    for (size_t i = 1; i < ids.size(); ++i)
        if (THQVoggetto* x = set.GetObjectById(ids[i]); x && !x->IsFree()) x->MakeFree();
    std::vector<THQVoggetto*> customs;
    set.CustomObjectsUsing(o, customs);
    for (THQVoggetto* c : customs) {
        Bytes* b = c->MutableContent();
        if (!b || b->size() < 4) continue;
        int32_t len = GetI32(b->data());
        for (int32_t off = 4; len > 0 && off + 4 <= 4 + len && size_t(off + 4) <= b->size(); off += 4)
            if (GetI32(&(*b)[size_t(off)]) == o.Id()) PutI32(&(*b)[size_t(off)], 0);
    }
    if (o.Kind() == testoHtml) {
        if (set.HdrI32(hdr::kDefaultHeader) == o.Number()) set.SetHdrI32(hdr::kDefaultHeader, -1);
        if (set.HdrI32(hdr::kDefaultFooter) == o.Number()) set.SetHdrI32(hdr::kDefaultFooter, -1);
        if (set.ContentsPage() == o.Number()) set.SetHdrI32(hdr::kContentsPage, 0);
        if (set.CoverPage() == o.Number()) set.SetHdrI32(hdr::kCoverPage, 0);
    }
    if (o.Kind() == immagine && set.HdrI32(hdr::kBackPicture) == o.Number())
        set.SetHdrI32(hdr::kBackPicture, -1);
    set.SetModified(true);
}

bool DeleteObject(THQVset& set, THQVoggetto& o) {
    if (o.Id() == 0 || o.IsFree() || o.Owner() != &set || !o.IsRegistered()) return false;
    RemoveReferences(set, o);
    if (o.Kind() == genLink && !o.ExternalFile().empty()) {
        // Only the set's own copy is deleted, never a file elsewhere.
        std::error_code ec;
        auto temp = std::filesystem::weakly_canonical(set.TempFolder(), ec);
        auto file = std::filesystem::weakly_canonical(o.ExternalFile(), ec);
        auto rel = file.lexically_relative(temp);
        if (!ec && !rel.empty() && *rel.begin() != "..") std::filesystem::remove(file, ec);
    }
    o.MakeFree();
    set.SetModified(true);
    return true;
}

int32_t NewEmptyPage(THQVset& set) {
    THQVoggetto* p = set.AddNewObject(testoHtml);
    return p ? p->Number() : -1;
}

bool ReplacePictureFrom(THQVset& set, THQVoggetto& picture, const std::filesystem::path& file) {
    if (picture.Kind() != immagine || picture.IsFree()) return false;
    std::vector<const THQVoggetto*> before;
    for (int32_t n = 0; n < set.ObjectCount(immagine); ++n)
        if (THQVoggetto* x = set.GetObject(immagine, n); x && !x->IsFree()) before.push_back(x);
    THQVoggetto* added = set.AddPictureFile(file);
    if (!added || added == &picture) return added == &picture;
    bool existed = std::find(before.begin(), before.end(), added) != before.end();
    bool ok = picture.ReplaceContent(*added);
    // A picture the file added only for this is freed; an equal picture that
    // was there already stays.
    if (!existed) added->MakeFree();
    set.SetModified(true);
    return ok;
}

}  // namespace ovik::app
