// The style window: "Proprietà stili" for the whole style sheet, "Modifica
// stile" for one style, "Crea stile" for a new one. It edits a scratch style
// shown in the example; Ok stores it into the set.
#pragma once

#include "undo/undo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QRadioButton>
#include <QSpinBox>
#include <memory>

#include "document/hqv_set.h"
#include "ui/dialogs/dialog_support.h"
#include "ui/qt_measurer.h"
#include "view/style_view.h"

namespace ovik::ui {

// Stores the scratch style: into `modified`, or into a new style object when
// there is none. A name that differs (ignoring case) from the style's current
// one is made unique in the set and cut to 32 characters; an empty name keeps
// the current one. The style is in use (state 1) and registered. Returns it.
// Changing an existing style records "Modifica stile: " + name in `history`
// first (when given), so undo brings back its old look everywhere.
THQVoggetto* StoreStyle(THQVset& set, const THQVoggetto& scratch, THQVoggetto* modified, const std::string& name,
                        THQVundoList* history = nullptr);

// Turning line spacing on gives the line height of the font size (points to
// pixels); off gives the automatic height.
int32_t LineHeightFor(bool on, int32_t fontSizePoints, int32_t pixelsPerInch);

// The question of the style box when the caret paragraph's own style is
// chosen for text that looks otherwise: change the style after the text, or
// format the text after the style.
enum class StyleChoice { ModifyStyle, Reformat, Cancel };
// The question window, not yet shown; its buttons carry their choice in the
// property "choice".
std::unique_ptr<QMessageBox> StyleQuestion(const std::string& styleName, QWidget* parent = nullptr);
// Asks the question and waits for the answer; closing the window cancels.
StyleChoice AskStyleChoice(const std::string& styleName, QWidget* parent = nullptr);

class TFStili : public TFDialog {
    Q_OBJECT
public:
    enum class Mode { Sheet, Modify, Create };
    TFStili(THQVset& set, platform::SettingsStore& store, QWidget* parent = nullptr);

    // Starts editing: the whole sheet (first style selected), one style, or a
    // new style. False (with a message) for Modify without a style. With
    // `startFrom`, the style's attributes start as that example's (the style
    // keeps its name).
    bool Edit(Mode mode, THQVoggetto* style = nullptr, const THQVoggetto* startFrom = nullptr);
    // Stores the scratch style (the Ok button); the style stored.
    THQVoggetto* Apply();
    const THQVoggetto& Scratch() const { return *scratch_; }
    THQVoggetto* Modified() const { return modified_; }
    // The history style changes are recorded in.
    void SetHistory(THQVundoList* h) { history_ = h; }
    // Changes the unit; the shown lengths follow.
    void SetUnit(int unit);

    QListWidget* styles;
    QLineEdit* name;
    QFontComboBox* face;
    QSpinBox* size;
    ColourButton *colour, *linkColour;
    QCheckBox *bold, *italic, *underline, *lineSpacing, *linkBold, *linkItalic, *linkUnderline, *linkSizeOn;
    QDoubleSpinBox *indent, *left, *right, *lineHeight, *above, *below;
    QComboBox *align, *unit;
    QRadioButton *listNone, *listBullet;
    QSpinBox* linkSize;
    QLabel* example;
    // The style at work: sample paragraphs in the style, with a link.
    class TPageView* preview;
    THQVstyleView& StyleView() { return *styleView_; }
    QPushButton* createStyle;
    // "Crea stile" in the sheet: a new style, named "Nuovo stile", that
    // starts with the attributes of the style shown.
    void CreateFromShown();

signals:
    // A style was stored: pages in that style are to be laid out again.
    void StyleStored();

private:
    // Stores the scratch style under the name shown; the style stored.
    THQVoggetto* Store();
    void ToWidgets();
    void FromWidgets();
    void UpdateExample();
    void ChooseStyle(int row);

    THQVset& set_;
    THQVundoList* history_ = nullptr;
    std::unique_ptr<THQVoggetto> scratch_;
    THQVoggetto* modified_ = nullptr;
    Mode mode_ = Mode::Sheet;
    bool loading_ = false;
    bool changed_ = false;
    // The family the face box showed for the stored face: the stored name (a
    // face this system may lack, shown by a stand-in) changes only when the
    // user picks another face.
    QString shownFamily_;
    QtTextMeasurer measurer_;
    std::unique_ptr<THQVstyleView> styleView_;
};

}  // namespace ovik::ui
