// Reading then writing box markup reaches a fixed point: read-write-read-write
// gives the same bytes the second time; and hostile markup never makes the
// reader look past the zero byte or the end of the stream.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "text/markup_generator.h"
#include "text/text_test_support.h"

namespace ovik::testing {
namespace {

class FixedPointTest : public TextFixture {
protected:
    FixedPointTest() : table(set, 0, 1, 2), picture(set, 1) {
        index.controls = {&table, &picture};
        box.controls = &index;
    }
    // Reads the bytes through an exactly sized heap copy, so that a read past
    // the end is a sanitizer report.
    std::string RoundTrip(const std::string& in) {
        std::vector<uint8_t> exact(in.begin(), in.end());
        box.ClearParagraphs();
        BoxStream s(exact.data(), exact.size());
        box.LoadText(&s, nullptr, nullptr);
        EXPECT_GE(box.ParagraphCount(), 1);
        ExpectInvariants(box);
        return Str(box.Markup());
    }
    FakeTable table;
    FakeObject picture;
    FakeIndex index;
};

TEST_F(FixedPointTest, RandomMarkup) {
    for (uint32_t seed = 1; seed <= 400; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        MarkupGenerator g(seed);
        const std::string in = g.Page(int(seed % 60), seed % 2 == 0);
        const std::string first = RoundTrip(in);
        const std::string second = RoundTrip(first);
        ASSERT_EQ(second, first) << "input: " << in;
    }
}

TEST_F(FixedPointTest, HostileMarkup) {
    const char* rows[] = {
        "", "<", "<Z", "<Z ", "<Z S", "<Z S0", "<Z S0 ", "<Z S0 c", "<Z S0 c12", "<Z S0 F",
        "<Z S0 F\"", "<Z S0 >&", "<Z S0 >&#", "<Z S0 >&#12", "<Z S0 >&&", "<Z S0 ><$",
        "<Z S0 ><$FF", "<Z S0 ><$FF000000", "<Z S0 ><$FF000000>", "<Z S0 ><$FF000000><",
        "<Z S0 ><$FF000000><@", "<Z S0 ><$FF000000><T>", "<Z S0 ><Y", "<Z S0 ><Y ",
        "<Z S0 ><Y c", "<Z S0 ><Y F\"abc", "<Z S0 ><D", "<Z S0 ><D>x<d", "<Z S0 ><T",
        "<Z S99999999999999999999 >", "<Z S0 s-99999999999 >", "<Z S0 ><Y s2147483648 >a",
        "<Z S0 ><Y p255 y255 >a", ">>>><<<<&&&&", "<Z S-2147483648 >", "<ZZZZ>",
        "<Z S0 L-32768 I99999 >", "<Z S0 ><$6F000000>a<$FFFFFFFF>b",
    };
    for (const char* r : rows) {
        SCOPED_TRACE(std::string("input: ") + r);
        const std::string first = RoundTrip(r);
        EXPECT_EQ(RoundTrip(first), first);
    }
    // Every prefix of a rich page: a cut stream reads without looking past its
    // end, and a zero byte at the cut with garbage after it reads the same.
    MarkupGenerator g(7);
    const std::string page = g.Page(80, true);
    for (size_t cut = 0; cut <= page.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        const std::string prefix = page.substr(0, cut);
        const std::string a = RoundTrip(prefix);
        const std::string b =
            RoundTrip(prefix + std::string(1, '\0') + "s99 >&eacute;<T><Z S1 >tail");
        ASSERT_EQ(a, b);
    }
}

// A table whose cell names the table itself reads that tag as a blank.
TEST_F(FixedPointTest, TableInsideItself) {
    for (int i = 0; i < 2; ++i) table.Cell(i).controls = &index;
    const std::string first =
        RoundTrip("<Z S0 ><$FF000000><Z S1 >x<$FF000000><Z S1 >y<T><Z S1 >z<T>w<T>");
    EXPECT_EQ(first, "<Z S0 ><$ff000000><Z S1 >x <Z S1 >y<T><Z S1 >z<T>w");
    EXPECT_EQ(RoundTrip(first), first);
}

// Tables nested deeper than 64 levels stop reading cells there.
TEST_F(FixedPointTest, DeepTableNesting) {
    FakeIndex chainIndex;
    std::vector<std::unique_ptr<FakeTable>> chain;
    std::string in = "<Z S0 >";
    for (int i = 0; i < 100; ++i) {
        chain.push_back(std::make_unique<FakeTable>(set, i, 1, 1));
        chain.back()->Cell(0).controls = &chainIndex;
        chainIndex.controls.push_back(chain.back().get());
        char tag[16];
        std::snprintf(tag, sizeof tag, "<$FF%06x>", i);
        in += std::string(tag) + "<Z S1 >";
    }
    box.controls = &chainIndex;
    const std::string first = RoundTrip(in);
    EXPECT_EQ(RoundTrip(first), first);
    // Level 64 is the last one holding a table.
    THQVbox* cell = &chain[0]->Cell(0);
    int depth = 1;
    while (!cell->Paragraph(0).Objects().empty()) {
        cell = &static_cast<FakeTable*>(cell->Paragraph(0).Objects()[0])->Cell(0);
        ++depth;
    }
    EXPECT_EQ(depth, 64);
}

// Inputs the fuzzer once broke, kept as named files.
TEST_F(FixedPointTest, FuzzRegressions) {
    const std::filesystem::path dir = std::filesystem::path(OVIK_FUZZ_REGRESSIONS) / "markup";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream f(entry.path(), std::ios::binary);
        const std::string in((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        const std::string first = RoundTrip(in);
        EXPECT_EQ(RoundTrip(first), first);
        ++files;
    }
    EXPECT_GT(files, 0);
}

// Every page of a generated hypertext, stored and loaded through the .HQV file.
TEST_F(FixedPointTest, GeneratedHypertextPages) {
    const auto dir = std::filesystem::temp_directory_path() / "ovik_fixed_point_test";
    std::filesystem::create_directories(dir);
    const auto file = dir / "generated.hqv";
    {
        platform::RecordingMessages m;
        THQVset gen(m);
        for (uint32_t i = 0; i < 40; ++i) {
            auto* page = static_cast<THQVtesto*>(gen.AddNewObject(testoHtml));
            MarkupGenerator g(1000 + i);
            std::string text = g.Page(int(i * 3), i % 3 == 0);
            Bytes content(text.begin(), text.end());
            content.push_back(0);
            page->SetContent(content);
            page->SetU8(page_rec::kContentFormat, 2);
        }
        ASSERT_TRUE(gen.SaveHypertext(file));
    }
    platform::RecordingMessages m;
    THQVset opened(m);
    ASSERT_TRUE(opened.OpenHypertext(file));
    int pages = 0;
    for (int32_t n = 0; n < opened.ObjectCount(testoHtml); ++n) {
        THQVtesto* page = opened.Page(n);
        if (!page || page->IsFree()) continue;
        SCOPED_TRACE("page " + std::to_string(n));
        THQVbox b(opened, measurer);
        b.LoadPage(*page);
        ExpectInvariants(b);
        b.StoreText(*page);
        const Bytes first = *page->MemContent();
        b.ClearParagraphs();
        b.LoadPage(*page);
        b.StoreText(*page);
        ASSERT_EQ(Str(*page->MemContent()), Str(first));
        ++pages;
    }
    EXPECT_GE(pages, 40);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace ovik::testing
