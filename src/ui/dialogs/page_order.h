// The page-order window ("Ordine predefinito pagine"): the page tree, with
// chapters, edited by buttons and by drag and drop (pages may be dragged in
// from the page list beside it); "&Ok" stores the tree in the hypertext.
#pragma once

#include <QPushButton>

#include "document/hqv_set.h"
#include "ui/dialogs/dialog_support.h"
#include "ui/dialogs/object_list_view.h"
#include "ui/dialogs/ordered_tree_view.h"

namespace ovik::ui {

class TFOrdine : public TFDialog {
    Q_OBJECT
public:
    TFOrdine(THQVset& set, platform::SettingsStore& store, QWidget* parent = nullptr);

    // Reads the stored tree (the default tree when there is none).
    void Load();
    // What "&Ok" does: stores the tree.
    void Store();
    // Asks for the chapter's name (default: an input dialog); empty cancels.
    std::function<QString()> askChapter;

    THQVorderedTree* tree;
    THQVListView* pages;
    QPushButton *bChapter, *bAdd, *bUp, *bDown, *bDelete;

private:
    void UpdateButtons();
    THQVset& set_;
};

}  // namespace ovik::ui
