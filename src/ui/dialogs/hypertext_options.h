// The hypertext options window ("Proprietà dell'ipertesto"): the hypertext
// properties kept in the set's header.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>

#include "document/hqv_set.h"
#include "ui/dialogs/dialog_support.h"

namespace ovik::ui {

// The header fields the window edits, as engine text (Windows-1252).
struct HypertextProperties {
    std::string title, authors, company, copyright, otherInfo, expPrefix, password;
    bool readOnly = false;
    int32_t revision = 0;  // shown only
    int32_t contentsPage = 0, coverPage = 0, defaultHeader = -1, defaultFooter = -1;
    int32_t backColour = 0xC0C0C0, backPicture = -1, textColour = 0, linkColour = 0xFF0000,
            visitedColour = 0x0000FF;
    bool btnContents = false, btnSearch = false, btnGuide = false, btnCover = false, noButtons = true;
    int spellLanguage = 1033;

    static HypertextProperties Read(const THQVset& set);
    // Writes every field except the revision into the header and marks the set
    // modified. Strings are cut to their field widths; a page or picture number
    // that names nothing becomes -1 (0 for the contents and cover pages).
    void Write(THQVset& set) const;
};

// The spell-check languages offered, as (identifier, name).
const std::vector<std::pair<int, const char*>>& SpellLanguages();

class TFPropIper : public TFDialog {
    Q_OBJECT
public:
    TFPropIper(THQVset& set, platform::SettingsStore& store, QWidget* parent = nullptr);
    // Fills the widgets from the set.
    void Load();
    // What the widgets hold.
    HypertextProperties Values() const;
    // Writes the widgets into the set (the Ok button).
    void Apply() { Values().Write(set_); }

    QLineEdit *title, *authors, *company, *copyright, *expPrefix, *password;
    QPlainTextEdit* otherInfo;
    QCheckBox *readOnly, *btnContents, *btnSearch, *btnGuide, *btnCover, *noButtons;
    QLineEdit* revision;
    QComboBox *contentsPage, *coverPage, *defaultHeader, *defaultFooter, *backPicture, *language;
    ColourButton *backColour, *textColour, *linkColour, *visitedColour;

private:
    THQVset& set_;
};

// Fills a combo box with the pages of the set (data = page number), after
// the given leading entries (text, data).
void FillPageCombo(QComboBox* combo, const THQVset& set,
                   const std::vector<std::pair<QString, int>>& leading = {});
// Fills a combo box with "(nessuna)" (-1) and the pictures of the set.
void FillPictureCombo(QComboBox* combo, const THQVset& set);
// Selects the entry with that data; the first entry when none has it.
void SelectData(QComboBox* combo, int value);

}  // namespace ovik::ui
