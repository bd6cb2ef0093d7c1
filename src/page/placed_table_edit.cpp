// The table's editing: rows and columns, sizes, the property window's OK,
// undo, and the caret leaving or entering cells.
#include <algorithm>

#include "document/hqv_set.h"
#include "page/placed_table.h"
#include "page/thqv_page.h"

namespace ovik {

namespace {

// The cells of a block read back from CopyCellBlock's form.
std::vector<Bytes> SplitBlock(const Bytes& block, bool& ok) {
    std::vector<Bytes> out;
    ok = block.size() >= 4 && GetI32(block.data()) == 4;
    if (!ok) return out;
    size_t at = 4;
    while (at + 4 <= block.size()) {
        const int32_t n = GetI32(&block[at]);
        at += 4;
        if (n <= 0 || size_t(n) > block.size() - at) break;
        out.emplace_back(block.begin() + ptrdiff_t(at), block.begin() + ptrdiff_t(at + size_t(n)));
        at += size_t(n);
    }
    return out;
}

std::unique_ptr<TtaBackup> MakeEntry(TMyyTable& t, THQVpage* page, const std::string& text) {
    return std::make_unique<TtaBackup>(t, page ? page->PathOf(t.ControlIndex()) : std::vector<int32_t>{},
                                       text);
}

}  // namespace

// --- rows and columns ----------------------------------------------------------------------------

void TMyyTable::InsertRows(int32_t position, int32_t count, const std::vector<int32_t>* indexes,
                           const Bytes* cells) {
    const int32_t C = Columns() > 0 ? Columns() : (working_.object ? TableRecord(*working_.object).Columns() : 0);
    bool ok = false;
    std::vector<Bytes> texts = cells ? SplitBlock(*cells, ok) : std::vector<Bytes>{};
    const Bytes empty{'<', 'Z', ' ', 'S', '1', ' ', '>', '<', 'T', '>'};
    std::vector<std::vector<TableCell>> made;
    for (int32_t k = 0; k < count; ++k) {
        std::vector<TableCell> row;
        for (int32_t c = 0; c < C; ++c) {
            const size_t i = size_t(k * C + c);
            TableCell cell = NewCell(indexes && i < indexes->size() ? (*indexes)[i] : -1);
            ReadCellFrom(cell, i < texts.size() ? texts[i] : empty);
            if (i >= texts.size()) cell.read.clear();
            row.push_back(std::move(cell));
        }
        made.push_back(std::move(row));
    }
    position = std::clamp(position, 0, Rows());
    rows_.insert(rows_.begin() + position, std::make_move_iterator(made.begin()),
                 std::make_move_iterator(made.end()));
}

void TMyyTable::InsertColumns(int32_t position, int32_t count, const std::vector<int32_t>* indexes,
                              const Bytes* cells) {
    bool ok = false;
    std::vector<Bytes> texts = cells ? SplitBlock(*cells, ok) : std::vector<Bytes>{};
    const Bytes empty{'<', 'Z', ' ', 'S', '1', ' ', '>', '<', 'T', '>'};
    position = std::clamp(position, 0, Columns());
    for (int32_t r = 0; r < Rows(); ++r) {
        std::vector<TableCell> made;
        for (int32_t k = 0; k < count; ++k) {
            const size_t i = size_t(r * count + k);
            TableCell cell = NewCell(indexes && i < indexes->size() ? (*indexes)[i] : -1);
            ReadCellFrom(cell, i < texts.size() ? texts[i] : empty);
            if (i >= texts.size()) cell.read.clear();
            made.push_back(std::move(cell));
        }
        auto& row = rows_[size_t(r)];
        row.insert(row.begin() + position, std::make_move_iterator(made.begin()),
                   std::make_move_iterator(made.end()));
    }
}

void TMyyTable::RemoveRows(int32_t from, int32_t to) {
    for (int32_t r = to; r >= from; --r) {
        for (auto& c : rows_[size_t(r)]) FreeCell(c);
        rows_.erase(rows_.begin() + r);
    }
}

void TMyyTable::RemoveColumns(int32_t from, int32_t to) {
    for (auto& row : rows_)
        for (int32_t c = to; c >= from; --c) {
            FreeCell(row[size_t(c)]);
            row.erase(row.begin() + c);
        }
}

bool TMyyTable::AddColumns(int32_t position, int32_t count) {
    if (!working_.object || count < 1 || position < 0 || position > Columns()) return false;
    TableRecord rec(*working_.object);
    const int32_t C = Columns();
    if (count + C >= kMaxTableColumns + 1) {
        set_->Messages().Warning(kTooManyColumns);
        return false;
    }
    if (int64_t(Rows()) * (C + count) > kMaxTableCells) {
        set_->Messages().Warning(kTooManyCells);
        return false;
    }
    auto e = MakeEntry(*this, page_, "Aggiunta colonne");
    e->ColumnsInserted(position, count);
    if (page_) page_->RecordTableEntry(std::move(e));
    InsertColumns(position, count, nullptr, nullptr);
    rec.SetColumns(C + count);
    StoreBackgrounds();
    for (int32_t c = C - 1; c >= position; --c) {
        rec.SetColumnMode(c + count, rec.ColumnMode(c));
        rec.SetColumnWidth(c + count, rec.ColumnWidth(c));
    }
    for (int32_t c = position; c < position + count; ++c) {
        rec.SetColumnMode(c, kColumnPercent);
        rec.SetColumnWidth(c, 10);
    }
    if (lastWidth_ >= 0) Layout(lastWidth_);
    Reposition();
    focusCell = CellAt(0, position);
    return true;
}

bool TMyyTable::AddRows(int32_t position, int32_t count) {
    if (!working_.object || count < 1 || position < 0 || position > Rows()) return false;
    TableRecord rec(*working_.object);
    if (Rows() + count > kMaxTableRows) {
        set_->Messages().Warning(kTooManyRows);
        return false;
    }
    if (int64_t(Rows() + count) * Columns() > kMaxTableCells) {
        set_->Messages().Warning(kTooManyCells);
        return false;
    }
    auto e = MakeEntry(*this, page_, "Aggiunta righe");
    e->RowsInserted(position, count);
    if (page_) page_->RecordTableEntry(std::move(e));
    InsertRows(position, count, nullptr, nullptr);
    rec.SetRows(Rows());
    StoreBackgrounds();
    if (lastWidth_ >= 0) Layout(lastWidth_);
    Reposition();
    focusCell = CellAt(position, 0);
    return true;
}

bool TMyyTable::DeleteColumns(int32_t from, int32_t to) { return PostDeletion(false, from, to); }

bool TMyyTable::DeleteRows(int32_t from, int32_t to) { return PostDeletion(true, from, to); }

bool TMyyTable::PostDeletion(bool rows, int32_t from, int32_t to) {
    const int32_t n = rows ? Rows() : Columns();
    if (!working_.object || from < 0 || to > n - 1 || from > to || to - from + 1 >= n) return false;
    auto e = MakeEntry(*this, page_, rows ? "Cancellazione righe" : "Cancellazione colonne");
    if (rows) e->RowsDeleted(from, to - from + 1);
    else e->ColumnsDeleted(from, to - from + 1);
    if (page_) page_->RecordTableEntry(std::move(e));
    posted_.push_back([this, rows, from, to] {
        const int32_t count = rows ? Rows() : Columns();
        if (to > count - 1 || to - from + 1 >= count) return;
        int32_t row = -1, col = -1;
        const bool found = currentCell && CellPosition(currentCell, row, col);
        const int32_t line = rows ? row : col;
        const bool moving = found && line >= from && line <= to;
        const bool none = !currentCell;
        TableRecord rec(*working_.object);
        if (rows) {
            RemoveRows(from, to);
            rec.SetRows(Rows());
        } else {
            RemoveColumns(from, to);
            const int32_t k = to - from + 1;
            for (int32_t c = to + 1; c < count; ++c) {
                rec.SetColumnMode(c - k, rec.ColumnMode(c));
                rec.SetColumnWidth(c - k, rec.ColumnWidth(c));
            }
            rec.SetColumns(Columns());
        }
        StoreBackgrounds();
        // A focused cell that went moves to the line after the deleted ones,
        // or before them when they were the last.
        const int32_t next = to < count - 1 ? from : from - 1;
        if (moving) focusCell = currentCell = rows ? CellAt(next, col) : CellAt(row, next);
        else if (none) focusCell = rows ? CellAt(from, 0) : CellAt(0, from);
        if (lastWidth_ >= 0) Layout(lastWidth_);
        Reposition();
    });
    return true;
}

bool TMyyTable::AddColumnAt(const THQVbox* cell) {
    int32_t r = 0, c = 0;
    return CellPosition(cell, r, c) && AddColumns(c, 1);
}

bool TMyyTable::AddRowAt(const THQVbox* cell) {
    int32_t r = 0, c = 0;
    return CellPosition(cell, r, c) && AddRows(r, 1);
}

bool TMyyTable::DeleteColumnOf(const THQVbox* cell) {
    int32_t r = 0, c = 0;
    return CellPosition(cell, r, c) && DeleteColumns(c, c);
}

bool TMyyTable::DeleteRowOf(const THQVbox* cell) {
    int32_t r = 0, c = 0;
    return CellPosition(cell, r, c) && DeleteRows(r, r);
}

bool TMyyTable::RunPosted() {
    if (posted_.empty()) return false;
    auto work = std::move(posted_);
    posted_.clear();
    for (auto& f : work) f();
    return true;
}

// --- sizes -------------------------------------------------------------------------------------------

void TMyyTable::ResizeTo(int32_t width, int32_t available) {
    if (!working_.object) return;
    TableRecord rec(*working_.object);
    if (page_) page_->RecordTableEntry(MakeEntry(*this, page_, "Dimensiona tabella"));
    if (rec.PercentWidth()) {
        int32_t pct = available > 0 ? int32_t(int64_t(width) * 100 / available) : 100;
        pct = std::clamp(pct, 0, 255);
        if (Nested()) pct = std::min(pct, 100);
        rec.SetWidthPercent(pct);
        Layout(int32_t(int64_t(available) * pct / 100));
    } else {
        // The pixel width is kept in the record too, so it holds after reloading.
        rec.SetPixelWidth(std::clamp(width, 0, 32767));
        Layout(width);
    }
    if (available >= 0) lastAvailable_ = available;
    Reposition();
}

void TMyyTable::ResizeColumn(int32_t col, int32_t oldSection, int32_t newSection) {
    if (!working_.object || col < 0 || col >= Columns() || newSection == oldSection) return;
    TableRecord rec(*working_.object);
    const int32_t oldWidth = lastWidth_;
    const int32_t newWidth = oldWidth + newSection - oldSection;
    if (newWidth < 10 || oldWidth <= 0) return;
    if (page_) page_->RecordTableEntry(MakeEntry(*this, page_, "Dimensiona celle"));
    if (rec.PercentWidth()) {
        int32_t pct = int32_t(std::clamp<int64_t>(int64_t(newWidth) * rec.WidthPercent() / oldWidth, 0, 255));
        if (Nested()) pct = std::min(pct, 100);
        rec.SetWidthPercent(pct);
    }
    switch (rec.ColumnMode(col)) {
        case kColumnFixed: rec.SetColumnWidth(col, rec.ColumnWidth(col) + newSection - oldSection); break;
        case kColumnFree:
            rec.SetColumnMode(col, kColumnFixed);
            rec.SetColumnWidth(col, newSection - rec.Spacing());
            break;
        default: {
            int64_t P = 0;
            for (int32_t c = 0; c < Columns(); ++c)
                if (rec.ColumnMode(c) == kColumnPercent) P += rec.ColumnWidth(c);
            const int64_t more = int64_t(newWidth) * P / oldWidth - P;
            if (more > 0) rec.SetColumnWidth(col, int32_t(rec.ColumnWidth(col) + more));
            break;
        }
    }
    if (!rec.PercentWidth()) rec.SetPixelWidth(newWidth);
    Layout(newWidth);
    Reposition();
    Select(true);
}

void TMyyTable::RelayoutAtStoredWidth(int32_t available) {
    lastWidth_ = -1;
    Layout(TargetWidth(available));
    if (available >= 0) lastAvailable_ = available;
}

void TMyyTable::ApplyProperties(const TableProperties& p, int32_t available) {
    if (!working_.object) return;
    TableRecord rec(*working_.object);
    if (page_) page_->RecordTableEntry(MakeEntry(*this, page_, "Modifica tabella"));
    if (p.wrapper.empty()) working_.object->ClearWrapper();
    else working_.object->SetWrapper(p.wrapper);
    if (p.column >= 0 && p.column < Columns()) {
        rec.SetColumnMode(p.column, p.columnMode);
        rec.SetColumnWidth(p.column, p.columnWidth);
    }
    rec.SetPadding(p.padding);
    rec.SetSpacing(p.spacing);
    rec.SetPercentWidth(p.percentWidth);
    rec.SetBorder(p.border ? p.borderWidth : 0);
    switch (p.background) {
        case TableProperties::Background::Transparent: rec.SetTableBackground(-1); break;
        case TableProperties::Background::Picture:
            rec.SetTableBackground(p.picture >= 0 ? CellBackground::Picture(p.picture).Code()
                                                  : CellBackground::Colour(p.colour).Code());
            break;
        case TableProperties::Background::Colour: rec.SetTableBackground(CellBackground::Colour(p.colour).Code()); break;
    }
    if (p.percentWidth) rec.SetWidthPercent(std::clamp(p.widthPercent, 0, 255));
    else rec.SetPixelWidth(std::clamp(p.pixelWidth, 0, 32767));
    if (p.cellPageActive && p.applyTo != ApplyTo::None && CellAt(p.row, p.col)) {
        if (!rec.HasBackgrounds()) rec.StoreCellCodes(std::vector<int32_t>(size_t(CellCount()), -1));
        const int32_t code = p.cellBackground.Code();
        for (int32_t r = 0; r < Rows(); ++r)
            for (int32_t c = 0; c < Columns(); ++c) {
                bool on = false;
                switch (p.applyTo) {
                    case ApplyTo::Cell: on = r == p.row && c == p.col; break;
                    case ApplyTo::Row: on = r == p.row; break;
                    case ApplyTo::Column: on = c == p.col; break;
                    case ApplyTo::RowEvenColumns: on = r == p.row && c % 2 == 0; break;
                    case ApplyTo::ColumnEvenRows: on = c == p.col && r % 2 == 0; break;
                    case ApplyTo::RowOddColumns: on = r == p.row && c % 2 == 1; break;
                    case ApplyTo::ColumnOddRows: on = c == p.col && r % 2 == 1; break;
                    default: break;
                }
                if (on) SetCellBackground(r, c, code);
            }
        StoreBackgrounds();
    }
    RelayoutAtStoredWidth(available);
    ApplyBackgrounds();
    Reposition();
}

// --- undo ----------------------------------------------------------------------------------------------

PlacedObjectState::Data TMyyTable::SaveTable() const {
    Data d;
    const THQVoggetto* o = working_.object.get();
    if (!o) return d;
    const auto rec = o->Record();
    d.record.assign(rec.begin(), rec.end());
    d.kind = o->Kind();
    o->ReadContent(d.content);
    if (const Bytes* w = o->Wrapper()) d.wrapper = *w;
    return d;
}

Bytes TMyyTable::CopyCellBlock(bool rows, int32_t first, int32_t count) const {
    Bytes out;
    AppendI32(out, 4);
    for (int32_t r = 0; r < Rows(); ++r)
        for (int32_t c = 0; c < Columns(); ++c) {
            const bool in = rows ? r >= first && r < first + count : c >= first && c < first + count;
            if (!in) continue;
            Bytes cell;
            WriteCell(rows_[size_t(r)][size_t(c)], cell);
            AppendI32(out, int32_t(cell.size()));
            out.insert(out.end(), cell.begin(), cell.end());
        }
    AppendI32(out, 0);
    return out;
}

std::vector<int32_t> TMyyTable::CellIndexes(bool rows, int32_t first, int32_t count) const {
    std::vector<int32_t> out;
    for (int32_t r = 0; r < Rows(); ++r)
        for (int32_t c = 0; c < Columns(); ++c) {
            const bool in = rows ? r >= first && r < first + count : c >= first && c < first + count;
            if (in) out.push_back(rows_[size_t(r)][size_t(c)].box->controlIndex);
        }
    return out;
}

bool TMyyTable::PasteCellBlock(const Bytes& block, int32_t r0, int32_t rows, int32_t c0, int32_t cols) {
    bool ok = false;
    std::vector<Bytes> texts = SplitBlock(block, ok);
    if (!ok) return false;
    size_t i = 0;
    for (int32_t r = r0; r < r0 + rows; ++r)
        for (int32_t c = c0; c < c0 + cols; ++c, ++i)
            if (CellAt(r, c) && i < texts.size()) ReadCellFrom(rows_[size_t(r)][size_t(c)], texts[i]);
    for (auto& row : rows_)
        for (auto& c : row) c.place.maxWidth = -1;
    if (lastWidth_ >= 0) Layout(lastWidth_);
    Reposition();
    return true;
}

void TMyyTable::RestoreTable(const PlacedObjectState::Data& saved, const TableChange& change) {
    THQVoggetto* o = working_.object.get();
    if (!o || saved.record.empty() || saved.kind != o->Kind()) return;
    const int32_t last = change.first + change.count - 1;
    switch (change.kind) {
        case TableChange::Kind::RowsInserted:
            if (change.first >= 0 && last < Rows() && change.count < Rows()) RemoveRows(change.first, last);
            break;
        case TableChange::Kind::ColumnsInserted:
            if (change.first >= 0 && last < Columns() && change.count < Columns()) RemoveColumns(change.first, last);
            break;
        case TableChange::Kind::RowsDeleted:
            InsertRows(change.first, change.count, &change.indexes, &change.cells);
            break;
        case TableChange::Kind::ColumnsDeleted:
            InsertColumns(change.first, change.count, &change.indexes, &change.cells);
            break;
        default: break;
    }
    o->SetRecordBytes(saved.record.data(), saved.record.size());
    if (saved.content.empty()) o->ClearContent();
    else o->SetContent(saved.content);
    if (saved.wrapper.empty()) o->ClearWrapper();
    else o->SetWrapper(saved.wrapper);
    ApplyBackgrounds();
    if (page_) page_->modified = true;
    if (lastAvailable_ >= 0) {
        RelayoutAtStoredWidth(lastAvailable_);
        Reposition();
    }
}

// --- the caret between cells -----------------------------------------------------------------------------

namespace {

TMyyTable* TableOfCell(THQVpage& page, const THQVbox& cell, int32_t& row, int32_t& col) {
    for (auto& c : page.Controls())
        if (auto* t = dynamic_cast<TMyyTable*>(c.get()); t && t->CellPosition(&cell, row, col)) return t;
    return nullptr;
}

CaretTarget StartOf(THQVbox* box) { return {box, 0, 0}; }

CaretTarget EndOf(THQVbox* box) {
    if (!box || box->ParagraphCount() == 0) return {box, 0, 0};
    const int32_t last = box->ParagraphCount() - 1;
    return {box, last, box->Paragraph(last).Length()};
}

}  // namespace

TMyyTable* InsertNewTable(THQVpage& page, BoxEditor& editor, const NewTableChoice& choice) {
    THQVset& set = editor.Box().Set();
    if (std::string err = CheckNewTableSize(choice.rows, choice.columns); !err.empty()) {
        set.Messages().Warning(err);
        return nullptr;
    }
    auto object = set.NewObject(tabellaHtml);
    object->SetState(2);
    SetUpNewTable(*object, choice);
    const int32_t index = page.AddControl({std::move(object), -1, false});
    auto* table = dynamic_cast<TMyyTable*>(page.ControlAt(index));
    if (!table) return nullptr;
    table->InsertNew();
    editor.InsertObject(table, true);
    page.modified = true;
    return table;
}

CaretTarget CaretExit(THQVpage& page, THQVbox& from, uint8_t exitCode, THQVparag* tableParagraph) {
    if (exitCode >= 5 && exitCode <= 8) {
        if (!tableParagraph) return {};
        for (PlacedObject* o : tableParagraph->Objects()) {
            auto* t = dynamic_cast<TMyyTable*>(o);
            if (!t || t->CellCount() == 0) continue;
            const bool forward = exitCode == 6 || exitCode == 8;
            return forward ? StartOf(t->CellAt(0, 0)) : EndOf(t->CellAt(t->Rows() - 1, t->Columns() - 1));
        }
        return {};
    }
    if (exitCode < 1 || exitCode > 4 || !from.IsCellBox()) return {};
    int32_t row = 0, col = 0;
    TMyyTable* t = TableOfCell(page, from, row, col);
    if (!t) return {};
    const CellDirection d = exitCode == 1   ? CellDirection::Previous
                            : exitCode == 2 ? CellDirection::Next
                            : exitCode == 3 ? CellDirection::Up
                                            : CellDirection::Down;
    THQVbox* next = t->NeighbourCell(row, col, d);
    const bool toEnd = exitCode == 1 || exitCode == 3;
    if (next && next != &from) return toEnd ? EndOf(next) : StartOf(next);
    // No such cell: out of the table, into the paragraph before or after it.
    THQVbox* box = nullptr;
    int32_t paragraph = 0, ch = 0;
    if (!page.FindControl(t, box, paragraph, ch)) return {};
    if (toEnd) {
        if (paragraph == 0) return {};
        return {box, paragraph - 1, box->Paragraph(paragraph - 1).Length()};
    }
    if (paragraph + 1 >= box->ParagraphCount()) return {};
    return {box, paragraph + 1, 0};
}

}  // namespace ovik
