// Pictures and embedded files put into a hypertext from disk: decoding, the
// decoded-picture cache, reuse of equal pictures, unique stored names, names
// that try to leave their folder, damaged files, and the trip through a saved
// file.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>

#include "core/file_names.h"
#include "document/hqv_set.h"
#include "document/picture.h"
#include "platform/messages.h"

namespace ovik {
namespace {

namespace fs = std::filesystem;

// --- fixtures made at test time ---------------------------------------------------

DecodedPicture Bitmap(int w, int h, uint32_t seed, bool withTransparentCorner = false) {
    DecodedPicture b;
    b.format = PictureFormat::Bmp;
    b.width = w;
    b.height = h;
    b.rgba.resize(size_t(w) * size_t(h) * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &b.rgba[(size_t(y) * size_t(w) + size_t(x)) * 4];
            // Four flat quadrants, so the colours survive quantization exactly.
            int q = (x * 2 / w) + 2 * (y * 2 / h);
            p[0] = uint8_t(seed * 37 + q * 60);
            p[1] = uint8_t(seed * 91 + q * 20);
            p[2] = uint8_t(seed * 13 + q * 90);
            p[3] = 255;
        }
    if (withTransparentCorner) b.rgba[3] = 0;
    return b;
}

Bytes Gif(int w, int h, uint32_t seed, bool transparent = false) {
    Bytes out;
    EXPECT_TRUE(EncodeGif(Bitmap(w, h, seed, transparent), out));
    return out;
}

Bytes Jpeg(int w, int h, uint32_t seed) {
    Bytes out;
    EXPECT_TRUE(EncodeJpeg(Bitmap(w, h, seed), kJpegDefaultQuality, out));
    return out;
}

int WriteBytes(GifFileType* g, const GifByteType* b, int n) {
    auto* out = static_cast<Bytes*>(g->UserData);
    out->insert(out->end(), b, b + n);
    return n;
}

// A GIF of `frames` 2 x 2 images.
Bytes AnimatedGif(int frames) {
    Bytes out;
    int err = 0;
    GifFileType* g = EGifOpen(&out, WriteBytes, &err);
    ColorMapObject* map = GifMakeMapObject(2, nullptr);
    map->Colors[1] = {255, 255, 255};
    EGifSetGifVersion(g, true);
    EGifPutScreenDesc(g, 2, 2, 8, 0, map);
    GifPixelType line[2] = {0, 1};
    for (int f = 0; f < frames; ++f) {
        EGifPutImageDesc(g, 0, 0, 2, 2, false, nullptr);
        EGifPutLine(g, line, 2);
        EGifPutLine(g, line, 2);
    }
    EGifCloseFile(g, &err);
    GifFreeMapObject(map);
    return out;
}

// A bottom-up (or top-down) Windows bitmap of the given depth; 1, 4 and 8 bits
// use a grey palette and index = (x + y) mod colours.
Bytes Bmp(int w, int h, int bpp, bool topDown = false) {
    int colours = bpp <= 8 ? 1 << bpp : 0;
    size_t stride = ((size_t(w) * size_t(bpp) + 31) / 32) * 4;
    size_t pixelsAt = 14 + 40 + size_t(colours) * 4;
    Bytes b(pixelsAt + stride * size_t(h), 0);
    b[0] = 'B', b[1] = 'M';
    PutU32(&b[2], uint32_t(b.size()));
    PutU32(&b[10], uint32_t(pixelsAt));
    PutU32(&b[14], 40);
    PutI32(&b[18], w);
    PutI32(&b[22], topDown ? -h : h);
    PutU16(&b[26], 1);
    PutU16(&b[28], uint16_t(bpp));
    for (int i = 0; i < colours; ++i) {
        uint8_t v = uint8_t(i * 255 / (colours - 1));
        b[54 + size_t(i) * 4] = b[55 + size_t(i) * 4] = b[56 + size_t(i) * 4] = v;
    }
    for (int y = 0; y < h; ++y) {
        uint8_t* row = &b[pixelsAt + size_t(topDown ? y : h - 1 - y) * stride];
        for (int x = 0; x < w; ++x) {
            if (bpp <= 8) {
                unsigned ix = unsigned(x + y) % unsigned(colours);
                size_t bit = size_t(x) * size_t(bpp);
                row[bit / 8] |= uint8_t(ix << (8 - bpp - bit % 8));
            } else {
                uint8_t* p = row + size_t(x) * size_t(bpp / 8);
                p[0] = uint8_t(x * 10), p[1] = uint8_t(y * 10), p[2] = 200;  // B, G, R
            }
        }
    }
    return b;
}

Bytes PlaceableWmf(int16_t right, int16_t bottom, uint16_t inch) {
    Bytes b(22 + 18, 0);
    PutU32(&b[0], 0x9AC6CDD7);
    PutU16(&b[10], uint16_t(right));
    PutU16(&b[12], uint16_t(bottom));
    PutU16(&b[14], inch);
    PutU16(&b[22], 1);
    PutU16(&b[24], 9);
    return b;
}

Bytes Emf(int32_t frameRight, int32_t frameBottom) {
    Bytes b(88, 0);
    PutU32(&b[0], 1);
    PutU32(&b[4], 88);
    PutI32(&b[32], frameRight);
    PutI32(&b[36], frameBottom);
    std::memcpy(&b[40], " EMF", 4);
    return b;
}

class PicturesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("ovik_pictures_test_" + std::to_string(std::random_device{}()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    fs::path Write(const std::string& name, const Bytes& data) {
        fs::path p = dir_ / name;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(data.data()),
                                                 std::streamsize(data.size()));
        return p;
    }
    fs::path Write(const std::string& name, const std::string& text) {
        return Write(name, Bytes(text.begin(), text.end()));
    }
    static Bytes Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static Bytes Content(const THQVoggetto& o) {
        Bytes b;
        EXPECT_TRUE(o.ReadContent(b));
        return b;
    }

    fs::path dir_;
    platform::RecordingMessages msgs_;
};

// --- decoding ------------------------------------------------------------------------

TEST_F(PicturesTest, GoodPicturesGiveTheirSizeTransparencyAndFormat) {
    struct Row {
        const char* name;
        std::string file;
        Bytes data;
        int width, height;
        bool transparent;
        uint8_t state;       // 0 = GIF, 1 = other format
        const char* stored;  // stored file name
        int frames;
    } rows[] = {
        {"opaque gif", "flat.gif", Gif(30, 20, 1), 30, 20, false, 0, "flat.gif", 1},
        {"transparent gif", "hole.GIF", Gif(8, 8, 2, true), 8, 8, true, 0, "hole.GIF", 1},
        {"animated gif", "anim.gif", AnimatedGif(3), 2, 2, false, 0, "anim.gif", 3},
        {"jpeg", "photo.jpg", Jpeg(40, 30, 3), 40, 30, false, 1, "photo.jpg", 1},
        {"jpeg long extension", "photo2.jpeg", Jpeg(17, 9, 4), 17, 9, false, 1, "photo2.jpeg", 1},
        {"24-bit bitmap becomes gif", "shot.bmp", Bmp(12, 7, 24), 12, 7, false, 0, "shot.gif", 1},
        {"placeable wmf", "draw.wmf", PlaceableWmf(1440, 720, 1440), 96, 48, true, 1, "draw.wmf", 1},
        {"emf", "draw.emf", Emf(2540, 5080), 96, 192, true, 1, "draw.emf", 1},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        THQVset set(msgs_);
        THQVoggetto* o = set.AddPictureFile(Write(r.file, r.data));
        ASSERT_NE(o, nullptr);
        EXPECT_TRUE(o->IsRegistered());
        EXPECT_EQ(o->Kind(), immagine);
        EXPECT_EQ(o->U16(85), r.width);
        EXPECT_EQ(o->U16(87), r.height);
        EXPECT_EQ(o->I32(170), r.transparent ? -1 : -2);
        EXPECT_EQ(o->State(), r.state);
        EXPECT_EQ(o->FileName(), r.stored);
        EXPECT_EQ(o->Name(), WithoutExtension(r.stored));
        EXPECT_EQ(uint64_t(o->I32(174)), o->ContentLength());
        auto pic = o->Picture();
        ASSERT_NE(pic, nullptr);
        EXPECT_EQ(pic->width, r.width);
        EXPECT_EQ(pic->height, r.height);
        EXPECT_EQ(pic->frames, r.frames);
        if (pic->IsMetafile())
            EXPECT_EQ(pic->metafile, r.data);
        else
            EXPECT_EQ(pic->rgba.size(), size_t(r.width) * size_t(r.height) * 4);
    }
    EXPECT_EQ(msgs_.entries().size(), 0u) << msgs_.joined();
}

TEST_F(PicturesTest, OtherExtensionsAddNothing) {
    THQVset set(msgs_);
    for (const char* name : {"pic.png", "pic.tif", "pic", "gif"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(set.AddPictureFile(Write(name, Gif(4, 4, 1))), nullptr);
    }
    EXPECT_EQ(set.AddPictureFile(dir_ / "missing.gif"), nullptr);
    EXPECT_EQ(set.ObjectCount(immagine), 0);
}

TEST_F(PicturesTest, CorruptPicturesAreRefusedWithoutACrash) {
    Bytes gif = Gif(16, 16, 5);
    Bytes jpeg = Jpeg(64, 64, 6);
    auto cut = [](const Bytes& b, size_t n) { return Bytes(b.begin(), b.begin() + std::ptrdiff_t(n)); };
    Bytes gifBadCode = gif;
    // The LZW minimum code size byte after the image descriptor: 12 is invalid.
    size_t desc = 13 + 3 * (size_t(2) << (gif[10] & 7));
    ASSERT_EQ(gifBadCode[desc], 0x2C);
    gifBadCode[desc + 10] = 12;
    Bytes gifHuge = gif;
    PutU16(&gifHuge[6], 0xFFFF);
    PutU16(&gifHuge[8], 0xFFFF);
    Bytes jpegGarbage = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0xFF, 0xFF, 0xFF, 0xFF, 0x03};
    Bytes bmpShort = Bmp(40, 40, 24);
    bmpShort.resize(bmpShort.size() / 2);
    Bytes bmpHuge = Bmp(2, 2, 24);
    PutI32(&bmpHuge[18], 0x7FFFFFFF);
    Bytes bmpRle = Bmp(4, 4, 8);
    PutU32(&bmpRle[30], 1);

    struct Row {
        const char* name;
        const char* file;
        Bytes data;
    } rows[] = {
        {"empty gif", "a.gif", {}},
        {"gif header only", "b.gif", cut(gif, 13)},
        {"gif cut inside the first image", "c.gif", cut(gif, gif.size() / 2 + 20)},
        {"gif with an invalid code size", "d.gif", gifBadCode},
        {"gif whose screen is too large", "e.gif", gifHuge},
        {"gif that is text", "f.gif", Bytes{'h', 'e', 'l', 'l', 'o'}},
        {"jpeg start marker only", "a.jpg", cut(jpeg, 2)},
        {"jpeg cut after its header", "b.jpg", cut(jpeg, 400)},
        {"jpeg cut inside the scan", "c.jpg", cut(jpeg, jpeg.size() - 40)},
        {"jpeg with a garbage frame header", "d.jpg", jpegGarbage},
        {"bitmap cut short", "a.bmp", bmpShort},
        {"bitmap too wide", "b.bmp", bmpHuge},
        {"run-length bitmap", "c.bmp", bmpRle},
        {"wmf without header", "a.wmf", Bytes{1, 2, 3}},
        {"emf without signature", "a.emf", Bytes(88, 0)},
    };
    THQVset set(msgs_);
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(set.AddPictureFile(Write(r.file, r.data)), nullptr);
        EXPECT_FALSE(DecodePicture(r.data, r.file)) << "decoded";
    }
    // A picture is read as its extension says: a GIF named .jpeg is refused,
    // although its bytes alone would decode.
    EXPECT_EQ(set.AddPictureFile(Write("e.jpeg", gif)), nullptr);
    EXPECT_TRUE(DecodePicture(gif, "e.jpeg"));
    EXPECT_EQ(set.ObjectCount(immagine), 0);
    EXPECT_EQ(msgs_.entries().size(), 0u) << msgs_.joined();
}

TEST_F(PicturesTest, BitmapsDecodeEveryDepthExactly) {
    struct Row {
        const char* name;
        int bpp;
        bool topDown;
    } rows[] = {{"1 bit", 1, false}, {"4 bits", 4, false}, {"8 bits", 8, false},
                {"24 bits", 24, false}, {"24 bits top-down", 24, true}, {"32 bits", 32, false}};
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        const int w = 13, h = 5;
        PictureResult p = DecodeBmp(Bmp(w, h, r.bpp, r.topDown));
        ASSERT_TRUE(p) << p.error;
        ASSERT_EQ(p.picture->width, w);
        ASSERT_EQ(p.picture->height, h);
        int colours = r.bpp <= 8 ? 1 << r.bpp : 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint8_t* px = &p.picture->rgba[(size_t(y) * w + size_t(x)) * 4];
                uint8_t er, eg, eb;
                if (colours) {
                    er = eg = eb = uint8_t(((x + y) % colours) * 255 / (colours - 1));
                } else {
                    er = 200, eg = uint8_t(y * 10), eb = uint8_t(x * 10);
                }
                ASSERT_EQ(px[0], er) << x << "," << y;
                ASSERT_EQ(px[1], eg) << x << "," << y;
                ASSERT_EQ(px[2], eb) << x << "," << y;
                ASSERT_EQ(px[3], 255);
            }
    }
}

TEST_F(PicturesTest, GifKeepsFlatColoursAndTheTransparentCorner) {
    DecodedPicture source = Bitmap(10, 6, 7, true);
    Bytes gif;
    ASSERT_TRUE(EncodeGif(source, gif));
    PictureResult back = DecodeGif(gif);
    ASSERT_TRUE(back) << back.error;
    EXPECT_TRUE(back.picture->transparent);
    EXPECT_EQ(back.picture->rgba[3], 0);  // the corner
    for (size_t i = 4; i < source.rgba.size(); i += 4)
        for (size_t c = 0; c < 4; ++c) ASSERT_NEAR(back.picture->rgba[i + c], source.rgba[i + c], 2);
}

// Inputs a fuzzer found, kept by name. Each is added as its extension says;
// when it is accepted, the stored picture must decode again at the size
// recorded (a picture that is added but cannot be shown is a fault).
TEST_F(PicturesTest, FuzzerFindingsStayFixed) {
    const fs::path folder = fs::path(OVIK_FUZZ_REGRESSIONS) / "picture";
    ASSERT_TRUE(fs::is_directory(folder));
    THQVset set(msgs_);
    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        SCOPED_TRACE(entry.path().filename().string());
        ++files;
        Bytes data = Read(entry.path());
        DecodePicture(data, entry.path().filename().string());
        if (THQVoggetto* o = set.AddPictureFile(entry.path())) {
            auto pic = o->Picture();
            ASSERT_NE(pic, nullptr);
            EXPECT_EQ(pic->width, o->U16(85));
            EXPECT_EQ(pic->height, o->U16(87));
        }
    }
    EXPECT_GT(files, 0);
}

// --- the cache -------------------------------------------------------------------------

TEST_F(PicturesTest, TheTwentyFirstCachedPictureDropsTheFirst) {
    THQVset set(msgs_);
    ASSERT_EQ(set.MaxCacheImg, 20);
    std::vector<THQVoggetto*> pics;
    for (int i = 0; i < 21; ++i) {
        pics.push_back(set.AddPictureFile(Write("p" + std::to_string(i) + ".gif", Gif(4, 4, uint32_t(i)))));
        ASSERT_NE(pics.back(), nullptr);
    }
    ASSERT_EQ(set.ObjectCount(immagine), 21);
    for (int i = 0; i < 20; ++i) ASSERT_NE(pics[size_t(i)]->Picture(), nullptr);
    EXPECT_EQ(set.PictureCacheSize(), 20u);
    EXPECT_NE(set.CachedPicture(*pics[0]), nullptr);
    ASSERT_NE(pics[20]->Picture(), nullptr);
    EXPECT_EQ(set.PictureCacheSize(), 20u);
    EXPECT_EQ(set.CachedPicture(*pics[0]), nullptr);
    for (int i = 1; i <= 20; ++i) EXPECT_NE(set.CachedPicture(*pics[size_t(i)]), nullptr) << i;
    // A picture served from the cache is the cached one, not a new decoding.
    EXPECT_EQ(pics[5]->Picture(), set.CachedPicture(*pics[5]));
}

TEST_F(PicturesTest, CacheEntriesGoOnReleaseReplaceDestroyAndClear) {
    struct Row {
        const char* name;
        std::function<void(THQVset&, THQVoggetto*&)> act;
    } rows[] = {
        {"release", [](THQVset&, THQVoggetto*& o) { o->MakeFree(); }},
        {"replace content",
         [this](THQVset& s, THQVoggetto*& o) {
             auto r = s.AddPictureData(Write("new.gif", Gif(9, 9, 40)), false, 9, 9);
             ASSERT_TRUE(r.owned);
             EXPECT_TRUE(o->ReplaceContent(std::move(r.owned)));
         }},
        {"slot taken by another object",
         [](THQVset& s, THQVoggetto*& o) {
             auto other = s.NewObject(immagine);
             THQVoggetto::Register(other, o->Number());
             o = nullptr;
         }},
        {"clear all", [](THQVset& s, THQVoggetto*& o) {
             s.ClearAll();
             o = nullptr;
         }},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        THQVset set(msgs_);
        THQVoggetto* o = set.AddPictureFile(Write("c.gif", Gif(5, 5, 30)));
        ASSERT_NE(o, nullptr);
        auto first = o->Picture();
        ASSERT_NE(first, nullptr);
        ASSERT_EQ(set.PictureCacheSize(), 1u);
        r.act(set, o);
        EXPECT_EQ(set.PictureCacheSize(), 0u);
        if (o) {
            EXPECT_EQ(set.CachedPicture(*o), nullptr);
        }
        // A decoding handed out earlier stays valid.
        EXPECT_EQ(first->width, 5);
    }
    // An unregistered picture destroyed by its owner drops its entry too.
    THQVset set(msgs_);
    auto r = set.AddPictureData(Write("u.gif", Gif(3, 3, 50)), false, 3, 3);
    ASSERT_TRUE(r.owned);
    ASSERT_NE(r.owned->Picture(), nullptr);
    EXPECT_EQ(set.PictureCacheSize(), 1u);
    r.owned.reset();
    EXPECT_EQ(set.PictureCacheSize(), 0u);
    EXPECT_EQ(msgs_.entries().size(), 0u) << msgs_.joined();
}

TEST_F(PicturesTest, OnlyPicturesAreCachedAndReplaced) {
    THQVset set(msgs_);
    THQVoggetto* file = set.AddEmbeddedFile(Write("x.txt", std::string("x")));
    ASSERT_NE(file, nullptr);
    set.CachePicture(*file, std::make_shared<DecodedPicture>());
    EXPECT_EQ(set.PictureCacheSize(), 0u);
    THQVoggetto* pic = set.AddPictureFile(Write("p.gif", Gif(2, 2, 1)));
    EXPECT_FALSE(file->ReplaceContent(*pic));
    EXPECT_FALSE(pic->ReplaceContent(*file));
    EXPECT_EQ(msgs_.joined(),
              "What happens? Image cache bug?\nReplaceContent called improperly...\n"
              "ReplaceContent called improperly...");
}

// --- adding and reusing ------------------------------------------------------------------

TEST_F(PicturesTest, TheSamePictureAddedTwiceIsTheSameObject) {
    THQVset set(msgs_);
    Bytes gif = Gif(6, 6, 9);
    fs::path p = Write("same.gif", gif);
    THQVoggetto* a = set.AddPictureFile(p);
    THQVoggetto* b = set.AddPictureFile(p);
    THQVoggetto* c = set.AddPictureFile(Write("other/copy.gif", gif));  // same bytes, other name
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a, c);
    EXPECT_EQ(set.ObjectCount(immagine), 1);
    THQVoggetto* d = set.AddPictureFile(Write("same2.gif", Gif(6, 6, 10)));
    EXPECT_NE(d, a);
    EXPECT_EQ(set.ObjectCount(immagine), 2);
    // AddPictureData returns the existing picture without handing out a copy.
    auto r = set.AddPictureData(p, false, 6, 6);
    EXPECT_EQ(r.object, a);
    EXPECT_FALSE(r.owned);
}

TEST_F(PicturesTest, EmbeddedFilesWithTheSameNameGetUniqueStoredNames) {
    THQVset set(msgs_);
    THQVoggetto* first = set.AddEmbeddedFile(Write("one/a.txt", std::string("first")));
    THQVoggetto* second = set.AddEmbeddedFile(Write("two/A.TXT", std::string("second")));
    THQVoggetto* third = set.AddEmbeddedFile(Write("three/a.txt", std::string("third")));
    ASSERT_TRUE(first && second && third);
    EXPECT_EQ(first->FileName(), "a.txt");
    EXPECT_EQ(first->Name(), "a.txt");
    EXPECT_EQ(first->State(), 4);
    std::regex generated("ed[0-9A-F]{6}\\.TXT");
    EXPECT_TRUE(std::regex_match(second->FileName(), generated)) << second->FileName();
    EXPECT_TRUE(std::regex_match(third->FileName(), std::regex("ed[0-9A-F]{6}\\.txt")))
        << third->FileName();
    EXPECT_NE(second->FileName(), third->FileName());
    EXPECT_EQ(Content(*second), Bytes({'s', 'e', 'c', 'o', 'n', 'd'}));
    // Each copy lies in the set's temporary folder, not at the source.
    EXPECT_EQ(second->ExternalFile().parent_path(), set.TempFolder());
    // A picture's stored name clashes with embedded files' too.
    THQVoggetto* pic = set.AddPictureFile(Write("a.gif", Gif(2, 2, 3)));
    THQVoggetto* file = set.AddEmbeddedFile(Write("four/a.gif", std::string("not a picture")));
    ASSERT_TRUE(pic && file);
    EXPECT_EQ(pic->FileName(), "a.gif");
    EXPECT_NE(file->FileName(), "a.gif");
    EXPECT_EQ(set.ObjectCount(genLink), 4);
}

TEST_F(PicturesTest, FilesThatCannotBeHeldAreRefusedWithAMessage) {
    // Lengths are 32-bit in the file: 2 GiB and more cannot be saved. The file
    // is sparse, so the test writes almost nothing.
    auto sparse = [this](const char* name) {
        fs::path p = Write(name, Gif(2, 2, 1));
        fs::resize_file(p, uint64_t(INT32_MAX) + 1);
        return p;
    };
    fs::path huge = sparse("huge.bin"), hugeGif = sparse("huge.gif");
    struct Row {
        const char* name;
        fs::path path;
        const char* message;
        std::string reason;  // the system's, after the name
    } rows[] = {
        {"missing file", dir_ / "nothing.txt", "Errore nella lettura file:", " (No such file or directory)"},
        {"a folder", dir_, "Errore nella lettura file:", " (Is a directory)"},
        {"over 2 GiB", huge, "File troppo grande per un ipertesto (oltre 2 GB): ", ""},
    };
    THQVset set(msgs_);
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        msgs_.clear();
        EXPECT_EQ(set.AddEmbeddedFile(r.path), nullptr);
        ASSERT_EQ(msgs_.entries().size(), 1u);
        EXPECT_EQ(msgs_.entries()[0].text, r.message + r.path.string() + r.reason);
    }
    EXPECT_EQ(set.ObjectCount(genLink), 0);
    EXPECT_EQ(set.AddPictureData(hugeGif, false, 1, 1).object, nullptr);
    EXPECT_EQ(set.AddPictureFile(hugeGif), nullptr);
    EXPECT_EQ(set.ObjectCount(immagine), 0);
}

TEST_F(PicturesTest, AnEmbeddedFileAddedIntoAnExistingObjectReplacesIt) {
    THQVset set(msgs_);
    THQVoggetto* o = set.AddEmbeddedFile(Write("a.txt", std::string("old")));
    ASSERT_NE(o, nullptr);
    fs::path oldCopy = o->ExternalFile();
    THQVoggetto* again = set.AddEmbeddedFile(Write("b.txt", std::string("new")), *o);
    EXPECT_EQ(again, o);
    EXPECT_EQ(o->FileName(), "b.txt");
    EXPECT_EQ(Content(*o), Bytes({'n', 'e', 'w'}));
    EXPECT_FALSE(fs::exists(oldCopy));
    EXPECT_EQ(set.ObjectCount(genLink), 1);
}

TEST_F(PicturesTest, PlacementsShowTheirPicture) {
    THQVset set(msgs_);
    THQVoggetto* pic = set.AddPictureFile(Write("sun.gif", Gif(33, 22, 4)));
    ASSERT_NE(pic, nullptr);
    pic->SetI32(182, MakeId(testoHtml, 7));  // a zone of the picture's own map
    auto place = set.AddImmagineNew(pic);
    ASSERT_NE(place, nullptr);
    EXPECT_EQ(place->Kind(), immagineNew);
    EXPECT_FALSE(place->IsRegistered());
    EXPECT_EQ(place->I32(0), pic->Number());
    EXPECT_EQ(place->U8(13), 4);
    EXPECT_EQ(place->U8(14), 0);
    EXPECT_EQ(place->U8(23), 0);
    EXPECT_EQ(place->U16(15), 33);
    EXPECT_EQ(place->U16(17), 22);
    EXPECT_EQ(place->I16(19), 33);
    EXPECT_EQ(place->I16(21), 22);
    EXPECT_EQ(place->Str(28, 32), "sun");
    EXPECT_EQ(place->I32(73), MakeId(testoHtml, 7));
    EXPECT_EQ(place->PictureObject(), pic);
    EXPECT_EQ(place->Picture(), pic->Picture());

    set.Alt = false;
    auto noAlt = set.AddImmagineNew(pic);
    EXPECT_EQ(noAlt->Str(28, 32), "");

    auto empty = set.AddImmagineNew(static_cast<THQVoggetto*>(nullptr));
    EXPECT_EQ(empty->I32(0), -1);
    EXPECT_EQ(empty->I16(19), 100);
    EXPECT_EQ(empty->I16(21), 100);
    EXPECT_EQ(empty->Picture(), nullptr);

    // An unregistered picture is registered by its placement.
    auto fresh = set.AddPictureData(Write("moon.gif", Gif(3, 4, 5)), false, 4, 3);
    ASSERT_TRUE(fresh.owned);
    THQVoggetto* freshPic = fresh.object;
    auto place2 = set.AddImmagineNew(std::move(fresh.owned));
    ASSERT_NE(place2, nullptr);
    EXPECT_TRUE(freshPic->IsRegistered());
    EXPECT_EQ(place2->I32(0), freshPic->Number());

    THQVset other(msgs_);
    THQVoggetto* foreign = other.AddPictureFile(Write("star.gif", Gif(2, 2, 6)));
    EXPECT_EQ(set.AddImmagineNew(foreign), nullptr);
    EXPECT_EQ(msgs_.joined(), "Different HQVset in AddImmagineNew!");
}

TEST_F(PicturesTest, DuplicatingAPictureReusesAnEqualOne) {
    THQVset set(msgs_), other(msgs_);
    THQVoggetto* mine = set.AddPictureFile(Write("a.gif", Gif(4, 4, 1)));
    THQVoggetto* same = other.AddPictureFile(Write("b.gif", Gif(4, 4, 1)));
    THQVoggetto* different = other.AddPictureFile(Write("a2/a.gif", Gif(4, 4, 2)));
    ASSERT_TRUE(mine && same && different);
    auto r1 = set.DuplicatePicture(*same);
    EXPECT_EQ(r1.object, mine);
    EXPECT_FALSE(r1.owned);
    auto r2 = set.DuplicatePicture(*different);
    ASSERT_TRUE(r2.owned);
    EXPECT_EQ(r2.object->Owner(), &set);
    EXPECT_FALSE(r2.object->IsRegistered());
    EXPECT_EQ(Content(*r2.object), Content(*different));
    EXPECT_NE(r2.object->FileName(), "a.gif");  // stored names stay unique in this set
    EXPECT_EQ(r2.object->U16(85), 4);
}

TEST_F(PicturesTest, ReplacingContentTakesTheNewPicture) {
    THQVset set(msgs_);
    THQVoggetto* o = set.AddPictureFile(Write("old.gif", Gif(4, 4, 1)));
    ASSERT_NE(o, nullptr);
    int32_t number = o->Number();
    set.Header()[hdr::kRevision] = 9;
    Bytes jpeg = Jpeg(12, 8, 3);
    auto r = set.AddPictureData(Write("new.jpg", jpeg), false, 8, 12);
    ASSERT_TRUE(r.owned);
    ASSERT_TRUE(o->ReplaceContent(std::move(r.owned)));
    EXPECT_EQ(o->Number(), number);
    EXPECT_TRUE(o->IsRegistered());
    EXPECT_EQ(o->FileName(), "new.jpg");
    EXPECT_EQ(o->State(), 1);
    EXPECT_EQ(o->RevisionStamp(), 9);
    EXPECT_EQ(Content(*o), jpeg);
    auto pic = o->Picture();
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(pic->format, PictureFormat::Jpeg);
}

// --- names from documents -----------------------------------------------------------------

TEST_F(PicturesTest, HostileStoredNamesNeverLeaveTheirFolder) {
    const char* hostile[] = {"../../x", "/etc/passwd", "a\\b", "..", "c:\\windows\\evil.gif"};
    fs::path hqv = dir_ / "hostile.hqv";
    fs::path exportDir = dir_ / "export";
    fs::path before = dir_ / "canary";
    {
        THQVset set(msgs_);
        for (const char* name : hostile) {
            THQVoggetto* f = set.AddEmbeddedFile(Write("f.txt", std::string("payload")));
            THQVoggetto* p = set.AddPictureFile(Write("p" + std::to_string(f->Number()) + ".gif",
                                                      Gif(2, 2, uint32_t(f->Number()))));
            ASSERT_TRUE(f && p);
            // As a damaged or hostile file would have them.
            f->SetStr(5, 79, name);
            p->SetStr(94, 75, name);
        }
        ASSERT_TRUE(set.SaveHypertext(hqv)) << msgs_.joined();
    }
    THQVset set(msgs_);
    ASSERT_TRUE(set.OpenHypertext(hqv));
    const fs::path temp = fs::canonical(set.TempFolder());
    auto inside = [](const fs::path& folder, const fs::path& p) {
        fs::path c = fs::weakly_canonical(p);
        return c.parent_path() == folder;
    };
    // A name "x" above the temporary folder may exist already (it is shared):
    // only what extracting makes counts.
    const bool xBeside = fs::exists(temp.parent_path() / "x");
    const bool xAbove = fs::exists(temp.parent_path().parent_path() / "x");
    for (uint8_t kind : {genLink, immagine}) {
        for (int32_t i = 0; i < set.ObjectCount(kind); ++i) {
            THQVoggetto* o = set.GetObject(kind, i);
            SCOPED_TRACE(o->FileName());
            fs::path extracted = o->ExtractToTempFile();
            ASSERT_FALSE(extracted.empty());
            EXPECT_TRUE(inside(temp, extracted)) << extracted;
            fs::create_directories(exportDir);
            fs::path exported = exportDir / SafeFileName(o->FileName());
            ASSERT_TRUE(o->ExtractToFile(exported));
            EXPECT_TRUE(inside(fs::canonical(exportDir), exported)) << exported;
        }
    }
    // Nothing was written beside or above the folders.
    EXPECT_FALSE(fs::exists(dir_ / "x"));
    EXPECT_EQ(fs::exists(temp.parent_path() / "x"), xBeside);
    EXPECT_EQ(fs::exists(temp.parent_path().parent_path() / "x"), xAbove);
}

// --- through a saved file ---------------------------------------------------------------

TEST_F(PicturesTest, PicturesAndFilesSurviveSaveAndOpen) {
    fs::path hqv = dir_ / "round.hqv";
    Bytes gif = Gif(21, 13, 8, true), jpeg = Jpeg(50, 40, 9), blob(100000);
    for (size_t i = 0; i < blob.size(); ++i) blob[i] = uint8_t(i * 7 + 3);
    int32_t gifNo, jpegNo, fileNo;
    {
        THQVset set(msgs_);
        gifNo = set.AddPictureFile(Write("g.gif", gif))->Number();
        jpegNo = set.AddPictureFile(Write("j.jpg", jpeg))->Number();
        fileNo = set.AddEmbeddedFile(Write("data.bin", blob))->Number();
        auto place = set.AddImmagineNew(set.GetObject(immagine, gifNo));
        THQVoggetto::Register(place, -1);
        ASSERT_TRUE(set.SaveHypertext(hqv)) << msgs_.joined();
        // The save reopened the file: the bytes now come from it.
        EXPECT_TRUE(set.GetObject(immagine, gifNo)->ContentInFile());
    }
    THQVset set(msgs_);
    ASSERT_TRUE(set.OpenHypertext(hqv));
    THQVoggetto* g = set.GetObject(immagine, gifNo);
    THQVoggetto* j = set.GetObject(immagine, jpegNo);
    THQVoggetto* f = set.GetObject(genLink, fileNo);
    ASSERT_TRUE(g && j && f);
    EXPECT_TRUE(g->ContentInFile());
    EXPECT_TRUE(f->ContentInFile());
    EXPECT_EQ(Content(*g), gif);
    EXPECT_EQ(Content(*j), jpeg);
    EXPECT_EQ(Content(*f), blob);
    EXPECT_EQ(g->FileName(), "g.gif");
    EXPECT_EQ(f->FileName(), "data.bin");
    EXPECT_EQ(g->I32(170), -1);
    EXPECT_EQ(j->I32(170), -2);
    auto pic = set.GetObject(immagineNew, 0)->Picture();
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(pic->width, 21);
    EXPECT_EQ(pic->height, 13);
    EXPECT_TRUE(pic->transparent);
    // Adding the same picture again finds the one in the file.
    EXPECT_EQ(set.AddPictureFile(Write("again.jpg", jpeg)), j);
    fs::path out = set.GetObject(genLink, fileNo)->ExtractToTempFile();
    EXPECT_EQ(Read(out), blob);
    EXPECT_EQ(msgs_.entries().size(), 0u) << msgs_.joined();
}

// --- the batch tool ---------------------------------------------------------------------

TEST_F(PicturesTest, BatchToolAddsFilesAndPictures) {
    fs::path hqv = dir_ / "cli.hqv";
    fs::path gif = Write("cli.gif", Gif(7, 5, 11));
    fs::path txt = Write("cli.txt", std::string("text"));
    auto run = [&](const std::string& args) {
        std::string cmd = std::string(OVIKC_PATH) + " " + args + " > " + (dir_ / "out.txt").string() +
                          " 2>&1";
        int rc = std::system(cmd.c_str());
        Bytes out = Read(dir_ / "out.txt");
        return std::make_pair(rc, std::string(out.begin(), out.end()));
    };
    ASSERT_EQ(run("new " + hqv.string()).first, 0);
    EXPECT_EQ(run("add-picture " + hqv.string() + " " + gif.string()),
              std::make_pair(0, std::string("5 immagine 0\n")));
    EXPECT_EQ(run("add-picture " + hqv.string() + " " + gif.string()),
              std::make_pair(0, std::string("5 immagine 0\n")));
    EXPECT_EQ(run("add-file " + hqv.string() + " " + txt.string()),
              std::make_pair(0, std::string("3 genLink 0\n")));
    auto bad = run("add-picture " + hqv.string() + " " + Write("bad.jpg", Bytes{0xFF, 0xD8}).string());
    EXPECT_NE(bad.first, 0);
    EXPECT_NE(bad.second.find("cannot add"), std::string::npos) << bad.second;
    THQVset set(msgs_);
    ASSERT_TRUE(set.OpenHypertext(hqv));
    EXPECT_EQ(set.ObjectCount(immagine), 1);
    EXPECT_EQ(set.ObjectCount(genLink), 1);
    EXPECT_EQ(set.GetObject(immagine, 0)->U16(85), 7);
}

}  // namespace
}  // namespace ovik
