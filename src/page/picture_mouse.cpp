#include "page/picture_mouse.h"

#include <algorithm>

namespace ovik {

namespace {
bool Inside(const PixelRect& r, int32_t x, int32_t y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }
}  // namespace

bool PictureMouse::Hits(const TMyyImage& image, int32_t x, int32_t y) {
    const PixelRect whole{0, 0, image.Width(), image.Height()};
    return Inside(whole, x, y) || (image.selected && ResizeHandles::HandleAt(whole, x, y) != 0);
}

int32_t PictureMouse::ZoneAt(const TMyyImage& image, int32_t x, int32_t y) {
    const auto& zones = image.Zones();
    for (int32_t i = int32_t(zones.size()) - 1; i >= 0; --i)
        if (Inside(zones[size_t(i)].Rect(), x, y)) return i;
    return -1;
}

bool PictureMouse::Editable() const {
    return !image_.ReadOnly() && !const_cast<TMyyImage&>(image_).Inactive();
}

VisualActions PictureMouse::Press(MouseButton b, int32_t x, int32_t y, uint8_t modifiers) {
    pressX_ = x;
    pressY_ = y;
    changed_ = false;
    bandShown_ = false;
    handle_ = 0;
    zone_ = -1;
    const PixelRect whole{0, 0, image_.Width(), image_.Height()};
    if (b == MouseButton::Left && Editable() && image_.selected) {
        // The handles of a selected picture lie over its edges, and those of
        // its selected zone over the zone's.
        if (const int h = ResizeHandles::HandleAt(whole, x, y)) {
            part_ = Part::PictureHandle;
            handle_ = h;
            start_ = band_ = whole;
            bandShown_ = true;
            return {};
        }
        const int32_t z = image_.SelectedZone();
        if (z >= 0)
            if (const int h = ResizeHandles::HandleAt(image_.Zones()[size_t(z)].Rect(), x, y)) {
                part_ = Part::ZoneHandle;
                handle_ = h;
                zone_ = z;
                start_ = band_ = image_.Zones()[size_t(z)].Rect();
                bandShown_ = true;
                return {};
            }
    }
    if (const int32_t z = ZoneAt(image_, x, y); z >= 0 && b != MouseButton::Middle) {
        part_ = Part::Zone;
        zone_ = z;
        return image_.ZonePress(z, b, x, y);
    }
    if (b == MouseButton::Left && Editable() && image_.selected && (modifiers & kCtrl) && Inside(whole, x, y)) {
        part_ = Part::NewZone;
        start_ = band_ = {x, y, x, y};
        bandShown_ = true;
        return {};
    }
    part_ = Part::Picture;
    return image_.MousePress(b, x, y);
}

VisualActions PictureMouse::Move(int32_t x, int32_t y, uint8_t modifiers) {
    switch (part_) {
        case Part::PictureHandle:
        case Part::ZoneHandle:
            band_ = ResizeHandles::Drag(handle_, start_, x - pressX_, y - pressY_, (modifiers & kShift) != 0);
            return {};
        case Part::Zone: {
            VisualActions out = image_.ZoneMove(zone_, x, y);
            if (zone_ >= 0 && size_t(zone_) < image_.Zones().size() && image_.Zones()[size_t(zone_)].moving) {
                bandShown_ = true;
                band_ = image_.ZoneBand();
            }
            return out;
        }
        case Part::NewZone: {
            const int32_t cx = std::clamp(x, 0, image_.Width()), cy = std::clamp(y, 0, image_.Height());
            band_ = {std::min(pressX_, cx), std::min(pressY_, cy), std::max(pressX_, cx), std::max(pressY_, cy)};
            return {};
        }
        case Part::Picture: return image_.MouseMove(x, y);
        case Part::None: return {};
    }
    return {};
}

VisualActions PictureMouse::Release(MouseButton b, int32_t x, int32_t y) {
    VisualActions out;
    const Part part = part_;
    part_ = Part::None;
    bandShown_ = false;
    switch (part) {
        case Part::PictureHandle:
            if (!(band_ == start_)) changed_ = true, image_.Resize(band_.right - band_.left, band_.bottom - band_.top);
            break;
        case Part::ZoneHandle:
            if (!(band_ == start_)) changed_ = image_.ResizeZone(zone_, band_);
            break;
        case Part::Zone:
            out = image_.ZoneRelease(zone_, b, x, y);
            changed_ = std::find(out.begin(), out.end(), VisualAction::EndZoneMove) != out.end();
            break;
        case Part::NewZone:
            // A click without a band draws nothing.
            if (band_.right - band_.left >= 4 && band_.bottom - band_.top >= 4) changed_ = image_.AddZone(band_);
            break;
        case Part::Picture: out = image_.MouseRelease(b, x, y); break;
        case Part::None: break;
    }
    return out;
}

VisualActions PictureMouse::DoubleClick(int32_t x, int32_t y) {
    part_ = Part::None;
    bandShown_ = false;
    if (const int32_t z = ZoneAt(image_, x, y); z >= 0) {
        zone_ = z;
        return image_.ZoneDoubleClick(z);
    }
    return image_.DoubleClick();
}

}  // namespace ovik
