#include "core/file_names.h"

#include "core/codepage.h"

namespace ovik {

std::string FilePart(std::string_view name) {
    size_t cut = name.find_last_of("\\/:");
    return std::string(cut == std::string_view::npos ? name : name.substr(cut + 1));
}

std::string SafeFileName(std::string_view cp1252Name) {
    std::string part = FilePart(cp1252Name);
    std::string clean;
    for (char c : part) {
        if (uint8_t(c) < 32 || c == 127) continue;
        clean += c;
    }
    // Leading dots would make hidden files or "..": drop them.
    size_t lead = clean.find_first_not_of('.');
    clean = lead == std::string::npos ? std::string() : clean.substr(lead);
    while (!clean.empty() && (clean.back() == ' ' || clean.back() == '.')) clean.pop_back();
    if (clean.empty()) clean = "file";
    return cp1252::ToUtf8(clean);
}

std::string Extension(std::string_view name) {
    std::string part = FilePart(name);
    size_t dot = part.find_last_of('.');
    return dot == std::string::npos ? std::string() : part.substr(dot);
}

std::string WithoutExtension(std::string_view name) {
    size_t slash = name.find_last_of("\\/:");
    size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::string(name);
    return std::string(name.substr(0, dot));
}

std::string PrefixFromFileName(std::string_view fileName, size_t n) {
    std::string part = FilePart(fileName);
    std::string head = cp1252::Lower(part.substr(0, n));
    size_t dot = head.rfind('.');
    if (dot != std::string::npos) head.resize(dot);
    return head;
}

}  // namespace ovik
