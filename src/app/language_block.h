// Language blocks: the texts of a window (captions, hints, list items, column
// properties) given as alternate key and value lines, so that every window's
// language can be changed by changing its block alone.
//
//   "*_*" component "_" property                 a single text
//   "*_." component "_" property "*count"        items of a list: the count,
//   "*_." component "_" property "*item" n       then each item
//   "*_." component "_" property "*item" n "_" P a property of a collection item
// A value line starts with one ignored character; "§!" is a line break, "§§" a
// "§", "''" a "'". Keys compare without case. Texts are UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ovik::app {

class LanguageBlock {
public:
    LanguageBlock() = default;
    explicit LanguageBlock(std::string_view block) { Parse(block); }
    void Parse(std::string_view block);

    // A single-text property of a component ("bok", "caption").
    std::optional<std::string> Text(std::string_view component, std::string_view property) const;
    // The items of a list property; nothing when the block has no count.
    std::optional<std::vector<std::string>> Items(std::string_view component,
                                                  std::string_view property) const;
    // A property of item `index` of a collection property.
    std::optional<std::string> ItemProperty(std::string_view component, std::string_view property,
                                            int index, std::string_view itemProperty) const;
    // The value of a raw key ("*_*bok_caption").
    std::optional<std::string> Lookup(std::string_view key) const;

    static std::string Decode(std::string_view value);
    static std::string Encode(std::string_view text);

private:
    std::unordered_map<std::string, std::string> values_;  // lower-case key -> raw value line
};

// What a window offers to a block: its localizable properties. The Qt layer
// implements it over a widget tree; tests use a plain map.
class Localizable {
public:
    virtual ~Localizable() = default;
    struct Property {
        std::string component;  // lower case
        std::string property;   // lower case: caption, text, hint, items, columns, ...
        enum Kind { Single, List, Collection } kind = Single;
        int collectionSize = 0;                   // for collections: items it has
        std::vector<std::string> itemProperties;  // for collections: caption, width, ...
    };
    virtual std::vector<Property> Properties() const = 0;
    virtual void SetText(const Property& p, const std::string& value) = 0;
    virtual void SetItems(const Property& p, const std::vector<std::string>& items) = 0;
    virtual void SetItemProperty(const Property& p, int index, const std::string& itemProperty,
                                 const std::string& value) = 0;
};

// Applies a block: every property with an entry takes it, the others keep
// their texts.
void ApplyLanguageBlock(const LanguageBlock& block, Localizable& target);

}  // namespace ovik::app
