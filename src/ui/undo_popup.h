// The undo drop-down list: a borderless pop-up list of the undo descriptions,
// newest first, whose selection is always a run from the first item (the rules
// live in TUndoBox). Enter or a double click confirms the run, Escape or a
// click elsewhere cancels.
#pragma once

#include <QListWidget>
#include <string>
#include <vector>

#include "undo/undo.h"

namespace ovik::ui {

class TUndoPopup : public QListWidget {
    Q_OBJECT
public:
    explicit TUndoPopup(std::vector<std::string> items, QWidget* parent = nullptr);

    const TUndoBox& Rules() const { return box_; }
    // Shows the list at the bottom left corner of `control` (moved to stay on
    // the screen), disables the control and processes events until the list
    // hides. Returns the number of entries confirmed (0 when cancelled).
    int32_t Run(QWidget* control);
    // The number confirmed so far (0 until Enter or a double click).
    int32_t Confirmed() const { return confirmed_; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    // Marks the items of the run TUndoBox selects.
    void ShowRun();
    void Confirm();

    TUndoBox box_;
    int32_t confirmed_ = 0;
    bool hidden_ = false;
};

}  // namespace ovik::ui
