// ovikc add-picture with bitmap files (the conversion of a pasted bitmap,
// chosen from the command line) and ovikc layout (placed objects of a page
// laid out at a given width).
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdio>

#include "document/bitmap_conversion.h"
#include "document/hqv_set.h"
#include "platform/messages.h"
#include "support/hqv_builder.h"
#include "support/page_text.h"
#include "support/run_tool.h"

namespace ovik {
namespace {

namespace fs = std::filesystem;
using testing::RunOvikc;

// A 24-bit bottom-up BMP: left half white, right half black, bottom row red.
Bytes Bmp24(int w, int h) {
    const size_t stride = ((size_t(w) * 24 + 31) / 32) * 4;
    Bytes b(54 + stride * size_t(h), 0);
    b[0] = 'B', b[1] = 'M';
    PutU32(&b[2], uint32_t(b.size()));
    PutU32(&b[10], 54);
    PutU32(&b[14], 40);
    PutI32(&b[18], w);
    PutI32(&b[22], h);
    PutU16(&b[26], 1);
    PutU16(&b[28], 24);
    for (int y = 0; y < h; ++y)  // file row 0 is the bottom row
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &b[54 + size_t(y) * stride + size_t(x) * 3];
            if (y == 0) p[0] = 0, p[1] = 0, p[2] = 255;
            else if (x < w / 2) p[0] = p[1] = p[2] = 255;
        }
    return b;
}

struct PictureFile {
    testing::TempDir dir;
    fs::path hqv = dir / "p.hqv";
    fs::path bmp = dir / "shot.bmp";
    PictureFile() {
        EXPECT_EQ(RunOvikc({"new", hqv.string()}).status, 0);
        testing::WriteFileBytes(bmp, Bmp24(16, 8));
    }
    // Adds the bitmap with `options`; the stored picture's bytes.
    Bytes Add(std::vector<std::string> options, std::string* name = nullptr) {
        std::vector<std::string> args{"add-picture", hqv.string(), bmp.string()};
        args.insert(args.end(), options.begin(), options.end());
        auto r = RunOvikc(args);
        EXPECT_EQ(r.status, 0) << r.err;
        int kind = -1, number = -1;
        char kindName[64] = {};
        EXPECT_EQ(std::sscanf(r.out.c_str(), "%d %63s %d", &kind, kindName, &number), 3) << r.out;
        EXPECT_EQ(kind, 5);
        platform::RecordingMessages msgs;
        THQVset set(msgs);
        EXPECT_TRUE(set.OpenHypertext(hqv));
        THQVoggetto* o = set.GetObject(immagine, number);
        if (!o) return {};
        if (name) *name = o->FileName();
        Bytes bytes;
        EXPECT_TRUE(o->ReadContent(bytes));
        return bytes;
    }
};

TEST(OvikcAddPicture, BitmapsGoThroughTheChosenConversion) {
    PictureFile f;
    std::string name;
    Bytes gif = f.Add({}, &name);
    EXPECT_EQ(name, "shot.gif");
    PictureResult p = DecodeGif(gif);
    ASSERT_TRUE(p) << p.error;
    EXPECT_FALSE(p.picture->transparent);

    gif = f.Add({"--transparent"});
    p = DecodeGif(gif);
    ASSERT_TRUE(p) << p.error;
    EXPECT_TRUE(p.picture->transparent);
    // The lower-left colour (the red bottom row) is transparent, nothing else.
    auto alpha = [&](int x, int y) { return p.picture->rgba[(size_t(y) * 16 + size_t(x)) * 4 + 3]; };
    EXPECT_EQ(alpha(0, 7), 0);
    EXPECT_EQ(alpha(15, 7), 0);
    EXPECT_EQ(alpha(0, 0), 255);
    EXPECT_EQ(alpha(15, 0), 255);

    Bytes low = f.Add({"--as", "jpg", "--quality", "5"}, &name);
    EXPECT_EQ(name.substr(name.size() - 4), ".jpg");
    Bytes high = f.Add({"--quality", "100", "--as", "jpg"});
    ASSERT_TRUE(DecodeJpeg(low));
    ASSERT_TRUE(DecodeJpeg(high));
    EXPECT_LT(low.size(), high.size());
}

TEST(OvikcAddPicture, WrongChoicesAreRefusedAndChangeNothing) {
    PictureFile f;
    testing::WriteFileBytes(f.dir / "bad.png", Bytes{0x89, 'P', 'N', 'G', 1, 2, 3});
    const Bytes before = testing::ReadFileBytes(f.hqv);
    struct Row {
        std::vector<std::string> extra;
        int status;
        const char* inErr;
    } rows[] = {
        {{"--as", "png"}, 2, "--as takes gif or jpg"},
        {{"--as", "jpg", "--quality", "101"}, 2, "0 to 100"},
        {{"--quality", "50"}, 2, "--quality is for --as jpg"},
        {{"--as", "jpg", "--transparent"}, 2, "--transparent is for --as gif"},
    };
    for (const Row& r : rows) {
        std::vector<std::string> args{"add-picture", f.hqv.string(), f.bmp.string()};
        args.insert(args.end(), r.extra.begin(), r.extra.end());
        auto res = RunOvikc(args);
        EXPECT_EQ(res.status, r.status) << res.err;
        EXPECT_NE(res.err.find(r.inErr), std::string::npos) << res.err;
    }
    auto res = RunOvikc({"add-picture", f.hqv.string(), (f.dir / "bad.png").string()});
    EXPECT_EQ(res.status, 1);
    EXPECT_NE(res.err.find("PNG"), std::string::npos) << res.err;
    EXPECT_EQ(testing::ReadFileBytes(f.hqv), before);
}

// Page 0: "ab " + placed picture 0 + " " + placed picture 1 (40 x 30 each).
struct LayoutFile {
    testing::TempDir dir;
    fs::path hqv = dir / "l.hqv";
    LayoutFile() {
        platform::RecordingMessages msgs;
        THQVset set(msgs);
        set.NewHypertext();
        THQVoggetto* page = set.AddNewObject(testoHtml);
        EXPECT_EQ(page->Number(), 0);
        THQVoggetto* a = testing::PlacedPicture(set, -1);
        THQVoggetto* b = testing::PlacedPicture(set, -1);
        b->SetI16(19, 50);
        page->SetContent(testing::Content("<Z S0 >ab " + testing::Tag(a->Id()) + " " +
                                                 testing::Tag(b->Id())));
        EXPECT_TRUE(set.SaveHypertext(hqv));
    }
    nlohmann::json Objects(int width) {
        auto r = RunOvikc({"layout", hqv.string(), "--page", "0", "--width", std::to_string(width), "--json"});
        EXPECT_EQ(r.status, 0) << r.err;
        return nlohmann::json::parse(r.out)["objects"];
    }
};

TEST(OvikcLayout, ListsPlacedObjectsWhereTheWidthPutsThem) {
    LayoutFile f;
    nlohmann::json wide = f.Objects(400);
    ASSERT_EQ(wide.size(), 2u) << wide.dump();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(wide[i]["kind"], 16);
        EXPECT_EQ(wide[i]["number"], i);
        EXPECT_EQ(wide[i]["paragraph"], 0);
        EXPECT_EQ(wide[i]["height"], 30);
    }
    EXPECT_EQ(wide[0]["offset"], 3);
    EXPECT_EQ(wide[1]["offset"], 5);
    EXPECT_EQ(wide[0]["width"], 40);
    EXPECT_EQ(wide[1]["width"], 50);
    // Three glyphs of 8 pixels before the first, one blank between them.
    EXPECT_EQ(wide[1]["x"].get<int>() - wide[0]["x"].get<int>(), 40 + 8);
    EXPECT_EQ(wide[1]["y"], wide[0]["y"]);

    // Too narrow for both on one line: the second goes to the next line.
    nlohmann::json narrow = f.Objects(100);
    ASSERT_EQ(narrow.size(), 2u);
    EXPECT_EQ(narrow[0]["x"], wide[0]["x"]);
    EXPECT_GT(narrow[1]["y"].get<int>(), narrow[0]["y"].get<int>() + 29);
    EXPECT_LT(narrow[1]["x"].get<int>(), narrow[0]["x"].get<int>());

    auto text = RunOvikc({"layout", f.hqv.string(), "--page", "0", "--width", "400"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("16 immagineNew 1\tparagraph 0 offset 5\t"), std::string::npos) << text.out;
}

TEST(OvikcLayout, BadArgumentsHaveMessages) {
    LayoutFile f;
    struct Row {
        std::vector<std::string> args;
        int status;
        const char* inErr;
    } rows[] = {
        {{"layout", f.hqv.string(), "--width", "400"}, 2, "--page N is needed"},
        {{"layout", f.hqv.string(), "--page", "0"}, 2, "--width W is needed"},
        {{"layout", f.hqv.string(), "--page", "0", "--width", "0"}, 2, "--width takes"},
        {{"layout", f.hqv.string(), "--page", "9", "--width", "400"}, 1, "page 9: no such page"},
    };
    for (const Row& r : rows) {
        auto res = RunOvikc(r.args);
        EXPECT_EQ(res.status, r.status) << res.err;
        EXPECT_NE(res.err.find(r.inErr), std::string::npos) << res.err;
    }
}

}  // namespace
}  // namespace ovik
