#include "app/language_block.h"

#include "core/codepage.h"

namespace ovik::app {

namespace {
constexpr std::string_view kSection = "\xC2\xA7";  // "§" in UTF-8

std::string LowerAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    return r;
}
}  // namespace

void LanguageBlock::Parse(std::string_view block) {
    values_.clear();
    std::vector<std::string_view> lines;
    size_t i = 0;
    while (i <= block.size()) {
        size_t j = block.find('\n', i);
        if (j == std::string_view::npos) j = block.size();
        std::string_view line = block.substr(i, j - i);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        i = j + 1;
    }
    // A key is found as the first line equal to it; its value is the line
    // after. Every line is tried as a key, so a stray line does not shift the
    // rest of the block.
    for (size_t k = 0; k + 1 < lines.size(); ++k) {
        std::string key = LowerAscii(lines[k]);
        if (!values_.count(key)) values_[key] = std::string(lines[k + 1]);
    }
}

std::optional<std::string> LanguageBlock::Lookup(std::string_view key) const {
    auto it = values_.find(LowerAscii(key));
    if (it == values_.end()) return std::nullopt;
    std::string_view v = it->second;
    if (!v.empty()) v.remove_prefix(1);  // the first character is ignored
    return Decode(v);
}

std::optional<std::string> LanguageBlock::Text(std::string_view component, std::string_view property) const {
    return Lookup("*_*" + std::string(component) + "_" + std::string(property));
}

std::optional<std::vector<std::string>> LanguageBlock::Items(std::string_view component,
                                                             std::string_view property) const {
    std::string base = "*_." + std::string(component) + "_" + std::string(property) + "*";
    auto count = Lookup(base + "count");
    if (!count) return std::nullopt;
    int n = 0;
    try {
        n = std::stoi(*count);
    } catch (...) {
        return std::nullopt;
    }
    std::vector<std::string> items;
    for (int i = 0; i < n; ++i) items.push_back(Lookup(base + "item" + std::to_string(i)).value_or(""));
    return items;
}

std::optional<std::string> LanguageBlock::ItemProperty(std::string_view component, std::string_view property,
                                                       int index, std::string_view itemProperty) const {
    return Lookup("*_." + std::string(component) + "_" + std::string(property) + "*item" +
                  std::to_string(index) + "_" + std::string(itemProperty));
}

std::string LanguageBlock::Decode(std::string_view v) {
    std::string out;
    for (size_t i = 0; i < v.size();) {
        if (v[i] == '\'') {
            out += '\'';
            i += (i + 1 < v.size() && v[i + 1] == '\'') ? 2 : 1;
        } else if (v.substr(i, kSection.size()) == kSection) {
            std::string_view rest = v.substr(i + kSection.size());
            if (!rest.empty() && rest[0] == '!') {
                out += "\r\n";
                i += kSection.size() + 1;
            } else if (rest.substr(0, kSection.size()) == kSection) {
                out += kSection;
                i += 2 * kSection.size();
            } else {
                i += kSection.size();  // a lone "§" is dropped
            }
        } else {
            out += v[i++];
        }
    }
    return out;
}

std::string LanguageBlock::Encode(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\'') {
            out += "''";
        } else if (text.substr(i, kSection.size()) == kSection) {
            out += std::string(kSection) + std::string(kSection);
            i += kSection.size() - 1;
        } else if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += std::string(kSection) + "!";
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

void ApplyLanguageBlock(const LanguageBlock& block, Localizable& target) {
    for (const auto& p : target.Properties()) {
        switch (p.kind) {
            case Localizable::Property::Single:
                if (auto v = block.Text(p.component, p.property)) target.SetText(p, *v);
                break;
            case Localizable::Property::List:
                if (auto items = block.Items(p.component, p.property)) target.SetItems(p, *items);
                break;
            case Localizable::Property::Collection:
                for (int i = 0; i < p.collectionSize; ++i)
                    for (const auto& ip : p.itemProperties)
                        if (auto v = block.ItemProperty(p.component, p.property, i, ip))
                            target.SetItemProperty(p, i, ip, *v);
                break;
        }
    }
}

}  // namespace ovik::app
