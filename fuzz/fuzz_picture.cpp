// Fuzzes the picture decoding behind AddPictureFile and Picture(): any bytes
// must be decoded or refused, never read out of bounds, never end the process.
//  - DecodePicture over the bytes (the format told by their signature; ".wmf"
//    lets bytes without one reach the plain-WMF reader);
//  - AddPictureFile over the bytes written to a file whose extension matches
//    their signature (".gif" when they have none), which also converts
//    bitmaps to GIF, decodes the stored picture and looks for an equal one.
//
//   fuzz_picture -max_len=65536 CORPUS_DIR fuzz/seeds/picture
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <span>

#include "document/hqv_set.h"
#include "document/picture.h"
#include "platform/messages.h"

namespace {

const char* ExtensionFor(std::span<const uint8_t> d) {
    auto starts = [&](const char* sig, size_t n) { return d.size() >= n && std::memcmp(d.data(), sig, n) == 0; };
    if (starts("GIF8", 4)) return ".gif";
    if (starts("\xFF\xD8", 2)) return ".jpg";
    if (starts("BM", 2)) return ".bmp";
    if (starts("\xD7\xCD\xC6\x9A", 4)) return ".wmf";
    if (starts("\x01\x00\x00\x00", 4)) return ".emf";
    return ".gif";
}

}  // namespace

// Pictures over a million pixels are refused here: a few header bytes can claim
// them, and allocating and filling them would slow the fuzzer to a crawl
// without reaching any code that smaller pictures do not.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ovik::SetPictureDecodeLimit(uint64_t(1) << 20);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> bytes(data, size);
    ovik::PictureResult r = ovik::DecodePicture(bytes, "fuzz.wmf");
    if (r) {
        const ovik::DecodedPicture& p = *r.picture;
        if (p.width <= 0 || p.height <= 0) std::abort();
        if (p.IsMetafile() ? p.metafile.size() != size
                           : p.rgba.size() != size_t(p.width) * size_t(p.height) * 4)
            std::abort();
    }

    static ovik::THQVset set(ovik::platform::NullMessages());
    const std::filesystem::path file = set.TempFolder() / (std::string("input") + ExtensionFor(bytes));
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    if (ovik::THQVoggetto* o = set.AddPictureFile(file)) {
        // What was stored must decode again, at the size recorded.
        auto stored = o->Picture();
        if (!stored || stored->width != o->U16(85) || stored->height != o->U16(87)) std::abort();
        o->MakeFree();
    }
    std::filesystem::remove(file);
    return 0;
}
