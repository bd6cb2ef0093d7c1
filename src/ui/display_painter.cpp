#include "ui/display_painter.h"

#include <QPalette>
#include <QApplication>

#include "document/hqv_object.h"
#include "document/picture.h"
#include "ui/qt_measurer.h"

namespace ovik::ui {

namespace {

QRect ToQRect(const PixelRect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

QFont ToFont(const DisplayFont& f) { return QtTextMeasurer::ToQFont({f.face, f.size, f.style}); }

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

void DrawText(QPainter& p, const std::string& text, const DisplayFont& font, int x, int baseline,
              const std::vector<int32_t>& charX, const QColor& colour) {
    p.setFont(ToFont(font));
    p.setPen(colour);
    if (charX.empty()) {
        p.drawText(QPointF(x, baseline), FromCp1252(text));
        return;
    }
    for (size_t i = 0; i < text.size() && i < charX.size(); ++i)
        p.drawText(QPointF(charX[i], baseline), FromCp1252(std::string_view(&text[i], 1)));
}

}  // namespace

const QImage& PictureImages::ImageOf(THQVoggetto* picture) {
    auto it = images_.find(picture);
    if (it != images_.end()) return it->second;
    QImage img;
    if (picture) {
        std::shared_ptr<const DecodedPicture> d = picture->Picture();
        if (d && !d->IsMetafile() && d->width > 0 && d->height > 0 &&
            d->rgba.size() >= size_t(d->width) * size_t(d->height) * 4) {
            img = QImage(d->rgba.data(), d->width, d->height, d->width * 4, QImage::Format_RGBA8888).copy();
        }
    }
    return images_.emplace(picture, std::move(img)).first->second;
}

void PaintDisplayList(QPainter& p, const DisplayList& list, PictureImages& pictures, const PaintState& state) {
    const QPalette pal = QApplication::palette();
    p.save();
    p.setClipRect(ToQRect(list.clip));
    for (const DisplayItem& item : list.items) {
        std::visit(
            Overloaded{
                [&](const FillItem& f) { p.fillRect(ToQRect(f.rect), ToQColor(f.colour)); },
                [&](const TileItem& t) {
                    const QImage& img = pictures.ImageOf(t.picture);
                    if (img.isNull() || t.stepX <= 0 || t.stepY <= 0) return;
                    QImage tile = img.scaled(t.stepX, t.stepY);
                    p.save();
                    p.setClipRect(ToQRect(t.area), Qt::IntersectClip);
                    for (int y = t.originY; y < t.area.bottom; y += t.stepY)
                        for (int x = t.originX; x < t.area.right; x += t.stepX) p.drawImage(x, y, tile);
                    p.restore();
                },
                [&](const HatchItem& h) {
                    QRect r = ToQRect(h.rect);
                    p.save();
                    p.setClipRect(r, Qt::IntersectClip);
                    p.fillRect(r, QBrush(pal.color(QPalette::Light), Qt::FDiagPattern));
                    p.fillRect(r, QBrush(pal.color(QPalette::Dark), Qt::BDiagPattern));
                    p.restore();
                },
                [&](const BorderItem& b) {
                    if (b.width <= 0) return;
                    QPen pen(pal.color(QPalette::Dark), b.width);
                    pen.setJoinStyle(Qt::MiterJoin);
                    p.setPen(pen);
                    p.setBrush(Qt::NoBrush);
                    QRect r = ToQRect(b.rect).adjusted(b.width / 2, b.width / 2, -(b.width + 1) / 2, -(b.width + 1) / 2);
                    p.drawRect(r);
                },
                [&](const SelectionItem& s) { p.fillRect(ToQRect(s.rect), pal.color(QPalette::Highlight)); },
                [&](const TextItem& t) {
                    QColor c = t.selected ? pal.color(QPalette::HighlightedText) : ToQColor(t.font.colour);
                    DrawText(p, t.text, t.font, t.x, t.baseline, t.charX, c);
                },
                [&](const ListMarkItem& m) {
                    DrawText(p, m.text, m.font, m.x, m.baseline, {}, ToQColor(m.font.colour));
                },
                [&](const SquiggleItem& s) {
                    QPen pen(ToQColor(s.colour), 1, Qt::DotLine);
                    p.setPen(pen);
                    p.drawLine(s.x1 + 2, s.y, s.x2 - 1, s.y);
                    p.drawLine(s.x1, s.y + 1, s.x2 - 1, s.y + 1);
                },
                [&](const ObjectItem& o) {
                    if (state.shown && !state.shown(o.controlIndex)) return;
                    if (state.drawObject && state.drawObject(p, o)) return;
                    if (!state.outlineObjects) return;
                    QRect r = ToQRect(o.rect);
                    p.setPen(QPen(o.selected ? pal.color(QPalette::Highlight) : QColor(128, 128, 128), 1,
                                  Qt::DashLine));
                    p.setBrush(Qt::NoBrush);
                    p.drawRect(r.adjusted(0, 0, -1, -1));
                },
                [&](const CaretItem& c) {
                    if (!state.caretVisible) return;
                    p.fillRect(QRect(c.x, c.y, 2, c.height), Qt::black);
                },
            },
            item);
    }
    p.restore();
}

}  // namespace ovik::ui
