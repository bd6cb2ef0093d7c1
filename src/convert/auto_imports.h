// Links made while importing HTML that name a file ("Auto import" special
// links) turned into links to the pages imported from those files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace ovik {

class THQVset;
class THQVtesto;

// The pages of a set imported from files, found by the file's full path (its
// source name) or, for a page file this program exported, by a twin file
// that carries the same page marker.
class ImportedPages {
public:
    explicit ImportedPages(THQVset& set);
    // The page imported from `path` (Windows-1252), or null.
    THQVtesto* Find(const std::string& path);

private:
    THQVtesto* ByMarker(const std::string& path);
    static std::string MarkerKey(const std::filesystem::path& file);
    std::map<std::string, THQVtesto*> sources_;  // upper-case source name -> page
    std::map<std::string, THQVtesto*> markers_;  // marker key -> page
    bool markersRead_ = false;
};

// For every page that is not free: an object tag naming an "Auto import" link
// whose file has been imported (FindPageBySourceName) is rewritten to name
// that page; link fields inside the page's objects (a special link's target,
// a marker's reference, the zones of a placed picture, a form button's link)
// are resolved the same way. A link that also names an anchor becomes a
// go-to link to that page and anchor, so the anchor is kept. A page without
// content gets an empty paragraph. Returns how many references were resolved.
int32_t ResolveAutoImports(THQVset& set);

}  // namespace ovik
