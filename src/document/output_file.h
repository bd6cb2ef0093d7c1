// Writing a file that the program makes: an export, a page saved as text, an
// embedded file extracted, a hypertext saved.
//
// The new content never goes into the target itself: it is written beside it
// under a temporary name, flushed to disk and renamed over it, so a write that
// fails (a full disk, a crash) leaves the old file as it was and no half file.
// A target the program is reading (an open hypertext, the file a command reads
// from), a target another program keeps locked (a hypertext open in another
// Ovik) and a target that is not a plain file are refused with a message.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "document/lifecycle.h"

namespace ovik {

// The name a write replaces: links are followed (a link names the file it
// points to, which is the one to replace) and "." and ".." are resolved, so the
// temporary file is made in the folder that holds the file.
std::filesystem::path ResolvedTarget(const std::filesystem::path& given);

// Creates the temporary file a write to `target` goes through, beside it, named
// SaveTempPrefix(target) + six random characters, with the target's permissions
// (or those of a new file). Returns the open descriptor and sets `temp`; -1
// with errno set when the file cannot be made.
int CreateTempBeside(const std::filesystem::path& target, std::filesystem::path& temp);

// Flushes a folder's entries to disk (after a rename in it).
void SyncFolder(const std::filesystem::path& folder);

// Why `target` may not be written: empty when it may. `keep` names more files
// that must not be replaced (the hypertext a command reads, ...); the files
// this process holds open for reading are always kept.
std::string OutputRefusal(const std::filesystem::path& target,
                          const std::vector<std::filesystem::path>& keep = {});

// One output file being written. Create, Write (or write through Fd), Commit;
// whatever is not committed is removed when the object goes.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Checks the target (OutputRefusal) and creates the temporary file.
    bool Create(const std::filesystem::path& target,
                const std::vector<std::filesystem::path>& keep = {});
    // The temporary file's descriptor, for writers that write themselves.
    int Fd() const { return fd_; }
    bool Write(const void* data, size_t size);
    bool Write(std::string_view text) { return Write(text.data(), text.size()); }
    // A write through Fd() failed with `err` (an errno value).
    void WriteFailed(int err);
    // Flushes the file and gives it the target's name.
    bool Commit();
    // Removes the temporary file; the target is left as it was.
    void Abandon();

    // The message for the user after a failure: it names the file and the
    // system's reason.
    const std::string& Error() const { return error_; }
    const std::filesystem::path& Target() const { return target_; }

private:
    bool Fail(const std::string& what, int err);

    std::filesystem::path target_, temp_;
    int fd_ = -1;
    FileLock tempLock_;  // marks the temporary file as a write in progress
    std::string error_;
};

// Writes `content` as the whole of `target` through an OutputFile. False with
// the message in `error`.
bool WriteOutputFile(const std::filesystem::path& target, std::string_view content, std::string& error,
                     const std::vector<std::filesystem::path>& keep = {});

}  // namespace ovik
