#include "view/editing_view.h"

#include <algorithm>
#include <cctype>

#include "convert/hqv_to_txt.h"
#include "core/codepage.h"
#include "document/hqv_set.h"
#include "document/kinds.h"
#include "links/link_objects.h"
#include "links/navigation.h"
#include "page/page_copy.h"
#include "page/page_record.h"
#include "page/page_undo.h"
#include "platform/clipboard.h"
#include "text/layout.h"

namespace ovik {

namespace {
std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

constexpr const char* kPasteUndoText = "Inserimento da Cartella appunti";
constexpr int32_t kLastPageNumber = 0xFFFFFF;
}  // namespace

TInsiemeCornici::TInsiemeCornici(platform::TextMeasurer& measurer) : measurer_(measurer) {
    host_.measurer = &measurer_;
}

// The history may be gone by now (its owner may go first): it is not touched.
TInsiemeCornici::~TInsiemeCornici() {
    if (OnDestroyed) OnDestroyed();
    StopSlideTimer();
    LeavePage(false);
    retiredFrames_.clear();
}

void TInsiemeCornici::SetLinkedHQVset(THQVset* set) {
    if (set_ == set && mainPage_ == -1) return;
    StopSlideTimer();
    LeavePage(false);
    set_ = set;
    host_.set = set;
    current_ = nullptr;
    mainPage_ = -1;
    pageHistory_.clear();
    posted_.clear();
}

void TInsiemeCornici::SetHistory(THQVundoList* history) {
    if (history_ && viewIndex_ >= 0) history_->views.Release(viewIndex_);
    history_ = history;
    viewIndex_ = history_ ? history_->views.Add(&viewNode_) : -1;
    // Entries name placed objects so that they find them after the page was
    // stored and built again.
    if (history_) ConnectPlacedObjects(*history_);
}

std::string TInsiemeCornici::RootFrameTitle() const {
    return mainPage_ >= 0 ? "Pag" + std::to_string(mainPage_) : std::string();
}

void TInsiemeCornici::SetReadOnly(bool r) {
    if (!r) {
        StopSlideTimer();
        // Slides and link launchers that fired but have not run yet belong
        // to the reader's view: the editor does not follow them.
        posted_.erase(std::remove_if(posted_.begin(), posted_.end(),
                                     [](const PostedLink& l) { return l.source == links::LinkSender::Page; }),
                      posted_.end());
        // An editable view is no temporary copy any more.
        if (tmp_.on) SetTemporaryCopy(false);
    }
    readOnly_ = r;
    if (frames_) {
        // A reader's bars may be narrower than an editor's.
        frames_->editable = !r;
        frames_->Resize();
        for (TInsiemeCornici* v : frames_->Views()) v->SetReadOnly(r);
    }
    host_.ReadOnly = r;
    if (page_) page_->SetReadOnly(r);
    // A reader has no caret in a cell: the page's box takes it back.
    if (r && cellBox_) FocusBox(MainBox(), MainBox()->caret.paragraphIndex, MainBox()->caret.charIndex);
    if (THQVbox* box = MainBox()) box->geometry.readOnly = r;
    if (editor_) editor_->readOnly = false;  // the box's own flag decides
}

void TInsiemeCornici::SetAutoJump(bool on) {
    if (autoJump_ != on) pageHistory_.clear();
    autoJump_ = on;
    host_.AutoJump = on;
}

void TInsiemeCornici::SetAutoEngQuote(bool on) {
    autoEngQuote_ = on;
    if (frames_)
        for (TInsiemeCornici* v : frames_->Views()) v->SetAutoEngQuote(on);
    if (editor_) editor_->autoEngQuote = on;
}

// --- showing pages ---------------------------------------------------------------------------

void TInsiemeCornici::LeavePage(bool store) {
    if (frames_) {
        if (store && SaveOnExit && !readOnly_) {
            frames_->StorePages();
            if (frames_->treeModified) WriteLayoutBack();
        }
        currentFrame_ = nullptr;
        postedDeletes_.clear();
        // A link followed from a frame: its objects live until the owner heard of it.
        if (inPosted_) retiredFrames_.push_back(std::move(frames_));
        frames_.reset();
        modified_ = false;
    }
    if (!page_) return;
    if (store && SaveOnExit) StorePageOnly();
    editor_.reset();
    retiredEditors_.clear();
    cellBox_ = nullptr;
    mouseBox_ = nullptr;
    objectsHost_.reset();
    recorder_.reset();
    boxNode_.reset();
    // The controls go with the page: entries must not reach them any more.
    for (int32_t i = 0; i <= pageNode_.list.LastIndex(); ++i) pageNode_.list.Release(i);
    if (const int32_t n = page_->PageNumber(); n >= 0 && undoOwner_->viewNode_.list.At(n) == &pageNode_)
        undoOwner_->viewNode_.list.Release(n);
    if (current_ && OnEditStop) OnEditStop(current_);
    current_ = nullptr;
    actions_.Clear();
    if (inPosted_) {
        // A link followed from this page: its objects stay alive until the
        // owner has heard of the link.
        retired_.push_back(std::move(page_));
    } else {
        page_->ClosePage();
        page_.reset();
    }
    modified_ = false;
}

bool TInsiemeCornici::StorePageOnly() {
    if (!page_ || !editor_ || readOnly_ || !set_) return false;
    editor_->CloseGroups();
    // An unchanged page is stored only to get its automatic title (a page
    // viewed and left is named after its first words); any other unchanged
    // page would only mark the hypertext changed for nothing.
    THQVtesto* stored = page_->StoredPage();
    modified_ = Modified();
    if (!modified_ && !(stored && stored->Title() == kUntitledPage)) return false;
    page_->modified = modified_;
    host_.modified = modified_;
    const bool ok = page_->StorePage();
    if (ok) set_->SetModified(true);
    modified_ = false;
    return ok;
}

bool TInsiemeCornici::ShowPageNumber(int32_t n) {
    THQVtesto* stored = set_->Page(n);
    if (!stored || stored->IsFree()) {
        // A number no page has: a new page under the next free number.
        THQVoggetto* made = set_->AddNewObject(testoHtml);
        stored = made ? set_->Page(made->Number()) : nullptr;
        if (!stored) return false;
        set_->SetModified(true);
    }
    if (showNested_) {
        FrameTree tree;
        std::string why;
        const bool layout = ReadPageLayout(*set_, stored->Number(), tree, &why);
        if (!why.empty()) set_->Messages().Error(why);  // damaged: the page is shown alone
        if (layout && tree.Root() && !tree.Root()->IsLeaf()) {
            mainPage_ = stored->Number();
            BuildFrames(std::move(tree));
            modified_ = false;
            FireBoxShown();
            if (readOnly_ && ActivePreview) ArmSlideTimer();
            return true;
        }
    }
    return ShowStored(stored);
}

bool TInsiemeCornici::ShowStored(THQVtesto* stored) {
    host_.modified = false;
    page_ = std::make_unique<THQVpage>(host_);
    page_->SetReadOnly(readOnly_);
    page_->SetScrollBarMode(pageScrollBars_);
    page_->SetBorder(pageBorder_);
    page_->ShowPage(stored);
    THQVbox* box = page_->Box();
    if (!box) {
        page_.reset();
        return false;
    }
    const int32_t number = page_->PageNumber();
    InstallLayout(*box);
    box->geometry.readOnly = readOnly_;
    // Edits are recorded under stable indexes: the view, the page by its
    // number, the page's main box at 0.
    if (history_ && number >= 0) {
        undoOwner_->viewNode_.list.PutAt(number, &pageNode_);
        boxNode_ = std::make_unique<BoxNode>(*box);
        pageNode_.list.PutAt(0, boxNode_.get());
        box->controlIndex = 0;
        recorder_ = std::make_unique<HistoryRecorder>(*history_, number, undoOwner_->viewIndex_);
        box->undo = recorder_.get();
        // Placed objects with a model record their own changes beside the box's.
        page_->ConnectHistory(history_, &pageNode_.list, number, undoOwner_->viewIndex_);
    }
    box->OnChanged = [this](THQVbox&) {
        modified_ = true;
        if (page_) page_->ScheduleSpellCheck(0);  // changed paragraphs lost their marks
        if (OnChanged) OnChanged();
    };
    box->OnRepaint = [this](THQVbox&) {
        FireRepaint();
    };
    objectsHost_ = std::make_unique<PageObjectsHost>(*page_, *page_->WorkingCopy());
    MakeEditor(*box);
    editor_->PlaceCaretAtFirstEditable();
    mainPage_ = number;
    modified_ = false;
    FireBoxShown();
    if (readOnly_ && ActivePreview) {
        PostLaunchers();
        ArmSlideTimer();
    }
    return true;
}

void TInsiemeCornici::FireBoxShown() {
    if (OnBoxShown) OnBoxShown();
    if (frameSetBoxShown_) frameSetBoxShown_();
}

void TInsiemeCornici::FireRepaint() {
    if (OnRepaint) OnRepaint();
    if (frameSetRepaint_) frameSetRepaint_();
}

// --- slides ------------------------------------------------------------------------------------

void TInsiemeCornici::StopSlideTimer() {
    if (slideArmed_ && slideScheduler_) slideScheduler_->StopTimer();
    slideArmed_ = false;
}

void TInsiemeCornici::ArmSlideTimer() {
    THQVtesto* shown = set_ && mainPage_ >= 0 ? set_->Page(mainPage_) : nullptr;
    if (!slideScheduler_ || !shown || shown->IsFree()) return;
    PageRecord r{*shown};
    if (r.SlideTarget() == -1) return;
    const int ms = std::max(100, int(r.SlideDelay()) * 1000);
    slideArmed_ = true;
    slideScheduler_->StartTimer(ms, [this] { SlideTimerFired(); });
}

void TInsiemeCornici::SlideTimerFired() {
    slideArmed_ = false;
    THQVtesto* shown = set_ && mainPage_ >= 0 ? set_->Page(mainPage_) : nullptr;
    if (!shown || shown->IsFree() || !ActivePreview) return;
    // Followed as a link: with AutoJump the view records the page left in its
    // history and shows the next slide itself.
    THQVtesto* next = set_->Page(PageRecord{*shown}.SlideTarget());
    if (next && !next->IsFree()) DoLink(links::LinkSender::Page, next);
}

void TInsiemeCornici::PostLaunchers() {
    for (PagePlacedObject* marker : page_->Previews())
        if (marker->IsLauncher()) DoLink(links::LinkSender::Page, marker->Object());
}

void TInsiemeCornici::SetMainPageNumber(int32_t n) {
    if (n == mainPage_ && (n < 0 || page_ || frames_)) return;
    StopSlideTimer();
    if (!inPosted_) launcherRuns_ = 0;  // shown by the reader, not by a launcher
    LeavePage(true);
    if (!set_ || n < 0) {
        mainPage_ = -1;
        current_ = nullptr;
        FireBoxShown();
        if (OnPageChanged) OnPageChanged();
        return;
    }
    if (!ShowPageNumber(n)) {
        mainPage_ = -1;
        FireBoxShown();
    }
    if (OnPageChanged) OnPageChanged();
}

void TInsiemeCornici::Reshow() {
    const int32_t n = mainPage_;
    LeavePage(true);
    if (!set_ || n < 0 || !ShowPageNumber(n)) {
        mainPage_ = -1;
        FireBoxShown();
    }
}

bool TInsiemeCornici::StorePage(bool keepEditing) {
    if (frames_) {
        if (readOnly_ || !frames_->Modified()) return false;
        frames_->StorePages();
        if (frames_->treeModified) WriteLayoutBack();
        return true;
    }
    if (!page_ || !Modified()) return false;
    if (!keepEditing) return StorePageOnly();
    // The caret of the page's box is kept (a cell's box is made anew).
    const int32_t para = page_->Box() ? page_->Box()->caret.paragraphIndex : 0;
    const int32_t ch = page_->Box() ? page_->Box()->caret.charIndex : 0;
    const bool ok = StorePageOnly();
    // The stored working copy takes no second store: edit a fresh one.
    const int32_t n = mainPage_;
    const bool keepSave = SaveOnExit;
    SaveOnExit = false;
    LeavePage(false);
    SaveOnExit = keepSave;
    if (n >= 0 && ShowPageNumber(n)) {
        actions_.Clear();  // the caret goes back where it was, not into a first table
        THQVbox& box = editor_->Box();
        if (box.ParagraphCount() > 0) {
            const int32_t k = std::clamp(para, 0, box.ParagraphCount() - 1);
            box.SetCaret(k, std::clamp(ch, 0, box.Paragraph(k).Length()));
        }
    }
    return ok;
}

// --- page history ---------------------------------------------------------------------------

void TInsiemeCornici::Push(int32_t page) {
    if (page >= 0 && !goingBack_) pageHistory_.push_back(page);
}

int32_t TInsiemeCornici::Back() {
    StopSlideTimer();
    if (pageHistory_.empty()) return mainPage_;
    const int32_t n = pageHistory_.back();
    pageHistory_.pop_back();
    THQVtesto* p = set_ ? set_->Page(n) : nullptr;
    if (p && !p->IsFree()) {
        goingBack_ = true;
        SetMainPageNumber(n);
        goingBack_ = false;
    }
    return n;
}

int32_t TInsiemeCornici::Current() {
    if (pageHistory_.empty()) return mainPage_;
    const int32_t n = pageHistory_.back();
    SetMainPageNumber(n);
    return n;
}

void TInsiemeCornici::Close() {
    current_ = nullptr;
    SetMainPageNumber(-1);
    pageHistory_.clear();
}

// --- links -------------------------------------------------------------------------------------

void TInsiemeCornici::DoLink(links::LinkSender source, THQVoggetto* target) {
    if (!target) return;
    posted_.push_back({source, target});
    if (OnLinkPosted) OnLinkPosted();
}

THQVoggetto* TInsiemeCornici::Resolve(int32_t id) const {
    if (TInsiemeCornici* v = FrameView()) return v->Resolve(id);
    if (id < 0 && IdKind(id) != kPageLocalKind) return nullptr;
    if (IdKind(id) == kPageLocalKind) {
        PageWorkingCopy* wc = page_ ? page_->WorkingCopy() : nullptr;
        const size_t i = size_t(IdNumber(id));
        if (!wc || i >= wc->localLinks.size()) return nullptr;
        return wc->localLinks[i].object.get();
    }
    THQVoggetto* o = set_ ? set_->GetObjectById(id) : nullptr;
    return o && !o->IsFree() ? o : nullptr;
}

void TInsiemeCornici::FollowIdentifier(int32_t id) {
    if (TInsiemeCornici* v = FrameView()) return v->FollowIdentifier(id);
    DoLink(links::LinkSender::TextBox, Resolve(id));
}

bool TInsiemeCornici::RunPosted() {
    bool any = false;
    // Frames dragged too small go first, then what the frames' pages posted
    // (their links come here as this view's own).
    if (!postedDeletes_.empty()) {
        std::vector<THQVFrame*> deletes;
        deletes.swap(postedDeletes_);
        for (THQVFrame* f : deletes)
            if (frames_ && frames_->Contains(f)) DeleteFrame(f);
        any = true;
    }
    if (frames_)
        for (TInsiemeCornici* v : frames_->Views()) any = v->RunPosted() || any;
    if (posted_.empty()) {
        retiredFrames_.clear();
        return any;
    }
    std::vector<PostedLink> work;
    work.swap(posted_);
    inPosted_ = true;
    for (const PostedLink& l : work) {
        current_ = nullptr;
        THQVoggetto* o = l.target;
        const bool launcher = l.source == links::LinkSender::Page && o->Kind() == shortObj;
        if (!launcher) launcherRuns_ = 0;
        else if (++launcherRuns_ > kLauncherChain) continue;
        const bool fromFrameSet = l.source == links::LinkSender::FrameSet;
        if (autoJump_ && !fromFrameSet && o->Kind() == testoHtml && !o->IsFree() && o->Owner() == set_) {
            if (o->Number() != mainPage_) {
                Push(mainPage_);
                SetMainPageNumber(o->Number());
            }
        } else if (autoJump_ && !fromFrameSet && o->Kind() == speclink && set_ && mainPage_ >= 0) {
            // Subtypes 1, 4 and 5 name a page through the page that holds them.
            links::SpecialLink s{*o};
            int32_t target = -1;
            // A subtype 1 link that shows its target in a frame or a window
            // of its own (actions 0 to 4) leaves the main page where it is.
            if (s.Subtype() == 1 && s.Action() == links::kActJump) {
                THQVoggetto* t = set_->GetObjectById(s.Target());
                if (t && t->Kind() == testoHtml && !t->IsFree() && t->Owner() == set_) target = t->Number();
            } else if (s.Subtype() == 4) {
                target = links::PreviousInSequence(*set_, mainPage_);
            } else if (s.Subtype() == 5) {
                target = links::NextInSequence(*set_, mainPage_);
            }
            // Page 0 is left to the owner.
            if (target >= 1 && target <= kLastPageNumber && target != mainPage_) {
                Push(mainPage_);
                SetMainPageNumber(target);
            }
        }
        if (OnDoLink) OnDoLink(l.source, o);
    }
    inPosted_ = false;
    for (auto& p : retired_) p->ClosePage();
    retired_.clear();
    retiredFrames_.clear();
    return true;
}

bool TInsiemeCornici::JumpToAnchor(int32_t number) {
    if (frames_) {
        // In the frame that shows the main page, else in the selected one.
        for (TInsiemeCornici* v : frames_->Views())
            if (v->MainPageNumber() == mainPage_) return v->JumpToAnchor(number);
        TInsiemeCornici* v = FrameView();
        return v && v->JumpToAnchor(number);
    }
    return page_ && page_->JumpToAnchor(number);
}

// --- current control ----------------------------------------------------------------------------

THQVbox* TInsiemeCornici::CurrentBox() const {
    const TInsiemeCornici& v = Shown();
    if (!v.page_) return nullptr;
    return v.cellBox_ ? v.cellBox_ : v.page_->Box();
}

THQVbox* TInsiemeCornici::MainBox() const {
    const TInsiemeCornici& v = Shown();
    return v.page_ ? v.page_->Box() : nullptr;
}

void TInsiemeCornici::SelectControl(PlacedObject* control) {
    if (TInsiemeCornici* v = FrameView()) return v->SelectControl(control);
    current_ = control;
    if (OnSelectionChange) OnSelectionChange(control);
}

// --- clipboard and find ----------------------------------------------------------------------------

bool TInsiemeCornici::HasSelection() const {
    if (TInsiemeCornici* v = FrameView()) return v->HasSelection();
    THQVbox* box = CurrentBox();
    if (!box || !box->hasSelection) return false;
    TextPosition s = box->SelectionStart(), e = box->SelectionEnd();
    return s.paragraphIndex != e.paragraphIndex || s.charIndex != e.charIndex;
}

std::string TInsiemeCornici::SelectedText() const {
    if (TInsiemeCornici* v = FrameView()) return v->SelectedText();
    if (!HasSelection()) return {};
    THQVbox& box = *CurrentBox();
    TextPosition s = box.SelectionStart(), e = box.SelectionEnd();
    std::string text;
    for (int32_t pi = s.paragraphIndex; pi <= e.paragraphIndex && pi < box.ParagraphCount(); ++pi) {
        const THQVparag& p = box.Paragraph(pi);
        const int32_t from = pi == s.paragraphIndex ? s.charIndex : 0;
        const int32_t to = pi == e.paragraphIndex ? std::min(e.charIndex, p.Length()) : p.Length();
        if (pi != s.paragraphIndex) text += '\n';
        for (int32_t i = std::max(0, from); i < to; ++i)
            if (p.Records()[size_t(i)].object < 0) text += p.Text()[size_t(i)];
    }
    return cp1252::ToUtf8(text);
}

bool TInsiemeCornici::Copy() {
    if (TInsiemeCornici* v = FrameView()) return v->Copy();
    if (!HasSelection() || !clipboard_) return false;
    THQVbox& box = *CurrentBox();
    // The editor's own format keeps styles, links and placed objects; other
    // programs take the plain text.
    const Bytes objects =
        WriteObjectsData(box, box.SelectionStart(), box.SelectionEnd(), false, objectsHost_.get());
    clipboard_->SetObjects(std::string(objects.begin(), objects.end()), SelectedText());
    return true;
}

bool TInsiemeCornici::Cut() {
    if (TInsiemeCornici* v = FrameView()) return v->Cut();
    if (!HasSelection() || readOnly_ || !editor_ || !Copy()) return false;
    editor_->DeleteSelection();
    modified_ = true;
    return true;
}

bool TInsiemeCornici::Paste() {
    if (TInsiemeCornici* v = FrameView()) return v->Paste();
    if (!clipboard_ || !editor_ || readOnly_) return false;
    const platform::ClipboardData data = clipboard_->Get();
    auto objects = data.formats.find(platform::kObjectsFormat);
    if (objects != data.formats.end()) {
        // When the editor's own format is there the paste ends with it, even
        // when its data is not accepted.
        if (!objectsHost_) return false;
        const Bytes bytes(objects->second.begin(), objects->second.end());
        if (HasSelection()) editor_->DeleteSelection();
        ReadObjectsData(*editor_, bytes, kPasteUndoText, false, objectsHost_.get());
        modified_ = true;
        return true;
    }
    return data.text && PasteText(*data.text);
}

bool TInsiemeCornici::PasteText(const std::string& text) {
    if (TInsiemeCornici* v = FrameView()) return v->PasteText(text);
    if (!editor_ || readOnly_ || text.empty() || !set_) return false;
    // The text converter turns the plain text into objects data (one
    // paragraph per line), which is pasted at the caret as one undo entry.
    const std::string bytes = cp1252::FromUtf8(text);
    Bytes source(bytes.begin(), bytes.end());
    source.push_back(0);
    Bytes fragment;
    THQVtoTxt converter;
    converter.LinkedHQVset = set_;
    // The pasted paragraphs take the style of the paragraph at the caret.
    THQVbox* box = CurrentBox();
    converter.ImportFragment(source, fragment, false, box ? box->ParaAttributes().StyleNumber() : 0);
    if (HasSelection()) editor_->DeleteSelection();
    ReadObjectsData(*editor_, fragment, kPasteUndoText, false);
    modified_ = true;
    return true;
}

bool TInsiemeCornici::Find(const std::string& text, bool fromCursor) {
    if (TInsiemeCornici* v = FrameView()) return v->Find(text, fromCursor);
    return page_ && page_->FindNext(text, fromCursor);
}

// --- frames ---------------------------------------------------------------------------------------

bool TInsiemeCornici::Modified() const {
    return modified_ || (page_ && page_->modified) || (frames_ && frames_->Modified());
}

const TInsiemeCornici& TInsiemeCornici::Shown() const {
    const TInsiemeCornici* v = FrameView();
    return v ? *v : *this;
}

TInsiemeCornici* TInsiemeCornici::FrameView() const {
    return frames_ && currentFrame_ ? frames_->ViewOf(currentFrame_) : nullptr;
}

std::unique_ptr<TInsiemeCornici> TInsiemeCornici::MakeFrameView() {
    auto v = std::make_unique<TInsiemeCornici>(measurer_);
    // A frame shows its page alone; links go to this view, which follows
    // them for the whole frame set.
    v->showNested_ = false;
    v->autoJump_ = false;
    v->SetLinkedHQVset(set_);
    v->history_ = history_;
    v->undoOwner_ = undoOwner_;
    v->clipboard_ = clipboard_;
    v->readOnly_ = readOnly_;
    v->host_.ReadOnly = readOnly_;
    v->host_.SearchOptions = host_.SearchOptions;
    v->host_.spellChecker = host_.spellChecker;
    v->host_.scheduler = host_.scheduler;
    v->host_.controlMetrics = host_.controlMetrics;
    v->host_.mediaPlayers = host_.mediaPlayers;
    v->SaveOnExit = SaveOnExit;
    v->AnchorPreview = AnchorPreview;
    v->autoEngQuote_ = autoEngQuote_;
    TInsiemeCornici* nested = v.get();
    v->OnDoLink = [this](links::LinkSender source, THQVoggetto* o) { DoLink(source, o); };
    v->OnLinkPosted = [this] {
        if (OnLinkPosted) OnLinkPosted();
    };
    v->OnChanged = [this] {
        if (OnChanged) OnChanged();
    };
    // The frame set hears of the frame's box after whoever shows it.
    v->frameSetRepaint_ = [this] { FireRepaint(); };
    v->frameSetBoxShown_ = [this] { FireBoxShown(); };
    v->OnSelectionChange = [this, nested](PlacedObject* c) {
        if (frames_) currentFrame_ = frames_->FrameOf(nested);
        if (OnSelectionChange) OnSelectionChange(c);
    };
    v->OnEditStart = [this](PlacedObject* c) {
        if (OnEditStart) OnEditStart(c);
    };
    v->OnEditStop = [this](PlacedObject* c) {
        if (OnEditStop) OnEditStop(c);
    };
    return v;
}

void TInsiemeCornici::BuildFrames(FrameTree tree) {
    frames_ = std::make_unique<THQVFramePanel>(*set_, [this] { return MakeFrameView(); });
    frames_->editable = !readOnly_;
    frames_->framesOnly = framesOnly_;
    frames_->barWidth = BarWidth;
    frames_->SetTree(std::move(tree));
    frames_->Size(viewWidth_, viewHeight_);
    frames_->ShowPages();
    // The frame that shows the main page is selected, else the first page shown.
    currentFrame_ = nullptr;
    for (THQVFrame* f : frames_->Tree().PreOrder()) {
        TInsiemeCornici* v = frames_->ViewOf(f);
        if (!v) continue;
        if (!currentFrame_ || v->MainPageNumber() == mainPage_) currentFrame_ = f;
        if (v->MainPageNumber() == mainPage_) break;
    }
}

void TInsiemeCornici::WriteLayoutBack() {
    if (!frames_ || !set_ || mainPage_ < 0) return;
    THQVtesto* page = set_->Page(mainPage_);
    if (!page || page->IsFree()) {
        set_->Messages().Error("Nessuna cornice è stata registrata come master per la mappa cornici!");
        return;
    }
    frames_->TakePageNumbers(false);
    if (frames_->Tree().Root() && !frames_->Tree().Root()->IsLeaf()) {
        SetPageLayout(*set_, mainPage_, frames_->Tree());
    } else {
        // No frames left: the page hosts no layout any more.
        PageRecord r{*page};
        r.SetFrameLayout(-1);
        RaiseRevision(*page, set_->Revision());
        set_->SetModified(true);
    }
    frames_->treeModified = false;
}

void TInsiemeCornici::SetShowNested(bool on) {
    if (showNested_ == on) return;
    showNested_ = on;
    Reshow();
}

void TInsiemeCornici::SetShowFramesOnly(bool on) {
    if (framesOnly_ == on) return;
    framesOnly_ = on;
    if (frames_) Reshow();
}

void TInsiemeCornici::SetViewSize(int32_t width, int32_t height) {
    viewWidth_ = std::max(0, width);
    viewHeight_ = std::max(0, height);
    if (frames_) frames_->Size(viewWidth_, viewHeight_);
}

void TInsiemeCornici::SelectFrame(THQVFrame* frame) {
    if (!frames_ || (frame && !frames_->Contains(frame))) return;
    currentFrame_ = frame;
    if (OnClickFrame) OnClickFrame(frame);
}

bool TInsiemeCornici::SelectFrameByName(std::string_view name) {
    TInsiemeCornici* owner = FrameOwner(name);
    if (owner && owner != this) return owner->SelectFrameByName(name);
    THQVFrame* f = owner ? frames_->FindByTitle(name) : nullptr;
    if (!f) return false;
    currentFrame_ = f;
    if (framesOnly_ && OnClickFrame) OnClickFrame(f);
    return true;
}

TInsiemeCornici* TInsiemeCornici::FrameOwner(std::string_view name) {
    if (frames_) {
        const std::string wanted = Lower(name);
        for (THQVFrame* f : frames_->Tree().PreOrder()) {
            if (Lower(f->rec.title) == wanted) return this;
            // A leaf's view: its own frames and the frame sets nested in its page.
            TInsiemeCornici* v = f->IsLeaf() ? frames_->ViewOf(f) : nullptr;
            if (v)
                if (TInsiemeCornici* owner = v->FrameOwner(name)) return owner;
        }
    }
    for (TInsiemeCornici* n : nestedSets_)
        if (TInsiemeCornici* owner = n->FrameOwner(name)) return owner;
    return nullptr;
}

void TInsiemeCornici::AddNestedFrameSet(TInsiemeCornici* view) {
    if (view && view != this && std::find(nestedSets_.begin(), nestedSets_.end(), view) == nestedSets_.end())
        nestedSets_.push_back(view);
}

void TInsiemeCornici::RemoveNestedFrameSet(TInsiemeCornici* view) {
    nestedSets_.erase(std::remove(nestedSets_.begin(), nestedSets_.end(), view), nestedSets_.end());
}

TInsiemeCornici::FrameHit TInsiemeCornici::HitFrames(int32_t x, int32_t y) const {
    FrameHit hit;
    if (frames_) {
        hit.bar = frames_->BarAt(x, y);
        if (hit.bar.kind == THQVFramePanel::BarHit::None) hit.frame = frames_->LeafAt(x, y);
        return hit;
    }
    // A page shown alone offers its two edge bars.
    for (const THQVEdgeBar& b : EdgeBars())
        if (x >= b.x && x < b.x + b.width && y >= b.y && y < b.y + b.height) {
            hit.bar.kind = THQVFramePanel::BarHit::Edge;
            hit.bar.edge = b;
            break;
        }
    return hit;
}

void TInsiemeCornici::SetPageScrollBars(int mode) {
    pageScrollBars_ = mode;
    if (page_) page_->SetScrollBarMode(mode);
}

void TInsiemeCornici::SetPageBorder(bool on) {
    pageBorder_ = on;
    if (page_) page_->SetBorder(on);
}

bool TInsiemeCornici::ScrollByArrow(EditKey key) {
    if (!readOnly_) return false;
    int32_t dx = 0, dy = 0;
    switch (key) {
        case EditKey::Left: dx = -kArrowStep; break;
        case EditKey::Right: dx = kArrowStep; break;
        case EditKey::Up: dy = -kArrowStep; break;
        case EditKey::Down: dy = kArrowStep; break;
        default: return false;
    }
    THQVbox* box = MainBox();
    if (!box) return true;
    // The page scrolls as far as its text reaches past its client area.
    BoxGeometry& g = box->geometry;
    const int32_t vMax = std::max(0, g.vScrollRange - g.clientHeight);
    const int32_t hMax = std::max(0, g.hScrollRange - g.clientWidth);
    g.vScrollPos = std::clamp(g.vScrollPos + dy, 0, vMax);
    g.hScrollPos = std::clamp(g.hScrollPos + dx, 0, hMax);
    FireRepaint();
    return true;
}

std::vector<THQVEdgeBar> TInsiemeCornici::EdgeBars() const {
    if (frames_) return frames_->EdgeBars();
    if (readOnly_ || !showNested_ || mainPage_ < 0) return {};
    const int32_t b = BarWidth;
    return {{nullptr, 0, 0, 0, viewWidth_, std::min(b, viewHeight_)},
            {nullptr, 1, 0, 0, std::min(b, viewWidth_), viewHeight_}};
}

THQVFrame* TInsiemeCornici::SplitFrame(THQVFrame* frame, int direction, int32_t size) {
    if (!set_ || mainPage_ < 0 || (readOnly_ && !framesOnly_)) return nullptr;
    if (!frames_) {
        // The page shown alone gets a layout of one frame, which is split.
        if (modified_ && page_ && !readOnly_) StorePageOnly();
        const int32_t n = mainPage_;
        const bool keep = SaveOnExit;
        SaveOnExit = false;
        LeavePage(false);
        SaveOnExit = keep;
        mainPage_ = n;
        FrameTree tree;
        tree.MakeSingle(n);
        BuildFrames(std::move(tree));
        frame = frames_->Tree().Root();
    }
    if (!frame) frame = frames_->Tree().Root();
    std::string why;
    THQVFrame* made = frames_->Split(*frame, direction, size, &why);
    if (!made) {
        if (!why.empty()) set_->Messages().Error(why);
        return nullptr;
    }
    if (!currentFrame_ || !frames_->ViewOf(currentFrame_)) currentFrame_ = made;
    FireBoxShown();
    if (OnFrameSetChanged) OnFrameSetChanged();
    return made;
}

THQVFrame* TInsiemeCornici::DragEdgeBar(const THQVEdgeBar& bar, int32_t distance) {
    if (distance < BarWidth) return nullptr;
    return SplitFrame(bar.frame, bar.direction, distance);
}

void TInsiemeCornici::MoveBar(const THQVSplit& bar, int32_t delta) {
    if (!frames_ || !bar.Sizeable) return;
    if (THQVFrame* small = frames_->MoveBar(bar, delta)) {
        if (readOnly_ && !framesOnly_) {
            frames_->Resize();
        } else {
            postedDeletes_.push_back(small);
            if (OnLinkPosted) OnLinkPosted();
        }
    }
    if (OnFrameSetChanged) OnFrameSetChanged();
}

void TInsiemeCornici::DeleteFrame(THQVFrame* frame) {
    if (!frames_ || !frame || !frames_->Contains(frame)) return;
    // The selected frame may be the one that goes.
    bool inside = false;
    for (THQVFrame* f = currentFrame_; f; f = f->parent) inside = inside || f == frame;
    if (inside) currentFrame_ = nullptr;
    const THQVFramePanel::Deleted result = frames_->Delete(*frame, set_->Messages());
    if (result == THQVFramePanel::Deleted::RootLeft) {
        // No frames left: the main page is shown alone.
        if (SaveOnExit && !readOnly_) frames_->StorePages();
        frames_->treeModified = true;
        if (!readOnly_) WriteLayoutBack();
        const int32_t n = mainPage_;
        currentFrame_ = nullptr;
        frames_.reset();
        if (!ShowStored(set_->Page(n))) mainPage_ = -1;
        modified_ = false;
    } else if (!currentFrame_ || !frames_->ViewOf(currentFrame_)) {
        currentFrame_ = nullptr;
    }
    if (result == THQVFramePanel::Deleted::Yes || result == THQVFramePanel::Deleted::RootLeft) {
        FireBoxShown();
    }
    if (OnFrameSetChanged) OnFrameSetChanged();
}

bool TInsiemeCornici::SaveLayout(Bytes& out, int mode) {
    out.clear();
    if (!frames_) {
        if (!set_ || mainPage_ < 0) {
            if (set_) set_->Messages().Error(kSaveFramesError);
            return false;
        }
        FrameTree single;
        single.MakeSingle(mainPage_);
        out = single.WriteFile();
        return true;
    }
    if (!frames_->Tree().Root()) {
        set_->Messages().Error(kSaveFramesError);
        return false;
    }
    frames_->TakePageNumbers(mode == 0);
    out = frames_->Tree().WriteFile();
    // The tree goes on naming the pages shown.
    frames_->TakePageNumbers(false);
    return true;
}

void TInsiemeCornici::SetTemporaryCopy(bool on) {
    if (on) {
        if (tmp_.on) {
            if (set_) set_->Messages().Error("Error: this property must be set true with IsShowingTmpFrameSet false");
            return;
        }
        const TemporaryCopy saved{true, readOnly_, SaveOnExit, mainPage_};
        Close();  // stores what changed
        tmp_ = saved;
        readOnly_ = true;
        host_.ReadOnly = true;
        SaveOnExit = false;
        if (saved.mainPage >= 0) SetMainPageNumber(saved.mainPage);
        return;
    }
    if (!tmp_.on) return;
    const TemporaryCopy saved = tmp_;
    tmp_.on = false;
    Close();
    readOnly_ = saved.readOnly;
    host_.ReadOnly = saved.readOnly;
    SaveOnExit = saved.saveOnExit;
    if (set_ && set_->ObjectCount(testoHtml) > 0 && saved.mainPage >= 0) SetMainPageNumber(saved.mainPage);
}

bool TInsiemeCornici::ShowInNamedFrame(std::string_view name, THQVoggetto& object, int32_t anchor, uint8_t mode) {
    TInsiemeCornici* owner = FrameOwner(name);
    if (!owner) return false;
    // A frame of a frame set nested deeper: that set shows the object.
    if (owner != this) return owner->ShowInNamedFrame(name, object, anchor, mode);
    if (!frames_ || !frames_->FindByTitle(name)) return false;
    if (!tmp_.on) SetTemporaryCopy(true);
    THQVFrame* f = frames_ ? frames_->FindByTitle(name) : nullptr;
    if (!f) return false;
    frames_->ClearChildren(*f);
    const bool page = object.Kind() == testoHtml && !object.IsFree() && object.Owner() == set_;
    if (!page) {
        frames_->ShowPlaceholderIn(*f, object);
    } else {
        FrameTree layout;
        if (mode == 1 && ReadPageLayout(*set_, object.Number(), layout) && layout.Root() &&
            !layout.Root()->IsLeaf()) {
            frames_->Graft(*f, std::move(layout));
        } else {
            frames_->Resize();
            frames_->ShowPageIn(*f, object.Number());
            if (TInsiemeCornici* v = frames_->ViewOf(f); v && anchor >= 0) v->JumpToAnchor(anchor);
        }
    }
    frames_->Resize();
    if (!frames_->ViewOf(currentFrame_)) currentFrame_ = frames_->ViewOf(f) ? f : nullptr;
    FireBoxShown();
    return true;
}

void TInsiemeCornici::ShowTemporaryPage(THQVtesto* page) {
    StopSlideTimer();
    LeavePage(true);
    if (page && ShowStored(page)) mainPage_ = -1;
}

}  // namespace ovik
