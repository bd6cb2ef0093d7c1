#include "document/open_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace ovik {

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
    return std::shared_ptr<OpenFile>(new OpenFile(fd, uint64_t(st.st_size), path));
}

OpenFile::~OpenFile() { ::close(fd_); }

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
