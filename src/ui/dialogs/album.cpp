#include "ui/dialogs/album.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QStyle>
#include <cstring>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QUrl>
#include <QVBoxLayout>

#include "app/album.h"
#include "app/references.h"
#include "core/codepage.h"
#include "links/link_address.h"
#include "links/link_objects.h"
#include "convert/hqv_to_txt.h"
#include "platform/messages.h"
#include "ui/translations.h"

namespace ovik::ui {

namespace {

constexpr uint8_t kTabKinds[6] = {immagine, genLink, custom, testoHtml, internetLink, immagineNew};

// The size column: content for pages, files and pictures; content and wrapper
// for custom and database objects; 0 for the rest.
uint64_t ObjectSize(const THQVoggetto& o) {
    switch (o.Kind()) {
        case testoHtml:
        case zipLink:
        case genLink:
        case immagine: return o.ContentLength();
        case custom:
        case dbloc: return o.ContentLength() + (o.Wrapper() ? o.Wrapper()->size() : 0);
        default: return 0;
    }
}

QIcon IconFor(const THQVoggetto& o) {
    auto theme = [](const char* name, QStyle::StandardPixmap fallback) {
        QIcon i = QIcon::fromTheme(name);
        return i.isNull() ? QApplication::style()->standardIcon(fallback) : i;
    };
    switch (o.Kind()) {
        case testoHtml: return theme("text-x-generic", QStyle::SP_FileIcon);
        case immagine:
        case immagineNew: return theme("image-x-generic", QStyle::SP_FileIcon);
        case genLink: return theme("text-x-generic", QStyle::SP_FileIcon);
        case custom: return theme("text-x-script", QStyle::SP_FileIcon);
        case internetLink: {
            std::string d = o.Name();
            if (!d.empty() && (d[0] == 'M' || d[0] == 'm')) return theme("mail-message", QStyle::SP_FileIcon);
            if (!d.empty() && (d[0] == 'H' || d[0] == 'h')) return theme("text-html", QStyle::SP_FileLinkIcon);
            return theme("folder", QStyle::SP_DirIcon);
        }
        default: return theme("folder", QStyle::SP_DirIcon);
    }
}

// The name an object gets from the text typed over its short description: a
// page's title, a picture's name ("Immagine: x" -> "x"), a link's address (an
// e-mail address is shown without "mailto:"). Empty when the text names
// nothing that can be renamed (a link to another hypertext shows its file and
// page title).
std::string NameFromCaption(const THQVoggetto& o, std::string text) {
    if (o.Kind() == immagine && text.rfind("Immagine: ", 0) == 0) text.erase(0, std::strlen("Immagine: "));
    if (o.Kind() == internetLink) {
        if (o.State() == links::kAddressHypertext) return "";
        if (o.State() == links::kAddressMail && text.rfind("mailto:", 0) != 0) text = "mailto:" + text;
    }
    return text;
}

}  // namespace

TFAlbum::TFAlbum(THQVset& set, platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "falbum", parent), set_(set) {
    setWindowTitle("Album immagini e files");
    find = new QLineEdit;
    auto* findLabel = NamedLabel("Cerca:", "lcerca", find);
    connect(find, &QLineEdit::textChanged, this, &TFAlbum::Filter);

    tabs = new QTabWidget;
    tabs->setObjectName("schede");
    const char* captions[6] = {"Immagini", "Files", "Prototipi", "Pagine", "Collegamenti esterni", "Alt"};
    for (int t = 0; t < 6; ++t) {
        auto* tree = new QTreeWidget;
        tree->setObjectName(QString("lista%1").arg(t));
        tree->setHeaderLabels({"Titolo", "Dimensione", "Nome file", ""});
        tree->setRootIsDecorated(false);
        tree->setSelectionMode(QAbstractItemView::SingleSelection);
        tree->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
        tree->setColumnWidth(0, 260);
        tree->setColumnWidth(1, 80);
        tree->setColumnWidth(2, 140);
        tree->setSortingEnabled(true);
        tree->sortByColumn(-1, Qt::AscendingOrder);
        connect(tree, &QTreeWidget::itemChanged, this, &TFAlbum::Renamed);
        connect(tree, &QTreeWidget::currentItemChanged, this, [this] { UpdateButtons(); });
        connect(tree, &QTreeWidget::itemDoubleClicked, this, [this] { Edit(); });
        lists_[t] = tree;
        if (t == Pages) {
            auto* w = new QWidget;
            auto* h = new QHBoxLayout(w);
            preview = new QPlainTextEdit;
            preview->setReadOnly(true);
            h->addWidget(tree, 3);
            h->addWidget(preview, 2);
            tabs->addTab(w, captions[t]);
        } else {
            tabs->addTab(tree, captions[t]);
        }
    }
    connect(tabs, &QTabWidget::currentChanged, this, [this] {
        SetReplaceFile(QString());
        Filter();
        UpdateButtons();
    });

    edit = Named(new QPushButton("&Edita..."), "bedita");
    replace = Named(new QPushButton("&Sostituisci con..."), "bsostituisci");
    apply = Named(new QPushButton("A&pplica"), "bapplica");
    add = Named(new QPushButton("&Aggiungi..."), "baggiungi");
    remove = Named(new QPushButton("Cancella"), "bcancella");
    usage = Named(new QPushButton("&Uso..."), "buso");
    auto* close = Named(new QPushButton("&Chiudi"), "bchiudi");
    replaceLabel = new QLabel;
    replaceLabel->setWordWrap(true);
    connect(edit, &QPushButton::clicked, this, &TFAlbum::Edit);
    connect(replace, &QPushButton::clicked, this, [this] {
        QString filter = CurrentKind() == immagine ? "Immagini (*.gif *.jpg *.jpeg *.bmp *.wmf *.emf);;Tutti i files (*)"
                                                    : "Tutti i files (*)";
        SetReplaceFile(QFileDialog::getOpenFileName(this, Tr("Sostituisci con"), QString(), filter));
    });
    connect(apply, &QPushButton::clicked, this, [this] { ApplyReplace(); });
    connect(add, &QPushButton::clicked, this, [this] {
        uint8_t k = CurrentKind();
        if (k == immagine || k == genLink) {
            QString filter = k == immagine ? "Immagini (*.gif *.jpg *.jpeg *.bmp *.wmf *.emf);;Tutti i files (*)"
                                           : "Tutti i files (*)";
            AddFiles(QFileDialog::getOpenFileNames(this, Tr("Aggiungi"), QString(), filter));
        } else if (k == testoHtml) {
            app::NewEmptyPage(set_);
            Changed();
        } else if (k == internetLink) {
            bool ok = false;
            QString address = QInputDialog::getText(this, Tr("Collegamento"), Tr("Indirizzo:"), QLineEdit::Normal, "http://", &ok);
            if (ok && !address.trimmed().isEmpty()) {
                auto link = set_.NewInternetLink(ToCp(address.trimmed()));
                if (!set_.FindEqualObject(*link)) THQVoggetto::Register(link, -1);
                if (link && link->IsRegistered()) link.release();
                Changed();
            }
        }
    });
    connect(remove, &QPushButton::clicked, this, &TFAlbum::DeleteChosen);
    connect(usage, &QPushButton::clicked, this, &TFAlbum::ShowUsage);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {edit, replace, apply, add, remove, usage}) buttons->addWidget(b);
    buttons->addWidget(replaceLabel);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* grid = new QGridLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(findLabel);
    top->addWidget(find, 1);
    grid->addLayout(top, 0, 0);
    grid->addWidget(tabs, 1, 0);
    grid->addLayout(buttons, 1, 1);
    grid->setColumnStretch(0, 1);
    resize(760, 460);
    runDeleteWindow = [](TFCancella& w) { w.exec(); };
    FinishCreation();
}

uint8_t TFAlbum::CurrentKind() const { return kTabKinds[tabs->currentIndex() < 0 ? 0 : tabs->currentIndex()]; }

void TFAlbum::ShowTab(Tab t) {
    tabs->setCurrentIndex(int(t));
    Reload();
}

void TFAlbum::Reload() {
    for (int t = 0; t < 6; ++t) FillList(Tab(t));
    Filter();
    UpdateButtons();
}

void TFAlbum::FillList(Tab t) {
    QTreeWidget* tree = lists_[t];
    uint8_t kind = kTabKinds[t];
    filling_ = true;
    int32_t currentId = tree->currentItem() ? tree->currentItem()->data(0, Qt::UserRole).toInt() : -1;
    tree->setSortingEnabled(false);
    tree->clear();
    for (int32_t n = 0; n < set_.ObjectCount(kind); ++n) {
        THQVoggetto* o = set_.GetObject(kind, n);
        if (!o || o->IsFree()) continue;
        auto* item = new QTreeWidgetItem(tree);
        const std::string description = o->Description();
        item->setText(0, FromCp(links::ShortText(description)));
        item->setToolTip(0, FromCp(links::HintText(description)));
        item->setText(1, QString::number(ObjectSize(*o)));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(2, FromCp(o->FileName()));
        if (kind == testoHtml) item->setText(3, QString::number(n));
        item->setIcon(0, IconFor(*o));
        item->setData(0, Qt::UserRole, o->Id());
        Qt::ItemFlags flags = item->flags() | Qt::ItemIsUserCheckable;
        if (kind == testoHtml || kind == immagine || kind == custom) flags |= Qt::ItemIsEditable;
        item->setFlags(flags);
        item->setCheckState(0, Qt::Unchecked);
        if (o->Id() == currentId) tree->setCurrentItem(item);
    }
    tree->setSortingEnabled(true);
    filling_ = false;
}

void TFAlbum::Filter() {
    QTreeWidget* tree = lists_[tabs->currentIndex()];
    QString text = find->text();
    QTreeWidgetItem* first = nullptr;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* it = tree->topLevelItem(i);
        bool match = text.isEmpty() || it->text(0).contains(text, Qt::CaseInsensitive) ||
                     it->text(2).contains(text, Qt::CaseInsensitive);
        it->setHidden(!match);
        if (match && !first) first = it;
    }
    if (!text.isEmpty() && first) tree->setCurrentItem(first);
}

std::vector<int32_t> TFAlbum::ChosenIds() const {
    QTreeWidget* tree = lists_[tabs->currentIndex()];
    std::vector<int32_t> ids;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        if (tree->topLevelItem(i)->checkState(0) == Qt::Checked)
            ids.push_back(tree->topLevelItem(i)->data(0, Qt::UserRole).toInt());
    if (ids.empty() && tree->currentItem()) ids.push_back(tree->currentItem()->data(0, Qt::UserRole).toInt());
    return ids;
}

void TFAlbum::UpdateButtons() {
    uint8_t k = CurrentKind();
    QTreeWidgetItem* cur = lists_[tabs->currentIndex()]->currentItem();
    bool file = k == immagine || k == genLink;
    edit->setEnabled(cur && (file || k == testoHtml || k == internetLink));
    replace->setEnabled(cur && file);
    apply->setEnabled(cur && file && !replaceFile_.isEmpty());
    add->setEnabled(file || k == testoHtml || k == internetLink);
    remove->setEnabled(cur || !ChosenIds().empty());
    usage->setEnabled(cur != nullptr);
    if (k == testoHtml && preview) {
        QString text;
        if (cur) {
            THQVoggetto* o = set_.GetObjectById(cur->data(0, Qt::UserRole).toInt());
            Bytes c;
            if (o && o->ReadContent(c)) {
                std::string out;
                THQVtoTxt().PageText(c.data(), c.size(), out);
                text = FromCp(out.substr(0, 4000));
            }
        }
        preview->setPlainText(text);
    }
}

void TFAlbum::Changed() {
    set_.SetModified(true);
    Reload();
    if (changed) changed();
}

void TFAlbum::DeleteChosen() {
    std::vector<int32_t> ids = ChosenIds();
    if (ids.empty()) return;
    if (!deleteWindow_) deleteWindow_ = std::make_unique<TFCancella>(set_, Store(), this);
    deleteWindow_->view = view;
    deleteWindow_->Load(ids);
    runDeleteWindow(*deleteWindow_);
    Changed();
}

void TFAlbum::AddFiles(const QStringList& files) {
    uint8_t k = CurrentKind();
    QStringList refused;
    for (const QString& f : files) {
        THQVoggetto* o = nullptr;
        if (k == immagine) o = set_.AddPictureFile(f.toStdString());
        if (k == genLink) o = set_.AddEmbeddedFile(f.toStdString());
        if (!o) refused << f;
    }
    if (!refused.isEmpty() && k == immagine)
        set_.Messages().Warning(ToCp("Immagine non riconosciuta: " + refused.join(", ")));
    if (!files.isEmpty()) Changed();
}

void TFAlbum::SetReplaceFile(const QString& file) {
    replaceFile_ = file;
    replaceLabel->setText(file.isEmpty() ? QString() : "Sostituisci con: " + QFileInfo(file).fileName());
    UpdateButtons();
}

bool TFAlbum::ApplyReplace() {
    QTreeWidgetItem* cur = lists_[tabs->currentIndex()]->currentItem();
    if (!cur || replaceFile_.isEmpty()) return false;
    THQVoggetto* o = set_.GetObjectById(cur->data(0, Qt::UserRole).toInt());
    bool ok = false;
    if (o && o->Kind() == immagine) {
        ok = app::ReplacePictureFrom(set_, *o, replaceFile_.toStdString());
        if (!ok) set_.Messages().Warning(ToCp("Immagine non riconosciuta: " + replaceFile_));
    } else if (o && o->Kind() == genLink) {
        ok = set_.AddEmbeddedFile(replaceFile_.toStdString(), *o) != nullptr;
    }
    SetReplaceFile(QString());
    if (ok) Changed();
    return ok;
}

void TFAlbum::Edit() {
    QTreeWidgetItem* cur = lists_[tabs->currentIndex()]->currentItem();
    if (!cur) return;
    THQVoggetto* o = set_.GetObjectById(cur->data(0, Qt::UserRole).toInt());
    if (!o) return;
    switch (o->Kind()) {
        case testoHtml:
            if (editPage) editPage(o->Number());
            Reload();
            break;
        case immagine:
        case genLink: {
            std::filesystem::path f = o->ExtractToTempFile();
            if (!f.empty()) QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(f.string())));
            break;
        }
        case internetLink: {
            bool ok = false;
            QString address = QInputDialog::getText(this, Tr("Collegamento"), Tr("Indirizzo:"), QLineEdit::Normal,
                                                    FromCp(o->Name()), &ok);
            if (ok && !address.trimmed().isEmpty()) {
                o->SetName(ToCp(address.trimmed()));
                Changed();
            }
            break;
        }
        default: break;
    }
}

void TFAlbum::ShowUsage() {
    QTreeWidgetItem* cur = lists_[tabs->currentIndex()]->currentItem();
    THQVoggetto* o = cur ? set_.GetObjectById(cur->data(0, Qt::UserRole).toInt()) : nullptr;
    if (!o) return;
    std::string text;
    app::ConvertOldPages(set_);
    for (const std::string& line : app::ReferenceLines(set_, o->Id())) text += cp1252::ToUtf8(line) + "\n";
    set_.Messages().Information(text);
}

void TFAlbum::Renamed(QTreeWidgetItem* item, int column) {
    if (filling_ || column != 0) return;
    THQVoggetto* o = set_.GetObjectById(item->data(0, Qt::UserRole).toInt());
    if (!o || o->IsFree()) return;
    std::string name = NameFromCaption(*o, ToCp(item->text(0)));
    if (name.empty() || name == o->Name()) return;
    o->SetName(name);
    set_.SetModified(true);
    QMetaObject::invokeMethod(this, [this] { Changed(); }, Qt::QueuedConnection);
}

}  // namespace ovik::ui
