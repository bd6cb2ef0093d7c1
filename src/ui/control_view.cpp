// The page widget's form elements, buttons, multimedia objects, floating
// frames and markers: drawn with the style's own controls, clicked by a reader
// in preview (radio buttons, check boxes, buttons and their links, reset
// buttons, anchors, the media player), and given their popup menu and
// property window in an editable page.
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <map>

#include "core/codepage.h"
#include "document/hqv_set.h"
#include "page/placed_floating.h"
#include "page/placed_forms.h"
#include "page/placed_markers.h"
#include "page/placed_media.h"
#include "ui/icons.h"
#include "ui/page_view.h"
#include "ui/qt_media_player.h"
#include "ui/qt_measurer.h"

namespace ovik::ui {

namespace {

QRect ToRect(const PixelRect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

// The sizes of the style's standard controls, measured once.
class QtControlMetrics : public platform::ControlMetrics {
public:
    QtControlMetrics() {
        const QFontMetrics fm(QApplication::font());
        charWidth_ = std::max(1, fm.averageCharWidth());
        lineHeight_ = std::max(1, fm.lineSpacing());
        captionHeight_ = std::max(1, fm.boundingRect("(_").height());
        QLineEdit edit;
        editHeight_ = std::max(1, edit.sizeHint().height());
        QComboBox combo;
        comboHeight_ = std::max(1, combo.sizeHint().height());
        listWidth_ = std::max(combo.sizeHint().width(), charWidth_ * 17);
    }
    int32_t CharWidth() const override { return charWidth_; }
    int32_t EditHeight() const override { return editHeight_; }
    int32_t MemoLineHeight() const override { return lineHeight_; }
    int32_t ListWidth() const override { return listWidth_; }
    int32_t ComboHeight() const override { return comboHeight_; }
    int32_t CaptionHeight() const override { return captionHeight_; }

private:
    int32_t charWidth_, lineHeight_, captionHeight_, editHeight_, comboHeight_, listWidth_;
};

// The icon of a panel, a marker or a database element: its GIF resource; a
// name without one gets a small drawn glyph with its initials.
void DrawIcon(QPainter& p, const QRect& r, const std::string& name) {
    if (const QImage& icon = ControlIcon(QString::fromStdString(name)); !icon.isNull()) {
        p.drawImage(r.topLeft(), icon);
        return;
    }
    static const std::map<std::string, QColor> colours = {
        {"notepad", QColor(255, 255, 160)}, {"html", QColor(200, 230, 255)}, {"binary", QColor(220, 220, 220)},
        {"lancia", QColor(255, 200, 120)},  {"ancora", QColor(160, 220, 160)}, {"triang", QColor(255, 180, 180)},
        {"nota", QColor(200, 200, 255)},    {"hidden", QColor(230, 230, 230)}, {"iniziof", QColor(255, 230, 180)}};
    const auto it = colours.find(name);
    const QRect box(r.left(), r.top(), 18, 18);
    p.fillRect(box.adjusted(1, 1, -1, -1), it != colours.end() ? it->second : QColor(240, 240, 220));
    p.setPen(QColor(90, 90, 90));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    QFont f = p.font();
    f.setPixelSize(8);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(box, Qt::AlignCenter, QString::fromLatin1(name.substr(0, 2).c_str()));
}

void DrawFrame(QPainter& p, QWidget* w, const QRect& r) {
    QStyleOptionFrame o;
    o.initFrom(w);
    o.rect = r;
    o.lineWidth = 1;
    o.state |= QStyle::State_Sunken;
    p.fillRect(r, Qt::white);
    w->style()->drawPrimitive(QStyle::PE_PanelLineEdit, &o, &p, w);
}

void DrawPushButton(QPainter& p, QWidget* w, const QRect& r, const QString& text, bool down) {
    QStyleOptionButton o;
    o.initFrom(w);
    o.rect = r;
    o.text = text;
    o.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
    w->style()->drawControl(QStyle::CE_PushButton, &o, &p, w);
}

// A player's bar: play, pause, stop, step and back.
void DrawPlayer(QPainter& p, QWidget* w, const QRect& r) {
    const QStyle::StandardPixmap icons[] = {QStyle::SP_MediaPlay, QStyle::SP_MediaPause, QStyle::SP_MediaStop,
                                            QStyle::SP_MediaSkipForward, QStyle::SP_MediaSkipBackward};
    const int n = 5, bw = r.width() / n;
    for (int i = 0; i < n; ++i) {
        const QRect b(r.left() + i * bw, r.top(), i == n - 1 ? r.width() - i * bw : bw, r.height());
        DrawPushButton(p, w, b, {}, false);
        const QIcon icon = w->style()->standardIcon(icons[i], nullptr, w);
        icon.paint(&p, b.adjusted(4, 4, -4, -4));
    }
}

// Where an edit field's or a text box's text stands inside the control.
constexpr int kTextLeft = 4;
constexpr int kMemoTop = 2;

// The lines of a text box's text: byte ranges without their line breaks.
struct TextLine {
    int32_t start, end;
};
std::vector<TextLine> LinesOf(const std::string& t) {
    std::vector<TextLine> lines;
    int32_t start = 0;
    for (int32_t i = 0; i <= int32_t(t.size()); ++i) {
        if (i < int32_t(t.size()) && t[size_t(i)] != '\n') continue;
        int32_t end = i;
        if (end > start && t[size_t(end - 1)] == '\r') --end;
        lines.push_back({start, end});
        start = i + 1;
    }
    return lines;
}
int32_t LineOfCaret(const std::vector<TextLine>& lines, int32_t caret) {
    for (int32_t i = int32_t(lines.size()) - 1; i >= 0; --i)
        if (lines[size_t(i)].start <= caret) return i;
    return 0;
}
// The first line a text box shows: the caret's line stays in sight.
int32_t FirstShownLine(const TMyyTextControl& m, const std::vector<TextLine>& lines, int lineHeight, bool focused) {
    if (!focused) return 0;
    const int32_t rows = std::max(1, (m.Height() - 4) / std::max(1, lineHeight));
    return std::max(0, LineOfCaret(lines, m.caret) - rows + 1);
}
// The byte of `text` (Windows-1252, one character a byte) nearest to x.
int32_t IndexAtX(const QFontMetrics& fm, const std::string& text, int x) {
    const QString q = FromCp1252(text);
    int32_t best = 0;
    for (int32_t i = 1; i <= q.size(); ++i) {
        const int mid = (fm.horizontalAdvance(q.left(i - 1)) + fm.horizontalAdvance(q.left(i))) / 2;
        if (x >= mid) best = i;
    }
    return best;
}

}  // namespace

std::unique_ptr<platform::ControlMetrics> NewQtControlMetrics() { return std::make_unique<QtControlMetrics>(); }

TMyyControl* TPageView::CurrentControl() const {
    if (TPageView* child = ActiveChild()) return child->CurrentControl();
    if (!Page() || currentControl_ < 0 || currentShowing_ != Page()->Showing()) return nullptr;
    return dynamic_cast<TMyyControl*>(Page()->ControlAt(currentControl_));
}

bool TPageView::RunOnControl(const std::function<void(TMyyControl&)>& change) {
    if (TPageView* child = ActiveChild()) return child->RunOnControl(change);
    TMyyControl* c = CurrentControl();
    if (!c || readOnly_ || !Editor()) return false;
    Editor()->CloseGroups();
    change(*c);
    UpdateScrollBars();
    viewport()->update();
    emit InputDone();
    return true;
}

PlacedObject* TPageView::InsertPlaced(std::unique_ptr<THQVoggetto> object) {
    if (!object || !Editor() || readOnly_ || !Page()) return nullptr;
    const int32_t index = Page()->AddControl({std::move(object), -1, false});
    PlacedObject* control = Page()->ControlAt(index);
    if (!control) return nullptr;
    Run([&](BoxEditor& e) {
        if (HasSelection()) e.DeleteSelection();
        e.InsertObject(control, false);
    });
    return control;
}

bool TPageView::InsertControl(std::unique_ptr<THQVoggetto> object) {
    if (TPageView* child = ActiveChild()) return child->InsertControl(std::move(object));
    PlacedObject* control = InsertPlaced(std::move(object));
    if (!control) return false;
    currentControl_ = control->ControlIndex();
    currentShowing_ = Page()->Showing();
    return true;
}

bool TPageView::DrawControl(QPainter& p, const ObjectItem& item) {
    auto* c = dynamic_cast<TMyyControl*>(Page() ? Page()->ControlAt(item.controlIndex) : nullptr);
    if (!c) return false;
    const QRect r = ToRect(item.rect);
    p.save();
    p.setFont(QApplication::font());
    switch (c->Class()) {
        case ControlClass::Edit: {
            auto* e = static_cast<TMyyEdit*>(c);
            DrawFrame(p, this, r);
            p.setPen(Qt::black);
            const QString shown = FromCp1252(e->ShownText());
            p.drawText(r.adjusted(kTextLeft, 0, -kTextLeft, 0), Qt::AlignVCenter | Qt::AlignLeft, shown);
            if (c == FocusedControl()) {
                const QFontMetrics fm(p.font());
                const int x = r.left() + kTextLeft + fm.horizontalAdvance(shown.left(e->caret));
                p.drawLine(x, r.top() + 3, x, r.bottom() - 3);
            }
            break;
        }
        case ControlClass::Memo: {
            auto* m = static_cast<TMyyMemo*>(c);
            DrawFrame(p, this, r);
            p.setPen(Qt::black);
            const QFontMetrics fm(p.font());
            const int lh = std::max(1, controlMetrics_->MemoLineHeight());
            const bool focused = c == FocusedControl();
            const auto lines = LinesOf(m->text);
            const int32_t first = FirstShownLine(*m, lines, lh, focused);
            p.setClipRect(r.adjusted(2, 2, -2, -2));
            for (int32_t i = first; i < int32_t(lines.size()); ++i) {
                const int y = r.top() + kMemoTop + (i - first) * lh;
                if (y >= r.bottom()) break;
                const TextLine& l = lines[size_t(i)];
                const QString line = FromCp1252(std::string_view(m->text).substr(size_t(l.start), size_t(l.end - l.start)));
                p.drawText(QRect(r.left() + kTextLeft, y, r.width() - 2 * kTextLeft, lh), Qt::AlignVCenter | Qt::AlignLeft,
                           line);
                if (focused && i == LineOfCaret(lines, m->caret)) {
                    const int x = r.left() + kTextLeft + fm.horizontalAdvance(line.left(m->caret - l.start));
                    p.drawLine(x, y + 1, x, y + lh - 2);
                }
            }
            p.setClipping(false);
            break;
        }
        case ControlClass::RadioButton:
        case ControlClass::CheckBox: {
            auto* b = static_cast<TMyyCheckedControl*>(c);
            QStyleOptionButton o;
            o.initFrom(this);
            o.rect = QRect(r.left(), r.top(), TMyyCheckedControl::kBox, TMyyCheckedControl::kBox);
            o.state |= b->Checked ? QStyle::State_On : QStyle::State_Off;
            if (b->pressed) o.state |= QStyle::State_Sunken;
            style()->drawPrimitive(c->Class() == ControlClass::RadioButton ? QStyle::PE_IndicatorRadioButton
                                                                           : QStyle::PE_IndicatorCheckBox,
                                   &o, &p, this);
            break;
        }
        case ControlClass::ListBox:
        case ControlClass::ComboBox: {
            auto* l = static_cast<TMyyListBox*>(c);
            if (l->Combo()) {
                QStyleOptionComboBox o;
                o.initFrom(this);
                o.rect = r;
                const auto sel = l->Selected();
                o.currentText = sel.empty() ? QString() : FromCp1252(l->Items()[size_t(sel.front())].text);
                style()->drawComplexControl(QStyle::CC_ComboBox, &o, &p, this);
                style()->drawControl(QStyle::CE_ComboBoxLabel, &o, &p, this);
                break;
            }
            DrawFrame(p, this, r);
            const int lh = std::max(1, controlMetrics_->MemoLineHeight());
            const auto sel = l->Selected();
            int y = r.top() + TMyyListBox::kListMargin;
            for (int32_t i = l->TopItem(); i < int32_t(l->Items().size()) && y + lh <= r.bottom() + 1; ++i, y += lh) {
                const QRect line(r.left() + 2, y, r.width() - 4, lh);
                const bool on = std::find(sel.begin(), sel.end(), i) != sel.end();
                if (on) p.fillRect(line, palette().highlight());
                p.setPen(on ? palette().highlightedText().color() : QColor(Qt::black));
                p.drawText(line.adjusted(2, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                           FromCp1252(l->Items()[size_t(i)].text));
            }
            break;
        }
        case ControlClass::Button: {
            auto* b = static_cast<TMyyButton*>(c);
            bool drawn = false;
            if (THQVoggetto* picture = b->PictureObject()) {
                const QImage& img = pictures_.ImageOf(picture);
                if (!img.isNull()) {
                    p.drawImage(r, img);
                    drawn = true;
                }
            }
            if (!drawn)
                DrawPushButton(p, this, r, FromCp1252(b->Caption()), pressedControl_ == item.controlIndex);
            break;
        }
        case ControlClass::Floating: {
            auto* f = static_cast<TMyyFloating*>(c);
            p.fillRect(r, Qt::white);
            // The inner page is drawn by the frame's own view over this box.
            if (FloatingFrameOf(*f)) break;
            p.setPen(QPen(QColor(128, 128, 128), 1));
            p.drawRect(r.adjusted(0, 0, -1, -1));
            THQVset* set = model_.LinkedHQVset();
            THQVoggetto* shown = set && f->PageShown() >= 0 ? set->GetObject(testoHtml, f->PageShown()) : nullptr;
            const QString title = shown && !shown->IsFree() ? FromCp1252(shown->Name()) : QString("?");
            p.setPen(Qt::black);
            p.drawText(r.adjusted(4, 4, -4, -4), Qt::AlignTop | Qt::AlignLeft | Qt::TextWordWrap,
                       QString("[%1]").arg(title));
            break;
        }
        case ControlClass::Multimedia: {
            auto* m = static_cast<TMyyMultimedia*>(c);
            const std::string icon = m->IconName();
            if (m->PlayerShown()) {
                DrawPlayer(p, this, QRect(r.left(), r.top(), TMyyMultimedia::kPlayerWidth,
                                          TMyyMultimedia::kPlayerHeight));
            }
            if (m->Video() || m->Program()) {
                const QRect area = ToRect(m->PictureArea()).translated(r.topLeft());
                THQVoggetto* alt = m->AlternativePicture();
                const QImage* img = alt ? &pictures_.ImageOf(alt) : nullptr;
                // A video being played shows its picture.
                if (auto* player = dynamic_cast<QtMediaPlayer*>(m->Player()); player && !player->Frame().isNull())
                    img = &player->Frame();
                if (img && !img->isNull()) {
                    p.drawImage(area, *img);
                } else {
                    p.setPen(QPen(QColor(128, 128, 128), 1, Qt::DashLine));
                    p.drawRect(area.adjusted(0, 0, -1, -1));
                }
            } else if (m->Database() && m->Object()->U8(media_rec::kDbType) == 18) {
                THQVoggetto* pic = m->AlternativePicture();
                const QImage* img = pic ? &pictures_.ImageOf(pic) : nullptr;
                if (img && !img->isNull()) p.drawImage(r, *img);
                else DrawIcon(p, r, "db");
            } else if (!m->PlayerShown()) {
                DrawIcon(p, r, icon.empty() ? std::string(m->Custom() ? "custom" : "db") : icon);
            }
            break;
        }
        case ControlClass::BelPanel:
        case ControlClass::FormStart: {
            auto* b = static_cast<TMyyBelPanel*>(c);
            DrawIcon(p, r, b->IconName());
            if (b->Width() > TMyyBelPanel::kWideFrom) {
                const QRect text(r.left() + TMyyBelPanel::kTextFrom, r.top(), r.width() - TMyyBelPanel::kTextFrom,
                                 r.height());
                p.fillRect(text, Qt::white);
                p.setPen(Qt::blue);
                p.drawLine(text.topLeft(), text.topRight());
                QFont f = QApplication::font();
                f.setPointSize(8);
                p.setFont(f);
                p.setPen(Qt::black);
                p.drawText(text.adjusted(2, 1, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, FromCp1252(b->Text()));
            }
            break;
        }
        case ControlClass::None: break;
    }
    if (c == FocusedControl() && c->Class() != ControlClass::Edit && c->Class() != ControlClass::Memo) {
        QStyleOptionFocusRect o;
        o.initFrom(this);
        o.rect = r.adjusted(-1, -1, 1, 1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &o, &p, this);
    }
    if (item.selected) p.fillRect(r, QColor(0, 0, 128, 80));
    p.restore();
    return true;
}

TMyyControl* TPageView::FocusedControl() const {
    if (!Page() || !readOnly_ || focusControl_ < 0 || focusShowing_ != Page()->Showing()) return nullptr;
    auto* c = dynamic_cast<TMyyControl*>(Page()->ControlAt(focusControl_));
    return c && c->TakesKeys() ? c : nullptr;
}

void TPageView::FocusControl(TMyyControl* control) {
    focusControl_ = control && control->TakesKeys() ? control->ControlIndex() : -1;
    focusShowing_ = Page() ? Page()->Showing() : 0;
    viewport()->update();
}

bool TPageView::ControlKey(QKeyEvent* e) {
    if (!readOnly_ || !Page()) return false;
    const bool ctrlAlt = e->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if ((e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab) && !ctrlAlt) {
        const bool back = e->key() == Qt::Key_Backtab || (e->modifiers() & Qt::ShiftModifier);
        TMyyControl* from = FocusedControl();
        const int32_t next = NextReaderControl(*Page(), from ? from->ControlIndex() : -1, back);
        if (next < 0) return false;
        FocusControl(dynamic_cast<TMyyControl*>(Page()->ControlAt(next)));
        return true;
    }
    TMyyControl* c = FocusedControl();
    if (!c || ctrlAlt) return false;
    if (e->key() == Qt::Key_Escape) {
        FocusControl(nullptr);
        return true;
    }
    const EditKey key = KeyOf(e->key());
    const bool text = dynamic_cast<TMyyTextControl*>(c) != nullptr;
    bool taken = false;
    if (key != EditKey::Other) {
        c->ReaderKeyDown(key, Modifiers(e->modifiers()));
        // Edit fields and text boxes keep their keys; lists let the others
        // scroll the page.
        taken = text || key == EditKey::Up || key == EditKey::Down || key == EditKey::Home || key == EditKey::End ||
                key == EditKey::PageUp || key == EditKey::PageDown;
    } else if (!e->text().isEmpty()) {
        for (char ch : TypedBytes(e->text())) c->ReaderKeyPress(uint8_t(ch));
        taken = true;
    }
    if (taken) viewport()->update();
    return taken;
}

void TPageView::OpenComboDropDown(TMyyListBox& combo, const QRect& rect) {
    if (comboDropDown_) comboDropDown_->deleteLater();
    comboDropDown_ = new QMenu(this);
    comboDropDown_->setObjectName("combodropdown");
    comboDropDown_->setMinimumWidth(rect.width());
    const auto selected = combo.Selected();
    const int32_t index = combo.ControlIndex();
    const uint64_t showing = Page()->Showing();
    for (int32_t i = 0; i < int32_t(combo.Items().size()); ++i) {
        QAction* a = comboDropDown_->addAction(FromCp1252(combo.Items()[size_t(i)].text));
        a->setCheckable(true);
        a->setChecked(std::find(selected.begin(), selected.end(), i) != selected.end());
        connect(a, &QAction::triggered, this, [this, index, showing, i] {
            // The page may have changed while the drop-down was open.
            if (!Page() || Page()->Showing() != showing) return;
            if (auto* l = dynamic_cast<TMyyListBox*>(Page()->ControlAt(index))) l->Select(i);
            viewport()->update();
        });
    }
    QMenu* menu = comboDropDown_;
    connect(menu, &QMenu::aboutToHide, this, [this, menu] {
        if (comboDropDown_ == menu) comboDropDown_ = nullptr;
        menu->deleteLater();
    });
    menu->popup(viewport()->mapToGlobal(rect.bottomLeft()));
}

bool TPageView::ControlPress(QMouseEvent* e) {
    if (!Page() || !Box()) return false;
    const QPoint bp = BoxPoint(e->position().toPoint());
    const ObjectHit hit = ObjectAt(bp);
    auto* c = dynamic_cast<TMyyControl*>(hit.object);
    if (!c) {
        // A click elsewhere takes the keys back from a form control.
        if (readOnly_ && focusControl_ >= 0) FocusControl(nullptr);
        return false;
    }
    currentControl_ = c->ControlIndex();
    currentShowing_ = Page()->Showing();
    const bool reader = readOnly_ || c->Inactive();
    if (!reader) {
        if (e->button() != Qt::RightButton) return false;
        const auto menu = controlMenus_.find(c->PopupName());
        if (menu == controlMenus_.end() || !menu->second) return false;
        emit ContextMenuAboutToShow();
        menu->second->exec(e->globalPosition().toPoint());
        return true;
    }
    if (e->button() != Qt::LeftButton) return false;
    pressedControl_ = c->ControlIndex();
    if (readOnly_) FocusControl(c);
    const QPoint local = bp - QPoint(hit.rect.left, hit.rect.top);
    if (auto* b = dynamic_cast<TMyyCheckedControl*>(c)) {
        b->Press();
    } else if (auto* t = dynamic_cast<TMyyTextControl*>(c); t && readOnly_) {
        // The caret goes where the text was clicked.
        const QFontMetrics fm(QApplication::font());
        if (t->MultiLine()) {
            const int lh = std::max(1, controlMetrics_->MemoLineHeight());
            const auto lines = LinesOf(t->text);
            const int32_t row = std::clamp<int32_t>(
                FirstShownLine(*t, lines, lh, true) + (local.y() - kMemoTop) / lh, 0, int32_t(lines.size()) - 1);
            const TextLine& l = lines[size_t(row)];
            t->SetCaret(l.start + IndexAtX(fm, t->text.substr(size_t(l.start), size_t(l.end - l.start)),
                                           local.x() - kTextLeft));
        } else {
            t->SetCaret(IndexAtX(fm, static_cast<TMyyEdit*>(t)->ShownText(), local.x() - kTextLeft));
        }
    } else if (auto* l = dynamic_cast<TMyyListBox*>(c); l && readOnly_) {
        if (l->Combo() && !l->Dynamic()) OpenComboDropDown(*l, ToRect(hit.rect).translated(-Offset()));
        else l->ReaderClick(local.x(), local.y());
    }
    viewport()->update();
    return true;
}

bool TPageView::ControlRelease(QMouseEvent* e) {
    if (pressedControl_ < 0 || !Page()) return false;
    auto* c = dynamic_cast<TMyyControl*>(Page()->ControlAt(pressedControl_));
    pressedControl_ = -1;
    viewport()->update();
    if (!c) return false;
    const ObjectHit hit = ObjectAt(BoxPoint(e->position().toPoint()));
    const bool inside = hit.object == c;
    if (auto* b = dynamic_cast<TMyyCheckedControl*>(c)) {
        b->Release(inside);
        return true;
    }
    if (!inside) return true;
    if (auto* b = dynamic_cast<TMyyButton*>(c)) {
        if (b->Reset()) ResetForm(*Page(), *b);
        if (b->Link() >= 0) emit FollowLink(b->Link());
        viewport()->update();
        return true;
    }
    if (auto* m = dynamic_cast<TMyyMultimedia*>(c)) {
        const QPoint local = BoxPoint(e->position().toPoint()) - QPoint(hit.rect.left, hit.rect.top);
        m->PressPlayerButton(m->PlayerButtonAt(local.x(), local.y()));
        return true;
    }
    if (auto* marker = dynamic_cast<TMyyBelPanel*>(c); marker && marker->Anchor()) {
        model_.DoLink(links::LinkSender::PlacedObject, marker->Object());
        AfterInput();
    }
    return true;
}

bool TPageView::ControlDoubleClick(QMouseEvent* e) {
    if (!Page() || readOnly_) return false;
    const ObjectHit hit = ObjectAt(BoxPoint(e->position().toPoint()));
    auto* c = dynamic_cast<TMyyControl*>(hit.object);
    if (!c || c->Inactive()) return false;
    currentControl_ = c->ControlIndex();
    currentShowing_ = Page()->Showing();
    emit ControlPropertiesRequested();
    return true;
}

}  // namespace ovik::ui
