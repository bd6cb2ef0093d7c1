// ovikc export and import: converters driven from a script.
#include <cstdio>
#include <sstream>

#include "cli/cli_support.h"
#include "convert/hqv_to_txt.h"
#include "document/hqv_set.h"
#include "document/open_file.h"

namespace ovik::cli {
namespace {

std::vector<int32_t> PageList(const Args& a, THQVset& set) {
    std::vector<int32_t> pages;
    if (!a.Has("--pages")) {
        for (int32_t i = 0; i < set.ObjectCount(testoHtml); ++i)
            if (!set.Page(i)->IsFree()) pages.push_back(i);
        return pages;
    }
    std::stringstream in(a.Value("--pages"));
    std::string item;
    while (std::getline(in, item, ',')) {
        if (item.empty()) continue;
        long long n = ToNumber(item, "page");
        THQVtesto* p = set.Page(n);
        if (!p || p->IsFree()) throw Failure{"no page " + item};
        pages.push_back(int32_t(n));
    }
    return pages;
}

void NeedTextFormat(const Args& a) {
    std::string f = a.Value("--format", "txt");
    if (f != "txt") throw UsageError{"unknown format '" + f + "' (available: txt)"};
}

// Feeds a converter's progress events to the terminal's progress line.
void Attach(THQVconv& conv, ProgressLine& line) {
    conv.OnExpProgress = [&line](THQVconv&, int32_t pag, int32_t tot, int32_t phase) {
        line.Show(ExportProgressText(pag, tot, phase));
    };
}

Registrar exportCmd(
    {"export", "--format txt [--pages LIST] FILE OUT [--quiet]",
     "Exports pages (all by default; LIST is page numbers separated by commas) to OUT.",
     {"--format", "--pages"},
     [](const Args& a, platform::ConsoleMessages& m) {
         NeedTextFormat(a);
         if (a.positional.size() != 2) throw UsageError{"expected FILE and OUT"};
         auto set = OpenOrFail(a.positional[0], m);
         std::vector<int32_t> pages = PageList(a, *set);
         THQVtoTxt conv(set.get());
         conv.ExportFileName = a.positional[1];
         ProgressLine line(a.Has("--quiet"));
         Attach(conv, line);
         bool ok = conv.ExportPages(pages);
         line.Done();
         if (!ok) throw Failure{conv.LastError};
         return 0;
     }});

Registrar importCmd(
    {"import", "--format txt FILE... (--into HYPERTEXT | -o NEW) [--quiet]",
     "Imports text files as new pages into a hypertext, or into a new one.",
     {"--format", "--into", "-o"},
     [](const Args& a, platform::ConsoleMessages& m) {
         NeedTextFormat(a);
         if (a.positional.empty()) throw UsageError{"no file to import"};
         if (a.Has("--into") == a.Has("-o")) throw UsageError{"give either --into or -o"};
         std::unique_ptr<THQVset> set;
         std::string target;
         if (a.Has("--into")) {
             target = a.Value("--into");
             set = OpenOrFail(target, m);
         } else {
             target = a.Value("-o");
             set = std::make_unique<THQVset>(m);
         }
         std::vector<std::filesystem::path> files(a.positional.begin(), a.positional.end());
         // The new hypertext never replaces one of the files it is made from.
         for (const auto& f : files)
             if (SameFile(f, target))
                 throw Failure{"Il file " + target + " è uno dei files da importare: scegli un altro nome."};
         THQVtoTxt conv(set.get());
         ProgressLine line(a.Has("--quiet"));
         Attach(conv, line);
         int32_t first = conv.ImportFiles(files, 1);
         line.Done();
         const ImportReport& report = conv.Report;
         for (const std::string& why : report.messages) m.Warning(why);
         const int32_t made = report.pagesMade;
         if (made == 0) throw Failure{"nothing imported"};
         SaveOrFail(*set, target);
         if (!a.Has("--quiet")) {
             std::printf("%d page%s imported from page %d\n", made, made == 1 ? "" : "s", first);
             if (report.replacedCharacters)
                 std::printf("%zu character%s not in Windows-1252 replaced\n", report.replacedCharacters,
                             report.replacedCharacters == 1 ? "" : "s");
             if (report.droppedControls)
                 std::printf("%zu control character%s (NUL and others) dropped\n", report.droppedControls,
                             report.droppedControls == 1 ? "" : "s");
         }
         return report.skippedFiles.empty() ? 0 : 1;
     }});

}  // namespace
}  // namespace ovik::cli
