// The page property window ("Proprietà pagina"): the fields of a page record,
// the page's "Script/Meta" wrapper text and its revision.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "document/hqv_set.h"
#include "ui/dialogs/dialog_support.h"

namespace ovik::ui {

struct PageProperties {
    std::string title, extraHtmlName, scriptMeta;  // engine text; scriptMeta as lines ("\n")
    int32_t textColour = 0, linkColour = 0xFF0000, visitedColour = 0x0000FF, backColour = 0xC0C0C0;
    int32_t backPicture = -1;
    bool fixedBackground = false;
    int32_t headerPage = -1, footerPage = -1;  // -2 none, -1 the hypertext's, else a page
    bool inBrowseSequence = false;
    int32_t revision = 0;  // shown only

    static PageProperties Read(const THQVtesto& page);
    // Writes the fields into the page and marks the set modified. A blank
    // extra HTML name is stored empty; the wrapper keeps its leading block
    // (the page's source name) and takes the text as paragraphs of style 0.
    void Write(THQVtesto& page) const;
};

// The page's "Script/Meta" text as lines, and back.
std::string ScriptMetaText(const THQVtesto& page);
void SetScriptMetaText(THQVtesto& page, const std::string& lines);

class TFPropTesto : public TFDialog {
    Q_OBJECT
public:
    TFPropTesto(THQVset& set, platform::SettingsStore& store, QWidget* parent = nullptr);
    // Shows the fields of page `n`; false when it names no page.
    bool Load(int32_t n);
    PageProperties Values() const;
    // Writes the widgets into the page shown (the Ok button).
    void Apply();
    int32_t PageNumber() const { return page_; }

    QLineEdit *title, *extraHtmlName, *revision;
    QPlainTextEdit* scriptMeta;
    ColourButton *textColour, *linkColour, *visitedColour, *backColour;
    QComboBox *backPicture, *headerPage, *footerPage;
    QCheckBox *fixedBackground, *inBrowseSequence;

private:
    THQVset& set_;
    int32_t page_ = -1;
};

}  // namespace ovik::ui
