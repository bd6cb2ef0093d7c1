// The Inserisci, Tabella and Formato menus, and the commands of the format
// toolbar.
#include <QColorDialog>
#include <algorithm>

#include "text/box_attributes.h"
#include "text/text_attributes.h"
#include "ui/commands/command_table.h"
#include "ui/dialogs/dialog_support.h"
#include "ui/dialogs/styles.h"
#include "ui/display_painter.h"
#include "ui/main_window.h"
#include "ui/picture_commands.h"

namespace ovik::ui {

MenuTable TMainForm::InsertMenu() {
    // The link commands are wired by the link navigator.
    return {"InsertMenu", "&Inserisci", {
        Command{"InsertSymbol", "&Simbolo...", Keys("Shift+F2"), [this] { InsertSymbol(); }, EnabledWhen::Editing,
                false},
        Command{"InsertPicture", "&Immagine/mappa...", Keys("Ctrl+I"), [this] { Pictures().InsertPicture(); },
                EnabledWhen::Editing, false},
        Command{"InsertTable", "&Tabella...", Keys("Ctrl+T")},
        Command{"InsertFrame", "C&ornice indipendente..."},
        Command{"InsertMedia", "&Animazione/suono..."},
        Command{"InsertEmbed", "&Embed/Java/activeX..."},
        MenuEntry::SubMenu("InsertForms", "&Moduli", {}),
        MenuEntry::SubMenu("InsertPageFunctions", "&Funzioni di pagina", {}),
        MenuEntry::SubMenu("InsertScript", "&Script Java/VB", {}),
        MenuEntry::SubMenu("InsertNotes", "Annota&zioni...", {}),
        MenuEntry::SubMenu("InsertHtml", "&Html", {}),
        Command{"InsertCustom", "Componente &personalizzato..."},
        Command{"InsertDb", "Componente &DB locale..."},
        MenuEntry::Separator(),
        Command{"InsertSelfLink", "Collegamento autore&ferente", Keys("Shift+F6"), {}, EnabledWhen::Fixed, false},
        Command{"InsertAnchor", "Anco&ra", Keys("Shift+F5"), {}, EnabledWhen::Fixed, false},
        Command{"InsertLink", "Co&llegamento...", Keys("Ctrl+F5"), {}, EnabledWhen::Fixed, false},
        Command{"InsertSpecialLink", "&Collegamento speciale...", Keys("F5"), {}, EnabledWhen::Fixed, false},
        Command{"InsertNewPage", "&Nuova pagina...", Keys("Ctrl+Shift+N"), [this] { NewPage(); }},
    }};
}

MenuTable TMainForm::TableMenu() {
    return {"TableMenu", "&Tabella", {
        Command{"TableProperties", "&Proprietà tabella..."},
        Command{"TableAddRow", "Aggiungi &riga"},
        Command{"TableAddColumn", "Aggiungi &colonna"},
        Command{"TableDeleteRow", "Cancella r&iga"},
        Command{"TableDeleteColumn", "Cancella c&olonna"},
        Command{"TableSelect", "&Seleziona tabella"},
    }};
}

MenuTable TMainForm::FormatMenu() {
    auto toggle = [this](uint8_t bit) {
        return [this, bit] {
            view_->Run([bit](BoxEditor& e) {
                uint8_t current = e.Box().TextAttributes().Style();
                e.SetAndClearStyleBits(current & bit ? bit : 0, current & bit ? 0 : bit);
            });
        };
    };
    // Superscript and subscript switch the vertical position on, or back to
    // normal when the text has it already.
    auto position = [this](uint8_t value) {
        return [this, value] {
            if (!view_->Box()) return;
            const uint8_t now = view_->Box()->TextAttributes().Position();
            view_->Run([&](BoxEditor& e) { e.SetPosition(now == value ? 0 : value); });
        };
    };
    // The link commands are wired by the link navigator.
    return {"FormatMenu", "F&ormato", {
        Command{"FormatFont", "&Carattere...", {}, [this] { ChooseFont(); }, EnabledWhen::Editing, false},
        Command{"FormatParagraph", "Pa&ragrafo...", {}, [this] { ChooseParagraph(); }, EnabledWhen::Editing, false},
        Command{"FormatBold", "&Grassetto", Keys("Ctrl+B"), toggle(1), EnabledWhen::Editing, true, true},
        Command{"FormatItalic", "C&orsivo", {}, toggle(2), EnabledWhen::Editing, true, true},
        Command{"FormatUnderline", "&Sottolineato", Keys("Ctrl+U"), toggle(4), EnabledWhen::Editing, true, true},
        Command{"FormatSuperscript", "Apice", {}, position(2), EnabledWhen::Editing, false, true},
        Command{"FormatSubscript", "Pedice", {}, position(1), EnabledWhen::Editing, false, true},
        Command{"FormatStyles", "&Stili...", {}, [this] {
                    if (PrepareWindow("fstili")->exec() == QDialog::Accepted) RefreshPages();
                    RelayOutPage();
                }},
        Command{"FormatAddStyle", "C&rea stile...", {}, [this] { AddStyle(); }, EnabledWhen::Editing, false},
        Command{"FormatReformat", "&Riformatta", {}, [this] { RelayOutPage(); }, EnabledWhen::PageShown, false},
        MenuEntry::Separator(),
        Command{"FormatLinkProperties", "Proprietà c&ollegamento...", {}, {}, EnabledWhen::Fixed, false},
        Command{"FormatFollowLink", "Segui colle&gamento (doppio clic)...", Keys("F9"), {}, EnabledWhen::Fixed, false},
        Command{"FormatPageProperties", "&Proprietà pagina...", Keys("Ctrl+F11"), [this] { PageProperties(); }},
        Command{"FormatHeaderFooter", "&Intestazione e piè di pagina...", {}, [this] { PageProperties(); }},
        Command{"FormatLoadFrames", "Carica &disposizione cornici..."},
        Command{"FormatFrames", "&Gestione avanzata disposizione cornici..."},
    }};
}

std::vector<Command> TMainForm::FormatToolbarCommands() {
    std::vector<Command> list;
    list.push_back(Command{"FormatColour", "Colore testo...", {}, [this] {
                               if (!view_->Box()) return;
                               int32_t current = view_->Box()->TextAttributes().Colour();
                               QColor c = QColorDialog::getColor(ToQColor(current), this, "Colore");
                               if (!c.isValid()) return;
                               int32_t colour = c.red() | (c.green() << 8) | (c.blue() << 16);
                               view_->Run([colour](BoxEditor& e) { e.SetColour(colour); });
                           },
                           EnabledWhen::Editing, false});
    for (auto [name, caption, value] : {std::tuple{"FormatAlignLeft", "Allinea a sinistra", 0},
                                        {"FormatAlignCentre", "Centra", 2},
                                        {"FormatAlignRight", "Allinea a destra", 1}})
        list.push_back(Command{name, caption, {}, [this, value = value] {
                                   view_->Run([value](BoxEditor& e) { e.SetAlignment(uint8_t(value)); });
                               },
                               EnabledWhen::Editing, false, true});
    // A list button turns its kind on, or off when the paragraph has it.
    for (auto [name, caption, kind] : {std::tuple{"FormatBullets", "Elenco puntato", 10},
                                       {"FormatNumbers", "Elenco numerato", 6}})
        list.push_back(Command{name, caption, {}, [this, kind = kind] {
                                   if (!view_->Box()) return;
                                   uint8_t now = view_->Box()->ParaAttributes().ListKind();
                                   view_->Run([&](BoxEditor& e) { e.SetListKind(now == kind ? 0 : uint8_t(kind)); });
                               },
                               EnabledWhen::Editing, false, true});
    // Indents move the left margin by one centimetre, in the paragraph's unit.
    for (auto [name, caption, step] : {std::tuple{"FormatIndentLess", "Riduci rientro", -1},
                                       {"FormatIndentMore", "Aumenta rientro", 1}})
        list.push_back(Command{name, caption, {}, [this, step = step] {
                                   if (!view_->Box()) return;
                                   THQVParaAttributes& pa = view_->Box()->ParaAttributes();
                                   double cm = PixelsToUnit(UnitToPixels(1.0, umCentimetres, 96), pa.Unit(), 96);
                                   double margin = std::max(0.0, pa.LeftMargin() + step * cm);
                                   view_->Run([margin](BoxEditor& e) { e.SetLeftMargin(margin); });
                               },
                               EnabledWhen::Editing, false});
    return list;
}

void TMainForm::RelayOutPage() {
    if (view_->PageNumber() < 0) return;
    // Dropped and shown again as a save does it, so the caret, the selection
    // and the scroll position stay where they were.
    viewLink_.StoreAndDropPage();
    viewLink_.ShowPageAgain();
}

}  // namespace ovik::ui
