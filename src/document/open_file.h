// A file open for reading, shared by the set and the objects whose bytes stay in
// it (pictures, embedded files). Reads are positioned (pread), so objects never
// disturb each other's file position; every read is checked against the size.
// The program keeps a list of the files it holds open this way, so that nothing
// it writes ever replaces a file it is reading (IsOpenForReading).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "core/bytes.h"

namespace ovik {

class OpenFile {
public:
    // Opens for reading; null when the file cannot be opened.
    static std::shared_ptr<OpenFile> Open(const std::filesystem::path& path);
    ~OpenFile();
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    uint64_t Size() const { return size_; }
    const std::filesystem::path& Path() const { return path_; }
    int Fd() const { return fd_; }
    // Reads exactly n bytes at pos; false when they are not all there.
    bool ReadAt(uint64_t pos, void* buf, size_t n) const;
    bool ReadAt(uint64_t pos, size_t n, Bytes& out) const;
    // Copies n bytes at pos to the file descriptor `outFd` (at its position).
    // On failure `*writeFailed` (when given) tells a failed write from a failed read.
    bool CopyTo(uint64_t pos, uint64_t n, int outFd, bool* writeFailed = nullptr) const;

private:
    OpenFile(int fd, uint64_t size, std::filesystem::path p, uint64_t dev, uint64_t ino);
    int fd_;
    uint64_t dev_, ino_;
    uint64_t size_;
    std::filesystem::path path_;
};

// Same-file test by identity (device and inode), so a link or another spelling
// of a path names the same file. False when either file does not exist.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// True when `path` names (by identity) a file that an OpenFile of this process
// holds open: an open hypertext, or a file being read.
bool IsOpenForReading(const std::filesystem::path& path);

}  // namespace ovik
