// TInsiemeCornici: the editing view as an engine model, for a page shown alone.
// It shows one page of a hypertext (the main page) for editing or for reading:
// it owns the page being shown (THQVpage), the box editor of its text, the
// current control, the view's own page history and the link work posted by an
// event; it routes cut, copy, paste and find to the current box, and tells its
// owner what happens through events. A widget host paints CurrentBox() and
// hands real input to Editor(); tests drive it directly.
//
//   TInsiemeCornici view(measurer);
//   view.SetLinkedHQVset(&set);
//   view.SetHistory(&undoList);
//   view.OnPageChanged = [&] { ... };
//   view.SetMainPageNumber(2);        // stores the page left (SaveOnExit), shows page 2
//   view.Editor()->KeyPress('a');
//   view.RunPosted();                 // after the event: links the event posted
//   view.Back();                      // the page shown before a followed link
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "links/follow.h"
#include "page/thqv_page.h"
#include "text/editing.h"
#include "text/layout.h"
#include "undo/undo.h"
#include "view/frame_panel.h"

namespace ovik {

class PageObjectsHost;
class THQVoggetto;
class TMyyTable;
namespace platform {
class Clipboard;
class TextMeasurer;
}  // namespace platform

class TInsiemeCornici {
public:
    explicit TInsiemeCornici(platform::TextMeasurer& measurer);
    ~TInsiemeCornici();
    TInsiemeCornici(const TInsiemeCornici&) = delete;
    TInsiemeCornici& operator=(const TInsiemeCornici&) = delete;

    // --- what is shown ----------------------------------------------------------------
    // The hypertext shown. Setting it forgets the current control and shows
    // nothing (page -1).
    void SetLinkedHQVset(THQVset* set);
    THQVset* LinkedHQVset() const { return set_; }
    // The undo history edits are recorded in (null: none).
    void SetHistory(THQVundoList* history);
    THQVundoList* History() const { return history_; }
    // The clipboard cut, copy and paste use (null: they do nothing).
    void SetClipboard(platform::Clipboard* clipboard) { clipboard_ = clipboard; }

    // The number of the main page; -2 before anything was shown, -1 when
    // nothing is shown. Setting it shows that page: the page left is stored
    // first (SaveOnExit), a number no page has makes a new page, registered
    // under the next number. Setting the number shown again changes nothing.
    // OnPageChanged fires after any other setting.
    int32_t MainPageNumber() const { return mainPage_; }
    void SetMainPageNumber(int32_t n);
    // The page shown, its main box and the editor of that box (null when
    // nothing is shown).
    // With frames: those of the current frame's page.
    THQVpage* MainPage() const { return Shown().page_.get(); }
    BoxEditor* Editor() const { return Shown().editor_.get(); }
    PageObjectsHost* ObjectsHost() const { return Shown().objectsHost_.get(); }
    // The title of the one frame a page shown alone has: "Pag" + its number.
    std::string RootFrameTitle() const;

    // --- properties ---------------------------------------------------------------------
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool r);
    // Page links are followed inside the view, with its history. Changing it
    // empties the history.
    bool AutoJump() const { return autoJump_; }
    void SetAutoJump(bool on);
    // The page left is stored (once per showing) when another one is shown.
    bool SaveOnExit = false;
    // Anchor markers are shown in a read-only view too.
    bool AnchorPreview = false;
    // A read-only view is live: the link launchers of a page shown start
    // their links (the page is their sender).
    bool ActivePreview = false;
    // How many pages in a row link launchers may show before the view stops
    // following them: a document whose launchers lead round in a circle must
    // not keep the reader's view jumping for ever.
    static constexpr int kLauncherChain = 8;
    // The slide timer: a live read-only view showing a page with a slide
    // target follows it as a link after the page's slide delay (at least
    // 100 ms). Null: slides do not run.
    void SetSlideScheduler(platform::Scheduler* scheduler) { slideScheduler_ = scheduler; }
    bool SlideTimerArmed() const { return slideArmed_; }
    void StopSlideTimer();
    // Typing turns straight quotes into typographic ones.
    bool AutoEngQuote() const { return autoEngQuote_; }
    void SetAutoEngQuote(bool on);
    void SetSearchOptions(TZtSearchTypes options) { host_.SearchOptions = options; }
    TZtSearchTypes SearchOptions() const { return host_.SearchOptions; }
    // The page's host (spell checker, scheduler, background checking).
    PageHost& Host() { return host_; }

    // --- frames --------------------------------------------------------------------------
    // A main page that hosts a frame layout shows its frames, each with a
    // nested view of its own page; off: the main page is shown alone.
    // Changing it shows the main page again.
    bool ShowNested() const { return showNested_; }
    void SetShowNested(bool on);
    // Frame-editing mode: frames show their titles instead of pages.
    bool ShowFramesOnly() const { return framesOnly_; }
    void SetShowFramesOnly(bool on);
    // The size the frames are laid out for (the host's page area).
    void SetViewSize(int32_t width, int32_t height);
    int32_t ViewWidth() const { return viewWidth_; }
    int32_t ViewHeight() const { return viewHeight_; }
    // Width of the edge bars (a frame dragged smaller than it goes).
    int32_t BarWidth = 10;
    // The frame tree of the main page (null: the page is shown alone).
    THQVFramePanel* Frames() const { return frames_.get(); }
    // The selected frame; its page takes the box commands.
    THQVFrame* CurrentFrame() const { return currentFrame_; }
    void SelectFrame(THQVFrame* frame);
    // Selects the frame titled `name` (case-insensitive); false when none is.
    // Frames of frame sets nested deeper are found too (see FrameOwner).
    bool SelectFrameByName(std::string_view name);
    // The view whose own frame tree holds the frame titled `name`, looked up
    // depth first: this view's frames in pre-order, descending into a leaf's
    // view where that view shows frames of its own, then the frame sets nested
    // in the pages shown (floating frames). Null when no frame has that name.
    TInsiemeCornici* FrameOwner(std::string_view name);
    // A frame set nested in a page this view shows (a floating frame's view)
    // takes part in the lookup of named frames while it is registered.
    void AddNestedFrameSet(TInsiemeCornici* view);
    void RemoveNestedFrameSet(TInsiemeCornici* view);
    // What a press at (x, y) of the view's area meets: a bar between frames
    // the user may drag, an edge bar, or the page of a leaf frame.
    struct FrameHit {
        THQVFramePanel::BarHit bar;
        THQVFrame* frame = nullptr;  // the leaf under the point (no bar hit)
    };
    FrameHit HitFrames(int32_t x, int32_t y) const;
    // The scroll-bar mode (0 none, 3 as needed) and border of the pages this
    // view shows; a frame gives its nested view its own.
    void SetPageScrollBars(int mode);
    void SetPageBorder(bool on);
    int PageScrollBars() const { return pageScrollBars_; }
    bool PageBorder() const { return pageBorder_; }
    // The nested view of the selected frame (null: none, or no frames).
    TInsiemeCornici* FrameView() const;
    // The edge bars an editable view offers (a page shown alone: its two,
    // with no frame).
    std::vector<THQVEdgeBar> EdgeBars() const;
    // Splits `frame` (null: the page shown alone, which then gets a layout):
    // a new frame of `size` pixels on top (direction 0) or at the left (1).
    // A message says why when it cannot.
    THQVFrame* SplitFrame(THQVFrame* frame, int direction, int32_t size);
    // Dragging an edge bar by `distance` pixels splits its frame.
    THQVFrame* DragEdgeBar(const THQVEdgeBar& bar, int32_t distance);
    // Moves the bar between two frames; a frame made smaller than the bar
    // width is deleted after the event (RunPosted).
    void MoveBar(const THQVSplit& bar, int32_t delta);
    // Deletes `frame` now, with the messages and the question of a frame
    // dragged too small.
    void DeleteFrame(THQVFrame* frame);
    // Writes the layout shown into a ".frm" file's bytes: in mode 0 each leaf
    // names its page (-1 for a new page never stored), in mode 1 (a layout
    // object) any page shown. False, with "Errore in salvataggio frames.",
    // when nothing is shown.
    bool SaveLayout(Bytes& out, int mode = 0);
    // Shows `object` in the frame titled `name`: a page alone (mode 0) or the
    // page's frame set (mode 1), jumping to `anchor`; any other object as a
    // placeholder page with a link to it. The view turns to the temporary
    // copy mode first. False when no frame has that name.
    bool ShowInNamedFrame(std::string_view name, THQVoggetto& object, int32_t anchor, uint8_t mode);
    // Temporary-copy mode: the view turns read-only, shows the main page again
    // and stores nothing; leaving it restores the view as it was.
    void SetTemporaryCopy(bool on);
    bool ShowingTemporaryCopy() const { return tmp_.on; }
    // Shows an unregistered page (a placeholder) read as it is; the caller
    // keeps it alive while it is shown.
    void ShowTemporaryPage(THQVtesto* page);

    // --- storing --------------------------------------------------------------------------
    // The text of the shown page changed since it was shown or stored.
    // With frames: any frame's page, or the frame tree.
    bool Modified() const;
    // Something besides the text changed (the page's background, say).
    void MarkModified() { modified_ = true; }
    // Writes the shown page back into the hypertext when it changed. A working
    // copy is stored once, so with `keepEditing` the view then shows a fresh
    // copy of the page (caret kept) to go on editing; without, the caller is
    // about to show another page or none. True when something was stored.
    bool StorePage(bool keepEditing = true);
    // Shows the main page again as the hypertext now holds it (it was changed
    // outside the view); the page shown is stored first (SaveOnExit).
    void Reshow();

    // The arrow keys of a read-only view scroll the current box's page by 20
    // pixels (left and right horizontally, up and down vertically), within
    // the page's scroll ranges; false for other keys and in an editable view.
    static constexpr int32_t kArrowStep = 20;
    bool ScrollByArrow(EditKey key);

    // --- page history -------------------------------------------------------------------------
    // The pages shown before the ones links led to, oldest first.
    const std::vector<int32_t>& PageHistory() const { return pageHistory_; }
    // Takes the last page of the history off it and shows it when it still
    // exists; returns its number, or the main page number when the history is
    // empty.
    int32_t Back();
    // The last page of the history, shown again; the main page when the
    // history is empty.
    int32_t Current();
    // Forgets the current control, shows nothing and empties the history.
    void Close();

    // --- links --------------------------------------------------------------------------------------
    // A link was activated: carried out by RunPosted(), after the event that
    // caused it, so that the control that caused it is not freed while its own
    // event runs.
    void DoLink(links::LinkSender source, THQVoggetto* target);
    // Do link with the object of `id` (a page-local link of the shown page, or
    // an identifier of the hypertext), from the current box.
    void FollowIdentifier(int32_t id);
    // The object a link value of the shown page's text names (null: none).
    THQVoggetto* Resolve(int32_t id) const;
    // Carries out the link work posted; true when there was any.
    bool RunPosted();
    // Shows the anchor `number` of the main page.
    bool JumpToAnchor(int32_t number);

    // --- current control --------------------------------------------------------------------------
    // The box commands go to: the main page's box, or the cell of a table that
    // has the caret; null when nothing is shown.
    THQVbox* CurrentBox() const;
    // The page's own box (what is painted and scrolled).
    THQVbox* MainBox() const;
    PlacedObject* CurrentControl() const { return Shown().current_; }
    // Makes `control` current (null: none) and fires OnSelectionChange.
    void SelectControl(PlacedObject* control);

    // --- cells of tables (editing_view_cells.cpp) ----------------------------------------------------
    // Gives the caret to `box` (the page's box or a cell of one of its tables)
    // at (paragraph, ch), with a box editor of its own; false for a box that
    // is not on the page.
    bool FocusBox(THQVbox* box, int32_t paragraph = 0, int32_t ch = 0);
    // The table whose cell has the caret (the innermost one) and the cell's
    // row and column; null outside tables.
    TMyyTable* CurrentTable(int32_t* row = nullptr, int32_t* col = nullptr) const;
    // The table that owns the cell box `cell` (null for other boxes).
    TMyyTable* TableOfCell(const THQVbox& cell, int32_t* row = nullptr, int32_t* col = nullptr) const;
    // After a change that may have freed cells (rows or columns deleted, an
    // undo): the caret goes to the cell a table asks to focus, or to the
    // page's box when its cell is gone; with `inText` also when its table
    // is no longer in the text (an undo took it out).
    void CheckCurrentBox(bool inText = false);
    // Tab (next cell) and Shift+Tab (previous cell) in a cell: the caret goes
    // to the start of that cell; at the table's last (first) cell it stays.
    // False outside tables.
    bool TabKey(bool back);
    // Carries out what an editor posted about the caret changing boxes: a
    // move that left its box (ExitBox), a box that took the focus (FocusBox),
    // a table just inserted (ObjectFocus: its first cell). False for the
    // other actions and for actions of an editor that is gone.
    bool TakeBoxAction(const EditAction& a);
    // Where `box` stands in the page's box (a cell: its table's place plus
    // the cell's, through nested tables); false for a box not shown.
    bool BoxOrigin(const THQVbox& box, int32_t& x, int32_t& y) const;
    // The innermost box under (x, y) of the page's box, and the point in its
    // coordinates; `onTable` is set to the table when the point is on a
    // table but on none of its cells.
    THQVbox* BoxAt(int32_t x, int32_t y, int32_t& lx, int32_t& ly, TMyyTable** onTable = nullptr) const;
    // Where a table stands in the box that holds it (a null rectangle when not laid out).
    PixelRect TableRect(const TMyyTable& table) const;
    // The mouse in the page's box coordinates, routed to the innermost box
    // under the press (a press on a table between its cells puts the caret
    // into its first cell); moves and the release go to the box pressed.
    void MouseDown(MouseButton b, int32_t x, int32_t y, uint8_t modifiers);
    void MouseMove(int32_t x, int32_t y, bool leftDown);
    void MouseUp(MouseButton b, int32_t x, int32_t y, uint8_t modifiers);
    void DoubleClick(int32_t x, int32_t y);

    // --- clipboard and find, routed to the current box -----------------------------------------------
    bool HasSelection() const;
    // The selected text as UTF-8, paragraphs separated by line feeds; placed
    // objects are left out.
    std::string SelectedText() const;
    // Copy puts the selection as objects data and as text; cut also deletes it;
    // paste takes the objects data when there is any, else the text. Cut and
    // paste mark the view modified.
    bool Copy();
    bool Cut();
    bool Paste();
    // Pastes UTF-8 `text` at the caret, each line a paragraph, as one undo
    // entry; characters Windows-1252 lacks become the closest one or "?".
    bool PasteText(const std::string& text);
    bool Find(const std::string& text, bool fromCursor = false);

    // --- events ------------------------------------------------------------------------------------------
    std::function<void()> OnPageChanged;
    // A link was posted: the host calls RunPosted() once the current event is over.
    std::function<void()> OnLinkPosted;
    // After the view's own jump: the owner handles what the view does not
    // (addresses, files, programs, other hypertexts, anchors).
    std::function<void(links::LinkSender, THQVoggetto*)> OnDoLink;
    std::function<void(PlacedObject*)> OnSelectionChange;
    std::function<void(PlacedObject*)> OnEditStart;
    std::function<void(PlacedObject*)> OnEditStop;
    // The shown page's text changed.
    std::function<void()> OnChanged;
    // A box was built for the main page (another page, or the same one
    // anew), or nothing is shown any more: the host lays it out for its size.
    std::function<void()> OnBoxShown;
    // Edits of the box were made (the caret or the text changed); the host repaints.
    std::function<void()> OnRepaint;
    // A bar between frames was moved, or the frame tree changed.
    std::function<void()> OnFrameSetChanged;
    // A frame was selected.
    std::function<void(THQVFrame*)> OnClickFrame;
    // The view is being destroyed (a frame's nested view goes with its frame).
    std::function<void()> OnDestroyed;

    // The actions the box editor posts for the host (menus, scrolling, drags).
    DeferredActions& Actions() { return const_cast<TInsiemeCornici&>(Shown()).actions_; }

private:
    // The view whose page takes the commands: the selected frame's nested
    // view, or this one.
    const TInsiemeCornici& Shown() const;
    // Builds the frame tree of the main page from `tree` and shows its pages.
    void BuildFrames(FrameTree tree);
    std::unique_ptr<TInsiemeCornici> MakeFrameView();
    // Writes the frame tree back into the main page's layout object (or drops
    // the layout when the root has no children).
    void WriteLayoutBack();
    // Shows `stored` in this view (the box, its editor, undo).
    bool ShowStored(THQVtesto* stored);
    // OnBoxShown and OnRepaint, then the same for the frame set a frame's
    // nested view belongs to (its own hooks, so that a host's callbacks
    // never replace them).
    void FireBoxShown();
    void FireRepaint();
    std::function<void()> frameSetBoxShown_, frameSetRepaint_;
    // The view whose index list holds the shown page for undo.
    TInsiemeCornici* undoOwner_ = this;
    bool showNested_ = true;
    bool framesOnly_ = false;
    int pageScrollBars_ = 3;
    bool pageBorder_ = true;
    std::vector<TInsiemeCornici*> nestedSets_;
    int32_t viewWidth_ = 600, viewHeight_ = 400;
    std::unique_ptr<THQVFramePanel> frames_;
    THQVFrame* currentFrame_ = nullptr;
    std::vector<std::unique_ptr<THQVFramePanel>> retiredFrames_;
    std::vector<THQVFrame*> postedDeletes_;
    struct TemporaryCopy {
        bool on = false;
        bool readOnly = false, saveOnExit = false;
        int32_t mainPage = -1;
    } tmp_;

    // Frees what shows the current page, storing it first when asked.
    void LeavePage(bool store);
    // Stores the shown page into the hypertext (once per showing).
    bool StorePageOnly();
    // Shows page `n` of the set (making it when missing); false when nothing
    // could be shown.
    bool ShowPageNumber(int32_t n);
    void Push(int32_t page);

    platform::TextMeasurer& measurer_;
    PageHost host_;
    THQVset* set_ = nullptr;
    THQVundoList* history_ = nullptr;
    platform::Clipboard* clipboard_ = nullptr;
    int32_t mainPage_ = -2;
    bool readOnly_ = false;
    bool autoJump_ = true;
    bool autoEngQuote_ = false;
    bool modified_ = false;
    bool goingBack_ = false;

    std::unique_ptr<THQVpage> page_;
    std::unique_ptr<BoxEditor> editor_;
    // The box with the caret when it is a cell (null: the page's box).
    THQVbox* cellBox_ = nullptr;
    // Editors of boxes the caret left: actions they posted may still be
    // queued, and are told apart from the current editor's by address.
    std::vector<std::unique_ptr<BoxEditor>> retiredEditors_;
    // The box that took the last mouse press, and the offset of its origin.
    THQVbox* mouseBox_ = nullptr;
    int32_t mouseX0_ = 0, mouseY0_ = 0;
    void MakeEditor(THQVbox& box);
    std::unique_ptr<PageObjectsHost> objectsHost_;
    DeferredActions actions_;
    PlacedObject* current_ = nullptr;
    std::vector<int32_t> pageHistory_;

    struct PostedLink {
        links::LinkSender source;
        THQVoggetto* target;
    };
    std::vector<PostedLink> posted_;
    // While posted links run, the pages they leave stay alive (their page-local
    // links are the objects the owner is told about) until all have run.
    bool inPosted_ = false;
    std::vector<std::unique_ptr<THQVpage>> retired_;
    // Launchers followed since a page was last shown by anything else.
    int launcherRuns_ = 0;
    void PostLaunchers();
    platform::Scheduler* slideScheduler_ = nullptr;
    bool slideArmed_ = false;
    void ArmSlideTimer();
    void SlideTimerFired();

    // Undo: the view, the page by its number, the page's main box at 0.
    ListNode viewNode_;
    ListNode pageNode_;
    int32_t viewIndex_ = -1;
    std::unique_ptr<BoxNode> boxNode_;
    std::unique_ptr<HistoryRecorder> recorder_;
};

}  // namespace ovik
