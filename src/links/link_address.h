// Link addresses (objects of kind internetLink): their forms, the addresses of
// pages of other hypertexts ("ovik://" file "|" page, or "ovik:" file "|"
// page) and the export name of such a page.
//
// Stored addresses may come from Windows: both separators and a drive prefix
// are accepted. A relative file is taken from the folder of the hypertext that
// holds the link; same-file tests compare file identity after that step.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace ovik {
class THQVset;
}

namespace ovik::links {

// The state byte of a link address tells its form.
enum AddressState : uint8_t {
    kAddressOther = 4,
    kAddressFree = 5,
    kAddressHypertext = 6,  // "ovik:"
    kAddressHttp = 7,       // "http:"
    kAddressMail = 8,       // "mailto:"
};
AddressState AddressStateOf(std::string_view address);

// The prefixes the link window offers for new addresses, with their captions.
struct AddressPrefix {
    const char* prefix;
    const char* caption;
};
inline constexpr AddressPrefix kAddressPrefixes[] = {{"http://", "Indirizzo HTTP"},
                                                      {"mailto:", "Posta elettronica"},
                                                      {"ftp://", "Indirizzo FTP"},
                                                      {"prog:", "Lancia programma"}};

// The page an address names when it has no "|": the cover page, whatever its number.
inline constexpr int32_t kCoverOfTarget = -3;
// "|" with nothing after it: the cover page, shown after the hypertext is loaded.
inline constexpr int32_t kCoverAfterLoading = -2;

struct OvikAddress {
    bool hypertext = false;         // the address starts with "ovik:"
    std::string fileText;           // the file as written (Windows-1252)
    std::filesystem::path file;     // resolved against the holder's folder
    bool same = false;              // names the hypertext open in `set`
    int32_t page = kCoverOfTarget;  // page number, kCoverAfterLoading or kCoverOfTarget
};

// What an address names, seen from the hypertext `set`.
OvikAddress ParseOvikAddress(const THQVset& set, std::string_view address);

// The page number text after "|": at most 12 characters as a decimal number;
// not a number or negative gives 0, empty gives kCoverAfterLoading.
int32_t ParsePageText(std::string_view text);

// A file name stored in a document, as a path: "\" and "/" both separate,
// a drive prefix ("c:") is dropped, and a relative name is put after `folder`.
std::filesystem::path ResolveStoredPath(std::string_view cp1252Name, const std::filesystem::path& folder);

// The address the link window writes for page `page` of `file`, seen from the
// hypertext `current`: "ovik://" + file + "|" + page, the file relative to the
// current hypertext's folder when it lies inside it (compared without case).
std::string OvikAddressFor(const std::filesystem::path& file, const std::filesystem::path& current,
                           int32_t page);

// The name HTML export gives page `id` of the hypertext `file`: "LinkToOldHypertext"
// + ext for files of format version below 2, prefix + "_index" + ext for the
// cover page, else prefix + "_" + six hexadecimal digits + ext. Empty when the
// file cannot be read.
std::string ForeignPageFileName(const std::filesystem::path& file, int32_t id, std::string_view ext);

// The cover page of the hypertext file `file` (read from its header), or -1.
int32_t ForeignCoverPage(const std::filesystem::path& file);

// True for addresses the desktop may open without asking ("http:", "https:",
// "ftp:", "mailto:", compared without case).
bool IsPlainInternetAddress(std::string_view address);

// True when `a` and `b` name one file: by identity when both exist, else by
// their normalised spelling.
bool SamePath(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace ovik::links
