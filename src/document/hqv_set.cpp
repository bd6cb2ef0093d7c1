#include "document/hqv_set.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>
#include <unordered_set>

#include "core/byte_reader.h"
#include "core/codepage.h"
#include "core/file_names.h"
#include "document/format1.h"
#include "document/style_record.h"
#include "platform/host.h"
#include "platform/messages.h"

namespace ovik {

namespace fs = std::filesystem;

namespace {

uint32_t RandomBelow(uint32_t limit) {
    static std::mt19937 gen{std::random_device{}()};
    return std::uniform_int_distribution<uint32_t>(0, limit - 1)(gen);
}

std::string HexDigits(uint32_t v, int n) {
    static const char* d = "0123456789ABCDEF";
    std::string s(size_t(n), '0');
    for (int i = n - 1; i >= 0; --i) {
        s[size_t(i)] = d[v & 15];
        v >>= 4;
    }
    return s;
}

// A file's name as the hypertext stores it: Windows-1252, at most `max`
// characters, the extension kept when the name is cut.
std::string StoredFileName(const fs::path& path, size_t max) {
    std::string name = FilePart(cp1252::FromUtf8(path.filename().string()));
    if (name.size() <= max) return name;
    std::string ext = Extension(name);
    if (ext.size() >= max) return name.substr(0, max);
    return WithoutExtension(name).substr(0, max - ext.size()) + ext;
}

}  // namespace

THQVset::THQVset(platform::Messages& messages) : messages_(messages) {
    for (auto& l : lists_) l.reserve(0);
    NewHypertext();
}

THQVset::~THQVset() {
    ClearPictureCache();
    for (auto& l : lists_) l.clear();
    file_.reset();
    // The folder was made private by this set (mkdtemp); remove_all removes a
    // link inside it, never what the link points to.
    struct stat st;
    if (!fileName_.empty() && fileName_.parent_path() == tempFolder_) {
        // A save that could not overwrite its target left the document here.
        RemoveTempFiles();
    } else if (!tempFolder_.empty() && ::lstat(tempFolder_.c_str(), &st) == 0 &&
               S_ISDIR(st.st_mode)) {
        std::error_code ec;
        fs::remove_all(tempFolder_, ec);
    }
}

// --- lifecycle ---------------------------------------------------------------------

void THQVset::FillNewHeader() {
    header_.fill(0);
    std::memcpy(&header_[hdr::kMagic], "VOKS", 4);
    SetTitle("Senza titolo");
    header_[hdr::kOtherInfo] = 0;
    SetHdrStr(hdr::kAuthors, 79, cp1252::FromUtf8(platform::UserName()));
    header_[hdr::kHighestKind] = 26;
    PutU16(&header_[hdr::kVersion], 2);
    header_[hdr::kReadOnly] = 0;
    SetHdrI32(hdr::kContentsPage, 0);
    SetHdrI32(hdr::kCoverPage, 0);
    SetHdrI32(hdr::kRevision, 2);
    header_[hdr::kBtnCoverInv] = 1;
    header_[hdr::kNoButtons] = 1;
    SetHdrStr(hdr::kFixedFont, 39, "Courier New");
    SetHdrStr(hdr::kPropFont, 39, "Times New Roman");
    PutU16(&header_[hdr::kPixelsPerInch], uint16_t(ScreenPixelsPerInch));
    SetHdrI32(hdr::kDefaultHeader, -1);
    SetHdrI32(hdr::kDefaultFooter, -1);
    SetHdrI32(hdr::kCustomTree, 0);
    SetHdrI32(hdr::kBackColour, 0xC0C0C0);
    SetHdrI32(hdr::kBackPicture, -1);
    PutU16(&header_[hdr::kSpellLanguage], 1033);
    SetHdrI32(hdr::kTextColour, 0);
    SetHdrI32(hdr::kLinkColour, 0xFF0000);
    SetHdrI32(hdr::kVisitedColour, 0x0000FF);
}

void THQVset::NewHypertext() {
    if (OnBeforeNew) OnBeforeNew();
    ClearAll();
    FillNewHeader();
    CreateDefaultStyles();
    if (OnAfterNew) OnAfterNew();
    modified_ = false;
}

void THQVset::ClearAll() {
    for (LinkedView* v : std::vector<LinkedView*>(views_)) v->DropPage();
    ClearPictureCache();
    for (auto& l : lists_) l.clear();
    redirect_.clear();
    file_.reset();
    fileName_.clear();
    lock_.Release();
    readOnly_ = false;
    dataStart_ = 0;
    defaultStyles_ = {nullptr, nullptr};
    kindTable_ = {};
    unreadable_.clear();
    RemoveTempFiles();
}

void THQVset::CreateDefaultStyles() {
    const char* names[2] = {kNoStyleName, kNoTableStyleName};
    for (int i = 0; i < 2; ++i) {
        auto s = NewObject(stileParagrafo);
        s->SetName(names[i]);
        if (i == 1) {
            s->SetI16(style_rec::kLeft, 0);
            s->SetI16(style_rec::kRight, 0);
        }
        defaultStyles_[size_t(i)] = THQVoggetto::Register(s, -1);
    }
}

// --- reading -----------------------------------------------------------------------

bool THQVset::ReadHeader(const OpenFile& file) {
    if (file.Size() < kHeaderSize) return false;
    if (!file.ReadAt(0, header_.data(), kHeaderSize)) return false;
    std::string magic = cp1252::Upper(std::string(reinterpret_cast<char*>(&header_[0]), 4));
    if (magic != "VOKS") {
        messages_.Information("Formato sconosciuto.");
        return false;
    }
    int k = header_[hdr::kHighestKind];
    int version = Version();
    const std::string newer =
        "File non supportato dalla corrente versione del programma.\n"
        "Cerca una versione più recente del programma per aprire questo file.";
    if (version == 1) {
        if (k < 8) {
            messages_.Information(
                "Attenzione: file salvato con una versione del programma\ranteriore alla 0.98. "
                "Non più supportato. UNSUPPORTED\r");
            return false;
        }
        SetHdrStr(hdr::kAuthors, 79, "");
        SetHdrStr(hdr::kCopyright, 79, "");
        SetHdrStr(hdr::kCompany, 79, "");
        SetHdrStr(hdr::kPassword, 16, "");
        SetExpPrefix(PrefixFromFileName(cp1252::FromUtf8(file.Path().filename().string()), 8));
        SetHdrI32(hdr::kDefaultHeader, -1);
        SetHdrI32(hdr::kDefaultFooter, -1);
        SetHdrI32(hdr::kPageTree, 0);
        SetHdrI32(hdr::kCustomTree, 0);
        SetHdrI32(hdr::kBackColour, 0xC0C0C0);
        SetHdrI32(hdr::kTextColour, 0);
        SetHdrI32(hdr::kLinkColour, 0xFF0000);
        SetHdrI32(hdr::kVisitedColour, 0x0000FF);
        SetHdrI32(hdr::kBackPicture, -1);
        PutU16(&header_[hdr::kSpellLanguage], 1033);
    } else if (version > 2) {
        messages_.Error(newer);
        return false;
    }
    if (k > 26) {
        messages_.Error(newer);
        return false;
    }
    // Kind table and X: checked against the file before anything is believed.
    const uint64_t tableLen = 12ull * uint64_t(k + 1) + 4;
    if (tableLen > file.Size() - kHeaderSize) return false;
    Bytes table;
    if (!file.ReadAt(kHeaderSize, size_t(tableLen), table)) return false;
    ByteReader r(table);
    kindTable_ = {};
    for (int i = 0; i <= k; ++i) {
        KindTableEntry e;
        e.offset = r.i32("kind offset");
        e.recordSize = r.i32("record size");
        e.count = r.i32("count");
        kindTable_[size_t(i)] = e;
    }
    int32_t x = r.i32("records-area length");
    if (!r.ok()) return false;
    const uint64_t b = 1994ull + 12ull * uint64_t(k);
    if (x < 0 || uint64_t(x) > file.Size() - b) return false;
    for (int i = 0; i <= k; ++i) {
        const KindTableEntry& e = kindTable_[size_t(i)];
        if (e.offset < 0 || e.recordSize < 0 || e.count < 0 || e.count > kMaxObjectNumber)
            return false;
        if (e.count == 0) continue;
        if (e.recordSize == 0) return false;
        if (e.offset > x) return false;
        if (uint64_t(e.count) > uint64_t(x - e.offset) / uint64_t(e.recordSize)) return false;
    }
    dataStart_ = b + uint64_t(x);
    return true;
}

bool THQVset::ReadAllObjects(const OpenFile& file) {
    int k = std::min<int>(header_[hdr::kHighestKind], 26);
    const uint64_t b = 1994ull + 12ull * uint64_t(header_[hdr::kHighestKind]);
    // What the object table will cost, before anything is made: a record of a
    // byte still makes an object. A file whose kind table declares more
    // objects than its size can sensibly hold is refused rather than allowed
    // to take gigabytes.
    uint64_t cost = 0;
    for (int kind = 0; kind <= k && kind < none; ++kind) {
        const KindTableEntry& e = kindTable_[size_t(kind)];
        const uint64_t record = uint64_t(std::min<int64_t>(e.recordSize, kObjectRecordSize));
        cost += uint64_t(e.count) * (ObjectFootprint(uint8_t(kind)) + record);
    }
    if (cost > MaxOpeningMemory(file.Size())) {
        messages_.Information("Il file " + file.Path().string() + " è danneggiato: dichiara più "
                              "oggetti di quanti un file di " + std::to_string(file.Size()) +
                              " byte possa contenerne.");
        return false;
    }
    // The streams copied into memory may not add up to more than the data area:
    // in a sound file each stream has bytes of its own, so a stream named twice
    // (or a sum beyond the file) only comes from a damaged or crafted file.
    streamBudget_ = file.Size() > dataStart_ ? file.Size() - dataStart_ : 0;
    streamsInOrder_.clear();
    streamsOutOfOrder_.clear();
    streamsEnd_ = 0;
    auto done = [this](bool ok) {
        streamBudget_ = UINT64_MAX;
        std::vector<uint64_t>().swap(streamsInOrder_);
        std::unordered_set<uint64_t>().swap(streamsOutOfOrder_);
        return ok;
    };
    // The records are read a block at a time (ReadHeader has checked that X
    // lies inside the file and that every kind's records lie inside X).
    static constexpr uint64_t kBlock = 256 * 1024;
    Bytes block;
    for (int kind = 0; kind <= k; ++kind) {
        const KindTableEntry& e = kindTable_[size_t(kind)];
        // Kinds 25 and above hold nothing that can be fetched.
        if (kind >= none) continue;
        auto& list = lists_[size_t(kind)];
        list.reserve(size_t(e.count));
        const uint64_t size = uint64_t(e.recordSize);
        const uint64_t perBlock = std::max<uint64_t>(1, kBlock / std::max<uint64_t>(size, 1));
        for (int32_t j = 0; j < e.count; ++j) {
            const uint64_t inBlock = uint64_t(j) % perBlock;
            if (inBlock == 0) {
                const uint64_t n = std::min<uint64_t>(perBlock, uint64_t(e.count - j));
                if (!file.ReadAt(b + uint64_t(e.offset) + uint64_t(j) * size, size_t(n * size), block))
                    return done(false);
            }
            auto o = THQVoggetto::Create(this, uint8_t(kind));
            o->number_ = j;
            ReadRecord(*o, file, block.data() + inBlock * size, e.recordSize);
            o->registered_ = true;
            list.push_back(std::move(o));
        }
    }
    return done(true);
}

bool THQVset::FirstReadOfStream(uint64_t at, uint64_t len) {
    if (at >= streamsEnd_) {
        streamsInOrder_.push_back(at);
        streamsEnd_ = at + len;
        return true;
    }
    if (std::binary_search(streamsInOrder_.begin(), streamsInOrder_.end(), at)) return false;
    return streamsOutOfOrder_.insert(at).second;
}

uint64_t THQVset::ObjectFootprint(uint8_t kind) {
    // The object, its place in the list and the allocator's bookkeeping.
    return (kind == testoHtml ? sizeof(THQVtesto) : sizeof(THQVoggetto)) + sizeof(void*) + 32;
}

uint64_t THQVset::MaxOpeningMemory(uint64_t fileSize) {
    return 16 * fileSize + (uint64_t(16) << 20);
}

std::string THQVset::UnreadableObjectsText() const {
    if (unreadable_.empty()) return "";
    std::string list;
    size_t shown = 0;
    for (int32_t id : unreadable_) {
        if (shown == 40) {
            list += ", e altri " + std::to_string(unreadable_.size() - shown);
            break;
        }
        if (shown++) list += ", ";
        const THQVoggetto* o = GetObjectById(id);
        if (IdKind(id) == testoHtml) {
            list += "pagina " + std::to_string(IdNumber(id));
            if (o) list += " \"" + cp1252::ToUtf8(static_cast<const THQVtesto*>(o)->Title()) + "\"";
        } else {
            list += std::string(KindName(IdKind(id))) + " " + std::to_string(IdNumber(id));
            if (o && !o->Name().empty()) list += " \"" + cp1252::ToUtf8(o->Name()) + "\"";
        }
    }
    return "Il file " + fileName_.string() +
           " è danneggiato: questi oggetti non si sono potuti leggere e risultano vuoti: " +
           list + ".";
}

void THQVset::ReadRecord(THQVoggetto& o, const OpenFile& file, const uint8_t* record, int32_t recordSize) {
    size_t n = size_t(std::min<int64_t>(recordSize, int64_t(kObjectRecordSize)));
    o.rec_.Assign(record, n);
    const int32_t prevRevision = Revision() - 1;
    switch (o.kind_) {
        case testoHtml:
            if (recordSize < 243) {
                o.SetU16(page_rec::kLanguage, 1040);
                o.SetU8(page_rec::kContentFormat, 1);
                o.SetI32(page_rec::kRevision, prevRevision);
                o.SetStr(page_rec::kContextName, 20, "");
                o.SetI16(page_rec::kSlideDelay, 5);
                o.SetI32(page_rec::kReserved223, -1);
                o.SetI32(page_rec::kSlideTarget, -1);
                o.SetI32(page_rec::kHeaderPage, -1);
                o.SetI32(page_rec::kFooterPage, -1);
            }
            break;
        case internetLink:
            if (o.State() < 5 || o.State() > 8) {
                std::string a = o.Name();
                if (a.rfind("ovik:", 0) == 0) o.SetState(6);
                if (a.rfind("http:", 0) == 0) o.SetState(7);
                if (a.rfind("mailto:", 0) == 0) o.SetState(8);
            }
            break;
        case zipLink:
        case genLink:
            if (recordSize < 93) {
                o.SetI32(89, prevRevision);
                o.SetStr(5, 79, UniqueEmbeddedName(o.Str(5, 79)));
            }
            break;
        case immagine:
            if (recordSize < 667) {
                o.SetStr(94, 75, UniqueEmbeddedName(o.Str(94, 75)));
                o.SetI32(662, -1);
                o.SetU8(666, 0);
                o.SetI32(77, prevRevision);
            }
            break;
        case mappaClic: o.SetStr(94, 75, UniqueEmbeddedName(o.Str(94, 75))); break;
        case tabellaHtml:
            if (recordSize < 220) {
                uint8_t widths[50];
                o.rec_.Copy(97, 50, widths);
                o.SetU8(219, 1);
                o.SetI16(56, 300);
                for (size_t c = 0; c < 50; ++c) o.SetU8(5 + c, 0);
                for (size_t c = 0; c < 50; ++c) o.SetI16(97 + 2 * c, widths[c]);
                o.SetU8(55, 1);
            }
            break;
        case bottoneCGI:
            if (recordSize < 195) o.SetU16(186, 0xFFFF);
            break;
        case multiMedia:
            if (o.State() != 5 && o.State() != 6 && o.I32(17) != -1)
                o.SetI32(17, int32_t(uint32_t(o.I32(17)) | 0x3000000u));
            break;
        case stileParagrafo:
            // The attribute block runs to byte 114 but only 103 bytes are stored:
            // its tail is always zero, so equal styles stay equal after a save.
            for (size_t i = 103; i < 115; ++i) o.SetU8(i, 0);
            break;
        default: break;
    }

    // Streams.
    if (o.HasContent()) {
        messages_.Information("Errore, oggetto non risulta libero!");
        return;
    }
    if (o.IsFree()) return;
    const uint64_t fileSize = file.Size();
    auto inside = [&](int64_t pos, int64_t len) {
        if (pos < 0 || len <= 0) return false;
        if (dataStart_ > fileSize || uint64_t(pos) > fileSize - dataStart_) return false;
        return uint64_t(len) <= fileSize - dataStart_ - uint64_t(pos);
    };
    bool unreadable = false;
    // A stream copied into memory: inside the file, not named before, within
    // what is left of the budget. Anything else leaves it absent.
    auto readStream = [&](int64_t pos, int64_t len, std::optional<Bytes>& into) {
        if (pos < 0 || len <= 0) return;
        const uint64_t at = dataStart_ + uint64_t(pos);
        if (!inside(pos, len) || uint64_t(len) > streamBudget_ ||
            (streamBudget_ != UINT64_MAX && !FirstReadOfStream(at, uint64_t(len)))) {
            unreadable = true;
            return;
        }
        Bytes data;
        if (!file.ReadAt(at, size_t(len), data)) {
            unreadable = true;
            return;
        }
        if (streamBudget_ != UINT64_MAX) streamBudget_ -= uint64_t(len);
        into = std::move(data);
    };
    int64_t cpos = o.RecordContentPos(), clen = o.RecordContentLen();
    if (o.kind_ == multiMedia && cpos == -1) cpos = 0;
    if (ContentStaysInFile(o.kind_)) {
        // Picture and file bytes stay in the file: nothing is copied.
        if (cpos >= 0 && clen > 0) {
            if (inside(cpos, clen)) o.SetContentInFile(file_, dataStart_ + uint64_t(cpos), uint64_t(clen));
            else unreadable = true;
        }
    } else {
        readStream(cpos, clen, o.content_);
    }
    readStream(o.RecordWrapperPos(), o.RecordWrapperLen(), o.wrapper_);
    if (o.kind_ == mappaFrame) readStream(o.I32(kFrameLayoutBlockPos), o.I32(kFrameLayoutBlockLen), o.layoutBlock_);
    if (unreadable) unreadable_.push_back(o.Id());
}

void THQVset::ConvertVersion1() {
    for (uint8_t from : {mappaClic, zipLink}) {
        uint8_t to = from == mappaClic ? immagine : genLink;
        auto& list = lists_[from];
        for (size_t i = 0; i < list.size(); ++i) {
            THQVoggetto* o = list[i].get();
            if (!o) continue;
            bool isFree = from == mappaClic ? o->State() == 3 : o->State() == 5;
            if (isFree) continue;
            int32_t oldId = o->Id();
            int32_t oldNumber = o->Number();
            std::unique_ptr<THQVoggetto> owned = o->SetKind(to);
            THQVoggetto* reg = THQVoggetto::Register(owned, -1);
            if (!reg) continue;
            if (to == immagine) {
                reg->SetI32(662, oldNumber);
                reg->SetU8(666, 0);
                reg->SetI32(77, Revision() - 1);
            } else {
                reg->SetI32(89, Revision() - 1);
            }
            redirect_[oldId] = reg->Id();
        }
        list.clear();
    }
}

// --- writing -------------------------------------------------------------------------

namespace {

// Buffered writes to a file descriptor; the first failure sticks.
class FdWriter {
public:
    explicit FdWriter(int fd) : fd_(fd) { buf_.reserve(kCap); }
    ~FdWriter() { Flush(); }
    bool ok() const { return ok_; }
    void Write(const void* p, size_t n) {
        if (!ok_) return;
        auto* c = static_cast<const uint8_t*>(p);
        if (buf_.size() + n > kCap) {
            Flush();
            if (n >= kCap) {
                Raw(c, n);
                return;
            }
        }
        buf_.insert(buf_.end(), c, c + n);
    }
    void Write(const Bytes& b) { Write(b.data(), b.size()); }
    void I32(int32_t v) {
        uint8_t t[4];
        PutI32(t, v);
        Write(t, 4);
    }
    bool Flush() {
        if (ok_ && !buf_.empty()) Raw(buf_.data(), buf_.size());
        buf_.clear();
        return ok_;
    }
    int fd() const { return fd_; }
    void Fail() { ok_ = false; }
    // The errno of the failed write (ENOSPC when the disk took nothing).
    int Error() const { return err_; }

private:
    static constexpr size_t kCap = 1 << 20;
    void Raw(const uint8_t* p, size_t n) {
        while (ok_ && n > 0) {
            ssize_t w = ::write(fd_, p, n);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) {
                err_ = w < 0 ? errno : ENOSPC;
                ok_ = false;
                break;
            }
            p += w;
            n -= size_t(w);
        }
    }
    int fd_;
    Bytes buf_;
    bool ok_ = true;
    int err_ = 0;
};

// One stream to be laid down in the data area.
struct StreamOut {
    const THQVoggetto* obj = nullptr;
    enum Source { Memory, OpenFileBytes, External } source = Memory;
    const Bytes* mem = nullptr;
    uint64_t length = 0;
};

}  // namespace

bool THQVset::WriteHypertext(const fs::path& path, int version, const fs::path& nameForHeader) {
    std::vector<std::string>& errors = errors_;
    const std::string target = cp1252::FromUtf8(nameForHeader.filename().string());

    // 1. The header, updated on a copy: the set's own changes only when the save
    // has succeeded.
    std::array<uint8_t, kHeaderSize> h = header_;
    h[hdr::kHighestKind] = kWrittenHighestKind;
    PutU16(&h[hdr::kVersion], uint16_t(version));
    PutI32(&h[hdr::kRevision], Revision() + 1);
    PutU16(&h[hdr::kPixelsPerInch], uint16_t(ScreenPixelsPerInch));
    if (GetShortString(&h[hdr::kExpPrefix], 16).empty())
        PutShortString(&h[hdr::kExpPrefix], 16, PrefixFromFileName(target, 16));
    if (GetShortString(&h[hdr::kTitle], 79) == "Senza titolo")
        PutShortString(&h[hdr::kTitle], 79, WithoutExtension(target) + ".");

    // 2. Plan: every object's record with its new stream places, and the streams
    // in data-area order. Lengths are known before anything is written, so the
    // file is written front to back in one pass.
    std::vector<StreamOut> streams;
    Bytes records;
    std::array<KindTableEntry, kWrittenHighestKind + 1> table{};
    uint64_t dataLen = 0;
    auto place = [&](const THQVoggetto* o, StreamOut::Source src, const Bytes* mem,
                     uint64_t len) -> int32_t {
        int32_t pos = int32_t(dataLen);
        if (len > 0) {
            streams.push_back({o, src, mem, len});
            dataLen += len;
        }
        return pos;
    };
    for (int kind = 0; kind <= kWrittenHighestKind; ++kind) {
        auto& list = lists_[size_t(kind)];
        int32_t size = kRecordSize[kind];
        table[size_t(kind)] = {int32_t(records.size()), size,
                               size == 0 ? 0 : int32_t(list.size() & 0xFFFFFF)};
        if (size == 0) continue;
        for (auto& up : list) {
            THQVoggetto* o = up.get();
            std::array<uint8_t, kObjectRecordSize> rec;
            if (!o) {
                rec.fill(0xFF);
                records.insert(records.end(), rec.begin(), rec.begin() + size);
                continue;
            }
            if (!o->IsFree()) {
                if (kind == testoHtml) static_cast<THQVtesto*>(o)->ConvertFormat1();
                const ObjectRecord saved = o->rec_;
                auto contentPlace = [&]() {
                    if (o->content_) return place(o, StreamOut::Memory, &*o->content_, o->content_->size());
                    if (o->contentFile_) return place(o, StreamOut::OpenFileBytes, nullptr, o->contentLen_);
                    if (ContentStaysInFile(o->kind_) && !o->externalFile_.empty()) {
                        std::error_code ec;
                        uint64_t n = fs::file_size(o->externalFile_, ec);
                        if (ec) {
                            errors.push_back("Errore nell'apertura file: " + fileName_.string());
                            return int32_t(dataLen);
                        }
                        return place(o, StreamOut::External, nullptr, n);
                    }
                    return int32_t(dataLen);
                };
                auto wrapperPlace = [&]() {
                    int32_t len = o->wrapper_ ? int32_t(o->wrapper_->size()) : 0;
                    int32_t pos = place(o, StreamOut::Memory, o->wrapper_ ? &*o->wrapper_ : nullptr, uint64_t(len));
                    o->SetRecordWrapperPlace(pos, len);
                };
                auto sf = StreamFieldsOf(o->kind_);
                if (kind == mappaFrame) {
                    int32_t llen = o->layoutBlock_ ? int32_t(o->layoutBlock_->size()) : 0;
                    int32_t lpos = place(o, StreamOut::Memory, o->layoutBlock_ ? &*o->layoutBlock_ : nullptr, uint64_t(llen));
                    o->SetI32(kFrameLayoutBlockPos, lpos);
                    o->SetI32(kFrameLayoutBlockLen, llen);
                }
                if (sf.contentPos >= 0) {
                    uint64_t before = dataLen;
                    int32_t pos = contentPlace();
                    uint64_t len = dataLen - before;
                    if (kind == tabellaHtml && len >= 32768) {
                        errors.push_back("Tabella " + std::to_string(o->Number()) +
                                         ": celle troppo lunghe (" + std::to_string(len) +
                                         " byte, al massimo 32767).");
                    }
                    if (len > 0x7FFFFFFF) {
                        errors.push_back("File troppo grande: " + o->FileName());
                    }
                    o->SetRecordContentPlace(pos, int32_t(len));
                    if (kind == tabellaHtml && len == 0 && o->I32(81) != 0) o->SetI16(85, 0);
                }
                if (sf.wrapperPos >= 0) wrapperPlace();
                o->rec_.Copy(0, size_t(size), rec.data());
                o->rec_ = saved;  // the set keeps the places of the open file
            } else {
                o->rec_.Copy(0, size_t(size), rec.data());
            }
            records.insert(records.end(), rec.begin(), rec.begin() + size);
        }
    }
    if (dataLen > 0x7FFFFFFFull)
        errors.push_back("Errore nella scrittura file " + nameForHeader.string() +
                         ": l'ipertesto supera i 2 GB che il formato può contenere.");
    if (!errors.empty()) return false;

    // 3. Write: header, kind table, X, records, data area. Every failure names
    // the file being saved and the system's reason.
    auto writeError = [&](int err) {
        return "Errore nella scrittura file " + nameForHeader.string() + ": " +
               SystemReason(err != 0 ? err : EIO);
    };
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        errors.push_back(writeError(errno));
        return false;
    }
    bool ok = true;
    {
        FdWriter w(fd);
        w.Write(h.data(), h.size());
        for (auto& e : table) {
            w.I32(e.offset);
            w.I32(e.recordSize);
            w.I32(e.count);
        }
        w.I32(int32_t(records.size()));
        w.Write(records);
        for (auto& s : streams) {
            if (!w.ok()) break;
            switch (s.source) {
                case StreamOut::Memory: w.Write(s.mem->data(), s.mem->size()); break;
                case StreamOut::OpenFileBytes: {
                    w.Flush();
                    bool writeFailed = false;
                    errno = 0;
                    if (w.ok() && !s.obj->contentFile_->CopyTo(s.obj->contentPos_, s.length, fd, &writeFailed)) {
                        errors.push_back(writeFailed ? writeError(errno)
                                                     : "Errore nell'apertura file: " + fileName_.string());
                        w.Fail();
                    }
                    break;
                }
                case StreamOut::External: {
                    Bytes data;
                    if (!s.obj->ReadContent(data) || data.size() != s.length) {
                        errors.push_back("Errore nell'apertura file: " + s.obj->externalFile_.string());
                        w.Fail();
                    } else {
                        w.Write(data);
                    }
                    break;
                }
            }
        }
        if (!w.Flush() && errors.empty()) errors.push_back(writeError(w.Error()));
        ok = w.ok();
    }
    if (ok && ::fsync(fd) != 0) {
        errors.push_back(writeError(errno));
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        errors.push_back(writeError(errno));
        ok = false;
    }
    if (!ok) {
        if (::truncate(path.c_str(), 0) != 0) { /* the caller removes it */ }
        return false;
    }
    header_ = h;
    header_[hdr::kHighestKind] = 26;
    modified_ = false;
    return true;
}

std::string THQVset::ReadForeignTitle(const fs::path& name, int32_t id) {
    if (id < 0) return "";
    auto f = OpenFile::Open(name);
    if (!f) return "";
    uint8_t head[kHeaderSize + 16];
    if (!f->ReadAt(0, head, kHeaderSize + 12)) return "";
    if (GetU16(&head[hdr::kVersion]) > 2) return "";
    int k = head[hdr::kHighestKind];
    int32_t offset = GetI32(&head[kHeaderSize]);
    int32_t size = GetI32(&head[kHeaderSize + 4]);
    int32_t count = GetI32(&head[kHeaderSize + 8]);
    if (IdKind(id) != 0 || IdNumber(id) >= count || offset < 0 || size <= 5) return "";
    uint64_t at = 1994ull + 12ull * uint64_t(k) + uint64_t(offset) +
                  uint64_t(IdNumber(id)) * uint64_t(size);
    uint8_t rec[kObjectRecordSize];
    std::memset(rec, 0xFF, sizeof rec);
    size_t n = std::min<size_t>(size_t(size), kObjectRecordSize);
    if (!f->ReadAt(at, rec, n)) return "";
    return GetShortString(&rec[5], std::min<size_t>(71, n - 6));
}

// --- header ------------------------------------------------------------------------

std::string THQVset::OtherInfo() const {
    const char* p = reinterpret_cast<const char*>(&header_[hdr::kOtherInfo]);
    size_t n = strnlen(p, hdr::kOtherInfoLen - 1);
    return std::string(p, n);
}

void THQVset::SetOtherInfo(std::string_view text) {
    size_t n = std::min(text.size(), hdr::kOtherInfoLen - 1);
    std::memset(&header_[hdr::kOtherInfo], 0, hdr::kOtherInfoLen);
    std::memcpy(&header_[hdr::kOtherInfo], text.data(), n);
}

std::string THQVset::ReadOnlyPassword() const {
    if (!ReadOnlyFlag()) return ".";
    if (Version() <= 1) return "";
    return HdrStr(hdr::kPassword, 16);
}

// --- object table --------------------------------------------------------------------

int32_t THQVset::ObjectCount(uint8_t kind) const {
    if (kind > none) return 0;
    return int32_t(lists_[kind].size());
}

THQVoggetto* THQVset::GetObject(int kind, int64_t number) const {
    if (number < 0 || number > kMaxObjectNumber || kind < 0 || kind >= none) return nullptr;
    if (kind == zipLink || kind == mappaClic) {
        auto it = redirect_.find(MakeId(uint8_t(kind), int32_t(number)));
        if (it != redirect_.end()) {
            kind = IdKind(it->second);
            number = IdNumber(it->second);
        }
    }
    auto& list = lists_[size_t(kind)];
    if (uint64_t(number) >= list.size()) return nullptr;
    return list[size_t(number)].get();
}

int32_t THQVset::StoreObject(uint8_t kind, int32_t number, std::unique_ptr<THQVoggetto>& o) {
    if (kind >= kKindCount || !o) return -1;
    auto& list = lists_[kind];
    if (number < 0 || number > kMaxObjectNumber) {
        size_t i = 0;
        while (i < list.size() && !(list[i] && list[i]->IsFree())) ++i;
        if (i == list.size()) {
            list.push_back(std::move(o));
            return int32_t(list.size() - 1);
        }
        number = int32_t(i);
    }
    THQVoggetto* obj = o.get();
    int32_t result;
    if (size_t(number) >= list.size()) {
        list.push_back(std::move(o));
        result = int32_t(list.size() - 1);
    } else {
        auto& slot = list[size_t(number)];
        if (!slot) return -1;
        if (slot.get() != obj) {
            slot->MakeFree();
            slot = std::move(o);
        } else {
            o.release();
        }
        result = number;
    }
    obj->registered_ = true;
    modified_ = true;
    return result;
}

std::unique_ptr<THQVoggetto> THQVset::ReleaseSlot(uint8_t kind, int32_t number) {
    if (kind >= kKindCount || number < 0) return nullptr;
    auto& list = lists_[kind];
    if (size_t(number) >= list.size()) return nullptr;
    return std::move(list[size_t(number)]);
}

std::unique_ptr<THQVoggetto> THQVset::NewObject(uint8_t kind) {
    auto o = THQVoggetto::Create(this, kind);
    o->MakeFree();
    o->InitNew();
    return o;
}

THQVoggetto* THQVset::AddNewObject(uint8_t kind) {
    auto o = NewObject(kind);
    return THQVoggetto::Register(o, -1);
}

THQVoggetto* THQVset::PageFrameLayout(int32_t page) const {
    THQVoggetto* p = GetObject(testoHtml, page);
    if (!p) return nullptr;
    int32_t n = p->I32(page_rec::kFrameLayout);
    if (n < 0 || n > kMaxObjectNumber) return nullptr;
    return GetObject(mappaFrame, n);
}

THQVoggetto* THQVset::FindEqualObject(const THQVoggetto& o) const {
    if (o.Kind() >= none) return nullptr;
    for (auto& c : lists_[o.Kind()])
        if (c && c.get() != &o && c->SameContent(o)) return c.get();
    return nullptr;
}

THQVoggetto* THQVset::EqualOrRegistered(std::unique_ptr<THQVoggetto>& o) {
    if (THQVoggetto* equal = FindEqualObject(*o)) return equal;
    return THQVoggetto::Register(o, -1);
}

THQVoggetto* THQVset::FindByName(const THQVoggetto& o) const {
    if (o.Kind() >= none) return nullptr;
    std::string name = o.Name();
    for (auto& c : lists_[o.Kind()])
        if (c && !c->IsFree() && cp1252::EqualNoCase(c->Name(), name)) return c.get();
    return nullptr;
}

std::unique_ptr<THQVoggetto> THQVset::NewInternetLink(std::string_view address) {
    auto l = NewObject(internetLink);
    l->SetName(address);
    uint8_t state = 4;
    if (address.rfind("ovik:", 0) == 0) state = 6;
    else if (address.rfind("http:", 0) == 0) state = 7;
    else if (address.rfind("mailto:", 0) == 0) state = 8;
    l->SetState(state);
    return l;
}

int THQVset::ImportCustomObject(const THQVoggetto& o, THQVoggetto*& r, bool replace) {
    int result = 0;
    r = nullptr;
    std::string upName = cp1252::Upper(o.Name());
    for (auto& c : lists_[custom]) {
        if (c && !c->IsFree() && cp1252::Upper(c->Name()) == upName) {
            r = c.get();
            result = 1;
            break;
        }
    }
    if (r && !replace) return result;
    if (!r) r = AddNewObject(custom);
    if (!r) return result;
    Bytes content;
    if (!o.HasContent() || !o.ReadContent(content)) return result;
    std::vector<int32_t> ids;
    size_t rest = 0;
    if (content.size() > 3) {
        ByteReader rd(content);
        int32_t n = rd.i32();
        size_t count = n > 0 ? size_t(n) / 4 : 0;
        bool anyMissing = false;
        for (size_t i = 0; i < count && rd.ok(); ++i) {
            int32_t id = rd.i32();
            if (!rd.ok()) break;
            if (id == 0) {
                ids.push_back(0);
                continue;
            }
            THQVoggetto* src = o.Owner() ? o.Owner()->GetObjectById(id) : nullptr;
            THQVoggetto* mine = src ? FindByName(*src) : nullptr;
            if (mine) {
                ids.push_back(mine->Id());
                result = 3;
            } else if (src) {
                auto copy = NewObject(genLink);
                copy->SetName(src->Name());
                fs::path tmp = UniqueTempName(fs::path(SafeFileName(src->FileName())));
                if (src->ExtractToFile(tmp)) copy->SetExternalFile(tmp);
                THQVoggetto* reg = THQVoggetto::Register(copy, -1);
                ids.push_back(reg ? reg->Id() : 0);
                anyMissing = true;
            } else {
                ids.push_back(0);
                anyMissing = true;
            }
        }
        if (anyMissing) result = 2;
        rest = rd.ok() ? rd.offset() : content.size();
    }
    Bytes out;
    AppendI32(out, int32_t(ids.size() * 4));
    for (int32_t id : ids) AppendI32(out, id);
    out.insert(out.end(), content.begin() + std::ptrdiff_t(rest), content.end());
    r->SetContent(std::move(out));
    if (o.Wrapper()) r->SetWrapper(*o.Wrapper());
    else r->ClearWrapper();
    uint8_t head[80];
    o.rec_.Copy(0, sizeof head, head);
    r->WriteRecordBytes(0, head, sizeof head);
    return result;
}

void THQVset::CustomObjectsUsing(const THQVoggetto& o, std::vector<THQVoggetto*>& list) const {
    int32_t id = o.Id();
    for (auto& c : lists_[custom]) {
        if (!c || c->IsFree() || !c->MemContent()) continue;
        const Bytes& b = *c->MemContent();
        ByteReader rd(b);
        int32_t n = rd.i32();
        size_t count = n > 0 ? size_t(n) / 4 : 0;
        for (size_t i = 0; i < count && rd.ok(); ++i) {
            if (rd.i32() == id && rd.ok()) {
                list.push_back(c.get());
                break;
            }
        }
    }
}

THQVoggetto* THQVset::MarkerTree(size_t field) {
    int32_t id = HdrI32(field);
    if (id != 0) {
        THQVoggetto* o = GetObjectById(id);
        if (o && o->Kind() == shortObj) return o;
    }
    auto m = NewObject(shortObj);
    m->SetState(10);
    THQVoggetto* reg = THQVoggetto::Register(m, -1);
    if (reg) SetHdrI32(field, reg->Id());
    return reg;
}

THQVoggetto* THQVset::PageTreeObject() { return MarkerTree(hdr::kPageTree); }
THQVoggetto* THQVset::CustomTreeObject() { return MarkerTree(hdr::kCustomTree); }

THQVtesto* THQVset::FindPageBySourceName(std::string_view name) const {
    std::string up = cp1252::Upper(name);
    for (auto& p : lists_[testoHtml]) {
        if (!p || p->IsFree()) continue;
        auto* t = static_cast<THQVtesto*>(p.get());
        if (cp1252::Upper(t->SourceName()) == up) return t;
    }
    return nullptr;
}

// --- styles ----------------------------------------------------------------------------

int32_t THQVset::StyleIndex(std::string_view name) const {
    auto& l = lists_[stileParagrafo];
    for (size_t i = 0; i < l.size(); ++i)
        if (l[i] && !l[i]->IsFree() && cp1252::EqualNoCase(l[i]->Name(), name)) return int32_t(i);
    return -1;
}

std::string THQVset::UniqueStyleName(std::string_view name) const {
    if (!StyleExists(name)) return std::string(name);
    for (int n = 1;; ++n) {
        std::string candidate = std::string(name) + " " + std::to_string(n);
        if (!StyleExists(candidate)) return candidate;
    }
}

std::vector<std::string> THQVset::StyleNames() const {
    std::vector<std::string> names;
    for (auto& s : lists_[stileParagrafo])
        if (s && !s->IsFree()) names.push_back(s->Name());
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return cp1252::Upper(a) < cp1252::Upper(b);
    });
    return names;
}

THQVoggetto* THQVset::FindStyle(std::string_view name) const {
    std::string up = cp1252::Upper(name);
    for (auto& s : lists_[stileParagrafo])
        if (s && !s->IsFree() && cp1252::Upper(s->Name()) == up) return s.get();
    return nullptr;
}

void THQVset::FixStyleNames() {
    auto& l = lists_[stileParagrafo];
    for (size_t i = 0; i < l.size(); ++i) {
        if (!l[i] || l[i]->IsFree()) continue;
        int32_t first = StyleIndex(l[i]->Name());
        if (first >= 0 && size_t(first) < i) l[i]->SetName(UniqueStyleName(l[i]->Name()));
    }
}

// --- files -----------------------------------------------------------------------------

fs::path THQVset::TempFolder() {
    // The folder is made by mkdtemp: a new folder of a random name, private to
    // the user (0700), never one that was there before (a folder or a link
    // someone planted under a name they guessed). When it has gone meanwhile a
    // new one is made the same way.
    if (!tempFolder_.empty()) {
        struct stat st;
        if (::lstat(tempFolder_.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
            st.st_uid == ::geteuid())
            return tempFolder_;
        tempFolder_.clear();
        tempFiles_.clear();
    }
    std::string pattern =
        (platform::TemporaryFolder() / (std::string(kTempFolderPrefix) +
                                        HexDigits(uint32_t(::getpid()), 8) + "_XXXXXX"))
            .string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back(0);
    if (::mkdtemp(name.data()) == nullptr) {
        messages_.Error("Impossibile creare la cartella temporanea " + pattern + ": " +
                        SystemReason(errno));
        return {};
    }
    tempFolder_ = fs::path(name.data());
    return tempFolder_;
}

bool THQVset::IsOwnTempFile(const fs::path& path) const {
    if (tempFolder_.empty() || path.empty()) return false;
    // The file itself, not what a link there points to; inside the folder,
    // not in a subfolder of it or beside it.
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    std::error_code ec;
    fs::path folder = fs::canonical(tempFolder_, ec);
    if (ec) return false;
    fs::path parent = fs::canonical(fs::absolute(path, ec).parent_path(), ec);
    return !ec && parent == folder;
}

void THQVset::RemoveTempFiles() {
    if (tempFolder_.empty()) return;
    struct stat st;
    if (::lstat(tempFolder_.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        tempFiles_.clear();
        return;
    }
    // Only names this set handed out, each unlinked as a name (a link there is
    // removed, what it points to is not touched).
    for (const fs::path& f : tempFiles_) ::unlink(f.c_str());
    tempFiles_.clear();
}

fs::path THQVset::UniqueTempName(const fs::path& path) {
    fs::path folder = TempFolder();
    if (folder.empty()) return {};
    std::string file = SafeFileName(cp1252::FromUtf8(path.filename().string()));
    fs::path candidate = folder / file;
    std::error_code ec;
    std::string ext = Extension(file);
    while (fs::exists(fs::symlink_status(candidate, ec)) || tempFiles_.count(candidate)) {
        candidate = folder / ("re" + HexDigits(RandomBelow(4096), 3) +
                              HexDigits(RandomBelow(4096), 3) + ext);
    }
    tempFiles_.insert(candidate);
    return candidate;
}

std::string THQVset::UniqueEmbeddedName(std::string_view name, const THQVoggetto* ignore) const {
    std::string file = FilePart(name);
    std::string ext = Extension(file);
    auto clash = [this, ignore](const std::string& f) {
        for (uint8_t k : {genLink, immagine})
            for (auto& o : lists_[k])
                if (o && o.get() != ignore && cp1252::EqualNoCase(o->FileName(), f)) return true;
        return false;
    };
    while (clash(file)) file = "ed" + HexDigits(RandomBelow(0xFFFFFF), 6) + ext;
    return file;
}

}  // namespace ovik

namespace ovik {

// --- objects made from files --------------------------------------------------------

THQVoggetto* THQVset::AddEmbeddedFile(const fs::path& path, std::unique_ptr<THQVoggetto> o) {
    if (!o) o = THQVoggetto::Create(this, genLink);
    if (o->registered_) {
        // Owned by the set already: the unique pointer must not delete it.
        THQVoggetto* reg = o.release();
        return AddEmbeddedFile(path, *reg);
    }
    THQVoggetto& ref = *o;
    return EmbedFile(path, ref, std::move(o));
}

THQVoggetto* THQVset::AddEmbeddedFile(const fs::path& path, THQVoggetto& registered) {
    return EmbedFile(path, registered, nullptr);
}

THQVoggetto* THQVset::EmbedFile(const fs::path& path, THQVoggetto& o,
                                std::unique_ptr<THQVoggetto> owned) {
    std::string why;
    auto source = OpenFile::Open(path, &why);
    if (!source) {
        messages_.Error("Errore nella lettura file:" + path.string() + " (" + why + ")");
        return nullptr;
    }
    // Content lengths are 32-bit in the file: a larger file could not be saved.
    if (source->Size() > uint64_t(INT32_MAX)) {
        messages_.Error("File troppo grande per un ipertesto (oltre 2 GB): " + path.string());
        return nullptr;
    }
    // The copy is made first: until it is complete the object keeps its old
    // file, so a failed copy loses nothing.
    std::string stored = UniqueEmbeddedName(StoredFileName(path, 79), &o);
    fs::path temp = UniqueTempName(fs::path(cp1252::ToUtf8(stored)));
    if (temp.empty() || !CopyOpenFile(*source, temp, &why)) {
        messages_.Error("Lo spazio su HD potrebbe essere insufficiente! Errore nella scorporazione "
                        "file: " + (temp.empty() ? path.string() : why));
        return nullptr;
    }
    std::error_code ec;
    if (!o.registered_) {
        o.SetKind(genLink);
        o.owner_ = this;
    } else if (!o.externalFile_.empty() && !SameFile(o.externalFile_, path) &&
               IsOwnTempFile(o.externalFile_)) {
        // The old copy is the set's own; a file elsewhere is never deleted.
        fs::remove(o.externalFile_, ec);
    }
    o.MakeFree();
    o.InitNew();
    o.SetExternalFile(temp);
    o.SetName(stored);
    o.SetState(4);
    if (owned) return THQVoggetto::Register(owned, -1);
    return &o;
}

THQVset::NewOrExisting THQVset::AddPictureBytes(std::string_view fileName, Bytes content,
                                                bool transparent, int height, int width) {
    auto o = NewObject(immagine);
    std::string file = FilePart(fileName);
    o->SetFileName(file);
    o->SetName(WithoutExtension(file));
    o->SetState(cp1252::Lower(Extension(file)) == ".gif" ? 0 : 1);
    o->SetI32(170, transparent ? -1 : -2);
    o->SetI32(174, int32_t(content.size()));
    o->SetU16(85, uint16_t(std::clamp(width, 0, 0xFFFF)));
    o->SetU16(87, uint16_t(std::clamp(height, 0, 0xFFFF)));
    o->SetI32(662, -1);
    o->SetU8(666, 0);
    o->SetContent(std::move(content));
    return EqualOrNew(std::move(o));
}

THQVset::NewOrExisting THQVset::EqualOrNew(std::unique_ptr<THQVoggetto> o) const {
    NewOrExisting r;
    if (THQVoggetto* equal = FindEqualObject(*o)) {
        r.object = equal;  // `o` is dropped
        return r;
    }
    r.object = o.get();
    r.owned = std::move(o);
    return r;
}

THQVset::NewOrExisting THQVset::AddPictureData(const fs::path& path, bool transparent, int height,
                                               int width) {
    Bytes data;
    if (!ReadRegularFile(path, data)) return {};
    return AddPictureBytes(StoredFileName(path, 75), std::move(data), transparent, height, width);
}

THQVoggetto* THQVset::AddPictureFile(const fs::path& path, const BitmapConversion& bitmaps,
                                     std::string* why) {
    auto refuse = [&](std::string reason) -> THQVoggetto* {
        if (why) *why = std::move(reason);
        return nullptr;
    };
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return refuse("not a regular file");
    std::string stored = StoredFileName(path, 75);
    const std::string ext = cp1252::Lower(Extension(stored));
    PictureResult decoded;
    Bytes data;
    if (ext == ".bmp" || ext == ".png" || ext == ".gif" || ext == ".jpeg" || ext == ".jpg" ||
        ext == ".wmf" || ext == ".emf") {
        std::string reason;
        if (!ReadRegularFile(path, data, &reason)) return refuse(reason);
    } else {
        return refuse("only .gif, .jpg, .jpeg, .wmf, .emf, .bmp and .png files are pictures");
    }
    if (ext == ".bmp" || ext == ".png") {
        // Bitmaps are never stored as they are: they go through the conversion
        // of a pasted bitmap (GIF by default).
        PictureResult bitmap = ext == ".bmp" ? DecodeBmp(data) : DecodePng(data);
        if (!bitmap) return refuse(bitmap.error);
        ConvertedBitmap converted = ConvertBitmap(*bitmap.picture, bitmaps);
        if (!converted) return refuse(converted.error);
        decoded = std::move(bitmap);
        decoded.picture->transparent = converted.transparent;
        data = std::move(converted.data);
        stored = StoredFileName(
            fs::path(cp1252::ToUtf8(WithoutExtension(stored) + converted.extension)), 75);
    } else if (ext == ".gif") {
        decoded = DecodeGif(data);
    } else if (ext == ".wmf" || ext == ".emf") {
        decoded = DecodeMetafile(data, ext == ".wmf" ? PictureFormat::Wmf : PictureFormat::Emf);
    } else {
        decoded = DecodeJpeg(data);
    }
    if (!decoded) return refuse(decoded.error);
    NewOrExisting r = AddPictureBytes(stored, std::move(data), decoded.picture->transparent,
                                      decoded.picture->height, decoded.picture->width);
    if (r.owned) return THQVoggetto::Register(r.owned, -1);
    if (!r.object) return refuse("the picture cannot be stored");
    return r.object;
}

std::unique_ptr<THQVoggetto> THQVset::AddImmagineNew(THQVoggetto* picture) {
    if (picture && picture->owner_ != this) {
        messages_.Error("Different HQVset in AddImmagineNew!");
        return nullptr;
    }
    auto placement = NewObject(immagineNew);
    if (!picture) {
        placement->SetU8(13, 4);
        placement->SetU8(14, 0);
        placement->SetU8(23, 0);
        placement->SetStr(28, 32, "");
        placement->SetI32(0, -1);
        for (size_t off : {15, 17, 19, 21}) placement->SetU16(off, 100);
        return placement;
    }
    // A picture assigned to a placement fills its picture, sizes, alignment
    // and alternative text.
    placement->Assign(*picture);
    if (picture->registered_) {
        uint8_t zones[480];
        picture->rec_.Copy(182, sizeof zones, zones);
        placement->WriteRecordBytes(73, zones, sizeof zones);
    }
    return placement;
}

std::unique_ptr<THQVoggetto> THQVset::AddImmagineNew(std::unique_ptr<THQVoggetto> picture) {
    if (!picture) return AddImmagineNew(static_cast<THQVoggetto*>(nullptr));
    if (picture->owner_ != this) {
        messages_.Error("Different HQVset in AddImmagineNew!");
        return nullptr;
    }
    THQVoggetto* p = picture->registered_ ? picture.release() : picture.get();
    if (!p->registered_) {
        // Registered here, without the zones of a registered picture: a new
        // picture has none.
        p = THQVoggetto::Register(picture, -1);
        if (!p) return nullptr;
        auto placement = NewObject(immagineNew);
        placement->Assign(*p);
        return placement;
    }
    return AddImmagineNew(p);
}

THQVset::NewOrExisting THQVset::DuplicatePicture(const THQVoggetto& o) {
    if (o.Kind() != immagine) return {};
    Bytes stream;
    o.SaveToTransfer(stream);
    auto copy = THQVoggetto::Create(this, immagine);
    size_t pos = 0;
    if (!copy->LoadFromTransfer(stream.data(), stream.size(), pos) || copy->Kind() != immagine)
        return {};
    // The bytes travel in the stream; the other set's files are not ours.
    if (copy->MemContent()) copy->SetExternalFile({});
    copy->SetFileName(copy->FileName());
    return EqualOrNew(std::move(copy));
}

// --- decoded-picture cache -----------------------------------------------------------

std::shared_ptr<const DecodedPicture> THQVset::CachedPicture(const THQVoggetto& o) const {
    if (!o.pictureCached_) return nullptr;
    for (auto& [obj, pic] : pictureCache_)
        if (obj == &o) return pic;
    return nullptr;
}

void THQVset::CachePicture(THQVoggetto& o, std::shared_ptr<const DecodedPicture> picture) {
    if (o.Kind() != immagine) {
        messages_.Error("What happens? Image cache bug?");
        return;
    }
    if (o.pictureCached_) return;
    pictureCache_.emplace_back(&o, std::move(picture));
    o.pictureCached_ = true;
    // First in, first out.
    while (!pictureCache_.empty() && pictureCache_.size() > size_t(std::max(MaxCacheImg, 0))) {
        pictureCache_.front().first->pictureCached_ = false;
        pictureCache_.erase(pictureCache_.begin());
    }
}

void THQVset::UncachePicture(const THQVoggetto& o) {
    if (!o.pictureCached_) return;
    for (auto it = pictureCache_.begin(); it != pictureCache_.end(); ++it) {
        if (it->first == &o) {
            it->first->pictureCached_ = false;
            pictureCache_.erase(it);
            return;
        }
    }
}

void THQVset::ClearPictureCache() {
    while (!pictureCache_.empty()) {
        pictureCache_.back().first->pictureCached_ = false;
        pictureCache_.pop_back();
    }
}

}  // namespace ovik
