#include "document/picture.h"

#include <gif_lib.h>
#include <libimagequant.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE
#include <cstdlib>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

#include "core/byte_reader.h"

namespace ovik {

namespace {

uint64_t gPictureDecodeLimit = kMaxPicturePixels;

bool SizeAllowed(uint64_t w, uint64_t h) {
    return w > 0 && h > 0 && w <= gPictureDecodeLimit / h;
}

bool StartsWith(std::span<const uint8_t> d, std::initializer_list<uint8_t> sig) {
    if (d.size() < sig.size()) return false;
    return std::equal(sig.begin(), sig.end(), d.begin());
}

// --- GIF ---------------------------------------------------------------------------

struct MemoryIn {
    std::span<const uint8_t> data;
    size_t pos = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buf, int len) {
    auto* in = static_cast<MemoryIn*>(gif->UserData);
    if (len <= 0) return 0;
    size_t n = std::min(size_t(len), in->data.size() - in->pos);
    if (n == 0) return 0;
    std::memcpy(buf, in->data.data() + in->pos, n);
    in->pos += n;
    return int(n);
}

struct GifCloser {
    void operator()(GifFileType* g) const {
        int err = 0;
        DGifCloseFile(g, &err);
    }
};

// Decodes the first image of the open GIF into the canvas (the logical
// screen), clipping what lies outside it.
bool DecodeFirstFrame(GifFileType* gif, int transparentIndex, DecodedPicture& pic) {
    const GifImageDesc& d = gif->Image;
    if (!SizeAllowed(uint64_t(std::max(d.Width, 0)), uint64_t(std::max(d.Height, 0))))
        return false;
    const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
    std::vector<GifPixelType> line(size_t(d.Width));
    auto colour = [&](int index, uint8_t* px) {
        if (index == transparentIndex) {
            px[0] = px[1] = px[2] = px[3] = 0;
            return;
        }
        if (map && index < map->ColorCount) {
            const GifColorType& c = map->Colors[index];
            px[0] = c.Red;
            px[1] = c.Green;
            px[2] = c.Blue;
        } else {
            // No colour table, or an index past its end: a grey ramp.
            px[0] = px[1] = px[2] = uint8_t(index);
        }
        px[3] = 255;
    };
    auto putRow = [&](int row) {
        int y = d.Top + row;
        if (y < 0 || y >= pic.height) return;
        for (int x = 0; x < d.Width; ++x) {
            int cx = d.Left + x;
            if (cx < 0 || cx >= pic.width) continue;
            colour(line[size_t(x)], &pic.rgba[(size_t(y) * size_t(pic.width) + size_t(cx)) * 4]);
        }
    };
    if (d.Interlace) {
        static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int row = start[pass]; row < d.Height; row += step[pass]) {
                if (DGifGetLine(gif, line.data(), d.Width) == GIF_ERROR) return false;
                putRow(row);
            }
    } else {
        for (int row = 0; row < d.Height; ++row) {
            if (DGifGetLine(gif, line.data(), d.Width) == GIF_ERROR) return false;
            putRow(row);
        }
    }
    return true;
}

}  // namespace

PictureResult DecodeGif(std::span<const uint8_t> data) {
    MemoryIn in{data, 0};
    int err = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&in, ReadFromMemory, &err));
    if (!gif) return PictureResult::Refused("not a GIF picture");
    auto pic = std::make_shared<DecodedPicture>();
    pic->format = PictureFormat::Gif;
    pic->frames = 0;
    int transparentIndex = NO_TRANSPARENT_COLOR;
    bool done = false;
    while (!done) {
        GifRecordType type;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) break;  // truncated
        switch (type) {
            case IMAGE_DESC_RECORD_TYPE: {
                if (DGifGetImageDesc(gif.get()) == GIF_ERROR) {
                    done = true;
                    break;
                }
                if (pic->frames == 0) {
                    // The logical screen is the picture's size; a GIF that
                    // gives none takes its first image's.
                    pic->width = gif->SWidth > 0 ? gif->SWidth : gif->Image.Width;
                    pic->height = gif->SHeight > 0 ? gif->SHeight : gif->Image.Height;
                    if (!SizeAllowed(uint64_t(std::max(pic->width, 0)),
                                     uint64_t(std::max(pic->height, 0))))
                        return PictureResult::Refused("GIF picture too large or empty");
                    pic->rgba.assign(size_t(pic->width) * size_t(pic->height) * 4, 0);
                    if (!DecodeFirstFrame(gif.get(), transparentIndex, *pic))
                        return PictureResult::Refused("damaged GIF picture");
                    pic->transparent = transparentIndex != NO_TRANSPARENT_COLOR;
                } else {
                    // Later frames are only counted: skip their data.
                    int codeSize = 0;
                    GifByteType* block = nullptr;
                    if (DGifGetCode(gif.get(), &codeSize, &block) == GIF_ERROR) {
                        done = true;
                        break;
                    }
                    while (block)
                        if (DGifGetCodeNext(gif.get(), &block) == GIF_ERROR) {
                            done = true;
                            break;
                        }
                }
                if (!done) ++pic->frames;
                break;
            }
            case EXTENSION_RECORD_TYPE: {
                int code = 0;
                GifByteType* ext = nullptr;
                if (DGifGetExtension(gif.get(), &code, &ext) == GIF_ERROR) {
                    done = true;
                    break;
                }
                if (code == GRAPHICS_EXT_FUNC_CODE && ext && pic->frames == 0) {
                    GraphicsControlBlock gcb;
                    if (ext[0] >= 4 && DGifExtensionToGCB(ext[0], ext + 1, &gcb) == GIF_OK)
                        transparentIndex = gcb.TransparentColor;
                }
                while (ext)
                    if (DGifGetExtensionNext(gif.get(), &ext) == GIF_ERROR) {
                        done = true;
                        break;
                    }
                break;
            }
            case TERMINATE_RECORD_TYPE:
            default: done = true; break;
        }
    }
    // A GIF cut after its first image still shows that image.
    if (pic->frames == 0) return PictureResult::Refused("damaged GIF picture: no image");
    PictureResult r;
    r.picture = std::move(pic);
    return r;
}

// --- JPEG --------------------------------------------------------------------------

namespace {

// libjpeg's own error handler ends the process; this one jumps back to the
// decoder, which refuses the picture.
struct JpegErrors {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool truncated;
    bool tooManyScans;
};

[[noreturn]] void JpegFail(j_common_ptr c) {
    auto* e = reinterpret_cast<JpegErrors*>(c->err);
    (*c->err->format_message)(c, e->message);
    std::longjmp(e->jump, 1);
}

void JpegMessage(j_common_ptr c, int level) {
    // Warnings are not printed; data that ends before the image does is
    // remembered, so that a cut file is refused instead of shown half grey.
    if (level < 0 && c->err->msg_code == JWRN_JPEG_EOF)
        reinterpret_cast<JpegErrors*>(c->err)->truncated = true;
}

// A progressive JPEG may declare any number of scans, each a full pass over
// the image; far more than any real file has is refused.
void JpegProgress(j_common_ptr c) {
    auto* d = reinterpret_cast<j_decompress_ptr>(c);
    if (d->input_scan_number > 1000) {
        reinterpret_cast<JpegErrors*>(c->err)->tooManyScans = true;
        ERREXIT(c, JERR_BAD_PROGRESSION);
    }
}

void InstallErrors(j_common_ptr c, JpegErrors& e) {
    c->err = jpeg_std_error(&e.mgr);
    e.mgr.error_exit = JpegFail;
    e.mgr.emit_message = JpegMessage;
    e.message[0] = 0;
    e.truncated = false;
    e.tooManyScans = false;
}

struct JpegDecodeJob {
    std::span<const uint8_t> data;
    DecodedPicture* pic;
    jpeg_decompress_struct cinfo;
    JpegErrors errors;
    jpeg_progress_mgr progress;
    std::vector<uint8_t> row;
    std::string failure;
};

// Only plain data lives in this frame: longjmp must not skip destructors.
bool RunJpegDecode(JpegDecodeJob& job) {
    jpeg_decompress_struct& cinfo = job.cinfo;
    InstallErrors(reinterpret_cast<j_common_ptr>(&cinfo), job.errors);
    if (setjmp(job.errors.jump)) {
        job.failure = job.errors.tooManyScans ? "JPEG picture with too many scans"
                                              : job.errors.message;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    job.progress.progress_monitor = JpegProgress;
    cinfo.progress = &job.progress;
    jpeg_mem_src(&cinfo, job.data.data(), static_cast<unsigned long>(job.data.size()));
    jpeg_read_header(&cinfo, TRUE);
    if (!SizeAllowed(cinfo.image_width, cinfo.image_height)) {
        job.failure = "JPEG picture too large or empty";
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
    jpeg_start_decompress(&cinfo);
    DecodedPicture& pic = *job.pic;
    pic.width = int(cinfo.output_width);
    pic.height = int(cinfo.output_height);
    const size_t w = cinfo.output_width;
    pic.rgba.resize(w * cinfo.output_height * 4);
    job.row.resize(w * 4);
    while (cinfo.output_scanline < cinfo.output_height) {
        uint8_t* out = &pic.rgba[size_t(cinfo.output_scanline) * w * 4];
        JSAMPROW rows[1] = {cmyk ? job.row.data() : out};
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) break;
        if (cmyk) {
            // Adobe writes CMYK JPEGs inverted: each byte is 255 - ink.
            for (size_t x = 0; x < w; ++x) {
                const uint8_t* s = &job.row[x * 4];
                out[x * 4 + 0] = uint8_t(s[0] * s[3] / 255);
                out[x * 4 + 1] = uint8_t(s[1] * s[3] / 255);
                out[x * 4 + 2] = uint8_t(s[2] * s[3] / 255);
                out[x * 4 + 3] = 255;
            }
        }
    }
    if (job.errors.truncated) {
        job.failure = "damaged JPEG picture: the data ends before the image";
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

}  // namespace

PictureResult DecodeJpeg(std::span<const uint8_t> data) {
    if (!StartsWith(data, {0xFF, 0xD8})) return PictureResult::Refused("not a JPEG picture");
    auto pic = std::make_shared<DecodedPicture>();
    pic->format = PictureFormat::Jpeg;
    auto job = std::make_unique<JpegDecodeJob>();
    job->data = data;
    job->pic = pic.get();
    if (!RunJpegDecode(*job)) {
        std::string why = job->failure.empty() ? "damaged JPEG picture" : job->failure;
        if (why.rfind("damaged", 0) != 0 && why.rfind("JPEG", 0) != 0)
            why = "damaged JPEG picture: " + why;
        return PictureResult::Refused(why);
    }
    PictureResult r;
    r.picture = std::move(pic);
    return r;
}

namespace {

struct JpegEncodeJob {
    const DecodedPicture* bitmap;
    int quality;
    jpeg_compress_struct cinfo;
    JpegErrors errors;
    unsigned char* buffer;
    unsigned long size;
    std::string failure;
};

bool RunJpegEncode(JpegEncodeJob& job) {
    jpeg_compress_struct& cinfo = job.cinfo;
    InstallErrors(reinterpret_cast<j_common_ptr>(&cinfo), job.errors);
    job.buffer = nullptr;
    job.size = 0;
    if (setjmp(job.errors.jump)) {
        job.failure = job.errors.message;
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &job.buffer, &job.size);
    cinfo.image_width = JDIMENSION(job.bitmap->width);
    cinfo.image_height = JDIMENSION(job.bitmap->height);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_RGBA;
    jpeg_set_defaults(&cinfo);
    if (job.quality >= 0) jpeg_set_quality(&cinfo, std::clamp(job.quality, 0, 100), TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    const size_t stride = size_t(job.bitmap->width) * 4;
    while (cinfo.next_scanline < cinfo.image_height) {
        // libjpeg takes non-const rows but only reads them.
        JSAMPROW row = const_cast<uint8_t*>(&job.bitmap->rgba[cinfo.next_scanline * stride]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

bool BitmapUsable(const DecodedPicture& b) {
    return b.width > 0 && b.height > 0 &&
           b.rgba.size() == size_t(b.width) * size_t(b.height) * 4;
}

}  // namespace

bool EncodeJpeg(const DecodedPicture& bitmap, int quality, Bytes& out, std::string* error) {
    out.clear();
    if (!BitmapUsable(bitmap) || bitmap.width > JPEG_MAX_DIMENSION ||
        bitmap.height > JPEG_MAX_DIMENSION) {
        if (error) *error = "bitmap cannot be stored as JPEG";
        return false;
    }
    auto job = std::make_unique<JpegEncodeJob>();
    job->bitmap = &bitmap;
    job->quality = quality;
    bool ok = RunJpegEncode(*job);
    if (ok) out.assign(job->buffer, job->buffer + job->size);
    else if (error) *error = job->failure;
    std::free(job->buffer);
    return ok;
}

// --- GIF encoding ------------------------------------------------------------------

namespace {

int WriteToMemory(GifFileType* gif, const GifByteType* buf, int len) {
    auto* out = static_cast<Bytes*>(gif->UserData);
    if (len > 0) out->insert(out->end(), buf, buf + len);
    return len;
}

struct LiqAttr {
    liq_attr* p = liq_attr_create();
    ~LiqAttr() { if (p) liq_attr_destroy(p); }
};
struct LiqImage {
    liq_image* p = nullptr;
    ~LiqImage() { if (p) liq_image_destroy(p); }
};
struct LiqResult {
    liq_result* p = nullptr;
    ~LiqResult() { if (p) liq_result_destroy(p); }
};

}  // namespace

bool EncodeGif(const DecodedPicture& bitmap, Bytes& out, std::string* error) {
    out.clear();
    auto fail = [&](const char* why) {
        if (error) *error = why;
        out.clear();
        return false;
    };
    if (!BitmapUsable(bitmap) || bitmap.width > 0xFFFF || bitmap.height > 0xFFFF)
        return fail("bitmap cannot be stored as GIF");

    // Colour quantization to an optimal palette of at most 256 colours.
    LiqAttr attr;
    if (!attr.p || liq_set_max_colors(attr.p, 256) != LIQ_OK) return fail("colour reduction failed");
    LiqImage image;
    image.p = liq_image_create_rgba(attr.p, bitmap.rgba.data(), bitmap.width, bitmap.height, 0);
    if (!image.p) return fail("colour reduction failed");
    LiqResult result;
    if (liq_image_quantize(image.p, attr.p, &result.p) != LIQ_OK) return fail("colour reduction failed");
    liq_set_dithering_level(result.p, 1.0f);
    std::vector<uint8_t> indexes(size_t(bitmap.width) * size_t(bitmap.height));
    if (liq_write_remapped_image(result.p, image.p, indexes.data(), indexes.size()) != LIQ_OK)
        return fail("colour reduction failed");
    const liq_palette* palette = liq_get_palette(result.p);
    if (!palette || palette->count == 0 || palette->count > 256) return fail("colour reduction failed");

    // GIF has one transparent colour: every colour that is mostly transparent
    // becomes the first such one.
    int transparent = -1;
    std::array<uint8_t, 256> remap{};
    for (unsigned i = 0; i < palette->count; ++i) {
        remap[i] = uint8_t(i);
        if (palette->entries[i].a < 128) {
            if (transparent < 0) transparent = int(i);
            remap[i] = uint8_t(transparent);
        }
    }
    if (transparent >= 0)
        for (auto& ix : indexes) ix = remap[ix];

    std::vector<std::array<uint8_t, 3>> colours(palette->count);
    for (unsigned i = 0; i < palette->count; ++i)
        colours[i] = {palette->entries[i].r, palette->entries[i].g, palette->entries[i].b};
    if (!WriteIndexedGif(bitmap.width, bitmap.height, colours, indexes, transparent, out))
        return fail("GIF encoding failed");
    return true;
}

bool WriteIndexedGif(int width, int height, const std::vector<std::array<uint8_t, 3>>& colours,
                     const std::vector<uint8_t>& indexes, int transparent, Bytes& out) {
    out.clear();
    if (width <= 0 || height <= 0 || colours.empty() || colours.size() > 256 ||
        indexes.size() != size_t(width) * size_t(height))
        return false;
    int mapSize = 2;
    while (mapSize < int(colours.size())) mapSize *= 2;
    ColorMapObject* map = GifMakeMapObject(mapSize, nullptr);
    if (!map) return false;
    for (size_t i = 0; i < colours.size(); ++i) {
        map->Colors[i].Red = colours[i][0];
        map->Colors[i].Green = colours[i][1];
        map->Colors[i].Blue = colours[i][2];
    }
    int err = 0;
    GifFileType* gif = EGifOpen(&out, WriteToMemory, &err);
    if (!gif) {
        GifFreeMapObject(map);
        return false;
    }
    bool ok = true;
    if (transparent >= 0) EGifSetGifVersion(gif, true);
    ok = EGifPutScreenDesc(gif, width, height, 8, 0, map) == GIF_OK;
    if (ok && transparent >= 0) {
        GraphicsControlBlock gcb{};
        gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
        gcb.UserInputFlag = false;
        gcb.DelayTime = 0;
        gcb.TransparentColor = transparent;
        GifByteType ext[4];
        size_t len = EGifGCBToExtension(&gcb, ext);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(len), ext) == GIF_OK;
    }
    // One frame at 0, 0, not interlaced.
    if (ok) ok = EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < height; ++y)
        ok = EGifPutLine(gif, const_cast<GifPixelType*>(&indexes[size_t(y) * size_t(width)]), width) == GIF_OK;
    if (EGifCloseFile(gif, &err) != GIF_OK) ok = false;
    GifFreeMapObject(map);
    if (!ok) out.clear();
    return ok;
}

// --- BMP ---------------------------------------------------------------------------

// Windows bitmaps are read here by hand: Debian has no small library for BMP
// outside the GUI toolkits, and the engine must not depend on Qt. Only what a
// bitmap file can hold uncompressed is read (1, 4, 8, 16, 24 and 32 bits per
// pixel, plain or with bit-field masks); run-length compressed bitmaps are
// refused. Every read goes through the bounds-checked reader.
PictureResult DecodeBmp(std::span<const uint8_t> data) {
    ByteReader r(data);
    if (r.u8() != 'B' || r.u8() != 'M') return PictureResult::Refused("not a BMP picture");
    r.skip(8);
    const uint32_t pixelsAt = uint32_t(r.i32("pixel data offset"));
    const uint32_t infoSize = uint32_t(r.i32("info header size"));
    if (!r.ok()) return PictureResult::Refused("damaged BMP picture: " + r.error());
    int64_t width = 0, height = 0;
    int bpp = 0;
    uint32_t compression = 0, paletteCount = 0;
    uint32_t masks[4] = {0, 0, 0, 0};
    size_t paletteEntry = 4;
    if (infoSize == 12) {  // OS/2 core header
        width = r.u16("width");
        height = int16_t(r.u16("height"));
        r.u16("planes");
        bpp = r.u16("bits per pixel");
        paletteEntry = 3;
    } else if (infoSize >= 40 && infoSize <= 124) {
        width = r.i32("width");
        height = r.i32("height");
        r.u16("planes");
        bpp = r.u16("bits per pixel");
        compression = uint32_t(r.i32("compression"));
        r.skip(12, "sizes");
        paletteCount = uint32_t(r.i32("palette size"));
        r.i32("important colours");
        if (compression == 3 || compression == 6) {
            // Masks follow the 40-byte header, inside it for later versions.
            for (int i = 0; i < (compression == 6 || infoSize >= 56 ? 4 : 3); ++i)
                masks[i] = uint32_t(r.i32("colour mask"));
        }
    } else {
        return PictureResult::Refused("damaged BMP picture: unknown header size " + std::to_string(infoSize));
    }
    if (!r.ok()) return PictureResult::Refused("damaged BMP picture: " + r.error());
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (!SizeAllowed(uint64_t(std::max<int64_t>(width, 0)), uint64_t(height)))
        return PictureResult::Refused("BMP picture too large or empty");
    if (compression == 1 || compression == 2) return PictureResult::Refused("compressed BMP pictures are not read");
    if (compression != 0 && compression != 3 && compression != 6)
        return PictureResult::Refused("BMP compression " + std::to_string(compression) + " is not read");
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return PictureResult::Refused("BMP with " + std::to_string(bpp) + " bits per pixel is not read");

    // Palette: right after the info header (and the masks of a 40-byte one).
    std::vector<std::array<uint8_t, 3>> palette;
    if (bpp <= 8) {
        uint32_t n = paletteCount == 0 || paletteCount > (1u << bpp) ? (1u << bpp) : paletteCount;
        size_t at = 14 + size_t(infoSize) +
                    ((compression == 3 && infoSize == 40) ? 12 : compression == 6 && infoSize == 40 ? 16 : 0);
        ByteReader pr(data);
        pr.seek(at, "palette");
        for (uint32_t i = 0; i < n && pr.ok(); ++i) {
            auto e = pr.bytes(paletteEntry, "palette entry");
            if (pr.ok()) palette.push_back({e[2], e[1], e[0]});
        }
        if (palette.empty()) return PictureResult::Refused("damaged BMP picture: no palette");
    }
    if (bpp == 16 && compression == 0) masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;

    const uint64_t stride = ((uint64_t(width) * uint64_t(bpp) + 31) / 32) * 4;
    if (pixelsAt > data.size() || stride * uint64_t(height) > data.size() - pixelsAt)
        return PictureResult::Refused("damaged BMP picture: the pixel data ends early");

    auto fromMask = [](uint32_t v, uint32_t mask) -> uint8_t {
        if (!mask) return 0;
        int shift = 0;
        while (!((mask >> shift) & 1)) ++shift;
        uint64_t max = mask >> shift;
        return uint8_t(uint64_t((v & mask) >> shift) * 255u / max);
    };
    auto pic = std::make_shared<DecodedPicture>();
    pic->format = PictureFormat::Bmp;
    pic->width = int(width);
    pic->height = int(height);
    pic->rgba.resize(size_t(width) * size_t(height) * 4);
    bool anyAlpha = false;
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* row = data.data() + pixelsAt + size_t(topDown ? y : height - 1 - y) * stride;
        uint8_t* out = &pic->rgba[size_t(y) * size_t(width) * 4];
        for (int64_t x = 0; x < width; ++x, out += 4) {
            out[3] = 255;
            if (bpp <= 8) {
                size_t bit = size_t(x) * size_t(bpp);
                uint32_t ix = (row[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
                const auto& c = palette[std::min<size_t>(ix, palette.size() - 1)];
                out[0] = c[0], out[1] = c[1], out[2] = c[2];
            } else if (bpp == 24 || (bpp == 32 && compression == 0)) {
                const uint8_t* p = row + size_t(x) * size_t(bpp / 8);
                out[0] = p[2], out[1] = p[1], out[2] = p[0];
            } else {
                const uint8_t* p = row + size_t(x) * size_t(bpp / 8);
                uint32_t v = bpp == 16 ? GetU16(p) : GetU32(p);
                out[0] = fromMask(v, masks[0]);
                out[1] = fromMask(v, masks[1]);
                out[2] = fromMask(v, masks[2]);
                if (masks[3]) {
                    out[3] = fromMask(v, masks[3]);
                    anyAlpha = anyAlpha || out[3] != 0;
                }
            }
        }
    }
    // An alpha mask whose every value is 0 is an unused field, not a fully
    // transparent picture.
    if (masks[3] && !anyAlpha)
        for (size_t i = 3; i < pic->rgba.size(); i += 4) pic->rgba[i] = 255;
    pic->transparent = masks[3] && anyAlpha;
    PictureResult res;
    res.picture = std::move(pic);
    return res;
}

// --- metafiles ---------------------------------------------------------------------

PictureResult DecodeMetafile(std::span<const uint8_t> data, PictureFormat format) {
    auto pic = std::make_shared<DecodedPicture>();
    pic->format = format;
    pic->transparent = true;
    ByteReader r(data);
    if (format == PictureFormat::Emf) {
        // EMR_HEADER: type 1, size, device bounds, frame in 0.01 mm, " EMF".
        uint32_t type = uint32_t(r.i32("record type"));
        r.i32("record size");
        int32_t b[4], f[4];
        for (auto& v : b) v = r.i32("bounds");
        for (auto& v : f) v = r.i32("frame");
        uint32_t signature = uint32_t(r.i32("signature"));
        if (!r.ok() || type != 1 || signature != 0x464D4520) return PictureResult::Refused("not an EMF picture");
        // The frame is the picture's size on paper; shown at 96 pixels per inch.
        int64_t w = (int64_t(f[2]) - f[0]) * 96 / 2540, h = (int64_t(f[3]) - f[1]) * 96 / 2540;
        if (w <= 0 || h <= 0) w = int64_t(b[2]) - b[0] + 1, h = int64_t(b[3]) - b[1] + 1;
        if (w <= 0 || h <= 0 || w > 0xFFFF || h > 0xFFFF) w = h = kDefaultMetafileSize;
        pic->width = int(w);
        pic->height = int(h);
    } else {
        uint32_t key = uint32_t(r.i32("key"));
        r.seek(0);
        if (key == 0x9AC6CDD7) {
            // Placeable header: key, handle, bounding box, units per inch.
            r.skip(6);
            int16_t left = r.i16("left"), top = r.i16("top");
            int16_t right = r.i16("right"), bottom = r.i16("bottom");
            uint16_t inch = r.u16("units per inch");
            if (!r.ok()) return PictureResult::Refused("damaged WMF picture: " + r.error());
            int64_t w = inch ? (int64_t(right) - left) * 96 / inch : 0;
            int64_t h = inch ? (int64_t(bottom) - top) * 96 / inch : 0;
            if (w < 0) w = -w;
            if (h < 0) h = -h;
            if (w <= 0 || h <= 0 || w > 0xFFFF || h > 0xFFFF) w = h = kDefaultMetafileSize;
            pic->width = int(w);
            pic->height = int(h);
        } else {
            // A plain WMF header (type 1 or 2, 9 words) carries no size.
            uint16_t type = r.u16("type"), words = r.u16("header size");
            if (!r.ok() || (type != 1 && type != 2) || words != 9) return PictureResult::Refused("not a WMF picture");
            pic->width = pic->height = kDefaultMetafileSize;
        }
    }
    pic->metafile.assign(data.begin(), data.end());
    PictureResult res;
    res.picture = std::move(pic);
    return res;
}

uint64_t PictureDecodeLimit() { return gPictureDecodeLimit; }

void SetPictureDecodeLimit(uint64_t pixels) {
    gPictureDecodeLimit = pixels < kMaxPicturePixels ? pixels : kMaxPicturePixels;
}

PictureResult DecodePicture(std::span<const uint8_t> data, std::string_view fileName) {
    // The signatures the decoders themselves accept, no stricter: a picture
    // that was added must decode again from its stored bytes.
    if (StartsWith(data, {'G', 'I', 'F'})) return DecodeGif(data);
    if (StartsWith(data, {0xFF, 0xD8})) return DecodeJpeg(data);
    if (StartsWith(data, {0xD7, 0xCD, 0xC6, 0x9A})) return DecodeMetafile(data, PictureFormat::Wmf);
    if (data.size() >= 44 && StartsWith(data, {1, 0, 0, 0}) &&
        std::memcmp(data.data() + 40, " EMF", 4) == 0)
        return DecodeMetafile(data, PictureFormat::Emf);
    if (StartsWith(data, {'B', 'M'})) return DecodeBmp(data);
    std::string ext;
    size_t dot = fileName.find_last_of('.');
    if (dot != std::string_view::npos)
        for (char c : fileName.substr(dot)) ext += char(std::tolower(uint8_t(c)));
    if (ext == ".wmf") return DecodeMetafile(data, PictureFormat::Wmf);
    return PictureResult::Refused("unknown picture format");
}

}  // namespace ovik
