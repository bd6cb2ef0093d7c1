// The commands of form elements, buttons, multimedia objects, floating frames
// and markers in the main window: inserting them (Inserisci: "C&ornice
// indipendente...", "&Animazione/suono...", "&Embed/Java/activeX..." and the
// submenus "&Moduli", "&Funzioni di pagina", "&Script Java/VB",
// "Annota&zioni..." and "&Html"), their property window, and their popup
// menus (PopupInput, PopupDin, PopupButton, PopupFormStart, PopupMultimedia,
// PopupJava, PopupComment, PopupFloating).
#pragma once

#include <QDialog>
#include <QMenu>
#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/settings_store.h"

namespace ovik {
class THQVoggetto;
}

namespace ovik::ui {

class TMainForm;
class TFPropControllo;

class TControlCommands : public QObject {
    Q_OBJECT
public:
    TControlCommands(TMainForm& window, platform::SettingsStore& store);

    // Inserts a new object of `kind` and `subtype` at the caret; with
    // `askFirst` its property window opens first and Annulla inserts nothing.
    void Insert(uint8_t kind, uint8_t subtype, bool askFirst = false);
    // The property window of the control last clicked; its change is one
    // undo entry.
    void Properties();
    // The popup commands are enabled only for a control of an editable page.
    void UpdateState();

    std::map<std::string, QMenu*> popups;
    // Runs a window modally (tests replace it to fill the window and answer).
    std::function<int(QDialog&)> execWindow = [](QDialog& d) { return d.exec(); };

private:
    // The link window behind the property window's link row.
    void SetUpLinks(TFPropControllo& props);
    TMainForm& w_;
    platform::SettingsStore& store_;
};

}  // namespace ovik::ui
