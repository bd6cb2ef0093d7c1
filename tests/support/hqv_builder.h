// Builds .HQV files byte by byte for tests, from a readable description in
// which a case can override one field: a header byte, one kind-table entry, one
// record, X, or cut the file at byte N.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/bytes.h"

namespace ovik::testing {

struct HqvBuilder {
    HqvBuilder();

    std::array<uint8_t, 1978> header{};
    int highestKind = 25;  // K

    struct Kind {
        std::vector<Bytes> records;
        int32_t recordSize = 0;
        std::optional<int32_t> offset, size, count;  // overrides of the table entry
    };
    std::array<Kind, 27> kinds;
    Bytes data;
    std::optional<int32_t> x;  // override of the records-area length

    void SetVersion(uint16_t v) { PutU16(&header[1621], v); }
    void SetI32(size_t off, int32_t v) { PutI32(&header[off], v); }

    // Appends bytes to the data area; returns their position (relative to D).
    int32_t AddData(const Bytes& b);
    int32_t AddData(const std::string& s) { return AddData(Bytes(s.begin(), s.end())); }

    // A record of `size` bytes filled with 0xFF and the given state byte.
    static Bytes Record(size_t size, uint8_t state);
    // A page record (292 bytes by default) with title and content in the data area.
    Bytes PageRecord(const std::string& title, const std::string& contentWithZero,
                     size_t size = 292);
    // A picture record with its bytes in the data area.
    Bytes PictureRecord(const std::string& name, const std::string& fileName, const Bytes& bytes);
    // An embedded-file record with its bytes in the data area.
    Bytes FileRecord(const std::string& fileName, const Bytes& bytes);
    // The two default styles.
    void AddDefaultStyles();

    void Add(int kind, Bytes record, int32_t recordSize);

    Bytes Build() const;
    void WriteTo(const std::filesystem::path& p, std::optional<size_t> cutAt = std::nullopt) const;
};

// A fresh folder under the temporary folder, removed when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

Bytes ReadFileBytes(const std::filesystem::path& p);
void WriteFileBytes(const std::filesystem::path& p, const Bytes& b);

}  // namespace ovik::testing
