// Where a page to copy comes from: this hypertext, another hypertext file or a
// template. Another file is opened into a set of its own, read only and
// without a lock, for as long as its pages may be chosen.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/program_folders.h"
#include "document/hqv_set.h"

namespace ovik::app {

// A page a window lists: its number and title.
struct PageEntry {
    int32_t number = -1;
    std::string title;
};
// The pages of a set that are not free, in number order.
std::vector<PageEntry> ListPages(const THQVset& set);

// The template hypertexts (".hqv", any letter case) of the "Templates" and
// "HypTemplates" folders, sorted by name; a folder listed twice counts once.
std::vector<std::filesystem::path> TemplateFiles(const ProgramFolders& folders);

// Another hypertext to copy pages from.
class OtherHypertext {
public:
    explicit OtherHypertext(platform::Messages& messages) : messages_(messages) {}
    // Opens `file`; false (with the set's message shown) when it cannot be
    // read. The hypertext opened before is closed either way.
    bool Open(const std::filesystem::path& file);
    void Close() { set_.reset(); }
    THQVset* Set() const { return set_.get(); }
    const std::filesystem::path& File() const { return file_; }
    // Page `n` when it exists and is not free, else null.
    THQVtesto* Page(int32_t n) const;

private:
    platform::Messages& messages_;
    std::unique_ptr<THQVset> set_;
    std::filesystem::path file_;
};

}  // namespace ovik::app
