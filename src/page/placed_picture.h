// The placed picture (TMyyImage, kind immagineNew) and its click zones
// (TMyyZona): the model behind the picture control of a page being edited.
//
// The record holds 30 zone slots of 16 bytes at offset 73: link (int32, -1 =
// empty slot), reserved (int32, 0), left, top, width, height (int16, pixels
// at the shown size). Slot 0 is the front-most zone. Loading reads slots 29
// down to 0, so the control's list runs back to front; storing writes the
// front-most zone into slot 0 and empties the slots after the last zone.
//
//   TMyyImage& img = ...;                // a control of THQVpage
//   img.lastMouseX = 12; img.lastMouseY = 9;
//   img.AddZone();                       // "Aggiungi zona cliccabile"
//   img.SetZoneLink(img.SelectedZone(), page->Id());
//   img.Resize(100, 50);                 // zones follow
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "page/placed_visual.h"
#include "platform/clipboard.h"

namespace ovik {

class PageWorkingCopy;

// One 16-byte zone slot of a placed picture's record.
struct ZoneSlot {
    static constexpr size_t kFirst = 73;  // record offset of slot 0
    static constexpr size_t kSize = 16;
    static constexpr int kCount = 30;
    int32_t link = -1;
    int32_t reserved = 0;
    int16_t left = 0, top = 0, width = 0, height = 0;

    static ZoneSlot Read(const THQVoggetto& o, int slot);
    void Write(THQVoggetto& o, int slot) const;
    std::array<uint8_t, kSize> Bytes16() const;
    static ZoneSlot FromBytes(const uint8_t* p);
    // An empty slot as the editor writes it: link -1, twelve zero bytes.
    static ZoneSlot Empty() { return {}; }
};

// A click zone: its link (a page-local link index with kind 0x6F, or an
// identifier; 0 = page 0) and its bounds within the picture.
struct TMyyZona {
    static constexpr int32_t kNewSize = 30;
    int32_t link = 0;
    int slot = -1;
    int32_t left = 0, top = 0, width = kNewSize, height = kNewSize;

    PixelRect Rect() const { return {left, top, left + width, top + height}; }
    // Mouse state.
    bool pressed = false, moving = false, hintShown = false, doubleClicked = false;
    int32_t pressX = 0, pressY = 0;
};

// The fields of a placed picture that its property window shows and changes.
struct PlacedPictureFields {
    int32_t picture = -1;     // picture object shown (-1 none)
    int32_t lowRes = -1;      // low-resolution picture
    int32_t rollover = -1;    // picture shown while the mouse is over it
    uint8_t alignment = 4;    // 3 "Basso", 4 "Centro", 5 "Alto" (0-2 converted pictures)
    bool border = false;
    int32_t width = 0, height = 0;  // shown size in pixels
    bool percent = false;     // the size was entered as a percentage
    std::string alt;          // alternative text, at most 32 bytes

    static PlacedPictureFields Read(const THQVoggetto& placed);
    // Writes the fields into a placement (kind immagineNew). A picture other
    // than the one shown brings its natural size.
    void Write(THQVoggetto& placed) const;
    bool operator==(const PlacedPictureFields&) const = default;
};

// What a paste into a picture did.
enum class PictureTarget : uint8_t { None, ObjectsIgnored, ZonePasted, ZoneRefused, PictureFromClipboard };

// The cursor a picture shows.
enum class PictureCursor : uint8_t { Default, Link, Number5 };

class TMyyImage : public TMyyVisual {
public:
    static constexpr int kMaxZones = ZoneSlot::kCount;

    TMyyImage(WorkingObject w, THQVpage* page, PageWorkingCopy* links);

    std::string UndoText() const override { return "Modifica immagine"; }
    // Frees the zones, sizes the control and makes one zone for each used slot
    // (29 down to 0, so slot 0 ends in front).
    void LoadFromObject() override;
    void SizeFromObject() override;
    // Writes the zones back into the record (front-most into slot 0).
    void UpdateObject() override;

    // --- size ------------------------------------------------------------------------------------
    // Shown size = natural size x percent / 100; 100 x 100 without a picture.
    void Scale(int32_t percent);
    // The handles' resize: the zones follow by integer factors (per thousand).
    void Resize(int32_t width, int32_t height);
    THQVoggetto* PictureObject() const;
    // The property window's change: one "Modifica immagine" entry, then the
    // fields and, for each zone given in `zoneTargets` (zone index, identifier
    // of the target; page 0 when negative), its link. False when nothing
    // could be changed (read-only, header or footer).
    bool SetFields(const PlacedPictureFields& f, const std::vector<std::pair<int32_t, int32_t>>& zoneTargets = {});

    // --- zones -------------------------------------------------------------------------------
    const std::vector<TMyyZona>& Zones() const { return zones_; }  // back to front
    int32_t SelectedZone() const { return selectedZone_; }
    void SelectZone(int32_t i) { selectedZone_ = i >= 0 && size_t(i) < zones_.size() ? i : -1; }
    bool CanAddZone() const { return !ReadOnly() && !working_.inactive && zones_.size() < size_t(kMaxZones); }
    // A 30 x 30 zone at the last mouse position, back-most, selected.
    bool AddZone();
    // A zone of the given bounds (a rubber band drawn over the picture), kept
    // within the picture; back-most and selected like any new zone.
    bool AddZone(PixelRect bounds);
    bool DeleteZone(int32_t i);
    bool DeleteSelectedZone() { return DeleteZone(selectedZone_); }
    bool BringZoneToFront();
    bool SendZoneToBack();
    // Points zone `i` at the object with identifier `id` (page 0 when < 0): a
    // link object gets a page-local working copy. Records no undo entry (the
    // link window's caller does, with the zone's own text).
    // A page-local identifier of a link the page holds is kept as it is.
    void SetZoneLink(int32_t i, int32_t id);
    // The link window's change of zone `i`: one undo entry, then SetZoneLink.
    bool LinkZone(int32_t i, int32_t id);
    // ... at a link object made by the link window (not registered yet).
    void SetZoneLinkObject(int32_t i, std::unique_ptr<THQVoggetto> link);
    // The description of zone i's link (its hint).
    std::string ZoneHint(int32_t i) const;
    // The object a zone leads to (a page-local copy, or an object of the set).
    const THQVoggetto* ZoneTarget(int32_t i) const;
    // The identifier zone i leads to outside the page (-1 for a new link).
    int32_t ZoneTargetId(int32_t i) const;

    // Zone mouse (coordinates within the picture).
    VisualActions ZonePress(int32_t i, MouseButton b, int32_t x, int32_t y);
    VisualActions ZoneMove(int32_t i, int32_t x, int32_t y);
    VisualActions ZoneRelease(int32_t i, MouseButton b, int32_t x, int32_t y);
    VisualActions ZoneDoubleClick(int32_t i);
    VisualActions ZoneKeyDown(int32_t i, EditKey k, bool shift);
    // The rubber band of a zone being moved.
    PixelRect ZoneBand() const { return band_; }
    // A zone resized with its handles ("Dimensiona zona cliccabile").
    bool ResizeZone(int32_t i, const PixelRect& r);

    // --- hint and rollover -----------------------------------------------------------------------
    std::string Hint();
    PictureCursor Cursor();
    // The mouse entered: true when the rollover picture must now be shown.
    bool MouseEnter(bool applicationShowsHints);
    // The mouse left: true when the rollover picture was shown (repaint).
    bool MouseLeave();
    // The rollover picture goes (the picture was selected); true when it was
    // shown. The mouse's last place within the picture stays.
    bool EndRollover();
    bool RolloverShown() const { return rollover_; }
    // The number of the picture object to draw now.
    int32_t ShownPictureNumber() const;

    // --- clipboard -----------------------------------------------------------------------------
    static bool AcceptsFormat(const std::string& name);
    // With a zone selected, puts "Ovik30 zone" data (2, then the slot) and
    // returns true; otherwise the picture is copied as a selection (the box's).
    bool CopyZone(platform::Clipboard& clipboard) const;
    PictureTarget Paste(const platform::Clipboard& clipboard);

protected:
    int32_t SelectedZoneForUndo() const override { return selectedZone_; }
    void RestoreSelectedZone(int32_t z) override { SelectZone(z); }

private:
    TMyyZona ZoneFromSlot(const ZoneSlot& s, int slot) const;
    int32_t CheckedLink(int32_t link) const;
    const THQVoggetto* LinkObject(int32_t link) const;
    int32_t EnclosingLink() const;

    PageWorkingCopy* links_;
    std::vector<TMyyZona> zones_;
    int32_t selectedZone_ = -1;
    PixelRect band_;
    bool rollover_ = false;
};

// The markup of an object's wrapper text (after its int32 length and the
// bytes it counts); empty when there is none.
std::string WrapperText(const THQVoggetto& o);

}  // namespace ovik
