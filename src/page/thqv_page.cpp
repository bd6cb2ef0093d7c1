#include "page/thqv_page.h"

#include <atomic>
#include <functional>

#include "core/codepage.h"
#include "document/hqv_set.h"
#include "page/page_record.h"
#include "page/placed_visual.h"
#include "platform/messages.h"
#include "text/editing.h"

namespace ovik {

THQVpage::THQVpage(PageHost& host) : host_(host) { ApplyScrollBarMode(); }

THQVpage::~THQVpage() { ClosePage(); }

// --- showing, storing, closing ------------------------------------------------------

THQVtesto* THQVpage::ShowPage(THQVtesto* page) {
    StopSpellCheck();
    ClosePage();
    if (!host_.set) return nullptr;
    if (page && page->IsRegistered() && page->Owner() == host_.set) {
        wc_ = OpenForEditing(*page, false);
        storedPage_ = page;
        pageNumber_ = page->Number();
        newPage_ = false;
    } else if (page && page->Owner() == host_.set) {
        // A page of no number (a placeholder the view made): shown as it is,
        // and never stored.
        wc_ = OpenForEditing(*page, false);
        storedPage_ = nullptr;
        pageNumber_ = -1;
        newPage_ = true;
    } else {
        wc_ = WorkOnNewPage(NewPage(host_.set));
        storedPage_ = nullptr;
        pageNumber_ = -1;
        newPage_ = true;
    }
    stored_ = false;
    modified = false;
    BuildBox(*wc_);
    ScheduleSpellCheck(0);
    return newPage_ ? &wc_->Page() : storedPage_;
}

void THQVpage::BuildBox(PageWorkingCopy& wc) {
    FreeBox();
    if (!wc.Page().Owner()) return;  // a page of no hypertext has nothing to show
    THQVset& set = *wc.Page().Owner();
    platform::TextMeasurer& measurer =
        host_.measurer ? *host_.measurer : platform::DefaultMeasurer();
    box_ = std::make_unique<THQVbox>(set, measurer);
    static std::atomic<uint64_t> showings{0};
    showing_ = ++showings;
    box_->controls = this;
    box_->geometry.readOnly = readOnly_;
    box_->controlIndex = int32_t(index_.size());
    index_.push_back(nullptr);  // the box's own entry
    PageRecord rec(wc.Page());
    int32_t picture = rec.BackgroundPicture();
    box_->SetBackgroundPicture(picture >= 0 ? set.GetObject(immagine, picture) : nullptr);
    box_->SetBackgroundColour(rec.BackgroundColour());
    box_->SetFixedBackground(rec.FixedBackground());

    for (PageWorkingCopy* part : {&wc, wc.header.get(), wc.footer.get()}) {
        if (!part) continue;
        Bytes* content = part->Page().MutableContent();
        for (PendingPlacedObject& p : part->pending) {
            const int32_t index = AddControl(std::move(p.working), part);
            if (content && p.tagPosition + 11 <= content->size())
                WriteTagDigits(content->data() + p.tagPosition + 2,
                               uint32_t(MakeId(kFragmentKind, index)));
        }
        part->pending.clear();
    }
    wc.box = box_.get();
    box_->LoadPage(wc.Page(), wc.header ? &wc.header->Page() : nullptr,
                   wc.footer ? &wc.footer->Page() : nullptr);
}

bool THQVpage::StorePage() {
    StopSpellCheck();
    if (!wc_ || stored_) return false;
    stored_ = true;
    if (!newPage_ && (!host_.set || host_.set->Page(pageNumber_) != storedPage_)) {
        // The page was replaced in the set meanwhile: nothing to store it into.
        storedPage_ = nullptr;
        return false;
    }
    const bool raise = modified || host_.modified;
    bool ok = ovik::StorePage(*wc_, this, newPage_ ? -1 : pageNumber_, raise);
    if (ok && newPage_) {
        storedPage_ = &wc_->Page();
        pageNumber_ = storedPage_->Number();
        newPage_ = false;
    }
    if (modified) host_.modified = true;
    return ok;
}

void THQVpage::FreeBox() {
    anchors_.clear();
    previews_.clear();
    lastBox_ = nullptr;
    lastParagraph_ = nullptr;
    if (wc_ && wc_->box == box_.get()) wc_->box = nullptr;
    box_.reset();
    if (undoList_) {
        for (auto& c : controls_) undoList_->Release(c->ControlIndex());
        for (auto& [i, node] : boxNodes_) undoList_->Release(i);
    }
    // Controls go before the index (tables release their cells' slots).
    controls_.clear();
    controlParts_.clear();
    boxNodes_.clear();
    index_.clear();
}

void THQVpage::ClosePage() {
    StopSpellCheck();
    const bool wasShown = wc_ != nullptr;
    FreeBox();
    wc_.reset();
    storedPage_ = nullptr;
    pageNumber_ = -1;
    newPage_ = false;
    if (wasShown && host_.pageClosed) host_.pageClosed(*this);
}

int32_t THQVpage::AddControl(WorkingObject object, PageWorkingCopy* links) {
    if (!box_) return -1;
    platform::TextMeasurer& measurer =
        host_.measurer ? *host_.measurer : platform::DefaultMeasurer();
    auto control = MakePlacedControl(std::move(object), this, box_->Set(), measurer, this,
                                     links ? links : wc_.get());
    const int32_t index = int32_t(index_.size());
    control->SetControlIndex(index);
    index_.push_back(control.get());
    if (undoList_)
        if (auto* node = dynamic_cast<PlacedObjectNode*>(control.get())) undoList_->PutAt(index, node);
    if (!control->Inactive() && control->AnchorNumber() >= 0) AddAnchor(control.get());
    if (!control->Inactive() && control->IsLauncher()) AddPreview(control.get());
    controls_.push_back(std::move(control));
    controlParts_.push_back(links ? links : wc_.get());
    return index;
}

PageWorkingCopy* THQVpage::PartOf(const PlacedObject* control) const {
    for (size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i].get() == control) return controlParts_[i];
    return nullptr;
}

void THQVpage::ConnectHistory(THQVundoList* history, THQVundoIndiciList* pageList,
                              int32_t pageIndex, int32_t viewIndex) {
    history_ = history;
    undoList_ = pageList;
    undoPage_ = pageIndex;
    undoView_ = viewIndex;
    recorder_ = history_ ? std::make_unique<HistoryRecorder>(*history_, pageIndex, viewIndex) : nullptr;
    if (!undoList_) return;
    for (auto& c : controls_)
        if (auto* node = dynamic_cast<PlacedObjectNode*>(c.get())) undoList_->PutAt(c->ControlIndex(), node);
    for (auto& [i, node] : boxNodes_) {
        undoList_->PutAt(i, node.get());
        if (THQVbox* b = node->Box(); b && !b->undo && recorder_) b->undo = recorder_.get();
    }
}

void THQVpage::RecordPlacedChange(PlacedObjectNode& control, const std::string& text) {
    modified = true;
    auto* placed = dynamic_cast<PagePlacedObject*>(&control);
    if (!history_ || !placed || !control.State()) return;
    history_->Add(std::make_unique<TimBackup>(
        *control.State(), std::vector<int32_t>{placed->ControlIndex(), undoPage_, undoView_}, text));
}

void THQVpage::RelayoutControl(const PlacedObject& control, bool markChanged) {
    if (markChanged) modified = true;
    THQVbox* box = nullptr;
    int32_t paragraph = 0, ch = 0;
    if (!FindControl(&control, box, paragraph, ch)) return;
    if (box->OnLayout) box->OnLayout(*box, paragraph, paragraph);
    if (box->OnChanged) box->OnChanged(*box);
    else if (box->OnRepaint) box->OnRepaint(*box);
}

int32_t THQVpage::AddBox(THQVbox& box, int32_t index) {
    if (index < 0) {
        index = int32_t(index_.size());
        index_.push_back(nullptr);
    } else if (size_t(index) >= index_.size()) {
        index_.resize(size_t(index) + 1, nullptr);
    }
    box.controlIndex = index;
    auto& node = boxNodes_[index];
    node = std::make_unique<BoxNode>(box);
    if (undoList_) undoList_->PutAt(index, node.get());
    if (history_ && !box.undo && recorder_) box.undo = recorder_.get();
    return index;
}

void THQVpage::ReleaseBox(int32_t index) {
    auto it = boxNodes_.find(index);
    if (it == boxNodes_.end()) return;
    if (undoList_) undoList_->Release(index);
    boxNodes_.erase(it);
}

void THQVpage::RecordTableEntry(std::unique_ptr<THQVbackup> entry) {
    modified = true;
    if (history_ && entry) history_->Add(std::move(entry));
}

PlacedObject* THQVpage::ControlAt(int32_t n) {
    return n >= 0 && size_t(n) < index_.size() ? index_[size_t(n)] : nullptr;
}

// --- flags ----------------------------------------------------------------------------

void THQVpage::SetReadOnly(bool f) {
    readOnly_ = f;
    // The box is the one that refuses edits in preview.
    if (box_) box_->geometry.readOnly = f;
    ApplyScrollBarMode();
}

void THQVpage::SetFramesOnly(bool f) {
    framesOnly_ = f;
    if (!f) return;
    border_ = false;
    verticalRange_ = 0;
    SetReadOnly(true);
}

void THQVpage::SetScrollBarMode(int mode) {
    scrollBarMode_ = mode;
    ApplyScrollBarMode();
}

void THQVpage::ApplyScrollBarMode() {
    if (!readOnly_) {
        hBar_ = vBar_ = true;
    } else if (scrollBarMode_ == 0 || scrollBarMode_ == 1) {
        hBar_ = vBar_ = false;
    } else if (scrollBarMode_ == 2 || scrollBarMode_ == 3) {
        hBar_ = vBar_ = true;
    }
}

void THQVpage::Click() {
    if (framesOnly_ && host_.selectFrame) host_.selectFrame(*this);
}

// --- anchors and frame sets ------------------------------------------------------------------

void THQVpage::RefreshFrameSets() {
    for (NestedFrameSet* f : frameSets_) f->Refresh();
}

FramePanel* THQVpage::FindFramePanel(std::string_view name) const {
    for (NestedFrameSet* f : frameSets_)
        if (FramePanel* p = f->FindPanel(name)) return p;
    return nullptr;
}

int32_t THQVpage::NextFreeAnchorNumber() {
    int32_t highest = -1;
    for (PagePlacedObject* a : anchors_) highest = std::max(highest, a->AnchorNumber());
    return highest + 1;
}

bool THQVpage::FindControl(const PlacedObject* c, THQVbox*& box, int32_t& paragraph,
                           int32_t& ch) const {
    std::function<bool(THQVbox&, int)> search = [&](THQVbox& b, int depth) {
        for (int32_t pi = 0; pi < b.ParagraphCount(); ++pi) {
            const THQVparag& p = b.Paragraph(pi);
            for (int32_t i = 0; i < p.Length(); ++i) {
                int32_t o = p.Records()[size_t(i)].object;
                if (o < 0 || size_t(o) >= p.Objects().size()) continue;
                PlacedObject* here = p.Objects()[size_t(o)];
                if (here == c) {
                    box = &b;
                    paragraph = pi;
                    ch = i;
                    return true;
                }
                auto* table = dynamic_cast<PagePlacedObject*>(here);
                if (table && depth < 64)
                    for (int32_t k = 0; k < table->CellCount(); ++k)
                        if (THQVbox* cell = table->Cell(k); cell && search(*cell, depth + 1)) return true;
            }
        }
        return false;
    };
    return box_ && search(*box_, 0);
}

bool THQVpage::JumpToAnchor(int32_t number) {
    PagePlacedObject* found = nullptr;
    if (number >= 0)
        for (PagePlacedObject* a : anchors_)
            if (a->AnchorNumber() == number) {
                found = a;
                break;
            }
    THQVbox* box = nullptr;
    int32_t paragraph = 0, ch = 0;
    if (found && FindControl(found, box, paragraph, ch)) {
        box->SetCaret(paragraph, ch);
        box->hasSelection = false;
        caretShown = true;
        return true;
    }
    if (!readOnly_ && host_.set)
        host_.set->Messages().Warning("Ancora non trovata: a" + std::to_string(number));
    return false;
}

// --- find ----------------------------------------------------------------------------------

namespace {

bool IsSeparator(uint8_t c) {
    return (c >= 32 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) ||
           (c >= 123 && c <= 126);
}

// The first match of `what` in `text` at or after `from`, or -1.
int32_t SearchText(const std::string& text, const std::string& what, int32_t from,
                   TZtSearchTypes options) {
    const bool matchCase = options & stMatchCase;
    const std::string t = matchCase ? text : cp1252::Lower(text);
    const std::string w = matchCase ? what : cp1252::Lower(what);
    const int32_t n = int32_t(t.size()), m = int32_t(w.size());
    if (m == 0) return -1;
    for (int32_t i = std::max(from, 0); i + m <= n; ++i) {
        if (t[size_t(i)] != w[0] || t.compare(size_t(i), size_t(m), w) != 0) continue;
        if (options & stWholeWord) {
            if (i > 0 && !IsSeparator(uint8_t(t[size_t(i - 1)]))) continue;
            if (i + m < n && !IsSeparator(uint8_t(t[size_t(i + m)]))) continue;
        }
        return i;
    }
    return -1;
}

}  // namespace

void THQVpage::StartFind() {
    findStarted_ = true;
    lastBox_ = nullptr;
    lastParagraph_ = nullptr;
    lastEnd_ = 0;
}

bool THQVpage::FindNext(const std::string& text, bool fromCursor) {
    if (!box_) return false;
    ParagraphWalk walk(*box_);
    const THQVbox* startBox = nullptr;
    int32_t startParagraph = 0, startChar = 0;
    if (fromCursor) {
        startBox = box_.get();
        startParagraph = box_->caret.paragraphIndex;
        startChar = box_->caret.charIndex;
    } else if (lastParagraph_ && lastBox_) {
        startBox = lastBox_;
        startParagraph = ParagraphIndexInBox(*lastParagraph_);
        startChar = lastEnd_;
    }
    bool first = false;
    if (startBox) first = walk.PositionAt(*startBox, startParagraph);
    while (THQVparag* p = walk.Next()) {
        const int32_t from = first ? startChar : 0;
        first = false;
        // Header and footer paragraphs are not searched.
        if (p->origin != 0 && p->origin != 3 && p->origin != 4) continue;
        int32_t at = SearchText(p->Text(), text, from, host_.SearchOptions);
        if (at < 0) continue;
        THQVbox& b = p->Box();
        const int32_t pi = ParagraphIndexInBox(*p);
        b.Select(b.MakePosition(pi, at), b.MakePosition(pi, at + int32_t(text.size())));
        lastBox_ = &b;
        lastParagraph_ = p;
        lastEnd_ = at + int32_t(text.size());
        return true;
    }
    // Not found: an empty selection at the start of the last paragraph.
    box_->SetCaret(std::max(box_->ParagraphCount() - 1, 0), 0);
    box_->hasSelection = false;
    lastBox_ = nullptr;
    lastParagraph_ = nullptr;
    lastEnd_ = 0;
    return false;
}

// --- background spell check ---------------------------------------------------------------------

void THQVpage::ScheduleSpellCheck(int request) {
    if (host_.scheduler) host_.scheduler->StopTimer();
    if (spellInfo_ && spellInfo_->thread) spellInfo_->thread->Terminate();
    timerTag_ = request & 0x7F;
    if (host_.scheduler) host_.scheduler->StartTimer(kSpellDelay, [this] { SpellTimerFired(); });
}

void THQVpage::SpellTimerFired() {
    if (host_.scheduler) host_.scheduler->StopTimer();
    const int tag = timerTag_;
    timerTag_ = -1;
    if (tag >= 0) StartBackgroundCheck(tag == 1);
}

void THQVpage::StartBackgroundCheck(bool checkAll) {
    if (!box_ || !host_.AutoSpellCheck || host_.ReadOnly) return;
    if (!host_.spellChecker || !host_.spellChecker->Active()) return;
    if (spellInfo_) {
        // The previous check is forgotten; its callbacks find nothing to do.
        spellInfo_->page = nullptr;
        spellInfo_->walk.reset();
        spellInfo_->paragraph = nullptr;
    }
    auto info = std::make_shared<TParInfoForThread>();
    info->page = this;
    info->walk = std::make_unique<ParagraphWalk>(*box_);
    info->checkAll = checkAll;
    spellInfo_ = info;
    threadFinished_ = false;
    std::weak_ptr<TParInfoForThread> weak = info;

    platform::SpellCallbacks cb;
    cb.nextText = [weak](std::string& text) {
        auto in = weak.lock();
        if (!in || !in->page || !in->walk) return false;
        THQVpage& page = *in->page;
        if (page.host_.stopRequested && page.host_.stopRequested()) {
            if (in->thread) in->thread->Terminate();
            return false;
        }
        while (THQVparag* p = in->walk->Next()) {
            if (!p->SpellMask().empty() && !in->checkAll) continue;
            p->MutableSpellMask().assign(size_t(p->Length()), ' ');
            in->paragraph = p;
            in->index = ParagraphIndexInBox(*p);
            text = p->Text();
            return true;
        }
        in->paragraph = nullptr;
        return false;
    };
    cb.mark = [weak](int32_t start, int32_t length) {
        auto in = weak.lock();
        if (!in || !in->page || !in->paragraph) return;
        THQVparag& p = *in->paragraph;
        if (p.SpellMask().size() != size_t(p.Length())) p.MutableSpellMask().assign(size_t(p.Length()), ' ');
        if (start < 0 || length <= 0 || int64_t(start) + length > p.Length()) return;
        std::fill_n(p.MutableSpellMask().begin() + start, length, '!');
    };
    cb.paragraphDone = [weak] {
        auto in = weak.lock();
        if (!in || !in->page || !in->paragraph) return;
        if (in->paragraph->SpellMask() != " " && in->page->host_.repaintParagraph)
            in->page->host_.repaintParagraph(*in->paragraph);
    };
    cb.finished = [weak] {
        auto in = weak.lock();
        if (!in) return;
        in->walk.reset();
        in->paragraph = nullptr;
        if (THQVpage* page = in->page) {
            page->threadFinished_ = true;
            if (page->spellInfo_ == in) page->spellInfo_.reset();
        }
    };
    auto thread = host_.spellChecker->Start(std::move(cb));
    info->thread = std::move(thread);
}

void THQVpage::StopSpellCheck() {
    if (host_.scheduler) host_.scheduler->StopTimer();
    timerTag_ = -1;
    std::shared_ptr<TParInfoForThread> info = spellInfo_;
    if (!info) return;
    for (int round = 0; round < 41 && !threadFinished_; ++round) {
        if (info->thread) info->thread->Terminate();
        if (host_.scheduler) host_.scheduler->ProcessMessagesFor(50);
        else break;
    }
    info->page = nullptr;
    info->walk.reset();
    info->paragraph = nullptr;
    spellInfo_.reset();
}

// --- interactive spell check -----------------------------------------------------------------

platform::InteractiveSpellCallbacks THQVpage::InteractiveSpellCheck(bool fromCursor) {
    struct State {
        std::unique_ptr<ParagraphWalk> walk;
        THQVparag* paragraph = nullptr;
        bool first = true;
    };
    auto st = std::make_shared<State>();
    platform::InteractiveSpellCallbacks cb;
    if (!box_) {
        cb.getPar = [](std::string& text, int32_t&) { text.clear(); };
        return cb;
    }
    st->walk = std::make_unique<ParagraphWalk>(*box_);
    int32_t firstOffset = 0;
    if (fromCursor && box_->ParagraphCount() > 0) {
        const int32_t pi = std::clamp(box_->caret.paragraphIndex, 0, box_->ParagraphCount() - 1);
        st->walk->PositionAt(*box_, pi);
        // The check starts at the word before the caret: back from the caret
        // to the character after the previous blank.
        const std::string& t = box_->Paragraph(pi).Text();
        int32_t at = std::clamp(box_->caret.charIndex, 0, int32_t(t.size()));
        while (at > 0 && t[size_t(at - 1)] != ' ') --at;
        firstOffset = at > 0 ? at - 1 : 0;
    }
    cb.getPar = [st, firstOffset](std::string& text, int32_t& offset) {
        text.clear();
        st->paragraph = st->walk ? st->walk->Next() : nullptr;
        if (!st->paragraph) return;
        text = st->paragraph->Text();
        if (st->first) offset = firstOffset;
        st->first = false;
    };
    cb.misspelling = [st](int, int32_t length, int32_t position) {
        THQVparag* p = st->paragraph;
        if (!p) return;
        THQVbox& b = p->Box();
        const int32_t pi = ParagraphIndexInBox(*p);
        if (pi < 0 || position < 0 || position + length > p->Length()) return;
        b.Select(b.MakePosition(pi, position), b.MakePosition(pi, position + length));
    };
    cb.changeText = [this, st](int32_t position, int, const std::string& text, int32_t length) {
        THQVparag* p = st->paragraph;
        if (!p) return;
        THQVbox& b = p->Box();
        const int32_t pi = ParagraphIndexInBox(*p);
        if (pi < 0 || position < 0 || length < 0 || position + length > p->Length()) return;
        if (host_.replaceText) {
            host_.replaceText(b, pi, position, length, text);
            return;
        }
        DeferredActions actions;
        BoxEditor editor(b, actions);
        editor.SetSelection(b.MakePosition(pi, position), b.MakePosition(pi, position + length));
        if (text.empty()) editor.DeleteSelection();
        else editor.ReplaceSelection(text);
        modified = true;
    };
    cb.end = [st] {
        st->walk.reset();
        st->paragraph = nullptr;
    };
    return cb;
}

}  // namespace ovik
