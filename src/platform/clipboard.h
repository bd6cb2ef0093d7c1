// The clipboard as the engine sees it: data under format names ("Ovik30
// objects", "Ovik30 picture", "Ovik30 zone", "Rich Text Format") besides plain
// text. Setting the clipboard replaces everything it held. The editor backs it
// with the system clipboard; tests and the batch tool use the in-memory one.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ovik::platform {

inline constexpr const char* kObjectsFormat = "Ovik30 objects";
inline constexpr const char* kPictureFormat = "Ovik30 picture";
inline constexpr const char* kZoneFormat = "Ovik30 zone";
inline constexpr const char* kRtfFormat = "Rich Text Format";
// The platform's own picture formats, as the engine names them.
inline constexpr const char* kBitmapFormat = "bitmap";
inline constexpr const char* kMetafileFormat = "metafile picture";
inline constexpr const char* kEnhancedMetafileFormat = "enhanced metafile";

// A picture on the clipboard: width * height pixels of R, G, B, A, row by row
// from the top.
struct ClipboardBitmap {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};

struct ClipboardData {
    std::optional<std::string> text;             // UTF-8
    std::map<std::string, std::string> formats;  // format name -> bytes
    std::optional<ClipboardBitmap> bitmap;
    // Metafiles offered by another program: a metafile picture (WMF bytes) and
    // an enhanced metafile (EMF bytes).
    std::optional<std::string> metafile, enhancedMetafile;
    bool Empty() const { return !text && formats.empty() && !bitmap && !metafile && !enhancedMetafile; }
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void Set(const ClipboardData& data) = 0;
    virtual ClipboardData Get() const = 0;

    bool HasFormat(const std::string& name) const { return Get().formats.count(name) > 0; }
    // Whether a picture is offered (without converting it).
    virtual bool HasBitmap() const { return Get().bitmap.has_value(); }
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
