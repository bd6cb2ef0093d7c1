// ovikc: the batch tool over the engine.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/app_info.h"
#include "cli/cli_support.h"
#include "core/heap_pages.h"

using namespace ovik;
using namespace ovik::cli;

namespace {

void PrintHelp(FILE* out) {
    std::fprintf(out, "usage: ovikc COMMAND [ARGS...] [OPTIONS]\n\ncommands:\n");
    for (auto& c : Commands())
        std::fprintf(out, "  %s %s\n      %s\n", c.name.c_str(), c.usage.c_str(), c.summary.c_str());
    std::fprintf(out, "\nOptions may stand anywhere on the line. Exit status: 0 on success, 1 on "
                      "failure, 2 on a wrong command line.\n");
}

}  // namespace

int main(int argc, char** argv) {
    ovik::UseHugeHeapPages(argv);
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") ||
        !std::strcmp(argv[1], "help")) {
        PrintHelp(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    std::string name = argv[1];
    for (auto& c : Commands()) {
        if (c.name != name) continue;
        platform::ConsoleMessages msgs(platform::Answer::No);
        msgs.SetApplicationTitle(app::kApplicationTitle);
        try {
            Args args = Parse(argc, argv, 2, c.valueOptions);
            if (args.Has("--help")) {
                std::printf("usage: ovikc %s %s\n%s\n", c.name.c_str(), c.usage.c_str(),
                            c.summary.c_str());
                return 0;
            }
            msgs.quiet = args.Has("--quiet");
            return c.run(args, msgs);
        } catch (const UsageError& e) {
            std::fprintf(stderr, "ovikc %s: %s\nusage: ovikc %s %s\n", name.c_str(),
                         e.message.c_str(), c.name.c_str(), c.usage.c_str());
            return 2;
        } catch (const Failure& e) {
            std::fprintf(stderr, "ovikc %s: %s\n", name.c_str(), e.message.c_str());
            return 1;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "ovikc %s: %s\n", name.c_str(), e.what());
            return 1;
        }
    }
    std::fprintf(stderr, "ovikc: unknown command '%s'\n", name.c_str());
    PrintHelp(stderr);
    return 2;
}
