// The slides window ("Diapositive"): the pages that follow the start page as
// a slide sequence, each with its time on screen, built from the page list
// and written back into the page records by "&Ok". The list itself is the
// engine's SlideList; the widgets show it again after every change.
#pragma once

#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <memory>

#include "document/hqv_set.h"
#include "links/slides.h"
#include "ui/dialogs/dialog_support.h"
#include "ui/dialogs/object_list_view.h"

namespace ovik::ui {

class TPageView;

// The slide list: keys to move and remove rows, and drops from the page
// list or from itself.
class TSlideListView : public QTreeWidget {
    Q_OBJECT
public:
    explicit TSlideListView(QWidget* parent = nullptr);
    // Handlers the window sets: a page dropped before a row (-1: at the end),
    // a row dragged onto another, and the keys.
    std::function<void(int32_t page, int before)> onDropPage;
    std::function<void(int from, int onto)> onMoveRow;
    std::function<void()> onDelete, onUp, onDown;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
};

class TFslides : public TFDialog {
    Q_OBJECT
public:
    TFslides(THQVset& set, platform::SettingsStore& store, QWidget* parent = nullptr);
    ~TFslides() override;

    // Fills the lists for the start page (the page shown when the window opens).
    void Load(int32_t startPage);
    // What the buttons do.
    void AddSelected();
    void AllFollowing();
    void AllInOrder();
    void RemoveSelected();
    void MoveSelected(bool up);
    // "&Ok": writes the sequence into the page records.
    void WriteChain();
    links::SlideList* List() const { return list_.get(); }

    THQVListView* pages;
    TSlideListView* slides;
    QSpinBox *Etempo, *EtempoCorr;
    QCheckBox* CBpreview;
    TPageView* preview;
    QPushButton *BAddPage, *Btutte, *SpeedButton4, *BCanc, *Bup, *Bdown;

private:
    // Shows the list again with row `select` selected (-1: none).
    void Show(int select);
    int SelectedRow() const;
    void RowChosen();
    THQVset& set_;
    std::unique_ptr<links::SlideList> list_;
    bool filling_ = false;
};

}  // namespace ovik::ui
