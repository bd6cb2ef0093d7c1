#include "ui/main_window.h"
#include "ui/link_navigator.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDockWidget>
#include <QInputDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QToolBar>
#include <QActionGroup>
#include <QColorDialog>
#include <QFontDatabase>
#include <QIntValidator>
#include <tuple>

#include "app/app_info.h"
#include "core/codepage.h"
#include "app/program_folders.h"
#include "page/page_copy.h"
#include "app/album.h"
#include "ui/dialogs/album.h"
#include "ui/dialogs/character.h"
#include "ui/dialogs/delete_objects.h"
#include "ui/dialogs/errors.h"
#include "ui/dialogs/export_import.h"
#include "ui/dialogs/hypertext_options.h"
#include "ui/dialogs/new_page.h"
#include "ui/dialogs/page_properties.h"
#include "ui/dialogs/program_options.h"
#include "ui/dialogs/styles.h"
#include "ui/languager.h"
#include "ui/dialogs/dialog_support.h"
#include "ui/undo_popup.h"
#include "ui/spell_support.h"
#include "text/box_attributes.h"
#include "text/text_attributes.h"

namespace ovik::ui {


TMainForm::TMainForm(platform::SettingsStore& store, QWidget* parent)
    : QMainWindow(parent), store_(store), settings_(store), messages_(this) {
    setObjectName("mainform");
    messages_.SetApplicationTitle(app::kApplicationTitle);
    set_ = std::make_unique<THQVset>(messages_);
    txt_.LinkedHQVset = set_.get();
    doc_ = std::make_unique<app::DocumentController>(
        *set_, messages_, app::ProgramFolders(QApplication::applicationDirPath().toStdString()),
        app::kApplicationTitle);
    WireDocument();
    history_ = std::make_unique<THQVundoList>(*set_);
    history_->SetDepth(set_->UndoDeep);
    doc_->history = history_.get();
    // An undone object change (a style) may change the look of the shown page.
    history_->refreshViews = [this] {
        int32_t n = view_->PageNumber();
        view_->StorePage(TPageView::AfterStore::Drop);
        view_->ShowPage(*set_, -1);
        ShowPage(n);
    };
    view_ = new TPageView(this);
    view_->SetHistory(history_.get());
    setCentralWidget(view_);
    connect(view_, &TPageView::Changed, this, [this] { UpdateEditActions(); });
    // The view also shows pages by itself (links it follows): the page list
    // and the commands follow it.
    connect(view_, &TPageView::PageShown, this, [this](int number) {
        if (!pages_) return;
        for (size_t i = 0; i < pageNumbers_.size(); ++i)
            if (pageNumbers_[i] == number && pages_->currentRow() != int(i)) {
                QSignalBlocker block(pages_);
                pages_->setCurrentRow(int(i));
            }
        UpdateEditActions();
    });
    set_->LinkView(&viewLink_);
    // The pages of the hypertext, in a panel beside the view.
    pages_ = new QListWidget(this);
    pages_->setObjectName("pagelist");
    auto* dock = new QDockWidget("Pagine", this);
    dock->setObjectName("pagedock");
    dock->setWidget(pages_);
    addDockWidget(Qt::LeftDockWidgetArea, dock);
    connect(pages_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < int(pageNumbers_.size()) && pageNumbers_[size_t(row)] != view_->PageNumber())
            ShowPage(pageNumbers_[size_t(row)]);
    });
    status_ = new QLabel(this);
    statusBar()->addWidget(status_, 1);
    BuildMenus();
    spelling_ = new SpellSupport(*this, settings_);
    WireSearchCommands();
    settings_.EnsurePublishingDefaults();
    ApplyOptions();
    spelling_->Start();
    recent_.Load(settings_);
    RefreshRecentFiles();
    connect(&saveReminder_, &QTimer::timeout, this, [this] {
        saveReminder_.stop();
        doc_->SaveReminderFired();
    });
    links_ = new TLinkNavigator(*this, messages_, store_);
    ApplyBuiltInBlock(this);
    UpdateCaption();
    resize(900, 650);
}

TMainForm::~TMainForm() {
    set_->UnlinkView(&viewLink_);
    view_->ShowPage(*set_, -1);
}

void TMainForm::ViewLink::StoreAndDropPage() {
    if (w->view_->PageNumber() >= 0) w->lastShown_ = w->view_->PageNumber();
    w->view_->StorePage(TPageView::AfterStore::Drop);
    w->view_->ShowPage(*w->set_, -1);
}

void TMainForm::ViewLink::ShowPageAgain() {
    w->RefreshPages();
    // A page deleted meanwhile gives way to page 0 (or the first page there is).
    THQVtesto* p = w->set_->Page(w->lastShown_);
    if (!p || p->IsFree()) w->lastShown_ = w->pageNumbers_.empty() ? -1 : w->pageNumbers_[0];
    w->ShowPage(w->lastShown_);
}

void TMainForm::ViewLink::DropPage() { w->view_->ShowPage(*w->set_, -1); }

QAction* TMainForm::AddCommand(QMenu* menu, const char* name, const QString& caption,
                               const QKeySequence& shortcut, bool enabled) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    a->setEnabled(enabled);
    actions_[name] = a;
    return a;
}

QAction* TMainForm::Action(const QString& objectName) const {
    auto it = actions_.find(objectName);
    return it == actions_.end() ? nullptr : it->second;
}

void TMainForm::BuildMenus() {
    QMenuBar* bar = menuBar();
    // File
    QMenu* f = fileMenu_ = bar->addMenu("&File");
    connect(AddCommand(f, "FileNew", "&Nuovo ipertesto", QKeySequence("Ctrl+N"), true), &QAction::triggered,
            this, [this] {
                if (doc_->AskSave()) doc_->NewDocument();
                RefreshPages();
            });
    AddCommand(f, "FileNewFrom", "N&uovo da...");
    connect(AddCommand(f, "FileOpen", "&Apri...", QKeySequence("Ctrl+F12"), true), &QAction::triggered, this,
            [this] {
                if (!doc_->AskSave()) return;
                QString folder = doc_->Unnamed() ? QString() : QFileInfo(QString::fromStdString(doc_->CurrentName())).path();
                QString name = QFileDialog::getOpenFileName(this, "Apri", folder,
                                                            "Ipertesti oVik (*.hqv);;Tutti i files (*)");
                if (!name.isEmpty()) {
                    doc_->OpenAnyFile(name.toStdString(), false);
                    RefreshPages();
                }
            });
    connect(AddCommand(f, "FileImport", "&Importa/apri pagine...", {}, true), &QAction::triggered, this,
            [this] { ImportPages(); });
    connect(AddCommand(f, "FileAddPage", "Aggiungi nuova pagina", {}, true), &QAction::triggered, this,
            [this] { NewPage(); });
    AddCommand(f, "FileFind", "&Trova file...", QKeySequence("Ctrl+F10"));
    f->addSeparator();
    connect(AddCommand(f, "FileSave", "&Salva tutto", QKeySequence("Ctrl+S"), true), &QAction::triggered, this,
            [this] {
                doc_->SaveDocument();
                RefreshPages();
            });
    connect(AddCommand(f, "FileSaveAs", "Salva &con nome...", {}, true), &QAction::triggered, this,
            [this] {
                doc_->SaveDocumentAs();
                RefreshPages();
            });
    connect(AddCommand(f, "FileSaveTemplate", "Salva come mo&dello...", {}, true), &QAction::triggered, this,
            [this] { doc_->SaveAsTemplate(); });
    connect(AddCommand(f, "FileExport", "Esp&orta pagine...", QKeySequence("Ctrl+E"), true), &QAction::triggered,
            this, [this] { ExportPages(); });
    connect(AddCommand(f, "FilePageList", "&Lista pagine...", {}, true), &QAction::triggered, this,
            [this] { ShowAlbum(TFAlbum::Pages); });
    f->addSeparator();
    AddCommand(f, "FilePrinterSetup", "I&mposta stampante...");
    AddCommand(f, "FileMargins", "Imposta mar&gini...");
    AddCommand(f, "FilePrint", "Stam&pa...");
    AddCommand(f, "FilePrintPage", "Stampa pagina corrente");
    AddCommand(f, "FilePrintAll", "Stampa tutte");
    recentSeparator_ = f->addSeparator();
    f->addSeparator();
    connect(AddCommand(f, "FileExit", "&Esci", QKeySequence("Alt+X"), true), &QAction::triggered, this,
            [this] { close(); });

    QMenu* m = bar->addMenu("&Modifica");
    QAction* undo = AddCommand(m, "EditUndo", "&Undo", QKeySequence("Alt+Backspace"));
    undo->setShortcuts({QKeySequence("Alt+Backspace"), QKeySequence("Ctrl+Z")});
    connect(AddCommand(m, "EditRedo", "&Annulla undo", QKeySequence("Ctrl+Y")), &QAction::triggered, this, [this] {
        view_->Redo();
        UpdateEditActions();
    });
    connect(undo, &QAction::triggered, this, [this] {
        view_->Undo();
        UpdateEditActions();
    });
    m->addSeparator();
    // Plain text through the system clipboard; Ctrl+X, Ctrl+C and Ctrl+V too,
    // which no other command takes.
    QAction* cut = AddCommand(m, "EditCut", "&Taglia", QKeySequence("Shift+Del"));
    cut->setShortcuts({QKeySequence("Shift+Del"), QKeySequence("Ctrl+X")});
    connect(cut, &QAction::triggered, this, [this] {
        view_->Cut();
        UpdateEditActions();
    });
    QAction* copy = AddCommand(m, "EditCopy", "&Copia", QKeySequence("Ctrl+Ins"));
    copy->setShortcuts({QKeySequence("Ctrl+Ins"), QKeySequence("Ctrl+C")});
    connect(copy, &QAction::triggered, this, [this] { view_->Copy(); });
    QAction* paste = AddCommand(m, "EditPaste", "&Incolla", QKeySequence("Shift+Ins"));
    paste->setShortcuts({QKeySequence("Shift+Ins"), QKeySequence("Ctrl+V")});
    connect(paste, &QAction::triggered, this, [this] {
        view_->Paste();
        UpdateEditActions();
    });
    connect(AddCommand(m, "EditPastePage", "Incolla &pagina da..."), &QAction::triggered, this,
            [this] { PastePageFrom(); });
    connect(AddCommand(m, "EditSelectAll", "&Seleziona tutto", QKeySequence("Ctrl+F2")), &QAction::triggered,
            this, [this] { view_->Run([](BoxEditor& e) { e.SelectAll(); }); });

    QMenu* c = bar->addMenu("&Cerca");
    AddCommand(c, "SearchFind", "&Cerca...", QKeySequence("Ctrl+F"));
    AddCommand(c, "SearchReplace", "Cerca / &Sostituisci...", QKeySequence("Ctrl+R"));
    AddCommand(c, "SearchAgain", "&Ripeti ultima ricerca nella pagina", QKeySequence("F3"));
    AddCommand(c, "SearchAgainAll", "Ripeti nell'&ipertesto", QKeySequence("F4"));
    AddCommand(c, "SearchKeyword", "Cerca per parola c&hiave...", QKeySequence("Ctrl+F3"));
    AddCommand(c, "SearchOperators", "Cerca con &operatori...");

    QMenu* i = bar->addMenu("&Inserisci");
    connect(AddCommand(i, "InsertSymbol", "&Simbolo...", QKeySequence("Shift+F2")), &QAction::triggered, this,
            [this] { InsertSymbol(); });
    AddCommand(i, "InsertPicture", "&Immagine/mappa...", QKeySequence("Ctrl+I"));
    AddCommand(i, "InsertTable", "&Tabella...", QKeySequence("Ctrl+T"));
    AddCommand(i, "InsertFrame", "C&ornice indipendente...");
    AddCommand(i, "InsertMedia", "&Animazione/suono...");
    AddCommand(i, "InsertEmbed", "&Embed/Java/activeX...");
    for (auto [name, caption] : {std::pair{"InsertForms", "&Moduli"}, {"InsertPageFunctions", "&Funzioni di pagina"},
                                 {"InsertScript", "&Script Java/VB"}, {"InsertNotes", "Annota&zioni..."},
                                 {"InsertHtml", "&Html"}}) {
        QMenu* sub = i->addMenu(caption);
        sub->setObjectName(name);
        sub->setEnabled(false);
    }
    AddCommand(i, "InsertCustom", "Componente &personalizzato...");
    AddCommand(i, "InsertDb", "Componente &DB locale...");
    i->addSeparator();
    AddCommand(i, "InsertSelfLink", "Collegamento autore&ferente", QKeySequence("Shift+F6"));
    AddCommand(i, "InsertAnchor", "Anco&ra", QKeySequence("Shift+F5"));
    AddCommand(i, "InsertLink", "Co&llegamento...", QKeySequence("Ctrl+F5"));
    AddCommand(i, "InsertSpecialLink", "&Collegamento speciale...", QKeySequence("F5"));
    connect(AddCommand(i, "InsertNewPage", "&Nuova pagina...", QKeySequence("Ctrl+Shift+N"), true),
            &QAction::triggered, this, [this] { NewPage(); });

    QMenu* t = bar->addMenu("&Tabella");
    AddCommand(t, "TableProperties", "&Proprietà tabella...");
    AddCommand(t, "TableAddRow", "Aggiungi &riga");
    AddCommand(t, "TableAddColumn", "Aggiungi &colonna");
    AddCommand(t, "TableDeleteRow", "Cancella r&iga");
    AddCommand(t, "TableDeleteColumn", "Cancella c&olonna");
    AddCommand(t, "TableSelect", "&Seleziona tabella");

    QMenu* fo = bar->addMenu("F&ormato");
    connect(AddCommand(fo, "FormatFont", "&Carattere..."), &QAction::triggered, this, [this] { ChooseFont(); });
    auto toggle = [this](uint8_t bit) {
        view_->Run([bit](BoxEditor& e) {
            uint8_t current = e.Box().TextAttributes().Style();
            e.SetAndClearStyleBits(current & bit ? bit : 0, current & bit ? 0 : bit);
        });
    };
    connect(AddCommand(fo, "FormatBold", "&Grassetto", QKeySequence("Ctrl+B"), true), &QAction::triggered, this,
            [toggle] { toggle(1); });
    connect(AddCommand(fo, "FormatItalic", "C&orsivo", {}, true), &QAction::triggered, this, [toggle] { toggle(2); });
    connect(AddCommand(fo, "FormatUnderline", "&Sottolineato", QKeySequence("Ctrl+U"), true), &QAction::triggered,
            this, [toggle] { toggle(4); });
    AddCommand(fo, "FormatSuperscript", "Apice");
    AddCommand(fo, "FormatSubscript", "Pedice");
    connect(AddCommand(fo, "FormatStyles", "&Stili...", {}, true), &QAction::triggered, this, [this] {
        if (PrepareWindow("fstili")->exec() == QDialog::Accepted) RefreshPages();
    });
    AddCommand(fo, "FormatReformat", "&Riformatta");
    fo->addSeparator();
    AddCommand(fo, "FormatLinkProperties", "Proprietà c&ollegamento...");
    AddCommand(fo, "FormatFollowLink", "Segui colle&gamento (doppio clic)...", QKeySequence("F9"));
    connect(AddCommand(fo, "FormatPageProperties", "&Proprietà pagina...", QKeySequence("Ctrl+F11"), true),
            &QAction::triggered, this, [this] { PageProperties(); });
    connect(AddCommand(fo, "FormatHeaderFooter", "&Intestazione e piè di pagina...", {}, true), &QAction::triggered,
            this, [this] { PageProperties(); });
    AddCommand(fo, "FormatLoadFrames", "Carica &disposizione cornici...");
    AddCommand(fo, "FormatFrames", "&Gestione avanzata disposizione cornici...");

    QMenu* h = bar->addMenu("&Ipertesto");
    connect(AddCommand(h, "HypProperties", "&Proprietà dell'ipertesto corrente...", {}, true), &QAction::triggered,
            this, [this] {
                if (PrepareWindow("fpropiper")->exec() != QDialog::Accepted) return;
                spelling_->FollowHypertext();  // its spell-check language may have changed
                RefreshPages();
            });
    AddCommand(h, "HypKeywords", "Parole c&hiave...");
    AddCommand(h, "HypCover", "&Copertina");
    AddCommand(h, "HypContents", "&Sommario");
    connect(AddCommand(h, "HypReadOnly", "Solo &lettura", QKeySequence("F11"), true), &QAction::triggered, this,
            [this] { SetEditMode(!doc_->EditMode()); });
    h->addSeparator();
    AddCommand(h, "HypPrevious", "P&agina precedente");
    AddCommand(h, "HypNext", "Pagi&na seguente");
    auto step = [this](int delta) {
        int row = pages_->currentRow() + delta;
        if (row >= 0 && row < pages_->count()) pages_->setCurrentRow(row);
    };
    connect(AddCommand(h, "HypPagePlus", "Pagina +1", QKeySequence("Ctrl++"), true), &QAction::triggered, this,
            [step] { step(1); });
    connect(AddCommand(h, "HypPageMinus", "Pagina -1", QKeySequence("Ctrl+-"), true), &QAction::triggered, this,
            [step] { step(-1); });
    connect(AddCommand(h, "HypGoTo", "&Vai a pagina", {}, true), &QAction::triggered, this, [this] {
        bool ok = false;
        int n = QInputDialog::getInt(this, "Vai a pagina", "Pagina:", std::max(0, view_->PageNumber()), 0,
                                     std::max(0, set_->ObjectCount(testoHtml) - 1), 1, &ok);
        if (ok) ShowPage(n);
    });
    AddCommand(h, "HypAllPages", "Tutte le pagine dell'&ipertesto...");
    h->addSeparator();
    connect(AddCommand(h, "HypDeletePages", "&Cancella pagine...", {}, true), &QAction::triggered, this,
            [this] { ShowAlbum(TFAlbum::Pages); });
    connect(AddCommand(h, "HypAlbum", "&Album immagini - files - pagine e cancellazioni...", QKeySequence("F12"), true),
            &QAction::triggered, this, [this] { ShowAlbum(TFAlbum::Pictures); });
    AddCommand(h, "HypReload", "Ricarica pa&gina");
    AddCommand(h, "HypSearches", "&Ricerche ipertestuali...");
    AddCommand(h, "HypOrder", "&Ordine predefinito pagine...");
    AddCommand(h, "HypSlides", "&Diapositive...");
    AddCommand(h, "HypExplore", "&Esplorazione dei collegamenti...");

    QMenu* p = bar->addMenu("&Pubblica");
    QMenu* preview = p->addMenu("&Anteprima in browser");
    preview->setObjectName("PublishPreview");
    AddCommand(preview, "PreviewPage", "&Corrente pagina in browser di default", QKeySequence("Ctrl+A"));
    AddCommand(preview, "PreviewAll", "&Tutto l'ipertesto in browser di default");
    AddCommand(p, "PublishCd", "&Cd-Rom...");
    AddCommand(p, "PublishHtml", "Esporta &Html...");
    AddCommand(p, "PublishWinHelp", "Esporta &WinHelp...");
    AddCommand(p, "PublishFtp", "Internet - &Ftp");
    AddCommand(p, "PublishServer", "&Internet - oVik");

    QMenu* s = bar->addMenu("&Strumenti");
    AddCommand(s, "ToolsSpellPage", "&Controllo ortografia pagina...", QKeySequence("F7"));
    AddCommand(s, "ToolsSpellAll", "Controllo ortografia &ipertesto...", QKeySequence("Ctrl+F7"));
    AddCommand(s, "ToolsToolbars", "&Toolbars...");
    AddCommand(s, "ToolsWindows", "&Finestre...", QKeySequence("Alt+0"));
    connect(AddCommand(s, "ToolsOptions", "&Opzioni del programma...", {}, true), &QAction::triggered, this,
            [this] {
                if (PrepareWindow("fopzioni")->exec() == QDialog::Accepted) ApplyOptions();
            });
    AddCommand(s, "ToolsLibraries", "Componenti &personalizzati (librerie)...");

    QMenu* q = bar->addMenu("&?");
    AddCommand(q, "HelpIndex", "&Indice");
    AddCommand(q, "HelpSearch", "&Cerca aiuto su...");
    connect(AddCommand(q, "HelpAbout", "&Informazioni...", {}, true), &QAction::triggered, this, [this] {
        QMessageBox::about(this, "Informazioni",
                           QString("%1 %2\nEditor di ipertesti visuale.").arg(app::kApplicationTitle, app::VersionString()));
    });
    AddCommand(q, "HelpSamples", "&Esempi...");

    QToolBar* tb = addToolBar("Principale");
    tb->setObjectName("maintoolbar");
    tb->addAction(Action("FileNew"));
    tb->addAction(Action("FileOpen"));
    tb->addAction(Action("FileSave"));
    QAction* mode = tb->addAction("Edita / Anteprima");
    mode->setObjectName("ModeSwitch");
    mode->setCheckable(true);
    connect(mode, &QAction::triggered, this, [this] { SetEditMode(!doc_->EditMode()); });
    actions_["ModeSwitch"] = mode;

    BuildToolbars();

    // Hints of the commands go to the status line.
    for (auto& [name, action] : actions_) {
        if (action->statusTip().isEmpty()) action->setStatusTip(action->text().remove('&'));
    }
    connect(bar, &QMenuBar::hovered, this, [this](QAction* a) { status_->setText(a->statusTip()); });
}

void TMainForm::BuildToolbars() {
    // Undo with its drop-down list, and redo.
    QToolBar* edit = addToolBar("Modifica");
    edit->setObjectName("edittoolbar");
    edit->addAction(Action("EditUndo"));
    undoListButton_ = new QToolButton(edit);
    undoListButton_->setObjectName("UndoListButton");
    undoListButton_->setArrowType(Qt::DownArrow);
    undoListButton_->setToolTip("Undo multiplo");
    undoListButton_->setEnabled(false);
    connect(undoListButton_, &QToolButton::clicked, this, [this] { ShowUndoList(); });
    edit->addWidget(undoListButton_);
    edit->addAction(Action("EditRedo"));
    edit->addSeparator();
    edit->addAction(Action("EditCut"));
    edit->addAction(Action("EditCopy"));
    edit->addAction(Action("EditPaste"));

    // Format: paragraph style, face, size, the style bits, colour, alignment,
    // lists and indents. Faces and style names are Windows-1252 in the engine.
    addToolBarBreak();
    QToolBar* fmt = addToolBar("Formato");
    fmt->setObjectName("formattoolbar");
    styleBox_ = new QComboBox(fmt);
    // The style and face boxes list the document's and the system's names,
    // not captions: they stay unnamed so the language blocks leave them alone.
    styleBox_->setMinimumContentsLength(14);
    styleBox_->setToolTip("Stile paragrafo");
    connect(styleBox_, &QComboBox::textActivated, this, [this](const QString& name) {
        ChooseStyle(ToCp(name));
        view_->setFocus();
    });
    fmt->addWidget(styleBox_);
    faceBox_ = new QComboBox(fmt);
    faceBox_->setEditable(true);
    faceBox_->setInsertPolicy(QComboBox::NoInsert);
    faceBox_->setMinimumContentsLength(16);
    faceBox_->setToolTip("Carattere");
    QStringList faces{"Times New Roman", "Arial", "Courier New"};
    for (const QString& f : QFontDatabase::families())
        if (!faces.contains(f)) faces << f;
    faceBox_->addItems(faces);
    connect(faceBox_, &QComboBox::textActivated, this, [this](const QString& face) {
        if (face.isEmpty()) return;
        std::string name = ToCp(face);
        view_->Run([&](BoxEditor& e) { e.SetFace(name); });
        view_->setFocus();
    });
    fmt->addWidget(faceBox_);
    sizeBox_ = new QComboBox(fmt);
    sizeBox_->setObjectName("SizeBox");
    sizeBox_->setEditable(true);
    sizeBox_->setInsertPolicy(QComboBox::NoInsert);
    sizeBox_->setValidator(new QIntValidator(1, 999, sizeBox_));
    sizeBox_->setToolTip("Dimensione");
    for (int size : {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72})
        sizeBox_->addItem(QString::number(size));
    connect(sizeBox_, &QComboBox::textActivated, this, [this](const QString& text) {
        int points = text.toInt();
        if (points <= 0) return;
        view_->Run([points](BoxEditor& e) { e.SetSize(points); });
        view_->setFocus();
    });
    fmt->addWidget(sizeBox_);
    fmt->addAction(Action("FormatBold"));
    fmt->addAction(Action("FormatItalic"));
    fmt->addAction(Action("FormatUnderline"));
    for (const char* name : {"FormatBold", "FormatItalic", "FormatUnderline"}) Action(name)->setCheckable(true);

    auto command = [this, fmt](const char* name, const QString& caption, auto run) {
        QAction* a = fmt->addAction(caption);
        a->setObjectName(name);
        a->setEnabled(false);
        actions_[name] = a;
        connect(a, &QAction::triggered, this, run);
        return a;
    };
    command("FormatColour", "Colore testo...", [this] {
        if (!view_->Box()) return;
        int32_t current = view_->Box()->TextAttributes().Colour();
        QColor c = QColorDialog::getColor(ToQColor(current), this, "Colore");
        if (!c.isValid()) return;
        int32_t colour = c.red() | (c.green() << 8) | (c.blue() << 16);
        view_->Run([colour](BoxEditor& e) { e.SetColour(colour); });
    });
    fmt->addSeparator();
    auto* alignment = new QActionGroup(this);
    for (auto [name, caption, value] : {std::tuple{"FormatAlignLeft", "Allinea a sinistra", 0},
                                        {"FormatAlignCentre", "Centra", 2},
                                        {"FormatAlignRight", "Allinea a destra", 1}}) {
        QAction* a = command(name, caption, [this, value = value] {
            view_->Run([value](BoxEditor& e) { e.SetAlignment(uint8_t(value)); });
        });
        a->setCheckable(true);
        a->setData(value);
        alignment->addAction(a);
    }
    fmt->addSeparator();
    // A list button turns its kind on, or off when the paragraph has it.
    for (auto [name, caption, kind] : {std::tuple{"FormatBullets", "Elenco puntato", 10},
                                       {"FormatNumbers", "Elenco numerato", 6}}) {
        QAction* a = command(name, caption, [this, kind = kind] {
            if (!view_->Box()) return;
            uint8_t now = view_->Box()->ParaAttributes().ListKind();
            view_->Run([&](BoxEditor& e) { e.SetListKind(now == kind ? 0 : uint8_t(kind)); });
        });
        a->setCheckable(true);
    }
    // Indents move the left margin by one centimetre, in the paragraph's unit.
    for (auto [name, caption, step] : {std::tuple{"FormatIndentLess", "Riduci rientro", -1},
                                       {"FormatIndentMore", "Aumenta rientro", 1}}) {
        command(name, caption, [this, step = step] {
            if (!view_->Box()) return;
            THQVParaAttributes& pa = view_->Box()->ParaAttributes();
            double cm = PixelsToUnit(UnitToPixels(1.0, umCentimetres, 96), pa.Unit(), 96);
            double margin = std::max(0.0, pa.LeftMargin() + step * cm);
            view_->Run([margin](BoxEditor& e) { e.SetLeftMargin(margin); });
        });
    }
    connect(view_, &TPageView::InputDone, this, [this] {
        UpdateFormatBoxes();
        UpdateEditActions();
    });
    connect(view_, &TPageView::ContextMenuAboutToShow, this, [this] { UpdateEditActions(); });
    view_->SetContextActions({Action("EditCut"), Action("EditCopy"), Action("EditPaste"), Action("EditSelectAll")});
}

void TMainForm::UpdateFormatBoxes() {
    THQVbox* box = view_->Box();
    if (!box) return;
    QSignalBlocker b1(styleBox_), b2(faceBox_), b3(sizeBox_);
    QStringList styles;
    for (const std::string& name : set_->StyleNames()) styles << FromCp(name);
    bool same = styles.size() == styleBox_->count();
    for (int i = 0; same && i < styles.size(); ++i) same = styleBox_->itemText(i) == styles[i];
    if (!same) {
        styleBox_->clear();
        styleBox_->addItems(styles);
    }
    styleBox_->setCurrentIndex(styleBox_->findText(FromCp(box->ParaAttributes().StyleName())));
    THQVTextAttributes& ta = box->TextAttributes();
    faceBox_->setCurrentText(FromCp(ta.Face()));
    sizeBox_->setCurrentText(QString::number(ta.Size()));
    uint8_t style = ta.Style();
    Action("FormatBold")->setChecked(style & 1);
    Action("FormatItalic")->setChecked(style & 2);
    Action("FormatUnderline")->setChecked(style & 4);
    uint8_t align = box->ParaAttributes().Alignment();
    for (const char* name : {"FormatAlignLeft", "FormatAlignCentre", "FormatAlignRight"})
        Action(name)->setChecked(Action(name)->data().toInt() == align);
    uint8_t list = box->ParaAttributes().ListKind();
    Action("FormatBullets")->setChecked(list == 10);
    Action("FormatNumbers")->setChecked(list == 6);
}

void TMainForm::ChooseStyle(const std::string& name) {
    THQVbox* box = view_->Box();
    if (!box || view_->ReadOnly()) return;
    if (StyleBoxChoice(*box, name) == StyleBoxAction::Apply) {
        view_->ApplyStyle(name);
        return;
    }
    switch (AskStyleChoice(name, this)) {
        case StyleChoice::Reformat:
            view_->ApplyStyle(name);
            break;
        case StyleChoice::ModifyStyle: {
            THQVoggetto* style = set_->FindStyle(name);
            std::unique_ptr<THQVoggetto> example = StyleExampleFromText(*box);
            auto* w = static_cast<TFStili*>(PrepareWindow("fstili"));
            if (!style || !example || !w->Edit(TFStili::Mode::Modify, style, example.get())) break;
            if (w->exec() == QDialog::Accepted) RefreshPages();
            break;
        }
        case StyleChoice::Cancel:
            break;
    }
    // The box shows the paragraph's style again, whatever was chosen.
    UpdateFormatBoxes();
}

void TMainForm::ChooseFont() {
    THQVbox* box = view_->Box();
    if (!box || view_->ReadOnly()) return;
    const THQVTextAttributes& ta = box->TextAttributes();
    const TMyFont shown{ta.Face(), ta.Style(), ta.Colour(), ta.Size(), ta.Position()};
    auto* w = static_cast<TFCarattere*>(PrepareWindow("fcarattere"));
    w->Load(shown);
    if (w->exec() != QDialog::Accepted) return;
    const TMyFont chosen = w->Font();
    view_->Run([&](BoxEditor& e) { e.SetFont(shown, chosen); });
    view_->setFocus();
}

void TMainForm::InsertSymbol() {
    if (!view_->Box() || view_->ReadOnly()) return;
    auto* w = static_cast<TFSimbolo*>(PrepareWindow("fsimbolo"));
    if (w->exec() != QDialog::Accepted) return;
    const uint8_t c = uint8_t(w->Chosen());
    if (c < 32) return;
    view_->Run([c](BoxEditor& e) { e.KeyPress(c); });
    view_->setFocus();
}

void TMainForm::UndoFromList(int32_t k) {
    view_->UndoMany(k);
    UpdateEditActions();
}

void TMainForm::ShowUndoList() {
    if (!history_->CanUndo() || !view_->Box()) return;
    TUndoPopup popup(history_->UndoDescriptions(), this);
    int32_t k = popup.Run(undoListButton_);
    if (k > 0) UndoFromList(k);
}

void TMainForm::ApplyOptions() {
    options_ = app::ReadAppliedOptions(settings_);
    // A new window limit keeps the windows alive in their order, up to the limit.
    auto cache = std::make_unique<app::WindowCache>(options_.formLim);
    if (cache_)
        for (const std::string& key : cache_->Order())
            if (auto drop = cache->Show(key)) DropWindow(*drop);
    cache_ = std::move(cache);
    set_->MaxCacheImg = options_.maxCacheImg;
    if (history_) history_->SetDepth(options_.undoDeep);
    set_->UndoDeep = options_.undoDeep;
    set_->Alt = options_.alt;
    set_->Bak = options_.bak;
    set_->DBdebug = options_.dbDebug;
    set_->DBdebugMap = options_.dbDebugMap;
    saveReminder_.setInterval(options_.saveReminderMs);
    if (spelling_) spelling_->ApplyOptions();
    doc_->PromemSave = options_.saveReminder;
    doc_->TimeSave = options_.saveReminderMs / 60000;
    if (options_.saveReminder)
        saveReminder_.start();
    else
        saveReminder_.stop();
}

void TMainForm::WireDocument() {
    app::DocumentUi& ui = doc_->ui;
    ui.askSaveName = [this](const app::SaveDialogRequest& r) -> std::optional<app::SaveDialogResult> {
        QString start = QString::fromStdString((r.folder / r.proposedName).string());
        QString name = QFileDialog::getSaveFileName(
            this, r.asTemplate ? "Salva come modello" : "Salva con nome", start,
            "Salva ipertesto oVik (*.hqv);;Salva pagina corrente in TXT (*.txt *.asc *.c *.pas);;Tutti i files (*)");
        if (name.isEmpty()) return std::nullopt;
        if (QFileInfo(name).suffix().isEmpty()) name += ".hqv";
        return app::SaveDialogResult{name.toStdString(), app::SaveType::Hypertext};
    };
    ui.showErrors = [this](const std::string& title, const std::vector<std::string>& errors) {
        auto* w = static_cast<TFErrori*>(PrepareWindow("ferrori"));
        w->Load(title, errors);
        w->exec();
    };
    ui.settle = [] { QApplication::processEvents(); };
    ui.recentAdd = [this](const std::filesystem::path& f) {
        recent_.Use(f.string());
        RefreshRecentFiles();
    };
    ui.recentRemove = [this](const std::filesystem::path& f) {
        recent_.Remove(f.string());
        RefreshRecentFiles();
    };
    ui.importFile = [this](const std::filesystem::path& f) {
        txt_.ImportFiles({f}, 1);
        const ImportReport& report = txt_.Report;
        if (report.pagesMade > 0) set_->SetModified(true);
        if (std::vector<std::string> lines = report.Lines(); !lines.empty()) {
            for (std::string& l : lines) l = cp1252::FromUtf8(l);
            auto* w = static_cast<TFErrori*>(PrepareWindow("ferrori"));
            w->Load(cp1252::FromUtf8(TFImport::kReportTitle), lines);
            w->exec();
        }
        RefreshPages();
        return report.pagesMade > 0;
    };
    ui.stopReminder = [this] { saveReminder_.stop(); };
    ui.startReminder = [this] {
        if (options_.saveReminder) saveReminder_.start();
    };
    ui.viewShowStartPage = [this](bool preview) {
        SetEditMode(!preview);
        RefreshPages();
        int32_t start = set_->ContentsPage();
        if (!set_->Page(start) || set_->Page(start)->IsFree()) start = pageNumbers_.empty() ? -1 : pageNumbers_[0];
        ShowPage(start);
    };
    ui.viewDropPage = [this] { view_->ShowPage(*set_, -1); };
    ui.viewStorePage = [this] { view_->StorePage(); };
    // Showing the page again after a save comes from the set's linked view
    // (ViewLink::ShowPageAgain), which also covers saves not made here.
    ui.viewReset = [this] {
        history_->Clear();
        UpdateEditActions();
    };
    ui.viewReloadPage = [this] {
        int32_t n = view_->PageNumber();
        view_->ShowPage(*set_, -1);
        ShowPage(n);
    };
    ui.viewModified = [this] { return view_->Modified(); };
}

void TMainForm::ShowPage(int32_t number) {
    if (number >= 0) lastShown_ = number;
    view_->ShowPage(*set_, number);
    for (size_t i = 0; i < pageNumbers_.size(); ++i)
        if (pageNumbers_[i] == number && pages_->currentRow() != int(i)) {
            QSignalBlocker block(pages_);
            pages_->setCurrentRow(int(i));
        }
    UpdateEditActions();
    UpdateFormatBoxes();
}

void TMainForm::UpdateEditActions() {
    bool editing = view_->Box() && !view_->ReadOnly();
    // The editing and format toolbars appear with a page to edit.
    for (const char* name : {"edittoolbar", "formattoolbar"})
        if (auto* bar = findChild<QToolBar*>(name)) bar->setVisible(editing);
    Action("EditUndo")->setEnabled(editing && history_->CanUndo());
    Action("EditRedo")->setEnabled(editing && history_->CanRedo());
    Action("EditSelectAll")->setEnabled(view_->Box() != nullptr);
    for (const char* name : {"FormatFont", "InsertSymbol", "FormatBold", "FormatItalic", "FormatUnderline",
                             "FormatColour", "FormatAlignLeft", "FormatAlignCentre", "FormatAlignRight",
                             "FormatBullets", "FormatNumbers", "FormatIndentLess", "FormatIndentMore"})
        Action(name)->setEnabled(editing);
    for (QWidget* box : {static_cast<QWidget*>(styleBox_), static_cast<QWidget*>(faceBox_),
                         static_cast<QWidget*>(sizeBox_)})
        box->setEnabled(editing);
    undoListButton_->setEnabled(editing && history_->CanUndo());
    const bool selection = view_->HasSelection();
    Action("EditCut")->setEnabled(editing && selection);
    Action("EditCopy")->setEnabled(selection);
    Action("EditPaste")->setEnabled(editing);
    Action("EditPastePage")->setEnabled(editing);
    // The link commands follow the same editing state (leaving preview too).
    if (links_) links_->UpdateState();
    if (!history_->UndoDescriptions().empty())
        Action("EditUndo")->setStatusTip(QString::fromStdString(cp1252::ToUtf8(history_->UndoDescriptions().front())));
}

QString TMainForm::CaptionText() const { return QString::fromStdString(doc_->Caption()); }

void TMainForm::UpdateCaption() { setWindowTitle(CaptionText()); }

void TMainForm::RefreshPages() {
    QSignalBlocker block(pages_);
    pages_->clear();
    pageNumbers_.clear();
    for (int32_t n = 0; n < set_->ObjectCount(testoHtml); ++n) {
        THQVtesto* p = set_->Page(n);
        if (!p || p->IsFree()) continue;
        auto* item = new QListWidgetItem(QString("%1  %2").arg(n).arg(FromCp(p->Title())), pages_);
        item->setData(Qt::UserRole, n);
        pageNumbers_.push_back(n);
        if (n == view_->PageNumber()) pages_->setCurrentItem(item);
    }
    status_->setText(QString("%1 pagine").arg(pages_->count()));
    UpdateCaption();
    // The document commands decide the mode; the view and the switch follow.
    if (view_->ReadOnly() == doc_->EditMode()) {
        view_->SetReadOnly(!doc_->EditMode());
        Action("ModeSwitch")->setChecked(!doc_->EditMode());
        Action("HypReadOnly")->setCheckable(true);
        Action("HypReadOnly")->setChecked(!doc_->EditMode());
    }
    UpdateEditActions();
}

void TMainForm::RefreshRecentFiles() {
    for (QAction* a : recentActions_) {
        fileMenu_->removeAction(a);
        a->deleteLater();
    }
    recentActions_.clear();
    recentSeparator_->setVisible(!recent_.Files().empty());
    int k = 0;
    for (const std::string& f : recent_.Files()) {
        QAction* a = new QAction(QString("&%1 %2").arg(++k).arg(QString::fromStdString(f)), fileMenu_);
        QString file = QString::fromStdString(f);
        connect(a, &QAction::triggered, this, [this, file] {
            if (doc_->AskSave()) OpenDocument(file);
        });
        fileMenu_->insertAction(recentSeparator_, a);
        recentActions_.push_back(a);
    }
}

void TMainForm::SetEditMode(bool edit) {
    doc_->SetEditMode(edit);
    if (view_->ReadOnly() == edit) {
        // Preview shows pages as a reader sees them: the page is stored first.
        view_->StorePage(TPageView::AfterStore::Drop);
        view_->SetReadOnly(!edit);
        ShowPage(view_->PageNumber());
    }
    Action("ModeSwitch")->setChecked(!edit);
    Action("HypReadOnly")->setCheckable(true);
    Action("HypReadOnly")->setChecked(!edit);
}

bool TMainForm::OpenDocument(const QString& file, bool asTemplate) {
    bool ok = doc_->OpenDocument(file.toStdString(), asTemplate);
    RefreshPages();
    return ok;
}

void TMainForm::ExportPages() {
    view_->StorePage();
    PrepareWindow("fexport")->exec();
}

void TMainForm::ImportPages() {
    auto* w = static_cast<TFImport*>(PrepareWindow("fimport"));
    if (w->exec() != QDialog::Accepted) return;
    RefreshPages();
}

int32_t TMainForm::CurrentPage() const {
    if (QListWidgetItem* it = pages_->currentItem()) return it->data(Qt::UserRole).toInt();
    for (int32_t n = 0; n < set_->ObjectCount(testoHtml); ++n)
        if (THQVtesto* p = set_->Page(n); p && !p->IsFree()) return n;
    return -1;
}

void TMainForm::ShowAlbum(int tab) {
    // The album changes objects the shown page may use: it is stored and
    // shown again afterwards.
    int32_t shown = view_->PageNumber();
    view_->StorePage(TPageView::AfterStore::Drop);
    view_->ShowPage(*set_, -1);
    auto* w = static_cast<TFAlbum*>(PrepareWindow("falbum"));
    w->ShowTab(TFAlbum::Tab(tab));
    w->exec();
    RefreshPages();
    THQVtesto* p = set_->Page(shown);
    ShowPage(p && !p->IsFree() ? shown : (pageNumbers_.empty() ? -1 : pageNumbers_[0]));
}

void TMainForm::NewPage() {
    auto* w = static_cast<TFNuova*>(PrepareWindow("fnuova"));
    if (w->exec() != QDialog::Accepted) return;
    MakeChosenPage(*w);
}

void TMainForm::MakeChosenPage(TFNuova& w) {
    const int32_t n = w.Created();
    if (n < 0) return;
    // Showing the new page stores the page shown before, which may put a new
    // object in the set in place of the source: it is found again by number.
    THQVtesto* source = w.SourcePage();
    THQVset* sourceSet = source ? source->Owner() : nullptr;
    const int32_t sourceNumber = source ? source->Number() : -1;
    RefreshPages();
    ShowPage(n);
    THQVtesto* s = sourceSet ? sourceSet->Page(sourceNumber) : nullptr;
    // In preview the view does not edit: the copy goes straight into the
    // stored page, which is then shown again.
    if (s && !view_->CopyPageFrom(*s, w.WithBackground())) {
        view_->ShowPage(*set_, -1);
        CopyPageIntoStored(*set_, n, *s, w.WithBackground(), view_->Measurer());
        ShowPage(n);
    }
    UpdateEditActions();
}

void TMainForm::PastePageFrom() {
    if (!view_->Box() || view_->ReadOnly()) return;
    // The page being edited is stored first, so that pasting it into itself
    // copies what is on screen.
    view_->StorePage();
    auto* w = static_cast<TFNuova*>(PrepareWindow("fincolla"));
    if (w->exec() != QDialog::Accepted) return;
    if (THQVtesto* source = w->SourcePage()) view_->CopyPageFrom(*source, w->WithBackground());
    UpdateEditActions();
}

void TMainForm::PageProperties() {
    view_->StorePage();
    int32_t n = CurrentPage();
    int row = pages_->currentRow();
    auto* w = static_cast<TFPropTesto*>(PrepareWindow("fproptesto"));
    if (!w->Load(n)) return;
    if (w->exec() == QDialog::Accepted) {
        view_->ShowPage(*set_, -1);
        RefreshPages();
        pages_->setCurrentRow(row);
        ShowPage(n);
    }
}

QDialog* TMainForm::ShowCachedWindow(const std::string& key, const std::function<QDialog*()>& make) {
    auto it = windows_.find(key);
    QDialog* w = it == windows_.end() ? nullptr : it->second.get();
    if (!w) {
        w = make();
        windows_[key].reset(w);
    }
    if (auto drop = cache_->Show(key); drop && *drop != key) DropWindow(*drop);
    return w;
}

void TMainForm::DropWindow(const std::string& key) {
    // A window that is open (one window may open another) stays until it is
    // shown again or another one goes.
    auto it = windows_.find(key);
    if (it != windows_.end() && !it->second->isVisible()) windows_.erase(it);
}

QDialog* TMainForm::CachedWindow(const std::string& name) const {
    auto it = windows_.find(name);
    return it == windows_.end() ? nullptr : it->second.get();
}

QDialog* TMainForm::PrepareWindow(const std::string& name) {
    if (QDialog* w = PrepareSearchWindow(name)) return w;
    if (name == "fpropiper") {
        auto* w = Cached<TFPropIper>(name, [&] { return new TFPropIper(*set_, store_, this); });
        w->Load();
        return w;
    }
    if (name == "fopzioni") {
        auto* w = Cached<TFOpzioni>(name, [&] { return new TFOpzioni(store_, this); });
        w->Load();
        return w;
    }
    if (name == "fproptesto") {
        auto* w = Cached<TFPropTesto>(name, [&] { return new TFPropTesto(*set_, store_, this); });
        w->Load(CurrentPage());
        return w;
    }
    if (name == "fexport") {
        auto* w = Cached<TFExport>(name, [&] { return new TFExport(*set_, txt_, store_, this); });
        w->Load("");
        return w;
    }
    if (name == "fimport") {
        auto* w = Cached<TFImport>(name, [&] { return new TFImport(txt_, store_, this); });
        w->files->clear();
        w->status->clear();
        return w;
    }
    if (name == "falbum") {
        auto* w = Cached<TFAlbum>(name, [&] {
            auto* a = new TFAlbum(*set_, store_, this);
            a->view = &viewLink_;
            a->changed = [this] { RefreshPages(); };
            a->editPage = [this](int32_t n) {
                auto* p = static_cast<TFPropTesto*>(PrepareWindow("fproptesto"));
                if (p->Load(n) && p->exec() == QDialog::Accepted) RefreshPages();
            };
            return a;
        });
        w->Reload();
        return w;
    }
    if (name == "fcancella") {
        auto* w = Cached<TFCancella>(name, [&] { return new TFCancella(*set_, store_, this); });
        w->view = &viewLink_;
        w->Load({});
        return w;
    }
    if (name == "fnuova" || name == "fincolla") {
        const auto mode = name == "fnuova" ? TFNuova::Mode::New : TFNuova::Mode::Paste;
        auto* w = Cached<TFNuova>(name, [&] { return new TFNuova(*set_, store_, doc_->Folders(), mode, this); });
        w->Load();
        return w;
    }
    if (name == "fstili") {
        auto* w = Cached<TFStili>(name, [&] { return new TFStili(*set_, store_, this); });
        w->SetHistory(history_.get());
        w->Edit(TFStili::Mode::Sheet);
        return w;
    }
    // The character and symbol windows act on the text of the editing view;
    // their commands are enabled with it.
    if (name == "fcarattere") return Cached<TFCarattere>(name, [&] { return new TFCarattere(store_, this); });
    if (name == "fsimbolo") return Cached<TFSimbolo>(name, [&] { return new TFSimbolo(store_, this); });
    if (name == "ferrori") {
        auto* w = Cached<TFErrori>(name, [&] { return new TFErrori(store_, this); });
        w->Load("", {});
        return w;
    }
    return nullptr;
}

void TMainForm::OpenStartFile() {
    set_->NewHypertext();
    std::string last = settings_.ReadOption("LastFile");
    if (!last.empty() && !options_.atStartBlank && std::filesystem::exists(last))
        doc_->OpenAnyFile(last, false);
    else
        doc_->NewDocument();
    RefreshPages();
}

void TMainForm::StartupShow(const app::CommandLine& cmd) {
    app::CleanUpAfterEarlierRuns();
    if (!cmd.file.empty() && std::filesystem::exists(cmd.file)) {
        doc_->OpenAnyFile(cmd.file, false);
        RefreshPages();
    } else {
        OpenStartFile();
    }
    if (cmd.reader) SetEditMode(false);
    if (cmd.init) settings_.EnsurePublishingDefaults();
    // The pending action runs once, after the first showing has finished.
    QTimer::singleShot(300, this, [this, action = cmd.action] {
        switch (action) {
            case app::PendingAction::None:
                app::DetectWordProcessor(settings_, QDate::currentDate().toString(Qt::ISODate).toStdString(),
                                         app::ProbeLibreOffice);
                break;
            case app::PendingAction::Print:
                // Printing is not available yet: the file stays open for the user.
                messages_.Information("La stampa non è ancora disponibile.");
                break;
            case app::PendingAction::PublishServer:
            case app::PendingAction::PublishFtp: break;  // these commands perform no action
        }
    });
}

void TMainForm::closeEvent(QCloseEvent* e) {
    if (!doc_->CloseQuery()) {
        e->ignore();
        return;
    }
    if (!doc_->Unnamed() && std::filesystem::exists(doc_->CurrentName()))
        settings_.WriteOption("LastFile", doc_->CurrentName());
    recent_.Save(settings_);
    e->accept();
}

}  // namespace ovik::ui
