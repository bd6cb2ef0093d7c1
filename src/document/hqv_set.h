// THQVset: a hypertext in memory - its header (the hypertext properties) and its
// object table, one list per object kind.
//
// Invariants:
//  - entry i of list k is the object of kind k with number i (or, transiently,
//    nothing); slots are never removed while a hypertext is open: deleting makes
//    a slot free in place and new objects reuse the lowest free slot;
//  - each list holds objects of its own kind only (except transiently during the
//    conversion of a version-1 file);
//  - while a hypertext read from a file is loaded, that file stays open and the
//    bytes of pictures and embedded files are read from it on demand.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <unordered_set>
#include <string>
#include <string_view>
#include <vector>

#include "core/bytes.h"
#include "document/hqv_object.h"
#include "document/kinds.h"
#include "document/lifecycle.h"
#include "document/open_file.h"
#include "document/bitmap_conversion.h"
#include "document/picture.h"

namespace ovik {

namespace platform {
class Messages;
}

// Header field offsets.
namespace hdr {
inline constexpr size_t kMagic = 0, kTitle = 4, kOtherInfo = 84, kOtherInfoLen = 1258,
                        kPageTree = 1342, kExpPrefix = 1346, kPassword = 1363, kCompany = 1380,
                        kCopyright = 1460, kAuthors = 1540, kHighestKind = 1620,
                        kVersion = 1621, kReadOnly = 1623, kContentsPage = 1624,
                        kCoverPage = 1628, kRevision = 1632, kBtnContents = 1636,
                        kBtnSearch = 1637, kBtnGuide = 1638, kBtnCoverInv = 1639,
                        kBtnReserved = 1640, kNoButtons = 1641, kFixedFont = 1642,
                        kPropFont = 1682, kPixelsPerInch = 1722, kDefaultHeader = 1724,
                        kDefaultFooter = 1728, kCustomTree = 1732, kBackColour = 1736,
                        kBackPicture = 1740, kSpellLanguage = 1744, kTextColour = 1746,
                        kLinkColour = 1750, kVisitedColour = 1754;
}

struct KindTableEntry {
    int32_t offset = 0;
    int32_t recordSize = 0;
    int32_t count = 0;
};

class THQVset {
public:
    explicit THQVset(platform::Messages& messages);
    ~THQVset();
    THQVset(const THQVset&) = delete;
    THQVset& operator=(const THQVset&) = delete;

    platform::Messages& Messages() const { return messages_; }

    // --- events and options ---------------------------------------------------
    std::function<void()> OnBeforeNew;
    std::function<void()> OnAfterNew;
    bool Bak = true;
    bool Alt = true;
    bool DBdebug = false;
    bool DBdebugMap = false;
    int MaxCacheImg = 20;
    int UndoDeep = 20;
    THQVset* WrapperSet = nullptr;
    // The screen resolution written into the header at every save.
    int ScreenPixelsPerInch = 96;

    // --- lifecycle ------------------------------------------------------------
    void NewHypertext();
    void ClearAll();
    // Opens a hypertext file (the effect of assigning HQVFileName). The file is
    // locked while it is open; when someone else holds it, the set says so and
    // opens it read-only.
    bool OpenHypertext(const std::filesystem::path& name);
    // Off for a set only read from (a hypertext pages are copied from): it
    // takes no lock, so it neither keeps others out nor is refused.
    bool LockOnOpen = true;
    // Writes the set to `target` and reads it back. A save to the open file (by
    // file identity) never touches it until the new file is complete: the new
    // file is written beside the target, flushed and renamed over it. When the
    // folder refuses new files, an existing target is written over in place
    // after the complete new file has been written and flushed in the
    // temporary folder; the error list then says the save was not crash-safe,
    // and the result is still true.
    bool SaveHypertext(const std::filesystem::path& target, int version = 2);
    // The open file is held by someone else: saves to it are refused.
    bool OpenedReadOnly() const { return readOnly_; }
    // Editing views asked to store and drop their page around a save.
    void LinkView(LinkedView* view);
    void UnlinkView(LinkedView* view);
    // Set while the application closes: views are not asked to show a page again.
    bool Closing = false;
    const std::filesystem::path& HQVFileName() const { return fileName_; }
    bool Modified() const { return modified_; }
    void SetModified(bool m) { modified_ = m; }
    const std::vector<std::string>& Errors() const { return errors_; }

    // --- file format ----------------------------------------------------------
    // Reads header and kind table from the open file. False on any failure (the
    // message has been shown).
    bool ReadHeader(const OpenFile& file);
    // Reads one object record (`recordSize` bytes at `record`, within the records
    // area already read) and loads its streams from the file.
    void ReadRecord(THQVoggetto& o, const OpenFile& file, const uint8_t* record, int32_t recordSize);
    // Writes the whole set as a new file at `path` (which must not be the open
    // file). Fills the error list; on failure the file is left empty.
    bool WriteHypertext(const std::filesystem::path& path, int version,
                        const std::filesystem::path& nameForHeader);
    static std::string ReadForeignTitle(const std::filesystem::path& name, int32_t id);
    // The objects (identifiers) whose streams could not be read when the open
    // file was read: past the file's end, named twice, or beyond what the
    // file's size allows. They were opened empty.
    const std::vector<int32_t>& UnreadableObjects() const { return unreadable_; }
    // The message that lists them ("" when there are none).
    std::string UnreadableObjectsText() const;
    // The most memory the object table of a file of `fileSize` bytes may take.
    static uint64_t MaxOpeningMemory(uint64_t fileSize);
    // Where the data area of the open file starts.
    uint64_t DataAreaStart() const { return dataStart_; }
    const std::shared_ptr<OpenFile>& File() const { return file_; }
    const std::array<KindTableEntry, kKindCount>& KindTable() const { return kindTable_; }

    // --- header -----------------------------------------------------------------
    std::array<uint8_t, kHeaderSize>& Header() { return header_; }
    const std::array<uint8_t, kHeaderSize>& Header() const { return header_; }
    int32_t HdrI32(size_t off) const { return GetI32(&header_[off]); }
    void SetHdrI32(size_t off, int32_t v) { PutI32(&header_[off], v); }
    std::string HdrStr(size_t off, size_t n) const { return GetShortString(&header_[off], n); }
    void SetHdrStr(size_t off, size_t n, std::string_view s) { PutShortString(&header_[off], n, s); }

    int Version() const { return GetU16(&header_[hdr::kVersion]); }
    int32_t Revision() const { return HdrI32(hdr::kRevision); }
    std::string Title() const { return HdrStr(hdr::kTitle, 79); }
    void SetTitle(std::string_view t) { SetHdrStr(hdr::kTitle, 79, t); }
    std::string Authors() const { return HdrStr(hdr::kAuthors, 79); }
    std::string Company() const { return HdrStr(hdr::kCompany, 79); }
    std::string Copyright() const { return HdrStr(hdr::kCopyright, 79); }
    std::string OtherInfo() const;
    void SetOtherInfo(std::string_view text);
    std::string ExpPrefix() const { return HdrStr(hdr::kExpPrefix, 16); }
    void SetExpPrefix(std::string_view p) { SetHdrStr(hdr::kExpPrefix, 16, p); }
    bool ReadOnlyFlag() const { return header_[hdr::kReadOnly] == 1; }
    std::string ReadOnlyPassword() const;
    int32_t ContentsPage() const { return HdrI32(hdr::kContentsPage); }
    int32_t CoverPage() const { return HdrI32(hdr::kCoverPage); }

    // --- object table -----------------------------------------------------------
    int32_t ObjectCount(uint8_t kind) const;
    THQVoggetto* GetObject(int kind, int64_t number) const;
    THQVoggetto* GetObjectById(int32_t id) const {
        return GetObject(IdKind(id), IdNumber(id));
    }
    // Stores `o` (which the set then owns) under `number`; see THQVoggetto::Register.
    int32_t StoreObject(uint8_t kind, int32_t number, std::unique_ptr<THQVoggetto>& o);
    // Empties slot `number` and hands its object back.
    std::unique_ptr<THQVoggetto> ReleaseSlot(uint8_t kind, int32_t number);
    // A new object of `kind`, owned by the caller, made free then new.
    std::unique_ptr<THQVoggetto> NewObject(uint8_t kind);
    // Creates, initialises and registers a new object; returns it.
    THQVoggetto* AddNewObject(uint8_t kind);

    THQVoggetto* PageFrameLayout(int32_t page) const;
    THQVoggetto* FindEqualObject(const THQVoggetto& o) const;
    // An object of this set equal to `o` (an unregistered copy), or else `o`
    // itself, registered under a new number (the set takes it). Null when it
    // cannot be registered.
    THQVoggetto* EqualOrRegistered(std::unique_ptr<THQVoggetto>& o);
    THQVoggetto* FindByName(const THQVoggetto& o) const;
    std::unique_ptr<THQVoggetto> NewInternetLink(std::string_view address);
    int ImportCustomObject(const THQVoggetto& o, THQVoggetto*& result, bool replace);
    void CustomObjectsUsing(const THQVoggetto& o, std::vector<THQVoggetto*>& list) const;
    THQVoggetto* PageTreeObject();
    THQVoggetto* CustomTreeObject();
    THQVtesto* FindPageBySourceName(std::string_view name) const;
    THQVtesto* Page(int32_t n) const { return static_cast<THQVtesto*>(GetObject(testoHtml, n)); }

    // Paragraph styles.
    int32_t StyleIndex(std::string_view name) const;
    bool StyleExists(std::string_view name) const { return StyleIndex(name) >= 0; }
    std::string UniqueStyleName(std::string_view name) const;
    std::vector<std::string> StyleNames() const;
    THQVoggetto* FindStyle(std::string_view name) const;
    void FixStyleNames();
    THQVoggetto* DefaultStyle(int i) const { return defaultStyles_[i & 1]; }
    void CreateDefaultStyles();

    // --- files ---------------------------------------------------------------------
    // The set's private temporary folder, made on first use (empty, with a
    // message, when it cannot be made).
    std::filesystem::path TempFolder();
    // A name for a new file in the temporary folder, remembered as the set's
    // own: clearing the set deletes the files made under these names, and
    // nothing else.
    std::filesystem::path UniqueTempName(const std::filesystem::path& path);
    // True for a regular file (not a link) directly inside the temporary folder.
    bool IsOwnTempFile(const std::filesystem::path& path) const;
    // `ignore` (when given) is an object whose own file name does not count.
    std::string UniqueEmbeddedName(std::string_view name, const THQVoggetto* ignore = nullptr) const;

    // --- objects made from files ---------------------------------------------------
    // A result that is either an object of the set already (`owned` empty) or a
    // new, unregistered object that the caller owns (`owned` holds `object`).
    struct NewOrExisting {
        THQVoggetto* object = nullptr;
        std::unique_ptr<THQVoggetto> owned;
    };
    // Copies the file at `path` into the temporary folder and makes it the
    // embedded file (kind 3) `o`, or a new one; registers it. The stored name is
    // the file's name, made unique. Null (with a message) when the file cannot
    // be read or copied.
    THQVoggetto* AddEmbeddedFile(const std::filesystem::path& path,
                                 std::unique_ptr<THQVoggetto> o = nullptr);
    THQVoggetto* AddEmbeddedFile(const std::filesystem::path& path, THQVoggetto& registered);
    // A picture (kind 5) holding the bytes of the file at `path`; an equal
    // picture of the set when there is one. Null object when the file cannot be
    // read.
    NewOrExisting AddPictureData(const std::filesystem::path& path, bool transparent, int height,
                                 int width);
    // Adds a GIF, JPEG, WMF or EMF file, or a BMP or PNG file converted as
    // `bitmaps` asks (a GIF by default), as a registered picture; an equal
    // picture already in the set is returned instead. Null for any other
    // extension and for files that cannot be read or decoded (`why` says why).
    THQVoggetto* AddPictureFile(const std::filesystem::path& path,
                                const BitmapConversion& bitmaps = {}, std::string* why = nullptr);
    // A new, unregistered placement (kind 16) of `picture` (a picture of this
    // set, or none). An unregistered picture is registered first.
    std::unique_ptr<THQVoggetto> AddImmagineNew(THQVoggetto* picture);
    std::unique_ptr<THQVoggetto> AddImmagineNew(std::unique_ptr<THQVoggetto> picture);
    // A copy of picture `o` (of any set) for this set, or an equal picture of
    // this set.
    NewOrExisting DuplicatePicture(const THQVoggetto& o);

    // --- decoded-picture cache (pictures of kind 5; first in, first out) ------------
    std::shared_ptr<const DecodedPicture> CachedPicture(const THQVoggetto& o) const;
    void CachePicture(THQVoggetto& o, std::shared_ptr<const DecodedPicture> picture);
    void UncachePicture(const THQVoggetto& o);
    void ClearPictureCache();
    size_t PictureCacheSize() const { return pictureCache_.size(); }

    // Version-1 redirections (old identifier -> new identifier).
    const std::map<int32_t, int32_t>& Redirections() const { return redirect_; }

private:
    friend class THQVoggetto;
    void FillNewHeader();
    bool SaveInPlace(const std::filesystem::path& given, const std::filesystem::path& target,
                     int version, bool replacesDamaged);
    // Writes the new file to `temp` and checks it reads back whole; on failure
    // the error list names `target`.
    bool WriteCheckedHypertext(const std::filesystem::path& temp, int version,
                               const std::filesystem::path& given,
                               const std::filesystem::path& target);
    // A ".bak" that could not be made: an error when the save would replace a
    // damaged original (the save stops: true), else a warning (false).
    bool BackupFailureStopsSave(const std::filesystem::path& bak, const std::string& why,
                                bool replacesDamaged);
    void RemoveTempFiles();
    bool ReadAllObjects(const OpenFile& file);
    static uint64_t ObjectFootprint(uint8_t kind);
    void ConvertVersion1();
    THQVoggetto* MarkerTree(size_t headerField);
    bool WriteObjects(int fd, std::vector<std::string>& errors, uint64_t& dataLen);
    THQVoggetto* EmbedFile(const std::filesystem::path& path, THQVoggetto& o,
                           std::unique_ptr<THQVoggetto> owned);
    NewOrExisting AddPictureBytes(std::string_view fileName, Bytes content, bool transparent,
                                  int height, int width);
    // An equal object of the set in place of `o` when there is one, else `o`.
    NewOrExisting EqualOrNew(std::unique_ptr<THQVoggetto> o) const;

    platform::Messages& messages_;
    std::array<uint8_t, kHeaderSize> header_{};
    std::array<std::vector<std::unique_ptr<THQVoggetto>>, kKindCount> lists_;
    std::array<KindTableEntry, kKindCount> kindTable_{};
    std::array<THQVoggetto*, 2> defaultStyles_{};
    std::map<int32_t, int32_t> redirect_;
    std::shared_ptr<OpenFile> file_;
    std::filesystem::path fileName_;
    uint64_t dataStart_ = 0;
    bool modified_ = false;
    std::vector<std::string> errors_;
    std::vector<int32_t> unreadable_;
    // While the objects of a file are read: bytes the in-memory streams may
    // still take, and where the streams read so far began.
    uint64_t streamBudget_ = UINT64_MAX;
    // Starts of the streams read so far. A file is written front to back in
    // the order it is read, so their starts mostly increase: those are kept
    // in a sorted vector (8 bytes each), the few others in a hash set.
    std::vector<uint64_t> streamsInOrder_;
    uint64_t streamsEnd_ = 0;
    std::unordered_set<uint64_t> streamsOutOfOrder_;
    // False when a stream starting at `at` was read before; else remembers it.
    bool FirstReadOfStream(uint64_t at, uint64_t len);
    std::filesystem::path tempFolder_;
    std::set<std::filesystem::path> tempFiles_;
    std::vector<LinkedView*> views_;
    FileLock lock_;
    bool readOnly_ = false;
    std::vector<std::pair<THQVoggetto*, std::shared_ptr<const DecodedPicture>>> pictureCache_;
};

}  // namespace ovik
