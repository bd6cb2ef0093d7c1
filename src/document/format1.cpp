#include "document/format1.h"

#include <cstring>
#include <string>

#include "core/codepage.h"
#include "document/hqv_object.h"
#include "document/hqv_set.h"

namespace ovik {

namespace {

int HexValue(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string Hex6(int32_t colour) {
    static const char* d = "0123456789ABCDEF";
    uint32_t c = uint32_t(colour);
    uint8_t rgb[3] = {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)};
    std::string s;
    for (uint8_t b : rgb) {
        s += d[b >> 4];
        s += d[b & 15];
    }
    return s;
}

struct OldFont {
    int32_t colour = 0;
    int32_t size = 12;
    std::string face = "Times New Roman";
    int style = 0;  // bold 1, italic 2
};

class Format1Converter {
public:
    Format1Converter(THQVtesto& page, const Bytes& old) : page_(page), in_(old) {
        font_.colour = page.I32(page_rec::kTextColour);
        link_ = Hex6(page.I32(page_rec::kLinkColour));
    }

    Bytes Run() {
        out_ += "<Z S0 C" + link_ + " >";
        size_t i = 0, n = in_.size();
        while (i < n) {
            uint8_t c = in_[i];
            if (c == 0) break;
            if (c != '<') {
                if (c >= 32) {
                    FlushFont();
                    out_ += char(c);
                }
                ++i;
                continue;
            }
            size_t close = i + 1;
            while (close < n && in_[close] != '>' && in_[close] != 0) ++close;
            if (close >= n || in_[close] != '>') break;  // unterminated tag at the end
            Tag(std::string(reinterpret_cast<const char*>(&in_[i]), close - i + 1));
            i = close + 1;
        }
        Bytes result(out_.begin(), out_.end());
        result.push_back(0);
        return result;
    }

private:
    static bool Starts(const std::string& up, const char* prefix) {
        return up.compare(0, std::strlen(prefix), prefix) == 0;
    }

    void Tag(const std::string& tag) {
        std::string up = cp1252::Upper(tag);
        if (up == "<B>") {
            SetStyle(font_.style | 1);
        } else if (up == "</B>") {
            SetStyle(font_.style & ~1);
        } else if (up == "<I>") {
            SetStyle(font_.style | 2);
        } else if (up == "</I>") {
            SetStyle(font_.style & ~2);
        } else if (Starts(up, "<B") || Starts(up, "<L")) {
            NewParagraph();
        } else if (Starts(up, "<C")) {
            align_ = 2;
            NewParagraph();
        } else if (Starts(up, "<DI")) {
            align_ = (up.size() > 11 && up[11] == 'R') ? 1 : 0;
            NewParagraph();
        } else if (Starts(up, "<F")) {
            FontTag(up);
        } else if (Starts(up, "</P") || Starts(up, "</TT")) {
            SetFace("Times New Roman");
        } else if (Starts(up, "<P") || Starts(up, "<TT")) {
            SetFace("Courier New");
        } else if (Starts(up, "</U")) {
            indent_ = indent_ >= 40 ? indent_ - 40 : 0;
            NewParagraph();
        } else if (Starts(up, "<U")) {
            indent_ += 40;
            NewParagraph();
        } else if (Starts(up, "<TE") || Starts(up, "<TF")) {
            CellEnd();
        } else if (tag == "<%>") {
            out_ += "<%>";
        } else if (Starts(up, "<$") && tag.size() >= 11) {
            ObjectRef(ParseTagDigits(reinterpret_cast<const uint8_t*>(tag.data()) + 2));
        }
        // Every other old tag is dropped.
    }

    void FontTag(const std::string& up) {
        if (up.size() > 6 && up[6] == 'C') {
            if (up.size() >= 19) {
                int v[6];
                bool ok = true;
                for (int k = 0; k < 6; ++k) {
                    v[k] = HexValue(uint8_t(up[13 + size_t(k)]));
                    if (v[k] < 0) ok = false;
                }
                if (ok) {
                    int r = v[0] * 16 + v[1], g = v[2] * 16 + v[3], b = v[4] * 16 + v[5];
                    font_.colour = r | (g << 8) | (b << 16);
                    fontDirty_ = true;
                }
            }
        } else if (up.size() > 6 && up[6] == 'S') {
            static const int kSizes[7] = {8, 10, 12, 14, 19, 27, 34};
            if (up.size() > 11 && up[11] >= '1' && up[11] <= '7') {
                font_.size = kSizes[up[11] - '1'];
                fontDirty_ = true;
            }
        }
    }

    void SetStyle(int s) {
        font_.style = s;
        fontDirty_ = true;
    }
    void SetFace(const char* f) {
        font_.face = f;
        fontDirty_ = true;
    }

    void WriteFont() {
        out_ += "<Y c" + Hex6(font_.colour) + " F\"" + font_.face + "\" s" +
                std::to_string(font_.size) + " y" + std::to_string(font_.style & 3) + " p0 >";
        fontDirty_ = false;
    }

    void FlushFont() {
        if (fontDirty_) WriteFont();
    }

    void NewParagraph() {
        out_ += openCells_ > 0 ? "<Z S1 " : "<Z S0 ";
        out_ += "A" + std::to_string(align_) + " ";
        if (indent_ > 0) out_ += "l" + std::to_string(indent_) + " ";
        out_ += "C" + link_ + " >";
        WriteFont();
    }

    void CellEnd() {
        out_ += "<T>";
        if (openCells_ > 0) {
            --openCells_;
            if (!tableAlign_.empty()) {
                align_ = tableAlign_.back();
                if (openCells_ <= tableCellsBase_.back()) {
                    tableAlign_.pop_back();
                    tableCellsBase_.pop_back();
                }
            }
        }
        NewParagraph();
    }

    void WriteTag(uint32_t value) {
        FlushFont();
        char buf[12] = "<$";
        WriteTagDigits(reinterpret_cast<uint8_t*>(buf + 2), value);
        out_.append(buf, 10);
        out_ += '>';
    }

    void ObjectRef(uint32_t value) {
        THQVset* set = page_.Owner();
        uint8_t kind = uint8_t(value >> 24);
        int32_t number = int32_t(value & 0xFFFFFF);
        if (!set) {
            WriteTag(value);
            return;
        }
        if (kind == zipLink) {
            THQVoggetto* l = set->GetObject(zipLink, number);
            WriteTag(l ? uint32_t(l->Id()) : 0);
            return;
        }
        if (kind == immagine || kind == mappaClic) {
            THQVoggetto* pic = set->GetObject(kind, number);
            if (pic && pic->Kind() == immagine) {
                auto place = THQVoggetto::Create(set, immagineNew);
                place->Assign(*pic);
                THQVoggetto* reg = THQVoggetto::Register(place, -1);
                if (reg) {
                    WriteTag(uint32_t(reg->Id()));
                    return;
                }
            }
            WriteTag(value);
            return;
        }
        if (kind == inputStat) {
            THQVoggetto* el = set->GetObject(inputStat, number);
            if (el && el->State() >= 10 && el->State() <= 14) {
                auto copy = THQVoggetto::Create(set, shortObj);
                copy->Assign(*el);
                copy->SetKind(shortObj);
                copy->MarkRegistered(false);
                THQVoggetto* reg = THQVoggetto::Register(copy, -1);
                el->MakeFree();
                if (reg) {
                    WriteTag(uint32_t(reg->Id()));
                    return;
                }
            }
            WriteTag(value);
            return;
        }
        if (kind == tabellaHtml) {
            WriteTag(value);
            THQVoggetto* t = set->GetObject(tabellaHtml, number);
            if (t) {
                int cells = int(t->U8(93)) * int(t->U8(94));
                tableCellsBase_.push_back(openCells_);
                tableAlign_.push_back(align_);
                openCells_ += cells;
            }
            return;
        }
        WriteTag(value);
    }

    THQVtesto& page_;
    const Bytes& in_;
    std::string out_;
    OldFont font_;
    bool fontDirty_ = false;
    std::string link_;
    int align_ = 0;
    int indent_ = 0;
    int openCells_ = 0;
    std::vector<int> tableAlign_;
    std::vector<int> tableCellsBase_;
};

}  // namespace

uint32_t ParseTagDigits(const uint8_t* p) {
    uint32_t v = 0;
    for (int i = 0; i < 8; ++i) {
        int d = HexValue(p[i]);
        v = (v << 4) | uint32_t(d < 0 ? 0 : d);
    }
    return v;
}

void WriteTagDigits(uint8_t* p, uint32_t value) {
    static const char* d = "0123456789abcdef";
    for (int i = 7; i >= 0; --i) {
        p[i] = uint8_t(d[value & 15]);
        value >>= 4;
    }
}

std::vector<int32_t> ObjectTagsIn(const Bytes& content) {
    std::vector<int32_t> ids;
    const uint8_t* p = content.data();
    size_t n = content.size();
    const void* z = std::memchr(p, 0, n);
    if (z) n = size_t(static_cast<const uint8_t*>(z) - p);
    for (size_t i = 0; i + 1 < n; ++i) {
        if (p[i] != '<' || p[i + 1] != '$') continue;
        if (n - i < 11) break;
        ids.push_back(int32_t(ParseTagDigits(p + i + 2)));
        i += 10;
    }
    return ids;
}

Bytes ConvertContentFormat1(THQVtesto& page, const Bytes& old) {
    return Format1Converter(page, old).Run();
}

}  // namespace ovik
