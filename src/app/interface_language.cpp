#include "app/interface_language.h"

#include <algorithm>
#include <cctype>

namespace ovik::app {

namespace {
constexpr std::string_view kSection = "\xC2\xA7";  // "§" in UTF-8

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// "§!" is a line break (LF here), "§§" a "§"; a "§" before anything else goes.
std::string DecodeTableText(std::string_view v) {
    std::string out;
    for (size_t i = 0; i < v.size(); ++i) {
        if (v.substr(i, kSection.size()) == kSection) {
            std::string_view next = v.substr(i + kSection.size());
            if (!next.empty() && next[0] == '!') {
                out += '\n';
                i += kSection.size();
            } else if (next.substr(0, kSection.size()) == kSection) {
                out += kSection;
                i += 2 * kSection.size() - 1;
            } else {
                i += kSection.size() - 1;
            }
            continue;
        }
        out += v[i];
    }
    return out;
}

bool IsPlace(std::string_view s, size_t i) {
    return s[i] == '%' && i + 1 < s.size() && s[i + 1] >= '1' && s[i + 1] <= '9';
}
}  // namespace

std::string LanguageSettingName(InterfaceLanguage l) { return l == InterfaceLanguage::English ? "eng" : "ita"; }

std::optional<InterfaceLanguage> ParseLanguageSetting(std::string_view value) {
    const std::string v = Lower(value);
    if (v == "eng") return InterfaceLanguage::English;
    if (v == "ita") return InterfaceLanguage::Italian;
    return std::nullopt;
}

std::string LanguageCode(InterfaceLanguage l) { return l == InterfaceLanguage::English ? "en" : "it"; }

InterfaceLanguage LanguageForLocale(std::string_view localeName) {
    const std::string l = Lower(localeName.substr(0, localeName.find_first_of("_.@-")));
    return l == "en" ? InterfaceLanguage::English : InterfaceLanguage::Italian;
}

InterfaceLanguage ChosenInterfaceLanguage(const AppSettings& s, std::string_view localeName) {
    if (auto stored = ParseLanguageSetting(s.ReadOption(kLanguageOption))) return *stored;
    return LanguageForLocale(localeName);
}

void StoreInterfaceLanguage(AppSettings& s, InterfaceLanguage l) {
    s.WriteOption(kLanguageOption, LanguageSettingName(l));
}

std::string NormaliseLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<int> MessageTable::Parse(std::string_view text) {
    std::vector<int> bad;
    std::vector<std::string_view> lines;
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (line.empty() || line[0] == '#') continue;
        if (line.substr(0, 4) != "it: " || i + 1 >= lines.size() || lines[i + 1].substr(0, 4) != "en: ") {
            bad.push_back(int(i) + 1);
            continue;
        }
        std::string italian = DecodeTableText(line.substr(4));
        std::string english = DecodeTableText(lines[i + 1].substr(4));
        ++i;
        order_.push_back(italian);
        bool places = false;
        for (size_t k = 0; k < italian.size(); ++k) places = places || IsPlace(italian, k);
        if (!places) {
            exact_[italian] = english;
            continue;
        }
        // A message with its places still unfilled ("%1 pagine", before the
        // numbers go in) is found as it is.
        exact_[italian] = english;
        Pattern p;
        p.italian = italian;
        p.english = english;
        std::string piece;
        for (size_t k = 0; k < italian.size(); ++k) {
            if (IsPlace(italian, k)) {
                p.pieces.push_back(piece);
                p.places.push_back(italian[k + 1] - '0');
                piece.clear();
                ++k;
            } else {
                piece += italian[k];
            }
        }
        p.pieces.push_back(piece);
        patterns_.push_back(std::move(p));
    }
    // Longer patterns first: the most specific one wins.
    std::stable_sort(patterns_.begin(), patterns_.end(), [](const Pattern& a, const Pattern& b) {
        size_t la = 0, lb = 0;
        for (auto& s : a.pieces) la += s.size();
        for (auto& s : b.pieces) lb += s.size();
        return la > lb;
    });
    return bad;
}

bool MessageTable::Match(const Pattern& p, std::string_view text, std::vector<std::string>& parts) {
    parts.assign(10, std::string());
    const std::string& first = p.pieces.front();
    const std::string& last = p.pieces.back();
    if (text.size() < first.size() + last.size() || text.substr(0, first.size()) != first ||
        text.substr(text.size() - last.size()) != last)
        return false;
    size_t at = first.size();
    const size_t end = text.size() - last.size();
    for (size_t i = 1; i < p.pieces.size(); ++i) {
        size_t next = end;
        if (i + 1 < p.pieces.size()) {
            next = text.find(p.pieces[i], at);
            if (next == std::string_view::npos || next + p.pieces[i].size() > end) return false;
        }
        parts[size_t(p.places[i - 1])] = std::string(text.substr(at, next - at));
        at = next + p.pieces[i].size();
    }
    return true;
}

std::optional<std::string> MessageTable::Translate(std::string_view italian) const {
    const std::string text = NormaliseLineBreaks(italian);
    if (auto it = exact_.find(text); it != exact_.end()) return it->second;
    std::vector<std::string> parts;
    for (const Pattern& p : patterns_) {
        if (!Match(p, text, parts)) continue;
        std::string out;
        for (size_t k = 0; k < p.english.size(); ++k) {
            if (IsPlace(p.english, k)) {
                out += parts[size_t(p.english[k + 1] - '0')];
                ++k;
            } else {
                out += p.english[k];
            }
        }
        return out;
    }
    return std::nullopt;
}

std::vector<std::string> MessageTable::ItalianTexts() const { return order_; }

std::vector<std::string> MessageTable::TranslatedTexts() const {
    std::vector<std::string> out;
    for (const std::string& italian : order_) out.push_back(exact_.at(italian));
    return out;
}

}  // namespace ovik::app
