// Object tags in stored page text, and the converter of content format 1.
//
// Pages of old files (content format 1) hold an earlier markup, a small subset
// of HTML tags. Before such a page is copied, opened, written or exported its
// text is rewritten into the current box markup and its format becomes 2.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/bytes.h"

namespace ovik {

class THQVtesto;

// Reads the eight hexadecimal digit positions of an object tag; any byte that is
// not a hexadecimal digit counts as 0.
uint32_t ParseTagDigits(const uint8_t* p);
// Writes the eight lower-case digits of a tag value.
void WriteTagDigits(uint8_t* p, uint32_t value);

// The values of every "<$XXXXXXXX>" object tag in a stored text, in order
// (stops at the first zero byte).
std::vector<int32_t> ObjectTagsIn(const Bytes& content);

// Rewrites the content of a format-1 page into the current markup (the result
// ends with a zero byte). Needs the page's set for the objects its references
// name: converted embedded files, pictures (which become placed pictures) and
// old marker form elements (which become marker objects).
Bytes ConvertContentFormat1(THQVtesto& page, const Bytes& old);

}  // namespace ovik
