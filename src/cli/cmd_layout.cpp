// ovikc layout: lays a page out as the editor does, at a given width of its
// text box, with the fixed-metrics measurer (results do not depend on the
// fonts installed), and lists every placed object with its place and every
// table with its column header and cells.
#include <nlohmann/json.hpp>

#include <cstdio>

#include "cli/cli_support.h"
#include "document/hqv_set.h"
#include "page/placed_controls.h"
#include "page/placed_table.h"
#include "page/thqv_page.h"
#include "platform/text_measurer.h"
#include "text/display_list.h"
#include "text/layout.h"

namespace ovik::cli {
namespace {

using nlohmann::ordered_json;

struct PlacedRow {
    int kind = 0;
    int32_t number = -1;  // the object's number in the set; -1 for none
    int32_t paragraph = 0;
    int32_t offset = 0;
    PixelRect rect;
    // Form elements, buttons, multimedia, floating frames and markers: the
    // subtype and the control that shows it.
    int subtype = -1;
    std::string control;
};

struct TableRow {
    int32_t number = -1;
    std::vector<std::string> header;
    struct Cell {
        int32_t row, col;
        TMyyTable::CellPlace place;
    };
    std::vector<Cell> cells;
};

// The tables of a box in text order, each followed by those nested in its cells.
void CollectTables(const THQVbox& box, std::vector<TableRow>& out, int depth = 0) {
    if (depth > 64) return;
    for (const auto& p : box.Paragraphs())
        for (int32_t i = 0; i < p->Length(); ++i) {
            const int32_t o = p->Records()[size_t(i)].object;
            if (o < 0 || size_t(o) >= p->Objects().size()) continue;
            auto* t = dynamic_cast<TMyyTable*>(p->Objects()[size_t(o)]);
            if (!t) continue;
            TableRow row;
            row.number = t->Working().storedNumber;
            row.header = t->HeaderTexts();
            for (int32_t r = 0; r < t->Rows(); ++r)
                for (int32_t c = 0; c < t->Columns(); ++c) row.cells.push_back({r, c, t->PlaceOf(r, c)});
            out.push_back(std::move(row));
            for (int32_t k = 0; k < t->CellCount(); ++k)
                if (const THQVbox* cell = t->Cell(k)) CollectTables(*cell, out, depth + 1);
        }
}

int Layout(const Args& a, platform::ConsoleMessages& m) {
    if (a.positional.size() != 1)
        throw UsageError{"expected 1 argument, got " + std::to_string(a.positional.size())};
    if (!a.Has("--page")) throw UsageError{"--page N is needed"};
    if (!a.Has("--width")) throw UsageError{"--width W is needed"};
    const auto pageNo = int32_t(ToNumber(a.Value("--page"), "page"));
    const long long width = ToNumber(a.Value("--width"), "width");
    if (width < 1 || width > 100000) throw UsageError{"--width takes 1 to 100000"};
    auto set = OpenOrFail(a.positional[0], m);
    THQVtesto* page = set->Page(pageNo);
    if (!page || page->IsFree()) throw Failure{"page " + a.Value("--page") + ": no such page"};

    platform::FixedMetricsMeasurer measurer;
    PageHost host;
    host.set = set.get();
    host.measurer = &measurer;
    THQVpage view(host);
    view.ShowPage(page);
    THQVbox* box = view.Box();
    std::vector<PlacedRow> rows;
    std::vector<TableRow> tables;
    if (box) {
        ResizePageBox(*box, int32_t(width), 400);
        const PixelRect all{0, 0, std::max(box->geometry.width, int32_t(width)),
                            std::max(box->geometry.height, int32_t(1))};
        PaintOptions options;
        options.showCaret = false;
        options.storeRemeasured = false;
        const DisplayList list = BuildDisplayList(*box, all, options);
        for (const DisplayItem& item : list.items) {
            const ObjectItem* o = std::get_if<ObjectItem>(&item);
            if (!o) continue;
            PlacedRow r;
            r.paragraph = o->paragraph - box->headerCount;
            r.offset = o->charIndex;
            r.rect = o->rect;
            if (auto* c = dynamic_cast<PagePlacedObject*>(view.ControlAt(o->controlIndex))) {
                if (THQVoggetto* obj = c->Object()) r.kind = obj->Kind();
                r.number = c->Working().storedNumber;
                if (auto* fc = dynamic_cast<TMyyControl*>(c)) {
                    r.subtype = fc->Object() ? fc->Object()->State() : -1;
                    r.control = ControlClassName(fc->Class());
                }
            }
            rows.push_back(r);
        }
        CollectTables(*box, tables);
    }
    view.ClosePage();

    if (a.Has("--json")) {
        ordered_json objects = ordered_json::array();
        for (const PlacedRow& r : rows) {
            ordered_json j;
            j["kind"] = r.kind;
            j["number"] = r.number;
            j["paragraph"] = r.paragraph;
            j["offset"] = r.offset;
            j["x"] = r.rect.left;
            j["y"] = r.rect.top;
            j["width"] = r.rect.right - r.rect.left;
            j["height"] = r.rect.bottom - r.rect.top;
            if (!r.control.empty()) {
                j["subtype"] = r.subtype;
                j["control"] = r.control;
            }
            objects.push_back(j);
        }
        ordered_json tableList = ordered_json::array();
        for (const TableRow& t : tables) {
            ordered_json j;
            j["number"] = t.number;
            j["header"] = t.header;
            ordered_json cells = ordered_json::array();
            for (const TableRow::Cell& c : t.cells) {
                ordered_json cj;
                cj["row"] = c.row;
                cj["col"] = c.col;
                cj["x"] = c.place.x;
                cj["y"] = c.place.y;
                cj["max_width"] = c.place.maxWidth;
                cj["width"] = c.place.width;
                cj["height"] = c.place.height;
                cells.push_back(cj);
            }
            j["cells"] = cells;
            tableList.push_back(j);
        }
        ordered_json out;
        out["objects"] = objects;
        out["tables"] = tableList;
        std::printf("%s\n", out.dump(2).c_str());
        return 0;
    }
    for (const PlacedRow& r : rows) {
        std::printf("%d %s %d\tparagraph %d offset %d\t%d,%d %dx%d", r.kind, KindName(uint8_t(r.kind)),
                    int(r.number), int(r.paragraph), int(r.offset), int(r.rect.left), int(r.rect.top),
                    int(r.rect.right - r.rect.left), int(r.rect.bottom - r.rect.top));
        if (!r.control.empty()) std::printf("\t%s subtype %d", r.control.c_str(), r.subtype);
        std::printf("\n");
    }
    for (const TableRow& t : tables) {
        std::string header;
        for (const std::string& h : t.header) header += (header.empty() ? "" : " | ") + h;
        std::printf("table %d\theader %s\n", int(t.number), header.c_str());
        for (const TableRow::Cell& c : t.cells)
            std::printf("  row %d col %d\t%d,%d max %d\t%dx%d\n", int(c.row), int(c.col), int(c.place.x),
                        int(c.place.y), int(c.place.maxWidth), int(c.place.width), int(c.place.height));
    }
    return 0;
}

Registrar layoutCmd({"layout", "FILE --page N --width W [--json]",
                     "Lays page N out as the editor does with its text box W pixels wide (fixed "
                     "font metrics) and lists every placed object: kind, number, paragraph, "
                     "offset, x, y, width, height (pixels, page coordinates); then every table (nested ones "
                     "after their parent): its column header texts and each cell's row, column, x, y "
                     "(relative to the table), maximum width, width and height.",
                     {"--page", "--width"}, Layout});

}  // namespace
}  // namespace ovik::cli
