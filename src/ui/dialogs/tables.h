// The table windows: the new-table window (rows, columns, border and one of
// the twelve templates with its colours or picture) and the table property
// window (width, border, padding and spacing, the chosen column's mode and
// width, the table's background and extra HTML; on its cell page a cell
// background applied to the cells "Applica a" names).
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

#include "document/hqv_set.h"
#include "page/placed_table.h"
#include "ui/dialogs/dialog_support.h"

namespace ovik::ui {

class TFNuovaTabella : public TFDialog {
    Q_OBJECT
public:
    TFNuovaTabella(THQVset& set, platform::SettingsStore& store, QWidget* parent = nullptr);
    // Lists the hypertext's pictures; the sizes stay as last chosen.
    void Load();
    // What the window asks for (template -1: "Nessun modello").
    NewTableChoice Choice() const;

    QSpinBox *rows, *columns;
    QCheckBox *border, *usePicture;
    QListWidget* templates;
    ColourButton *firstColour, *secondColour;
    QComboBox* picture;

private:
    THQVset& set_;
};

class TFPropTabella : public TFDialog {
    Q_OBJECT
public:
    enum Page { TablePage = 0, CellPage = 1 };
    TFPropTabella(THQVset& set, platform::SettingsStore& store, QWidget* parent = nullptr);
    // Shows the fields of `table`, its column `col` and the background of
    // the cell at (row, col).
    void Load(TMyyTable& table, int32_t row, int32_t col);
    // What Ok applies.
    TableProperties Properties() const;

    QTabWidget* pages;
    QRadioButton *percentWidth, *pixelWidth;
    QSpinBox *widthPercent, *widthPixels, *borderWidth, *padding, *spacing, *column, *columnWidth;
    QCheckBox* border;
    QComboBox* columnMode;
    QRadioButton *backTransparent, *backColour, *backPicture;
    ColourButton* backColourButton;
    QComboBox* backPictureBox;
    QPlainTextEdit* html;
    QRadioButton *cellTransparent, *cellColour, *cellPicture;
    ColourButton* cellColourButton;
    QComboBox *cellPictureBox, *applyTo;

private:
    void ShowColumn(int32_t col);

    THQVset& set_;
    TMyyTable* table_ = nullptr;
    int32_t row_ = 0;
};

}  // namespace ovik::ui
