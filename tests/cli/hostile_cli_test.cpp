// ovikc given what is not a plain readable file, and saves that fail: every
// message names the file and the reason, and nothing is reported done before
// it is.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "core/bytes.h"
#include "support/hqv_builder.h"
#include "support/run_tool.h"

namespace ovik {
namespace {

namespace fs = std::filesystem;
using testing::RunOvikc;
using testing::TempDir;

TEST(OvikcHostile, WhatIsNotAReadableFileIsRefusedWithItsReason) {
    TempDir dir;
    const std::string hqv = (dir / "doc.hqv").string();
    ASSERT_EQ(RunOvikc({"new", hqv}).status, 0);
    ASSERT_EQ(::mkfifo((dir / "tubo.gif").c_str(), 0600), 0);
    fs::create_directory(dir / "cartella.gif");
    fs::create_symlink(dir / "manca.gif", dir / "rotto.gif");
    struct Row {
        std::vector<std::string> args;
        std::string reason;
    } rows[] = {
        {{"add-file", hqv, (dir / "tubo.gif").string()}, "not a regular file"},
        {{"add-picture", hqv, (dir / "tubo.gif").string()}, "not a regular file"},
        {{"info", (dir / "tubo.gif").string()}, "not a regular file"},
        {{"add-picture", hqv, (dir / "cartella.gif").string()}, "Is a directory"},
        {{"add-picture", hqv, (dir / "rotto.gif").string()}, "No such file or directory"},
        {{"add-file", hqv, (dir / "rotto.gif").string()}, "No such file or directory"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args[0] + " " + row.args.back());
        // RunOvikc waits for the tool: a reader that blocked would hang here.
        auto r = RunOvikc(row.args);
        EXPECT_NE(r.status, 0);
        EXPECT_NE(r.err.find(row.args.back()), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(row.reason), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

TEST(OvikcHostile, AddFileReportsNothingDoneWhenTheSaveFails) {
    TempDir dir;
    const std::string hqv = (dir / "doc.hqv").string();
    ASSERT_EQ(RunOvikc({"new", hqv}).status, 0);
    testing::WriteFileBytes(dir / "grande.bin", Bytes(199000, 'g'));
    // The tool runs with a file-size limit above the file but below the new
    // hypertext that holds it, as on a disk that fills up while it saves.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit lim{200000, 200000};
        ::setrlimit(RLIMIT_FSIZE, &lim);
        auto r = RunOvikc({"add-file", hqv, (dir / "grande.bin").string()});
        std::string report = std::to_string(r.status) + "\n" + r.out + "\x01" + r.err;
        if (::write(fds[1], report.data(), report.size()) < 0) ::_exit(2);
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string report;
    char buf[4096];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) report.append(buf, size_t(n));
    ::close(fds[0]);
    ::waitpid(pid, nullptr, 0);
    const size_t nl = report.find('\n'), sep = report.find('\x01');
    ASSERT_NE(sep, std::string::npos) << report;
    const std::string status = report.substr(0, nl), out = report.substr(nl + 1, sep - nl - 1),
                      err = report.substr(sep + 1);
    EXPECT_NE(status, "0");
    EXPECT_EQ(out, "");  // no "3 genLink 0" for a file that was not saved
    EXPECT_NE(err.find("Errore nella scrittura file " + hqv + ": File too large"), std::string::npos)
        << err;
}

}  // namespace
}  // namespace ovik
