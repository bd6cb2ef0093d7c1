// The new-page window ("Nuova..."): an empty page, or a copy of a page of this
// hypertext. The tabs for other hypertexts, templates and HTML files are shown
// but not yet available.
#pragma once

#include <QListWidget>
#include <QTabWidget>

#include "document/hqv_set.h"
#include "ui/dialogs/dialog_support.h"

namespace ovik::ui {

class TFNuova : public TFDialog {
    Q_OBJECT
public:
    enum Tab { Empty = 0, CopyExisting, OtherHypertext, Template, HtmlFile };
    TFNuova(THQVset& set, platform::SettingsStore& store, QWidget* parent = nullptr);
    void Load();
    // Makes the page the window asks for (the Ok button); its number, or -1.
    int32_t MakePage();
    int32_t Created() const { return created_; }

    QTabWidget* tabs;
    QListWidget* pages;

private:
    THQVset& set_;
    int32_t created_ = -1;
};

}  // namespace ovik::ui
