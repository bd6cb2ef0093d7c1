// Files and folders prepared by someone else: a temporary folder planted under
// a guessable name, hypertext files that ask for far more memory than their
// size, object streams that name files on disk, pipes under a file's name,
// files cut short.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>

#include "core/codepage.h"
#include "document/hqv_set.h"
#include "document/lifecycle.h"
#include "platform/messages.h"
#include "support/child_process.h"
#include "support/hqv_builder.h"
#include "support/hypertext_files.h"

namespace ovik {
namespace {

namespace fs = std::filesystem;
using platform::Answer;
using platform::MessageKind;
using platform::RecordingMessages;
using testing::HqvBuilder;
using namespace testing_support;

// TMPDIR pointed at a folder of the test for as long as the object lives.
class TemporaryRoot {
public:
    explicit TemporaryRoot(const fs::path& p) {
        if (const char* t = std::getenv("TMPDIR")) old_ = t, had_ = true;
        ::setenv("TMPDIR", p.c_str(), 1);
    }
    ~TemporaryRoot() {
        if (had_) ::setenv("TMPDIR", old_.c_str(), 1);
        else ::unsetenv("TMPDIR");
    }

private:
    std::string old_;
    bool had_ = false;
};

std::string Hex8(unsigned v) {
    char b[9];
    std::snprintf(b, sizeof b, "%08X", v);
    return b;
}

// --- the temporary folder ------------------------------------------------------------

TEST(HostileFiles, APlantedTemporaryFolderIsNeverUsedNorEmptied) {
    ScratchFolder root, victim;
    WriteFileBytes(victim / "lettera.txt", "da non perdere");
    WriteFileBytes(root / "allegato.txt", "allegato");
    TemporaryRoot tmp(root.path());
    // Every name a set of this process could guess for itself, planted as a
    // link to the victim's folder, and one as a folder of someone else's.
    for (unsigned serial = 0; serial < 4096; ++serial)
        fs::create_directory_symlink(victim.path(), root / ("ovik_" + Hex8(unsigned(::getpid())) +
                                                            "_" + Hex8(serial)));
    RecordingMessages m;
    {
        THQVset s(m);
        ASSERT_NE(s.AddEmbeddedFile(root / "allegato.txt"), nullptr) << m.joined();
        const fs::path folder = s.TempFolder();
        struct stat st;
        ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        EXPECT_FALSE(fs::equivalent(folder, victim.path()));
        // A file put there by someone else is not the set's to delete.
        WriteFileBytes(folder / "estraneo.txt", "x");
        s.ClearAll();
        EXPECT_TRUE(fs::exists(folder / "estraneo.txt"));
        EXPECT_EQ(ReadFileBytes(victim / "lettera.txt"), "da non perdere");
    }
    EXPECT_EQ(ReadFileBytes(victim / "lettera.txt"), "da non perdere");
}

TEST(HostileFiles, StartUpCleanUpFollowsNoLinkAndSparesOtherUsers) {
    ScratchFolder root, victim;
    WriteFileBytes(victim / "lettera.txt", "da non perdere");
    pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    const std::string pid = Hex8(unsigned(dead));
    fs::create_directory_symlink(victim.path(), root / ("ovik_" + pid + "_aB3xYz"));
    fs::create_directories(root / ("ovik_" + pid + "_Qw12eR") / "sotto");
    fs::create_directory_symlink(victim.path(), root / ("ovik_" + pid + "_Qw12eR") / "sotto" / "link");
    fs::create_directories(root / ("ovik_" + pid + "_altrui"));
    ASSERT_EQ(::chown((root / ("ovik_" + pid + "_altrui")).c_str(), 12345, 12345), 0);
    EXPECT_EQ(RemoveStaleTempFolders(root.path()), 1);
    EXPECT_FALSE(fs::exists(root / ("ovik_" + pid + "_Qw12eR")));
    EXPECT_TRUE(fs::is_symlink(root / ("ovik_" + pid + "_aB3xYz")));
    EXPECT_TRUE(fs::exists(root / ("ovik_" + pid + "_altrui")));
    EXPECT_EQ(ReadFileBytes(victim / "lettera.txt"), "da non perdere");
}

// --- memory of opening -------------------------------------------------------------

// A page record naming the stream at `pos`, `len` bytes long.
Bytes PageNaming(int32_t pos, int32_t len) {
    Bytes r = HqvBuilder::Record(292, 0);
    PutI32(&r[0], pos);
    PutI32(&r[185], len);
    r[195] = 2;
    return r;
}

TEST(HostileFiles, AStreamNamedByManyRecordsIsReadOnce) {
    ScratchFolder d;
    HqvBuilder b;
    b.AddDefaultStyles();
    const std::string big(1 << 20, 'x');
    const int32_t pos = b.AddData(big);
    for (int i = 0; i < 200; ++i) b.Add(0, PageNaming(pos, int32_t(big.size())), 292);
    b.WriteTo(d / "condiviso.hqv");
    const uint64_t fileSize = fs::file_size(d / "condiviso.hqv");

    RecordingMessages m;
    THQVset s(m);
    ASSERT_TRUE(s.OpenHypertext(d / "condiviso.hqv")) << m.joined();
    uint64_t inMemory = 0;
    for (int32_t i = 0; i < s.ObjectCount(testoHtml); ++i) inMemory += s.Page(i)->ContentLength();
    EXPECT_LE(inMemory, fileSize);
    EXPECT_EQ(PageText(s, 0), big);
    EXPECT_EQ(s.UnreadableObjects().size(), 199u);
    ASSERT_FALSE(m.entries().empty());
    EXPECT_EQ(m.entries()[0].kind, MessageKind::Warning);
    EXPECT_NE(m.entries()[0].text.find("pagina 1"), std::string::npos) << m.joined();
}

TEST(HostileFiles, AKindTableDeclaringMillionsOfTinyRecordsIsRefused) {
    ScratchFolder d;
    HqvBuilder b;
    const int32_t count = 300000;
    b.kinds[0].recordSize = 1;
    b.kinds[0].records.assign(size_t(count), Bytes{0});
    b.WriteTo(d / "dichiarati.hqv");
    RecordingMessages m;
    THQVset s(m);
    EXPECT_FALSE(s.OpenHypertext(d / "dichiarati.hqv"));
    EXPECT_EQ(s.ObjectCount(testoHtml), 0);
    EXPECT_NE(m.joined().find("è danneggiato"), std::string::npos) << m.joined();
    EXPECT_NE(m.joined().find("Errore nella lettura file:"), std::string::npos);
}

TEST(HostileFiles, RunningOutOfMemoryWhileOpeningFailsTheOpeningOnly) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "address limits do not apply under the address sanitizer";
#endif
    ScratchFolder d;
    // One page whose stream is most of a large (sparse) file: more than the
    // process may have.
    const size_t streamSize = size_t(512) << 20;
    HqvBuilder b;
    b.AddDefaultStyles();
    b.Add(0, PageNaming(0, int32_t(streamSize)), 292);
    b.WriteTo(d / "grande.hqv");
    fs::resize_file(d / "grande.hqv", fs::file_size(d / "grande.hqv") + streamSize);
    int rc = InChild([&] {
        rlimit lim{};
        ::getrlimit(RLIMIT_AS, &lim);
        // What the process has now, plus 256 MB.
        long pages = 0;
        if (FILE* f = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(f, "%ld", &pages) != 1) pages = 0;
            std::fclose(f);
        }
        rlimit small{rlim_t(pages) * rlim_t(::sysconf(_SC_PAGESIZE)) + (rlim_t(256) << 20),
                     lim.rlim_max};
        if (::setrlimit(RLIMIT_AS, &small) != 0) return 3;
        RecordingMessages m;
        THQVset s(m);
        if (s.OpenHypertext(d / "grande.hqv")) return 4;
        if (m.joined().find("Memoria insufficiente") == std::string::npos) return 5;
        if (!s.HQVFileName().empty() || s.ObjectCount(stileParagrafo) != 2) return 6;
        return 0;
    });
    EXPECT_EQ(rc, 0);
}

TEST(HostileFiles, ARecordCostsWhatItsKindStores) {
    THQVset s(platform::NullMessages());
    struct Row {
        uint8_t kind;
    } rows[] = {{shortObj}, {speclink}, {testoHtml}, {immagineNew}};
    for (const Row& row : rows) {
        SCOPED_TRACE(KindName(row.kind));
        THQVoggetto* o = s.AddNewObject(row.kind);
        EXPECT_LE(o->RecordBytesKept(), size_t(kRecordSize[row.kind]));
        // Writing past the end grows the record; the rest still reads 0xFF.
        o->SetI32(600, 7);
        EXPECT_EQ(o->I32(600), 7);
        EXPECT_EQ(o->U8(604), 0xFF);
        EXPECT_EQ(o->Record()[667], 0xFF);
    }
}

// --- object streams ----------------------------------------------------------------

// An object stream of a kind-3 embedded file with no bytes of its own and the
// external path `path`.
Bytes StreamNaming(const std::string& path) {
    THQVset other(platform::NullMessages());
    auto o = other.NewObject(genLink);
    o->SetName("rubato.txt");
    o->SetState(4);
    Bytes out;
    o->SaveToTransfer(out);
    // Replace the (empty) external path by `path`.
    const size_t at = 4 + 1 + kObjectRecordSize;
    Bytes stream(out.begin(), out.begin() + std::ptrdiff_t(at));
    AppendI32(stream, int32_t(path.size()));
    AppendString(stream, path);
    stream.insert(stream.end(), out.begin() + std::ptrdiff_t(at + 4), out.end());
    return stream;
}

TEST(HostileFiles, AnExternalPathInAnObjectStreamNamesNoFileOnDisk) {
    ScratchFolder d;
    WriteFileBytes(d / "segreto.txt", "dati privati");
    fs::create_directory(d / "cartella");
    ASSERT_EQ(::mkfifo((d / "tubo").c_str(), 0600), 0);
    for (const char* name : {"segreto.txt", "cartella", "tubo"}) {
        SCOPED_TRACE(name);
        RecordingMessages m;
        THQVset s(m);
        Bytes stream = StreamNaming((d / name).string());
        auto o = THQVoggetto::Create(&s, testoHtmlRtf);
        size_t pos = 0;
        ASSERT_TRUE(o->LoadFromTransfer(stream.data(), stream.size(), pos));
        Bytes content;
        o->ReadContent(content);  // neither blocks nor throws
        EXPECT_TRUE(content.empty());
        EXPECT_TRUE(o->ExternalFile().empty());
        // Pasted and saved: the file's bytes never reach the hypertext.
        THQVoggetto::Register(o, -1);
        ASSERT_TRUE(s.SaveHypertext(d / "out.hqv")) << ::testing::PrintToString(s.Errors());
        EXPECT_EQ(ReadFileBytes(d / "out.hqv").find("dati privati"), std::string::npos);
    }
}

TEST(HostileFiles, AnObjectCopiedWithinTheSetKeepsItsOwnTemporaryFile) {
    ScratchFolder d;
    WriteFileBytes(d / "allegato.txt", "allegato");
    THQVset s(platform::NullMessages());
    THQVoggetto* f = s.AddEmbeddedFile(d / "allegato.txt");
    ASSERT_NE(f, nullptr);
    Bytes stream;
    f->SaveToTransfer(stream);
    auto copy = THQVoggetto::Create(&s, testoHtmlRtf);
    size_t pos = 0;
    ASSERT_TRUE(copy->LoadFromTransfer(stream.data(), stream.size(), pos));
    EXPECT_EQ(copy->ExternalFile(), f->ExternalFile());
    Bytes content;
    ASSERT_TRUE(copy->ReadContent(content));
    EXPECT_EQ(std::string(content.begin(), content.end()), "allegato");
}

// --- embedded files ------------------------------------------------------------------

TEST(HostileFiles, ReplacingAnEmbeddedFileThatCannotBeCopiedKeepsTheOldOne) {
    ScratchFolder d;
    WriteFileBytes(d / "vecchio.txt", "contenuto vecchio");
    WriteFileBytes(d / "nuovo.txt", std::string(200000, 'n'));
    int rc = InChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        RecordingMessages m;
        THQVset s(m);
        THQVoggetto* f = s.AddEmbeddedFile(d / "vecchio.txt");
        if (!f) return 2;
        // The copy of the new file into the temporary folder fails part way.
        rlimit lim{100000, 100000};
        ::setrlimit(RLIMIT_FSIZE, &lim);
        if (s.AddEmbeddedFile(d / "nuovo.txt", *f) != nullptr) return 3;
        Bytes b;
        if (!f->ReadContent(b) || std::string(b.begin(), b.end()) != "contenuto vecchio") return 4;
        if (f->IsFree() || f->Name() != "vecchio.txt") return 5;
        if (m.joined().find("File too large") == std::string::npos) return 6;
        return 0;
    });
    EXPECT_EQ(rc, 0);
}

TEST(HostileFiles, APipeGivenAsAFileIsRefusedWithoutWaiting) {
    ScratchFolder d;
    ASSERT_EQ(::mkfifo((d / "tubo.gif").c_str(), 0600), 0);
    int rc = InChild([&] {
        ::alarm(10);  // a reader that blocks is ended by the alarm
        RecordingMessages m;
        THQVset s(m);
        if (s.AddEmbeddedFile(d / "tubo.gif") != nullptr) return 2;
        if (s.AddPictureFile(d / "tubo.gif") != nullptr) return 3;
        if (s.AddPictureData(d / "tubo.gif", false, 1, 1).object != nullptr) return 4;
        Bytes b;
        if (ReadRegularFile(d / "tubo.gif", b)) return 5;
        return 0;
    });
    EXPECT_EQ(rc, 0);
}

// --- saving ----------------------------------------------------------------------------

TEST(HostileFiles, AFailedWriteNamesTheFileAndTheReason) {
    ScratchFolder d;
    const fs::path file = d / "doc.hqv";
    MakeHypertext(file, "vecchio", 200000);
    int rc = InChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        RecordingMessages m;
        THQVset s(m);
        if (!s.OpenHypertext(file)) return 2;
        SetPageText(s, "nuovo");
        rlimit lim{100000, 100000};
        ::setrlimit(RLIMIT_FSIZE, &lim);
        if (s.SaveHypertext(file)) return 3;
        const std::string expected = "Errore nella scrittura file " + file.string() + ": File too large";
        if (s.Errors().empty() || s.Errors()[0] != expected) {
            std::fprintf(stderr, "%s\n", s.Errors().empty() ? "" : s.Errors()[0].c_str());
            return 4;
        }
        return 0;
    });
    EXPECT_EQ(rc, 0);
}

TEST(HostileFiles, AFolderThatRefusesNewFilesIsSavedInPlaceWhenTheFileExists) {
    struct Row {
        const char* name;
        bool targetExists;
        bool saved;
    } rows[] = {{"existing file", true, true}, {"new file", false, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder d;
        const fs::path file = d / "doc.hqv";
        MakeHypertext(file, "vecchio", 50000);
        const fs::path target = row.targetExists ? file : d / "nuovo.hqv";
        testing_hooks::saveFault = [](SaveStep st) { return st == SaveStep::CreateTemp ? EACCES : 0; };
        RecordingMessages m;
        THQVset s(m);
        s.Bak = false;
        ASSERT_TRUE(s.OpenHypertext(file));
        SetPageText(s, "nuovo");
        const bool saved = s.SaveHypertext(target);
        testing_hooks::saveFault = nullptr;
        EXPECT_EQ(saved, row.saved) << ::testing::PrintToString(s.Errors());
        // Never the question about sharing or a full disk.
        for (auto& e : m.entries()) EXPECT_NE(e.kind, MessageKind::QuestionYesNo) << e.text;
        ASSERT_FALSE(s.Errors().empty());
        if (row.saved) {
            EXPECT_NE(s.Errors()[0].find("senza la protezione"), std::string::npos) << s.Errors()[0];
            Contents c = ReadBack(file);
            EXPECT_EQ(c.text, "nuovo");
            EXPECT_TRUE(c.picture == PictureBytes(50000));
            EXPECT_EQ(PageText(s), "nuovo");
            EXPECT_FALSE(s.Modified());
        } else {
            EXPECT_EQ(s.Errors()[0], "Errore nella scrittura file " + target.string() +
                                         ": Permission denied");
            EXPECT_FALSE(fs::exists(target));
            EXPECT_TRUE(s.Modified());
        }
    }
}

// --- damaged files ---------------------------------------------------------------------

TEST(HostileFiles, AFileCutShortIsReportedAndItsFirstSaveAsks) {
    ScratchFolder d;
    const fs::path file = d / "doc.hqv";
    {
        THQVset s(platform::NullMessages());
        s.AddNewObject(testoHtml)->SetContent(ToBytes("prima pagina"));
        THQVoggetto* p = s.AddNewObject(testoHtml);
        p->SetContent(ToBytes(std::string(5000, 'z')));
        static_cast<THQVtesto*>(p)->SetTitle("Ultima");
        ASSERT_TRUE(s.SaveHypertext(file));
    }
    fs::resize_file(file, fs::file_size(file) - 100);
    const std::string damaged = ReadFileBytes(file);
    for (Answer answer : {Answer::No, Answer::Yes}) {
        SCOPED_TRACE(answer == Answer::Yes ? "yes" : "no");
        WriteFileBytes(file, damaged);
        fs::remove(d / "doc.bak");
        RecordingMessages m;
        THQVset s(m);
        s.Bak = false;
        ASSERT_TRUE(s.OpenHypertext(file));
        ASSERT_EQ(m.entries().size(), 1u) << m.joined();
        EXPECT_EQ(m.entries()[0].kind, MessageKind::Warning);
        EXPECT_NE(m.entries()[0].text.find("pagina 1 \"Ultima\""), std::string::npos) << m.joined();
        EXPECT_EQ(m.entries()[0].text.find("pagina 0"), std::string::npos);
        EXPECT_EQ(s.UnreadableObjects(), std::vector<int32_t>{MakeId(testoHtml, 1)});
        m.clear();
        m.QueueAnswer(answer);
        SetPageText(s, "modificato");
        const bool saved = s.SaveHypertext(file);
        ASSERT_FALSE(m.entries().empty());
        EXPECT_EQ(m.entries()[0].kind, MessageKind::QuestionYesNo);
        if (answer == Answer::No) {
            EXPECT_FALSE(saved);
            EXPECT_TRUE(ReadFileBytes(file) == damaged);
            EXPECT_TRUE(s.Modified());
        } else {
            EXPECT_TRUE(saved) << ::testing::PrintToString(s.Errors());
            // The damaged original is kept although backups are off.
            EXPECT_TRUE(ReadFileBytes(d / "doc.bak") == damaged);
            EXPECT_TRUE(s.UnreadableObjects().empty());
            // The next save does not ask again.
            m.clear();
            SetPageText(s, "ancora");
            EXPECT_TRUE(s.SaveHypertext(file));
            EXPECT_TRUE(m.entries().empty()) << m.joined();
        }
    }
}

}  // namespace
}  // namespace ovik
