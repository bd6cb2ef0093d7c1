// The editing view's page widget: shows one page's box painted from the
// engine's display list, scrolls it, blinks the caret, and hands real input to
// the engine's box model (which decides what keys and mouse gestures do).
#pragma once

#include <QAbstractScrollArea>
#include <QTimer>
#include <memory>

#include "text/display_list.h"
#include "text/hqv_box.h"
#include "ui/display_painter.h"
#include "ui/qt_measurer.h"

namespace ovik {
class THQVset;
class THQVtesto;
}  // namespace ovik

namespace ovik::ui {

class TPageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TPageView(QWidget* parent = nullptr);
    ~TPageView() override;

    // Shows page `number` of the set (-1 = none). Returns false when there is no
    // such page.
    bool ShowPage(THQVset& set, int32_t number);
    int32_t PageNumber() const { return pageNumber_; }
    THQVbox* Box() const { return box_.get(); }
    // Preview: pages are shown as a reader sees them (no caret).
    void SetReadOnly(bool r);
    bool ReadOnly() const { return readOnly_; }

    // The display list of what is visible (for tests and printing).
    DisplayList VisibleList();

signals:
    void PageShown(int number);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void UpdateScrollBars();
    QPoint Offset() const;

    QtTextMeasurer measurer_;
    PictureImages pictures_;
    std::unique_ptr<THQVbox> box_;
    THQVset* set_ = nullptr;
    int32_t pageNumber_ = -1;
    bool readOnly_ = false;
    bool caretOn_ = true;
    QTimer caretTimer_;
};

}  // namespace ovik::ui
