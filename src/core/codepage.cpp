#include "core/codepage.h"

#include <cstdint>

namespace ovik::cp1252 {
namespace {

// Unicode code points of bytes 0x80..0x9F.
constexpr char32_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t ToCodePoint(uint8_t b) { return (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : b; }

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// Closest Windows-1252 character for a code point it cannot hold, or 0.
int Closest(char32_t c) {
    switch (c) {
        case 0x2032: return '\'';
        case 0x2033: return '"';
        case 0x2010: case 0x2011: case 0x2012: case 0x2212: return '-';
        case 0x2015: return 0x97;
        case 0x00A0: return 0xA0;
        case 0x2002: case 0x2003: case 0x2009: case 0x200A: case 0x202F: case 0x2007: return ' ';
        case 0x200B: case 0xFEFF: return -1;  // zero-width: dropped
        case 0x201B: return 0x91;
        case 0x201F: return 0x93;
        case 0x2024: return '.';
        case 0x2043: return '-';
        case 0x2044: return '/';
        case 0x2190: return '<';
        case 0x2192: return '>';
        case 0x2264: return '<';
        case 0x2265: return '>';
        case 0x2260: return '#';
        case 0x25CF: case 0x25E6: case 0x2219: return 0x95;
        default: break;
    }
    // Latin letters with marks the code page lacks: fall back to the bare letter.
    if (c >= 0x100 && c <= 0x17F) {
        static const char kLatinA[] =
            "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiJjJjKkkLlLlLlLlLlNnNnNnnNnOoOoOoOoRrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
        size_t i = c - 0x100;
        if (i < sizeof(kLatinA) - 1) return kLatinA[i];
    }
    return 0;
}

uint8_t FromCodePoint(char32_t c, size_t* replaced, bool* drop) {
    *drop = false;
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return uint8_t(c);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c) return uint8_t(0x80 + i);
    int near = Closest(c);
    if (replaced) ++*replaced;
    if (near < 0) {
        *drop = true;
        return 0;
    }
    return near ? uint8_t(near) : uint8_t('?');
}

// Decodes one UTF-8 sequence at s[i]; returns its length or 0 when malformed.
size_t DecodeOne(std::string_view s, size_t i, char32_t* out) {
    uint8_t b = uint8_t(s[i]);
    size_t n;
    char32_t c;
    if (b < 0x80) {
        *out = b;
        return 1;
    } else if ((b & 0xE0) == 0xC0) {
        n = 2;
        c = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        n = 3;
        c = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        n = 4;
        c = b & 0x07;
    } else {
        return 0;
    }
    if (n > s.size() - i) return 0;
    for (size_t k = 1; k < n; ++k) {
        uint8_t t = uint8_t(s[i + k]);
        if ((t & 0xC0) != 0x80) return 0;
        c = (c << 6) | (t & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are malformed.
    if ((n == 2 && c < 0x80) || (n == 3 && c < 0x800) || (n == 4 && c < 0x10000) ||
        (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        return 0;
    *out = c;
    return n;
}

}  // namespace

std::string ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char ch : text) AppendUtf8(out, ToCodePoint(uint8_t(ch)));
    return out;
}

std::string FromUtf8(std::string_view utf8, size_t* replaced) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        // Copy runs of ASCII at once: most text is mostly ASCII.
        size_t j = i;
        while (j < utf8.size() && uint8_t(utf8[j]) < 0x80) ++j;
        if (j > i) {
            out.append(utf8.data() + i, j - i);
            i = j;
            continue;
        }
        char32_t c;
        size_t n = DecodeOne(utf8, i, &c);
        if (n == 0) {
            out += '?';
            if (replaced) ++*replaced;
            ++i;
            continue;
        }
        bool drop;
        uint8_t b = FromCodePoint(c, replaced, &drop);
        if (!drop) out += char(b);
        i += n;
    }
    return out;
}

bool IsValidUtf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        // Runs of ASCII are the common case: skip them a byte at a time cheaply.
        if (uint8_t(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        char32_t c;
        size_t n = DecodeOne(bytes, i, &c);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

bool HasUtf16Bom(std::string_view bytes) {
    if (bytes.size() < 2) return false;
    const uint8_t a = uint8_t(bytes[0]), b = uint8_t(bytes[1]);
    return (a == 0xFF && b == 0xFE) || (a == 0xFE && b == 0xFF);
}

// Hand-written: the standard library's UTF-16 conversions are deprecated, and
// this is one loop.
std::string Utf16ToUtf8(std::string_view bytes, bool littleEndian) {
    std::string out;
    out.reserve(bytes.size() / 2 + bytes.size() / 8);
    auto unit = [&](size_t i) -> uint32_t {
        const uint8_t a = uint8_t(bytes[i]), b = uint8_t(bytes[i + 1]);
        return littleEndian ? uint32_t(a | (b << 8)) : uint32_t((a << 8) | b);
    };
    auto put = [&out](uint32_t c) { AppendUtf8(out, char32_t(c)); };
    size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
            uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                put(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        put(u >= 0xD800 && u <= 0xDFFF ? 0xFFFD : u);
    }
    if (i < bytes.size()) put(0xFFFD);
    return out;
}

std::string FromFileText(std::string_view bytes, size_t* replaced) {
    if (HasUtf16Bom(bytes))
        return FromUtf8(Utf16ToUtf8(bytes.substr(2), uint8_t(bytes[0]) == 0xFF), replaced);
    if (bytes.size() >= 3 && uint8_t(bytes[0]) == 0xEF && uint8_t(bytes[1]) == 0xBB &&
        uint8_t(bytes[2]) == 0xBF)
        return FromUtf8(bytes.substr(3), replaced);
    if (IsValidUtf8(bytes)) return FromUtf8(bytes, replaced);
    return std::string(bytes);
}

char Upper(char ch) {
    uint8_t c = uint8_t(ch);
    if (c >= 'a' && c <= 'z') return char(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return char(c - 32);
    if (c == 0x9A || c == 0x9C || c == 0x9E) return char(c - 16);
    if (c == 0xFF) return char(0x9F);
    return ch;
}

char Lower(char ch) {
    uint8_t c = uint8_t(ch);
    if (c >= 'A' && c <= 'Z') return char(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return char(c + 32);
    if (c == 0x8A || c == 0x8C || c == 0x8E) return char(c + 16);
    if (c == 0x9F) return char(0xFF);
    return ch;
}

std::string Upper(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = Upper(c);
    return r;
}

std::string Lower(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = Lower(c);
    return r;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

}  // namespace ovik::cp1252
