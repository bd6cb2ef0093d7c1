// Line layout: paragraphs into lines, positions of characters, hit testing.
//
// Widths are measured once, when a character enters a paragraph, and kept in its
// character record; layout only adds stored widths. Each paragraph is laid out
// in one pass with one pending break point (break points lie only after blanks,
// so a line ends with its blank and a word longer than the line overflows to
// the right). A paragraph is given a top y and gives the top of the next one.
//
// Coordinates are box pixels: x from the box's left edge, y from its top. A
// paragraph covers the rows top..bottom (bottom = next top - 1); its text starts
// at top + space above; a line's y is relative to that text top.
//
// Typical use
//   InstallLayout(box);                    // the box's OnLayout relays out ranges
//   box.geometry.clientWidth = 600;        // a page box: the page's client area
//   ResizePageBox(box, 600, 400);          // lays everything out
//   ... an edit changed paragraph k:
//   LayoutDamage d = RelayoutRange(box, k, k);   // only k, the rest shifts
//   TextPosition p = PositionOf(box, k, 3);      // caret geometry
//   TextPosition q = PositionAtPoint(box, x, y); // mouse to text position
#pragma once

#include <cstdint>

#include "text/hqv_box.h"

namespace ovik {

// The narrowest a box gets.
inline constexpr int32_t kMinBoxWidth = 20;
// Top of the first paragraph of a page box whose space above is 0.
inline constexpr int32_t kFirstParagraphTop = 8;
// Height of a first line that has no characters and no base height.
inline constexpr int32_t kEmptyLineHeight = 20;
// Size a placed object counts as when it is hidden in the box's mode.
inline constexpr int32_t kHiddenObjectWidth = 0;
inline constexpr int32_t kHiddenObjectHeight = 10;

// A rectangle in box pixels; right and bottom are exclusive.
struct PixelRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const PixelRect&) const = default;
};

// What a relayout of a range changed.
struct LayoutDamage {
    int32_t shift = 0;  // how far the paragraphs below the range moved
    // Rows to repaint (empty when nothing was laid out): from the range's top to
    // the old or new end of the text, whichever is lower, when the paragraphs
    // below moved; else the range itself.
    PixelRect rect;
};

// --- the box ---------------------------------------------------------------------------------

// Where the first paragraph starts: a page box at its space above, or at
// kFirstParagraphTop when that is 0; a cell box at its cell inset.
int32_t FirstParagraphTop(const THQVbox& box);

// Lays paragraph `index` out from `top` and returns the next paragraph's top.
// Sizes the placed objects it holds (and unplaces their controls), replaces its
// lines, sets its top, bottom and width, and raises the box's needed width when
// a line overflows. An index out of range returns `top`.
int32_t LayOutParagraph(THQVbox& box, int32_t index, int32_t top);

// Lays every paragraph out from FirstParagraphTop, then sets the box's size
// (at least kMinBoxWidth, the needed width and, for a page box, the client
// width; at least the text height and the requested height) and, for a page
// box, the scroll ranges (the vertical position keeps its distance to the end
// of the text, never below 0). The layout width stays as it is.
void RelayoutBox(THQVbox& box);

// A page box's page got a new client area: when the width changed (or differs
// from the layout width), the box has paragraphs and no update lock, the layout
// and needed widths become the client width and the whole box is laid out again
// (RelayoutBox). Returns true when it laid out.
bool ResizePageBox(THQVbox& box, int32_t clientWidth, int32_t clientHeight);

// Lays paragraphs first..last (clamped) out from the first one's top and moves
// every later paragraph by the change of the last one's bottom (their controls
// are unplaced). A page box's vertical scroll range becomes the new text height
// with the position keeping its distance to the end; a cell box takes the new
// size and calls OnCellHeightChanged when its height or width changed.
LayoutDamage RelayoutRange(THQVbox& box, int32_t first, int32_t last);

// Sets the box's OnLayout hook to RelayoutRange (a box that has no layout width
// yet takes its client width, or kMinBoxWidth).
void InstallLayout(THQVbox& box);

// Measures every character of paragraphs first..last again in its current font:
// the paragraphs are written in flat mode and read back (placed objects and
// tables keep their controls), the origins are taken again from the header and
// footer counts, the first keeps its top and the last its bottom. The caller
// lays the range out again afterwards.
void RemeasureRange(THQVbox& box, int32_t first, int32_t last);

// Sizes the placed object standing at character i of the paragraph (layout does
// this for every object): width and height of its control (hidden: 0 x 10;
// form fields and buttons 2 higher) and the ascent from its vertical alignment.
void SizePlacedObject(THQVbox& box, THQVparag& p, int32_t i, int32_t availableWidth);

// The bottom of the text: the last paragraph's bottom + 1 (0 without paragraphs).
int32_t TextBottom(const THQVbox& box);

// --- positions and hit testing ------------------------------------------------------------

// The line holding character j of the paragraph: the last line whose first
// character is not above j (the last line when j is past every line).
int32_t LineOf(const THQVparag& p, int32_t j);

// The text position of character j (clamped to 0..length) of paragraph k, with
// its line, x, y (the top of the line in box pixels) and height. An index out of
// range gives a position with height -1.
TextPosition PositionOf(const THQVbox& box, int32_t k, int32_t j);

// The character index reached on line `line` of the paragraph when moving from
// the line's start to x: characters are passed while the running x is below x
// (the caret position for a click or a vertical move at that x).
int32_t CharAtX(const THQVparag& p, int32_t line, int32_t x);

// Box coordinates to a text position: the paragraph under y (the first above or
// the last below when y is outside the text), the line under y in it, and the
// character at x on that line. A box without paragraphs gives height -1.
TextPosition PositionAtPoint(const THQVbox& box, int32_t x, int32_t y);

// The index of the paragraph whose rows top..bottom hold y (the nearest one
// when none does), or -1 without paragraphs. Binary search: tops are ascending.
int32_t ParagraphAtY(const THQVbox& box, int32_t y);

}  // namespace ovik
