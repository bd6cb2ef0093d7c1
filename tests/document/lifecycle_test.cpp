#include "document/lifecycle.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>

#include "document/hqv_set.h"
#include "platform/messages.h"
#include "support/child_process.h"
#include "support/hypertext_files.h"

namespace ovik {
namespace {

namespace fs = std::filesystem;
using platform::Answer;
using platform::RecordingMessages;
using namespace testing_support;

const std::string kSharing = "Probabile errore di condivisione, o disco pieno.";

std::vector<fs::path> SaveTempFiles(const fs::path& folder) {
    std::vector<fs::path> found;
    for (auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().find(".ovik-") != std::string::npos) found.push_back(e.path());
    return found;
}

class Lifecycle : public ::testing::Test {
protected:
    void TearDown() override { testing_hooks::saveFault = nullptr; }
    ScratchFolder dir;
    RecordingMessages msgs;
};

// --- same file ------------------------------------------------------------------

TEST_F(Lifecycle, SaveToTheOpenFileUnderAnyNameReplacesItWithoutLosingItsBytes) {
    struct Row {
        const char* name;
        std::function<fs::path(const fs::path& file)> spelling;
        const char* bak;  // where the backup of the old file goes
    } rows[] = {
        {"same name", [](const fs::path& f) { return f; }, "doc.bak"},
        {"dir/../file", [](const fs::path& f) { return f.parent_path() / "sub" / ".." / f.filename(); },
         "doc.bak"},
        {"symbolic link",
         [](const fs::path& f) {
             fs::path link = f.parent_path() / "link.hqv";
             fs::create_symlink(f.filename(), link);
             return link;
         },
         "doc.bak"},
        // The name saved to takes the new file; a second hard link keeps
        // naming the old one, complete (a save never writes into a file).
        {"hard link",
         [](const fs::path& f) {
             fs::path link = f.parent_path() / "second.hqv";
             fs::create_hard_link(f, link);
             return link;
         },
         "second.bak"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder d;
        fs::create_directory(d / "sub");
        const fs::path file = d / "doc.hqv";
        MakeHypertext(file, "vecchio", 300000);
        const std::string before = ReadFileBytes(file);
        const fs::path spelling = row.spelling(file);

        THQVset s(msgs);
        ASSERT_TRUE(s.OpenHypertext(file));
        ASSERT_TRUE(s.File() && s.GetObject(immagine, 0)->ContentInFile());
        SetPageText(s, "nuovo");
        ASSERT_TRUE(s.SaveHypertext(spelling)) << ::testing::PrintToString(s.Errors());

        // The picture's bytes were copied from the open file while it was read,
        // so a save that emptied it first would have lost them.
        EXPECT_EQ(PageText(s), "nuovo");
        EXPECT_TRUE(PictureOf(s) == PictureBytes(300000));
        EXPECT_FALSE(s.Modified());
        EXPECT_EQ(s.HQVFileName(), spelling);
        Contents c = ReadBack(spelling);
        EXPECT_TRUE(c.opened);
        EXPECT_EQ(c.text, "nuovo");
        EXPECT_TRUE(c.picture == PictureBytes(300000));
        EXPECT_TRUE(ReadFileBytes(d / row.bak) == before);
        if (std::string(row.name) == "symbolic link") {
            EXPECT_TRUE(fs::is_symlink(spelling));
        }
        if (std::string(row.name) == "hard link") {
            EXPECT_TRUE(ReadFileBytes(file) == before);
        }
        EXPECT_TRUE(SaveTempFiles(d.path()).empty());
    }
}

TEST_F(Lifecycle, NamesDifferingOnlyInCaseAreDifferentFiles) {
    const fs::path lower = dir / "doc.hqv", upper = dir / "DOC.HQV";
    MakeHypertext(lower, "minuscolo");
    const std::string before = ReadFileBytes(lower);
    THQVset s(msgs);
    ASSERT_TRUE(s.OpenHypertext(lower));
    SetPageText(s, "maiuscolo");
    ASSERT_TRUE(s.SaveHypertext(upper));
    EXPECT_TRUE(ReadFileBytes(lower) == before);
    EXPECT_EQ(s.HQVFileName(), upper);
    EXPECT_EQ(ReadBack(upper).text, "maiuscolo");
}

// --- backup -----------------------------------------------------------------------

TEST_F(Lifecycle, WithBakOnTheSecondSaveLeavesThePreviousVersionAsBak) {
    const fs::path file = dir / "doc.hqv", bak = dir / "doc.bak";
    THQVset s(msgs);
    s.AddNewObject(testoHtml);
    for (const char* text : {"uno", "due", "tre"}) {
        SetPageText(s, text);
        ASSERT_TRUE(s.SaveHypertext(file));
    }
    EXPECT_EQ(ReadBack(file).text, "tre");
    EXPECT_EQ(ReadBack(bak).text, "due");

    // With the option off the backup is left as it was.
    s.Bak = false;
    SetPageText(s, "quattro");
    ASSERT_TRUE(s.SaveHypertext(file));
    EXPECT_EQ(ReadBack(bak).text, "due");
}

TEST_F(Lifecycle, SavingToABakNameNeverRemovesTheTarget) {
    const fs::path file = dir / "copia.bak";
    THQVset s(msgs);
    s.AddNewObject(testoHtml);
    SetPageText(s, "uno");
    ASSERT_TRUE(s.SaveHypertext(file));
    SetPageText(s, "due");
    ASSERT_TRUE(s.SaveHypertext(file));
    EXPECT_EQ(ReadBack(file).text, "due");
}

// --- opening ----------------------------------------------------------------------

TEST_F(Lifecycle, AnEmptyFileOpensAsANewHypertextWithItsPrefix) {
    const fs::path file = dir / "Progetto.Lungo.hqv";
    WriteFileBytes(file, "");
    THQVset s(msgs);
    ASSERT_TRUE(s.OpenHypertext(file));
    EXPECT_EQ(s.ExpPrefix(), "progetto");
    EXPECT_EQ(s.HQVFileName(), file);
    EXPECT_FALSE(s.OpenedReadOnly());
    EXPECT_FALSE(s.Modified());
    // It saves back into the same file.
    ASSERT_TRUE(s.SaveHypertext(file));
    EXPECT_TRUE(IsCompleteHypertext(file));
}

TEST_F(Lifecycle, AMissingFileIsReportedAndTheSetIsNotTouched) {
    const fs::path file = dir / "doc.hqv";
    MakeHypertext(file, "resta");
    THQVset s(msgs);
    ASSERT_TRUE(s.OpenHypertext(file));
    EXPECT_FALSE(s.OpenHypertext(dir / "manca.hqv"));
    EXPECT_EQ(msgs.joined(), (dir / "manca.hqv").string() + " non esiste");
    EXPECT_EQ(s.HQVFileName(), file);
    EXPECT_EQ(PageText(s), "resta");
}

TEST_F(Lifecycle, APipeUnderTheNameIsRefusedWithoutWaiting) {
    const fs::path pipe = dir / "tubo.hqv";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    THQVset s(msgs);
    EXPECT_FALSE(s.OpenHypertext(pipe));
    EXPECT_EQ(msgs.joined(), "Errore nella lettura file:" + pipe.string() + " (not a regular file)");
    EXPECT_FALSE(LockedByOther(pipe));
}

// --- failures -----------------------------------------------------------------------

// Every failing save: the error list says why, the target keeps its bytes, no
// temporary file is left, and the document in memory is intact and saves later.
TEST_F(Lifecycle, AFailedSaveLeavesTheTargetUntouchedAndTheDocumentUsable) {
    struct Row {
        const char* name;
        bool sameFile;                                     // else the target is another file
        std::function<void(THQVset&, const fs::path& open)> prepare;  // the fault
        std::string error;                                 // an entry of the error list starts so
    } rows[] = {
        {"write error after the data", true,
         [](THQVset&, const fs::path&) {
             testing_hooks::saveFault = [](SaveStep s) { return s == SaveStep::Written ? EIO : 0; };
         },
         "Errore nella scrittura file "},
        {"temporary file cannot be made", true,
         [](THQVset&, const fs::path&) {
             testing_hooks::saveFault = [](SaveStep s) { return s == SaveStep::CreateTemp ? ENOSPC : 0; };
         },
         "Errore nella scrittura file "},
        {"embedded file vanished", true,
         [](THQVset& s, const fs::path& open) {
             fs::path ext = open.parent_path() / "allegato.bin";
             WriteFileBytes(ext, "dati");
             THQVoggetto* f = s.AddNewObject(genLink);
             f->SetName("allegato.bin");
             f->SetExternalFile(ext);
             fs::remove(ext);
         },
         "Errore nell'apertura file: "},
        {"picture bytes unreadable in the open file", false,
         [](THQVset&, const fs::path& open) { fs::resize_file(open, 3000); },
         "Errore nell'apertura file: "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder d;
        const fs::path open = d / "doc.hqv", other = d / "altro.hqv";
        MakeHypertext(open, "vecchio", 100000);
        MakeHypertext(other, "altro");
        const fs::path target = row.sameFile ? open : other;
        const std::string before = ReadFileBytes(target);
        RecordingMessages m;
        THQVset s(m);
        ASSERT_TRUE(s.OpenHypertext(open));
        SetPageText(s, "modificato");
        row.prepare(s, open);
        const int32_t revision = s.Revision();

        EXPECT_FALSE(s.SaveHypertext(target));
        ASSERT_FALSE(s.Errors().empty());
        EXPECT_EQ(s.Errors().front().rfind(row.error, 0), 0u) << s.Errors().front();
        EXPECT_TRUE(ReadFileBytes(target) == before);
        EXPECT_FALSE(fs::exists(d / (target.stem().string() + ".bak")));
        EXPECT_TRUE(SaveTempFiles(d.path()).empty());
        EXPECT_EQ(PageText(s), "modificato");
        EXPECT_EQ(s.HQVFileName(), open);
        EXPECT_TRUE(s.Modified());  // still to be saved
        EXPECT_EQ(s.Revision(), revision);

        testing_hooks::saveFault = nullptr;
        if (std::string(row.name) == "embedded file vanished") {
            for (int32_t i = 0; i < s.ObjectCount(genLink); ++i) s.GetObject(genLink, i)->MakeFree();
        }
        if (row.sameFile) {
            EXPECT_TRUE(s.SaveHypertext(target)) << ::testing::PrintToString(s.Errors());
            EXPECT_EQ(ReadBack(target).text, "modificato");
        }
    }
}

TEST_F(Lifecycle, AWriteErrorInTheStreamsLeavesTheOpenFileByteForByte) {
    // A file-size limit makes the writes of the new file fail part way through
    // the picture's bytes, as a full disk would.
    const fs::path file = dir / "doc.hqv";
    MakeHypertext(file, "vecchio", 200000);
    const std::string before = ReadFileBytes(file);
    int rc = InChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        RecordingMessages m;
        THQVset s(m);
        if (!s.OpenHypertext(file)) return 2;
        SetPageText(s, "nuovo");
        rlimit lim{100000, 100000};
        ::setrlimit(RLIMIT_FSIZE, &lim);
        if (s.SaveHypertext(file)) return 3;
        if (s.Errors().empty() || s.Errors()[0].rfind("Errore nella scrittura file ", 0) != 0) return 4;
        if (PageText(s) != "nuovo" || PictureOf(s) != PictureBytes(200000)) return 5;
        if (!s.Modified()) return 6;
        return 0;
    });
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(ReadFileBytes(file) == before);
    EXPECT_TRUE(SaveTempFiles(dir.path()).empty());
}

TEST_F(Lifecycle, ABusyTargetAsksToRetryThenFails) {
    // Another program holding the target is a sharing error: the user may
    // close it and try again.
    const fs::path file = dir / "doc.hqv";
    MakeHypertext(file, "vecchio");
    const std::string before = ReadFileBytes(file);
    THQVset s(msgs);
    ASSERT_TRUE(s.OpenHypertext(file));
    testing_hooks::saveFault = [](SaveStep st) { return st == SaveStep::CreateTemp ? EBUSY : 0; };
    SetPageText(s, "nuovo");
    msgs.QueueAnswer(Answer::Yes);
    msgs.QueueAnswer(Answer::No);
    EXPECT_FALSE(s.SaveHypertext(file));
    const std::string question = kSharing +
                                 "\rChiudi l'altra applicazione che sta accedendo al file, e scegli "
                                 "\"Si\" per riprovare a scrivere.\r(" + file.string() + ")";
    ASSERT_EQ(msgs.entries().size(), 2u);
    EXPECT_EQ(msgs.entries()[0].kind, platform::MessageKind::QuestionYesNo);
    EXPECT_EQ(msgs.entries()[0].text, question);
    EXPECT_EQ(msgs.entries()[1].text, question);
    EXPECT_EQ(s.Errors(), std::vector<std::string>{"Errore nella scrittura file " + file.string() +
                                                   ": Device or resource busy"});
    EXPECT_TRUE(ReadFileBytes(file) == before);
    EXPECT_EQ(PageText(s), "nuovo");
}

TEST_F(Lifecycle, AnEmptyNameOrAFolderIsRefused) {
    for (const fs::path& name : {fs::path(), dir.path()}) {
        SCOPED_TRACE(name.string());
        RecordingMessages m;
        THQVset s(m);
        EXPECT_FALSE(s.SaveHypertext(name));
        ASSERT_EQ(m.entries().size(), 1u);
        EXPECT_EQ(m.entries()[0].text, "Nome file non valido!");
        EXPECT_EQ(m.entries()[0].kind, platform::MessageKind::Error);
    }
    EXPECT_TRUE(fs::is_directory(dir.path()));
    EXPECT_TRUE(SaveTempFiles(dir.path()).empty());
}

// --- the final rename ----------------------------------------------------------------

TEST_F(Lifecycle, AFailedRenameIsRetriedOrTheNewFileBecomesTheDocument) {
    const fs::path file = dir / "doc.hqv";
    struct Row {
        const char* name;
        std::vector<Answer> answers;
        int failures;
        bool keepsTemp;
    } rows[] = {
        {"retried until it works", {Answer::Yes, Answer::Yes}, 2, false},
        {"No keeps the temporary file", {Answer::No}, 1000, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MakeHypertext(file, "vecchio");
        const std::string before = ReadFileBytes(file);
        RecordingMessages m;
        for (Answer a : row.answers) m.QueueAnswer(a);
        int left = row.failures;
        testing_hooks::saveFault = [&left](SaveStep s) {
            return s == SaveStep::Rename && left-- > 0 ? EBUSY : 0;
        };
        THQVset s(m);
        ASSERT_TRUE(s.OpenHypertext(file));
        SetPageText(s, "nuovo");
        EXPECT_FALSE(s.SaveHypertext(file));  // the error list keeps the failure
        testing_hooks::saveFault = nullptr;
        EXPECT_EQ(s.Errors(), std::vector<std::string>{kSharing});
        ASSERT_EQ(m.entries().size(), row.answers.size());
        const std::string& q = m.entries()[0].text;
        EXPECT_EQ(q.rfind(kSharing + "\rChiudi l'altra applicazione che sta accedendo al file, e "
                                     "scegli \"Si\" per riprovare a scrivere.\rScegli \"No\" per "
                                     "utilizzare il documento in \"",
                          0),
                  0u);
        EXPECT_EQ(PageText(s), "nuovo");
        if (row.keepsTemp) {
            EXPECT_TRUE(ReadFileBytes(file) == before);
            ASSERT_NE(s.HQVFileName(), file);
            const std::string keptName = s.HQVFileName().filename().string();
            EXPECT_EQ(keptName.rfind("doc.ovik-", 0), 0u) << keptName;
            EXPECT_EQ(s.HQVFileName().extension(), ".hqv");
            EXPECT_EQ(q.substr(q.size() - s.HQVFileName().string().size() - 1),
                      s.HQVFileName().string() + "\"");
            EXPECT_TRUE(IsCompleteHypertext(s.HQVFileName()));
            // The kept document is never taken for a leftover.
            EXPECT_EQ(RemoveStaleSaveFiles(file), 0);
            fs::path kept = s.HQVFileName();
            s.ClearAll();
            EXPECT_EQ(RemoveStaleSaveFiles(file), 0);
            fs::remove(kept);
        } else {
            EXPECT_EQ(s.HQVFileName(), file);
            EXPECT_EQ(ReadBack(file).text, "nuovo");
        }
    }
}

// --- crashes ----------------------------------------------------------------------

// A save that dies at any moment leaves the target as the old complete file or
// the new complete file; what it leaves beside it is cleared by the next save.
TEST_F(Lifecycle, ASaveKilledAtAnyMomentLeavesTheOldOrTheNewFile) {
    struct Row {
        const char* name;
        long sizeLimit;          // the process dies when a file grows past it (0: none)
        SaveStep dieAt;          // else it dies at this step
    } rows[] = {
        {"in the header", 1000, SaveStep::CreateTemp},
        {"in the records", 2300, SaveStep::CreateTemp},
        {"in the picture bytes", 150000, SaveStep::CreateTemp},
        {"after writing", 0, SaveStep::Written},
        {"after the backup", 0, SaveStep::Rename},
        {"before the backup", 0, SaveStep::Backup},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder d;
        const fs::path file = d / "doc.hqv";
        MakeHypertext(file, "vecchio", 300000);
        const std::string before = ReadFileBytes(file);
        int rc = InChild([&] {
            THQVset s(platform::NullMessages());
            if (!s.OpenHypertext(file)) return 2;
            SetPageText(s, "nuovo");
            if (row.sizeLimit > 0) {
                rlimit lim{rlim_t(row.sizeLimit), rlim_t(row.sizeLimit)};
                ::setrlimit(RLIMIT_FSIZE, &lim);  // SIGXFSZ kills the writer
            } else {
                const SaveStep at = row.dieAt;
                testing_hooks::saveFault = [at](SaveStep st) {
                    if (st == at) ::raise(SIGKILL);
                    return 0;
                };
            }
            s.SaveHypertext(file);
            return 0;
        });
        EXPECT_TRUE(rc == 128 + SIGKILL || rc == 128 + SIGXFSZ) << rc;
        Contents c = ReadBack(file);
        EXPECT_TRUE(c.opened);
        EXPECT_TRUE(ReadFileBytes(file) == before || c.text == "nuovo");
        EXPECT_TRUE(c.picture == PictureBytes(300000));

        // The next save clears an unfinished temporary file and succeeds.
        THQVset s(msgs);
        ASSERT_TRUE(s.OpenHypertext(file));
        ASSERT_TRUE(s.SaveHypertext(file));
        EXPECT_TRUE(SaveTempFiles(d.path()).empty());
    }
}

// --- lock -----------------------------------------------------------------------------

TEST_F(Lifecycle, ASecondSetOfTheSameFileOpensItReadOnlyAndIsTold) {
    const fs::path file = dir / "doc.hqv";
    MakeHypertext(file, "primo");
    fs::create_symlink(file, dir / "link.hqv");
    THQVset first(msgs);
    ASSERT_TRUE(first.OpenHypertext(file));
    EXPECT_FALSE(first.OpenedReadOnly());

    for (const fs::path& name : {file, dir / "link.hqv"}) {
        SCOPED_TRACE(name.string());
        RecordingMessages m;
        THQVset second(m);
        ASSERT_TRUE(second.OpenHypertext(name));
        EXPECT_TRUE(second.OpenedReadOnly());
        ASSERT_EQ(m.entries().size(), 1u);
        EXPECT_EQ(m.entries()[0].kind, platform::MessageKind::Warning);
        EXPECT_EQ(m.entries()[0].text, "Il file " + name.string() +
                                           " è già aperto da un'altra finestra o da un altro "
                                           "programma: viene aperto in sola lettura.");
        // It cannot save over the file, but it can save under another name.
        const std::string before = ReadFileBytes(file);
        SetPageText(second, "secondo");
        m.clear();
        EXPECT_FALSE(second.SaveHypertext(file));
        EXPECT_EQ(m.joined(), "Il file " + name.string() +
                                  " è aperto in sola lettura: salvalo con un altro nome.");
        EXPECT_EQ(second.Errors().size(), 1u);
        EXPECT_TRUE(ReadFileBytes(file) == before);
        EXPECT_TRUE(second.SaveHypertext(dir / "copia.hqv"));
        EXPECT_FALSE(second.OpenedReadOnly());
    }

    // A second process is told the same.
    int rc = InChild([&] {
        RecordingMessages m;
        THQVset other(m);
        if (!other.OpenHypertext(file)) return 2;
        return other.OpenedReadOnly() && m.joined().find("sola lettura") != std::string::npos ? 0 : 1;
    });
    EXPECT_EQ(rc, 0);

    // Once the first set lets the file go, it opens for writing again.
    first.NewHypertext();
    THQVset third(msgs);
    ASSERT_TRUE(third.OpenHypertext(file));
    EXPECT_FALSE(third.OpenedReadOnly());
}

TEST_F(Lifecycle, SavingOverAFileAnotherSetHoldsAsksToRetry) {
    const fs::path mine = dir / "mio.hqv", theirs = dir / "suo.hqv";
    MakeHypertext(mine, "mio");
    MakeHypertext(theirs, "suo");
    const std::string before = ReadFileBytes(theirs);
    RecordingMessages other;
    THQVset holder(other);
    ASSERT_TRUE(holder.OpenHypertext(theirs));
    THQVset s(msgs);
    ASSERT_TRUE(s.OpenHypertext(mine));
    EXPECT_FALSE(s.SaveHypertext(theirs));
    ASSERT_EQ(msgs.entries().size(), 1u);
    EXPECT_EQ(msgs.entries()[0].text.rfind(kSharing, 0), 0u);
    EXPECT_TRUE(ReadFileBytes(theirs) == before);
    // The holder lets go; the retry then succeeds.
    holder.NewHypertext();
    msgs.QueueAnswer(Answer::Yes);
    EXPECT_TRUE(s.SaveHypertext(theirs));
}

TEST_F(Lifecycle, TheSavedFileIsLockedAgainAfterTheSave) {
    const fs::path file = dir / "doc.hqv";
    MakeHypertext(file, "uno");
    THQVset s(msgs);
    ASSERT_TRUE(s.OpenHypertext(file));
    ASSERT_TRUE(s.SaveHypertext(file));
    EXPECT_TRUE(LockedByOther(file));
    s.ClearAll();
    EXPECT_FALSE(LockedByOther(file));
}

// --- linked views ---------------------------------------------------------------------

class FakeView : public LinkedView {
public:
    explicit FakeView(THQVset& s) : set(s) {}
    void StoreAndDropPage() override {
        log += "store;";
        // The working copy goes back into the set before the file is written.
        SetPageText(set, "dalla vista");
        shown = -1;
    }
    void ShowPageAgain() override {
        log += "show(" + PageText(set) + ");";
        shown = 0;
    }
    void DropPage() override {
        log += "drop;";
        shown = -1;
    }
    THQVset& set;
    std::string log;
    int shown = 0;
};

TEST_F(Lifecycle, LinkedViewsStoreTheirPageBeforeASaveAndShowItAfter) {
    const fs::path file = dir / "doc.hqv";
    MakeHypertext(file, "file");
    THQVset s(msgs);
    ASSERT_TRUE(s.OpenHypertext(file));
    FakeView view(s);
    s.LinkView(&view);
    s.LinkView(&view);  // linked once
    ASSERT_TRUE(s.SaveHypertext(file));
    EXPECT_EQ(view.log, "store;drop;show(dalla vista);");
    EXPECT_EQ(ReadBack(file).text, "dalla vista");

    // A failed save shows the page again too; a save while closing does not.
    view.log.clear();
    testing_hooks::saveFault = [](SaveStep st) { return st == SaveStep::Written ? EIO : 0; };
    EXPECT_FALSE(s.SaveHypertext(file));
    EXPECT_EQ(view.log, "store;show(dalla vista);");
    testing_hooks::saveFault = nullptr;
    view.log.clear();
    s.Closing = true;
    ASSERT_TRUE(s.SaveHypertext(file));
    EXPECT_EQ(view.log, "store;drop;");
    s.Closing = false;

    // Opening and making a new hypertext drop the page before the objects go.
    view.log.clear();
    ASSERT_TRUE(s.OpenHypertext(file));
    s.NewHypertext();
    EXPECT_EQ(view.log, "drop;drop;");
    s.UnlinkView(&view);
    view.log.clear();
    ASSERT_TRUE(s.SaveHypertext(file));
    EXPECT_EQ(view.log, "");
}

// --- leftovers of earlier runs -------------------------------------------------------------

std::string Hex8(unsigned v) {
    char b[9];
    std::snprintf(b, sizeof b, "%08X", v);
    return b;
}

TEST_F(Lifecycle, TemporaryFoldersOfDeadRunsAreRemovedAndNothingElse) {
    pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    const std::string deadName = "ovik_" + Hex8(unsigned(dead)) + "_00000001";
    const std::string deadLower = "ovik_" + Hex8(unsigned(dead)) + "_0000000a";
    for (const std::string& n :
         {deadName, "ovik_" + Hex8(unsigned(::getpid())) + "_00000001",
          "ovik_" + Hex8(unsigned(::getppid())) + "_00000002", std::string("ovik_nothex00_00000001"),
          std::string("altro_") + Hex8(unsigned(dead)), "ovik_" + Hex8(unsigned(dead)) + "_1"}) {
        fs::create_directories(dir / n / "tmpa");
        WriteFileBytes(dir / n / "tmpa" / "tab1.tmp", "x");
    }
    // A file of the right name is not a folder of ours.
    WriteFileBytes(dir / deadLower, "file");
    EXPECT_EQ(RemoveStaleTempFolders(dir.path()), 1);
    EXPECT_FALSE(fs::exists(dir / deadName));
    EXPECT_TRUE(fs::exists(dir / deadLower));
    size_t left = 0;
    for (auto& e : fs::directory_iterator(dir.path())) (void)e, ++left;
    EXPECT_EQ(left, 6u);
}

TEST_F(Lifecycle, OnlyUnlockedSaveFilesOfTheTargetAreRemoved) {
    const fs::path target = dir / "doc.hqv";
    MakeHypertext(target, "doc");
    const std::string full = ReadFileBytes(target);
    struct Row {
        const char* name;
        std::string bytes;
        bool locked;
        bool removed;
    } rows[] = {
        {".doc.hqv.ovik-aaaaaa", full.substr(0, full.size() / 2), false, true},
        {".doc.hqv.ovik-bbbbbb", "", false, true},
        {".doc.hqv.ovik-cccccc", full, false, true},                           // killed before its rename
        {"doc.ovik-gggggg.hqv", full, false, false},                          // a new file kept as the document
        {".doc.hqv.ovik-dddddd", full.substr(0, 100), true, false},            // a save in progress
        {".doc.hqv.ovik-eeeeeee", "", false, false},                           // not our name
        {".altro.hqv.ovik-ffffff", "", false, false},                          // another target's
    };
    std::vector<std::unique_ptr<FileLock>> locks;
    for (const Row& row : rows) {
        WriteFileBytes(dir / row.name, row.bytes);
        if (row.locked) {
            locks.push_back(std::make_unique<FileLock>());
            ASSERT_EQ(locks.back()->Acquire(dir / row.name), FileLock::Result::Locked);
        }
    }
    EXPECT_EQ(RemoveStaleSaveFiles(target), 3);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(fs::exists(dir / row.name), !row.removed);
    }
    EXPECT_TRUE(ReadFileBytes(target) == full);
}

// --- the batch tool ----------------------------------------------------------------------

TEST_F(Lifecycle, OvikcResaveToTheInputUnderAnotherNameIsASameFileSave) {
    const fs::path file = dir / "doc.hqv";
    MakeHypertext(file, "testo", 200000);
    fs::create_symlink(file, dir / "link.hqv");
    const std::string before = ReadFileBytes(file);
    for (const fs::path& out : {dir / "link.hqv", dir / "." / "doc.hqv"}) {
        SCOPED_TRACE(out.string());
        std::string cmd = std::string(OVIKC_PATH) + " resave '" + file.string() + "' '" +
                          out.string() + "' 2>/dev/null";
        EXPECT_EQ(std::system(cmd.c_str()), 0);
        Contents c = ReadBack(file);
        EXPECT_TRUE(c.opened);
        EXPECT_EQ(c.text, "testo");
        EXPECT_TRUE(c.picture == PictureBytes(200000));
        EXPECT_TRUE(fs::is_symlink(dir / "link.hqv"));
        EXPECT_TRUE(IsCompleteHypertext(dir / "doc.bak"));
    }
    EXPECT_TRUE(ReadFileBytes(file) != before);  // the revision moved on
}

}  // namespace
}  // namespace ovik
