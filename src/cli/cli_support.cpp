#include "cli/cli_support.h"

#include <unistd.h>

#include <algorithm>
#include <set>
#include <cstdio>

namespace ovik::cli {

std::vector<Command>& Commands() {
    static std::vector<Command> commands;
    return commands;
}

Args Parse(int argc, char** argv, int first, const std::vector<std::string>& valueOptions) {
    Args a;
    bool onlyPositional = false;
    for (int i = first; i < argc; ++i) {
        std::string s = argv[i];
        if (!onlyPositional && s == "--") {
            onlyPositional = true;
            continue;
        }
        if (!onlyPositional && s.size() > 1 && s[0] == '-') {
            std::string value;
            size_t eq = s.find('=');
            if (s.rfind("--", 0) == 0 && eq != std::string::npos) {
                value = s.substr(eq + 1);
                s = s.substr(0, eq);
                a.options[s].push_back(value);
                continue;
            }
            if (std::find(valueOptions.begin(), valueOptions.end(), s) != valueOptions.end()) {
                if (i + 1 >= argc) throw UsageError{"option " + s + " needs a value"};
                a.options[s].push_back(argv[++i]);
            } else {
                a.options[s];
            }
            continue;
        }
        a.positional.push_back(s);
    }
    return a;
}

std::unique_ptr<THQVset> OpenOrFail(const std::string& path, platform::Messages& msgs) {
    auto set = std::make_unique<THQVset>(msgs);
    if (!set->OpenHypertext(path)) throw Failure{"cannot read " + path};
    return set;
}

void SaveOrFail(THQVset& set, const std::string& path) {
    if (!set.SaveHypertext(path)) {
        std::string why = "Salvataggio non riuscito!";
        for (auto& e : set.Errors()) why += "\n" + e;
        throw Failure{why};
    }
}

long long ToNumber(const std::string& s, const char* what) {
    try {
        size_t used = 0;
        long long v = std::stoll(s, &used, 0);
        if (used != s.size()) throw 0;
        return v;
    } catch (...) {
        throw UsageError{std::string(what) + " must be a number: " + s};
    }
}

ProgressLine::ProgressLine(bool quiet) : enabled_(!quiet && ::isatty(2)) {}
ProgressLine::~ProgressLine() { Done(); }

void ProgressLine::Show(const std::string& text) {
    if (!enabled_) return;
    std::fprintf(stderr, "\r\033[K%s", text.c_str());
    std::fflush(stderr);
    shown_ = true;
}

void ProgressLine::Done() {
    if (enabled_ && shown_) std::fprintf(stderr, "\r\033[K");
    shown_ = false;
}

std::set<int32_t> PageList(const std::string& text) {
    std::set<int32_t> pages;
    size_t i = 0;
    while (i <= text.size()) {
        size_t comma = text.find(',', i);
        if (comma == std::string::npos) comma = text.size();
        std::string item = text.substr(i, comma - i);
        if (item.empty()) throw UsageError{"--pages: empty item in \"" + text + "\""};
        size_t dash = item.find('-', 1);
        long long first = ToNumber(item.substr(0, dash), "page");
        long long last = dash == std::string::npos ? first : ToNumber(item.substr(dash + 1), "page");
        if (first < 0 || last < first || last - first > 1000000)
            throw UsageError{"--pages: bad range \"" + item + "\""};
        for (long long p = first; p <= last; ++p) pages.insert(int32_t(p));
        i = comma + 1;
    }
    return pages;
}

std::vector<int32_t> ChosenPages(const Args& a, const THQVset& set) {
    const int32_t count = set.ObjectCount(testoHtml);
    auto inUse = [&](int32_t n) {
        THQVtesto* page = n < count ? set.Page(n) : nullptr;
        return page && !page->IsFree();
    };
    std::vector<int32_t> pages;
    if (!a.Has("--pages")) {
        for (int32_t n = 0; n < count; ++n)
            if (inUse(n)) pages.push_back(n);
        return pages;
    }
    for (int32_t n : PageList(a.Value("--pages"))) {
        if (inUse(n)) pages.push_back(n);
        else std::fprintf(stderr, "page %d: no such page\n", int(n));
    }
    return pages;
}

}  // namespace ovik::cli
