// The Ipertesto, Pubblica, Strumenti and "?" menus.
#include <QInputDialog>
#include <QMessageBox>

#include "app/app_info.h"
#include "ui/commands/command_table.h"
#include "ui/dialogs/album.h"
#include "ui/main_window.h"
#include "ui/qt_platform.h"
#include "ui/spell_support.h"
#include "ui/translations.h"

namespace ovik::ui {

MenuTable TMainForm::HypertextMenu() {
    auto step = [this](int delta) {
        return [this, delta] {
            int row = pages_->currentRow() + delta;
            if (row >= 0 && row < pages_->count()) pages_->setCurrentRow(row);
        };
    };
    // Back, forward, cover, contents, the page steps and "Vai a pagina" are
    // taken over by the link navigator; keywords and order by the find window.
    return {"HypMenu", "&Ipertesto", {
        Command{"HypProperties", "&Proprietà dell'ipertesto corrente...", {}, [this] {
                    if (PrepareWindow("fpropiper")->exec() != QDialog::Accepted) return;
                    spelling_->FollowHypertext();  // its spell-check language may have changed
                    RefreshPages();
                }},
        Command{"HypKeywords", "Parole c&hiave...", {}, {}, EnabledWhen::Fixed, false},
        Command{"HypCover", "&Copertina", {}, {}, EnabledWhen::Fixed, false},
        Command{"HypContents", "&Sommario", {}, {}, EnabledWhen::Fixed, false},
        Command{"HypReadOnly", "Solo &lettura", Keys("F11"), [this] { SetEditMode(!doc_->EditMode()); },
                EnabledWhen::Fixed, true, true},
        MenuEntry::Separator(),
        Command{"HypPrevious", "P&agina precedente", {}, {}, EnabledWhen::Fixed, false},
        Command{"HypNext", "Pagi&na seguente", {}, {}, EnabledWhen::Fixed, false},
        Command{"HypPagePlus", "Pagina +1", Keys("Ctrl++"), step(1)},
        Command{"HypPageMinus", "Pagina -1", Keys("Ctrl+-"), step(-1)},
        Command{"HypGoTo", "&Vai a pagina", {}, [this] {
                    bool ok = false;
                    int n = QInputDialog::getInt(this, Tr("Vai a pagina"), Tr("Pagina:"), std::max(0, view_->PageNumber()), 0,
                                                 std::max(0, set_->ObjectCount(testoHtml) - 1), 1, &ok);
                    if (ok) ShowPage(n);
                }},
        Command{"HypAllPages", "Tutte le pagine dell'&ipertesto..."},
        MenuEntry::Separator(),
        Command{"HypDeletePages", "&Cancella pagine...", {}, [this] { ShowAlbum(TFAlbum::Pages); }},
        Command{"HypAlbum", "&Album immagini - files - pagine e cancellazioni...", Keys("F12"),
                [this] { ShowAlbum(TFAlbum::Pictures); }},
        Command{"HypReload", "Ricarica pa&gina", {}, [this] { doc_->ReloadPage(); }, EnabledWhen::PageShown, false},
        Command{"HypSearches", "&Ricerche ipertestuali..."},
        Command{"HypOrder", "&Ordine predefinito pagine...", {}, {}, EnabledWhen::Fixed, false},
        Command{"HypSlides", "&Diapositive..."},
        Command{"HypExplore", "&Esplorazione dei collegamenti..."},
    }};
}

MenuTable TMainForm::PublishMenu() {
    return {"PublishMenu", "&Pubblica", {
        MenuEntry::SubMenu("PublishPreview", "&Anteprima in browser", {
            Command{"PreviewPage", "&Corrente pagina in browser di default", Keys("Ctrl+A"),
                    [this] { PreviewInBrowser(false); }},
            Command{"PreviewAll", "&Tutto l'ipertesto in browser di default", {}, [this] { PreviewInBrowser(true); }},
        }),
        Command{"PublishCd", "&Cd-Rom..."},
        Command{"PublishHtml", "Esporta &Html...", {}, [this] { PublishHtml(); }},
        Command{"PublishWinHelp", "Esporta &WinHelp..."},
        Command{"PublishFtp", "Internet - &Ftp"},
        Command{"PublishServer", "&Internet - oVik"},
    }};
}

MenuTable TMainForm::ToolsMenu() {
    // The spell-check commands are wired by the spell checker's support.
    return {"ToolsMenu", "&Strumenti", {
        Command{"ToolsSpellPage", "&Controllo ortografia pagina...", Keys("F7"), {}, EnabledWhen::Fixed, false},
        Command{"ToolsSpellAll", "Controllo ortografia &ipertesto...", Keys("Ctrl+F7"), {}, EnabledWhen::Fixed, false},
        Command{"ToolsToolbars", "&Toolbars...", {}, [this] { PrepareWindow("ftoolbars")->exec(); }},
        Command{"ToolsWindows", "&Finestre...", Keys("Alt+0"), [this] { ShowWindowList(); }},
        Command{"ToolsOptions", "&Opzioni del programma...", {}, [this] {
                    if (PrepareWindow("fopzioni")->exec() == QDialog::Accepted) ApplyOptions();
                }},
        // The custom components may have changed on disk: the page is laid out again.
        Command{"ToolsLibraries", "Componenti &personalizzati (librerie)...", {}, [this] { RelayOutPage(); }},
    }};
}

MenuTable TMainForm::HelpMenu() {
    return {"HelpMenu", "&?", {
        Command{"HelpIndex", "&Indice", {}, [this] { OpenManual(); }},
        // Find in the user manual: the manual opens and the find window with it.
        Command{"HelpSearch", "&Cerca aiuto su...", {}, [this] {
                    if (OpenManual()) ShowFind(0);
                }},
        Command{"HelpAbout", "&Informazioni...", {}, [this] {
                    ShowMessageBox(this, QMessageBox::Information, "Informazioni",
                                   QString("%1 %2\nEditor di ipertesti visuale.")
                                       .arg(app::kApplicationTitle, app::VersionString()),
                                   QMessageBox::Ok);
                }},
        // The samples folder in the open dialog.
        Command{"HelpSamples", "&Esempi...", {},
                [this] { OpenWithDialog(QString::fromStdString(doc_->Folders().Samples().string())); }},
    }};
}

bool TMainForm::OpenManual() {
    std::filesystem::path manual = doc_->Folders().Manual();
    // The English manual beside it, while the interface speaks English.
    const std::filesystem::path english = manual.parent_path() / app::kEnglishManualName;
    std::error_code ec;
    if (CurrentLanguage() == app::InterfaceLanguage::English && std::filesystem::exists(english, ec)) manual = english;
    if (!std::filesystem::exists(manual)) {
        messages_.Warning("Il manuale non si trova: " + manual.string());
        return false;
    }
    if (!doc_->AskSave()) return false;
    // The manual is read, not edited: it opens in preview.
    const bool opened = doc_->OpenAnyFile(manual, false);
    if (opened) SetEditMode(false);
    RefreshPages();
    return opened;
}

}  // namespace ovik::ui
