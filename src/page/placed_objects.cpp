#include "page/placed_objects.h"

#include <algorithm>
#include <cstring>

#include "document/hqv_set.h"

namespace ovik {

int32_t PagePlacedObject::AnchorNumber() {
    THQVoggetto* o = Object();
    if (!o || o->Kind() != shortObj || o->State() != 14) return -1;
    return o->I32(5);
}

bool PagePlacedObject::IsLauncher() {
    THQVoggetto* o = Object();
    return o && o->Kind() == shortObj && o->State() == 13;
}

ObjectSize StoredSize(const THQVoggetto& o) {
    auto positive = [](int32_t v, int32_t fallback) { return v > 0 && v < 32768 ? v : fallback; };
    switch (o.Kind()) {
        case immagineNew: return {positive(o.I16(19), 32), positive(o.I16(21), 32)};
        case tabellaHtml:
            return {o.U8(55) == 0 ? positive(o.I16(56), 100) : 100, 20};
        case inputStat:
            // Floating frames keep their size; other elements are one line high.
            if (o.State() == 18) return {positive(o.I16(182), 100), positive(o.I16(180), 100)};
            return {100, 20};
        case multiMedia: return {positive(o.I16(33), 32), positive(o.I16(35), 32)};
        case shortObj: return {16, 16};
        default: return {100, 20};
    }
}

PlaceholderObject::PlaceholderObject(WorkingObject w, THQVset& set,
                                     platform::TextMeasurer& measurer, PlacedObjectIndex* controls)
    : working_(std::move(w)), set_(&set), measurer_(&measurer), controls_(controls) {
    if (working_.object) size_ = StoredSize(*working_.object);
}

PlaceholderObject::~PlaceholderObject() = default;

bool PlaceholderObject::IsTable() const {
    return working_.object && working_.object->Kind() == tabellaHtml;
}

int32_t PlaceholderObject::CellsExpected() const {
    if (!IsTable()) return 0;
    return int32_t(working_.object->U8(93)) * int32_t(working_.object->U8(94));
}

void PlaceholderObject::ReadCells(BoxStream& s, const Renumbering* renumber) {
    // Reading again (the box read its text again) starts from fresh cells.
    cells_.clear();
    const size_t start = s.Position();
    const int32_t n = CellsExpected();
    cellsComplete_ = true;
    for (int32_t i = 0; i < n; ++i) {
        if (s.AtEnd()) {
            cellsComplete_ = false;
            break;
        }
        auto cell = std::make_unique<THQVbox>(*set_, *measurer_);
        cell->cellOwner = working_.object.get();
        cell->controls = controls_;
        cell->ReadParagraphs(s, 0, renumber, ReadKind::Full);
        const size_t at = s.Position();
        if (at < start + 3 || std::memcmp(s.Data() + at - 3, "<T>", 3) != 0) cellsComplete_ = false;
        cells_.push_back(std::move(cell));
    }
    const size_t end = std::max(start, s.Position());
    cellMarkup_.assign(s.Data() + start, s.Data() + end);
    // Cells read with new numbers (pasted) are written from their boxes: the
    // markup as read still holds the old ones.
    cellsRead_ = !renumber || (renumber->stylesAndLinks.empty() && renumber->objects.empty());
}

void PlaceholderObject::WriteCells(Bytes& out) const {
    if (cellsRead_ && cellsComplete_) {
        out.insert(out.end(), cellMarkup_.begin(), cellMarkup_.end());
        return;
    }
    // Cells cut short by damaged text would take in what follows them: each
    // cell is written from its box and ended, missing cells are empty ones.
    for (int32_t i = 0; i < CellsExpected(); ++i) {
        if (size_t(i) < cells_.size())
            cells_[size_t(i)]->WriteParagraphs(out, 0, cells_[size_t(i)]->ParagraphCount() - 1,
                                                WriteMode::Whole);
        else
            AppendString(out, "<Z S1 >");
        AppendString(out, "<T>");
    }
}

THQVbox* PlaceholderObject::Cell(int32_t i) const {
    return i >= 0 && size_t(i) < cells_.size() ? cells_[size_t(i)].get() : nullptr;
}

}  // namespace ovik
