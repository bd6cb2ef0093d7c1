// Pictures of a hypertext: decoding the bytes of a picture object, and the
// encoders that turn a bitmap into the GIF or JPEG file the hypertext stores.
//
// A hypertext stores pictures as the files they came from: GIF, JPEG, WMF or
// EMF. Decoding gives their size, frame count and transparency and, for GIF
// and JPEG, the pixels of the first frame; metafiles are kept as their bytes,
// with the size their header gives. Bitmaps (".bmp") are never stored: they
// are decoded here and re-encoded as a GIF of at most 256 colours, or as a JPEG
// when the GIF cannot be made.
//
// Every decoder takes untrusted bytes: it refuses what it cannot read with a
// message and never reads outside the input, whatever its headers claim.
#pragma once

#include <cstdint>
#include <array>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/bytes.h"

namespace ovik {

enum class PictureFormat : uint8_t { Gif, Jpeg, Bmp, Wmf, Emf, Png };

// The largest picture decoded, in pixels (its RGBA pixels take four bytes
// each). Larger pictures are refused rather than allocated.
inline constexpr uint64_t kMaxPicturePixels = uint64_t(1) << 26;

// Lowers (or restores) the largest picture the decoders accept, for the whole
// process. The fuzzer sets a small limit so that inputs claiming large pictures
// are refused at once instead of allocating and filling hundreds of megabytes.
void SetPictureDecodeLimit(uint64_t pixels);
uint64_t PictureDecodeLimit();

// A metafile whose header gives no size shows at this size, like a placement
// without a picture.
inline constexpr int kDefaultMetafileSize = 100;

struct DecodedPicture {
    PictureFormat format = PictureFormat::Gif;
    int width = 0;
    int height = 0;
    int frames = 1;
    bool transparent = false;
    // GIF, JPEG and BMP: the first frame, width * height pixels of R, G, B, A,
    // row by row from the top. Empty for metafiles.
    std::vector<uint8_t> rgba;
    // WMF and EMF: the file's bytes as they are.
    Bytes metafile;

    bool IsMetafile() const { return format == PictureFormat::Wmf || format == PictureFormat::Emf; }
};

struct PictureResult {
    std::shared_ptr<DecodedPicture> picture;  // null when refused
    std::string error;                        // why it was refused
    explicit operator bool() const { return picture != nullptr; }
    // A refusal, with its reason.
    static PictureResult Refused(std::string why) {
        PictureResult r;
        r.error = std::move(why);
        return r;
    }
};

// Decodes picture bytes; the format is told by the bytes themselves. `fileName`
// (its extension) only decides for a WMF without the placeable header, which
// has no signature of its own.
PictureResult DecodePicture(std::span<const uint8_t> data, std::string_view fileName = {});

PictureResult DecodeGif(std::span<const uint8_t> data);
PictureResult DecodeJpeg(std::span<const uint8_t> data);
PictureResult DecodeBmp(std::span<const uint8_t> data);
// WMF (placeable or not) and EMF: size from the header, bytes kept.
PictureResult DecodeMetafile(std::span<const uint8_t> data, PictureFormat format);

// Encodes a bitmap (rgba of width * height) as a one-frame GIF, reduced to an
// optimal palette of at most 256 colours by colour quantization with
// dithering. Pixels with alpha below 128 become the transparent colour.
bool EncodeGif(const DecodedPicture& bitmap, Bytes& out, std::string* error = nullptr);

// Writes a one-frame GIF (at 0, 0, not interlaced) of palette indexes, with a
// graphic control extension marking `transparent` when it is 0 or more.
bool WriteIndexedGif(int width, int height, const std::vector<std::array<uint8_t, 3>>& colours,
                     const std::vector<uint8_t>& indexes, int transparent, Bytes& out);

// The JPEG encoder's own default quality.
inline constexpr int kJpegDefaultQuality = 75;
bool EncodeJpeg(const DecodedPicture& bitmap, int quality, Bytes& out,
                std::string* error = nullptr);

}  // namespace ovik
