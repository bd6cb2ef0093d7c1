#include "ui/undo_popup.h"

#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>

#include "core/codepage.h"

namespace ovik::ui {

TUndoPopup::TUndoPopup(std::vector<std::string> items, QWidget* parent)
    : QListWidget(parent), box_(std::move(items)) {
    setObjectName("undobox");
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFrameShape(QFrame::Box);
    setMouseTracking(true);
    for (const std::string& s : box_.Items()) addItem(QString::fromStdString(cp1252::ToUtf8(s)));
    ShowRun();
}

void TUndoPopup::ShowRun() {
    // The selection is drawn by hand: Qt's own selection models do not keep
    // a run anchored at the first item.
    const QPalette pal = palette();
    for (int i = 0; i < count(); ++i) {
        bool on = i < box_.Selected();
        item(i)->setBackground(on ? pal.highlight() : pal.base());
        item(i)->setForeground(on ? pal.highlightedText() : pal.text());
    }
    if (box_.Selected() > 0) scrollToItem(item(box_.Selected() - 1));
}

void TUndoPopup::Confirm() {
    confirmed_ = box_.Confirm();
    hide();
}

int32_t TUndoPopup::Run(QWidget* control) {
    if (box_.Items().empty()) return 0;
    const int itemHeight = std::max(1, sizeHintForRow(0));
    const QPoint corner = control->mapToGlobal(QPoint(0, 0));
    QRect screen = control->screen() ? control->screen()->geometry() : QRect(0, 0, 1024, 768);
    int32_t x = 0, y = 0;
    box_.Place(corner.x() - screen.left(), corner.y() - screen.top(), control->width(), control->height(),
               itemHeight, screen.width(), screen.height(), x, y);
    setGeometry(screen.left() + x, screen.top() + y, TUndoBox::kWidth, box_.Height(itemHeight));
    control->setEnabled(false);
    hidden_ = false;
    show();
    setFocus();
    QEventLoop loop;
    while (!hidden_) loop.processEvents(QEventLoop::WaitForMoreEvents);
    control->setEnabled(true);
    return confirmed_;
}

void TUndoPopup::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Down: box_.Down(); break;
        case Qt::Key_Right: box_.Right(); break;
        case Qt::Key_Up: box_.Up(); break;
        case Qt::Key_Left: box_.Left(); break;
        case Qt::Key_Return:
        case Qt::Key_Enter: Confirm(); return;
        case Qt::Key_Escape: hide(); return;
        default: return;
    }
    ShowRun();
}

void TUndoPopup::mousePressEvent(QMouseEvent* e) {
    if (!rect().contains(e->position().toPoint())) {
        hide();  // a click outside the list cancels it
        return;
    }
    if (QListWidgetItem* it = itemAt(e->position().toPoint())) {
        box_.MouseOver(row(it));
        ShowRun();
    }
}

void TUndoPopup::mouseMoveEvent(QMouseEvent* e) {
    if (!(e->buttons() & Qt::LeftButton)) return;
    if (QListWidgetItem* it = itemAt(e->position().toPoint())) {
        box_.MouseOver(row(it));
        ShowRun();
    }
}

void TUndoPopup::mouseDoubleClickEvent(QMouseEvent* e) {
    if (QListWidgetItem* it = itemAt(e->position().toPoint())) box_.MouseOver(row(it));
    Confirm();
}

void TUndoPopup::hideEvent(QHideEvent* e) {
    QListWidget::hideEvent(e);
    hidden_ = true;
}

}  // namespace ovik::ui
