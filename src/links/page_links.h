// The links of a stored page, in text order: linked spans of the text, the
// click zones of placed pictures, form buttons and markers (anchors and link
// launchers). Zones and buttons are read from their object records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ovik {
class THQVset;
class THQVtesto;
class THQVoggetto;
}  // namespace ovik

namespace ovik::links {

struct PageLink {
    const char* holder;       // "text", "zone", "button" or "marker"
    int32_t target;           // identifier of the target (an anchor: the marker itself)
    THQVoggetto* object;      // the target in the set, or null
    std::string description;  // the target's description ("Non definito." when missing)
    THQVoggetto* marker = nullptr;  // the marker holding the link (holder "marker")
};

std::vector<PageLink> LinksOfPage(const THQVset& set, const THQVtesto& page);

}  // namespace ovik::links
