// The exported site: file names, the page file around its content, the
// scripts, redirect files, page markers and the three phases of a run.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include <fcntl.h>
#include <unistd.h>

#include "convert/hqv_to_html.h"
#include "core/codepage.h"
#include "core/file_names.h"
#include "core/ordered_jobs.h"
#include "document/hqv_set.h"
#include "document/output_file.h"
#include "links/link_address.h"
#include "page/page_record.h"
#include "convert/html5_page.h"
#include "view/frames.h"
#include "platform/settings_store.h"
#include "text/text_attributes.h"

namespace ovik {

namespace fs = std::filesystem;

namespace {

std::string Hex6(int32_t n) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%06x", uint32_t(n) & 0xFFFFFFu);
    return buf;
}

const char* const kLetters[3] = {"_", "-", "="};

constexpr const char* kScriptBrowserText =
    "\r\nOvikC_bname = navigator.appName;\r\nOvikC_bver = parseFloat(navigator.appVersion);\r\n";
constexpr const char* kScriptRolloverText =
    "\r\nOvikC_SensOk ='false';\r\nif (OvikC_bver >= 3.0) { OvikC_SensOk = 'true' } \r\n\r\n"
    "function OvikF_over(img,ref)\r\n{\r\n  if (OvikC_SensOk=='true') { document.images[img].src = ref }\r\n}\r\n";
constexpr const char* kScriptOpenText =
    "\r\nfunction OvikF_open(newURL, newName, newFeatures, orgName) \r\n{\r\n"
    "  var remote = open(newURL, newName, newFeatures);\r\n  if (remote.opener == null) remote.opener = window;\r\n"
    "  remote.opener.name = orgName;\r\n}\r\n";
constexpr const char* kScriptOpenSimpleText =
    "\r\nfunction OvikF_openB(newURL) \r\n{\r\n  var remote = open(newURL);\r\n}\r\n";
constexpr const char* kScriptCloseText =
    "\r\nfunction OvikF_close(finName)\r\n{\r\n  OvikC_tmp=open('', finName);\r\n  OvikC_tmp.close( );\r\n}\r\n";

// A URL for an attribute value: the characters that would end it are escaped.
std::string UrlText(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == '"') out += "%22";
        else if (c == '<') out += "%3C";
        else if (c == '>') out += "%3E";
        else if (uint8_t(c) < 32) continue;
        else out += c;
    }
    return out;
}

}  // namespace

// --- run lists -------------------------------------------------------------------------------

void HtmlPageLists::StartPage() {
    rollover.clear();
    rollSeen_.clear();
    scriptNeeds = 0;
    mapNames.clear();
}
void HtmlPageLists::AddCopy(THQVoggetto* o) {
    if (o && copySeen_.insert(o).second) copy.push_back(o);
}
void HtmlPageLists::AddSecondary(int32_t page) {
    if (collectSecondary && secondarySeen_.insert(page).second) secondary.push_back(page);
}
void HtmlPageLists::AddRollover(THQVoggetto* o) {
    if (o && rollSeen_.insert(o).second) rollover.push_back(o);
}

// --- names -----------------------------------------------------------------------------------

std::string THQVtoHtml::Prefix() const { return html::PlainFileName(ExportPrefixOf()); }

namespace {

int64_t NameKey(const THQVoggetto* o, int mode) { return int64_t(o ? o->Id() : -1) * 256 + mode; }

// A name a page made on a worker thread used before it was given out.
struct NameGuess {
    const THQVoggetto* o;
    int mode;
    std::string wanted;
};
// Set while this thread makes a page for MakePages: names are guessed and logged here.
thread_local std::vector<NameGuess>* tGuesses = nullptr;

}  // namespace

const std::string* THQVtoHtml::ClaimedName(const THQVoggetto* o, int mode) const {
    std::shared_lock lock(namesMutex_);
    auto it = names_.find(NameKey(o, mode));
    // Entries are never changed or removed during a run, so the text stays where it is.
    return it != names_.end() ? &it->second : nullptr;
}

std::string THQVtoHtml::ClaimName(const THQVoggetto* o, int mode, std::string wanted) {
    if (tGuesses) {
        if (const std::string* given = ClaimedName(o, mode)) return *given;
        tGuesses->push_back({o, mode, wanted});
        return wanted;
    }
    const int64_t key = NameKey(o, mode);
    std::unique_lock lock(namesMutex_);
    if (auto it = names_.find(key); it != names_.end()) return it->second;
    std::string name = wanted;
    const std::string stem = WithoutExtension(wanted), ext = Extension(wanted);
    for (int k = 1; !taken_.insert(cp1252::Lower(name)).second; ++k) name = stem + "_" + std::to_string(k) + ext;
    names_[key] = name;
    return name;
}

const links::BrowseSequences& THQVtoHtml::Sequences() {
    if (!sequences_) sequences_ = std::make_unique<links::BrowseSequences>(*LinkedHQVset);
    return *sequences_;
}

std::string THQVtoHtml::GeneratedCopyName(const THQVoggetto* o, const std::string& ext) const {
    return Prefix() + (o->Kind() == genLink ? "_g" : "_i") + Hex6(o->Number()) + ext;
}

std::string THQVtoHtml::ExportNameOf(const THQVoggetto* o, int mode) {
    if (!o || !LinkedHQVset) return {};
    const std::string X = PageExtension();
    const std::string D = ExpSepImage ? "images/" : "";
    switch (o->Kind()) {
        case testoHtml: {
            const int m = mode >= 0 && mode <= 2 ? mode : 0;
            // Every page's names are given out when a run begins: most calls end here.
            if (m < 2 && size_t(o->Number()) < pageNames_[m].size() && !pageNames_[m][size_t(o->Number())].empty())
                return pageNames_[m][size_t(o->Number())];
            if (const std::string* given = ClaimedName(o, m)) return *given;
            const std::string body = o->Number() == LinkedHQVset->CoverPage() ? "index" : Hex6(o->Number());
            return ClaimName(o, m, Prefix() + kLetters[m] + body + X);
        }
        case internetLink: {
            const std::string address = o->Name();
            links::OvikAddress a = links::ParseOvikAddress(*LinkedHQVset, address);
            if (!a.hypertext) return UrlText(address);
            std::string folder;
            if (!LinkedHQVset->HQVFileName().empty()) {
                fs::path rel = a.file.parent_path().lexically_relative(LinkedHQVset->HQVFileName().parent_path());
                if (!rel.empty() && rel != ".") folder = cp1252::FromUtf8(rel.generic_string()) + "/";
            }
            int32_t page = a.page;
            if (page < 0) page = links::ForeignCoverPage(a.file);
            std::string name = page >= 0 ? links::ForeignPageFileName(a.file, page, X) : std::string();
            return UrlText(folder + name);
        }
        case genLink:
        case immagine: {
            const std::string stored = html::PlainFileName(o->FileName());
            const std::string ext = Extension(stored);
            const std::string lext = cp1252::Lower(ext);
            const bool keep = ExpOrigName || (o->Kind() == genLink && (lext.find(".cla") != std::string::npos ||
                                                                      lext.find(".mov") != std::string::npos));
            std::string name = keep && !stored.empty() ? stored : GeneratedCopyName(o, ext);
            return D + ClaimName(o, kNameCopy, name);
        }
        case immagineNew: {
            int32_t n = o->I32(0);
            THQVoggetto* pic = n >= 0 ? LinkedHQVset->GetObject(immagine, n) : nullptr;
            return pic ? ExportNameOf(pic, kNameCopy) : std::string();
        }
        default: return {};
    }
}

std::string THQVtoHtml::ExtraHtmlNameOf(THQVtesto& page) {
    // A field never written (length byte 0xFF) names nothing.
    if (page.U8(page_rec::kExtraHtmlName) > kExtraHtmlNameMax) return {};
    std::string stored = PageRecord(page).ExtraHtmlName();
    if (stored.find_first_not_of(' ') == std::string::npos) return {};
    std::string name = html::PlainFileName(stored);
    if (name.empty()) name = Prefix() + "_r" + Hex6(page.Number()) + PageExtension();
    return ClaimName(&page, 3, name);
}

bool THQVtoHtml::BeginRun() {
    madeFolder_.clear();
    for (auto& list : pageNames_) list.clear();
    names_.clear();
    taken_.clear();
    sequences_.reset();
    written_.clear();
    LastError.clear();
    // Generated names are reserved first, so that no stored name takes one.
    taken_.insert(cp1252::Lower(Prefix() + "_style.css"));
    if (LinkedHQVset) {
        const int32_t pages = LinkedHQVset->ObjectCount(testoHtml);
        for (int m = 0; m < 2; ++m) pageNames_[m].assign(size_t(std::max(pages, 0)), std::string());
        for (int32_t i = 0; i < pages; ++i)
            if (THQVtesto* p = LinkedHQVset->Page(i); p && !p->IsFree())
                for (int m = 0; m < 2; ++m) pageNames_[m][size_t(i)] = ExportNameOf(p, m);
    }
    std::error_code ec;
    fs::create_directories(ExportPath, ec);
    if (ec || !fs::is_directory(ExportPath, ec)) {
        LastError = "Errore nella creazione directory: \"" + ExportPath.string() + "\": " +
                    std::generic_category().message(ec ? ec.value() : ENOTDIR);
        return false;
    }
    return true;
}

bool THQVtoHtml::WriteFile(const std::string& relName, std::string text, bool rewritten) {
    fs::path target;
    if (!PrepareTarget(relName, target)) return false;
    // The modern output is the faithful page rewritten, so both name, link
    // and show the same files.
    auto job = [this, target, relName, html5 = Html5 && !rewritten, text = std::move(text)]() {
        std::string modern;
        if (html5) modern = Extension(relName) == ".css" ? Html5Text(text) : Html5Page(text);
        const std::string_view bytes = html5 ? std::string_view(modern) : std::string_view(text);
        return WriteTarget(target, relName, [&](int fd) {
            size_t off = 0;
            while (off < bytes.size()) {
                ssize_t w = ::write(fd, bytes.data() + off, bytes.size() - off);
                if (w < 0 && errno == EINTR) continue;
                if (w <= 0) {
                    if (w == 0) errno = ENOSPC;
                    return false;
                }
                off += size_t(w);
            }
            return true;
        });
    };
    if (writer_) {
        if (writer_->Submit(std::move(job))) return true;
        FinishWriting();
        return false;
    }
    std::string error = job();
    if (error.empty()) return true;
    LastError = std::move(error);
    return false;
}

bool THQVtoHtml::FinishWriting() {
    if (!writer_) return true;
    std::string error = writer_->Wait();
    writer_.reset();
    if (error.empty()) return true;
    // A file refused before this one was queued is the error to report.
    if (LastError.empty()) LastError = std::move(error);
    return false;
}

bool THQVtoHtml::PrepareTarget(const std::string& relName, fs::path& target) {
    target = ExportPath / fs::path(cp1252::ToUtf8(relName));
    // Most files of a run go into the folder of the one before.
    if (target.parent_path() != madeFolder_) {
        std::error_code ec;
        fs::create_directories(target.parent_path(), ec);
        madeFolder_ = target.parent_path();
    }
    std::vector<fs::path> keep;
    if (LinkedHQVset) keep.push_back(LinkedHQVset->HQVFileName());
    if (std::string why = OutputRefusal(target, keep); !why.empty()) {
        LastError = why;
        return false;
    }
    return true;
}

// A file that exists is written beside its target under a temporary name and
// renamed over it, so an old file is replaced whole or not at all. The files
// of a site are not flushed to disk: a site is output that can be made again
// from the hypertext (which the export never writes), and waiting for the
// disk would cost more than making it (seconds for a site of 700 MB), as it
// would for copying the folder with `cp -r`.
bool THQVtoHtml::PutFile(const std::string& relName, const std::function<bool(int)>& write) {
    fs::path target;
    if (!PrepareTarget(relName, target)) return false;
    std::string error = WriteTarget(target, relName, write);
    if (error.empty()) return true;
    LastError = std::move(error);
    return false;
}

std::string THQVtoHtml::WriteTarget(const fs::path& target, const std::string& relName,
                                    const std::function<bool(int)>& write) {
    // A file that is not there yet is made under its own name (nothing can be
    // reading it, and a failed write removes it again): that saves the
    // temporary name, the permissions and the rename for each file of a new site.
    fs::path temp;
    int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    const bool replacing = fd < 0 && errno == EEXIST;
    if (replacing) fd = CreateTempBeside(target, temp);
    if (fd < 0) return "Impossibile creare il file " + target.string() + ": " + std::strerror(errno);
    bool ok = write(fd);
    int err = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && replacing && ::rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(replacing ? temp.c_str() : target.c_str());
        return "Errore nella scrittura file " + target.string() + ": " + std::strerror(err ? err : EIO);
    }
    written_.push_back(cp1252::ToUtf8(relName));
    return {};
}

// --- the page file ---------------------------------------------------------------------------

void THQVtoHtml::WritePageFile(THQVtesto& page, std::string& out, HtmlPageLists& lists, int mode) {
    THQVset& set = *LinkedHQVset;
    page.ConvertFormat1();
    PageRecord r(page);
    out += "<HTML><HEAD>\r\n<TITLE>" + html::CharText(r.Title()) + "\r\n</TITLE>\r\n";
    // The page's bytes are Windows-1252; every browser is told so.
    out += "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\">\r\n";
    std::string keywords;
    for (int k = 0; k < kPageKeywordSlots; ++k) {
        int32_t n = r.Keyword(k);
        THQVoggetto* kw = n >= 0 ? set.GetObject(keyword, n) : nullptr;
        if (kw && !kw->IsFree()) keywords += html::AttributeText(kw->Name()) + ",";
    }
    if (!keywords.empty()) out += "<META NAME=\"keywords\" CONTENT=\"" + keywords + "\">\r\n";
    if (THQVtesto* target = r.SlideTarget() >= 0 ? set.Page(r.SlideTarget()) : nullptr; target && !target->IsFree())
        out += "<META HTTP-EQUIV=\"refresh\" CONTENT=\"" + std::to_string(r.SlideDelay()) +
               ";URL=" + ExportNameOf(target, kNameMain) + "\">\r\n";
    // The page's own extra HTML (its wrapper after the int32 count and bytes).
    if (const Bytes* w = page.Wrapper(); w && w->size() >= 4) {
        int64_t n = GetI32(w->data());
        if (n >= 0 && uint64_t(n) <= w->size() - 4 && w->size() > size_t(4 + n)) {
            std::string extra(w->begin() + 4 + n, w->end());
            if (auto z = extra.find('\0'); z != std::string::npos) extra.resize(z);
            // An imported page stores one blank when its file had no extra head text.
            if (extra.find_first_not_of(" \r\n\t") != std::string::npos) {
                out += ResolveExtraHtml(page, extra, lists, mode);
                if (out.back() != '\n') out += "\r\n";
            }
        }
    }
    out += "<!--pageoVik=\"" + std::to_string(page.Number()) + ";" +
           html::CommentText(cp1252::FromUtf8(set.HQVFileName().string())) + "\"-->\r\n";
    if (!set.Authors().empty())
        out += "<META NAME=\"author\" CONTENT=\"" + html::AttributeText(set.Authors()) + "\">\r\n";
    if (!set.Copyright().empty())
        out += "<META NAME=\"copyright\" CONTENT=\"" + html::AttributeText(set.Copyright()) + "\">\r\n";
    out += "<META NAME=\"generator\" CONTENT=\"Ovik 3.0\">\r\n";
    out += "<LINK REL=STYLESHEET HREF=\"" + Prefix() + "_style.css\" TYPE=\"text/css\">\r\n";

    std::string body;
    lists.StartPage();
    // A main page that hosts a frame layout: its frame set first, the page's
    // own content for browsers without frames after it. Each frame's page is
    // a secondary page.
    bool frames = false;
    if (FrameTree tree; mode == 0 && ReadPageLayout(set, page.Number(), tree)) {
        body += FramesetHtml(tree, [&](int32_t n) {
            THQVtesto* shown = set.Page(n);
            if (!shown || shown->IsFree()) return std::string();
            lists.AddSecondary(n);
            return ExportNameOf(shown, kNameSecondary);
        });
        body += "\r\n<NOFRAME>\r\n";
        frames = true;
    }
    auto pageOrNone = [&](int32_t n, int32_t def) -> THQVtesto* {
        if (n == kDefaultHeaderPage) n = def;
        if (n < 0 || n == page.Number()) return nullptr;
        THQVtesto* p = set.Page(n);
        return p && !p->IsFree() ? p : nullptr;
    };
    THQVtesto* H = pageOrNone(r.HeaderPage(), set.HdrI32(hdr::kDefaultHeader));
    THQVtesto* F = pageOrNone(r.FooterPage(), set.HdrI32(hdr::kDefaultFooter));
    if (H) {
        WriteBody(body, 6, lists, &page, mode);
        WriteBody(body, 0, lists, H, mode);
        WriteBody(body, 0, lists, &page, mode);
    } else {
        WriteBody(body, 1, lists, &page, mode);
    }
    if (F) WriteBody(body, 2, lists, F, mode);

    if (lists.scriptNeeds) {
        out += "<SCRIPT>\r\n<!--//\r\n";
        if (lists.scriptNeeds & kScriptBrowser) out += kScriptBrowserText;
        if (lists.scriptNeeds & kScriptRollover) out += kScriptRolloverText;
        if (lists.scriptNeeds & kScriptOpen) out += kScriptOpenText;
        if (lists.scriptNeeds & kScriptOpenSimple) out += kScriptOpenSimpleText;
        if (lists.scriptNeeds & kScriptClose) out += kScriptCloseText;
        out += "\r\n//-->\r\n</SCRIPT>\r\n";
    }
    out += "</HEAD>\r\n";
    out += body;
    if (!lists.rollover.empty()) {
        out += "\r\n<SCRIPT>\r\n<!--//\r\n  if (OvikC_SensOk == 'true')\r\n  {";
        for (size_t k = 0; k < lists.rollover.size(); ++k) {
            const std::string v = "OvikP_" + std::to_string(k);
            out += "\r\n  " + v + "= new Image();\r\n  " + v + ".src=\"" +
                   ExportNameOf(lists.rollover[k], kNameCopy) + "\";";
        }
        out += "\r\n  }\r\n//-->\r\n</SCRIPT>\r\n";
    }
    if (frames) out += "</NOFRAME>";
    out += "\r\n</BODY></HTML>\r\n";
}

// --- style sheet -----------------------------------------------------------------------------

std::string StyleCssText(const THQVoggetto& style, int32_t ppi, int unit, std::string* divBlock) {
    static const char* const kUnits[6] = {"cm", "mm", "in", "pt", "pc", "px"};
    static const char* const kAlign[4] = {"left", "right", "center", "justify"};
    const THQVoggetto* s = &style;
    if (unit < 0 || unit > 5) unit = 5;
    auto len = [&](Attr a) {
        return std::to_string(std::llround(PixelsToUnit(StyleValue(s, a), uint8_t(unit), ppi))) + kUnits[unit];
    };
    std::string out;
    out += "\tfont-family:\"" + html::AttributeText(StyleFace(s)) + "\";\r\n";
    out += "\tfont-size:" + std::to_string(StyleValue(s, Attr::Size)) + "pt;\r\n";
    out += "\tcolor:#" + html::ColourText(StyleValue(s, Attr::Colour)) + ";\r\n";
    const int32_t st = StyleValue(s, Attr::Style);
    if (st & 2) out += "\tfont-style:italic;\r\n";
    if (st & 1) out += "\tfont-weight:bold;\r\n";
    if (st & 4) out += "\ttext-decoration:underline;\r\n";
    else if (st & 8) out += "\ttext-decoration:line-through;\r\n";
    if (StyleValue(s, Attr::LineHeight) != -32000) out += "\tline-height:" + len(Attr::LineHeight) + ";\r\n";
    out += "\tmargin-left:" + len(Attr::Left) + ";\r\n";
    out += "\tmargin-right:" + len(Attr::Right) + ";\r\n";
    out += "\tmargin-top:" + len(Attr::Above) + ";\r\n";
    out += "\tmargin-bottom:" + len(Attr::Below) + ";\r\n";
    out += "\ttext-indent:" + len(Attr::Indent) + ";\r\n";
    const int32_t al = StyleValue(s, Attr::Align);
    out += std::string("\ttext-align:") + (al >= 0 && al < 4 ? kAlign[al] : "left") + ";\r\n";
    const int32_t list = StyleValue(s, Attr::ListKind);
    out += list == 6 ? "\tlist-style-type:decimal;" : list == 10 ? "\tlist-style-type:disc;" : "\tlist-style-type:none;";
    if (divBlock) *divBlock = out;
    std::string link = "\tcolor:#" + html::ColourText(StyleValue(s, Attr::LinkColour)) + ";\r\n";
    if (StyleValue(s, Attr::LinkSize) > 0)
        link += "\tfont-size:" + std::to_string(StyleValue(s, Attr::LinkSize)) + "pt;\r\n";
    const int32_t ls = StyleValue(s, Attr::LinkStyle);
    if (ls & 2) link += "\tfont-style:italic;\r\n";
    if (ls & 1) link += "\tfont-weight:bold;\r\n";
    if (!(ls & 4)) link += "\ttext-decoration:none;\r\n";
    else if (ls & 8) link += "\ttext-decoration:line-through;\r\n";
    return out + "\t}\r\n" + link;
}

std::string THQVtoHtml::StyleSheetText() {
    std::string out = "/* Ovik automatic CSS */\r\n\r\n";
    if (!LinkedHQVset) return out;
    const int32_t ppi = LinkedHQVset->ScreenPixelsPerInch;
    for (int32_t i = 0; i < LinkedHQVset->ObjectCount(stileParagrafo); ++i) {
        THQVoggetto* s = LinkedHQVset->GetObject(stileParagrafo, i);
        if (!s || s->IsFree()) continue;
        std::string div;
        const std::string both = StyleCssText(*s, ppi, StyleValue(s, Attr::Unit), &div);
        std::string name = s->Name().substr(0, 32);
        out += "/* " + html::CommentText(html::AttributeText(name)) + " */\r\nDIV.s" + std::to_string(i) + " {\r\n";
        out += div;
        out += "\t}\r\nA.s" + std::to_string(i) + " {\r\n";
        out += both.substr(div.size() + 4);
        out += "\t}\r\n";
    }
    return out;
}

bool THQVtoHtml::WriteStyleSheet() {
    std::error_code ec;
    fs::create_directories(ExportPath, ec);
    return WriteFile(Prefix() + "_style.css", StyleSheetText());
}

// --- redirect files and page markers ---------------------------------------------------------

fs::path THQVtoHtml::WriteRedirectFile(THQVtesto& page, const fs::path& folder) {
    const std::string name = ExtraHtmlNameOf(page);
    if (name.empty() || !LinkedHQVset) return {};
    PageRecord r(page);
    const std::string main = ExportNameOf(&page, kNameMain);
    std::string out = "<HTML><HEAD>\r\n<TITLE>" + html::CharText(r.Title()) + "\r\n</TITLE>\r\n" +
                      "<!--pageoVik=\"" + std::to_string(page.Number()) + ";" +
                      html::CommentText(cp1252::FromUtf8(LinkedHQVset->HQVFileName().string())) + "\"-->\r\n" +
                      "<META HTTP-EQUIV=\"refresh\" CONTENT=\"0;URL=" + main + "\">\r\n</HEAD>\r\n<BODY";
    int32_t bg = r.BackgroundPicture();
    if (THQVoggetto* pic = bg >= 0 ? LinkedHQVset->GetObject(immagine, bg) : nullptr; pic && !pic->IsFree())
        out += " BACKGROUND=\"" + ExportNameOf(pic, kNameCopy) + "\"";
    out += " TEXT=#" + html::ColourText(r.TextColour()) + " LINK=#" + html::ColourText(r.LinkColour()) +
           " VLINK=#" + html::ColourText(r.VisitedColour()) + " BGCOLOR=#" + html::ColourText(r.BackgroundColour()) +
           ">\r\n<A HREF=\"" + main + "\">Loading...</A>\r\n</BODY></HTML>\r\n";
    const fs::path saved = ExportPath;
    ExportPath = folder;
    const bool ok = WriteFile(name, std::move(out));
    ExportPath = saved;
    return ok ? folder / fs::path(cp1252::ToUtf8(name)) : fs::path();
}

PageMarker THQVtoHtml::ReadPageMarker(const fs::path& file) {
    PageMarker m;
    std::ifstream in(file, std::ios::binary);
    if (!in) return m;
    std::string line;
    for (int k = 0; k < 100 && std::getline(in, line); ++k) {
        if (line.find("<!--pageoVik=\"") == std::string::npos) continue;
        // The marker is expected at the start of its line.
        std::string rest = line.size() > 14 ? line.substr(14) : std::string();
        size_t semi = rest.find(';');
        std::string num = rest.substr(0, semi);
        char* end = nullptr;
        long v = num.empty() ? 0 : std::strtol(num.c_str(), &end, 10);
        m.page = (!num.empty() && end && *end == 0 && v >= 0 && v <= INT32_MAX) ? int32_t(v) : 0;
        if (semi != std::string::npos) {
            std::string name = rest.substr(semi + 1);
            name = name.substr(0, name.find('"'));
            if (cp1252::Upper(Extension(name)) == ".HQV") m.hypertext = name;
        }
        return m;
    }
    return m;
}

// --- the run ---------------------------------------------------------------------------------

bool THQVtoHtml::ExportPage(HtmlPageLists& copy, std::vector<int32_t>& exported, int32_t number) {
    if (!LinkedHQVset) return false;
    THQVtesto* page = LinkedHQVset->Page(number);
    if (!page || page->IsFree()) return true;
    HtmlPageLists lists;
    Progress(0, 1, kPhaseMain);
    std::string out;
    WritePageFile(*page, out, lists, kNameMain);
    if (!WriteFile(ExportNameOf(page, kNameMain), out)) return false;
    exported.push_back(number);
    for (THQVoggetto* o : lists.copy) copy.AddCopy(o);
    std::vector<int32_t> secondary = lists.secondary;
    for (size_t k = 0; k < secondary.size(); ++k) {
        THQVtesto* p = LinkedHQVset->Page(secondary[k]);
        if (!p || p->IsFree()) continue;
        Progress(int32_t(k), int32_t(secondary.size()), kPhaseSecondary);
        HtmlPageLists sub;
        sub.collectSecondary = false;
        out.clear();
        WritePageFile(*p, out, sub, kNameSecondary);
        if (!WriteFile(ExportNameOf(p, kNameSecondary), out)) return false;
        for (THQVoggetto* o : sub.copy) copy.AddCopy(o);
        if (std::find(exported.begin(), exported.end(), secondary[k]) == exported.end())
            exported.push_back(secondary[k]);
    }
    return true;
}

bool THQVtoHtml::ExportPage(int32_t number) {
    if (!BeginRun() || !WriteStyleSheet()) return false;
    HtmlPageLists copy;
    std::vector<int32_t> exported;
    if (!ExportPage(copy, exported, number)) return false;
    CopyFiles(copy.copy);
    return true;
}

fs::path THQVtoHtml::ExportPreview(int32_t page, bool all) {
    if (!LinkedHQVset) return {};
    THQVtesto* p = LinkedHQVset->Page(page);
    if (!p || p->IsFree()) {
        // Without a page shown the preview starts at the cover page.
        page = LinkedHQVset->CoverPage();
        p = LinkedHQVset->Page(page);
        if (!p || p->IsFree()) {
            LastError = "Nessuna pagina da mostrare.";
            return {};
        }
    }
    bool ok;
    if (all) {
        std::vector<int32_t> pages;
        for (int32_t i = 0; i < LinkedHQVset->ObjectCount(testoHtml); ++i)
            if (THQVtesto* q = LinkedHQVset->Page(i); q && !q->IsFree()) pages.push_back(i);
        ok = ExportPages(pages);
    } else {
        ok = ExportPage(page);
    }
    if (!ok) return {};
    return ExportPath / fs::path(cp1252::ToUtf8(ExportNameOf(p, kNameMain)));
}

void THQVtoHtml::CopyFiles(const std::vector<THQVoggetto*>& copy) {
    for (size_t k = 0; k < copy.size(); ++k) {
        THQVoggetto* o = copy[k];
        if (!o || o->IsFree()) continue;
        Progress(int32_t(k), int32_t(copy.size()), kPhaseCopying);
        const std::string name = ExportNameOf(o, kNameCopy);
        if (name.empty()) continue;
        // The stored bytes, unchanged; a copy that fails is left out.
        const std::string error = LastError;
        if (!PutFile(name, [o](int fd) { return o->CopyContentTo(fd); })) LastError = error;
    }
}

bool THQVtoHtml::ExportPages(const std::vector<int32_t>& pages) { return Run(pages, false); }

bool THQVtoHtml::ExportSite(const std::vector<int32_t>& pages) { return Run(pages, true); }

bool THQVtoHtml::Run(const std::vector<int32_t>& pages, bool redirects) {
    if (!BeginRun() || !WriteStyleSheet()) return false;
    // Files are written (and rewritten as HTML5) on a second thread while the
    // next page is made; however the run ends, the files handed over are
    // written before it returns.
    writer_ = std::make_unique<BackgroundJobs>();
    struct Finish {
        THQVtoHtml& c;
        ~Finish() { c.FinishWriting(); }
    } finish{*this};
    HtmlPageLists lists;
    if (!MakePages(pages, kNameMain, lists, redirects)) return false;
    // Pages reached from secondary pages are not exported again.
    std::vector<int32_t> secondary = lists.secondary;
    lists.collectSecondary = false;
    if (!MakePages(secondary, kNameSecondary, lists, false)) return false;
    if (!FinishWriting()) return false;
    CopyFiles(lists.copy);
    return true;
}

bool THQVtoHtml::MakePages(const std::vector<int32_t>& pages, int mode, HtmlPageLists& lists, bool redirects) {
    struct Made {
        THQVtesto* page = nullptr;  // none: a free page, skipped
        std::string out;
        HtmlPageLists lists;
        std::vector<NameGuess> guesses;
    };
    THQVset& set = *LinkedHQVset;
    // Pages still in the first content format are converted as they are met,
    // which changes them: such a hypertext is made on this thread alone.
    bool converted = true;
    for (int32_t i = 0; i < set.ObjectCount(testoHtml) && converted; ++i)
        if (THQVtesto* p = set.Page(i); p && !p->IsFree() && p->HasContent() && p->ContentFormat() < 2)
            converted = false;
    unsigned workers = converted ? OrderedWorkers(pages.size()) : 0;
    if (Workers >= 0 && workers) workers = unsigned(std::min<size_t>(size_t(Workers), pages.size()));
    if (workers) Sequences();  // made once, before the workers read it
    const int32_t count = int32_t(pages.size());
    const int phase = mode == kNameMain ? kPhaseMain : kPhaseSecondary;
    auto make = [&](size_t k) {
        Made m;
        THQVtesto* page = set.Page(pages[k]);
        if (!page || page->IsFree()) return m;
        m.page = page;
        m.lists.collectSecondary = lists.collectSecondary;
        tGuesses = workers ? &m.guesses : nullptr;
        struct Reset {
            ~Reset() { tGuesses = nullptr; }
        } reset;
        WritePageFile(*page, m.out, m.lists, mode);
        // The modern output is rewritten here too, in parallel.
        if (Html5) m.out = Html5Page(m.out);
        return m;
    };
    auto take = [&](size_t k, Made& m) {
        if (!m.page) return true;
        Progress(int32_t(k), count, phase);
        // The guessed names are given out now, in the order the page met them.
        // Where another file already had one, the page is made again here,
        // with the names as given.
        bool asGuessed = true;
        for (const NameGuess& g : m.guesses)
            if (ClaimName(g.o, g.mode, g.wanted) != g.wanted) asGuessed = false;
        bool rewritten = Html5;
        if (!asGuessed) {
            rewritten = false;
            m.out.clear();
            m.lists = HtmlPageLists();
            m.lists.collectSecondary = lists.collectSecondary;
            WritePageFile(*m.page, m.out, m.lists, mode);
        }
        for (int32_t n : m.lists.secondary) lists.AddSecondary(n);
        for (THQVoggetto* o : m.lists.copy) lists.AddCopy(o);
        if (!WriteFile(ExportNameOf(m.page, mode), std::move(m.out), rewritten)) return false;
        if (redirects && WriteRedirectFile(*m.page, ExportPath).empty() && !LastError.empty()) return false;
        return true;
    };
    return RunOrdered<Made>(pages.size(), workers, 4 * size_t(workers) + 4, make, take);
}

int32_t THQVtoHtml::ImportFiles(const std::vector<fs::path>&, int) {
    LastError = "Questa funzione non è ancora disponibile.";
    return -1;
}

// --- options ---------------------------------------------------------------------------------

void THQVtoHtml::LoadOptions(const platform::SettingsStore& store) {
    AutoAlt = store.ReadOr("htmlexp", "expAlt", "1") != "0";
    ExpOrigName = store.ReadOr("htmlexp", "expOrigName", "0") == "1";
    ExpSepImage = store.ReadOr("htmlexp", "expSepImage", "0") == "1";
    ExpTipoExt = store.ReadOr("htmlexp", "expTipoExt", "0") == "1" ? 1 : 0;
    Html5 = store.ReadOr("htmlexp", "expHtml5", "0") == "1";
}

void THQVtoHtml::SaveOptions(platform::SettingsStore& store) const {
    store.Write("htmlexp", "expAlt", AutoAlt ? "1" : "0");
    store.Write("htmlexp", "expOrigName", ExpOrigName ? "1" : "0");
    store.Write("htmlexp", "expSepImage", ExpSepImage ? "1" : "0");
    store.Write("htmlexp", "expTipoExt", ExpTipoExt == 1 ? "1" : "0");
    store.Write("htmlexp", "expHtml5", Html5 ? "1" : "0");
}

}  // namespace ovik
