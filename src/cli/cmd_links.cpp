// ovikc links, address and follow: the links of pages, what an "ovik:" address
// names, and following a link headlessly as the editor would.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

#include "cli/cli_support.h"
#include "core/codepage.h"
#include "document/hqv_set.h"
#include "links/follow.h"
#include "links/link_address.h"
#include "links/page_links.h"
#include "platform/settings_store.h"
#include "platform/shell.h"

namespace ovik::cli {
namespace {

using nlohmann::ordered_json;
namespace fs = std::filesystem;

std::string U(const std::string& cp1252Text) { return cp1252::ToUtf8(cp1252Text); }

int Links(const Args& a, platform::ConsoleMessages& m) {
    if (a.positional.size() != 1)
        throw UsageError{"expected 1 argument, got " + std::to_string(a.positional.size())};
    auto set = OpenOrFail(a.positional[0], m);
    ordered_json arr = ordered_json::array();
    for (int32_t n : ChosenPages(a, *set)) {
        THQVtesto* page = set->Page(n);
        for (const links::PageLink& l : links::LinksOfPage(*set, *page)) {
            if (a.Has("--json")) {
                ordered_json j;
                j["page"] = n;
                j["holder"] = l.holder;
                j["target"] = l.target;
                j["description"] = U(l.description);
                arr.push_back(j);
            } else {
                std::printf("%d\t%s\t%08x\t%s\n", int(n), l.holder, uint32_t(l.target), U(l.description).c_str());
            }
        }
    }
    if (a.Has("--json")) std::printf("%s\n", arr.dump(2).c_str());
    return 0;
}

int Address(const Args& a, platform::ConsoleMessages& m) {
    if (a.positional.size() != 2)
        throw UsageError{"expected 2 arguments, got " + std::to_string(a.positional.size())};
    auto set = OpenOrFail(a.positional[0], m);
    const links::OvikAddress r = links::ParseOvikAddress(*set, cp1252::FromUtf8(a.positional[1]));
    if (a.Has("--json")) {
        ordered_json j;
        j["hypertext"] = r.hypertext;
        j["file"] = r.file.string();
        j["same"] = r.same;
        j["page"] = r.page;
        std::printf("%s\n", j.dump(2).c_str());
        return 0;
    }
    if (!r.hypertext) {
        std::printf("not a hypertext address\n");
        return 0;
    }
    std::printf("File: %s\nSame: %s\n", r.file.c_str(), r.same ? "yes" : "no");
    if (r.page == links::kCoverAfterLoading) std::printf("Page: cover page, after loading (-2)\n");
    else std::printf("Page: %d\n", int(r.page));
    return 0;
}

// Settings read from a simple file: "[section]" lines, then "name=value" lines.
platform::InMemorySettings ReadSettingsFile(const std::string& path) {
    platform::InMemorySettings s;
    std::ifstream in(path);
    if (!in) throw Failure{"cannot read settings file " + path};
    std::string line, section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = cp1252::FromUtf8(line.substr(1, line.size() - 2));
        } else if (size_t eq = line.find('='); eq != std::string::npos) {
            s.Write(section, cp1252::FromUtf8(line.substr(0, eq)), cp1252::FromUtf8(line.substr(eq + 1)));
        }
    }
    return s;
}

// The editor, as far as following a link needs it: says what it would do.
class ConsoleFollowHost : public links::FollowHost {
public:
    ConsoleFollowHost(THQVset& set, platform::Messages& msgs, bool preview, int32_t page)
        : set_(set), msgs_(msgs), preview_(preview), shown_(page) {}
    links::LinkFollower* follower = nullptr;

    bool Preview() const override { return preview_; }
    int32_t ShownPage() const override { return shown_; }
    void ShowPage(int32_t page, int32_t anchor) override {
        if (anchor >= 0) std::printf("show page: %d anchor: %d\n", int(page), int(anchor));
        else std::printf("show page: %d\n", int(page));
        shown_ = page;
    }
    bool JumpToAnchor(int32_t anchor) override {
        std::printf("jump to anchor: %d\n", int(anchor));
        return true;
    }
    bool OpenHypertext(const fs::path& file, bool) override {
        std::printf("open hypertext: %s\n", file.c_str());
        set_.LockOnOpen = false;
        if (!set_.OpenHypertext(file)) return false;
        shown_ = -1;
        return true;
    }
    void NewHypertext() override {
        std::printf("new hypertext\n");
        set_.NewHypertext();
        shown_ = -1;
    }
    bool SaveHypertext() override {
        std::printf("save hypertext (not done by ovikc)\n");
        return true;
    }
    void ShowExternalLinks(THQVoggetto& address) override {
        std::printf("album, external links: %s\n", U(address.Name()).c_str());
    }
    void ShowEmbeddedFile(THQVoggetto& file) override {
        std::printf("embedded file: %s\n", U(file.FileName()).c_str());
        if (follower) follower->OpenEmbeddedWithDesktop(file, false);
    }
    void ShowKeywordSearch() override { std::printf("keyword search window\n"); }
    void HideMainWindow() override { std::printf("hide main window\n"); }
    void CloseNamedWindow(const std::string& name) override {
        std::printf("close window: %s\n", U(name).c_str());
    }
    void ImportFile(const fs::path& file) override { std::printf("import: %s\n", file.c_str()); }

private:
    THQVset& set_;
    platform::Messages& msgs_;
    bool preview_;
    int32_t shown_;
};

int Follow(const Args& a, platform::ConsoleMessages& m) {
    if (a.positional.size() != 3)
        throw UsageError{"expected 3 arguments, got " + std::to_string(a.positional.size())};
    auto set = OpenOrFail(a.positional[0], m);
    const long long pageNumber = ToNumber(a.positional[1], "PAGE");
    const long long index = ToNumber(a.positional[2], "INDEX");
    THQVtesto* page = pageNumber >= 0 && pageNumber < set->ObjectCount(testoHtml) ? set->Page(int32_t(pageNumber)) : nullptr;
    if (!page || page->IsFree()) throw Failure{"page " + a.positional[1] + ": no such page"};
    std::vector<links::PageLink> list = links::LinksOfPage(*set, *page);
    if (index < 0 || size_t(index) >= list.size())
        throw Failure{"page " + a.positional[1] + " has " + std::to_string(list.size()) + " links"};
    const links::PageLink link = list[size_t(index)];

    // Questions are asked on the terminal; without one every answer is No,
    // unless --yes answers Yes to all.
    const bool yes = a.Has("--yes");
    platform::ConsoleMessages asker(yes ? platform::Answer::Yes : platform::Answer::No);
    asker.asking = !yes && ::isatty(0);
    platform::ConsoleShell shell;
    std::optional<platform::InMemorySettings> settings;
    if (a.Has("--settings")) settings = ReadSettingsFile(a.Value("--settings"));

    ConsoleFollowHost host(*set, asker, a.Has("--preview"), int32_t(pageNumber));
    links::LinkFollower follower(*set, host, asker, shell, settings ? &*settings : nullptr);
    host.follower = &follower;
    std::string holder = link.holder;
    links::LinkSender sender = holder == "zone"     ? links::LinkSender::Zone
                               : holder == "button" ? links::LinkSender::PlacedObject
                               : holder == "marker" ? links::LinkSender::Page
                                                    : links::LinkSender::TextBox;
    THQVoggetto* target = link.marker ? link.marker : link.object;
    if (!target) throw Failure{"the link names nothing (" + U(link.description) + ")"};
    std::printf("following: %s\n", U(links::ShortText(link.description)).c_str());
    follower.FollowLink(sender, target, int32_t(pageNumber));
    return 0;
}

Registrar linksCmd({"links", "FILE [--pages LIST] [--json]",
                    "Lists the links of the pages (LIST: numbers and ranges, e.g. 0,3,5-9): page, "
                    "holder, target identifier and the target's description.",
                    {"--pages"}, Links});
Registrar addressCmd({"address", "FILE ADDRESS [--json]",
                      "What an \"ovik:\" address names, seen from the hypertext FILE.", {}, Address});
Registrar followCmd({"follow", "FILE PAGE INDEX [--preview] [--yes] [--settings INI]",
                     "Follows link INDEX (from 0, as \"links\" lists them) of page PAGE as the editor "
                     "would and says what it does; questions are asked on the terminal (No without "
                     "one, Yes to all with --yes).",
                     {"--settings"}, Follow});

}  // namespace
}  // namespace ovik::cli
