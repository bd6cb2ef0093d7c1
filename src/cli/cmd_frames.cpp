// ovikc frames and frame-layout: the frame tree of a page as a read-only view
// sizes it, and saving or loading a page's frame layout as a ".frm" file.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "cli/cli_support.h"
#include "core/codepage.h"
#include "document/output_file.h"
#include "view/frames.h"

namespace ovik::cli {
namespace {

using nlohmann::ordered_json;

int32_t PageOption(const Args& a, THQVset& set) {
    if (!a.Has("--page")) throw UsageError{"--page N is needed"};
    const auto page = int32_t(ToNumber(a.Value("--page"), "page"));
    THQVtesto* p = set.Page(page);
    if (!p || p->IsFree()) throw Failure{"page " + a.Value("--page") + ": no such page"};
    return page;
}

// The page's layout, or the page alone in one frame; a damaged layout is
// reported and the page shown alone, as the editor does.
FrameTree LayoutOf(THQVset& set, int32_t page) {
    FrameTree tree;
    std::string why;
    if (!ReadPageLayout(set, page, tree, &why)) {
        if (!why.empty()) std::fprintf(stderr, "%s\n", why.c_str());
        tree.MakeSingle(page);
    }
    return tree;
}

int Frames(const Args& a, platform::ConsoleMessages& m) {
    if (a.positional.size() != 1)
        throw UsageError{"expected 1 argument, got " + std::to_string(a.positional.size())};
    auto set = OpenOrFail(a.positional[0], m);
    const int32_t page = PageOption(a, *set);
    const auto width = int32_t(ToNumber(a.Value("--width", "800"), "width"));
    const auto height = int32_t(ToNumber(a.Value("--height", "600"), "height"));
    FrameTree tree = LayoutOf(*set, page);
    tree.Size(width, height, false);
    ordered_json arr = ordered_json::array();
    for (const THQVFrame* f : tree.PreOrder()) {
        const std::string title = cp1252::ToUtf8(f->rec.title);
        if (a.Has("--json")) {
            ordered_json j;
            j["title"] = title;
            j["page"] = f->rec.page;
            j["size_mode"] = f->rec.sizeMode;
            j["pixels"] = f->rec.pixels;
            j["percentage"] = f->rec.percentage;
            j["x"] = f->x;
            j["y"] = f->y;
            j["width"] = f->width;
            j["height"] = f->height;
            arr.push_back(j);
        } else {
            std::printf("%s\tpage %d\t%d,%d %dx%d\n", title.c_str(), int(f->rec.page), int(f->x), int(f->y),
                        int(f->width), int(f->height));
        }
    }
    if (a.Has("--json")) std::printf("%s\n", arr.dump(2).c_str());
    return 0;
}

int FrameLayout(const Args& a, platform::ConsoleMessages& m) {
    if (a.positional.size() != 1)
        throw UsageError{"expected 1 argument, got " + std::to_string(a.positional.size())};
    if (a.Has("--save") == a.Has("--load")) throw UsageError{"give one of --save OUT.frm and --load IN.frm"};
    auto set = OpenOrFail(a.positional[0], m);
    const int32_t page = PageOption(a, *set);
    if (a.Has("--save")) {
        const Bytes file = LayoutOf(*set, page).WriteFile();
        std::string error;
        if (!WriteOutputFile(a.Value("--save"), std::string_view(reinterpret_cast<const char*>(file.data()), file.size()),
                             error, {a.positional[0]}))
            throw Failure{error};
        return 0;
    }
    if (!a.Has("-o")) throw UsageError{"--load needs -o NEW"};
    std::ifstream in(a.Value("--load"), std::ios::binary);
    if (!in) throw Failure{"cannot read " + a.Value("--load")};
    const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string why;
    if (!LoadPageLayoutFile(*set, page, file, why)) throw Failure{why};
    SaveOrFail(*set, a.Value("-o"));
    return 0;
}

Registrar framesCmd({"frames", "FILE --page N [--width W] [--height H] [--json]",
                     "The frames of page N as a read-only view of W x H pixels sizes them, in pre-order: "
                     "title, page, position and size.",
                     {"--page", "--width", "--height"}, Frames});
Registrar frameLayoutCmd({"frame-layout", "FILE --page N (--save OUT.frm | --load IN.frm -o NEW)",
                          "Saves the frame layout of page N as a layout file, or gives page N the layout "
                          "of a layout file and saves the hypertext as NEW.",
                          {"--page", "--save", "--load", "-o"}, FrameLayout});

}  // namespace
}  // namespace ovik::cli
