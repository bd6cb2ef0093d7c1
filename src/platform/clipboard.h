// The clipboard as the engine sees it: data under format names ("Ovik30
// objects", "Ovik30 picture", "Ovik30 zone", "Rich Text Format") besides plain
// text. Setting the clipboard replaces everything it held. The editor backs it
// with the system clipboard; tests and the batch tool use the in-memory one.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace ovik::platform {

inline constexpr const char* kObjectsFormat = "Ovik30 objects";
inline constexpr const char* kPictureFormat = "Ovik30 picture";
inline constexpr const char* kZoneFormat = "Ovik30 zone";
inline constexpr const char* kRtfFormat = "Rich Text Format";

struct ClipboardData {
    std::optional<std::string> text;             // UTF-8
    std::map<std::string, std::string> formats;  // format name -> bytes
    bool Empty() const { return !text && formats.empty(); }
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void Set(const ClipboardData& data) = 0;
    virtual ClipboardData Get() const = 0;

    bool HasFormat(const std::string& name) const { return Get().formats.count(name) > 0; }
    std::optional<std::string> Format(const std::string& name) const {
        ClipboardData d = Get();
        auto it = d.formats.find(name);
        if (it == d.formats.end()) return std::nullopt;
        return it->second;
    }
    std::optional<std::string> Text() const { return Get().text; }
    void SetText(const std::string& text) {
        ClipboardData d;
        d.text = text;
        Set(d);
    }
    // Text and objects data of a copied selection, as one clipboard content.
    void SetObjects(const std::string& objectsData, const std::string& text) {
        ClipboardData d;
        d.text = text;
        d.formats[kObjectsFormat] = objectsData;
        Set(d);
    }
};

// A process-local clipboard: the batch tool's, and the one tests inspect.
class InMemoryClipboard : public Clipboard {
public:
    void Set(const ClipboardData& data) override {
        data_ = data;
        ++sets;
    }
    ClipboardData Get() const override { return data_; }
    int sets = 0;  // how many times the content was replaced

private:
    ClipboardData data_;
};

}  // namespace ovik::platform
