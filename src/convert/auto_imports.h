// Links made while importing HTML that name a file ("Auto import" special
// links) turned into links to the pages imported from those files.
#pragma once

#include <cstdint>

namespace ovik {

class THQVset;

// For every page that is not free: an object tag naming an "Auto import" link
// whose file has been imported (FindPageBySourceName) is rewritten to name
// that page; link fields inside the page's objects (a special link's target,
// a marker's reference, the zones of a placed picture, a form button's link)
// are resolved the same way. A link that also names an anchor becomes a
// go-to link to that page and anchor, so the anchor is kept. A page without
// content gets an empty paragraph. Returns how many references were resolved.
int32_t ResolveAutoImports(THQVset& set);

}  // namespace ovik
