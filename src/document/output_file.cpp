#include "document/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "document/open_file.h"

namespace ovik {

namespace fs = std::filesystem;

fs::path ResolvedTarget(const fs::path& given) {
    std::error_code ec;
    fs::path abs = fs::absolute(given, ec);
    if (ec) abs = given;
    fs::path resolved = fs::exists(abs, ec) ? fs::canonical(abs, ec) : fs::weakly_canonical(abs, ec);
    return ec ? abs : resolved;
}

int CreateTempBeside(const fs::path& target, fs::path& temp) {
    const std::string pattern = (target.parent_path() / (SaveTempPrefix(target) + "XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back(0);
    int fd = ::mkstemp(name.data());
    if (fd < 0) return -1;
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    temp = fs::path(name.data());
    // mkstemp makes the file private; give it the target's permissions, or the
    // usual ones for a new file.
    struct stat st;
    mode_t mode;
    if (::stat(target.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        // The mask is read once: reading it means setting it for a moment,
        // which files made meanwhile by other threads would feel.
        static const mode_t mask = [] {
            const mode_t m = ::umask(0);
            ::umask(m);
            return m;
        }();
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0) { /* keeps the private mode */ }
    return fd;
}

void SyncFolder(const fs::path& folder) {
    int dfd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0) return;
    ::fsync(dfd);
    ::close(dfd);
}

std::string OutputRefusal(const fs::path& given, const std::vector<fs::path>& keep) {
    struct stat st;
    // A name that nothing carries yet (not even a dangling link) is a new
    // file: nothing to resolve and nothing to refuse. A site export asks this
    // for each of its thousands of files.
    if (const fs::path leaf = given.filename(); !leaf.empty() && leaf != "." && leaf != ".." &&
                                               ::lstat(given.c_str(), &st) != 0 && errno == ENOENT)
        return {};
    const fs::path target = ResolvedTarget(given);
    // The name as given, and the file it names when that is another spelling.
    const std::string name = given.string() + (target != given ? " (" + target.string() + ")" : "");
    if (given.empty() || target.filename().empty()) return "Nome file non valido!";
    if (::stat(target.c_str(), &st) != 0) return {};  // a new file
    if (!S_ISREG(st.st_mode)) return "Il file " + name + " non è un file normale: scegli un altro nome.";
    bool reading = IsOpenForReading(target);
    for (const fs::path& k : keep)
        if (!k.empty() && SameFile(target, k)) reading = true;
    if (reading)
        return "Il file " + name +
               " è in uso (è un ipertesto aperto o il file che si sta leggendo): non può essere "
               "sostituito. Scegli un altro nome.";
    if (LockedByOther(target))
        return "Il file " + name +
               " è aperto da un'altra finestra o da un altro programma: non può essere sostituito. "
               "Scegli un altro nome.";
    return {};
}

OutputFile::~OutputFile() { Abandon(); }

bool OutputFile::Fail(const std::string& what, int err) {
    error_ = what + target_.string() + (err ? std::string(": ") + std::strerror(err) : std::string());
    Abandon();
    return false;
}

bool OutputFile::Create(const fs::path& given, const std::vector<fs::path>& keep) {
    Abandon();
    error_ = OutputRefusal(given, keep);
    target_ = given;
    if (!error_.empty()) return false;
    target_ = ResolvedTarget(given);
    // Temporary files that dead writes to this name left behind go first.
    RemoveStaleSaveFiles(target_);
    fd_ = CreateTempBeside(target_, temp_);
    if (fd_ < 0) {
        const int err = errno;
        temp_.clear();
        return Fail("Impossibile creare il file ", err);
    }
    tempLock_.Acquire(temp_);
    return true;
}

bool OutputFile::Write(const void* data, size_t size) {
    if (fd_ < 0) return false;
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t w = ::write(fd_, p, size);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
            WriteFailed(w < 0 ? errno : ENOSPC);
            return false;
        }
        p += w;
        size -= size_t(w);
    }
    return true;
}

void OutputFile::WriteFailed(int err) { Fail("Errore nella scrittura file ", err); }

bool OutputFile::Commit() {
    if (fd_ < 0) return false;
    if (::fsync(fd_) != 0 && errno != EINVAL) return Fail("Errore nella scrittura file ", errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return Fail("Errore nella scrittura file ", errno);
    if (::rename(temp_.c_str(), target_.c_str()) != 0) return Fail("Impossibile creare il file ", errno);
    temp_.clear();
    tempLock_.Release();
    SyncFolder(target_.parent_path());
    return true;
}

void OutputFile::Abandon() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
    tempLock_.Release();
}

bool WriteOutputFile(const fs::path& target, std::string_view content, std::string& error,
                     const std::vector<fs::path>& keep) {
    OutputFile out;
    const bool ok = out.Create(target, keep) && out.Write(content) && out.Commit();
    error = ok ? std::string() : out.Error();
    return ok;
}

}  // namespace ovik
