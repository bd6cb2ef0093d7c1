#include "ui/dialogs/page_order.h"
#include "ui/translations.h"

#include <QGridLayout>
#include <QInputDialog>
#include <QVBoxLayout>

namespace ovik::ui {

TFOrdine::TFOrdine(THQVset& set, platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "fordine", parent), set_(set) {
    setWindowTitle("Ordine predefinito pagine");
    tree = Named(new THQVorderedTree, "albero");
    tree->LinkedHQVset = &set_;
    tree->Objects = testoHtml;
    tree->SetEditable(true);
    pages = Named(new THQVListView, "lpagine");
    pages->LinkedHQVset = &set_;
    pages->Objects = testoHtml;
    pages->setColumnHidden(2, true);
    bChapter = Named(new QPushButton("Nuovo &capitolo..."), "bcapitolo");
    bAdd = Named(new QPushButton("&Aggiungi pagina"), "baggiungi");
    bUp = Named(new QPushButton("S&u"), "bsu");
    bDown = Named(new QPushButton("&Giù"), "bgiu");
    bDelete = Named(new QPushButton("&Elimina"), "belimina");
    connect(bChapter, &QPushButton::clicked, this, [this] {
        const QString name = askChapter();
        if (!name.isEmpty()) tree->AddChapter(ToCp(name));
        UpdateButtons();
    });
    connect(bAdd, &QPushButton::clicked, this, [this] {
        tree->AddObject(pages->SelectedIdentifier());
        UpdateButtons();
    });
    connect(bUp, &QPushButton::clicked, this, [this] { tree->MoveUp(); });
    connect(bDown, &QPushButton::clicked, this, [this] { tree->MoveDown(); });
    connect(bDelete, &QPushButton::clicked, this, [this] {
        tree->DeleteNode();
        UpdateButtons();
    });
    connect(tree, &QTreeWidget::currentItemChanged, this, [this] { UpdateButtons(); });
    connect(pages, &QTreeWidget::currentItemChanged, this, [this] { UpdateButtons(); });

    auto* grid = new QGridLayout(this);
    grid->addWidget(NamedLabel("Ordine delle pagine e capitoli:", "lalbero", tree), 0, 0);
    grid->addWidget(tree, 1, 0);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {bChapter, bAdd, bUp, bDown, bDelete}) buttons->addWidget(b);
    buttons->addStretch();
    grid->addLayout(buttons, 1, 1);
    grid->addWidget(NamedLabel("Pagine:", "lpaginelista", pages), 0, 2);
    grid->addWidget(pages, 1, 2);
    grid->addWidget(OkCancelBox(this, [this] { Store(); }), 2, 0, 1, 3);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);
    resize(760, 480);
    askChapter = [this] {
        bool ok = false;
        QString s = QInputDialog::getText(this, Tr("Nuovo capitolo"), Tr("Nome del capitolo:"), QLineEdit::Normal,
                                          "Nuovo capitolo", &ok);
        return ok ? s : QString();
    };
    FinishCreation();
}

void TFOrdine::Load() {
    tree->Load();
    pages->Reload();
    UpdateButtons();
}

void TFOrdine::Store() {
    tree->Store();
    set_.SetModified(true);
}

void TFOrdine::UpdateButtons() {
    TreeNode* n = tree->SelectedNode();
    const bool container = n && n->IsContainer();
    bChapter->setEnabled(container);
    bAdd->setEnabled(container && pages->SelectedIdentifier() >= 0);
    bUp->setEnabled(n && n->data != TreeNode::Data::Root);
    bDown->setEnabled(n && n->data != TreeNode::Data::Root);
    bDelete->setEnabled(n && n->data != TreeNode::Data::Root);
}

}  // namespace ovik::ui
