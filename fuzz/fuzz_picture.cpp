// Fuzzes the picture decoding that AddPictureFile and Picture() rely on: any
// bytes must be decoded or refused, never read out of bounds, never end the
// process. Small decoded bitmaps also go through the GIF encoder and back, as
// a bitmap added from a file does.
//
//   fuzz_picture -max_len=65536 CORPUS_DIR SEED_DIR
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "document/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> bytes(data, size);
    // ".wmf" also lets bytes without any signature reach the plain-WMF reader.
    ovik::PictureResult r = ovik::DecodePicture(bytes, "fuzz.wmf");
    if (!r) return 0;
    const ovik::DecodedPicture& p = *r.picture;
    if (p.width <= 0 || p.height <= 0) std::abort();
    if (p.IsMetafile()) {
        if (p.metafile.size() != size) std::abort();
        return 0;
    }
    if (p.rgba.size() != size_t(p.width) * size_t(p.height) * 4) std::abort();
    if (uint64_t(p.width) * uint64_t(p.height) <= 64 * 64) {
        ovik::Bytes gif;
        if (ovik::EncodeGif(p, gif)) {
            ovik::PictureResult back = ovik::DecodeGif(gif);
            if (!back || back.picture->width != p.width || back.picture->height != p.height)
                std::abort();
        }
    }
    return 0;
}
