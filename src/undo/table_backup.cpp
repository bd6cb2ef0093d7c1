#include "undo/table_backup.h"

namespace ovik {

TtaBackup::TtaBackup(TableUndoTarget& table, std::vector<int32_t> path, std::string text)
    : target_(&table) {
    targetPath = std::move(path);
    description = std::move(text);
    data = table.SaveTable();
}

void TtaBackup::RowsInserted(int32_t first, int32_t count) {
    change = {TableChange::Kind::RowsInserted, first, count, {}, {}};
}

void TtaBackup::ColumnsInserted(int32_t first, int32_t count) {
    change = {TableChange::Kind::ColumnsInserted, first, count, {}, {}};
}

void TtaBackup::RowsDeleted(int32_t first, int32_t count) { Deleted(TableChange::Kind::RowsDeleted, first, count); }

void TtaBackup::ColumnsDeleted(int32_t first, int32_t count) {
    Deleted(TableChange::Kind::ColumnsDeleted, first, count);
}

void TtaBackup::Deleted(TableChange::Kind k, int32_t first, int32_t count) {
    change.kind = k;
    change.first = first;
    change.count = count;
    if (!target_) return;
    const bool rows = k == TableChange::Kind::RowsDeleted;
    change.cells = target_->CopyCellBlock(rows, first, count);
    change.indexes = target_->CellIndexes(rows, first, count);
}

namespace {
TableUndoTarget* ResolveTable(THQVundoList& history, const std::vector<int32_t>& path, bool report) {
    auto* node = dynamic_cast<PlacedObjectNode*>(history.ResolvePath(path, report));
    return node ? node->Table() : nullptr;
}
}  // namespace

THQVbox* TtaBackup::Restore(THQVundoList& history) {
    if (TableUndoTarget* t = ResolveTable(history, targetPath, true)) t->RestoreTable(data, change);
    return nullptr;
}

std::unique_ptr<THQVbackup> TtaBackup::Inverse(THQVundoList& history) {
    TableUndoTarget* t = ResolveTable(history, targetPath, false);
    if (!t) return nullptr;
    auto back = std::make_unique<TtaBackup>(*t, targetPath, description);
    switch (change.kind) {
        case TableChange::Kind::RowsInserted: back->RowsDeleted(change.first, change.count); break;
        case TableChange::Kind::ColumnsInserted: back->ColumnsDeleted(change.first, change.count); break;
        case TableChange::Kind::RowsDeleted: back->RowsInserted(change.first, change.count); break;
        case TableChange::Kind::ColumnsDeleted: back->ColumnsInserted(change.first, change.count); break;
        default: break;
    }
    back->target_ = nullptr;
    return back;
}

size_t TtaBackup::SavedBytes() const {
    return description.size() + data.record.size() + data.content.size() + data.wrapper.size() +
           change.cells.size() + change.indexes.size() * sizeof(int32_t);
}

}  // namespace ovik
