#include "convert/hqv_from_html.h"

#include <algorithm>
#include <climits>
#include <map>
#include <new>
#include <set>

#include "convert/auto_imports.h"
#include "convert/html_reader.h"
#include "convert/hqv_to_html.h"
#include "convert/hqv_to_txt.h"
#include "core/codepage.h"
#include "document/hqv_set.h"
#include "document/keywords.h"
#include "document/open_file.h"
#include "page/page_record.h"

namespace ovik {

namespace fs = std::filesystem;

namespace {

fs::path FullPath(const fs::path& p) {
    std::error_code ec;
    fs::path full = fs::absolute(p, ec);
    return (ec ? p : full).lexically_normal();
}

std::string Shown(const fs::path& file) { return file.string(); }

}  // namespace

std::string SourceNameOf(const fs::path& file) { return cp1252::FromUtf8(FullPath(file).string()); }

namespace {

// The path with its links resolved (as far as it exists).
fs::path Canonical(const fs::path& p) {
    std::error_code ec;
    fs::path c = fs::weakly_canonical(FullPath(p), ec);
    return ec ? FullPath(p) : c;
}

// `f` lies inside `d`, both canonical.
bool InsideCanonical(const fs::path& f, const fs::path& d) {
    auto fi = f.begin();
    for (auto di = d.begin(); di != d.end(); ++di, ++fi) {
        if (di->empty()) continue;  // a final separator
        if (fi == f.end() || *fi != *di) return false;
    }
    return true;
}

}  // namespace

bool InsideFolder(const fs::path& file, const fs::path& folder) {
    return InsideCanonical(Canonical(file), Canonical(folder));
}

std::string THQVfromHtml::ReadMarkup(const fs::path& file) {
    std::string raw;
    if (!LinkedHQVset || !ReadWholeFile(file, raw)) return "";
    HtmlDecoding how;
    std::string text = DecodeHtmlBytes(raw, how);
    std::string().swap(raw);
    HtmlReader reader(*LinkedHQVset, FullPath(file));
    reader.Read(text, ImpPreview);
    return reader.FinalMarkup();
}

int32_t THQVfromHtml::ImportFiles(const std::vector<fs::path>& files, int /*mode*/) {
    Report = ImportReport();
    if (!LinkedHQVset) return 0;
    THQVset& set = *LinkedHQVset;
    int32_t first = -1;
    int32_t language = -1;
    int32_t index = 0;
    HtmlImportCache cache;
    struct Slide {
        int32_t page, delay;
        std::string file;
    };
    std::vector<Slide> slides;
    for (const fs::path& given : files) {
        Progress(index++, int32_t(files.size()), kPhaseMain);
        const fs::path file = FullPath(given);
        try {
            std::error_code ec;
            if (!fs::exists(file, ec)) {
                Report.Skip(given, "File non trovato, saltato: " + Shown(given));
                continue;
            }
            std::string raw;
            if (!ReadWholeFile(file, raw)) {
                const bool other = !fs::is_regular_file(file, ec);
                Report.Skip(given, other ? Shown(given) + " non è un file normale: saltato."
                                         : "File non leggibile, saltato: " + Shown(given));
                continue;
            }
            HtmlDecoding how;
            std::string text = DecodeHtmlBytes(raw, how);
            std::string().swap(raw);
            HtmlReader reader(set, file, &cache);
            reader.Read(text, ImpPreview);
            std::string().swap(text);
            std::string markup = reader.FinalMarkup();
            // A page's text is counted in 32 bits in the file.
            if (markup.size() >= size_t(INT32_MAX) - 1) {
                Report.Skip(given, "Il file " + Shown(given) + " è troppo grande per una pagina: saltato.");
                continue;
            }
            THQVtesto* page = NewImportPage();
            if (!page) break;
            Bytes content(markup.begin(), markup.end());
            content.push_back(0);
            std::string().swap(markup);
            page->SetContent(std::move(content));

            const std::string name = SourceNameOf(file);
            Bytes wrapper;
            AppendI32(wrapper, int32_t(name.size() + 4));
            AppendI32(wrapper, int32_t(name.size()));
            AppendString(wrapper, name);
            AppendString(wrapper, reader.headExtras.empty() ? std::string(" ") : reader.headExtras);
            page->SetWrapper(std::move(wrapper));

            PageRecord rec(*page);
            if (reader.backColour.set) rec.SetBackgroundColour(reader.backColour.v);
            if (reader.textColour.set) rec.SetTextColour(reader.textColour.v);
            if (reader.linkColour.set) rec.SetLinkColour(reader.linkColour.v);
            if (reader.visitedColour.set) rec.SetVisitedColour(reader.visitedColour.v);
            if (reader.backPicture.set) rec.SetBackgroundPicture(reader.backPicture.v);
            if (reader.hasTitle) rec.SetTitle(reader.title.substr(0, kPageTitleMax));
            for (const std::string& k : reader.keywords)
                if (THQVoggetto* kw = FindOrAddKeyword(set, k.substr(0, 79))) AddKeywordToPage(*page, kw->Number());
            if (reader.language >= 0) language = reader.language;
            if (reader.slideDelay >= 0 && !reader.slideFile.empty())
                slides.push_back({page->Number(), reader.slideDelay, reader.slideFile});
            Report.replacedCharacters += how.replaced + reader.replacedChars;
            ++Report.pagesMade;
            if (first < 0) first = page->Number();
        } catch (const std::bad_alloc&) {
            Report.Skip(given, "Memoria insufficiente per importare il file " + Shown(given) + ": saltato.");
        } catch (const std::exception& e) {
            Report.Skip(given, "Errore nell'importazione di " + Shown(given) + ": saltato.");
        }
    }
    if (language >= 0) Language = uint16_t(language);
    // Slides lead to the pages imported from their files.
    if (!slides.empty()) {
        ImportedPages imported(set);
        for (const Slide& sl : slides)
            if (THQVtesto* next = imported.Find(sl.file); next && set.Page(sl.page)) {
                PageRecord rec(*set.Page(sl.page));
                rec.SetSlideTarget(next->Number());
                rec.SetSlideDelay(int16_t(std::clamp(sl.delay, 0, 32767)));
            }
    }
    return first < 0 ? 0 : first;
}

namespace {

// The references of one HTML file to other page files, resolved.
void LinkedFilesOf(const fs::path& file, std::vector<fs::path>& out) {
    std::string raw;
    if (!ReadWholeFile(file, raw)) return;
    HtmlDecoding how;
    const std::string text = DecodeHtmlBytes(raw, how);
    std::string().swap(raw);
    const fs::path folder = file.parent_path();
    std::string prefix;
    HtmlAttributes attrs;
    const auto* d = reinterpret_cast<const uint8_t*>(text.data());
    size_t i = 0;
    while ((i = text.find('<', i)) != std::string::npos) {
        size_t k = i + 1;
        while (k < text.size() && std::isalnum(d[k])) ++k;
        const size_t end = std::min(text.find('>', k), text.size());
        const std::string name = cp1252::Upper(text.substr(i + 1, k - i - 1));
        ParseHtmlAttributes(d + k, d + end, attrs);
        i = end;
        const std::string* ref = attrs.Find("HREF");
        if (name == "BASE") {
            if (ref && cp1252::Lower(*ref).find("http:") == std::string::npos) prefix = *ref;
            continue;
        }
        if (!ref) ref = attrs.Find("SRC");
        if (!ref) continue;
        std::string target = *ref;
        if (std::string_view inner = ExportedScriptTarget(target); !inner.empty()) target = std::string(inner);
        if (IsAddress(target)) continue;
        std::string path = target.substr(0, target.find_first_of("#?"));
        if (path.empty() || !IsPageFileName(path)) continue;
        fs::path resolved = ResolveHtmlPath(folder, prefix + target);
        if (!resolved.empty()) out.push_back(resolved);
    }
}

}  // namespace

void CollectLinkedFiles(const fs::path& start, std::vector<fs::path>& result, int levels) {
    const fs::path first = FullPath(start);
    const fs::path root = Canonical(first.parent_path());
    std::set<fs::path> seen(result.begin(), result.end());
    // Each file found is looked at once, however many pages link to it.
    std::set<fs::path> queued;
    std::vector<fs::path> level = {first};
    const size_t startAt = result.size();
    levels = std::clamp(levels, 0, 200);
    for (int l = 0; l < levels && !level.empty(); ++l) {
        std::vector<fs::path> next;
        for (const fs::path& f : level) {
            if (!seen.insert(f).second) continue;
            result.push_back(f);
            std::error_code ec;
            if (!fs::is_regular_file(f, ec)) continue;
            std::vector<fs::path> found;
            LinkedFilesOf(f, found);
            for (fs::path& g : found)
                if (!seen.count(g) && queued.insert(g).second && InsideCanonical(Canonical(g), root))
                    next.push_back(std::move(g));
        }
        level = std::move(next);
    }
    result.erase(std::remove(result.begin() + long(startAt), result.end(), first), result.end());
}

std::vector<fs::path> LinkedImportList(const fs::path& start, int levels) {
    std::vector<fs::path> found, files = {start};
    CollectLinkedFiles(start, found, levels);
    for (fs::path& f : found) {
        std::error_code ec;
        if (fs::is_regular_file(f, ec)) files.push_back(std::move(f));
    }
    struct Marked {
        size_t hypertext;  // in the order the hypertexts were first met
        int32_t page;
        size_t order;
    };
    std::vector<Marked> marked;
    std::vector<fs::path> others;
    std::set<std::pair<std::string, int32_t>> seen;
    std::map<std::string, size_t> hypertexts;
    for (size_t k = 0; k < files.size(); ++k) {
        std::error_code ec;
        const PageMarker m = fs::is_regular_file(files[k], ec) ? THQVtoHtml::ReadPageMarker(files[k]) : PageMarker();
        if (m.hypertext.empty()) {
            others.push_back(files[k]);
            continue;
        }
        const std::string ht = cp1252::Upper(m.hypertext);
        if (!seen.insert({ht, m.page}).second) continue;  // the twin of a page already listed
        const size_t order = hypertexts.emplace(ht, hypertexts.size()).first->second;
        marked.push_back({order, m.page, k});
    }
    std::stable_sort(marked.begin(), marked.end(), [](const Marked& a, const Marked& b) {
        return a.hypertext != b.hypertext ? a.hypertext < b.hypertext : a.page < b.page;
    });
    std::vector<fs::path> out;
    // An unmarked start file stays first: it is the page the import shows.
    const bool startFirst = !others.empty() && others.front() == files[0];
    if (startFirst) out.push_back(others.front());
    for (const Marked& m : marked) out.push_back(files[m.order]);
    for (size_t k = startFirst ? 1 : 0; k < others.size(); ++k) out.push_back(others[k]);
    return out;
}

}  // namespace ovik
