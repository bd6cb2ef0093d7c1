// The picture made from the clipboard: the mode the clipboard's formats give,
// what is enabled, the temporary file replaced by every conversion, the sizes
// shown, the red caption of a large metafile, and the picture made on Ok.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/bytes.h"
#include "document/hqv_set.h"
#include "page/picture_from_clipboard.h"
#include "platform/clipboard.h"
#include "platform/messages.h"

namespace ovik {
namespace {

namespace fs = std::filesystem;

platform::ClipboardBitmap Shot(int w, int h) {
    platform::ClipboardBitmap b;
    b.width = w;
    b.height = h;
    b.rgba.resize(size_t(w) * size_t(h) * 4, 255);
    for (int x = 0; x < w; ++x) {  // a red bottom row: the lower-left colour
        uint8_t* p = &b.rgba[(size_t(h - 1) * size_t(w) + size_t(x)) * 4];
        p[1] = p[2] = 0;
    }
    return b;
}

// A placeable WMF of exactly `size` bytes (96 x 48 pixels).
std::string Wmf(size_t size) {
    Bytes b(size, 0);
    PutU32(&b[0], 0x9AC6CDD7);
    PutU16(&b[10], 1440);
    PutU16(&b[12], 720);
    PutU16(&b[14], 1440);
    return std::string(b.begin(), b.end());
}

struct PictureFromClipboardTest : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    platform::InMemoryClipboard clipboard;
    PictureFromClipboardTest() { set.NewHypertext(); }
};

TEST_F(PictureFromClipboardTest, BitmapOnlyOpensInGifModeAndEachConversionReplacesTheFile) {
    platform::ClipboardData d;
    d.bitmap = Shot(20, 10);
    clipboard.Set(d);
    ClipboardPictureImport w(set, clipboard);
    w.Open();
    EXPECT_FALSE(w.MetafileMode());
    EXPECT_FALSE(w.EmfEnabled());
    EXPECT_FALSE(w.WmfEnabled());
    EXPECT_EQ(w.Import(), BitmapTarget::Gif);
    EXPECT_FALSE(w.QualityEnabled());
    EXPECT_TRUE(w.TransparentEnabled());
    ASSERT_TRUE(w.Error().empty()) << w.Error();
    const fs::path gif = w.TempFile();
    EXPECT_EQ(gif.extension(), ".gif");
    EXPECT_TRUE(fs::exists(gif));
    EXPECT_EQ(w.FromBytes(), 20 * 10 * 2);
    EXPECT_EQ(w.ToBytes(), int64_t(fs::file_size(gif)));

    w.SetImport(BitmapTarget::Jpeg);
    EXPECT_TRUE(w.QualityEnabled());
    EXPECT_FALSE(w.TransparentEnabled());
    const fs::path jpg = w.TempFile();
    EXPECT_EQ(jpg.extension(), ".jpg");
    EXPECT_FALSE(fs::exists(gif));
    w.SetImport(BitmapTarget::Gif);
    w.SetTransparent(true);
    const fs::path last = w.TempFile();
    EXPECT_FALSE(fs::exists(jpg));
    EXPECT_TRUE(fs::exists(last));
    EXPECT_EQ(w.Conversions(), 4);

    THQVoggetto* pic = w.Ok();
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(w.Result(), pic);
    EXPECT_TRUE(pic->IsRegistered());
    EXPECT_EQ(pic->U16(85), 20);
    EXPECT_EQ(pic->U16(87), 10);
    EXPECT_EQ(pic->I32(170), -1);  // transparent
    EXPECT_EQ(set.ObjectCount(immagine), 1);
    auto shown = pic->Picture();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->transparent);
    EXPECT_EQ(shown->rgba[(size_t(9) * 20) * 4 + 3], 0);  // the red row
    EXPECT_EQ(shown->rgba[3], 255);
}

TEST_F(PictureFromClipboardTest, MetafilesAreKeptAndLargeOnesTurnTheCaptionRed) {
    struct Row {
        size_t size;
        bool red;
    } rows[] = {{100000, false}, {100001, true}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.size);
        platform::ClipboardData d;
        d.metafile = Wmf(r.size);
        d.bitmap = Shot(4, 4);
        clipboard.Set(d);
        ClipboardPictureImport w(set, clipboard);
        w.Open();
        EXPECT_TRUE(w.MetafileMode());
        EXPECT_TRUE(w.WmfEnabled());
        EXPECT_FALSE(w.EmfEnabled());
        EXPECT_EQ(w.Format(), MetafileChoice::Wmf);
        EXPECT_EQ(w.TempFile().extension(), ".wmf");
        EXPECT_EQ(w.MetafileBytes(), int64_t(r.size));
        EXPECT_EQ(w.CaptionRed(), r.red);
        w.SetFormat(MetafileChoice::Emf);  // not offered: nothing changes
        EXPECT_EQ(w.Format(), MetafileChoice::Wmf);

        // "bitmap" switches to bitmap mode; "Da:" keeps the metafile's size.
        w.SetFormat(MetafileChoice::Bitmap);
        EXPECT_FALSE(w.MetafileMode());
        EXPECT_FALSE(w.CaptionRed());
        EXPECT_EQ(w.TempFile().extension(), ".gif");
        EXPECT_EQ(w.FromBytes(), int64_t(r.size));
        w.SetFormat(MetafileChoice::Wmf);
        THQVoggetto* pic = w.Ok();
        ASSERT_NE(pic, nullptr);
        EXPECT_EQ(pic->U16(85), 96);
        EXPECT_EQ(pic->U16(87), 48);
        EXPECT_EQ(pic->I32(170), -1);
    }
}

TEST_F(PictureFromClipboardTest, AnEmptyClipboardMakesNothing) {
    ClipboardPictureImport w(set, clipboard);
    w.Open();
    EXPECT_FALSE(w.Error().empty());
    EXPECT_TRUE(w.TempFile().empty());
    EXPECT_EQ(w.Ok(), nullptr);
    EXPECT_EQ(set.ObjectCount(immagine), 0);
}

}  // namespace
}  // namespace ovik
