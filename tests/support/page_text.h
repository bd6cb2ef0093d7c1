// Page text in tests: object tags as page content writes them, and content
// streams made from markup.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/bytes.h"

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

}  // namespace ovik::testing
