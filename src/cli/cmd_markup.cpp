// ovikc markup: reads box markup on standard input into a text box and writes
// it back in one of the four writing modes - a way to look inside page text and
// to see the markup reader and writer work end to end.
#include <cstdio>
#include <iostream>
#include <iterator>

#include "cli/cli_support.h"
#include "text/hqv_box.h"

namespace ovik::cli {
namespace {

WriteMode ModeOrFail(const std::string& m) {
    if (m == "whole") return WriteMode::Whole;
    if (m == "flat") return WriteMode::Flat;
    if (m == "continuation") return WriteMode::Continuation;
    if (m == "range") return WriteMode::Range;
    throw UsageError{"unknown mode '" + m + "' (whole, flat, continuation or range)"};
}

int RunMarkup(const Args& a, platform::ConsoleMessages& m) {
    if (!a.positional.empty()) throw UsageError{"markup reads standard input; no arguments"};
    const WriteMode mode = ModeOrFail(a.Value("--mode", "whole"));
    const long long from = a.Has("--from") ? ToNumber(a.Value("--from"), "--from") : 0;
    const long long to = a.Has("--to") ? ToNumber(a.Value("--to"), "--to") : INT32_MAX;
    if (from < 0 || to < from) throw UsageError{"--from and --to need 0 <= from <= to"};

    std::string input((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    // A new hypertext holds no placed objects, so object tags read as blanks.
    THQVset set(m);
    THQVbox box(set);
    BoxStream s(input);
    box.LoadText(&s, nullptr, nullptr);
    Bytes out = box.Markup(mode, int32_t(std::min<long long>(from, INT32_MAX)),
                           int32_t(std::min<long long>(to, INT32_MAX)));
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

Registrar markupCmd({"markup", "[--mode whole|flat|continuation|range] [--from N --to M]",
                     "Reads box markup on standard input and writes it back in the given mode "
                     "(whole by default; --from/--to limit each paragraph to characters N..M-1).",
                     {"--mode", "--from", "--to"}, RunMarkup});

}  // namespace
}  // namespace ovik::cli
