// THQVpage: the page shown in a frame of an editing view, as an engine model.
// It owns the working copy of the shown page, its main box and the controls of
// the placed objects (in an index list that resolves object tags), and carries
// the page's flags, anchors, preview markers and nested frame sets, page-level
// find and the scheduling of background spell checks.
//
//   PageHost host{&set, &measurer};
//   THQVpage page(host);
//   page.ShowPage(set.Page(2));      // working copy, box, spell check in 2 s
//   page.FindNext("gatto", false);
//   page.StorePage();                // once per showing
//   page.ClosePage();
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "page/placed_objects.h"
#include "page/thqv_par.h"
#include "page/working_copy.h"
#include "platform/control_metrics.h"
#include "platform/media_player.h"
#include "platform/spelling.h"
#include "platform/text_measurer.h"
#include "text/hqv_box.h"
#include "undo/undo.h"

namespace ovik {

class THQVpage;

// Search options of the editing view.
enum TZtSearchType : uint8_t { stWholeWord = 1, stMatchCase = 2 };
using TZtSearchTypes = uint8_t;

// A frame panel of a nested frame set (the frames code defines it).
struct FramePanel;

// A frame set nested in a page.
class NestedFrameSet {
public:
    virtual ~NestedFrameSet() = default;
    virtual void Refresh() = 0;
    virtual FramePanel* FindPanel(std::string_view name) = 0;
};

// What a page needs from the editing view that shows it.
struct PageHost {
    THQVset* set = nullptr;
    platform::TextMeasurer* measurer = nullptr;
    bool modified = false;  // the editing view's modified flag
    bool AutoSpellCheck = false;
    bool ReadOnly = false;
    TZtSearchTypes SearchOptions = 0;
    platform::SpellChecker* spellChecker = nullptr;
    platform::Scheduler* scheduler = nullptr;
    // The view asks running background work to stop.
    std::function<bool()> stopRequested;
    // A paragraph's misspelling marks changed.
    std::function<void(THQVparag&)> repaintParagraph;
    // A click on a frames-only page selects the frame that holds it.
    std::function<void(THQVpage&)> selectFrame;
    // The spelling correction of an interactive check: replaces `length`
    // characters at `start` of paragraph `paragraph` of `box` by `text` (empty:
    // deletes them) through the box's text commands, keeping the undo history.
    // Without it the page uses a box editor of its own.
    std::function<void(THQVbox& box, int32_t paragraph, int32_t start, int32_t length, const std::string& text)>
        replaceText;
    // The page is gone (the hypertext's undo list forgets it).
    std::function<void(THQVpage&)> pageClosed;
    // Form elements take their sizes from these (the fixed metrics when null);
    // multimedia objects get their players here (none when null).
    const platform::ControlMetrics* controlMetrics = nullptr;
    platform::MediaPlayers* mediaPlayers = nullptr;
    // The editing view's AutoJump (links shown in the view itself).
    bool AutoJump = false;
};

// The hand-over record between a page and its spell thread.
struct TParInfoForThread {
    THQVpage* page = nullptr;  // null once the page forgot the check
    std::unique_ptr<ParagraphWalk> walk;
    int32_t index = -1;
    THQVparag* paragraph = nullptr;
    bool checkAll = false;
    std::shared_ptr<platform::SpellThread> thread;
};

class THQVpage : public PlacedObjectIndex {
public:
    explicit THQVpage(PageHost& host);
    ~THQVpage() override;
    THQVpage(const THQVpage&) = delete;
    THQVpage& operator=(const THQVpage&) = delete;

    // --- showing, storing, closing ---------------------------------------------
    // Shows a registered page of the host's set (a working copy of it), an
    // unregistered page of the set as it is (never stored), or a new
    // unregistered page when `page` is null. Returns the page object shown.
    THQVtesto* ShowPage(THQVtesto* page);
    // Stores the shown page once per showing. False when nothing was stored.
    bool StorePage();
    void ClosePage();
    // Builds the main box and the controls of the pending placed objects of the
    // working copy and of its header and footer copies.
    void BuildBox(PageWorkingCopy& wc);

    THQVbox* Box() const { return box_.get(); }
    PageHost& Host() const { return host_; }
    const platform::ControlMetrics& ControlMetrics() const {
        return host_.controlMetrics ? *host_.controlMetrics : platform::DefaultControlMetrics();
    }
    PageWorkingCopy* WorkingCopy() const { return wc_.get(); }
    THQVtesto* StoredPage() const { return storedPage_; }
    int32_t PageNumber() const { return pageNumber_; }
    bool IsNewPage() const { return newPage_; }
    bool IsStored() const { return stored_; }
    // Which building of the box this is: control indexes hold within one
    // showing only (every box built gets a number no page had before).
    uint64_t Showing() const { return showing_; }
    bool modified = false;

    // --- index list -------------------------------------------------------------
    PlacedObject* ControlAt(int32_t n) override;
    // Makes a control for a placed object added to the shown page (pasted);
    // its index in the index list, -1 when no page is shown. `links` is the
    // working copy whose page-local links the object's fields name (the shown
    // page's when null).
    int32_t AddControl(WorkingObject object, PageWorkingCopy* links = nullptr);
    const std::vector<std::unique_ptr<PagePlacedObject>>& Controls() const { return controls_; }
    // The working copy a control came from: the shown page's, or its header's
    // or footer's (whose objects are inactive). Null for no control of the page.
    PageWorkingCopy* PartOf(const PlacedObject* control) const;
    // Cell boxes: an index of the list for `box` (a new one, or `index` when it
    // is not -1: a cell made again by undo), known to the undo list while the
    // history is connected; releasing empties the slot.
    int32_t AddBox(THQVbox& box, int32_t index = -1);
    void ReleaseBox(int32_t index);
    // The undo entry of a table change, taken before it changes.
    void RecordTableEntry(std::unique_ptr<THQVbackup> entry);
    // The target path of a placed-object control on this page.
    std::vector<int32_t> PathOf(int32_t controlIndex) const { return {controlIndex, undoPage_, undoView_}; }
    THQVundoList* History() const { return history_; }

    // --- undo of placed objects ---------------------------------------------------
    // Records placed-object entries in `history` under (control index,
    // `pageIndex`, `viewIndex`); the controls that have a model are put into
    // `pageList` at their indexes (now and when added later), so that entries
    // find them again.
    void ConnectHistory(THQVundoList* history, THQVundoIndiciList* pageList, int32_t pageIndex,
                        int32_t viewIndex);
    // A placed-object entry for `control`, taken before it changes.
    void RecordPlacedChange(PlacedObjectNode& control, const std::string& text);
    // Lays out again the paragraph that holds `control` (its size changed);
    // with `markChanged` the page counts as modified.
    void RelayoutControl(const PlacedObject& control, bool markChanged);
    // The box, paragraph and character where control `c` stands.
    bool FindControl(const PlacedObject* c, THQVbox*& box, int32_t& paragraph, int32_t& ch) const;

    // --- flags --------------------------------------------------------------------
    void SetReadOnly(bool f);
    bool ReadOnly() const { return readOnly_; }
    void SetActive(bool f) { active_ = f; }
    bool Active() const { return active_; }
    void SetFramesOnly(bool f);
    bool FramesOnly() const { return framesOnly_; }
    void SetScrollBarMode(int mode);
    int ScrollBarMode() const { return scrollBarMode_; }
    bool HorizontalBarVisible() const { return hBar_; }
    bool VerticalBarVisible() const { return vBar_; }
    int32_t VerticalRange() const { return verticalRange_; }
    bool BorderVisible() const { return border_; }
    // A single border round the page (a frame's border field); frames-only pages have none.
    void SetBorder(bool on) { border_ = on && !framesOnly_; }
    // While a page is shown the page does not erase its background.
    bool ErasesBackground() const { return !box_; }
    void Click();

    // --- anchors, previews, nested frame sets -------------------------------------------
    void AddAnchor(PagePlacedObject* marker) { AddOnce(anchors_, marker); }
    void RemoveAnchor(PagePlacedObject* marker) { RemoveFrom(anchors_, marker); }
    void AddPreview(PagePlacedObject* marker) { AddOnce(previews_, marker); }
    void RemovePreview(PagePlacedObject* marker) { RemoveFrom(previews_, marker); }
    void AddFrameSet(NestedFrameSet* f) { AddOnce(frameSets_, f); }
    void RemoveFrameSet(NestedFrameSet* f) { RemoveFrom(frameSets_, f); }
    const std::vector<PagePlacedObject*>& Anchors() const { return anchors_; }
    const std::vector<PagePlacedObject*>& Previews() const { return previews_; }
    void RefreshFrameSets();
    FramePanel* FindFramePanel(std::string_view name) const;
    int32_t NextFreeAnchorNumber();
    bool HasAnchors() const { return !anchors_.empty(); }
    bool JumpToAnchor(int32_t number);
    bool caretShown = false;

    // --- find -----------------------------------------------------------------------------
    void StartFind();
    // Finds `text` from the last match (or, with `fromCursor`, from the caret).
    bool FindNext(const std::string& text, bool fromCursor = false);
    THQVbox* LastMatchBox() const { return lastBox_; }
    THQVparag* LastMatchParagraph() const { return lastParagraph_; }

    // --- background spell check ------------------------------------------------------------
    // Arms the timer: after 2000 ms a check starts (tag 0 new paragraphs, 1 all).
    void ScheduleSpellCheck(int request);
    int SpellTimerTag() const { return timerTag_; }
    void StopSpellCheck();
    bool SpellCheckRunning() const { return spellInfo_ != nullptr; }
    bool SpellThreadFinished() const { return threadFinished_; }
    static constexpr int kSpellDelay = 2000;
    // The events of an interactive check of this page, to bind to the checker:
    // the paragraphs in walk order (none skipped), from the word before the
    // caret with `fromCursor`; errors are selected, corrections go through the
    // box's text commands.
    platform::InteractiveSpellCallbacks InteractiveSpellCheck(bool fromCursor);

private:
    template <class T>
    static void AddOnce(std::vector<T*>& v, T* x) {
        if (x && std::find(v.begin(), v.end(), x) == v.end()) v.push_back(x);
    }
    template <class T>
    static void RemoveFrom(std::vector<T*>& v, T* x) {
        v.erase(std::remove(v.begin(), v.end(), x), v.end());
    }
    void ApplyScrollBarMode();
    void FreeBox();
    void SpellTimerFired();
    void StartBackgroundCheck(bool checkAll);

    PageHost& host_;
    std::unique_ptr<PageWorkingCopy> wc_;
    THQVtesto* storedPage_ = nullptr;
    int32_t pageNumber_ = -1;
    std::unique_ptr<THQVbox> box_;
    // Index list: entry i is a box or a placed-object control.
    std::vector<PlacedObject*> index_;
    std::vector<std::unique_ptr<PagePlacedObject>> controls_;
    std::vector<PageWorkingCopy*> controlParts_;  // beside controls_
    std::unordered_map<int32_t, std::unique_ptr<BoxNode>> boxNodes_;
    THQVundoList* history_ = nullptr;
    std::unique_ptr<HistoryRecorder> recorder_;  // for cell boxes
    THQVundoIndiciList* undoList_ = nullptr;
    int32_t undoPage_ = -1, undoView_ = -1;
    std::vector<PagePlacedObject*> anchors_, previews_;
    std::vector<NestedFrameSet*> frameSets_;
    bool newPage_ = false;
    bool stored_ = false;
    uint64_t showing_ = 0;
    bool readOnly_ = false;
    bool active_ = true;
    bool framesOnly_ = false;
    int scrollBarMode_ = 3;
    bool hBar_ = true, vBar_ = true, border_ = true;
    int32_t verticalRange_ = 1024;

    int timerTag_ = -1;
    std::shared_ptr<TParInfoForThread> spellInfo_;
    bool threadFinished_ = true;

    THQVbox* lastBox_ = nullptr;
    THQVparag* lastParagraph_ = nullptr;
    int32_t lastEnd_ = 0;
    bool findStarted_ = false;
};

}  // namespace ovik
