// TMyyTable: a table placed in a page's text (kind tabellaHtml). The table is
// itself a box (its background is the table's, its border the table's) that
// holds rows of cell boxes and lays them out as a grid; each cell box is a
// complete text box whose text follows the table's tag in the enclosing text.
//
// Cells read from a page keep the markup they were read from: a cell whose box
// still writes what it wrote right after reading is written back as read, so
// an unedited table comes back byte for byte.
//
//   TMyyTable& t = ...;                 // made by MakePlacedControl for kind 8
//   t.SetAvailableWidth(600);            // the enclosing box lays its line out
//   t.AddColumns(1, 1);                  // "Aggiunta colonne"
//   t.DeleteRows(0, 0);  t.RunPosted();  // "Cancellazione righe", after the event
//   t.HeaderTexts();                     // "50%", "120", "* (80)" ...
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "page/placed_visual.h"
#include "page/table_record.h"
#include "undo/table_backup.h"

namespace ovik {

// Directions of NeighbourCell.
enum class CellDirection : uint8_t {
    Previous = 1,
    Next = 2,
    Up = 3,
    Down = 4,
    Last = 5,
    First = 6,
    FirstOfLastRow = 7,
    First8 = 8,
};

// Where the cells of the property window's "Applica a" choice go.
enum class ApplyTo : uint8_t {
    None,               // "Non applicare"
    Cell,               // "Casella"
    Row,                // "Riga"
    Column,             // "Colonna"
    RowEvenColumns,     // "Riga a colonne alternate"
    ColumnEvenRows,     // "Colonna a righe alternate"
    RowOddColumns,      // "Riga a colonne alternate 1"
    ColumnOddRows,      // "Colonna a righe alternate 1"
};
const std::vector<std::string>& ApplyToNames();

// A section of the column header.
struct HeaderSection {
    std::string text;
    int32_t width = 0;
};

// What the table property window sets on OK.
struct TableProperties {
    Bytes wrapper;  // the extra HTML
    int32_t column = 0;  // the selected column, whose mode and width follow
    uint8_t columnMode = kColumnFixed;
    int32_t columnWidth = 0;
    int32_t padding = 2, spacing = 2;
    bool percentWidth = true;
    bool border = false;
    int32_t borderWidth = 1;
    enum class Background : uint8_t { Transparent, Picture, Colour } background = Background::Transparent;
    int32_t colour = 0;
    int32_t picture = -1;
    int32_t widthPercent = 100;
    int32_t pixelWidth = 300;
    // The cell page ("Casella, riga, colonna"): when active, the cell
    // background applied to the cells `applyTo` names, around the cell at
    // (row, col).
    bool cellPageActive = false;
    ApplyTo applyTo = ApplyTo::None;
    int32_t row = 0, col = 0;
    CellBackground cellBackground;
};

class TMyyTable : public TMyyVisual, public THQVbox, public TableUndoTarget {
public:
    TMyyTable(WorkingObject w, THQVpage* page, THQVset& set, platform::TextMeasurer& measurer,
              PlacedObjectIndex* controls);
    ~TMyyTable() override;

    TableRecord Record() { return TableRecord(*working_.object); }
    int32_t Rows() const { return int32_t(rows_.size()); }
    int32_t Columns() const { return rows_.empty() ? 0 : int32_t(rows_[0].size()); }

    // --- the text's view ----------------------------------------------------------------
    bool IsTable() const override { return true; }
    void SetCellOrigin(uint8_t origin) override { origin_ = origin; }
    void ReadCells(BoxStream& s, const Renumbering* renumber) override;
    void WriteCells(Bytes& out) const override;
    int32_t CellCount() const override { return Rows() * Columns(); }
    THQVbox* Cell(int32_t i) const override;
    void SetAvailableWidth(int32_t width) override;
    bool HasParent() const override { return false; }
    void SetParentBox(THQVbox& box) override { parentBox_ = &box; }
    THQVbox* ParentBox() const { return parentBox_; }
    // Every cell ended with "<T>" when read (none was missing or cut short).
    bool CellsComplete() const { return cellsComplete_; }
    // Gives every cell the empty text "<Z S1 >" (a table just inserted).
    void InsertNew();

    // --- cells ---------------------------------------------------------------------------
    THQVbox* CellAt(int32_t row, int32_t col) const;
    // Row and column of a cell box of this table; false for others.
    bool CellPosition(const THQVbox* cell, int32_t& row, int32_t& col) const;
    // The cell in `direction` from (row, col); the cell itself at an edge.
    THQVbox* NeighbourCell(int32_t row, int32_t col, CellDirection direction) const;
    // Where a cell stands in the table, its maximum width and its size.
    struct CellPlace {
        int32_t x = 0, y = 0, maxWidth = -1, width = 0, height = 0;
    };
    CellPlace PlaceOf(int32_t row, int32_t col) const;
    // A cell's background code (record coding) and setting one.
    int32_t CellBackgroundCode(int32_t row, int32_t col) const;
    void SetCellBackground(int32_t row, int32_t col, int32_t code);

    // --- backgrounds -------------------------------------------------------------------------
    // From the stream to the cells and from the record to the table box, with
    // the padding and border to every cell.
    void ApplyBackgrounds();
    // The cells' backgrounds into the stream (exact length), format 2.
    void StoreBackgrounds();
    // Before the page is stored: a stream of the wrong length is written again.
    void UpdateObject() override;

    // --- layout ------------------------------------------------------------------------------
    // Lays the columns out for the table width `width`; with `updateHeader`
    // the header sections are made again.
    void Layout(int32_t width, bool updateHeader = true);
    void AvailableWidthChanged(int32_t available);
    int32_t LastLayoutWidth() const { return lastWidth_; }
    int32_t LastAvailableWidth() const { return lastAvailable_; }
    // The width the table takes of `available` (its percentage, or pixels).
    int32_t TargetWidth(int32_t available) const;
    const std::vector<HeaderSection>& Header() const { return header_; }
    std::vector<std::string> HeaderTexts() const;
    static constexpr int32_t kHeaderHeight = 12;
    // Shows or hides the column header.
    void Select(bool on) { selected = on; }
    // Where the header stands while shown: 12 pixels above the table's top
    // left corner, as wide as the table (it moves with the table).
    PixelRect HeaderRect() const { return {Left(), Top() - kHeaderHeight, Left() + Width(), Top()}; }
    bool HeaderShown() const { return selected; }
    // The table holds the frame set's selected control (set by the host).
    bool holdsSelection = false;
    // The table stands in a cell of another table.
    bool Nested() const { return parentBox_ && parentBox_->IsCellBox(); }

    // --- rows and columns ----------------------------------------------------------------------
    // Each records its undo entry first; refused changes show their message
    // (limits) or nothing (deleting everything) and return false.
    bool AddColumns(int32_t position, int32_t count);
    bool AddRows(int32_t position, int32_t count);
    // Deleting runs after the current event: RunPosted carries it out.
    bool DeleteColumns(int32_t from, int32_t to);
    bool DeleteRows(int32_t from, int32_t to);
    bool AddColumnAt(const THQVbox* cell);
    bool AddRowAt(const THQVbox* cell);
    bool DeleteColumnOf(const THQVbox* cell);
    bool DeleteRowOf(const THQVbox* cell);
    bool RunPosted();
    size_t PostedCount() const { return posted_.size(); }
    // The cell that is to take the focus after the last change (null: none).
    THQVbox* focusCell = nullptr;
    // The cell that has the focus (set by the host): a deletion moves it.
    THQVbox* currentCell = nullptr;

    // --- sizes ------------------------------------------------------------------------------------
    // The table resized with the handles to `width`; `available` is the width
    // of the table's paragraph.
    void ResizeTo(int32_t width, int32_t available);
    // Column `col` resized with the header: its section from `oldSection` to
    // `newSection` pixels.
    void ResizeColumn(int32_t col, int32_t oldSection, int32_t newSection);
    // The property window's OK.
    void ApplyProperties(const TableProperties& p, int32_t available);

    // --- undo --------------------------------------------------------------------------------------
    TableUndoTarget* Table() override { return this; }
    PlacedObjectState::Data SaveTable() const override;
    Bytes CopyCellBlock(bool rows, int32_t first, int32_t count) const override;
    std::vector<int32_t> CellIndexes(bool rows, int32_t first, int32_t count) const override;
    void RestoreTable(const PlacedObjectState::Data& saved, const TableChange& change) override;
    // Replaces the text of the cells of rows r0.. and columns c0.. by the block
    // (CopyCellBlock's form); false when it does not start with 4.
    bool PasteCellBlock(const Bytes& block, int32_t r0, int32_t rows, int32_t c0, int32_t cols);
    std::string UndoText() const override { return "Modifica tabella"; }
    void LoadFromObject() override;

private:
    struct TableCell {
        std::unique_ptr<THQVbox> box;
        int32_t background = -1;
        CellPlace place;
        // The markup the cell was read from (with its "<T>"), and the size and
        // hash of what its box wrote right after reading; empty: written from
        // the box.
        Bytes read;
        size_t writtenSize = 0, writtenHash = 0;
    };

    TableCell NewCell(int32_t index = -1);
    void ReadCell(TableCell& c, BoxStream& s, const Renumbering* renumber);
    void ReadCellFrom(TableCell& c, const Bytes& markup);
    void WriteCell(const TableCell& c, Bytes& out) const;
    void FreeCell(TableCell& c);
    void LayOutCell(TableCell& c, int32_t maxWidth);
    void CellHeightChanged(const THQVbox& cell);
    void FinalPlacement();
    void Reposition();
    // Records the deletion of rows (or columns) from..to and posts it.
    bool PostDeletion(bool rows, int32_t from, int32_t to);
    void RemoveColumns(int32_t from, int32_t to);
    void RemoveRows(int32_t from, int32_t to);
    void InsertColumns(int32_t position, int32_t count, const std::vector<int32_t>* indexes,
                       const Bytes* cells);
    void InsertRows(int32_t position, int32_t count, const std::vector<int32_t>* indexes,
                    const Bytes* cells);
    void RelayoutAtStoredWidth(int32_t available);
    std::vector<int32_t> CurrentCodes() const;
    void Build(int32_t rows, int32_t cols);

    THQVset* set_;
    platform::TextMeasurer* measurer_;
    PlacedObjectIndex* controls_;
    THQVbox* parentBox_ = nullptr;
    uint8_t origin_ = 0;
    std::vector<std::vector<TableCell>> rows_;
    bool cellsComplete_ = true;
    int32_t lastWidth_ = -1;
    int32_t lastAvailable_ = -1;
    bool layingOut_ = false;
    std::vector<HeaderSection> header_;
    std::vector<std::function<void()>> posted_;
};

// Where a caret that left a box goes: exit codes 1 to 4 from a cell box move to
// the neighbouring cell (its end for 1 and 3, its start for 2 and 4), or out of
// the table to the paragraph before or after it; 5 to 8 from any box enter the
// table of `tableParagraph` (its first cell's start for 6 and 8, its last
// cell's end for 5 and 7).
struct CaretTarget {
    THQVbox* box = nullptr;  // null: the caret stays
    int32_t paragraph = 0;
    int32_t charIndex = 0;
};
CaretTarget CaretExit(THQVpage& page, THQVbox& from, uint8_t exitCode, THQVparag* tableParagraph);

// The new-table window's OK: a table made from `choice` is inserted at the
// caret of `editor` (the page's box or one of its cells) with empty cells
// ("Inserimento oggetti"). Null, with the message shown, when the sizes do not
// fit.
TMyyTable* InsertNewTable(THQVpage& page, BoxEditor& editor, const NewTableChoice& choice);

}  // namespace ovik
