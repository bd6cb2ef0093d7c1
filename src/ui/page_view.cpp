#include "ui/page_view.h"

#include "links/link_commands.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <algorithm>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QScrollBar>

#include "convert/hqv_to_txt.h"
#include "core/codepage.h"
#include "document/hqv_set.h"
#include "links/link_commands.h"
#include "page/page_copy.h"
#include "page/placed_objects.h"
#include "page/page_undo.h"
#include "text/box_attributes.h"
#include "text/layout.h"
#include "ui/spell_support.h"
#include "ui/translations.h"

namespace ovik::ui {

TPageView::TPageView(QWidget* parent)
    : QAbstractScrollArea(parent), ownModel_(std::make_unique<TInsiemeCornici>(measurer_)), model_(*ownModel_) {
    Init();
    model_.SaveOnExit = true;
    model_.SetClipboard(&clipboard_);
    model_.Host().controlMetrics = controlMetrics_.get();
    mediaPlayers_ = NewMediaPlayers([this] { viewport()->update(); });
    model_.Host().mediaPlayers = mediaPlayers_.get();
    model_.OnBoxShown = [this] { BoxShown(); };
    model_.OnPageChanged = [this] {
        if (model_.MainPageNumber() >= 0) emit PageShown(model_.MainPageNumber());
        else emit PageDropped();
    };
    model_.OnChanged = [this] { emit Changed(); };
    model_.OnRepaint = [this] { viewport()->update(); };
    slideScheduler_ = std::make_unique<QtSpellScheduler>();
    model_.SetSlideScheduler(slideScheduler_.get());
    // Bars moved or frames made: the frames' pages take their new places.
    model_.OnFrameSetChanged = [this] {
        SyncFrames();
        viewport()->update();
    };
}

TPageView::TPageView(TInsiemeCornici& frameView, TPageView& host)
    : QAbstractScrollArea(host.viewport()), model_(frameView) {
    setObjectName("framepage");
    frameHost_ = &host;
    Init();
    // The frame set hears of the view through hooks of its own.
    model_.OnBoxShown = [this] { BoxShown(); };
    model_.OnRepaint = [this] { viewport()->update(); };
    model_.OnDestroyed = [this] { Detach(); };
    readOnly_ = model_.ReadOnly();
    setFrameShape(QFrame::NoFrame);
    BoxShown();
}

void TPageView::Init() {
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setFocusPolicy(Qt::StrongFocus);
    // Pictures follow the mouse without a button (rollover, cursors, hints).
    viewport()->setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    if (objectName().isEmpty()) setObjectName("pageview");
    // The caret blinks every 500 ms; only its rectangle is repainted.
    caretTimer_.setInterval(500);
    connect(&caretTimer_, &QTimer::timeout, this, [this] {
        caretOn_ = !caretOn_;
        viewport()->update(CaretRect());
    });
    controlMetrics_ = NewQtControlMetrics();
}

TPageView::~TPageView() {
    // Dropped with the model when it went first (Detach).
    DropFloatingFrames();
    if (frameHost_) {
        // A frame's page: the view belongs to the frame set and stays.
        if (!modelGone_) {
            model_.OnBoxShown = nullptr;
            model_.OnRepaint = nullptr;
            model_.OnDestroyed = nullptr;
            modelGone_ = true;
            frameHost_->frameChildren_.erase(&model_);
        }
        return;
    }
    // The page is closed while the spell scheduler and the pictures it uses
    // still exist; the frames' widgets let go of their views first.
    std::map<TInsiemeCornici*, TPageView*> children = std::move(frameChildren_);
    frameChildren_.clear();
    for (auto& [v, child] : children) child->Release();
    model_.StopSlideTimer();
    model_.SetSlideScheduler(nullptr);
    model_.SetLinkedHQVset(nullptr);
}

void TPageView::SetHistory(THQVundoList* history) { model_.SetHistory(history); }

void TPageView::BoxShown() {
    if (modelGone_) return;
    DropFloatingFrames();
    dragging_ = false;
    gesture_.reset();
    selectedPicture_ = -1;
    hoverIndex_ = -1;
    StopAnimations();
    retriedPictures_.clear();
    pictures_.Clear();
    tableGesture_.reset();
    selectedTable_ = -1;
    if (frameHost_) ApplyFrameLook();
    else SyncFrames();
    THQVbox* box = ShowsFrameSet() ? nullptr : MainBox();
    if (!box) {
        caretTimer_.stop();
        UpdateScrollBars();
        viewport()->update();
        return;
    }
    ResizePageBox(*box, viewport()->width(), viewport()->height());
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    UpdateScrollBars();
    caretOn_ = true;
    if (!readOnly_) caretTimer_.start();
    viewport()->update();
}

bool TPageView::ShowPage(THQVset& set, int32_t number) {
    if (model_.LinkedHQVset() != &set) {
        model_.SetLinkedHQVset(&set);
        BoxShown();
    }
    THQVtesto* stored = number >= 0 ? set.Page(number) : nullptr;
    if (!stored || stored->IsFree()) {
        // Nothing is shown for a number no page has.
        model_.SetMainPageNumber(-1);
        BoxShown();
        return number < 0;
    }
    // The page shown again is read anew from the hypertext.
    if (number == model_.MainPageNumber()) {
        model_.Reshow();
        emit PageShown(number);
    } else {
        model_.SetMainPageNumber(number);
    }
    return Box() != nullptr;
}

void TPageView::SetReadOnly(bool r) {
    readOnly_ = r;
    DropFloatingFrames();
    gesture_.reset();
    SelectPicture(nullptr);
    StopAnimations();
    model_.SetReadOnly(r);
    if (r) caretTimer_.stop();
    else if (Box() && !ShowsFrameSet()) caretTimer_.start();
    // The frames' pages follow; a read-only frame set has no edge bars.
    for (TPageView* child : FrameChildren()) child->SetReadOnly(r);
    SyncFrames();
    if (frameHost_) ApplyFrameLook();
    viewport()->update();
}

QRect TPageView::CaretRect() const {
    if (!Box() || Box()->hasSelection) return {};
    TextPosition c = PositionOf(*Box(), Box()->caret.paragraphIndex, Box()->caret.charIndex);
    if (c.height < 0) return {};
    // A cell's caret stands where the cell does on the page.
    int32_t ox = 0, oy = 0;
    if (!model_.BoxOrigin(*Box(), ox, oy)) return {};
    // The bar is two pixels wide; one more on each side for safety.
    return QRect(ox + c.x - 1, oy + c.y, 4, c.height).translated(-Offset());
}

QPoint TPageView::Offset() const {
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void TPageView::UpdateScrollBars() {
    if (!MainBox() || ShowsFrameSet()) {
        verticalScrollBar()->setRange(0, 0);
        horizontalScrollBar()->setRange(0, 0);
        return;
    }
    int textHeight = TextBottom(*MainBox()) + 8;
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setRange(0, std::max(0, textHeight - viewport()->height()));
    int width = std::max(MainBox()->geometry.neededWidth, viewport()->width());
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
}

DisplayList TPageView::VisibleList() {
    if (TPageView* child = ActiveChild()) return child->VisibleList();
    QPoint off = Offset();
    PixelRect clip{off.x(), off.y(), off.x() + viewport()->width(), off.y() + viewport()->height()};
    if (!MainBox()) return DisplayList{clip, {}};
    PaintOptions options;
    options.scrollX = off.x();
    options.scrollY = off.y();
    options.showCaret = !readOnly_ && Box() == MainBox();
    return BuildDisplayList(*MainBox(), clip, options);
}

void TPageView::paintEvent(QPaintEvent* e) {
    QPainter p(viewport());
    if (FramesOnly()) return PaintFrames(p);
    if (ShowsFrameSet()) return PaintFrameSet(p);
    if (!MainBox()) {
        p.fillRect(e->rect(), palette().color(QPalette::Window));
        return;
    }
    QPoint off = Offset();
    QRect damaged = e->rect().translated(off);
    PixelRect clip{damaged.left(), damaged.top(), damaged.right() + 1, damaged.bottom() + 1};
    PaintOptions options;
    options.scrollX = off.x();
    options.scrollY = off.y();
    options.showCaret = !readOnly_ && Box() == MainBox();
    DisplayList list = BuildDisplayList(*MainBox(), clip, options);
    p.translate(-off);
    PaintState state;
    state.caretVisible = caretOn_ && hasFocus();
    // A reader sees no markers, except anchors when the view shows them.
    if (readOnly_)
        state.shown = [this](int32_t index) {
            auto* control = dynamic_cast<TMyyControl*>(Page() ? Page()->ControlAt(index) : nullptr);
            if (control) return control->ShownInReadOnly(model_.AnchorPreview);
            auto* placed = dynamic_cast<PagePlacedObject*>(Page() ? Page()->ControlAt(index) : nullptr);
            THQVoggetto* o = placed ? placed->Object() : nullptr;
            if (!o || o->Kind() != shortObj) return true;
            return model_.AnchorPreview && placed->AnchorNumber() >= 0;
        };
    state.drawObject = [this](QPainter& painter, const ObjectItem& item) { return DrawObject(painter, item); };
    PaintDisplayList(p, list, pictures_, state);
    PaintPictureOverlay(p, list);
    PaintTableOverlay(p);
    // Floating frames' widgets follow their frames once the paint is over.
    if (!floating_.empty() && !placePending_) {
        placePending_ = true;
        QMetaObject::invokeMethod(this, [this] { PlaceFloatingFrames(); }, Qt::QueuedConnection);
    }
}

void TPageView::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    if (!frameHost_) model_.SetViewSize(viewport()->width(), viewport()->height());
    if (MainBox() && !ShowsFrameSet()) ResizePageBox(*MainBox(), viewport()->width(), viewport()->height());
    if (!frameHost_) SyncFrames();
    UpdateScrollBars();
}

void TPageView::scrollContentsBy(int, int) { viewport()->update(); }

bool TPageView::StorePage(AfterStore after) {
    // The page goes back through its working copy (objects, links and cells
    // come back as they were), and only when it changed.
    if (!Modified() || readOnly_) return false;
    if (after == AfterStore::Drop) return model_.StorePage(false);
    // The view goes on editing a fresh copy of the page: scroll position kept.
    const int x = horizontalScrollBar()->value(), y = verticalScrollBar()->value();
    const bool ok = model_.StorePage(true);
    horizontalScrollBar()->setValue(x);
    verticalScrollBar()->setValue(y);
    return ok;
}

void TPageView::EnsureCaretVisible() {
    if (TPageView* child = ActiveChild()) return child->EnsureCaretVisible();
    if (!Box()) return;
    TextPosition p = PositionOf(*Box(), Box()->caret.paragraphIndex, Box()->caret.charIndex);
    if (p.height < 0) return;
    int32_t ox = 0, oy = 0;
    if (!model_.BoxOrigin(*Box(), ox, oy)) return;
    p.x += ox;
    p.y += oy;
    int top = verticalScrollBar()->value();
    int bottom = top + viewport()->height();
    if (p.y < top) verticalScrollBar()->setValue(p.y);
    else if (p.y + p.height > bottom) verticalScrollBar()->setValue(p.y + p.height - viewport()->height());
    int left = horizontalScrollBar()->value();
    if (p.x < left) horizontalScrollBar()->setValue(p.x);
    else if (p.x > left + viewport()->width() - 4) horizontalScrollBar()->setValue(p.x - viewport()->width() + 4);
}

QPoint TPageView::BoxOriginOf(const THQVbox& box) const {
    int32_t ox = 0, oy = 0;
    model_.BoxOrigin(box, ox, oy);
    return QPoint(ox, oy);
}

QPoint TPageView::ViewPoint(int32_t x, int32_t y) const {
    // Editors post points in their own box; a cell's box stands elsewhere.
    int32_t ox = 0, oy = 0;
    if (Box()) model_.BoxOrigin(*Box(), ox, oy);
    return QPoint(x + ox, y + oy) - Offset();
}

void TPageView::AfterInput() {
    if (modelGone_) return;
    if (TPageView* child = ActiveChild()) {
        // A command of the window ran on the selected frame's page.
        child->AfterInput();  // its InputDone is this widget's
        viewport()->update();
        return;
    }
    model_.CheckCurrentBox();
    // A menu runs events of its own: what this widget shows may go meanwhile.
    while (!modelGone_) {
        auto a = model_.Actions().Take();
        if (!a) break;
        if (model_.TakeBoxAction(*a)) continue;
        switch (a->kind) {
            case EditAction::FollowLink: emit FollowLink(a->link); break;
            case EditAction::Scroll:
                verticalScrollBar()->setValue(verticalScrollBar()->value() + a->dy);
                horizontalScrollBar()->setValue(horizontalScrollBar()->value() + a->dx);
                break;
            case EditAction::ContextMenu: {
                // A cell has the table's cell menu.
                if (model_.CurrentTable() && tableChildMenu_ && !readOnly_) {
                    emit ContextMenuAboutToShow();
                    tableChildMenu_->exec(viewport()->mapToGlobal(ViewPoint(a->x, a->y)));
                    break;
                }
                if (contextActions_.isEmpty()) break;
                emit ContextMenuAboutToShow();
                QMenu menu(this);
                menu.addActions(contextActions_);
                AddSpellingItems(menu, a->x, a->y);
                menu.exec(viewport()->mapToGlobal(ViewPoint(a->x, a->y)));
                break;
            }
            case EditAction::OpenLinkMenu:
                if (QMenu* menu = LinkMenu(a->x, a->y, a->linkKind))
                    menu->exec(viewport()->mapToGlobal(ViewPoint(a->x, a->y)));
                break;
            case EditAction::Cut: Cut(); break;
            case EditAction::StartDrag:
                // The selection follows the mouse until the button goes up,
                // where the box drops it (moves, or copies with Ctrl).
                dragging_ = true;
                dragButton_ = Editor()->dragButton;
                viewport()->setCursor(Qt::DragMoveCursor);
                break;
            case EditAction::DragMenu: {
                QMenu menu(this);
                QAction* move = menu.addAction(Tr("&Sposta"));
                QAction* copy = menu.addAction(Tr("&Copia"));
                menu.addSeparator();
                menu.addAction(Tr("&Annulla"));
                QAction* chosen = menu.exec(viewport()->mapToGlobal(ViewPoint(a->x, a->y)));
                if (modelGone_ || !Editor()) return;
                Editor()->DropChoice(chosen == move   ? BoxEditor::DropKind::Move
                                    : chosen == copy ? BoxEditor::DropKind::Copy
                                                     : BoxEditor::DropKind::Cancel);
                break;
            }
            default: break;
        }
    }
    if (modelGone_) return;
    UpdateScrollBars();
    EnsureCaretVisible();
    caretOn_ = true;
    if (!readOnly_ && Box()) caretTimer_.start();
    viewport()->update();
    emit InputDone();
}

QMenu* TPageView::LinkMenu(int32_t x, int32_t y, uint8_t linkKind) {
    if (!Editor() || linkActions_.isEmpty()) return nullptr;
    // The commands of the menu work on the link's span: it is selected
    // first, with the caret on its first character.
    links::SelectLinkUnder(*Editor(), x, y);
    emit ContextMenuAboutToShow();
    if (!linkMenu_) linkMenu_ = new QMenu(this);
    linkMenu_->clear();
    linkMenu_->setObjectName(linkKind == speclink ? "PopupSpecLink" : "PopupGenLink");
    linkMenu_->addActions(linkActions_);
    linkMenu_->addSeparator();
    linkMenu_->addActions(contextActions_);
    viewport()->update();
    return linkMenu_;
}

void TPageView::ApplyStyle(const std::string& name) {
    Run([&](BoxEditor& e) {
        e.CloseGroups();
        THQVbox& box = e.Box();
        int32_t first = box.hasSelection ? box.SelectionStart().paragraphIndex : box.caret.paragraphIndex;
        int32_t last = box.hasSelection ? box.SelectionEnd().paragraphIndex : box.caret.paragraphIndex;
        if (!box.ParaAttributes().ApplyStyle(name)) return;
        e.Layout(first, last);  // lays the paragraphs out again and marks the page changed
    });
}

void TPageView::Run(const std::function<void(BoxEditor&)>& command) {
    if (!Editor() || readOnly_) return;
    command(*Editor());
    AfterInput();
}

void TPageView::Undo() {
    if (TPageView* child = ActiveChild()) return child->Undo();
    if (!model_.History() || !Box() || readOnly_) return;
    Editor()->CloseGroups();
    model_.History()->UndoOne();
    model_.CheckCurrentBox(true);
    AfterInput();
}

void TPageView::UndoMany(int32_t k) {
    if (TPageView* child = ActiveChild()) return child->UndoMany(k);
    if (!model_.History() || !Box() || k <= 0 || readOnly_) return;
    Editor()->CloseGroups();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    model_.History()->busy = true;
    model_.History()->UndoMany(k);
    model_.History()->busy = false;
    QApplication::restoreOverrideCursor();
    model_.CheckCurrentBox(true);
    AfterInput();
}

bool TPageView::HasSelection() const { return model_.HasSelection(); }

QString TPageView::SelectedText() const { return QString::fromStdString(model_.SelectedText()); }

void TPageView::Copy() {
    if (TMyyImage* image = SelectedPicture()) {
        // A selected zone is copied alone; otherwise the picture, as a
        // one-character selection of the text.
        if (image->CopyZone(clipboard_)) return;
        CarryOut({VisualAction::SelectInBox}, *image, QPoint(), -1);
    }
    model_.Copy();
}

void TPageView::Cut() {
    if (!Editor() || readOnly_) return;
    if (TMyyImage* image = SelectedPicture()) {
        CarryOut({VisualAction::SelectInBox}, *image, QPoint(), -1);
        SelectPicture(nullptr);
    }
    Run([this](BoxEditor&) { model_.Cut(); });
}

void TPageView::Paste() {
    if (!Editor() || readOnly_) return;
    if (SelectedPicture()) {
        PictureTarget done = PictureTarget::None;
        RunOnPicture([&](TMyyImage& i) { done = i.Paste(clipboard_); });
        if (done == PictureTarget::PictureFromClipboard) emit ImageFromClip();
        return;
    }
    // A picture alone on the clipboard becomes a new picture at the caret.
    const platform::ClipboardData d = clipboard_.Get();
    if (!d.text && !d.formats.count(platform::kObjectsFormat) && !d.formats.count(platform::kPictureFormat) &&
        !d.formats.count(platform::kRtfFormat) && (d.bitmap || d.metafile || d.enhancedMetafile)) {
        emit ImageFromClip();
        return;
    }
    Run([this](BoxEditor&) { model_.Paste(); });
}

void TPageView::PasteText(const QString& text) {
    if (!Editor() || readOnly_) return;
    Run([&](BoxEditor&) { model_.PasteText(text.toStdString()); });
}

bool TPageView::CopyPageFrom(THQVtesto& source, bool withBackground) {
    if (TPageView* child = ActiveChild()) return child->CopyPageFrom(source, withBackground);
    if (!Editor() || readOnly_ || !Page()) return false;
    bool ok = false;
    Run([&](BoxEditor& e) {
        if (HasSelection()) e.DeleteSelection();
        ok = CopyPageInto(*Page(), e, source, withBackground);
    });
    if (ok) {
        model_.MarkModified();  // the background may be all that changed
        emit Changed();
    }
    return ok;
}

void TPageView::Redo() {
    if (TPageView* child = ActiveChild()) return child->Redo();
    if (!model_.History() || !Box() || readOnly_) return;
    model_.History()->RedoOne();
    model_.CheckCurrentBox(true);
    AfterInput();
}

EditKey KeyOf(int key) {
    switch (key) {
        case Qt::Key_Backspace: return EditKey::Backspace;
        case Qt::Key_Return:
        case Qt::Key_Enter: return EditKey::Enter;
        case Qt::Key_PageUp: return EditKey::PageUp;
        case Qt::Key_PageDown: return EditKey::PageDown;
        case Qt::Key_Home: return EditKey::Home;
        case Qt::Key_End: return EditKey::End;
        case Qt::Key_Left: return EditKey::Left;
        case Qt::Key_Right: return EditKey::Right;
        case Qt::Key_Up: return EditKey::Up;
        case Qt::Key_Down: return EditKey::Down;
        case Qt::Key_Delete: return EditKey::Delete;
        case Qt::Key_F9: return EditKey::F9;
        default: return EditKey::Other;
    }
}

MouseButton ButtonOf(Qt::MouseButton b) {
    return b == Qt::RightButton ? MouseButton::Right : b == Qt::MiddleButton ? MouseButton::Middle : MouseButton::Left;
}

uint8_t Modifiers(Qt::KeyboardModifiers m) {
    uint8_t r = 0;
    if (m & Qt::ShiftModifier) r |= kShift;
    if (m & Qt::ControlModifier) r |= kCtrl;
    if (m & Qt::AltModifier) r |= kAlt;
    return r;
}

bool TPageView::event(QEvent* e) {
    // In a read-only view Tab and Shift+Tab go round the form controls.
    if (e->type() == QEvent::KeyPress && readOnly_) {
        auto* k = static_cast<QKeyEvent*>(e);
        if ((k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) && ControlKey(k)) return true;
    }
    // Tab and Shift+Tab move between the cells of a table instead of
    // between widgets.
    if (e->type() == QEvent::KeyPress && !readOnly_ && Editor()) {
        auto* k = static_cast<QKeyEvent*>(e);
        if ((k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) && model_.CurrentTable()) {
            Editor()->CloseGroups();
            model_.TabKey(k->key() == Qt::Key_Backtab || (k->modifiers() & Qt::ShiftModifier));
            AfterInput();
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

void TPageView::keyPressEvent(QKeyEvent* e) {
    if (FramesOnly()) return;
    if (ShowsFrameSet()) {
        // Keys given to the frame set go to the page of the selected frame;
        // what that page leaves goes on to the window.
        TPageView* child = ActiveChild();
        if (!child || forwardingKey_) return e->ignore();
        forwardingKey_ = true;
        child->setFocus();
        QCoreApplication::sendEvent(child, e);
        forwardingKey_ = false;
        return;
    }
    if (readOnly_ && ControlKey(e)) return;
    if (readOnly_ && e->modifiers() == Qt::NoModifier && ScrollByArrow(e->key())) return;
    if (!Editor()) return QAbstractScrollArea::keyPressEvent(e);
    EditKey key = KeyOf(e->key());
    uint8_t mods = Modifiers(e->modifiers());
    // A table selected as a whole lets go of the selection at Escape.
    if (e->key() == Qt::Key_Escape && SelectedTable()) {
        SelectTable(nullptr);
        return;
    }
    if (TMyyImage* image = SelectedPicture(); image && !readOnly_) {
        if (e->key() == Qt::Key_Escape) {
            SelectPicture(nullptr);
            return;
        }
        // Delete takes the selected zone; arrows and Delete otherwise act on
        // the picture as on one character of the text.
        if (const int32_t z = image->SelectedZone(); z >= 0) {
            const VisualActions acts = image->ZoneKeyDown(z, key, (mods & kShift) != 0);
            if (!acts.empty()) {
                CarryOut(acts, *image, QPoint(), z);
                return;
            }
        }
        const VisualActions acts = image->KeyDown(key, (mods & kShift) != 0);
        CarryOut(acts, *image, QPoint(), -1);
        SelectPicture(nullptr);
    }
    bool handled = false;
    if (key != EditKey::Other) {
        handled = Editor()->KeyDown(key, mods);
    } else if (!e->text().isEmpty() && !(mods & (kCtrl | kAlt)) && !readOnly_) {
        for (char c : TypedBytes(e->text()))
            if (uint8_t(c) >= 32) handled |= Editor()->KeyPress(uint8_t(c));
    }
    if (!handled && key == EditKey::Other && e->text().isEmpty()) return QAbstractScrollArea::keyPressEvent(e);
    AfterInput();
}

std::string TPageView::TypedBytes(const QString& text) {
    // Typed text reaches the engine as Windows-1252 bytes; a character the
    // code page cannot hold is not typed, and the window says so.
    std::string out;
    for (char32_t u : text.toUcs4()) {
        size_t replaced = 0;
        const std::string bytes = cp1252::FromUtf8(QString::fromUcs4(&u, 1).toStdString(), &replaced);
        if (replaced) emit Unrepresentable(QString::fromUcs4(&u, 1));
        else out += bytes;
    }
    return out;
}

void TPageView::mousePressEvent(QMouseEvent* e) {
    if (FramePress(e)) return;
    if (!Editor()) return;
    setFocus();
    if (TablePress(e)) return;
    if (PicturePress(e) || ControlPress(e)) {
        emit InputDone();
        return;
    }
    QPoint p = BoxPoint(e->position().toPoint());
    model_.MouseDown(ButtonOf(e->button()), p.x(), p.y(), Modifiers(e->modifiers()));
    AfterInput();
}

void TPageView::mouseMoveEvent(QMouseEvent* e) {
    if (FrameMove(e)) return;
    if (!Editor()) return;
    QPoint p = BoxPoint(e->position().toPoint());
    if (dragging_) {
        // The selection is dragged within its own box.
        const QPoint d = p - BoxOriginOf(Editor()->Box());
        viewport()->setCursor(Editor()->DragOver(*Editor(), d.x(), d.y()) ? Qt::DragMoveCursor
                                                                        : Qt::ForbiddenCursor);
        return;
    }
    if (TableMove(e)) return;
    if (PictureMove(e)) return;
    // Without a button only pictures care where the mouse is.
    if (e->buttons() == Qt::NoButton) return;
    model_.MouseMove(p.x(), p.y(), e->buttons() & Qt::LeftButton);
    if (e->buttons()) AfterInput();
}

void TPageView::mouseReleaseEvent(QMouseEvent* e) {
    if (FrameRelease(e)) return;
    if (!Editor()) return;
    QPoint p = BoxPoint(e->position().toPoint());
    if (dragging_) {
        dragging_ = false;
        viewport()->unsetCursor();
        const QPoint d = p - BoxOriginOf(Editor()->Box());
        Editor()->Drop(*Editor(), d.x(), d.y(), dragButton_, Modifiers(e->modifiers()));
        AfterInput();
        return;
    }
    if (TableRelease(e)) return;
    if (PictureRelease(e) || ControlRelease(e)) return;
    if (pictureDoubleClicked_) {
        // The release that ends a double click on a picture.
        pictureDoubleClicked_ = false;
        return;
    }
    model_.MouseUp(ButtonOf(e->button()), p.x(), p.y(), Modifiers(e->modifiers()));
    AfterInput();
}

void TPageView::mouseDoubleClickEvent(QMouseEvent* e) {
    if (FramesOnly() || ShowsFrameSet() || !Editor()) return;
    if (PictureDoubleClick(e) || ControlDoubleClick(e)) {
        pictureDoubleClicked_ = true;
        return;
    }
    QPoint p = BoxPoint(e->position().toPoint());
    model_.DoubleClick(p.x(), p.y());
    AfterInput();
}

void TPageView::focusInEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusInEvent(e);
    // The focus given to a frame set goes on to the selected frame's page.
    if (TPageView* child = ActiveChild()) child->setFocus(e->reason());
    viewport()->update();
}

void TPageView::focusOutEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusOutEvent(e);
    viewport()->update();
}

}  // namespace ovik::ui
