// Undo and redo: index lists that name controls by stable integers, the
// history of a hypertext (THQVundoList) and its entries (THQVbackup and the
// kinds below), the box recorder that editing commands call, and the state of
// the drop-down list that undoes several entries at once.
//
// An entry never keeps a reference to its target: it keeps a target path of
// indexes (box index, page index, view index) that is resolved through the
// history's list of views when the entry is restored, so pages and views may be
// rebuilt in between as long as they hand out the same indexes again.
//
// Redo: undoing an entry first records, on the redo side, an entry that
// restores what the undo is about to replace; redoing does the same the other
// way round. Every new entry empties the redo side.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "text/hqv_box.h"

namespace ovik {

class THQVset;
class THQVoggetto;
class THQVundoList;

// Something an index list can hold: an editing view (its list holds pages), a
// page (its list holds boxes and placed-object controls) or a box.
class UndoNode {
public:
    virtual ~UndoNode() = default;
    // The node's own index list (views and pages), or null.
    virtual class THQVundoIndiciList* Indexes() { return nullptr; }
    // The box the node stands for, or null.
    virtual THQVbox* Box() { return nullptr; }
};

// A list of controls whose positions are their indexes; indexes are never
// reused during the list's life.
class THQVundoIndiciList {
public:
    // Appends the control and returns its index.
    int32_t Add(UndoNode* node);
    // Empties the slot (the index is not handed out again).
    void Release(int32_t index);
    // Puts a control back at `index`, extending the list with empty slots.
    void PutAt(int32_t index, UndoNode* node);
    // The control at `index`, or null outside the list or for an empty slot.
    UndoNode* At(int32_t index) const;
    int32_t LastIndex() const { return lastIndex_; }

private:
    std::vector<UndoNode*> nodes_;
    int32_t lastIndex_ = -1;
};

// A box as an index-list entry.
class BoxNode : public UndoNode {
public:
    explicit BoxNode(THQVbox& box) : box_(box) {}
    THQVbox* Box() override { return &box_; }

private:
    THQVbox& box_;
};

// A view or a page as an index-list entry: it only owns its list.
class ListNode : public UndoNode {
public:
    THQVundoIndiciList* Indexes() override { return &list; }
    THQVundoIndiciList list;
};

// Base of the entries.
class THQVbackup {
public:
    virtual ~THQVbackup() = default;

    std::vector<int32_t> targetPath;
    std::string description;
    uint8_t side = 0;                // 0 = undo side, 1 = redo side
    THQVbox* restoredBox = nullptr;  // the box found by the last restore

    // Restores the saved state; returns the box that should take the focus, or
    // null. `history` resolves the target path and reports broken chains.
    virtual THQVbox* Restore(THQVundoList& history) = 0;
    // An entry that would bring back the current state of the target (the
    // state Restore is about to replace), or null when the kind has none.
    virtual std::unique_ptr<THQVbackup> Inverse(THQVundoList& history) = 0;
    // Bytes of saved data the entry holds (for the history's memory figure).
    virtual size_t SavedBytes() const { return description.size(); }
};

// A placed object or a page-local link named by an entry: by the tag value
// its markup held when the entry was made (kind 0xFF and a control index, or
// kind 0x6F and an index in the page-local link list), and by what survives
// the page being built anew (a save or showing the page again hands out other
// indexes): its identifier in the working copy (-1 for an object made since
// the page was shown), the showing of the page it was named in, and its
// object stream, from which it can be made again when the page no longer
// holds it.
struct ObjectName {
    int32_t tag = -1;
    int32_t id = -1;
    uint64_t showing = 0;
    int32_t kind = -1;
    Bytes stream;
};

// Box entry: paragraphs saved in flat markup, the range they came from, and
// the current range: the paragraphs the change occupies now.
class TboBackup : public THQVbackup {
public:
    // Saves paragraphs first..last of `box`; the current range starts equal.
    TboBackup(THQVbox& box, std::vector<int32_t> path, std::string text, int32_t first,
              int32_t last);
    void SetCurrentRange(int32_t first, int32_t last) {
        currentFirst = first;
        currentLast = last;
    }
    THQVbox* Restore(THQVundoList& history) override;
    std::unique_ptr<THQVbackup> Inverse(THQVundoList& history) override;

    size_t SavedBytes() const override {
        size_t n = description.size() + saved.capacity();
        for (const ObjectName& o : names) n += sizeof o + o.stream.capacity();
        return n;
    }
    // Names the placed objects whose tags the saved markup holds (through the
    // history's nameObject; nothing without it).
    void NameObjects(THQVundoList& history, THQVbox& box);

    Bytes saved;  // flat markup, ended by a zero byte
    std::vector<ObjectName> names;
    int32_t savedFirst = 0, savedCount = 0;
    int32_t currentFirst = 0, currentLast = 0;
    // Caret and selection when the entry was made (by paragraph and character).
    int32_t caretParagraph = 0, caretChar = 0;
    int32_t selAnchorParagraph = -1, selAnchorChar = 0, selEndParagraph = -1, selEndChar = 0;

protected:
    TboBackup() = default;
    void SaveSelection(const THQVbox& box);
    // Replaces the current range of `box` by the saved paragraphs; placed
    // objects of the replaced paragraphs that the saved ones do not hold (those
    // the change added) go to the history's detachControl.
    void Replace(THQVundoList& history, THQVbox& box, ReadKind kind);
    // The saved markup with every named object's tag rewritten to the control
    // the object has now: found by its name, or made again from its stream.
    // An object neither found nor made again leaves its place empty rather
    // than name another control.
    Bytes Renamed(THQVundoList& history, THQVbox& box) const;
};

// Deletion entry: the selection range, the placed objects inside it (named as
// for a box entry, with their object streams) and the paragraphs it touched,
// the first and last in range mode and those between in whole mode.
class TcancelBackup : public TboBackup {
public:
    TcancelBackup(THQVbox& box, std::vector<int32_t> path, std::string text,
                  const TextPosition& start, const TextPosition& end);
    THQVbox* Restore(THQVundoList& history) override;
    std::unique_ptr<THQVbackup> Inverse(THQVundoList& history) override;

    int32_t startParagraph = 0, startChar = 0, endParagraph = 0, endChar = 0;
};

// Object entry: a copy of a registered object of the set (a picture or a
// paragraph style) through its object stream. No target path.
class TogBackup : public THQVbackup {
public:
    TogBackup(THQVset& set, const THQVoggetto& object, std::string text);
    THQVbox* Restore(THQVundoList& history) override;
    std::unique_ptr<THQVbackup> Inverse(THQVundoList& history) override;

    THQVset& set;
    int32_t kind = 0;
    int32_t number = -1;  // -1 = the object was not registered: nothing to restore
    Bytes stream;
};

// The data of a placed object that TimBackup keeps and gives back; the
// placed-object controls implement it.
class PlacedObjectState {
public:
    virtual ~PlacedObjectState() = default;
    // The object's 668-byte record, kind, selected zone, content and wrapper.
    struct Data {
        Bytes record;
        int32_t kind = 0;
        int32_t zone = -1;
        Bytes content, wrapper;
    };
    virtual Data Save() const = 0;
    // Copies the data back and reloads the control from its object.
    virtual void Load(const Data& d) = 0;
};

class TableUndoTarget;

class PlacedObjectNode : public UndoNode {
public:
    virtual PlacedObjectState* State() = 0;
    // A table control's rows and columns (TtaBackup), or null.
    virtual TableUndoTarget* Table() { return nullptr; }
};

// Placed-object entry.
class TimBackup : public THQVbackup {
public:
    TimBackup(PlacedObjectState& control, std::vector<int32_t> path, std::string text);
    THQVbox* Restore(THQVundoList& history) override;
    std::unique_ptr<THQVbackup> Inverse(THQVundoList& history) override;

    PlacedObjectState::Data data;
};

// The history of a hypertext.
class THQVundoList {
public:
    explicit THQVundoList(THQVset& set) : set_(set) {}

    THQVset& Set() const { return set_; }
    // The set's list of editing views, through which target paths resolve.
    THQVundoIndiciList views;

    // Adds an entry on side 0 (the undo side): empties the redo side; when the
    // undo side holds more entries than the depth (a depth of 0 means no
    // limit), the oldest is freed; then appends.
    void Add(std::unique_ptr<THQVbackup> entry);
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // Undoes the newest entry; returns the box to focus (or null).
    THQVbox* UndoOne();
    // Redoes the newest entry of the redo side.
    THQVbox* RedoOne();
    // Undoes the k newest entries, newest first; after each but the last whose
    // target is a box, that box's selection is ended.
    THQVbox* UndoMany(int32_t k);
    // Values below 2 are ignored; otherwise the depth becomes n and the oldest
    // entries of both sides are freed down to n.
    void SetDepth(int32_t n);
    int32_t Depth() const { return depth_; }
    void Clear();
    bool busy = false;

    // Descriptions, newest first.
    std::vector<std::string> UndoDescriptions() const;
    std::vector<std::string> RedoDescriptions() const;
    size_t UndoCount() const { return undo_.size(); }
    // Bytes held by the entries of both sides.
    size_t SavedBytes() const;
    size_t RedoCount() const { return redo_.size(); }
    THQVbackup* NewestUndo() const { return undo_.empty() ? nullptr : undo_.back().get(); }

    // Resolves a target path; shows "Errore nella catena undo list!" when the
    // view is missing and "Error in undo list chain!" when the page (or the
    // control in it) is missing, and gives null then.
    UndoNode* ResolvePath(const std::vector<int32_t>& path, bool report = true);
    THQVbox* ResolveBox(const std::vector<int32_t>& path, bool report = true);
    // Repaints and re-measures every editing view (after a style or picture
    // comes back).
    std::function<void()> refreshViews;

    // Placed objects and page-local links across rebuilds of a page (the page
    // model supplies them; without them entries keep the indexes they were
    // made with).
    // nameObject: the name of what a tag value (kind 0xFF or 0x6F) of the
    // box's page names; false when it names nothing.
    std::function<bool(THQVbox&, int32_t, ObjectName&)> nameObject;
    // findControl: the tag value that names the object now, -1 when the page
    // holds no such object (-1 is no real tag: kind 0xFF, index 0xFFFFFF).
    std::function<int32_t(THQVbox&, const ObjectName&)> findControl;
    // recreateControl: makes the named object again from its stream (a
    // control, or a page-local link), as an undone deletion needs an object
    // the page no longer holds; its tag value, or -1.
    std::function<int32_t(THQVbox&, const ObjectName&)> recreateControl;
    // A placed object that an undone change had added left the text. The host
    // hides its control but keeps it at its index, so that a redo, which reads
    // the text back with tags naming that index, finds it again.
    std::function<void(THQVbox&, PlacedObject*)> detachControl;

private:
    void Trim(std::vector<std::unique_ptr<THQVbackup>>& side, size_t keep);
    THQVbox* Step(std::vector<std::unique_ptr<THQVbackup>>& from,
                  std::vector<std::unique_ptr<THQVbackup>>& to, uint8_t toSide);

    THQVset& set_;
    std::vector<std::unique_ptr<THQVbackup>> undo_;  // oldest first
    std::vector<std::unique_ptr<THQVbackup>> redo_;  // oldest first
    int32_t depth_ = 10;
};

// The recorder a box's editing commands call: it builds entries whose path is
// (box index, page index, view index) and adds them to the history.
class HistoryRecorder : public BoxUndoRecorder {
public:
    HistoryRecorder(THQVundoList& history, int32_t pageIndex, int32_t viewIndex)
        : history_(history), page_(pageIndex), view_(viewIndex) {}

    void RecordBoxEntry(THQVbox& box, const std::string& text, int32_t first,
                        int32_t last) override;
    void RecordDeletionEntry(THQVbox& box, const std::string& text, const TextPosition& start,
                             const TextPosition& end) override;
    void SetCurrentRange(THQVbox& box, int32_t first, int32_t last) override;

    std::vector<int32_t> PathOf(const THQVbox& box) const {
        return {box.controlIndex, page_, view_};
    }

private:
    THQVundoList& history_;
    int32_t page_, view_;
};

// The state of the drop-down list that undoes several entries: the selection
// is always a run from the first item (the newest entry).
class TUndoBox {
public:
    explicit TUndoBox(std::vector<std::string> items) : items_(std::move(items)) {}

    static constexpr int32_t kWidth = 200;
    static constexpr int32_t kMaxVisible = 10;

    const std::vector<std::string>& Items() const { return items_; }
    // Length of the selected run (1 when shown, 0 when there are no items).
    int32_t Selected() const { return items_.empty() ? 0 : selected_; }
    void Down() { selected_ = std::min<int32_t>(selected_ + 1, int32_t(items_.size())); }
    void Right() { Down(); }
    void Up() { selected_ = std::max<int32_t>(selected_ - 1, 1); }
    void Left() { Up(); }
    // The mouse is over item i with the button down.
    void MouseOver(int32_t i) {
        if (!items_.empty()) selected_ = std::clamp<int32_t>(i + 1, 1, int32_t(items_.size()));
    }
    // The number to undo when confirmed (Enter or double click); 0 when cancelled.
    int32_t Confirm() const { return Selected(); }
    int32_t Height(int32_t itemHeight) const {
        return std::min<int32_t>(int32_t(items_.size()), kMaxVisible) * itemHeight + 2;
    }
    // Where the list goes for a control at (x, y, w, h) on a screen of the
    // given size: below its bottom left corner, moved left to end at the
    // control's right edge when it would leave the screen on the right, and
    // above the control when it would leave it at the bottom.
    void Place(int32_t x, int32_t y, int32_t w, int32_t h, int32_t itemHeight, int32_t screenW,
               int32_t screenH, int32_t& outX, int32_t& outY) const;

private:
    std::vector<std::string> items_;
    int32_t selected_ = 1;
};

}  // namespace ovik
