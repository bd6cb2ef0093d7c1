#include "app/languages_store.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/host.h"

namespace ovik::app {

namespace fs = std::filesystem;

namespace {

constexpr const char* kComment1 = "//STRING mantained by ZtLanguagesStore.";
constexpr const char* kComment2 = "//Please modify only strings marked by {##>} {<##}.";
constexpr const char* kEndif = "{$endif}//ZtLanguagesStore";

std::vector<std::string> ReadLines(const fs::path& p, bool* exists) {
    std::ifstream in(p, std::ios::binary);
    *exists = bool(in);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool WriteLines(const fs::path& p, const std::vector<std::string>& lines) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    for (auto& l : lines) out << l << "\r\n";
    return bool(out);
}

std::string Quote(const std::string& s) {
    std::string r = "'";
    for (char c : s) r += c == '\'' ? std::string("''") : std::string(1, c);
    return r + "'";
}

std::string IfdefOf(const std::string& lang) { return "{$ifdef " + lang + "}"; }

size_t Find(const std::vector<std::string>& lines, const std::string& text, size_t from = 0) {
    for (size_t i = from; i < lines.size(); ++i)
        if (lines[i] == text) return i;
    return lines.size();
}

std::vector<std::string> NewFile(const fs::path& file, const std::vector<std::string>& languages) {
    std::vector<std::string> lines = {"unit " + file.stem().string() + ";", "interface", "", "const"};
    for (auto& l : languages) {
        lines.push_back(kComment1);
        lines.push_back(kComment2);
        lines.push_back(IfdefOf(l));
        lines.push_back(kEndif);
        lines.push_back("");
        lines.push_back("");
    }
    lines.push_back("implementation");
    lines.push_back("end.");
    return lines;
}

}  // namespace

bool TZtLanguagesStore::SetLanguagesDefines(std::vector<std::string> languages) {
    languages.erase(std::remove(languages.begin(), languages.end(), std::string()), languages.end());
    if (languages.empty()) languages.push_back(DefaultLang);
    languages_ = std::move(languages);
    return UpdateFile();
}

bool TZtLanguagesStore::SetLanguagesPasUnit(fs::path file) {
    file_ = std::move(file);
    return UpdateFile();
}

bool TZtLanguagesStore::UpdateFile() {
    if (file_.empty()) file_ = platform::TemporaryFolder() / "FormLocalizations1.txt";
    bool exists = false;
    std::vector<std::string> lines = ReadLines(file_, &exists);
    if (!exists || Find(lines, "const") == lines.size() || Find(lines, "implementation") == lines.size())
        return WriteLines(file_, NewFile(file_, languages_));
    // Languages without a section get a copy of the first language's section.
    std::vector<std::string> firstSection;
    for (auto& l : languages_) {
        size_t at = Find(lines, IfdefOf(l));
        if (at < lines.size()) {
            size_t end = Find(lines, kEndif, at);
            firstSection.assign(lines.begin() + std::ptrdiff_t(at) + 1,
                                lines.begin() + std::ptrdiff_t(std::min(end, lines.size())));
            break;
        }
    }
    for (auto& l : languages_) {
        if (Find(lines, IfdefOf(l)) < lines.size()) continue;
        size_t impl = Find(lines, "implementation");
        std::vector<std::string> section = {kComment1, kComment2, IfdefOf(l)};
        section.insert(section.end(), firstSection.begin(), firstSection.end());
        section.push_back(kEndif);
        section.push_back("");
        section.push_back("");
        lines.insert(lines.begin() + std::ptrdiff_t(impl), section.begin(), section.end());
    }
    return WriteLines(file_, lines);
}

bool TZtLanguagesStore::SetBlock(const std::string& language, const std::string& window,
                                 const std::string& block) {
    if (std::find(languages_.begin(), languages_.end(), language) == languages_.end()) {
        auto langs = languages_;
        langs.push_back(language);
        if (!SetLanguagesDefines(langs)) return false;
    } else if (!UpdateFile()) {
        return false;
    }
    bool exists = false;
    std::vector<std::string> lines = ReadLines(file_, &exists);
    size_t at = Find(lines, IfdefOf(language));
    size_t end = Find(lines, kEndif, at);
    if (at >= lines.size() || end >= lines.size()) return false;
    // Drop the window's old block.
    const std::string head = window + "_block =";
    size_t old = Find(lines, head, at);
    if (old < end) {
        size_t stop = old + 1;
        while (stop < end && lines[stop] != "'';") ++stop;
        lines.erase(lines.begin() + std::ptrdiff_t(old), lines.begin() + std::ptrdiff_t(std::min(stop + 1, end)));
        end = Find(lines, kEndif, at);
    }
    // Key lines and value lines as string pieces; the translatable part of a
    // value line is marked.
    std::vector<std::string> piece = {head};
    std::istringstream in(block);
    std::string line;
    bool key = true;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (key) {
            piece.push_back(" " + Quote(line) + "#13#10+");
        } else {
            std::string first = line.empty() ? " " : line.substr(0, 1);
            std::string rest = line.empty() ? "" : line.substr(1);
            piece.push_back(" " + Quote(first + "{##>}" + rest + "{<##}") + "#13#10+");
        }
        key = !key;
    }
    piece.push_back("'';");
    lines.insert(lines.begin() + std::ptrdiff_t(end), piece.begin(), piece.end());
    return WriteLines(file_, lines);
}

std::optional<std::string> TZtLanguagesStore::Block(const std::string& language, const std::string& window) const {
    bool exists = false;
    std::vector<std::string> lines = ReadLines(file_, &exists);
    size_t at = Find(lines, IfdefOf(language));
    size_t end = Find(lines, kEndif, at);
    size_t head = Find(lines, window + "_block =", at);
    if (head >= end) return std::nullopt;
    std::string block;
    for (size_t i = head + 1; i < end && lines[i] != "'';"; ++i) {
        std::string l = lines[i];
        size_t q1 = l.find('\'');
        size_t q2 = l.rfind("'#13#10+");
        if (q1 == std::string::npos || q2 == std::string::npos || q2 <= q1) continue;
        std::string text;
        for (size_t k = q1 + 1; k < q2; ++k) {
            if (l[k] == '\'' && k + 1 < q2 && l[k + 1] == '\'') ++k;
            text += l[k];
        }
        for (const char* mark : {"{##>}", "{<##}"}) {
            size_t m = text.find(mark);
            if (m != std::string::npos) text.erase(m, 5);
        }
        block += text + "\r\n";
    }
    return block;
}

}  // namespace ovik::app
