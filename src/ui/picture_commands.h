// The commands of placed pictures in the main window: inserting a picture
// (Ctrl+I), a picture from the clipboard (OnImageFromClip: the window
// "Inserisci immagine:" and then the property window), the property window
// of the selected picture, a zone's link through the link window, and the
// popup menus of a picture ("PopupImage"), of a zone ("PopupMapZone") and of
// an object of the header or footer ("PopupInactive").
#pragma once

#include <QDialog>
#include <QMenu>
#include <QObject>
#include <functional>

#include "platform/clipboard.h"
#include "ui/qt_platform.h"

namespace ovik::ui {

class TMainForm;
class TFPropImmagine;
class TFimgFromClip;

class TPictureCommands : public QObject {
    Q_OBJECT
public:
    TPictureCommands(TMainForm& window, platform::SettingsStore& store);

    // "&Immagine/mappa...": the property window for a new picture, placed at
    // the caret on Ok.
    void InsertPicture();
    // OnImageFromClip: the picture on the clipboard made into a picture
    // object, then the property window for the selected picture (which shows
    // it from now on) or for a new one at the caret.
    void ImageFromClip();
    // The property window of the selected picture; its change is one undo entry.
    void PictureProperties();
    // The link window for zone `zone` of the selected picture.
    void LinkZone(int32_t zone);
    // The selected zone leads to the last anchor inserted in the page.
    void LinkZoneToLastAnchor();
    // Enables the popup commands for the selected picture and the clipboard.
    void UpdateState();

    QMenu* popupImage = nullptr;
    QMenu* popupMapZone = nullptr;
    QMenu* popupInactive = nullptr;
    // Runs a window modally (tests replace it to fill the window and answer).
    std::function<int(QDialog&)> execWindow = [](QDialog& d) { return d.exec(); };
    // The clipboard the windows read (the system's; tests give their own).
    platform::Clipboard* clipboard = nullptr;

private:
    QAction* Add(QMenu* menu, const char* name, const QString& caption, std::function<void()> run);
    TMainForm& w_;
    platform::SettingsStore& store_;
    QtClipboard systemClipboard_;
};

}  // namespace ovik::ui
