// Page text in tests: object tags as page content writes them, and content
// streams made from markup.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/bytes.h"
#include "document/hqv_set.h"

namespace ovik::testing {

// "<$" + the identifier's eight hexadecimal digits + ">".
inline std::string Tag(int32_t id) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "<$%08x>", uint32_t(id));
    return buf;
}

// A content stream: the markup and its closing zero byte.
inline Bytes Content(const std::string& markup) {
    Bytes b(markup.begin(), markup.end());
    b.push_back(0);
    return b;
}

// A new page of `set` with a title and the content `markup`.
inline THQVtesto* AddPage(THQVset& set, const std::string& title, const std::string& markup) {
    auto* p = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
    p->SetTitle(title);
    p->SetContent(Content(markup));
    return p;
}

// A placed picture (kind immagineNew) of 40 x 30 showing picture `picture`,
// without a link and with every zone empty.
inline THQVoggetto* PlacedPicture(THQVset& set, int32_t picture) {
    THQVoggetto* o = set.AddNewObject(immagineNew);
    o->SetI32(0, picture);
    o->SetI32(5, -1);
    o->SetI32(9, -1);
    o->SetI16(19, 40);
    o->SetI16(21, 30);
    for (size_t z = 0; z < 30; ++z) o->SetI32(73 + 16 * z, -1);
    return o;
}

}  // namespace ovik::testing
