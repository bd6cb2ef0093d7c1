// Builds the sample hypertext from the page sources in this folder.
//
//   ovik_make_sample SOURCE_FOLDER OUT.hqv [TITLE [EXPORT_PREFIX [SPELL_LANGUAGE]]]
//
// Each NN-name.page file is a page (in name order): its first line is the title,
// the rest box markup in UTF-8. [[N|text]] links to page N through a special
// link; [[address|text]] links to an internet address. SPELL_LANGUAGE is the
// language identifier of the pages' spell checking (1040 Italian, the default;
// 1033 English).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "core/codepage.h"
#include "document/hqv_set.h"
#include "platform/messages.h"

namespace fs = std::filesystem;
using namespace ovik;

namespace {

std::string Tag(int32_t id) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "<$%08x>", uint32_t(id));
    return buf;
}

// Turns [[target|text]] into link tags, making the link objects.
std::string Links(THQVset& set, const std::string& markup) {
    std::string out;
    size_t i = 0;
    while (i < markup.size()) {
        size_t open = markup.find("[[", i);
        size_t bar = open == std::string::npos ? open : markup.find('|', open);
        size_t close = bar == std::string::npos ? bar : markup.find("]]", bar);
        if (close == std::string::npos) {
            out += markup.substr(i);
            break;
        }
        out += markup.substr(i, open - i);
        std::string target = markup.substr(open + 2, bar - open - 2);
        std::string text = markup.substr(bar + 1, close - bar - 1);
        int32_t id;
        if (!target.empty() && std::all_of(target.begin(), target.end(), ::isdigit)) {
            THQVoggetto* link = set.AddNewObject(speclink);
            link->SetState(1);
            link->SetI32(9, -1);
            link->SetI32(13, MakeId(testoHtml, std::stoi(target)));
            id = link->Id();
        } else {
            auto link = set.NewInternetLink(target);
            THQVoggetto* same = set.FindEqualObject(*link);
            id = same ? same->Id() : THQVoggetto::Register(link, -1)->Id();
        }
        out += Tag(id) + text + "<%>";
        i = close + 2;
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 6) {
        std::fprintf(stderr,
                     "usage: ovik_make_sample SOURCE_FOLDER OUT.hqv [TITLE [EXPORT_PREFIX [SPELL_LANGUAGE]]]\n");
        return 2;
    }
    std::vector<fs::path> pages;
    for (auto& e : fs::directory_iterator(argv[1]))
        if (e.path().extension() == ".page") pages.push_back(e.path());
    std::sort(pages.begin(), pages.end());
    platform::ConsoleMessages msgs;
    THQVset set(msgs);
    set.Bak = false;
    set.SetTitle(argc > 3 ? cp1252::FromUtf8(argv[3]) : "Esempio di ipertesto");
    set.SetExpPrefix(argc > 4 ? argv[4] : "esempio");
    // The pages' language (Italian unless told): spell checking follows it.
    const int language = argc > 5 ? std::atoi(argv[5]) : 1040;
    PutU16(&set.Header()[hdr::kSpellLanguage], uint16_t(language > 0 && language < 65536 ? language : 1040));
    for (auto& p : pages) {
        std::ifstream in(p, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        text = cp1252::FromUtf8(text);
        size_t nl = text.find('\n');
        std::string title = text.substr(0, nl);
        std::string body;
        // One paragraph per line: line breaks in the source are not text.
        for (char c : text.substr(nl == std::string::npos ? text.size() : nl + 1))
            if (c != '\n' && c != '\r') body += c;
        auto* page = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        page->SetTitle(title);
        std::string markup = Links(set, body);
        Bytes content(markup.begin(), markup.end());
        content.push_back(0);
        page->SetContent(std::move(content));
    }
    fs::create_directories(fs::path(argv[2]).parent_path());
    if (!set.SaveHypertext(argv[2])) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
