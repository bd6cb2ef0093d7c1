#include "document/bitmap_conversion.h"

#include <libimagequant.h>
#include <png.h>

#include <algorithm>
#include <cstring>

namespace ovik {

namespace {

bool Usable(const DecodedPicture& b) {
    return b.width > 0 && b.height > 0 && b.width <= 0xFFFF && b.height <= 0xFFFF &&
           b.rgba.size() == size_t(b.width) * size_t(b.height) * 4;
}

// The bitmap with every partly transparent pixel laid over white.
DecodedPicture Opaque(const DecodedPicture& b) {
    DecodedPicture o = b;
    for (size_t i = 0; i + 3 < o.rgba.size(); i += 4) {
        const unsigned a = o.rgba[i + 3];
        if (a == 255) continue;
        for (size_t c = 0; c < 3; ++c) o.rgba[i + c] = uint8_t((o.rgba[i + c] * a + 255 * (255 - a)) / 255);
        o.rgba[i + 3] = 255;
    }
    o.transparent = false;
    return o;
}

// The index of the lower-left pixel (the transparent colour), or -1.
int LowerLeft(const DecodedPicture& b, const std::vector<uint8_t>& indexes, bool transparent) {
    if (!transparent) return -1;
    return indexes[size_t(b.height - 1) * size_t(b.width)];
}

bool EncodeGifOptimal(const DecodedPicture& b, bool transparent, Bytes& out) {
    liq_attr* attr = liq_attr_create();
    if (!attr) return false;
    bool ok = liq_set_max_colors(attr, 256) == LIQ_OK;
    liq_image* image = ok ? liq_image_create_rgba(attr, b.rgba.data(), b.width, b.height, 0) : nullptr;
    liq_result* result = nullptr;
    ok = image && liq_image_quantize(image, attr, &result) == LIQ_OK;
    std::vector<uint8_t> indexes(size_t(b.width) * size_t(b.height));
    std::vector<std::array<uint8_t, 3>> colours;
    if (ok) {
        liq_set_dithering_level(result, 1.0f);
        ok = liq_write_remapped_image(result, image, indexes.data(), indexes.size()) == LIQ_OK;
    }
    if (ok) {
        const liq_palette* palette = liq_get_palette(result);
        ok = palette && palette->count > 0 && palette->count <= 256;
        if (ok)
            for (unsigned i = 0; i < palette->count; ++i)
                colours.push_back({palette->entries[i].r, palette->entries[i].g, palette->entries[i].b});
    }
    if (result) liq_result_destroy(result);
    if (image) liq_image_destroy(image);
    liq_attr_destroy(attr);
    return ok && WriteIndexedGif(b.width, b.height, colours, indexes, LowerLeft(b, indexes, transparent), out);
}

}  // namespace

bool EncodeGifWebPalette(const DecodedPicture& bitmap, bool transparent, Bytes& out) {
    out.clear();
    if (!Usable(bitmap)) return false;
    std::vector<std::array<uint8_t, 3>> colours;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) colours.push_back({uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51)});
    const DecodedPicture o = Opaque(bitmap);
    std::vector<uint8_t> indexes(size_t(o.width) * size_t(o.height));
    for (size_t i = 0; i < indexes.size(); ++i) {
        const uint8_t* p = &o.rgba[i * 4];
        auto level = [](uint8_t v) { return (v + 25) / 51; };
        indexes[i] = uint8_t(level(p[0]) * 36 + level(p[1]) * 6 + level(p[2]));
    }
    return WriteIndexedGif(o.width, o.height, colours, indexes, LowerLeft(o, indexes, transparent), out);
}

ConvertedBitmap ConvertBitmap(const DecodedPicture& bitmap, const BitmapConversion& how) {
    ConvertedBitmap c;
    if (!Usable(bitmap)) {
        c.error = "the bitmap is empty or too large";
        return c;
    }
    const DecodedPicture o = Opaque(bitmap);
    if (how.as == BitmapTarget::Jpeg) {
        c.extension = ".jpg";
        if (!EncodeJpeg(o, std::clamp(how.quality, 0, 100), c.data, &c.error)) c.data.clear();
        return c;
    }
    c.extension = ".gif";
    c.transparent = how.transparent;
    if (!EncodeGifOptimal(o, how.transparent, c.data)) {
        c.webPalette = true;
        if (!EncodeGifWebPalette(o, how.transparent, c.data)) c.error = "GIF encoding failed";
    }
    return c;
}

PictureResult DecodePng(std::span<const uint8_t> data) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data.data(), data.size()))
        return PictureResult::Refused(std::string("not a readable PNG picture: ") + image.message);
    const uint64_t w = image.width, h = image.height;
    if (w == 0 || h == 0 || w > PictureDecodeLimit() / h) {
        png_image_free(&image);
        return PictureResult::Refused("PNG picture too large or empty");
    }
    image.format = PNG_FORMAT_RGBA;
    auto pic = std::make_shared<DecodedPicture>();
    pic->format = PictureFormat::Png;
    pic->width = int(w);
    pic->height = int(h);
    pic->rgba.resize(size_t(w) * size_t(h) * 4);
    if (!png_image_finish_read(&image, nullptr, pic->rgba.data(), 0, nullptr)) {
        std::string why = image.message;
        png_image_free(&image);
        return PictureResult::Refused("damaged PNG picture: " + why);
    }
    for (size_t i = 3; i < pic->rgba.size(); i += 4)
        if (pic->rgba[i] < 255) {
            pic->transparent = true;
            break;
        }
    PictureResult r;
    r.picture = std::move(pic);
    return r;
}

PictureResult DecodeBitmapFile(std::span<const uint8_t> data) {
    static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (data.size() >= 8 && std::memcmp(data.data(), kPng, 8) == 0) return DecodePng(data);
    if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') return DecodeBmp(data);
    return PictureResult::Refused("not a BMP or PNG picture");
}

}  // namespace ovik
