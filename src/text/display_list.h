// Painting as a display list: what to draw for a box and a clip rectangle, as
// plain data. The Qt view draws it on a widget, printing on a printer canvas;
// tests compare its text dump with golden files.
//
// Items come in drawing order: background (colour fill, tiles), hatching of
// inactive cells, the cell border, then per paragraph that meets the clip:
// header/footer hatching, the list mark, then per line selection highlight,
// text runs, placed objects and misspelling underlines; the caret comes last.
//
// Colours are 32-bit platform colours (low byte red) as stored; the system
// colours (highlight, highlight text, button highlight and shadow) are named by
// the item kinds and chosen by the host.
//
// Typical use
//   DisplayList list = BuildDisplayList(box, clip);
//   PlaceControls(box, list);              // move placed-object controls
//   host draws list.items in order
//   DumpDisplayList(list)                  // one line per item, for tests
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "text/layout.h"

namespace ovik {

class THQVoggetto;
struct DecodedPicture;

// A font to draw with: measurer font plus colour. Style bits: 1 bold, 2 italic,
// 4 underline, 8 strike-out.
struct DisplayFont {
    std::string face;
    int32_t size = 10;
    uint8_t style = 0;
    int32_t colour = 0;

    bool operator==(const DisplayFont&) const = default;
};

// Fills a rectangle with a colour.
struct FillItem {
    PixelRect rect;
    int32_t colour = 0;
};

// Tiles a picture over `area`: tiles of stepX x stepY (the picture object's
// stored width and height) at originX + i*stepX, originY + j*stepY covering the
// area; the first tile is at or before the area's left and top. Steps are never 0.
struct TileItem {
    THQVoggetto* picture = nullptr;  // the picture object (its Picture() decodes)
    PixelRect area;
    int32_t originX = 0;
    int32_t originY = 0;
    int32_t stepX = 0;
    int32_t stepY = 0;
};

// Hatches a rectangle: forward diagonals in the button-highlight colour, then
// backward diagonals in the button-shadow colour, no outline.
struct HatchItem {
    PixelRect rect;
};

// A cell box's border, `width` pixels inside `rect`.
struct BorderItem {
    PixelRect rect;
    int32_t width = 0;
};

// A selection highlight (the system highlight colour) on one line.
struct SelectionItem {
    PixelRect rect;
};

// A run of characters in one font. `top` is where the character cells start
// (line baseline - stored ascent, lower by half the font height for a
// subscript); `baseline` = top + the font's ascent. When `charX` is empty the
// run is drawn as one string from x; otherwise character i is drawn at charX[i]
// (the stored widths were more than 4 pixels off the measurer's width of the
// whole string). `selected` runs use the highlight text colour.
struct TextItem {
    std::string text;  // Windows-1252
    DisplayFont font;
    int32_t x = 0;
    int32_t top = 0;
    int32_t baseline = 0;
    std::vector<int32_t> charX;
    bool selected = false;
    int32_t paragraph = 0;  // where the run comes from
    int32_t first = 0;
};

// A list number ("1. ") or bullet. A bullet is "w" in "Wingdings" where that
// face exists, else the bullet character 0x95 in the paragraph's font.
struct ListMarkItem {
    std::string text;
    DisplayFont font;
    int32_t x = 0;
    int32_t top = 0;
    int32_t baseline = 0;
};

// A misspelling underline from x1 to x2 (exclusive): two dotted red lines, at
// y and y + 1, the upper one starting two pixels later.
struct SquiggleItem {
    int32_t x1 = 0;
    int32_t x2 = 0;
    int32_t y = 0;
    int32_t colour = 0x0000FF;  // red
};

// Where a placed object's control stands.
struct ObjectItem {
    int32_t controlIndex = -1;
    PixelRect rect;
    bool selected = false;
    int32_t paragraph = 0;
    int32_t charIndex = 0;
};

// The caret: a vertical bar at x from y, `height` high.
struct CaretItem {
    int32_t x = 0;
    int32_t y = 0;
    int32_t height = 0;
};

using DisplayItem = std::variant<FillItem, TileItem, HatchItem, BorderItem, SelectionItem,
                                 TextItem, ListMarkItem, SquiggleItem, ObjectItem, CaretItem>;

struct DisplayList {
    PixelRect clip;
    std::vector<DisplayItem> items;
};

// How the box is shown, beyond its own state.
struct PaintOptions {
    // The box is a cell of a header or footer table (hatched unless read-only).
    bool inactiveCell = false;
    // A cell box's position in its table: the tiling grid runs on across cells.
    int32_t cellLeft = 0;
    int32_t cellTop = 0;
    // The page's scroll position: a fixed background's grid starts there.
    int32_t scrollX = 0;
    int32_t scrollY = 0;
    // Lists the caret when there is no selection.
    bool showCaret = true;
    // Stores the re-measured widths of runs drawn character by character.
    bool storeRemeasured = true;
};

// The items that paint the box within `clip`. Nothing while the box holds its
// update lock. Only paragraphs whose rows meet the clip are listed.
DisplayList BuildDisplayList(THQVbox& box, const PixelRect& clip, const PaintOptions& options = {});

// The list number of every paragraph (0 for paragraphs that are not of list
// kind 6): a run of numbered paragraphs counts 1, 2, 3 ...; any other
// paragraph restarts the count.
std::vector<int32_t> ListNumbers(const THQVbox& box);

// Whether a background picture hides what is under it: metafiles and
// transparent pictures do not.
bool PictureIsOpaque(const DecodedPicture& picture);

// Places the controls of the object items: a control that needs placing, must
// take the focus or is not visible is placed at its item's top left; every
// control is told whether it lies in the selection.
void PlaceControls(THQVbox& box, const DisplayList& list);

// One line per item ("fill 0,0 600x400 #C0C0C0" ...), for golden tests and
// debugging. Text is shown with bytes outside printable ASCII as \xNN.
std::string DumpDisplayList(const DisplayList& list);

}  // namespace ovik
