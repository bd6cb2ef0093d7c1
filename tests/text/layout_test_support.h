// Shared fixture of the layout and display-list tests: page boxes laid out at a
// given width (with header and footer paragraphs) and cell boxes of a table.
#pragma once

#include <memory>
#include <string_view>

#include "text/layout.h"
#include "text/text_test_support.h"

namespace ovik::testing {

class LayoutFixture : public TextFixture {
protected:
    LayoutFixture() : table(&set, tabellaHtml) {}

    // Loads `markup` (and header and footer markup) into the page box, whose page
    // is `width` pixels wide; loading lays it out through the box's layout hook.
    void LayOut(std::string_view markup, int32_t width, const char* header = nullptr,
                const char* footer = nullptr) {
        InstallLayout(box);
        box.geometry = BoxGeometry{};
        box.geometry.clientWidth = width;
        box.geometry.clientHeight = 400;
        box.ClearParagraphs();
        BoxStream m(markup);
        std::unique_ptr<BoxStream> h, f;
        if (header) h = std::make_unique<BoxStream>(std::string_view(header));
        if (footer) f = std::make_unique<BoxStream>(std::string_view(footer));
        box.LoadText(&m, h.get(), f.get());
    }

    // A cell box of `table` holding `markup`, `width` pixels wide; the caller sets
    // its geometry further and lays it out.
    std::unique_ptr<THQVbox> CellBox(std::string_view markup, int32_t width) {
        auto cell = std::make_unique<THQVbox>(set, measurer);
        cell->cellOwner = &table;
        cell->geometry.layoutWidth = cell->geometry.neededWidth = width;
        BoxStream s(markup);
        cell->ReadParagraphs(s, 0);
        return cell;
    }

    THQVoggetto table;
};

}  // namespace ovik::testing
