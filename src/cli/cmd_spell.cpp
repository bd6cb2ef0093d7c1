// ovikc spell: the background spell check of the editor, run headlessly over
// the pages: each page is opened as the editor opens it, its paragraphs (table
// cells included, header and footer left to their own pages) are verified to
// the end, and every error is printed with its first suggestions.
#include <cstdio>
#include <nlohmann/json.hpp>

#include "app/spell_checker.h"
#include "app/spell_session.h"
#include "app/startup.h"
#include "cli/cli_support.h"
#include "core/codepage.h"
#include "page/thqv_page.h"
#include "platform/text_measurer.h"

namespace ovik::cli {
namespace {

using nlohmann::ordered_json;
constexpr size_t kSuggestions = 3;

// What the dialog would offer first for an error.
std::vector<std::string> FirstSuggestions(app::SpellEngine& engine, const app::VerifyResult& r,
                                          const std::string& error) {
    std::vector<std::string> s;
    switch (r.code) {
        case app::srReturningChangeAlways:
        case app::srReturningChangeOnce: s.push_back(r.replacement); break;
        case app::srNoSentenceStartCap:
            s.push_back(error);
            if (!s[0].empty()) s[0][0] = cp1252::Upper(s[0][0]);
            break;
        case app::srExtraSpaces: s.push_back(app::CollapseSpaces(error)); break;
        case app::srUnknownInputWord:
        case app::srInvalidHyphenation:
        case app::srErrorCapitalization:
            for (std::string& w : engine.Suggest(error)) {
                if (s.size() >= kSuggestions) break;
                if (std::find(s.begin(), s.end(), w) == s.end()) s.push_back(std::move(w));
            }
            break;
        default: break;
    }
    if (s.size() > kSuggestions) s.resize(kSuggestions);
    return s;
}

int Spell(const Args& a, platform::ConsoleMessages& m) {
    if (a.positional.size() != 1)
        throw UsageError{"expected 1 argument, got " + std::to_string(a.positional.size())};
    auto set = OpenOrFail(a.positional[0], m);
    // The language: --lang, else the program's setting (1040).
    const long long lang = a.Has("--lang") ? ToNumber(a.Value("--lang"), "language") : 1040;
    if (lang < 0 || lang > 0xFFFF) throw UsageError{"--lang: not a language identifier"};
    app::TZtSpellChecker checker;
    if (a.Has("--options")) {
        long long o = ToNumber(a.Value("--options"), "options");
        if (o < 0 || o > 0xFFFF) throw UsageError{"--options: not a 16-bit value"};
        checker.SetOptions(app::TSpellOptions(o));
    }
    // The user dictionary of the editor is read, never created here.
    checker.UserDictionaryPath = a.Has("--user-dic") ? std::filesystem::path(a.Value("--user-dic"))
                                                      : app::DefaultUserDictionary();
    checker.CreateUserDictionary = false;
    if (!checker.SetLanguage(app::TLanguage(lang)))
        throw Failure{"no dictionary is installed for language " + std::to_string(lang) + " (" +
                      app::LanguageName(app::TLanguage(lang)) + ")"};
    checker.Open();
    if (!checker.IsOpen()) throw Failure{"the dictionary could not be loaded"};
    app::SpellEngine& engine = *checker.Engine();

    const bool json = a.Has("--json");
    const bool suggest = !a.Has("--no-suggestions");
    ordered_json out = ordered_json::array();
    long long errors = 0;
    ProgressLine progress(a.Has("--quiet") || json);
    platform::FixedMetricsMeasurer measurer;
    PageHost host;
    host.set = set.get();
    host.measurer = &measurer;
    THQVpage view(host);
    const int32_t count = set->ObjectCount(testoHtml);
    for (int32_t n : ChosenPages(a, *set)) {
        THQVtesto* page = set->Page(n);
        progress.Show("page " + std::to_string(n) + " of " + std::to_string(count));
        view.ShowPage(page);
        if (!view.Box()) continue;
        ParagraphWalk walk(*view.Box());
        int32_t index = -1;
        while (THQVparag* p = walk.Next()) {
            ++index;
            if (p->origin != 0 && p->origin != 3 && p->origin != 4) continue;  // header, footer
            const std::string& text = p->Text();
            app::CheckWholeText(engine, text, [&](const app::VerifyResult& r, int32_t position) {
                ++errors;
                const std::string word = text.substr(size_t(position), size_t(r.length));
                std::vector<std::string> sugg;
                if (suggest) sugg = FirstSuggestions(engine, r, word);
                if (json) {
                    ordered_json e;
                    e["page"] = n;
                    e["paragraph"] = index;
                    e["offset"] = position;
                    e["length"] = r.length;
                    e["code"] = r.code;
                    e["word"] = cp1252::ToUtf8(word);
                    ordered_json s = ordered_json::array();
                    for (const std::string& w : sugg) s.push_back(cp1252::ToUtf8(w));
                    e["suggestions"] = s;
                    out.push_back(std::move(e));
                } else {
                    std::string line = "page " + std::to_string(n) + " paragraph " + std::to_string(index) +
                                       " offset " + std::to_string(position) + " length " +
                                       std::to_string(r.length) + " code " + std::to_string(r.code) + " \"" +
                                       cp1252::ToUtf8(word) + "\"";
                    for (size_t k = 0; k < sugg.size(); ++k)
                        line += (k ? ", " : ": ") + cp1252::ToUtf8(sugg[k]);
                    std::printf("%s\n", line.c_str());
                }
            });
        }
        view.ClosePage();
    }
    progress.Done();
    if (json) std::printf("%s\n", out.dump(1).c_str());
    else if (!m.quiet)
        std::fprintf(stderr, "%lld error%s (%s)\n", errors, errors == 1 ? "" : "s",
                     app::LanguageName(engine.Language()).c_str());
    return errors > 0 ? 1 : 0;
}

Registrar spellCmd({"spell", "FILE [--pages LIST] [--lang ID] [--options BITS] [--user-dic FILE] [--no-suggestions] [--json]",
                    "Checks the spelling of the pages (LIST: numbers and ranges, default every page) "
                    "with the dictionary of language ID (1040 Italian, 1033 English ...), as the "
                    "editor's background check does: one line per error (page, paragraph, offset, "
                    "length, result code, word, first suggestions). BITS: the checker's option bits "
                    "(default 15). Exit status 1 when errors were found, 0 when none.",
                    {"--pages", "--lang", "--options", "--user-dic"}, Spell});

}  // namespace
}  // namespace ovik::cli
