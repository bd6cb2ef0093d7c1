// ovikc commands on keywords, the page order and searching: keywords, order,
// find, replace, where-used.
#include <cstdio>
#include <nlohmann/json.hpp>

#include "app/find.h"
#include "app/references.h"
#include "cli/cli_support.h"
#include "core/codepage.h"
#include "document/hqv_set.h"
#include "document/keywords.h"
#include "document/ordered_tree.h"

namespace ovik::cli {
namespace {

using nlohmann::ordered_json;

std::string Utf8(const std::string& cp) { return cp1252::ToUtf8(cp); }

void NeedCount(const Args& a, size_t n) {
    if (a.positional.size() != n)
        throw UsageError{"expected " + std::to_string(n) + " arguments, got " + std::to_string(a.positional.size())};
}

TZtSearchTypes OptionsOf(const Args& a) {
    TZtSearchTypes o = 0;
    if (a.Has("--whole-word")) o |= stWholeWord;
    if (a.Has("--match-case")) o |= stMatchCase;
    return o;
}

Registrar keywordsCmd(
    {"keywords", "FILE [--json]", "Lists every keyword in number order with the pages that name it.", {},
     [](const Args& a, platform::ConsoleMessages& m) {
         NeedCount(a, 1);
         auto s = OpenOrFail(a.positional[0], m);
         ordered_json list = ordered_json::array();
         for (THQVoggetto* k : Keywords(*s)) {
             const std::vector<int32_t> pages = PagesWithKeyword(*s, k->Number());
             if (a.Has("--json")) {
                 list.push_back({{"number", k->Number()}, {"text", Utf8(k->Name())}, {"pages", pages}});
                 continue;
             }
             std::string line = std::to_string(k->Number()) + "\t" + Utf8(k->Name()) + "\t";
             for (size_t i = 0; i < pages.size(); ++i) line += (i ? "," : "") + std::to_string(pages[i]);
             std::printf("%s\n", line.c_str());
         }
         if (a.Has("--json")) std::printf("%s\n", list.dump(2).c_str());
         return 0;
     }});

const char* KindWord(TreeNode::Data d) {
    switch (d) {
        case TreeNode::Data::Root: return "root";
        case TreeNode::Data::Chapter: return "chapter";
        case TreeNode::Data::Object: return "page";
        case TreeNode::Data::None: return "none";
    }
    return "none";
}

Registrar orderCmd(
    {"order", "FILE [--json]",
     "Shows the page tree (the default tree when none is stored), depth first; changes nothing.", {},
     [](const Args& a, platform::ConsoleMessages& m) {
         NeedCount(a, 1);
         auto s = OpenOrFail(a.positional[0], m);
         OrderedTree tree(*s, testoHtml);
         tree.Load();  // in memory only: the file is not written
         ordered_json list = ordered_json::array();
         for (const TreeNode* n : tree.DepthFirst()) {
             const int32_t page = n->data == TreeNode::Data::Object ? IdNumber(n->id) : -1;
             if (a.Has("--json")) {
                 list.push_back(
                     {{"level", n->Level()}, {"kind", KindWord(n->data)}, {"text", Utf8(n->text)}, {"page", page}});
                 continue;
             }
             std::printf("%s%s\n", std::string(size_t(n->Level()) * 2, ' ').c_str(),
                         (page >= 0 ? "[" + std::to_string(page) + "] " + Utf8(n->text) : Utf8(n->text)).c_str());
         }
         if (a.Has("--json")) std::printf("%s\n", list.dump(2).c_str());
         return 0;
     }});

int32_t FromPage(const Args& a, int32_t def) {
    if (!a.Has("--from")) return def;
    long long n = ToNumber(a.Value("--from"), "--from");
    if (n < 0 || n > INT32_MAX) throw UsageError{"--from must be a page number"};
    return int32_t(n);
}

Registrar findCmd(
    {"find", "FILE WORD [--and B] [--or C] [--or-and D] [--whole-word] [--match-case] [--from PAGE]",
     "Lists the pages after PAGE (default: all) whose text matches (WORD and B) or (C and D): number, "
     "title, matched word; exit status 1 when none matches. A WORD that starts with - follows --.",
     {"--and", "--or", "--or-and", "--from"},
     [](const Args& a, platform::ConsoleMessages& m) {
         NeedCount(a, 2);
         auto s = OpenOrFail(a.positional[0], m);
         const app::Query q{cp1252::FromUtf8(a.positional[1]), cp1252::FromUtf8(a.Value("--and")),
                            cp1252::FromUtf8(a.Value("--or")), cp1252::FromUtf8(a.Value("--or-and"))};
         const TZtSearchTypes options = OptionsOf(a);
         int found = 0;
         std::string word;
         for (int32_t n = app::NextMatchingPage(*s, FromPage(a, -1), q, options, &word); n >= 0;
              n = app::NextMatchingPage(*s, n, q, options, &word)) {
             std::printf("%d\t%s\t%s\n", int(n), Utf8(s->Page(n)->Title()).c_str(), Utf8(word).c_str());
             ++found;
         }
         return found ? 0 : 1;
     }});

Registrar replaceCmd(
    {"replace", "FILE WORD NEW [--whole-word] [--match-case] [--from PAGE] -o OUT",
     "Replaces WORD by NEW in the text of every page from page 0 (or PAGE) on, without asking, and "
     "saves to OUT; prints how many replacements were made in how many pages.",
     {"--from", "-o"},
     [](const Args& a, platform::ConsoleMessages& m) {
         NeedCount(a, 3);
         if (!a.Has("-o") || a.Value("-o").empty()) throw UsageError{"-o OUT is required"};
         if (a.positional[1].empty()) throw UsageError{"WORD must not be empty"};
         auto s = OpenOrFail(a.positional[0], m);
         app::ReplaceResult r = app::ReplaceInHypertext(*s, cp1252::FromUtf8(a.positional[1]),
                                                        cp1252::FromUtf8(a.positional[2]), OptionsOf(a),
                                                        FromPage(a, 0), {});
         SaveOrFail(*s, a.Value("-o"));
         std::printf("%zu replacements in %zu pages\n", r.replacements, r.Pages());
         return 0;
     }});

Registrar whereUsedCmd(
    {"where-used", "FILE KIND NUMBER",
     "Prints where one object is used, the lines the delete window shows.", {},
     [](const Args& a, platform::ConsoleMessages& m) {
         NeedCount(a, 3);
         auto s = OpenOrFail(a.positional[0], m);
         long long kind = ToNumber(a.positional[1], "KIND"), number = ToNumber(a.positional[2], "NUMBER");
         if (kind < 0 || kind > 26) throw UsageError{"KIND must be 0..26"};
         THQVoggetto* o = s->GetObject(int(kind), number);
         if (!o || o->IsFree())
             throw Failure{"no object of kind " + a.positional[1] + " with number " + a.positional[2]};
         app::ConvertOldPages(*s);
         for (const std::string& line : app::ReferenceLines(*s, o->Id())) std::printf("%s\n", Utf8(line).c_str());
         return 0;
     }});

}  // namespace
}  // namespace ovik::cli
