// Importing text files that are not plain Windows-1252 or UTF-8 text: other
// encodings, control bytes, binary files, pipes, formats without a converter,
// files too large for memory; and what the import reports.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>

#include "convert/hqv_to_txt.h"
#include "document/hqv_set.h"
#include "platform/messages.h"
#include "support/hqv_builder.h"

namespace ovik {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::WriteFileBytes;

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

struct TextImport : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    THQVtoTxt conv{&set};
    TempDir dir;

    std::string Content(int32_t page) {
        return std::string(reinterpret_cast<const char*>(set.Page(page)->MemContent()->data()));
    }
    std::string Messages() const {
        std::string all;
        for (auto& m : conv.Report.messages) all += m + "\n";
        return all;
    }
};

TEST_F(TextImport, EncodingsAndControlCharacters) {
    const std::string nul(1, '\0');
    struct Row {
        const char* name;
        std::string file;
        std::string markup;
        size_t replaced, dropped;
    } rows[] = {
        {"UTF-16 little-endian", std::string("\xFF\xFEH\0i\0\n\0\xE8\0", 10), "<Z S0 >Hi<Z S0 >\xE8", 0, 0},
        {"UTF-16 big-endian", std::string("\xFE\xFF\0H\0i\0\r\0\n\0\xE8", 12), "<Z S0 >Hi<Z S0 >\xE8", 0, 0},
        {"UTF-16 beyond the code page", std::string("\xFF\xFE\xB1\x03\x3D\xD8\x00\xDE", 8), "<Z S0 >??", 2, 0},
        {"UTF-16 odd final byte", std::string("\xFF\xFEo\0k\0!", 7), "<Z S0 >ok?", 1, 0},
        {"UTF-16 NUL characters", std::string("\xFF\xFE" "a\0\0\0b\0\0\0", 10), "<Z S0 >ab", 0, 2},
        {"other control bytes", "a\x01\x1B[0mb\x0C\nc\x7F", "<Z S0 >a[0mb<Z S0 >c\x7F", 0, 3},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        auto path = dir / "in.txt";
        WriteFileBytes(path, B(r.file));
        int32_t first = conv.ImportFiles({path}, 1);
        EXPECT_EQ(conv.Report.pagesMade, 1) << Messages();
        EXPECT_EQ(Content(first), r.markup);
        EXPECT_EQ(conv.Report.replacedCharacters, r.replaced);
        EXPECT_EQ(conv.Report.droppedControls, r.dropped);
        EXPECT_EQ(conv.Report.Lines().empty(), r.replaced + r.dropped == 0);
    }
    // A NUL past the first 8 KB does not make the file binary: it is dropped
    // and the text after it is kept.
    std::string longText(9000, 'a');
    longText += nul + "coda";
    WriteFileBytes(dir / "lungo.txt", B(longText));
    int32_t page = conv.ImportFiles({dir / "lungo.txt"}, 1);
    EXPECT_EQ(Content(page), "<Z S0 >" + std::string(9000, 'a') + "coda");
    EXPECT_EQ(conv.Report.droppedControls, 1u);
}

TEST_F(TextImport, FilesThatAreNotTextAreLeftOutWithAMessage) {
    WriteFileBytes(dir / "ok.txt", B("testo"));
    WriteFileBytes(dir / "prog.bin", B(std::string("MZ\x90\0\x03\0\0\0", 8)));
    WriteFileBytes(dir / "lettera.rtf", B("{\\rtf1 ciao}"));
    WriteFileBytes(dir / "vecchio.DOC", B("testo"));
    WriteFileBytes(dir / "nota.wri", B("testo"));
    WriteFileBytes(dir / "nul.txt", B(std::string("testo\0coda", 10)));
    fs::create_directory(dir / "cartella");
    struct Row {
        fs::path file;
        std::string message;
    } rows[] = {
        {dir / "prog.bin", "prog.bin non è un file di testo"},
        {dir / "nul.txt", "nul.txt non è un file di testo"},
        {dir / "lettera.rtf", "lettera.rtf: Questa funzione non è ancora disponibile."},
        {dir / "vecchio.DOC", "vecchio.DOC: Questa funzione non è ancora disponibile."},
        {dir / "nota.wri", "nota.wri: Questa funzione non è ancora disponibile."},
        {dir / "cartella", "cartella non è un file normale"},
        {dir / "manca.txt", "File non leggibile, saltato: "},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.file.filename().string());
        int32_t pagesBefore = set.ObjectCount(testoHtml);
        conv.ImportFiles({r.file, dir / "ok.txt"}, 1);
        EXPECT_EQ(conv.Report.pagesMade, 1);
        EXPECT_EQ(set.ObjectCount(testoHtml), pagesBefore + 1);  // only ok.txt
        ASSERT_EQ(conv.Report.skippedFiles.size(), 1u);
        EXPECT_EQ(conv.Report.skippedFiles[0], r.file);
        EXPECT_NE(Messages().find(r.message), std::string::npos) << Messages();
        EXPECT_NE(Messages().find(r.file.string()), std::string::npos) << Messages();
    }
}

// A pipe under a file name never holds the import up.
TEST_F(TextImport, APipeIsSkippedWithoutWaiting) {
    const fs::path fifo = dir / "pipe.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto done = std::async(std::launch::async, [&] { return conv.ImportFiles({fifo}, 1); });
    if (done.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Let the blocked reader go before failing.
        int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
        done.wait();
        FAIL() << "the import waited for a writer on the pipe";
    }
    done.get();
    EXPECT_EQ(conv.Report.pagesMade, 0);
    ASSERT_EQ(conv.Report.skippedFiles.size(), 1u);
    EXPECT_NE(Messages().find("pipe.txt non è un file normale"), std::string::npos) << Messages();
}

// The pages made are counted, also when they take slots freed before.
TEST_F(TextImport, CountsThePagesMadeInFreedSlots) {
    for (int i = 0; i < 3; ++i) set.AddNewObject(testoHtml);
    set.Page(1)->MakeFree();
    WriteFileBytes(dir / "a.txt", B("a"));
    WriteFileBytes(dir / "b.txt", B("b"));
    int32_t first = conv.ImportFiles({dir / "a.txt", dir / "b.txt"}, 1);
    EXPECT_EQ(first, 1);  // the freed slot is taken first
    EXPECT_EQ(conv.Report.pagesMade, 2);
    EXPECT_EQ(set.ObjectCount(testoHtml), 4);
    EXPECT_EQ(Content(1), "<Z S0 >a");
    EXPECT_EQ(Content(3), "<Z S0 >b");
}

// A file too large for the memory left fails that file alone, with a message.
TEST_F(TextImport, RunningOutOfMemoryFailsTheFileNotTheProgram) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "address limits do not apply under the address sanitizer";
#endif
    // 8 KB of text, then a hole up to 1 GB: no NUL where binary files are
    // recognised, and more than the limit set below.
    const fs::path big = dir / "grande.txt";
    WriteFileBytes(big, B(std::string(8192, 'x')));
    ASSERT_EQ(::truncate(big.c_str(), off_t(1) << 30), 0);
    WriteFileBytes(dir / "piccolo.txt", B("ok"));
    EXPECT_EXIT(
        {
            struct rlimit lim;
            ::getrlimit(RLIMIT_AS, &lim);
            // Whatever the process uses now plus 256 MB.
            long pages = 0;
            if (FILE* f = std::fopen("/proc/self/statm", "r")) {
                if (std::fscanf(f, "%ld", &pages) != 1) pages = 0;
                std::fclose(f);
            }
            lim.rlim_cur = rlim_t(pages) * rlim_t(::sysconf(_SC_PAGESIZE)) + (rlim_t(256) << 20);
            ::setrlimit(RLIMIT_AS, &lim);
            conv.ImportFiles({big, dir / "piccolo.txt"}, 1);
            const bool ok = conv.Report.pagesMade == 1 && conv.Report.skippedFiles.size() == 1 &&
                            Messages().find("Memoria insufficiente") != std::string::npos &&
                            Messages().find("grande.txt") != std::string::npos;
            std::_Exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace ovik
