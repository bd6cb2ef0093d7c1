#include "undo/undo.h"

#include <algorithm>

#include "document/format1.h"
#include "document/hqv_object.h"
#include "document/hqv_set.h"
#include "platform/messages.h"
#include "text/box_attributes.h"

namespace ovik {

// --- THQVundoIndiciList ------------------------------------------------------------------------

int32_t THQVundoIndiciList::Add(UndoNode* node) {
    ++lastIndex_;
    PutAt(lastIndex_, node);
    return lastIndex_;
}

void THQVundoIndiciList::Release(int32_t index) {
    if (index >= 0 && size_t(index) < nodes_.size()) nodes_[size_t(index)] = nullptr;
}

void THQVundoIndiciList::PutAt(int32_t index, UndoNode* node) {
    if (index < 0) return;
    if (size_t(index) >= nodes_.size()) nodes_.resize(size_t(index) + 1, nullptr);
    nodes_[size_t(index)] = node;
    lastIndex_ = std::max(lastIndex_, index);
}

UndoNode* THQVundoIndiciList::At(int32_t index) const {
    if (index < 0 || size_t(index) >= nodes_.size()) return nullptr;
    return nodes_[size_t(index)];
}

// --- paragraphs in and out ---------------------------------------------------------------------

namespace {

void RemoveParagraphs(THQVbox& box, int32_t first, int32_t last) {
    auto& list = box.Paragraphs();
    first = std::max(first, 0);
    last = std::min<int32_t>(last, int32_t(list.size()) - 1);
    if (first > last) return;
    list.erase(list.begin() + first, list.begin() + last + 1);
}

void Relayout(THQVbox& box, int32_t first, int32_t last) {
    last = std::min(last, box.ParagraphCount() - 1);
    if (box.OnLayout && first <= last) box.OnLayout(box, std::max(first, 0), last);
    if (box.OnChanged) box.OnChanged(box);
}

}  // namespace

// --- TboBackup ---------------------------------------------------------------------------------

TboBackup::TboBackup(THQVbox& box, std::vector<int32_t> path, std::string text, int32_t first,
                     int32_t last) {
    targetPath = std::move(path);
    description = std::move(text);
    first = std::clamp(first, 0, std::max(box.ParagraphCount() - 1, 0));
    last = std::clamp(last, first, std::max(box.ParagraphCount() - 1, 0));
    box.WriteParagraphs(saved, first, last, WriteMode::Flat);
    saved.push_back(0);
    savedFirst = first;
    savedCount = box.ParagraphCount() > 0 ? last - first + 1 : 0;
    currentFirst = first;
    currentLast = last;
    SaveSelection(box);
}

void TboBackup::SaveSelection(const THQVbox& box) {
    caretParagraph = box.caret.paragraphIndex;
    caretChar = box.caret.charIndex;
    if (box.hasSelection) {
        selAnchorParagraph = box.selectionAnchor.paragraphIndex;
        selAnchorChar = box.selectionAnchor.charIndex;
        selEndParagraph = box.selectionEnd.paragraphIndex;
        selEndChar = box.selectionEnd.charIndex;
    } else {
        selAnchorParagraph = selEndParagraph = -1;
    }
}

namespace {
// The placed objects that paragraphs first..last hold.
std::vector<PlacedObject*> ObjectsIn(const THQVbox& box, int32_t first, int32_t last) {
    std::vector<PlacedObject*> out;
    last = std::min(last, box.ParagraphCount() - 1);
    for (int32_t i = std::max(first, 0); i <= last; ++i) {
        const THQVparag& p = box.Paragraph(i);
        for (const CharRecord& r : p.Records())
            if (r.object >= 0 && p.Objects()[size_t(r.object)]) out.push_back(p.Objects()[size_t(r.object)]);
    }
    return out;
}
}  // namespace

namespace {
// Calls fn(position of the digits, value) for every tag of a markup that
// names a placed-object control (kind 0xFF) or a page-local link (kind
// 0x6F), up to its first zero byte. Text never holds "<$" but in a tag: a
// "<" of the text is written as an entity.
template <class Fn>
void ForEachLocalTag(const uint8_t* p, size_t size, Fn&& fn) {
    size_t n = 0;
    while (n < size && p[n] != 0) ++n;
    for (size_t i = 0; i + 11 <= n; ++i) {
        if (p[i] != '<' || p[i + 1] != '$') continue;
        const int32_t v = int32_t(ParseTagDigits(p + i + 2));
        if (IdKind(v) == kFragmentKind || IdKind(v) == kPageLocalKind) fn(i + 2, v);
        i += 10;
    }
}
// An index no page hands out: a tag naming it reads as an empty place (or a
// link to nothing).
constexpr int32_t kNoIndex = 0xFFFFFF;
}  // namespace

void TboBackup::NameObjects(THQVundoList& history, THQVbox& box) {
    if (!history.nameObject) return;
    ForEachLocalTag(saved.data(), saved.size(), [&](size_t, int32_t tag) {
        for (const ObjectName& n : names)
            if (n.tag == tag) return;
        ObjectName name;
        if (history.nameObject(box, tag, name)) {
            name.tag = tag;
            names.push_back(std::move(name));
        }
    });
}

Bytes TboBackup::Renamed(THQVundoList& history, THQVbox& box) const {
    Bytes out = saved;
    if (!history.findControl) return out;
    std::vector<std::pair<int32_t, int32_t>> now;  // saved tag -> tag now
    for (const ObjectName& n : names) {
        // Tag values of placed objects are negative as int32: only -1 (an index
        // no page hands out) means none.
        int32_t tag = history.findControl(box, n);
        if (tag == -1 && history.recreateControl) tag = history.recreateControl(box, n);
        now.push_back({n.tag, tag});
    }
    ForEachLocalTag(out.data(), out.size(), [&](size_t at, int32_t tag) {
        int32_t to = MakeId(IdKind(tag), kNoIndex);
        for (const auto& [from, current] : now)
            if (from == tag && current != -1 && IdKind(current) == IdKind(tag)) to = current;
        WriteTagDigits(out.data() + at, uint32_t(to));
    });
    return out;
}

void TboBackup::Replace(THQVundoList& history, THQVbox& box, ReadKind kind) {
    const Bytes markup = Renamed(history, box);
    box.Lock();
    std::vector<PlacedObject*> added = ObjectsIn(box, currentFirst, currentLast);
    RemoveParagraphs(box, currentFirst, currentLast);
    BoxStream s(markup);
    int32_t n = savedCount > 0 ? box.InsertParagraphsAt(s, savedFirst, kind) : 0;
    if (box.ParagraphCount() == 0) box.AddParagraph();
    for (PlacedObject* o : ObjectsIn(box, savedFirst, savedFirst + n - 1))
        added.erase(std::remove(added.begin(), added.end(), o), added.end());
    if (history.detachControl)
        for (PlacedObject* o : added) history.detachControl(box, o);
    Relayout(box, savedFirst, savedFirst + std::max(n, 1) - 1);
    auto clampPos = [&](int32_t para, int32_t ch) {
        para = std::clamp(para, 0, box.ParagraphCount() - 1);
        return box.MakePosition(para, std::clamp(ch, 0, box.Paragraph(para).Length()));
    };
    box.hasSelection = false;
    box.caret = clampPos(caretParagraph, caretChar);
    if (selAnchorParagraph >= 0)
        box.Select(clampPos(selAnchorParagraph, selAnchorChar), clampPos(selEndParagraph, selEndChar));
    box.TextAttributes().typingGroup = box.TextAttributes().deletionGroup = false;
    box.Unlock();
}

THQVbox* TboBackup::Restore(THQVundoList& history) {
    THQVbox* box = history.ResolveBox(targetPath);
    restoredBox = box;
    if (!box) return nullptr;
    Replace(history, *box, ReadKind::Flat);
    return box;
}

std::unique_ptr<THQVbackup> TboBackup::Inverse(THQVundoList& history) {
    THQVbox* box = history.ResolveBox(targetPath, false);
    if (!box) return nullptr;
    auto e = std::make_unique<TboBackup>(*box, targetPath, description, currentFirst, currentLast);
    e->SetCurrentRange(savedFirst, savedFirst + std::max(savedCount, 1) - 1);
    e->NameObjects(history, *box);
    return e;
}

// --- TcancelBackup -----------------------------------------------------------------------------

TcancelBackup::TcancelBackup(THQVbox& box, std::vector<int32_t> path, std::string text,
                             const TextPosition& start, const TextPosition& end) {
    targetPath = std::move(path);
    description = std::move(text);
    SaveSelection(box);
    startParagraph = std::clamp(start.paragraphIndex, 0, std::max(box.ParagraphCount() - 1, 0));
    endParagraph = std::clamp(end.paragraphIndex, startParagraph, std::max(box.ParagraphCount() - 1, 0));
    startChar = start.charIndex;
    endChar = end.charIndex;
    savedFirst = currentFirst = currentLast = startParagraph;
    savedCount = box.ParagraphCount() > 0 ? endParagraph - startParagraph + 1 : 0;
    if (savedCount == 0) {
        saved.push_back(0);
        return;
    }
    // The placed objects of the selection are named by NameObjects.
    for (int32_t pi = startParagraph; pi <= endParagraph; ++pi) {
        const THQVparag& p = box.Paragraph(pi);
        if (pi == startParagraph && pi == endParagraph)
            p.Write(saved, WriteMode::Range, startChar, endChar);
        else if (pi == startParagraph)
            p.Write(saved, WriteMode::Range, startChar, p.Length());
        else if (pi == endParagraph)
            p.Write(saved, WriteMode::Range, 0, endChar);
        else
            p.Write(saved, WriteMode::Whole);
    }
    saved.push_back(0);
}

THQVbox* TcancelBackup::Restore(THQVundoList& history) {
    THQVbox* box = history.ResolveBox(targetPath);
    restoredBox = box;
    if (!box) return nullptr;
    Replace(history, *box, ReadKind::Full);
    const bool oneChar = startParagraph == endParagraph && endChar - startChar == 1;
    const bool join = endParagraph == startParagraph + 1 && endChar == 0 &&
                      startChar == box->Paragraph(startParagraph).Length();
    box->hasSelection = false;
    if (oneChar || join) {
        box->caret = box->MakePosition(startParagraph, startChar);
    } else {
        int32_t lastPara = std::min(endParagraph, box->ParagraphCount() - 1);
        box->Select(box->MakePosition(startParagraph,
                                      std::min(startChar, box->Paragraph(startParagraph).Length())),
                    box->MakePosition(lastPara, std::min(endChar, box->Paragraph(lastPara).Length())));
    }
    return box;
}

std::unique_ptr<THQVbackup> TcancelBackup::Inverse(THQVundoList& history) {
    THQVbox* box = history.ResolveBox(targetPath, false);
    if (!box) return nullptr;
    auto e = std::make_unique<TboBackup>(*box, targetPath, description, currentFirst, currentLast);
    e->SetCurrentRange(startParagraph, endParagraph);
    e->NameObjects(history, *box);
    return e;
}

// --- TogBackup ---------------------------------------------------------------------------------

TogBackup::TogBackup(THQVset& s, const THQVoggetto& object, std::string text) : set(s) {
    description = std::move(text);
    kind = object.Kind();
    if (!object.IsRegistered()) return;
    number = object.Number();
    object.SaveToTransfer(stream);
}

THQVbox* TogBackup::Restore(THQVundoList& history) {
    if (number < 0) return nullptr;
    THQVoggetto* o = set.GetObject(kind, number);
    if (!o) return nullptr;
    // A picture's cached decoding belongs to the bytes being replaced.
    if (o->Kind() == immagine) set.UncachePicture(*o);
    size_t pos = 0;
    o->LoadFromTransfer(stream.data(), stream.size(), pos);
    if (history.refreshViews) history.refreshViews();
    return nullptr;
}

std::unique_ptr<THQVbackup> TogBackup::Inverse(THQVundoList&) {
    if (number < 0) return nullptr;
    THQVoggetto* o = set.GetObject(kind, number);
    if (!o) return nullptr;
    return std::make_unique<TogBackup>(set, *o, description);
}

// --- TimBackup ---------------------------------------------------------------------------------

TimBackup::TimBackup(PlacedObjectState& control, std::vector<int32_t> path, std::string text) {
    targetPath = std::move(path);
    description = std::move(text);
    data = control.Save();
}

namespace {
PlacedObjectState* ResolveState(THQVundoList& history, const std::vector<int32_t>& path, bool report) {
    auto* node = dynamic_cast<PlacedObjectNode*>(history.ResolvePath(path, report));
    return node ? node->State() : nullptr;
}
}  // namespace

THQVbox* TimBackup::Restore(THQVundoList& history) {
    if (PlacedObjectState* s = ResolveState(history, targetPath, true)) s->Load(data);
    return nullptr;
}

std::unique_ptr<THQVbackup> TimBackup::Inverse(THQVundoList& history) {
    PlacedObjectState* s = ResolveState(history, targetPath, false);
    if (!s) return nullptr;
    return std::make_unique<TimBackup>(*s, targetPath, description);
}

// --- THQVundoList ------------------------------------------------------------------------------

void THQVundoList::Trim(std::vector<std::unique_ptr<THQVbackup>>& side, size_t keep) {
    if (side.size() > keep) side.erase(side.begin(), side.begin() + ptrdiff_t(side.size() - keep));
}

void THQVundoList::Add(std::unique_ptr<THQVbackup> entry) {
    if (!entry) return;
    redo_.clear();
    if (depth_ != 0 && undo_.size() > size_t(depth_)) undo_.erase(undo_.begin());
    entry->side = 0;
    undo_.push_back(std::move(entry));
}

THQVbox* THQVundoList::Step(std::vector<std::unique_ptr<THQVbackup>>& from,
                            std::vector<std::unique_ptr<THQVbackup>>& to, uint8_t toSide) {
    if (from.empty()) return nullptr;
    std::unique_ptr<THQVbackup> e = std::move(from.back());
    from.pop_back();
    std::unique_ptr<THQVbackup> back = e->Inverse(*this);
    THQVbox* focus = e->Restore(*this);
    if (back) {
        back->side = toSide;
        if (depth_ != 0 && to.size() > size_t(depth_)) to.erase(to.begin());
        to.push_back(std::move(back));
    }
    return focus;
}

THQVbox* THQVundoList::UndoOne() { return Step(undo_, redo_, 1); }
THQVbox* THQVundoList::RedoOne() { return Step(redo_, undo_, 0); }

THQVbox* THQVundoList::UndoMany(int32_t k) {
    busy = true;
    THQVbox* focus = nullptr;
    for (int32_t i = 0; i < k && CanUndo(); ++i) {
        focus = UndoOne();
        if (i < k - 1 && CanUndo() && focus) focus->hasSelection = false;
    }
    busy = false;
    return focus;
}

void THQVundoList::SetDepth(int32_t n) {
    if (n < 2) return;
    depth_ = n;
    Trim(undo_, size_t(n));
    Trim(redo_, size_t(n));
}

void THQVundoList::Clear() {
    undo_.clear();
    redo_.clear();
}

size_t THQVundoList::SavedBytes() const {
    size_t n = 0;
    for (auto& e : undo_) n += sizeof(*e) + e->SavedBytes();
    for (auto& e : redo_) n += sizeof(*e) + e->SavedBytes();
    return n;
}

std::vector<std::string> THQVundoList::UndoDescriptions() const {
    std::vector<std::string> out;
    for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) out.push_back((*it)->description);
    return out;
}

std::vector<std::string> THQVundoList::RedoDescriptions() const {
    std::vector<std::string> out;
    for (auto it = redo_.rbegin(); it != redo_.rend(); ++it) out.push_back((*it)->description);
    return out;
}

UndoNode* THQVundoList::ResolvePath(const std::vector<int32_t>& path, bool report) {
    if (path.empty()) return nullptr;
    UndoNode* view = views.At(path.back());
    if (!view) {
        if (report) set_.Messages().Error("Errore nella catena undo list!");
        return nullptr;
    }
    if (path.size() == 1) return view;
    UndoNode* page = view->Indexes() ? view->Indexes()->At(path[path.size() - 2]) : nullptr;
    UndoNode* node = page;
    if (page && path.size() >= 3)
        node = page->Indexes() ? page->Indexes()->At(path[path.size() - 3]) : nullptr;
    if (!node) {
        if (report) set_.Messages().Error("Error in undo list chain!");
        return nullptr;
    }
    return node;
}

THQVbox* THQVundoList::ResolveBox(const std::vector<int32_t>& path, bool report) {
    UndoNode* n = ResolvePath(path, report);
    return n ? n->Box() : nullptr;
}

// --- HistoryRecorder ---------------------------------------------------------------------------

void HistoryRecorder::RecordBoxEntry(THQVbox& box, const std::string& text, int32_t first,
                                     int32_t last) {
    auto e = std::make_unique<TboBackup>(box, PathOf(box), text, first, last);
    e->NameObjects(history_, box);
    history_.Add(std::move(e));
}

void HistoryRecorder::RecordDeletionEntry(THQVbox& box, const std::string& text,
                                          const TextPosition& start, const TextPosition& end) {
    auto e = std::make_unique<TcancelBackup>(box, PathOf(box), text, start, end);
    e->NameObjects(history_, box);
    history_.Add(std::move(e));
}

void HistoryRecorder::SetCurrentRange(THQVbox& box, int32_t first, int32_t last) {
    auto* e = dynamic_cast<TboBackup*>(history_.NewestUndo());
    if (e && e->targetPath == PathOf(box)) e->SetCurrentRange(first, last);
}

// --- TUndoBox ----------------------------------------------------------------------------------

void TUndoBox::Place(int32_t x, int32_t y, int32_t w, int32_t h, int32_t itemHeight,
                     int32_t screenW, int32_t screenH, int32_t& outX, int32_t& outY) const {
    outX = x;
    outY = y + h;
    if (outX + kWidth > screenW) outX = x + w - kWidth;
    if (outY + Height(itemHeight) > screenH) outY = y - Height(itemHeight);
}

}  // namespace ovik
