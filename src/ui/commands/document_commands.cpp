// The File, Modifica and Cerca menus.
#include <QFileDialog>
#include <QFileInfo>

#include "ui/commands/command_table.h"
#include "ui/dialogs/album.h"
#include "ui/dialogs/tools_windows.h"
#include "ui/main_window.h"
#include "ui/translations.h"

namespace ovik::ui {

MenuTable TMainForm::FileMenu() {
    return {"FileMenu", "&File", {
        Command{"FileNew", "&Nuovo ipertesto", Keys("Ctrl+N"), [this] {
                    if (doc_->AskSave()) doc_->NewDocument();
                    RefreshPages();
                }},
        Command{"FileNewFrom", "N&uovo da...", {}, [this] {
                    doc_->NewDocumentFrom();
                    RefreshPages();
                }},
        Command{"FileOpen", "&Apri...", Keys("Ctrl+F12"), [this] { OpenWithDialog(QString()); }},
        Command{"FileImport", "&Importa/apri pagine...", {}, [this] { ImportPages(); }},
        Command{"FileAddPage", "Aggiungi nuova pagina", {}, [this] { NewPage(); }},
        Command{"FileFind", "&Trova file...", Keys("Ctrl+F10"), [this] { FindFile(); }},
        MenuEntry::Separator(),
        Command{"FileSave", "&Salva tutto", Keys("Ctrl+S"), [this] {
                    savedAsText_ = false;
                    const bool ok = doc_->SaveDocument();
                    RefreshPages();
                    ShowSaved(ok);
                }},
        Command{"FileSaveAs", "Salva &con nome...", {}, [this] {
                    savedAsText_ = false;
                    const bool ok = doc_->SaveDocumentAs();
                    RefreshPages();
                    ShowSaved(ok);
                }},
        Command{"FileSaveTemplate", "Salva come mo&dello...", {}, [this] { doc_->SaveAsTemplate(); }},
        Command{"FileExport", "Esp&orta pagine...", Keys("Ctrl+E"), [this] { ExportPages(); }},
        Command{"FilePageList", "&Lista pagine...", {}, [this] { ShowAlbum(TFAlbum::Pages); }},
        MenuEntry::Separator(),
        Command{"FilePrinterSetup", "I&mposta stampante..."},
        Command{"FileMargins", "Imposta mar&gini..."},
        Command{"FilePrint", "Stam&pa..."},
        Command{"FilePrintPage", "Stampa pagina corrente"},
        Command{"FilePrintAll", "Stampa tutte"},
        MenuEntry::RecentFiles(),
        MenuEntry::Separator(),
        Command{"FileExit", "&Esci", Keys("Alt+X"), [this] { close(); }},
    }};
}

MenuTable TMainForm::EditMenu() {
    auto after = [this](auto run) {
        return [this, run] {
            run();
            UpdateEditActions();
        };
    };
    // Plain text through the system clipboard; Ctrl+X, Ctrl+C and Ctrl+V too,
    // which no other command takes.
    return {"EditMenu", "&Modifica", {
        Command{"EditUndo", "&Undo", Keys("Alt+Backspace", "Ctrl+Z"), after([this] { view_->Undo(); }),
                EnabledWhen::Fixed, false},
        Command{"EditRedo", "&Annulla undo", Keys("Ctrl+Y"), after([this] { view_->Redo(); }), EnabledWhen::Fixed,
                false},
        MenuEntry::Separator(),
        Command{"EditCut", "&Taglia", Keys("Shift+Del", "Ctrl+X"), after([this] { view_->Cut(); }),
                EnabledWhen::EditingSelection, false},
        Command{"EditCopy", "&Copia", Keys("Ctrl+Ins", "Ctrl+C"), [this] { view_->Copy(); }, EnabledWhen::Selection,
                false},
        Command{"EditPaste", "&Incolla", Keys("Shift+Ins", "Ctrl+V"), after([this] { view_->Paste(); }),
                EnabledWhen::Editing, false},
        Command{"EditPastePage", "Incolla &pagina da...", {}, [this] { PastePageFrom(); }, EnabledWhen::Editing,
                false},
        Command{"EditSelectAll", "&Seleziona tutto", Keys("Ctrl+F2"),
                [this] { view_->Run([](BoxEditor& e) { e.SelectAll(); }); }, EnabledWhen::PageShown, false},
    }};
}

// The find window wires these commands (search_commands.cpp).
MenuTable TMainForm::SearchMenu() {
    return {"SearchMenu", "&Cerca", {
        Command{"SearchFind", "&Cerca...", Keys("Ctrl+F"), {}, EnabledWhen::Fixed, false},
        Command{"SearchReplace", "Cerca / &Sostituisci...", Keys("Ctrl+R"), {}, EnabledWhen::Fixed, false},
        Command{"SearchAgain", "&Ripeti ultima ricerca nella pagina", Keys("F3"), {}, EnabledWhen::Fixed, false},
        Command{"SearchAgainAll", "Ripeti nell'&ipertesto", Keys("F4"), {}, EnabledWhen::Fixed, false},
        Command{"SearchKeyword", "Cerca per parola c&hiave...", Keys("Ctrl+F3"), {}, EnabledWhen::Fixed, false},
        Command{"SearchOperators", "Cerca con &operatori...", {}, {}, EnabledWhen::Fixed, false},
    }};
}

QStringList TMainForm::OpenFilters() {
    // The hypertexts, and the files opened today by importing them as pages.
    return {"Ipertesti oVik (*.hqv)", "Files Html (*.htm *.html)", "File di testo (*.txt *.asc *.ini *.pas *.c *.cpp)",
            "Tutti i files (*)"};
}

void TMainForm::FindFile() {
    auto* w = static_cast<TFTrovaFile*>(PrepareWindow("ftrovafile"));
    if (w->exec() != QDialog::Accepted || w->Chosen().empty()) return;
    if (!doc_->AskSave()) return;
    doc_->OpenAnyFile(w->Chosen(), false);
    RefreshPages();
}

void TMainForm::OpenWithDialog(const QString& startFolder) {
    if (!doc_->AskSave()) return;
    QString folder = startFolder;
    if (folder.isEmpty() && !doc_->Unnamed()) folder = QFileInfo(QString::fromStdString(doc_->CurrentName())).path();
    QStringList filters;
    for (const QString& f : OpenFilters()) filters << Tr(f);
    QString name = QFileDialog::getOpenFileName(this, Tr("Apri"), folder, filters.join(";;"));
    if (name.isEmpty()) return;
    doc_->OpenAnyFile(name.toStdString(), false);
    RefreshPages();
}

}  // namespace ovik::ui
