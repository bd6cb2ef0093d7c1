#include "app/spell_engine.h"

#include <hunspell/hunspell.hxx>
#include <iconv.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <system_error>

#include "core/codepage.h"

namespace ovik::app {

namespace fs = std::filesystem;

// --- languages and dictionaries -----------------------------------------------------

const std::vector<SpellLanguageInfo>& KnownSpellLanguages() {
    static const std::vector<SpellLanguageInfo> languages = {
        {1040, "it_IT", "Italiano"},
        {2064, "it_CH", "Italiano (Svizzera)"},
        {1033, "en_US", "Inglese (Stati Uniti)"},
        {2057, "en_GB", "Inglese (Regno Unito)"},
        {3081, "en_AU", "Inglese (Australia)"},
        {4105, "en_CA", "Inglese (Canada)"},
        {5129, "en_NZ", "Inglese (Nuova Zelanda)"},
        {7177, "en_ZA", "Inglese (Sudafrica)"},
        {1031, "de_DE", "Tedesco"},
        {2055, "de_CH", "Tedesco (Svizzera)"},
        {3079, "de_AT", "Tedesco (Austria)"},
        {1036, "fr_FR", "Francese"},
        {2060, "fr_BE", "Francese (Belgio)"},
        {3084, "fr_CA", "Francese (Canada)"},
        {4108, "fr_CH", "Francese (Svizzera)"},
        {3082, "es_ES", "Spagnolo"},
        {1034, "es_ES", "Spagnolo (tradizionale)"},
        {2058, "es_MX", "Spagnolo (Messico)"},
        {2070, "pt_PT", "Portoghese"},
        {1046, "pt_BR", "Portoghese (Brasile)"},
        {1043, "nl_NL", "Olandese"},
        {2067, "nl_BE", "Olandese (Belgio)"},
        {1030, "da_DK", "Danese"},
        {1053, "sv_SE", "Svedese"},
        {1044, "nb_NO", "Norvegese (Bokmal)"},
        {2068, "nn_NO", "Norvegese (Nynorsk)"},
        {1035, "fi_FI", "Finlandese"},
        {1045, "pl_PL", "Polacco"},
        {1029, "cs_CZ", "Ceco"},
        {1051, "sk_SK", "Slovacco"},
        {1060, "sl_SI", "Sloveno"},
        {1050, "hr_HR", "Croato"},
        {1038, "hu_HU", "Ungherese"},
        {1048, "ro_RO", "Rumeno"},
        {1026, "bg_BG", "Bulgaro"},
        {1049, "ru_RU", "Russo"},
        {1058, "uk_UA", "Ucraino"},
        {1032, "el_GR", "Greco"},
        {1055, "tr_TR", "Turco"},
        {1061, "et_EE", "Estone"},
        {1062, "lv_LV", "Lettone"},
        {1063, "lt_LT", "Lituano"},
        {1027, "ca_ES", "Catalano"},
        {1069, "eu_ES", "Basco"},
        {1110, "gl_ES", "Galiziano"},
    };
    return languages;
}

static const SpellLanguageInfo* Info(TLanguage language) {
    for (const SpellLanguageInfo& l : KnownSpellLanguages())
        if (l.id == language) return &l;
    return nullptr;
}

std::string LocaleOf(TLanguage language) {
    const SpellLanguageInfo* l = Info(language);
    return l ? l->locale : "";
}

std::string LanguageName(TLanguage language) {
    const SpellLanguageInfo* l = Info(language);
    return l ? l->name : std::to_string(language);
}

std::vector<fs::path> SystemDictionaryFolders() {
    std::vector<fs::path> folders;
    if (const char* env = std::getenv("DICPATH")) {
        std::string s = env;
        size_t i = 0;
        while (i <= s.size()) {
            size_t colon = s.find(':', i);
            if (colon == std::string::npos) colon = s.size();
            if (colon > i) folders.emplace_back(s.substr(i, colon - i));
            i = colon + 1;
        }
    }
    for (const char* f : {"/usr/share/hunspell", "/usr/share/myspell", "/usr/share/myspell/dicts"})
        folders.emplace_back(f);
    return folders;
}

static std::optional<DictionaryFiles> FindLocale(const std::string& locale, TLanguage language,
                                                 const std::vector<fs::path>& folders) {
    if (locale.empty()) return std::nullopt;
    std::string dashed = locale;
    std::replace(dashed.begin(), dashed.end(), '_', '-');
    for (const fs::path& folder : folders)
        for (const std::string& name : {locale, dashed}) {
            std::error_code ec;
            fs::path aff = folder / (name + ".aff"), dic = folder / (name + ".dic");
            if (fs::is_regular_file(aff, ec) && fs::is_regular_file(dic, ec))
                return DictionaryFiles{aff, dic, language};
        }
    return std::nullopt;
}

std::optional<DictionaryFiles> FindDictionary(TLanguage language, const std::vector<fs::path>& folders) {
    if (auto d = FindLocale(LocaleOf(language), language, folders)) return d;
    const TLanguage primary = PrimaryLanguage(language);
    if (primary != language) return FindLocale(LocaleOf(primary), primary, folders);
    return std::nullopt;
}

std::vector<std::pair<TLanguage, std::string>> InstalledLanguages(const std::vector<fs::path>& folders) {
    std::vector<std::pair<TLanguage, std::string>> list;
    for (const SpellLanguageInfo& l : KnownSpellLanguages())
        if (FindLocale(l.locale, l.id, folders)) list.emplace_back(l.id, l.name);
    std::sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    return list;
}

fs::path DefaultUserDictionary() {
    fs::path base;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) base = x;
    else if (const char* h = std::getenv("HOME"); h && *h) base = fs::path(h) / ".config";
    else base = fs::temp_directory_path();
    return base / "ZW" / "CUSTOM.DIC";
}

// --- characters of Windows-1252 ----------------------------------------------------------

namespace {

bool IsLetter(uint8_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    if (c >= 0xC0) return c != 0xD7 && c != 0xF7;
    switch (c) {
        case 0x83: case 0x8A: case 0x8C: case 0x8E: case 0x9A: case 0x9C: case 0x9E: case 0x9F:
        case 0xAA: case 0xB5: case 0xBA:
            return true;
        default:
            return false;
    }
}
bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }
bool IsWordChar(uint8_t c) { return IsLetter(c) || IsDigit(c); }
bool IsApostrophe(uint8_t c) { return c == '\'' || c == 0x92; }
bool IsBlank(uint8_t c) { return c == ' '; }
bool IsUpperLetter(uint8_t c) { return IsLetter(c) && cp1252::Lower(char(c)) != char(c); }
bool IsLowerLetter(uint8_t c) { return IsLetter(c) && cp1252::Upper(char(c)) != char(c); }
bool EndsSentence(uint8_t c) { return c == '.' || c == '!' || c == '?'; }
bool IsPunctuation(uint8_t c) {
    return c == ',' || c == ';' || c == ':' || c == '.' || c == '!' || c == '?';
}

// The end of the word that starts at `i`: word characters, with apostrophes
// inside (Italian elisions: "dell'anno" is one word for the dictionary).
size_t WordEnd(std::string_view t, size_t i) {
    while (i < t.size()) {
        const uint8_t c = uint8_t(t[i]);
        if (IsWordChar(c)) ++i;
        else if (IsApostrophe(c) && i + 1 < t.size() && IsLetter(uint8_t(t[i + 1])) && i > 0 &&
                 IsLetter(uint8_t(t[i - 1])))
            ++i;
        else break;
    }
    return i;
}

size_t WordStart(std::string_view t, size_t i) {
    while (i > 0) {
        const uint8_t c = uint8_t(t[i - 1]);
        if (IsWordChar(c)) --i;
        else if (IsApostrophe(c) && i >= 2 && IsLetter(uint8_t(t[i - 2])) && IsLetter(uint8_t(t[i]))) --i;
        else break;
    }
    return i;
}

bool IsRomanNumeral(std::string_view w) {
    if (w.empty()) return false;
    for (char c : w)
        if (std::string_view("IVXLCDM").find(c) == std::string_view::npos) return false;
    return true;
}

// Converts with iconv; false when the text has a character the target lacks.
bool Convert(const std::string& from, const std::string& to, const std::string& in, std::string& out) {
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == iconv_t(-1)) return false;
    out.assign(in.size() * 4 + 8, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (r == size_t(-1)) return false;
    out.resize(out.size() - dstLeft);
    return true;
}

}  // namespace

// --- the engine ------------------------------------------------------------------------------

SpellEngine::SpellEngine(const DictionaryFiles& files, fs::path userDictionary, bool createUserDictionary)
    : files_(files), userDictionary_(std::move(userDictionary)) {
    std::error_code ec;
    if (!fs::is_regular_file(files.aff, ec) || !fs::is_regular_file(files.dic, ec))
        throw ESpellError("Errore caricando Spell DLL " + files.dic.string());
    hunspell_ = std::make_unique<Hunspell>(files.aff.c_str(), files.dic.c_str());
    encoding_ = hunspell_->get_dict_encoding();
    std::string upper = cp1252::Upper(encoding_);
    utf8_ = upper == "UTF-8" || upper == "UTF8";
    if (userDictionary_.empty()) return;
    std::ifstream in(userDictionary_, std::ios::binary);
    if (in) {
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty()) continue;
            std::string word = cp1252::FromFileText(line);
            hunspell_->add(ToDictionary(word));
        }
    } else if (createUserDictionary) {
        fs::create_directories(userDictionary_.parent_path(), ec);
        std::ofstream create(userDictionary_, std::ios::binary | std::ios::app);
    }
}

SpellEngine::~SpellEngine() = default;

std::string SpellEngine::ToDictionary(std::string_view word) const {
    std::string w(word);
    for (char& c : w)
        if (uint8_t(c) == 0x92) c = '\'';  // the typographic apostrophe of elisions
    std::string utf8 = cp1252::ToUtf8(w);
    if (utf8_) return utf8;
    std::string out;
    return Convert("UTF-8", encoding_, utf8, out) ? out : std::string();
}

std::string SpellEngine::FromDictionary(const std::string& encoded, bool* exact) const {
    std::string utf8 = encoded;
    if (!utf8_ && !Convert(encoding_, "UTF-8", encoded, utf8)) {
        *exact = false;
        return {};
    }
    size_t replaced = 0;
    std::string text = cp1252::FromUtf8(utf8, &replaced);
    *exact = replaced == 0;
    return text;
}

bool SpellEngine::HunspellAccepts(std::string_view word) const {
    std::string w = ToDictionary(word);
    if (w.empty()) return false;
    return hunspell_->spell(w);
}

bool SpellEngine::WordAccepted(std::string_view word) const {
    std::string w(word);
    if (ignored_.count(w) || ignored_.count(cp1252::Lower(w))) return true;
    return HunspellAccepts(w);
}

std::optional<VerifyResult> SpellEngine::CheckWord(std::string_view text, size_t start, size_t end,
                                                   bool sentenceStart) const {
    const std::string word(text.substr(start, end - start));
    auto error = [&](int code, std::string replacement = {}) {
        return VerifyResult{code, int32_t(start), int32_t(end - start), std::move(replacement)};
    };
    if (auto it = changeAlways_.find(word); it != changeAlways_.end()) return error(srReturningChangeAlways, it->second);
    if (auto it = changeOnce_.find(word); it != changeOnce_.end()) return error(srReturningChangeOnce, it->second);
    bool digits = false, letters = false, lower = false;
    for (char c : word) {
        if (IsDigit(uint8_t(c))) digits = true;
        else if (IsLetter(uint8_t(c))) {
            letters = true;
            if (IsLowerLetter(uint8_t(c))) lower = true;
        }
    }
    if (!letters) return std::nullopt;  // a number
    if (digits) {
        if ((options_ & spoFindInitialNumerals) && IsDigit(uint8_t(word[0]))) return error(srInitialNumeral);
        if (options_ & spoIgnoreMixedDigits) return std::nullopt;
    }
    bool accepted = ignored_.count(word) || ignored_.count(cp1252::Lower(word));
    if (!accepted && (options_ & spoIgnoreAllCaps) && !lower && word.size() > 1) accepted = true;
    if (!accepted && (options_ & spoIgnoreRomanNumerals) && IsRomanNumeral(word)) accepted = true;
    if (!accepted) accepted = HunspellAccepts(word);
    if (!accepted) return error(srUnknownInputWord);
    if ((options_ & spoFindUncappedSentences) && sentenceStart && IsLowerLetter(uint8_t(word[0])))
        return error(srNoSentenceStartCap);
    return std::nullopt;
}

VerifyResult SpellEngine::Verify(std::string_view text, size_t from, int state) const {
    if (from > text.size()) from = text.size();
    auto relative = [from](VerifyResult r) {
        r.offset -= int32_t(from);
        if (r.offset < 0) {  // a word cut by the start: only its part from the start
            r.length += r.offset;
            r.offset = 0;
        }
        return r;
    };
    // What the text before `from` says: the previous word (blanks only between)
    // and whether a sentence starts.
    std::string previous;
    bool sentenceStart = state == kStateSentenceStart;
    size_t i = from;
    if (i > 0 && i < text.size() && IsWordChar(uint8_t(text[i])) && IsWordChar(uint8_t(text[i - 1])))
        i = WordStart(text, i);  // a word cut by `from` is checked whole
    if (state != kStateSentenceStart && i > 0) {
        size_t k = i;
        while (k > 0 && IsBlank(uint8_t(text[k - 1]))) --k;
        if (k > 0 && IsWordChar(uint8_t(text[k - 1]))) {
            previous = std::string(text.substr(WordStart(text, k), k - WordStart(text, k)));
        } else if (k > 0 && EndsSentence(uint8_t(text[k - 1]))) {
            sentenceStart = true;
        }
    }
    const size_t n = text.size();
    while (i < n) {
        const uint8_t c = uint8_t(text[i]);
        if (IsBlank(c)) {
            size_t b1 = i;
            while (b1 < n && IsBlank(uint8_t(text[b1]))) ++b1;
            const bool between = i > 0 && !IsBlank(uint8_t(text[i - 1])) && b1 < n;
            if (between && (options_ & spoFindSpacesBeforePunc) && IsPunctuation(uint8_t(text[b1])))
                return relative({srExtraSpaces, int32_t(i - 1), int32_t(b1 + 1 - (i - 1)), {}});
            if (between && (options_ & spoFindExtraSpaces) && b1 - i >= 2)
                return relative({srExtraSpaces, int32_t(i - 1), int32_t(b1 + 1 - (i - 1)), {}});
            i = b1;
            continue;
        }
        if (IsWordChar(c)) {
            const size_t end = WordEnd(text, i);
            const std::string word(text.substr(i, end - i));
            const bool blanksBefore = i > 0 && IsBlank(uint8_t(text[i - 1]));
            if ((options_ & spoFindRepeatWord) && !previous.empty() && blanksBefore &&
                cp1252::EqualNoCase(previous, word) &&
                std::any_of(word.begin(), word.end(), [](char ch) { return IsLetter(uint8_t(ch)); }))
                return relative({srRepeatWord, int32_t(i), int32_t(end - i), {}});
            if (auto e = CheckWord(text, i, end, sentenceStart)) return relative(*e);
            previous = word;
            sentenceStart = false;
            i = end;
            continue;
        }
        // Punctuation and every other character end the run of words.
        previous.clear();
        if (EndsSentence(c)) sentenceStart = true;
        if ((options_ & (spoFindMissingSpaces | spoFindSpacesAfterPunc)) && IsPunctuation(c) && i > 0 &&
            i + 1 < n && IsLetter(uint8_t(text[i - 1])) && IsLetter(uint8_t(text[i + 1])) &&
            (c != '.' || IsUpperLetter(uint8_t(text[i + 1]))))
            return relative({srMissingSpace, int32_t(i), 2, {}});
        ++i;
    }
    return {};
}

std::vector<std::string> SpellEngine::Suggest(std::string_view word) const {
    std::vector<std::string> out;
    std::string w = ToDictionary(word);
    if (w.empty()) return out;
    for (const std::string& s : hunspell_->suggest(w)) {
        bool exact = false;
        std::string text = FromDictionary(s, &exact);
        if (!exact || text.empty()) continue;
        if (std::find(out.begin(), out.end(), text) == out.end()) out.push_back(text);
    }
    return out;
}

void SpellEngine::IgnoreAlways(std::string_view word) {
    if (!word.empty()) ignored_.insert(std::string(word));
}

void SpellEngine::AddChange(std::string_view word, std::string_view replacement, bool always) {
    if (word.empty()) return;
    (always ? changeAlways_ : changeOnce_)[std::string(word)] = std::string(replacement);
    if (always) changeOnce_.erase(std::string(word));
}

bool SpellEngine::AddToUserDictionary(std::string_view word) {
    if (word.empty()) return false;
    hunspell_->add(ToDictionary(word));
    changeOnce_.erase(std::string(word));
    if (userDictionary_.empty()) return false;
    std::error_code ec;
    fs::create_directories(userDictionary_.parent_path(), ec);
    std::ofstream out(userDictionary_, std::ios::binary | std::ios::app);
    out << cp1252::ToUtf8(word) << '\n';
    return bool(out);
}

}  // namespace ovik::app
