#include "ui/dialogs/links.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <cstring>

#include "app/album.h"
#include "core/codepage.h"
#include "core/file_names.h"
#include "links/follow.h"
#include "links/link_address.h"
#include "ui/page_view.h"
#include "ui/translations.h"

namespace ovik::ui {

namespace {
QWidget* Page(QLayout* layout, const char* name) {
    auto* w = new QWidget;
    w->setObjectName(name);
    w->setLayout(layout);
    return w;
}
}  // namespace

// --- TFCollega -------------------------------------------------------------------------------

TFCollega::TFCollega(THQVset& set, platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "fcollega", parent), set_(set) {
    setWindowTitle("Collega a...");
    tabs = Named(new QTabWidget, "tabs");

    pages = Named(new QListWidget, "lpagine");
    anchor = Named(new QSpinBox, "eancora");
    anchor->setRange(-1, 0x7FFFFFFF);
    anchor->setSpecialValueText("nessuna");
    anchor->setValue(-1);
    auto* pv = new QVBoxLayout;
    pv->addWidget(pages, 1);
    auto* af = new QFormLayout;
    af->addRow(NamedLabel("&Ancora:", "lancora", anchor), anchor);
    pv->addLayout(af);
    tabs->addTab(Page(pv, "tpagina"), "Pagina dell'ipertesto");

    otherFile = Named(new QLineEdit, "efile");
    browse = Named(new QPushButton("&Sfoglia..."), "bsfoglia");
    otherPage = Named(new QSpinBox, "epagina");
    otherPage->setRange(0, 0xFFFFFF);
    auto* of = new QGridLayout;
    of->addWidget(NamedLabel("&File:", "lfile", otherFile), 0, 0);
    of->addWidget(otherFile, 0, 1);
    of->addWidget(browse, 0, 2);
    of->addWidget(NamedLabel("&Pagina:", "lpagina", otherPage), 1, 0);
    of->addWidget(otherPage, 1, 1);
    // The other hypertext's pages, the chosen one previewed beside them.
    otherPages = Named(new QListWidget, "laltrepagine");
    otherView = Named(new TPageView, "anteprima");
    otherView->SetReadOnly(true);
    otherView->setMinimumSize(260, 160);
    otherStatus = new QLabel;  // what went wrong opening the file: no fixed text
    otherStatus->setWordWrap(true);
    auto* browsed = new QHBoxLayout;
    browsed->addWidget(otherPages, 1);
    browsed->addWidget(otherView, 2);
    of->addLayout(browsed, 2, 0, 1, 3);
    of->addWidget(otherStatus, 3, 0, 1, 3);
    of->setRowStretch(2, 1);
    connect(browse, &QPushButton::clicked, this, [this] {
        QString f = QFileDialog::getOpenFileName(this, Tr("Ipertesto"), QString(), Tr("Ipertesti (*.hqv *.HQV)"));
        if (f.isEmpty()) return;
        otherFile->setText(f);
        BrowseOther(f);
    });
    connect(otherFile, &QLineEdit::editingFinished, this, [this] { BrowseOther(otherFile->text()); });
    connect(otherPages, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (!item || !other_) return;
        const int32_t n = item->data(Qt::UserRole).toInt();
        {
            QSignalBlocker block(otherPage);
            otherPage->setValue(n);
        }
        otherView->ShowPage(*other_, n);
    });
    connect(otherPage, &QSpinBox::valueChanged, this, [this](int n) { ChooseOtherPage(n); });
    tabs->addTab(Page(of, "taltro"), "Pagina di altro ipertesto");

    addresses = Named(new QListWidget, "lindirizzi");
    prefix = Named(new QComboBox, "cprefisso");
    for (const auto& p : links::kAddressPrefixes) prefix->addItem(p.caption, QString(p.prefix));
    address = Named(new QLineEdit, "eindirizzo");
    add = Named(new QPushButton("A&ggiungi"), "baggiungi");
    connect(prefix, &QComboBox::activated, this, [this](int i) {
        const QString p = prefix->itemData(i).toString();
        QString text = address->text();
        for (const auto& known : links::kAddressPrefixes)
            if (text.startsWith(known.prefix)) text.remove(0, int(std::strlen(known.prefix)));
        address->setText(p + text);
    });
    connect(add, &QPushButton::clicked, this, [this] {
        if (THQVoggetto* o = RegisterAddress(ToCp(address->text()))) {
            auto* item = new QListWidgetItem(FromCp(o->Name()), addresses);
            item->setData(Qt::UserRole, o->Id());
            addresses->setCurrentItem(item);
        }
    });
    connect(addresses, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item) address->setText(item->text());
    });
    auto* av = new QVBoxLayout;
    av->addWidget(addresses, 1);
    auto* ah = new QHBoxLayout;
    ah->addWidget(prefix);
    ah->addWidget(address, 1);
    ah->addWidget(add);
    av->addLayout(ah);
    tabs->addTab(Page(av, "tindirizzo"), "Indirizzo internet - programma");

    files = Named(new QListWidget, "lfiles");
    fromDisk = Named(new QPushButton("Da &disco..."), "bdadisco");
    connect(fromDisk, &QPushButton::clicked, this, [this] {
        QString f = QFileDialog::getOpenFileName(this, "File");
        if (f.isEmpty()) return;
        if (THQVoggetto* o = set_.AddEmbeddedFile(f.toStdString())) {
            auto* item = new QListWidgetItem(FromCp(o->FileName()), files);
            item->setData(Qt::UserRole, o->Id());
            files->setCurrentItem(item);
        }
    });
    auto* fv = new QVBoxLayout;
    fv->addWidget(files, 1);
    fv->addWidget(fromDisk, 0, Qt::AlignLeft);
    tabs->addTab(Page(fv, "tfile"), "File incorporato");

    newTitle = Named(new QLineEdit, "etitolo");
    auto* nf = new QFormLayout;
    nf->addRow(NamedLabel("&Titolo:", "ltitolo", newTitle), newTitle);
    tabs->addTab(Page(nf, "tnuova"), "Nuova pagina");

    auto* v = new QVBoxLayout(this);
    v->addWidget(tabs, 1);
    v->addWidget(OkCancelBox(this, [] {}));
    resize(680, 400);
    FinishCreation();
}

void TFCollega::Load(int32_t currentPage, bool anchorMode) {
    pages->clear();
    addresses->clear();
    files->clear();
    for (int32_t n = 0; n < set_.ObjectCount(testoHtml); ++n) {
        THQVtesto* p = set_.Page(n);
        if (!p || p->IsFree()) continue;
        auto* item = new QListWidgetItem(QString::number(n) + "  " + FromCp(p->Title()), pages);
        item->setData(Qt::UserRole, p->Id());
        if (n == currentPage) pages->setCurrentItem(item);
    }
    for (auto [kind, list] : {std::pair{uint8_t(internetLink), addresses}, {uint8_t(genLink), files}})
        for (int32_t n = 0; n < set_.ObjectCount(kind); ++n) {
            THQVoggetto* o = set_.GetObject(kind, n);
            if (!o || o->IsFree()) continue;
            auto* item = new QListWidgetItem(FromCp(kind == genLink ? o->FileName() : o->Name()), list);
            item->setData(Qt::UserRole, o->Id());
            item->setToolTip(FromCp(links::HintText(o->Description())));
        }
    anchor->setValue(-1);
    if (anchorMode) ShowTab(ThisPage);
    // The page list takes the keys at once: arrows choose the page, Return links.
    if (tabs->currentIndex() == ThisPage) pages->setFocus();
}

THQVoggetto* TFCollega::RegisterAddress(const std::string& text) {
    if (text.empty()) return nullptr;
    auto link = set_.NewInternetLink(text.substr(0, 127));
    return set_.EqualOrRegistered(link);
}

bool TFCollega::BrowseOther(const QString& file) {
    // The preview shows nothing of the hypertext about to be closed.
    otherView->ShowPage(set_, -1);
    otherPages->clear();
    other_.reset();
    otherStatus->clear();
    if (file.isEmpty()) return false;
    otherMessages_ = std::make_unique<platform::RecordingMessages>();
    auto other = std::make_unique<THQVset>(*otherMessages_);
    if (!other->OpenHypertext(file.toStdString())) {
        const std::string why = otherMessages_->joined();
        otherStatus->setText(why.empty() ? QString("Impossibile aprire il file.") : FromCp(why));
        return false;
    }
    other_ = std::move(other);
    for (int32_t n = 0; n < other_->ObjectCount(testoHtml); ++n) {
        THQVtesto* p = other_->Page(n);
        if (!p || p->IsFree()) continue;
        auto* item = new QListWidgetItem(QString::number(n) + "  " + FromCp(p->Title()), otherPages);
        item->setData(Qt::UserRole, n);
    }
    // The page the number box names is chosen (and previewed) when it exists.
    ChooseOtherPage(otherPage->value());
    return true;
}

void TFCollega::ChooseOtherPage(int32_t number) {
    for (int row = 0; row < otherPages->count(); ++row)
        if (otherPages->item(row)->data(Qt::UserRole).toInt() == number) otherPages->setCurrentRow(row);
}

THQVoggetto* TFCollega::MakeTarget() {
    auto chosen = [this](QListWidget* list) -> THQVoggetto* {
        QListWidgetItem* item = list->currentItem();
        return item ? set_.GetObjectById(item->data(Qt::UserRole).toInt()) : nullptr;
    };
    switch (Tab(tabs->currentIndex())) {
        case ThisPage: return chosen(pages);
        case OtherHypertext: {
            if (otherFile->text().isEmpty()) return nullptr;
            return RegisterAddress(
                links::OvikAddressFor(otherFile->text().toStdString(), set_.HQVFileName(), otherPage->value()));
        }
        case Address: return RegisterAddress(ToCp(address->text()));
        case EmbeddedFile: return chosen(files);
        case NewPage: {
            const int32_t n = app::NewEmptyPage(set_);
            THQVtesto* p = set_.Page(n);
            if (p && !newTitle->text().isEmpty()) p->SetTitle(ToCp(newTitle->text()));
            return p;
        }
    }
    return nullptr;
}

// --- TFCollSpec --------------------------------------------------------------------------------

TFCollSpec::TFCollSpec(THQVset& set, platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "fcollspec", parent), set_(set) {
    setWindowTitle("Collegamenti speciali:");
    tabs = Named(new QTabWidget, "tabs");

    anchorNumber = Named(new QSpinBox, "eancora");
    anchorNumber->setRange(0, 0x7FFFFFFF);
    auto* a = new QFormLayout;
    a->addRow(NamedLabel("&Ancora:", "lancora", anchorNumber), anchorNumber);
    tabs->addTab(Page(a, "tancora"), "Ancora nella stessa pagina");

    normalAnchor = Named(new QRadioButton("nella finestra corrente, saltando ad un'ancora"), "rsalta");
    normalReplace = Named(new QRadioButton("nella finestra corrente, al posto della pagina che contiene il collegamento"),
                          "rrimpiazza");
    normalBrowser = Named(new QRadioButton("aprendo una nuova finestra del browser"), "rbrowser");
    normalAnchor->setChecked(true);
    auto* n = new QVBoxLayout;
    for (auto* r : {normalAnchor, normalReplace, normalBrowser}) n->addWidget(r);
    n->addStretch(1);
    tabs->addTab(Page(n, "tnormali"), "Normali");

    floating = Named(new QRadioButton("in una finestra volante"), "rvolante");
    popup = Named(new QRadioButton("in una popup"), "rpopup");
    floating->setChecked(true);
    windowName = Named(new QLineEdit, "enomefinestra");
    windowName->setMaxLength(19);
    winWidth = Named(new QSpinBox, "elarghezza");
    winHeight = Named(new QSpinBox, "ealtezza");
    winWidth->setRange(10, 4000);
    winHeight->setRange(10, 4000);
    winWidth->setValue(400);
    winHeight->setValue(300);
    scrollBars = Named(new QCheckBox("Barre di scorrimento"), "cbarre");
    resizable = Named(new QCheckBox("Dimensionabile"), "cdimensionabile");
    auto* w = new QFormLayout;
    w->addRow(floating);
    w->addRow(popup);
    w->addRow(NamedLabel("&Nome finestra:", "lnomefinestra", windowName), windowName);
    w->addRow(NamedLabel("&Larghezza:", "llarghezza", winWidth), winWidth);
    w->addRow(NamedLabel("&Altezza:", "laltezza", winHeight), winHeight);
    w->addRow(scrollBars);
    w->addRow(resizable);
    tabs->addTab(Page(w, "tfinestra"), "Finestra separata o Popup");

    frameName = Named(new QLineEdit, "enomecornice");
    frameName->setMaxLength(19);
    auto* f = new QFormLayout;
    f->addRow(NamedLabel("Nome &cornice:", "lnomecornice", frameName), frameName);
    tabs->addTab(Page(f, "tcornice"), "Altra cornice, o finestra");

    closeName = Named(new QLineEdit, "enomechiudi");
    closeName->setMaxLength(19);
    mainWindow = Named(new QCheckBox("principale"), "cprincipale");
    auto* c = new QFormLayout;
    c->addRow(NamedLabel("&Nome finestra:", "lnomechiudi", closeName), closeName);
    c->addRow(mainWindow);
    tabs->addTab(Page(c, "tchiudi"), "Chiudi finestra");

    keywordSearch = Named(new QRadioButton("visualizza finestra di ricerca per parola chiave"), "rparole");
    previousPage = Named(new QRadioButton("visualizza pagina <<"), "rprecedente");
    nextPage = Named(new QRadioButton("visualizza pagina >>"), "rseguente");
    keywordSearch->setChecked(true);
    auto* vv = new QVBoxLayout;
    for (auto* r : {keywordSearch, previousPage, nextPage}) vv->addWidget(r);
    vv->addStretch(1);
    tabs->addTab(Page(vv, "tvarie"), "Varie");

    importPath = Named(new QLineEdit, "epath");
    auto* ip = new QFormLayout;
    ip->addRow(NamedLabel("&Path link:", "lpath", importPath), importPath);
    tabs->addTab(Page(ip, "timport"), "Auto import");

    html = Named(new QPlainTextEdit, "mhtml");
    auto* h = new QVBoxLayout;
    h->addWidget(html);
    tabs->addTab(Page(h, "thtml"), "Html");

    auto* mode = Named(new QGroupBox("La finestra/cornice di destinazione appare:"), "gmodo");
    single = Named(new QRadioButton("singola"), "rsingola");
    frameSet = Named(new QRadioButton("come insieme cornici"), "rinsieme");
    single->setChecked(true);
    auto* mh = new QHBoxLayout(mode);
    mh->addWidget(single);
    mh->addWidget(frameSet);

    targetText = Named(new QLabel, "ldestinazione");
    targetText->setWordWrap(true);
    chooseTarget = Named(new QPushButton("&Destinazione..."), "bdestinazione");
    connect(chooseTarget, &QPushButton::clicked, this, &TFCollSpec::ChooseTarget);
    auto* th = new QHBoxLayout;
    th->addWidget(targetText, 1);
    th->addWidget(chooseTarget);

    auto* v = new QVBoxLayout(this);
    v->addWidget(tabs, 1);
    v->addWidget(mode);
    v->addLayout(th);
    v->addWidget(OkCancelBox(this, [] {}));
    resize(780, 440);
    FinishCreation();
}

void TFCollSpec::Load(int32_t) {
    target_ = nullptr;
    targetAnchor_ = -1;
    targetText->clear();
    html->clear();
}

void TFCollSpec::SetTarget(THQVoggetto* target, int32_t anchor) {
    target_ = target;
    targetAnchor_ = anchor;
    targetText->setText(target ? FromCp(links::HintText(target->Description())) +
                                     (anchor >= 0 ? QString(" #a%1").arg(anchor) : QString())
                               : QString());
}

bool TFCollSpec::NeedsWindowName() const {
    switch (Tab(tabs->currentIndex())) {
        case Window: return floating->isChecked() && windowName->text().trimmed().isEmpty();
        case OtherFrame: return frameName->text().trimmed().isEmpty();
        default: return false;
    }
}

std::unique_ptr<THQVoggetto> TFCollSpec::MakeSpecialLink() {
    using namespace links;
    const Tab tab = Tab(tabs->currentIndex());
    uint8_t subtype = kSpecGoTo;
    if (tab == CloseWindow) subtype = kSpecCloseWindow;
    if (tab == Various) subtype = keywordSearch->isChecked() ? kSpecKeywords : previousPage->isChecked() ? kSpecPrevious : kSpecNext;
    if (tab == AutoImport) subtype = kSpecAutoImport;
    if (tab == Html) return nullptr;
    auto o = NewSpecialLink(set_, subtype);
    SpecialLink s{*o};
    s.SetDisplayMode(frameSet->isChecked() ? 1 : 0);
    auto withTarget = [&](uint8_t action) {
        if (!target_) return false;
        s.SetAction(action);
        s.SetTarget(target_->Id());
        s.SetAnchor(targetAnchor_);
        return true;
    };
    switch (tab) {
        case AnchorInPage:
            s.SetAction(kActAnchorInPage);
            s.SetAnchor(anchorNumber->value());
            break;
        case Normal:
            if (!withTarget(normalAnchor->isChecked() ? kActJump : normalReplace->isChecked() ? kActReplaceFrame : kActNewBrowser))
                return nullptr;
            break;
        case Window: {
            if (!withTarget(floating->isChecked() ? kActSeparateWindow : kActPopup)) return nullptr;
            s.SetWindowName(ToCp(windowName->text()));
            WindowData d;
            d.width = int16_t(winWidth->value());
            d.height = int16_t(winHeight->value());
            d.scrollBars = scrollBars->isChecked();
            d.resizable = resizable->isChecked();
            WriteWindowData(*o, d);
            break;
        }
        case OtherFrame:
            if (!withTarget(kActNamedFrame)) return nullptr;
            s.SetWindowName(ToCp(frameName->text()));
            break;
        case CloseWindow:
            s.SetWindowName(ToCp(closeName->text()));
            s.SetAnchor(mainWindow->isChecked() ? kCloseMainWindow : kCloseNamedWindow);
            break;
        case AutoImport: s.SetImportPath(ToCp(importPath->text())); break;
        default: break;
    }
    if (!html->toPlainText().isEmpty()) {
        const std::string text = ToCp(html->toPlainText());
        Bytes w(4, 0);
        w.insert(w.end(), text.begin(), text.end());
        o->SetWrapper(std::move(w));
    }
    return o;
}

// --- TFAncora ------------------------------------------------------------------------------------

TFAncora::TFAncora(platform::SettingsStore& store, QWidget* parent) : TFDialog(store, "fancora", parent) {
    setWindowTitle("Ancora");
    number = Named(new QSpinBox, "enumero");
    number->setRange(0, 0x7FFFFFFF);
    auto* v = new QVBoxLayout(this);
    v->addWidget(NamedLabel("Introduci un nuovo valore numerico per l'ancora:", "lnumero", number));
    v->addWidget(number);
    v->addWidget(OkCancelBox(this, [] {}));
    FinishCreation();
}

// --- TFCollFile ------------------------------------------------------------------------------------

TFCollFile::TFCollFile(links::LinkFollower* follower, platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "fcollfile", parent), follower_(follower) {
    setWindowTitle("Collegamento a file");
    name = Named(new QLabel, "lnome");
    size = Named(new QLabel, "ldimensione");
    open = Named(new QPushButton("&Apri"), "bapri");
    save = Named(new QPushButton("&Salva copia..."), "bsalva");
    auto* close = Named(new QPushButton("&Chiudi"), "bchiudi");
    connect(open, &QPushButton::clicked, this, [this] {
        if (Open()) accept();
    });
    connect(save, &QPushButton::clicked, this, [this] {
        if (!file_) return;
        QString to = QFileDialog::getSaveFileName(this, Tr("Salva copia"), FromCp(FilePart(file_->FileName())));
        if (!to.isEmpty()) SaveCopy(to.toStdString());
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* form = new QFormLayout;
    form->addRow(NamedLabel("File:", "lfile"), name);
    form->addRow(NamedLabel("Dimensione:", "ldim"), size);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (auto* b : {open, save, close}) buttons->addWidget(b);
    auto* v = new QVBoxLayout(this);
    v->addLayout(form);
    v->addLayout(buttons);
    FinishCreation();
}

void TFCollFile::Load(THQVoggetto& file) {
    file_ = &file;
    name->setText(FromCp(file.FileName()));
    size->setText(QString::number(qulonglong(file.ContentLength())) + " byte");
    open->setEnabled(!links::RunsCode(Extension(file.FileName())));
}

bool TFCollFile::Open() { return file_ && follower_ && follower_->OpenEmbeddedWithDesktop(*file_, true); }

bool TFCollFile::SaveCopy(const std::filesystem::path& path) { return file_ && file_->ExtractToFile(path); }

}  // namespace ovik::ui
