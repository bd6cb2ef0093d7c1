#include "document/open_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <utility>
#include <vector>

namespace ovik {

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

std::shared_ptr<OpenFile> OpenFile::Open(const std::filesystem::path& path) {
    // Non-blocking open: a pipe under the name is refused below instead of
    // waiting for a writer. Reads of a regular file are not affected.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return nullptr;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
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
