#include "ui/main_window.h"
#include "ui/link_navigator.h"
#include "ui/control_commands.h"
#include "ui/picture_commands.h"
#include "ui/table_commands.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDockWidget>
#include <QInputDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
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
#include "ui/qt_platform.h"
#include "ui/dialogs/hypertext_options.h"
#include "ui/dialogs/new_page.h"
#include "ui/dialogs/page_properties.h"
#include "ui/dialogs/program_options.h"
#include "ui/dialogs/styles.h"
#include "ui/dialogs/paragraph.h"
#include "ui/dialogs/tools_windows.h"
#include "ui/languager.h"
#include "ui/translations.h"
#include "ui/dialogs/dialog_support.h"
#include "ui/undo_popup.h"
#include "ui/spell_support.h"
#include "text/box_attributes.h"
#include "text/text_attributes.h"

namespace ovik::ui {


TMainForm::TMainForm(platform::SettingsStore& store, QWidget* parent)
    : QMainWindow(parent), store_(store), settings_(store), messages_(this) {
    setObjectName("mainform");
    setAcceptDrops(true);  // files dropped on the editor are opened or imported
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
    connect(view_, &TPageView::Unrepresentable, this, [this](const QString& c) {
        status_->setText(Tr("Il carattere \"%1\" (U+%2) non si può scrivere in una pagina: le pagine usano "
                            "il codice Windows-1252.")
                             .arg(c)
                             .arg(uint(c.toUcs4().value(0)), 4, 16, QChar('0')));
    });
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
    pictureCommands_ = new TPictureCommands(*this, store_);
    controlCommands_ = new TControlCommands(*this, store_);
    tableCommands_ = new TTableCommands(*this, store_);
    ApplyBuiltInBlock(this);
    // Another interface language: the caption and the status line follow.
    connect(&LanguageEvents::Instance(), &LanguageEvents::Changed, this, [this] {
        UpdateCaption();
        ShowPageCount();
    });
    UpdateCaption();
    RestoreLayout();
}

void TMainForm::RestoreLayout() {
    resize(900, 650);
    // The placement kept under "forms" when the window last closed, when it
    // still lies on a screen.
    if (auto r = ParsePlacement(store_.ReadOr("forms", "mainform", ""))) {
        resize(r->size());
        for (QScreen* s : QGuiApplication::screens())
            if (s->availableGeometry().intersects(*r)) move(r->topLeft());
    }
    // "NotSaveTool" = "0": the toolbar layout kept under "toolbar".
    if (options_.toolbarFromSettings) {
        const std::string state = store_.ReadOr("toolbar", "layout", "");
        if (!state.empty()) restoreState(QByteArray::fromBase64(QByteArray::fromStdString(state)));
    }
    // The left border panel follows its option, whatever layout was kept.
    if (auto* left = findChild<QToolBar*>("leftbordertoolbar")) left->setVisible(options_.leftBorder);
}

void TMainForm::SaveLayout() {
    store_.Write("forms", "mainform", PlacementText(QRect(pos(), size())));
    store_.Write("toolbar", "layout", saveState().toBase64().toStdString());
}

TMainForm::~TMainForm() {
    set_->UnlinkView(&viewLink_);
    view_->ShowPage(*set_, -1);
}

void TMainForm::ViewLink::StoreAndDropPage() {
    if (w->view_->PageNumber() >= 0) w->lastShown_ = w->view_->PageNumber();
    w->kept_ = {};
    if (THQVbox* box = w->view_->Box())
        w->kept_ = {w->view_->PageNumber(),
                    box->caret.paragraphIndex,
                    box->caret.charIndex,
                    w->view_->horizontalScrollBar()->value(),
                    w->view_->verticalScrollBar()->value(),
                    box->hasSelection,
                    box->selectionAnchor.paragraphIndex,
                    box->selectionAnchor.charIndex,
                    box->selectionEnd.paragraphIndex,
                    box->selectionEnd.charIndex};
    w->view_->StorePage(TPageView::AfterStore::Drop);
    w->view_->ShowPage(*w->set_, -1);
}

void TMainForm::ViewLink::ShowPageAgain() {
    w->RefreshPages();
    // A page deleted meanwhile gives way to page 0 (or the first page there is).
    THQVtesto* p = w->set_->Page(w->lastShown_);
    if (!p || p->IsFree()) w->lastShown_ = w->pageNumbers_.empty() ? -1 : w->pageNumbers_[0];
    w->ShowPage(w->lastShown_);
    // The same page takes back its caret and scroll position.
    THQVbox* box = w->view_->Box();
    if (!box || w->kept_.page != w->lastShown_) return;
    TextPosition at;
    at.paragraphIndex = w->kept_.paragraph;
    at.charIndex = w->kept_.charIndex;
    if (box->IsValid(at)) box->SetCaret(at.paragraphIndex, at.charIndex);
    TextPosition from, to;
    from.paragraphIndex = w->kept_.fromParagraph;
    from.charIndex = w->kept_.fromChar;
    to.paragraphIndex = w->kept_.toParagraph;
    to.charIndex = w->kept_.toChar;
    if (w->kept_.selection && box->IsValid(from) && box->IsValid(to))
        box->Select(box->MakePosition(from.paragraphIndex, from.charIndex),
                    box->MakePosition(to.paragraphIndex, to.charIndex));
    w->view_->horizontalScrollBar()->setValue(w->kept_.x);
    w->view_->verticalScrollBar()->setValue(w->kept_.y);
    w->view_->viewport()->update();
    w->kept_ = {};
}

void TMainForm::ShowSaved(bool ok) {
    if (!ok || doc_->Unnamed() || savedAsText_) return;
    std::error_code ec;
    const std::filesystem::path file = doc_->CurrentName();
    const auto size = std::filesystem::file_size(file, ec);
    const int n = pages_->count();
    status_->setText(Tr("Salvato %1 (%2, %3 byte)")
                         .arg(QString::fromStdString(file.filename().string()),
                              n == 1 ? Tr("1 pagina") : Tr("%1 pagine").arg(n))
                         .arg(ec ? 0 : qulonglong(size)));
}

void TMainForm::ViewLink::DropPage() { w->view_->ShowPage(*w->set_, -1); }

QAction* TMainForm::Action(const QString& objectName) const {
    auto it = actions_.find(objectName);
    return it == actions_.end() ? nullptr : it->second;
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

void TMainForm::AddStyle() {
    THQVbox* box = view_->Box();
    if (!box || view_->ReadOnly()) return;
    std::unique_ptr<THQVoggetto> example = StyleExampleFromText(*box);
    auto* w = static_cast<TFStili*>(PrepareWindow("fstili"));
    if (!w->Edit(TFStili::Mode::Create, nullptr, example.get())) return;
    w->name->setText(Tr("Nuovo stile"));
    if (w->exec() != QDialog::Accepted || !w->Modified()) return;
    const std::string name = w->Modified()->Name();
    RefreshPages();
    view_->ApplyStyle(name);
    UpdateFormatBoxes();
    view_->setFocus();
}

void TMainForm::ChooseParagraph() {
    if (!view_->Box() || view_->ReadOnly()) return;
    auto* w = static_cast<TFParagrafo*>(PrepareWindow("fparagrafo"));
    if (w->exec() != QDialog::Accepted) return;
    view_->Run([w](BoxEditor& e) { w->ApplyChanges(e); });
    view_->setFocus();
}

void TMainForm::ShowWindowList() {
    auto* w = static_cast<TFFinestre*>(PrepareWindow("ffinestre"));
    if (w->exec() != QDialog::Accepted) return;
    const std::string key = w->Chosen();
    // A window comes back through the command that opens it, which fills it
    // and acts on its answer; the others are shown as they are.
    static const std::map<std::string, const char*> commands = {
        {"fpropiper", "HypProperties"}, {"fopzioni", "ToolsOptions"},    {"fproptesto", "FormatPageProperties"},
        {"fexport", "FileExport"},      {"fimport", "FileImport"},       {"falbum", "HypAlbum"},
        {"fnuova", "InsertNewPage"},    {"fincolla", "EditPastePage"},   {"fstili", "FormatStyles"},
        {"fcarattere", "FormatFont"},   {"fsimbolo", "InsertSymbol"},    {"fparagrafo", "FormatParagraph"},
        {"ftoolbars", "ToolsToolbars"}, {"ftrovafile", "FileFind"},      {"fcerca", "SearchFind"},
        {"fkeywords", "HypKeywords"},   {"fordine", "HypOrder"},         {"fslides", "HypSlides"},
    };
    auto it = commands.find(key);
    if (QAction* a = it == commands.end() ? nullptr : Action(it->second); a && a->isEnabled()) {
        a->trigger();
        return;
    }
    if (QDialog* d = CachedWindow(key)) {
        d->show();
        d->raise();
        d->activateWindow();
    }
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
    view_->SetTypographicQuotes(options_.typographicQuotes);
    if (auto* left = findChild<QToolBar*>("leftbordertoolbar")) left->setVisible(options_.leftBorder);
    // The find window follows "CercaTop" when it is shown again.
    if (QDialog* find = CachedWindow("fcerca")) {
        find->hide();
        find->setWindowFlag(Qt::WindowStaysOnTopHint, options_.findOnTop);
    }
    saveReminder_.setInterval(options_.saveReminderMs);
    if (spelling_) spelling_->ApplyOptions();
    doc_->PromemSave = options_.saveReminder;
    doc_->TimeSave = options_.saveReminderMs / 60000;
    if (options_.saveReminder)
        saveReminder_.start();
    else
        saveReminder_.stop();
    // A language chosen in the options window speaks at once in every window.
    if (auto l = app::ParseLanguageSetting(settings_.ReadOption(app::kLanguageOption)); l && *l != CurrentLanguage())
        SetInterfaceLanguage(*l);
}

void TMainForm::WireDocument() {
    app::DocumentUi& ui = doc_->ui;
    ui.askSaveName = [this](const app::SaveDialogRequest& r) -> std::optional<app::SaveDialogResult> {
        QString start = QString::fromStdString((r.folder / r.proposedName).string());
        // The types that can be written today; the text filter saves the
        // page shown through the text converter.
        const QString hypertext = Tr("Salva ipertesto oVik (*.hqv)");
        const QString text = Tr("Salva pagina corrente in TXT (*.txt *.asc *.c *.pas)");
        QString filter = r.asTemplate ? hypertext : hypertext + ";;" + text + ";;" + Tr("Tutti i files (*)");
        QString chosenFilter;
        QString name = QFileDialog::getSaveFileName(this, Tr(r.asTemplate ? "Salva come modello" : "Salva con nome"), start,
                                                    filter, &chosenFilter);
        if (name.isEmpty()) return std::nullopt;
        const bool asText = !r.asTemplate && chosenFilter == text;
        if (QFileInfo(name).suffix().isEmpty()) name += asText ? ".txt" : ".hqv";
        return app::SaveDialogResult{name.toStdString(), asText ? app::SaveType::Text : app::SaveType::Hypertext};
    };
    ui.exportFile = [this](const std::filesystem::path& name, app::SaveType type) {
        if (type != app::SaveType::Text) {
            messages_.Information("Formato non disponibile.");
            return false;
        }
        view_->StorePage();
        const int32_t page = view_->PageNumber() >= 0 ? view_->PageNumber() : CurrentPage();
        txt_.ExportFileName = name;
        const bool ok = page >= 0 && txt_.ExportPage(page);
        savedAsText_ = ok;
        std::error_code ec;
        if (ok)
            status_->setText(Tr("Salvato %1 (1 pagina, %2 byte)")
                                 .arg(QString::fromStdString(name.filename().string()))
                                 .arg(qulonglong(std::filesystem::file_size(name, ec))));
        return ok;
    };
    // The new-hypertext window: an empty hypertext or one of the hypertext
    // templates (an empty path stands for the empty hypertext).
    ui.askNewFrom = [this]() -> std::optional<std::filesystem::path> {
        const QString empty = Tr("Ipertesto vuoto");
        QStringList choices{empty};
        std::vector<std::filesystem::path> files;
        std::error_code ec;
        const std::filesystem::path folder = doc_->Folders().HypTemplates();
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
            if (entry.path().extension() != ".hqv") continue;
            files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        for (const auto& f : files) choices << QString::fromStdString(f.stem().string());
        bool ok = false;
        const QString chosen = QInputDialog::getItem(this, Tr("Nuovo ipertesto"), Tr("Modello:"), choices, 0, false, &ok);
        if (!ok) return std::nullopt;
        const qsizetype i = choices.indexOf(chosen);
        return i <= 0 ? std::filesystem::path() : files[size_t(i - 1)];
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
        const int32_t first = txt_.ImportFiles({f}, 1);
        return ShowImported(txt_.Report, first);
    };
    ui.openHtml = [this](const std::filesystem::path& f) { OpenHtml(f); };
    ui.stopReminder = [this] { saveReminder_.stop(); };
    ui.startReminder = [this] {
        if (options_.saveReminder) saveReminder_.start();
    };
    ui.viewShowStartPage = [this](bool preview) {
        SetEditMode(!preview);
        // A hypertext without pages (a new one) gets its start page, ready
        // for typing; a page nobody typed in leaves the hypertext unchanged.
        bool anyPage = false;
        for (int32_t n = 0; n < set_->ObjectCount(testoHtml) && !anyPage; ++n)
            if (THQVtesto* p = set_->Page(n); p && !p->IsFree()) anyPage = true;
        if (!preview && !anyPage) {
            const bool modified = set_->Modified();
            set_->AddNewObject(testoHtml);
            set_->SetModified(modified);
        }
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

void TMainForm::ShowPageCount() {
    const int n = pages_->count();
    status_->setText(n == 1 ? Tr("1 pagina") : Tr("%1 pagine").arg(n));
}

QString TMainForm::CaptionText() const { return QString::fromStdString(doc_->Caption()); }

void TMainForm::UpdateCaption() { setWindowTitle(Tr(CaptionText())); }

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
    ShowPageCount();
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
    auto* w = static_cast<TFExport*>(PrepareWindow("fexport"));
    if (w->exec() == QDialog::Accepted) ShowExported(w->Request());
}

void TMainForm::ShowExported(const ExportRequest& r) {
    const QString pages = r.pages.size() == 1 ? Tr("1 pagina") : Tr("%1 pagine").arg(r.pages.size());
    std::error_code ec;
    if (r.mode == 0) {
        status_->setText(Tr("Esportate %1 in %2").arg(pages, QString::fromStdString(r.folder.string())));
        return;
    }
    const std::filesystem::path file = r.folder / std::filesystem::path(r.mainFileName).filename();
    const auto size = std::filesystem::file_size(file, ec);
    status_->setText(Tr("Esportato %1 (%2, %3 byte)")
                         .arg(QString::fromStdString(file.filename().string()), pages)
                         .arg(ec ? 0 : qulonglong(size)));
}

void TMainForm::PublishHtml() {
    view_->StorePage();
    auto* w = static_cast<TFExport*>(PrepareWindow("fexport"));
    w->SelectMode(0);
    if (w->exec() == QDialog::Accepted) ShowExported(w->Request());
}

void TMainForm::PreviewInBrowser(bool all) {
    view_->StorePage();
    THQVtoHtml html(set_.get());
    html.LoadOptions(store_);
    html.ExportPath = set_->TempFolder() / "anteprima";
    const std::filesystem::path file = html.ExportPreview(CurrentPage(), all);
    if (file.empty()) {
        set_->Messages().Error(html.LastError);
        return;
    }
    links_->Shell().OpenFile(file);
}

void TMainForm::ImportPages() { ImportPages({}); }

bool TMainForm::ShowImported(const ImportReport& report, int32_t first) {
    if (report.pagesMade > 0) set_->SetModified(true);
    if (std::vector<std::string> lines = report.Lines(); !lines.empty()) {
        // The errors window shows Windows-1252 text; the report is UTF-8.
        for (std::string& l : lines) l = cp1252::FromUtf8(l);
        auto* w = static_cast<TFErrori*>(PrepareWindow("ferrori"));
        w->Load(cp1252::FromUtf8(TFImport::kReportTitle), lines);
        w->exec();
    }
    RefreshPages();
    if (report.pagesMade > 0) ShowPage(first);
    return report.pagesMade > 0;
}

void TMainForm::ImportPages(const QStringList& files) {
    auto* w = static_cast<TFImport*>(PrepareWindow("fimport"));
    w->AddFiles(files);
    if (w->exec() != QDialog::Accepted) return;
    RefreshPages();
    // The first page made is shown.
    if (w->FirstImported() >= 0) ShowPage(w->FirstImported());
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
        auto* w = Cached<TFStili>(name, [&] {
            auto* made = new TFStili(*set_, store_, this);
            // The page behind the window shows each stored change at once.
            connect(made, &TFStili::StyleStored, this, [this] { RelayOutPage(); });
            return made;
        });
        w->SetHistory(history_.get());
        w->Edit(TFStili::Mode::Sheet);
        return w;
    }
    // The character and symbol windows act on the text of the editing view;
    // their commands are enabled with it.
    if (name == "fcarattere") return Cached<TFCarattere>(name, [&] { return new TFCarattere(store_, this); });
    if (name == "fsimbolo") return Cached<TFSimbolo>(name, [&] { return new TFSimbolo(store_, this); });
    if (name == "fparagrafo") {
        auto* w = Cached<TFParagrafo>(name, [&] { return new TFParagrafo(store_, this); });
        if (THQVbox* box = view_->Box()) w->Load(TFParagrafo::FromBox(*box), view_->Measurer().PixelsPerInch());
        return w;
    }
    if (name == "ftoolbars") {
        auto* w = Cached<TFToolbars>(name, [&] { return new TFToolbars(*this, store_, this); });
        w->Load();
        return w;
    }
    if (name == "ffinestre") {
        auto* w = Cached<TFFinestre>(name, [&] { return new TFFinestre(store_, this); });
        std::vector<std::pair<std::string, QString>> open;
        for (const std::string& key : cache_->Order())
            if (key != name)
                if (QDialog* d = CachedWindow(key)) open.emplace_back(key, d->windowTitle());
        w->Load(open);
        return w;
    }
    if (name == "ftrovafile") {
        auto* w = Cached<TFTrovaFile>(name, [&] { return new TFTrovaFile(store_, this); });
        w->Load(doc_->Unnamed() ? QString::fromStdString(doc_->Folders().Samples().string())
                                : QFileInfo(QString::fromStdString(doc_->CurrentName())).path());
        return w;
    }
    if (name == "fsuggerimenti") {
        auto* w = Cached<TFSuggerimenti>(name, [&] { return new TFSuggerimenti(store_, this); });
        w->Load();
        return w;
    }
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
    // The tips window, unless switched off or an action is pending.
    if (!options_.autoHideTip && cmd.action == app::PendingAction::None) {
        QDialog* tips = PrepareWindow("fsuggerimenti");
        tips->show();
        tips->raise();
    }
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
    SaveLayout();
    e->accept();
}

}  // namespace ovik::ui
