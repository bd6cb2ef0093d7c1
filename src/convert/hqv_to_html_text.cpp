// Text rules of the exported HTML: colours, attribute values, character data,
// comments and the plain file names made from names stored in documents.
#include <cstdio>
#include <cstring>

#include "convert/hqv_to_html.h"
#include "core/file_names.h"

namespace ovik::html {

namespace {
// Latin-1 entity names of 160..255, as browsers know them.
constexpr const char* kLatin1[96] = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",
    "uml",    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",
    "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",  "para",   "middot",
    "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest",
    "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",
    "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",
    "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",
    "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",
    "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};
}  // namespace

std::string ColourText(int32_t colour) {
    char buf[8];
    uint32_t c = uint32_t(colour);
    std::snprintf(buf, sizeof buf, "%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    return buf;
}

std::string AttributeText(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char ch : s) {
        uint8_t c = uint8_t(ch);
        if (c == '"') out += char(0x94);
        else if (c == '\'') out += char(0x92);
        else if (c < 32 || c == 127 || c == '<' || c == '>' || c == '#' || c == '$' || c == '%' || c == '&')
            out += ' ';
        else out += ch;
    }
    return out;
}

const char* EntityName(uint8_t c) { return c >= 160 ? kLatin1[c - 160] : nullptr; }

void AppendCharText(std::string& out, uint8_t c) {
    if (WrittenAsIs(c)) {
        out += char(c);
        return;
    }
    switch (c) {
        case '&': out += "&amp;"; return;
        case '<': out += "&lt;"; return;
        case '>': out += "&gt;"; return;
        default: break;
    }
    if (c == 0 || c < 32) return;
    // 252 to 255 stay as they are: the page declares its code page.
    if (c >= 160 && c <= 251) {
        out += '&';
        out += kLatin1[c - 160];
        out += ';';
        return;
    }
    out += char(c);
}

std::string CharText(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) AppendCharText(out, uint8_t(c));
    return out;
}

std::string CommentText(std::string_view s) {
    std::string out;
    for (char c : s) {
        // "--" would end the comment; a blank keeps the two dashes apart.
        if (c == '-' && !out.empty() && out.back() == '-') out += ' ';
        if (c == '>' && !out.empty() && out.back() == '-') out += ' ';
        out += c;
    }
    if (!out.empty() && out.back() == '-') out += ' ';
    return out;
}

std::string PlainFileName(std::string_view name) {
    std::string part = FilePart(name);
    std::string out;
    for (char ch : part) {
        uint8_t c = uint8_t(ch);
        if (c < 32 || c == 127) continue;
        // Characters that break a URL or a quoted attribute, or name folders.
        if (std::strchr("\"#%&'*/:<>?\\|", ch) || c == ' ') {
            out += '_';
            continue;
        }
        out += ch;
    }
    while (!out.empty() && (out[0] == '.' || out[0] == '_' || out[0] == '-')) out.erase(0, 1);
    // A long name keeps its extension.
    constexpr size_t kMax = 96;
    if (out.size() > kMax) {
        std::string ext = Extension(out);
        if (ext.size() > 16) ext.clear();
        out = out.substr(0, kMax - ext.size()) + ext;
    }
    while (!out.empty() && out.back() == '.') out.pop_back();
    return out;
}

}  // namespace ovik::html
