// Bounds-checked little-endian reader over a block of memory.
//
// Every read checks the remaining size first; a read that would run past the end
// fails, records an error naming the field, the offset and the limit, and leaves
// the position where it was. Once failed, the reader stays failed, so a caller
// may read a whole record and test `ok()` once at the end.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/bytes.h"

namespace ovik {

class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}
    ByteReader(const uint8_t* p, size_t n) : data_(p, n) {}

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    size_t offset() const { return pos_; }
    size_t size() const { return data_.size(); }
    size_t remaining() const { return data_.size() - pos_; }
    bool atEnd() const { return pos_ >= data_.size(); }

    bool seek(size_t pos, std::string_view field = "position") {
        if (!ok()) return false;
        if (pos > data_.size()) return fail(field, pos, 0);
        pos_ = pos;
        return true;
    }
    bool skip(size_t n, std::string_view field = "skip") {
        if (!ok()) return false;
        if (n > remaining()) return fail(field, pos_, n);
        pos_ += n;
        return true;
    }

    uint8_t u8(std::string_view field = "uint8") {
        const uint8_t* p = take(1, field);
        return p ? p[0] : 0;
    }
    uint16_t u16(std::string_view field = "uint16") {
        const uint8_t* p = take(2, field);
        return p ? GetU16(p) : 0;
    }
    int16_t i16(std::string_view field = "int16") { return int16_t(u16(field)); }
    int32_t i32(std::string_view field = "int32") {
        const uint8_t* p = take(4, field);
        return p ? GetI32(p) : 0;
    }
    // Returns a view of the next n bytes, or an empty span on failure.
    std::span<const uint8_t> bytes(size_t n, std::string_view field = "bytes") {
        const uint8_t* p = take(n, field);
        return p ? std::span<const uint8_t>(p, n) : std::span<const uint8_t>();
    }

private:
    const uint8_t* take(size_t n, std::string_view field) {
        if (!ok()) return nullptr;
        if (n > remaining()) {
            fail(field, pos_, n);
            return nullptr;
        }
        const uint8_t* p = data_.data() + pos_;
        pos_ += n;
        return p;
    }
    bool fail(std::string_view field, size_t at, size_t n) {
        error_ = std::string(field) + ": " + std::to_string(n) + " bytes at offset " +
                 std::to_string(at) + " pass the limit " + std::to_string(data_.size());
        return false;
    }

    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    std::string error_;
};

}  // namespace ovik
