#include "ui/page_view.h"

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
#include "page/page_copy.h"
#include "page/page_undo.h"
#include "text/box_attributes.h"
#include "text/layout.h"

namespace ovik::ui {

TPageView::TPageView(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName("pageview");
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setFocusPolicy(Qt::StrongFocus);
    setFocusPolicy(Qt::StrongFocus);
    // The caret blinks every 500 ms; only its rectangle is repainted.
    caretTimer_.setInterval(500);
    connect(&caretTimer_, &QTimer::timeout, this, [this] {
        caretOn_ = !caretOn_;
        viewport()->update(CaretRect());
    });
}

TPageView::~TPageView() = default;

void TPageView::SetHistory(THQVundoList* history) {
    history_ = history;
    viewIndex_ = history_ ? history_->views.Add(&viewNode_) : -1;
    // Entries name placed objects so that they find them after the page was
    // stored and built again.
    if (history_) ConnectPlacedObjects(*history_);
}

bool TPageView::ShowPage(THQVset& set, int32_t number) {
    StorePage(AfterStore::Drop);
    editor_.reset();
    objectsHost_.reset();
    recorder_.reset();
    boxNode_.reset();
    if (page_) {
        if (pageNumber_ >= 0) viewNode_.list.Release(pageNumber_);
        page_->ClosePage();
        page_.reset();
    }
    box_ = nullptr;
    dragging_ = false;
    set_ = &set;
    modified_ = false;
    pictures_.Clear();
    THQVtesto* stored = number >= 0 ? set.Page(number) : nullptr;
    if (!stored || stored->IsFree()) {
        pageNumber_ = -1;
        caretTimer_.stop();
        UpdateScrollBars();
        viewport()->update();
        return number < 0;
    }
    host_.set = &set;
    host_.measurer = &measurer_;
    host_.modified = false;
    host_.ReadOnly = readOnly_;
    page_ = std::make_unique<THQVpage>(host_);
    page_->SetReadOnly(readOnly_);
    page_->ShowPage(stored);
    box_ = page_->Box();
    if (!box_) {
        page_.reset();
        pageNumber_ = -1;
        return false;
    }
    box_->OnRepaint = [this](THQVbox&) { viewport()->update(); };
    InstallLayout(*box_);
    ResizePageBox(*box_, viewport()->width(), viewport()->height());
    // Edits are recorded under stable indexes: the view, the page by its
    // number, the page's main box at 0.
    if (history_) {
        viewNode_.list.PutAt(number, &pageNode_);
        boxNode_ = std::make_unique<BoxNode>(*box_);
        pageNode_.list.PutAt(0, boxNode_.get());
        box_->controlIndex = 0;
        recorder_ = std::make_unique<HistoryRecorder>(*history_, number, viewIndex_);
        box_->undo = recorder_.get();
    }
    box_->OnChanged = [this](THQVbox&) {
        modified_ = true;
        if (page_) page_->ScheduleSpellCheck(0);  // changed paragraphs lost their marks
        emit Changed();
    };
    editor_ = std::make_unique<BoxEditor>(*box_, actions_);
    objectsHost_ = std::make_unique<PageObjectsHost>(*page_, *page_->WorkingCopy());
    editor_->objectsHost = objectsHost_.get();
    box_->geometry.readOnly = readOnly_;
    editor_->PlaceCaretAtFirstEditable();
    pageNumber_ = number;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    UpdateScrollBars();
    caretOn_ = true;
    if (!readOnly_) caretTimer_.start();
    viewport()->update();
    emit PageShown(number);
    return true;
}

void TPageView::SetReadOnly(bool r) {
    readOnly_ = r;
    if (box_) box_->geometry.readOnly = r;
    host_.ReadOnly = r;
    if (page_) page_->SetReadOnly(r);
    if (r) caretTimer_.stop();
    else if (box_) caretTimer_.start();
    viewport()->update();
}

QRect TPageView::CaretRect() const {
    if (!box_ || box_->hasSelection) return {};
    TextPosition c = PositionOf(*box_, box_->caret.paragraphIndex, box_->caret.charIndex);
    if (c.height < 0) return {};
    // The bar is two pixels wide; one more on each side for safety.
    return QRect(c.x - 1, c.y, 4, c.height).translated(-Offset());
}

QPoint TPageView::Offset() const {
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void TPageView::UpdateScrollBars() {
    if (!box_) {
        verticalScrollBar()->setRange(0, 0);
        horizontalScrollBar()->setRange(0, 0);
        return;
    }
    int textHeight = TextBottom(*box_) + 8;
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setRange(0, std::max(0, textHeight - viewport()->height()));
    int width = std::max(box_->geometry.neededWidth, viewport()->width());
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
}

DisplayList TPageView::VisibleList() {
    QPoint off = Offset();
    PixelRect clip{off.x(), off.y(), off.x() + viewport()->width(), off.y() + viewport()->height()};
    if (!box_) return DisplayList{clip, {}};
    PaintOptions options;
    options.scrollX = off.x();
    options.scrollY = off.y();
    options.showCaret = !readOnly_;
    return BuildDisplayList(*box_, clip, options);
}

void TPageView::paintEvent(QPaintEvent* e) {
    QPainter p(viewport());
    if (!box_) {
        p.fillRect(e->rect(), palette().color(QPalette::Window));
        return;
    }
    QPoint off = Offset();
    QRect damaged = e->rect().translated(off);
    PixelRect clip{damaged.left(), damaged.top(), damaged.right() + 1, damaged.bottom() + 1};
    PaintOptions options;
    options.scrollX = off.x();
    options.scrollY = off.y();
    options.showCaret = !readOnly_;
    DisplayList list = BuildDisplayList(*box_, clip, options);
    p.translate(-off);
    PaintState state;
    state.caretVisible = caretOn_ && hasFocus();
    PaintDisplayList(p, list, pictures_, state);
}

void TPageView::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    if (box_) ResizePageBox(*box_, viewport()->width(), viewport()->height());
    UpdateScrollBars();
}

void TPageView::scrollContentsBy(int, int) { viewport()->update(); }

bool TPageView::StorePage(AfterStore after) {
    // The page goes back through its working copy (objects, links and cells
    // come back as they were), and only when it changed.
    if (!page_ || !box_ || !set_ || !modified_ || readOnly_) return false;
    if (editor_) editor_->CloseGroups();
    host_.modified = true;
    bool ok = page_->StorePage();
    if (ok) set_->SetModified(true);
    modified_ = false;
    if (after == AfterStore::KeepEditing && pageNumber_ >= 0) {
        // The stored working copy takes no second store: edit a fresh one.
        const int32_t para = box_->caret.paragraphIndex, ch = box_->caret.charIndex;
        const int x = horizontalScrollBar()->value(), y = verticalScrollBar()->value();
        THQVset& set = *set_;
        ShowPage(set, pageNumber_);
        if (box_ && box_->ParagraphCount() > 0) {
            const int32_t k = std::clamp(para, 0, box_->ParagraphCount() - 1);
            box_->SetCaret(k, std::clamp(ch, 0, box_->Paragraph(k).Length()));
        }
        horizontalScrollBar()->setValue(x);
        verticalScrollBar()->setValue(y);
    }
    return ok;
}

void TPageView::EnsureCaretVisible() {
    if (!box_) return;
    TextPosition p = PositionOf(*box_, box_->caret.paragraphIndex, box_->caret.charIndex);
    if (p.height < 0) return;
    int top = verticalScrollBar()->value();
    int bottom = top + viewport()->height();
    if (p.y < top) verticalScrollBar()->setValue(p.y);
    else if (p.y + p.height > bottom) verticalScrollBar()->setValue(p.y + p.height - viewport()->height());
    int left = horizontalScrollBar()->value();
    if (p.x < left) horizontalScrollBar()->setValue(p.x);
    else if (p.x > left + viewport()->width() - 4) horizontalScrollBar()->setValue(p.x - viewport()->width() + 4);
}

void TPageView::AfterInput() {
    while (auto a = actions_.Take()) {
        switch (a->kind) {
            case EditAction::FollowLink: emit FollowLink(a->link); break;
            case EditAction::Scroll:
                verticalScrollBar()->setValue(verticalScrollBar()->value() + a->dy);
                horizontalScrollBar()->setValue(horizontalScrollBar()->value() + a->dx);
                break;
            case EditAction::ContextMenu: {
                if (contextActions_.isEmpty()) break;
                emit ContextMenuAboutToShow();
                QMenu menu(this);
                menu.addActions(contextActions_);
                AddSpellingItems(menu, a->x, a->y);
                menu.exec(viewport()->mapToGlobal(QPoint(a->x, a->y) - Offset()));
                break;
            }
            case EditAction::Cut: Cut(); break;
            case EditAction::StartDrag:
                // The selection follows the mouse until the button goes up,
                // where the box drops it (moves, or copies with Ctrl).
                dragging_ = true;
                dragButton_ = editor_->dragButton;
                viewport()->setCursor(Qt::DragMoveCursor);
                break;
            case EditAction::DragMenu: {
                QMenu menu(this);
                QAction* move = menu.addAction("&Sposta");
                QAction* copy = menu.addAction("&Copia");
                menu.addSeparator();
                menu.addAction("&Annulla");
                QAction* chosen = menu.exec(viewport()->mapToGlobal(QPoint(a->x, a->y) - Offset()));
                editor_->DropChoice(chosen == move   ? BoxEditor::DropKind::Move
                                    : chosen == copy ? BoxEditor::DropKind::Copy
                                                     : BoxEditor::DropKind::Cancel);
                break;
            }
            default: break;
        }
    }
    UpdateScrollBars();
    EnsureCaretVisible();
    caretOn_ = true;
    if (!readOnly_ && box_) caretTimer_.start();
    viewport()->update();
    emit InputDone();
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
    if (!editor_ || readOnly_) return;
    command(*editor_);
    AfterInput();
}

void TPageView::Undo() {
    if (!history_ || !box_ || readOnly_) return;
    editor_->CloseGroups();
    history_->UndoOne();
    AfterInput();
}

void TPageView::UndoMany(int32_t k) {
    if (!history_ || !box_ || k <= 0 || readOnly_) return;
    editor_->CloseGroups();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    history_->busy = true;
    history_->UndoMany(k);
    history_->busy = false;
    QApplication::restoreOverrideCursor();
    AfterInput();
}

bool TPageView::HasSelection() const {
    if (!box_ || !box_->hasSelection) return false;
    TextPosition s = box_->SelectionStart(), e = box_->SelectionEnd();
    return s.paragraphIndex != e.paragraphIndex || s.charIndex != e.charIndex;
}

QString TPageView::SelectedText() const {
    if (!HasSelection()) return {};
    TextPosition s = box_->SelectionStart(), e = box_->SelectionEnd();
    std::string text;
    for (int32_t pi = s.paragraphIndex; pi <= e.paragraphIndex && pi < box_->ParagraphCount(); ++pi) {
        const THQVparag& p = box_->Paragraph(pi);
        int32_t from = pi == s.paragraphIndex ? s.charIndex : 0;
        int32_t to = pi == e.paragraphIndex ? std::min(e.charIndex, p.Length()) : p.Length();
        if (pi != s.paragraphIndex) text += '\n';
        for (int32_t i = std::max(0, from); i < to; ++i)
            if (p.Records()[size_t(i)].object < 0) text += p.Text()[size_t(i)];
    }
    return QString::fromStdString(cp1252::ToUtf8(text));
}

void TPageView::Copy() {
    if (!HasSelection()) return;
    auto* mime = new QMimeData;
    // The editor's own format keeps styles, links and placed objects; other
    // programs take the plain text.
    if (objectsHost_) {
        const Bytes objects =
            WriteObjectsData(*box_, box_->SelectionStart(), box_->SelectionEnd(), false, objectsHost_.get());
        mime->setData(kObjectsFormat,
                      QByteArray(reinterpret_cast<const char*>(objects.data()), qsizetype(objects.size())));
    }
    mime->setText(SelectedText());
    QGuiApplication::clipboard()->setMimeData(mime);
}

void TPageView::Cut() {
    if (!HasSelection() || readOnly_ || !editor_) return;
    Copy();
    Run([](BoxEditor& e) { e.DeleteSelection(); });
}

void TPageView::Paste() {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime) return;
    if (mime->hasFormat(kObjectsFormat)) {
        // When the editor's own format is there the paste ends with it, even
        // when its data is not accepted.
        if (!editor_ || readOnly_ || !objectsHost_) return;
        const QByteArray raw = mime->data(kObjectsFormat);
        const Bytes objects(raw.begin(), raw.end());
        Run([&](BoxEditor& e) {
            if (HasSelection()) e.DeleteSelection();
            ReadObjectsData(e, objects, "Inserimento da Cartella appunti", false, objectsHost_.get());
        });
        return;
    }
    PasteText(mime->text());
}

void TPageView::PasteText(const QString& text) {
    if (!editor_ || readOnly_ || text.isEmpty() || !set_) return;
    // The text converter turns the plain text into objects data (one
    // paragraph per line), which is pasted at the caret as one undo entry.
    std::string bytes = cp1252::FromUtf8(text.toStdString());
    Bytes source(bytes.begin(), bytes.end());
    source.push_back(0);
    Bytes fragment;
    THQVtoTxt converter;
    converter.LinkedHQVset = set_;
    // The pasted paragraphs take the style of the paragraph at the caret.
    converter.ImportFragment(source, fragment, false, box_ ? box_->ParaAttributes().StyleNumber() : 0);
    Run([&](BoxEditor& e) {
        if (HasSelection()) e.DeleteSelection();
        ReadObjectsData(e, fragment, "Inserimento da Cartella appunti", false);
    });
}

bool TPageView::CopyPageFrom(THQVtesto& source, bool withBackground) {
    if (!editor_ || readOnly_ || !page_) return false;
    bool ok = false;
    Run([&](BoxEditor& e) {
        if (HasSelection()) e.DeleteSelection();
        ok = CopyPageInto(*page_, e, source, withBackground);
    });
    if (ok) {
        modified_ = true;
        emit Changed();
    }
    return ok;
}

void TPageView::Redo() {
    if (!history_ || !box_ || readOnly_) return;
    history_->RedoOne();
    AfterInput();
}

namespace {
uint8_t Modifiers(Qt::KeyboardModifiers m) {
    uint8_t r = 0;
    if (m & Qt::ShiftModifier) r |= kShift;
    if (m & Qt::ControlModifier) r |= kCtrl;
    if (m & Qt::AltModifier) r |= kAlt;
    return r;
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
}  // namespace

void TPageView::keyPressEvent(QKeyEvent* e) {
    if (!editor_) return QAbstractScrollArea::keyPressEvent(e);
    EditKey key = KeyOf(e->key());
    uint8_t mods = Modifiers(e->modifiers());
    bool handled = false;
    if (key != EditKey::Other) {
        handled = editor_->KeyDown(key, mods);
    } else if (!e->text().isEmpty() && !(mods & (kCtrl | kAlt)) && !readOnly_) {
        // Typed text reaches the engine as Windows-1252 bytes.
        std::string bytes = cp1252::FromUtf8(e->text().toStdString());
        for (char c : bytes)
            if (uint8_t(c) >= 32) handled |= editor_->KeyPress(uint8_t(c));
    }
    if (!handled && key == EditKey::Other && e->text().isEmpty()) return QAbstractScrollArea::keyPressEvent(e);
    AfterInput();
}

void TPageView::mousePressEvent(QMouseEvent* e) {
    if (!editor_) return;
    setFocus();
    QPoint p = BoxPoint(e->position().toPoint());
    editor_->MouseDown(ButtonOf(e->button()), p.x(), p.y(), Modifiers(e->modifiers()));
    AfterInput();
}

void TPageView::mouseMoveEvent(QMouseEvent* e) {
    if (!editor_) return;
    QPoint p = BoxPoint(e->position().toPoint());
    if (dragging_) {
        viewport()->setCursor(editor_->DragOver(*editor_, p.x(), p.y()) ? Qt::DragMoveCursor
                                                                        : Qt::ForbiddenCursor);
        return;
    }
    editor_->MouseMove(p.x(), p.y(), e->buttons() & Qt::LeftButton);
    if (e->buttons()) AfterInput();
}

void TPageView::mouseReleaseEvent(QMouseEvent* e) {
    if (!editor_) return;
    QPoint p = BoxPoint(e->position().toPoint());
    if (dragging_) {
        dragging_ = false;
        viewport()->unsetCursor();
        editor_->Drop(*editor_, p.x(), p.y(), dragButton_, Modifiers(e->modifiers()));
        AfterInput();
        return;
    }
    editor_->MouseUp(ButtonOf(e->button()), p.x(), p.y(), Modifiers(e->modifiers()));
    AfterInput();
}

void TPageView::mouseDoubleClickEvent(QMouseEvent* e) {
    if (!editor_) return;
    QPoint p = BoxPoint(e->position().toPoint());
    editor_->DoubleClick(p.x(), p.y());
    AfterInput();
}

void TPageView::focusInEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusInEvent(e);
    viewport()->update();
}

void TPageView::focusOutEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusOutEvent(e);
    viewport()->update();
}

}  // namespace ovik::ui
