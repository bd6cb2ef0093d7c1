// The window "Inserisci immagine:" (TFimgFromClip), tab "Da cartella appunti":
// the picture on the clipboard stored as GIF or JPG (a bitmap) or as WMF or
// EMF (a metafile), with both previews and their sizes. The choices and the
// conversion are the engine's ClipboardPictureImport; this window shows them.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QWidget>

#include "page/picture_from_clipboard.h"
#include "ui/dialogs/dialog_support.h"

namespace ovik::ui {

class TFimgFromClip : public TFDialog {
    Q_OBJECT
public:
    TFimgFromClip(THQVset& set, const platform::Clipboard& clipboard, platform::SettingsStore& store,
                  QWidget* parent = nullptr);

    // Reads the clipboard and converts once (the window is about to show).
    void Open();
    // The picture object made by "&Ok", or none.
    THQVoggetto* Result() const { return model.Result(); }

    ClipboardPictureImport model;
    QTabWidget* tabs;
    QWidget* metafilePanel;
    QWidget* bitmapPanel;
    QRadioButton *rbEmf, *rbWmf, *rbBitmap, *rbGif, *rbJpg;
    QSpinBox* Equalita;
    QCheckBox* CBtrans;
    QLabel *source, *converted, *fromBytes, *toBytes, *metafileBytes;

private:
    // Shows the model's state in the widgets.
    void Refresh();
    bool refreshing_ = false;
};

}  // namespace ovik::ui
