// The page widget's placed pictures: drawing them stretched to their size
// (animated GIFs play in a read-only view), the selected picture's handles and
// zones, and the mouse gestures over them, which the engine's PictureMouse
// decides; this file only translates Qt events and carries out the actions.
#include <QApplication>
#include <QBuffer>
#include <QMenu>
#include <QMouseEvent>
#include <QMovie>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>

#include "document/hqv_set.h"
#include "document/picture.h"
#include "page/placed_picture.h"
#include "ui/page_view.h"
#include "ui/view_geometry.h"

namespace ovik::ui {

TMyyImage* TPageView::ImageOfIndex(int32_t controlIndex) const {
    if (!Page() || controlIndex < 0) return nullptr;
    return dynamic_cast<TMyyImage*>(Page()->ControlAt(controlIndex));
}

TMyyImage* TPageView::SelectedPicture() const {
    if (TPageView* child = ActiveChild()) return child->SelectedPicture();
    if (!Page() || Page()->Showing() != selectedShowing_) return nullptr;
    return ImageOfIndex(selectedPicture_);
}

void TPageView::SelectPicture(TMyyImage* image) {
    if (TPageView* child = ActiveChild()) return child->SelectPicture(image);
    TMyyImage* old = SelectedPicture();
    if (old && old != image) {
        old->selected = false;
        old->focused = false;
        old->SelectZone(-1);
    }
    selectedPicture_ = image ? image->ControlIndex() : -1;
    selectedShowing_ = Page() ? Page()->Showing() : 0;
    if (image) {
        image->selected = true;
        image->focused = true;
        // The rollover picture goes while the picture is selected; where the
        // mouse was stays known (a zone added from the menu goes there).
        image->EndRollover();
        model_.SelectControl(image);
    } else if (old) {
        model_.SelectControl(nullptr);
    }
    viewport()->update();
}

void TPageView::SetPictureMenus(QMenu* image, QMenu* zone, QMenu* inactive) {
    imageMenu_ = image;
    zoneMenu_ = zone;
    inactiveMenu_ = inactive;
}

bool TPageView::RunOnPicture(const std::function<void(TMyyImage&)>& change) {
    if (TPageView* child = ActiveChild()) return child->RunOnPicture(change);
    TMyyImage* image = SelectedPicture();
    if (!image || readOnly_ || !Editor()) return false;
    Editor()->CloseGroups();
    change(*image);
    // An undo may have given the control a new index: it stays selected.
    if (TMyyImage* again = SelectedPicture()) again->selected = true;
    UpdateScrollBars();
    viewport()->update();
    emit InputDone();
    return true;
}

void TPageView::ShowInactiveMenu(PlacedObject* object, const QPoint& global) {
    if (!inactiveMenu_) return;
    inactiveTarget_ = object;
    emit ContextMenuAboutToShow();
    inactiveMenu_->exec(global);
}

bool TPageView::InsertPicture(std::unique_ptr<THQVoggetto> placement) {
    if (TPageView* child = ActiveChild()) return child->InsertPicture(std::move(placement));
    PlacedObject* control = InsertPlaced(std::move(placement));
    if (!control) return false;
    SelectPicture(dynamic_cast<TMyyImage*>(control));
    return true;
}

QRect TPageView::PictureRect(const TMyyImage& image) {
    if (TPageView* child = ActiveChild()) return child->PictureRect(image);
    for (const DisplayItem& item : VisibleList().items)
        if (const auto* o = std::get_if<ObjectItem>(&item); o && o->controlIndex == image.ControlIndex())
            return ToQRect(o->rect);
    return {};
}

int TPageView::RunningAnimations() const {
    int n = 0;
    for (const auto& [picture, a] : animations_)
        if (a->movie.state() == QMovie::Running) ++n;
    return n;
}

void TPageView::StopAnimations() {
    for (auto& [picture, a] : animations_) a->movie.stop();
    animations_.clear();
}

void TPageView::DropPictureImages() {
    StopAnimations();
    pictures_.Clear();
    retriedPictures_.clear();
    viewport()->update();
}

const QImage* TPageView::AnimationFrame(THQVoggetto* picture, const QRect& where) {
    if (!readOnly_ || !picture) return nullptr;
    auto it = animations_.find(picture);
    if (it == animations_.end()) {
        std::shared_ptr<const DecodedPicture> d = picture->Picture();
        if (!d || d->format != PictureFormat::Gif || d->frames <= 1) return nullptr;
        Bytes bytes;
        if (!picture->ReadContent(bytes)) return nullptr;
        auto a = std::make_unique<Animation>();
        a->bytes = QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
        a->buffer.setData(a->bytes);
        a->buffer.open(QIODevice::ReadOnly);
        a->movie.setDevice(&a->buffer);
        a->movie.setCacheMode(QMovie::CacheNone);
        if (!a->movie.isValid()) return nullptr;
        Animation* raw = a.get();
        // Each new frame repaints where the picture was drawn.
        connect(&a->movie, &QMovie::frameChanged, this, [this, raw] {
            for (const QRect& r : raw->shownAt) viewport()->update(r.translated(-Offset()));
        });
        a->movie.start();
        it = animations_.emplace(picture, std::move(a)).first;
    }
    Animation& a = *it->second;
    if (std::find(a.shownAt.begin(), a.shownAt.end(), where) == a.shownAt.end()) a.shownAt.push_back(where);
    static thread_local QImage frame;
    frame = a.movie.currentImage();
    return frame.isNull() ? nullptr : &frame;
}

bool TPageView::DrawObject(QPainter& p, const ObjectItem& item) {
    if (DrawTable(p, item)) return true;
    TMyyImage* image = ImageOfIndex(item.controlIndex);
    if (!image) return DrawControl(p, item);
    const QRect r = ToQRect(item.rect);
    THQVoggetto* placed = image->Object();
    THQVset* set = model_.LinkedHQVset();
    const int32_t number = image->ShownPictureNumber();
    THQVoggetto* picture = set && number >= 0 ? set->GetObject(immagine, number) : nullptr;
    if (picture && picture->IsFree()) picture = nullptr;
    bool drawn = false;
    if (picture) {
        if (const QImage* frame = AnimationFrame(picture, r)) {
            p.drawImage(r, *frame);
            drawn = true;
        } else {
            const QImage* img = &pictures_.ImageOf(picture);
            if (img->isNull() && !retriedPictures_.count(picture)) {
                // Out of resources: the decoded pictures go, and one more try.
                retriedPictures_.insert(picture);
                set->ClearPictureCache();
                pictures_.Forget(picture);
                img = &pictures_.ImageOf(picture);
            }
            if (!img->isNull()) {
                p.drawImage(r, *img);
                drawn = true;
            }
        }
    }
    if (!drawn) {
        // No picture to show: a frame with a cross where it stands.
        p.setPen(QPen(QColor(128, 128, 128), 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.drawLine(r.topLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomLeft());
    }
    if (placed && placed->U8(14) == 1) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    if (item.selected) p.fillRect(r, QColor(0, 0, 128, 80));
    return true;
}

void TPageView::PaintPictureOverlay(QPainter& p, const DisplayList& list) {
    TMyyImage* image = SelectedPicture();
    if (!image || readOnly_) return;
    for (const DisplayItem& item : list.items) {
        const auto* o = std::get_if<ObjectItem>(&item);
        if (!o || o->controlIndex != image->ControlIndex()) continue;
        const QPoint origin(o->rect.left, o->rect.top);
        const bool editable = !image->Inactive();
        // The zones of a selected picture show where they are, the selected
        // one with its handles.
        p.setBrush(Qt::NoBrush);
        const auto& zones = image->Zones();
        for (size_t i = 0; i < zones.size(); ++i) {
            const QRect zr = ToQRect(zones[i].Rect()).translated(origin);
            p.setPen(QPen(Qt::white, 1));
            p.drawRect(zr.adjusted(0, 0, -1, -1));
            p.setPen(QPen(Qt::black, 1, Qt::DashLine));
            p.drawRect(zr.adjusted(0, 0, -1, -1));
        }
        const PixelRect whole{o->rect.left, o->rect.top, o->rect.right, o->rect.bottom};
        DrawHandles(p, whole, editable);
        if (const int32_t z = image->SelectedZone(); z >= 0 && size_t(z) < zones.size()) {
            PixelRect zr = zones[size_t(z)].Rect();
            zr = {zr.left + origin.x(), zr.top + origin.y(), zr.right + origin.x(), zr.bottom + origin.y()};
            DrawHandles(p, zr, editable);
        }
        break;
    }
    if (gesture_ && gesture_->BandShown()) {
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(ToQRect(gesture_->Band()).translated(gestureOrigin_).adjusted(0, 0, -1, -1));
    }
}

TPageView::ObjectHit TPageView::ObjectAt(const QPoint& bp) {
    ObjectHit hit;
    if (!Page()) return hit;
    const DisplayList list = VisibleList();
    for (auto it = list.items.rbegin(); it != list.items.rend(); ++it) {
        const auto* o = std::get_if<ObjectItem>(&*it);
        if (!o) continue;
        auto* placed = dynamic_cast<PagePlacedObject*>(Page()->ControlAt(o->controlIndex));
        if (!placed) continue;
        const QPoint local = bp - QPoint(o->rect.left, o->rect.top);
        bool in = false;
        if (auto* image = dynamic_cast<TMyyImage*>(placed)) in = PictureMouse::Hits(*image, local.x(), local.y());
        else in = ToQRect(o->rect).contains(bp);
        if (in) {
            hit.object = placed;
            hit.rect = o->rect;
            return hit;
        }
    }
    return hit;
}

bool TPageView::PicturePress(QMouseEvent* e) {
    if (!Page() || !MainBox()) return false;
    const QPoint bp = BoxPoint(e->position().toPoint());
    const ObjectHit hit = ObjectAt(bp);
    auto* image = dynamic_cast<TMyyImage*>(hit.object);
    if (!image) {
        // An object of the header or footer has its own menu in an editable view.
        if (hit.object && hit.object->Inactive() && e->button() == Qt::RightButton && !readOnly_ && inactiveMenu_) {
            SelectPicture(nullptr);
            ShowInactiveMenu(hit.object, e->globalPosition().toPoint());
            return true;
        }
        if (SelectedPicture()) SelectPicture(nullptr);
        return false;
    }
    gesture_ = std::make_unique<PictureMouse>(*image);
    gestureIndex_ = image->ControlIndex();
    gestureOrigin_ = QPoint(hit.rect.left, hit.rect.top);
    const QPoint local = bp - gestureOrigin_;
    const VisualActions acts =
        gesture_->Press(ButtonOf(e->button()), local.x(), local.y(), Modifiers(e->modifiers()));
    if (gesture_->Pressed() == PictureMouse::Part::PictureHandle ||
        gesture_->Pressed() == PictureMouse::Part::ZoneHandle)
        viewport()->setCursor(SizeCursorOf(gesture_->Handle()));
    CarryOut(acts, *image, bp, gesture_->Pressed() == PictureMouse::Part::Zone ? gesture_->Zone() : -1);
    viewport()->update();
    return true;
}

bool TPageView::PictureMove(QMouseEvent* e) {
    const QPoint bp = BoxPoint(e->position().toPoint());
    if (!gesture_) {
        if (e->buttons() != Qt::NoButton || !Page()) return false;
        // Hovering: the rollover picture, the cursors of handles and zones.
        const ObjectHit hit = ObjectAt(bp);
        auto* image = dynamic_cast<TMyyImage*>(hit.object);
        TMyyImage* before = ImageOfIndex(hoverIndex_);
        if (before && before != image && before->MouseLeave()) viewport()->update();
        hoverIndex_ = image ? image->ControlIndex() : -1;
        if (!image) {
            viewport()->unsetCursor();
            return false;
        }
        if (image != before && image->MouseEnter(true)) viewport()->update();
        const QPoint local = bp - QPoint(hit.rect.left, hit.rect.top);
        image->lastMouseX = local.x();
        image->lastMouseY = local.y();
        const PixelRect whole{0, 0, image->Width(), image->Height()};
        const int handle = image->selected && !readOnly_ ? ResizeHandles::HandleAt(whole, local.x(), local.y()) : 0;
        const int32_t zone = PictureMouse::ZoneAt(*image, local.x(), local.y());
        if (handle) viewport()->setCursor(SizeCursorOf(handle));
        else if (zone >= 0) {
            viewport()->setCursor(Qt::PointingHandCursor);
            const QString hint = FromCp1252(image->ZoneHint(zone));
            if (!hint.isEmpty()) QToolTip::showText(e->globalPosition().toPoint(), hint, viewport());
        } else {
            viewport()->setCursor(image->Cursor() == PictureCursor::Default ? Qt::ArrowCursor : Qt::PointingHandCursor);
            const QString hint = FromCp1252(image->Hint());
            if (!hint.isEmpty()) QToolTip::showText(e->globalPosition().toPoint(), hint, viewport());
        }
        return true;
    }
    TMyyImage* image = ImageOfIndex(gestureIndex_);
    if (!image) {
        gesture_.reset();
        return false;
    }
    const QPoint local = bp - gestureOrigin_;
    const VisualActions acts = gesture_->Move(local.x(), local.y(), Modifiers(e->modifiers()));
    CarryOut(acts, *image, bp, gesture_->Pressed() == PictureMouse::Part::Zone ? gesture_->Zone() : -1);
    viewport()->update();
    return true;
}

bool TPageView::PictureRelease(QMouseEvent* e) {
    if (!gesture_) return false;
    std::unique_ptr<PictureMouse> gesture = std::move(gesture_);
    TMyyImage* image = ImageOfIndex(gestureIndex_);
    viewport()->unsetCursor();
    if (!image) return true;
    const int32_t zone = gesture->Pressed() == PictureMouse::Part::Zone ? gesture->Zone() : -1;
    const QPoint bp = BoxPoint(e->position().toPoint());
    const QPoint local = bp - gestureOrigin_;
    if (Editor()) Editor()->CloseGroups();
    const VisualActions acts = gesture->Release(ButtonOf(e->button()), local.x(), local.y());
    if (gesture->Changed()) {
        UpdateScrollBars();
        emit InputDone();
    }
    // A change may have laid the paragraph out again: the control is the same.
    CarryOut(acts, *image, bp, zone);
    viewport()->update();
    return true;
}

bool TPageView::PictureDoubleClick(QMouseEvent* e) {
    if (!Page()) return false;
    const QPoint bp = BoxPoint(e->position().toPoint());
    const ObjectHit hit = ObjectAt(bp);
    auto* image = dynamic_cast<TMyyImage*>(hit.object);
    if (!image) return false;
    PictureMouse m(*image);
    const QPoint local = bp - QPoint(hit.rect.left, hit.rect.top);
    const VisualActions acts = m.DoubleClick(local.x(), local.y());
    gesture_.reset();
    CarryOut(acts, *image, bp, m.Zone());
    return true;
}

void TPageView::CarryOut(const VisualActions& actions, TMyyImage& image, const QPoint& bp, int32_t zone) {
    const QPoint global = viewport()->mapToGlobal(bp - Offset());
    for (VisualAction a : actions) {
        switch (a) {
            case VisualAction::HideHandles:
            case VisualAction::BeginBoxDrag:
            case VisualAction::FocusMainBox: break;
            case VisualAction::DefaultCursor: viewport()->unsetCursor(); break;
            case VisualAction::DragCursor: viewport()->setCursor(Qt::SizeAllCursor); break;
            case VisualAction::TakeFocus:
            case VisualAction::SelectInFrameSet:
                if (!readOnly_ && !image.Inactive()) SelectPicture(&image);
                break;
            case VisualAction::SelectInBox: {
                THQVbox* box = nullptr;
                int32_t paragraph = 0, ch = 0;
                if (Page() && Page()->FindControl(&image, box, paragraph, ch) && box == MainBox())
                    box->Select(box->MakePosition(paragraph, ch), box->MakePosition(paragraph, ch + 1));
                break;
            }
            case VisualAction::BeginImmediateDrag:
                // The picture moves in the text as a dragged selection would.
                if (!Editor()) break;
                gesture_.reset();
                dragging_ = true;
                dragButton_ = MouseButton::Left;
                Editor()->dragButton = MouseButton::Left;
                viewport()->setCursor(Qt::DragMoveCursor);
                break;
            case VisualAction::ShowOwnPopup: {
                QMenu* menu = zone >= 0 ? zoneMenu_ : imageMenu_;
                if (!menu || readOnly_) break;
                SelectPicture(&image);
                emit ContextMenuAboutToShow();
                gesture_.reset();
                menu->exec(global);
                break;
            }
            case VisualAction::ShowInactivePopup:
                if (!inactiveMenu_ || readOnly_) break;
                gesture_.reset();
                ShowInactiveMenu(&image, global);
                break;
            case VisualAction::Activate: {
                // A picture inside a linked span follows that link.
                THQVbox* box = nullptr;
                int32_t paragraph = 0, ch = 0;
                if (!Page() || !Page()->FindControl(&image, box, paragraph, ch)) break;
                const int32_t link = box->Paragraph(paragraph).Records()[size_t(ch)].link;
                if (link != kNoLink) emit FollowLink(link);
                break;
            }
            case VisualAction::OpenProperties:
                if (readOnly_) break;
                SelectPicture(&image);
                emit PicturePropertiesRequested();
                break;
            case VisualAction::FollowZoneLink: {
                if (zone < 0 || size_t(zone) >= image.Zones().size()) break;
                if (readOnly_ || image.Inactive()) {
                    emit FollowLink(image.Zones()[size_t(zone)].link);
                } else {
                    // In an editable page the zone's link is chosen again.
                    SelectPicture(&image);
                    image.SelectZone(zone);
                    emit ZoneLinkRequested(zone);
                }
                break;
            }
            case VisualAction::PostDeleteZone:
                QTimer::singleShot(0, this, [this] { RunOnPicture([](TMyyImage& i) { i.DeleteSelectedZone(); }); });
                break;
            case VisualAction::StartZoneMove: viewport()->setCursor(Qt::SizeAllCursor); break;
            case VisualAction::EndZoneMove: viewport()->unsetCursor(); break;
            case VisualAction::ShowZoneHint: {
                const int32_t z = zone;
                const QString hint = z >= 0 ? FromCp1252(image.ZoneHint(z)) : QString();
                if (!hint.isEmpty()) QToolTip::showText(global, hint, viewport());
                break;
            }
        }
    }
}

}  // namespace ovik::ui
