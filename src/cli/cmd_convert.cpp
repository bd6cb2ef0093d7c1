// ovikc export and import: converters driven from a script.
#include <cstdio>
#include <sstream>

#include "cli/cli_support.h"
#include "convert/auto_imports.h"
#include "convert/hqv_from_html.h"
#include "convert/hqv_to_html.h"
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

// Feeds a converter's progress events to the terminal's progress line.
void Attach(THQVconv& conv, ProgressLine& line) {
    conv.OnExpProgress = [&line](THQVconv&, int32_t pag, int32_t tot, int32_t phase) {
        line.Show(ExportProgressText(pag, tot, phase));
    };
}

// The HTML flow of the export window with the settings of its first use:
// ".htm", pictures beside the pages, generated names, automatic alt, CSS.
int ExportHtml(const Args& a, platform::ConsoleMessages& m) {
    if (a.positional.size() != 2) throw UsageError{"expected FILE and OUTDIR"};
    std::string ext = a.Value("--ext", "htm");
    if (ext != "htm" && ext != "html") throw UsageError{"--ext takes htm or html"};
    auto set = OpenOrFail(a.positional[0], m);
    std::vector<int32_t> pages = ChosenPages(a, *set);
    THQVtoHtml conv(set.get());
    conv.ExportPath = a.positional[1];
    conv.ExpTipoExt = ext == "html" ? 1 : 0;
    conv.ExpSepImage = a.Has("--images-folder");
    conv.ExpOrigName = a.Has("--original-names");
    conv.AutoAlt = !a.Has("--no-auto-alt");
    conv.ExpCSS = a.Has("--emulate-ff") ? ecEmulateFF : ecUseCSS;
    conv.Html5 = a.Has("--html5");
    ProgressLine line(a.Has("--quiet"));
    Attach(conv, line);
    bool ok = conv.ExportSite(pages);
    line.Done();
    if (!ok) throw Failure{conv.LastError};
    return 0;
}

void NeedTextFormat(const Args& a) {
    std::string f = a.Value("--format", "txt");
    if (f != "txt") throw UsageError{"unknown format '" + f + "' (available: txt)"};
}

Registrar exportCmd(
    {"export",
     "--format txt [--pages LIST] [--encoding utf-8|windows-1252] [--eol lf|crlf] FILE OUT [--quiet]\n"
     "       export --format html [--pages LIST] [--ext htm|html] [--images-folder] [--original-names]\n"
     "              [--no-auto-alt] [--emulate-ff] [--html5] FILE OUTDIR [--quiet]",
     "Exports pages (all by default; LIST is page numbers separated by commas) to OUT, or as HTML "
     "files into OUTDIR (--html5: HTML5 in UTF-8, the same files and links). Text is written as UTF-8 with LF line ends unless --encoding and --eol say "
     "otherwise (windows-1252 and crlf give the editor's bytes).",
     {"--format", "--pages", "--ext", "--encoding", "--eol"},
     [](const Args& a, platform::ConsoleMessages& m) {
         if (a.Value("--format", "txt") == "html") return ExportHtml(a, m);
         NeedTextFormat(a);
         if (a.positional.size() != 2) throw UsageError{"expected FILE and OUT"};
         auto set = OpenOrFail(a.positional[0], m);
         std::vector<int32_t> pages = PageList(a, *set);
         THQVtoTxt conv(set.get());
         conv.ExportFileName = a.positional[1];
         const std::string encoding = a.Value("--encoding", "utf-8");
         if (encoding != "utf-8" && encoding != "windows-1252")
             throw UsageError{"unknown encoding '" + encoding + "' (available: utf-8, windows-1252)"};
         const std::string eol = a.Value("--eol", "lf");
         if (eol != "lf" && eol != "crlf") throw UsageError{"unknown line end '" + eol + "' (available: lf, crlf)"};
         conv.Encoding = encoding == "utf-8" ? THQVtoTxt::TextEncoding::Utf8 : THQVtoTxt::TextEncoding::Windows1252;
         conv.CrLf = eol == "crlf";
         ProgressLine line(a.Has("--quiet"));
         Attach(conv, line);
         bool ok = conv.ExportPages(pages);
         line.Done();
         if (!ok) throw Failure{conv.LastError};
         return 0;
     }});

// The files of an HTML import: the given ones, or with --follow-links the
// start file and the existing files it leads to.
std::vector<std::filesystem::path> HtmlImportFiles(const Args& a) {
    std::vector<std::filesystem::path> files(a.positional.begin(), a.positional.end());
    if (!a.Has("--follow-links")) return files;
    if (files.size() != 1) throw UsageError{"--follow-links takes one start file"};
    long long levels = ToNumber(a.Value("--follow-links"), "levels");
    if (levels < 0 || levels > 200) throw UsageError{"LEVELS must be 0 to 200"};
    return LinkedImportList(files[0], int(levels));
}

Registrar importCmd(
    {"import",
     "--format txt|html FILE... (--into HYPERTEXT | -o NEW) [--follow-links LEVELS] [--quiet]",
     "Imports text or HTML files as new pages into a hypertext, or into a new one. With\n"
     "--follow-links (HTML) the files the start file links to are imported too, LEVELS deep\n"
     "(2: the start file and the files it links to), and links between them lead to their pages.",
     {"--format", "--into", "-o", "--follow-links"},
     [](const Args& a, platform::ConsoleMessages& m) {
         const bool html = a.Value("--format", "txt") == "html";
         if (!html) NeedTextFormat(a);
         if (!html && a.Has("--follow-links")) throw UsageError{"--follow-links needs --format html"};
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
         std::vector<std::filesystem::path> files =
             html ? HtmlImportFiles(a)
                  : std::vector<std::filesystem::path>(a.positional.begin(), a.positional.end());
         // The new hypertext never replaces one of the files it is made from.
         for (const auto& f : files)
             if (SameFile(f, target))
                 throw Failure{"Il file " + target + " è uno dei files da importare: scegli un altro nome."};
         THQVtoTxt text(set.get());
         THQVfromHtml htmlConv(set.get());
         THQVconv& conv = html ? static_cast<THQVconv&>(htmlConv) : text;
         ProgressLine line(a.Has("--quiet"));
         Attach(conv, line);
         int32_t first = conv.ImportFiles(files, 1);
         if (html) ResolveAutoImports(*set);
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
