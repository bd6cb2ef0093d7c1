// Bitmaps turned into stored pictures: the optimal palette and its web-palette
// fallback, the transparent lower-left colour, one plain frame, JPEG quality,
// PNG files read through libpng, and bitmap files added to a hypertext.
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "document/bitmap_conversion.h"
#include "document/hqv_set.h"
#include "platform/messages.h"
#include "support/hqv_builder.h"

namespace ovik {
namespace {

namespace fs = std::filesystem;

// Four flat quadrants: top-left red, top-right green, bottom-left `corner`,
// bottom-right blue.
DecodedPicture Quadrants(int w, int h, std::array<uint8_t, 4> corner = {250, 250, 10, 255}) {
    DecodedPicture b;
    b.format = PictureFormat::Bmp;
    b.width = w;
    b.height = h;
    b.rgba.resize(size_t(w) * size_t(h) * 4);
    const std::array<uint8_t, 4> colours[4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, corner, {0, 0, 255, 255}};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const auto& c = colours[(x * 2 / w) + 2 * (y * 2 / h)];
            std::memcpy(&b.rgba[(size_t(y) * size_t(w) + size_t(x)) * 4], c.data(), 4);
        }
    return b;
}

const uint8_t* Pixel(const DecodedPicture& p, int x, int y) {
    return &p.rgba[(size_t(y) * size_t(p.width) + size_t(x)) * 4];
}

struct GifShape {
    int frames = 0, left = -1, top = -1;
    bool interlaced = true;
};
int ReadBytes(GifFileType* g, GifByteType* buf, int n) {
    auto* in = static_cast<std::pair<const Bytes*, size_t>*>(g->UserData);
    int k = int(std::min(size_t(n), in->first->size() - in->second));
    std::memcpy(buf, in->first->data() + in->second, size_t(k));
    in->second += size_t(k);
    return k;
}
GifShape ShapeOf(const Bytes& gif) {
    std::pair<const Bytes*, size_t> in{&gif, 0};
    int err = 0;
    GifFileType* g = DGifOpen(&in, ReadBytes, &err);
    GifShape s;
    if (!g) return s;
    if (DGifSlurp(g) == GIF_OK && g->ImageCount > 0) {
        s.frames = g->ImageCount;
        s.left = g->SavedImages[0].ImageDesc.Left;
        s.top = g->SavedImages[0].ImageDesc.Top;
        s.interlaced = g->SavedImages[0].ImageDesc.Interlace;
    }
    DGifCloseFile(g, &err);
    return s;
}

Bytes Png(const DecodedPicture& b, png_uint_32 format = PNG_FORMAT_RGBA) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(b.width);
    image.height = png_uint_32(b.height);
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_get_memory_size(image, size, 0, b.rgba.data(), 0, nullptr));
    Bytes out(size);
    EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, b.rgba.data(), 0, nullptr));
    out.resize(size);
    (void)format;
    return out;
}

TEST(BitmapConversion, GifKeepsTheColoursInOnePlainFrame) {
    const DecodedPicture src = Quadrants(20, 10);
    for (bool transparent : {false, true}) {
        SCOPED_TRACE(transparent ? "transparent" : "opaque");
        ConvertedBitmap c = ConvertBitmap(src, {BitmapTarget::Gif, 75, transparent});
        ASSERT_TRUE(c) << c.error;
        EXPECT_EQ(c.extension, ".gif");
        EXPECT_FALSE(c.webPalette);
        EXPECT_EQ(c.transparent, transparent);
        const GifShape shape = ShapeOf(c.data);
        EXPECT_EQ(shape.frames, 1);
        EXPECT_EQ(shape.left, 0);
        EXPECT_EQ(shape.top, 0);
        EXPECT_FALSE(shape.interlaced);
        PictureResult back = DecodeGif(c.data);
        ASSERT_TRUE(back) << back.error;
        EXPECT_EQ(back.picture->transparent, transparent);
        // The lower-left colour (the whole bottom-left quadrant) is the
        // transparent one; the other colours stay as they were.
        EXPECT_EQ(Pixel(*back.picture, 0, 9)[3], transparent ? 0 : 255);
        EXPECT_EQ(Pixel(*back.picture, 9, 5)[3], transparent ? 0 : 255);
        for (auto [x, y] : {std::pair{0, 0}, {19, 0}, {19, 9}}) {
            EXPECT_EQ(Pixel(*back.picture, x, y)[3], 255);
            EXPECT_EQ(0, std::memcmp(Pixel(*back.picture, x, y), Pixel(src, x, y), 3)) << x << "," << y;
        }
    }
}

TEST(BitmapConversion, WebPaletteTakesTheNearestOfTheSixLevels) {
    DecodedPicture src = Quadrants(4, 4, {10, 130, 250, 255});
    // A half-transparent pixel is laid over white first.
    src.rgba[3] = 0;
    for (bool transparent : {false, true}) {
        Bytes gif;
        ASSERT_TRUE(EncodeGifWebPalette(src, transparent, gif));
        EXPECT_EQ(ShapeOf(gif).frames, 1);
        PictureResult back = DecodeGif(gif);
        ASSERT_TRUE(back) << back.error;
        const uint8_t* ll = Pixel(*back.picture, 0, 3);
        EXPECT_EQ(ll[3], transparent ? 0 : 255);
        if (!transparent) {  // a transparent pixel decodes without its colour
            EXPECT_EQ(ll[0], 0);
            EXPECT_EQ(ll[1], 153);
            EXPECT_EQ(ll[2], 255);
        }
        const uint8_t* white = Pixel(*back.picture, 0, 0);
        EXPECT_EQ(white[0] + white[1] + white[2], 3 * 255);
        EXPECT_EQ(white[3], 255);
    }
    DecodedPicture empty;
    Bytes none;
    EXPECT_FALSE(EncodeGifWebPalette(empty, false, none));
    EXPECT_FALSE(ConvertBitmap(empty, {}));
}

TEST(BitmapConversion, JpegFollowsTheQuality) {
    DecodedPicture src = Quadrants(64, 64);
    for (size_t i = 0; i < src.rgba.size(); i += 4) src.rgba[i] = uint8_t(i * 7);  // detail
    ConvertedBitmap low = ConvertBitmap(src, {BitmapTarget::Jpeg, 10, false});
    ConvertedBitmap high = ConvertBitmap(src, {BitmapTarget::Jpeg, 95, false});
    ConvertedBitmap clamped = ConvertBitmap(src, {BitmapTarget::Jpeg, 500, true});
    ASSERT_TRUE(low && high && clamped);
    EXPECT_EQ(low.extension, ".jpg");
    EXPECT_LT(low.data.size(), high.data.size());
    EXPECT_FALSE(clamped.transparent);  // transparency is GIF's only
    EXPECT_TRUE(DecodeJpeg(clamped.data));
}

TEST(BitmapConversion, PngFilesAreReadAndDamageIsRefused) {
    DecodedPicture src = Quadrants(9, 7);
    src.rgba[3] = 0;
    const Bytes png = Png(src);
    PictureResult p = DecodeBitmapFile(png);
    ASSERT_TRUE(p) << p.error;
    EXPECT_EQ(p.picture->format, PictureFormat::Png);
    EXPECT_EQ(p.picture->width, 9);
    EXPECT_EQ(p.picture->height, 7);
    EXPECT_TRUE(p.picture->transparent);
    EXPECT_EQ(p.picture->rgba[3], 0);
    EXPECT_TRUE(std::equal(src.rgba.begin() + 4, src.rgba.end(), p.picture->rgba.begin() + 4));

    Bytes cut(png.begin(), png.begin() + std::ptrdiff_t(png.size() / 2));
    Bytes badHeader = png;
    badHeader[12] ^= 0xFF;  // the IHDR chunk name
    Bytes huge = png;
    huge[16] = 0x7F;  // width
    for (const Bytes* b : {&cut, &badHeader, &huge}) {
        PictureResult r = DecodePng(*b);
        EXPECT_FALSE(r);
        EXPECT_FALSE(r.error.empty());
    }
    EXPECT_FALSE(DecodeBitmapFile(Bytes{'G', 'I', 'F', '8'}));
}

TEST(BitmapConversion, BitmapFilesAddedToAHypertextAreConverted) {
    testing::TempDir dir;
    platform::RecordingMessages msgs;
    THQVset set(msgs);
    set.NewHypertext();
    const fs::path png = dir / "shot.png";
    {
        Bytes b = Png(Quadrants(12, 8));
        std::ofstream(png, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    }
    struct Row {
        const char* name;
        BitmapConversion how;
        const char* extension;
        uint8_t state;  // 0 = GIF
        bool transparent;
    } rows[] = {
        {"gif", {}, ".gif", 0, false},
        {"transparent gif", {BitmapTarget::Gif, 75, true}, ".gif", 0, true},
        {"jpeg", {BitmapTarget::Jpeg, 40, false}, ".jpg", 1, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        std::string why;
        THQVoggetto* o = set.AddPictureFile(png, r.how, &why);
        ASSERT_NE(o, nullptr) << why;
        EXPECT_EQ(o->State(), r.state);
        const std::string name = o->FileName();
        EXPECT_EQ(name.substr(name.size() - 4), r.extension) << name;
        EXPECT_EQ(o->I32(170), r.transparent ? -1 : -2);
        EXPECT_EQ(o->U16(85), 12);
        EXPECT_EQ(o->U16(87), 8);
        auto pic = o->Picture();
        ASSERT_NE(pic, nullptr);
        EXPECT_EQ(pic->width, 12);
    }
    std::string why;
    std::ofstream(dir / "bad.png") << "not a picture";
    EXPECT_EQ(set.AddPictureFile(dir / "bad.png", {}, &why), nullptr);
    EXPECT_NE(why.find("PNG"), std::string::npos) << why;
}

}  // namespace
}  // namespace ovik
