// The character window ("Carattere"): face, size, colour, style bits and the
// vertical position (normal, subscript, superscript) of the selected text,
// and the symbol window ("Simbolo"): the characters of Windows-1252 in a
// chosen face, one of which is inserted.
#pragma once

#include <QCheckBox>
#include <QFontComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>

#include "text/text_attributes.h"
#include "ui/dialogs/dialog_support.h"

namespace ovik::ui {

// The undo description of a change of vertical position.
std::string PositionUndoText(uint8_t position);

class TFCarattere : public TFDialog {
    Q_OBJECT
public:
    TFCarattere(platform::SettingsStore& store, QWidget* parent = nullptr);
    // Shows a font (the font at the selection start).
    void Load(const TMyFont& font);
    // The font the window holds. The face stays the one loaded unless another
    // was picked (a face this system lacks is shown by a stand-in).
    TMyFont Font() const;

    QFontComboBox* face;
    QSpinBox* size;
    ColourButton* colour;
    QCheckBox *bold, *italic, *underline, *strike;
    QRadioButton *normal, *subscript, *superscript;
    QLabel* example;

private:
    void UpdateExample();
    std::string loadedFace_;
    QString shownFamily_;
};

class TFSimbolo : public TFDialog {
    Q_OBJECT
public:
    TFSimbolo(platform::SettingsStore& store, QWidget* parent = nullptr);
    // The character chosen (Windows-1252), or 0 when none is.
    char Chosen() const;
    void Select(uint8_t code);
    // The code of a cell of the table (rows of 16 from 0x20), or 0 for none.
    static uint8_t CodeAt(int row, int column);

    QFontComboBox* face;
    QTableWidget* table;
    QLabel* code;
};

}  // namespace ovik::ui
