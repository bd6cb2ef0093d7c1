// The window "Tutte le pagine dell'ipertesto": the page tree of the hypertext,
// with its chapters, to look through and pick a page from. "&Vai" (or a double
// click on a page) shows the chosen page through the link navigator.
#pragma once

#include <QPushButton>
#include <functional>

#include "document/hqv_set.h"
#include "ui/dialogs/dialog_support.h"
#include "ui/dialogs/ordered_tree_view.h"

namespace ovik::ui {

class TFTuttePagine : public TFDialog {
    Q_OBJECT
public:
    TFTuttePagine(THQVset& set, platform::SettingsStore& store, QWidget* parent = nullptr);

    // Reads the page tree again (pages may have come and gone since the last showing).
    void Load();
    // Shows the page selected in the tree; false when no page is selected.
    bool GoToSelected();
    // Called with the number of the page to show.
    std::function<void(int32_t)> onGoTo;

    THQVorderedTree* tree;
    QPushButton* bGo;

private:
    THQVset& set_;
};

}  // namespace ovik::ui
