#include "app/references.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "core/codepage.h"
#include "document/format1.h"
#include "document/keywords.h"
#include "page/page_record.h"
#include "page/working_copy.h"

namespace ovik::app {

namespace {

constexpr const char* kPlaceholders[] = {"!RefI:", "!RefL:", "!RefP:", "!RefF:"};
constexpr size_t kZones = 30, kZoneSlot = 73, kZoneSize = 16;
constexpr size_t kDbLinks[] = {51, 55, 59, 63};

bool HexDigits(const uint8_t* p) {
    for (int i = 0; i < 8; ++i)
        if (!std::isxdigit(p[i])) return false;
    return true;
}

// Calls fn(offset of the eight digits) for every placeholder of the extra
// HTML that names `id`. The text follows the stream's leading int32 n and its
// n bytes, and ends at a zero byte.
template <class Fn>
void ForEachPlaceholder(const Bytes& w, int32_t id, Fn&& fn) {
    if (w.size() < 4) return;
    const int32_t n = GetI32(w.data());
    if (n < 0 || size_t(n) > w.size() - 4) return;
    const size_t from = 4 + size_t(n);
    const void* z = std::memchr(w.data() + from, 0, w.size() - from);
    const size_t to = z ? size_t(static_cast<const uint8_t*>(z) - w.data()) : w.size();
    for (size_t i = from; i + 14 <= to; ++i) {
        if (w[i] != '!') continue;
        for (const char* ph : kPlaceholders)
            if (std::memcmp(&w[i], ph, 6) == 0 && HexDigits(&w[i + 6]) && ParseTagDigits(&w[i + 6]) == uint32_t(id))
                fn(i + 6);
    }
}

bool Low24Is(int32_t v, int32_t n) { return v != -1 && (uint32_t(v) & 0xFFFFFFu) == uint32_t(n); }

// A link field as the tests see it: a special link of subtype 1 stands for its
// target, any other special link for nothing.
int32_t Resolved(const THQVset& set, int32_t v) {
    if (v < 0 || IdKind(v) != speclink) return v;
    const THQVoggetto* s = set.GetObject(speclink, IdNumber(v));
    return s && !s->IsFree() && s->State() == 1 ? s->I32(13) : -1;
}

// The page's text: in memory, or read from the file.
const Bytes* ContentOf(const THQVoggetto& o, Bytes& scratch) {
    if (const Bytes* c = o.MemContent()) return c;
    scratch.clear();
    o.ReadContent(scratch);
    return &scratch;
}

// Runs fn on a copy of the object's content and stores it when fn says it
// changed it (the content may still be in the file).
template <class Fn>
void EditContent(THQVoggetto& o, Fn&& fn) {
    Bytes scratch;
    Bytes c = *ContentOf(o, scratch);
    if (fn(c)) o.SetContent(std::move(c));
}

// The identifiers at the start of a custom object's content: an int32 byte
// count b, then b / 4 identifiers. Calls fn(offset) for each.
template <class Fn>
void ForEachListedId(const Bytes& c, Fn&& fn) {
    if (c.size() < 4) return;
    const int32_t b = GetI32(c.data());
    if (b <= 0) return;
    for (size_t off = 4; off + 4 <= c.size() && off + 4 <= 4 + size_t(b); off += 4) fn(off);
}

Reason Walk(const THQVset& set, const Bytes& content, int32_t id) {
    Reason found = Reason::None;
    ForEachObjectTag(content, [&](size_t, uint32_t value) {
        if (found != Reason::None) return;
        const THQVoggetto* x = set.GetObjectById(int32_t(value));
        if (x && !x->IsFree() && x->Kind() != testoHtml) found = RefersTo(set, *x, id);
    });
    return found;
}

bool NamesTag(const Bytes& content, int32_t id) {
    bool found = false;
    ForEachObjectTag(content, [&](size_t, uint32_t value) { found = found || value == uint32_t(id); });
    return found;
}

Reason PictureReference(const THQVset& set, const THQVoggetto& o, int32_t id) {
    const int32_t n = IdNumber(id);
    switch (o.Kind()) {
        case testoHtml: {
            if (o.I32(page_rec::kBackPicture) == n) return Reason::PageBackground;
            Bytes scratch;
            return Walk(set, *ContentOf(o, scratch), id);
        }
        case tabellaHtml: {
            const std::vector<int32_t> pictures = CellPictures(o);
            return std::find(pictures.begin(), pictures.end(), n) != pictures.end() ? Reason::TableBackground
                                                                                     : Reason::None;
        }
        case dbloc:
            // Older elements keep the number, newer ones the identifier.
            return o.I32(47) == n || o.I32(47) == id ? Reason::LocalDatabase : Reason::None;
        case immagineNew:
            for (size_t off : {0, 5, 9})
                if (o.I32(off) == n) return Reason::Text;
            return Reason::None;
        case inputStat: return o.State() == 18 && Low24Is(o.I32(112), n) ? Reason::FloatingFrame : Reason::None;
        case bottoneCGI: return Low24Is(o.I32(177), n) ? Reason::Button : Reason::None;
        case multiMedia:
            // A custom instance's picture properties are not examined.
            return o.State() != 6 && Low24Is(o.I32(21), n) ? Reason::MultimediaPicture : Reason::None;
        default: return Reason::None;
    }
}

Reason OtherReference(const THQVset& set, const THQVoggetto& o, int32_t id) {
    switch (o.Kind()) {
        case testoHtml: {
            if (o.I32(page_rec::kSlideTarget) == id) return Reason::NextSlide;
            if (o.I32(page_rec::kHeaderPage) == id || o.I32(page_rec::kFooterPage) == id)
                return Reason::HeaderOrFooter;
            Bytes scratch;
            const Bytes& c = *ContentOf(o, scratch);
            return NamesTag(c, id) ? Reason::Text : Walk(set, c, id);
        }
        case speclink: return o.State() == 1 && o.I32(13) == id ? Reason::SpecialLink : Reason::None;
        case shortObj:
            return o.State() == 13 && Resolved(set, o.I32(5)) == id ? Reason::WindowObject : Reason::None;
        case custom: {
            if (IdKind(id) != genLink) return Reason::None;
            Bytes scratch;
            const Bytes& c = *ContentOf(o, scratch);
            bool found = false;
            ForEachListedId(c, [&](size_t off) {
                const int32_t v = GetI32(&c[off]);
                found = found || (v != 0 && v == id);
            });
            return found ? Reason::Prototype : Reason::None;
        }
        case dbloc:
            for (size_t off : kDbLinks)
                if (Resolved(set, o.I32(off)) == id) return Reason::LocalDatabase;
            return Reason::None;
        case immagineNew:
            for (size_t z = 0; z < kZones; ++z)
                if (Resolved(set, o.I32(kZoneSlot + kZoneSize * z)) == id) return Reason::ClickMap;
            return Reason::None;
        case inputStat:
            return o.State() == 18 && Resolved(set, o.I32(108)) == id ? Reason::FloatingFrame : Reason::None;
        case bottoneCGI: return Resolved(set, o.I32(181)) == id ? Reason::Button : Reason::None;
        case multiMedia:
            if (o.State() == 6) return Resolved(set, o.I32(17)) == id ? Reason::CustomInstance : Reason::None;
            return o.I32(17) == id ? Reason::Multimedia : Reason::None;
        default: return Reason::None;
    }
}

// Clearing a link field: the object itself goes, a special link that leads
// to it loses its target (and the field keeps naming the special link).
int32_t ClearLink(THQVset& set, int32_t v, int32_t id) {
    if (v == -1 || v == id) return -1;
    if (v >= 0 && IdKind(v) == speclink)
        if (THQVoggetto* s = set.GetObject(speclink, IdNumber(v)); s && !s->IsFree() && s->State() == 1 &&
                                                                   s->I32(13) == id)
            s->SetI32(13, -1);
    return v;
}

// Clearing a picture field: a picture number stands for the picture's
// identifier; larger values are identifiers already.
int32_t ClearPicture(THQVset& set, int32_t v, int32_t id) {
    if (v == -1) return -1;
    if (uint32_t(v) > 0xFFFFFFu) return ClearLink(set, v, id);
    const int32_t r = ClearLink(set, MakeId(immagine, v), id);
    return r == -1 ? -1 : IdNumber(r);
}

void ClearLinkAt(THQVset& set, THQVoggetto& o, size_t off, int32_t id) { o.SetI32(off, ClearLink(set, o.I32(off), id)); }
void ClearPictureAt(THQVset& set, THQVoggetto& o, size_t off, int32_t id) {
    o.SetI32(off, ClearPicture(set, o.I32(off), id));
}

// The page's text without the tags of `id` (a link's tag together with the
// end of its span), with every other tagged object cleared of `id` in turn; a
// placed picture that loses its picture goes with its tag.
bool ClearPageText(THQVset& set, Bytes& c, int32_t id) {
    size_t end = 0;
    while (end < c.size() && c[end] != 0) ++end;
    std::vector<std::pair<size_t, bool>> drop;  // tag position, and whether it opens a link span
    ForEachObjectTag(c, [&](size_t pos, uint32_t value) {
        const int32_t v = int32_t(value);
        if (v == id) {
            // A tag of a kind that opens a link span in the text (a page, an
            // embedded file, an address, a special link) takes the span's end
            // with it.
            const uint8_t k = IdKind(v);
            drop.push_back({pos, k == internetLink || k == speclink || k == testoHtml || k == genLink});
            return;
        }
        ClearLink(set, v, id);
        THQVoggetto* x = set.GetObjectById(v);
        if (!x || x->IsFree() || x->Kind() == testoHtml) return;
        const bool hadPicture = x->Kind() == immagineNew && x->I32(0) != -1;
        RemoveReferencesTo(set, *x, id);
        if (hadPicture && x->I32(0) == -1) {
            x->MakeFree();
            drop.push_back({pos, false});
        }
    });
    if (drop.empty()) return false;
    Bytes out;
    out.reserve(c.size());
    size_t next = 0;
    int pendingSpanEnds = 0;
    for (size_t i = 0; i < end;) {
        if (next < drop.size() && drop[next].first == i) {
            if (drop[next].second) ++pendingSpanEnds;
            ++next;
            i += 11;
            continue;
        }
        if (pendingSpanEnds > 0 && end - i >= 3 && std::memcmp(&c[i], "<%>", 3) == 0) {
            --pendingSpanEnds;
            i += 3;
            continue;
        }
        out.push_back(c[i++]);
    }
    out.insert(out.end(), c.begin() + std::ptrdiff_t(end), c.end());
    if (out.empty() || out.back() != 0) out.push_back(0);
    c = std::move(out);
    return true;
}

}  // namespace

const char* ReasonText(Reason r) {
    switch (r) {
        case Reason::None: return "Nessun riferimento";
        case Reason::Text: return "nel testo";
        case Reason::PageBackground: return "nello sfondo testo";
        case Reason::TableBackground: return "nello sfondo di una tabella";
        case Reason::HeaderOrFooter: return "come intestazione o piè di pagina";
        case Reason::NextSlide: return "come diapositiva successiva";
        case Reason::ScriptHtml: return "come script/html";
        case Reason::MultimediaPicture: return "come immagine alternativa a multimedia";
        case Reason::FloatingFrame: return "come/in cornice libera";
        case Reason::Button: return "come/in bottone";
        case Reason::SpecialLink: return "in collegamento speciale";
        case Reason::ClickMap: return "in mappa cliccabile";
        case Reason::WindowObject: return "in oggetto \"lancia finestra\"";
        case Reason::Prototype: return "in prototipo";
        case Reason::Multimedia: return "in multimedia";
        case Reason::CustomInstance: return "in oggetto personalizzato - istanza di prototipo";
        case Reason::LocalDatabase: return "in oggetto DB locale";
    }
    return "";
}

void ConvertOldPages(THQVset& set) {
    for (int32_t n = 0; n < set.ObjectCount(testoHtml); ++n)
        if (THQVtesto* p = set.Page(n); p && !p->IsFree() && p->ContentFormat() < 2) p->ConvertFormat1();
}

Reason RefersTo(const THQVset& set, const THQVoggetto& o, int32_t id) {
    if (o.IsFree()) return Reason::None;
    if (o.Kind() != custom && o.Wrapper()) {
        bool found = false;
        ForEachPlaceholder(*o.Wrapper(), id, [&](size_t) { found = true; });
        if (found) return Reason::ScriptHtml;
    }
    if (IdKind(id) == keyword) {
        if (o.Kind() != testoHtml) return Reason::None;
        for (size_t i = 0; i < 20; ++i)
            if (o.I32(page_rec::kKeywords + 4 * i) == IdNumber(id)) return Reason::Text;
        return Reason::None;
    }
    if (IdKind(id) == immagine) return PictureReference(set, o, id);
    return OtherReference(set, o, id);
}

void RemoveReferencesTo(THQVset& set, THQVoggetto& o, int32_t id) {
    if (o.IsFree()) return;
    const uint8_t k = o.Kind();
    if (k != custom && o.Wrapper()) {
        Bytes w = *o.Wrapper();
        bool changed = false;
        ForEachPlaceholder(w, id, [&](size_t at) {
            std::memcpy(&w[at], "ffffffff", 8);
            changed = true;
        });
        if (changed) o.SetWrapper(std::move(w));
    }
    if (IdKind(id) == keyword) {
        // A keyword is named only by pages' keyword slots.
        if (k == testoHtml && ClearKeywordFromPage(o, IdNumber(id))) set.SetModified(true);
        return;
    }
    switch (k) {
        case testoHtml: {
            auto& page = static_cast<THQVtesto&>(o);
            if (page.ContentFormat() < 2) page.ConvertFormat1();
            Bytes scratch;
            Bytes c = *ContentOf(page, scratch);
            if (ClearPageText(set, c, id)) page.SetContent(std::move(c));
            ClearPictureAt(set, page, page_rec::kBackPicture, id);
            for (size_t off : {page_rec::kSlideTarget, page_rec::kHeaderPage, page_rec::kFooterPage})
                if (page.I32(off) == id) page.SetI32(off, -1);
            break;
        }
        case tabellaHtml:
            if (IdKind(id) == immagine) MapCellPictures(o, [&](int32_t n) { return n == IdNumber(id) ? -1 : n; });
            break;
        case speclink:
            if (o.State() == 1) ClearLinkAt(set, o, 13, id);
            break;
        case shortObj:
            if (o.State() == 13) ClearLinkAt(set, o, 5, id);
            break;
        case custom:
            EditContent(o, [&](Bytes& c) {
                bool changed = false;
                ForEachListedId(c, [&](size_t off) {
                    const int32_t v = GetI32(&c[off]), w = ClearLink(set, v, id);
                    if (w != v) {
                        PutI32(&c[off], w);
                        changed = true;
                    }
                });
                return changed;
            });
            break;
        case dbloc:
            for (size_t off : kDbLinks) ClearLinkAt(set, o, off, id);
            break;
        case immagineNew:
            for (size_t off : {0, 5, 9}) ClearPictureAt(set, o, off, id);
            for (size_t z = 0; z < kZones; ++z) ClearLinkAt(set, o, kZoneSlot + kZoneSize * z, id);
            break;
        case inputStat:
            ClearPictureAt(set, o, 112, id);
            if (o.State() == 18) ClearLinkAt(set, o, 108, id);
            break;
        case bottoneCGI:
            ClearLinkAt(set, o, 181, id);
            ClearPictureAt(set, o, 177, id);
            break;
        case multiMedia:
            ClearLinkAt(set, o, 17, id);
            if (o.State() != 5 && o.State() != 6) ClearPictureAt(set, o, 21, id);
            break;
        default: break;
    }
    set.SetModified(true);
}

void RemoveHypertextReferencesTo(THQVset& set, int32_t id) {
    for (size_t off : {hdr::kDefaultHeader, hdr::kDefaultFooter})
        if (set.HdrI32(off) == id) set.SetHdrI32(off, -1);
    for (size_t off : {hdr::kContentsPage, hdr::kCoverPage})
        if (set.HdrI32(off) == id) set.SetHdrI32(off, 0);
    if (IdKind(id) == immagine && set.HdrI32(hdr::kBackPicture) == IdNumber(id)) set.SetHdrI32(hdr::kBackPicture, -1);
    set.SetModified(true);
}

void RemoveAllReferencesTo(THQVset& set, int32_t id) {
    RemoveHypertextReferencesTo(set, id);
    for (uint8_t kind : {testoHtml, custom})
        for (int32_t n = 0; n < set.ObjectCount(kind); ++n)
            if (THQVoggetto* o = set.GetObject(kind, n); o && !o->IsFree()) RemoveReferencesTo(set, *o, id);
}

std::vector<std::string> ReferenceLines(const THQVset& set, int32_t id, const std::function<bool()>& stop) {
    const THQVoggetto* o = set.GetObjectById(id);
    if (!o || o->IsFree()) return {};
    const std::string name = "\"" + cp1252::Upper(o->Name()) + "\" ";
    std::vector<std::string> lines{"+ " + name + cp1252::FromUtf8("è presente in/collegato da /utilizzato in:")};
    for (uint8_t kind : {testoHtml, custom}) {
        for (int32_t n = 0; n < set.ObjectCount(kind); ++n) {
            if (stop && stop()) return {};
            const THQVoggetto* x = set.GetObject(kind, n);
            if (!x || x->IsFree()) continue;
            const Reason r = RefersTo(set, *x, id);
            if (r != Reason::None)
                lines.push_back("    - " + x->Name() + "   {" + cp1252::FromUtf8(ReasonText(r)) + "}");
        }
    }
    if (lines.size() == 1) return {"- " + name + "sembra inutilizzato."};
    return lines;
}

}  // namespace ovik::app
