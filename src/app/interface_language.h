// The interface language: Italian (the program's own texts) or English. The
// choice is kept as the option "Language" ("ita" or "eng", the names the
// languages store gives its sections); without one, the desktop's locale
// decides: English for an English locale, Italian for any other.
//
// Messages are written in Italian where they are made; a message table gives
// each its text in another language. A table is a text of line pairs:
//   it: <Italian text>
//   en: <the same message in English>
// Empty lines and lines starting with "#" are left out. In both texts "§!"
// stands for a line break and "§§" for "§"; "%1" ... "%9" stand for a part
// that varies (a file name, a number) and match any text in the Italian one.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/startup.h"

namespace ovik::app {

enum class InterfaceLanguage { Italian, English };

inline constexpr const char* kLanguageOption = "Language";

// "ita" / "eng".
std::string LanguageSettingName(InterfaceLanguage l);
// Nothing for a value that names no language ("", "fra").
std::optional<InterfaceLanguage> ParseLanguageSetting(std::string_view value);
// The folder of the language's blocks and the suffix of Qt's translations:
// "it" / "en".
std::string LanguageCode(InterfaceLanguage l);
// A locale name as the desktop gives it ("en_GB.UTF-8", "en", "it_IT", "C"):
// English when its language part is "en".
InterfaceLanguage LanguageForLocale(std::string_view localeName);
// The stored choice, or the locale's language when none is stored.
InterfaceLanguage ChosenInterfaceLanguage(const AppSettings& s, std::string_view localeName);
void StoreInterfaceLanguage(AppSettings& s, InterfaceLanguage l);

class MessageTable {
public:
    MessageTable() = default;
    explicit MessageTable(std::string_view text) { Parse(text); }
    // Adds the pairs of a table text; returns the numbers of the lines that
    // are neither a pair, a comment nor empty (an "it:" without its "en:").
    std::vector<int> Parse(std::string_view text);
    // The text in the table's language; nothing when the table lacks it.
    // Line breaks compare alike whether written CR LF, CR or LF; the
    // translation breaks lines with LF.
    std::optional<std::string> Translate(std::string_view italian) const;
    size_t size() const { return order_.size(); }
    // The Italian texts of the table, as written in it (decoded).
    std::vector<std::string> ItalianTexts() const;
    std::vector<std::string> TranslatedTexts() const;

private:
    struct Pattern {
        std::vector<std::string> pieces;  // literal pieces between the places
        std::vector<int> places;          // the place number after each piece but the last
        std::string italian, english;
    };
    static bool Match(const Pattern& p, std::string_view text, std::vector<std::string>& parts);
    std::unordered_map<std::string, std::string> exact_;
    std::vector<Pattern> patterns_;
    std::vector<std::string> order_;  // Italian texts in table order
};

// A line-break-neutral form: CR LF and CR become LF.
std::string NormaliseLineBreaks(std::string_view text);

}  // namespace ovik::app
