// One entry of a hypertext's object table (THQVoggetto) and the page (THQVtesto).
//
// Every object has a kind, a number (its index in the kind's list), a fixed
// 668-byte object record whose first kRecordSize[kind] bytes are stored in the
// file as they are (the rest is 0xFF), and up to two variable streams:
//  - the content stream: in memory, or - for pictures and embedded files read
//    from a file - a place (offset, length) in the set's open file, read on demand;
//  - the wrapper stream: in memory.
// Pictures, embedded files and programs may also name an external file on disk
// (a file newly added or extracted to the temporary folder).
#pragma once

#include <algorithm>
#include <array>
#include <cstring>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/bytes.h"
#include "document/kinds.h"
#include "document/object_record.h"
#include "document/picture.h"

namespace ovik {

class THQVset;
class OpenFile;

class THQVoggetto {
public:
    explicit THQVoggetto(THQVset* owner = nullptr, uint8_t kind = testoHtmlRtf);
    virtual ~THQVoggetto();
    THQVoggetto(const THQVoggetto&) = delete;
    THQVoggetto& operator=(const THQVoggetto&) = delete;

    // Creates an object of the class the kind asks for (a page for kind 0).
    static std::unique_ptr<THQVoggetto> Create(THQVset* owner, uint8_t kind);

    uint8_t Kind() const { return kind_; }
    int32_t Number() const { return number_; }
    void SetNumber(int32_t n) { number_ = n & kMaxObjectNumber; }
    bool IsRegistered() const { return registered_; }
    THQVset* Owner() const { return owner_; }
    void SetOwner(THQVset* s) { owner_ = s; }
    int32_t Id() const { return MakeId(kind_, number_); }

    // Changes the kind; a registered object of another kind gives up its slot
    // first and is handed back to the caller through `released` (it is no longer
    // owned by the set).
    std::unique_ptr<THQVoggetto> SetKind(uint8_t kind);

    // --- the object record -------------------------------------------------
    // A copy of the whole record (668 bytes, 0xFF past what the kind stores).
    const ObjectRecord::Full Record() const { return rec_.AsArray(); }
    void SetRecord(const ObjectRecord::Full& r) { rec_.Assign(r.data(), r.size()); }
    // The first `n` bytes of `src` become the record (0xFF after them).
    void SetRecordBytes(const uint8_t* src, size_t n) { rec_.Assign(src, n); }
    // How many bytes of the record are held in memory.
    size_t RecordBytesKept() const { return rec_.Kept(); }
    uint8_t U8(size_t off) const { return rec_.Get(off); }
    void SetU8(size_t off, uint8_t v) { *W(off, 1) = v; }
    uint16_t U16(size_t off) const { return uint16_t(rec_.Get(off) | (rec_.Get(off + 1) << 8)); }
    int16_t I16(size_t off) const { return int16_t(U16(off)); }
    void SetU16(size_t off, uint16_t v) { PutU16(W(off, 2), v); }
    void SetI16(size_t off, int16_t v) { PutU16(W(off, 2), uint16_t(v)); }
    int32_t I32(size_t off) const {
        uint8_t b[4];
        rec_.Copy(off, 4, b);
        return GetI32(b);
    }
    void SetI32(size_t off, int32_t v) { PutI32(W(off, 4), v); }
    std::string Str(size_t off, size_t maxLen) const {
        if (const uint8_t* p = rec_.Kept(off, maxLen + 1)) return GetShortString(p, maxLen);
        uint8_t b[kObjectRecordSize + 1];
        rec_.Copy(off, maxLen + 1, b);
        return GetShortString(b, maxLen);
    }
    void SetStr(size_t off, size_t maxLen, std::string_view s) {
        const size_t len = std::min(s.size(), maxLen);
        PutShortString(W(off, len + 1), maxLen, s);
    }
    // `n` record bytes from `off` into `out`, and written from `in`.
    void CopyRecordBytes(size_t off, size_t n, uint8_t* out) const { rec_.Copy(off, n, out); }
    void WriteRecordBytes(size_t off, const uint8_t* in, size_t n) {
        if (n) std::memcpy(W(off, n), in, n);
    }
    uint8_t State() const { return rec_.Get(4); }
    void SetState(uint8_t s) { SetU8(4, s); }
    void FillRecord(uint8_t v) { rec_.Fill(v); }

    // --- streams -------------------------------------------------------------
    bool HasContent() const { return content_.has_value() || contentFile_ != nullptr; }
    bool ContentInFile() const { return contentFile_ != nullptr; }
    // The in-memory content, or null (absent, or still in the open file).
    const Bytes* MemContent() const { return content_ ? &*content_ : nullptr; }
    Bytes* MutableContent() { return content_ ? &*content_ : nullptr; }
    void SetContent(Bytes b);
    void ClearContent();
    // The content's bytes wherever they lie (memory, open file, external file for
    // pictures and embedded files). Returns false when they cannot be read.
    bool ReadContent(Bytes& out) const;
    // Length of the content stream, wherever it lies (0 when absent).
    uint64_t ContentLength() const;
    // Makes the content a place in an open file (used when reading a file).
    void SetContentInFile(std::shared_ptr<OpenFile> file, uint64_t pos, uint64_t len);
    // The content's place in the open file (length, absolute position).
    std::pair<uint64_t, uint64_t> ContentFilePlace() const { return {contentLen_, contentPos_}; }

    bool HasWrapper() const { return wrapper_.has_value(); }
    const Bytes* Wrapper() const { return wrapper_ ? &*wrapper_ : nullptr; }
    void SetWrapper(Bytes b) { wrapper_ = std::move(b); }
    void ClearWrapper() { wrapper_.reset(); }

    // Frame layouts keep their layout block (written before the content) as read.
    const std::optional<Bytes>& LayoutBlock() const { return layoutBlock_; }
    void SetLayoutBlock(std::optional<Bytes> b) { layoutBlock_ = std::move(b); }

    const std::filesystem::path& ExternalFile() const { return externalFile_; }
    void SetExternalFile(std::filesystem::path p) { externalFile_ = std::move(p); }

    // The positions and lengths the record gives for the two streams, relative
    // to the data area (-1 where the kind has no such field).
    int64_t RecordContentPos() const;
    int64_t RecordContentLen() const;
    int64_t RecordWrapperPos() const;
    int64_t RecordWrapperLen() const;
    void SetRecordContentPlace(int32_t pos, int32_t len);
    void SetRecordWrapperPlace(int32_t pos, int32_t len);

    // --- operations --------------------------------------------------------
    // Registers the object in its owner's table under `number` (-1 = the first
    // free slot). The set takes ownership; `self` must own this object.
    static THQVoggetto* Register(std::unique_ptr<THQVoggetto>& self, int32_t number = -1);
    void MarkRegistered(bool r) { registered_ = r; }

    // The state of a new object of its kind; a page gets the content "<Z S0 >".
    virtual void InitNew();
    // Releases what the object owns and fills the record with the free markers.
    virtual void MakeFree();
    bool IsFree() const;

    std::string Name() const;
    void SetName(std::string_view text);
    std::string FileName() const;
    void SetFileName(std::string_view name);
    // What the object is, as "short text|hint" for link objects (the link
    // model gives the texts); "Non definito." for a free object.
    std::string Description() const;
    // Revision stamp: pages, embedded files and pictures carry one; every other
    // kind reads as the hypertext's current revision.
    int32_t RevisionStamp() const;
    void StampRevision();

    bool SameContent(const THQVoggetto& other) const;
    virtual void Assign(const THQVoggetto& other);

    // Copies the content to `out` (with a length prefix: int32 length and int32
    // 0). Failures append to `errors`. Returns the length written.
    uint64_t WriteContent(Bytes& out, bool withLengthPrefix, std::vector<std::string>& errors) const;
    bool ExtractToFile(const std::filesystem::path& path) const;
    // Writes the content at the position of the descriptor `fd`; on failure
    // `*writeFailed` (when given) tells a failed write from a failed read.
    bool CopyContentTo(int fd, bool* writeFailed = nullptr) const;
    std::filesystem::path ExtractToTempFile();

    // The object stream: one object through a byte stream.
    void SaveToTransfer(Bytes& out) const;
    // Reads an object stream from `data` at `pos` (advanced). Returns false when
    // the data ends before the record; a short stream part leaves both streams
    // absent.
    bool LoadFromTransfer(const uint8_t* data, size_t size, size_t& pos);

    // The kind-5 picture this object shows, or null.
    THQVoggetto* PictureObject() const;

    // The decoded picture: for a picture (kind 5) from the set's cache, else
    // decoded from its bytes and cached (its width and height are then stored
    // into the record); for a placement (kind 16) its own picture when it has
    // one, else its picture object's. Null for other kinds and for bytes that
    // cannot be decoded.
    std::shared_ptr<const DecodedPicture> Picture();
    // A placement's own picture (one changed in a working copy).
    void SetOwnPicture(std::shared_ptr<const DecodedPicture> p) { ownPicture_ = std::move(p); }
    // Pictures only: takes the record and bytes of `newPicture`, drops the
    // cached decoding and stamps the current revision. False (with a message)
    // when either object is not a picture. The overload taking ownership
    // destroys the new object afterwards.
    bool ReplaceContent(const THQVoggetto& newPicture);
    bool ReplaceContent(std::unique_ptr<THQVoggetto> newPicture);

protected:
    void ReleaseOwnedLinks();
    // Bytes [off, off + n) of the record for writing.
    uint8_t* W(size_t off, size_t n) {
        return rec_.Writable(off, n, kind_ < kKindCount ? size_t(kRecordSize[kind_]) : 0);
    }

    uint8_t kind_;
    int32_t number_ = 0;
    bool registered_ = false;
    THQVset* owner_;
    ObjectRecord rec_;
    std::optional<Bytes> content_;
    std::shared_ptr<OpenFile> contentFile_;
    uint64_t contentPos_ = 0, contentLen_ = 0;
    std::optional<Bytes> wrapper_;
    std::optional<Bytes> layoutBlock_;
    std::filesystem::path externalFile_;
    std::shared_ptr<const DecodedPicture> ownPicture_;
    // Set while the owner's picture cache holds an entry for this object, so
    // that destroying the object drops the entry.
    bool pictureCached_ = false;

    friend class THQVset;
};

// A page: an object of kind testoHtml.
class THQVtesto : public THQVoggetto {
public:
    explicit THQVtesto(THQVset* owner) : THQVoggetto(owner, testoHtml) {}

    void InitNew() override;
    void MakeFree() override;
    void Assign(const THQVoggetto& other) override;

    std::string Title() const { return Str(5, 71); }
    void SetTitle(std::string_view t) { SetStr(5, 71, t); }
    uint8_t ContentFormat() const { return U8(195); }
    // The name of the file the page was imported from, kept in its wrapper.
    std::string SourceName() const;
    // Converts a page still in content format 1 to the current markup.
    void ConvertFormat1();
};

// Record offsets of an object's link fields, each holding the identifier of a
// link object (or, on a page being edited, its page-local form). Anchor and
// catalogue-page markers keep a plain number in theirs. A database object's
// four fields are only translated when a page is stored (`storing`): opening a
// page for editing leaves them as identifiers.
std::vector<size_t> LinkFieldOffsets(const THQVoggetto& o, bool storing);

// A record field that names a picture object (kind `immagine`): by its number,
// or by its identifier (kind x 2^24 + number). -1 is none.
struct PictureField {
    size_t offset;
    bool identifier;
};
// The picture fields of a placed object: a placed picture's main,
// low-resolution and rollover pictures, a database element's and a form
// button's picture, a multimedia object's still picture.
std::vector<PictureField> PictureFields(const THQVoggetto& o);

// A table codes a picture background - its own (record offset 207) and each
// cell's (its content stream holds one int32 per cell) - as 0x03000000 + the
// picture's number.
inline constexpr int32_t kCellPictureCode = 0x03000000;
// The picture numbers of a table's backgrounds, its own first.
std::vector<int32_t> CellPictures(const THQVoggetto& table);
// Gives each picture background of a table the number `fn` returns for it, or
// none (-1).
void MapCellPictures(THQVoggetto& table, const std::function<int32_t(int32_t)>& fn);

// Page record offsets used across the engine.
namespace page_rec {
inline constexpr size_t kTitle = 5, kBrowseGroup = 77, kBrowseNumber = 79, kFrameLayout = 81,
                        kBackPicture = 85, kTextColour = 89, kLinkColour = 93,
                        kVisitedColour = 97, kBackColour = 101, kKeywords = 105,
                        kContentLen = 185, kOutsideBrowse = 189, kLanguage = 191,
                        kContentFormat = 195, kRevision = 196, kContextName = 200,
                        kSlideDelay = 221, kReserved223 = 223, kSlideTarget = 227,
                        kHeaderPage = 231, kFooterPage = 235, kWrapperPos = 239,
                        kWrapperLen = 243, kExtraHtmlName = 247, kFixedBackground = 288;
}

}  // namespace ovik
