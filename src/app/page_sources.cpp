#include "app/page_sources.h"

#include <algorithm>
#include <system_error>

#include "core/codepage.h"

namespace ovik::app {

namespace fs = std::filesystem;

std::vector<PageEntry> ListPages(const THQVset& set) {
    std::vector<PageEntry> out;
    for (int32_t n = 0; n < set.ObjectCount(testoHtml); ++n)
        if (const THQVtesto* p = set.Page(n); p && !p->IsFree()) out.push_back({n, p->Title()});
    return out;
}

std::vector<fs::path> TemplateFiles(const ProgramFolders& folders) {
    std::vector<fs::path> out;
    std::vector<fs::path> seen;
    for (const fs::path& folder : {folders.Templates(), folders.HypTemplates()}) {
        std::error_code ec;
        if (!fs::is_directory(folder, ec)) continue;
        if (std::any_of(seen.begin(), seen.end(), [&](const fs::path& f) { return fs::equivalent(f, folder, ec); }))
            continue;
        seen.push_back(folder);
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            if (!it->is_regular_file(ec)) continue;
            std::string ext = it->path().extension().string();
            std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
            if (ext == ".hqv") out.push_back(it->path());
        }
    }
    std::sort(out.begin(), out.end(), [](const fs::path& a, const fs::path& b) {
        return a.filename().string() < b.filename().string();
    });
    return out;
}

bool OtherHypertext::Open(const fs::path& file) {
    set_.reset();
    file_.clear();
    auto set = std::make_unique<THQVset>(messages_);
    set->LockOnOpen = false;
    if (!set->OpenHypertext(file)) return false;
    // A file that is not a hypertext opens as a new one: nothing to copy.
    if (!set->File()) return false;
    set_ = std::move(set);
    file_ = file;
    return true;
}

THQVtesto* OtherHypertext::Page(int32_t n) const {
    if (!set_) return nullptr;
    THQVtesto* p = set_->Page(n);
    return p && !p->IsFree() ? p : nullptr;
}

}  // namespace ovik::app
