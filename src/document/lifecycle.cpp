// Opening and saving a hypertext file, the lock held on the open file, and the
// clean-up of what earlier runs left behind.
//
// A save never writes into the file it replaces: the new file is written beside
// the target under a temporary name, flushed to disk, checked by reading its
// tables back, and only then renamed over the target (the folder is flushed
// after the rename). At any instant the target is the old complete file or the
// new complete file; a ".bak" of the old file is a hard link (or a copy) made
// before the rename.
#include "document/lifecycle.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <new>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "core/codepage.h"
#include "core/file_names.h"
#include "document/hqv_set.h"
#include "document/output_file.h"
#include "platform/messages.h"

namespace ovik {

namespace fs = std::filesystem;

namespace testing_hooks {
std::function<int(SaveStep)> saveFault;
}

namespace {

const char* const kSharingError = "Probabile errore di condivisione, o disco pieno.";
const char* const kWriteError = "Errore nella scrittura file ";
// The new file was written but does not read back whole.
const char* const kNotComplete = ": il file scritto non risulta completo";

int InjectedFault(SaveStep step) {
    return testing_hooks::saveFault ? testing_hooks::saveFault(step) : 0;
}

std::string Quoted(const fs::path& p) { return "\"" + p.string() + "\""; }

bool IsHexName(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    });
}

bool OwnedByMe(const fs::path& p) {
    struct stat st;
    return ::lstat(p.c_str(), &st) == 0 && st.st_uid == ::getuid();
}

}  // namespace

// --- lock --------------------------------------------------------------------------

FileLock::Result FileLock::Acquire(const fs::path& path) {
    Release();
    // Non-blocking, so that a pipe under the name cannot hold the program up.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return Result::Failed;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        ::close(fd);
        return err == EWOULDBLOCK ? Result::Busy : Result::Failed;
    }
    fd_ = fd;
    return Result::Locked;
}

void FileLock::Release() {
    if (fd_ < 0) return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

bool LockedByOther(const fs::path& path) {
    FileLock probe;
    return probe.Acquire(path) == FileLock::Result::Busy;
}

// --- checks and clean-up ---------------------------------------------------------------

bool IsCompleteHypertext(const fs::path& path) {
    auto file = OpenFile::Open(path);
    if (!file) return false;
    THQVset scratch(platform::NullMessages());
    if (!scratch.ReadHeader(*file)) return false;
    const uint64_t size = file->Size();
    const uint64_t dataStart = scratch.DataAreaStart();
    if (dataStart > size) return false;
    const uint64_t dataLen = size - dataStart;
    auto inside = [&](int64_t pos, int64_t len) {
        if (pos < 0 || len <= 0) return true;  // no stream
        return uint64_t(pos) <= dataLen && uint64_t(len) <= dataLen - uint64_t(pos);
    };
    const int highest = std::min<int>(scratch.Header()[hdr::kHighestKind], none - 1);
    const uint64_t b = 1994ull + 12ull * uint64_t(scratch.Header()[hdr::kHighestKind]);
    for (int kind = 0; kind <= highest; ++kind) {
        const KindTableEntry& e = scratch.KindTable()[size_t(kind)];
        auto o = THQVoggetto::Create(&scratch, uint8_t(kind));
        const size_t n = size_t(std::min<int64_t>(e.recordSize, int64_t(kObjectRecordSize)));
        // The records are read a block at a time, not one read each: a
        // hypertext may hold hundreds of thousands of objects.
        constexpr int32_t kBlock = 4096;
        std::vector<uint8_t> block;
        int32_t blockFirst = 0, blockCount = 0;
        for (int32_t j = 0; j < e.count; ++j) {
            if (j >= blockFirst + blockCount && n > 0) {
                blockFirst = j;
                blockCount = std::min(kBlock, e.count - j);
                const uint64_t at = b + uint64_t(e.offset) + uint64_t(j) * uint64_t(e.recordSize);
                const uint64_t len = uint64_t(blockCount - 1) * uint64_t(e.recordSize) + n;
                if (len > size || at > size - len) return false;
                block.resize(size_t(len));
                if (!file->ReadAt(at, block.data(), block.size())) return false;
            }
            const uint8_t* rec = n > 0 ? block.data() + size_t(j - blockFirst) * size_t(e.recordSize) : nullptr;
            o->SetRecordBytes(rec, n);
            if (o->IsFree()) continue;
            if (!inside(o->RecordContentPos(), o->RecordContentLen())) return false;
            if (!inside(o->RecordWrapperPos(), o->RecordWrapperLen())) return false;
            if (kind == mappaFrame &&
                !inside(o->I32(kFrameLayoutBlockPos), o->I32(kFrameLayoutBlockLen)))
                return false;
        }
    }
    return true;
}

std::string SaveTempPrefix(const fs::path& target) {
    return "." + target.filename().string() + ".ovik-";
}

fs::path KeptSaveName(const fs::path& target, const fs::path& temp) {
    const std::string t = temp.filename().string();
    const std::string random = t.size() >= 6 ? t.substr(t.size() - 6) : t;
    return target.parent_path() /
           (target.stem().string() + ".ovik-" + random + target.extension().string());
}

int RemoveStaleTempFolders(const fs::path& tempRoot) {
    int removed = 0;
    std::error_code ec;
    for (auto it = fs::directory_iterator(tempRoot, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        // "ovik_" + 8 hexadecimal digits + "_" + the random part: six letters or
        // digits (mkdtemp), or eight hexadecimal digits (folders of older runs).
        if (name.size() < 20 || name.size() > 22 || name.rfind(kTempFolderPrefix, 0) != 0 ||
            name[13] != '_')
            continue;
        const std::string pidText = name.substr(5, 8);
        const std::string random = name.substr(14);
        if (!IsHexName(pidText) || (random.size() != 6 && random.size() != 8) ||
            !std::all_of(random.begin(), random.end(),
                         [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
            continue;
        // The entry itself, never what a link of that name points to.
        struct stat st;
        if (::lstat(it->path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
            st.st_uid != ::getuid())
            continue;
        std::error_code e2;
        const pid_t pid = pid_t(std::stoul(pidText, nullptr, 16));
        if (pid <= 0 || pid == ::getpid()) continue;
        // Running (or running as someone else): not ours to touch.
        if (::kill(pid, 0) == 0 || errno != ESRCH) continue;
        if (fs::remove_all(it->path(), e2) != static_cast<std::uintmax_t>(-1) && !e2) ++removed;
    }
    return removed;
}

int RemoveStaleSaveFiles(const fs::path& target) {
    const std::string prefix = SaveTempPrefix(target);
    const fs::path folder = target.parent_path();
    int removed = 0;
    std::error_code ec;
    for (auto it = fs::directory_iterator(folder.empty() ? "." : folder, ec);
         !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + 6 || name.rfind(prefix, 0) != 0) continue;
        std::error_code e2;
        if (!it->is_regular_file(e2) || it->is_symlink(e2) || !OwnedByMe(it->path())) continue;
        // A save in progress holds a lock on its temporary file.
        FileLock lock;
        if (lock.Acquire(it->path()) != FileLock::Result::Locked) continue;
        if (fs::remove(it->path(), e2)) ++removed;
    }
    return removed;
}

// --- the set's lifecycle ---------------------------------------------------------------

void THQVset::LinkView(LinkedView* view) {
    if (view && std::find(views_.begin(), views_.end(), view) == views_.end()) views_.push_back(view);
}

void THQVset::UnlinkView(LinkedView* view) {
    views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
}

bool THQVset::OpenHypertext(const fs::path& name) {
    std::error_code ec;
    if (!fs::exists(name, ec)) {
        messages_.Warning(name.string() + " non esiste");
        return false;
    }
    if (OnBeforeNew) OnBeforeNew();
    ClearAll();
    bool ok = false;
    std::string why;
    auto file = OpenFile::Open(name, &why);
    try {
        if (file) {
            file_ = file;
            fileName_ = name;
            if (ReadHeader(*file)) {
                redirect_.clear();
                ok = ReadAllObjects(*file);
                if (ok) {
                    if (ObjectCount(stileParagrafo) == 0) CreateDefaultStyles();
                    if (Version() == 1) ConvertVersion1();
                    defaultStyles_ = {GetObject(stileParagrafo, 0), GetObject(stileParagrafo, 1)};
                }
            } else if (file->Size() == 0) {
                file_.reset();
                NewHypertext();
                SetExpPrefix(PrefixFromFileName(cp1252::FromUtf8(name.filename().string()), 8));
                ok = true;
            }
        }
    } catch (const std::bad_alloc&) {
        // Whatever the file asked for did not fit: the opening fails, the
        // program goes on with a new hypertext.
        ClearAll();
        ok = false;
        messages_.Information("Memoria insufficiente per leggere il file " + name.string() + ".");
    } catch (const std::length_error&) {
        ClearAll();
        ok = false;
        messages_.Information("Memoria insufficiente per leggere il file " + name.string() + ".");
    }
    if (!ok) {
        NewHypertext();
        // The system's reason when the file could not even be opened.
        messages_.Information("Errore nella lettura file:" + name.string() +
                              (file ? std::string() : " (" + why + ")"));
    } else {
        if (!file_) file_ = file;
        fileName_ = name;
        // Other writers are kept out while the file is open. Someone else (another
        // program, or another set of this one) holding it: open it read-only.
        if (LockOnOpen && lock_.Acquire(name) == FileLock::Result::Busy) {
            readOnly_ = true;
            messages_.Warning("Il file " + name.string() +
                              " è già aperto da un'altra finestra o da un altro programma: "
                              "viene aperto in sola lettura.");
        }
        // A file with streams that could not be read opens with those objects
        // empty; the user is told which, and the first save asks before the
        // file is replaced.
        if (!unreadable_.empty()) messages_.Warning(UnreadableObjectsText());
        if (OnAfterNew) OnAfterNew();
    }
    modified_ = false;
    return ok;
}

bool THQVset::SaveHypertext(const fs::path& given, int version) {
    errors_.clear();
    std::error_code ec;
    if (given.empty() || fs::is_directory(given, ec)) {
        messages_.Error("Nome file non valido!");
        return false;
    }
    const bool sameFile = !fileName_.empty() && SameFile(given, fileName_);
    if (sameFile && readOnly_) {
        const std::string text = "Il file " + fileName_.string() +
                                 " è aperto in sola lettura: salvalo con un altro nome.";
        messages_.Error(text);
        errors_.push_back(text);
        return false;
    }
    // A file opened with objects that could not be read: saving over it makes
    // the loss permanent, so the user is asked first, and the damaged original
    // is kept as ".bak" whatever the backup option says.
    const bool replacesDamaged = sameFile && !unreadable_.empty();
    if (replacesDamaged) {
        fs::path bak = ResolvedTarget(given);
        bak.replace_extension(".bak");
        const platform::Answer a = messages_.AskYesNo(
            "Il file " + fileName_.string() + " era danneggiato: " +
            std::to_string(unreadable_.size()) +
            " oggetti non si sono potuti leggere e sono vuoti.\rSalvando, il file viene "
            "sostituito senza di essi; l'originale danneggiato resta in " + Quoted(bak) +
            ".\rSalvare comunque?");
        if (a != platform::Answer::Yes) {
            errors_.push_back("Salvataggio annullato: il file " + fileName_.string() +
                              " danneggiato non è stato sostituito.");
            return false;
        }
    }
    if (OnBeforeNew) OnBeforeNew();
    for (LinkedView* v : std::vector<LinkedView*>(views_)) v->StoreAndDropPage();
    auto showAgain = [this] {
        if (!Closing)
            for (LinkedView* v : std::vector<LinkedView*>(views_)) v->ShowPageAgain();
    };

    const fs::path target = ResolvedTarget(given);
    const fs::path folder = target.parent_path();
    fs::create_directories(folder, ec);
    RemoveStaleSaveFiles(target);

    // 1. The temporary file beside the target. Another program holding the target
    // (an editor that has it open) counts as a sharing error, as a failed creation
    // does: the user may close it and retry. A folder that refuses new files
    // (no write permission, a read-only file system) is not a sharing error:
    // then the file is written over in place, when it exists and may be written.
    fs::path temp;
    bool inPlace = false;
    FileLock tempLock;  // marks the temporary file as a save in progress
    for (;;) {
        int err = InjectedFault(SaveStep::CreateTemp);
        if (err == 0 && !sameFile && fs::exists(target, ec) && LockedByOther(target)) err = EBUSY;
        if (err == 0) {
            int fd = CreateTempBeside(target, temp);
            if (fd >= 0) {
                ::close(fd);
                tempLock.Acquire(temp);
                break;
            }
            err = errno;
        }
        if (err == EACCES || err == EPERM || err == EROFS) {
            struct stat st;
            const bool writable = ::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                                  ::access(target.c_str(), W_OK) == 0;
            if (writable) {
                inPlace = true;
                break;
            }
            const std::string text = kWriteError + target.string() + ": " + SystemReason(err);
            messages_.Error(text);
            errors_.push_back(text);
            showAgain();
            return false;
        }
        const platform::Answer a = messages_.AskYesNo(
            std::string(kSharingError) +
            "\rChiudi l'altra applicazione che sta accedendo al file, e scegli \"Si\" per "
            "riprovare a scrivere.\r(" + target.string() + ")");
        if (a != platform::Answer::Yes) {
            errors_.push_back(kWriteError + target.string() + ": " + SystemReason(err));
            showAgain();
            return false;
        }
    }
    if (inPlace) {
        const bool saved = SaveInPlace(given, target, version, replacesDamaged);
        showAgain();
        return saved;
    }
    // Writing marks the set saved and moves its header on; a save that fails after
    // that must leave the document as it was: modified, not saved.
    const auto headerBefore = header_;
    const bool modifiedBefore = modified_;
    auto fail = [&] {
        header_ = headerBefore;
        modified_ = modifiedBefore;
        tempLock.Release();
        fs::remove(temp, ec);
        showAgain();
        return false;
    };

    // 2. The new file, written in one pass and flushed to disk, then checked by
    // reading its tables back: a file that would not open never replaces one.
    if (!WriteCheckedHypertext(temp, version, given, target)) return fail();

    // 3. The backup: the old file under ".bak" (a second name for it, or a copy),
    // made while the old file is still in place.
    fs::path bak = target;
    bak.replace_extension(".bak");
    if ((Bak || replacesDamaged) && bak != target && fs::exists(target, ec)) {
        fs::remove(bak, ec);
        ec.clear();
        if (int err = InjectedFault(SaveStep::Backup); err != 0) {
            ec = std::error_code(err, std::generic_category());
        } else {
            fs::create_hard_link(target, bak, ec);
            if (ec) {
                ec.clear();
                fs::copy_file(target, bak, fs::copy_options::overwrite_existing, ec);
            }
        }
        if (ec) {
            const std::string reason = ec.message();
            fs::remove(bak, ec);
            if (BackupFailureStopsSave(bak, reason, replacesDamaged)) return fail();
        }
    }

    // 4. The new file takes the target's name. When that fails the user may retry
    // or keep the new file as the document. It is first given a visible name of
    // its own, so that it is never taken for what a dead save left behind.
    bool keepTemp = false;
    for (bool first = true;; first = false) {
        int err = InjectedFault(SaveStep::Rename);
        if (err == 0 && ::rename(temp.c_str(), target.c_str()) == 0) break;
        if (first) {
            errors_.push_back(kSharingError);
            const fs::path kept = KeptSaveName(target, temp);
            if (::link(temp.c_str(), kept.c_str()) == 0) {
                ::unlink(temp.c_str());
                temp = kept;
            }
        }
        const platform::Answer a = messages_.AskYesNo(
            std::string(kSharingError) +
            "\rChiudi l'altra applicazione che sta accedendo al file, e scegli \"Si\" per "
            "riprovare a scrivere.\rScegli \"No\" per utilizzare il documento in " + Quoted(temp));
        if (a != platform::Answer::Yes) {
            keepTemp = true;
            break;
        }
    }
    SyncFolder(folder);
    tempLock.Release();

    // 5. The file is read back; it becomes the document.
    std::function<void()> before = std::move(OnBeforeNew);
    OnBeforeNew = nullptr;
    const bool reopened = OpenHypertext(keepTemp ? temp : given);
    OnBeforeNew = std::move(before);
    showAgain();
    return reopened && errors_.empty();
}

bool THQVset::WriteCheckedHypertext(const fs::path& temp, int version, const fs::path& given,
                                    const fs::path& target) {
    if (!WriteHypertext(temp, version, given)) return false;
    if (InjectedFault(SaveStep::Written) != 0 || !IsCompleteHypertext(temp)) {
        errors_.push_back(kWriteError + target.string() + kNotComplete);
        return false;
    }
    return true;
}

bool THQVset::BackupFailureStopsSave(const fs::path& bak, const std::string& why,
                                     bool replacesDamaged) {
    const std::string text = "Impossibile creare la copia di sicurezza " + bak.string() + ": " + why;
    if (replacesDamaged) {
        // The damaged original is not replaced without its copy.
        errors_.push_back(text);
        return true;
    }
    messages_.Warning(text);
    return false;
}

bool THQVset::SaveInPlace(const fs::path& given, const fs::path& target, int version,
                          bool replacesDamaged) {
    std::error_code ec;
    const auto headerBefore = header_;
    const bool modifiedBefore = modified_;
    // The new file is first written whole in the set's own temporary folder,
    // flushed and checked; only then is the target overwritten with it.
    const fs::path temp = UniqueTempName("salvataggio.hqv");
    auto fail = [&] {
        header_ = headerBefore;
        modified_ = modifiedBefore;
        if (!temp.empty()) fs::remove(temp, ec);
        return false;
    };
    if (temp.empty()) {
        errors_.push_back(kWriteError + target.string() + ": " + SystemReason(EACCES));
        return fail();
    }
    if (!WriteCheckedHypertext(temp, version, given, target)) return fail();
    // A ".bak" beside the target can rarely be made in a folder that refuses new
    // files; the damaged original is not overwritten without one.
    fs::path bak = target;
    bak.replace_extension(".bak");
    if ((Bak || replacesDamaged) && bak != target) {
        std::string why;
        if (!CopyRegularFile(target, bak, &why, 0644) &&
            BackupFailureStopsSave(bak, why, replacesDamaged))
            return fail();
    }
    // The open file is the target: the set reads nothing from it from here on
    // (everything is in the new file), and reads the target back at the end.
    std::string why;
    auto source = OpenFile::Open(temp, &why);
    int fd = source ? ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOFOLLOW) : -1;
    bool ok = false;
    int err = 0;
    if (source && fd >= 0) {
        bool writeFailed = false;
        errno = 0;
        ok = source->CopyTo(0, source->Size(), fd, &writeFailed) && ::fsync(fd) == 0;
        err = errno;
    } else {
        err = errno;
    }
    if (fd >= 0 && ::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        // The target may be cut short now: the complete new file in the
        // temporary folder becomes the document.
        errors_.push_back(kWriteError + target.string() + ": " +
                          SystemReason(err != 0 ? err : EIO));
        const fs::path kept = temp;
        std::function<void()> before = std::move(OnBeforeNew);
        OnBeforeNew = nullptr;
        // Clearing the set would delete the set's own files: keep this one.
        tempFiles_.erase(kept);
        OpenHypertext(kept);
        OnBeforeNew = std::move(before);
        errors_.push_back("Il documento salvato è in " + Quoted(kept) + ".");
        return false;
    }
    fs::remove(temp, ec);
    const std::string note = "La cartella " + target.parent_path().string() +
                             " non permette di creare file: il file " + target.string() +
                             " è stato riscritto direttamente, senza la protezione da "
                             "interruzioni del salvataggio.";
    std::function<void()> before = std::move(OnBeforeNew);
    OnBeforeNew = nullptr;
    const bool reopened = OpenHypertext(given);
    OnBeforeNew = std::move(before);
    errors_.push_back(note);
    messages_.Warning(note);
    return reopened;
}

}  // namespace ovik
