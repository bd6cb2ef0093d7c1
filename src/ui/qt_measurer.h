// Text measuring with Qt's font engine at 96 pixels per inch. The Liberation
// faces stand in for "Times New Roman", "Arial" and "Courier New" (they have
// the same metrics), so pages lay out as their authors saw them.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <map>
#include <memory>
#include <tuple>

#include "platform/text_measurer.h"

namespace ovik::ui {

class QtTextMeasurer : public platform::TextMeasurer {
public:
    QtTextMeasurer();
    int32_t Extent(const platform::FontDesc& font, std::string_view text) override;
    platform::FontCell Metrics(const platform::FontDesc& font) override;
    int32_t PixelsPerInch() const override { return 96; }

    // The Qt font a font description draws with (pixel size from points at 96
    // pixels per inch, so layout does not depend on the screen).
    static QFont ToQFont(const platform::FontDesc& font);
    // True when the face (or its metric-compatible stand-in) is installed.
    bool HasFace(std::string_view face) override { return FaceInstalled(std::string(face)); }
    static bool FaceInstalled(const std::string& face);

private:
    const QFontMetricsF& MetricsOf(const platform::FontDesc& font);
    std::map<std::tuple<std::string, int32_t, uint8_t>, std::unique_ptr<QFontMetricsF>> cache_;
};

// Windows-1252 bytes as a Qt string.
QString FromCp1252(std::string_view text);

}  // namespace ovik::ui
