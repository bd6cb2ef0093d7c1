#include "text/markup_escapes.h"

#include <cstring>

namespace ovik {

namespace {

// Entity names in the order they are tried (a name matches as a prefix, case
// sensitive): the four markup characters twice, then codes 160 to 255.
constexpr const char* kEntities[] = {
    "quot",   "amp",    "lt",     "gt",     "QUOT",   "AMP",    "LT",     "GT",     "nbsp",
    "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",
    "ordf",   "laquo",  "not",    "shy",    "reg",    "hibar",  "deg",    "plusmn", "sup2",
    "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",
    "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",
    "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute",
    "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",
    "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",
    "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil", "egrave",
    "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",    "ntilde",
    "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave", "uacute",
    "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};
static_assert(sizeof(kEntities) / sizeof(kEntities[0]) == 104);
constexpr uint8_t kMarkupChars[4] = {'"', '&', '<', '>'};

}  // namespace

uint8_t DecodeEscape(const uint8_t* p, size_t n, size_t& used) {
    used = 1;
    if (n < 2) return ' ';
    if (p[1] == '#') {
        size_t i = 2;
        unsigned value = 0;
        while (i < n && i < 5 && p[i] >= '0' && p[i] <= '9') value = value * 10 + (p[i++] - '0');
        uint8_t result = i == 2 ? uint8_t('A') : uint8_t(value & 0xFF);
        if (i < n && p[i] == ';') ++i;
        used = i;
        return result;
    }
    if (p[1] == '&') {
        used = n < 3 ? n : 3;
        if (used < n && p[used] == ';') ++used;
        return '&';
    }
    for (size_t e = 0; e < 104; ++e) {
        size_t len = std::strlen(kEntities[e]);
        if (len > n - 1 || std::memcmp(p + 1, kEntities[e], len) != 0) continue;
        used = 1 + len;
        if (used < n && p[used] == ';') ++used;
        return e < 8 ? kMarkupChars[e % 4] : uint8_t(160 + (e - 8));
    }
    return ' ';
}

}  // namespace ovik
