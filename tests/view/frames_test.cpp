// Frame layouts: reading and writing frame records and ".frm" files, refusing
// damaged layouts, sizing the frames of a view, and a page's layout object.
#include <gtest/gtest.h>

#include "document/hqv_set.h"
#include "page/page_record.h"
#include "platform/messages.h"
#include "support/frame_records.h"
#include "view/frames.h"

namespace ovik {
namespace {

using testing::Rec;
using testing::Records;

TEST(Frames, ThreeSideBySideChildrenArePercentageFixedAndFree) {
    // A root whose children stand side by side (placed at the left), with bars of 3.
    FrameRecord root = Rec(10, -1, "Pag1");
    root.spacing = 3;
    FrameTree tree;
    ASSERT_TRUE(tree.ReadRecords(Records({root, Rec(11, 10, "a", 1, 0, 25), Rec(12, 10, "b", 1, 1, 100, 100),
                                          Rec(13, 10, "c", 5, 2, 10)}),
                                 kFrameRecordSize));
    tree.Size(600, 300, false);
    const auto frames = tree.PreOrder();
    ASSERT_EQ(frames.size(), 4u);
    struct Want {
        int32_t x, width;
    } want[] = {{0, 148}, {151, 100}, {254, 346}};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(frames[i + 1]->rec.title);
        EXPECT_EQ(frames[i + 1]->x, want[i].x);
        EXPECT_EQ(frames[i + 1]->width, want[i].width);
        EXPECT_EQ(frames[i + 1]->height, 300);
    }
    EXPECT_EQ(frames[1]->rec.pixels, 148);     // a percentage child takes its size in pixels
    EXPECT_EQ(frames[2]->rec.percentage, 17);  // a fixed child its share, rounded: 100 of 594
    // In an editable view the bars are at least 3 pixels; in a read-only one as stored.
    tree.Root()->rec.spacing = 0;
    tree.Size(600, 300, false);
    EXPECT_EQ(frames[2]->x, 150);
    tree.Size(600, 300, true);
    EXPECT_EQ(frames[2]->x, 151);
}

TEST(Frames, StackedChildrenAndAFreeChildBeforeTheLast) {
    FrameTree tree;
    ASSERT_TRUE(tree.ReadRecords(Records({Rec(1, -1, "Pag0"), Rec(2, 1, "top", 0, 2, 10), Rec(3, 1, "mid", 0, 1, 0, 50),
                                          Rec(4, 1, "rest", 3)}),
                                 kFrameRecordSize));
    tree.Root()->rec.spacing = 0;
    tree.Size(200, 400, false);
    const auto f = tree.PreOrder();
    EXPECT_EQ(f[1]->height, 350);  // the free child takes all the others leave
    EXPECT_EQ(f[1]->rec.percentage, 87);
    EXPECT_EQ(f[2]->y, 350);
    EXPECT_EQ(f[2]->height, 50);
    EXPECT_EQ(f[3]->height, 0);
    EXPECT_EQ(f[3]->width, 200);
}

TEST(Frames, RecordsAndFilesRoundTrip) {
    FrameTree tree;
    ASSERT_TRUE(tree.ReadRecords(Records({Rec(70, -1, "Pag3", 0, 0, 100, 20, 3), Rec(71, 70, "Frame0000AB", 1, 0, 30, 20, 5),
                                          Rec(72, 70, "Frame0000AC", 5, 0, 70, 20, 6)}),
                                 kFrameRecordSize));
    const Bytes file = tree.WriteFile();
    ASSERT_EQ(file.size(), 8u + 3 * kFrameRecordSize);
    EXPECT_EQ(GetI32(file.data()), 4660);
    EXPECT_EQ(GetI32(file.data() + 4), 58);
    FrameTree again;
    ASSERT_TRUE(again.ReadFile(file));
    const auto f = again.PreOrder();
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[1]->rec.title, "Frame0000AB");
    EXPECT_EQ(f[2]->rec.page, 6);
    EXPECT_EQ(f[1]->rec.parentId, f[0]->rec.id);  // ids are rewritten, parents follow
    EXPECT_EQ(f[0]->rec.hasChildren, 1);
    EXPECT_EQ(f[1]->rec.hasChildren, 0);
    EXPECT_EQ(again.WriteFile(), file);
}

TEST(Frames, OldShortRecordsGetTheirDefaults) {
    struct Case {
        const char* name;
        uint8_t old1, old2;
        uint8_t spacing, border;
    } cases[] = {{"neither old flag", 0, 0, 0, 0}, {"an old flag", 1, 0, 3, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FrameRecord r = Rec(1, -1, "Pag0");
        r.oldFlag1 = c.old1;
        r.oldFlag2 = c.old2;
        Bytes full;
        r.Write(full);
        full.resize(52);  // an older layout's record
        FrameTree tree;
        ASSERT_TRUE(tree.ReadRecords(full, 52));
        const FrameRecord& read = tree.Root()->rec;
        EXPECT_EQ(read.spacing, c.spacing);
        EXPECT_EQ(read.border, c.border);
        EXPECT_EQ(read.sizeMode, 0);
        EXPECT_EQ(read.pixels, 20);
        EXPECT_EQ(read.barColour, int32_t(0x8000000F));
        EXPECT_EQ(read.oldFlag1 | read.oldFlag2, 0);
    }
}

TEST(Frames, DamagedLayoutsAreRefused) {
    const Bytes good = Records({Rec(1, -1, "Pag0"), Rec(2, 1, "a")});
    struct Case {
        const char* name;
        Bytes records;
        int32_t length;
    } cases[] = {
        {"a parent that names no earlier frame", Records({Rec(1, -1, "Pag0"), Rec(2, 9, "a")}), 58},
        {"a parent named only later", Records({Rec(1, -1, "Pag0"), Rec(2, 3, "a"), Rec(3, 1, "b")}), 58},
        {"a frame that is its own parent", Records({Rec(1, -1, "Pag0"), Rec(2, 2, "a")}), 58},
        {"an id used twice", Records({Rec(1, -1, "Pag0"), Rec(1, 1, "a")}), 58},
        {"two roots", Records({Rec(1, -1, "Pag0"), Rec(2, -1, "a")}), 58},
        {"a root with a parent", Records({Rec(1, 5, "Pag0")}), 58},
        {"a record length below 29", good, 28},
        {"a record length above 4096", good, 4097},
        {"a stream that ends inside a record", Bytes(good.begin(), good.end() - 1), 58},
        {"nothing", {}, 58},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FrameTree tree;
        std::string why;
        EXPECT_FALSE(tree.ReadRecords(c.records, c.length, &why));
        EXPECT_EQ(why, kMapProblem);
        EXPECT_TRUE(tree.Empty());
    }
    // A chain deeper than any real layout is refused too, without recursion.
    Bytes deep;
    Rec(0, -1, "Pag0").Write(deep);
    for (int32_t i = 1; i < 200; ++i) Rec(i, i - 1, "f").Write(deep);
    FrameTree tree;
    EXPECT_FALSE(tree.ReadRecords(deep, 58));
    // A file whose first number is not 0x1234.
    Bytes file = FrameTree().WriteFile();
    file[0] = 0x35;
    std::string why;
    EXPECT_FALSE(tree.ReadFile(file, &why));
    EXPECT_EQ(why, kWrongFormat);
    EXPECT_TRUE(tree.ReadFile({}));  // an empty file does nothing
}

TEST(Frames, TheHtmlFrameSetOfALayout) {
    FrameRecord root = Rec(1, -1, "Pag1");
    root.spacing = 3;
    FrameRecord a = Rec(2, 1, "a<b", 1, 0, 25, 20, 4);  // names are attribute text
    a.resizable = 1;
    FrameRecord b = Rec(3, 1, "b", 1, 1, 100, 100, 5);
    b.scrolling = 0;
    b.border = 0;
    FrameRecord c = Rec(4, 1, "c", 5, 2, 10, 20, 6);  // stacked children of its own
    FrameTree tree;
    ASSERT_TRUE(tree.ReadRecords(Records({root, a, b, c, Rec(5, 4, "c1", 0, 0, 40, 20, 7), Rec(6, 4, "c2", 3, 0, 60, 20, 8)}),
                                 kFrameRecordSize));
    const std::string html = FramesetHtml(tree, [](int32_t page) { return "p" + std::to_string(page) + ".htm"; });
    EXPECT_EQ(html,
              "<FRAMESET COLS=25%,100,* BORDER=3 FRAMESPACING=3 >\r\n"
              "\r<FRAME NAME=\"a b\" SRC=\"p4.htm\" SCROLLING=auto >\r\n"
              "\r<FRAME NAME=\"b\" SRC=\"p5.htm\" SCROLLING=no FRAMEBORDER=no NORESIZE>\r\n"
              "<FRAMESET ROWS=40%,60% BORDER=3 FRAMESPACING=3 >\r\n"
              "\r<FRAME NAME=\"c1\" SRC=\"p7.htm\" SCROLLING=auto NORESIZE>\r\n"
              "\r<FRAME NAME=\"c2\" SRC=\"p8.htm\" SCROLLING=auto NORESIZE>\r\n"
              "</FRAMESET>\r\n"
              "</FRAMESET>\r\n");
}

TEST(Frames, APageLayoutObjectIsReadAndReplaced) {
    platform::RecordingMessages msgs;
    THQVset set(msgs);
    set.NewHypertext();
    for (const char* t : {"Zero", "Uno"}) set.AddNewObject(testoHtml)->SetName(t);
    FrameTree tree;
    EXPECT_FALSE(ReadPageLayout(set, 1, tree));  // a page alone
    ASSERT_TRUE(tree.ReadRecords(Records({Rec(1, -1, "Pag1"), Rec(2, 1, "a", 0, 0, 50, 20, 0), Rec(3, 1, "b", 3)}), 58));
    ASSERT_TRUE(SetPageLayout(set, 1, tree));
    const int32_t layout = PageRecord{*set.Page(1)}.FrameLayout();
    ASSERT_GE(layout, 0);
    // The frame set text kept with it names the pages by identifier.
    const auto& block = set.GetObject(mappaFrame, layout)->LayoutBlock();
    ASSERT_TRUE(block.has_value());
    EXPECT_NE(std::string(block->begin(), block->end()).find("SRC=\"$00000000\""), std::string::npos);
    FrameTree read;
    ASSERT_TRUE(ReadPageLayout(set, 1, read));
    EXPECT_EQ(read.PreOrder().size(), 3u);
    // Another layout replaces it under the same number.
    FrameTree single;
    single.MakeSingle(1);
    ASSERT_TRUE(SetPageLayout(set, 1, single));
    EXPECT_EQ(PageRecord{*set.Page(1)}.FrameLayout(), layout);
    ASSERT_TRUE(ReadPageLayout(set, 1, read));
    EXPECT_EQ(read.PreOrder().size(), 1u);
    // A damaged layout object: "Map problem.", the object left as it is.
    set.GetObject(mappaFrame, layout)->SetContent(Bytes(10, 0xFF));
    std::string why;
    EXPECT_FALSE(ReadPageLayout(set, 1, read, &why));
    EXPECT_EQ(why, kMapProblem);
    Bytes kept;
    set.GetObject(mappaFrame, layout)->ReadContent(kept);
    EXPECT_EQ(kept, Bytes(10, 0xFF));
}

}  // namespace
}  // namespace ovik
