// THQVfromHtml: HTML files imported as pages of the linked hypertext.
//
// Each file becomes one page: its body through the single-pass reader
// (html_reader.h), its title, colours, background picture, keywords and extra
// head text from the head and BODY. The page's wrapper names the file it came
// from (its source name, the file's full path), so that "Auto import" links
// made from links between files find their pages once those files are
// imported too (ResolveAutoImports).
//
//   THQVfromHtml conv(&set);
//   std::vector<fs::path> files = {start};
//   CollectLinkedFiles(start, files, 2);     // start, then the files it links to
//   conv.ImportFiles(files, 1);
//   ResolveAutoImports(set);
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "convert/hqv_conv.h"

namespace ovik {

class THQVfromHtml : public THQVconv {
public:
    using THQVconv::THQVconv;

    // Stop reading a file once its markup holds 5000 characters or more.
    bool ImpPreview = false;

    // Imports each file (missing ones are passed over, with a message in
    // Report) as a new page; the number of the first page made, 0 when none.
    int32_t ImportFiles(const std::vector<std::filesystem::path>& files, int mode) override;

    // The box markup one file gives (with ImpPreview, its first 5000
    // characters or so); the objects it names are made in the linked set.
    std::string ReadMarkup(const std::filesystem::path& file);

    // Export and fragments belong to the HTML writer; this converter only reads.
    void ConvertFragment(const Bytes&, Bytes&) override {}
    bool ExportPages(const std::vector<int32_t>&) override { return false; }
    bool ExportPage(int32_t) override { return false; }
    void ImportFragment(const Bytes&, Bytes&, bool, int32_t) override {}
};

// The files reachable from `start` through links (HREF, or SRC without HREF)
// to ".htm", ".html" and ".txt" files, level by level: level 1 is the start
// file, each further level the files the previous level links to. Files are
// appended to `result` once each, in the order found; the start file is left
// out. Links that lead out of the start file's folder tree are not followed.
void CollectLinkedFiles(const std::filesystem::path& start, std::vector<std::filesystem::path>& result,
                        int levels);

// The files an import that follows links reads: `start` and the existing
// files CollectLinkedFiles finds from it, `levels` deep. A site exported by
// this program marks each page file with its page number; a page written
// twice (its main and its secondary file) is read once, and the marked files
// come first, in page order, so that the pages come back in the order they
// had. Other files keep the order they were found in.
std::vector<std::filesystem::path> LinkedImportList(const std::filesystem::path& start, int levels);

// True when `file` lies inside `folder` (or its subfolders), by their full
// paths.
bool InsideFolder(const std::filesystem::path& file, const std::filesystem::path& folder);

// The full path that names an imported file as its pages' source name.
std::string SourceNameOf(const std::filesystem::path& file);

}  // namespace ovik
