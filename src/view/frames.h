// Frame layouts: a page can host a tree of frames, each showing a page of its
// own. A layout is stored as fixed-size frame records in pre-order (a frame,
// then each of its children with their subtrees), in the content of a frame
// layout object, or in a ".frm" file behind a two-number header.
//
//   FrameTree tree;
//   std::string why;
//   if (tree.ReadRecords(layout->Content(), 58, &why)) tree.Size(600, 400, false);
//   for (const THQVFrame* f : tree.PreOrder()) ... f->x, f->width ...
//
// Reading never trusts the stream: a parent that names no earlier frame, a
// record length out of range or a stream that does not hold whole records
// refuse the layout (the page is then shown alone, "Map problem.").
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/bytes.h"

namespace ovik {

class THQVset;

inline constexpr int32_t kFrameRecordSize = 58;
inline constexpr int32_t kFrameFileMagic = 4660;  // 0x1234, first number of a ".frm" file
inline constexpr int32_t kMinFrameRecord = 29, kMaxFrameRecord = 4096;
inline constexpr const char* kMapProblem = "Map problem.";
inline constexpr const char* kWrongFormat = "Formato file errato!";
inline constexpr const char* kSaveFramesError = "Errore in salvataggio frames.";

// One frame record, field by field.
struct FrameRecord {
    int32_t id = 0;
    int32_t parentId = -1;
    std::string title;         // at most 19 characters
    uint8_t arrangement = 0;   // where it stands in its parent (0/2 top, 1/4 left, 3/5 the rest)
    uint8_t oldFlag1 = 0, oldFlag2 = 0;
    uint8_t scrolling = 1;
    uint8_t hasChildren = 0;
    uint8_t resizable = 0;
    int32_t page = -1;
    int32_t percentage = 100;
    uint8_t reserved42[4] = {0, 0, 0, 0};
    int32_t barColour = int32_t(0x8000000F);
    uint8_t reserved50 = 0;
    uint8_t border = 1;
    int32_t pixels = 20;
    uint8_t spacing = 3;
    uint8_t sizeMode = 0;  // 0 percentage, 1 fixed, 2 free

    // Reads a record of `length` bytes (at least kMinFrameRecord); the fields a
    // shorter, older record lacks get their defaults, and without either old
    // flag the frame has no spacing and no border.
    static FrameRecord Read(const uint8_t* p, int32_t length);
    void Write(Bytes& out) const;
};

class THQVFrame {
public:
    FrameRecord rec;
    THQVFrame* parent = nullptr;
    std::vector<std::unique_ptr<THQVFrame>> children;
    // Where the frame stands after sizing, relative to the root's top left.
    int32_t x = 0, y = 0, width = 0, height = 0;

    bool IsLeaf() const { return children.empty(); }
    // Children stacked top to bottom (true) or side by side, as the place of
    // the first child says.
    bool Stacked() const;
};

class FrameTree {
public:
    // Reads layout records (no header). False, with `why` set, when the stream
    // is damaged; the tree is then empty.
    bool ReadRecords(const Bytes& records, int32_t recordLength, std::string* why = nullptr);
    // Reads a ".frm" file's bytes: kFrameFileMagic, the record length, the
    // records. An empty stream does nothing (true, empty tree).
    bool ReadFile(const Bytes& file, std::string* why = nullptr);
    // The records in pre-order, each with its parent id and has-children flag.
    Bytes WriteRecords() const;
    Bytes WriteFile() const;

    // A single root frame "Pag" + page showing `page`: a page shown alone.
    void MakeSingle(int32_t page);

    // Sizes every frame for a view of width x height pixels. In an editable
    // view the bars between children are at least 3 pixels.
    void Size(int32_t width, int32_t height, bool editable);

    THQVFrame* Root() const { return root_.get(); }
    bool Empty() const { return !root_; }
    std::vector<const THQVFrame*> PreOrder() const;
    std::vector<THQVFrame*> PreOrder();

private:
    std::unique_ptr<THQVFrame> root_;
};

// The HTML frame set of a layout: FRAMESET elements for the containers
// (ROWS for stacked children, COLS for children side by side; each child's
// size as a percentage, in pixels, or "*" for the free one) and a FRAME for
// each leaf, whose SRC is `source`(page). Titles are written as attribute text.
std::string FramesetHtml(const FrameTree& tree, const std::function<std::string(int32_t page)>& source);

// The bar width between the children of `frame`.
int32_t BarWidth(const THQVFrame& frame, bool editable);

// The frame layout a page hosts, read from its layout object; false (and an
// empty tree) when the page hosts none, or `why` = kMapProblem when the
// layout is damaged or missing.
bool ReadPageLayout(THQVset& set, int32_t page, FrameTree& tree, std::string* why = nullptr);
// Gives page `page` the layout of `tree`: the page's layout object is
// replaced under its number, or a new one is registered and named in the
// page's frame-layout field. The page's revision is raised.
bool SetPageLayout(THQVset& set, int32_t page, const FrameTree& tree);

// "C&arica disposizione cornici...": gives page `page` the layout of a ".frm"
// file's bytes, sized as a frames-only view of 400 x 400 pixels sizes it.
// False with the message in `why` ("Formato file errato!", ...) when the file
// is no layout; nothing is changed then.
bool LoadPageLayoutFile(THQVset& set, int32_t page, const Bytes& file, std::string& why);

}  // namespace ovik
