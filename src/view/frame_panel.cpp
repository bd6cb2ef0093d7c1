#include "view/frame_panel.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "core/codepage.h"
#include "document/hqv_set.h"
#include "document/kinds.h"
#include "platform/messages.h"
#include "text/hqv_box.h"
#include "view/editing_view.h"

namespace ovik {

namespace {

constexpr int32_t kResetSize = 60;
constexpr int32_t kLastMinimum = 20, kTakenFromEarlier = 30, kEarlierMinimum = 50, kFirstFallback = 10;

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

THQVFramePanel::THQVFramePanel(THQVset& set, ViewFactory makeView) : set_(set), makeView_(std::move(makeView)) {}

THQVFramePanel::~THQVFramePanel() = default;

void THQVFramePanel::SetTree(FrameTree tree) {
    for (THQVFrame* f : tree_.PreOrder()) DropView(f);
    tree_ = std::move(tree);
    treeModified = false;
}

void THQVFramePanel::Size(int32_t width, int32_t height) {
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    tree_.Size(width_, height_, editable);
}

// --- pages in frames -------------------------------------------------------------------------

void THQVFramePanel::ShowPages() {
    std::vector<THQVFrame*> leaves;
    for (THQVFrame* f : tree_.PreOrder())
        if (f->IsLeaf()) leaves.push_back(f);
    if (framesOnly) return;
    // First pass: every leaf names an existing page, so that pages made for
    // empty frames are numbered before any page is shown.
    for (THQVFrame* f : leaves) {
        THQVtesto* p = f->rec.page >= 0 ? set_.Page(f->rec.page) : nullptr;
        if ((p && !p->IsFree()) || !editable) continue;
        if (THQVoggetto* made = set_.AddNewObject(testoHtml)) {
            f->rec.page = made->Number();
            newPages_.insert(made->Number());
            set_.SetModified(true);
        }
    }
    // Second pass: the pages are shown.
    for (THQVFrame* f : leaves) {
        THQVtesto* p = f->rec.page >= 0 ? set_.Page(f->rec.page) : nullptr;
        if (p && !p->IsFree()) ShowPageIn(*f, f->rec.page);
    }
}

void THQVFramePanel::ShowPageIn(THQVFrame& f, int32_t page) {
    if (framesOnly || !f.IsLeaf()) return;
    auto& view = views_[&f];
    placeholders_.erase(&f);
    if (!view) view = makeView_();
    ApplyFields(f);
    if (view->MainPageNumber() == page) return;
    if (f.rec.page != page) treeModified = true;
    view->SetMainPageNumber(page);
    f.rec.page = view->MainPageNumber();
}

void THQVFramePanel::ShowPlaceholderIn(THQVFrame& f, THQVoggetto& object) {
    if (framesOnly || !f.IsLeaf()) return;
    auto& view = views_[&f];
    if (!view) view = makeView_();
    ApplyFields(f);
    // A page of its own, never registered: a line saying that an object
    // appears here, and under it a link to the object with its description.
    std::unique_ptr<THQVoggetto> page = set_.NewObject(testoHtml);
    if (!page) return;
    std::string description = object.Description();
    description = description.substr(0, description.find('|'));
    char tag[16];
    std::snprintf(tag, sizeof tag, "<$%08x>", uint32_t(object.Id()));
    Bytes markup;
    const std::string head = std::string("<Z S0 >") + kObjectPlaceholder + "<Z S0 >" + tag;
    markup.insert(markup.end(), head.begin(), head.end());
    for (char c : description.empty() ? std::string("?") : description) AppendEscaped(markup, uint8_t(c));
    const std::string tail = "<%>";
    markup.insert(markup.end(), tail.begin(), tail.end());
    markup.push_back(0);
    page->SetContent(markup);
    view->ShowTemporaryPage(static_cast<THQVtesto*>(page.get()));
    placeholders_[&f] = std::move(page);
    f.rec.page = -1;
}

void THQVFramePanel::DropView(THQVFrame* f) {
    auto it = views_.find(f);
    if (it != views_.end()) views_.erase(it);
    placeholders_.erase(f);
}

void THQVFramePanel::DropSubtree(THQVFrame& f) {
    std::vector<THQVFrame*> stack{&f};
    while (!stack.empty()) {
        THQVFrame* g = stack.back();
        stack.pop_back();
        DropView(g);
        for (auto& c : g->children) stack.push_back(c.get());
    }
}

void THQVFramePanel::ClearChildren(THQVFrame& f) {
    for (auto& c : f.children) DropSubtree(*c);
    f.children.clear();
    f.rec.page = -1;
}

void THQVFramePanel::Graft(THQVFrame& f, FrameTree tree) {
    ClearChildren(f);
    DropView(&f);
    THQVFrame* root = tree.Root();
    if (!root) return;
    if (root->IsLeaf()) {
        f.rec.page = root->rec.page;
    } else {
        f.rec.spacing = root->rec.spacing;
        for (auto& c : root->children) {
            c->parent = &f;
            f.children.push_back(std::move(c));
        }
    }
    Resize();
    ShowPages();
}

TInsiemeCornici* THQVFramePanel::ViewOf(const THQVFrame* f) const {
    auto it = views_.find(f);
    return it == views_.end() ? nullptr : it->second.get();
}

THQVFrame* THQVFramePanel::FrameOf(const TInsiemeCornici* view) const {
    for (const auto& [f, v] : views_)
        if (v.get() == view) return const_cast<THQVFrame*>(f);
    return nullptr;
}

THQVFrame* THQVFramePanel::FindByTitle(std::string_view name) const {
    const std::string wanted = Lower(name);
    for (const THQVFrame* f : tree_.PreOrder())
        if (Lower(f->rec.title) == wanted) return const_cast<THQVFrame*>(f);
    return nullptr;
}

std::vector<TInsiemeCornici*> THQVFramePanel::Views() const {
    std::vector<TInsiemeCornici*> out;
    for (const THQVFrame* f : tree_.PreOrder())
        if (TInsiemeCornici* v = ViewOf(f)) out.push_back(v);
    return out;
}

bool THQVFramePanel::Contains(const THQVFrame* f) const {
    for (const THQVFrame* g : tree_.PreOrder())
        if (g == f) return true;
    return false;
}

// --- bars --------------------------------------------------------------------------------------------

std::vector<THQVSplit> THQVFramePanel::Splits() const {
    std::vector<THQVSplit> out;
    for (const THQVFrame* f : tree_.PreOrder()) {
        for (size_t i = 0; i + 1 < f->children.size(); ++i) {
            const THQVFrame& a = *f->children[i];
            const THQVFrame& b = *f->children[i + 1];
            THQVSplit s;
            s.parent = const_cast<THQVFrame*>(f);
            s.index = i;
            s.vertical = !f->Stacked();
            s.Sizeable = editable || framesOnly || (a.rec.resizable && b.rec.resizable);
            if (s.vertical) {
                s.x = a.x + a.width;
                s.y = f->y;
                s.width = b.x - s.x;
                s.height = f->height;
            } else {
                s.x = f->x;
                s.y = a.y + a.height;
                s.width = f->width;
                s.height = b.y - s.y;
            }
            out.push_back(s);
        }
    }
    return out;
}

std::vector<THQVEdgeBar> THQVFramePanel::EdgeBars() const {
    std::vector<THQVEdgeBar> out;
    if (!editable && !framesOnly) return out;
    for (const THQVFrame* f : tree_.PreOrder()) {
        if (!f->IsLeaf()) continue;
        THQVFrame* m = const_cast<THQVFrame*>(f);
        out.push_back({m, 0, f->x, f->y, f->width, std::min(barWidth, f->height)});
        out.push_back({m, 1, f->x, f->y, std::min(barWidth, f->width), f->height});
    }
    return out;
}

PixelRect THQVFramePanel::PageRect(const THQVFrame& f) const {
    // Edge bars show only where frames are edited; frames-only panels draw titles, no pages.
    const int32_t bar = editable && !framesOnly ? barWidth : 0;
    const int32_t left = std::min(f.x + bar, f.x + f.width), top = std::min(f.y + bar, f.y + f.height);
    return {left, top, f.x + f.width, f.y + f.height};
}

THQVFrame* THQVFramePanel::LeafAt(int32_t x, int32_t y) const {
    for (const THQVFrame* f : tree_.PreOrder())
        if (f->IsLeaf() && x >= f->x && x < f->x + f->width && y >= f->y && y < f->y + f->height)
            return const_cast<THQVFrame*>(f);
    return nullptr;
}

THQVFramePanel::BarHit THQVFramePanel::BarAt(int32_t x, int32_t y) const {
    BarHit hit;
    auto inside = [&](int32_t bx, int32_t by, int32_t w, int32_t h, int32_t slack) {
        return x >= bx - slack && x < bx + w + slack && y >= by - slack && y < by + h + slack;
    };
    // The innermost bar wins: bars of nested containers come later in pre-order.
    for (const THQVSplit& s : Splits())
        if (s.Sizeable && inside(s.x, s.y, s.width, s.height, 1)) {
            hit.kind = BarHit::Split;
            hit.split = s;
        }
    if (hit.kind != BarHit::None) return hit;
    for (const THQVEdgeBar& b : EdgeBars())
        if (inside(b.x, b.y, b.width, b.height, 0)) {
            hit.kind = BarHit::Edge;
            hit.edge = b;
            return hit;
        }
    return hit;
}

void THQVFramePanel::ApplyFields(const THQVFrame& f) {
    TInsiemeCornici* v = ViewOf(&f);
    if (!v) return;
    v->SetPageScrollBars(f.rec.scrolling ? 3 : 0);
    v->SetPageBorder(f.rec.border != 0);
}

// --- sizes ---------------------------------------------------------------------------------------------

int32_t THQVFramePanel::LengthOf(const THQVFrame& f) const {
    if (!f.parent) return 0;
    return f.parent->Stacked() ? f.height : f.width;
}

int32_t THQVFramePanel::FreeLength(const THQVFrame& p) const {
    const int32_t n = int32_t(p.children.size());
    const int32_t whole = p.Stacked() ? p.height : p.width;
    return std::max(0, whole - std::max(0, n - 1) * BarWidth(p, editable));
}

void THQVFramePanel::RecomputePercentage(THQVFrame& f) const {
    if (!f.parent) {
        f.rec.percentage = 100;
        f.rec.sizeMode = 0;
        return;
    }
    const int32_t length = FreeLength(*f.parent);
    const int32_t size = LengthOf(f);
    f.rec.percentage = length > 0 ? int32_t(int64_t(size) * 100 / length) : 0;
    f.rec.pixels = size;
}

void THQVFramePanel::GiveSize(THQVFrame& f, int32_t size) {
    if (!f.parent) return;
    if (f.parent->Stacked()) f.height = size;
    else f.width = size;
    RecomputePercentage(f);
}

THQVFrame* THQVFramePanel::MoveBar(const THQVSplit& bar, int32_t delta) {
    THQVFrame* p = bar.parent;
    if (!p || !Contains(p) || bar.index + 1 >= p->children.size()) return nullptr;
    THQVFrame& a = *p->children[bar.index];
    THQVFrame& b = *p->children[bar.index + 1];
    const int32_t total = LengthOf(a) + LengthOf(b);
    const int32_t na = std::clamp(LengthOf(a) + delta, 0, total);
    GiveSize(a, na);
    GiveSize(b, total - na);
    treeModified = true;
    // Too small a frame goes, after the event that made it so.
    for (THQVFrame* f : {&a, &b})
        if (f->width < barWidth || f->height < barWidth || LengthOf(*f) < barWidth) return f;
    // The last child keeps at least 20 pixels, taken from the nearest earlier
    // child that can spare them.
    THQVFrame& last = *p->children.back();
    if (LengthOf(last) < kLastMinimum) {
        bool taken = false;
        for (size_t i = p->children.size() - 1; i-- > 0;) {
            THQVFrame& c = *p->children[i];
            if (LengthOf(c) > kEarlierMinimum) {
                GiveSize(c, LengthOf(c) - kTakenFromEarlier);
                GiveSize(last, LengthOf(last) + kTakenFromEarlier);
                taken = true;
                break;
            }
        }
        if (!taken) GiveSize(*p->children.front(), kFirstFallback);
    }
    for (auto& c : p->children) RecomputePercentage(*c);
    Resize();
    return nullptr;
}

// --- splitting and deleting ------------------------------------------------------------------------------

std::string THQVFramePanel::NewTitle() const {
    for (uint32_t n = 1;; ++n) {
        char title[16];
        std::snprintf(title, sizeof title, "Frame%06X", n & 0xFFFFFF);
        if (!FindByTitle(title)) return title;
    }
}

THQVFrame* THQVFramePanel::Split(THQVFrame& f, int direction, int32_t size, std::string* why) {
    if (!Contains(&f) || (direction != 0 && direction != 1)) return nullptr;
    auto made = std::make_unique<THQVFrame>();
    made->rec.title = NewTitle();
    made->rec.arrangement = uint8_t(direction);
    made->rec.page = -1;
    made->parent = &f;
    THQVFrame* fresh = made.get();
    if (f.IsLeaf()) {
        TInsiemeCornici* old = ViewOf(&f);
        if (!old && !framesOnly) {
            if (why) *why = kNoPageToSplit;
            return nullptr;
        }
        auto rest = std::make_unique<THQVFrame>();
        rest->rec = FrameRecord{};
        rest->rec.arrangement = direction == 0 ? 3 : 5;
        rest->rec.page = f.rec.page;
        rest->parent = &f;
        f.children.push_back(std::move(made));
        // Titles are unique: the rest frame's differs from the new one's.
        rest->rec.title = NewTitle();
        // The old page moves with its view into the frame that fills the rest.
        auto v = views_.find(&f);
        if (v != views_.end()) {
            views_[rest.get()] = std::move(v->second);
            views_.erase(&f);
        }
        placeholders_.erase(&f);
        f.children.push_back(std::move(rest));
        f.rec.page = -1;
    } else {
        if (f.Stacked() != (direction == 0)) {
            if (why) *why = kNoPageToSplit;
            return nullptr;
        }
        // The old first child no longer stands first.
        THQVFrame& first = *f.children.front();
        if (first.rec.arrangement == 0 || first.rec.arrangement == 1) first.rec.arrangement = direction == 0 ? 2 : 4;
        f.children.insert(f.children.begin(), std::move(made));
    }
    // The new frame's share; the others keep theirs, the last fills the rest.
    const int32_t length = FreeLength(f);
    const int32_t s = std::clamp(size, 0, length);
    fresh->rec.sizeMode = 0;
    fresh->rec.pixels = s;
    fresh->rec.percentage = length > 0 ? int32_t(int64_t(s) * 100 / length) : 0;
    Resize();
    for (auto& c : f.children) RecomputePercentage(*c);
    treeModified = true;
    ShowPages();
    return fresh;
}

THQVFramePanel::Deleted THQVFramePanel::Delete(THQVFrame& f, platform::Messages& messages) {
    if (!Contains(&f) || !f.parent) return Deleted::Root;
    THQVFrame& p = *f.parent;
    auto refuse = [&](const char* text, Deleted why) {
        messages.Warning(text);
        // The frame gets back a size one can see and grab, from its neighbour.
        auto at = std::find_if(p.children.begin(), p.children.end(), [&](const auto& c) { return c.get() == &f; });
        THQVFrame* neighbour = at + 1 != p.children.end() ? (at + 1)->get()
                               : at != p.children.begin() ? (at - 1)->get()
                                                          : nullptr;
        if (neighbour) GiveSize(*neighbour, std::max(0, LengthOf(*neighbour) + LengthOf(f) - kResetSize));
        GiveSize(f, kResetSize);
        for (auto& c : p.children) RecomputePercentage(*c);
        Resize();
        return why;
    };
    if (!f.IsLeaf()) return refuse(kDeleteChildrenFirst, Deleted::HasChildren);
    THQVFrame* other = nullptr;
    if (p.children.size() == 2) {
        other = p.children[0].get() == &f ? p.children[1].get() : p.children[0].get();
        if (!other->IsLeaf()) return refuse(kCannotDeleteFrame, Deleted::SiblingHasChildren);
    }
    if (TInsiemeCornici* v = ViewOf(&f); v && v->Modified() && !v->ReadOnly()) {
        if (messages.AskYesNo(kKeepDeletedFrame) == platform::Answer::Yes) v->StorePage(false);
    }
    DropView(&f);
    treeModified = true;
    if (other) {
        // The parent takes over the remaining page and is a leaf again.
        auto v = views_.find(other);
        std::unique_ptr<TInsiemeCornici> kept;
        if (v != views_.end()) {
            kept = std::move(v->second);
            views_.erase(v);
        }
        auto ph = placeholders_.find(other);
        std::unique_ptr<THQVoggetto> keptPlaceholder;
        if (ph != placeholders_.end()) {
            keptPlaceholder = std::move(ph->second);
            placeholders_.erase(ph);
        }
        p.rec.page = other->rec.page;
        p.children.clear();
        if (kept) views_[&p] = std::move(kept);
        if (keptPlaceholder) placeholders_[&p] = std::move(keptPlaceholder);
        Resize();
        return p.parent ? Deleted::Yes : Deleted::RootLeft;
    }
    auto it = std::find_if(p.children.begin(), p.children.end(), [&](const auto& c) { return c.get() == &f; });
    const bool wasFirst = it == p.children.begin();
    const uint8_t place = f.rec.arrangement;
    p.children.erase(it);
    if (wasFirst && !p.children.empty()) {
        uint8_t& a = p.children.front()->rec.arrangement;
        if (a == 2 || a == 4) a = place;
    }
    // The others share the length the frame leaves.
    Resize();
    for (auto& c : p.children) RecomputePercentage(*c);
    return Deleted::Yes;
}

// --- storing -----------------------------------------------------------------------------------------------

void THQVFramePanel::TakePageNumbers(bool fileMode) {
    if (framesOnly) return;
    for (THQVFrame* f : tree_.PreOrder()) {
        if (!f->IsLeaf()) continue;
        const TInsiemeCornici* v = ViewOf(f);
        if (placeholders_.count(f) || !v || v->MainPageNumber() < 0) {
            f->rec.page = -1;
            continue;
        }
        f->rec.page = v->MainPageNumber();
        if (fileMode && newPages_.count(f->rec.page)) f->rec.page = -1;
    }
}

bool THQVFramePanel::Modified() const {
    if (treeModified) return true;
    for (const auto& [f, v] : views_)
        if (v->Modified()) return true;
    return false;
}

void THQVFramePanel::StorePages() {
    for (TInsiemeCornici* v : Views())
        if (v->Modified() && v->StorePage(true)) newPages_.erase(v->MainPageNumber());
}

}  // namespace ovik
