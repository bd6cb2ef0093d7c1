#include "undo/pages_backup.h"

#include "document/hqv_set.h"

namespace ovik {

TpagesBackup::TpagesBackup(THQVset& s, std::vector<std::pair<int32_t, Bytes>> p, std::string text)
    : set(s), pages(std::move(p)) {
    description = std::move(text);
}

THQVbox* TpagesBackup::Restore(THQVundoList& history) {
    if (history.refreshViews) history.refreshViews();
    for (auto& [number, content] : pages)
        if (THQVtesto* page = set.Page(number); page && !page->IsFree()) {
            page->SetContent(content);
            page->StampRevision();
        }
    set.SetModified(true);
    if (history.refreshViews) history.refreshViews();
    return nullptr;
}

std::unique_ptr<THQVbackup> TpagesBackup::Inverse(THQVundoList& history) {
    // A shown page is stored first, so that what is captured is current.
    if (history.refreshViews) history.refreshViews();
    std::vector<std::pair<int32_t, Bytes>> now;
    for (auto& [number, content] : pages) {
        THQVtesto* page = set.Page(number);
        Bytes c;
        if (page && !page->IsFree() && page->ReadContent(c)) now.emplace_back(number, std::move(c));
    }
    return std::make_unique<TpagesBackup>(set, std::move(now), description);
}

size_t TpagesBackup::SavedBytes() const {
    size_t n = description.size();
    for (auto& p : pages) n += p.second.capacity();
    return n;
}

}  // namespace ovik
