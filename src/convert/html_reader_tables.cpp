// Tables of an HTML file: TABLE, TR, TD and TH, the filled-in cells of short
// rows, the split of tables too large to store, and the final cell pass that
// gives every cell its paragraph.
#include <algorithm>
#include <cstring>

#include "convert/html_reader.h"
#include "document/format1.h"
#include "document/hqv_set.h"

namespace ovik {

namespace fs = std::filesystem;

namespace {

constexpr int32_t kMaxColumns = 50, kMaxRows = 255, kMaxCells = 8191;

int32_t RowLimit(int32_t columns) { return std::min(kMaxRows, kMaxCells / std::max(columns, 1)); }

// A cell or row background: a picture (0x03000000 + its number), a colour, or -1.
int32_t BackgroundOf(THQVset& set, const HtmlAttributes& a, const fs::path& folder, int32_t fallback) {
    if (const std::string* bg = a.Find("BACKGROUND")) {
        fs::path p = ResolveHtmlPath(folder, *bg);
        if (THQVoggetto* pic = p.empty() ? nullptr : set.AddPictureFile(p)) return 0x03000000 + pic->Number();
    }
    if (const std::string* c = a.Find("BGCOLOR")) return HtmlColour(*c, 0xFFFFFF) & 0xFFFFFF;
    return fallback;
}

}  // namespace

HtmlTable* HtmlReader::TableOf(THQVoggetto* o) {
    if (!o) return nullptr;
    for (auto it = tables_.rbegin(); it != tables_.rend(); ++it)
        if ((*it)->object == o) return it->get();
    return nullptr;
}

void HtmlReader::CellMode() {
    cur_.styleNumber = 1;
    cur_.classFlag = false;
    if (THQVoggetto* s = set_.GetObject(stileParagrafo, 1)) cur_.TakeStyle(*s);
    counter_ = -1;
    pre_ = false;
}

void HtmlReader::TableStart() {
    if (tableDepth_ >= kMaxDepth) return;
    Push(0);
    ++tableDepth_;
    if (extended && markerTable_) {
        THQVoggetto* t = markerTable_;
        markerTable_ = nullptr;
        if (const std::string* w = attrs_.Find("WIDTH")) {
            if (w->find('%') != std::string::npos) {
                t->SetU8(55, 1);
                t->SetU8(89, uint8_t(std::clamp(HtmlNumber(*w, 100), 1, 255)));
            } else if (HtmlNumber(*w, -1) >= 0) {
                t->SetU8(55, 0);
                t->SetI16(56, int16_t(std::min(HtmlNumber(*w, 0), 32767)));
            }
        }
        int32_t pad = HtmlNumber(attrs_.Value("CELLPADDING"), -1), sp = HtmlNumber(attrs_.Value("CELLSPACING"), -1);
        if (pad >= 0 && pad <= 19) t->SetU8(90, uint8_t(pad));
        if (sp >= 0 && sp <= 19) t->SetU8(91, uint8_t(sp));
        cur_.table = t;
        CellMode();
        return;
    }
    auto t = set_.NewObject(tabellaHtml);
    const std::string* w = attrs_.Find("WIDTH");
    if (w && w->find('%') == std::string::npos && HtmlNumber(*w, -1) >= 0) {
        t->SetU8(55, 0);
        t->SetI16(56, int16_t(std::min(HtmlNumber(*w, 0), 32767)));
    } else {
        t->SetU8(55, 1);
        t->SetU8(89, uint8_t(std::clamp(w ? HtmlNumber(*w, 100) : 100, 1, 255)));
    }
    if (const std::string* b = attrs_.Find("BORDER")) t->SetU8(92, uint8_t(std::clamp(HtmlNumber(*b, 1), 0, 20)));
    if (const std::string* bg = attrs_.Find("BGCOLOR")) t->SetI32(207, HtmlColour(*bg, 0xFFFFFF) & 0xFFFFFF);
    if (const std::string* bg = attrs_.Find("BACKGROUND")) {
        fs::path p = Resolve(*bg);
        if (THQVoggetto* pic = p.empty() ? nullptr : set_.AddPictureFile(p)) t->SetI32(207, 0x03000000 + pic->Number());
    }
    int32_t pad = HtmlNumber(attrs_.Value("CELLPADDING"), -1), sp = HtmlNumber(attrs_.Value("CELLSPACING"), -1);
    if (pad >= 0 && pad <= 19) t->SetU8(90, uint8_t(pad));
    if (sp >= 0 && sp <= 19) t->SetU8(91, uint8_t(sp));
    // Columns without a WIDTH share the table's width.
    for (size_t c = 0; c < size_t(kMaxColumns); ++c) {
        t->SetU8(5 + c, 2);
        t->SetI16(97 + 2 * c, 100);
    }
    t->SetU8(93, 0);
    t->SetU8(94, 0);
    THQVoggetto* reg = Store(t);
    if (!reg) return;
    if (counter_ != 0) OpenParagraph();
    uint8_t digits[8];
    WriteTagDigits(digits, uint32_t(reg->Id()));
    markup_ += "<$";
    markup_.append(reinterpret_cast<const char*>(digits), 8);
    markup_ += ">";
    auto entry = std::make_unique<HtmlTable>();
    entry->object = reg;
    tables_.push_back(std::move(entry));
    cur_.table = reg;
    CellMode();
}

void HtmlReader::MarkerTable() {
    auto t = set_.NewObject(tabellaHtml);
    const int32_t rows = std::clamp(HtmlNumber(attrs_.Value("R"), 1), 1, kMaxRows);
    const int32_t cols = std::clamp(HtmlNumber(attrs_.Value("C"), 1), 1, kMaxColumns);
    t->SetU8(93, uint8_t(std::min(rows, RowLimit(cols))));
    t->SetU8(94, uint8_t(cols));
    t->SetU8(92, 1);
    for (int32_t c = 0; c < cols; ++c) {
        t->SetI16(97 + 2 * size_t(c), int16_t(HtmlNumber(attrs_.Value("W" + std::to_string(c)), 30)));
        t->SetU8(5 + size_t(c), uint8_t(std::clamp(HtmlNumber(attrs_.Value("P" + std::to_string(c)), 0), 0, 2)));
    }
    THQVoggetto* reg = Store(t);
    if (!reg) return;
    auto entry = std::make_unique<HtmlTable>();
    entry->object = reg;
    entry->expectedCells = int32_t(reg->U8(93)) * cols;
    entry->columns = cols;
    entry->rowsEnded = reg->U8(93);
    entry->placed = true;
    tables_.push_back(std::move(entry));
    markerTable_ = reg;
    WriteObjectTag(*reg);
    counter_ = 0;
}

void HtmlReader::RowStart() {
    HtmlTable* t = TableOf(cur_.table);
    if (!t || extended) return;
    if (t->cellOpen) CellEnd();
    if (t->rowOpen) RowEnd();
    if (t->rowsEnded > 0 && t->rowsEnded >= RowLimit(t->columns)) SplitTable();
    t = TableOf(cur_.table);
    t->cellsInRow = 0;
    t->rowOpen = true;
    t->rowBackground = BackgroundOf(set_, attrs_, folder_, -1);
}

void HtmlReader::SplitTable() {
    // The rows so far stay one table; the next rows go into a new table of
    // the same kind, placed right after it.
    HtmlTable* t = TableOf(cur_.table);
    if (!t) return;
    StoreTable(*t);
    auto next = set_.NewObject(tabellaHtml);
    next->SetRecord(t->object->Record());
    next->SetU8(93, 0);
    next->SetU8(94, 0);
    THQVoggetto* reg = Store(next);
    if (!reg) return;
    uint8_t digits[8];
    WriteTagDigits(digits, uint32_t(reg->Id()));
    markup_ += "<Z S1 ><$";
    markup_.append(reinterpret_cast<const char*>(digits), 8);
    markup_ += ">";
    THQVoggetto* old = t->object;
    auto entry = std::make_unique<HtmlTable>();
    entry->object = reg;
    tables_.push_back(std::move(entry));
    if (cur_.table == old) cur_.table = reg;
    for (auto& [kind, state] : stack_)
        if (state.table == old && kind != 0) state.table = reg;
    // The saved state of the table itself keeps its outer table.
    counter_ = -1;
}

void HtmlReader::CellStart() {
    HtmlTable* t = TableOf(cur_.table);
    if (!t) return;
    if (t->cellOpen) CellEnd();
    if (!extended) {
        if (!t->rowOpen && t->rowsEnded > 0 && t->rowsEnded >= RowLimit(t->columns)) SplitTable();
        t = TableOf(cur_.table);
        t->rowOpen = true;
    }
    Push(1);
    CellMode();
    if (!extended) {
        if (t->rowsEnded == 0 && t->columns < kMaxColumns) {
            const size_t c = size_t(t->columns);
            if (const std::string* w = attrs_.Find("WIDTH")) {
                if (w->empty() || *w == "*") {
                    t->object->SetU8(5 + c, 2);
                    t->object->SetI16(97 + 2 * c, 100);
                } else if (w->find('%') != std::string::npos) {
                    t->object->SetU8(5 + c, 0);
                    t->object->SetI16(97 + 2 * c, int16_t(std::clamp(HtmlNumber(*w, 100), 0, 32767)));
                } else {
                    t->object->SetU8(5 + c, 1);
                    t->object->SetI16(97 + 2 * c, int16_t(std::clamp(HtmlNumber(*w, 100), 0, 32767)));
                }
            }
        }
        AppendI32(t->backgrounds, BackgroundOf(set_, attrs_, folder_, t->rowBackground));
    }
    t->cellOpen = true;
    t->cellStart = markup_.size();
}

void HtmlReader::CellEnd() {
    Close(1);
    DropEndSpace();
    HtmlTable* t = TableOf(cur_.table);
    if (!t || !t->cellOpen) return;
    t->cellOpen = false;
    if (extended) {
        OpenPendingParagraph();
        markup_ += "<T>";
        counter_ = -1;
        if (t->expectedCells > 0) --t->expectedCells;
        return;
    }
    t->expectedCells = 0;
    // Cells past the last column run on into the last cell: the end of a
    // row's last cell is written when the row ends.
    bool beyond = false, last = false;
    if (t->rowsEnded == 0) {
        beyond = t->columns >= kMaxColumns;
        t->columns = std::min(t->columns + 1, kMaxColumns);
        last = t->columns == kMaxColumns;
    } else {
        ++t->cellsInRow;
        beyond = t->cellsInRow > t->columns;
        last = t->cellsInRow == t->columns;
    }
    CellEndParagraph(*t);
    if (last) t->lastCellPending = true;
    else if (!beyond) {
        markup_ += "<T>";
        counter_ = -1;
    }
}

void HtmlReader::CellEndParagraph(const HtmlTable& t) {
    // An empty cell still gets a paragraph. A page this program exported
    // ends each cell's last paragraph with its DIV: there the cell ends
    // without another, empty paragraph.
    if (ownPage && counter_ < 0 && markup_.find("<Z S", t.cellStart) != std::string::npos) return;
    OpenPendingParagraph();
}

void HtmlReader::EndLastCell(HtmlTable& t) {
    if (!t.lastCellPending) return;
    t.lastCellPending = false;
    DropEndSpace();
    CellEndParagraph(t);
    markup_ += "<T>";
    counter_ = -1;
}

void HtmlReader::RowEnd() {
    HtmlTable* t = TableOf(cur_.table);
    if (!t || extended) return;
    if (t->cellOpen) CellEnd();
    EndLastCell(*t);
    if (t->rowsEnded > 0)
        for (int32_t k = t->cellsInRow; k < t->columns; ++k) {
            markup_ += "<Z S0 ><patchtr><T>";
            counter_ = -1;
        }
    t->cellsInRow = t->columns;
    ++t->rowsEnded;
    t->rowOpen = false;
    counter_ = -1;
}

void HtmlReader::StoreTable(HtmlTable& t) {
    THQVoggetto& o = *t.object;
    if (!t.placed) {
        o.SetU8(93, uint8_t(std::min(t.rowsEnded, kMaxRows)));
        o.SetU8(94, uint8_t(std::min(t.columns, kMaxColumns)));
    }
    if (!t.backgrounds.empty()) o.SetContent(t.backgrounds);
}

void HtmlReader::TableEnd() {
    HtmlTable* t = TableOf(cur_.table);
    if (!t) {
        return;
    }
    if (t->cellOpen) CellEnd();
    if (!extended && t->rowOpen && t->rowsEnded > 0) RowEnd();
    EndLastCell(*t);
    if (t->rowsEnded > 0 && !t->placed) {
        for (int32_t k = t->cellsInRow; k < t->columns; ++k) markup_ += "<Z S1 ><patchc><T>";
    } else if (t->columns > 0 && !t->placed) {
        t->rowsEnded = 1;
    }
    t->cellsInRow = t->columns;
    for (int32_t k = 0; k < t->expectedCells; ++k) markup_ += "<Z S1 ><patchm><T>";
    t->expectedCells = 0;
    if (!extended && !t->placed && (t->rowsEnded == 0 || t->columns == 0)) {
        markup_ += "<T>";
        t->rowsEnded = 1;
        t->columns = 1;
    }
    StoreTable(*t);
    Close(0);
    if (tableDepth_ > 0) --tableDepth_;
    if (!cur_.table) {
        cur_.styleNumber = 0;
        cur_.classFlag = false;
        if (THQVoggetto* s = set_.GetObject(stileParagrafo, 0)) cur_.TakeStyle(*s);
    }
    counter_ = -1;
}

void HtmlReader::FlushTables() {
    // Tables the file leaves open end here, innermost first.
    for (size_t guard = 0; cur_.table && guard <= kMaxDepth + 1; ++guard) {
        THQVoggetto* before = cur_.table;
        TableEnd();
        if (cur_.table == before) break;
    }
    for (auto& t : tables_) StoreTable(*t);
}

void HtmlReader::CellPass(std::string& in) {
    if (in.find("<Z S") == std::string::npos) in.insert(0, "<Z S0 >");
    struct Open {
        THQVoggetto* table;
        int64_t remaining;
    };
    std::vector<Open> open;
    const std::string para = "<Z S1 >";
    // The result is built afresh, so that a page of many cells costs one
    // pass, never an insertion into the middle of a long text.
    std::string m;
    m.reserve(in.size() + in.size() / 8);
    auto isParagraphAt = [&](size_t k) {
        while (k < in.size() && uint8_t(in[k]) < 32) ++k;
        return in.compare(k, 2, "<Z") == 0;
    };
    size_t firstTag = std::string::npos;  // in the result
    size_t i = 0;
    while (i < in.size()) {
        const size_t lt = in.find('<', i);
        if (lt == std::string::npos) {
            m.append(in, i, std::string::npos);
            break;
        }
        m.append(in, i, lt - i);
        i = lt;
        if (firstTag == std::string::npos) firstTag = m.size();
        if (in.compare(i, 4, "<$08") == 0 && i + 11 <= in.size()) {
            const int32_t id = int32_t(ParseTagDigits(reinterpret_cast<const uint8_t*>(in.data()) + i + 2));
            THQVoggetto* t = set_.GetObjectById(id);
            if (!t || t->Kind() != tabellaHtml || t->IsFree()) {
                m.append(in, i, 2);
                i += 2;
                continue;
            }
            const int32_t cols = t->U8(94);
            if (cols == 0) {
                m.append(11, '\t');
                t->MakeFree();
                i += 11;
                continue;
            }
            if (t->U8(93) == 0) t->SetU8(93, 1);
            const int32_t cells = int32_t(t->U8(93)) * cols;
            open.push_back({t, cells});
            Bytes bg;
            if (const Bytes* c = t->MemContent()) bg = *c;
            bg.resize(std::min(bg.size(), size_t(cells) * 4));
            while (bg.size() < size_t(cells) * 4) AppendI32(bg, -1);
            t->SetContent(std::move(bg));
            t->SetI32(81, 1);
            // The table's tag stands at the start of its own paragraph.
            size_t j = m.size();
            bool before = false, atStart = false;
            while (true) {
                while (j > 0 && uint8_t(m[j - 1]) < 32) --j;
                if (j == 0) {
                    atStart = true;
                    break;
                }
                if (m[j - 1] != '>') {
                    before = true;
                    break;
                }
                const size_t open_lt = m.rfind('<', j - 1);
                if (open_lt == std::string::npos) {
                    before = true;
                    break;
                }
                if (m.compare(open_lt, 2, "<Y") == 0) {
                    j = open_lt;
                    continue;
                }
                if (m.compare(open_lt, 2, "<Z") == 0) {
                    atStart = open_lt == firstTag;
                    break;
                }
                before = true;
                break;
            }
            if (atStart) m.insert(0, para);
            else if (before) m += para;
            m.append(in, i, 11);
            i += 11;
            if (!isParagraphAt(i)) m += para;
            continue;
        }
        if (in.compare(i, 3, "<T>") == 0) {
            i += 3;
            if (open.empty()) {
                m.append(3, '\t');
                continue;
            }
            m += "<T>";
            size_t k = i;
            while (k < in.size() && uint8_t(in[k]) < 32) ++k;
            const bool nextT = in.compare(k, 3, "<T>") == 0;
            if (!isParagraphAt(i) && (!nextT || open.back().remaining > 1)) m += para;
            --open.back().remaining;
            while (!open.empty() && open.back().remaining <= 0) open.pop_back();
            continue;
        }
        m += '<';
        ++i;
    }
    for (auto it = open.rbegin(); it != open.rend(); ++it) {
        for (int64_t k = 0; k < it->remaining; ++k) m += "<Z S1 ><T>";
        m += para;
    }
    in.swap(m);
}

}  // namespace ovik
