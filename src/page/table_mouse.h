// One mouse gesture over a selected table, headless: dragging the right edge
// of a column header section (the drag line follows the mouse, the release
// resizes the column), or one of the table's eight resize handles (a band
// follows the mouse, the release resizes the table). Coordinates are the
// table's: (0, 0) is its top left, the header lies in the 12 pixels above it.
//
//   TableMouse m(table);
//   if (m.Press(edgeX, -5)) {        // on the right edge of a section
//       m.Move(edgeX + 30, -5, 0);    // LineX() == edgeX + 30
//       m.Release(edgeX + 30, -5);    // "Dimensiona celle"
//   }
#pragma once

#include <cstdint>

#include "page/placed_table.h"

namespace ovik {

class TableMouse {
public:
    enum class Part : uint8_t { None, ColumnEdge, Handle };
    // How near (in pixels) the mouse must be to a section's right edge.
    static constexpr int32_t kEdgeSlack = 3;
    // The drag line's x while none is drawn.
    static constexpr int32_t kNoLine = -100;

    explicit TableMouse(TMyyTable& table) : table_(table) {}

    // The column whose header section's right edge is under (x, y), or -1;
    // only while the header is shown.
    static int32_t ColumnEdgeAt(const TMyyTable& table, int32_t x, int32_t y);
    // The resize handle under (x, y) of a selected table, or 0.
    static int HandleAt(const TMyyTable& table, int32_t x, int32_t y);
    // The right edge of header section `col` (the sum of the sections up to it).
    static int32_t SectionRight(const TMyyTable& table, int32_t col);

    // A left press: true when it starts a gesture of the table.
    bool Press(int32_t x, int32_t y);
    void Move(int32_t x, int32_t y, uint8_t modifiers);
    // Ends the gesture; true when the table changed (one undo entry).
    bool Release(int32_t x, int32_t y);

    Part Pressed() const { return part_; }
    int32_t Column() const { return column_; }
    int Handle() const { return handle_; }
    // The drag line of a column drag (kNoLine before the first move).
    int32_t LineX() const { return lineX_; }
    bool BandShown() const { return part_ == Part::Handle; }
    PixelRect Band() const { return band_; }

private:
    TMyyTable& table_;
    Part part_ = Part::None;
    int32_t column_ = -1;
    int handle_ = 0;
    int32_t pressX_ = 0, pressY_ = 0;
    int32_t lineX_ = kNoLine;
    PixelRect start_, band_;
};

}  // namespace ovik
