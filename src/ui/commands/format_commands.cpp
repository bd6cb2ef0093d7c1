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
#include "ui/control_commands.h"
#include "ui/picture_commands.h"
#include "ui/table_commands.h"

namespace ovik::ui {

MenuTable TMainForm::InsertMenu() {
    // Form elements, multimedia objects, floating frames and markers.
    auto insert = [this](uint8_t kind, uint8_t subtype, bool askFirst) {
        return [this, kind, subtype, askFirst] { Controls().Insert(kind, subtype, askFirst); };
    };
    auto item = [&](const char* name, const char* caption, uint8_t kind, uint8_t subtype) {
        // Items that need their text or target first open the property window.
        const bool ask = kind == shortObj ? subtype != 13 : kind == bottoneCGI && subtype == 2;
        return MenuEntry(Command{name, caption, {}, insert(kind, subtype, ask), EnabledWhen::Editing, false});
    };
    // The link commands are wired by the link navigator.
    return {"InsertMenu", "&Inserisci", {
        Command{"InsertSymbol", "&Simbolo...", Keys("Shift+F2"), [this] { InsertSymbol(); }, EnabledWhen::Editing,
                false},
        Command{"InsertPicture", "&Immagine/mappa...", Keys("Ctrl+I"), [this] { Pictures().InsertPicture(); },
                EnabledWhen::Editing, false},
        Command{"InsertTable", "&Tabella...", Keys("Ctrl+T"), [this] { Tables().InsertTable(); },
                EnabledWhen::Editing, false},
        Command{"InsertFrame", "C&ornice indipendente...", {}, insert(inputStat, 18, true), EnabledWhen::Editing,
                false},
        Command{"InsertMedia", "&Animazione/suono...", {}, insert(multiMedia, 1, true), EnabledWhen::Editing,
                false},
        Command{"InsertEmbed", "&Embed/Java/activeX...", {}, insert(multiMedia, 5, true), EnabledWhen::Editing,
                false},
        MenuEntry::SubMenu("InsertForms", "&Moduli", {
            item("InsertFormStart", "&Inizio modulo", inizioForm, 2),
            item("InsertFormEdit", "Casella &edit", inputStat, 1),
            item("InsertFormPassword", "Casella &password", inputStat, 2),
            item("InsertFormFile", "Casella &file", inputStat, 3),
            item("InsertFormTextBox", "&Box testo", inputStat, 4),
            item("InsertFormHidden", "Campo &nascosto", inputStat, 5),
            item("InsertFormRadio", "&Radio button", inputStat, 6),
            item("InsertFormCheck", "&Check box", inputStat, 7),
            item("InsertFormList", "&Lista", inputStat, 8),
            item("InsertFormCombo", "C&ombo box", inputStat, 9),
            item("InsertFormSubmit", "Bottone di &immissione", bottoneCGI, 1),
            item("InsertFormPictureButton", "Bottone imma&gine", bottoneCGI, 2),
            item("InsertFormReset", "Bottone di &cancellazione dati", bottoneCGI, 3),
            MenuEntry::Separator(),
            item("InsertDinField", "Campo &dinamico", inputDin, 1),
            item("InsertDinTextBox", "Box testo dina&mico", inputDin, 2),
            item("InsertDinList", "Lista dinamic&a", inputDin, 6),
            item("InsertDinCombo", "Combo dinamic&o", inputDin, 7),
            item("InsertDinLiveList", "Lista viva server side", inputDin, 11),
            item("InsertDinHtml", "HTML server side", inputDin, 12),
        }),
        MenuEntry::SubMenu("InsertPageFunctions", "&Funzioni di pagina", {
            item("InsertLauncher", "&Lancia collegamento", shortObj, 13),
            item("InsertCatalogueLink", "Collegamento a pagina di &catalogo", shortObj, 15),
        }),
        MenuEntry::SubMenu("InsertScript", "&Script Java/VB", {
            item("InsertScriptCode", "&Codice script", shortObj, 11),
        }),
        MenuEntry::SubMenu("InsertNotes", "Annota&zioni...", {
            item("InsertComment", "&Commento", shortObj, 10),
            item("InsertBinary", "&Dati binari", shortObj, 12),
        }),
        MenuEntry::SubMenu("InsertHtml", "&Html", {
            item("InsertRawHtml", "Codice &HTML", shortObj, 11),
        }),
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
        Command{"TableProperties", "&Proprietà tabella...", {}, [this] { Tables().TableProperties(); },
                EnabledWhen::InTable, false},
        Command{"TableAddRow", "Aggiungi &riga", {}, [this] { Tables().AddRow(); }, EnabledWhen::InTable, false},
        Command{"TableAddColumn", "Aggiungi &colonna", {}, [this] { Tables().AddColumn(); }, EnabledWhen::InTable,
                false},
        Command{"TableDeleteRow", "Cancella r&iga", {}, [this] { Tables().DeleteRow(); }, EnabledWhen::InTable,
                false},
        Command{"TableDeleteColumn", "Cancella c&olonna", {}, [this] { Tables().DeleteColumn(); },
                EnabledWhen::InTable, false},
        Command{"TableSelect", "&Seleziona tabella", {}, [this] { Tables().SelectTable(); }, EnabledWhen::InTable,
                false},
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
