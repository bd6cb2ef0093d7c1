// Frame records in tests: a record with the fields the tests care about, and
// the records of a layout written one after the other.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "core/bytes.h"
#include "view/frames.h"

namespace ovik::testing {

inline FrameRecord Rec(int32_t id, int32_t parent, const std::string& title, uint8_t arrangement = 0,
                       uint8_t mode = 0, int32_t percentage = 100, int32_t pixels = 20, int32_t page = -1) {
    FrameRecord r;
    r.id = id;
    r.parentId = parent;
    r.title = title;
    r.arrangement = arrangement;
    r.sizeMode = mode;
    r.percentage = percentage;
    r.pixels = pixels;
    r.page = page;
    return r;
}

inline Bytes Records(std::initializer_list<FrameRecord> recs) {
    Bytes out;
    for (const FrameRecord& r : recs) r.Write(out);
    return out;
}

}  // namespace ovik::testing
