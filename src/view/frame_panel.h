// The frame tree of the editing view: a page that hosts a frame layout is
// shown as a tree of frames (FrameTree), each leaf frame holding a nested
// page view of its own (a TInsiemeCornici that shows one page alone). The
// panel sizes the frames, lists the bars a user may drag, splits and deletes
// frames, and shows pages (or a placeholder for another object) in them.
//
//   THQVFramePanel panel(set, [&] { return MakeNestedView(); });
//   panel.SetTree(std::move(tree));
//   panel.Size(600, 400);
//   panel.ShowPages();                       // pages made first, then shown
//   THQVFrame* top = panel.Split(*panel.Tree().Root(), 0, 100);
//   if (THQVFrame* small = panel.MoveBar(panel.Splits()[0], -95)) panel.Delete(*small);
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "text/layout.h"
#include "view/frames.h"

namespace ovik {

class THQVoggetto;
class TInsiemeCornici;
namespace platform {
class Messages;
}

inline constexpr const char* kDeleteChildrenFirst = "E' necessario cancellare prima le cornici figlie!";
inline constexpr const char* kCannotDeleteFrame =
    "Impossibile cancellare, modificare prima le altre cornici sulla pagina.";
inline constexpr const char* kKeepDeletedFrame =
    "Salvo in lista pagine la cornice cancellata?\nSe salvo, la pagina non andrà persa ma potrà essere "
    "riutilizzata in un'altra cornice, dentro qualsiasi insieme di cornici, oppure come pagina singola.";
inline constexpr const char* kNoPageToSplit = "Errore in creazione cornice, non c'è HQVpage.";
inline constexpr const char* kObjectPlaceholder = "QUI APPARE UN OGGETTO. PER VEDERLO CLICCA SOTTO.";

// The bar between two sibling frames: children[index] and children[index + 1]
// of `parent`, where it stands (relative to the root's top left) and whether
// the user may drag it.
struct THQVSplit {
    THQVFrame* parent = nullptr;
    size_t index = 0;
    bool Sizeable = true;
    bool vertical = false;  // a bar between frames side by side
    int32_t x = 0, y = 0, width = 0, height = 0;
};

// The top or left edge bar of a frame: dragging it by some pixels makes a new
// frame of that size on that side (direction 0 top, 1 left).
struct THQVEdgeBar {
    THQVFrame* frame = nullptr;
    int direction = 0;
    int32_t x = 0, y = 0, width = 0, height = 0;
};

class THQVFramePanel {
public:
    using ViewFactory = std::function<std::unique_ptr<TInsiemeCornici>()>;
    THQVFramePanel(THQVset& set, ViewFactory makeView);
    ~THQVFramePanel();
    THQVFramePanel(const THQVFramePanel&) = delete;
    THQVFramePanel& operator=(const THQVFramePanel&) = delete;

    // An editable view: bars between frames are at least 3 pixels and every
    // bar may be dragged (a read-only one: only those of resizable frames).
    bool editable = true;
    // Frames show their titles instead of pages.
    bool framesOnly = false;
    // Width of the edge bars; a frame dragged smaller than it is deleted.
    int32_t barWidth = 10;

    FrameTree& Tree() { return tree_; }
    const FrameTree& Tree() const { return tree_; }
    // Takes a new tree (the pages of the old one are dropped unstored).
    void SetTree(FrameTree tree);
    // Sizes every frame for the panel's size.
    void Size(int32_t width, int32_t height);
    void Resize() { Size(width_, height_); }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }

    // Shows every leaf's page in two passes: first each leaf without a page
    // gets a new one (editable views only), then the pages are shown.
    void ShowPages();
    // Shows page `page` in leaf `f` (nothing when it shows it already).
    void ShowPageIn(THQVFrame& f, int32_t page);
    // Shows an unregistered page in `f` saying that another object appears
    // here, with a link to `object` under it.
    void ShowPlaceholderIn(THQVFrame& f, THQVoggetto& object);
    // Removes the children (and their pages) of `f`, which becomes a leaf
    // showing nothing.
    void ClearChildren(THQVFrame& f);
    // Replaces the children of `f` by those of `tree`'s root (leaf: `f`
    // shows the root's page), resized; the new leaves show their pages.
    void Graft(THQVFrame& f, FrameTree tree);

    TInsiemeCornici* ViewOf(const THQVFrame* f) const;
    THQVFrame* FrameOf(const TInsiemeCornici* view) const;
    // The frame whose title is `name` (case-insensitive), or null.
    THQVFrame* FindByTitle(std::string_view name) const;
    // The nested views in pre-order of their frames.
    std::vector<TInsiemeCornici*> Views() const;
    bool Contains(const THQVFrame* f) const;

    std::vector<THQVSplit> Splits() const;
    std::vector<THQVEdgeBar> EdgeBars() const;

    // Where the page of leaf `f` stands, relative to the root's top left: the
    // frame less the edge bars shown along its top and left.
    PixelRect PageRect(const THQVFrame& f) const;
    // The leaf frame under (x, y), or null (outside, or on a bar between frames).
    THQVFrame* LeafAt(int32_t x, int32_t y) const;
    // What a press at (x, y) takes: a bar between frames the user may drag
    // (one pixel of slack either side), else an edge bar, else nothing.
    struct BarHit {
        enum Kind { None, Split, Edge } kind = None;
        THQVSplit split;
        THQVEdgeBar edge;
    };
    BarHit BarAt(int32_t x, int32_t y) const;
    // Gives the nested view of leaf `f` the frame's scroll mode (3 when the
    // frame lets its page scroll, else 0) and border.
    void ApplyFields(const THQVFrame& f);

    // Splits `f`: a leaf gets two children, a new frame of `size` pixels on
    // top (direction 0) or at the left (1) with a new page, and a frame that
    // fills the rest and takes over the old page; a container whose children
    // stand that way gets a new first child. Null, with `why`, when it cannot.
    THQVFrame* Split(THQVFrame& f, int direction, int32_t size, std::string* why = nullptr);

    enum class Deleted { Yes, HasChildren, SiblingHasChildren, Root, RootLeft };
    // Deletes `f` as a drag that made it too small asks: refused (with the
    // message, the frame given 60 x 60 again) for a frame with children and
    // for the only sibling of a frame with children; a modified page asks
    // whether to keep it. RootLeft: the root is a leaf again (the owner shows
    // the main page alone).
    Deleted Delete(THQVFrame& f, platform::Messages& messages);

    // Moves a bar by `delta` pixels (the frame before it grows). Returns a
    // frame the move made smaller than the bar width (to be deleted after the
    // event), else null; percentages are recomputed.
    THQVFrame* MoveBar(const THQVSplit& bar, int32_t delta);
    // Percentage and pixels of `f` from its size in its parent.
    void RecomputePercentage(THQVFrame& f) const;

    // Writes the page each leaf shows into its record (-1: none, or in
    // `fileMode` a new page never stored). Frames-only panels keep the fields.
    void TakePageNumbers(bool fileMode);

    // A page of a frame changed, or the tree did.
    bool Modified() const;
    bool treeModified = false;
    // Stores every page that changed.
    void StorePages();

private:
    void DropView(THQVFrame* f);
    void DropSubtree(THQVFrame& f);
    void GiveSize(THQVFrame& f, int32_t size);
    int32_t LengthOf(const THQVFrame& f) const;
    int32_t FreeLength(const THQVFrame& parent) const;
    std::string NewTitle() const;

    THQVset& set_;
    ViewFactory makeView_;
    FrameTree tree_;
    int32_t width_ = 0, height_ = 0;
    std::map<const THQVFrame*, std::unique_ptr<TInsiemeCornici>> views_;
    // Placeholder pages shown in frames (never registered).
    std::map<const THQVFrame*, std::unique_ptr<THQVoggetto>> placeholders_;
    // Pages made for frames that had none.
    std::set<int32_t> newPages_;
};

}  // namespace ovik
