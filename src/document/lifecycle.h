// The life of a hypertext file at set level: the views linked to a set, the
// advisory lock held on the open file, the checks and clean-ups around a save.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace ovik {

// An editing view linked to a set. Before a save replaces the set's content the
// set asks each linked view to store its working page into the set and drop it,
// remembering which page it showed; after the file has been read back it asks
// the views to show that page again. Whenever the set is cleared (new, open, the
// read-back of a save) the views drop what they show without storing it, before
// the objects go; a page remembered by StoreAndDropPage stays remembered.
class LinkedView {
public:
    virtual ~LinkedView() = default;
    virtual void StoreAndDropPage() = 0;
    virtual void ShowPageAgain() = 0;
    virtual void DropPage() = 0;
};

// An advisory lock on a file, held through a descriptor of its own for as long
// as the object lives. Locks are taken per open file description (flock), so a
// second set of the same process conflicts as a second process does.
class FileLock {
public:
    FileLock() = default;
    ~FileLock() { Release(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    enum class Result { Locked, Busy, Failed };
    // Exclusive lock on `path`, without waiting. Busy: someone else holds it.
    Result Acquire(const std::filesystem::path& path);
    void Release();
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// True when another open description (this process or another) holds a lock
// on the existing file `path`.
bool LockedByOther(const std::filesystem::path& path);

// True when `path` holds a complete hypertext: its header and kind table read,
// and every stream its records name lies inside the file. A file cut short (a
// save that died while writing) is not complete.
bool IsCompleteHypertext(const std::filesystem::path& path);

// The name of the temporary file a save writes beside `target`, before the
// random part: ".<file name>.ovik-".
std::string SaveTempPrefix(const std::filesystem::path& target);

// A set's temporary folder is "ovik_" + its process id in 8 hexadecimal digits
// + "_" + the six random characters mkdtemp chose.
inline constexpr const char* kTempFolderPrefix = "ovik_";

// Removes the temporary folders "ovik_<pid>_<random>" in `tempRoot` that are
// real folders (not links), belong to this user, and whose process no longer
// runs. Returns how many were removed. Anything else in `tempRoot` is left
// alone, and no link is followed.
int RemoveStaleTempFolders(const std::filesystem::path& tempRoot);

// The visible name a new file gets when it cannot take the target's name and
// may be kept as the document: "<stem>.ovik-<random part of temp><extension>".
std::filesystem::path KeptSaveName(const std::filesystem::path& target,
                                   const std::filesystem::path& temp);

// Removes the temporary files that saves to `target` left beside it when they
// died: files named SaveTempPrefix(target) + six characters that no save in
// progress holds locked. (A new file kept as the document has been given its
// KeptSaveName and is not one of them.) Returns how many were removed.
int RemoveStaleSaveFiles(const std::filesystem::path& target);

// Steps of a save at which tests can inject a failure (an errno value, 0 for
// none) or stop the process to simulate a crash.
enum class SaveStep { CreateTemp, Written, Backup, Rename };
namespace testing_hooks {
extern std::function<int(SaveStep)> saveFault;
}

}  // namespace ovik
