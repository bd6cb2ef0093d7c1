// The writer every output goes through: it never replaces a file the program
// reads or another program holds, and a failed write leaves the old file whole.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "convert/hqv_to_txt.h"
#include "document/hqv_set.h"
#include "document/lifecycle.h"
#include "document/open_file.h"
#include "document/output_file.h"
#include "platform/messages.h"
#include "support/hqv_builder.h"

namespace ovik {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

std::string Str(const Bytes& b) { return std::string(b.begin(), b.end()); }
Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Files in `dir` other than the ones named: what a write left behind.
std::vector<std::string> Leftovers(const fs::path& dir, std::vector<std::string> expected) {
    std::vector<std::string> extra;
    for (auto& e : fs::directory_iterator(dir)) {
        std::string n = e.path().filename().string();
        if (std::find(expected.begin(), expected.end(), n) == expected.end()) extra.push_back(n);
    }
    return extra;
}

TEST(OutputFile, ReplacesAFileOnlyWhenTheNewOneIsComplete) {
    TempDir dir;
    const fs::path out = dir / "out.txt";
    WriteFileBytes(out, B("vecchio"));
    ::chmod(out.c_str(), 0640);
    std::string error;
    ASSERT_TRUE(WriteOutputFile(out, "nuovo", error)) << error;
    EXPECT_EQ(Str(ReadFileBytes(out)), "nuovo");
    struct stat st;
    ASSERT_EQ(::stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);  // the old file's permissions stay

    // Through a link: the file it points to is replaced, the link stays a link.
    fs::create_symlink(out, dir / "link.txt");
    ASSERT_TRUE(WriteOutputFile(dir / "link.txt", "via link", error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(Str(ReadFileBytes(out)), "via link");

    // An abandoned write leaves nothing behind and the old file as it was.
    {
        OutputFile f;
        ASSERT_TRUE(f.Create(out)) << f.Error();
        ASSERT_TRUE(f.Write("mezzo"));
    }
    EXPECT_EQ(Str(ReadFileBytes(out)), "via link");
    EXPECT_TRUE(Leftovers(dir.path(), {"out.txt", "link.txt"}).empty());
}

TEST(OutputFile, RefusesFilesInUseAndWhatIsNotAFile) {
    TempDir dir;
    platform::RecordingMessages msgs;
    // An open hypertext (its set holds the file open and locked).
    const fs::path hqv = dir / "aperto.hqv";
    {
        THQVset s(msgs);
        ASSERT_TRUE(s.SaveHypertext(hqv));
    }
    THQVset open(msgs);
    ASSERT_TRUE(open.OpenHypertext(hqv));
    fs::create_symlink(hqv, dir / "link.hqv");
    // A file being read.
    const fs::path reading = dir / "letto.txt";
    WriteFileBytes(reading, B("in lettura"));
    auto readHandle = OpenFile::Open(reading);
    ASSERT_TRUE(readHandle);
    // A file another program keeps locked.
    const fs::path locked = dir / "bloccato.hqv";
    WriteFileBytes(locked, B("di un altro"));
    FileLock other;
    ASSERT_EQ(other.Acquire(locked), FileLock::Result::Locked);
    // A file named as one to keep.
    const fs::path kept = dir / "sorgente.txt";
    WriteFileBytes(kept, B("sorgente"));
    // A pipe and a folder.
    const fs::path fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(dir / "cartella");

    struct Row {
        const char* name;
        fs::path target;
        std::string inError;
    } rows[] = {
        {"the open hypertext", hqv, "aperto.hqv"},
        {"the open hypertext through a link", dir / "link.hqv", "link.hqv"},
        {"the open hypertext by another spelling", dir / "cartella" / ".." / "aperto.hqv", "aperto.hqv"},
        {"a file being read", reading, "letto.txt"},
        {"a file another program holds", locked, "altro programma"},
        {"a file to keep", kept, "sorgente.txt"},
        {"a pipe", fifo, "non è un file normale"},
        {"a folder", dir / "cartella", "non è un file normale"},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        std::error_code ec;
        const auto sizeBefore = fs::is_regular_file(r.target, ec) ? fs::file_size(r.target) : 0;
        const Bytes before = sizeBefore ? ReadFileBytes(r.target) : Bytes();
        std::string error;
        EXPECT_FALSE(WriteOutputFile(r.target, "testo", error, {kept}));
        EXPECT_NE(error.find(r.inError), std::string::npos) << error;
        if (sizeBefore) {
            EXPECT_EQ(ReadFileBytes(r.target), before);
        }
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(IsCompleteHypertext(hqv));
    // Once the file is no longer read, it may be written.
    readHandle.reset();
    std::string error;
    EXPECT_TRUE(WriteOutputFile(reading, "scritto", error)) << error;
}

// A disk that fills up while the output is written: the write fails with the
// system's reason, the old output is whole and no partial file is left.
TEST(OutputFile, AFullDiskLeavesTheOldOutput) {
    TempDir dir;
    const fs::path out = dir / "out.txt";
    WriteFileBytes(out, B("vecchio contenuto"));
    EXPECT_EXIT(
        {
            // Files may not grow past 1 KB from here on: writes fail with EFBIG.
            std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit lim;
            lim.rlim_cur = lim.rlim_max = 1024;
            ::setrlimit(RLIMIT_FSIZE, &lim);
            std::string error;
            bool ok = WriteOutputFile(out, std::string(64 * 1024, 'x'), error);
            bool named = error.find("out.txt") != std::string::npos &&
                         error.find(std::strerror(EFBIG)) != std::string::npos;
            std::_Exit(!ok && named ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(Str(ReadFileBytes(out)), "vecchio contenuto");
    EXPECT_TRUE(Leftovers(dir.path(), {"out.txt"}).empty());
}

// The text export goes through the same writer: never onto its own hypertext.
TEST(OutputFile, TextExportRefusesItsOwnHypertext) {
    TempDir dir;
    platform::RecordingMessages msgs;
    const fs::path hqv = dir / "self.hqv";
    {
        THQVset s(msgs);
        ASSERT_TRUE(s.SaveHypertext(hqv));
    }
    const Bytes before = ReadFileBytes(hqv);
    THQVset set(msgs);
    ASSERT_TRUE(set.OpenHypertext(hqv));
    set.LockOnOpen = false;
    THQVtoTxt conv(&set);
    conv.ExportFileName = hqv;
    EXPECT_FALSE(conv.ExportPages({0}));
    EXPECT_NE(conv.LastError.find("self.hqv"), std::string::npos) << conv.LastError;
    EXPECT_EQ(ReadFileBytes(hqv), before);
}

}  // namespace
}  // namespace ovik
