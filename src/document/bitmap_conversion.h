// Turning a bitmap into the picture file a hypertext stores: the conversion
// behind a picture pasted from the clipboard, a bitmap file added to the
// album and `ovikc add-picture`.
//
// GIF: the bitmap is reduced to an optimal palette of at most 256 colours by
// colour quantization (with dithering); when that fails, every pixel takes the
// nearest colour of the fixed 216-colour web palette. With transparency the
// colour of the lower-left pixel is marked transparent. JPEG: encoded with the
// quality asked for (0 to 100). Pixels that are partly transparent in the
// source are first laid over white.
//
//   PictureResult bmp = DecodeBmp(bytes);
//   ConvertedBitmap gif = ConvertBitmap(*bmp.picture, {BitmapTarget::Gif, 75, true});
//   if (gif) Save(gif.data, "shot" + gif.extension);
#pragma once

#include <span>
#include <string>

#include "document/picture.h"

namespace ovik {

enum class BitmapTarget : uint8_t { Gif, Jpeg };

struct BitmapConversion {
    BitmapTarget as = BitmapTarget::Gif;
    int quality = kJpegDefaultQuality;  // JPEG only
    bool transparent = false;           // GIF only: the lower-left pixel's colour
};

struct ConvertedBitmap {
    Bytes data;
    std::string extension;     // ".gif" or ".jpg"
    bool transparent = false;  // a transparent colour was marked
    bool webPalette = false;   // the optimal palette could not be made
    std::string error;         // why nothing was made
    explicit operator bool() const { return !data.empty(); }
};

ConvertedBitmap ConvertBitmap(const DecodedPicture& bitmap, const BitmapConversion& how);

// The GIF of a bitmap in the 216-colour web palette (levels 0, 51, ... 255 of
// each primary, index = r * 36 + g * 6 + b), without dithering.
bool EncodeGifWebPalette(const DecodedPicture& bitmap, bool transparent, Bytes& out);

// PNG files, read through libpng (any depth and colour type, as RGBA).
PictureResult DecodePng(std::span<const uint8_t> data);

// A bitmap file for the conversion: BMP or PNG, told by its bytes.
PictureResult DecodeBitmapFile(std::span<const uint8_t> data);

}  // namespace ovik
