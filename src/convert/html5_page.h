// The modern form of an exported page: HTML5 in UTF-8.
//
// The HTML writer produces the faithful page (upper-case tags, FONT,
// presentational attributes, FRAMESET, Windows-1252); Html5Page rewrites that
// page in one pass over its tags: a doctype, a UTF-8 charset and a viewport,
// inline styles in place of FONT and of the presentational attributes,
// "alt" on every picture and area, "id" in place of "name" on anchors and
// pictures, list items as list-styled blocks, BASE and the link colours
// moved into the head, and frame sets laid out with flexible boxes of
// IFRAMEs. File names, links and pictures stay those of the faithful page.
// The faithful page uses a small, known set of tags; anything else (an
// author's own HTML) is passed through with its tag and attribute names in
// lower case.
#pragma once

#include <string>
#include <string_view>

namespace ovik {

// `page`: a page file as the faithful export writes it (Windows-1252).
// Returns the HTML5 page in UTF-8.
std::string Html5Page(std::string_view page);

// A style sheet or any other text file of the site, in UTF-8.
std::string Html5Text(std::string_view text);

}  // namespace ovik
