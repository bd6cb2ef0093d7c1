// The editing view's page widget: shows one page's box painted from the
// engine's display list, scrolls it, blinks the caret, and hands real input to
// the engine's box model (which decides what keys and mouse gestures do).
#pragma once

#include <QAbstractScrollArea>
#include <QAction>
#include <QBuffer>
#include <QMovie>
#include <QList>
#include <QMenu>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <memory>
#include <string_view>
#include <vector>

#include "page/page_copy.h"
#include "page/placed_controls.h"
#include "page/picture_mouse.h"
#include "page/placed_table.h"
#include "page/table_mouse.h"
#include "page/thqv_page.h"
#include "text/display_list.h"
#include "text/editing.h"
#include "text/hqv_box.h"
#include "undo/undo.h"
#include "ui/display_painter.h"
#include "ui/qt_measurer.h"
#include "ui/qt_platform.h"
#include "view/editing_view.h"
#include "view/floating_view.h"

namespace ovik {
class THQVset;
class THQVtesto;
class TMyyListBox;
class TMyyFloating;
}  // namespace ovik

namespace ovik::app {
class TZtSpellChecker;
}


namespace ovik::ui {

// Qt's mouse button and modifier keys as the engine's mouse rules take them.
MouseButton ButtonOf(Qt::MouseButton b);
uint8_t Modifiers(Qt::KeyboardModifiers m);
// Qt's key as the engine's editing keys take it (Other for the rest).
EditKey KeyOf(int key);
// The sizes of the style's standard controls (form elements take them).
std::unique_ptr<platform::ControlMetrics> NewQtControlMetrics();

class TPageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TPageView(QWidget* parent = nullptr);
    ~TPageView() override;
    // The page of one frame of `host`'s frame set: the widget shows and hands
    // input to the frame's nested view, which `host`'s view owns.
    TPageView(TInsiemeCornici& frameView, TPageView& host);

    // Shows page `number` of the set (-1 = none). Returns false when there is no
    // such page.
    bool ShowPage(THQVset& set, int32_t number);
    int32_t PageNumber() const { return std::max(-1, model_.MainPageNumber()); }
    // The box with the caret (the page's box or a cell of a table), and the
    // page's own box.
    THQVbox* Box() const { return model_.CurrentBox(); }
    THQVbox* MainBox() const { return model_.MainBox(); }
    THQVpage* Page() const { return model_.MainPage(); }
    // The editing view this widget shows and hands input to.
    TInsiemeCornici& Model() { return model_; }
    // The search options of the find commands.
    void SetSearchOptions(uint8_t options) { model_.SetSearchOptions(options); }
    // Preview: pages are shown as a reader sees them (no caret).
    void SetReadOnly(bool r);
    bool ReadOnly() const { return readOnly_; }

    // The display list of what is visible (for tests and printing).
    DisplayList VisibleList();

    // The history edits are recorded in (owned by the window, one per hypertext).
    void SetHistory(THQVundoList* history);
    BoxEditor* Editor() const { return model_.Editor(); }
    // Writes the box back into its page when it changed. A working copy is
    // stored once, so to go on editing the view shows the page again at once
    // (caret and scroll kept); callers about to show another page or none pass
    // Drop and save that work. Returns true when something was stored.
    enum class AfterStore { KeepEditing, Drop };
    bool StorePage(AfterStore after = AfterStore::KeepEditing);
    bool Modified() const { return model_.Modified(); }
    // The measurer the view lays pages out with.
    platform::TextMeasurer& Measurer() { return measurer_; }
    // Makes the caret visible by scrolling.
    void EnsureCaretVisible();
    // Runs a command on the editor and refreshes the view after it.
    void Run(const std::function<void(BoxEditor&)>& command);
    // Undo and redo of the history, then refresh.
    void Undo();
    void Redo();
    // Applies the paragraph style `name` (Windows-1252) to the selected
    // paragraphs, or the caret's, with its undo entry.
    void ApplyStyle(const std::string& name);
    // Undoes the k newest entries of the history at once (the undo drop-down).
    void UndoMany(int32_t k);

    // --- clipboard -------------------------------------------------------------------
    // The editor's own clipboard format: objects data of a selection.
    static constexpr const char* kObjectsFormat = platform::kObjectsFormat;
    bool HasSelection() const;
    // The selected text as Unicode, paragraphs separated by line feeds; placed
    // objects are left out.
    QString SelectedText() const;
    // Copy puts the selection as objects data and as plain text; Paste takes
    // the objects data when there is any, else the text.
    void Copy();
    void Cut();
    void Paste();
    // Pastes `text` at the caret (replacing the selection) as one undo entry:
    // the characters the code page lacks become the closest one or "?", each
    // line a paragraph.
    void PasteText(const QString& text);
    // Pastes the whole text of `source` (a page of this or another hypertext)
    // at the caret as one undo entry, "Copio pagina da preesistente"; with
    // `withBackground` the page takes its background too. False when nothing
    // could be pasted (no page, read-only, unreadable source).
    bool CopyPageFrom(THQVtesto& source, bool withBackground);
    // The commands the box's context menu offers (the window's Cut, Copy,
    // Paste and so on).
    void SetContextActions(QList<QAction*> actions) { contextActions_ = std::move(actions); }
    void AddContextAction(QAction* action) { contextActions_ << action; }
    // The commands a link's menu offers above the context actions (follow, properties).
    void SetLinkActions(QList<QAction*> actions) { linkActions_ = std::move(actions); }
    // The menu a right click on a link of kind `linkKind` opens ("PopupSpecLink"
    // or "PopupGenLink"), after selecting the link's whole span under (x, y).
    QMenu* LinkMenu(int32_t x, int32_t y, uint8_t linkKind);
    // A selection is being dragged inside the box.
    bool Dragging() const { return dragging_; }

    // --- spelling (src/ui/spell_view.cpp) ---------------------------------------------
    // The linked spell checker (null: none) and background checking.
    void SetSpellChecker(app::TZtSpellChecker* checker, bool autoCheck);
    // Typed straight quotes become typographic ones (the "Virgolette" option).
    void SetTypographicQuotes(bool on) { model_.SetAutoEngQuote(on); }
    app::TZtSpellChecker* SpellChecker() const { return spell_; }
    // The interactive check from the caret's word (F7), and of every page (Ctrl+F7).
    void SpellCheckFromCursor(bool fromCursor = true);
    void SpellCheckAllPages();
    // Puts the spelling items (suggestions, "&Ignora tutti", "&Aggiungi",
    // "&Controllo ortografia") at the top of `menu` when (x, y) is on a misspelt word.
    void AddSpellingItems(QMenu& menu, int32_t x, int32_t y);

    // --- placed pictures (src/ui/picture_view.cpp) -------------------------------------
    // The picture selected in the view (null: none). Selecting one shows its
    // handles and its zones; any other click on the text lets it go.
    TMyyImage* SelectedPicture() const;
    void SelectPicture(TMyyImage* image);
    // The popup menus of a picture ("PopupImage"), of a zone ("PopupMapZone")
    // and of an object of the header or footer ("PopupInactive").
    void SetPictureMenus(QMenu* image, QMenu* zone, QMenu* inactive);
    // The header or footer object "PopupInactive" was last shown for.
    PlacedObject* InactiveTarget() const { return inactiveTarget_; }
    // Shows "PopupInactive" for `object` at `global`.
    void ShowInactiveMenu(PlacedObject* object, const QPoint& global);
    // The picture's place in the box while it is visible (null rectangle when not).
    QRect PictureRect(const TMyyImage& image);
    // Runs a change of the selected picture, then refreshes the view; false
    // without a selected picture in an editable page.
    bool RunOnPicture(const std::function<void(TMyyImage&)>& change);
    // Inserts a placement (kind immagineNew, not registered) at the caret as
    // one undo entry and selects it. False when nothing is edited.
    bool InsertPicture(std::unique_ptr<THQVoggetto> placement);
    // The gesture in progress over a picture (null when none).
    const PictureMouse* PictureGesture() const { return gesture_.get(); }
    // --- frames (src/ui/frame_view.cpp) --------------------------------------------------
    // Frame-editing mode: the page's frames are drawn with their titles, the
    // bars between them and their edge bars are dragged to size, split and
    // delete frames, and a click selects a frame; pages are not edited.
    void SetFramesOnly(bool on);
    bool FramesOnly() const { return model_.ShowFramesOnly(); }
    // The frame popup menu ("PopupFrame") a right click in that mode opens.
    void SetFrameMenu(QMenu* menu) { frameMenu_ = menu; }
    // Writes the layout shown into a ".frm" file; false (with a message) when
    // it cannot be written.
    bool SaveFrameLayout(const QString& file);
    // A page hosting a frame layout, shown for editing or reading: each leaf
    // frame's page is a widget of its own (FrameChildren, in pre-order), laid
    // where the frame's page stands, between the bars this view draws.
    bool ShowsFrameSet() const { return model_.Frames() && !FramesOnly(); }
    std::vector<TPageView*> FrameChildren() const;
    // The widget of the selected frame's page (null: none, or no frame set).
    TPageView* ActiveChild() const;
    // The widget of the frame titled `name` (null: none).
    TPageView* FrameChild(std::string_view name) const;
    // The frame set this widget shows a frame of (null: the main page area).
    TPageView* FrameHost() const { return frameHost_; }

    // Animated pictures being played (a read-only view animates them).
    int RunningAnimations() const;
    // Stops every animation and forgets the decoded pictures (a picture's
    // content changed).
    void DropPictureImages();

    // --- form elements, buttons, multimedia, floating frames, markers -----------------
    // (src/ui/control_view.cpp)
    // Inserts an object of these kinds (not registered) at the caret as one
    // undo entry. False when nothing is edited.
    bool InsertControl(std::unique_ptr<THQVoggetto> object);
    // The control the last right click or double click was on (null: none).
    TMyyControl* CurrentControl() const;
    // Runs a change of the current control, then refreshes the view.
    bool RunOnControl(const std::function<void(TMyyControl&)>& change);
    // The controls' popup menus by name ("PopupInput", "PopupButton" ...).
    void SetControlMenus(std::map<std::string, QMenu*> menus) { controlMenus_ = std::move(menus); }
    // The form control a reader's keys go to in a read-only view (null: none).
    TMyyControl* FocusedControl() const;
    void FocusControl(TMyyControl* control);
    // The players sounds and videos get (recording ones on the offscreen platform).
    platform::MediaPlayers& MediaPlayers() { return *mediaPlayers_; }
    // A combo box's drop-down, open while a reader picks (null when closed).
    QMenu* ComboDropDown() const { return comboDropDown_; }
    // --- floating frames (src/ui/floating_host.cpp) ----------------------------------
    // The widget that shows the page of floating frame `controlIndex` inside
    // its box (null while none does: not laid out yet, or nesting stopped).
    TPageView* FloatingFrameView(int32_t controlIndex) const;
    // Puts the floating frames' widgets where their frames stand now (done
    // after every paint; tests call it at once).
    void PlaceFloatingFrames();
    // --- tables (src/ui/table_view.cpp) ----------------------------------------------------
    // The table the table commands act on: the selected one, else the one
    // whose cell has the caret (null: none).
    TMyyTable* CurrentTable() const;
    // The table selected as a whole: its column header and handles show.
    TMyyTable* SelectedTable() const;
    void SelectTable(TMyyTable* table);
    // The popup menus of a selected table ("PopupTable") and of a cell
    // ("PopupTableChild").
    void SetTableMenus(QMenu* table, QMenu* cell) {
        tableMenu_ = table;
        tableChildMenu_ = cell;
    }
    // Runs a change of the current table, carries out what it posted (rows
    // and columns deleted) and refreshes; false without a table in an
    // editable page.
    bool RunOnTable(const std::function<void(TMyyTable&)>& change);
    // Inserts a new table at the caret as the new-table window chose it;
    // the caret goes into its first cell. Null when nothing was inserted.
    TMyyTable* InsertTable(const NewTableChoice& choice);
    // Where a table stands in the viewport (null when not laid out).
    QRect TableRect(const TMyyTable& table) const;
    const TableMouse* TableGesture() const { return tableGesture_.get(); }

signals:
    void PageShown(int number);
    // The current control asks for its property window (double click).
    void ControlPropertiesRequested();
    // A placed picture asks for its property window (double click).
    void PicturePropertiesRequested();
    // The zone `zone` of the selected picture asks for its link window.
    void ZoneLinkRequested(int32_t zone);
    // A picture is pasted from the clipboard: into the selected picture, or
    // at the caret when none is selected.
    void ImageFromClip();

    // The view shows no page any more (another hypertext is about to be shown).
    void PageDropped();
    void Changed();
    void FollowLink(int32_t linkValue);
    // A context menu is about to show (the window updates its commands).
    void ContextMenuAboutToShow();
    // An input event or a command was carried out (the caret may have moved).
    void InputDone();
    // A typed character the page's code page (Windows-1252) cannot hold.
    void Unrepresentable(const QString& character);

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // The typed text as Windows-1252 bytes; characters the code page cannot
    // hold are left out and reported through Unrepresentable.
    std::string TypedBytes(const QString& text);
    void UpdateScrollBars();
    QPoint Offset() const;
    // Where the caret is drawn, in viewport coordinates (empty when none).
    QRect CaretRect() const;
    QPoint BoxPoint(const QPoint& viewportPos) const { return viewportPos + Offset(); }
    // Where a box stands in the page's box; a point of the current box in the viewport.
    QPoint BoxOriginOf(const THQVbox& box) const;
    QPoint ViewPoint(int32_t x, int32_t y) const;
    // Tables: drawing a table and its cells (nested ones too), the selected
    // table's header, handles and drag line, and the gestures over them.
    bool DrawTable(QPainter& p, const ObjectItem& item);
    void PaintTableOverlay(QPainter& p);
    bool TablePress(QMouseEvent* e);
    bool TableMove(QMouseEvent* e);
    bool TableRelease(QMouseEvent* e);
    // The table of a control index (any depth).
    TMyyTable* TableOfIndex(int32_t controlIndex) const;
    // Carries out what the last event posted, then repaints.
    void AfterInput();
    // The view built a box for its page, or shows none: lay it out for the
    // widget's size, scroll to the top, start the caret.
    void BoxShown();

    // Frame-editing gestures: true when the event was taken.
    void PaintFrames(QPainter& p);
    // The bars and edge bars of a frame set shown with its pages.
    void PaintFrameSet(QPainter& p);
    // Makes, places and drops the frames' page widgets as the frame tree says.
    void SyncFrames();
    TPageView* MakeFrameChild(TInsiemeCornici& v);
    // The frame's nested view is gone: the widget stops touching it and goes.
    void Detach();
    // The frame is no longer shown: the view gets its callbacks back, the widget goes.
    void Release();
    // The nested view's page takes the frame's scroll bars and border.
    void ApplyFrameLook();
    bool eventFilter(QObject* watched, QEvent* e) override;
    std::map<TInsiemeCornici*, TPageView*> frameChildren_;
    TPageView* frameHost_ = nullptr;
    bool modelGone_ = false;
    bool forwardingKey_ = false;

    bool FramePress(QMouseEvent* e);
    bool FrameMove(QMouseEvent* e);
    bool FrameRelease(QMouseEvent* e);
    // Scrolls the page by the arrow key `key` (a read-only view); false for other keys.
    bool ScrollByArrow(int key);
    struct FrameDrag {
        enum Kind { None, Bar, Edge } kind = None;
        THQVSplit split;
        THQVEdgeBar edge;
        QPoint from, at;
    } frameDrag_;
    QMenu* frameMenu_ = nullptr;

    // Picture gestures: true when the event went to a placed picture.
    bool PicturePress(QMouseEvent* e);
    bool PictureMove(QMouseEvent* e);
    bool PictureRelease(QMouseEvent* e);
    bool PictureDoubleClick(QMouseEvent* e);
    // Carries out what a picture asked for after an event.
    void CarryOut(const VisualActions& actions, TMyyImage& image, const QPoint& boxPoint, int32_t zone);
    // Draws a placed object the view knows how to draw; false for the others.
    bool DrawObject(QPainter& p, const ObjectItem& item);
    // Registers a control for a new placed object (not registered) and puts it
    // at the caret (over the selection) as one undo entry; null when nothing
    // is edited.
    PlacedObject* InsertPlaced(std::unique_ptr<THQVoggetto> object);
    // Form controls: drawing, and the clicks of a reader or of the author.
    bool DrawControl(QPainter& p, const ObjectItem& item);
    bool ControlPress(QMouseEvent* e);
    bool ControlRelease(QMouseEvent* e);
    bool ControlDoubleClick(QMouseEvent* e);
    // A reader's key for the focused control (Tab and Shift+Tab go to the
    // next or previous one); true when taken.
    bool ControlKey(QKeyEvent* e);
    // Opens the drop-down of a combo box standing at `rect` (viewport).
    void OpenComboDropDown(TMyyListBox& combo, const QRect& rect);
    // Floating frames: the inner view of each frame shown, a child widget.
    struct FloatingFrame {
        TPageView* widget = nullptr;  // a child of the viewport
        std::unique_ptr<TFloatingView> engine;
    };
    void DropFloatingFrames();
    FloatingFrame* FloatingFrameOf(TMyyFloating& frame);
    // Handles, zones and the rubber band over the selected picture.
    void PaintPictureOverlay(QPainter& p, const DisplayList& list);
    struct ObjectHit {
        PagePlacedObject* object = nullptr;
        PixelRect rect;
    };
    // The placed object under a box point (pictures count their handles).
    ObjectHit ObjectAt(const QPoint& boxPoint);
    TMyyImage* ImageOfIndex(int32_t controlIndex) const;
    // The frame of an animated picture in a read-only view (null otherwise).
    const QImage* AnimationFrame(THQVoggetto* picture, const QRect& where);
    void StopAnimations();

    QtTextMeasurer measurer_;
    QtClipboard clipboard_;
    // Declared before the view: players live as long as the controls holding them.
    std::unique_ptr<platform::MediaPlayers> mediaPlayers_;
    std::unique_ptr<TInsiemeCornici> ownModel_;
    TInsiemeCornici& model_;
    // Widget set-up shared by the main page area and the frames' pages.
    void Init();
    PictureImages pictures_;
    bool readOnly_ = false;
    bool caretOn_ = true;
    QTimer caretTimer_;
    QList<QAction*> contextActions_;
    QList<QAction*> linkActions_;
    QMenu* linkMenu_ = nullptr;
    bool dragging_ = false;
    MouseButton dragButton_ = MouseButton::Left;
    app::TZtSpellChecker* spell_ = nullptr;
    std::unique_ptr<platform::Scheduler> spellScheduler_;
    // The slide timer of the main page area (a live preview runs slides).
    std::unique_ptr<platform::Scheduler> slideScheduler_;
    int32_t selectedPicture_ = -1;  // control index of the selected picture
    uint64_t selectedShowing_ = 0;
    std::unique_ptr<PictureMouse> gesture_;
    int32_t gestureIndex_ = -1;
    QPoint gestureOrigin_;  // the picture's top left in the box during the gesture
    QMenu* imageMenu_ = nullptr;
    QMenu* zoneMenu_ = nullptr;
    QMenu* inactiveMenu_ = nullptr;
    PlacedObject* inactiveTarget_ = nullptr;
    // An animated GIF of a read-only view: the movie plays on the interface
    // thread's timers, so stopping it never waits.
    struct Animation {
        QByteArray bytes;
        QBuffer buffer;
        QMovie movie;
        std::vector<QRect> shownAt;  // where it was drawn (box coordinates)
    };
    std::map<THQVoggetto*, std::unique_ptr<Animation>> animations_;
    // Pictures whose painting failed once in this showing (tried again once).
    std::set<THQVoggetto*> retriedPictures_;
    int32_t hoverIndex_ = -1;
    int32_t selectedTable_ = -1;  // control index of the selected table
    uint64_t selectedTableShowing_ = 0;
    std::unique_ptr<TableMouse> tableGesture_;
    QPoint tableGestureOrigin_;  // the table's top left in the page's box
    QMenu* tableMenu_ = nullptr;
    QMenu* tableChildMenu_ = nullptr;
    bool pictureDoubleClicked_ = false;
    std::unique_ptr<platform::ControlMetrics> controlMetrics_;
    std::map<std::string, QMenu*> controlMenus_;
    int32_t currentControl_ = -1;  // control index, within showing currentShowing_
    uint64_t currentShowing_ = 0;
    int32_t pressedControl_ = -1;
    int32_t focusControl_ = -1;  // control index, within showing focusShowing_
    uint64_t focusShowing_ = 0;
    QMenu* comboDropDown_ = nullptr;
    std::map<int32_t, FloatingFrame> floating_;  // by control index, within floatingShowing_
    uint64_t floatingShowing_ = 0;
    bool placePending_ = false;
    // The pages shown around this view when it is a floating frame's, outermost first.
    std::vector<int32_t> outerPages_;
};

}  // namespace ovik::ui
