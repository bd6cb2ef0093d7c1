// Little-endian access to fixed records and growing byte buffers.
//
// Records of the hypertext file are plain byte blocks whose fields sit at fixed
// offsets; these helpers read and write them without alignment or aliasing
// concerns. Callers guarantee that offset + width lies inside the block (the
// blocks are fixed-size arrays); use ByteReader for data that comes from outside.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace ovik {

using Bytes = std::vector<uint8_t>;

inline uint16_t GetU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline int16_t GetI16(const uint8_t* p) { return int16_t(GetU16(p)); }
inline uint32_t GetU32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline int32_t GetI32(const uint8_t* p) { return int32_t(GetU32(p)); }

inline void PutU16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void PutU32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
inline void PutI32(uint8_t* p, int32_t v) { PutU32(p, uint32_t(v)); }

inline void AppendU8(Bytes& b, uint8_t v) { b.push_back(v); }
inline void AppendI32(Bytes& b, int32_t v) {
    uint8_t t[4];
    PutI32(t, v);
    b.insert(b.end(), t, t + 4);
}
inline void AppendBytes(Bytes& b, const void* p, size_t n) {
    auto* c = static_cast<const uint8_t*>(p);
    b.insert(b.end(), c, c + n);
}
inline void AppendString(Bytes& b, std::string_view s) { AppendBytes(b, s.data(), s.size()); }

// A short string string[n]: a length byte (0..n) and n bytes, the first `length` of
// which are the text. A stored length above n is clamped to n so that a damaged
// record never reads past its field.
inline std::string GetShortString(const uint8_t* field, size_t maxLen) {
    size_t len = field[0];
    if (len > maxLen) len = maxLen;
    return std::string(reinterpret_cast<const char*>(field + 1), len);
}
inline void PutShortString(uint8_t* field, size_t maxLen, std::string_view text) {
    size_t len = text.size() < maxLen ? text.size() : maxLen;
    field[0] = uint8_t(len);
    if (len) std::memcpy(field + 1, text.data(), len);
}

}  // namespace ovik
