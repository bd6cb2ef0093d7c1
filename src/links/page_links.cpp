#include "links/page_links.h"

#include "document/hqv_set.h"
#include "links/link_objects.h"
#include "page/working_copy.h"

namespace ovik::links {

namespace {
constexpr size_t kZoneSlots = 73, kZoneSize = 16, kZoneCount = 30, kButtonLink = 181;

bool StartsLinkedSpan(uint8_t kind) {
    return kind == testoHtml || kind == internetLink || kind == zipLink || kind == genLink ||
           kind == programma || kind == speclink;
}
}  // namespace

std::vector<PageLink> LinksOfPage(const THQVset& set, const THQVtesto& page) {
    std::vector<PageLink> out;
    auto add = [&](const char* holder, int32_t target) {
        THQVoggetto* o = target >= 0 ? set.GetObjectById(target) : nullptr;
        if (o && o->IsFree()) o = nullptr;
        out.push_back({holder, target, o, o ? o->Description() : "Non definito."});
    };
    Bytes content;
    if (!page.ReadContent(content)) return out;
    ForEachObjectTag(content, [&](size_t, int32_t id) {
        const uint8_t kind = IdKind(id);
        if (StartsLinkedSpan(kind)) {
            add("text", id);
            return;
        }
        THQVoggetto* o = set.GetObjectById(id);
        if (!o || o->IsFree()) return;
        switch (kind) {
            case immagineNew:
                for (size_t z = 0; z < kZoneCount; ++z) {
                    const int32_t link = o->I32(kZoneSlots + kZoneSize * z);
                    if (link == -1) break;
                    add("zone", link);
                }
                break;
            case bottoneCGI:
                if (o->I32(kButtonLink) != -1) add("button", o->I32(kButtonLink));
                break;
            case shortObj:
                if (IsAnchor(*o)) {
                    out.push_back({"marker", id, o, o->Description(), o});
                } else if (o->State() == kLauncherSubtype) {
                    add("marker", o->I32(5));
                    out.back().marker = o;
                }
                break;
            default: break;
        }
    });
    return out;
}

}  // namespace ovik::links
