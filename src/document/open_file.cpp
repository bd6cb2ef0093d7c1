#include "document/open_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

namespace ovik {

std::string SystemReason(int err) {
    char buf[256];
    // The GNU strerror_r returns the text, which may or may not be in `buf`.
    return ::strerror_r(err, buf, sizeof buf);
}

namespace {
// Device and inode of every OpenFile alive. Files are opened from the interface
// thread and from background searches, hence the lock.
std::mutex openFilesMutex;
std::vector<std::pair<uint64_t, uint64_t>>& OpenFiles() {
    static std::vector<std::pair<uint64_t, uint64_t>> files;
    return files;
}
}  // namespace

OpenFile::OpenFile(int fd, uint64_t size, std::filesystem::path p, uint64_t dev, uint64_t ino)
    : fd_(fd), dev_(dev), ino_(ino), size_(size), path_(std::move(p)) {
    std::lock_guard<std::mutex> hold(openFilesMutex);
    OpenFiles().emplace_back(dev_, ino_);
}

bool IsOpenForReading(const std::filesystem::path& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return false;
    const std::pair<uint64_t, uint64_t> id{uint64_t(st.st_dev), uint64_t(st.st_ino)};
    std::lock_guard<std::mutex> hold(openFilesMutex);
    const auto& files = OpenFiles();
    return std::find(files.begin(), files.end(), id) != files.end();
}

std::shared_ptr<OpenFile> OpenFile::Open(const std::filesystem::path& path, std::string* why) {
    // Non-blocking open: a pipe under the name is refused below instead of
    // waiting for a writer. Reads of a regular file are not affected.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (why) *why = SystemReason(errno);
        return nullptr;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (why) *why = S_ISDIR(st.st_mode) ? SystemReason(EISDIR) : "not a regular file";
        ::close(fd);
        return nullptr;
    }
    return std::shared_ptr<OpenFile>(
        new OpenFile(fd, uint64_t(st.st_size), path, uint64_t(st.st_dev), uint64_t(st.st_ino)));
}

OpenFile::~OpenFile() {
    {
        std::lock_guard<std::mutex> hold(openFilesMutex);
        auto& files = OpenFiles();
        auto it = std::find(files.begin(), files.end(), std::make_pair(dev_, ino_));
        if (it != files.end()) files.erase(it);
    }
    ::close(fd_);
}

bool ReadRegularFile(const std::filesystem::path& path, Bytes& out, std::string* why,
                     uint64_t maxSize) {
    out.clear();
    auto f = OpenFile::Open(path, why);
    if (!f) return false;
    if (f->Size() > maxSize) {
        if (why) *why = "file too large";
        return false;
    }
    try {
        if (f->ReadAt(0, size_t(f->Size()), out)) return true;
    } catch (const std::bad_alloc&) {
        if (why) *why = SystemReason(ENOMEM);
        out.clear();
        return false;
    }
    if (why) *why = errno != 0 ? SystemReason(errno) : "read error";
    out.clear();
    return false;
}

bool CopyRegularFile(const std::filesystem::path& from, const std::filesystem::path& to,
                     std::string* why, unsigned mode) {
    std::string reason;
    auto src = OpenFile::Open(from, &reason);
    if (!src) {
        if (why) *why = from.string() + ": " + reason;
        return false;
    }
    return CopyOpenFile(*src, to, why, mode);
}

bool CopyOpenFile(const OpenFile& from, const std::filesystem::path& to, std::string* why,
                  unsigned mode) {
    const OpenFile* src = &from;
    int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, mode_t(mode));
    if (fd < 0) {
        if (why) *why = to.string() + ": " + SystemReason(errno);
        return false;
    }
    errno = 0;
    bool writeFailed = false;
    bool ok = src->CopyTo(0, src->Size(), fd, &writeFailed);
    int err = errno;
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        writeFailed = true;
        err = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        writeFailed = true;
        err = errno;
    }
    if (!ok) {
        ::unlink(to.c_str());
        if (why)
            *why = (writeFailed ? to : from.Path()).string() + ": " +
                   (err != 0 ? SystemReason(err) : std::string("read error"));
    }
    return ok;
}


bool OpenFile::ReadAt(uint64_t pos, void* buf, size_t n) const {
    if (pos > size_ || n > size_ - pos) return false;
    auto* p = static_cast<uint8_t*>(buf);
    while (n > 0) {
        ssize_t r = ::pread(fd_, p, n, off_t(pos));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        p += r;
        pos += uint64_t(r);
        n -= size_t(r);
    }
    return true;
}

bool OpenFile::ReadAt(uint64_t pos, size_t n, Bytes& out) const {
    if (pos > size_ || n > size_ - pos) return false;
    out.resize(n);
    return ReadAt(pos, out.data(), n);
}

bool OpenFile::CopyTo(uint64_t pos, uint64_t n, int outFd, bool* writeFailed) const {
    if (writeFailed) *writeFailed = false;
    if (pos > size_ || n > size_ - pos) return false;
    static constexpr size_t kChunk = 1 << 20;
    Bytes buf(size_t(n < kChunk ? n : kChunk));
    while (n > 0) {
        size_t part = size_t(n < kChunk ? n : kChunk);
        if (!ReadAt(pos, buf.data(), part)) return false;
        const uint8_t* p = buf.data();
        size_t left = part;
        while (left > 0) {
            ssize_t w = ::write(outFd, p, left);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) {
                if (writeFailed) *writeFailed = true;
                return false;
            }
            p += w;
            left -= size_t(w);
        }
        pos += part;
        n -= part;
    }
    return true;
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    struct stat sa, sb;
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace ovik
