// Reading and writing .HQV files: the exact layout, the header checks, record
// upgrades, bounded reading of hostile files and round trips.
#include <gtest/gtest.h>

#include <cstring>

#include "document/hqv_set.h"
#include "document/style_record.h"
#include "platform/messages.h"
#include "support/hqv_builder.h"

namespace ovik {
namespace {

namespace fs = std::filesystem;
using testing::HqvBuilder;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

const std::string kNewer =
    "File non supportato dalla corrente versione del programma.\n"
    "Cerca una versione più recente del programma per aprire questo file.";

struct Fixture : ::testing::Test {
    TempDir dir;
    platform::RecordingMessages msgs;
};

using HqvFile = Fixture;

TEST_F(HqvFile, SetWithOnlyTheDefaultStylesHasTheExactLayout) {
    THQVset set(msgs);
    auto path = dir / "styles.hqv";
    ASSERT_TRUE(set.SaveHypertext(path));
    Bytes b = ReadFileBytes(path);
    ASSERT_EQ(b.size(), 2500u);  // records from 2294 to 2500, empty data area
    EXPECT_EQ(b[1620], 25);
    for (int k = 0; k <= 25; ++k) {
        SCOPED_TRACE(k);
        const uint8_t* e = &b[1978 + 12 * size_t(k)];
        int32_t offset = GetI32(e), size = GetI32(e + 4), count = GetI32(e + 8);
        EXPECT_EQ(offset, k <= 17 ? 0 : 206);
        EXPECT_EQ(size, kRecordSize[k]);
        EXPECT_EQ(count, k == 17 ? 2 : 0);
    }
    EXPECT_EQ(GetI32(&b[1978 + 12 * 26]), 206);  // X
    EXPECT_EQ(GetShortString(&b[2294 + 5], 32), kNoStyleName);
    EXPECT_EQ(GetShortString(&b[2294 + 103 + 5], 32), kNoTableStyleName);
    EXPECT_EQ(GetI16(&b[2294 + 103 + 86]), 0);  // table style: no margins
    EXPECT_EQ(GetI16(&b[2294 + 86]), 10);
}

TEST_F(HqvFile, NewHypertextHeaderDefaults) {
    THQVset set(msgs);
    EXPECT_EQ(set.Title(), "Senza titolo");
    EXPECT_EQ(set.Version(), 2);
    EXPECT_EQ(set.Revision(), 2);
    EXPECT_EQ(set.HdrI32(hdr::kDefaultHeader), -1);
    EXPECT_EQ(set.HdrI32(hdr::kBackColour), 0xC0C0C0);
    EXPECT_EQ(set.HdrI32(hdr::kLinkColour), 0xFF0000);
    EXPECT_EQ(set.HdrI32(hdr::kVisitedColour), 0x0000FF);
    EXPECT_EQ(GetU16(&set.Header()[hdr::kSpellLanguage]), 1033);
    EXPECT_EQ(set.HdrStr(hdr::kPropFont, 39), "Times New Roman");
    EXPECT_EQ(set.Header()[hdr::kBtnCoverInv], 1);
    EXPECT_EQ(set.Header()[hdr::kNoButtons], 1);
    EXPECT_EQ(set.ReadOnlyPassword(), ".");
    EXPECT_EQ(set.ObjectCount(stileParagrafo), 2);
}

TEST_F(HqvFile, SavingFillsTitleAndPrefixFromTheFileNameAndRaisesTheRevision) {
    THQVset set(msgs);
    auto path = dir / "Manuale Utente.hqv";
    ASSERT_TRUE(set.SaveHypertext(path));
    EXPECT_EQ(set.Title(), "Manuale Utente.");
    EXPECT_EQ(set.ExpPrefix(), "manuale utente");
    EXPECT_EQ(set.Revision(), 3);
    ASSERT_TRUE(set.SaveHypertext(path));
    EXPECT_EQ(set.Revision(), 4);  // +2 after two saves
    EXPECT_FALSE(set.Modified());
}

TEST_F(HqvFile, HeaderChecks) {
    struct Row {
        const char* name;
        std::function<void(HqvBuilder&)> change;
        bool opens;
        std::string message;  // first message, "" = none
    } rows[] = {
        {"lower-case magic", [](HqvBuilder& b) { std::memcpy(&b.header[0], "voks", 4); }, true, ""},
        {"unknown magic", [](HqvBuilder& b) { std::memcpy(&b.header[0], "VOKX", 4); }, false,
         "Formato sconosciuto."},
        {"newer version", [](HqvBuilder& b) { b.SetVersion(3); }, false, kNewer},
        {"version 0 reads as 2", [](HqvBuilder& b) { b.SetVersion(0); }, true, ""},
        {"K above 26", [](HqvBuilder& b) { b.highestKind = 27; }, false, kNewer},
        {"version 1 before 0.98", [](HqvBuilder& b) { b.SetVersion(1); b.highestKind = 7; }, false,
         "Attenzione: file salvato con una versione del programma\ranteriore alla 0.98. Non più "
         "supportato. UNSUPPORTED\r"},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        HqvBuilder b;
        b.AddDefaultStyles();
        r.change(b);
        auto path = dir / "h.hqv";
        b.WriteTo(path);
        msgs.clear();
        THQVset set(msgs);
        EXPECT_EQ(set.OpenHypertext(path), r.opens);
        if (r.message.empty()) {
            EXPECT_TRUE(msgs.entries().empty()) << msgs.joined();
        } else {
            ASSERT_EQ(msgs.entries().size(), 2u) << msgs.joined();
            EXPECT_EQ(msgs.entries()[0].text, r.message);
            EXPECT_EQ(msgs.entries()[1].text, "Errore nella lettura file:" + path.string());
        }
        if (!r.opens) {
            EXPECT_EQ(set.Title(), "Senza titolo");  // a new hypertext instead
            EXPECT_EQ(set.ObjectCount(stileParagrafo), 2);
        }
    }
}

TEST_F(HqvFile, EmptyFileOpensAsNewHypertextWithPrefixFromTheName) {
    auto path = dir / "LibroNuovo.hqv";
    WriteFileBytes(path, {});
    THQVset set(msgs);
    EXPECT_TRUE(set.OpenHypertext(path));
    EXPECT_EQ(set.ExpPrefix(), "libronuo");
    EXPECT_EQ(set.HQVFileName(), path);
    EXPECT_TRUE(msgs.entries().empty());
}

TEST_F(HqvFile, MissingFileIsReportedAndTheSetUntouched) {
    THQVset set(msgs);
    set.SetTitle("Mio");
    EXPECT_FALSE(set.OpenHypertext(dir / "nope.hqv"));
    EXPECT_EQ(msgs.joined(), (dir / "nope.hqv").string() + " non esiste");
    EXPECT_EQ(set.Title(), "Mio");
}

TEST_F(HqvFile, FileWithFewerKindsStartsTheOthersEmpty) {
    HqvBuilder b;
    b.highestKind = 20;
    b.Add(0, b.PageRecord("Uno", std::string("<Z S0 >uno") + '\0'), 292);
    b.AddDefaultStyles();
    b.Add(20, HqvBuilder::Record(192, 1), 192);
    auto path = dir / "k20.hqv";
    b.WriteTo(path);
    THQVset set(msgs);
    ASSERT_TRUE(set.OpenHypertext(path)) << msgs.joined();
    EXPECT_EQ(set.ObjectCount(testoHtml), 1);
    EXPECT_EQ(set.ObjectCount(inputStat), 1);
    EXPECT_EQ(set.ObjectCount(multiMedia), 0);
    EXPECT_EQ(set.Page(0)->Title(), "Uno");
}

TEST_F(HqvFile, PageRecordsOfOtherSizes) {
    {
        SCOPED_TRACE("250 bytes: read as stored, the rest 0xFF, no upgrade");
        HqvBuilder b;
        b.AddDefaultStyles();
        b.Add(0, b.PageRecord("Lunga", std::string("<Z S0 >x") + '\0', 250), 250);
        auto path = dir / "p250.hqv";
        b.WriteTo(path);
        THQVset set(msgs);
        ASSERT_TRUE(set.OpenHypertext(path));
        auto* p = set.Page(0);
        for (size_t i = 250; i < 292; ++i) EXPECT_EQ(p->U8(i), 0xFF) << i;
        EXPECT_EQ(p->U8(page_rec::kContentFormat), 2);
        EXPECT_EQ(p->I32(page_rec::kSlideTarget), -1);
    }
    {
        SCOPED_TRACE("242 bytes: an older record, upgraded");
        HqvBuilder b;
        b.AddDefaultStyles();
        Bytes r = b.PageRecord("Vecchia", std::string("<B>Ciao") + '\0', 242);
        PutU16(&r[191], 7);  // overwritten by the upgrade
        b.Add(0, r, 242);
        auto path = dir / "p242.hqv";
        b.WriteTo(path);
        THQVset set(msgs);
        ASSERT_TRUE(set.OpenHypertext(path));
        auto* p = set.Page(0);
        EXPECT_EQ(p->U16(page_rec::kLanguage), 1040);
        EXPECT_EQ(p->U8(page_rec::kContentFormat), 1);
        EXPECT_EQ(p->I32(page_rec::kRevision), 4);  // header revision 5, less one
        EXPECT_EQ(p->I16(page_rec::kSlideDelay), 5);
        EXPECT_EQ(p->I32(page_rec::kHeaderPage), -1);
        EXPECT_EQ(p->I32(page_rec::kFooterPage), -1);
        EXPECT_EQ(p->I32(page_rec::kSlideTarget), -1);
        EXPECT_EQ(p->I32(page_rec::kReserved223), -1);
        EXPECT_EQ(p->Str(page_rec::kContextName, 20), "");
        // Saving converts the old markup.
        ASSERT_TRUE(set.SaveHypertext(path));
        EXPECT_EQ(set.Page(0)->U8(page_rec::kContentFormat), 2);
        std::string c(reinterpret_cast<const char*>(set.Page(0)->MemContent()->data()));
        EXPECT_EQ(c, "<Z S0 C0000FF ><Y c000000 F\"Times New Roman\" s12 y1 p0 >Ciao");
    }
}

TEST_F(HqvFile, FreeSlotsKeepTheirNumbers) {
    HqvBuilder b;
    b.AddDefaultStyles();
    b.Add(0, b.PageRecord("Zero", std::string("<Z S0 >") + '\0'), 292);
    Bytes freePage = HqvBuilder::Record(292, 3);
    b.Add(0, freePage, 292);
    b.Add(0, b.PageRecord("Due", std::string("<Z S0 >") + '\0'), 292);
    auto path = dir / "free.hqv";
    b.WriteTo(path);
    THQVset set(msgs);
    ASSERT_TRUE(set.OpenHypertext(path));
    ASSERT_EQ(set.ObjectCount(testoHtml), 3);
    EXPECT_TRUE(set.Page(1)->IsFree());
    EXPECT_FALSE(set.Page(1)->HasContent());
    EXPECT_EQ(set.Page(2)->Title(), "Due");
    EXPECT_EQ(set.Page(2)->Number(), 2);
}

TEST_F(HqvFile, PictureBytesStayInTheFileUntilUsed) {
    HqvBuilder b;
    b.AddDefaultStyles();
    Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 1, 2, 3, 4, 5};
    b.Add(5, b.PictureRecord("logo", "logo.gif", gif), 667);
    b.Add(3, b.FileRecord("leggimi.txt", Bytes{'c', 'i', 'a', 'o'}), 93);
    auto path = dir / "pic.hqv";
    b.WriteTo(path);
    THQVset set(msgs);
    ASSERT_TRUE(set.OpenHypertext(path));
    auto* pic = set.GetObject(immagine, 0);
    ASSERT_TRUE(pic);
    EXPECT_TRUE(pic->ContentInFile());
    EXPECT_EQ(pic->MemContent(), nullptr);
    EXPECT_EQ(pic->ContentLength(), gif.size());
    EXPECT_EQ(pic->ContentFilePlace().second, set.DataAreaStart() + uint64_t(pic->I32(0)));
    auto out = dir / "estratto.gif";
    ASSERT_TRUE(pic->ExtractToFile(out));
    EXPECT_EQ(ReadFileBytes(out), gif);
    Bytes text;
    ASSERT_TRUE(set.GetObject(genLink, 0)->ReadContent(text));
    EXPECT_EQ(std::string(text.begin(), text.end()), "ciao");
}

// Every way a kind table or a record can lie about sizes: the file is refused
// (or the stream read as absent), never read out of bounds.
TEST_F(HqvFile, BoundedReading) {
    struct Row {
        const char* name;
        std::function<void(HqvBuilder&)> change;
        bool opens;
    } rows[] = {
        {"count times size past the records area", [](HqvBuilder& b) { b.kinds[0].count = 5; }, false},
        {"count for a kind of record size 0", [](HqvBuilder& b) { b.kinds[14].count = 1; }, false},
        {"count above 0xFFFFFF", [](HqvBuilder& b) { b.kinds[4].count = 0x1000000; b.kinds[4].size = 1; }, false},
        {"huge count and size overflowing 32 bits",
         [](HqvBuilder& b) { b.kinds[4].count = 0xFFFFFF; b.kinds[4].size = 0x7FFFFFFF; }, false},
        {"negative offset", [](HqvBuilder& b) { b.kinds[0].offset = -4; }, false},
        {"offset past X", [](HqvBuilder& b) { b.kinds[17].offset = 100000; }, false},
        {"negative X", [](HqvBuilder& b) { b.x = -1; }, false},
        {"X past the end of the file", [](HqvBuilder& b) { b.x = 0x7FFFFFF0; }, false},
        {"content past the end: absent stream",
         [](HqvBuilder& b) { PutI32(&b.kinds[0].records[0][185], 0x7FFFFFFF); }, true},
        {"content position past the end: absent stream",
         [](HqvBuilder& b) { PutI32(&b.kinds[0].records[0][0], 0x7FFFFF00); }, true},
        {"wrapper length past the end: absent stream",
         [](HqvBuilder& b) { PutI32(&b.kinds[0].records[0][243], 1 << 30); }, true},
        {"picture past the end: absent stream",
         [](HqvBuilder& b) { PutI32(&b.kinds[5].records[0][174], 1 << 30); }, true},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        HqvBuilder b;
        b.AddDefaultStyles();
        b.Add(0, b.PageRecord("P", std::string("<Z S0 >p") + '\0'), 292);
        b.Add(5, b.PictureRecord("x", "x.gif", Bytes(10, 7)), 667);
        r.change(b);
        auto path = dir / "bad.hqv";
        b.WriteTo(path);
        msgs.clear();
        THQVset set(msgs);
        EXPECT_EQ(set.OpenHypertext(path), r.opens);
        if (!r.opens) {
            EXPECT_EQ(msgs.joined(), "Errore nella lettura file:" + path.string());
        } else {
            auto* p = set.Page(0);
            ASSERT_TRUE(p);
            bool pageStream = std::string(r.name).find("picture") == std::string::npos;
            if (pageStream && std::string(r.name).find("wrapper") == std::string::npos) {
                EXPECT_FALSE(p->HasContent());
            }
            if (!pageStream) {
                EXPECT_FALSE(set.GetObject(immagine, 0)->HasContent());
            }
        }
    }
}

// A small hypertext with every kind of stream, used by the damage and round-trip tests.
HqvBuilder RichFile() {
    HqvBuilder b;
    b.AddDefaultStyles();
    b.Add(0, b.PageRecord("Pagina", std::string("<Z S0 >Testo <$01000000>link<%>") + '\0'), 292);
    Bytes wrapped = b.PageRecord("Con wrapper", std::string("<Z S0 >w") + '\0');
    Bytes w = {0, 0, 0, 0, '<', 'm', 'e', 't', 'a', '>'};
    PutI32(&wrapped[239], b.AddData(w));
    PutI32(&wrapped[243], int32_t(w.size()));
    b.Add(0, wrapped, 292);
    b.Add(0, HqvBuilder::Record(292, 3), 292);
    Bytes link = HqvBuilder::Record(133, 7);
    PutShortString(&link[5], 127, "http://example.org");
    b.Add(1, link, 133);
    b.Add(3, b.FileRecord("dati.bin", Bytes{1, 2, 3, 0, 5}), 93);
    Bytes kw(80, 0xFF);
    PutShortString(&kw[0], 79, "parola");
    b.Add(4, kw, 80);
    b.Add(5, b.PictureRecord("foto", "foto.jpg", Bytes(300, 0xAB)), 667);
    Bytes frame = HqvBuilder::Record(112, 2);
    PutI32(&frame[101], b.AddData(std::string("LAYOUT-BLOCK")));
    PutI32(&frame[97], 12);
    PutI32(&frame[0], b.AddData(std::string("frames")));
    PutI32(&frame[85], 6);
    b.Add(9, frame, 112);
    Bytes sl = HqvBuilder::Record(47, 1);
    PutI32(&sl[0], b.AddData(std::string("auto")));
    PutI32(&sl[5], 4);
    PutI32(&sl[39], -1);
    PutI32(&sl[43], -1);
    b.Add(10, sl, 47);
    Bytes marker = HqvBuilder::Record(28, 14);
    PutI32(&marker[5], 3);
    PutI32(&marker[13], 0);
    PutI32(&marker[24], 0);
    b.Add(11, marker, 28);
    Bytes table = HqvBuilder::Record(220, 2);
    table[93] = 2;
    table[94] = 3;
    PutI32(&table[81], -1);
    PutI32(&table[0], b.AddData(std::string("bg")));
    PutU16(&table[85], 2);
    PutI32(&table[58], 0);
    PutI32(&table[62], 0);
    b.Add(8, table, 220);
    Bytes place = HqvBuilder::Record(553, 1);
    PutI32(&place[0], 0);
    PutI32(&place[61], -1);
    PutI32(&place[65], -1);
    b.Add(16, place, 553);
    Bytes mm = HqvBuilder::Record(46, 1);
    PutI32(&mm[0], -1);
    PutI32(&mm[13], -1);
    PutI32(&mm[17], 0);
    PutI32(&mm[38], -1);
    b.Add(24, mm, 46);
    for (int k : {7, 12, 13, 18, 19, 20, 21, 22, 23}) {
        Bytes r = HqvBuilder::Record(size_t(b.kinds[size_t(k)].recordSize), 1);
        if (k == 7) r[4] = 2;
        for (int off : {13, 20, 24, 38, 42, 72, 76, 184, 188, 195, 199, 356, 360, 452, 456})
            if (size_t(off) + 4 <= r.size() && off != 4) PutI32(&r[size_t(off)], 0);
        b.Add(k, r, b.kinds[size_t(k)].recordSize);
    }
    return b;
}

TEST_F(HqvFile, DamagedFilesNeverCrash) {
    HqvBuilder b = RichFile();
    Bytes good = b.Build();
    auto path = dir / "cut.hqv";
    size_t opened = 0;
    for (size_t n = 0; n < good.size(); ++n) {
        WriteFileBytes(path, Bytes(good.begin(), good.begin() + std::ptrdiff_t(n)));
        platform::RecordingMessages m;
        THQVset set(m);
        opened += set.OpenHypertext(path);
    }
    // Byte flips: every one opens or is refused; a sample of those that open
    // must also save (saving flushes to disk, so not every one).
    EXPECT_GT(opened, 0u);  // cuts inside the data area still open, with absent streams
    for (size_t i = 0; i < good.size(); ++i) {
        Bytes bad = good;
        bad[i] ^= 0xFF;
        WriteFileBytes(path, bad);
        platform::RecordingMessages m;
        THQVset set(m);
        if (set.OpenHypertext(path) && i % 97 == 0) {
            // A damaged file that opens must still save and read back.
            ASSERT_TRUE(set.SaveHypertext(dir / "copy.hqv")) << "flip at " << i;
        }
    }
}

// Records and streams of every object, as read.
struct Snapshot {
    std::vector<std::tuple<int, int, Bytes, Bytes, Bytes, Bytes>> objects;
};

Snapshot Take(const THQVset& set) {
    Snapshot s;
    for (int k = 0; k < none; ++k) {
        for (int i = 0; i < set.ObjectCount(uint8_t(k)); ++i) {
            auto* o = set.GetObject(k, i);
            const auto full = o->Record();
            Bytes rec(full.begin(), full.begin() + kRecordSize[k]);
            // Stream places change with the layout of the data area, and an
            // absent stream is written with length 0: compare the streams instead.
            auto f = StreamFieldsOf(uint8_t(k));
            for (int off : {f.contentPos, f.wrapperPos, f.wrapperLen}) {
                if (off >= 0) PutI32(&rec[size_t(off)], 0);
            }
            if (f.contentLen >= 0) {
                if (f.contentLenWidth == 2) PutU16(&rec[size_t(f.contentLen)], 0);
                else PutI32(&rec[size_t(f.contentLen)], 0);
            }
            if (k == mappaFrame) {
                PutI32(&rec[101], 0);
                PutI32(&rec[97], 0);
            }
            Bytes content, wrapper, block;
            if (!o->IsFree()) o->ReadContent(content);
            if (o->Wrapper()) wrapper = *o->Wrapper();
            if (o->LayoutBlock()) block = *o->LayoutBlock();
            s.objects.emplace_back(k, i, rec, content, wrapper, block);
        }
    }
    return s;
}

TEST_F(HqvFile, RoundTripKeepsEveryRecordAndStream) {
    auto path = dir / "rich.hqv";
    RichFile().WriteTo(path);
    THQVset set(msgs);
    ASSERT_TRUE(set.OpenHypertext(path)) << msgs.joined();
    Snapshot before = Take(set);
    auto copy = dir / "rich2.hqv";
    ASSERT_TRUE(set.SaveHypertext(copy)) << msgs.joined();
    Snapshot after = Take(set);
    ASSERT_EQ(before.objects.size(), after.objects.size());
    for (size_t i = 0; i < before.objects.size(); ++i) {
        SCOPED_TRACE(std::to_string(std::get<0>(before.objects[i])) + "/" +
                     std::to_string(std::get<1>(before.objects[i])));
        EXPECT_EQ(before.objects[i], after.objects[i]);
    }
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(set.GetObject(mappaFrame, 0)->LayoutBlock()->data()), 12),
              "LAYOUT-BLOCK");
    // Saving an unchanged hypertext twice: only the revision and resolution differ.
    auto third = dir / "rich3.hqv";
    set.ScreenPixelsPerInch = 120;
    ASSERT_TRUE(set.SaveHypertext(third));
    Bytes a = ReadFileBytes(copy), b = ReadFileBytes(third);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        bool allowed = (i >= hdr::kRevision && i < hdr::kRevision + 4) ||
                       (i >= hdr::kPixelsPerInch && i < hdr::kPixelsPerInch + 2);
        if (!allowed) {
            ASSERT_EQ(a[i], b[i]) << "byte " << i;
        }
    }
    EXPECT_EQ(GetI32(&b[hdr::kRevision]), GetI32(&a[hdr::kRevision]) + 1);
}

TEST_F(HqvFile, SaveToTheOpenFileNeverTruncatesIt) {
    auto path = dir / "same.hqv";
    RichFile().WriteTo(path);
    THQVset set(msgs);
    ASSERT_TRUE(set.OpenHypertext(path));
    Snapshot before = Take(set);
    // Through another spelling and through a link: still the open file.
    fs::create_directory(dir / "sub");
    fs::create_symlink(path, dir / "link.hqv");
    for (fs::path name : {path, dir / "sub" / ".." / "same.hqv", dir / "link.hqv"}) {
        SCOPED_TRACE(name.string());
        ASSERT_TRUE(set.SaveHypertext(name)) << msgs.joined();
        Snapshot after = Take(set);
        EXPECT_EQ(before.objects, after.objects);
        EXPECT_TRUE(fs::is_symlink(dir / "link.hqv"));
    }
}

TEST_F(HqvFile, TableContentThatDoesNotFitIsReportedAndNothingIsWritten) {
    auto path = dir / "table.hqv";
    RichFile().WriteTo(path);
    Bytes original = ReadFileBytes(path);
    THQVset set(msgs);
    ASSERT_TRUE(set.OpenHypertext(path));
    set.GetObject(tabellaHtml, 0)->SetContent(Bytes(32768, 'x'));
    EXPECT_FALSE(set.SaveHypertext(path));
    ASSERT_EQ(set.Errors().size(), 1u);
    EXPECT_NE(set.Errors()[0].find("32767"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(path), original);
    // The document in memory is intact and still saves once the table fits.
    set.GetObject(tabellaHtml, 0)->SetContent(Bytes(32767, 'x'));
    EXPECT_TRUE(set.SaveHypertext(path));
    EXPECT_EQ(set.GetObject(tabellaHtml, 0)->ContentLength(), 32767u);
}

TEST_F(HqvFile, VersionOneFilesAreConvertedAndOldReferencesStillResolve) {
    HqvBuilder b;
    b.SetVersion(1);
    b.highestKind = 13;
    // A format-1 page that refers to an old click map and an old embedded file.
    std::string old = std::string("<C>Titolo<B>grassetto</B><$06000001><$02000000>") + '\0';
    b.Add(0, b.PageRecord("Vecchia", old, 242), 242);
    b.Add(2, b.FileRecord("a.txt", Bytes{'a'}), 93);
    b.Add(5, b.PictureRecord("p0", "p0.gif", Bytes(4, 1)), 667);
    Bytes freeMap = HqvBuilder::Record(667, 3);
    b.Add(6, freeMap, 667);
    Bytes map = b.PictureRecord("mappa", "mappa.gif", Bytes(6, 2));
    b.Add(6, map, 667);
    auto path = dir / "v1.hqv";
    b.WriteTo(path);
    THQVset set(msgs);
    ASSERT_TRUE(set.OpenHypertext(path)) << msgs.joined();
    EXPECT_EQ(set.ExpPrefix(), "v1");
    EXPECT_EQ(set.ObjectCount(mappaClic), 0);
    EXPECT_EQ(set.ObjectCount(zipLink), 0);
    auto* pic = set.GetObject(mappaClic, 1);
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->Kind(), immagine);
    EXPECT_EQ(pic->Number(), 1);
    EXPECT_EQ(pic->I32(662), 1);
    auto* file = set.GetObject(zipLink, 0);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Kind(), genLink);
    Bytes bytes;
    ASSERT_TRUE(pic->ReadContent(bytes));
    EXPECT_EQ(bytes, Bytes(6, 2));
    ASSERT_EQ(set.ObjectCount(stileParagrafo), 2);  // made because the file had none

    ASSERT_TRUE(set.SaveHypertext(path)) << set.Errors().size();
    EXPECT_EQ(set.Version(), 2);
    EXPECT_EQ(set.ObjectCount(mappaClic), 0);
    EXPECT_EQ(set.ObjectCount(zipLink), 0);
    std::string c(reinterpret_cast<const char*>(set.Page(0)->MemContent()->data()));
    // The picture reference became a placed picture showing picture 1, the file
    // reference names the converted file.
    EXPECT_NE(c.find("<$10000000>"), std::string::npos) << c;
    EXPECT_NE(c.find("<$03000000>"), std::string::npos) << c;
    ASSERT_EQ(set.ObjectCount(immagineNew), 1);
    EXPECT_EQ(set.GetObject(immagineNew, 0)->I32(0), 1);
    EXPECT_EQ(set.GetObject(immagine, 1)->Name(), "mappa");
}

TEST_F(HqvFile, ForeignTitle) {
    auto path = dir / "altro.hqv";
    RichFile().WriteTo(path);
    EXPECT_EQ(THQVset::ReadForeignTitle(path, 1), "Con wrapper");
    EXPECT_EQ(THQVset::ReadForeignTitle(path, 0), "Pagina");
    EXPECT_EQ(THQVset::ReadForeignTitle(path, 7), "");
    EXPECT_EQ(THQVset::ReadForeignTitle(path, MakeId(5, 0)), "");
    EXPECT_EQ(THQVset::ReadForeignTitle(path, -1), "");
    EXPECT_EQ(THQVset::ReadForeignTitle(dir / "manca.hqv", 0), "");
}

}  // namespace
}  // namespace ovik
