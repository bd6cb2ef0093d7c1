#include "view/frames.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <utility>

#include "document/hqv_set.h"
#include "convert/hqv_to_html.h"
#include "page/page_record.h"

namespace ovik {

namespace {

// A layout deeper or larger than this is no layout a person made: it is
// refused rather than sized by deep recursion.
constexpr size_t kMaxFrames = 4096;
constexpr int kMaxDepth = 64;

// Offsets of the record's fields.
namespace off {
constexpr size_t kId = 0, kParent = 4, kTitle = 8, kArrangement = 28, kOld1 = 29, kOld2 = 30, kScrolling = 31,
                 kHasChildren = 32, kResizable = 33, kPage = 34, kPercentage = 38, kReserved42 = 42,
                 kBarColour = 46, kReserved50 = 50, kBorder = 51, kPixels = 52, kSpacing = 56, kSizeMode = 57;
constexpr size_t kTitleMax = 19;
}  // namespace off

void Fail(std::string* why, const char* text) {
    if (why) *why = text;
}

int Depth(const THQVFrame* f) {
    int d = 0;
    for (; f->parent; f = f->parent) ++d;
    return d;
}

}  // namespace

// --- records ----------------------------------------------------------------------------------

FrameRecord FrameRecord::Read(const uint8_t* p, int32_t length) {
    // The bytes a short record lacks read as zero; the fields they hold get
    // their defaults below.
    uint8_t r[kFrameRecordSize] = {};
    std::memcpy(r, p, size_t(std::min(length, kFrameRecordSize)));
    FrameRecord f;
    f.id = GetI32(r + off::kId);
    f.parentId = GetI32(r + off::kParent);
    f.title = GetShortString(r + off::kTitle, off::kTitleMax);
    f.arrangement = r[off::kArrangement];
    f.oldFlag1 = r[off::kOld1];
    f.oldFlag2 = r[off::kOld2];
    f.scrolling = r[off::kScrolling];
    f.hasChildren = r[off::kHasChildren];
    f.resizable = r[off::kResizable];
    f.page = GetI32(r + off::kPage);
    f.percentage = GetI32(r + off::kPercentage);
    std::memcpy(f.reserved42, r + off::kReserved42, 4);
    f.barColour = GetI32(r + off::kBarColour);
    f.reserved50 = r[off::kReserved50];
    f.border = r[off::kBorder];
    f.pixels = GetI32(r + off::kPixels);
    f.spacing = r[off::kSpacing];
    f.sizeMode = r[off::kSizeMode];
    if (length < kFrameRecordSize) {
        f.sizeMode = 0;
        f.pixels = 20;
        f.border = 1;
        f.spacing = 3;
        f.barColour = int32_t(0x8000000F);
        if (!f.oldFlag1 && !f.oldFlag2) {
            f.spacing = 0;
            f.border = 0;
        }
        f.oldFlag1 = f.oldFlag2 = 0;
    }
    return f;
}

void FrameRecord::Write(Bytes& out) const {
    uint8_t r[kFrameRecordSize] = {};
    PutI32(r + off::kId, id);
    PutI32(r + off::kParent, parentId);
    PutShortString(r + off::kTitle, off::kTitleMax, title);
    r[off::kArrangement] = arrangement;
    r[off::kOld1] = oldFlag1;
    r[off::kOld2] = oldFlag2;
    r[off::kScrolling] = scrolling;
    r[off::kHasChildren] = hasChildren;
    r[off::kResizable] = resizable;
    PutI32(r + off::kPage, page);
    PutI32(r + off::kPercentage, percentage);
    std::memcpy(r + off::kReserved42, reserved42, 4);
    PutI32(r + off::kBarColour, barColour);
    r[off::kReserved50] = reserved50;
    r[off::kBorder] = border;
    PutI32(r + off::kPixels, pixels);
    r[off::kSpacing] = spacing;
    r[off::kSizeMode] = sizeMode;
    AppendBytes(out, r, sizeof r);
}

bool THQVFrame::Stacked() const {
    // A child placed at the top (0, 2), or filling the rest with its own
    // children side by side (3), stands in a column of frames.
    if (children.empty()) return false;
    const uint8_t a = children.front()->rec.arrangement;
    return a == 0 || a == 2 || a == 3;
}

int32_t BarWidth(const THQVFrame& frame, bool editable) {
    const int32_t w = frame.rec.spacing;
    return editable ? std::max(w, 3) : w;
}

// --- reading and writing ------------------------------------------------------------------------

bool FrameTree::ReadRecords(const Bytes& records, int32_t recordLength, std::string* why) {
    root_.reset();
    if (recordLength < kMinFrameRecord || recordLength > kMaxFrameRecord || records.empty() ||
        records.size() % size_t(recordLength) != 0 || records.size() / size_t(recordLength) > kMaxFrames) {
        Fail(why, kMapProblem);
        return false;
    }
    const size_t count = records.size() / size_t(recordLength);
    std::unique_ptr<THQVFrame> root;
    std::map<int32_t, THQVFrame*> byId;
    for (size_t i = 0; i < count; ++i) {
        auto frame = std::make_unique<THQVFrame>();
        frame->rec = FrameRecord::Read(records.data() + i * size_t(recordLength), recordLength);
        THQVFrame* made = frame.get();
        // The first record is the root; a second root, a parent that names no
        // earlier frame or an id used twice is a damaged layout.
        if (byId.count(made->rec.id) || (i == 0) != (made->rec.parentId == -1)) break;
        if (i == 0) {
            root = std::move(frame);
        } else {
            auto parent = byId.find(made->rec.parentId);
            if (parent == byId.end() || Depth(parent->second) + 1 > kMaxDepth) break;
            made->parent = parent->second;
            parent->second->children.push_back(std::move(frame));
        }
        byId[made->rec.id] = made;
        if (i + 1 == count) {
            root_ = std::move(root);
            return true;
        }
    }
    Fail(why, kMapProblem);
    return false;
}

bool FrameTree::ReadFile(const Bytes& file, std::string* why) {
    root_.reset();
    if (file.empty()) return true;
    if (file.size() < 8 || GetI32(file.data()) != kFrameFileMagic) {
        Fail(why, kWrongFormat);
        return false;
    }
    const Bytes records(file.begin() + 8, file.end());
    return ReadRecords(records, GetI32(file.data() + 4), why);
}

Bytes FrameTree::WriteRecords() const {
    Bytes out;
    const std::vector<const THQVFrame*> frames = PreOrder();
    // Ids are the frames' places in pre-order: unique whatever was read.
    std::map<const THQVFrame*, int32_t> ids;
    for (size_t i = 0; i < frames.size(); ++i) ids[frames[i]] = int32_t(i);
    for (const THQVFrame* f : frames) {
        FrameRecord r = f->rec;
        r.id = ids[f];
        r.parentId = f->parent ? ids[f->parent] : -1;
        r.hasChildren = f->IsLeaf() ? 0 : 1;
        r.Write(out);
    }
    return out;
}

Bytes FrameTree::WriteFile() const {
    Bytes out;
    AppendI32(out, kFrameFileMagic);
    AppendI32(out, kFrameRecordSize);
    const Bytes records = WriteRecords();
    out.insert(out.end(), records.begin(), records.end());
    return out;
}

void FrameTree::MakeSingle(int32_t page) {
    root_ = std::make_unique<THQVFrame>();
    root_->rec.title = "Pag" + std::to_string(page);
    root_->rec.page = page;
}

std::vector<const THQVFrame*> FrameTree::PreOrder() const {
    std::vector<const THQVFrame*> out;
    std::vector<const THQVFrame*> stack;
    if (root_) stack.push_back(root_.get());
    while (!stack.empty()) {
        const THQVFrame* f = stack.back();
        stack.pop_back();
        out.push_back(f);
        for (auto it = f->children.rbegin(); it != f->children.rend(); ++it) stack.push_back(it->get());
    }
    return out;
}

std::vector<THQVFrame*> FrameTree::PreOrder() {
    std::vector<THQVFrame*> out;
    for (const THQVFrame* f : std::as_const(*this).PreOrder()) out.push_back(const_cast<THQVFrame*>(f));
    return out;
}

// --- sizing ----------------------------------------------------------------------------------------

void FrameTree::Size(int32_t width, int32_t height, bool editable) {
    if (!root_) return;
    root_->x = root_->y = 0;
    root_->width = std::max(0, width);
    root_->height = std::max(0, height);
    root_->rec.percentage = 100;
    root_->rec.sizeMode = 0;
    // Pre-order: each container is sized before its children size theirs.
    for (THQVFrame* f : PreOrder()) {
        const size_t n = f->children.size();
        if (n == 0) continue;
        const bool stacked = f->Stacked();
        const int64_t bar = BarWidth(*f, editable);
        const int64_t length = std::max<int64_t>(0, (stacked ? f->height : f->width) - int64_t(n - 1) * bar);
        std::vector<int64_t> sizes(n, 0);
        int64_t sum = 0;
        int freeChild = -1;
        auto share = [&](int32_t percentage) { return std::clamp<int64_t>(length * percentage / 100, 0, length); };
        for (size_t i = 0; i + 1 < n; ++i) {
            FrameRecord& r = f->children[i]->rec;
            if (r.sizeMode == 1) {
                sizes[i] = std::clamp<int64_t>(r.pixels, 0, length);
                r.percentage = length > 0 ? int32_t((sizes[i] * 100 + length / 2) / length) : 0;
            } else if (r.sizeMode == 2) {
                sizes[i] = share(r.percentage);
                freeChild = int(i);
            } else {
                sizes[i] = share(r.percentage);
                r.pixels = int32_t(sizes[i]);
            }
            if (r.sizeMode != 2) sum += sizes[i];
        }
        if (freeChild >= 0) {
            if (length - sum > 0) sizes[size_t(freeChild)] = length - sum;
            FrameRecord& r = f->children[size_t(freeChild)]->rec;
            r.percentage = length > 0 ? int32_t(sizes[size_t(freeChild)] * 100 / length) : 0;
        }
        // The last child fills what is left.
        int64_t taken = 0;
        for (size_t i = 0; i + 1 < n; ++i) taken += sizes[i];
        sizes[n - 1] = std::max<int64_t>(0, length - taken);
        int64_t pos = 0;
        for (size_t i = 0; i < n; ++i) {
            THQVFrame& c = *f->children[i];
            const int32_t s = int32_t(std::min<int64_t>(sizes[i], INT32_MAX));
            const int32_t p = int32_t(std::min<int64_t>(pos, INT32_MAX));
            if (stacked) {
                c.x = f->x;
                c.y = f->y + p;
                c.width = f->width;
                c.height = s;
            } else {
                c.x = f->x + p;
                c.y = f->y;
                c.width = s;
                c.height = f->height;
            }
            pos += sizes[i] + bar;
        }
    }
}

// --- the HTML frame set -------------------------------------------------------------------------

std::string FramesetHtml(const FrameTree& tree, const std::function<std::string(int32_t page)>& source) {
    std::string out;
    // Depth first, with the containers' closing tags written after their children.
    struct Step {
        const THQVFrame* frame;
        bool close;
    };
    std::vector<Step> stack;
    if (tree.Root()) stack.push_back({tree.Root(), false});
    while (!stack.empty()) {
        const Step step = stack.back();
        stack.pop_back();
        const THQVFrame& f = *step.frame;
        if (step.close) {
            out += "</FRAMESET>\r\n";
            continue;
        }
        if (f.IsLeaf()) {
            const FrameRecord& r = f.rec;
            out += "\r<FRAME NAME=\"" + html::AttributeText(r.title.substr(0, 32)) + "\" SRC=\"" + source(r.page) +
                   "\" SCROLLING=" + (r.scrolling ? "auto " : "no ") + (r.border ? "" : "FRAMEBORDER=no ") +
                   (r.resizable ? ">\r\n" : "NORESIZE>\r\n");
            continue;
        }
        std::string sizes;
        for (const auto& c : f.children) {
            if (!sizes.empty()) sizes += ",";
            switch (c->rec.sizeMode) {
                case 1: sizes += std::to_string(c->rec.pixels); break;
                case 2: sizes += "*"; break;
                default: sizes += std::to_string(c->rec.percentage) + "%"; break;
            }
        }
        const std::string b = std::to_string(f.rec.spacing);
        out += std::string("<FRAMESET ") + (f.Stacked() ? "ROWS=" : "COLS=") + sizes + " BORDER=" + b +
               " FRAMESPACING=" + b + " >\r\n";
        stack.push_back({&f, true});
        for (auto it = f.children.rbegin(); it != f.children.rend(); ++it) stack.push_back({it->get(), false});
    }
    return out;
}

// --- layouts of pages --------------------------------------------------------------------------------

bool ReadPageLayout(THQVset& set, int32_t page, FrameTree& tree, std::string* why) {
    tree = FrameTree();
    THQVtesto* p = set.Page(page);
    if (!p || p->IsFree()) return false;
    const int32_t n = PageRecord{*p}.FrameLayout();
    if (n < 0) return false;
    THQVoggetto* layout = set.GetObject(mappaFrame, n);
    Bytes records;
    if (!layout || layout->IsFree() || !layout->ReadContent(records)) {
        Fail(why, kMapProblem);
        return false;
    }
    return tree.ReadRecords(records, layout->I32(89), why);
}

bool SetPageLayout(THQVset& set, int32_t page, const FrameTree& tree) {
    THQVtesto* p = set.Page(page);
    if (!p || p->IsFree() || tree.Empty()) return false;
    PageRecord rec{*p};
    THQVoggetto* layout = rec.FrameLayout() >= 0 ? set.GetObject(mappaFrame, rec.FrameLayout()) : nullptr;
    if (!layout || layout->IsFree()) {
        layout = set.AddNewObject(mappaFrame);
        if (!layout) return false;
        rec.SetFrameLayout(layout->Number());
    }
    // The frame set text kept with the layout names pages by identifier.
    const std::string html = FramesetHtml(tree, [&set](int32_t n) {
        THQVtesto* shown = set.Page(n);
        char id[16];
        std::snprintf(id, sizeof id, "$%08X", shown && !shown->IsFree() ? uint32_t(shown->Id()) : 0xFFFFFFFFu);
        return std::string(id);
    });
    layout->SetLayoutBlock(Bytes(html.begin(), html.end()));
    layout->SetContent(tree.WriteRecords());
    layout->SetI32(89, kFrameRecordSize);
    RaiseRevision(*p, set.Revision());
    set.SetModified(true);
    return true;
}

bool LoadPageLayoutFile(THQVset& set, int32_t page, const Bytes& file, std::string& why) {
    FrameTree tree;
    if (!tree.ReadFile(file, &why)) return false;
    if (tree.Empty()) {
        why = kWrongFormat;
        return false;
    }
    tree.Size(400, 400, true);
    if (!SetPageLayout(set, page, tree)) {
        why = kSaveFramesError;
        return false;
    }
    return true;
}

}  // namespace ovik
