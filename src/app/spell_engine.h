// The spelling engine: Hunspell with the system's dictionaries, plus the checks
// Hunspell does not make (repeated words, sentence starts, spacing, words that
// start with digits) and the word lists of a check (ignore always, change once,
// change always, the user dictionary).
//
// Text is Windows-1252 bytes, as in the engine; words reach Hunspell in the
// dictionary's own encoding. A language is a Windows language identifier
// (1040 Italian, 1033 English US ...), mapped to a dictionary by locale name.
//
//   auto files = FindDictionary(1040, SystemDictionaryFolders());
//   SpellEngine engine(*files, userDic);
//   engine.SetOptions(spoFindRepeatWord | spoIgnoreAllCaps);
//   VerifyResult r = engine.Verify("il il gatto", 0, kStateSentenceStart);  // code 11 at 3, length 2
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class Hunspell;

namespace ovik::app {

using TLanguage = uint16_t;
using TSpellOptions = uint16_t;

// Option bits: the value at position n is bit 2^n.
enum TSpellOption : uint16_t {
    spoSuggestFromUserDict = 1,
    spoIgnoreAllCaps = 2,
    spoIgnoreMixedDigits = 4,
    spoIgnoreRomanNumerals = 8,
    spoFindUncappedSentences = 16,
    spoFindMissingSpaces = 32,
    spoFindRepeatWord = 64,
    spoFindExtraSpaces = 128,
    spoFindSpacesBeforePunc = 256,
    spoFindSpacesAfterPunc = 512,
    spoRateSuggestions = 1024,
    spoFindInitialNumerals = 2048,
};
inline constexpr TSpellOptions kDefaultSpellOptions =
    spoSuggestFromUserDict | spoIgnoreAllCaps | spoIgnoreMixedDigits | spoIgnoreRomanNumerals;

// Result codes of a verification.
enum SpellResult : int {
    srNoErrors = 0,
    srUnknownInputWord = 1,
    srReturningChangeAlways = 2,
    srReturningChangeOnce = 3,
    srInvalidHyphenation = 4,
    srErrorCapitalization = 5,
    srWordConsideredAbbreviation = 6,
    srNoSentenceStartCap = 10,
    srRepeatWord = 11,
    srExtraSpaces = 12,
    srMissingSpace = 13,
    srInitialNumeral = 14,
};

// The state of a verification: what the text is known to follow.
inline constexpr int kStateNone = 0;           // nothing known
inline constexpr int kStateContinues = 1;      // continues the text of the previous call
inline constexpr int kStateSentenceStart = 2;  // starts a sentence

// Failures of the spelling engine ("Errore caricando Spell DLL %s" ...).
struct ESpellError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A language the program knows: identifier, locale name of its dictionary and
// its name as the windows show it.
struct SpellLanguageInfo {
    TLanguage id;
    const char* locale;
    const char* name;
};
const std::vector<SpellLanguageInfo>& KnownSpellLanguages();
// "it_IT" for 1040; empty for an unknown identifier.
std::string LocaleOf(TLanguage language);
// The language's name ("Italiano"), or its number for an unknown one.
std::string LanguageName(TLanguage language);
// The primary language with the default sub-language: 2064 gives 1040.
inline TLanguage PrimaryLanguage(TLanguage language) { return TLanguage((language & 0x3FF) | 0x400); }

// The folders searched for dictionaries: $DICPATH (colon-separated, as
// Hunspell's own tools read it), then the system's hunspell and myspell folders.
std::vector<std::filesystem::path> SystemDictionaryFolders();

struct DictionaryFiles {
    std::filesystem::path aff, dic;
    TLanguage language = 0;  // the language whose dictionary was found
};
// The dictionary for `language`: its own, else its primary language's.
std::optional<DictionaryFiles> FindDictionary(TLanguage language,
                                              const std::vector<std::filesystem::path>& folders);
// The known languages whose own dictionary is installed, as (identifier, name),
// sorted by name.
std::vector<std::pair<TLanguage, std::string>> InstalledLanguages(
    const std::vector<std::filesystem::path>& folders);

// The user dictionary when none is named: CUSTOM.DIC in the program's settings
// folder ($XDG_CONFIG_HOME/ZW, else ~/.config/ZW).
std::filesystem::path DefaultUserDictionary();

struct VerifyResult {
    int code = srNoErrors;
    int32_t offset = 0;  // from the position the verification started at
    int32_t length = 0;
    std::string replacement;  // codes 2 and 3: the listed replacement
};

class SpellEngine {
public:
    // Loads the dictionary; with a user dictionary path, loads its words and
    // (when `createUserDictionary`) creates the file when missing. Throws
    // ESpellError when the dictionary cannot be read.
    SpellEngine(const DictionaryFiles& files, std::filesystem::path userDictionary,
                bool createUserDictionary = true);
    ~SpellEngine();
    SpellEngine(const SpellEngine&) = delete;
    SpellEngine& operator=(const SpellEngine&) = delete;

    void SetOptions(TSpellOptions options) { options_ = options; }
    TSpellOptions Options() const { return options_; }
    TLanguage Language() const { return files_.language; }

    // The first error of `text` at or after `from` (offset counted from
    // `from`), or code 0. The text before `from` is context: a word cut by
    // `from` is checked whole, and a previous word or sentence end counts.
    VerifyResult Verify(std::string_view text, size_t from, int state) const;
    // Whether the dictionary and the lists accept the word.
    bool WordAccepted(std::string_view word) const;
    // Suggestions for a word, best first, without repeats.
    std::vector<std::string> Suggest(std::string_view word) const;

    // Word lists: ignored until the engine is unloaded; change pairs.
    void IgnoreAlways(std::string_view word);
    void AddChange(std::string_view word, std::string_view replacement, bool always);
    // Adds the word to the user dictionary file and to the loaded words.
    // False when the file could not be written (the word still counts now).
    bool AddToUserDictionary(std::string_view word);
    const std::filesystem::path& UserDictionary() const { return userDictionary_; }

private:
    bool HunspellAccepts(std::string_view word) const;
    std::string ToDictionary(std::string_view cp1252) const;
    std::string FromDictionary(const std::string& encoded, bool* exact) const;
    // The error of one word at [start, end), or nullopt.
    std::optional<VerifyResult> CheckWord(std::string_view text, size_t start, size_t end,
                                          bool sentenceStart) const;

    DictionaryFiles files_;
    std::unique_ptr<Hunspell> hunspell_;
    bool utf8_ = true;
    std::string encoding_;
    std::filesystem::path userDictionary_;
    TSpellOptions options_ = kDefaultSpellOptions;
    std::set<std::string> ignored_;
    std::map<std::string, std::string> changeOnce_, changeAlways_;
};

}  // namespace ovik::app
