#include "ui/dialogs/keywords.h"

#include <QApplication>
#include <QGridLayout>
#include <QInputDialog>
#include <QVBoxLayout>

#include "core/codepage.h"
#include "document/keywords.h"
#include "platform/messages.h"
#include "ui/translations.h"

namespace ovik::ui {

TFKeywords::TFKeywords(THQVset& set, platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "fkeywords", parent), set_(set) {
    setWindowTitle("Parole chiave");
    pageKeywords = Named(new QListWidget, "lpaginaparole");
    pageKeywords->setSelectionMode(QAbstractItemView::ExtendedSelection);
    globals = Named(new THQVListView, "lglobali");
    globals->LinkedHQVset = &set_;
    globals->Objects = keyword;
    globals->Renamable = true;
    globals->setColumnWidth(0, 220);
    for (int c = 1; c < 4; ++c) globals->setColumnHidden(c, true);
    pages = Named(new THQVListView, "lpagine");
    pages->LinkedHQVset = &set_;
    pages->Objects = testoHtml;
    pages->setColumnHidden(2, true);
    pages->OnFilter = [this](const THQVoggetto& p) {
        return !onlyContaining->isChecked() || (selectedKeyword_ >= 0 && PageNamesKeyword(p, selectedKeyword_));
    };
    onlyContaining = Named(new QCheckBox("Pagine che contengono selezione"), "cbcontengono");
    onlyContaining->setChecked(true);
    bDeletePage = Named(new QPushButton("Cancella parola chiave selezionata"), "bcancellapagina");
    bNew = Named(new QPushButton("Nuova parola chiave globale"), "bnuova");
    bAdd = Named(new QPushButton("Aggiungi parola chiave a pagina"), "baggiungi");
    bDeleteGlobal = Named(new QPushButton("Cancella parola chiave globale"), "bcancellaglobale");
    bSearch = Named(new QPushButton("Cerca"), "bcerca");
    auto* close = Named(new QPushButton("&Chiudi"), "bchiudi");

    connect(bDeletePage, &QPushButton::clicked, this, &TFKeywords::DeletePageKeywords);
    connect(bNew, &QPushButton::clicked, this, &TFKeywords::NewGlobalKeyword);
    connect(bAdd, &QPushButton::clicked, this, &TFKeywords::AddToPage);
    connect(bDeleteGlobal, &QPushButton::clicked, this, &TFKeywords::DeleteGlobalKeyword);
    connect(bSearch, &QPushButton::clicked, this, &TFKeywords::Search);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(globals, &QTreeWidget::currentItemChanged, this, [this] { GlobalSelected(); });
    connect(globals, &QTreeWidget::itemDoubleClicked, this, [this] { AddToPage(); });
    connect(onlyContaining, &QCheckBox::toggled, this, [this] { pages->Reload(); });
    connect(pages, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        const int32_t id = THQVListView::IdOf(item);
        if (id < 0) return;
        if (showPage) showPage(IdNumber(id));
        Load(IdNumber(id));
    });
    globals->OnEditStop = [this](THQVoggetto&) { FillPageKeywords(); };
    globals->OnDel = [this] { DeleteGlobalKeyword(); };

    auto* grid = new QGridLayout(this);
    grid->addWidget(NamedLabel("Parole chiave della pagina corrente:", "lpagina", pageKeywords), 0, 0);
    grid->addWidget(pageKeywords, 1, 0);
    auto* pageButtons = new QVBoxLayout;
    pageButtons->addWidget(bDeletePage);
    pageButtons->addWidget(bAdd);
    pageButtons->addStretch();
    grid->addLayout(pageButtons, 1, 1);
    grid->addWidget(NamedLabel("Parole chiave globali:", "lglobale", globals), 2, 0);
    grid->addWidget(globals, 3, 0);
    auto* globalButtons = new QVBoxLayout;
    globalButtons->addWidget(bNew);
    globalButtons->addWidget(bDeleteGlobal);
    globalButtons->addWidget(bSearch);
    globalButtons->addStretch();
    grid->addLayout(globalButtons, 3, 1);
    grid->addWidget(onlyContaining, 4, 0);
    grid->addWidget(pages, 5, 0);
    grid->addWidget(close, 5, 1, Qt::AlignBottom);
    grid->setRowStretch(3, 1);
    grid->setRowStretch(5, 1);
    resize(620, 620);
    ask = [this](const QString& title, const QString& prompt) -> std::optional<QString> {
        bool ok = false;
        QString s = QInputDialog::getText(this, Tr(title), Tr(prompt), QLineEdit::Normal, QString(), &ok);
        if (!ok) return std::nullopt;
        return s;
    };
    FinishCreation();
}

void TFKeywords::Load(int32_t page) {
    page_ = page;
    globals->Reload();
    FillPageKeywords();
    GlobalSelected();
}

void TFKeywords::FillPageKeywords() {
    pageKeywords->clear();
    THQVtesto* p = set_.Page(page_);
    const bool havePage = p && !p->IsFree();
    bDeletePage->setEnabled(havePage);
    bAdd->setEnabled(havePage);
    if (!havePage) return;
    for (int i = 0; i < kKeywordSlots; ++i) {
        const int32_t k = KeywordSlot(*p, i);
        if (k == -1) continue;
        THQVoggetto* o = set_.GetObject(keyword, k);
        auto* item = new QListWidgetItem(o && !o->IsFree() ? FromCp(o->Name()) : QString("?%1").arg(k), pageKeywords);
        item->setData(Qt::UserRole, i);  // the slot
    }
}

void TFKeywords::Changed() {
    set_.SetModified(true);
    FillPageKeywords();
    if (pageChanged) pageChanged(page_);
}

void TFKeywords::DeletePageKeywords() {
    THQVtesto* p = set_.Page(page_);
    if (!p || p->IsFree() || pageKeywords->selectedItems().isEmpty()) return;
    for (QListWidgetItem* item : pageKeywords->selectedItems()) SetKeywordSlot(*p, item->data(Qt::UserRole).toInt(), -1);
    Changed();
    pages->Reload();
}

void TFKeywords::AddToPage() {
    THQVtesto* p = set_.Page(page_);
    THQVoggetto* k = globals->SelectedObject();
    if (!p || p->IsFree() || !k) return;
    if (AddKeywordToPage(*p, k->Number())) {
        Changed();
        pages->Reload();
    }
}

void TFKeywords::NewGlobalKeyword() {
    std::optional<QString> text = ask("Parole chiave globali", "Inserisci una nuova parola chiave globale:");
    if (!text || text->isEmpty()) return;
    THQVoggetto* k = FindOrAddKeyword(set_, ToCp(*text));
    if (!k) return;
    globals->Reload();
    globals->SelectByIdentifier(k->Id());
    GlobalSelected();
}

void TFKeywords::DeleteGlobalKeyword() {
    THQVoggetto* k = globals->SelectedObject();
    if (!k) return;
    if (set_.Messages().AskYesNo("Sto per cancellare la parola chiave globale scelta, e per "
                                 "rimuoverla da tutte le pagine. Sei sicuro?") !=
        platform::Answer::Yes)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ::ovik::DeleteGlobalKeyword(set_, k->Number());
    QApplication::restoreOverrideCursor();
    delete globals->currentItem();
    selectedKeyword_ = -1;
    pages->clear();
    Changed();
}

void TFKeywords::Search() {
    std::optional<QString> text = ask("Parole chiave globali", "Inserisci parola chiave globale da cercare:");
    if (!text) return;
    for (int i = 0; i < globals->topLevelItemCount(); ++i)
        if (globals->topLevelItem(i)->text(0).startsWith(*text)) {
            globals->setCurrentItem(globals->topLevelItem(i));
            globals->scrollToItem(globals->topLevelItem(i));
            return;
        }
}

void TFKeywords::GlobalSelected() {
    THQVoggetto* k = globals->SelectedObject();
    bDeleteGlobal->setEnabled(k != nullptr);
    if (!k) {
        selectedKeyword_ = -1;
        onlyContaining->setText(Tr("Pagine che contengono selezione"));
        pages->Reload();
        return;
    }
    selectedKeyword_ = k->Number();
    onlyContaining->setText(Tr("Pagine che contengono \"%1\"").arg(FromCp(k->Name())));
    pages->Reload();
}

}  // namespace ovik::ui
