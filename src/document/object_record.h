// The object record of one object: 668 bytes as every reader sees them, of
// which only the leading bytes that were ever written are kept. Every byte
// past the kept ones reads as 0xFF (the value the whole record holds when it
// is made free), so a record costs what its kind stores - 28 bytes for a
// marker, 292 for a page - instead of the full 668. Writing a field past the
// end grows the kept part (to at least `hint` bytes, the kind's record size,
// so that filling a new record costs one allocation).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

#include "document/kinds.h"

namespace ovik {

class ObjectRecord {
public:
    using Full = std::array<uint8_t, kObjectRecordSize>;

    ObjectRecord() = default;
    ObjectRecord(const ObjectRecord& o) { *this = o; }
    ObjectRecord& operator=(const ObjectRecord& o) {
        if (this == &o) return *this;
        if (o.size_ == 0) {
            Clear();
        } else {
            auto p = std::make_unique<uint8_t[]>(o.size_);
            std::memcpy(p.get(), o.bytes_.get(), o.size_);
            bytes_ = std::move(p);
            size_ = o.size_;
        }
        return *this;
    }

    // How many leading bytes are kept.
    size_t Kept() const { return size_; }
    uint8_t Get(size_t off) const { return off < size_ ? bytes_[off] : 0xFF; }
    // `n` bytes from `off` into `out`, 0xFF past the kept part.
    void Copy(size_t off, size_t n, uint8_t* out) const {
        size_t inside = off < size_ ? std::min(n, size_ - off) : 0;
        if (inside) std::memcpy(out, bytes_.get() + off, inside);
        if (inside < n) std::memset(out + inside, 0xFF, n - inside);
    }
    // Bytes [off, off + n) for reading, when all are kept (else null).
    const uint8_t* Kept(size_t off, size_t n) const {
        return off + n <= size_ ? bytes_.get() + off : nullptr;
    }
    // Bytes [off, off + n) for writing; the kept part grows to hold them.
    uint8_t* Writable(size_t off, size_t n, size_t hint) {
        const size_t need = std::min(off + n, kObjectRecordSize);
        if (need > size_) Grow(std::max(need, std::min(hint, kObjectRecordSize)));
        return bytes_.get() + off;
    }
    // The whole record filled with `v`: for 0xFF nothing needs to be kept.
    void Fill(uint8_t v) {
        if (v == 0xFF) {
            Clear();
            return;
        }
        Grow(kObjectRecordSize);
        std::memset(bytes_.get(), v, size_);
    }
    // The record becomes the first `n` bytes of `src` (0xFF after them).
    void Assign(const uint8_t* src, size_t n) {
        n = std::min(n, kObjectRecordSize);
        // Trailing 0xFF bytes read the same when they are not kept.
        while (n > 0 && src[n - 1] == 0xFF) --n;
        Clear();
        if (n == 0) return;
        bytes_ = std::make_unique<uint8_t[]>(n);
        std::memcpy(bytes_.get(), src, n);
        size_ = n;
    }
    Full AsArray() const {
        Full a;
        Copy(0, a.size(), a.data());
        return a;
    }
    bool operator==(const ObjectRecord& o) const {
        const size_t n = std::max(size_, o.size_);
        for (size_t i = 0; i < n; ++i)
            if (Get(i) != o.Get(i)) return false;
        return true;
    }

private:
    void Clear() {
        bytes_.reset();
        size_ = 0;
    }
    void Grow(size_t n) {
        if (n <= size_) return;
        auto p = std::make_unique<uint8_t[]>(n);
        if (size_) std::memcpy(p.get(), bytes_.get(), size_);
        std::memset(p.get() + size_, 0xFF, n - size_);
        bytes_ = std::move(p);
        size_ = n;
    }

    std::unique_ptr<uint8_t[]> bytes_;
    size_t size_ = 0;
};

}  // namespace ovik
