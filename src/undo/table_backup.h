// The table entry (TtaBackup): a table's record, background stream and wrapper,
// and one change of its rows or columns: rows or columns inserted (undone by
// removing them) or deleted (undone by making their cells again from their
// saved markup, under their old control indexes).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "undo/undo.h"

namespace ovik {

// A change of a table's rows or columns.
struct TableChange {
    enum class Kind : uint8_t { None, RowsInserted, ColumnsInserted, RowsDeleted, ColumnsDeleted };
    Kind kind = Kind::None;
    int32_t first = 0, count = 0;
    // Deleted rows or columns: the cells' block (rows x columns, row by row),
    // as the table copies it, and the control indexes of their cell boxes.
    Bytes cells;
    std::vector<int32_t> indexes;

    bool Rows() const { return kind == Kind::RowsInserted || kind == Kind::RowsDeleted; }
};

// What a table control offers the table entry.
class TableUndoTarget {
public:
    virtual ~TableUndoTarget() = default;
    // Record, content and wrapper of the table object.
    virtual PlacedObjectState::Data SaveTable() const = 0;
    // The cell block of rows (or columns) first .. first+count-1 and the
    // control indexes of its cells, row by row.
    virtual Bytes CopyCellBlock(bool rows, int32_t first, int32_t count) const = 0;
    virtual std::vector<int32_t> CellIndexes(bool rows, int32_t first, int32_t count) const = 0;
    // Undoes `change` on the cells, then copies the saved data back into the
    // object and lays the table out again.
    virtual void RestoreTable(const PlacedObjectState::Data& saved, const TableChange& change) = 0;
};

class TtaBackup : public THQVbackup {
public:
    TtaBackup(TableUndoTarget& table, std::vector<int32_t> path, std::string text);
    // The structural change the command is about to make (called right after
    // the entry is made, before the change).
    void RowsInserted(int32_t first, int32_t count);
    void ColumnsInserted(int32_t first, int32_t count);
    void RowsDeleted(int32_t first, int32_t count);
    void ColumnsDeleted(int32_t first, int32_t count);

    THQVbox* Restore(THQVundoList& history) override;
    std::unique_ptr<THQVbackup> Inverse(THQVundoList& history) override;
    size_t SavedBytes() const override;

    PlacedObjectState::Data data;
    TableChange change;

private:
    TableUndoTarget* target_;  // only while the command records it
    void Deleted(TableChange::Kind k, int32_t first, int32_t count);
};

}  // namespace ovik
