// Draws the engine's display list with QPainter: the same list on a widget,
// and later on a printer or PDF canvas.
#pragma once

#include <functional>

#include <QImage>
#include <QPainter>
#include <map>
#include <memory>

#include "text/display_list.h"

namespace ovik::ui {

// Decoded pictures as Qt images, kept while their objects live.
class PictureImages {
public:
    // The image of a picture object (null image when it cannot be decoded).
    const QImage& ImageOf(THQVoggetto* picture);
    void Clear() { images_.clear(); }
    // Forgets one picture's image (decoded again on the next use).
    void Forget(THQVoggetto* picture) { images_.erase(picture); }

private:
    std::map<THQVoggetto*, QImage> images_;
};

// A platform colour (low byte red) as a Qt colour.
inline QColor ToQColor(int32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

struct PaintState {
    bool caretVisible = true;  // the blinking caret's phase
    // Placed objects whose controls do not draw themselves yet are outlined.
    bool outlineObjects = true;
    // Whether the placed object of a control index is drawn at all (null: all are).
    std::function<bool(int32_t controlIndex)> shown;
    // Draws a placed object whose control the host knows how to draw (a
    // placed picture); false leaves it to the outline.
    std::function<bool(QPainter&, const ObjectItem&)> drawObject;
};

// Paints every item in order. The painter is in box coordinates.
void PaintDisplayList(QPainter& painter, const DisplayList& list, PictureImages& pictures,
                      const PaintState& state = {});

}  // namespace ovik::ui
