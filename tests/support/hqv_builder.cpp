#include "support/hqv_builder.h"

#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace ovik::testing {

namespace fs = std::filesystem;

HqvBuilder::HqvBuilder() {
    std::memcpy(&header[0], "VOKS", 4);
    PutShortString(&header[4], 79, "Prova");
    header[1620] = 25;
    SetVersion(2);
    SetI32(1632, 5);
    SetI32(1724, -1);
    SetI32(1728, -1);
    SetI32(1736, 0xC0C0C0);
    SetI32(1740, -1);
    PutU16(&header[1744], 1033);
    SetI32(1750, 0xFF0000);
    SetI32(1754, 0x0000FF);
    static const int32_t sizes[27] = {292, 133, 93, 93, 80, 667, 667, 465, 220, 112, 47, 28, 80, 67,
                                      0,   0,   553, 103, 38, 75, 192, 460, 203, 364, 46, 0,  0};
    for (int k = 0; k < 27; ++k) kinds[size_t(k)].recordSize = sizes[k];
}

int32_t HqvBuilder::AddData(const Bytes& b) {
    int32_t pos = int32_t(data.size());
    data.insert(data.end(), b.begin(), b.end());
    return pos;
}

Bytes HqvBuilder::Record(size_t size, uint8_t state) {
    Bytes r(size, 0xFF);
    if (size > 4) r[4] = state;
    return r;
}

Bytes HqvBuilder::PageRecord(const std::string& title, const std::string& content, size_t size) {
    Bytes r(std::max<size_t>(size, 292), 0xFF);
    r[4] = 0;
    PutShortString(&r[5], 71, title);
    PutI32(&r[89], 0);
    PutI32(&r[93], 0xFF0000);
    PutI32(&r[97], 0xFF);
    PutI32(&r[101], 0xC0C0C0);
    PutU16(&r[191], 1040);
    r[195] = 2;
    PutI32(&r[196], 4);
    PutShortString(&r[200], 20, "");
    PutU16(&r[221], 5);
    PutI32(&r[0], AddData(content));
    PutI32(&r[185], int32_t(content.size()));
    PutI32(&r[239], 0);
    PutI32(&r[243], 0);
    r.resize(size);
    return r;
}

Bytes HqvBuilder::PictureRecord(const std::string& name, const std::string& fileName,
                                const Bytes& bytes) {
    Bytes r(667, 0xFF);
    r[4] = 0;
    PutShortString(&r[5], 71, name);
    PutI32(&r[77], 4);
    PutU16(&r[85], 16);
    PutU16(&r[87], 8);
    PutShortString(&r[94], 75, fileName);
    PutI32(&r[170], -2);
    PutI32(&r[0], AddData(bytes));
    PutI32(&r[174], int32_t(bytes.size()));
    PutI32(&r[662], -1);
    r[666] = 0;
    return r;
}

Bytes HqvBuilder::FileRecord(const std::string& fileName, const Bytes& bytes) {
    Bytes r(93, 0xFF);
    r[4] = 4;
    PutShortString(&r[5], 79, fileName);
    PutI32(&r[0], AddData(bytes));
    PutI32(&r[85], int32_t(bytes.size()));
    PutI32(&r[89], 4);
    return r;
}

void HqvBuilder::AddDefaultStyles() {
    for (bool table : {false, true}) {
        const char* name = table ? "[nessuno stile tabella]" : "[nessuno stile]";
        Bytes r(103, 0);
        r[4] = 1;
        PutShortString(&r[5], 32, name);
        PutShortString(&r[39], 32, "Times New Roman");
        PutU16(&r[72], 12);
        PutU16(&r[79], 0xFFFF);
        PutI32(&r[81], 0xFF0000);
        r[85] = 4;
        PutU16(&r[86], table ? 0 : 10);
        PutU16(&r[88], table ? 0 : 10);
        PutU16(&r[94], uint16_t(-32000));
        r[98] = 1;
        Add(17, r, 103);
    }
}

void HqvBuilder::Add(int kind, Bytes record, int32_t recordSize) {
    kinds[size_t(kind)].recordSize = recordSize;
    record.resize(size_t(recordSize), 0xFF);
    kinds[size_t(kind)].records.push_back(std::move(record));
}

Bytes HqvBuilder::Build() const {
    Bytes out(header.begin(), header.end());
    out[1620] = uint8_t(highestKind);
    Bytes records;
    Bytes table;
    for (int k = 0; k <= highestKind; ++k) {
        if (k >= 27) {  // a kind no file may list: an empty entry
            for (int f = 0; f < 3; ++f) AppendI32(table, 0);
            continue;
        }
        const Kind& kd = kinds[size_t(k)];
        AppendI32(table, kd.offset.value_or(int32_t(records.size())));
        AppendI32(table, kd.size.value_or(kd.recordSize));
        AppendI32(table, kd.count.value_or(int32_t(kd.records.size())));
        for (auto& r : kd.records) records.insert(records.end(), r.begin(), r.end());
    }
    out.insert(out.end(), table.begin(), table.end());
    AppendI32(out, x.value_or(int32_t(records.size())));
    out.insert(out.end(), records.begin(), records.end());
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

void HqvBuilder::WriteTo(const fs::path& p, std::optional<size_t> cutAt) const {
    Bytes b = Build();
    if (cutAt && *cutAt < b.size()) b.resize(*cutAt);
    WriteFileBytes(p, b);
}

TempDir::TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "ovik-test-XXXXXX").string();
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back(0);
    path_ = ::mkdtemp(buf.data());
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

Bytes ReadFileBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const fs::path& p, const Bytes& b) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

}  // namespace ovik::testing
