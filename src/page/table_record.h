// The table record (kind tabellaHtml): typed access to its fields, the codes of
// cell backgrounds, the limits a stored table keeps to, and the new-table
// templates.
//
//   TableRecord r(*table);
//   r.SetColumnMode(2, kColumnFree);
//   int32_t code = CellBackground::Colour(0x00FF00).Code();
//   std::string err = SetUpNewTable(*table, {3, 3, true, 11, 0xFFFF00, 0x0000FF, -1});
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "document/hqv_object.h"

namespace ovik {

// Column modes.
inline constexpr uint8_t kColumnPercent = 0, kColumnFixed = 1, kColumnFree = 2;

// Limits a stored table keeps to: the row count is one byte, the column list
// has 50 slots and the background stream's length is a signed 16-bit field.
inline constexpr int32_t kMaxTableRows = 255;
inline constexpr int32_t kMaxTableColumns = 50;
inline constexpr int32_t kMaxTableCells = 32767 / 4;  // 8191
// What the new-table window offers.
inline constexpr int32_t kMaxNewTableRows = 200;

inline constexpr const char kTooManyColumns[] = "Il numero massimo di colonne è limitato.";
inline constexpr const char kTooManyRows[] = "Il numero massimo di righe è limitato (255).";
inline constexpr const char kTooManyCells[] =
    "Il numero massimo di caselle è limitato (8191 caselle in tutto).";

class TableRecord {
public:
    explicit TableRecord(THQVoggetto& t) : t_(&t) {}
    THQVoggetto& Object() const { return *t_; }

    uint8_t ColumnMode(int32_t c) const { return t_->U8(5 + size_t(c)); }
    void SetColumnMode(int32_t c, uint8_t m) { t_->SetU8(5 + size_t(c), m); }
    int16_t ColumnWidth(int32_t c) const { return t_->I16(97 + 2 * size_t(c)); }
    void SetColumnWidth(int32_t c, int32_t w) { t_->SetI16(97 + 2 * size_t(c), int16_t(w)); }
    bool PercentWidth() const { return t_->U8(55) != 0; }
    void SetPercentWidth(bool f) { t_->SetU8(55, f ? 1 : 0); }
    int16_t PixelWidth() const { return t_->I16(56); }
    void SetPixelWidth(int32_t w) { t_->SetI16(56, int16_t(w)); }
    uint8_t Template() const { return t_->U8(66); }
    void SetTemplate(uint8_t v) { t_->SetU8(66, v); }
    bool HasBackgrounds() const { return t_->I32(81) != 0; }
    void SetHasBackgrounds(bool f) { t_->SetI32(81, f ? -1 : 0); }
    uint8_t WidthPercent() const { return t_->U8(89); }
    void SetWidthPercent(int32_t v) { t_->SetU8(89, uint8_t(v)); }
    uint8_t Padding() const { return t_->U8(90); }
    void SetPadding(int32_t v) { t_->SetU8(90, uint8_t(v)); }
    uint8_t Spacing() const { return t_->U8(91); }
    void SetSpacing(int32_t v) { t_->SetU8(91, uint8_t(v)); }
    uint8_t Border() const { return t_->U8(92); }
    void SetBorder(int32_t v) { t_->SetU8(92, uint8_t(v)); }
    int32_t Rows() const { return t_->U8(93); }
    void SetRows(int32_t v) { t_->SetU8(93, uint8_t(v)); }
    // Columns beyond the 50 slots are not read.
    int32_t Columns() const { return std::min<int32_t>(t_->U8(94), kMaxTableColumns); }
    void SetColumns(int32_t v) { t_->SetU8(94, uint8_t(v)); }
    int32_t TableBackground() const { return t_->I32(207); }
    void SetTableBackground(int32_t code) { t_->SetI32(207, code); }
    void SetBackgroundFormat(uint8_t v) { t_->SetU8(219, v); }

    // The cell-background codes, row by row (rows x columns of them); cells the
    // stream does not reach, and all cells of a table without the stream, are
    // transparent (-1).
    std::vector<int32_t> CellCodes() const;
    // Writes the stream at its exact length (rows x columns x 4), marks the
    // backgrounds present and the background format 2.
    void StoreCellCodes(const std::vector<int32_t>& codes);
    // The stream holds bytes, but not rows x columns x 4 of them.
    bool CellStreamLengthWrong() const;

private:
    THQVoggetto* t_;
};

// A cell (or table) background as the record codes it.
struct CellBackground {
    enum class Kind : uint8_t { Transparent, Colour, Picture };
    Kind kind = Kind::Transparent;
    int32_t value = -1;  // the colour, or the picture's number

    static CellBackground Decode(int32_t code);
    static CellBackground Colour(int32_t c) { return {Kind::Colour, c & 0xFFFFFF}; }
    static CellBackground Picture(int32_t n) { return {Kind::Picture, n}; }
    int32_t Code() const;
    bool operator==(const CellBackground&) const = default;
};

// The names of the twelve new-table templates, by index.
const std::vector<std::string>& TableTemplateNames();

// What the new-table window asks for.
struct NewTableChoice {
    int32_t rows = 3;
    int32_t columns = 3;
    bool border = false;
    int32_t templateIndex = -1;  // -1: no template, the defaults stay
    int32_t firstColour = 0;
    int32_t secondColour = 0;
    int32_t picture = -1;  // "immagine": the chosen picture's number, -1 none
};
// Checks the sizes against the window's range and the stored limits; the
// message to show, or "" when they fit.
std::string CheckNewTableSize(int32_t rows, int32_t columns);
// Sets up a new table's record (already holding the defaults) and its
// background stream from the choice. The message when the sizes do not fit
// (then nothing changes), else "".
std::string SetUpNewTable(THQVoggetto& table, const NewTableChoice& c);
// The background codes a template gives to a rows x columns table.
std::vector<int32_t> TemplateCodes(int32_t templateIndex, int32_t rows, int32_t columns,
                                   int32_t first, int32_t second);

}  // namespace ovik
