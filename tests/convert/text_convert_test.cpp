// Plain-text export and import, the converter base and the export settings.
#include <gtest/gtest.h>

#include "convert/conv_modes.h"
#include "convert/hqv_to_txt.h"
#include "core/byte_reader.h"
#include "document/hqv_set.h"
#include "platform/messages.h"
#include "platform/settings_store.h"
#include "support/hqv_builder.h"

namespace ovik {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

struct TextConvert : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    THQVtoTxt conv{&set};
    TempDir dir;

    THQVtesto* Page(const std::string& markup) {
        auto* p = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        Bytes b(markup.begin(), markup.end());
        b.push_back(0);
        p->SetContent(b);
        return p;
    }
    std::string Export(std::vector<int32_t> pages) {
        conv.ExportFileName = dir / "out.txt";
        EXPECT_TRUE(conv.ExportPages(pages)) << conv.LastError;
        Bytes b = ReadFileBytes(conv.ExportFileName);
        return std::string(b.begin(), b.end());
    }
    std::string Content(int32_t page) {
        return std::string(reinterpret_cast<const char*>(set.Page(page)->MemContent()->data()));
    }
};

TEST_F(TextConvert, ExportOfPages) {
    THQVoggetto* table = set.AddNewObject(tabellaHtml);
    table->SetU8(93, 2);
    table->SetU8(94, 2);
    THQVoggetto* ref = set.AddNewObject(shortObj);
    ref->SetState(21);
    ref->SetI32(5, MakeId(immagine, 0x2A));
    THQVoggetto* param = set.AddNewObject(shortObj);
    param->SetState(27);
    param->SetContent(Bytes{'x', '=', '1'});
    THQVoggetto* anchor = set.AddNewObject(shortObj);
    anchor->SetState(14);
    struct Row {
        const char* name;
        std::string markup;
        std::string text;
    } rows[] = {
        {"three paragraphs", "<Z S0 >one<Z S0 A2 >two<Z S1 >three", "one\r\ntwo\r\nthree"},
        {"escapes", "<Z S0 >&lt;b&gt; &amp; &egrave;&#65;&&x", "<b> & \xE8" "A&"},
        {"fonts and links skipped", "<Z S0 ><Y c00FF00 F\"Arial\" s9 >a<$01000000>b<%>c", "abc"},
        {"2 x 2 table",
         "<Z S0 ><$08000000><Z S1 >a<T><Z S1 >b<T><Z S1 >c<T><Z S1 >d<T><Z S0 >after",
         // The paragraph after the table starts a new line of its own.
         "a\tb\r\nc\td\r\n\r\nafter"},
        {"placeholders", "<Z S0 >i<$0b000000>p<$0b000001>a<$0b000002>", "i!RefI:0500002ap!ReCP:x=1!a"},
        {"skipped blocks", "<Z S0 >a<D>hidden<Z S0 >x<d>b<Rr><r>c", "abc"},
        {"unknown object writes nothing", "<Z S0 >a<$1000ffff>b", "ab"},
        {"stops at the zero byte", std::string("<Z S0 >a") + '\0' + "<Z S0 >b", "a"},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        THQVtesto* p = Page(r.markup);
        EXPECT_EQ(Export({p->Number()}), r.text);
    }
}

TEST_F(TextConvert, PagesFollowEachOtherDirectly) {
    int a = Page("<Z S0 >A")->Number();
    int b = Page("<Z S0 >B")->Number();
    EXPECT_EQ(Export({a, b}), "AB");
    std::vector<int32_t> seen;
    conv.OnExpProgress = [&](THQVconv&, int32_t pag, int32_t tot, int32_t phase) {
        EXPECT_EQ(tot, 2);
        EXPECT_EQ(phase, 1);
        seen.push_back(pag);
    };
    Export({b, a});
    EXPECT_EQ(seen, (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(ExportProgressText(1, 3, 1), "Export in corso, fase 1: 33%");
}

TEST_F(TextConvert, UnwritableOutputFailsWithAMessage) {
    Page("<Z S0 >x");
    conv.ExportFileName = dir / "no" / "such" / "folder.txt";
    EXPECT_FALSE(conv.ExportPages({0}));
    EXPECT_NE(conv.LastError.find("folder.txt"), std::string::npos);
}

TEST_F(TextConvert, ImportOfFiles) {
    struct Row {
        const char* name;
        std::string file;
        std::string markup;
        size_t replaced;
    } rows[] = {
        {"empty file", "", "<Z S0 >", 0},
        {"lines", "uno\ndue\r\ntre\n", "<Z S0 >uno<Z S0 >due<Z S0 >tre", 0},
        {"blank line kept", "a\n\nb", "<Z S0 >a<Z S0 ><Z S0 >b", 0},
        {"less-than and TAB", "a<b\tc & d>", "<Z S0 >a&lt;b        c &amp; d&gt;", 0},
        {"UTF-8", "caff\xC3\xA8 \xE2\x82\xAC \xCE\xB1", "<Z S0 >caff\xE8 \x80 ?", 1},
        {"Windows-1252", "caff\xE8", "<Z S0 >caff\xE8", 0},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        auto path = dir / "in.txt";
        WriteFileBytes(path, Bytes(r.file.begin(), r.file.end()));
        int32_t first = conv.ImportFiles({path}, 1);
        EXPECT_EQ(first, set.ObjectCount(testoHtml) - 1);
        EXPECT_EQ(Content(first), r.markup);
        EXPECT_EQ(conv.Report.replacedCharacters, r.replaced);
        EXPECT_EQ(set.Page(first)->I32(page_rec::kBackColour), 0xFFFFFF);
    }
}

TEST_F(TextConvert, UnreadableFilesAreSkipped) {
    auto good = dir / "good.txt";
    WriteFileBytes(good, Bytes{'o', 'k'});
    conv.ImportBackColor = 0x123456;
    int32_t first = conv.ImportFiles({dir / "missing.txt", dir.path(), good}, 1);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(set.ObjectCount(testoHtml), 1);
    EXPECT_EQ(Content(0), "<Z S0 >ok");
    EXPECT_EQ(set.Page(0)->I32(page_rec::kBackColour), 0x123456);
    EXPECT_EQ(conv.Report.skippedFiles.size(), 2u);
    EXPECT_EQ(conv.ImportFiles({dir / "missing.txt"}, 1), 0);  // nothing made
}

TEST_F(TextConvert, ImportThenExportGivesTheTextBack) {
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "Riga " + std::to_string(i) + " con <segni> & \ttab, \xC3\xA0 accentata\n";
    auto path = dir / "libro.txt";
    WriteFileBytes(path, Bytes(text.begin(), text.end()));
    int32_t page = conv.ImportFiles({path}, 1);
    std::string back = Export({page});
    std::string expected;
    for (int i = 0; i < 2000; ++i)
        expected += (i ? "\r\n" : "") + ("Riga " + std::to_string(i) + " con <segni> &         tab, \xE0 accentata");
    EXPECT_EQ(back, expected);
}

TEST_F(TextConvert, Prefix) {
    set.SetExpPrefix("doc");
    EXPECT_EQ(conv.ExportPrefixOf(), "doc");
    conv.ExportPrefix = "mio";
    EXPECT_EQ(conv.ExportPrefixOf(), "mio");
}

TEST_F(TextConvert, FragmentExportAndImport) {
    std::string frag = "<Z S0 >a<Z S0 >b";
    Bytes src(frag.begin(), frag.end());
    src.push_back(0);
    Bytes out;
    conv.ConvertFragment(src, out);
    EXPECT_EQ(std::string(out.begin(), out.end()), std::string("a\r\nb") + '\0');

    std::string code = "x = !RefI:05000003;\n!ReCP:a=b! ok !\n";
    Bytes target;
    conv.ImportFragment(Bytes(code.begin(), code.end()), target, true, 0);
    int32_t codice = set.StyleIndex("Codice");
    ASSERT_GE(codice, 0);
    EXPECT_EQ(set.GetObject(stileParagrafo, codice)->Str(39, 32), "Courier New");
    ByteReader r(target);
    EXPECT_EQ(r.i32(), 1);
    r.i32();
    r.i32();
    ASSERT_EQ(r.i32(), 2);  // two fragment objects
    size_t pos = r.offset();
    for (int k = 0; k < 2; ++k) {
        ByteReader h(target.data() + pos, target.size() - pos);
        EXPECT_EQ(h.i32(), shortObj);
        EXPECT_EQ(h.i32(), k);
        pos += 8;
        auto o = THQVoggetto::Create(&set, testoHtmlRtf);
        ASSERT_TRUE(o->LoadFromTransfer(target.data(), target.size(), pos));
        EXPECT_EQ(o->State(), k == 0 ? 21 : 27);
        if (k == 0) {
            EXPECT_EQ(o->I32(5), MakeId(immagine, 3));
        } else {
            EXPECT_EQ(*o->MemContent(), (Bytes{'a', '=', 'b'}));
        }
    }
    ByteReader t(target.data() + pos, target.size() - pos);
    EXPECT_EQ(t.i32(), 2);  // one per line; the final line break adds none
    std::string markup(reinterpret_cast<const char*>(target.data() + pos + 4));
    std::string s = "<Z S" + std::to_string(codice) + " >";
    EXPECT_EQ(markup, s + "x = <$ff000000>;" + s + "<$ff000001> ok !");
}

TEST(ConvModes, TablesAndSettings) {
    auto exp = ExportModes(false);
    ASSERT_EQ(exp.size(), 5u);
    EXPECT_EQ(exp[0].mode, 3);  // listed 3, 0, 1, 2, 4
    EXPECT_EQ(ModeForFileName(exp, "a/Libro.RTF"), 3);
    EXPECT_EQ(ModeForFileName(exp, "x.cpp"), 4);
    EXPECT_EQ(ModeForFileName(exp, "x.doc"), -1);
    EXPECT_EQ(ModeForFileName(ExportModes(true), "x.doc"), 5);
    EXPECT_EQ(ModeForFileName(ImportModes(false), "x.h"), 4);
    EXPECT_EQ(MainFileNameFor(4, "/home/a/Libro.hqv"), "Libro.txt");
    EXPECT_EQ(MainFileNameFor(1, "/home/a/Libro.hqv"), "Libro.rtf");

    platform::InMemorySettings store;
    auto s = ExportModeSettings::Load(store, 4);
    EXPECT_EQ(s.largh, 210);
    EXPECT_EQ(s.top, 15);
    EXPECT_TRUE(s.runDefaultHcp);
    EXPECT_FALSE(s.runHcp);
    EXPECT_TRUE(std::filesystem::is_directory(s.expPathInWindow));
    TempDir dir;
    s.expPathInWindow = dir.path();
    s.largh = 100;
    s.runHcp = true;
    s.Save(store, 4);
    EXPECT_EQ(*store.Read("exp\\4", "largh"), "100");
    auto again = ExportModeSettings::Load(store, 4);
    EXPECT_EQ(again.largh, 100);
    EXPECT_TRUE(again.runHcp);
    EXPECT_EQ(again.expPathInWindow, dir.path());
    EXPECT_EQ(ExportModeSettings::Load(store, 1).largh, 210);  // per mode
}

}  // namespace
}  // namespace ovik
