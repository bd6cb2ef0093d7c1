#include "ui/qt_measurer.h"

#include <QFontDatabase>
#include <cmath>

#include "core/codepage.h"

namespace ovik::ui {

namespace {
void InstallSubstitutes() {
    static bool done = false;
    if (done) return;
    done = true;
    QFont::insertSubstitution("Times New Roman", "Liberation Serif");
    QFont::insertSubstitution("Arial", "Liberation Sans");
    QFont::insertSubstitution("Courier New", "Liberation Mono");
}
}  // namespace

QString FromCp1252(std::string_view text) {
    std::string utf8 = cp1252::ToUtf8(text);
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

QtTextMeasurer::QtTextMeasurer() { InstallSubstitutes(); }

QFont QtTextMeasurer::ToQFont(const platform::FontDesc& f) {
    InstallSubstitutes();
    QFont q(QString::fromStdString(cp1252::ToUtf8(f.face.empty() ? "Times New Roman" : f.face)));
    int size = f.size > 0 ? f.size : 10;
    q.setPixelSize(std::max(1, int(std::lround(size * 96.0 / 72.0))));
    q.setBold(f.style & 1);
    q.setItalic(f.style & 2);
    q.setUnderline(f.style & 4);
    q.setStrikeOut(f.style & 8);
    q.setKerning(true);
    return q;
}

bool QtTextMeasurer::FaceInstalled(const std::string& face) {
    InstallSubstitutes();
    QString name = QString::fromStdString(cp1252::ToUtf8(face));
    if (QFontDatabase::hasFamily(name)) return true;
    QString sub = QFont::substitute(name);
    return sub != name && QFontDatabase::hasFamily(sub);
}

const QFontMetricsF& QtTextMeasurer::MetricsOf(const platform::FontDesc& f) {
    auto key = std::make_tuple(f.face, f.size, uint8_t(f.style & 3));
    auto it = cache_.find(key);
    if (it == cache_.end())
        it = cache_.emplace(key, std::make_unique<QFontMetricsF>(ToQFont(f))).first;
    return *it->second;
}

int32_t QtTextMeasurer::Extent(const platform::FontDesc& font, std::string_view text) {
    return int32_t(std::lround(MetricsOf(font).horizontalAdvance(FromCp1252(text))));
}

platform::FontCell QtTextMeasurer::Metrics(const platform::FontDesc& font) {
    const QFontMetricsF& m = MetricsOf(font);
    return {int32_t(std::ceil(m.height())), int32_t(std::ceil(m.ascent()))};
}

}  // namespace ovik::ui
