// Undo entry for a change that spans several stored pages (a replacement in
// the whole hypertext): the content of each changed page as it was. It is one
// entry of the history, so it counts once against the undo depth. No target
// path: it names its pages by number.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/bytes.h"
#include "undo/undo.h"

namespace ovik {

class TpagesBackup : public THQVbackup {
public:
    // `pages`: each page's number and the content to bring back.
    TpagesBackup(THQVset& set, std::vector<std::pair<int32_t, Bytes>> pages, std::string text);
    // Puts every page's saved content back. The views are asked to refresh
    // (history.refreshViews) before, so that a shown page is stored first, and
    // after, so that they show the content brought back.
    THQVbox* Restore(THQVundoList& history) override;
    std::unique_ptr<THQVbackup> Inverse(THQVundoList& history) override;
    size_t SavedBytes() const override;

    THQVset& set;
    std::vector<std::pair<int32_t, Bytes>> pages;
};

}  // namespace ovik
