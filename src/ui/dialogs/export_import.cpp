#include "ui/dialogs/export_import.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMimeData>
#include <QShortcut>
#include <QStandardItemModel>
#include <QToolButton>
#include <QVBoxLayout>

#include "convert/auto_imports.h"
#include "core/codepage.h"
#include "platform/messages.h"
#include "ui/dialogs/errors.h"
#include "ui/translations.h"

namespace ovik::ui {

bool ExportModeAvailable(int mode) { return mode == 4 || mode == 0; }
bool ImportModeAvailable(int mode) { return mode == 4 || mode == 0; }

namespace fs = std::filesystem;

bool RunExport(THQVtoTxt& txt, const ExportRequest& r, std::string& error, THQVtoHtml* html) {
    error.clear();
    if (!ExportModeAvailable(r.mode)) {
        error = "Formato non disponibile.";
        return false;
    }
    std::error_code ec;
    if (r.folder.empty() || (!fs::is_directory(r.folder, ec) && !fs::create_directories(r.folder, ec)) ||
        !fs::is_directory(r.folder, ec)) {
        error = "Errore nella creazione directory: \"" + r.folder.string() + "\" controlla la linguetta \"path\".";
        return false;
    }
    if (r.mode == 0) {
        THQVtoHtml own(txt.LinkedHQVset);
        THQVtoHtml& h = html ? *html : own;
        if (txt.LinkedHQVset) h.ExportPrefix = txt.LinkedHQVset->ExpPrefix();
        h.ExportPath = r.folder;
        h.OnExpProgress = txt.OnExpProgress;
        const bool ok = h.ExportSite(r.pages);
        h.OnExpProgress = nullptr;
        if (!ok) error = h.LastError;
        return ok;
    }
    // Only the file part of the main name counts: the file stays in the folder.
    fs::path name = fs::path(r.mainFileName).filename();
    std::string n = name.string();
    if (n.empty() || n == "." || n == "..") {
        error = "Nome file non valido!";
        return false;
    }
    txt.ExportPath = r.folder / "";
    txt.ExportFileName = r.folder / name;
    txt.Encoding = r.utf8 ? THQVtoTxt::TextEncoding::Utf8 : THQVtoTxt::TextEncoding::Windows1252;
    txt.CrLf = !r.utf8;
    const bool written = txt.ExportPages(r.pages);
    txt.Encoding = THQVtoTxt::TextEncoding::Windows1252;
    txt.CrLf = true;
    if (!written) {
        error = txt.LastError.empty() ? "Errore nella scrittura file " + txt.ExportFileName.string() : txt.LastError;
        return false;
    }
    return true;
}

namespace {
// Progress goes to the window's status line.
THQVconv::TMyExpProgressEvent ProgressInto(QLabel* status) {
    return [status](THQVconv&, int32_t pag, int32_t tot, int32_t phase) {
        status->setText(QString::fromStdString(ExportProgressText(pag, tot, phase)));
        QApplication::processEvents();
    };
}

QPushButton* AddButton(QDialogButtonBox* box, const char* text, const char* name, QDialogButtonBox::ButtonRole role) {
    return Named(box->addButton(text, role), name);
}

void FillModes(QComboBox* combo, const std::vector<ConvMode>& modes, bool (*available)(int)) {
    combo->clear();
    auto* model = qobject_cast<QStandardItemModel*>(combo->model());
    for (const ConvMode& m : modes) {
        AddMessageItem(combo, QString::fromUtf8(m.entry), m.mode);
        if (!available(m.mode)) model->item(combo->count() - 1)->setEnabled(false);
    }
}
}  // namespace

TFExport::TFExport(THQVset& set, THQVtoTxt& txt, platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "fexport", parent), set_(set), txt_(txt), html_(&set) {
    setWindowTitle("Esportazione");
    auto* listLabel = NamedLabel("Pagine da esportare:", "lpagine");
    pages = new QListWidget;
    listLabel->setBuddy(pages);
    auto* all = Named(new QPushButton("Tutte"), "btutte");
    connect(all, &QPushButton::clicked, this, &TFExport::ToggleAll);

    auto* form = new QFormLayout;
    format = new QComboBox;
    auto* fl = NamedLabel("Scegli formato:", "lformato");
    htmlOptions = Named(new QPushButton("Html..."), "bhtml");
    connect(htmlOptions, &QPushButton::clicked, this, &TFExport::EditHtmlOptions);
    auto* fw0 = new QWidget;
    auto* fh0 = new QHBoxLayout(fw0);
    fh0->setContentsMargins(0, 0, 0, 0);
    fh0->addWidget(format, 1);
    fh0->addWidget(htmlOptions);
    form->addRow(fl, fw0);
    folder = new QLineEdit;
    auto* browse = new QToolButton;
    browse->setText("...");
    auto* fw = new QWidget;
    auto* fh = new QHBoxLayout(fw);
    fh->setContentsMargins(0, 0, 0, 0);
    fh->addWidget(folder, 1);
    fh->addWidget(browse);
    auto* dl = NamedLabel("Directory per i files esportati:", "ldirectory");
    form->addRow(dl, fw);
    dl->setBuddy(folder);
    mainFileName = new QLineEdit;
    auto* nl = NamedLabel("Nome file principale:", "lnomefile");
    form->addRow(nl, mainFileName);
    encoding = Named(new QComboBox, "cbcodifica");
    encoding->addItems({"Windows-1252", "UTF-8"});
    form->addRow(NamedLabel("Codifica del testo:", "lcodifica"), encoding);
    SetBuddies(form);
    connect(browse, &QToolButton::clicked, this, [this] {
        QString d = QFileDialog::getExistingDirectory(this, Tr("Directory per i files esportati:"), folder->text());
        if (!d.isEmpty()) folder->setText(d);
    });

    status = new QLabel;
    auto* box = new QDialogButtonBox;
    auto* go = AddButton(box, "&Esporta", "besporta", QDialogButtonBox::AcceptRole);
    auto* close = AddButton(box, "&Chiudi", "bchiudi", QDialogButtonBox::RejectRole);
    connect(go, &QPushButton::clicked, this, [this] {
        if (Export()) accept();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(listLabel, 0, 0);
    grid->addWidget(pages, 1, 0, 2, 1);
    grid->addWidget(all, 1, 1, Qt::AlignTop);
    grid->addLayout(form, 3, 0, 1, 2);
    grid->addWidget(status, 4, 0, 1, 2);
    grid->addWidget(box, 5, 0, 1, 2);
    grid->setRowStretch(2, 1);
    resize(560, 440);
    FinishCreation();
    FillModes(format, ExportModes(false), ExportModeAvailable);
    connect(format, &QComboBox::activated, this, [this](int) {
        SelectMode(Mode());
        mainFileName->setText(QString::fromStdString(MainFileNameFor(Mode(), set_.HQVFileName().empty()
                                                                                  ? fs::path("senza titolo.hqv")
                                                                                  : set_.HQVFileName())));
    });
}

int TFExport::Mode() const { return format->currentData().toInt(); }

void TFExport::SelectMode(int mode) {
    int i = format->findData(mode);
    if (i >= 0) format->setCurrentIndex(i);
    ExportModeSettings s = ExportModeSettings::Load(Store(), mode);
    folder->setText(QString::fromStdString(s.expPathInWindow.string()));
    htmlOptions->setEnabled(Mode() == 0);
    encoding->setEnabled(Mode() == 4);
    encoding->setCurrentIndex(Store().ReadOr(ExportSection(mode), "codifica", "") == "utf-8" ? 1 : 0);
}

void TFExport::Load(const std::string& proposedFile) {
    pages->clear();
    for (int32_t n = 0; n < set_.ObjectCount(testoHtml); ++n) {
        THQVtesto* p = set_.Page(n);
        if (!p || p->IsFree()) continue;
        auto* item = new QListWidgetItem(QString("%1  %2").arg(n).arg(FromCp(p->Title())), pages);
        item->setData(Qt::UserRole, n);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    allChecked_ = true;
    int mode = proposedFile.empty() ? -1 : ModeForFileName(ExportModes(false), proposedFile);
    if (mode < 0 || !ExportModeAvailable(mode)) mode = 4;
    SelectMode(mode);
    fs::path hyp = set_.HQVFileName().empty() ? fs::path("senza titolo.hqv") : set_.HQVFileName();
    if (!proposedFile.empty()) {
        fs::path p(proposedFile);
        if (p.has_parent_path()) folder->setText(QString::fromStdString(p.parent_path().string()));
        mainFileName->setText(QString::fromStdString(p.filename().string()));
    } else {
        mainFileName->setText(QString::fromStdString(MainFileNameFor(mode, hyp)));
    }
    status->clear();
}

void TFExport::ToggleAll() {
    allChecked_ = !allChecked_;
    for (int i = 0; i < pages->count(); ++i) pages->item(i)->setCheckState(allChecked_ ? Qt::Checked : Qt::Unchecked);
}

ExportRequest TFExport::Request() const {
    ExportRequest r;
    r.mode = Mode();
    r.folder = folder->text().toStdString();
    r.mainFileName = mainFileName->text().toStdString();
    r.utf8 = encoding->currentIndex() == 1;
    for (int i = 0; i < pages->count(); ++i) {
        QListWidgetItem* it = pages->item(i);
        int32_t n = it->data(Qt::UserRole).toInt();
        THQVtesto* p = set_.Page(n);
        if (it->checkState() == Qt::Checked && p && !p->IsFree()) r.pages.push_back(n);
    }
    return r;
}

bool TFExport::Export() {
    ExportRequest r = Request();
    txt_.OnExpProgress = ProgressInto(status);
    std::string error;
    html_.LoadOptions(Store());
    bool ok = RunExport(txt_, r, error, &html_);
    txt_.OnExpProgress = nullptr;
    if (!ok) {
        set_.Messages().Error(error);
        return false;
    }
    ExportModeSettings s = ExportModeSettings::Load(Store(), r.mode);
    s.expPathInWindow = r.folder;
    s.Save(Store(), r.mode);
    if (r.mode == 4) Store().Write(ExportSection(r.mode), "codifica", r.utf8 ? "utf-8" : "windows-1252");
    status->setText(Tr("Esportate %1 pagine.").arg(r.pages.size()));
    return true;
}

bool TFExport::EditHtmlOptions() {
    TFHtmlOptions options(html_, Store(), this);
    options.Load();
    if (options.exec() != QDialog::Accepted) return false;
    options.Apply();
    return true;
}

TFHtmlOptions::TFHtmlOptions(THQVtoHtml& html, platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "fopzionihtml", parent), html_(html) {
    setWindowTitle("Opzioni");
    auto* tabs = new QTabWidget;
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    sepImage = Named(new QCheckBox("Immagini in dir separata"), "cbsepimage");
    origName = Named(new QCheckBox("nomi originali per img e files"), "cborigname");
    autoAlt = Named(new QCheckBox("genera autom. \"alt\" per zone"), "cbalt");
    html5 = Named(new QCheckBox("HTML5 UTF-8"), "cbhtml5");
    extension = Named(new QComboBox, "cbext");
    extension->addItem(".htm", 0);
    extension->addItem(".html", 1);
    auto* eh = new QHBoxLayout;
    auto* el = NamedLabel("Estensione per files di pagina: ", "lext");
    el->setBuddy(extension);
    eh->addWidget(el);
    eh->addWidget(extension);
    eh->addStretch(1);
    v->addWidget(sepImage);
    v->addWidget(origName);
    v->addLayout(eh);
    v->addWidget(autoAlt);
    v->addWidget(html5);
    v->addStretch(1);
    tabs->setObjectName("schede");
    tabs->addTab(page, "Esportazione HTML");
    auto* box = new QDialogButtonBox;
    auto* ok = AddButton(box, "Ok", "bok", QDialogButtonBox::AcceptRole);
    auto* cancel = AddButton(box, "Annulla", "bannulla", QDialogButtonBox::RejectRole);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* grid = new QVBoxLayout(this);
    grid->addWidget(tabs);
    grid->addWidget(box);
    FinishCreation();
}

void TFHtmlOptions::Load() {
    html_.LoadOptions(Store());
    if (html_.LinkedHQVset) html_.ExportPrefix = html_.LinkedHQVset->ExpPrefix();
    sepImage->setChecked(html_.ExpSepImage);
    origName->setChecked(html_.ExpOrigName);
    autoAlt->setChecked(html_.AutoAlt);
    extension->setCurrentIndex(html_.ExpTipoExt == 1 ? 1 : 0);
    html5->setChecked(html_.Html5);
}

void TFHtmlOptions::Apply() {
    html_.ExpSepImage = sepImage->isChecked();
    html_.ExpOrigName = origName->isChecked();
    html_.AutoAlt = autoAlt->isChecked();
    html_.ExpTipoExt = extension->currentIndex() == 1 ? 1 : 0;
    html_.Html5 = html5->isChecked();
    html_.SaveOptions(Store());
}

TFImport::TFImport(THQVtoTxt& txt, platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "fimport", parent), txt_(txt), html_(txt.LinkedHQVset) {
    setWindowTitle("Importazione");
    setAcceptDrops(true);
    auto* fl = NamedLabel("Scegli uno o più files da importare:", "lfiles");
    files = new QListWidget;
    files->setSelectionMode(QAbstractItemView::ExtendedSelection);
    fl->setBuddy(files);
    auto* add = Named(new QPushButton("&Aggiungi..."), "baggiungi");
    auto* remove = Named(new QPushButton("&Rimuovi"), "brimuovi");
    connect(add, &QPushButton::clicked, this, [this] {
        QString masks;
        for (const ConvMode& m : ImportModes(false))
            if (m.mode == Mode()) masks = QString(m.masks).replace(";", " ").trimmed();
        AddFiles(QFileDialog::getOpenFileNames(this, Tr("Importazione"), QString(),
                                               masks.isEmpty() ? "Tutti i files (*)" : masks + ";;Tutti i files (*)"));
    });
    connect(remove, &QPushButton::clicked, this, [this] { qDeleteAll(files->selectedItems()); });
    auto* filesPage = new QWidget;
    auto* filesGrid = new QGridLayout(filesPage);
    filesGrid->addWidget(fl, 0, 0);
    filesGrid->addWidget(files, 1, 0, 3, 1);
    filesGrid->addWidget(add, 1, 1);
    filesGrid->addWidget(remove, 2, 1);
    filesGrid->setRowStretch(3, 1);

    // Following the links from a start file.
    auto* followPage = new QWidget;
    startFile = new QLineEdit;
    auto* sl = NamedLabel("Parti da:", "lpartida", startFile);
    auto* pick = Named(new QPushButton("..."), "bparti");
    connect(pick, &QPushButton::clicked, this, [this] {
        QString f = QFileDialog::getOpenFileName(this, Tr("Importazione"), startFile->text(),
                                                 "Files Html (*.htm *.html)");
        if (!f.isEmpty()) startFile->setText(f);
    });
    levels = new QSpinBox;
    levels->setRange(0, 200);
    levels->setValue(2);
    auto* ll = NamedLabel("Esamina n°", "lesamina", levels);
    auto* note = NamedLabel("livelli, a partire dalla pagina originale (usare Determina lista per aggiornare).",
                            "lnota");
    note->setWordWrap(true);
    auto* determine = Named(new QPushButton("Determina lista"), "bdetermina");
    connect(determine, &QPushButton::clicked, this, [this] { DetermineList(); });
    followList = new QListWidget;
    followList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* fll = NamedLabel("Le pagine importate saranno:", "lpagine", followList);
    followCount = new QLabel("(0)");
    auto* del = new QShortcut(QKeySequence::Delete, followList, nullptr, nullptr, Qt::WidgetShortcut);
    connect(del, &QShortcut::activated, this, [this] {
        qDeleteAll(followList->selectedItems());
        followCount->setText(QString("(%1)").arg(followList->count()));
    });
    auto* followGrid = new QGridLayout(followPage);
    followGrid->addWidget(sl, 0, 0);
    followGrid->addWidget(startFile, 0, 1);
    followGrid->addWidget(pick, 0, 2);
    followGrid->addWidget(ll, 1, 0);
    followGrid->addWidget(levels, 1, 1, Qt::AlignLeft);
    followGrid->addWidget(note, 2, 0, 1, 3);
    followGrid->addWidget(determine, 3, 0);
    followGrid->addWidget(fll, 4, 0, 1, 2);
    followGrid->addWidget(followCount, 4, 2);
    followGrid->addWidget(followList, 5, 0, 1, 3);
    followGrid->setRowStretch(5, 1);

    tabs = Named(new QTabWidget, "schede");
    tabs->addTab(filesPage, "Files");
    tabs->addTab(followPage, "Importa seguendo automaticamente i collegamenti");
    connect(tabs, &QTabWidget::currentChanged, this, [this](int t) {
        // Links are followed between HTML files.
        if (t == FollowTab) format->setCurrentIndex(std::max(0, format->findData(0)));
    });

    auto* form = new QFormLayout;
    format = new QComboBox;
    auto* fo = NamedLabel("Scegli formato:", "lformato");
    form->addRow(fo, format);
    backColour = new ColourButton;
    backColour->SetColour(0xFFFFFF);
    auto* bl = NamedLabel("Colore sfondo:", "lsfondo");
    form->addRow(bl, backColour);
    SetBuddies(form);
    status = new QLabel;
    auto* box = new QDialogButtonBox;
    auto* go = AddButton(box, "&Importa", "bimporta", QDialogButtonBox::AcceptRole);
    auto* close = AddButton(box, "A&nnulla", "bannulla", QDialogButtonBox::RejectRole);
    connect(go, &QPushButton::clicked, this, [this] {
        firstImported_ = Import();
        if (firstImported_ >= 0) accept();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* grid = new QGridLayout(this);
    grid->addWidget(tabs, 0, 0, 1, 2);
    grid->addLayout(form, 4, 0, 1, 2);
    grid->addWidget(status, 5, 0, 1, 2);
    grid->addWidget(box, 6, 0, 1, 2);
    grid->setRowStretch(0, 1);
    resize(560, 440);
    FinishCreation();
    FillModes(format, ImportModes(false), ImportModeAvailable);
    // The first format is RTF, whose converter is not there yet: the text
    // format is chosen instead.
    format->setCurrentIndex(std::max(0, format->findData(4)));
}

void TFImport::DetermineList() {
    followList->clear();
    const QString start = startFile->text().trimmed();
    if (!start.isEmpty()) {
        const fs::path first = fs::absolute(fs::path(start.toStdString())).lexically_normal();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const std::vector<fs::path> files = LinkedImportList(first, levels->value());
        QApplication::restoreOverrideCursor();
        for (const fs::path& f : files) followList->addItem(QString::fromStdString(f.string()));
    }
    followCount->setText(QString("(%1)").arg(followList->count()));
}

void TFImport::FollowLinksFrom(const fs::path& start) {
    startFile->setText(QString::fromStdString(start.string()));
    tabs->setCurrentIndex(FollowTab);
    DetermineList();
}

int TFImport::Mode() const { return format->currentData().toInt(); }

void TFImport::AddFiles(const QStringList& list) {
    for (const QString& f : list) {
        if (f.isEmpty() || !files->findItems(f, Qt::MatchExactly).isEmpty()) continue;
        files->addItem(f);
    }
    // A list of HTML files only is imported as HTML.
    bool allHtml = files->count() > 0;
    for (int i = 0; i < files->count(); ++i) {
        const QString name = files->item(i)->text().toLower();
        allHtml = allHtml && (name.endsWith(".htm") || name.endsWith(".html"));
    }
    if (allHtml && format->findData(0) >= 0) format->setCurrentIndex(format->findData(0));
}

void TFImport::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void TFImport::dropEvent(QDropEvent* e) {
    QStringList list;
    for (const QUrl& u : e->mimeData()->urls())
        if (u.isLocalFile()) list << u.toLocalFile();
    AddFiles(list);
}

int32_t TFImport::Import() {
    THQVset& set = *txt_.LinkedHQVset;
    const bool follow = tabs->currentIndex() == FollowTab;
    if (follow && followList->count() == 0) DetermineList();
    QListWidget* source = follow ? followList : files;
    if (source->count() == 0) {
        set.Messages().Information("Occorre scegliere almeno un file");
        return -1;
    }
    const int mode = follow ? 0 : Mode();
    if (!ImportModeAvailable(mode)) {
        set.Messages().Information("Formato non disponibile.");
        return -1;
    }
    std::vector<fs::path> list;
    for (int i = 0; i < source->count(); ++i) list.push_back(source->item(i)->text().toStdString());
    THQVconv& conv = mode == 0 ? static_cast<THQVconv&>(html_) : txt_;
    html_.LinkedHQVset = &set;
    html_.ImpPreview = false;
    conv.ImportBackColor = backColour->Colour();
    conv.ImportBackPicture = nullptr;
    conv.OnExpProgress = ProgressInto(status);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    int32_t first = conv.ImportFiles(list, 1);
    // Links between the imported files lead to their pages.
    if (mode == 0) ResolveAutoImports(set);
    QApplication::restoreOverrideCursor();
    conv.OnExpProgress = nullptr;
    conv.ImportBackColor = 0xFFFFFF;
    const ImportReport& report = conv.Report;
    if (report.pagesMade > 0) set.SetModified(true);
    if (std::vector<std::string> lines = report.Lines(); !lines.empty()) {
        if (ShowReport) {
            ShowReport(kReportTitle, lines);
        } else {
            // The errors window shows Windows-1252 text; the report is UTF-8.
            for (std::string& l : lines) l = cp1252::FromUtf8(l);
            TFErrori w(Store(), this);
            w.Load(cp1252::FromUtf8(kReportTitle), lines);
            w.exec();
        }
    }
    return report.pagesMade > 0 ? first : -1;
}

}  // namespace ovik::ui
