#include "links/link_address.h"

#include <charconv>
#include <cstdio>

#include "core/bytes.h"
#include "core/codepage.h"
#include "core/file_names.h"
#include "document/hqv_set.h"
#include "document/open_file.h"

namespace ovik::links {

namespace fs = std::filesystem;

namespace {
bool StartsNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && cp1252::EqualNoCase(s.substr(0, prefix.size()), prefix);
}
}  // namespace

AddressState AddressStateOf(std::string_view address) {
    if (address.rfind("ovik:", 0) == 0) return kAddressHypertext;
    if (address.rfind("http:", 0) == 0) return kAddressHttp;
    if (address.rfind("mailto:", 0) == 0) return kAddressMail;
    return kAddressOther;
}

int32_t ParsePageText(std::string_view text) {
    if (text.size() > 12) text = text.substr(0, 12);
    if (text.empty()) return kCoverAfterLoading;
    std::string_view digits = text;
    if (digits.front() == '+') digits.remove_prefix(1);
    int64_t v = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
    if (ec != std::errc() || end != digits.data() + digits.size()) return 0;
    if (v < 0 || v > INT32_MAX) return 0;
    return int32_t(v);
}

fs::path ResolveStoredPath(std::string_view cp1252Name, const fs::path& folder) {
    std::string name = cp1252::ToUtf8(cp1252Name);
    for (char& c : name)
        if (c == '\\') c = '/';
    if (name.size() >= 2 && name[1] == ':' && std::isalpha(uint8_t(name[0]))) {
        name.erase(0, 2);
        if (name.empty() || name[0] != '/') name.insert(name.begin(), '/');
    }
    if (name.empty()) return {};
    fs::path p(name);
    if (p.is_absolute() || folder.empty()) return p.lexically_normal();
    return (folder / p).lexically_normal();
}

bool SamePath(const fs::path& a, const fs::path& b) {
    if (a.empty() || b.empty()) return false;
    if (ovik::SameFile(a, b)) return true;
    std::error_code ec1, ec2;
    fs::path ca = fs::weakly_canonical(a, ec1), cb = fs::weakly_canonical(b, ec2);
    if (ec1 || ec2) return a.lexically_normal() == b.lexically_normal();
    return ca == cb;
}

OvikAddress ParseOvikAddress(const THQVset& set, std::string_view address) {
    OvikAddress r;
    if (address.rfind("ovik:", 0) != 0) return r;
    r.hypertext = true;
    std::string_view rest = address.substr(address.rfind("ovik://", 0) == 0 ? 7 : 5);
    const size_t bar = rest.find('|');
    r.fileText = std::string(rest.substr(0, bar));
    const fs::path current = set.HQVFileName();
    r.file = ResolveStoredPath(r.fileText, current.parent_path());
    r.same = !r.file.empty() && SamePath(r.file, current);
    if (bar != std::string_view::npos) {
        r.page = ParsePageText(rest.substr(bar + 1));
    } else if (r.same) {
        r.page = set.CoverPage();
    } else {
        int32_t cover = ForeignCoverPage(r.file);
        r.page = cover >= 0 ? cover : kCoverAfterLoading;
    }
    return r;
}

std::string OvikAddressFor(const fs::path& file, const fs::path& current, int32_t page) {
    std::string shown = file.string();
    const std::string folder = current.parent_path().string();
    if (!folder.empty()) {
        const std::string prefix = folder.back() == '/' ? folder : folder + "/";
        if (shown.size() > prefix.size() && cp1252::EqualNoCase(shown.substr(0, prefix.size()), prefix))
            shown = shown.substr(prefix.size());
    }
    return "ovik://" + cp1252::FromUtf8(shown) + "|" + std::to_string(page < 0 ? 0 : page);
}

namespace {
bool ReadForeignHeader(const fs::path& file, std::array<uint8_t, kHeaderSize>& h) {
    auto f = OpenFile::Open(file);
    return f && f->ReadAt(0, h.data(), h.size());
}
}  // namespace

int32_t ForeignCoverPage(const fs::path& file) {
    std::array<uint8_t, kHeaderSize> h{};
    if (file.empty() || !ReadForeignHeader(file, h)) return -1;
    return GetI32(&h[hdr::kCoverPage]);
}

std::string ForeignPageFileName(const fs::path& file, int32_t id, std::string_view ext) {
    std::array<uint8_t, kHeaderSize> h{};
    if (file.empty() || !ReadForeignHeader(file, h)) return "";
    if (GetU16(&h[hdr::kVersion]) < 2) return "LinkToOldHypertext" + std::string(ext);
    std::string prefix = GetShortString(&h[hdr::kExpPrefix], 16);
    if (prefix.empty()) prefix = PrefixFromFileName(cp1252::FromUtf8(file.filename().string()), 8);
    if (IdKind(id) == testoHtml && IdNumber(id) == GetI32(&h[hdr::kCoverPage]))
        return prefix + "_index" + std::string(ext);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%06x", unsigned(IdNumber(id)));
    return prefix + "_" + hex + std::string(ext);
}

bool IsPlainInternetAddress(std::string_view address) {
    for (std::string_view p : {"http:", "https:", "ftp:", "mailto:"})
        if (StartsNoCase(address, p)) return true;
    return false;
}

}  // namespace ovik::links
