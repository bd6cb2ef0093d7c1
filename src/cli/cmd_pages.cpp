// ovikc rewrite-pages: opens pages as the editor does (working copy and box),
// stores them back and saves. Brings old files (content format 1, older page
// records) up to date and checks that pages survive an editing cycle.
#include <cstdio>
#include <set>

#include "cli/cli_support.h"
#include "document/hqv_set.h"
#include "page/thqv_page.h"
#include "platform/text_measurer.h"

namespace ovik::cli {
namespace {

int RewritePages(const Args& a, platform::ConsoleMessages& m) {
    if (a.positional.size() != 2)
        throw UsageError{"expected 2 arguments, got " + std::to_string(a.positional.size())};
    auto set = OpenOrFail(a.positional[0], m);

    platform::FixedMetricsMeasurer measurer;
    PageHost host;
    host.set = set.get();
    host.measurer = &measurer;
    THQVpage view(host);
    int rewritten = 0;
    for (int32_t n : ChosenPages(a, *set)) {
        THQVtesto* page = set->Page(n);
        view.ShowPage(page);
        if (view.StorePage()) ++rewritten;
        view.ClosePage();
    }
    SaveOrFail(*set, a.positional[1]);
    std::printf("%d page%s rewritten\n", rewritten, rewritten == 1 ? "" : "s");
    return 0;
}

Registrar rewritePagesCmd({"rewrite-pages", "IN OUT [--pages LIST]",
                           "Opens pages as the editor does, stores them back and saves to OUT "
                           "(LIST: numbers and ranges, e.g. 0,3,5-9; default every page).",
                           {"--pages"}, RewritePages});

}  // namespace
}  // namespace ovik::cli
