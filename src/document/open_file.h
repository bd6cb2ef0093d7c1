// A file open for reading, shared by the set and the objects whose bytes stay in
// it (pictures, embedded files). Reads are positioned (pread), so objects never
// disturb each other's file position; every read is checked against the size.
// The program keeps a list of the files it holds open this way, so that nothing
// it writes ever replaces a file it is reading (IsOpenForReading).
#pragma once

#include <climits>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "core/bytes.h"

namespace ovik {

class OpenFile {
public:
    // Opens a regular file for reading, never blocking (a pipe or a device under
    // the name is refused, not waited on). Null when it cannot be opened; then
    // `why` (when given) says why, in the system's words ("Permission denied",
    // "No such file or directory", or "not a regular file").
    static std::shared_ptr<OpenFile> Open(const std::filesystem::path& path,
                                          std::string* why = nullptr);
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

// Reads the whole regular file at `path` (through OpenFile::Open, so it never
// blocks and never throws). False when it cannot be read or is larger than
// `maxSize`; then `why` (when given) says why.
bool ReadRegularFile(const std::filesystem::path& path, Bytes& out, std::string* why = nullptr,
                     uint64_t maxSize = uint64_t(INT32_MAX));

// Copies the regular file `from` to a new file `to` (created, or truncated)
// with the mode `mode`, flushed to disk. False when anything fails; then `to`
// is removed and `why` says what failed, naming the file.
bool CopyRegularFile(const std::filesystem::path& from, const std::filesystem::path& to,
                     std::string* why = nullptr, unsigned mode = 0600);

bool CopyOpenFile(const OpenFile& from, const std::filesystem::path& to,
                  std::string* why = nullptr, unsigned mode = 0600);

// The system's text for an errno value ("No space left on device").
std::string SystemReason(int err);

// Same-file test by identity (device and inode), so a link or another spelling
// of a path names the same file. False when either file does not exist.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// True when `path` names (by identity) a file that an OpenFile of this process
// holds open: an open hypertext, or a file being read.
bool IsOpenForReading(const std::filesystem::path& path);

}  // namespace ovik
