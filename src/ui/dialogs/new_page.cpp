#include "ui/dialogs/new_page.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/album.h"
#include "convert/hqv_from_html.h"
#include "ui/translations.h"

namespace ovik::ui {

namespace {

void FillPages(QListWidget* list, const THQVset* set) {
    list->clear();
    if (!set) return;
    for (const app::PageEntry& e : app::ListPages(*set)) {
        auto* it = new QListWidgetItem(QString("%1  %2").arg(e.number).arg(FromCp(e.title)), list);
        it->setData(Qt::UserRole, e.number);
    }
    if (list->count()) list->setCurrentRow(0);
}

int32_t ChosenNumber(const QListWidget* list) {
    const QListWidgetItem* it = list->currentItem();
    return it ? it->data(Qt::UserRole).toInt() : -1;
}

}  // namespace

TFNuova::TFNuova(THQVset& set, platform::SettingsStore& store, app::ProgramFolders folders, Mode mode,
                 QWidget* parent)
    : TFDialog(store, mode == Mode::New ? "fnuova" : "fincolla", parent),
      set_(set),
      folders_(std::move(folders)),
      mode_(mode),
      other_(set.Messages()),
      template_(set.Messages()) {
    const bool paste = mode == Mode::Paste;
    setWindowTitle(paste ? "Incolla..." : "Nuova...");
    tabs = Named(new QTabWidget, "schede");
    if (!paste) {
        auto* empty = new QWidget;
        auto* ev = new QVBoxLayout(empty);
        auto* el = NamedLabel("Crea una pagina vuota con i colori predefiniti dell'ipertesto.", "lvuota");
        el->setWordWrap(true);
        ev->addWidget(el);
        ev->addStretch();
        tabs->addTab(empty, "Nuova pagina vuota");
    }

    // A list of pages (or templates) under its label.
    auto labelledList = [](QBoxLayout* into, const char* caption, const char* labelName, const char* listName) {
        auto* list = Named(new QListWidget, listName);
        into->addWidget(NamedLabel(caption, labelName, list));
        into->addWidget(list);
        return list;
    };

    auto* copy = new QWidget;
    pages = labelledList(new QVBoxLayout(copy), "Pagina da copiare:", "lcopia", "pagine");
    tabs->addTab(copy, paste ? "Da pagina esistente" : "Nuova pagina copiando esistente");

    auto* other = new QWidget;
    auto* ov = new QVBoxLayout(other);
    otherFile = Named(new QLineEdit, "fileipertesto");
    otherFile->setReadOnly(true);
    browse = Named(new QPushButton("&Sfoglia..."), "bsfoglia");
    auto* row = new QHBoxLayout;
    row->addWidget(otherFile, 1);
    row->addWidget(browse);
    ov->addWidget(NamedLabel("Ipertesto:", "lipertesto", otherFile));
    ov->addLayout(row);
    otherPages = labelledList(ov, "Pagina da copiare:", "lcopiaipertesto", "pagineipertesto");
    tabs->addTab(other, paste ? "Da altro ipertesto" : "Nuova copiando da altro ipertesto");

    auto* tmpl = new QWidget;
    auto* th = new QHBoxLayout(tmpl);
    auto* tl = new QVBoxLayout;
    auto* tr = new QVBoxLayout;
    templates = labelledList(tl, "Modello:", "lmodello", "modelli");
    templatePages = labelledList(tr, "Pagina da copiare:", "lcopiamodello", "paginemodello");
    th->addLayout(tl);
    th->addLayout(tr);
    tabs->addTab(tmpl, paste ? "Da modello" : "Nuova pagina da modello");

    // An HTML file: its first 5000 characters or so are imported into a
    // hypertext of the window's own and shown; Ok imports the whole file
    // there, and that page is the one copied.
    auto* htmlTab = new QWidget;
    auto* hv = new QVBoxLayout(htmlTab);
    htmlFile = Named(new QLineEdit, "filehtml");
    htmlFile->setReadOnly(true);
    htmlBrowse = Named(new QPushButton("S&foglia..."), "bsfogliahtml");
    auto* hrow = new QHBoxLayout;
    hrow->addWidget(htmlFile, 1);
    hrow->addWidget(htmlBrowse);
    hv->addWidget(NamedLabel("File Html:", "lfilehtml", htmlFile));
    hv->addLayout(hrow);
    htmlView = Named(new TPageView, "anteprimahtml");
    htmlView->SetReadOnly(true);
    htmlView->setMinimumSize(260, 160);
    hv->addWidget(htmlView, 1);
    htmlStatus = new QLabel;  // what the import said: no fixed text
    htmlStatus->setWordWrap(true);
    hv->addWidget(htmlStatus);
    tabs->addTab(htmlTab, paste ? "Da file Html" : "Nuova copiando pagina Html");
    connect(htmlBrowse, &QPushButton::clicked, this, [this] {
        QString f = QFileDialog::getOpenFileName(this, Tr("File Html"), QFileInfo(htmlFile->text()).path(),
                                                 "Files Html (*.htm *.html)");
        if (!f.isEmpty()) OpenHtml(f);
    });

    background = Named(new QCheckBox("importa sfondo"), "csfondo");
    background->setVisible(paste);

    connect(browse, &QPushButton::clicked, this, [this] {
        QString start = otherFile->text().isEmpty() ? QString::fromStdString(set_.HQVFileName().parent_path().string())
                                                    : QFileInfo(otherFile->text()).path();
        QString f = QFileDialog::getOpenFileName(this, Tr("Apri ipertesto"), start, Tr("Ipertesti (*.hqv *.HQV)"));
        if (!f.isEmpty()) OpenOther(f);
    });
    connect(templates, &QListWidget::currentRowChanged, this, [this] { ListTemplatePages(); });
    for (QListWidget* l : {pages, otherPages, templatePages})
        connect(l, &QListWidget::itemDoubleClicked, this, [this] {
            if (Accept()) accept();
        });

    auto* v = new QVBoxLayout(this);
    v->addWidget(tabs);
    v->addWidget(background);
    v->addWidget(CheckedOkCancelBox(this, [this] { return Accept(); }));
    resize(700, 380);
    FinishCreation();
}

void TFNuova::Load() {
    created_ = -1;
    FillPages(pages, &set_);
    templates->clear();
    for (const auto& f : app::TemplateFiles(folders_)) {
        auto* it = new QListWidgetItem(QString::fromStdString(f.stem().string()), templates);
        it->setData(Qt::UserRole, QString::fromStdString(f.string()));
    }
    if (templates->count()) templates->setCurrentRow(0);
    ListTemplatePages();
    // Another hypertext chosen before stays open and listed.
    FillPages(otherPages, other_.Set());
}

TFNuova::Tab TFNuova::Current() const {
    return Tab(tabs->currentIndex() + (mode_ == Mode::Paste ? 1 : 0));
}

void TFNuova::ShowTab(Tab t) {
    int i = int(t) - (mode_ == Mode::Paste ? 1 : 0);
    if (i >= 0 && i < tabs->count()) tabs->setCurrentIndex(i);
}

bool TFNuova::OpenOther(const QString& file) {
    otherFile->setText(file);
    const bool ok = other_.Open(file.toStdString());
    FillPages(otherPages, other_.Set());
    return ok;
}

void TFNuova::ListTemplatePages() {
    const QListWidgetItem* it = templates->currentItem();
    const std::string file = it ? it->data(Qt::UserRole).toString().toStdString() : std::string();
    if (file.empty()) {
        template_.Close();
    } else if (template_.File() != file) {
        template_.Open(file);
    }
    FillPages(templatePages, template_.Set());
}

THQVtesto* TFNuova::SourcePage() const {
    switch (Current()) {
        case CopyExisting: {
            const int32_t n = ChosenNumber(pages);
            THQVtesto* p = n >= 0 ? set_.Page(n) : nullptr;
            return p && !p->IsFree() ? p : nullptr;
        }
        case OtherHypertext: return other_.Page(ChosenNumber(otherPages));
        case Template: return template_.Page(ChosenNumber(templatePages));
        case HtmlFile: {
            THQVtesto* p = html_ && htmlPage_ >= 0 ? html_->Page(htmlPage_) : nullptr;
            return p && !p->IsFree() ? p : nullptr;
        }
        default: return nullptr;
    }
}

bool TFNuova::WithBackground() const { return mode_ == Mode::New || background->isChecked(); }

int32_t TFNuova::ImportHtml(const QString& file, bool preview) {
    htmlView->ShowPage(set_, -1);  // the view lets go of the page it shows
    htmlPage_ = -1;
    html_ = std::make_unique<THQVset>(set_.Messages());
    html_->NewHypertext();
    THQVfromHtml conv(html_.get());
    conv.ImpPreview = preview;
    const int32_t first = conv.ImportFiles({std::filesystem::path(file.toStdString())}, 1);
    std::vector<std::string> lines = conv.Report.Lines();
    htmlStatus->setText(QString::fromStdString(lines.empty() ? std::string() : lines.front()));
    if (conv.Report.pagesMade == 0) return -1;
    htmlPage_ = first;
    return first;
}

bool TFNuova::OpenHtml(const QString& file) {
    htmlFile->setText(file);
    const int32_t n = ImportHtml(file, true);
    if (n >= 0) htmlView->ShowPage(*html_, n);
    return n >= 0;
}

bool TFNuova::Accept() {
    // The preview holds the file's beginning: the whole file is imported now.
    if (Current() == HtmlFile && !htmlFile->text().isEmpty() && ImportHtml(htmlFile->text(), false) < 0)
        return false;
    if (mode_ == Mode::Paste) return SourcePage() != nullptr;
    return MakePage() >= 0;
}

int32_t TFNuova::MakePage() {
    created_ = -1;
    if (mode_ == Mode::Paste) return -1;
    if (Current() != Empty && !SourcePage()) return -1;
    created_ = app::NewEmptyPage(set_);
    return created_;
}

}  // namespace ovik::ui
