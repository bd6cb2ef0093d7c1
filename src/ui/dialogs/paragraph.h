// The paragraph window ("Paragrafo"): the unit, line height, spaces above and
// below, first-line indent, left and right margins and the link colour, size
// and style of the paragraphs of the selection.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QSpinBox>
#include <functional>

#include "text/editing.h"
#include "text/hqv_box.h"
#include "ui/dialogs/dialog_support.h"

namespace ovik::ui {

// What the window shows and what it changes, in the unit `unit`.
struct ParagraphValues {
    uint8_t unit = 0;
    double lineHeight = 0, above = 0, below = 0, indent = 0, left = 0, right = 0;
    int32_t linkColour = 0, linkSize = 0;
    uint8_t linkStyle = 0;
};

class TFParagrafo : public TFDialog {
    Q_OBJECT
public:
    TFParagrafo(platform::SettingsStore& store, QWidget* parent = nullptr);
    // Shows the caret paragraph's values.
    void Load(const ParagraphValues& v, int32_t pixelsPerInch);
    ParagraphValues Values() const;
    // Runs on `e` the commands for what differs from the values loaded: the
    // unit first, then each length in it.
    void ApplyChanges(BoxEditor& e) const;

    static ParagraphValues FromBox(THQVbox& box);

    QComboBox* unit;
    QDoubleSpinBox *lineHeight, *above, *below, *indent, *left, *right;
    ColourButton* linkColour;
    QSpinBox* linkSize;
    QCheckBox *linkBold, *linkItalic, *linkUnderline;

private:
    void ConvertTo(int newUnit);
    ParagraphValues loaded_;
    int32_t ppi_ = 96;
    int shownUnit_ = 0;
    bool loading_ = false;
};

}  // namespace ovik::ui
