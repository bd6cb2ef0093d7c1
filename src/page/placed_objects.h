// Placed objects of a page while it is open: the working copy of each object
// with the number it had in the set, the interface the page model asks of a
// placed-object control, and the placeholder control that keeps any kind of
// object (picture, table, form element, multimedia, marker) as it was stored.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/bytes.h"
#include "document/hqv_object.h"
#include "text/hqv_box.h"

namespace ovik {

// A working copy of an object of the set. `storedNumber` is the number of the
// object it was copied from (-1 for an object made while editing).
struct WorkingObject {
    std::unique_ptr<THQVoggetto> object;
    int32_t storedNumber = -1;
    // Objects of the header and footer are shown but cannot be edited.
    bool inactive = false;
};

// A placed-object control as the page model sees it.
class PagePlacedObject : public PlacedObject {
public:
    virtual WorkingObject& Working() = 0;
    THQVoggetto* Object() const override { return const_cast<PagePlacedObject*>(this)->Working().object.get(); }
    bool Inactive() { return Working().inactive; }
    virtual void SetControlIndex(int32_t i) = 0;
    // Writes position, size and state (a table: its cells and sizes) back into
    // the working copy before the page is stored.
    virtual void UpdateObject() {}
    // Anchor markers (marker subtype 14): their anchor number; -1 for others.
    int32_t AnchorNumber();
    // A link launcher: a marker that starts its link when a reader sees the page.
    bool IsLauncher();
};

// The size an object's record gives for its control (pixels).
struct ObjectSize {
    int32_t width = 0;
    int32_t height = 0;
};
ObjectSize StoredSize(const THQVoggetto& o);

// Keeps an object of any kind exactly as stored until its own model exists: it
// has the stored size, its tag is written back with its control index, and a
// table keeps the markup of its cells byte for byte (the cells are also read
// into cell boxes, so that find and spell checking see their text). Only cells
// cut short by damaged text, and cells pasted with new numbers, are written
// again from their boxes.
class PlaceholderObject : public PagePlacedObject {
public:
    PlaceholderObject(WorkingObject w, THQVset& set, platform::TextMeasurer& measurer,
                      PlacedObjectIndex* controls);
    ~PlaceholderObject() override;

    WorkingObject& Working() override { return working_; }
    int32_t ControlIndex() const override { return index_; }
    void SetControlIndex(int32_t i) override { index_ = i; }
    int32_t Width() const override { return size_.width; }
    int32_t Height() const override { return size_.height; }

    bool IsTable() const override;
    void ReadCells(BoxStream& s, const Renumbering* renumber) override;
    void WriteCells(Bytes& out) const override;
    int32_t CellCount() const override { return int32_t(cells_.size()); }
    THQVbox* Cell(int32_t i) const override;
    // The cells' markup as read, and whether every cell ended with "<T>".
    const Bytes& CellMarkup() const { return cellMarkup_; }
    bool CellsComplete() const { return cellsComplete_; }

    // The control was made invisible; the box shows it where its tag lands.
    bool visible = false;

private:
    int32_t CellsExpected() const;

    WorkingObject working_;
    THQVset* set_;
    platform::TextMeasurer* measurer_;
    PlacedObjectIndex* controls_;
    int32_t index_ = -1;
    ObjectSize size_;
    std::vector<std::unique_ptr<THQVbox>> cells_;
    Bytes cellMarkup_;
    bool cellsRead_ = false;
    bool cellsComplete_ = false;
};

}  // namespace ovik
