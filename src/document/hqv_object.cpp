#include "document/hqv_object.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

#include "core/byte_reader.h"
#include "core/codepage.h"
#include "document/format1.h"
#include "document/hqv_set.h"
#include "links/link_objects.h"
#include "document/style_record.h"
#include "platform/messages.h"

namespace ovik {

namespace fs = std::filesystem;

const char* KindName(uint8_t kind) {
    static const char* const kNames[kKindCount] = {
        "testoHtml",   "internetLink", "zipLink",        "genLink",   "keyword",
        "immagine",    "mappaClic",    "programma",      "tabellaHtml", "mappaFrame",
        "speclink",    "shortObj",     "custom",         "dbloc",     "spazio4",
        "spazio5",     "immagineNew",  "stileParagrafo", "fontFace",  "formato",
        "inputStat",   "inputDin",     "bottoneCGI",     "inizioForm", "multiMedia",
        "none",        "testoHtmlRtf"};
    return kind < kKindCount ? kNames[kind] : "?";
}

THQVoggetto::THQVoggetto(THQVset* owner, uint8_t kind) : kind_(kind), owner_(owner) {
    rec_.Fill(0xFF);
}

THQVoggetto::~THQVoggetto() {
    if (pictureCached_ && owner_) owner_->UncachePicture(*this);
}

std::unique_ptr<THQVoggetto> THQVoggetto::Create(THQVset* owner, uint8_t kind) {
    if (kind == testoHtml) return std::make_unique<THQVtesto>(owner);
    return std::make_unique<THQVoggetto>(owner, kind);
}

std::unique_ptr<THQVoggetto> THQVoggetto::SetKind(uint8_t kind) {
    std::unique_ptr<THQVoggetto> released;
    if (kind_ != testoHtmlRtf && registered_ && owner_) {
        released = owner_->ReleaseSlot(kind_, number_);
        registered_ = false;
    }
    kind_ = kind;
    return released;
}

// --- streams ---------------------------------------------------------------------

void THQVoggetto::SetContent(Bytes b) {
    contentFile_.reset();
    contentPos_ = contentLen_ = 0;
    content_ = std::move(b);
}

void THQVoggetto::ClearContent() {
    content_.reset();
    contentFile_.reset();
    contentPos_ = contentLen_ = 0;
}

void THQVoggetto::SetContentInFile(std::shared_ptr<OpenFile> file, uint64_t pos, uint64_t len) {
    content_.reset();
    contentFile_ = std::move(file);
    contentPos_ = pos;
    contentLen_ = len;
}

uint64_t THQVoggetto::ContentLength() const {
    if (content_) return content_->size();
    if (contentFile_) return contentLen_;
    if (ContentStaysInFile(kind_) && !externalFile_.empty()) {
        std::error_code ec;
        auto n = fs::file_size(externalFile_, ec);
        return ec ? 0 : n;
    }
    return 0;
}

bool THQVoggetto::ReadContent(Bytes& out) const {
    out.clear();
    if (content_) {
        out = *content_;
        return true;
    }
    if (contentFile_) return contentFile_->ReadAt(contentPos_, size_t(contentLen_), out);
    if (ContentStaysInFile(kind_) && !externalFile_.empty())
        return ReadRegularFile(externalFile_, out);
    return true;  // no content at all: empty
}

int64_t THQVoggetto::RecordContentPos() const {
    auto f = StreamFieldsOf(kind_);
    return f.contentPos < 0 ? -1 : I32(size_t(f.contentPos));
}

int64_t THQVoggetto::RecordContentLen() const {
    auto f = StreamFieldsOf(kind_);
    if (f.contentLen < 0) return -1;
    if (kind_ == tabellaHtml) return I32(81) == 0 ? 0 : I16(85);
    int32_t v = I32(size_t(f.contentLen));
    if (kind_ == multiMedia && v == -1) return 0;
    return v;
}

int64_t THQVoggetto::RecordWrapperPos() const {
    auto f = StreamFieldsOf(kind_);
    return f.wrapperPos < 0 ? -1 : I32(size_t(f.wrapperPos));
}

int64_t THQVoggetto::RecordWrapperLen() const {
    auto f = StreamFieldsOf(kind_);
    return f.wrapperLen < 0 ? -1 : I32(size_t(f.wrapperLen));
}

void THQVoggetto::SetRecordContentPlace(int32_t pos, int32_t len) {
    auto f = StreamFieldsOf(kind_);
    if (f.contentPos < 0) return;
    SetI32(size_t(f.contentPos), pos);
    if (f.contentLenWidth == 2)
        SetI16(size_t(f.contentLen), int16_t(len));
    else
        SetI32(size_t(f.contentLen), len);
}

void THQVoggetto::SetRecordWrapperPlace(int32_t pos, int32_t len) {
    auto f = StreamFieldsOf(kind_);
    if (f.wrapperPos < 0) return;
    SetI32(size_t(f.wrapperPos), pos);
    SetI32(size_t(f.wrapperLen), len);
}

// --- registration ----------------------------------------------------------------

THQVoggetto* THQVoggetto::Register(std::unique_ptr<THQVoggetto>& self, int32_t number) {
    THQVoggetto* o = self.get();
    if (!o) return nullptr;
    if (o->registered_) {
        self.release();  // already owned by the set
        return o;
    }
    if (!o->owner_) return nullptr;
    int32_t n = o->owner_->StoreObject(o->kind_, number, self);
    if (n < 0) return nullptr;
    o->number_ = n;
    o->registered_ = true;
    return o;
}

// --- states ------------------------------------------------------------------------

void THQVoggetto::StampRevision() {
    int32_t rev = owner_ ? owner_->Revision() : 2;
    switch (kind_) {
        case testoHtml: SetI32(page_rec::kRevision, rev); break;
        case zipLink:
        case genLink: SetI32(89, rev); break;
        case immagine:
        case mappaClic: SetI32(77, rev); break;
        default: break;
    }
}

int32_t THQVoggetto::RevisionStamp() const {
    switch (kind_) {
        case testoHtml: return I32(page_rec::kRevision);
        case zipLink:
        case genLink: return I32(89);
        case immagine:
        case mappaClic: return I32(77);
        default: return owner_ ? owner_->Revision() : 2;
    }
}

void THQVoggetto::InitNew() {
    switch (kind_) {
        case testoHtml:
        case immagine: SetState(0); break;
        case internetLink:
        case genLink: SetState(4); break;
        case tabellaHtml:
        case mappaFrame: SetState(2); break;
        case dbloc: SetState(7); break;
        case speclink:
        case shortObj:
        case custom:
        case immagineNew:
        case stileParagrafo:
        case fontFace:
        case formato:
        case inputStat:
        case inputDin:
        case bottoneCGI:
        case inizioForm:
        case multiMedia: SetState(1); break;
        default: break;
    }
    StampRevision();
}

namespace {

// A new table's record (the defaults of a table made without a template).
void SetTableDefaults(THQVoggetto& o, uint8_t state) {
    o.FillRecord(0xFF);
    o.SetState(state);
    for (int c = 0; c < 50; ++c) o.SetU8(5 + size_t(c), 1);
    o.SetU8(55, 1);
    o.SetI16(56, 0);
    o.SetU8(66, 0);
    o.SetU8(88, 100);
    o.SetU8(89, 100);
    o.SetU8(90, 2);
    o.SetU8(91, 2);
    o.SetU8(92, 0);
    o.SetU8(93, 1);
    o.SetU8(94, 1);
    o.SetU8(95, 0);
    o.SetU8(96, 0);
    for (int c = 0; c < 50; ++c) o.SetI16(97 + 2 * size_t(c), 0);
    o.SetI32(197, 0);
    o.SetI32(201, 0);
    o.SetI16(205, 0);
    o.SetI32(207, -1);
    o.SetI32(211, int32_t(0x80000014u));
    o.SetI32(215, int32_t(0x80000010u));
}

}  // namespace

void THQVoggetto::ReleaseOwnedLinks() {
    if (!owner_) return;
    auto releaseLink = [this](int32_t id) {
        if (id < 0 || IdKind(id) != speclink) return;
        THQVoggetto* l = owner_->GetObject(speclink, IdNumber(id));
        if (l && l != this && !l->IsFree()) l->MakeFree();
    };
    switch (kind_) {
        case shortObj:
            if (State() != 14 && State() != 15) releaseLink(I32(5));
            break;
        case dbloc:
            for (size_t off : {51, 55, 59, 63}) releaseLink(I32(off));
            break;
        case immagineNew:
            for (size_t z = 0; z < 30; ++z) releaseLink(I32(73 + 16 * z));
            break;
        case bottoneCGI: releaseLink(I32(181)); break;
        default: break;
    }
}

void THQVoggetto::MakeFree() {
    if (kind_ == immagine && owner_) owner_->UncachePicture(*this);
    ReleaseOwnedLinks();
    rec_.Fill(0xFF);
    externalFile_.clear();
    switch (kind_) {
        case internetLink:
        case zipLink:
        case genLink: SetState(5); break;
        case keyword: SetStr(0, 79, "-"); break;
        case immagine:
        case mappaClic: SetState(3); break;
        case programma: SetState(1); break;
        case tabellaHtml: SetTableDefaults(*this, 0); break;
        case mappaFrame:
            SetState(1);
            SetStr(5, 79, "Map");
            break;
        case speclink:
            SetState(0);
            SetStr(19, 19, "Zt");
            break;
        case custom:
            SetState(0);
            SetStr(17, 40, "Nuovo prototipo");
            break;
        case dbloc:
            SetState(0);
            SetStr(17, 15, "db");
            break;
        case stileParagrafo: SetStyleDefaults(*this); break;
        case shortObj:
        case immagineNew:
        case fontFace:
        case formato:
        case inputStat:
        case inputDin:
        case bottoneCGI:
        case inizioForm:
        case multiMedia: SetState(0); break;
        default: break;
    }
    ClearContent();
    wrapper_.reset();
    layoutBlock_.reset();
}

bool THQVoggetto::IsFree() const {
    switch (kind_) {
        case testoHtml:
        case immagine: return State() == 3;
        case internetLink:
        case genLink: return State() == 5;
        case keyword: return Str(0, 79) == "-";
        case programma:
        case mappaFrame: return State() == 1;
        case tabellaHtml:
        case speclink:
        case shortObj:
        case custom:
        case dbloc:
        case immagineNew:
        case stileParagrafo:
        case fontFace:
        case formato:
        case inputStat:
        case inputDin:
        case bottoneCGI:
        case inizioForm:
        case multiMedia: return State() == 0;
        default: return false;
    }
}

// --- names -------------------------------------------------------------------------

namespace {
struct NameField {
    int off;
    int max;
};

NameField NameFieldOf(uint8_t kind) {
    switch (kind) {
        case testoHtml: return {5, 71};
        case internetLink: return {5, 127};
        case zipLink:
        case genLink: return {5, 79};
        case keyword: return {0, 79};
        case immagine:
        case mappaClic: return {5, 71};
        case programma: return {5, 75};
        case mappaFrame: return {5, 79};
        case stileParagrafo: return {5, 32};
        case fontFace: return {5, 32};
        case custom: return {17, 40};
        case dbloc: return {17, 15};
        case inputStat:
        case inputDin:
        case bottoneCGI: return {17, 79};
        case inizioForm: return {17, 255};
        case immagineNew: return {28, 32};
        default: return {-1, 0};
    }
}
}  // namespace

std::string THQVoggetto::Name() const {
    auto f = NameFieldOf(kind_);
    if (f.off < 0) return "";
    return Str(size_t(f.off), size_t(f.max));
}

void THQVoggetto::SetName(std::string_view text) {
    auto f = NameFieldOf(kind_);
    if (f.off < 0) return;
    SetStr(size_t(f.off), size_t(f.max), text);
}

std::string THQVoggetto::FileName() const {
    switch (kind_) {
        case zipLink:
        case genLink: return Str(5, 79);
        case immagine:
        case mappaClic: return Str(94, 75);
        case programma: return Str(81, 127);
        default: return "";
    }
}

void THQVoggetto::SetFileName(std::string_view name) {
    std::string unique = owner_ ? owner_->UniqueEmbeddedName(name) : std::string(name);
    switch (kind_) {
        case zipLink:
        case genLink: SetStr(5, 79, unique); break;
        case immagine:
        case mappaClic: SetStr(94, 75, unique); break;
        case programma: SetStr(81, 127, unique); break;
        default: break;
    }
}

std::string THQVoggetto::Description() const { return links::Describe(*this); }

// --- comparison and copy -----------------------------------------------------------

bool THQVoggetto::SameContent(const THQVoggetto& other) const {
    if (IsFree()) return false;
    switch (kind_) {
        case internetLink:
        case keyword: return other.kind_ == kind_ && Name() == other.Name();
        case immagine: {
            if (other.kind_ != immagine) return false;
            if (ContentLength() != other.ContentLength()) return false;
            Bytes a, b;
            if (!ReadContent(a) || !other.ReadContent(b)) return false;
            return a == b;
        }
        case stileParagrafo: {
            if (other.kind_ != stileParagrafo) return false;
            bool builtIn = registered_ && (number_ == 0 || number_ == 1);
            if (!builtIn && Name() != other.Name()) return false;
            uint8_t a[style_rec::kAttrBlockLen], b[style_rec::kAttrBlockLen];
            rec_.Copy(style_rec::kAttrBlock, sizeof a, a);
            other.rec_.Copy(style_rec::kAttrBlock, sizeof b, b);
            return std::memcmp(a, b, sizeof a) == 0;
        }
        default: return false;
    }
}

void THQVoggetto::Assign(const THQVoggetto& other) {
    if (other.kind_ == mappaClic) {
        if (owner_) owner_->Messages().Error("mappaclic presente ancora! bug!");
        return;
    }
    if (other.kind_ == immagine && kind_ == immagineNew) {
        // A picture assigned to a placement: the placement shows it.
        rec_.Fill(0xFF);
        InitNew();
        SetU8(13, 4);
        SetU8(14, 0);
        SetU8(23, 0);
        SetI32(0, other.number_);
        SetStr(28, 32, (owner_ && owner_->Alt) ? other.Name() : "");
        SetU16(15, other.U16(85));
        SetU16(17, other.U16(87));
        SetI16(19, int16_t(other.U16(85)));
        SetI16(21, int16_t(other.U16(87)));
        return;
    }
    kind_ = other.kind_;
    number_ = other.number_;
    owner_ = other.owner_;
    rec_ = other.rec_;
    content_ = other.content_;
    contentFile_ = other.contentFile_;
    contentPos_ = other.contentPos_;
    contentLen_ = other.contentLen_;
    wrapper_ = other.wrapper_;
    layoutBlock_ = other.layoutBlock_;
    externalFile_ = other.externalFile_;
}

// --- content to streams and files ------------------------------------------------

uint64_t THQVoggetto::WriteContent(Bytes& out, bool withLengthPrefix,
                                   std::vector<std::string>& errors) const {
    Bytes data;
    bool ok = true;
    if (content_) {
        data = *content_;
    } else if (contentFile_) {
        ok = contentFile_->ReadAt(contentPos_, size_t(contentLen_), data);
    } else if (ContentStaysInFile(kind_) && !externalFile_.empty()) {
        ok = ReadContent(data);
    }
    if (!ok) {
        std::string name = owner_ ? owner_->HQVFileName().string() : std::string();
        errors.push_back("Errore nell'apertura file: " + name);
        data.clear();
    }
    if (withLengthPrefix) {
        AppendI32(out, int32_t(data.size()));
        AppendI32(out, 0);
    }
    out.insert(out.end(), data.begin(), data.end());
    return data.size();
}

bool THQVoggetto::ExtractToFile(const fs::path& path) const {
    std::error_code ec;
    if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = CopyContentTo(fd);
    if (::close(fd) != 0) ok = false;
    return ok;
}

bool THQVoggetto::CopyContentTo(int fd, bool* writeFailed) const {
    if (writeFailed) *writeFailed = false;
    if (contentFile_) return contentFile_->CopyTo(contentPos_, contentLen_, fd, writeFailed);
    Bytes data;
    if (!ReadContent(data)) return false;
    size_t off = 0;
    while (off < data.size()) {
        ssize_t w = ::write(fd, data.data() + off, data.size() - off);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
            if (writeFailed) *writeFailed = true;
            return false;
        }
        off += size_t(w);
    }
    return true;
}

fs::path THQVoggetto::ExtractToTempFile() {
    if (!HasContent()) return externalFile_;
    if (!owner_) return {};
    fs::path target = owner_->UniqueTempName(fs::path(cp1252::ToUtf8(FileName())));
    if (!ExtractToFile(target)) {
        owner_->Messages().Error(
            "Lo spazio su HD potrebbe essere insufficiente! Errore nella scorporazione file: " +
            target.string());
        return {};
    }
    if (content_) content_.reset();
    externalFile_ = target;
    return target;
}

// --- object stream ---------------------------------------------------------------

void THQVoggetto::SaveToTransfer(Bytes& out) const {
    AppendI32(out, number_);
    AppendU8(out, kind_);
    const ObjectRecord::Full full = rec_.AsArray();
    AppendBytes(out, full.data(), full.size());
    std::string ext = externalFile_.string();
    AppendI32(out, int32_t(ext.size()));
    AppendString(out, ext);
    std::vector<std::string> errors;
    WriteContent(out, true, errors);
    if (wrapper_) {
        AppendI32(out, int32_t(wrapper_->size()));
        AppendBytes(out, wrapper_->data(), wrapper_->size());
    } else {
        AppendI32(out, 0);
    }
}

bool THQVoggetto::LoadFromTransfer(const uint8_t* data, size_t size, size_t& pos) {
    ByteReader r(data, size);
    r.seek(pos);
    int32_t number = r.i32("object number");
    uint8_t kind = r.u8("kind");
    auto rec = r.bytes(kObjectRecordSize, "object record");
    if (!r.ok()) return false;
    if (!registered_) {
        number_ = number & kMaxObjectNumber;
    } else if (kind != kind_) {
        if (owner_)
            owner_->Messages().Error(
                "In un THQVoggetto registrato si può caricare solo un THQVoggetto dello stesso "
                "tipo!");
    }
    kind_ = kind;
    rec_.Assign(rec.data(), kObjectRecordSize);

    // The streams: a failure anywhere here leaves both streams absent.
    int32_t extLen = r.i32("external path length");
    std::string ext;
    if (r.ok() && extLen > 0) {
        auto p = r.bytes(size_t(extLen), "external path");
        ext.assign(reinterpret_cast<const char*>(p.data()), p.size());
    }
    int32_t contentLen = r.i32("content length");
    r.i32("zero");
    std::span<const uint8_t> content;
    if (r.ok() && contentLen > 0) content = r.bytes(size_t(contentLen), "content");
    int32_t wrapperLen = r.i32("wrapper length");
    std::span<const uint8_t> wrapper;
    if (r.ok() && wrapperLen > 0) wrapper = r.bytes(size_t(wrapperLen), "wrapper");
    if (!r.ok()) {
        ClearContent();
        wrapper_.reset();
        pos = size;
        return true;
    }
    // An external path from a stream is never used as such: the bytes travel
    // in the stream. Only a file of this set's own temporary folder is taken
    // (an object copied within the set), never a file anywhere else on disk.
    if (extLen > 0) {
        fs::path p(ext);
        externalFile_ = (owner_ && owner_->IsOwnTempFile(p)) ? p : fs::path();
    }
    if (contentLen > 0) SetContent(Bytes(content.begin(), content.end()));
    if (wrapperLen > 0) wrapper_ = Bytes(wrapper.begin(), wrapper.end());
    pos = r.offset();
    return true;
}

std::vector<size_t> LinkFieldOffsets(const THQVoggetto& o, bool storing) {
    switch (o.Kind()) {
        case speclink: return {13};
        case shortObj:
            if (o.State() == 14 || o.State() == 15) return {};
            return {5};
        case immagineNew: {
            std::vector<size_t> v;
            for (size_t z = 0; z < 30; ++z) v.push_back(73 + 16 * z);
            return v;
        }
        case bottoneCGI: return {181};
        case dbloc:
            if (storing) return {51, 55, 59, 63};
            return {};
        default: return {};
    }
}

std::vector<PictureField> PictureFields(const THQVoggetto& o) {
    switch (o.Kind()) {
        case immagineNew: return {{0, false}, {5, false}, {9, false}};
        case bottoneCGI: return {{177, false}};
        case dbloc:
            if (o.U8(46) == 18) return {{47, true}};  // only a picture element names one
            return {};
        case multiMedia: return {{21, true}};
        default: return {};
    }
}

namespace {
constexpr size_t kTableBackground = 207;
bool IsCellPicture(int32_t v) { return (uint32_t(v) & 0xFF000000u) == uint32_t(kCellPictureCode); }
}  // namespace

std::vector<int32_t> CellPictures(const THQVoggetto& table) {
    std::vector<int32_t> out;
    if (const int32_t v = table.I32(kTableBackground); IsCellPicture(v)) out.push_back(IdNumber(v));
    Bytes c;
    if (!table.ReadContent(c)) return out;
    for (size_t off = 0; off + 4 <= c.size(); off += 4)
        if (const int32_t v = GetI32(&c[off]); IsCellPicture(v)) out.push_back(IdNumber(v));
    return out;
}

void MapCellPictures(THQVoggetto& table, const std::function<int32_t(int32_t)>& fn) {
    auto mapped = [&](int32_t v) {
        const int32_t n = fn(IdNumber(v));
        return n < 0 ? -1 : kCellPictureCode + (n & kMaxObjectNumber);
    };
    if (const int32_t v = table.I32(kTableBackground); IsCellPicture(v)) table.SetI32(kTableBackground, mapped(v));
    Bytes c;
    if (!table.ReadContent(c)) return;
    bool changed = false;
    for (size_t off = 0; off + 4 <= c.size(); off += 4) {
        const int32_t v = GetI32(&c[off]);
        if (!IsCellPicture(v)) continue;
        const int32_t w = mapped(v);
        if (w == v) continue;
        PutI32(&c[off], w);
        changed = true;
    }
    if (changed) table.SetContent(std::move(c));
}

THQVoggetto* THQVoggetto::PictureObject() const {
    if (!owner_) return nullptr;
    int32_t n = -1;
    switch (kind_) {
        case testoHtml: n = I32(page_rec::kBackPicture); break;
        case immagineNew: n = I32(0); break;
        case bottoneCGI: n = I32(177); break;
        case multiMedia: {
            int32_t id = I32(21);
            if (id < 0) return nullptr;
            return owner_->GetObject(immagine, IdNumber(id));
        }
        default: return nullptr;
    }
    if (n < 0) return nullptr;
    THQVoggetto* p = owner_->GetObject(immagine, n);
    return (p && p->Kind() == immagine) ? p : nullptr;
}

std::shared_ptr<const DecodedPicture> THQVoggetto::Picture() {
    if (kind_ == immagineNew) {
        if (ownPicture_) return ownPicture_;
        THQVoggetto* p = PictureObject();
        return p ? p->Picture() : nullptr;
    }
    if (kind_ != immagine || IsFree()) return nullptr;
    if (owner_)
        if (auto cached = owner_->CachedPicture(*this)) return cached;
    Bytes bytes;
    if (!ReadContent(bytes) || bytes.empty()) return nullptr;
    PictureResult r = DecodePicture(bytes, FileName());
    if (!r) return nullptr;
    SetU16(85, uint16_t(std::min(r.picture->width, 0xFFFF)));
    SetU16(87, uint16_t(std::min(r.picture->height, 0xFFFF)));
    std::shared_ptr<const DecodedPicture> p = std::move(r.picture);
    if (owner_) owner_->CachePicture(*this, p);
    return p;
}

bool THQVoggetto::ReplaceContent(const THQVoggetto& newPicture) {
    if (kind_ != immagine || newPicture.kind_ != immagine || &newPicture == this) {
        if (owner_) owner_->Messages().Error("ReplaceContent called improperly...");
        return false;
    }
    // The undo entry "Modifica immagine " + Name() belongs here once the set
    // keeps an undo list.
    Bytes stream;
    newPicture.SaveToTransfer(stream);
    size_t pos = 0;
    LoadFromTransfer(stream.data(), stream.size(), pos);
    if (owner_) owner_->UncachePicture(*this);
    StampRevision();
    return true;
}

bool THQVoggetto::ReplaceContent(std::unique_ptr<THQVoggetto> newPicture) {
    return newPicture ? ReplaceContent(*newPicture) : false;
}

// --- pages -------------------------------------------------------------------------

namespace {
constexpr const char kNewPageContent[] = "<Z S0 >";
}

void THQVtesto::InitNew() {
    SetState(0);
    SetTitle("Senza titolo");
    THQVset* s = owner_;
    SetI32(page_rec::kBackColour, s ? s->HdrI32(hdr::kBackColour) : 0xC0C0C0);
    SetI32(page_rec::kBackPicture, s ? s->HdrI32(hdr::kBackPicture) : -1);
    SetI32(page_rec::kTextColour, s ? s->HdrI32(hdr::kTextColour) : 0);
    SetI32(page_rec::kLinkColour, s ? s->HdrI32(hdr::kLinkColour) : 0xFF0000);
    SetI32(page_rec::kVisitedColour, s ? s->HdrI32(hdr::kVisitedColour) : 0x0000FF);
    SetStr(page_rec::kContextName, 20, "");
    SetU8(page_rec::kContentFormat, 2);
    SetU16(page_rec::kLanguage, 1040);
    SetU8(page_rec::kOutsideBrowse, 1);
    StampRevision();
    Bytes c(kNewPageContent, kNewPageContent + sizeof(kNewPageContent));  // with the zero byte
    SetContent(std::move(c));
    wrapper_.reset();
}

void THQVtesto::MakeFree() {
    // A registered page first frees the placed objects its text refers to.
    if (registered_ && owner_ && content_) {
        for (int32_t id : ObjectTagsIn(*content_)) {
            uint8_t k = IdKind(id);
            if (k == tabellaHtml || k == speclink || k == shortObj || k == dbloc ||
                k == immagineNew || (k >= inputStat && k <= multiMedia)) {
                THQVoggetto* o = owner_->GetObject(k, IdNumber(id));
                if (o && o != this && !o->IsFree()) o->MakeFree();
            }
        }
    }
    rec_.Fill(0xFF);
    externalFile_.clear();
    THQVset* s = owner_;
    SetState(3);
    SetTitle("Senza titolo");
    SetI32(page_rec::kBackColour, s ? s->HdrI32(hdr::kBackColour) : 0xC0C0C0);
    SetI32(page_rec::kBackPicture, s ? s->HdrI32(hdr::kBackPicture) : -1);
    SetI32(page_rec::kTextColour, s ? s->HdrI32(hdr::kTextColour) : 0);
    SetI32(page_rec::kLinkColour, s ? s->HdrI32(hdr::kLinkColour) : 0xFF0000);
    SetI32(page_rec::kVisitedColour, s ? s->HdrI32(hdr::kVisitedColour) : 0x0000FF);
    SetU8(page_rec::kContentFormat, 2);
    StampRevision();
    ClearContent();
    wrapper_.reset();
}

void THQVtesto::Assign(const THQVoggetto& other) {
    THQVoggetto::Assign(other);
    if (kind_ == testoHtml && U8(page_rec::kContentFormat) < 2 && content_) ConvertFormat1();
}

std::string THQVtesto::SourceName() const {
    if (!wrapper_) return "";
    ByteReader r(*wrapper_);
    int32_t n = r.i32();
    if (!r.ok() || n < 4) return "";
    int32_t len = r.i32();
    if (!r.ok() || len <= 0 || len > n - 4) return "";
    auto b = r.bytes(size_t(len));
    if (!r.ok()) return "";
    return std::string(reinterpret_cast<const char*>(b.data()), b.size());
}

void THQVtesto::ConvertFormat1() {
    if (U8(page_rec::kContentFormat) >= 2 || !content_) return;
    Bytes out = ConvertContentFormat1(*this, *content_);
    content_ = std::move(out);
    SetU8(page_rec::kContentFormat, 2);
}

}  // namespace ovik
