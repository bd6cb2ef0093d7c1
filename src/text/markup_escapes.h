// Character escapes of box markup ("&amp;", "&#233;", "&egrave;" ...).
#pragma once

#include <cstddef>
#include <cstdint>

namespace ovik {

// Decodes the escape that starts at p[0] == '&' into one byte; `used` is the
// number of bytes it takes (never more than n, at least 1).
uint8_t DecodeEscape(const uint8_t* p, size_t n, size_t& used);

}  // namespace ovik
