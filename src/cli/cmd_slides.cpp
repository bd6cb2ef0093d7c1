// ovikc slides: the slide sequence that follows a page, as the slides window
// lists it, and writing a new one as its "&Ok" does.
#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/cli_support.h"
#include "core/codepage.h"
#include "links/slides.h"

namespace ovik::cli {
namespace {

using nlohmann::ordered_json;

// The delay pages get when "--set" names none: a new page's slide delay.
constexpr int kDefaultDelay = 5;

// "P[:DELAY],..." -> the rows to write, in order.
std::vector<links::SlideRow> ParseRows(const std::string& text) {
    std::vector<links::SlideRow> rows;
    size_t from = 0;
    while (from <= text.size()) {
        const size_t comma = std::min(text.find(',', from), text.size());
        const std::string item = text.substr(from, comma - from);
        const size_t colon = item.find(':');
        links::SlideRow row;
        row.page = int32_t(ToNumber(item.substr(0, colon), "page"));
        row.delay = colon == std::string::npos ? std::to_string(kDefaultDelay)
                                               : std::to_string(ToNumber(item.substr(colon + 1), "delay"));
        rows.push_back(row);
        from = comma + 1;
    }
    return rows;
}

int Slides(const Args& a, platform::ConsoleMessages& m) {
    if (a.positional.size() != 2)
        throw UsageError{"expected 2 arguments, got " + std::to_string(a.positional.size())};
    auto set = OpenOrFail(a.positional[0], m);
    const auto start = int32_t(ToNumber(a.positional[1], "start page"));
    THQVtesto* startPage = set->Page(start);
    if (!startPage || startPage->IsFree()) throw Failure{"page " + a.positional[1] + ": no such page"};
    links::SlideList list(*set, start);
    if (a.Has("--set")) {
        if (!a.Has("-o")) throw UsageError{"--set needs -o NEW"};
        for (const links::SlideRow& row : ParseRows(a.Value("--set"))) {
            const size_t before = list.Rows().size();
            const int at = list.Add(row.page, 0);
            if (at < 0 || list.Rows().size() != before + 1)
                throw Failure{"page " + std::to_string(row.page) + " cannot follow in the sequence (no such page, "
                              "listed twice, or the start page first)"};
            list.SetDelay(at, row.delay);
        }
        list.Write();
        SaveOrFail(*set, a.Value("-o"));
        std::printf("%zu slides after page %d\n", list.Rows().size(), int(start));
        return 0;
    }
    list.Fill();
    if (a.Has("--json")) {
        ordered_json arr = ordered_json::array();
        for (const links::SlideRow& r : list.Rows()) {
            ordered_json j;
            j["page"] = r.page;
            j["delay"] = std::stoi(r.delay);
            arr.push_back(j);
        }
        std::printf("%s\n", arr.dump(2).c_str());
        return 0;
    }
    for (const links::SlideRow& r : list.Rows())
        std::printf("%d\t%s\t%s\n", int(r.page), r.delay.c_str(), cp1252::ToUtf8(list.Name(r.page)).c_str());
    return 0;
}

Registrar slidesCmd({"slides", "FILE START [--json] | FILE START --set P[:DELAY],... -o NEW",
                     "Lists the slide sequence that follows page START (page, delay in seconds, name), "
                     "or writes a new one: START leads to the first page listed, each page to the next.",
                     {"--set", "-o"}, Slides});

}  // namespace
}  // namespace ovik::cli
