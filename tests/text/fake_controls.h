// Placed-object controls for text tests and the markup fuzzer: a table with
// cell boxes, a picture-sized object and an index list over them.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "document/hqv_object.h"
#include "text/hqv_box.h"

namespace ovik::testing {

// A table control with its cell boxes, standing at control index `index`.
class FakeTable : public PlacedObject {
public:
    FakeTable(THQVset& set, int32_t index, int rows, int cols)
        : index_(index), rows_(rows), cols_(cols), object_(&set, tabellaHtml) {
        object_.SetU8(kTableRowsOffset, uint8_t(rows));
        object_.SetU8(kTableColumnsOffset, uint8_t(cols));
        for (int i = 0; i < rows * cols; ++i) {
            cells_.push_back(std::make_unique<THQVbox>(set));
            cells_.back()->cellOwner = &object_;
            BoxStream s(std::string_view("<Z S1 >"));
            cells_.back()->ReadParagraphs(s, 0);
        }
    }
    THQVoggetto* Object() const override { return const_cast<THQVoggetto*>(&object_); }
    int32_t ControlIndex() const override { return index_; }
    int32_t Width() const override { return 100; }
    int32_t Height() const override { return 40; }
    bool IsTable() const override { return true; }
    void ReadCells(BoxStream& s, const Renumbering* r) override {
        for (auto& c : cells_) {
            c->ClearParagraphs();
            c->ReadParagraphs(s, 0, r);
        }
    }
    void WriteCells(Bytes& out) const override {
        for (auto& c : cells_) {
            c->WriteParagraphs(out, 0, c->ParagraphCount() - 1, WriteMode::Whole);
            AppendString(out, "<T>");
        }
    }
    THQVbox& Cell(int i) { return *cells_[size_t(i)]; }

private:
    int32_t index_;
    int rows_, cols_;
    THQVoggetto object_;
    std::vector<std::unique_ptr<THQVbox>> cells_;
};

// A picture-like control of the given size.
class FakeObject : public PlacedObject {
public:
    FakeObject(THQVset& set, int32_t index) : index_(index), object_(&set, immagineNew) {}
    THQVoggetto* Object() const override { return const_cast<THQVoggetto*>(&object_); }
    int32_t ControlIndex() const override { return index_; }
    int32_t Width() const override { return 32; }
    int32_t Height() const override { return 24; }

private:
    int32_t index_;
    THQVoggetto object_;
};

class FakeIndex : public PlacedObjectIndex {
public:
    PlacedObject* ControlAt(int32_t n) override {
        for (auto* c : controls)
            if (c->ControlIndex() == n) return c;
        return nullptr;
    }
    std::vector<PlacedObject*> controls;
};

}  // namespace ovik::testing
