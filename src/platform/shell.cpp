#include "platform/shell.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <system_error>

#include "core/codepage.h"
#include "core/file_names.h"
#include "platform/host.h"

extern char** environ;

namespace ovik::platform {

namespace fs = std::filesystem;

fs::path Shell::HandOverFolder() {
    fs::path folder = TemporaryFolder() / ("ovik-files-" + std::to_string(::getuid()));
    std::error_code ec;
    fs::create_directories(folder, ec);
    ::chmod(folder.c_str(), 0700);
    return folder;
}

fs::path WriteHandOverFile(Shell& shell, const std::string& name, const std::string& bytes) {
    const fs::path folder = shell.HandOverFolder();
    const std::string safe = SafeFileName(cp1252::FromUtf8(name));
    const std::string stem = WithoutExtension(safe), ext = Extension(safe);
    std::error_code ec;
    for (int i = 0; i < 10000; ++i) {
        fs::path candidate = folder / (i == 0 ? safe : stem + "-" + std::to_string(i) + ext);
        if (fs::exists(candidate, ec)) continue;
        std::ofstream out(candidate, std::ios::binary);
        if (!out) return {};
        out.write(bytes.data(), std::streamsize(bytes.size()));
        out.close();
        if (!out) {
            fs::remove(candidate, ec);
            return {};
        }
        return candidate;
    }
    return {};
}

// --- recording ------------------------------------------------------------------------

bool RecordingShell::OpenFile(const fs::path& file) {
    calls_.push_back({Call::File, file.string(), {}});
    return true;
}
bool RecordingShell::OpenAddress(const std::string& address) {
    calls_.push_back({Call::Address, address, {}});
    return true;
}
bool RecordingShell::StartProgram(const std::string& program, const std::vector<std::string>& args) {
    calls_.push_back({Call::Program, program, args});
    return true;
}
fs::path RecordingShell::HandOverFolder() {
    if (folder.empty()) {
        folder = TemporaryFolder() /
                 ("ovik-recording-" + std::to_string(::getpid()) + "-" +
                  std::to_string(reinterpret_cast<uintptr_t>(this) & 0xFFFFFF));
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    return folder;
}

// --- console ---------------------------------------------------------------------------

bool RunAndWait(const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool ConsoleShell::OpenFile(const fs::path& file) {
    std::printf("open file: %s\n", file.c_str());
    std::fflush(stdout);
    return RunAndWait("xdg-open", {file.string()});
}

bool ConsoleShell::OpenAddress(const std::string& address) {
    std::printf("open address: %s\n", address.c_str());
    std::fflush(stdout);
    return RunAndWait("xdg-open", {address});
}

bool ConsoleShell::StartProgram(const std::string& program, const std::vector<std::string>& args) {
    std::printf("start program: %s", program.c_str());
    for (auto& a : args) std::printf(" [%s]", a.c_str());
    std::printf("\n");
    std::fflush(stdout);
    return RunAndWait(program, args);
}

}  // namespace ovik::platform
