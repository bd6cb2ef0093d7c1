#include "page/placed_table.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "document/hqv_set.h"
#include "page/thqv_page.h"
#include "text/layout.h"

namespace ovik {

namespace {

constexpr std::string_view kEmptyCell = "<Z S1 ><T>";

size_t HashOf(const Bytes& b) {
    return std::hash<std::string_view>{}(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
}

void WriteBox(const THQVbox& box, Bytes& out) {
    if (box.ParagraphCount() > 0) box.WriteParagraphs(out, 0, box.ParagraphCount() - 1, WriteMode::Whole);
}

void ApplyCode(THQVbox& box, THQVset& set, int32_t code) {
    const CellBackground b = CellBackground::Decode(code);
    switch (b.kind) {
        case CellBackground::Kind::Colour:
            box.noBackground = false;
            box.SetBackgroundPicture(nullptr);
            box.SetBackgroundColour(b.value);
            break;
        case CellBackground::Kind::Picture:
            box.noBackground = false;
            box.SetBackgroundPicture(set.GetObject(immagine, b.value));
            break;
        default:
            box.SetBackgroundPicture(nullptr);
            box.noBackground = true;
            break;
    }
}

}  // namespace

const std::vector<std::string>& ApplyToNames() {
    static const std::vector<std::string> names = {
        "Non applicare",           "Casella", "Riga", "Colonna", "Riga a colonne alternate",
        "Colonna a righe alternate", "Riga a colonne alternate 1", "Colonna a righe alternate 1",
    };
    return names;
}

TMyyTable::TMyyTable(WorkingObject w, THQVpage* page, THQVset& set, platform::TextMeasurer& measurer,
                     PlacedObjectIndex* controls)
    : TMyyVisual(std::move(w), page), THQVbox(set, measurer), set_(&set), measurer_(&measurer),
      controls_(controls) {
    if (working_.object) {
        const ObjectSize s = StoredSize(*working_.object);
        SetSize(s.width, s.height);
    }
}

TMyyTable::~TMyyTable() {
    for (auto& row : rows_)
        for (auto& c : row) FreeCell(c);
}

// --- cells ------------------------------------------------------------------------------------

TMyyTable::TableCell TMyyTable::NewCell(int32_t index) {
    TableCell c;
    c.box = std::make_unique<THQVbox>(*set_, *measurer_);
    THQVbox& b = *c.box;
    b.cellOwner = working_.object.get();
    b.controls = controls_;
    b.geometry.readOnly = page_ && page_->ReadOnly();
    b.geometry.layoutWidth = 3000;
    b.geometry.cellInset = working_.object ? TableRecord(*working_.object).Padding() : 0;
    b.geometry.cellBorder = working_.object ? TableRecord(*working_.object).Border() : 0;
    InstallLayout(b);
    b.OnCellHeightChanged = [this](THQVbox& cell) { CellHeightChanged(cell); };
    b.OnChanged = [this](THQVbox&) {
        if (page_) page_->modified = true;
    };
    if (page_) page_->AddBox(b, index);
    return c;
}

void TMyyTable::FreeCell(TableCell& c) {
    if (!c.box) return;
    if (page_ && c.box->controlIndex >= 0) page_->ReleaseBox(c.box->controlIndex);
    if (currentCell == c.box.get()) currentCell = nullptr;
    if (focusCell == c.box.get()) focusCell = nullptr;
    c.box.reset();
}

void TMyyTable::ReadCell(TableCell& c, BoxStream& s, const Renumbering* renumber) {
    THQVbox& b = *c.box;
    b.ClearParagraphs();
    const size_t start = s.Position();
    b.ReadParagraphs(s, origin_, renumber, ReadKind::Full);
    if (b.ParagraphCount() == 0) b.AddParagraph(origin_);
    const size_t at = s.Position();
    const bool ended = at >= start + 3 && std::memcmp(s.Data() + at - 3, "<T>", 3) == 0;
    if (!ended) cellsComplete_ = false;
    const bool renumbered = renumber && !(renumber->stylesAndLinks.empty() && renumber->objects.empty());
    c.read.clear();
    if (ended && !renumbered) {
        // Kept as read while the box writes the same as now.
        c.read.assign(s.Data() + start, s.Data() + at);
        Bytes w;
        WriteBox(b, w);
        c.writtenSize = w.size();
        c.writtenHash = HashOf(w);
    }
}

void TMyyTable::ReadCellFrom(TableCell& c, const Bytes& markup) {
    BoxStream s(markup);
    const bool complete = cellsComplete_;
    ReadCell(c, s, nullptr);
    cellsComplete_ = complete;
}

void TMyyTable::WriteCell(const TableCell& c, Bytes& out) const {
    Bytes w;
    WriteBox(*c.box, w);
    if (!c.read.empty() && w.size() == c.writtenSize && HashOf(w) == c.writtenHash) {
        out.insert(out.end(), c.read.begin(), c.read.end());
        return;
    }
    out.insert(out.end(), w.begin(), w.end());
    AppendString(out, "<T>");
}

void TMyyTable::Build(int32_t rows, int32_t cols) {
    // Cells made again keep the indexes of those they replace, so undo
    // entries that name them still find them.
    std::vector<int32_t> old;
    for (auto& row : rows_)
        for (auto& c : row) {
            old.push_back(c.box ? c.box->controlIndex : -1);
            FreeCell(c);
        }
    rows_.clear();
    const bool sameShape = int32_t(old.size()) == rows * cols;
    rows_.resize(size_t(rows));
    for (int32_t r = 0; r < rows; ++r) {
        rows_[size_t(r)].reserve(size_t(cols));
        for (int32_t c = 0; c < cols; ++c)
            rows_[size_t(r)].push_back(NewCell(sameShape ? old[size_t(r * cols + c)] : -1));
    }
    for (auto& row : rows_)
        for (auto& c : row) c.place = {};
}

void TMyyTable::ReadCells(BoxStream& s, const Renumbering* renumber) {
    if (!working_.object) return;
    TableRecord rec(*working_.object);
    Build(rec.Rows(), rec.Columns());
    cellsComplete_ = true;
    const Bytes empty(kEmptyCell.begin(), kEmptyCell.end());
    for (auto& row : rows_)
        for (auto& c : row) {
            if (s.AtEnd()) {
                cellsComplete_ = false;
                ReadCellFrom(c, empty);
                c.read.clear();  // missing: written as an empty cell
                continue;
            }
            ReadCell(c, s, renumber);
        }
    ApplyBackgrounds();
    lastAvailable_ = -1;
}

void TMyyTable::InsertNew() {
    if (!working_.object) return;
    TableRecord rec(*working_.object);
    Build(rec.Rows(), rec.Columns());
    const Bytes empty(kEmptyCell.begin(), kEmptyCell.end());
    for (auto& row : rows_)
        for (auto& c : row) ReadCellFrom(c, empty);
    cellsComplete_ = true;
    ApplyBackgrounds();
    lastAvailable_ = -1;
}

void TMyyTable::WriteCells(Bytes& out) const {
    for (const auto& row : rows_)
        for (const auto& c : row) WriteCell(c, out);
}

THQVbox* TMyyTable::Cell(int32_t i) const {
    const int32_t cols = Columns();
    if (i < 0 || cols == 0 || i >= CellCount()) return nullptr;
    return rows_[size_t(i / cols)][size_t(i % cols)].box.get();
}

THQVbox* TMyyTable::CellAt(int32_t row, int32_t col) const {
    if (row < 0 || row >= Rows() || col < 0 || col >= Columns()) return nullptr;
    return rows_[size_t(row)][size_t(col)].box.get();
}

bool TMyyTable::CellPosition(const THQVbox* cell, int32_t& row, int32_t& col) const {
    for (size_t r = 0; r < rows_.size(); ++r)
        for (size_t c = 0; c < rows_[r].size(); ++c)
            if (rows_[r][c].box.get() == cell) {
                row = int32_t(r);
                col = int32_t(c);
                return true;
            }
    return false;
}

THQVbox* TMyyTable::NeighbourCell(int32_t row, int32_t col, CellDirection d) const {
    const int32_t R = Rows(), C = Columns();
    int32_t r = row, c = col;
    switch (d) {
        case CellDirection::Previous:
            if (c > 0) --c;
            else if (r > 0) --r, c = C - 1;
            break;
        case CellDirection::Next:
            if (c < C - 1) ++c;
            else if (r < R - 1) ++r, c = 0;
            break;
        case CellDirection::Up:
            if (r > 0) --r;
            break;
        case CellDirection::Down:
            if (r < R - 1) ++r;
            break;
        case CellDirection::Last: r = R - 1, c = C - 1; break;
        case CellDirection::First:
        case CellDirection::First8: r = 0, c = 0; break;
        case CellDirection::FirstOfLastRow: r = R - 1, c = 0; break;
    }
    return CellAt(r, c);
}

TMyyTable::CellPlace TMyyTable::PlaceOf(int32_t row, int32_t col) const {
    if (!CellAt(row, col)) return {};
    return rows_[size_t(row)][size_t(col)].place;
}

int32_t TMyyTable::CellBackgroundCode(int32_t row, int32_t col) const {
    return CellAt(row, col) ? rows_[size_t(row)][size_t(col)].background : -1;
}

void TMyyTable::SetCellBackground(int32_t row, int32_t col, int32_t code) {
    if (!CellAt(row, col)) return;
    TableCell& c = rows_[size_t(row)][size_t(col)];
    c.background = code;
    ApplyCode(*c.box, *set_, code);
}

// --- backgrounds ---------------------------------------------------------------------------------

void TMyyTable::ApplyBackgrounds() {
    if (!working_.object) return;
    TableRecord rec(*working_.object);
    const std::vector<int32_t> codes = rec.CellCodes();
    const int32_t C = Columns();
    for (int32_t r = 0; r < Rows(); ++r)
        for (int32_t c = 0; c < C; ++c) {
            TableCell& cell = rows_[size_t(r)][size_t(c)];
            const size_t i = size_t(r * C + c);
            cell.background = i < codes.size() ? codes[i] : -1;
            ApplyCode(*cell.box, *set_, cell.background);
            cell.box->geometry.cellInset = rec.Padding();
            cell.box->geometry.cellBorder = rec.Border();
        }
    ApplyCode(*this, *set_, rec.TableBackground());
    geometry.cellBorder = rec.Border();
}

std::vector<int32_t> TMyyTable::CurrentCodes() const {
    std::vector<int32_t> codes;
    codes.reserve(size_t(CellCount()));
    for (const auto& row : rows_)
        for (const auto& c : row) {
            // Pictures by number, transparent -1, else the colour.
            const CellBackground b = CellBackground::Decode(c.background);
            codes.push_back(b.Code());
        }
    return codes;
}

void TMyyTable::StoreBackgrounds() {
    if (!working_.object) return;
    TableRecord(*working_.object).StoreCellCodes(CurrentCodes());
}

void TMyyTable::UpdateObject() {
    if (!working_.object) return;
    TableRecord rec(*working_.object);
    if (rec.Rows() == Rows() && rec.Columns() == Columns() && rec.CellStreamLengthWrong()) StoreBackgrounds();
}

void TMyyTable::LoadFromObject() {
    if (!working_.object) return;
    TableRecord rec(*working_.object);
    if (rec.Rows() == Rows() && rec.Columns() == Columns()) ApplyBackgrounds();
    lastWidth_ = -1;
    if (lastAvailable_ >= 0) Layout(TargetWidth(lastAvailable_));
}

// --- layout ----------------------------------------------------------------------------------------

void TMyyTable::LayOutCell(TableCell& c, int32_t maxWidth) {
    BoxGeometry& g = c.box->geometry;
    g.layoutWidth = std::max(maxWidth, 1);
    g.neededWidth = g.layoutWidth;
    RelayoutBox(*c.box);
    c.place.maxWidth = maxWidth;
    c.place.width = g.width;
}

int32_t TMyyTable::TargetWidth(int32_t available) const {
    if (!working_.object) return available;
    TableRecord rec(*working_.object);
    if (rec.PercentWidth()) {
        const int32_t pct = rec.WidthPercent();
        if (Nested() && pct > 100) return available;
        return int32_t(int64_t(available) * pct / 100);
    }
    return lastWidth_ >= 30 ? lastWidth_ : rec.PixelWidth();
}

void TMyyTable::SetAvailableWidth(int32_t width) { AvailableWidthChanged(width); }

void TMyyTable::AvailableWidthChanged(int32_t available) {
    if (layingOut_) return;
    if (available == lastAvailable_ && !selected && !holdsSelection) return;
    Layout(TargetWidth(available), true);
    lastAvailable_ = available;
}

void TMyyTable::Layout(int32_t W, bool updateHeader) {
    if (!working_.object || layingOut_) return;
    layingOut_ = true;
    TableRecord rec(*working_.object);
    const int32_t s = rec.Spacing(), C = Columns(), R = Rows();
    lastWidth_ = W;
    int64_t avail = int64_t(W) - int64_t(C + 1) * s;
    if (avail < 0) avail = 10;

    // Fixed and free columns are measured.
    std::vector<int32_t> remembered(size_t(C), 0);
    for (int32_t c = 0; c < C; ++c) {
        const uint8_t mode = rec.ColumnMode(c);
        if (mode != kColumnFixed && mode != kColumnFree) continue;
        int32_t e = mode == kColumnFixed ? rec.ColumnWidth(c) : 30;
        if (mode == kColumnFixed) remembered[size_t(c)] = e;
        const int32_t measure = e;
        for (int32_t r = 0; r < R; ++r) {
            TableCell& cell = rows_[size_t(r)][size_t(c)];
            if (cell.place.maxWidth != measure) LayOutCell(cell, measure);
            e = std::max(e, cell.place.width);
        }
        rec.SetColumnWidth(c, e);
    }

    // First pass, row by row.
    int64_t P = 0, rest = avail;
    int32_t freeColumn = -1;
    bool anyPercent = false;
    for (int32_t c = 0; c < C; ++c) {
        if (rec.ColumnMode(c) == kColumnPercent) {
            P += rec.ColumnWidth(c);
            anyPercent = true;
        } else {
            rest -= rec.ColumnWidth(c);
            if (rec.ColumnMode(c) == kColumnFree) freeColumn = c;
        }
    }
    const int64_t share = std::max<int64_t>(rest, 0);
    int32_t y = s;
    for (int32_t r = 0; r < R; ++r) {
        int32_t x = s, rowHeight = 0;
        int64_t carried = 0;
        for (int32_t c = 0; c < C; ++c) {
            TableCell& cell = rows_[size_t(r)][size_t(c)];
            int32_t mw;
            if (rec.ColumnMode(c) == kColumnPercent) {
                mw = 0;
                if (P > 0) {
                    const int64_t part = share * rec.ColumnWidth(c);
                    mw = int32_t(part / P);
                    carried += part % P;
                    if (carried > P) {
                        ++mw;
                        carried -= P;
                    }
                }
            } else {
                mw = rec.ColumnWidth(c);
            }
            if (cell.place.maxWidth != mw) LayOutCell(cell, mw);
            cell.place.x = x;
            cell.place.y = y;
            x += cell.place.width + s;
            rowHeight = std::max(rowHeight, cell.box->geometry.height);
        }
        y += rowHeight + s;
    }
    if (anyPercent) freeColumn = -1;

    // Second pass, column by column: every cell of a column as wide as its widest.
    rest = avail;
    for (int32_t c = 0; c < C; ++c) {
        if (c == freeColumn) continue;
        int32_t e = 0;
        for (int32_t r = 0; r < R; ++r) e = std::max(e, rows_[size_t(r)][size_t(c)].place.width);
        for (int32_t r = 0; r < R; ++r) {
            TableCell& cell = rows_[size_t(r)][size_t(c)];
            if (cell.place.maxWidth != e) LayOutCell(cell, e);
        }
        rest -= e;
        if (rec.ColumnMode(c) == kColumnFixed) rec.SetColumnWidth(c, remembered[size_t(c)]);
    }

    // The free column takes what is left.
    if (freeColumn >= 0) {
        int32_t fw = 0;
        for (int32_t r = 0; r < R; ++r) fw = std::max(fw, rows_[size_t(r)][size_t(freeColumn)].place.width);
        if (fw < rest) {
            const int32_t to = int32_t(std::min<int64_t>(rest, INT32_MAX));
            for (int32_t r = 0; r < R; ++r) {
                TableCell& cell = rows_[size_t(r)][size_t(freeColumn)];
                if (cell.place.maxWidth != to) LayOutCell(cell, to);
            }
        }
    }

    FinalPlacement();

    if (updateHeader) {
        header_.clear();
        for (int32_t c = 0; c < C && R > 0; ++c) {
            const int32_t w = rows_[0][size_t(c)].place.width;
            HeaderSection h;
            h.width = w + s;
            switch (rec.ColumnMode(c)) {
                case kColumnPercent: h.text = std::to_string(rec.ColumnWidth(c)) + "%"; break;
                case kColumnFixed: h.text = std::to_string(w); break;
                default: h.text = "* (" + std::to_string(w) + ")"; break;
            }
            header_.push_back(std::move(h));
        }
    }
    layingOut_ = false;
}

void TMyyTable::FinalPlacement() {
    const int32_t s = working_.object ? TableRecord(*working_.object).Spacing() : 0;
    int32_t y = s, lastX = s;
    for (auto& row : rows_) {
        int32_t rowHeight = 0;
        for (auto& c : row) rowHeight = std::max(rowHeight, c.box->geometry.height);
        int32_t x = s;
        for (auto& c : row) {
            c.place.x = x;
            c.place.y = y;
            c.place.width = c.box->geometry.width;
            c.place.height = rowHeight;
            x += c.place.width + s;
        }
        lastX = x;
        y += rowHeight + s;
    }
    SetSize(lastX, y);
    geometry.width = lastX;
    geometry.height = y;
}

void TMyyTable::CellHeightChanged(const THQVbox& cell) {
    if (layingOut_) return;
    const int32_t w = width_, h = height_;
    // A cell grown wider than its column (a word longer than the column is
    // wide, typed into a narrow fixed column): the columns are measured again,
    // as the layout of a table that holds the caret does.
    int32_t r = 0, c = 0;
    const bool wider = CellPosition(&cell, r, c) && cell.geometry.width > PlaceOf(r, c).width;
    // The width it was last laid out to: a table in a cell that went away
    // (kept for undo) must not ask its parent box.
    if (wider && lastWidth_ > 0) Layout(lastWidth_, true);
    else FinalPlacement();
    if (w != width_ || h != height_) Reposition();
}

void TMyyTable::Reposition() {
    if (!page_ || layingOut_) return;
    MarkForRelayout(false);
}

std::vector<std::string> TMyyTable::HeaderTexts() const {
    std::vector<std::string> out;
    for (const HeaderSection& h : header_) out.push_back(h.text);
    return out;
}

}  // namespace ovik
