#include "page/table_record.h"

#include <algorithm>

namespace ovik {

std::vector<int32_t> TableRecord::CellCodes() const {
    const size_t n = size_t(Rows()) * size_t(Columns());
    std::vector<int32_t> codes(n, -1);
    if (!HasBackgrounds()) return codes;
    Bytes c;
    if (!t_->ReadContent(c)) return codes;
    for (size_t i = 0; i < n && (i + 1) * 4 <= c.size(); ++i) codes[i] = GetI32(&c[i * 4]);
    return codes;
}

void TableRecord::StoreCellCodes(const std::vector<int32_t>& codes) {
    Bytes c;
    c.reserve(codes.size() * 4);
    for (int32_t v : codes) AppendI32(c, v);
    t_->SetContent(std::move(c));
    SetHasBackgrounds(true);
    SetBackgroundFormat(2);
}

bool TableRecord::CellStreamLengthWrong() const {
    if (!HasBackgrounds()) return false;
    // A table whose stream was never written (the field as initialised, no
    // bytes) has transparent cells and nothing to put right.
    const uint64_t n = t_->ContentLength();
    return n != 0 && n != uint64_t(Rows()) * uint64_t(Columns()) * 4;
}

CellBackground CellBackground::Decode(int32_t code) {
    if (code >= 0 && code <= 0x01FFFFFF) return Colour(code);
    if ((uint32_t(code) & 0xFF000000u) == uint32_t(kCellPictureCode)) return Picture(code & 0xFFFFFF);
    return {};
}

int32_t CellBackground::Code() const {
    switch (kind) {
        case Kind::Colour: return value & 0xFFFFFF;
        case Kind::Picture: return kCellPictureCode + (value & 0xFFFFFF);
        default: return -1;
    }
}

const std::vector<std::string>& TableTemplateNames() {
    static const std::vector<std::string> names = {
        "Semplice",
        "Righe alternate",
        "Righe colorate alternate",
        "Colonne alternate",
        "Colonne colorate alternate",
        "Prima colonna",
        "Ultima colonna",
        "Prima riga e colonna",
        "Prima riga e ultima colonna",
        "Ultima riga e colonna",
        "Ultima riga e prima colonna",
        "Lista",
    };
    return names;
}

std::vector<int32_t> TemplateCodes(int32_t t, int32_t rows, int32_t cols, int32_t first,
                                   int32_t second) {
    std::vector<int32_t> out;
    out.reserve(size_t(rows) * size_t(cols));
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < cols; ++c) {
            const bool evenRow = r % 2 == 0, evenCol = c % 2 == 0;
            const bool firstRow = r == 0, lastRow = r == rows - 1;
            const bool firstCol = c == 0, lastCol = c == cols - 1;
            int32_t v = -1;
            switch (t) {
                case 1: v = evenRow ? first : -1; break;
                case 2: v = evenRow ? first : second; break;
                case 3: v = evenCol ? first : -1; break;
                case 4: v = evenCol ? first : second; break;
                case 5: v = firstCol ? first : -1; break;
                case 6: v = lastCol ? first : -1; break;
                case 7: v = firstRow || firstCol ? first : -1; break;
                case 8: v = firstRow || lastCol ? first : -1; break;
                case 9: v = lastRow || lastCol ? first : -1; break;
                case 10: v = lastRow || firstCol ? first : -1; break;
                case 11: v = lastCol ? second : evenRow ? first : -1; break;
                default: break;
            }
            out.push_back(v);
        }
    return out;
}

std::string CheckNewTableSize(int32_t rows, int32_t columns) {
    if (rows < 1 || rows > kMaxNewTableRows) return "Le righe vanno da 1 a 200.";
    if (columns < 1 || columns > kMaxTableColumns) return kTooManyColumns;
    if (int64_t(rows) * columns > kMaxTableCells) return kTooManyCells;
    return {};
}

std::string SetUpNewTable(THQVoggetto& table, const NewTableChoice& c) {
    if (std::string err = CheckNewTableSize(c.rows, c.columns); !err.empty()) return err;
    TableRecord r(table);
    r.SetRows(c.rows);
    r.SetColumns(c.columns);
    r.SetBorder(c.border ? 1 : 0);
    if (c.templateIndex < 0 || c.templateIndex >= int32_t(TableTemplateNames().size())) return {};
    r.SetTemplate(uint8_t(c.templateIndex));
    const int32_t each = 100 / c.columns;
    for (int32_t col = 0; col < c.columns; ++col) {
        r.SetColumnMode(col, kColumnPercent);
        r.SetColumnWidth(col, each);
    }
    r.SetWidthPercent(each * c.columns);
    r.SetPercentWidth(true);
    if (c.templateIndex == 0) return {};
    r.SetSpacing(0);
    const int32_t first =
        c.picture >= 0 ? CellBackground::Picture(c.picture).Code() : CellBackground::Colour(c.firstColour).Code();
    const int32_t second = CellBackground::Colour(c.secondColour).Code();
    r.StoreCellCodes(TemplateCodes(c.templateIndex, c.rows, c.columns, first, second));
    return {};
}

}  // namespace ovik
