// The keywords window ("Parole chiave"): the keywords of the page shown in
// the editing view, the global keywords, and the pages that name the selected
// keyword. It changes the stored page's keyword slots; `pageChanged` tells
// the editing view to show the page again.
#pragma once

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <functional>

#include "document/hqv_set.h"
#include "ui/dialogs/dialog_support.h"
#include "ui/dialogs/object_list_view.h"

namespace ovik::ui {

class TFKeywords : public TFDialog {
    Q_OBJECT
public:
    TFKeywords(THQVset& set, platform::SettingsStore& store, QWidget* parent = nullptr);

    // Shows the keywords of page `page` (the page shown in the editing view).
    void Load(int32_t page);
    int32_t Page() const { return page_; }

    // Asked for the texts of the input boxes: the title, the prompt; no value
    // means cancelled. By default an input dialog.
    std::function<std::optional<QString>(const QString&, const QString&)> ask;
    // Told when the page's slots changed, and asked to show a page chosen in
    // the page list (which the window then works on).
    std::function<void(int32_t page)> pageChanged;
    std::function<void(int32_t page)> showPage;

    void DeletePageKeywords();  // "Cancella parola chiave selezionata"
    void NewGlobalKeyword();    // "Nuova parola chiave globale"
    void AddToPage();           // "Aggiungi parola chiave a pagina"
    void DeleteGlobalKeyword(); // "Cancella parola chiave globale"
    void Search();              // "Cerca"
    // The global keyword selected: the check box names it and the page list
    // shows the pages naming it when the box is checked.
    void GlobalSelected();

    QListWidget* pageKeywords;
    THQVListView* globals;
    THQVListView* pages;
    QCheckBox* onlyContaining;
    QPushButton *bDeletePage, *bNew, *bAdd, *bDeleteGlobal, *bSearch;

private:
    void FillPageKeywords();
    void Changed();
    THQVset& set_;
    int32_t page_ = -1;
    int32_t selectedKeyword_ = -1;
};

}  // namespace ovik::ui
