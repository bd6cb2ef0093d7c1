// One mouse gesture over a placed picture, from press to release, headless:
// what the press lands on (a resize handle of the selected picture, a handle of
// its selected zone, a zone, or the picture itself), the rubber band the moves
// draw, and the change the release makes. The editor translates its events
// into picture coordinates (0, 0 is the picture's top left; handles reach four
// pixels outside) and carries out the actions.
//
//   PictureMouse m(image);
//   m.Press(MouseButton::Left, 100, 50, 0);   // handle 4 of a selected 100 x 50 picture
//   m.Move(50, 25, 0);                        // band 0,0 - 50,25
//   m.Release(MouseButton::Left, 50, 25);     // image.Resize(50, 25): zones follow
#pragma once

#include <cstdint>

#include "page/placed_picture.h"

namespace ovik {

class PictureMouse {
public:
    enum class Part : uint8_t {
        None,
        Picture,        // the picture's own mouse rules (focus, drag in the text, popup)
        PictureHandle,  // resizing the picture with one of its eight handles
        Zone,           // a zone pressed: moved, or its popup
        ZoneHandle,     // resizing the selected zone
        NewZone,        // Ctrl held on a selected picture: a band that becomes a zone
    };

    explicit PictureMouse(TMyyImage& image) : image_(image) {}

    // Whether (x, y) belongs to the picture: inside it, or on a handle of a
    // selected one.
    static bool Hits(const TMyyImage& image, int32_t x, int32_t y);
    // The front-most zone under (x, y), or -1.
    static int32_t ZoneAt(const TMyyImage& image, int32_t x, int32_t y);

    VisualActions Press(MouseButton b, int32_t x, int32_t y, uint8_t modifiers);
    VisualActions Move(int32_t x, int32_t y, uint8_t modifiers);
    VisualActions Release(MouseButton b, int32_t x, int32_t y);
    // A double click: a zone follows its link, the picture opens its properties.
    VisualActions DoubleClick(int32_t x, int32_t y);

    Part Pressed() const { return part_; }
    int Handle() const { return handle_; }
    int32_t Zone() const { return zone_; }
    // The rubber band shown while resizing, moving or drawing a zone.
    bool BandShown() const { return bandShown_; }
    PixelRect Band() const { return band_; }
    // Whether the release changed the picture or its zones.
    bool Changed() const { return changed_; }

private:
    bool Editable() const;

    TMyyImage& image_;
    Part part_ = Part::None;
    int handle_ = 0;
    int32_t zone_ = -1;
    int32_t pressX_ = 0, pressY_ = 0;
    PixelRect start_, band_;
    bool bandShown_ = false;
    bool changed_ = false;
};

}  // namespace ovik
