// The new-page window ("Nuova...") and, in its paste mode, the paste-page
// window ("Incolla..."): a page of this hypertext, of another hypertext file
// or of a template is chosen to be copied into a new page or pasted into the
// page being edited. The new-page mode also makes an empty page. The copy
// itself is the editing view's (one editing action it can undo).
#pragma once

#include <memory>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include "app/page_sources.h"
#include "app/program_folders.h"
#include "document/hqv_set.h"
#include "ui/dialogs/dialog_support.h"
#include "ui/page_view.h"

namespace ovik::ui {

class TFNuova : public TFDialog {
    Q_OBJECT
public:
    enum class Mode { New, Paste };
    // What a tab does; the paste mode has no Empty tab.
    enum Tab { Empty = 0, CopyExisting, OtherHypertext, Template, HtmlFile };
    TFNuova(THQVset& set, platform::SettingsStore& store, app::ProgramFolders folders, Mode mode = Mode::New,
            QWidget* parent = nullptr);
    Mode WindowMode() const { return mode_; }
    // Lists the pages of this hypertext and the templates.
    void Load();
    Tab Current() const;
    void ShowTab(Tab t);
    // Opens another hypertext and lists its pages; false when it cannot be read.
    bool OpenOther(const QString& file);
    // Imports the beginning of an HTML file and shows it; false when the file
    // gives no page.
    bool OpenHtml(const QString& file);
    // The page the window says to copy, or null.
    THQVtesto* SourcePage() const;
    // The background comes too: always for a new page, when ticked for a paste.
    bool WithBackground() const;
    // The Ok button: in the new mode makes the new (empty) page; its number, or
    // -1 when a page to copy is asked for and none is chosen.
    int32_t MakePage();
    int32_t Created() const { return created_; }

    QTabWidget* tabs;
    QListWidget* pages;          // this hypertext
    QLineEdit* otherFile;        // another hypertext
    QPushButton* browse;
    QListWidget* otherPages;
    QListWidget* templates;      // the template files
    QListWidget* templatePages;
    QCheckBox* background;       // paste mode: "importa sfondo"
    QLineEdit* htmlFile;         // an HTML file
    QPushButton* htmlBrowse;
    TPageView* htmlView;
    QLabel* htmlStatus;

private:
    void ListTemplatePages();
    bool Accept();
    // Imports `file` into the window's own hypertext; the page made, or -1.
    int32_t ImportHtml(const QString& file, bool preview);

    THQVset& set_;
    app::ProgramFolders folders_;
    Mode mode_;
    app::OtherHypertext other_, template_;
    int32_t created_ = -1;
    std::unique_ptr<THQVset> html_;  // the HTML file imported
    int32_t htmlPage_ = -1;
};

}  // namespace ovik::ui
