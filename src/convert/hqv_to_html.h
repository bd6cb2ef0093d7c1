// THQVtoHtml: HTML export of a hypertext as a folder of pages.
//
// One file per page (the cover page is P_index), extra files for pages opened
// in other windows or shown in floating frames (P-xxxxxx), a style sheet with
// one class per paragraph style, redirect files for pages with their own file
// name, and copies of the pictures and files the pages refer to. The content of
// a page is written from its box markup and the records of the objects it
// names (hqv_to_html_content.cpp); the site around it - names, head, scripts,
// style sheet, phases - in hqv_to_html_site.cpp.
//
// Every name that comes from a document (the export prefix, stored file names,
// extra HTML names) is reduced to one plain file name before it is used, so an
// export never writes outside its folder; two objects never share a file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <shared_mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "convert/hqv_conv.h"
#include "core/background_jobs.h"
#include "links/navigation.h"

namespace ovik {

namespace platform {
class SettingsStore;
}

enum TExpCSS : uint8_t { ecUseCSS = 0, ecEmulateFF = 1 };

// Bits of the scripts a page file needs in its head.
enum HtmlScriptNeed : uint32_t {
    kScriptBrowser = 1,
    kScriptRollover = 2,
    kScriptClose = 4,
    kScriptOpen = 8,
    kScriptOpenSimple = 16,
};

// Letter modes of exported names: main page "_", secondary page "-", copied file.
enum HtmlNameMode : int { kNameMain = 0, kNameSecondary = 1, kNameCopy = 2 };

// What writing page content reports to the site: files to copy, pages to
// export as secondary pages, pictures to preload and scripts to add. Adding
// never adds an object twice.
struct HtmlPageLists {
    std::vector<THQVoggetto*> copy;
    std::vector<int32_t> secondary;  // page numbers
    std::vector<THQVoggetto*> rollover;
    uint32_t scriptNeeds = 0;
    bool collectSecondary = true;
    // MAP names given out in this page file, and the pages being included.
    std::set<std::string> mapNames;
    std::set<int32_t> including;

    // A new page file: what belongs to one file (preloads, scripts, MAP
    // names) starts empty; copies and secondary pages go on for the run.
    void StartPage();
    void AddCopy(THQVoggetto* o);
    void AddSecondary(int32_t page);
    void AddRollover(THQVoggetto* o);

private:
    std::unordered_set<const THQVoggetto*> copySeen_, rollSeen_;
    std::unordered_set<int32_t> secondarySeen_;
};

// The page marker of an exported file.
struct PageMarker {
    int32_t page = 0;
    std::string hypertext;  // empty unless the name ends with ".HQV"
};

// The style sheet's declarations for one paragraph style, lengths in `unit`
// (0 cm .. 5 px): the DIV block's lines, "\t}\r\n", then the link block's
// lines. `divBlock`, when given, gets the DIV block's lines alone. Two styles
// that give the same text look the same to a browser; the importer uses it to
// recognise a style the sheet names.
std::string StyleCssText(const THQVoggetto& style, int32_t ppi, int unit, std::string* divBlock = nullptr);

class THQVtoHtml : public THQVconv {
public:
    using THQVconv::THQVconv;

    bool ExpSepImage = false;   // pictures and files into "images/"
    bool ExpOrigName = false;   // pictures and files keep their stored names
    int ExpTipoExt = 1;         // 0 ".htm", 1 ".html"
    TExpCSS ExpCSS = ecUseCSS;
    bool ImpPreview = false;
    bool AutoAlt = false;       // AREA elements also get an ALT attribute
    bool Html5 = false;         // pages written as HTML5 in UTF-8 (html5_page.h)
    int Workers = -1;           // threads making pages: -1 one per core, 0 none (all on the caller's)

    void ConvertFragment(const Bytes&, Bytes&) override {}
    void ImportFragment(const Bytes&, Bytes&, bool, int32_t) override {}
    int32_t ImportFiles(const std::vector<std::filesystem::path>& files, int mode) override;

    // Exports the listed pages with their secondary pages, the style sheet and
    // the copies, into ExportPath. False with LastError when a page file or
    // the style sheet cannot be written.
    bool ExportPages(const std::vector<int32_t>& pages) override;
    // The flow of the export window: the style sheet, each page in mode 0
    // with its redirect file, the secondary pages, the copies.
    bool ExportSite(const std::vector<int32_t>& pages);
    bool ExportPage(int32_t page) override;
    // One page and the secondary pages it reaches; the pictures and files stay
    // in `copy` for the caller; every page written is added to `exported`.
    bool ExportPage(HtmlPageLists& copy, std::vector<int32_t>& exported, int32_t page);
    // A browser preview into ExportPath: page `page` with what it reaches, or
    // every page in use when `all`. The file to open (the page's main file),
    // or empty with LastError when the export failed.
    std::filesystem::path ExportPreview(int32_t page, bool all);
    // Copies every object of the list (phase 3). Failures are skipped.
    void CopyFiles(const std::vector<THQVoggetto*>& copy);

    // The file an object is exported to, relative to the export folder
    // (cp1252 text, "/" between folders); empty for objects without a file.
    std::string ExportNameOf(const THQVoggetto* o, int mode);
    std::string PageExtension() const { return ExpTipoExt == 0 ? ".htm" : ".html"; }
    // The reduced export prefix.
    std::string Prefix() const;

    // Writes one complete page file into `out` (mode 0 main, 1 secondary).
    void WritePageFile(THQVtesto& page, std::string& out, HtmlPageLists& lists, int mode);
    // Page content: mode 1 BODY tag and content, 6 BODY tag only, 0 and 2 the
    // content only. `fileMode` is the letter mode of the file being written.
    void WriteBody(std::string& out, int mode, HtmlPageLists& lists, THQVtesto* page, int fileMode);
    // Extra HTML of the page `page` with its placeholders resolved.
    std::string ResolveExtraHtml(THQVtesto& page, std::string_view text, HtmlPageLists& lists, int fileMode);
    bool WriteStyleSheet();
    std::string StyleSheetText();
    // The redirect file of a page with its own file name, written into
    // `folder`; its path, or empty when the page has none (or on failure,
    // with LastError).
    std::filesystem::path WriteRedirectFile(THQVtesto& page, const std::filesystem::path& folder);
    static PageMarker ReadPageMarker(const std::filesystem::path& file);

    // "htmlexp" settings as the options window keeps them.
    void LoadOptions(const platform::SettingsStore& store);
    void SaveOptions(platform::SettingsStore& store) const;

    // Files written by the last run (paths relative to ExportPath, UTF-8).
    const std::vector<std::string>& WrittenFiles() const { return written_; }

private:
    friend class HtmlContentWriter;
    bool BeginRun();
    bool Run(const std::vector<int32_t>& pages, bool redirects);
    // Writes a file of the site (the HTML5 rewrite applied when that output
    // is chosen); during a run the writing is handed to the writer thread.
    // `rewritten`: the text is already the HTML5 rewrite.
    bool WriteFile(const std::string& relName, std::string text, bool rewritten = false);
    bool PutFile(const std::string& relName, const std::function<bool(int fd)>& write);
    // The target of a file of the site: its folder made, the open hypertext refused.
    bool PrepareTarget(const std::string& relName, std::filesystem::path& target);
    // Writes beside the target and renames over it; returns the error text.
    std::string WriteTarget(const std::filesystem::path& target, const std::string& relName,
                            const std::function<bool(int fd)>& write);
    // Waits for the writer thread and stops using it; false (LastError set) when a write failed.
    bool FinishWriting();
    std::string ExtraHtmlNameOf(THQVtesto& page);
    // The name of (o, mode): the one given out before, else `wanted` (with a
    // numeric suffix when another file has it). On a thread making a page in
    // parallel the name is not given out: the first free guess, `wanted`, is
    // used and logged, and the caller claims it in page order (Run).
    std::string ClaimName(const THQVoggetto* o, int mode, std::string wanted);
    // The name given out for (o, mode), if any.
    const std::string* ClaimedName(const THQVoggetto* o, int mode) const;
    // Makes the listed pages in `mode` on worker threads; their files are
    // written in list order, with their names claimed in the order a single
    // thread would claim them. False (LastError set) when a file fails.
    bool MakePages(const std::vector<int32_t>& pages, int mode, HtmlPageLists& lists, bool redirects);
    std::string GeneratedCopyName(const THQVoggetto* o, const std::string& ext) const;

    // The browse sequences of the hypertext, sorted once per run.
    const links::BrowseSequences& Sequences();

    // Names given out, by object identifier and name mode (identifier << 8 | mode).
    std::unordered_map<int64_t, std::string> names_;
    std::unordered_set<std::string> taken_;  // lower-case names already given out
    // Guards names_ and taken_ while pages are made on worker threads.
    mutable std::shared_mutex namesMutex_;
    std::unique_ptr<links::BrowseSequences> sequences_;
    // Writes the page files of a run while the next page is made.
    std::unique_ptr<BackgroundJobs> writer_;
    std::vector<std::string> written_;
    // The main and secondary file of every page in use, given out when a run
    // begins and only read after that (also by worker threads), by page number.
    std::vector<std::string> pageNames_[2];
    std::filesystem::path madeFolder_;  // the folder last made for a file of the run
};

// Text rules of the exported HTML (cp1252 in, cp1252 out).
namespace html {
// Six upper-case hexadecimal digits RRGGBB of a colour (low byte red).
std::string ColourText(int32_t colour);
// An attribute value made safe: '"' -> 0x94, '\'' -> 0x92, "<", ">", 127,
// control characters and "#$%&" -> blank.
std::string AttributeText(std::string_view s);
// Element content: "&amp;" "&lt;" "&gt;", 160..255 by entity name, controls dropped.
void AppendCharText(std::string& out, uint8_t c);
// Whether AppendCharText writes the character unchanged: not markup, not a
// control character, not one of the characters written by entity name.
inline bool WrittenAsIs(uint8_t c) {
    return c >= 32 && c != '&' && c != '<' && c != '>' && (c < 160 || c > 251);
}
std::string CharText(std::string_view s);
// The entity name of 160..255 ("macr" for 175).
const char* EntityName(uint8_t c);
// A name from a document as one plain file name (no folder parts, "..",
// control characters, URL-breaking characters or leading dots); empty when
// nothing is left.
std::string PlainFileName(std::string_view cp1252Name);
// A comment's text: "--" cannot end it early.
std::string CommentText(std::string_view s);
}  // namespace html

}  // namespace ovik
