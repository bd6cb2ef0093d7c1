// The property window of form elements, buttons, form starts, multimedia and
// database elements, floating frames and markers ("Proprietà oggetto"). It
// shows the record fields of the object's kind: name and value, width in
// characters, columns and rows, list items (text, value and "X" for a
// selected item, three lines each), a button's caption, kind and picture, a
// form's action, method and encoding, a media file with its loops and size,
// a floating frame's page, target and size, a marker's text.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <functional>

#include "document/hqv_set.h"
#include "ui/dialogs/dialog_support.h"

namespace ovik::ui {

class TFPropControllo : public TFDialog {
    Q_OBJECT
public:
    TFPropControllo(THQVset& set, platform::SettingsStore& store, QWidget* parent = nullptr);

    // Shows the fields of `o` (a working copy or a new object); only the rows
    // its kind and subtype use are visible.
    void Load(const THQVoggetto& o);
    // Writes the window's fields into `o` (of the kind and subtype loaded).
    void Apply(THQVoggetto& o) const;

    // A media file to embed ("&Da file..."); empty: none. Tests replace it.
    std::function<QString()> askMediaFile;
    // The link a button or a link launcher follows: chosen in the link window
    // (the value the page stores; -2 when nothing was chosen), and the text
    // that describes a value. The window's owner sets both.
    std::function<int32_t()> askLink;
    std::function<QString(int32_t)> describeLink;
    // The link value the window holds now (-1: none).
    int32_t LinkValue() const { return link_; }
    void SetLinkValue(int32_t value);

    QLineEdit *name, *value, *caption, *action, *encoding;
    QSpinBox *widthChars, *columns, *rows, *loops, *width, *height, *anchor;
    QCheckBox *showInitial, *checked, *multiple, *percent, *cyclic, *hasEncoding, *showFrames;
    QComboBox *buttonKind, *picture, *method, *mediaFile, *page, *target;
    QPlainTextEdit* text;
    QLabel* linkText;
    QPushButton *chooseLink, *noLink;

private:
    void ShowRow(QWidget* field, bool on);
    // Lists the objects of `kind` that are not free in `box` (after `none`
    // when given), each with its data, and chooses the one with `chosen`.
    void FillObjects(QComboBox* box, uint8_t kind, const QString& none, int32_t chosen,
                     const std::function<int32_t(const THQVoggetto&)>& dataOf,
                     const std::function<QString(const THQVoggetto&)>& textOf);
    void FillFiles(int32_t chosen);
    void AddFromFile();

    THQVset& set_;
    QFormLayout* form_ = nullptr;
    uint8_t kind_ = 0, subtype_ = 0;
    int32_t link_ = -1;
};

}  // namespace ovik::ui
